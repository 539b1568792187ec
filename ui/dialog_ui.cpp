// The dialog helpers: the centred modal, group boxes, keys, button rows, value bars and dialog timers.
#include "ui/dialog_ui.h"

#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct GroupBoxFrame {
    ImVec2 start;
    const char* caption;
    float minWidth;
    float minHeight;
};
std::vector<GroupBoxFrame> groupBoxes;

float GroupPadding() {
    return ImGui::GetStyle().WindowPadding.x;
}

bool FocusedDialog() {
    return ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows);
}
} // namespace

bool BeginCenteredModal(const char* popupId, bool openNow, bool* closeBox, ImGuiWindowFlags flags) {
    if (openNow) ImGui::OpenPopup(popupId);
    ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    return ImGui::BeginPopupModal(popupId, closeBox, flags);
}

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

void BeginGroupBox(const char* caption, float minWidth, float minHeight) {
    ImGui::BeginGroup();
    const ImVec2 start = ImGui::GetCursorScreenPos();
    groupBoxes.push_back({start, caption, minWidth, minHeight});
    const float pad = GroupPadding();
    ImGui::SetCursorScreenPos(ImVec2(start.x + pad, start.y + ImGui::GetTextLineHeight() + pad * 0.5f));
    ImGui::BeginGroup();
}

void EndGroupBox() {
    ImGui::EndGroup();
    const GroupBoxFrame frame = groupBoxes.back();
    groupBoxes.pop_back();
    const float pad = GroupPadding();
    const ImVec2 inner = ImGui::GetItemRectMin();
    const ImVec2 innerMax = ImGui::GetItemRectMax();
    const float captionWidth = ImGui::CalcTextSize(frame.caption).x;
    float innerWidth = innerMax.x - inner.x;
    if (innerWidth < frame.minWidth) innerWidth = frame.minWidth;
    if (innerWidth < captionWidth + pad) innerWidth = captionWidth + pad;
    float innerHeight = innerMax.y - inner.y;
    if (innerHeight < frame.minHeight) innerHeight = frame.minHeight;

    const float left = frame.start.x + 0.5f;
    const float right = inner.x + innerWidth + pad - 0.5f;
    const float top = frame.start.y + ImGui::GetTextLineHeight() * 0.5f + 0.5f;
    const float bottom = inner.y + innerHeight + pad - 0.5f;
    const float captionLeft = frame.start.x + pad * 0.8f;
    const float captionRight = captionLeft + captionWidth;

    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImU32 line = ImGui::GetColorU32(ImGuiCol_Border);
    const float gap = ImGui::GetStyle().ItemInnerSpacing.x * 0.5f;
    draw->AddLine(ImVec2(left, top), ImVec2(captionLeft - gap, top), line);
    draw->AddLine(ImVec2(captionRight + gap, top), ImVec2(right, top), line);
    draw->AddLine(ImVec2(right, top), ImVec2(right, bottom), line);
    draw->AddLine(ImVec2(right, bottom), ImVec2(left, bottom), line);
    draw->AddLine(ImVec2(left, bottom), ImVec2(left, top), line);
    draw->AddText(ImVec2(captionLeft, frame.start.y), ImGui::GetColorU32(ImGuiCol_Text), frame.caption);

    // Claim the whole frame so the layout continues after it.
    ImGui::SetCursorScreenPos(frame.start);
    ImGui::Dummy(ImVec2(right - frame.start.x + 0.5f, bottom - frame.start.y + 0.5f));
    ImGui::EndGroup();
}

bool DialogEnterPressed() {
    return FocusedDialog() && (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
                               ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false));
}

bool DialogEscapePressed() {
    return FocusedDialog() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false);
}

float DialogButtonWidth() {
    return ImGui::GetFontSize() * 6.0f;
}

float ButtonWidthFor(const char* label) {
    const float width = DialogButtonWidth();
    const float text = ImGui::CalcTextSize(label).x + ImGui::GetStyle().FramePadding.x * 4.0f;
    return text > width ? text : width;
}

float ButtonRowWidth(const char* const* labels, int count) {
    float total = 0.0f;
    for (int i = 0; i < count; ++i)
        total += ButtonWidthFor(labels[i]) + (i > 0 ? ImGui::GetStyle().ItemSpacing.x : 0.0f);
    return total;
}

bool DialogButton(const char* label) {
    return ImGui::Button(label, ImVec2(ButtonWidthFor(label), 0.0f));
}

void NameItemForUiDump(const char* name) {
    auto* lines = static_cast<ImGuiTextBuffer*>(ImGui::GetIO().UserData);
    if (!lines) return;
    const ImVec2 lo = ImGui::GetItemRectMin();
    const ImVec2 size = ImGui::GetItemRectSize();
    lines->appendf("item %.0f %.0f %.0f %.0f %s\n", lo.x, lo.y, size.x, size.y, name);
}

int RightAlignedButtons(float rightEdge, const char* const* labels, int count) {
    const float total = ButtonRowWidth(labels, count);
    const ImVec2 cursor = ImGui::GetCursorScreenPos();
    float x = rightEdge - total;
    if (x < cursor.x) x = cursor.x;
    ImGui::SetCursorScreenPos(ImVec2(x, cursor.y));
    int pressed = -1;
    for (int i = 0; i < count; ++i) {
        if (i > 0) ImGui::SameLine();
        if (DialogButton(labels[i])) pressed = i;
    }
    return pressed;
}

float NumberBoxWidth(int characters) {
    return ImGui::CalcTextSize("0").x * static_cast<float>(characters) +
           ImGui::GetStyle().FramePadding.x * 2.0f;
}

float GroupBoxHeight(float innerHeight) {
    return ImGui::GetTextLineHeight() + GroupPadding() * 1.5f + innerHeight;
}

float StackHeight(int n) {
    if (n <= 0) return 0.0f;
    return ImGui::GetFrameHeight() * static_cast<float>(n) +
           ImGui::GetStyle().ItemSpacing.y * static_cast<float>(n - 1);
}

float WidestText(const char* const* texts, int count) {
    float widest = 0.0f;
    for (int i = 0; i < count; ++i) {
        const float w = ImGui::CalcTextSize(texts[i]).x;
        if (w > widest) widest = w;
    }
    return widest;
}
