// A fresh simulation with scripted sticks, and the scripted flights kept as reference data: together they
// pass through every term of the step, the rotor, the gyro modes and gains, ground contact and crash
// judging, wind, turbulence and the training aids.
#include "pinned_flights.h"

#include <cmath>
#include <cstring>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "app/sim_step.h"
#include "app/user_prefs.h"
#include "flight/field.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "flight/gyro_internal.h"
#include "flight/heli_step.h"
#include "flight/rotor.h"
#include "flight/rotor_internal.h"
#include "flight/sim_rand_internal.h"
#include "flight/trail.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "input/control_input.h"
#include "log/flight_log.h"
#include "recorder/flight_recorder_internal.h"

PilotSticks Sticks;

namespace {
float ScriptedSticks(ControlFunction f) {
    const float values[5] = {Sticks.roll, Sticks.pitch, Sticks.yaw, Sticks.throttle, Sticks.collective};
    return values[f];
}

void Hover(HoverPilot& pilot, float = 0.0f) {
    Sticks = FlyHover(pilot, Heli);
}

void Idle(float throttle) {
    Sticks = PilotSticks{};
    Sticks.throttle = throttle;
}

// As the main loop does once it has drawn the crash report.
void ShowCrash() {
    if (FlightState == FlightCrashed) FlightState = FlightCrashShown;
}

// Spool-up on the pad (heading hold draws its start offset every resting step), lift-off through ground
// effect, hover, then a let-down at about 1 m/s (descent lift) to a soft landing, throttle closed.
void SpoolUpAndLetDown(HoverPilot& pilot, float t) {
    if (t < 2.0f || t >= 16.0f) return Idle(t < 2.0f ? 0.9f : 0.0f);
    pilot.targetZ = t < 9.0f ? 1.5f : std::fmax(1.5f - (t - 9.0f), -1.0f);
    Hover(pilot);
}

// The collective raised slowly on the pad: lift-off the first step the net force points up.
void SlowLiftOff(HoverPilot&, float t) {
    Idle(0.9f);
    Sticks.collective = t < 2.0f ? 0.0f : 0.04f * (t - 2.0f) + 0.15f;
}

// Throttle cut at height: the rotor runs down, the fall is judged a crash, 60 steps later the reset.
void ThrottleCut(HoverPilot&, float) {
    Idle(0.0f);
    Sticks.collective = 0.3f;
    ShowCrash();
}

void RestThenHover(HoverPilot& pilot, float t) {
    if (t < 8.0f) return Idle(0.0f);
    Hover(pilot);
}

void TurbulenceRamp(HoverPilot& pilot, float t) {
    Turbulence.turbLevel = 1 + static_cast<int32_t>(t / 4.0f);
    Hover(pilot);
}

// Flying away at 2 m/s with yaw and crosstalk: translation terms, all three rotations at once.
void ForwardWithCrosstalk(HoverPilot& pilot, float t) {
    Swash = SwashImperfections{0.05f, -0.04f, 0.03f, -0.02f, 0.02f, 0.03f};
    pilot.targetY = 6.0f + 2.0f * t;
    pilot.targetZ = 3.0f;
    Hover(pilot);
    Sticks.yaw = 0.4f * std::sin(t);
}

// The yaw stick in odd and in even seconds.
void HoverYawing(HoverPilot& pilot, float t, float odd, float even) {
    Hover(pilot);
    Sticks.yaw = static_cast<int>(t) % 2 ? odd : even;
}

// Random attitudes thrown from a hop with the rotor at speed: flat blades until the hop comes down and the
// throw, then the hover pilot recovers.
void RandomAttitudes(HoverPilot& pilot, float t, int32_t altitude, int32_t orientationAndMotion, float z) {
    RandomAttitude.randomAttitudesEnabled = 1;
    RandomAttitude.altitudeLevel = altitude;
    RandomAttitude.orientationLevel = RandomAttitude.motionLevel = orientationAndMotion;
    pilot.targetY = 15.0f;
    pilot.targetZ = z;
    Hover(pilot);
    if (t < 0.5f) Sticks.collective = 0.0f;
}

void RandomMedium(HoverPilot& pilot, float t) {
    RandomAttitudes(pilot, t, 1, 1, 8.0f);
    ShowCrash();
}

// The locks: XYZ with cyclic and yaw, XY with the collective up and down, then a reset.
void PositionLocks(HoverPilot&, float t) {
    Idle(0.9f);
    if (t >= 1.0f && t < 4.0f && FlightState == FlightResting) FlightState = FlightLockXYZ;
    if (t >= 1.5f && t < 4.0f) {
        Sticks.roll = 0.4f;
        Sticks.pitch = -0.3f;
        Sticks.yaw = 0.5f;
    }
    if (t >= 4.0f && t < 8.5f) {
        if (FlightState == FlightLockXYZ) FlightState = FlightLockXY;
        Sticks.collective = t < 6.0f ? 1.0f : -1.0f;
    }
    if (t >= 8.5f && FlightState == FlightLockXY) ResetHelicopter();
}

void IntoThePilot(HoverPilot& pilot, float) {
    pilot.targetY = -2.0f;
    Hover(pilot);
}

void IntoTheBuilding(HoverPilot& pilot, float) {
    pilot.targetY = Heli.position.y - 10.0f;
    pilot.targetZ = 2.5f;
    Hover(pilot);
}

// Touching down banked 20 degrees to the right.
void BankedTouchdown(HoverPilot&, float t) {
    if (t == 0.0f) Heli.upAxis = Vec3{0.34202f, 0.0f, 0.93969f};
    Idle(0.9f);
}

// Wind type, where it comes from, its shifts, speed and gust-lull difference in mph; turbulence level.
struct Air {
    int32_t type, direction, shifts;
    float mph, gustLull;
    int32_t turbulence;
};

struct Gyro {
    int32_t mode, gain, drift;
};

// A script: its sticks each tick (and what a menu command would change); where it is launched flying with
// the rotor at 2500 rpm (OnPad: it starts on the pad), and at what velocity; its gyro and air.
const Vec3 OnPad{0.0f, 0.0f, 0.0f};
struct Script {
    const char* name;
    float seconds;
    void (*control)(HoverPilot& pilot, float t);
    Vec3 launch = OnPad;
    Vec3 velocity{0.0f, 0.0f, 0.0f};
    Gyro gyro{GyroHeadingHold, 1, 0};
    Air air{WindNone, 0, 0, 4.0f, 10.0f, 0};
};

const Vec3 Hop(0.0f, 6.0f, 0.015f - TestMeshLowestPoint + 0.02f); // just above the rest height

const Script Scripts[] = {
    {"spool-up, hover, let down", 18.0f, SpoolUpAndLetDown},
    {"slow lift-off", 7.0f, SlowLiftOff},
    {"throttle cut and crash", 9.0f, ThrottleCut, Vec3(1.0f, 7.0f, 6.0f), Vec3(0.5f, 0.0f, 0.0f)},
    // Steady 4 mph wind from the north over a helicopter at rest, then a hover in it.
    {"steady wind from N", 16.0f, RestThenHover, OnPad, OnPad, Gyro(GyroHeadingHold, 1, 0),
     Air(WindSteady, 0, 0, 4.0f, 0.0f, 0)},
    {"wind from E, shifts, hold high", 10.0f, Hover, Vec3(0.0f, 6.0f, 1.5f), OnPad,
     Gyro(GyroHeadingHold, 0, 1), Air(WindSteady, 2, 2, 8.0f, 0.0f, 0)},
    {"gradual gusts, rate gyro medium", 12.0f, Hover, Vec3(0.0f, 6.0f, 2.0f), OnPad, Gyro(GyroRate, 1, 2),
     Air(WindGradualGusts, 5, 3, 6.0f, 8.0f, 0)},
    {"sudden gusts, turb 4, rate low", 12.0f, Hover, Vec3(0.0f, 6.0f, 2.5f), OnPad, Gyro(GyroRate, 2, 3),
     Air(WindSuddenGusts, 3, 4, 10.0f, 10.0f, 4)},
    {"turbulence 1 to 3, hold low", 12.0f, TurbulenceRamp, Vec3(0.0f, 6.0f, 2.0f), OnPad,
     Gyro(GyroHeadingHold, 2, 2)},
    {"forward, all sticks, head hold", 10.0f, ForwardWithCrosstalk, Vec3(0.0f, 6.0f, 3.0f), OnPad,
     Gyro(GyroPerfectHeadHold, 0, 0)},
    {"yaw steps, rate gyro high", 8.0f, [](HoverPilot& p, float t) { HoverYawing(p, t, 0.6f, -0.3f); },
     Vec3(-1.0f, 5.0f, 2.0f), OnPad, Gyro(GyroRate, 0, 1)},
    {"yaw steps, heading hold medium", 8.0f, [](HoverPilot& p, float t) { HoverYawing(p, t, -0.5f, 0.4f); },
     Vec3(1.0f, 7.0f, 2.0f)},
    {"random attitudes medium", 8.0f, RandomMedium, Hop},
    {"random attitudes crazy", 8.0f, [](HoverPilot& p, float t) { RandomAttitudes(p, t, 2, 3, 3.0f); }, Hop},
    {"position locks", 10.0f, PositionLocks},
    {"into the building", 8.0f, IntoTheBuilding, Vec3(3.0f, -6.0f, 2.5f), Vec3(0.0f, -6.0f, 0.0f)},
    {"into the pilot", 6.0f, IntoThePilot, Vec3(0.0f, 3.0f, 1.5f), Vec3(0.0f, -3.0f, 0.0f)},
    // Touchdowns judged by their speeds and angles: sliding in fast, then banked.
    {"fast sideways touchdown", 4.0f, [](HoverPilot&, float) { Idle(0.9f); }, Vec3(2.0f, 8.0f, 0.25f),
     Vec3(7.0f, 0.0f, -0.5f)},
    {"banked touchdown", 4.0f, BankedTouchdown, Vec3(-2.0f, 8.0f, 0.5f), Vec3(0.0f, 0.0f, -0.5f)},
};
} // namespace

void FreshSimulation() {
    MeshLowestPoint = TestMeshLowestPoint; // the mesh loader's output, set instead of loading a mesh
    SetModelSetupDefaults(Model);
    SetDefaultCurves(Model);
    Swash = SwashImperfections{};
    Wind = WindState{};
    Turbulence = TurbulenceState{};
    RandomAttitude = RandomAttitudeSettings{};
    CyclicCarry = CyclicCarryState{};
    TorqueAverage = 0.0f;
    LastYawStep = 0.0f;
    RateError = 0.0f;
    SimPaused = false;
    SlowMotionPlayback = false;
    Recorder.playing = false;
    Recorder.recording = false;
    CrashSoundEnabled = false;
    TrailCapacity = 400;
    Sticks = PilotSticks{};
    ScriptedControlInput = ScriptedSticks;
    SimRandState = 1;
    smoothedCameraTarget = Vec3{};
    ResetSession();
    ResetHelicopter();
    CrashTicks = 0;
    NonFiniteResets = 0;
}

void RunTicks(int n, float dt) {
    for (int i = 0; i < n; ++i) {
        StepSimulation(dt);
        StepWind(dt);
        StepTurbulence(dt);
    }
}

int PinnedFlightScriptCount() {
    return static_cast<int>(std::size(Scripts));
}

PinnedFlight FlyPinnedFlight(int index, float dt) {
    const Script& s = Scripts[index];
    FreshSimulation();
    Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
    Model.gyroMode = s.gyro.mode;
    Model.gyroGain = s.gyro.gain;
    Model.gyroDrift = s.gyro.drift;
    Wind.windType = s.air.type;
    Wind.windDirection = s.air.direction;
    Wind.directionShifts = s.air.shifts;
    Wind.windSpeed = s.air.mph;
    Wind.gustLullDifference = s.air.gustLull;
    Turbulence.turbLevel = s.air.turbulence;
    if (s.launch.z > 0.0f) {
        Heli.position = s.launch;
        Heli.velocity = s.velocity;
        Heli.rotorRpm = 2500.0f;
        FlightState = FlightFlying;
    }
    HoverPilot pilot;
    PinnedFlight flight{s.name, dt, {}};
    int ticks = static_cast<int>(std::lround(s.seconds / dt));
    for (int i = 0; i < ticks; ++i) {
        s.control(pilot, static_cast<float>(i) * dt);
        RunTicks(1, dt);
        flight.ticks.push_back(PinnedTick{{}, FlightState, SimRandState});
        std::memcpy(flight.ticks.back().state, &Heli, sizeof flight.ticks.back().state);
    }
    return flight;
}
