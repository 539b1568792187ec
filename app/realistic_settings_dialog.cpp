// "Realistic Helicopter Settings": rates, expo, head speeds, collective range, gyro gain and self-level of
// the helicopter file in use; OK saves the pilot's copy and flies it, a value out of range keeps the
// dialog open with the reason.
#include "app/realistic_settings_dialog.h"

#include <imgui.h>
#include <string>

#include "app/dialog_widgets.h"
#include "app/realistic_settings.h"
#include "assets/safe_file.h"
#include "flight/sim_control.h"

namespace {
const char* const PopupId = "Realistic Helicopter Settings";

RealisticSettingsForm form;
std::string refusal; // why the last OK was refused, shown until the next one
} // namespace

void ShowRealisticSettingsDialog() {
    if (!FillRealisticSettingsForm(form)) {
        PostUserMessage("Realistic Helicopter Settings: choose a helicopter in Model > Flight Model first.");
        return;
    }
    refusal.clear();
    PauseSimulation();
    RequestDialog(DialogKind::RealisticSettings);
}

void DrawRealisticSettingsDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::RealisticSettings, PopupId, &closeBox)) return;

    ImGui::Text("Helicopter: %s", form.name.c_str());
    ImGui::Spacing();
    const char* labels[RealisticSettingCount];
    for (int i = 0; i < RealisticSettingCount; ++i)
        labels[i] = RealisticSettingLabel(i);
    const float labelWidth =
        WidestText(labels, RealisticSettingCount) + ImGui::GetStyle().ItemSpacing.x * 2.0f;
    ImGui::BeginGroup();
    for (int i = 0; i < RealisticSettingCount; ++i) {
        const RealisticParamInfo& info = RealisticSettingInfo(i);
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(labels[i]);
        ImGui::SameLine(labelWidth);
        ImGui::SetNextItemWidth(NumberBoxWidth(8));
        ImGui::InputDouble(("##realistic" + std::to_string(i)).c_str(), &form.values[i], 0.0, 0.0, "%.4g");
        ImGui::SameLine();
        ImGui::TextDisabled("%g .. %g", info.min, info.max);
    }
    ImGui::Checkbox("Self-level: the cyclic stick commands an attitude", &form.selfLevel);
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;
    if (!refusal.empty()) ImGui::TextColored(ImVec4(0.8f, 0.1f, 0.1f, 1.0f), "%s", refusal.c_str());

    ImGui::Spacing();
    const char* const buttons[] = {"OK", "Cancel"};
    const int pressed = RightAlignedButtons(rightEdge, buttons, 2);
    if (pressed == 0 || DialogEnterPressed()) {
        // Saved outside the simulation lock: the file is synced to disk before the new values fly.
        if (ConfirmRealisticSettingsForm(form, refusal)) ImGui::CloseCurrentPopup();
    } else if (!closeBox || pressed == 1 || DialogEscapePressed()) {
        ImGui::CloseCurrentPopup();
    }
    EndDialog();
}
