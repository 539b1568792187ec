// The trail: a ring of recent helicopter positions, one sample per completed step.
#pragma once
#include <cstdint>

#include "flight/vec_math.h"

constexpr int TrailRingSize = 10000;

extern Vec3 trailRing[TrailRingSize];
extern uint32_t trailHead;
extern uint32_t trailCount;
extern uint32_t TrailCapacity; // samples shown: the trail length in steps
extern bool trailsOn;
extern bool trailsDotted;

// Adds one position at trailHead, wrapping at TrailCapacity; trailCount never falls.
void AddTrailSample(Vec3 position);
// Empties the trail.
void ClearTrail();
