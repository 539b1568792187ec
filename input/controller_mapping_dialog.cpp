// "Controller Mapping": live bars of the five functions, reverse boxes, channel and switch choosers.
#include <imgui.h>

#include <mutex>

#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "input/channel_mapping.h"
#include "input/control_input.h"
#include "input/input_dialogs.h"
#include "input/transmitter_check.h"
#include "ui/dialog_ui.h"

namespace {
constexpr const char* Title = "Controller Mapping";
bool requested = false;
double lastTick = 0.0;
int bars[5] = {};
bool idleUpOn = false;
bool throttleHoldOn = false;

void DialogTick() {
    // The step reads and writes the same inputs on the tick thread.
    std::lock_guard<std::mutex> lock(SimMutex);
    for (int f = Roll; f <= Collective; ++f)
        bars[f] = MappingBarValue(GetControlInput(static_cast<ControlFunction>(f)));
    idleUpOn = IsIdleUpOn();
    throttleHoldOn = IsThrottleHoldOn();
}

// One stick function's group: its bar, "Reverse" box and "Choose" button.
bool StickGroup(const char* caption, ControlFunction f, int lo, bool disabled, MappingReverseBoxes& boxes) {
    ImGui::PushID(f);
    GroupCaption(caption);
    ImGui::BeginDisabled(disabled);
    DrawValueBar(bars[f], lo, 1000);
    ImGui::SameLine();
    bool clicked = ImGui::Checkbox("Reverse", &boxes.box[f]);
    ImGui::SameLine();
    if (ImGui::Button("Choose")) ChooseChannel(ChannelChooserName(f), f);
    ImGui::SameLine();
    // With the simulator curves the collective follows the throttle stick's channel.
    int channel = f == Collective && Mapping.useSimCurves ? Mapping.axis[Throttle] : Mapping.axis[f];
    ImGui::Text("Channel %d", channel);
    ImGui::EndDisabled();
    ImGui::PopID();
    return clicked;
}

// Idle-up or throttle hold: "Keyboard", "Reverse", "Choose" and the On / Off text.
bool SwitchGroup(const char* caption, int box, bool keyboard, int32_t source, bool on,
                 MappingReverseBoxes& boxes, bool& keyboardClicked, bool& keyboardValue, bool& choose) {
    ImGui::PushID(box);
    GroupCaption(caption);
    keyboardValue = keyboard;
    keyboardClicked = ImGui::Checkbox("Keyboard", &keyboardValue);
    ImGui::SameLine();
    ImGui::BeginDisabled(keyboard);
    bool clicked = ImGui::Checkbox("Reverse", &boxes.box[box]);
    ImGui::SameLine();
    choose = ImGui::Button("Choose");
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::TextUnformatted(on ? "On" : "Off");
    ImGui::SameLine();
    ImGui::Text("(%s)", keyboard ? "Keyboard" : SwitchSourceText(source).c_str());
    ImGui::PopID();
    return clicked;
}
} // namespace

void ShowControllerMapping() {
    requested = true;
}

void DrawControllerMappingDialog() {
    bool openNow = false;
    if (requested) {
        requested = false;
        for (int& b : bars)
            b = 0;
        StartDialogTimer(lastTick);
        openNow = true;
    }
    if (!BeginCenteredModal(Title, openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    if (DialogTimerDue(lastTick)) DialogTick();

    MappingEnables enables = GetMappingEnables(Mapping);
    MappingReverseBoxes boxes = GetMappingReverseBoxes(Mapping);
    bool reverseClicked = false;
    reverseClicked |= StickGroup(" Roll Cyclic ", Roll, -1000, false, boxes);
    reverseClicked |= StickGroup(" Pitch Cyclic ", Pitch, -1000, false, boxes);
    reverseClicked |= StickGroup(" Tail Rotor  ", Yaw, -1000, false, boxes);
    reverseClicked |= StickGroup(" Throttle (Collective) ", Throttle, 0, false, boxes);
    reverseClicked |= StickGroup(" Collective ", Collective, -1000, !enables.collectiveControls, boxes);

    ImGui::Spacing();
    bool simCurves = Mapping.useSimCurves != 0;
    bool simCurvesClicked = ImGui::Checkbox("Use Simulator Throttle/Pitch Curves", &simCurves);

    bool idleKeyboardClicked, idleKeyboard, idleChoose;
    reverseClicked |= SwitchGroup("Idle Up", 5, !enables.idleUpSwitchControls, Mapping.idleUpSwitch, idleUpOn,
                                  boxes, idleKeyboardClicked, idleKeyboard, idleChoose);
    bool holdKeyboardClicked, holdKeyboard, holdChoose;
    reverseClicked |=
        SwitchGroup(" Throttle Hold ", 6, !enables.throttleHoldSwitchControls, Mapping.throttleHoldSwitch,
                    throttleHoldOn, boxes, holdKeyboardClicked, holdKeyboard, holdChoose);

    if (reverseClicked) ApplyMappingReverseBoxes(Mapping, boxes);
    if (simCurvesClicked) SetUseSimCurves(Mapping, simCurves);
    if (idleKeyboardClicked) SetKeyboardIdleUp(Mapping, idleKeyboard);
    if (holdKeyboardClicked) SetKeyboardThrottleHold(Mapping, holdKeyboard);
    if (idleChoose) ChooseSwitch("Idle Up", &Mapping.idleUpSwitch);
    if (holdChoose) ChooseSwitch("Throttle Hold", &Mapping.throttleHoldSwitch);

    ImGui::Spacing();
    if (ImGui::Button("OK", ImVec2(120.0f, 0.0f))) ImGui::CloseCurrentPopup();
    DrawChooserDialogs();
    ImGui::EndPopup();
}

void DrawControllerDialogs() {
    DrawSelectControllerDialog();
    DrawCalibrateDialog();
    DrawControllerMappingDialog();
    DrawResetPauseDialog();
}
