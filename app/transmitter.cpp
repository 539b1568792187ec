// The SDL joystick devices joined to the calibration record and the list of devices the controls offer.
#include "app/transmitter.h"

#include <vector>

#include "input/joystick_calibration.h"
#include "input/shared_field.h"
#include "input/transmitter.h"
#include "platform/joystick_device.h"

namespace {
static_assert(JoystickReadAxes == JoystickAxisCount && JoystickSlots == MaxJoystickDevices);

void ListDevicesForControls() {
    std::vector<JoystickDeviceInfo> devices;
    for (const JoystickSlotInfo& s : OpenJoystickSlots())
        devices.push_back({s.id, s.axes, s.name, s.guid});
    SetPresentJoystickDevices(std::move(devices));
}

void StoreReading(const JoystickReading& r) {
    StoreJoystickPoll(Calibration, r.attached, r.raw, r.buttons, r.hats);
}
} // namespace

bool InitJoystickDevices() {
    if (!OpenJoystickDevices()) return false;
    ListDevicesForControls();
    BindTransmitter();
    return true;
}

void ShutdownJoystickDevices() {
    CloseJoystickDevices();
    ListDevicesForControls();
}

void JoystickDeviceAdded(int deviceIndex) {
    OpenJoystickDevice(deviceIndex);
    ListDevicesForControls();
    BindTransmitter();
}

bool JoystickDeviceRemoved(int instanceId) {
    int32_t id = LoadShared(Calibration.joystickId);
    int closed = CloseJoystickDevice(instanceId);
    ListDevicesForControls();
    return closed >= 0 && closed == id;
}

bool TransmitterPresent() {
    return JoystickSlotOpen(LoadShared(Calibration.joystickId));
}

void PollJoystick() {
    StoreReading(ReadJoystick(LoadShared(Calibration.joystickId), false));
}

void ServiceJoystickPoll() {
    // The event pump of this pass has already brought SDL's joystick state up to date.
    PollJoystick();
}

void PollJoystickForStep() {
    if (!JoysticksStarted()) return;
    StoreReading(ReadJoystick(LoadShared(Calibration.joystickId), true));
}
