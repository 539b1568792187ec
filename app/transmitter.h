// The joystick devices joined to the controls: the poll that fills the calibration record, plugging and
// unplugging, and whether the transmitter in use is there.
#pragma once

// Starts the devices, lists them for the controls and binds the remembered transmitter. Call once at
// start-up, before the first poll.
bool InitJoystickDevices();
// Closes every device (at shutdown, after the last poll).
void ShutdownJoystickDevices();

// Hot-plug, fed by the main loop from SDL_JOYDEVICEADDED (device index) and SDL_JOYDEVICEREMOVED
// (instance id). A device that returns gets its old id back; while it is gone that id reads 0.
// A device plugged in that matches the remembered transmitter becomes the device in use.
// JoystickDeviceRemoved returns true when the device removed was the one in use.
void JoystickDeviceAdded(int deviceIndex);
bool JoystickDeviceRemoved(int instanceId);

// Whether the device in use is plugged in.
bool TransmitterPresent();

// Reads the device Calibration.joystickId into Calibration.raw / buttons and JoystickHats (all 0 for a
// missing device).
void PollJoystick();
// The main loop calls it every pass (every frame): the dialogs and instruments see the sticks of this
// frame.
void ServiceJoystickPoll();
// Right before each simulation step, on the tick thread: brings SDL's joystick state up to date and
// polls, so the step flies on the stick as it is now.
void PollJoystickForStep();
