// What the shell knows of the transmitter: lost or there, remembered, calibrated at the first start.
#include "app/transmitter_state.h"

#include <imgui.h>
#include <atomic>
#include <vector>

#include "app/app_wiring.h"
#include "app/pilot_aids.h"
#include "app/transmitter.h"
#include "assets/program_paths.h"
#include "assets/settings_ini.h"
#include "flight/sim_control.h"
#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/transmitter.h"
#include "recorder/flight_recorder.h"

namespace {
// Set when the transmitter in use was unplugged; cleared when it is back (the pause stays until P).
bool transmitterLost = false;
// Set at start when no calibration file was found: the first transmitter seen is calibrated at once.
bool calibrationMissing = false;

// Without a transmitter remembered yet, the device in use (when plugged in) becomes it.
void RememberTransmitterInUse() {
    if (!RememberedTransmitter().guid.empty()) return;
    TransmitterIdentity inUse = TransmitterIdentityOf(Calibration.joystickId);
    if (!inUse.guid.empty()) SetRememberedTransmitter(inUse);
}

// With no transmitter remembered, the first device with four or more axes becomes the one in use when
// the device at the saved id is missing or has fewer axes. True when the device in use has four or more.
bool ChooseFirstTransmitter() {
    std::vector<JoystickDeviceInfo> usable;
    for (const JoystickDeviceInfo& d : PresentJoystickDevices())
        if (d.axes > 3) usable.push_back(d);
    for (const JoystickDeviceInfo& d : usable)
        if (d.id == Calibration.joystickId) return true;
    if (usable.empty() || !RememberedTransmitter().guid.empty()) return false;
    std::atomic_ref<int32_t>(Calibration.joystickId).store(usable[0].id, std::memory_order_relaxed);
    return true;
}
} // namespace

void LoadCalibrationAndTransmitter() {
    // Without a calibration file the axes take SDL's whole travel, so centred sticks read 0 until the
    // pilot calibrates (offered as soon as a transmitter is plugged in).
    calibrationMissing = !LoadJoystickCalibration(Calibration, CalibrationPlace().read);
    if (calibrationMissing) SetFullTravelCalibration(Calibration);
    SetRememberedTransmitter({GetSetting("TransmitterGuid", ""), GetSetting("TransmitterName", ""),
                              GetSettingInt("TransmitterIndex", 0, 0, MaxJoystickDevices - 1)});
}

void StoreTransmitterSettings() {
    RememberTransmitterInUse();
    const TransmitterIdentity& transmitter = RememberedTransmitter();
    if (!transmitter.guid.empty()) {
        SetSetting("TransmitterGuid", transmitter.guid);
        SetSetting("TransmitterName", transmitter.name);
        SetSettingInt("TransmitterIndex", transmitter.index);
    }
}

void OfferFirstCalibration() {
    if (!calibrationMissing || !ChooseFirstTransmitter()) return;
    calibrationMissing = false;
    RememberTransmitterInUse();
    ShowFirstCalibration();
}

void DrawControllerHint(int menuHeight, int clientWidth, int clientHeight) {
    bool present = TransmitterPresent();
    if (present) transmitterLost = false;
    if (present) return;
    const char* text =
        transmitterLost
            ? "Transmitter lost: the simulation is paused. Plug it in again, then press P to fly on"
            : "No transmitter found: connect it, then choose Joystick > Controller Select";
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    ImVec2 size = ImGui::CalcTextSize(text);
    ImVec2 at(clientWidth * 0.5f - size.x * 0.5f,
              menuHeight + clientHeight - TextClearanceAboveInstruments() - size.y);
    draw->AddRectFilled(ImVec2(at.x - 8, at.y - 4), ImVec2(at.x + size.x + 8, at.y + size.y + 4),
                        IM_COL32(0, 0, 0, 110), 4.0f);
    draw->AddText(at, IM_COL32(255, 255, 255, 255), text);
}

void TransmitterRemoved(int instanceId) {
    if (JoystickDeviceRemoved(instanceId)) TransmitterLost();
}

void TransmitterLost() {
    // The model must not fly on sticks nobody holds. A playback needs no sticks.
    transmitterLost = true;
    if (!RecorderPlaying()) PauseSimulation();
}
