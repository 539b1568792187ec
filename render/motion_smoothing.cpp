// Carrying the helicopter's pose forward between ticks from the last two steps.
#include "flight/sim_control.h"
#include "render/motion_smoothing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

MotionHistory StepHistory;
bool SmoothMotion = true;

namespace {
bool SameState(const HeliState& a, const HeliState& b) {
    return std::memcmp(&a, &b, sizeof(HeliState)) == 0;
}

bool Finite(Vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
} // namespace

void RecordStep(MotionHistory& history, const HeliState& before, int32_t flightStateBefore,
                const HeliState& after, int32_t flightStateAfter, float simSeconds, double now) {
    history.lastTickTime = now;
    if (SameState(before, after)) return;
    StepSample sample;
    sample.heli = after;
    sample.time = now;
    sample.simSeconds = simSeconds;
    // A reset, a seek or a file load between two ticks changes the state outside the step: the step then
    // does not continue from the latest sample, and the two are never joined.
    sample.continuous = history.samples > 0 && flightStateBefore == FlightFlying &&
                        flightStateAfter == FlightFlying && SameState(before, history.latest.heli) &&
                        now - history.latest.time <= LongestStepGap && simSeconds > 0.0f;
    history.previous = history.latest;
    history.latest = sample;
    if (history.samples < 0xffffffffu) history.samples += 1;
}

void TurnByFraction(Vec3 fromNose, Vec3 fromUp, Vec3 toNose, Vec3 toUp, float f, Vec3& nose, Vec3& up) {
    nose = toNose;
    up = toUp;
    // R = To * From^T sends each axis of the earlier attitude to the later one.
    const Vec3 from[3] = {fromNose, cross(fromUp, fromNose), fromUp};
    const Vec3 to[3] = {toNose, cross(toUp, toNose), toUp};
    float r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) {
                const float ti[3] = {to[k].x, to[k].y, to[k].z};
                const float fj[3] = {from[k].x, from[k].y, from[k].z};
                sum += ti[i] * fj[j];
            }
            r[i][j] = sum;
        }
    float cosAngle = std::clamp((r[0][0] + r[1][1] + r[2][2] - 1.0f) * 0.5f, -1.0f, 1.0f);
    float angle = std::acos(cosAngle);
    Vec3 axis = set(r[2][1] - r[1][2], r[0][2] - r[2][0], r[1][0] - r[0][1]);
    float axisLength = length(axis);
    // No turn, or a half turn whose axis this cannot tell: keep the latest attitude.
    if (!(angle > 1e-6f) || !(axisLength > 1e-6f) || !std::isfinite(angle)) return;
    Mat4 turn = rotationAxis(axis, angle * f);
    Vec3 n = transform(toNose, turn);
    Vec3 u = transform(toUp, turn);
    if (!Finite(n) || !Finite(u)) return;
    nose = n;
    up = u;
}

SmoothedPose CarryForward(const MotionHistory& history, const HeliState& live, Vec3 liveCameraTarget,
                          int32_t flightState, bool paused, bool enabled, double frameTime) {
    SmoothedPose pose{live.position, live.noseAxis, live.upAxis, liveCameraTarget};
    if (!enabled || paused || flightState != FlightFlying) return pose;
    const StepSample& latest = history.latest;
    const StepSample& previous = history.previous;
    if (history.samples < 2 || !latest.continuous || !SameState(live, latest.heli)) return pose;
    double period = latest.time - previous.time;
    if (!(period > 1e-3)) return pose;
    // Never more than one step ahead of the latest step.
    float f = static_cast<float>(std::clamp((frameTime - latest.time) / period, 0.0, 1.0));

    Vec3 position = add(live.position, scale(live.velocity, latest.simSeconds * f));
    Vec3 nose, up;
    TurnByFraction(previous.heli.noseAxis, previous.heli.upAxis, live.noseAxis, live.upAxis, f, nose, up);
    if (!Finite(position)) return pose;
    pose.position = position;
    pose.noseAxis = nose;
    pose.upAxis = up;
    // The camera filter moves half way to the helicopter on every tick; carry it forward the same way.
    float g = static_cast<float>(
        std::clamp((frameTime - history.lastTickTime) / (StepPeriodMs / 1000.0), 0.0, 1.0));
    pose.cameraTarget = add(liveCameraTarget, scale(sub(live.position, liveCameraTarget), 0.5f * g));
    return pose;
}

double FrameClockSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
