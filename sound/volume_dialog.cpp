// The "Volume" dialog: three sliders that set the output levels at once, with OK and Cancel.
#include "sound/volume_dialog.h"

#include <algorithm>
#include <atomic>
#include <imgui.h>
#include <string>
#include <utility>

#include "sound/sound_levels_internal.h"
#include "ui/dialog_ui.h"
#include "ui/message_box.h"

namespace {
const char* const PopupId = "Volume";
bool requested = false;
// The levels when the dialog was opened, put back by Cancel.
int32_t openedWith[3] = {100, 100, 100};

std::atomic<int32_t>* const LevelOf[3] = {&Levels.masterPercent, &Levels.motorPercent, &Levels.crashPercent};
const char* const Labels[3] = {"Master", "Motor", "Crash"};
} // namespace

void ShowVolumeDialog() {
    for (int i = 0; i < 3; ++i)
        openedWith[i] = LevelOf[i]->load();
    requested = true;
}

void DrawVolumeDialog() {
    bool closeBox = true;
    if (!BeginCenteredModal(PopupId, std::exchange(requested, false), &closeBox, DialogWindowFlags)) return;
    const float labelWidth = WidestText(Labels, 3) + ImGui::GetStyle().ItemSpacing.x * 2.0f;
    ImGui::BeginGroup();
    for (int i = 0; i < 3; ++i) {
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(Labels[i]);
        ImGui::SameLine(labelWidth);
        // Whatever the settings file held, the slider only ever sees 0..100.
        int value = std::clamp(LevelOf[i]->load(), 0, 100);
        ImGui::SetNextItemWidth(240.0f);
        std::string id = std::string("##") + Labels[i];
        if (ImGui::SliderInt(id.c_str(), &value, 0, 100, "%d %%", ImGuiSliderFlags_AlwaysClamp))
            LevelOf[i]->store(std::clamp(value, 0, 100));
    }
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;
    ImGui::Spacing();
    const char* const buttons[] = {"OK", "Cancel"};
    const int pressed = RightAlignedButtons(rightEdge, buttons, 2);
    const bool ok = pressed == 0 || DialogEnterPressed();
    const bool cancel = !closeBox || pressed == 1 || DialogEscapePressed();
    if (ok) {
        StoreSoundLevels();
    } else if (cancel) {
        for (int i = 0; i < 3; ++i)
            LevelOf[i]->store(openedWith[i]);
    }
    if (ok || cancel) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}
