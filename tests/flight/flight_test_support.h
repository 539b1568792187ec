// Shared set-up for the flight tests: a fresh simulation and scripted sticks in place of the joystick.
#pragma once
#include "flight/heli_state.h"
#include "flight/hover_pilot.h"

using TestSticks = PilotSticks;
extern TestSticks Sticks;

// The mesh's lowest point used by the tests (the stock mesh at scale 1.5 lies about here).
constexpr float TestMeshLowestPoint = -0.11f;

// Defaults everywhere (model, swash, wind, turbulence, random attitudes, gyro memories, flags, log),
// scripted sticks centred with the throttle at 0, random source at its start, helicopter reset.
void FreshSimulation();

// Steps the model n times with dt, as the tick does (helicopter, wind, turbulence).
void RunTicks(int n, float dt = 0.05f);

// Rest height of the test mesh.
float TestRestHeight();
