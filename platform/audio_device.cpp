// The SDL audio devices: one output whose callback asks for samples, and a player that plays a WAVE file
// to its end. What is played comes from plain callbacks; this file knows nothing of the program's sounds.
#include "platform/audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {
bool audioStarted = false;
std::atomic<bool> failureReported{false};
std::atomic<AudioFailureReport> failureReport{nullptr};

// Tells the pilot once per run that there will be no sound, and why.
void ReportAudioFailure(const char* what) {
    if (failureReported.exchange(true)) return;
    AudioFailureReport report = failureReport.load();
    if (report) report(std::string("No sound: ") + what + " (" + SDL_GetError() + ").");
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

// The motor output. Its callback runs with the device lock held; LockMotorOutput takes that lock.
SDL_AudioDeviceID motorDevice = 0;
int motorRate = 0;
int motorChannels = 1;
std::atomic<AudioFill> motorFill{nullptr};

void MotorCallback(void*, Uint8* stream, int len) {
    AudioFill fill = motorFill.load();
    const int channels = motorChannels;
    if (!fill) {
        std::memset(stream, 0, static_cast<size_t>(len));
        return;
    }
    fill(reinterpret_cast<int16_t*>(stream), len / (2 * channels), channels);
}

} // namespace

void PlayWavFile(const std::string& path, const std::atomic<bool>& stop, MonoPlacement place) {
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
    std::vector<int16_t> frames(mono.size() * static_cast<size_t>(obtained.channels));
    place(mono.data(), samples, obtained.channels, frames.data());
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

bool InitAudioDevices(AudioFailureReport report) {
    failureReport = report;
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
    return true;
}

bool AudioDevicesStarted() {
    return audioStarted;
}

int MotorOutputChannels(int rate) {
    return motorDevice != 0 && rate == motorRate ? motorChannels : 0;
}

int OpenMotorOutput(int rate, AudioFill fill) {
    CloseMotorOutput();
    if (!audioStarted) return 0;
    motorFill = fill;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.samples = 1024;
    want.callback = MotorCallback;
    SDL_AudioSpec have;
    motorDevice = OpenOutput(want, have, false);
    if (motorDevice == 0) {
        ReportAudioFailure("the motor sound's audio output could not be opened");
        return 0;
    }
    motorRate = rate;
    motorChannels = have.channels == 2 ? 2 : 1;
    SDL_PauseAudioDevice(motorDevice, 0);
    return motorChannels;
}

void LockMotorOutput() {
    if (motorDevice != 0) SDL_LockAudioDevice(motorDevice);
}

void UnlockMotorOutput() {
    if (motorDevice != 0) SDL_UnlockAudioDevice(motorDevice);
}

void CloseMotorOutput() {
    if (motorDevice != 0) SDL_CloseAudioDevice(motorDevice);
    motorDevice = 0;
    motorRate = 0;
}

void CloseAudioDevices() {
    CloseMotorOutput();
    if (audioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioStarted = false;
}
