// Tail rotor and gyro: turns the yaw stick, motor torque, weathervaning and the gyro mode into the yaw of a
// step.
#pragma once
#include <cstdint>
#include "flight/model_setup.h"
#include "flight/vec_math.h"

enum : int32_t { GyroPerfectHeadHold = 0, GyroHeadingHold = 1, GyroRate = 2 };

struct GyroGains {
    float holdKp;
    float holdKd;
    float rateKd;
};
// Gains of gyroGain 0 High, 1 Medium, 2 Low; any other value uses the Low gains.
GyroGains GyroGainsFor(int32_t gyroGain);
// Drift amplitude of gyroDrift 0 Zero, 1 Low, 2 Medium, 3 High; values outside take the nearest entry.
float GyroDriftAmplitude(int32_t gyroDrift);

// yawRate x (-4) x yaw x w x dt: the yaw the stick asks for in this step (radians, positive = nose left).
float YawCommand(float yawRate, float yaw, float w, float dt);
// -0.03 x dot(right, inPlane): the tail's turn into the in-plane airflow.
float Weathervane(Vec3 right, Vec3 inPlane);

// The gyro part of the step: updates TorqueAverage, TailTrim and the heading or rate memories and returns
// the yaw of the step. driftWave is sin(SimClock x pi / 300); motorTorque is this step's motor torque.
// Draws one SimRand value when resting with the rotor turning in heading-hold or rate mode.
float GyroYawStep(const ModelSetup& setup, int32_t flightState, float rotorRpm, float yawCmd, float driftWave,
                  float motorTorque, float weathervane);
