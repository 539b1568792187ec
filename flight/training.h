// Training aids: the random attitudes thrown after each safe landing (the position locks are FlightState
// values).
#pragma once
#include <cstdint>
#include "flight/vec_math.h"

struct RandomAttitudeSettings {
    int32_t altitudeLevel = 0;    // 0 High, 1 Medium, 2 Low
    int32_t orientationLevel = 0; // 0 Simple, 1 Medium, 2 Hard, 3 Crazy
    int32_t motionLevel = 0;      // 0 None, 1 Easy, 2 Medium, 3 Hard
    Vec3 startPosition;
    Vec3 startVelocity;
    Vec3 startNose;
    Vec3 startUp;
    uint8_t randomAttitudesEnabled = 0; // "Enable Random Attitudes"
};

extern RandomAttitudeSettings RandomAttitude;

// Fills the start fields of RandomAttitude from its levels, drawing two or three values from SimRand.
void GenerateRandomAttitude();

// The level tables (negative levels count as 0, levels past the end as the last entry).
float RandomStartHeight(int32_t altitudeLevel);
float RandomHeadingSpan(int32_t orientationLevel); // radians
float RandomTiltSpan(int32_t orientationLevel);    // radians
float RandomTurnAngle(int32_t motionLevel);        // radians
float RandomTopSpeed(int32_t motionLevel);         // m/s
