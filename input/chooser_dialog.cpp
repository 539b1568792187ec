// The two pickers: "Choose Input Channel" (six live axis bars) and "Choose Switch" (nineteen indicators:
// six axes, nine buttons and the four directions of hat 0).
#include <imgui.h>

#include <cstdio>
#include <string>

#include "input/channel_mapping.h"
#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/shared_field.h"
#include "ui/dialog_ui.h"

namespace {

// The popup ids stay fixed while the titles carry the function's name.
constexpr const char* ChannelPopupId = "###ChooseInputChannel";
constexpr const char* SwitchPopupId = "###ChooseInputSwitch";

struct ChannelChooser {
    bool requested = false;
    std::string name;
    std::string title;
    ControlFunction target = Roll;
    double lastTick = 0.0;
    int bars[JoystickAxisCount] = {};
} channelChooser;

struct SwitchChooser {
    bool requested = false;
    std::string name;
    std::string title;
    int32_t* target = nullptr;
    double lastTick = 0.0;
    bool on[SwitchChooserCount] = {};
    int32_t raw[JoystickAxisCount] = {};
} switchChooser;

void ReadSwitches(SwitchChooser& c) {
    for (int i = 0; i < SwitchChooserCount; ++i)
        c.on[i] = IsSwitchOn(SwitchChooserSources[i]);
    for (int i = 0; i < JoystickAxisCount; ++i)
        c.raw[i] = LoadShared(Calibration.raw[i]); // the tick polls too
}

void DrawChannelChooser() {
    ChannelChooser& c = channelChooser;
    bool openNow = false;
    if (c.requested) {
        c.requested = false;
        c.title = "Choose Input Channel - " + c.name + ChannelPopupId;
        for (int& b : c.bars)
            b = 0;
        StartDialogTimer(c.lastTick);
        openNow = true;
    }
    if (c.title.empty() ||
        !BeginCenteredModal(c.title.c_str(), openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize))
        return;
    if (DialogTimerDue(c.lastTick)) {
        for (int i = 0; i < JoystickAxisCount; ++i)
            c.bars[i] = MappingBarValue(NormalizeAxis(i));
    }
    ImGui::Text("Move the stick that you want to control : %s", c.name.c_str());
    ImGui::TextUnformatted("Then click the button whose indicator moves");
    ImGui::TextUnformatted("along with the desired stick. (ignore reversing)");
    ImGui::Spacing();
    for (int i = 0; i < JoystickAxisCount; ++i) {
        ImGui::PushID(i);
        DrawValueBar(c.bars[i], -1000, 1000);
        ImGui::SameLine();
        char label[16];
        std::snprintf(label, sizeof label, "Channel %d", i);
        if (ImGui::Button(label)) {
            StoreChosenChannel(Mapping, c.target, i);
            ImGui::CloseCurrentPopup();
        }
        ImGui::PopID();
    }
    ImGui::EndPopup();
}

void DrawSwitchChooser() {
    SwitchChooser& c = switchChooser;
    bool openNow = false;
    if (c.requested) {
        c.requested = false;
        c.title = "Choose Input Switch - " + c.name + SwitchPopupId;
        ReadSwitches(c);
        StartDialogTimer(c.lastTick);
        openNow = true;
    }
    if (c.title.empty() ||
        !BeginCenteredModal(c.title.c_str(), openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize))
        return;
    if (DialogTimerDue(c.lastTick)) ReadSwitches(c);
    int chosen = -1;
    for (int i = 0; i < SwitchChooserCount; ++i) {
        // Rows: the six axes (with their live raw values), the buttons, the hat directions.
        if (i != 0 && i != 6 && i != 15) ImGui::SameLine();
        // The indicator's face: black while its source is on, grey while it is off.
        ImVec4 face = c.on[i] ? ImVec4(0.0f, 0.0f, 0.0f, 1.0f) : ImVec4(0.5f, 0.5f, 0.5f, 1.0f);
        ImGui::PushStyleColor(ImGuiCol_Button, face);
        ImGui::PushStyleColor(ImGuiCol_ButtonHovered, face);
        ImGui::PushStyleColor(ImGuiCol_ButtonActive, face);
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 1.0f, 1.0f, 1.0f));
        char label[48];
        if (i < JoystickAxisCount)
            std::snprintf(label, sizeof label, "%s\n%d###switch%d", SwitchChooserLabel(i), c.raw[i], i);
        else
            std::snprintf(label, sizeof label, "%s###switch%d", SwitchChooserLabel(i), i);
        if (ImGui::Button(label, ImVec2(72.0f, 36.0f))) chosen = i;
        ImGui::PopStyleColor(4);
    }
    ImGui::Spacing();
    ImGui::Text("Toggle the switch that you want to control : %s", c.name.c_str());
    ImGui::TextUnformatted("Then press the button above, which changes color when you");
    ImGui::TextUnformatted("toggle the desired switch on the controller.");
    if (chosen >= 0) {
        if (c.target) StoreChosenSwitch(*c.target, SwitchChooserSources[chosen]);
        ImGui::CloseCurrentPopup();
    } else if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false) ||
               ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
               ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false)) {
        ImGui::CloseCurrentPopup(); // -1: the switch stays as it was
    }
    ImGui::EndPopup();
}

} // namespace

void ChooseChannel(const char* name, ControlFunction f) {
    channelChooser.requested = true;
    channelChooser.name = name;
    channelChooser.target = f;
}

void ChooseSwitch(const char* name, int32_t* target) {
    switchChooser.requested = true;
    switchChooser.name = name;
    switchChooser.target = target;
}

void DrawChooserDialogs() {
    DrawChannelChooser();
    DrawSwitchChooser();
}
