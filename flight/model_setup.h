// The model setup record (saved whole as a .par file), the swash-plate crosstalk block, their defaults
// and the exponential rate the step applies to the cyclic and yaw sticks.
#pragma once
#include <cstddef>
#include <cstdint>

struct ModelSetup {
    int32_t normalPitchCurve[5];
    int32_t idleUpPitchCurve[5];
    int32_t normalThrottleCurve[5];
    int32_t idleUpThrottleCurve[5];
    float yawRate;
    float rollCyclicRate;
    float elevCyclicRate;
    float maxCollective;
    float sideThrustPercent;
    float massKg;
    float liftAtFullCollective;
    float translationalLift;
    float batteryVolts;
    float translationPitchUp;
    float groundEffect;
    float motorTorque;
    float motorKv;
    float rotorInertia;
    float rotorProfileDrag;
    float rotorInducedDrag;
    float pinionTeeth;
    float rotorDiameter;
    int32_t gyroMode;
    int32_t gyroDrift;
    int32_t gyroGain;
    float dragForeAft; // the three drag factors form one vector: fore-aft, side, vertical
    float dragSide;
    float dragVertical;
    int32_t expoRoll;
    int32_t expoPitch;
    int32_t expoYaw;
    float cyclicInstability;
    float gustPitchUp;
};
static_assert(sizeof(ModelSetup) == 196);
static_assert(offsetof(ModelSetup, idleUpPitchCurve) == 20);
static_assert(offsetof(ModelSetup, normalThrottleCurve) == 40);
static_assert(offsetof(ModelSetup, idleUpThrottleCurve) == 60);
static_assert(offsetof(ModelSetup, yawRate) == 80);
static_assert(offsetof(ModelSetup, rollCyclicRate) == 84);
static_assert(offsetof(ModelSetup, elevCyclicRate) == 88);
static_assert(offsetof(ModelSetup, maxCollective) == 92);
static_assert(offsetof(ModelSetup, sideThrustPercent) == 96);
static_assert(offsetof(ModelSetup, massKg) == 100);
static_assert(offsetof(ModelSetup, liftAtFullCollective) == 104);
static_assert(offsetof(ModelSetup, translationalLift) == 108);
static_assert(offsetof(ModelSetup, batteryVolts) == 112);
static_assert(offsetof(ModelSetup, translationPitchUp) == 116);
static_assert(offsetof(ModelSetup, groundEffect) == 120);
static_assert(offsetof(ModelSetup, motorTorque) == 124);
static_assert(offsetof(ModelSetup, motorKv) == 128);
static_assert(offsetof(ModelSetup, rotorInertia) == 132);
static_assert(offsetof(ModelSetup, rotorProfileDrag) == 136);
static_assert(offsetof(ModelSetup, rotorInducedDrag) == 140);
static_assert(offsetof(ModelSetup, pinionTeeth) == 144);
static_assert(offsetof(ModelSetup, rotorDiameter) == 148);
static_assert(offsetof(ModelSetup, gyroMode) == 152);
static_assert(offsetof(ModelSetup, gyroDrift) == 156);
static_assert(offsetof(ModelSetup, gyroGain) == 160);
static_assert(offsetof(ModelSetup, dragForeAft) == 164);
static_assert(offsetof(ModelSetup, dragSide) == 168);
static_assert(offsetof(ModelSetup, dragVertical) == 172);
static_assert(offsetof(ModelSetup, expoRoll) == 176);
static_assert(offsetof(ModelSetup, expoPitch) == 180);
static_assert(offsetof(ModelSetup, expoYaw) == 184);
static_assert(offsetof(ModelSetup, cyclicInstability) == 188);
static_assert(offsetof(ModelSetup, gustPitchUp) == 192);

// Six crosstalk floats in -1..1, zero at start, never saved.
struct SwashImperfections {
    float elevToAileron = 0.0f;
    float aileronToElev = 0.0f;
    float posCollToAileron = 0.0f;
    float negCollToAileron = 0.0f;
    float posCollToElev = 0.0f;
    float negCollToElev = 0.0f;
};
static_assert(sizeof(SwashImperfections) == 24);

extern ModelSetup Model; // built with SetModelSetupDefaults then SetDefaultCurves
extern SwashImperfections Swash;

void SetModelSetupDefaults(ModelSetup& setup); // every field but the four curves
void SetDefaultCurves(ModelSetup& setup);      // the four curves

// Lower bounds the step uses in place of a mass, inertia or pinion count that is not usable
// (zero, negative or not finite); the record keeps its bytes.
float UsableMass(const ModelSetup& setup);
float UsableRotorInertia(const ModelSetup& setup);
float UsablePinionTeeth(const ModelSetup& setup);

// Exponential rate (percent, normally 0..35) applied to a stick value in -1..+1.
float ApplyExpo(float x, int32_t percent);
