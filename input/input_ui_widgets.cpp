// Drawing helpers of the controller dialogs: value bars, the 100 ms dialog timer, group captions.
#include "input/input_ui_widgets.h"

#include <imgui.h>

#include <algorithm>
#include <cstdio>

void DrawValueBar(int value, int lo, int hi) {
    float fraction = hi > lo ? static_cast<float>(value - lo) / static_cast<float>(hi - lo) : 0.0f;
    char label[32];
    std::snprintf(label, sizeof label, "%d", value);
    ImGui::ProgressBar(std::clamp(fraction, 0.0f, 1.0f), ImVec2(260.0f, 0.0f), label);
}

void StartDialogTimer(double& lastTick) {
    lastTick = ImGui::GetTime();
}

bool DialogTimerDue(double& lastTick) {
    double now = ImGui::GetTime();
    if (now - lastTick < 0.1) return false;
    lastTick = now;
    return true;
}

void GroupCaption(const char* caption) {
    ImGui::Spacing();
    ImGui::TextUnformatted(caption);
    ImGui::Separator();
}
