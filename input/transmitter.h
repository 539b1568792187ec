// The joystick devices present, as the program last saw them plugged in, and the transmitter remembered by
// identity, found again among them whatever ids SDL hands out.
#pragma once
#include <cstdint>
#include <vector>

#include "input/joystick_calibration.h"

// Set by the program at start and after every plug and unplug (main thread).
void SetPresentJoystickDevices(std::vector<JoystickDeviceInfo> devices);
// The devices present, in id order.
std::vector<JoystickDeviceInfo> PresentJoystickDevices();

// The transmitter remembered by identity (kept in Settings.ini by the caller). BindTransmitter makes
// the matching device, if present, the device in use and returns whether it found one.
void SetRememberedTransmitter(const TransmitterIdentity& who);
const TransmitterIdentity& RememberedTransmitter();
bool BindTransmitter();
// The identity of the device with this id (empty when there is none).
TransmitterIdentity TransmitterIdentityOf(int32_t id);
