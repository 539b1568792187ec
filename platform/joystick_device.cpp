// SDL joystick access: a table of 16 id slots that survive hot-plugging, and the poll into Calibration.
#include "platform/joystick_device.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "input/shared_field.h"

namespace {

struct DeviceSlot {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
    SDL_JoystickGUID guid{};
    bool everUsed = false; // the slot remembers the device it last held
};

DeviceSlot slots[MaxJoystickDevices];
uint64_t lastPollTicks = 0;
bool pollStarted = false;

bool SameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b) {
    return std::memcmp(a.data, b.data, sizeof a.data) == 0;
}

// A returning device takes the free slot that last held a device of its kind; a new one the first
// slot never used; failing both, the first free slot.
int ChooseSlot(const SDL_JoystickGUID& guid) {
    for (int i = 0; i < MaxJoystickDevices; ++i)
        if (!slots[i].joystick && slots[i].everUsed && SameGuid(slots[i].guid, guid)) return i;
    for (int i = 0; i < MaxJoystickDevices; ++i)
        if (!slots[i].joystick && !slots[i].everUsed) return i;
    for (int i = 0; i < MaxJoystickDevices; ++i)
        if (!slots[i].joystick) return i;
    return -1;
}

} // namespace

bool InitJoystickDevices() {
    // The transmitter keeps flying the model while another window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i)
        JoystickDeviceAdded(i);
    return true;
}

void ShutdownJoystickDevices() {
    for (DeviceSlot& s : slots) {
        if (s.joystick) SDL_JoystickClose(s.joystick);
        s = DeviceSlot{};
    }
    pollStarted = false;
}

void JoystickDeviceAdded(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= SDL_NumJoysticks()) return;
    SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (const DeviceSlot& s : slots)
        if (s.joystick && s.instance == instance) return; // already open (start-up scan, then its event)
    SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(deviceIndex);
    int slot = ChooseSlot(guid);
    if (slot < 0) return;
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick) return;
    slots[slot].joystick = joystick;
    slots[slot].instance = SDL_JoystickInstanceID(joystick);
    slots[slot].guid = guid;
    slots[slot].everUsed = true;
}

void JoystickDeviceRemoved(int instanceId) {
    for (DeviceSlot& s : slots) {
        if (s.joystick && s.instance == instanceId) {
            SDL_JoystickClose(s.joystick);
            s.joystick = nullptr;
            s.instance = -1;
        }
    }
}

void PollJoystick() {
    int32_t raw[JoystickAxisCount] = {};
    int32_t id = LoadShared(Calibration.joystickId);
    SDL_Joystick* joystick = (id >= 0 && id < MaxJoystickDevices) ? slots[id].joystick : nullptr;
    if (!joystick || !SDL_JoystickGetAttached(joystick)) {
        StoreJoystickPoll(Calibration, false, raw, 0);
        return;
    }
    SDL_JoystickUpdate();
    int axes = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < JoystickAxisCount && i < axes; ++i)
        raw[i] = SDL_JoystickGetAxis(joystick, i) + 32768;
    uint32_t mask = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int b = 0; b < 32 && b < buttons; ++b)
        if (SDL_JoystickGetButton(joystick, b)) mask |= 1u << b;
    StoreJoystickPoll(Calibration, true, raw, static_cast<int32_t>(mask));
}

void ServiceJoystickPoll() {
    uint64_t now = SDL_GetTicks64();
    if (pollStarted && now - lastPollTicks < 100) return;
    pollStarted = true;
    lastPollTicks = now;
    PollJoystick();
}

std::vector<JoystickDeviceInfo> PresentJoystickDevices() {
    std::vector<JoystickDeviceInfo> devices;
    for (int i = 0; i < MaxJoystickDevices; ++i) {
        if (!slots[i].joystick) continue;
        char name[256];
        if (GetJoystickOemName(i, name) != 0 || name[0] == '\0')
            std::snprintf(name, sizeof name, "Joystick %d", i + 1);
        devices.push_back({i, SDL_JoystickNumAxes(slots[i].joystick), name});
    }
    return devices;
}

int GetJoystickOemName(int id, char name[256]) {
    constexpr int NoCanDo = 166;
    name[0] = '\0';
    if (id < 0 || id >= MaxJoystickDevices || !slots[id].joystick) return NoCanDo;
    const char* product = SDL_JoystickName(slots[id].joystick);
    if (!product) return NoCanDo;
    std::snprintf(name, 256, "%s", product);
    return 0;
}
