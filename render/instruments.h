// The flat overlay in window pixels: dials, stick boxes, switch lamps and status marks.
#pragma once
#include <cstdint>
#include "render/render_snapshot.h"

// Expect the overlay projection: pixels, origin top-left, y downward.
void DrawInstruments(const RenderSnapshot& snap, int32_t width, int32_t height);
void DrawSwitchLamps(const RenderSnapshot& snap, int32_t width, int32_t height);
void DrawStatusMarks(const RenderSnapshot& snap, int32_t width);
