// "Helicopter Settings": the twenty model constants in five groups, with "Defaults", OK and Cancel.
#include <cstdio>
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"

namespace {

const char* const PopupId = "Helicopter Settings";

ModelSetup* editedSetup = nullptr;
HelicopterSettingsForm form;

// Groups of the left column, then of the right column.
const int LeftGroups[] = {0, 1, 2};
const int RightGroups[] = {3, 4};

int RowsInGroup(int group) {
    int n = 0;
    for (const HelicopterSettingsRow& row : HelicopterSettingsRows)
        if (row.group == group) ++n;
    return n;
}

float ColumnHeight(const int* groups, int count) {
    float height = 0.0f;
    for (int i = 0; i < count; ++i)
        height += GroupBoxHeight(StackHeight(RowsInGroup(groups[i]))) +
                  (i > 0 ? ImGui::GetStyle().ItemSpacing.y : 0);
    return height;
}

float WidestLabel(const int* groups, int count) {
    float widest = 0.0f;
    for (int i = 0; i < count; ++i)
        for (const HelicopterSettingsRow& row : HelicopterSettingsRows)
            if (row.group == groups[i]) {
                const float w = ImGui::CalcTextSize(row.label).x;
                if (w > widest) widest = w;
            }
    return widest;
}

// One column of group boxes; extraHeight stretches the last group so both columns end level.
void DrawColumn(const int* groups, int count, float extraHeight) {
    const float labelWidth = WidestLabel(groups, count) + ImGui::GetStyle().ItemSpacing.x * 2.0f;
    const float boxWidth = NumberBoxWidth(8);
    ImGui::BeginGroup();
    for (int g = 0; g < count; ++g) {
        const int group = groups[g];
        const float minHeight = StackHeight(RowsInGroup(group)) + (g == count - 1 ? extraHeight : 0.0f);
        BeginGroupBox(HelicopterSettingsGroups[group], labelWidth + boxWidth, minHeight);
        for (int i = 0; i < HelicopterSettingsRowCount; ++i) {
            const HelicopterSettingsRow& row = HelicopterSettingsRows[i];
            if (row.group != group) continue;
            char id[16];
            std::snprintf(id, sizeof id, "##%d", row.controlId);
            LabelledBox(row.label, labelWidth, id, form.boxes[i], boxWidth);
        }
        EndGroupBox();
    }
    ImGui::EndGroup();
}

} // namespace

void ShowHelicopterSettingsDialog(ModelSetup& setup) {
    PauseSimulation();
    editedSetup = &setup;
    FillHelicopterSettingsForm(form, setup);
    RequestDialog(DialogKind::HelicopterSettings);
}

void DrawHelicopterSettingsDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::HelicopterSettings, PopupId, &closeBox)) return;

    const float leftHeight = ColumnHeight(LeftGroups, 3);
    const float rightHeight = ColumnHeight(RightGroups, 2);
    ImGui::BeginGroup();
    DrawColumn(LeftGroups, 3, rightHeight > leftHeight ? rightHeight - leftHeight : 0.0f);
    ImGui::SameLine(0.0f, ImGui::GetStyle().WindowPadding.x);
    DrawColumn(RightGroups, 2, leftHeight > rightHeight ? leftHeight - rightHeight : 0.0f);
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    if (DialogButton("Defaults")) {
        std::lock_guard<std::mutex> lock(SimMutex);
        PressHelicopterSettingsDefaults(form, *editedSetup);
    }
    ImGui::SameLine();
    OkCancelButtons(rightEdge, closeBox, [] { ConfirmHelicopterSettings(form, *editedSetup); });
    EndDialog();
}
