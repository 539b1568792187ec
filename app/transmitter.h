// The joystick devices joined to the controls: the poll that fills the calibration record, plugging and
// unplugging, and whether the transmitter in use is there.
#pragma once
#include <atomic>

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

// Brings SDL's joystick state up to date and reads the device Calibration.joystickId into Calibration.raw
// / buttons and JoystickHats. A missing device reads all 0, except the device in use that vanished since
// the last poll read it (unplugged, its removal event perhaps not yet handled): its last axes, buttons and
// hats stay, and the poll returns false until it is read again.
bool PollJoystick();
// The main loop calls it every pass (every frame): the dialogs and instruments see the sticks of this
// frame. False while the device in use is lost, as PollJoystick. While StepsPollEveryMillisecond is set
// it reads nothing itself and answers from the steps' last poll.
bool ServiceJoystickPoll();
// Set by the tick while the realistic model's steps poll the sticks every millisecond.
extern std::atomic<bool> StepsPollEveryMillisecond;
// Right before each simulation step, on the tick thread: brings SDL's joystick state up to date and
// polls, so the step flies on the stick as it is now. False while the device in use is lost: the step
// must not fly on it.
bool PollJoystickForStep();
