// The program's sounds joined to the audio devices: the motor loop to its output, the crash sounds to the
// blocking player, the Sound > "Motor" switch.
#pragma once

// Start-up, before ScanCrashSounds: opens the audio devices (a failure is told to the pilot) and installs
// the crash sound player. False when no audio driver can be opened; everything else then stays silent.
bool InitSoundOutput();

// Opens the motor sound output in the loaded loop's own format (or reuses the one that is open in that
// format), fills both blocks and starts playback. Without a loaded loop nothing is opened.
void StartMotorSound();

// Loads data/motorsound.wav (naming it to the pilot when it cannot be read) and starts its output.
void LoadAndStartMotorSound();

// Sound > "Motor": toggles MotorSoundEnabled; on loads and starts the motor sound as above, off closes
// the file and leaves the output running silent.
void ToggleMotorSound();

// Shutdown, after the simulation clock was stopped: removes the crash sound player and closes the outputs.
void CloseSoundOutput();
