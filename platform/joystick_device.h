// The joystick devices seen through SDL: 16 slots whose ids survive unplugging, their list and their state.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int JoystickSlots = 16;   // ids 0..15
constexpr int JoystickReadAxes = 6; // axes read per device

struct JoystickSlotInfo {
    int32_t id;
    int32_t axes;
    std::string name; // product name, or "Joystick <id + 1>" when SDL has none
    std::string guid; // SDL GUID as text
};

// One read of a device: raw = SDL value + 32768 for axes 0..5 (0 for axes the device lacks), button n =
// bit n, four bits per hat (up 1, right 2, down 4, left 8). A device that is not attached reads all 0.
struct JoystickReading {
    bool attached = false;
    int32_t raw[JoystickReadAxes] = {};
    int32_t buttons = 0;
    int32_t hats = 0;
};

// Starts SDL's joystick subsystem if needed and opens every device present; at start a device's id is
// its SDL device index.
bool OpenJoystickDevices();
// Closes every device.
void CloseJoystickDevices();
// SDL_JOYDEVICEADDED (device index): opens the device into the slot it held before, if any.
void OpenJoystickDevice(int deviceIndex);
// SDL_JOYDEVICEREMOVED (instance id): closes it; returns the slot it held, or -1.
int CloseJoystickDevice(int instanceId);
// Whether a device is open at id.
bool JoystickSlotOpen(int32_t id);

// Whether SDL's joystick subsystem runs.
bool JoysticksStarted();
// Reads the device at id under SDL's joystick lock; with update, SDL's joystick state is brought up to
// date first (the tick thread, which has no event pump of its own).
JoystickReading ReadJoystick(int32_t id, bool update);

// The devices open, in id order.
std::vector<JoystickSlotInfo> OpenJoystickSlots();
// Product name of the device at id: 0 on success, 166 when there is no such device.
int GetJoystickOemName(int id, char name[256]);
