// The SDL audio devices: an output whose callback asks for 16-bit samples, and a blocking player of WAVE
// files. The sounds themselves come through plain callbacks.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

// Fills frames frames of channels interleaved 16-bit samples (the audio thread, device lock held).
using AudioFill = void (*)(int16_t* out, int32_t frames, int channels);
// Writes samples mono samples as frames of channels interleaved samples.
using MonoPlacement = void (*)(const int16_t* mono, int32_t samples, int channels, int16_t* out);
// Receives a message for the pilot ("No sound: ..."), at most once per run.
using AudioFailureReport = void (*)(const std::string& text);

// Opens SDL's audio subsystem. False when no audio driver can be opened; everything then stays silent.
bool InitAudioDevices(AudioFailureReport report);
bool AudioDevicesStarted();

// Opens the motor output at rate (16-bit, two channels or one) with fill as its callback, closing one
// that is open. Returns the channels obtained (1 or 2), or 0 when no output could be opened.
int OpenMotorOutput(int rate, AudioFill fill);
// The channels of the open motor output when it plays at rate, else 0.
int MotorOutputChannels(int rate);
// The device lock of the motor output: its callback does not run while it is held.
void LockMotorOutput();
void UnlockMotorOutput();
void CloseMotorOutput();

// Plays the WAVE file at path on an output of its own, converted to 16-bit mono and written out by
// place, and returns once it has been heard or stop became true.
void PlayWavFile(const std::string& path, const std::atomic<bool>& stop, MonoPlacement place);

// Closes the motor output and SDL's audio subsystem.
void CloseAudioDevices();
