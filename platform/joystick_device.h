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
// A device plugged in that matches the remembered transmitter becomes the device in use.
// JoystickDeviceRemoved returns true when the device removed was the one in use.
void JoystickDeviceAdded(int deviceIndex);
bool JoystickDeviceRemoved(int instanceId);

// The transmitter remembered by identity (kept in Settings.ini by the caller). BindTransmitter makes
// the matching device, if present, the device in use and returns whether it found one.
void SetRememberedTransmitter(const TransmitterIdentity& who);
const TransmitterIdentity& RememberedTransmitter();
bool BindTransmitter();
// The identity of the device with this id (empty when there is none).
TransmitterIdentity TransmitterIdentityOf(int32_t id);
// Whether the device in use is plugged in.
bool TransmitterPresent();

// Reads the device Calibration.joystickId into Calibration.raw / buttons: raw = SDL value + 32768 for
// axes 0..5 (0 for axes the device lacks), button n = bit n. A missing device reads all 0, except the
// device in use that vanished since the last poll read it (unplugged, its removal event perhaps not yet
// handled): its last axes, buttons and hats stay, and the poll returns false until it is read again.
bool PollJoystick();
// The main loop calls it every pass (every frame): the dialogs and instruments see the sticks of this
// frame. False while the device in use is lost, as PollJoystick.
bool ServiceJoystickPoll();
// Right before each simulation step, on the tick thread: brings SDL's joystick state up to date and
// polls, under SDL's joystick lock, so the step flies on the stick as it is now. False while the device
// in use is lost: the step must not fly on it.
bool PollJoystickForStep();

// The devices present, in id order, with axis count and product name.
std::vector<JoystickDeviceInfo> PresentJoystickDevices();
// Product name of the device at id: 0 on success, 166 when there is no such device.
int GetJoystickOemName(int id, char name[256]);
