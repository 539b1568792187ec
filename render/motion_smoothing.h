// Motion between ticks: the last two moving steps, and the helicopter pose carried forward from them to a
// frame's own time. Presentation only; nothing here writes simulation state.
#pragma once
#include <cstdint>
#include "flight/heli_state.h"

// One step that changed the helicopter's state, as the tick saw it.
struct StepSample {
    HeliState heli;          // state after the step
    double time = 0.0;       // seconds on the frame clock when the step ended
    float simSeconds = 0.0f; // simulated seconds of the step
    bool continuous = false; // flying before and after, moving on from the previous sample's state
};

struct MotionHistory {
    StepSample previous;
    StepSample latest;
    uint32_t samples = 0;      // moving steps seen so far (saturates)
    double lastTickTime = 0.0; // any tick, moving or not: the camera filter runs on every tick
};
// Written by the tick under SimMutex; a frame copies it with the rest of its snapshot.
extern MotionHistory StepHistory;
// "Smooth motion" in the View menu; on by default, kept in Settings.ini.
extern bool SmoothMotion;

// Steps further apart than this (a pause in between) are not joined.
constexpr double LongestStepGap = 0.5;

// Called by the tick after the step with the state before and after it. A step that changed nothing
// (paused, skipped in slow motion, crashed) only updates lastTickTime.
void RecordStep(MotionHistory& history, const HeliState& before, int32_t flightStateBefore,
                const HeliState& after, int32_t flightStateAfter, float simSeconds, double now);

// What a frame draws.
struct SmoothedPose {
    Vec3 position;
    Vec3 noseAxis;
    Vec3 upAxis;
    Vec3 cameraTarget;
};

// The pose at frameTime: the latest step carried forward by its velocity and its rotation, at most one step
// ahead. Without smoothing (switched off, paused, not flying, the live state not the latest step's, fewer
// than two joined steps) the live state and camera target are returned unchanged.
SmoothedPose CarryForward(const MotionHistory& history, const HeliState& live, Vec3 liveCameraTarget,
                          int32_t flightState, bool paused, bool enabled, double frameTime);

// Turns nose and up by fraction f of the rotation that took (fromNose, fromUp) to (toNose, toUp).
void TurnByFraction(Vec3 fromNose, Vec3 fromUp, Vec3 toNose, Vec3 toUp, float f, Vec3& nose, Vec3& up);

// Seconds on the clock the tick and the frames share (steady, monotonic).
double FrameClockSeconds();
