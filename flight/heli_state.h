// The helicopter state record and the flight-state machine's values.
#pragma once
#include <cstddef>
#include <cstdint>

#include "flight/vec_math.h"

// Sixteen floats; the recorder stores exactly these 64 bytes per frame.
struct HeliState {
    float voltageFactor = 1.0f;
    float rotorRpm = 0.0f;
    Vec3 position;
    Vec3 velocity;
    Vec3 noseAxis;
    Vec3 upAxis;
    float pilotDistance = 0.0f;
    float dopplerFactor = 1.0f;
};
static_assert(sizeof(HeliState) == 64);
static_assert(offsetof(HeliState, rotorRpm) == 4);
static_assert(offsetof(HeliState, position) == 8);
static_assert(offsetof(HeliState, velocity) == 20);
static_assert(offsetof(HeliState, noseAxis) == 32);
static_assert(offsetof(HeliState, upAxis) == 44);
static_assert(offsetof(HeliState, pilotDistance) == 56);
static_assert(offsetof(HeliState, dopplerFactor) == 60);

// FlightState values.
enum : int32_t {
    FlightFlying = 0,
    FlightResting = 1,
    FlightCrashed = 2,    // report not yet drawn
    FlightCrashShown = 3, // report drawn, picture frozen
    FlightLockXY = 4,
    FlightLockXYZ = 5,
};

extern HeliState Heli;
extern int32_t FlightState;
