// The SDL audio devices: the motor sound's two circulating blocks and the blocking crash sound player.
#include "platform/audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "app/program_paths.h"
#include "app/user_prefs.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"

namespace {
bool audioStarted = false;

// The motor output. The callback runs with the device lock held; the main thread takes that lock
// (SDL_LockAudioDevice) before it touches the blocks of an open device.
SDL_AudioDeviceID motorDevice = 0;
int motorRate = 0;
int32_t motorBlockSamples = 0;
std::vector<int16_t> motorBlocks[2];
int playingBlock = 0;   // the block the callback is handing out
int32_t playingPos = 0; // samples of it already handed out

// Hands out the blocks in turn; a block that has been played to its end is refilled at once and goes
// behind the other one, as a wave output hands a finished block back to be queued again.
void MotorCallback(void*, Uint8* stream, int len) {
    int16_t* out = reinterpret_cast<int16_t*>(stream);
    int32_t wanted = len / 2;
    if (motorBlockSamples <= 0) {
        std::memset(stream, 0, static_cast<size_t>(len));
        return;
    }
    while (wanted > 0) {
        if (playingPos >= motorBlockSamples) {
            FillNextMotorBlock(motorBlocks[playingBlock].data(), motorBlockSamples);
            playingBlock ^= 1;
            playingPos = 0;
        }
        int32_t n = std::min(wanted, motorBlockSamples - playingPos);
        std::memcpy(out, motorBlocks[playingBlock].data() + playingPos, static_cast<size_t>(n) * 2);
        out += n;
        wanted -= n;
        playingPos += n;
    }
}

void FillBothBlocks() {
    for (int b = 0; b < 2; ++b)
        FillNextMotorBlock(motorBlocks[b].data(), motorBlockSamples);
    playingBlock = 0;
    playingPos = 0;
}

// Plays one file on its own device and waits until it has been heard, or until stop is set.
void PlayCrashFile(const std::string& path, const std::atomic<bool>& stop) {
    SDL_AudioSpec wanted;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &wanted, &buffer, &length)) return;
    wanted.callback = nullptr;
    wanted.userdata = nullptr;
    SDL_AudioSpec obtained;
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_FreeWAV(buffer);
        return;
    }
    SDL_QueueAudio(device, buffer, length);
    SDL_FreeWAV(buffer);
    SDL_PauseAudioDevice(device, 0);
    while (!stop && SDL_GetQueuedAudioSize(device) > 0)
        SDL_Delay(10);
    // The last buffer handed to the driver still has to be heard.
    Uint32 tailMs =
        obtained.freq > 0 ? 1000u * obtained.samples / static_cast<Uint32>(obtained.freq) + 20 : 0;
    for (Uint32 waited = 0; !stop && waited < tailMs; waited += 10)
        SDL_Delay(10);
    SDL_CloseAudioDevice(device);
}
} // namespace

bool InitAudioDevices() {
    if (!audioStarted) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        audioStarted = true;
    }
    SetCrashSoundPlayer(PlayCrashFile);
    return true;
}

void StartMotorSound() {
    MotorSoundAudible = MotorSoundEnabled;
    if (!audioStarted) return;
    int rate = 0;
    int32_t blockSamples = 0;
    {
        std::lock_guard<std::mutex> lock(MotorSoundMutex);
        rate = static_cast<int>(MotorSound.format.samplesPerSec);
        blockSamples = MotorSound.blockSamples;
    }
    if (blockSamples <= 0) return;

    // Only one output draws from the loop: an open one in the same format is reused.
    if (motorDevice != 0 && rate == motorRate && blockSamples == motorBlockSamples) {
        SDL_LockAudioDevice(motorDevice);
        FillBothBlocks();
        SDL_UnlockAudioDevice(motorDevice);
        return;
    }
    if (motorDevice != 0) {
        SDL_CloseAudioDevice(motorDevice);
        motorDevice = 0;
    }
    motorRate = rate;
    motorBlockSamples = blockSamples;
    for (std::vector<int16_t>& block : motorBlocks)
        block.assign(static_cast<size_t>(blockSamples), 0);
    FillBothBlocks();

    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_S16LSB;
    want.channels = 1;
    want.samples = 1024;
    want.callback = MotorCallback;
    motorDevice = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (motorDevice == 0) {
        motorBlockSamples = 0;
        return;
    }
    SDL_PauseAudioDevice(motorDevice, 0);
}

void ToggleMotorSound() {
    MotorSoundEnabled = !MotorSoundEnabled;
    if (MotorSoundEnabled) {
        LoadMotorSound(ReadPath("data/motorsound.wav"));
        StartMotorSound();
    } else {
        MotorSoundAudible = false;
        CloseMotorSoundFile();
    }
}

void CloseAudioDevices() {
    SetCrashSoundPlayer(nullptr);
    if (motorDevice != 0) SDL_CloseAudioDevice(motorDevice);
    motorDevice = 0;
    motorBlockSamples = 0;
    if (audioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioStarted = false;
}
