// SDL joystick access: a table of 16 id slots that survive hot-plugging, their list and their reading.
#include "platform/joystick_device.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

struct DeviceSlot {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
    SDL_JoystickGUID guid{};
    bool everUsed = false; // the slot remembers the device it last held
};

// Written on the main thread and read by the tick's poll, always under SDL's joystick lock.
DeviceSlot slots[JoystickSlots];
// Whether each slot holds an open device: written with slots (under the lock), read without it, so
// asking whether the transmitter is there never waits for the tick's poll.
std::atomic<bool> slotOpen[JoystickSlots];

// SDL's joystick lock, also taken by SDL itself around its own joystick state.
struct JoystickLock {
    JoystickLock() { SDL_LockJoysticks(); }
    ~JoystickLock() { SDL_UnlockJoysticks(); }
};

bool SameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b) {
    return std::memcmp(a.data, b.data, sizeof a.data) == 0;
}

// A returning device takes the free slot that last held a device of its kind; a new one the first
// slot never used; failing both, the first free slot.
int ChooseSlot(const SDL_JoystickGUID& guid) {
    for (int i = 0; i < JoystickSlots; ++i)
        if (!slots[i].joystick && slots[i].everUsed && SameGuid(slots[i].guid, guid)) return i;
    for (int i = 0; i < JoystickSlots; ++i)
        if (!slots[i].joystick && !slots[i].everUsed) return i;
    for (int i = 0; i < JoystickSlots; ++i)
        if (!slots[i].joystick) return i;
    return -1;
}

} // namespace

// Opens the device at an SDL device index into a slot; the caller holds the joystick lock.
static void OpenDevice(int deviceIndex);

bool OpenJoystickDevices() {
    // The transmitter keeps flying the model while another window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    JoystickLock lock;
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i)
        OpenDevice(i);
    return true;
}

void CloseJoystickDevices() {
    JoystickLock lock;
    for (DeviceSlot& s : slots) {
        if (s.joystick) SDL_JoystickClose(s.joystick);
        s = DeviceSlot{};
    }
    for (std::atomic<bool>& open : slotOpen)
        open.store(false);
}

void OpenJoystickDevice(int deviceIndex) {
    JoystickLock lock;
    OpenDevice(deviceIndex);
}

static void OpenDevice(int deviceIndex) {
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
    slotOpen[slot].store(true);
}

int CloseJoystickDevice(int instanceId) {
    JoystickLock lock;
    int closed = -1;
    for (int i = 0; i < JoystickSlots; ++i) {
        DeviceSlot& s = slots[i];
        if (s.joystick && s.instance == instanceId) {
            SDL_JoystickClose(s.joystick);
            s.joystick = nullptr;
            s.instance = -1;
            slotOpen[i].store(false);
            closed = i;
        }
    }
    return closed;
}

bool JoystickSlotOpen(int32_t id) {
    return id >= 0 && id < JoystickSlots && slotOpen[id].load();
}

bool JoysticksStarted() {
    return SDL_WasInit(SDL_INIT_JOYSTICK) != 0;
}

JoystickReading ReadJoystick(int32_t id, bool update) {
    JoystickReading r;
    JoystickLock lock;
    if (update) SDL_JoystickUpdate();
    SDL_Joystick* joystick = (id >= 0 && id < JoystickSlots) ? slots[id].joystick : nullptr;
    if (!joystick || !SDL_JoystickGetAttached(joystick)) return r;
    r.attached = true;
    int axes = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < JoystickReadAxes && i < axes; ++i)
        r.raw[i] = SDL_JoystickGetAxis(joystick, i) + 32768;
    uint32_t mask = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int b = 0; b < 32 && b < buttons; ++b)
        if (SDL_JoystickGetButton(joystick, b)) mask |= 1u << b;
    r.buttons = static_cast<int32_t>(mask);
    // SDL's hat bits (up 1, right 2, down 4, left 8) are the four directions of each hat in turn.
    uint32_t hats = 0;
    int hatCount = SDL_JoystickNumHats(joystick);
    for (int h = 0; h < 4 && h < hatCount; ++h)
        hats |= static_cast<uint32_t>(SDL_JoystickGetHat(joystick, h) & 0x0F) << (4 * h);
    r.hats = static_cast<int32_t>(hats);
    return r;
}

std::vector<JoystickSlotInfo> OpenJoystickSlots() {
    JoystickLock lock;
    std::vector<JoystickSlotInfo> devices;
    for (int i = 0; i < JoystickSlots; ++i) {
        if (!slots[i].joystick) continue;
        char name[256];
        if (GetJoystickOemName(i, name) != 0 || name[0] == '\0')
            std::snprintf(name, sizeof name, "Joystick %d", i + 1);
        char guid[33];
        SDL_JoystickGetGUIDString(slots[i].guid, guid, sizeof guid);
        devices.push_back({i, SDL_JoystickNumAxes(slots[i].joystick), name, guid});
    }
    return devices;
}

int GetJoystickOemName(int id, char name[256]) {
    constexpr int NoCanDo = 166;
    JoystickLock lock;
    name[0] = '\0';
    if (id < 0 || id >= JoystickSlots || !slots[id].joystick) return NoCanDo;
    const char* product = SDL_JoystickName(slots[id].joystick);
    if (!product) return NoCanDo;
    std::snprintf(name, 256, "%s", product);
    return 0;
}
