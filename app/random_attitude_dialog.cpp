// " Random Attitude  ": altitude, orientation and motion levels of the recovery trainer and its switch.
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "flight/training.h"

namespace {

const char* const PopupId = " Random Attitude  ";

RandomAttitudeSettings* editedSettings = nullptr;
RandomAttitudeForm form;

} // namespace

void ShowRandomAttitudeDialog(RandomAttitudeSettings& settings) {
    editedSettings = &settings;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        FillRandomAttitudeForm(form, settings);
    }
    RequestDialog(DialogKind::RandomAttitude);
}

void DrawRandomAttitudeDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::RandomAttitude, PopupId, &closeBox)) return;

    const RadioGroup* const groups[3] = {&AltitudeGroup, &OrientationGroup, &MotionGroup};
    int32_t* const values[3] = {&form.altitudeLevel, &form.orientationLevel, &form.motionLevel};
    const float groupWidth = ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x +
                             ImGui::CalcTextSize(" Orientations").x;
    ImGui::BeginGroup();
    ImGui::Checkbox("Enable Random Attitudes", &form.enabled);
    ImGui::Spacing();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine();
        BeginGroupBox(groups[i]->caption, groupWidth, StackHeight(4));
        RadioGroupButtons(*groups[i], *values[i]);
        EndGroupBox();
    }
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    OkCancelButtons(rightEdge, closeBox, [] { ConfirmRandomAttitudeForm(form, *editedSettings); });
    EndDialog();
}
