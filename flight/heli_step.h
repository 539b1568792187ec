// One step of the classic flight model and the reset to the pad. The step only computes: it reads the
// records of flight/ and the sticks it is given, changes Heli and the flight memories, and reports what
// the caller has to do about it (classify time, a crash sound, the recorder frame, the trail sample).
#pragma once
#include <cstdint>

#include "flight/ground.h"
#include "flight/heli_state.h"
#include "flight/vec_math.h"

// The control inputs of one step as the transmitter gives them: roll, pitch, yaw and collective in -1..+1,
// throttle 0..1 (curves and hold already applied). A value that is not a number counts as the stick centred.
struct StepSticks {
    float roll = 0.0f;
    float pitch = 0.0f;
    float yaw = 0.0f;
    float throttle = 0.0f;
    float collective = 0.0f;
};

struct StepInputs {
    StepSticks sticks;
    bool paused = false;     // only the camera filter and a crash countdown run
    bool slowMotion = false; // slow-motion playback: one call in eight steps
    // Applied to the throttle once the step reaches the controls, with the clock since the last reset
    // (the start and reset motor interlock); none leaves the throttle as read.
    float (*gateThrottle)(float throttle, float clockSinceReset) = nullptr;
};

// What happened in one step, in the order the caller acts on it.
struct StepOutcome {
    // Simulated time to add to the flight log, classified by the state the step started from.
    bool classify = false;
    HeliState classifyState;
    int32_t classifyFlightState = FlightFlying;
    float classifySeconds = 0.0f;
    // A touchdown judged a crash: FlightState is FlightCrashed, CrashReportText holds the report and the
    // crash sound (with its random draw) is due.
    bool crashed = false;
    Touchdown touchdown{};
    // A touchdown judged safe (the helicopter stands, or a random attitude was thrown).
    bool landed = false;
    // The helicopter was put back on its pad (end of the crash countdown, or a state that was not finite).
    bool reset = false;
    // The step ran to its end: the recorder frame of this step, then the trail sample, are due.
    bool completed = false;
};

extern const Vec3 PilotEye;
extern Vec3 HeliStartPosition; // (0, 6, z); z becomes MeshLowestPoint at every reset
extern Vec3 smoothedCameraTarget;
extern float airspeedMph;
// Times the step found a non-finite state (from unusable setup values) and put the helicopter back on its
// pad.
extern uint32_t NonFiniteResets;

// One step of the flight model (simulation thread, SimMutex held).
StepOutcome StepHelicopter(const StepInputs& inputs, float dt);

// Puts the helicopter back on its pad and ends a position lock or a crash. Callers hold SimMutex.
// OnHelicopterReset (when set) runs first: the program ends a crash sound there.
void ResetHelicopter();
extern void (*OnHelicopterReset)();

// True when every component of the state is a finite number.
bool IsFiniteState(const HeliState& state);
