// Numbers drawn as line strokes in the overlay (no font texture): digits, '-', '.', ' ' and the letters of
// the units "rpm", "mph" and "km/h".
#pragma once
#include <string>

// Width of text drawn at this height: every glyph is 0.6 x height wide with 0.25 x height between glyphs.
float StrokeTextWidth(const std::string& text, float height);
// Draws text with its top-left corner at (x, y), y downward, in the current colour and line width.
// Characters it has no strokes for are left as gaps.
void DrawStrokeText(const std::string& text, float x, float y, float height);
