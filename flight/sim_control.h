// The simulation lock and the flags that stop or slow the step, shared by the tick and the main thread.
#pragma once
#include <atomic>
#include <mutex>

// The period of the simulation: one tick, one step of the classic model, one recorder frame, 20 a second.
constexpr int StepPeriodMs = 50;
constexpr float StepSeconds = StepPeriodMs / 1000.0f;

// Guards all simulation state: the tick holds it for the step, wind and turbulence; every main-thread
// command that writes simulation state takes it; a frame copies what it draws under it.
extern std::mutex SimMutex;

extern bool SimPaused;
// Set while the Calibrate dialog is open: every axis reads its extremes, so nothing may clear SimPaused
// (not the keys, the menu nor the controller's switches) until it closes. Written on the main thread.
extern std::atomic<bool> PauseHeld;
extern bool SlowMotionPlayback; // playback runs one step in eight

// Main thread: sets SimPaused under SimMutex (dialogs and file choosers that pause on opening).
void PauseSimulation();
