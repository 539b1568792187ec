// The SDL audio devices: the motor sound's double-buffered output and the crash sound player.
#pragma once

// Start-up, before ScanCrashSounds: opens SDL's audio subsystem and installs the crash sound player.
// False when no audio driver can be opened; everything else then stays silent.
bool InitAudioDevices();

// Opens the motor sound output in the loaded file's own format (or reuses the one that is open in that
// format), fills both blocks and starts playback. Without a loaded loop nothing is opened.
void StartMotorSound();

// Loads data/motorsound.wav (naming it to the pilot when it cannot be read) and starts its output.
void LoadAndStartMotorSound();

// Sound > "Motor": toggles MotorSoundEnabled; on loads and starts the motor sound as above, off closes
// the file and leaves the output running silent.
void ToggleMotorSound();

// Shutdown, after the simulation clock was stopped: closes the motor output and SDL's audio subsystem.
void CloseAudioDevices();
