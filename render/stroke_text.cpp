// Stroke glyphs on a 4 x 8 grid (y downward; 'p' reaches down to 10) drawn as GL line strips.
#include "render/stroke_text.h"

#include <GL/gl.h>

namespace {
struct Point {
    signed char x, y;
};
// One glyph: up to three strips of up to seven points; a strip ends at the first point with x < 0.
struct Glyph {
    char c;
    Point strips[3][7];
};
constexpr Point E = {-1, -1};
const Glyph Glyphs[] = {
    {'0', {{{0, 0}, {4, 0}, {4, 8}, {0, 8}, {0, 0}, E}, {E}, {E}}},
    {'1', {{{1, 1}, {2, 0}, {2, 8}, E}, {E}, {E}}},
    {'2', {{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 8}, {4, 8}, E}, {E}, {E}}},
    {'3', {{{0, 0}, {4, 0}, {4, 8}, {0, 8}, E}, {{0, 4}, {4, 4}, E}, {E}}},
    {'4', {{{0, 0}, {0, 4}, {4, 4}, E}, {{4, 0}, {4, 8}, E}, {E}}},
    {'5', {{{4, 0}, {0, 0}, {0, 4}, {4, 4}, {4, 8}, {0, 8}, E}, {E}, {E}}},
    {'6', {{{4, 0}, {0, 0}, {0, 8}, {4, 8}, {4, 4}, {0, 4}, E}, {E}, {E}}},
    {'7', {{{0, 0}, {4, 0}, {2, 8}, E}, {E}, {E}}},
    {'8', {{{0, 0}, {4, 0}, {4, 8}, {0, 8}, {0, 0}, E}, {{0, 4}, {4, 4}, E}, {E}}},
    {'9', {{{4, 4}, {0, 4}, {0, 0}, {4, 0}, {4, 8}, {0, 8}, E}, {E}, {E}}},
    {'-', {{{0, 4}, {4, 4}, E}, {E}, {E}}},
    {'.', {{{2, 7}, {2, 8}, E}, {E}, {E}}},
    {'/', {{{0, 8}, {4, 0}, E}, {E}, {E}}},
    {'r', {{{0, 8}, {0, 3}, E}, {{0, 5}, {2, 3}, {4, 3}, E}, {E}}},
    {'p', {{{0, 10}, {0, 3}, {4, 3}, {4, 7}, {0, 7}, E}, {E}, {E}}},
    {'m', {{{0, 8}, {0, 3}, {4, 3}, {4, 8}, E}, {{2, 3}, {2, 8}, E}, {E}}},
    {'h', {{{0, 0}, {0, 8}, E}, {{0, 3}, {4, 3}, {4, 8}, E}, {E}}},
    {'k', {{{0, 0}, {0, 8}, E}, {{4, 3}, {0, 6}, {4, 8}, E}, {E}}},
};

const Glyph* Find(char c) {
    for (const Glyph& g : Glyphs)
        if (g.c == c) return &g;
    return nullptr;
}
} // namespace

float StrokeTextWidth(const std::string& text, float height) {
    if (text.empty()) return 0.0f;
    float n = static_cast<float>(text.size());
    return height * (0.6f * n + 0.25f * (n - 1.0f));
}

void DrawStrokeText(const std::string& text, float x, float y, float height) {
    const float unit = height / 8.0f;
    // One glyph and the gap after it, as StrokeTextWidth counts them.
    const float advance = StrokeTextWidth("88", height) - StrokeTextWidth("8", height);
    for (char c : text) {
        if (const Glyph* g = Find(c)) {
            for (const auto& strip : g->strips) {
                if (strip[0].x < 0) continue;
                glBegin(GL_LINE_STRIP);
                for (const Point& p : strip) {
                    if (p.x < 0) break;
                    // Four units wide in 0.6 x height: 0.15 x height per grid step across.
                    glVertex2f(x + static_cast<float>(p.x) * height * 0.15f,
                               y + static_cast<float>(p.y) * unit);
                }
                glEnd();
            }
        }
        x += advance;
    }
}
