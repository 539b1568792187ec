// Flags and settings shared between the main thread, the simulation tick and the audio callback.
#pragma once
#include <atomic>
#include <cstdint>

extern bool SimPaused;
// Set while the Calibrate dialog is open: every axis reads its extremes, so nothing may clear SimPaused
// (not the keys, the menu nor the controller's switches) until it closes. Written on the main thread.
extern std::atomic<bool> PauseHeld;
extern bool SlowMotionPlayback;
extern int32_t SimSpeed;     // speed menu index 0..6, 3 is normal speed
extern float SimTimeStep;    // seconds simulated by the current tick
extern std::atomic<bool> QuitRequested;
extern bool reloadCanopyTexture;
extern bool reloadBackdropTexture;
extern bool reloadHeliTexture;

// Seconds per tick for a speed menu index; any value outside 0..5 gives the 2.0 speed step.
float TimeStepForSpeed(int32_t speed);
