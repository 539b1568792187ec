// The flying field: panorama cylinder, sky disc, ground grid, gravel, school building, field lines, wind
// sock.
#pragma once
#include <cstdint>
#include "flight/vec_math.h"

// Builds the fixed geometry of the field (world frame, metres). Called once at program start, before any
// frame.
void BuildSceneryGeometry();

// Called by RenderFrame in this order, lighting off and the decal texture environment set.
void DrawScenery();
void DrawWindsock(int32_t windType, Vec3 windVelocity);
