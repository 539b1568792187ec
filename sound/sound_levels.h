// The pilot's volume levels and the stereo placement of the sounds: applied on output only, never to the
// simulation, its recordings or its random sequence.
#pragma once
#include <atomic>
#include <cstdint>

// Settings.ini keys of the three levels.
inline constexpr const char* MasterVolumeKey = "MasterVolume";
inline constexpr const char* MotorVolumeKey = "MotorVolume";
inline constexpr const char* CrashVolumeKey = "CrashVolume";

// Main thread: the levels from Settings.ini (100 % when missing or damaged), and back into it.
void LoadSoundLevels();
void StoreSoundLevels();

// Output gains 0..1: master x motor and master x crash.
float MotorOutputGain();
float CrashOutputGain();

struct StereoGains {
    float left = 1.0f;
    float right = 1.0f;
};
// How loud each channel is for a sound at (x, y) on the ground, seen from the pilot facing +y (x to the
// right): straight ahead both channels at 1; towards one side the other channel falls, down to 0.3 for a
// sound level with the pilot's shoulder. Close to the pilot (under 0.5 m) the sound is centred.
StereoGains PanForPosition(float x, float y);

// Called by the simulation tick with the helicopter's ground position; the audio threads read it.
void PublishSoundPosition(float x, float y);
StereoGains CurrentPan();

// Writes count mono samples as interleaved stereo frames (left, right), each scaled by its gain and
// saturated to 16 bits. With channels 1 the samples are scaled by the louder gain only.
void WriteOutputFrames(const int16_t* mono, int32_t count, StereoGains gains, int channels, int16_t* out);
