// What reaches the speakers besides the motor loop: volume levels, the stereo pan by bearing, the output
// mix, and the crash sounds (folder scan, random pick, hand-over from the step to the tick thread).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "app/user_prefs.h"
#include "assets/settings_ini.h"
#include "flight/sim_rand.h"
#include "flight/sim_rand_internal.h"
#include "sound/crash_sounds_internal.h"
#include "sound/sound_levels_internal.h"
#include "tests/assets/file_bytes.h"

namespace fs = std::filesystem;

namespace {
// A fresh folder holding empty files of the given names.
fs::path FolderWith(const std::string& name, std::initializer_list<std::string> files) {
    fs::path dir = fs::temp_directory_path() / ("rv_crash_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    for (const std::string& file : files)
        WriteFile(dir / file, {});
    return dir;
}

std::vector<std::string> played;
} // namespace

TEST(SoundOutput, PanMixLevelsAndCrashSounds) {
    struct Case {
        float x, y, left, right;
    };
    // Ahead: centred. Level with the right shoulder: left at 0.3. 45 degrees right: 1 - 0.7 x 0.7071.
    for (const Case& c :
         {Case{0, 10, 1, 1}, Case{10, 0, 0.3f, 1}, Case{-10, 0, 1, 0.3f}, Case{5, 5, 0.505f, 1},
          Case{3, -4, 0.58f, 1}, Case{0.3f, 0.3f, 1, 1}, Case{std::nanf(""), 4, 1, 1}}) {
        const StereoGains g = PanForPosition(c.x, c.y);
        EXPECT_NEAR(g.left, c.left, 1e-3) << c.x << ", " << c.y;
        EXPECT_NEAR(g.right, c.right, 1e-3) << c.x << ", " << c.y;
    }
    const int16_t mono[3] = {1000, -20000, 30000};
    int16_t out[6];
    WriteOutputFrames(mono, 3, StereoGains{0.5f, 1.5f}, 2, out);
    EXPECT_EQ(std::vector<int16_t>(out, out + 6),
              (std::vector<int16_t>{500, 1500, -10000, -30000, 15000, 32767}));
    WriteOutputFrames(mono, 3, StereoGains{0.5f, 0.25f}, 1, out);
    EXPECT_EQ(std::vector<int16_t>(out, out + 2), (std::vector<int16_t>{500, -10000}));

    // Levels from the settings file: out-of-range and damaged values fall back to 100 %.
    SetSetting(MasterVolumeKey, "50");
    SetSetting(MotorVolumeKey, "40");
    SetSetting(CrashVolumeKey, "250");
    LoadSoundLevels();
    EXPECT_NEAR(MotorOutputGain(), 0.2f, 1e-6);
    EXPECT_NEAR(CrashOutputGain(), 0.5f, 1e-6);
    SetSetting(MasterVolumeKey, "loud");
    LoadSoundLevels();
    EXPECT_EQ(Levels.masterPercent.load(), 100);
    Levels.crashPercent = 30;
    StoreSoundLevels();
    EXPECT_EQ(GetSetting(CrashVolumeKey, ""), "30");
    EXPECT_EQ(GetSetting(MasterVolumeKey, ""), "100");

    const fs::path few = FolderWith("few", {"b.wav", "A.WAV", "notes.txt", "wav"});
    fs::create_directory(few / "aaa.wav"); // sorts first, but is a folder
    ScanCrashSounds(few.string());
    EXPECT_EQ(CrashSoundList, (std::vector<std::string>{few.string() + "/A.WAV", few.string() + "/b.wav"}));
    for (int i = 0; i < 205; ++i)
        WriteFile(few / ("crash" + std::to_string(1000 + i) + ".wav"), {});
    ScanCrashSounds(few.string());
    ASSERT_EQ(CrashSoundList.size(), 200u); // at most 200
    EXPECT_EQ(CrashSoundList.back(), few.string() + "/crash1197.wav");
    ScanCrashSounds((few / "missing").string());
    EXPECT_TRUE(CrashSoundList.empty());
    fs::remove_all(few);

    // r x count / 32768: an even chance for every entry.
    struct Pick {
        int r, count, expected;
    };
    for (const Pick& c : {Pick{32767, 0, -1}, Pick{32767, 1, 0}, Pick{6553, 5, 0}, Pick{6554, 5, 1},
                          Pick{26215, 5, 4}, Pick{32767, 200, 199}, Pick{164, 200, 1}, Pick{163, 200, 0}})
        EXPECT_EQ(PickCrashSound(c.r, c.count), c.expected) << c.r << " of " << c.count;

    const fs::path dir = FolderWith("play", {"a.wav", "b.wav", "c.wav", "d.wav"});
    ScanCrashSounds(dir.string());
    SetCrashSoundPlayer([](const std::string& path, const std::atomic<bool>&) { played.push_back(path); });
    played.clear();

    // On: the pick draws exactly one random value, and the tick plays it, once, after the step.
    CrashSoundEnabled = true;
    const uint32_t saved = SimRandState;
    const int r = SimRand();
    SimRandState = saved;
    PlayCrashSound();
    EXPECT_TRUE(CrashSoundPlaying);
    EXPECT_EQ(SimRandState, saved * 214013u + 2531011u);
    EXPECT_TRUE(played.empty());
    PlayPendingCrashSound();
    PlayPendingCrashSound();
    EXPECT_EQ(played, (std::vector<std::string>{CrashSoundList[size_t(PickCrashSound(r, 4))]}));
    EndCrashSound();
    EXPECT_FALSE(CrashSoundPlaying);

    // Off: the motor still falls silent, nothing is drawn or played. A reset before the tick got to a sound
    // drops it; an empty list still draws its value.
    ToggleCrashSound();
    const uint32_t before = SimRandState;
    PlayCrashSound();
    EXPECT_TRUE(CrashSoundPlaying);
    EXPECT_EQ(SimRandState, before);
    PlayPendingCrashSound();
    ToggleCrashSound();
    PlayCrashSound();
    EndCrashSound();
    PlayPendingCrashSound();
    ScanCrashSounds((dir / "none").string());
    PlayCrashSound();
    EXPECT_NE(SimRandState, before);
    PlayPendingCrashSound();
    EXPECT_EQ(played.size(), 1u);

    // A reset stops a sound that is playing.
    static std::atomic<bool> started{false};
    SetCrashSoundPlayer([](const std::string&, const std::atomic<bool>& stop) {
        started = true;
        for (int ms = 0; !stop && ms < 10000; ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    ScanCrashSounds(dir.string());
    PlayCrashSound();
    const auto start = std::chrono::steady_clock::now();
    std::thread tick([] { PlayPendingCrashSound(); });
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EndCrashSound();
    tick.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    SetCrashSoundPlayer(nullptr);
    fs::remove_all(dir);
}
