// " Gyro Settings ": mode, drift and gain of the tail gyro as three radio groups ("Rate Gyro" disabled).
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "flight/heli_state.h"

namespace {

const char* const PopupId = " Gyro Settings ";

ModelSetup* editedSetup = nullptr;
GyroForm form;

} // namespace

void ShowGyroSettingsDialog(ModelSetup& setup) {
    editedSetup = &setup;
    FillGyroForm(form, setup);
    RequestDialog(DialogKind::Gyro);
}

void DrawGyroSettingsDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::Gyro, PopupId, &closeBox)) return;

    const RadioGroup* const groups[3] = {&GyroModeGroup, &GyroDriftGroup, &GyroGainGroup};
    int32_t* const values[3] = {&form.mode, &form.drift, &form.gain};
    int tallest = 0;
    for (const RadioGroup* group : groups)
        if (group->count > tallest) tallest = group->count;
    ImGui::BeginGroup();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine();
        BeginGroupBox(groups[i]->caption, 0.0f, StackHeight(tallest));
        RadioGroupButtons(*groups[i], *values[i], i == 0 ? GyroModeRate : INT32_MIN);
        EndGroupBox();
    }
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    OkCancelButtons(rightEdge, closeBox, [] { ConfirmGyroForm(form, *editedSetup); });
    EndDialog();
}
