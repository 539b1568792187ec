// "Calibrate": live bars over each axis's whole travel with the captured extents; the first OK takes the
// centres, the second ends the extent tracking (with a warning for an axis barely moved); Cancel and Esc
// put the old calibration back.
#include <imgui.h>
#include <mutex>

#include "flight/heli_state.h"
#include "flight/sim_control.h"

#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/transmitter.h"
#include "ui/dialog_ui.h"

namespace {
constexpr const char* Title = "Calibrate";
bool requested = false;
bool firstStart = false;
bool inProgress = false; // opened and not yet closed: the old calibration is in the session
CalibrationSession session;
double lastTick = 0.0;

// The dialog closed: the pause may be lifted again (the switch watch kept following the switches
// meanwhile, so a switch moved in circles with the sticks fires nothing now).
void ReleasePauseHold() {
    inProgress = false;
    PauseHeld = false;
}

// Axes of the device in use; all six when it is not plugged in.
int AxesOfDeviceInUse() {
    for (const JoystickDeviceInfo& d : PresentJoystickDevices())
        if (d.id == Calibration.joystickId) return d.axes;
    return JoystickAxisCount;
}
} // namespace

void ShowCalibrateDialog() {
    // While the old calibration is discarded every axis reads full deflection; the model must not fly
    // on that, so the simulation pauses and stays paused while the dialog is open (P or Space resumes
    // it afterwards).
    PauseSimulation();
    PauseHeld = true;
    requested = true;
    firstStart = false;
}

void ShowFirstCalibration() {
    ShowCalibrateDialog();
    firstStart = true;
}

void DrawCalibrateDialog() {
    bool openNow = false;
    if (requested) {
        requested = false;
        BeginCalibration(Calibration, session);
        session.axisCount = AxesOfDeviceInUse();
        inProgress = true;
        StartDialogTimer(lastTick);
        openNow = true;
    }
    if (!BeginCenteredModal(Title, openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    if (DialogTimerDue(lastTick)) CalibrationTick(Calibration, session);
    if (firstStart) {
        ImGui::TextUnformatted("Your transmitter is connected but not calibrated yet. The simulation waits");
        if (session.phase == CalibrationCentrePhase) {
            ImGui::TextUnformatted(
                "until you are done: centre all sticks (the throttle stick too), press OK,");
            ImGui::TextUnformatted("then move every stick to its ends in circles and press OK again.");
        } else {
            // The last page: the simulation stays paused after OK.
            ImGui::TextUnformatted("until you are done: move every stick to its ends in circles, press OK.");
            ImGui::TextUnformatted("Then press P (or your pause switch) to fly.");
        }
        ImGui::Separator();
    }
    for (int i = 0; i < JoystickAxisCount; ++i) {
        ImGui::PushID(i);
        ImGui::TextUnformatted(AxisNames[i]);
        ImGui::SameLine(40.0f);
        DrawValueBar(session.bars[i], -1000, 1000);
        ImGui::SameLine();
        if (session.phase == CalibrationCentrePhase)
            ImGui::TextDisabled("min      -  centre      -  max      -");
        else
            ImGui::Text("min %6d  centre %6d  max %6d", Calibration.minRaw[i], Calibration.centreRaw[i],
                        Calibration.maxRaw[i]);
        ImGui::PopID();
    }
    ImGui::Spacing();
    ImGui::TextUnformatted(CalibrationPrompt(session));
    ImGui::Spacing();
    bool close = false;
    if (session.phase == CalibrationWarningPhase) {
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + 520.0f);
        ImGui::TextColored(ImVec4(1.0f, 0.8f, 0.2f, 1.0f), "%s", CalibrationWarning(session).c_str());
        ImGui::PopTextWrapPos();
        if (ImGui::Button("Go on", ImVec2(120.0f, 0.0f))) {
            CalibrationGoOn(Calibration, session);
            close = true;
        }
        ImGui::SameLine();
        if (ImGui::Button("Redo", ImVec2(120.0f, 0.0f))) CalibrationRedo(Calibration, session);
    } else if (ImGui::Button("OK", ImVec2(120.0f, 0.0f)) && CalibrationOk(Calibration, session)) {
        close = true;
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", ImVec2(120.0f, 0.0f)) ||
        ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) {
        CancelCalibration(Calibration, session);
        close = true;
    }
    if (close) {
        firstStart = false;
        ReleasePauseHold();
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
}

void CancelCalibrationInProgress() {
    if (!inProgress) return;
    CancelCalibration(Calibration, session);
    ReleasePauseHold();
}
