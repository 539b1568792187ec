// The realistic flight model: a helicopter from rotorcraft physics stepped at a fixed rate (1000 Hz), the
// sticks read every step. Pure computation: the caller owns the records, supplies sticks and air, and
// copies the result into the program's HeliState and flight state.
#pragma once
#include <cstdint>

#include "flight/ground.h"
#include "flight/heli_state.h"
#include "flight/realistic_params.h"
#include "flight/realistic_rotor.h"

constexpr double RealisticStepSeconds = 0.001; // the fixed physics step, 1000 Hz

// A small double-precision vector for the model's own state.
struct Vec3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// The sticks and switches of one step, as the transmitter sends them: roll right, pitch forward (nose
// down), yaw right and collective up positive, -1..1; throttle channel 0..1 (below 0.1 the ESC is off,
// above it the governor holds the head speed of the mode); throttle hold, idle-up and rescue switches.
struct RealisticSticks {
    double roll = 0.0;
    double pitch = 0.0;
    double yaw = 0.0;
    double collective = 0.0;
    double throttle = 0.0;
    bool hold = false;
    bool idleUp = false;
    bool rescue = false;
};

// What the model needs from the world for one step.
struct RealisticEnvironment {
    Vec3d airVelocity;        // m/s, world axes: the velocity of the air (wind and turbulence)
    bool schoolShown = false; // the school building stands in the scene (collisions)
};

// Figures derived once from the parameters.
struct RealisticDerived {
    RotorBlade main;
    RotorBlade tail;
    MotorSetup motor;
    double gearRatio;        // motor turns per rotor turn
    double flapTimeConstant; // 16 / (Lock number x head speed), s
    double headspeed;        // rad/s
    double idleupHeadspeed;  // rad/s
    double openVoltageFull;  // V
    double openVoltageEmpty;
    double capacityCoulomb;
};
RealisticDerived DeriveRealistic(const RealisticParams& p);

// Everything the model carries from one step to the next. Attitude as a unit quaternion turning body
// axes (x right, y nose, z up) into world axes.
struct RealisticState {
    Vec3d position; // centre of mass, m, world
    Vec3d velocity; // m/s, world
    double q[4] = {1.0, 0.0, 0.0, 0.0};
    Vec3d rates;           // rad/s about body x (pitch, nose up +), y (roll, right +), z (yaw, nose left +)
    double rotorOmega = 0; // rad/s
    double flapRight = 0;  // tip-path plane tilt toward the right, rad
    double flapAhead = 0;  // tip-path plane tilt toward the nose, rad
    double mainInduced = 0;
    double tailInduced = 0;
    double charge = 1.0; // battery charge, 1 full .. 0 empty
    // Controllers.
    double governorReference = 0; // rad/s, ramps up at the soft-start rate
    double governorIntegral = 0;  // duty
    double duty = 0;
    Vec3d commandFiltered;          // smoothed commanded rates: x pitch, y roll, z yaw (rad/s)
    double cyclicIntegralRight = 0; // rad of cyclic
    double cyclicIntegralAhead = 0;
    double gyroIntegral = 0; // rad of tail pitch
    double collective = 0;   // rad, as set this step
    double cyclicRight = 0;
    double cyclicAhead = 0;
    double tailPitch = 0;
    // Flight state (the program's FlightState values) and time spent crashed.
    int32_t flightState = FlightFlying;
    double crashSeconds = 0;
    Vec3d pad; // where the skids stood at the start; a state that stops being finite goes back there
    // Outputs of the last step, for instruments, sound and the runner.
    double thrust = 0;         // N
    double driveTorque = 0;    // N m the motor gives the rotor
    double batteryPower = 0;   // W at the terminals
    double batteryCurrent = 0; // A
    double batteryVoltage = 0; // V
    double motorLoad = 0;      // motor torque over its torque at full duty and head speed, 0..1
};

// What happened in a step, for the program to act on (crash report, sounds, random attitudes, reset).
struct RealisticEvents {
    bool landed = false; // touched down within the limits; now resting
    bool liftedOff = false;
    bool crashed = false;   // touched down beyond the limits, or hit the building or the pilot
    Touchdown touchdown{};  // how it touched down (landed or crashed)
    bool resetDue = false;  // crashed three seconds ago: put the helicopter back on its pad
    bool nonFinite = false; // the state stopped being finite and was put back on the pad
};

// A helicopter standing on its pad at `pad` (the skids' bottom at pad.z), rotor stopped, nose along +y.
RealisticState RestingRealistic(const RealisticParams& p, const RealisticDerived& d, Vec3d pad);

// One fixed step of dt seconds (RealisticStepSeconds; any 0 < dt <= 0.002 works).
RealisticEvents StepRealistic(RealisticState& s, const RealisticParams& p, const RealisticDerived& d,
                              const RealisticSticks& sticks, const RealisticEnvironment& env, double dt);

// The program's state record for a model state; pilotEye for the distance and the sound's Doppler factor.
HeliState RealisticHeliState(const RealisticState& s, const RealisticDerived& d, Vec3 pilotEye);

// Euler angles for instruments and the runner, degrees: roll right +, pitch nose up +, yaw (heading)
// nose right + from +y.
Vec3d RealisticEulerDeg(const RealisticState& s);

// Steady flight that trimming finds.
enum class TrimKind { Hover, Level, InvertedHover, Autorotation };
struct TrimRequest {
    TrimKind kind = TrimKind::Hover;
    double height = 10.0; // skids above the ground, m
    double speed = 0.0;   // level flight speed straight ahead, m/s
};
struct TrimResult {
    bool converged = false;
    double collectiveDeg = 0;
    double tailPitchDeg = 0;
    double pitchDeg = 0;
    double rollDeg = 0;
    double rpm = 0;
    double batteryPower = 0;
    double batteryCurrent = 0;
    double descent = 0;   // m/s, positive sinking
    RealisticState state; // the trimmed state with the controllers holding it (governor on)
};
// Finds the steady state by Newton's method on the model's own equations of motion (forces, moments and,
// in autorotation, the rotor's torque balance), over collective, cyclic, tail pitch, roll, pitch (and the
// descent speed). Hover and level flight in normal mode at the head speed with a full battery;
// autorotation with the motor off and the rotor at the idle-up head speed.
TrimResult TrimRealistic(const RealisticParams& p, const RealisticDerived& d, const TrimRequest& request);
