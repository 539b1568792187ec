// "Swash Imperfections": the six crosstalk factors, with "Defaults (0.0)", OK and Cancel.
#include <cstdio>
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"

namespace {

const char* const PopupId = "Swash Imperfections";

SwashImperfections* editedSwash = nullptr;
SwashForm form;

} // namespace

void ShowSwashImperfectionsDialog(SwashImperfections& swash) {
    PauseSimulation();
    editedSwash = &swash;
    FillSwashForm(form, swash);
    RequestDialog(DialogKind::Swash);
}

void DrawSwashImperfectionsDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::Swash, PopupId, &closeBox)) return;

    float labelWidth = 0.0f;
    for (const SwashRow& row : SwashRows) {
        const float w = ImGui::CalcTextSize(row.label).x;
        if (w > labelWidth) labelWidth = w;
    }
    labelWidth += ImGui::GetStyle().ItemSpacing.x * 2.0f;
    const float boxWidth = NumberBoxWidth(6);

    ImGui::BeginGroup();
    for (int i = 0; i < SwashRowCount; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "##%d", SwashRows[i].controlId);
        LabelledBox(SwashRows[i].label, labelWidth, id, form.boxes[i], boxWidth);
    }
    ImGui::EndGroup();
    float rightEdge = ImGui::GetItemRectMax().x;
    // The button row needs room for all three buttons with a gap between "Defaults (0.0)" and OK.
    const char* const all[] = {"Defaults (0.0)", "OK", "Cancel"};
    const float rowWidth = ButtonRowWidth(all, 3) + ImGui::GetStyle().ItemSpacing.x * 2.0f;
    const float rowStart = ImGui::GetItemRectMin().x;
    if (rightEdge < rowStart + rowWidth) rightEdge = rowStart + rowWidth;

    ImGui::Spacing();
    if (DialogButton("Defaults (0.0)")) {
        std::lock_guard<std::mutex> lock(SimMutex);
        PressSwashDefaults(form, *editedSwash);
    }
    ImGui::SameLine();
    OkCancelButtons(rightEdge, closeBox, [] { ConfirmSwashForm(form, *editedSwash); });
    EndDialog();
}
