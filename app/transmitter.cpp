// The SDL joystick devices joined to the calibration record and the list of devices the controls offer.
#include "app/transmitter.h"

#include <atomic>
#include <mutex>
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

// One poll at a time, main thread or tick. idReadLast is the id whose device the last poll read (-1 when
// it read none); idLost the id of a device in use that went missing while it was being read: its last
// sticks are kept until it is read again.
std::mutex pollMutex;
int32_t idReadLast = -1;
int32_t idLost = -1;
// What the last poll before a step said: false while the device in use is lost.
std::atomic<bool> stepPollFound{true};

bool Poll(bool update) {
    std::lock_guard<std::mutex> lock(pollMutex);
    const int32_t id = LoadShared(Calibration.joystickId);
    const JoystickReading r = ReadJoystick(id, update);
    if (!r.attached) {
        // The device read last poll is gone (perhaps before its removal event was handled): the step
        // keeps its last sticks rather than flying on zeros, which read as full deflection.
        if (idReadLast == id && id >= 0) idLost = id;
        idReadLast = -1;
        if (idLost == id) return false;
        StoreJoystickPoll(Calibration, false, r.raw, 0);
        return true;
    }
    idReadLast = id;
    idLost = -1;
    StoreJoystickPoll(Calibration, true, r.raw, r.buttons, r.hats);
    return true;
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
    std::lock_guard<std::mutex> lock(pollMutex);
    idReadLast = idLost = -1;
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

std::atomic<bool> StepsPollEveryMillisecond{false};

bool PollJoystick() {
    return Poll(true);
}

bool ServiceJoystickPoll() {
    // The steps' own polls are fresher than a frame's and leave SDL's joystick lock to the tick.
    if (StepsPollEveryMillisecond.load()) return stepPollFound.load();
    return PollJoystick();
}

bool PollJoystickForStep() {
    if (!JoysticksStarted()) return true;
    const bool found = Poll(true);
    stepPollFound.store(found);
    return found;
}
