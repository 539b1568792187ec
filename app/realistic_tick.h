// The realistic flight model on the tick thread: inside each 50 ms tick, fixed 1 ms physics steps paced
// over the period, the sticks read right before every step; the 50 ms work (flight log, recorder frame,
// trail, wind, turbulence, sound) stays on the tick's own cadence.
#pragma once
#include <chrono>

#include "flight/realistic_model.h"

// The realistic helicopter's state (SimMutex).
extern RealisticState RealisticNow;
// Physics steps run since the start (SimMutex); the tests and the benchmark count them.
extern uint64_t RealisticSteps;

// Whether this tick flies the realistic model: a helicopter file is in use and no recording plays (a
// recording plays back its frames; no flight model runs). SimMutex held.
bool RealisticTickDue();
// RealisticTickDue for the tick itself: a tick given to a recording's playback over a realistic
// helicopter also puts it back on its pad for when the playback ends. SimMutex held.
bool TakeRealisticTick();
// One 50 ms tick of the realistic model (SimMutex not held): as many 1 ms steps as the simulation speed
// asks for, each at its share of the period, then the 50 ms work.
void RealisticTick();

// The sticks and switches of one step as the classic step reads them (mapping, calibration, curves; the
// throttle channel with hold applied), for the realistic model.
RealisticSticks ReadRealisticSticks();
// One physics step on sticks (the throttle through the motor's start interlock), with what it reports acted
// on (crash report and sound, landing, random attitude, reset three seconds after a crash). SimMutex held.
void StepRealisticOnce(RealisticSticks sticks);
// The helicopter back on its pad, rotor stopped. SimMutex held.
void PutRealisticOnPad();
// Joins the realistic model to the program's reset and model choice (at start-up, once).
void InstallRealisticTick();

// Waits for a step's deadline (steady clock); tests replace it to run ticks without waiting.
extern void (*WaitForPhysicsStep)(std::chrono::steady_clock::time_point deadline);
