// The frame's own state shared by render/'s drawing files only (and tests).
#pragma once
#include "flight/vec_math.h"

// Width over height of the client area, set by ResizeView.
extern float aspectRatio;
// The helicopter position of the current frame; the model and its shadow are drawn there.
extern Vec3 renderHeliPosition;
