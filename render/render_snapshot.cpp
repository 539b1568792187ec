// Copying what a frame draws out of the simulation globals, under the simulation lock.
#include "render/render_snapshot.h"

#include "flight/heli_step.h"
#include "flight/hover_trainer.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "flight/wind.h"

RenderSnapshot FrameSnapshot;
void (*CaptureControlsForFrame)(RenderSnapshot& snap) = nullptr;

void CopyTrailParts(const Vec3* ring, uint32_t head, uint32_t count, uint32_t capacity,
                    std::vector<Vec3>& older, std::vector<Vec3>& newer) {
    older.clear();
    newer.clear();
    // Never read past the ring, whatever the counters say.
    const int64_t ringSize = TrailRingSize;
    int64_t start = head;
    int64_t used = capacity > count ? count : capacity;
    int64_t olderCount = used - start;
    if (olderCount > 0 && start < ringSize) {
        if (start + olderCount > ringSize) olderCount = ringSize - start;
        older.assign(ring + start, ring + start + olderCount);
    }
    int64_t newerCount = start < ringSize ? start : ringSize;
    if (newerCount > 0) newer.assign(ring, ring + newerCount);
}

void CaptureRenderSnapshot() {
    RenderSnapshot& s = FrameSnapshot;
    std::lock_guard<std::mutex> lock(SimMutex);
    s.heli = Heli;
    s.smoothedCameraTarget = smoothedCameraTarget;
    s.airspeedMph = airspeedMph;
    s.flightState = FlightState;
    s.windType = Wind.windType;
    s.windVelocity = Wind.windVelocity;
    if (CaptureControlsForFrame) CaptureControlsForFrame(s);
    s.simPaused = SimPaused;
    s.slowMotionPlayback = SlowMotionPlayback;
    s.history = StepHistory;
    s.hoverBoxOn = Trainer.active;
    s.hoverInside = Trainer.inside;
    s.hoverBoxCentre = set(HeliStartPosition.x, HeliStartPosition.y, HoverBoxHeight);
    s.trailsOn = trailsOn;
    s.trailsDotted = trailsDotted;
    if (s.trailsOn) {
        CopyTrailParts(trailRing, trailHead, trailCount, TrailCapacity, s.trailOlder, s.trailNewer);
    } else {
        s.trailOlder.clear();
        s.trailNewer.clear();
    }
}

void SmoothSnapshot(RenderSnapshot& snap, double frameTime) {
    SmoothedPose pose = CarryForward(snap.history, snap.heli, snap.smoothedCameraTarget, snap.flightState,
                                     snap.simPaused, SmoothMotion, frameTime);
    snap.heli.position = pose.position;
    snap.heli.noseAxis = pose.noseAxis;
    snap.heli.upAxis = pose.upAxis;
    snap.smoothedCameraTarget = pose.cameraTarget;
}
