// One frame of the window: the scene (or the frozen crash picture), then the menu, dialogs and hints over it.
#include "app/frame_drawing.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "app/crash_report_overlay.h"
#include "app/main_menu_ui.h"
#include "app/menu_actions.h"
#include "app/pilot_aids.h"
#include "app/transmitter_state.h"
#include "assets/safe_file.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "input/control_input.h"
#include "input/input_dialogs.h"
#include "input/transmitter_check.h"
#include "platform/window.h"
#include "recorder/flight_recorder.h"
#include "recorder/record_play_bar_dialog.h"
#include "render/motion_smoothing.h"
#include "render/render_frame.h"
#include "render/textures.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

namespace {
void DrawDialogs() {
    DrawControllerDialogs();
    DrawTransmitterCheck();
    DrawRecordPlayBar();
    DrawSubsystemDialogs();
    DrawFileChooser();
    // What went wrong since the last frame shows in one box (at start, every file that could not be read).
    std::string messages;
    for (const std::string& message : TakeUserMessages())
        messages += (messages.empty() ? "" : "\n\n") + message;
    if (!messages.empty()) ShowMessageBox(messages, FilesCaption);
    DrawMessageBoxes();
}
} // namespace

void CaptureControls(RenderSnapshot& s) {
    s.rollInput = GetControlInput(Roll);
    s.pitchInput = GetControlInput(Pitch);
    s.yawInput = GetControlInput(Yaw);
    s.collectiveStick = GetCollectiveStick();
    s.idleUpOn = IsIdleUpOn();
    s.throttleHoldOn = IsThrottleHoldOn();
    s.recorderPlaying = RecorderPlaying();
    s.recorderRecording = RecorderRecording();
}

void DrawOneFrame() {
    int width, height;
    GetWindowPixelSize(width, height);
    BeginUiFrame();
    int menuHeight = DrawMainMenuBar();
    DrawDialogs();
    int clientW = width;
    int clientH = std::max(1, height - menuHeight);

    int32_t state;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        state = FlightState;
    }
    if (state != FlightCrashShown) {
        ServeTextureReloads();
        CaptureRenderSnapshot();
        SmoothSnapshot(FrameSnapshot, FrameClockSeconds());
        OverlayScale = UiScale();
        UpdateViewZoom(FrameClockSeconds(), false);
        RenderFrame(clientW, clientH);
        bool justCrashed = false;
        {
            std::lock_guard<std::mutex> lock(SimMutex);
            // The crash seen by this frame's snapshot freezes this very picture.
            if (FlightState == FlightCrashed && FrameSnapshot.flightState == FlightCrashed) {
                FlightState = FlightCrashShown;
                justCrashed = true;
            }
        }
        if (justCrashed) {
            FreezeCurrentFrame(clientW, clientH);
            state = FlightCrashShown;
        }
    } else {
        DrawFrozenFrame(clientW, clientH);
    }
    if (state == FlightCrashShown)
        DrawCrashReport(menuHeight, clientW, clientH);
    else
        DrawControllerHint(menuHeight, clientW, clientH);
    DrawPilotAidHints(menuHeight, clientW, clientH);
    EndUiFrame();
    SwapMainWindow();
}
