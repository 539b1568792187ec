// "Exponential Rates": three columns of radio buttons (roll, pitch, yaw), 0 to 35 percent.
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"

namespace {

const char* const PopupId = "Exponential Rates";

ModelSetup* editedSetup = nullptr;
ExpoForm form;

} // namespace

void ShowExponentialRatesDialog(ModelSetup& setup) {
    PauseSimulation();
    editedSetup = &setup;
    FillExpoForm(form, setup);
    RequestDialog(DialogKind::Expo);
}

void DrawExponentialRatesDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::Expo, PopupId, &closeBox)) return;

    const RadioGroup* const groups[3] = {&ExpoRollGroup, &ExpoPitchGroup, &ExpoYawGroup};
    int32_t* const values[3] = {&form.roll, &form.pitch, &form.yaw};
    const float columnWidth = ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x +
                              ImGui::CalcTextSize("35%").x + ImGui::GetFontSize() * 2.0f;
    ImGui::BeginGroup();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine();
        BeginGroupBox(groups[i]->caption, columnWidth);
        RadioGroupButtons(*groups[i], *values[i]);
        EndGroupBox();
    }
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    OkCancelButtons(rightEdge, closeBox, [] { ConfirmExpoForm(form, *editedSetup); });
    EndDialog();
}
