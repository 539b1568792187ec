// The rotor, motor, force and gyro figures, checked against the numbers the model is built around.
#include <gtest/gtest.h>

#include <cmath>

#include "app/model_setup.h"
#include "flight/gyro.h"
#include "flight/heli_state.h"
#include "flight/rotor.h"
#include "flight/sim_rand.h"
#include "pinned_flights.h"

TEST(Rotor, ThrustNearTwentyTwoNewtonsAtFullCollective) {
    // Pure formula: 11 degrees of blade pitch, no inflow, 2500 rpm.
    float aoa = BladeAngleOfAttack(2500.0f, 0.685f, 11.0f, 0.0f);
    EXPECT_NEAR(aoa, 11.0f, 1e-4f);
    EXPECT_NEAR(aoa * Model.liftAtFullCollective, 22.0f, 1e-3f);

    // In the step: the force of one step, at 5 m (no ground effect) in still air, seen in the velocity
    // change.
    FreshSimulation();
    Heli.position = Vec3{0.0f, 6.0f, 5.0f};
    Heli.rotorRpm = 2500.0f;
    Sticks.collective = 1.0f;
    Sticks.throttle = 0.9f;
    const float dt = 0.05f;
    StepHelicopter(dt);
    float thrust = Heli.velocity.z / dt * Model.massKg + Model.massKg * 9.8f;
    EXPECT_NEAR(thrust, 22.0f, 0.05f);
    EXPECT_NEAR(Model.massKg * 9.8f, 7.84f, 1e-5f);
}

TEST(Rotor, MotorTorqueBrakeAndStoppedRotor) {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    EXPECT_NEAR(m.batteryVolts * m.motorKv * 12.0f / 150.0f, 3237.6f, 0.01f);
    EXPECT_NEAR(MotorTorqueAtRotor(m, 1.0f, 1.0f, 0.0f), 1942.56f, 0.01f);
    EXPECT_EQ(MotorTorqueAtRotor(m, 1.0f, 0.0f, 500.0f), 0.0f);
    EXPECT_EQ(MotorTorqueAtRotor(m, 1.0f, -0.5f, 500.0f), 0.0f); // a negative throttle never brakes
    EXPECT_EQ(MotorTorqueAtRotor(m, 1.0f, 0.5f, 3000.0f), 0.0f); // above no-load speed: no torque
    EXPECT_FLOAT_EQ(RotorBrakeTorque(500.0f, 0.0f), -60.0f);
    EXPECT_FLOAT_EQ(RotorBrakeTorque(500.0f, 0.19f), -60.0f);
    EXPECT_EQ(RotorBrakeTorque(500.0f, 0.2f), 0.0f);
    EXPECT_EQ(RotorBrakeTorque(800.0f, 0.0f), 0.0f);
    EXPECT_EQ(NextRotorRpm(15.0f, -100.0f, 0.1f, 0.05f), 0.0f); // never negative: below 10 rpm it stops
    EXPECT_FLOAT_EQ(NextRotorRpm(10.5f, -0.5f, 0.1f, 0.05f), 10.25f);

    // On the pad with the throttle closed, 500 rpm runs down to 0 and stays there.
    FreshSimulation();
    RunTicks(1);
    ASSERT_EQ(FlightState, FlightResting);
    Heli.rotorRpm = 500.0f;
    float previous = Heli.rotorRpm;
    int steps = 0;
    while (Heli.rotorRpm > 0.0f && steps < 200) {
        RunTicks(1);
        EXPECT_LT(Heli.rotorRpm, previous);
        previous = Heli.rotorRpm;
        ++steps;
    }
    EXPECT_EQ(Heli.rotorRpm, 0.0f);
    RunTicks(20);
    EXPECT_EQ(Heli.rotorRpm, 0.0f);
    EXPECT_EQ(FlightState, FlightResting);
}

TEST(Rotor, AngleOfAttackLiftFactorAndDragTorques) {
    EXPECT_EQ(BladeAngleOfAttack(100.0f, 0.685f, 11.0f, 0.0f), 0.0f);
    float tip = RotorTipSpeed(100.5f, 0.685f);
    EXPECT_NEAR(tip, 100.5f * 0.685f * Pi / 60.0f, 1e-5f);
    float expect = std::asin((tip * std::sin(11.0f * DegToRad) - 1.0f) / tip) * RadToDeg;
    EXPECT_NEAR(BladeAngleOfAttack(100.5f, 0.685f, 11.0f, 1.0f), expect, 1e-4f);
    // Climbing or sinking faster than the slow tips move: the arcsine argument is held to -1..1.
    EXPECT_NEAR(BladeAngleOfAttack(150.0f, 0.685f, 11.0f, 40.0f), -90.0f, 1e-3f);
    EXPECT_NEAR(BladeAngleOfAttack(150.0f, 0.685f, 11.0f, -40.0f), 90.0f, 1e-3f);
    EXPECT_TRUE(std::isfinite(BladeAngleOfAttack(2500.0f, 0.685f, 11.0f, NAN)));
    EXPECT_EQ(BladeAngleOfAttack(2500.0f, 0.0f, 11.0f, 1.0f), 0.0f);

    EXPECT_EQ(DescentLiftFactor(-0.5f), 1.0f);
    EXPECT_EQ(DescentLiftFactor(-2.5f), 1.0f);
    EXPECT_NEAR(DescentLiftFactor(-2.8f), 1.0f / 1.3f, 1e-6f);
    EXPECT_NEAR(DescentLiftFactor(-3.1f), 0.625f, 1e-6f);
    EXPECT_NEAR(DescentLiftFactor(-10.0f), 0.625f, 1e-6f);
    EXPECT_EQ(DescentLiftFactor(5.0f), 1.0f);

    ModelSetup m{};
    SetModelSetupDefaults(m);
    EXPECT_NEAR(ProfileDragTorque(m, 2000.0f, 2.0f), -0.001f * 0.007f * 4e6f, 1e-3f);
    EXPECT_NEAR(ProfileDragTorque(m, 2000.0f, -5.0f), -(2.0f * 0.0003f + 0.001f) * 0.007f * 4e6f, 1e-3f);
    EXPECT_NEAR(InducedDragTorque(m, 2000.0f, 4.0f, 5.0f),
                -4.0f * 2000.0f * 0.017f * 5.0f * 0.1745329201221466f, 1e-3f);
}

TEST(Rotor, CyclicCarryGroundEffectAndDrag) {
    float carry = 0.0f;
    // An increment of 0.05 (rate 1, full stick, w = 1, dt 1/60) keeps 0.001 for the next step.
    float inc = CyclicIncrement(carry, 1.0f, 1.0f, 1.0f, 0.05f / 3.0f, 0.1f);
    EXPECT_NEAR(inc, 0.05f, 1e-7f);
    EXPECT_FLOAT_EQ(carry, 0.001f);
    EXPECT_FLOAT_EQ(CyclicIncrement(carry, 1.0f, 0.0f, 1.0f, 0.05f, 0.1f), 0.001f); // stick centred
    carry = 0.0f;
    CyclicIncrement(carry, 1.0f, -1.0f, 1.0f, 0.05f, 0.1f);
    EXPECT_FLOAT_EQ(carry, -0.001f);
    carry = 0.0f;
    CyclicIncrement(carry, 1.0f, 1.0f, 1.0f, 0.05f, 0.0f);
    EXPECT_EQ(carry, 0.0f);

    EXPECT_NEAR(GroundEffectFactor(0.0f, 1.5f, 0.7f), 1.42f, 1e-6f);
    EXPECT_EQ(GroundEffectFactor(0.6f, 1.5f, 0.7f), 1.0f);
    EXPECT_EQ(GroundEffectFactor(3.0f, 1.5f, 0.7f), 1.0f);

    // 25 m/s along the nose: the excess of 5 m/s adds 1.5 N beyond the quadratic law.
    Vec3 f = AxisDrag(Vec3{25.0f, 0, 0}, WorldUnitX, 1.0f, 0.04f, 0.025f);
    float quadratic = (25.0f * 0.04f + 0.025f) * 25.0f;
    EXPECT_NEAR(-f.x - quadratic, 1.5f, 1e-4f);
    Vec3 back = AxisDrag(Vec3{-25.0f, 0, 0}, WorldUnitX, 1.0f, 0.04f, 0.025f);
    EXPECT_NEAR(back.x, quadratic + 1.5f, 1e-4f);
    Vec3 slow = AxisDrag(Vec3{20.0f, 0, 0}, WorldUnitX, 1.0f, 0.04f, 0.025f);
    EXPECT_NEAR(-slow.x, (20.0f * 0.04f + 0.025f) * 20.0f, 1e-4f);
    ModelSetup m{};
    SetModelSetupDefaults(m);
    Vec3 sum = BodyDrag(m, Vec3{0, 0, -2.0f}, WorldUnitY, WorldUnitX, WorldUnitZ);
    EXPECT_NEAR(sum.z, (2.0f * 0.08f + 0.3f) * 2.0f, 1e-5f);
    EXPECT_NEAR(sum.x, 0.0f, 1e-7f);
}

TEST(Gyro, PerfectHeadHoldHeadingHoldAndRateGyro) {
    FreshSimulation();
    ModelSetup m = Model;

    // Perfect head-hold with the yaw stick centred: exactly 0 whatever the torque and the airflow.
    m.gyroMode = GyroPerfectHeadHold;
    EXPECT_EQ(
        GyroYawStep(m, FlightFlying, 2500.0f, 0.0f, 0.7f, 1500.0f, Weathervane(WorldUnitX, Vec3{3, 0, 0})),
        0.0f);
    EXPECT_FLOAT_EQ(GyroYawStep(m, FlightFlying, 2500.0f, 0.02f, 0.7f, 1500.0f, 0.3f), 0.02f);

    // Heading hold, resting, torque 100 at 2500 rpm: the trim cancelling the torque is 0.25.
    m.gyroMode = GyroHeadingHold;
    m.gyroDrift = 0;
    TorqueAverage = 100.0f;
    HeadingAngle = 0.3f;
    uint32_t before = SimRandState;
    EXPECT_FLOAT_EQ(GyroYawStep(m, FlightResting, 2500.0f, 0.01f, 0.0f, 100.0f, 0.0f), 0.01f);
    EXPECT_FLOAT_EQ(TailTrim, 0.25f);
    EXPECT_EQ(HeadingAngle, 0.0f);
    EXPECT_NE(SimRandState, before); // the start offset is a fresh draw
    EXPECT_GE(HeadingTarget, -0.1f);
    EXPECT_LE(HeadingTarget, 0.1f);
    // The same torque in flight with no error and no airflow: yaw 0.05 - 0.05 = 0.
    HeadingTarget = 0.0f;
    HeadingError = 0.0f;
    EXPECT_NEAR(GyroYawStep(m, FlightFlying, 2500.0f, 0.0f, 0.0f, 100.0f, 0.0f), 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(TailTrim, 0.25f);

    // A trim update that would reach 20 stores 15; one below -5 stores -5.
    TailTrim = 14.0f;
    HeadingAngle = 0.0f;
    HeadingTarget = -1.5f; // e = 1.5: kd 4 x 1.5 + kp 0.4 x 1.5 = 6.6 on top of 14
    HeadingError = 0.0f;
    GyroYawStep(m, FlightFlying, 2500.0f, 0.0f, 0.0f, 100.0f, 0.0f);
    EXPECT_EQ(TailTrim, 15.0f);
    HeadingTarget = 10.0f;
    GyroYawStep(m, FlightFlying, 2500.0f, 0.0f, 0.0f, 100.0f, 0.0f);
    EXPECT_EQ(TailTrim, -5.0f);

    // Stopped rotor on the ground: trim 0.5 and no yaw in both gyro modes.
    LastYawStep = 0.4f;
    EXPECT_EQ(GyroYawStep(m, FlightResting, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f), 0.0f);
    EXPECT_EQ(TailTrim, 0.5f);
    EXPECT_EQ(LastYawStep, 0.0f);
    m.gyroMode = GyroRate;
    EXPECT_EQ(GyroYawStep(m, FlightResting, 0.0f, 0.3f, 0.0f, 0.0f, 0.0f), 0.0f);

    // Rate gyro, gain Low: the error itself plus 0.1 times its change.
    m.gyroGain = 2;
    TailTrim = 1.0f;
    RateError = 0.02f;
    LastYawStep = 0.05f;
    TorqueAverage = 0.0f;
    GyroYawStep(m, FlightFlying, 2000.0f, 0.01f, 0.0f, 0.0f, 0.0f);
    float e = 0.05f - 0.01f;
    EXPECT_NEAR(TailTrim, 1.0f + 0.1f * (e - 0.02f) + e, 1e-6f);
    EXPECT_FLOAT_EQ(RateError, e);

    EXPECT_EQ(GyroDriftAmplitude(0), 0.0f);
    EXPECT_EQ(GyroDriftAmplitude(3), 0.01f);
    EXPECT_EQ(GyroDriftAmplitude(99), 0.01f); // out-of-table values stay inside it
    EXPECT_EQ(GyroDriftAmplitude(-4), 0.0f);
    EXPECT_FLOAT_EQ(YawCommand(1.0f, 1.0f, 1.0f, 0.05f), -0.2f);
    EXPECT_EQ(YawCommand(1.0f, 1.0f, 0.0f, 0.05f), 0.0f);
}

TEST(Gyro, DriftMovesTheHeadingTargetAtMostByItsAmplitude) {
    FreshSimulation();
    ModelSetup m = Model;
    m.gyroMode = GyroHeadingHold;
    m.gyroDrift = 3;
    HeadingTarget = 0.0f;
    for (float wave : {1.0f, -1.0f, 0.5f}) {
        float before = HeadingTarget;
        GyroYawStep(m, FlightFlying, 2500.0f, 0.0f, wave, 0.0f, 0.0f);
        EXPECT_NEAR(HeadingTarget - before, 0.01f * wave, 1e-7f);
    }
    m.gyroDrift = 0;
    float before = HeadingTarget;
    GyroYawStep(m, FlightFlying, 2500.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(HeadingTarget, before);
}
