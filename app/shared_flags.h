// Flags and settings shared between the main thread, the simulation tick and the audio callback.
#pragma once
#include <atomic>
#include <cstdint>

#include "flight/sim_control.h" // SimPaused, SlowMotionPlayback

extern int32_t SimSpeed;     // speed menu index 0..6, 3 is normal speed
extern float SimTimeStep;    // seconds simulated by the current tick
extern std::atomic<bool> QuitRequested;

// Seconds per tick for a speed menu index; any value outside 0..5 gives the 2.0 speed step.
float TimeStepForSpeed(int32_t speed);
