// The gyro modes: perfect head-hold, heading hold and rate gyro.
#include "flight/gyro.h"

#include "flight/gyro_internal.h"
#include "flight/heli_state.h"
#include "flight/sim_rand.h"

float SimClock = 0.0f;
float TorqueAverage = 0.0f;
float TailTrim = 1.0f;
float HeadingAngle = 0.0f;
float HeadingTarget = 0.0f;
float HeadingError = 0.0f;
float LastYawStep = 0.0f;
float RateError = 0.0f;

GyroGains GyroGainsFor(int32_t gyroGain) {
    switch (gyroGain) {
    case 0:
        return GyroGains{1.0f, 4.0f, 0.9f};
    case 1:
        return GyroGains{0.4f, 4.0f, 0.5f};
    default:
        return GyroGains{0.2f, 2.0f, 0.1f};
    }
}

float GyroDriftAmplitude(int32_t gyroDrift) {
    static const float drift[4] = {0.0f, 0.002f, 0.005f, 0.01f};
    if (gyroDrift < 0) gyroDrift = 0;
    if (gyroDrift > 3) gyroDrift = 3;
    return drift[gyroDrift];
}

float YawCommand(float yawRate, float yaw, float w, float dt) {
    return yawRate * -4.0f * yaw * w * dt;
}

float Weathervane(Vec3 right, Vec3 inPlane) {
    return -0.03f * dot(right, inPlane);
}

namespace {
// Resting on the skids: trim that cancels the torque and a fresh heading, or the stopped-rotor values.
void RestOnGround(float rotorRpm) {
    if (rotorRpm > 0.0f) {
        TailTrim = TorqueAverage * 0.0005f / (rotorRpm * 8e-05f);
        HeadingTarget = static_cast<float>(SimRand()) * 0.2f / 32767.0f - 0.1f;
        HeadingAngle = 0.0f;
    } else {
        TailTrim = 0.5f;
        LastYawStep = 0.0f;
    }
}
} // namespace

float GyroYawStep(const ModelSetup& setup, int32_t flightState, float rotorRpm, float yawCmd, float driftWave,
                  float motorTorque, float weathervane) {
    float drift = GyroDriftAmplitude(setup.gyroDrift) * driftWave;
    TorqueAverage = 0.8f * TorqueAverage + 0.2f * motorTorque;
    if (setup.gyroMode == GyroPerfectHeadHold) return yawCmd;

    GyroGains gains = GyroGainsFor(setup.gyroGain);
    if (setup.gyroMode == GyroHeadingHold) {
        if (flightState == FlightResting) {
            RestOnGround(rotorRpm);
            return yawCmd;
        }
        HeadingTarget += yawCmd + drift;
        float e = HeadingAngle - HeadingTarget;
        float d = e - HeadingError;
        HeadingError = e;
        TailTrim += gains.holdKd * d + gains.holdKp * e;
    } else {
        if (flightState == FlightResting) {
            RestOnGround(rotorRpm);
            return rotorRpm > 0.0f ? yawCmd : 0.0f;
        }
        float e = LastYawStep - (yawCmd + drift);
        float d = e - RateError;
        RateError = e;
        TailTrim += gains.rateKd * d + e;
    }
    if (TailTrim > 15.0f) TailTrim = 15.0f;
    if (TailTrim < -5.0f) TailTrim = -5.0f;
    return TorqueAverage * 0.0005f + weathervane - rotorRpm * TailTrim * 8e-05f;
}
