// The dialogs' shared frame and widgets (group boxes, aligned boxes, button rows) and the per-frame entry.
#include <cstring>
#include <mutex>
#include <vector>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "platform/message_box.h"

namespace {

DialogKind pendingDialog = DialogKind::None;
bool dialogShownThisFrame = false;
bool dialogShownLastFrame = false;

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
