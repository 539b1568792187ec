// The trail ring of recent positions.
#include "flight/trail.h"

Vec3 trailRing[TrailRingSize];
uint32_t trailHead = 0;
uint32_t trailCount = 0;
uint32_t TrailCapacity = 400;
bool trailsOn = false;
bool trailsDotted = false;

void AddTrailSample(Vec3 position) {
    if (trailHead >= static_cast<uint32_t>(TrailRingSize)) trailHead = 0;
    trailRing[trailHead] = position;
    trailHead += 1;
    if (trailHead > trailCount) trailCount = trailHead;
    if (trailHead >= TrailCapacity) trailHead = 0;
}

void ClearTrail() {
    trailHead = 0;
    trailCount = 0;
}
