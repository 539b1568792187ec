// Model setup defaults, the usable bounds of its physical values and the exponential rate.
#include "flight/model_setup.h"

#include <cmath>
#include <cstring>

namespace {
ModelSetup MakeDefaultModel() {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    return m;
}

float UsableOrBound(float value, float bound) {
    return (std::isfinite(value) && value > 0.0f) ? value : bound;
}
} // namespace

ModelSetup Model = MakeDefaultModel();
SwashImperfections Swash;

void SetModelSetupDefaults(ModelSetup& m) {
    m.yawRate = 1.0f;
    m.rollCyclicRate = 1.0f;
    m.elevCyclicRate = 1.0f;
    m.maxCollective = 11.0f;
    m.sideThrustPercent = 7.0f;
    m.massKg = 0.8f;
    m.liftAtFullCollective = 2.0f;
    m.translationalLift = 0.55f;
    m.batteryVolts = 11.4f;
    m.translationPitchUp = 0.2f;
    m.groundEffect = 0.7f;
    m.motorTorque = 0.6f;
    m.motorKv = 3550.0f;
    m.rotorInertia = 0.1f;
    m.rotorProfileDrag = 0.007f;
    m.rotorInducedDrag = 0.017f;
    m.pinionTeeth = 12.0f;
    m.rotorDiameter = 0.685f;
    m.gyroMode = 1;
    m.gyroDrift = 0;
    m.gyroGain = 1;
    m.dragForeAft = 1.0f;
    m.dragSide = 1.0f;
    m.dragVertical = 1.0f;
    m.expoRoll = 20;
    m.expoPitch = 20;
    m.expoYaw = 20;
    m.cyclicInstability = 0.1f;
    m.gustPitchUp = 0.4f;
}

void SetDefaultCurves(ModelSetup& m) {
    const int32_t normalPitch[5] = {40, 45, 50, 75, 100};
    const int32_t idleUpPitch[5] = {0, 25, 50, 75, 100};
    const int32_t normalThrottle[5] = {0, 70, 80, 90, 100};
    const int32_t idleUpThrottle[5] = {100, 90, 85, 90, 100};
    std::memcpy(m.normalPitchCurve, normalPitch, sizeof normalPitch);
    std::memcpy(m.idleUpPitchCurve, idleUpPitch, sizeof idleUpPitch);
    std::memcpy(m.normalThrottleCurve, normalThrottle, sizeof normalThrottle);
    std::memcpy(m.idleUpThrottleCurve, idleUpThrottle, sizeof idleUpThrottle);
}

float UsableMass(const ModelSetup& setup) {
    return UsableOrBound(setup.massKg, 0.01f);
}
float UsableRotorInertia(const ModelSetup& setup) {
    return UsableOrBound(setup.rotorInertia, 0.01f);
}
float UsablePinionTeeth(const ModelSetup& setup) {
    return UsableOrBound(setup.pinionTeeth, 9.0f);
}

// Exponent factor by percent / 5; entry 8 is reached only by 40 % and more.
static const float ExpoFactors[9] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.21f, 1.5f, 1.7f};

float ApplyExpo(float x, int32_t percent) {
    int32_t n = percent / 5;
    if (n < 1) return x;
    if (n > 8) n = 8;
    float k = ExpoFactors[n];
    float a = std::fabs(x) * k;
    float y = static_cast<float>((std::exp(static_cast<double>(a)) - 1.0) /
                                 (std::exp(static_cast<double>(k)) - 1.0));
    return x > 0.0f ? y : -y;
}
