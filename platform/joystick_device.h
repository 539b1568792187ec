// The joystick devices seen through SDL: fixed ids 0..15 kept across unplugging, and the 100 ms poll.
#pragma once
#include <cstdint>
#include <vector>

#include "input/joystick_calibration.h"

// Starts SDL's joystick subsystem if needed and opens every device present; at start a device's id is
// its SDL device index. Call once at start-up, before the first poll.
bool InitJoystickDevices();
// Closes every device (at shutdown, after the last poll).
void ShutdownJoystickDevices();

// Hot-plug, fed by the main loop from SDL_JOYDEVICEADDED (device index) and SDL_JOYDEVICEREMOVED
// (instance id). A device that returns gets its old id back; while it is gone that id reads 0.
void JoystickDeviceAdded(int deviceIndex);
void JoystickDeviceRemoved(int instanceId);

// Reads the device Calibration.joystickId into Calibration.raw / buttons: raw = SDL value + 32768 for
// axes 0..5 (0 for axes the device lacks), button n = bit n. A missing device reads all 0.
void PollJoystick();
// Calls PollJoystick when 100 ms have passed since the last poll; the main loop calls it every pass.
void ServiceJoystickPoll();

// The devices present, in id order, with axis count and product name.
std::vector<JoystickDeviceInfo> PresentJoystickDevices();
// Product name of the device at id: 0 on success, 166 when there is no such device.
int GetJoystickOemName(int id, char name[256]);
