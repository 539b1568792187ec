// The flight model's step joined to the controls, the flight log, the crash sound and the recorder.
#include "app/sim_step.h"

#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "input/control_input.h"
#include "log/flight_log.h"
#include "recorder/flight_recorder.h"
#include "sound/crash_sounds.h"

// In this order: the recorder stores what GetControlInput returned last for each function.
StepSticks ReadStepSticks() {
    StepSticks s;
    s.roll = GetControlInput(Roll);
    s.pitch = GetControlInput(Pitch);
    s.yaw = GetControlInput(Yaw);
    s.throttle = GetControlInput(Throttle);
    s.collective = GetControlInput(Collective);
    return s;
}

void StepSimulation(float dt) {
    StepInputs inputs;
    inputs.sticks = ReadStepSticks();
    inputs.paused = SimPaused;
    inputs.slowMotion = SlowMotionPlayback && RecorderPlaying();
    inputs.gateThrottle = GateMotorThrottle;
    StepOutcome out = StepHelicopter(inputs, dt);

    if (out.classify) ClassifyFlightTime(out.classifyState, out.classifyFlightState, out.classifySeconds);
    if (out.crashed) PlayCrashSound();
    if (out.reset) EndCrashSound();
    if (out.completed) RecordFrameAndTrail();
}

void RecordFrameAndTrail() {
    for (int f = Roll; f <= Collective; f++)
        ControlsForFrame.controls[f] = LastControlInputs[f];
    ControlsForFrame.idleUp = IsIdleUpOn();
    ControlsForFrame.throttleHold = IsThrottleHoldOn();
    RecorderStepFrame();
    AddTrailSample(Heli.position);
}
