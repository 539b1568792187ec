// Wind and turbulence generators.
#include "flight/wind.h"

#include "flight/sim_rand.h"

WindState Wind;
TurbulenceState Turbulence;

float DirectionShiftSpan(int32_t directionShifts) {
    static const float spans[5] = {0.0f, 20.0f, 45.0f, 90.0f, 180.0f};
    if (directionShifts < 0) directionShifts = 0;
    if (directionShifts > 4) directionShifts = 4;
    return spans[directionShifts];
}

float TurbulenceLevelFactor(int32_t turbLevel) {
    switch (turbLevel) {
    case 1:
        return 0.1f;
    case 2:
        return 0.25f;
    case 3:
        return 0.5f;
    default:
        return turbLevel >= 4 ? 1.0f : 0.0f;
    }
}

void StepWind(float dt) {
    WindState& w = Wind;
    w.windTimer -= dt;
    if (w.windTimer < 0.0f) {
        // Draw order: timer, angle, then the gust speed for the gusty types.
        float timerSpan = w.windType == WindSuddenGusts ? 6.0f : 12.0f;
        w.windTimer = static_cast<float>(SimRand()) * timerSpan / 32768.0f;
        float angleDeg = static_cast<float>(SimRand()) * DirectionShiftSpan(w.directionShifts) / 32768.0f -
                         45.0f * static_cast<float>(w.windDirection);
        float speed = 0.0f;
        if (w.windType >= WindSteady) speed = w.windSpeed;
        if (w.windType >= WindGradualGusts)
            speed += static_cast<float>(SimRand()) * w.gustLullDifference / 32768.0f - 0.5f;
        Vec3 target{0.0f, speed, 0.0f};
        rotateZ(target, angleDeg * DegToRad);
        w.windTarget = scale(target, -1.0f);
    }
    Vec3 old = w.windVelocity;
    if (w.windType == WindNone) {
        w.windVelocity = WorldZero;
    } else if (w.windType == WindSteady || w.windType == WindGradualGusts) {
        w.windVelocity = scale(add(scale(w.windVelocity, 49.0f), w.windTarget), 1.0f / 50.0f);
    } else {
        w.windVelocity = scale(add(scale(w.windVelocity, 19.0f), w.windTarget), 1.0f / 20.0f);
    }
    // A zero time step leaves the last rate in place instead of dividing by zero.
    if (dt > 0.0f) w.windRate = scale(sub(w.windVelocity, old), 1.0f / dt);
}

void StepTurbulence(float dt) {
    TurbulenceState& t = Turbulence;
    t.turbTimer -= dt;
    if (t.turbTimer < 0.0f) {
        t.turbTimer = static_cast<float>(SimRand()) / 32768.0f;
        if (t.turbLevel <= 0) {
            t.turbTarget = WorldZero;
        } else {
            float factor = TurbulenceLevelFactor(t.turbLevel);
            float x = static_cast<float>(SimRand()) * 1.0f * factor / 32768.0f;
            float y = static_cast<float>(SimRand()) * 1.0f * factor / 32768.0f;
            float z = static_cast<float>(SimRand()) * 2.0f * factor / 32768.0f;
            t.turbTarget = Vec3{x, y, z};
        }
        t.turbKick = scale(sub(t.turbTarget, t.turbVelocity), 5.0f);
        t.turbKick.z = 0.0f;
    }
    t.turbVelocity.x = 0.8f * t.turbVelocity.x + 0.2f * t.turbTarget.x;
    t.turbVelocity.y = 0.8f * t.turbVelocity.y + 0.2f * t.turbTarget.y;
    t.turbVelocity.z = 0.8f * t.turbVelocity.z + 0.2f * t.turbTarget.z;
}
