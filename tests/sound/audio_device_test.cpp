// The SDL audio devices on SDL's disk driver: the motor output follows the rotor, the menu flag, the volume
// and the stereo placement, and a crash sound is played to its end in a capture of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/sound_output.h"
#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"
#include "sound/sound_levels_internal.h"
#include "tests/sound/wave_bytes.h"

namespace fs = std::filesystem;
using namespace wavetest;

namespace {
constexpr int Rate = 16000;

std::vector<int16_t> ReadRaw(const fs::path& path) {
    const Bytes bytes = ReadFile(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

bool AnySound(const std::vector<int16_t>& v, size_t from, size_t to) {
    return std::any_of(v.begin() + long(std::min(from, v.size())), v.begin() + long(std::min(to, v.size())),
                       [](int16_t x) { return x != 0; });
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Each test captures into a fresh folder that holds the motor loop; Capture names the disk driver's file.
class AudioDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = FreshFolder("audio");
        ProgramDir = dir.string();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        WriteFile(dir / "data" / "motorsound.wav", WaveFile(PcmMono16(Rate), SineLoop(Rate / 2, 200, 8000)));
    }
    void TearDown() override {
        CloseSoundOutput();
        fs::remove_all(dir);
    }
    void Capture(const char* name) {
        setenv("SDL_DISKAUDIOFILE", (dir / name).string().c_str(), 1);
        ASSERT_TRUE(InitSoundOutput());
        PublishSoundInputs(2500.0f, 1.0f, 1.0f);
    }
    fs::path dir;
};
} // namespace

TEST_F(AudioDevice, MotorFollowsRotorMenuVolumeAndPlaceCrashSoundPlaysInItsOwnCapture) {
    Capture("motor.raw");
    MotorSoundEnabled = false;
    Levels.masterPercent = 50;
    PublishSoundPosition(-20.0f, 0.0f); // level with the pilot's left shoulder
    ToggleMotorSound();                 // on: loads data/motorsound.wav and opens the output
    Sleep(400);
    PublishSoundInputs(0.0f, 1.0f, 1.0f); // rotor stopped
    Sleep(600);
    CloseSoundOutput();
    Levels.masterPercent = 100;
    const std::vector<int16_t> a = ReadRaw(dir / "motor.raw");
    ASSERT_GT(a.size(), size_t(Rate / 2)) << "the disk driver wrote too little";
    EXPECT_TRUE(AnySound(a, 0, Rate / 2));
    EXPECT_FALSE(AnySound(a, a.size() - Rate / 8, a.size())) << "silent while the rotor is stopped";
    // Interleaved left, right: the right channel at 0.3 of the left, the left at half the loop's level (at
    // 2500 rpm the block reads every other loop buffer sample at full loudness).
    double left = 0, right = 0;
    int peak = 0, loopPeak = 0;
    for (size_t i = 0; i + 1 < a.size(); i += 2) {
        left += std::abs(a[i]);
        right += std::abs(a[i + 1]);
        peak = std::max(peak, std::abs(a[i]));
    }
    for (size_t i = 0; i < MotorSound.LoopBuffer.size(); i += 2)
        loopPeak = std::max(loopPeak, std::abs(MotorSound.LoopBuffer[i]));
    EXPECT_NEAR(right / left, 0.3, 0.01);
    EXPECT_NEAR(peak, loopPeak / 2, loopPeak / 50);

    // Switched off from the menu: the output keeps running and writes silence. On again while the output
    // runs: the loop is reloaded under it and the same output plays it.
    Capture("motor_off.raw");
    StartMotorSound();
    Sleep(300);
    ToggleMotorSound(); // off
    Sleep(600);
    const std::vector<int16_t> b = ReadRaw(dir / "motor_off.raw");
    ASSERT_GT(b.size(), size_t(Rate / 2));
    EXPECT_TRUE(AnySound(b, 0, Rate / 4));
    EXPECT_FALSE(AnySound(b, b.size() - Rate / 8, b.size())) << "silent after Motor was switched off";
    ToggleMotorSound();
    Sleep(500);
    CloseSoundOutput();
    const std::vector<int16_t> c = ReadRaw(dir / "motor_off.raw");
    EXPECT_TRUE(AnySound(c, b.size(), c.size())) << "sound again after Motor was switched back on";

    // The crash sound plays to its end in a capture of its own, while the motor's capture runs on.
    WriteFile(dir / "crashsounds" / "bang.wav", WaveFile(PcmMono16(Rate), SineLoop(Rate * 3 / 10, 90, 9000)));
    Capture("crash.raw");
    PublishSoundPosition(0.0f, 5.0f);
    MotorSoundEnabled = false;
    ToggleMotorSound();
    Sleep(300);
    const size_t motorBefore = ReadRaw(dir / "crash.raw").size();
    ASSERT_GT(motorBefore, 0u);
    ScanCrashSounds(ProgramPath("crashsounds"));
    CrashSoundEnabled = true;
    PlayCrashSound();
    const auto start = std::chrono::steady_clock::now();
    PlayPendingCrashSound();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EndCrashSound();
    EXPECT_GE(elapsed, std::chrono::milliseconds(250)) << "returned before the sound was heard";
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    const std::vector<int16_t> crash = ReadRaw(dir / "crash-crash.raw"), motor = ReadRaw(dir / "crash.raw");
    EXPECT_GE(crash.size(), size_t(Rate * 3 / 10));
    EXPECT_TRUE(AnySound(crash, 0, crash.size()));
    EXPECT_GT(motor.size(), motorBefore);
    EXPECT_TRUE(AnySound(motor, 0, motorBefore)) << "the motor's capture was overwritten";
}
