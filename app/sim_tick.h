// The 50 ms simulation clock: a thread that wakes at absolute deadlines and runs SimulationTick.
#pragma once
#include <atomic>

#include "flight/sim_control.h"

// One tick: choose the time step, then the dynamics step, the wind and the turbulence (in that order,
// under the simulation lock), then a crash sound picked by the step plays to its end without the lock.
void SimulationTick();
// Called at the start of every tick, before the step and outside SimMutex, to read the sticks the step
// will use (the program sets it to the joystick poll; null reads nothing). False when the transmitter in
// use has just gone: the tick then pauses the simulation (unless a recording plays) instead of flying.
extern bool (*ReadSticksForStep)();

constexpr int TickPeriodMs = StepPeriodMs;

// Starts the clock; its thread asks for a higher priority than ordinary work first.
void StartSimulationClock();
// Whether the system granted the clock's thread its higher priority (the benchmarks print it).
extern std::atomic<bool> TimingThreadRaised;
// Stops the clock and joins its thread; no tick runs after this returns.
void StopSimulationClock();
