// The motor sound: the recorded loop, its 2x loop buffer and the block synthesis that follows the rotor.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "sound/riff_wave.h"

// Lowest and highest sample rates accepted for the loop.
constexpr uint32_t MinMotorSampleRate = 4000;
constexpr uint32_t MaxMotorSampleRate = 192000;
// Largest motor sound file read into memory.
constexpr long MaxMotorSoundFileBytes = 64L * 1024 * 1024;

struct MotorSoundState {
    std::FILE* file = nullptr; // the open sound file, kept until CloseMotorSoundFile
    WaveFormat format;         // from the "fmt " chunk
    std::vector<uint8_t> data; // the "data" chunk
    uint32_t dataSize = 0;
    std::vector<int16_t> LoopBuffer; // 2 x n samples, n = dataSize / 2
    int32_t loopLimit = 0;           // n - 2 x blockSamples
    int32_t loopLength = 1;          // LoopBuffer samples over which the loop repeats; 1..loopLimit + 1
    int32_t readPos = 0;             // in LoopBuffer samples
    float rate = 2.0f;               // playback step through LoopBuffer, carried between blocks
    int32_t blockSamples = 0;        // avgBytesPerSec / 32
    int32_t blockBytes = 0;          // avgBytesPerSec / 16
};

// The motor's load when the flight model gives none (the classic model): loudness follows the rotor alone.
constexpr float NoMotorLoad = -1.0f;

// What one block is computed from; read once at the start of the block.
struct MotorSoundInputs {
    float rpm = 0.0f;
    float load = NoMotorLoad; // the motor's torque over its full torque, 0..1, or NoMotorLoad
    float distance = 0.0f;
    float doppler = 1.0f;
    bool motorOn = false;
    bool crashPlaying = false;
    bool paused = false;
};

extern MotorSoundState MotorSound;
// Guards MotorSound between the audio thread's block fill and a reload on the main thread.
extern std::mutex MotorSoundMutex;
// The audio thread's copy of MotorSoundEnabled, set by StartMotorSound and the Sound > "Motor" command.
extern std::atomic<bool> MotorSoundAudible;

// Upsamples n samples by two (one sample late), low-pass filters, amplifies by 3: 2n samples.
std::vector<int16_t> BuildLoopBuffer(const int16_t* samples, size_t n);
// The LoopBuffer length (even, at most loopLimit + 1) over which a loop of n samples repeats exactly: twice
// the longest period p with 2p <= loopLimit + 1 for which samples[i] == samples[i + p] across the file
// (the periods tried are those of a file holding its period two, three or four times plus the read-ahead).
// A file that does not repeat gets loopLimit + 1: the restart then keeps at least the overshoot.
int32_t FindLoopLength(const int16_t* samples, size_t n, int32_t loopLimit);
// True for a format the loop can be played in: 16-bit PCM mono with a consistent byte rate.
bool MotorSoundFormatUsable(const WaveFormat& format);
// Parses a whole file image and fills state (loop buffer, block sizes, readPos 0; rate untouched).
// False, with state unchanged, for anything but a 16-bit PCM mono loop at least two blocks long.
bool LoadMotorSoundBytes(const uint8_t* bytes, size_t size, MotorSoundState& state);

// Reads the file and builds LoopBuffer; on failure the previous loop stays.
bool LoadMotorSound(const std::string& path);
// Closes the file opened by LoadMotorSound; the loop in memory stays.
void CloseMotorSoundFile();

// Loudness 0..1 from the rotor speed, before the distance fall-off. With a motor load (0..1) the motor
// is heard working: from 0.55 of that loudness with the motor idle or off (the rotor still sings) to all
// of it at full load, so a punch swells and a throttle hold drops back to the blades' whoosh.
float MotorLoudness(float rpm, float load = NoMotorLoad);
// Computes one block of state.blockSamples samples into out; silent blocks leave rate and readPos alone.
// Past loopLimit the read position goes back by loopLength, keeping the overshoot, so the waveform runs on.
void FillMotorBlock(MotorSoundState& state, const MotorSoundInputs& inputs, int16_t* out);

// Called by the simulation tick after each step (also paused ones), while it holds SimMutex: hands the
// rotor speed, pilot distance, Doppler factor, motor load and SimPaused to the audio thread.
void PublishSoundInputs(float rpm, float distance, float doppler, float load = NoMotorLoad);
// The inputs as the audio thread sees them now.
MotorSoundInputs CurrentMotorSoundInputs();
// Audio thread: fills the next block of the global motor sound from the published inputs. A block whose
// length is not MotorSound.blockSamples (the loop was just replaced) comes out silent.
void FillNextMotorBlock(int16_t* out, int32_t samples);
