// Rotor, motor and force formulas of the dynamics step.
#include "flight/rotor.h"

#include <cmath>

#include "flight/rotor_internal.h"

CyclicCarryState CyclicCarry;

// Drag coefficients by body axis (nose, right, up), used by BodyDrag only.
const Vec3 DragQuadratic{0.04f, 0.12f, 0.08f};
const Vec3 DragLinear{0.025f, 0.2f, 0.3f};

float CyclicIncrement(float& carry, float cyclicRate, float stick, float w, float dt,
                      float cyclicInstability) {
    float increment = carry + 3.0f * cyclicRate * stick * w * w * dt;
    float limit = cyclicInstability * 0.01f;
    float kept = increment;
    if (kept > limit) kept = limit;
    if (kept < -limit) kept = -limit;
    carry = kept;
    return increment;
}

float RotorTipSpeed(float rotorRpm, float rotorDiameter) {
    return rotorRpm * rotorDiameter * Pi / 60.0f;
}

float BladeAngleOfAttack(float rotorRpm, float rotorDiameter, float bladePitchDeg, float vAxial) {
    if (!(rotorRpm > 100.0f)) return 0.0f;
    float tipSpeed = RotorTipSpeed(rotorRpm, rotorDiameter);
    if (!(tipSpeed > 0.0f)) return 0.0f;
    float arg = (tipSpeed * std::sin(bladePitchDeg * DegToRad) - vAxial) / tipSpeed;
    // A fast climb or sink through a slow rotor can push the argument past +-1.
    if (std::isnan(arg))
        arg = 0.0f;
    else if (arg < -1.0f)
        arg = -1.0f;
    else if (arg > 1.0f)
        arg = 1.0f;
    return std::asin(arg) * RadToDeg;
}

float DescentLiftFactor(float vAxial) {
    float sink = -vAxial;
    if (!(sink > 0.5f)) return 1.0f;
    float x = sink - 1.5f;
    if (x < 1.0f) x = 1.0f;
    if (x > 1.6f) x = 1.6f;
    return 1.0f / x;
}

float MotorTorqueAtRotor(const ModelSetup& setup, float voltageFactor, float throttle, float rotorRpm) {
    float pinion = UsablePinionTeeth(setup);
    float noLoadRpm = setup.batteryVolts * voltageFactor * setup.motorKv * throttle * pinion / 150.0f;
    float motor = (noLoadRpm - rotorRpm) * setup.motorTorque * 12.0f / pinion;
    return motor < 0.0f ? 0.0f : motor;
}

float ProfileDragTorque(const ModelSetup& setup, float rotorRpm, float aoaDeg) {
    float a = std::fabs(aoaDeg);
    float cd = a > 3.0f ? (a - 3.0f) * 0.0003f + 0.001f : 0.001f;
    return -cd * setup.rotorProfileDrag * rotorRpm * rotorRpm;
}

float InducedDragTorque(const ModelSetup& setup, float rotorRpm, float aoaDeg, float bladePitchDeg) {
    return -aoaDeg * rotorRpm * setup.rotorInducedDrag * bladePitchDeg * 0.1745329201221466f;
}

float RotorBrakeTorque(float rotorRpm, float throttle) {
    if (rotorRpm < 800.0f && throttle < 0.2f) return -0.2f * (800.0f - rotorRpm);
    return 0.0f;
}

float NextRotorRpm(float rotorRpm, float torque, float rotorInertia, float dt) {
    float rpm = rotorRpm + torque / rotorInertia * dt;
    return rpm < 10.0f ? 0.0f : rpm;
}

float GroundEffectFactor(float height, float heliScale, float groundEffect) {
    float h = 0.4f * heliScale - height;
    return h > 0.0f ? 1.0f + h * groundEffect : 1.0f;
}

Vec3 AxisDrag(Vec3 airVel, Vec3 axis, float factor, float k2, float k1) {
    float v = dot(airVel, axis);
    float excess = 0.0f;
    if (v > 20.0f)
        excess = v - 20.0f;
    else if (v < -20.0f)
        excess = v + 20.0f;
    float magnitude = (std::fabs(v) * k2 + k1) * factor * v + 0.3f * excess;
    return scale(axis, -magnitude);
}

Vec3 BodyDrag(const ModelSetup& setup, Vec3 airVel, Vec3 nose, Vec3 right, Vec3 up) {
    Vec3 fNose = AxisDrag(airVel, nose, setup.dragForeAft, DragQuadratic.x, DragLinear.x);
    Vec3 fRight = AxisDrag(airVel, right, setup.dragSide, DragQuadratic.y, DragLinear.y);
    Vec3 fUp = AxisDrag(airVel, up, setup.dragVertical, DragQuadratic.z, DragLinear.z);
    return add(add(fNose, fRight), fUp);
}
