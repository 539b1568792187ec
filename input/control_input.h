// The five control functions as the dynamics step reads them, and the idle-up / throttle-hold state.
#pragma once
#include <cstdint>

enum ControlFunction : int32_t { Roll = 0, Pitch = 1, Yaw = 2, Throttle = 3, Collective = 4 };

// Roll, pitch, yaw and collective in -1..+1; throttle 0..1 with the simulator curves.
float GetControlInput(ControlFunction f);
// The throttle the motor gets in a step: the throttle read held at 0 by the start and reset interlock
// (input/throttle_interlock.h) while flying on the live sticks; playback and scripts pass through.
// clockSinceReset is SimClock.
float GateMotorThrottle(float throttle, float clockSinceReset);
bool IsIdleUpOn();
bool IsThrottleHoldOn();
float GetCollectiveStick();
// The value GetControlInput last returned per function (the recorder stores them). Main-thread callers
// of GetControlInput / GetCollectiveStick hold SimMutex, so these are only written under it.
extern float LastControlInputs[5];

// Five-point curve (percent at stick -1, -0.5, 0, +0.5, +1) applied to a stick value in -1..+1;
// points outside 0..100 extrapolate linearly.
float ApplyCurve(float x, const int32_t points[5]);

// Scripted control source for whole flights flown without a joystick (tests, benchmarks).
// When set, GetControlInput returns its value for every function (after playback, which always wins),
// and IsIdleUpOn / IsThrottleHoldOn return ScriptedIdleUp / ScriptedThrottleHold.
extern float (*ScriptedControlInput)(ControlFunction f);
extern bool ScriptedIdleUp;
extern bool ScriptedThrottleHold;

// While a recording plays, the controls give its frame's sticks and switches instead of the live (or
// scripted) ones. The shell joins these to the recorder at start-up; until then the controls read no
// playback.
struct PlaybackControls {
    bool (*playing)() = nullptr;                // a recording is playing
    float (*input)(int32_t function) = nullptr; // the played frame's control function 0..4
    bool (*flag)(int32_t index) = nullptr;      // the played frame's idle-up (0) and throttle hold (1)
};
void SetPlaybackControls(const PlaybackControls& source);
