// "Calibrate": six live axis bars; the first OK takes the centres, the second ends the extent tracking.
#include <imgui.h>
#include <mutex>

#include "app/shared_flags.h"
#include "flight/heli_state.h"

#include "input/input_dialogs.h"
#include "input/input_ui_widgets.h"
#include "input/joystick_calibration.h"

namespace {
constexpr const char* Title = "Calibrate";
bool requested = false;
CalibrationSession session;
double lastTick = 0.0;
const char* const AxisNames[JoystickAxisCount] = {"X", "Y", "Z", "R", "U", "V"};
} // namespace

void ShowCalibrateDialog() {
    // While the old calibration is discarded every axis reads full deflection; the model must not fly
    // on that, so the simulation pauses (P or Space resumes it afterwards).
    PauseSimulation();
    requested = true;
}

void DrawCalibrateDialog() {
    if (requested) {
        requested = false;
        BeginCalibration(Calibration, session);
        StartDialogTimer(lastTick);
        ImGui::OpenPopup(Title);
    }
    if (!ImGui::BeginPopupModal(Title, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    if (DialogTimerDue(lastTick)) CalibrationTick(Calibration, session);
    for (int i = 0; i < JoystickAxisCount; ++i) {
        ImGui::TextUnformatted(AxisNames[i]);
        ImGui::SameLine(40.0f);
        DrawValueBar(session.bars[i], -1000, 1000);
    }
    ImGui::Spacing();
    ImGui::TextUnformatted(CalibrationPrompt(session));
    ImGui::Spacing();
    if (ImGui::Button("OK", ImVec2(120.0f, 0.0f)) && CalibrationOk(Calibration, session))
        ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}
