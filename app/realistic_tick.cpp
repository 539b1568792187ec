// The realistic flight model stepped at 1000 Hz inside the 50 ms tick, and joined to the program's
// flight state, crash handling, recorder, trail, flight log, wind and sound.
#include "app/realistic_tick.h"

#include <cmath>
#include <mutex>
#include <thread>

#include "app/flight_model_choice.h"
#include "app/hover_trainer_shell.h"
#include "app/shared_flags.h"
#include "app/sim_step.h"
#include "app/sim_tick.h"
#include "flight/field.h"
#include "flight/ground.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "input/control_input.h"
#include "log/flight_log.h"
#include "recorder/flight_recorder.h"
#include "render/motion_smoothing.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"
#include "sound/sound_levels.h"

RealisticState RealisticNow;
uint64_t RealisticSteps = 0;

namespace {
void SleepUntil(std::chrono::steady_clock::time_point deadline) {
    std::this_thread::sleep_until(deadline);
}

// mph to m/s for the wind, as the classic step converts it.
constexpr float MphToMs = 0.447f;

float clockSinceReset = 0.0f; // for the motor interlock: rises every step, 0 on the pad
bool resetPending = false;    // the program reset the helicopter; the model follows at its next step
double stepDebt = 0.0;        // simulated steps owed by the speed setting, carried between ticks
void (*earlierResetHook)() = nullptr;
float heardLoad = 0.0f; // the motor's load the sound was last given (kept while paused)

// The drawing's origin sits where the classic model keeps it: RestHeight above the ground at rest, the
// model's centre of mass skidDepth above it; the difference lies along the body's up axis.
float OriginAboveCentre() {
    return RestHeight() - static_cast<float>(ActiveFlightModel.params.skidDepthM);
}

void PublishHeli() {
    Heli = RealisticHeliState(RealisticNow, ActiveFlightModel.derived, PilotEye);
    Heli.position = add(Heli.position, scale(Heli.upAxis, OriginAboveCentre()));
    FlightState = RealisticNow.flightState;
    Vec3 air = sub(scale(Wind.windVelocity, MphToMs), Turbulence.turbVelocity);
    airspeedMph = length(sub(Heli.velocity, air)) * 2.24f;
}

// A quaternion turning body axes (x right, y nose, z up) into world axes given nose and up.
void QuaternionFromAxes(Vec3 nose, Vec3 up, double q[4]) {
    Vec3 right = cross(nose, up);
    double m[3][3] = {{right.x, nose.x, up.x}, {right.y, nose.y, up.y}, {right.z, nose.z, up.z}};
    double trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0) {
        double s = 2.0 * std::sqrt(trace + 1.0);
        q[0] = 0.25 * s;
        q[1] = (m[2][1] - m[1][2]) / s;
        q[2] = (m[0][2] - m[2][0]) / s;
        q[3] = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        double s = 2.0 * std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]);
        q[0] = (m[2][1] - m[1][2]) / s;
        q[1] = 0.25 * s;
        q[2] = (m[0][1] + m[1][0]) / s;
        q[3] = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] > m[2][2]) {
        double s = 2.0 * std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]);
        q[0] = (m[0][2] - m[2][0]) / s;
        q[1] = (m[0][1] + m[1][0]) / s;
        q[2] = 0.25 * s;
        q[3] = (m[1][2] + m[2][1]) / s;
    } else {
        double s = 2.0 * std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]);
        q[0] = (m[1][0] - m[0][1]) / s;
        q[1] = (m[0][2] + m[2][0]) / s;
        q[2] = (m[1][2] + m[2][1]) / s;
        q[3] = 0.25 * s;
    }
    double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int i = 0; i < 4; ++i)
        q[i] /= n;
}

// A safe touchdown with random attitudes on: thrown into the next one, the rotor still turning.
void ThrowRandomAttitude() {
    GenerateRandomAttitude();
    Vec3 up = RandomAttitude.startUp;
    Vec3 nose = RandomAttitude.startNose;
    normalize(up);
    normalize(nose);
    Vec3 centre = sub(RandomAttitude.startPosition, scale(up, OriginAboveCentre()));
    RealisticNow.position = {centre.x, centre.y, centre.z};
    Vec3 v = RandomAttitude.startVelocity;
    RealisticNow.velocity = {v.x, v.y, v.z};
    QuaternionFromAxes(nose, up, RealisticNow.q);
    RealisticNow.rates = Vec3d{};
    RealisticNow.flightState = FlightFlying;
}

void RealisticResetHook() {
    if (earlierResetHook) earlierResetHook();
    resetPending = true;
}

// The tick's own 50 ms work after its physics steps: the flight log, the recorder frame and trail
// sample (when the helicopter flew), wind, turbulence, the hover trainer and the sound. loadSum is the
// motor's load summed over the tick's loadSteps physics steps.
void FiftyMillisecondWork(const HeliState& start, int32_t startState, float seconds, bool flew,
                          double loadSum, int loadSteps) {
    if (flew) {
        ClassifyFlightTime(start, startState, seconds);
        RecordFrameAndTrail();
    }
    StepWind(seconds);
    StepTurbulence(seconds);
    HoverTrainerTick();
    // The sound hears the motor's mean load over the tick, not one step's governor ripple.
    if (loadSteps > 0) heardLoad = static_cast<float>(loadSum / loadSteps);
    PublishSoundInputs(Heli.rotorRpm, Heli.pilotDistance, Heli.dopplerFactor, heardLoad);
    PublishSoundPosition(Heli.position.x, Heli.position.y);
}
} // namespace

void (*WaitForPhysicsStep)(std::chrono::steady_clock::time_point deadline) = SleepUntil;

bool RealisticTickDue() {
    return ActiveFlightModel.realistic && !RecorderPlaying();
}

bool TakeRealisticTick() {
    if (RealisticTickDue()) return true;
    if (ActiveFlightModel.realistic) resetPending = true;
    return false;
}

RealisticSticks ReadRealisticSticks() {
    const StepSticks read = ReadStepSticks();
    RealisticSticks s;
    s.roll = read.roll;
    s.pitch = read.pitch;
    s.yaw = read.yaw;
    s.throttle = read.throttle;
    s.collective = read.collective;
    s.hold = IsThrottleHoldOn();
    s.idleUp = IsIdleUpOn();
    return s;
}

void PutRealisticOnPad() {
    Vec3d pad{HeliStartPosition.x, HeliStartPosition.y, 0.0};
    RealisticNow = RestingRealistic(ActiveFlightModel.params, ActiveFlightModel.derived, pad);
    clockSinceReset = 0.0f;
    resetPending = false;
    PublishHeli();
}

void StepRealisticOnce(RealisticSticks sticks) {
    if (resetPending) PutRealisticOnPad();
    // The speed controller's interlock: after a start or a reset the motor waits for the throttle at idle.
    float next = clockSinceReset + static_cast<float>(RealisticStepSeconds);
    clockSinceReset = next > clockSinceReset ? next : std::nextafter(clockSinceReset, 1e30f);
    sticks.throttle = GateMotorThrottle(static_cast<float>(sticks.throttle), clockSinceReset);
    // The lock commands and the crash picture change FlightState on the main thread.
    RealisticNow.flightState = FlightState;
    HeliState before = Heli;
    int32_t flightStateBefore = FlightState;
    RealisticEnvironment env;
    Vec3 air = sub(scale(Wind.windVelocity, MphToMs), Turbulence.turbVelocity);
    env.airVelocity = {air.x, air.y, air.z};
    env.schoolShown = showSchoolBuilding;
    RealisticEvents ev = StepRealistic(RealisticNow, ActiveFlightModel.params, ActiveFlightModel.derived,
                                       sticks, env, RealisticStepSeconds);
    RealisticSteps += 1;
    if (ev.crashed) {
        CrashCount += 1;
        CrashTicks = 0;
        WriteCrashReport(ev.touchdown);
        PlayCrashSound();
    }
    if (ev.landed && RandomAttitude.randomAttitudesEnabled) ThrowRandomAttitude();
    if (ev.nonFinite) NonFiniteResets += 1;
    if (ev.resetDue) {
        ResetHelicopter(); // ends the crash sound, clears the trail
        PutRealisticOnPad();
    }
    PublishHeli();
    // The drawing carries the helicopter forward from the last two physics states.
    RecordStep(StepHistory, before, flightStateBefore, Heli, FlightState,
               static_cast<float>(RealisticStepSeconds), FrameClockSeconds());
}

void RealisticTick() {
    using namespace std::chrono;
    const steady_clock::time_point start = steady_clock::now();
    int steps = 0;
    float seconds = 0.0f;
    HeliState tickStart;
    int32_t tickStartState = FlightFlying;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        if (PauseHeld) SimPaused = true;
        SimTimeStep = TimeStepForSpeed(SimSpeed);
        seconds = SimTimeStep;
        stepDebt += seconds / RealisticStepSeconds;
        steps = static_cast<int>(std::floor(stepDebt + 1e-6));
        stepDebt = std::max(0.0, stepDebt - steps);
        tickStart = Heli;
        tickStartState = FlightState;
        // The camera's target follows at the tick's own rate, as with the classic model.
        smoothedCameraTarget = add(scale(smoothedCameraTarget, 0.5f), scale(Heli.position, 0.5f));
    }
    const auto period = duration_cast<steady_clock::duration>(milliseconds(TickPeriodMs));
    bool flew = false;
    double loadSum = 0.0;
    int loadSteps = 0;
    for (int k = 0; k < steps; ++k) {
        WaitForPhysicsStep(start + period * k / steps);
        const bool sticksLost = ReadSticksForStep && !ReadSticksForStep();
        std::lock_guard<std::mutex> lock(SimMutex);
        if (!RealisticTickDue()) return; // the model changed or a recording began to play
        // Nothing flies on a transmitter that vanished, nor while Calibrate rebuilds the axes.
        if (sticksLost || PauseHeld) SimPaused = true;
        const bool crashed = FlightState == FlightCrashed || FlightState == FlightCrashShown;
        // The crash countdown runs while paused, as in the classic model.
        if (SimPaused && !crashed) continue;
        StepRealisticOnce(ReadRealisticSticks());
        loadSum += RealisticNow.motorLoad;
        loadSteps += 1;
        flew = flew || !crashed;
    }
    std::lock_guard<std::mutex> lock(SimMutex);
    FiftyMillisecondWork(tickStart, tickStartState, seconds, flew, loadSum, loadSteps);
}

void InstallRealisticTick() {
    earlierResetHook = OnHelicopterReset;
    OnHelicopterReset = RealisticResetHook;
    OnFlightModelChanged = [] {
        if (ActiveFlightModel.realistic) PutRealisticOnPad();
    };
}
