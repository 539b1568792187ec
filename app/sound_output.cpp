// The motor loop and the crash sounds joined to the SDL audio devices.
#include "app/sound_output.h"

#include <mutex>
#include <string>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "platform/audio_device.h"
#include "sound/crash_sounds.h"
#include "sound/motor_output.h"
#include "sound/motor_sound.h"
#include "sound/sound_switches.h"

namespace {
void PlayCrashFile(const std::string& path, const std::atomic<bool>& stop) {
    PlayWavFile(path, stop, PlaceCrashSound);
}
} // namespace

bool InitSoundOutput() {
    if (!InitAudioDevices(PostUserMessage)) return false;
    SetCrashSoundPlayer(PlayCrashFile);
    return true;
}

void StartMotorSound() {
    MotorSoundAudible = MotorSoundEnabled;
    if (!AudioDevicesStarted()) return;
    int rate = 0;
    int32_t blockSamples = 0;
    {
        std::lock_guard<std::mutex> lock(MotorSoundMutex);
        rate = static_cast<int>(MotorSound.format.samplesPerSec);
        blockSamples = MotorSound.blockSamples;
    }
    if (blockSamples <= 0) return;

    // Only one output draws from the loop: an open one in the same format is reused.
    if (MotorOutputChannels(rate) != 0 && blockSamples == MotorOutputBlockSamples()) {
        LockMotorOutput();
        PrepareMotorOutput(blockSamples);
        UnlockMotorOutput();
        return;
    }
    CloseMotorOutput();
    PrepareMotorOutput(blockSamples);
    if (OpenMotorOutput(rate, FillMotorOutput) == 0) ClearMotorOutput();
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

void CloseSoundOutput() {
    SetCrashSoundPlayer(nullptr);
    CloseMotorOutput();
    ClearMotorOutput();
    CloseAudioDevices();
}
