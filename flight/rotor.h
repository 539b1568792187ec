// Rotor, motor, forces and cyclic response: the pieces of the step that turn sticks and airflow into
// rotor speed, forces and the cyclic part of the attitude change.
#pragma once
#include "flight/model_setup.h"
#include "flight/vec_math.h"

// Cyclic increment of one axis for this step: carry + 3 x rate x stick x w^2 x dt. Stores the carry
// for the next step, clamped to +-cyclicInstability / 100, and returns the unclamped increment.
float CyclicIncrement(float& carry, float cyclicRate, float stick, float w, float dt,
                      float cyclicInstability);

// Tip speed (m/s) of a rotor of the given diameter at the given speed.
float RotorTipSpeed(float rotorRpm, float rotorDiameter);

// Blade angle of attack in degrees; 0 at or below 100 rpm. The arcsine argument is held to -1..1, so the
// result is always finite.
float BladeAngleOfAttack(float rotorRpm, float rotorDiameter, float bladePitchDeg, float vAxial);

// Lift factor for sinking through the disc: 1 up to 2.5 m/s of sink, 1 / (sink - 1.5) above, at least 0.625.
float DescentLiftFactor(float vAxial);

// Motor torque at the rotor (never negative), from the battery voltage, KV, throttle and gearing.
float MotorTorqueAtRotor(const ModelSetup& setup, float voltageFactor, float throttle, float rotorRpm);

// The three torques that slow the rotor: blade profile drag, induced drag, and the brake of a slow
// unpowered rotor.
float ProfileDragTorque(const ModelSetup& setup, float rotorRpm, float aoaDeg);
float InducedDragTorque(const ModelSetup& setup, float rotorRpm, float aoaDeg, float bladePitchDeg);
float RotorBrakeTorque(float rotorRpm, float throttle);

// rotorRpm after one step of the summed torque; below 10 rpm the rotor stops.
float NextRotorRpm(float rotorRpm, float torque, float rotorInertia, float dt);

// Ground effect factor: 1 + h x groundEffect for h = 0.4 x heliScale - height above 0, else 1.
float GroundEffectFactor(float height, float heliScale, float groundEffect);

// Drag along one body axis with its factor and coefficients, including the 0.3 N per m/s beyond 20 m/s.
Vec3 AxisDrag(Vec3 airVel, Vec3 axis, float factor, float k2, float k1);
// Sum of the drag along nose, right and up.
Vec3 BodyDrag(const ModelSetup& setup, Vec3 airVel, Vec3 nose, Vec3 right, Vec3 up);
