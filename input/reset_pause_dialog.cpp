// "Controller Reset + Pause": enable, choose and reverse the reset and pause switches.
#include <imgui.h>

#include "input/channel_mapping.h"
#include "input/controller_switches.h"
#include "input/input_dialogs.h"
#include "ui/dialog_ui.h"

namespace {
constexpr const char* Title = "Controller Reset + Pause";
bool requested = false;
} // namespace

void ShowResetPauseDialog() {
    requested = true;
}

void DrawResetPauseDialog() {
    bool openNow = false;
    if (requested) {
        requested = false;
        openNow = true;
    }
    if (!BeginCenteredModal(Title, openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    bool resetEnabled = Mapping.resetSwitchEnabled != 0;
    bool pauseEnabled = Mapping.pauseSwitchEnabled != 0;
    bool resetReverse = Mapping.resetReverse != 0;
    bool pauseReverse = Mapping.pauseReverse != 0;
    bool reverseClicked = false;

    GroupCaption(" Reset ");
    if (ImGui::Checkbox("Enable controller reset", &resetEnabled)) SetResetSwitchEnabled(resetEnabled);
    ImGui::BeginDisabled(!resetEnabled);
    if (ImGui::Button("Choose##reset")) ChooseSwitch("Reset Simulation", &Mapping.resetSwitch);
    ImGui::SameLine();
    reverseClicked |= ImGui::Checkbox("Reverse##reset", &resetReverse);
    ImGui::EndDisabled();

    GroupCaption(" Pause ");
    if (ImGui::Checkbox("Enable controller pause", &pauseEnabled)) SetPauseSwitchEnabled(pauseEnabled);
    ImGui::BeginDisabled(!pauseEnabled);
    if (ImGui::Button("Choose##pause")) ChooseSwitch("Pause Simulation", &Mapping.pauseSwitch);
    ImGui::SameLine();
    reverseClicked |= ImGui::Checkbox("Reverse##pause", &pauseReverse);
    ImGui::EndDisabled();

    if (reverseClicked) SetResetPauseReverse(resetReverse, pauseReverse);
    ImGui::Spacing();
    if (ImGui::Button("OK", ImVec2(120.0f, 0.0f))) ImGui::CloseCurrentPopup();
    DrawChooserDialogs();
    ImGui::EndPopup();
}
