// Model setup defaults and the .par file load and save.
#include "app/safe_file.h"
#include "app/model_setup.h"

#include <cmath>
#include <cstdio>
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

bool LoadModelSetup(ModelSetup& setup, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // Read into a copy first so a short file changes only the bytes it holds.
    unsigned char bytes[sizeof(ModelSetup)];
    std::memcpy(bytes, &setup, sizeof bytes);
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    std::memcpy(&setup, bytes, got);
    return true;
}

bool SaveModelSetup(const ModelSetup& setup, const std::string& path) {
    return WriteFileAtomically(path, &setup, sizeof setup);
}

float UsableMass(const ModelSetup& setup) { return UsableOrBound(setup.massKg, 0.01f); }
float UsableRotorInertia(const ModelSetup& setup) { return UsableOrBound(setup.rotorInertia, 0.01f); }
float UsablePinionTeeth(const ModelSetup& setup) { return UsableOrBound(setup.pinionTeeth, 9.0f); }
