// The list of devices present and the remembered transmitter.
#include "input/transmitter.h"

#include <mutex>

#include "input/shared_field.h"

namespace {
std::mutex devicesMutex;
std::vector<JoystickDeviceInfo> presentDevices;
TransmitterIdentity remembered;
} // namespace

void SetPresentJoystickDevices(std::vector<JoystickDeviceInfo> devices) {
    std::lock_guard<std::mutex> lock(devicesMutex);
    presentDevices = std::move(devices);
}

std::vector<JoystickDeviceInfo> PresentJoystickDevices() {
    std::lock_guard<std::mutex> lock(devicesMutex);
    return presentDevices;
}

void SetRememberedTransmitter(const TransmitterIdentity& who) {
    remembered = who;
}

const TransmitterIdentity& RememberedTransmitter() {
    return remembered;
}

bool BindTransmitter() {
    int32_t id = FindTransmitter(PresentJoystickDevices(), remembered);
    if (id < 0) return false;
    StoreShared(Calibration.joystickId, id);
    return true;
}

TransmitterIdentity TransmitterIdentityOf(int32_t id) {
    std::vector<JoystickDeviceInfo> devices = PresentJoystickDevices();
    for (const JoystickDeviceInfo& d : devices)
        if (d.id == id) return {d.guid, d.name, IdenticalDeviceIndex(devices, id)};
    return {};
}
