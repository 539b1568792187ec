// The flight tests' set-up (a fresh simulation, scripted sticks in place of the joystick) and the scripted
// whole flights whose every step is kept as reference data (tests/data/pinned_flights.bin), written by
// tools/pinflights and replayed by the flight tests.
//
// File layout (little-endian):
//   "RVPF" (4 bytes), u32 version (1), u32 flight count;
//   per flight: 32-byte name (zero padded), f32 dt, u32 tick count, then per tick 72 bytes:
//     16 f32 HeliState fields in record order, i32 FlightState, u32 SimRandState (after the tick).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "flight/heli_state.h"
#include "flight/hover_pilot.h"

extern PilotSticks Sticks;

// The mesh's lowest point the tests use (the stock mesh at scale 1.5 lies about here).
constexpr float TestMeshLowestPoint = -0.11f;

// Defaults everywhere (model, swash, wind, turbulence, gyro memories, flags, log), centred sticks with the
// throttle at 0, the random source at its start, the helicopter reset.
void FreshSimulation();
// Steps the model n times with dt, as the tick does (helicopter, wind, turbulence).
void RunTicks(int n, float dt = 0.05f);

struct PinnedTick {
    float state[16];
    int32_t flightState;
    uint32_t randState;
};
static_assert(sizeof(PinnedTick) == 72);

struct PinnedFlight {
    std::string name; // at most 31 characters
    float dt;
    std::vector<PinnedTick> ticks;
};

// Each script is flown at the normal 0.05 s step and at the fastest speed's 0.1 s.
int PinnedFlightScriptCount();
inline constexpr float PinnedTimeSteps[2] = {0.05f, 0.1f};
// Flies script `index` from a fresh simulation with time step dt.
PinnedFlight FlyPinnedFlight(int index, float dt);
