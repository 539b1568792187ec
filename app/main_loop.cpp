// The main loop: events, the joystick poll of every pass, the 50 ms switch and key watch, and one frame.
#include <cstdint>

#include "app/app_wiring.h"
#include "app/frame_drawing.h"
#include "app/menu.h"
#include "app/pilot_aids.h"
#include "app/shared_flags.h"
#include "app/transmitter.h"
#include "app/transmitter_state.h"
#include "flight/sim_control.h"
#include "input/channel_mapping.h"
#include "input/controller_switches.h"
#include "platform/key_latch.h"
#include "platform/quit_signals.h"
#include "platform/window.h"
#include "recorder/flight_recorder.h"

namespace {
constexpr uint64_t WatchPeriodMs = StepPeriodMs;
} // namespace

void WatchSwitchesAndKeys() {
    PollControllerSwitches();
    if (KeyPressedSinceLastQuery(KeyLeftCtrl)) return ToggleKeyboardIdleUp();
    if (KeyPressedSinceLastQuery(KeyRightCtrl)) return ToggleKeyboardThrottleHold();
    if (KeyPressedSinceLastQuery(KeySpace)) return ResetCommand();
    if (KeyPressedSinceLastQuery(KeyP)) return PauseCommand();
    if (KeyPressedSinceLastQuery(KeyR)) return ToggleBar();
    if (KeyPressedSinceLastQuery(KeyI)) return ToggleKeyboardIdleUp();
    if (KeyPressedSinceLastQuery(KeyH)) return ToggleKeyboardThrottleHold();
    if (KeyPressedSinceLastQuery(KeyF11)) return ToggleFullScreen();
    WatchZoomKeys();
}

void RunMainLoop(const PlatformEvents& events) {
    uint64_t nextWatch = MillisecondsNow() + WatchPeriodMs;
    while (!QuitRequested) {
        // Closing the window, Exit, or SIGHUP/SIGINT/SIGQUIT/SIGTERM all end in the same shutdown.
        if (!PumpEvents(events) || QuitSignalReceived()) {
            QuitRequested = true;
            break;
        }
        // A transmitter found gone by this poll pauses at once, before its removal event arrives.
        if (!ServiceJoystickPoll()) TransmitterLost();
        OfferFirstCalibration();
        uint64_t now = MillisecondsNow();
        if (now >= nextWatch) {
            WatchSwitchesAndKeys();
            nextWatch += WatchPeriodMs;
            if (nextWatch <= now) nextWatch = now + WatchPeriodMs;
        }
        DrawOneFrame();
    }
}
