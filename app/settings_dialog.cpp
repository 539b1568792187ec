// The settings dialogs' frame, their boxes and radio groups, the OK / Cancel row and the per-frame entry.
#include <cstring>
#include <mutex>
#include <vector>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "ui/message_box.h"

namespace {

DialogKind pendingDialog = DialogKind::None;
bool dialogShownThisFrame = false;
bool dialogShownLastFrame = false;

} // namespace

void RequestDialog(DialogKind kind) {
    pendingDialog = kind;
}

bool BeginDialog(DialogKind kind, const char* popupId, bool* closeBox) {
    const bool openNow = pendingDialog == kind;
    if (openNow) pendingDialog = DialogKind::None;
    if (!BeginCenteredModal(popupId, openNow, closeBox, DialogWindowFlags)) return false;
    dialogShownThisFrame = true;
    return true;
}

void EndDialog() {
    ImGui::EndPopup();
}

bool LabelledBox(const char* label, float labelWidth, const char* id, SettingsBoxText& box, float boxWidth,
                 ImGuiInputTextFlags flags, ImGuiInputTextCallback filter) {
    const float rowStart = ImGui::GetCursorScreenPos().x;
    // Blanks around a label would shift it off the column edge; the words stay as they are.
    const char* begin = label;
    const char* end = label + std::strlen(label);
    while (begin < end && *begin == ' ')
        ++begin;
    while (end > begin && end[-1] == ' ')
        --end;
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(begin, end);
    ImGui::SameLine();
    ImGui::SetCursorScreenPos(ImVec2(rowStart + labelWidth, ImGui::GetCursorScreenPos().y));
    ImGui::SetNextItemWidth(boxWidth);
    if (filter) flags |= ImGuiInputTextFlags_CallbackCharFilter;
    return ImGui::InputText(id, box.data(), box.size(), flags, filter);
}

int DigitsOnlyFilter(ImGuiInputTextCallbackData* data) {
    return (data->EventChar >= '0' && data->EventChar <= '9') ? 0 : 1;
}

int DigitsAndPointFilter(ImGuiInputTextCallbackData* data) {
    return ((data->EventChar >= '0' && data->EventChar <= '9') || data->EventChar == '.') ? 0 : 1;
}

void RadioGroupButtons(const RadioGroup& group, int32_t& checkedValue, int32_t disabledValue) {
    ImGui::PushID(group.caption);
    for (int i = 0; i < group.count; ++i) {
        const RadioChoice& choice = group.choices[i];
        const bool disabled = choice.value == disabledValue;
        if (disabled) ImGui::BeginDisabled();
        if (ImGui::RadioButton(choice.label, checkedValue == choice.value)) checkedValue = choice.value;
        if (disabled) ImGui::EndDisabled();
    }
    ImGui::PopID();
}

void DrawSettingsDialogs() {
    dialogShownThisFrame = false;
    DrawHelicopterSettingsDialog();
    DrawSwashImperfectionsDialog();
    DrawCurveEditorDialog();
    DrawExponentialRatesDialog();
    DrawGyroSettingsDialog();
    DrawWindSettingsDialog();
    DrawRandomAttitudeDialog();
    DrawAboutDialog();
    DrawTimeLogDialog();
    dialogShownLastFrame = dialogShownThisFrame;
}

bool SettingsDialogIsOpen() {
    return dialogShownLastFrame || pendingDialog != DialogKind::None;
}

void OkCancelButtons(float rightEdge, bool closeBoxOpen, const std::function<void()>& confirm) {
    const char* const buttons[] = {"OK", "Cancel"};
    const int pressed = RightAlignedButtons(rightEdge, buttons, 2);
    const bool ok = pressed == 0 || DialogEnterPressed();
    const bool cancel = !closeBoxOpen || pressed == 1 || DialogEscapePressed();
    if (ok) {
        std::lock_guard<std::mutex> lock(SimMutex);
        confirm();
    }
    if (ok || cancel) ImGui::CloseCurrentPopup();
}
