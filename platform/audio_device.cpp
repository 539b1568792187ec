// The SDL audio devices: the motor sound's two circulating blocks and the blocking crash sound player.
#include "platform/audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "app/program_paths.h"
#include "app/safe_file.h"
#include "app/user_prefs.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"
#include "sound/sound_levels.h"

namespace {
bool audioStarted = false;
std::atomic<bool> failureReported{false};

// Tells the pilot once per run that there will be no sound, and why.
void ReportAudioFailure(const char* what) {
    if (failureReported.exchange(true)) return;
    PostUserMessage(std::string("No sound: ") + what + " (" + SDL_GetError() + ").");
}

// SDL's disk driver (used to capture the sound in tests) writes a device to the file named by
// SDL_DISKAUDIOFILE, or to the device name given when it is opened. The crash sound is opened by name with
// a file of its own beside the motor's ("audio.raw" -> "audio-crash.raw"), so opening it does not cut the
// motor's capture short. The variable is read once at start on the main thread and never written: the
// crash sound opens on the tick thread, and changing the environment there would race every getenv.
constexpr const char* DiskFileVariable = "SDL_DISKAUDIOFILE";
std::mutex deviceOpenMutex;
std::string motorCaptureFile;

std::string CrashCaptureName(const std::string& motorFile) {
    size_t slash = motorFile.find_last_of('/');
    size_t dot = motorFile.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return motorFile + "-crash";
    return motorFile.substr(0, dot) + "-crash" + motorFile.substr(dot);
}

bool DiskDriver() {
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver && std::strcmp(driver, "disk") == 0;
}

// Opens an output that plays 16-bit samples at rate: two channels, or one where the device has only one.
SDL_AudioDeviceID OpenOutput(SDL_AudioSpec& want, SDL_AudioSpec& have, bool crash) {
    std::lock_guard<std::mutex> lock(deviceOpenMutex);
    const std::string capture = DiskDriver() && !motorCaptureFile.empty()
                                    ? (crash ? CrashCaptureName(motorCaptureFile) : motorCaptureFile)
                                    : std::string();
    const char* name = capture.empty() ? nullptr : capture.c_str();
    want.channels = 2;
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(name, 0, &want, &have, SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device != 0 && have.channels > 2) {
        // More than two speakers: SDL spreads a stereo stream over them.
        SDL_CloseAudioDevice(device);
        device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    }
    return device;
}

// The motor output. The callback runs with the device lock held; the main thread takes that lock
// (SDL_LockAudioDevice) before it touches the blocks of an open device.
SDL_AudioDeviceID motorDevice = 0;
int motorChannels = 1;
int motorRate = 0;
int32_t motorBlockSamples = 0;
std::vector<int16_t> motorBlocks[2];
StereoGains blockGains[2]; // volume and stereo position taken when each block was filled
int playingBlock = 0;      // the block the callback is handing out
int32_t playingPos = 0;    // samples of it already handed out

// Hands out the blocks in turn; a block that has been played to its end is refilled at once and goes
// behind the other one, as a wave output hands a finished block back to be queued again. The volume and
// the stereo position are taken with each block, as its rotor speed and distance are, and applied here on
// the way out, so they too change only where a block starts.
void FillMotorOutputBlock(int b) {
    FillNextMotorBlock(motorBlocks[b].data(), motorBlockSamples);
    StereoGains gains = CurrentPan();
    const float volume = MotorOutputGain();
    blockGains[b] = StereoGains{gains.left * volume, gains.right * volume};
}

void MotorCallback(void*, Uint8* stream, int len) {
    int16_t* out = reinterpret_cast<int16_t*>(stream);
    const int channels = motorChannels;
    int32_t wanted = len / (2 * channels);
    if (motorBlockSamples <= 0) {
        std::memset(stream, 0, static_cast<size_t>(len));
        return;
    }
    while (wanted > 0) {
        if (playingPos >= motorBlockSamples) {
            FillMotorOutputBlock(playingBlock);
            playingBlock ^= 1;
            playingPos = 0;
        }
        int32_t n = std::min(wanted, motorBlockSamples - playingPos);
        WriteOutputFrames(motorBlocks[playingBlock].data() + playingPos, n, blockGains[playingBlock],
                          channels, out);
        out += n * channels;
        wanted -= n;
        playingPos += n;
    }
}

void FillBothBlocks() {
    for (int b = 0; b < 2; ++b)
        FillMotorOutputBlock(b);
    playingBlock = 0;
    playingPos = 0;
}

// Plays one file on its own device and waits until it has been heard, or until stop is set. The file is
// converted to 16-bit mono, then placed by the helicopter's bearing and scaled by the crash volume.
void PlayCrashFile(const std::string& path, const std::atomic<bool>& stop) {
    SDL_AudioSpec fileSpec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &fileSpec, &buffer, &length)) return;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, fileSpec.format, fileSpec.channels, fileSpec.freq, AUDIO_S16SYS, 1,
                          fileSpec.freq) < 0) {
        SDL_FreeWAV(buffer);
        return;
    }
    std::vector<Uint8> converted(static_cast<size_t>(length) *
                                 static_cast<size_t>(std::max(cvt.len_mult, 1)));
    std::memcpy(converted.data(), buffer, length);
    SDL_FreeWAV(buffer);
    cvt.buf = converted.data();
    cvt.len = static_cast<int>(length);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return;
    const int32_t samples = (cvt.needed ? cvt.len_cvt : static_cast<int>(length)) / 2;
    std::vector<int16_t> mono(static_cast<size_t>(std::max(samples, 0)));
    std::memcpy(mono.data(), converted.data(), mono.size() * 2);

    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = fileSpec.freq;
    want.format = AUDIO_S16SYS;
    want.samples = 1024;
    SDL_AudioSpec obtained;
    SDL_AudioDeviceID device = OpenOutput(want, obtained, true);
    if (device == 0) {
        ReportAudioFailure("the crash sound's audio output could not be opened");
        return;
    }
    StereoGains gains = CurrentPan();
    const float volume = CrashOutputGain();
    gains.left *= volume;
    gains.right *= volume;
    std::vector<int16_t> frames(mono.size() * static_cast<size_t>(obtained.channels));
    WriteOutputFrames(mono.data(), samples, gains, obtained.channels, frames.data());
    SDL_QueueAudio(device, frames.data(), static_cast<Uint32>(frames.size() * 2));
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
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            ReportAudioFailure("no audio device could be opened");
            return false;
        }
        audioStarted = true;
        const char* captureFile = std::getenv(DiskFileVariable);
        std::lock_guard<std::mutex> lock(deviceOpenMutex);
        motorCaptureFile = captureFile ? captureFile : "";
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
    want.format = AUDIO_S16SYS;
    want.samples = 1024;
    want.callback = MotorCallback;
    SDL_AudioSpec have;
    motorDevice = OpenOutput(want, have, false);
    if (motorDevice == 0) {
        motorBlockSamples = 0;
        ReportAudioFailure("the motor sound's audio output could not be opened");
        return;
    }
    motorChannels = have.channels == 2 ? 2 : 1;
    SDL_PauseAudioDevice(motorDevice, 0);
}

void LoadAndStartMotorSound() {
    const std::string motorPath = ReadPath("data/motorsound.wav");
    if (!LoadMotorSound(motorPath)) ReportReadFailure(motorPath, "the motor sound");
    StartMotorSound();
}

void ToggleMotorSound() {
    MotorSoundEnabled = !MotorSoundEnabled;
    if (MotorSoundEnabled) {
        LoadAndStartMotorSound();
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
