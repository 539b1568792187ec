// The hover trainer's box in the scene: its square marked on the field and the faint cube over it.
#pragma once
#include "flight/vec_math.h"

// Draws the box of the given half size around centre (world metres, z up) after the helicopter, so the
// helicopter shows through it; green while the task is held, white otherwise. Leaves blending off.
void DrawHoverBox(Vec3 centre, bool held);
