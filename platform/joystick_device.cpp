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

// Written on the main thread and read by the tick's poll, always under SDL's joystick lock.
DeviceSlot slots[MaxJoystickDevices];
TransmitterIdentity remembered;
// The id whose device the last poll read (-1 when it read none), and the id of a device in use that
// went missing while it was being read: its last sticks are kept until it is read again. Both are
// touched only by the poll, under SDL's joystick lock.
int32_t idReadLast = -1;
int32_t idLost = -1;

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
    for (int i = 0; i < MaxJoystickDevices; ++i)
        if (!slots[i].joystick && slots[i].everUsed && SameGuid(slots[i].guid, guid)) return i;
    for (int i = 0; i < MaxJoystickDevices; ++i)
        if (!slots[i].joystick && !slots[i].everUsed) return i;
    for (int i = 0; i < MaxJoystickDevices; ++i)
        if (!slots[i].joystick) return i;
    return -1;
}

} // namespace

// Opens the device at an SDL device index into a slot; the caller holds the joystick lock.
static void OpenDevice(int deviceIndex);

bool InitJoystickDevices() {
    // The transmitter keeps flying the model while another window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    {
        JoystickLock lock;
        int n = SDL_NumJoysticks();
        for (int i = 0; i < n; ++i)
            OpenDevice(i);
    }
    BindTransmitter();
    return true;
}

void ShutdownJoystickDevices() {
    JoystickLock lock;
    for (DeviceSlot& s : slots) {
        if (s.joystick) SDL_JoystickClose(s.joystick);
        s = DeviceSlot{};
    }
    idReadLast = idLost = -1;
}

void JoystickDeviceAdded(int deviceIndex) {
    {
        JoystickLock lock;
        OpenDevice(deviceIndex);
    }
    BindTransmitter();
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
}

bool JoystickDeviceRemoved(int instanceId) {
    JoystickLock lock;
    bool inUse = false;
    int32_t id = LoadShared(Calibration.joystickId);
    for (int i = 0; i < MaxJoystickDevices; ++i) {
        DeviceSlot& s = slots[i];
        if (s.joystick && s.instance == instanceId) {
            SDL_JoystickClose(s.joystick);
            s.joystick = nullptr;
            s.instance = -1;
            inUse |= i == id;
        }
    }
    return inUse;
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

bool TransmitterPresent() {
    JoystickLock lock;
    int32_t id = LoadShared(Calibration.joystickId);
    return id >= 0 && id < MaxJoystickDevices && slots[id].joystick;
}

bool PollJoystick() {
    JoystickLock lock;
    int32_t raw[JoystickAxisCount] = {};
    int32_t id = LoadShared(Calibration.joystickId);
    SDL_Joystick* joystick = (id >= 0 && id < MaxJoystickDevices) ? slots[id].joystick : nullptr;
    if (!joystick || !SDL_JoystickGetAttached(joystick)) {
        // The device read last poll is gone (perhaps before its removal event was handled): the step
        // keeps its last sticks rather than flying on zeros, which read as full deflection.
        if (idReadLast == id && id >= 0) idLost = id;
        idReadLast = -1;
        if (idLost == id) return false;
        StoreJoystickPoll(Calibration, false, raw, 0);
        return true;
    }
    idReadLast = id;
    idLost = -1;
    int axes = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < JoystickAxisCount && i < axes; ++i)
        raw[i] = SDL_JoystickGetAxis(joystick, i) + 32768;
    uint32_t mask = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int b = 0; b < 32 && b < buttons; ++b)
        if (SDL_JoystickGetButton(joystick, b)) mask |= 1u << b;
    // SDL's hat bits (up 1, right 2, down 4, left 8) are the four directions of each hat in turn.
    uint32_t hats = 0;
    int hatCount = SDL_JoystickNumHats(joystick);
    for (int h = 0; h < 4 && h < hatCount; ++h)
        hats |= static_cast<uint32_t>(SDL_JoystickGetHat(joystick, h) & 0x0F) << (4 * h);
    StoreJoystickPoll(Calibration, true, raw, static_cast<int32_t>(mask), static_cast<int32_t>(hats));
    return true;
}

bool ServiceJoystickPoll() {
    // The event pump of this pass has already brought SDL's joystick state up to date.
    return PollJoystick();
}

bool PollJoystickForStep() {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return true;
    JoystickLock lock;
    SDL_JoystickUpdate();
    return PollJoystick();
}

std::vector<JoystickDeviceInfo> PresentJoystickDevices() {
    JoystickLock lock;
    std::vector<JoystickDeviceInfo> devices;
    for (int i = 0; i < MaxJoystickDevices; ++i) {
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
    if (id < 0 || id >= MaxJoystickDevices || !slots[id].joystick) return NoCanDo;
    const char* product = SDL_JoystickName(slots[id].joystick);
    if (!product) return NoCanDo;
    std::snprintf(name, 256, "%s", product);
    return 0;
}
