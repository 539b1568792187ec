// What the gyro and the step carry from one step to the next; only flight/'s own files (and tests) use it.
#pragma once

extern float SimClock;      // simulated seconds since the last reset
extern float TorqueAverage; // low-pass filtered motor torque; not cleared by a reset
extern float TailTrim;      // tail-rotor pitch trim, -5..15; 1 after a reset
extern float HeadingAngle;  // sum of the yaw steps since the reset or the last rest with the rotor turning
extern float HeadingTarget;
extern float HeadingError;
extern float LastYawStep;
extern float RateError;
