// The curve editor: five points of one throttle or pitch curve, titled after the curve; only OK closes it.
#include <cstdio>
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"

namespace {

int32_t* editedCurve = nullptr;
char popupId[96] = "###CurveEditor";
CurveForm form;

const char* const PointLabels[5] = {"0 %", "25 %", "50 %", "75 %", "100 %"};
const int BoxIds[5] = {1018, 1019, 1020, 1021, 1022};

} // namespace

void ShowCurveEditorDialog(int32_t (&curve)[5], const char* title) {
    editedCurve = curve;
    std::snprintf(popupId, sizeof popupId, "%s###CurveEditor", title ? title : "");
    FillCurveForm(form, curve);
    RequestDialog(DialogKind::Curve);
}

void DrawCurveEditorDialog() {
    // No close box, and Escape is not acted on: the editor closes only through OK.
    if (!BeginDialog(DialogKind::Curve, popupId, nullptr)) return;

    const ImGuiStyle& style = ImGui::GetStyle();
    const float boxWidth = NumberBoxWidth(5);
    float column = WidestText(PointLabels, 5);
    if (column < boxWidth) column = boxWidth;

    ImGui::BeginGroup();
    for (int i = 0; i < 5; ++i) {
        if (i > 0) ImGui::SameLine(0.0f, style.ItemSpacing.x * 2.0f);
        ImGui::BeginGroup();
        const float x = ImGui::GetCursorPosX();
        ImGui::SetCursorPosX(x + (column - ImGui::CalcTextSize(PointLabels[i]).x) * 0.5f);
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(PointLabels[i]);
        ImGui::SetCursorPosX(x + (column - boxWidth) * 0.5f);
        ImGui::SetNextItemWidth(boxWidth);
        char id[16];
        std::snprintf(id, sizeof id, "##%d", BoxIds[i]);
        ImGui::InputText(id, form.boxes[i].data(), form.boxes[i].size(),
                         ImGuiInputTextFlags_CharsDecimal | ImGuiInputTextFlags_CallbackCharFilter,
                         DigitsOnlyFilter);
        ImGui::EndGroup();
    }
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    const char* const buttons[] = {"OK"};
    const bool ok = RightAlignedButtons(rightEdge, buttons, 1) == 0 || DialogEnterPressed();
    if (ok) {
        std::lock_guard<std::mutex> lock(SimMutex);
        ConfirmCurveForm(form, editedCurve);
        ImGui::CloseCurrentPopup();
    }
    EndDialog();
}
