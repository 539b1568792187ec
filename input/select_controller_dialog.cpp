// "Select Controller": lists the devices with at least four axes; the selection becomes the device in use.
#include <imgui.h>

#include <string>
#include <vector>

#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/transmitter.h"
#include "ui/dialog_ui.h"

namespace {
constexpr const char* Title = "Select Controller";
bool requested = false;
std::vector<JoystickDeviceInfo> listed;
std::vector<std::string> texts;
int selected = -1;
} // namespace

void ShowSelectControllerDialog() {
    requested = true;
}

void DrawSelectControllerDialog() {
    bool openNow = false;
    if (requested) {
        requested = false;
        listed = ListSelectableControllers(PresentJoystickDevices());
        selected = -1; // the device in use is not preselected, only marked
        texts = ControllerListTexts(listed, Calibration.joystickId);
        openNow = true;
    }
    if (!BeginCenteredModal(Title, openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    bool close = false;
    if (ImGui::BeginListBox("##controllers", ImVec2(320.0f, 8 * ImGui::GetTextLineHeightWithSpacing()))) {
        for (int i = 0; i < static_cast<int>(listed.size()); ++i) {
            ImGui::PushID(i);
            if (ImGui::Selectable(texts[i].c_str(), selected == i, ImGuiSelectableFlags_AllowDoubleClick)) {
                if (selected != i) {
                    selected = i;
                    SelectListedController(Calibration, i);
                    // Remembered by identity, so it is found again whatever id SDL gives it.
                    SetRememberedTransmitter(TransmitterIdentityOf(listed[i].id));
                    texts = ControllerListTexts(listed, Calibration.joystickId);
                }
                if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) close = true;
            }
            ImGui::PopID();
        }
        ImGui::EndListBox();
    }
    if (listed.empty()) ImGui::TextUnformatted("No controller with four or more axes is connected.");
    if (ImGui::Button("OK", ImVec2(120.0f, 0.0f))) close = true;
    if (close) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}
