// The control inputs as the dynamics step reads them: mapping, reversing, curves, idle-up and hold.
#include "input/control_input.h"

#include <algorithm>

#include "flight/model_setup.h"
#include "input/channel_mapping.h"
#include "input/joystick_calibration.h"
#include "input/shared_field.h"
#include "input/throttle_interlock.h"

float LastControlInputs[5] = {};
float (*ScriptedControlInput)(ControlFunction f) = nullptr;
bool ScriptedIdleUp = false;
bool ScriptedThrottleHold = false;

static PlaybackControls playback;

static bool PlaybackRunning() {
    return playback.playing && playback.playing();
}

void SetPlaybackControls(const PlaybackControls& source) {
    playback = source;
}

static bool ValidFunction(int f) {
    return f >= Roll && f <= Collective;
}

// The idle-up or hold state from the keyboard or a switch; only with the simulator curves.
static bool SwitchFunctionOn(const uint8_t& keyboard, const uint8_t& keyState, const int32_t& source,
                             const uint8_t& reverse) {
    if (!LoadShared(Mapping.useSimCurves)) return false;
    if (LoadShared(keyboard)) return LoadShared(keyState) != 0;
    return IsSwitchOn(LoadShared(source)) != (LoadShared(reverse) != 0);
}

bool IsIdleUpOn() {
    if (PlaybackRunning()) return playback.flag(0);
    if (ScriptedControlInput) return ScriptedIdleUp;
    return SwitchFunctionOn(Mapping.keyboardIdleUp, Mapping.keyIdleUpOn, Mapping.idleUpSwitch,
                            Mapping.idleUpReverse);
}

bool IsThrottleHoldOn() {
    if (PlaybackRunning()) return playback.flag(1);
    if (ScriptedControlInput) return ScriptedThrottleHold;
    return SwitchFunctionOn(Mapping.keyboardThrottleHold, Mapping.keyThrottleHoldOn,
                            Mapping.throttleHoldSwitch, Mapping.throttleHoldReverse);
}

// The reversed, clamped stick of a function before any curve.
static float StickValue(ControlFunction f, bool simCurves) {
    int32_t a = LoadShared(Mapping.axis[(simCurves && f == Collective) ? Throttle : f]);
    float v = NormalizeAxis(a);
    if (LoadShared(Mapping.reverse[f])) v = -v;
    return std::clamp(v, -1.0f, 1.0f);
}

float GetControlInput(ControlFunction f) {
    if (!ValidFunction(f)) return 0.0f;
    if (PlaybackRunning()) return playback.input(f);
    float v;
    if (ScriptedControlInput) {
        v = ScriptedControlInput(f);
    } else {
        bool simCurves = LoadShared(Mapping.useSimCurves) != 0;
        v = StickValue(f, simCurves);
        if (simCurves && f == Throttle) {
            v = (ApplyCurve(v, IsIdleUpOn() ? Model.idleUpThrottleCurve : Model.normalThrottleCurve) + 1.0f) *
                0.5f;
            if (IsThrottleHoldOn()) v = 0.0f;
            if (v < 0.18f) v = 0.0f;
        } else if (simCurves && f == Collective) {
            v = ApplyCurve(v, IsIdleUpOn() ? Model.idleUpPitchCurve : Model.normalPitchCurve);
        }
    }
    LastControlInputs[f] = v;
    return v;
}

float GateMotorThrottle(float throttle, float clockSinceReset) {
    if (PlaybackRunning() || ScriptedControlInput) return throttle;
    float v = InterlockedThrottle(Interlock, throttle, clockSinceReset);
    LastControlInputs[Throttle] = v;
    return v;
}

float GetCollectiveStick() {
    if (PlaybackRunning()) return playback.input(Collective);
    float collective = GetControlInput(Collective);
    if (ScriptedControlInput) return collective;
    if (!LoadShared(Mapping.useSimCurves))
        return LoadShared(Mapping.reverse[Collective]) ? -collective : collective;
    float v = NormalizeAxis(LoadShared(Mapping.axis[Throttle]));
    return LoadShared(Mapping.reverse[Throttle]) ? -v : v;
}
