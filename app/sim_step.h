// The simulation's part of one tick: the sticks, the flight model's step, and what the step reported, done
// in the order the program has always done it.
#pragma once
#include "flight/heli_step.h"

// Reads the five control inputs, runs StepHelicopter, then classifies the flight time, picks the crash
// sound (its random draw) or ends it after a reset, and writes, plays or keeps the recorder frame
// before the trail sample. Simulation thread (or a test), SimMutex held.
void StepSimulation(float dt);

// The five control inputs in the order every model reads them (the recorder stores what GetControlInput
// returned last for each function).
StepSticks ReadStepSticks();

// The step's recorder frame (the sticks last read, the idle-up and hold switches; written, played or
// kept), then the trail sample, for either flight model. SimMutex held.
void RecordFrameAndTrail();
