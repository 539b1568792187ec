// The copy of the simulation state that one frame draws from, taken under SimMutex at the frame's start.
#pragma once
#include <cstdint>
#include <vector>
#include "flight/heli_state.h"
#include "flight/trail.h"
#include "render/motion_smoothing.h"

struct RenderSnapshot {
    HeliState heli;
    Vec3 smoothedCameraTarget;
    float airspeedMph = 0.0f;
    int32_t flightState = 0;
    // Wind sock inputs.
    int32_t windType = 0;
    Vec3 windVelocity = {0.0f, 0.0f, 0.0f};
    // Instruments and marks.
    float rollInput = 0.0f;
    float pitchInput = 0.0f;
    float yawInput = 0.0f;
    float collectiveStick = 0.0f;
    bool idleUpOn = false;
    bool throttleHoldOn = false;
    bool simPaused = false;
    bool slowMotionPlayback = false;
    bool recorderPlaying = false;
    bool recorderRecording = false;
    // Trail: the two parts of the ring in drawing order, already copied out of trailRing.
    bool trailsOn = false;
    bool trailsDotted = false;
    std::vector<Vec3> trailOlder;
    std::vector<Vec3> trailNewer;
    // The hover trainer's box (its centre) and whether the helicopter holds the task in it.
    bool hoverBoxOn = false;
    bool hoverInside = false;
    Vec3 hoverBoxCentre = {0.0f, 0.0f, 0.0f};
    // The last moving steps, for drawing the helicopter between ticks.
    MotionHistory history;
};

extern RenderSnapshot FrameSnapshot;

// Fills FrameSnapshot from the live globals while holding SimMutex. Main thread, once per frame.
void CaptureRenderSnapshot();
// Set by the program: fills the snapshot's sticks, switches and recorder marks from the controls and the
// recorder; called by CaptureRenderSnapshot with SimMutex held. Left null, they stay as they were.
extern void (*CaptureControlsForFrame)(RenderSnapshot& snap);

// Moves the snapshot's helicopter pose and camera target to frameTime (FrameClockSeconds) when
// SmoothMotion is on; the state the step wrote stays as it is.
void SmoothSnapshot(RenderSnapshot& snap, double frameTime);

// The trail part of the capture, on explicit ring values (the caller holds SimMutex for live data).
void CopyTrailParts(const Vec3* ring, uint32_t head, uint32_t count, uint32_t capacity,
                    std::vector<Vec3>& older, std::vector<Vec3>& newer);
