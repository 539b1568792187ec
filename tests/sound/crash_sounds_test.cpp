// Crash sounds: the folder scan, the random pick, and the hand-over from the step to the tick thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>
#include <unistd.h>

#include "app/user_prefs.h"
#include "flight/sim_rand.h"
#include "sound/crash_sounds.h"

namespace fs = std::filesystem;

namespace {
fs::path MakeTempDir(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("rv_crash_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}
void Touch(const fs::path& path) {
    std::fclose(std::fopen(path.string().c_str(), "wb"));
}

std::vector<std::string> played;
void RecordingPlayer(const std::string& path, const std::atomic<bool>&) {
    played.push_back(path);
}

std::atomic<bool> longPlayerStarted{false};
void PlayerUntilStopped(const std::string&, const std::atomic<bool>& stop) {
    longPlayerStarted = true;
    auto start = std::chrono::steady_clock::now();
    while (!stop && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
} // namespace

TEST(CrashSoundList, ScanTakesAtMost200FilesAndSkipsFolders) {
    fs::path dir = MakeTempDir("scan");
    for (int i = 0; i < 205; ++i)
        Touch(dir / ("crash" + std::to_string(1000 + i) + ".wav"));
    fs::create_directory(dir / "aaa.wav"); // sorts first, but is a folder
    Touch(dir / "notes.txt");
    Touch(dir / "wav");
    ScanCrashSounds(dir.string());
    ASSERT_EQ(CrashSoundList.size(), 200u);
    EXPECT_EQ(CrashSoundList.front(), dir.string() + "/crash1000.wav");
    EXPECT_EQ(CrashSoundList.back(), dir.string() + "/crash1199.wav");
    for (const std::string& p : CrashSoundList)
        EXPECT_TRUE(fs::is_regular_file(p)) << p;

    fs::path few = MakeTempDir("few");
    Touch(few / "b.wav");
    Touch(few / "A.WAV");
    ScanCrashSounds(few.string());
    EXPECT_EQ(CrashSoundList, (std::vector<std::string>{few.string() + "/A.WAV", few.string() + "/b.wav"}));

    ScanCrashSounds((dir / "missing").string());
    EXPECT_TRUE(CrashSoundList.empty());
    fs::remove_all(dir);
    fs::remove_all(few);
}

TEST(CrashSoundList, PickGivesEveryEntryAnEvenChance) {
    struct Case {
        int r, count, expected;
    };
    for (const Case& c :
         {Case{0, 0, -1}, Case{32767, 0, -1}, Case{32767, 1, 0}, Case{0, 5, 0}, Case{6553, 5, 0},
          Case{6554, 5, 1}, Case{26214, 5, 3}, Case{26215, 5, 4}, Case{32766, 5, 4}, Case{32767, 5, 4},
          Case{16383, 2, 0}, Case{16384, 2, 1}, Case{32767, 200, 199}, Case{164, 200, 1}, Case{163, 200, 0}})
        EXPECT_EQ(PickCrashSound(c.r, c.count), c.expected) << c.r << " of " << c.count;

    // The shipped sounds over 32768 crashes: every one is heard, each about a fifth of the time, and each
    // crash draws exactly one value, so the random sequence is the same as with the old pick.
    ScanCrashSounds((fs::path(RV_PROGRAM_DIR) / "crashsounds").string());
    ASSERT_EQ(CrashSoundList.size(), 5u);
    SetCrashSoundPlayer(RecordingPlayer);
    played.clear();
    CrashSoundEnabled = true;
    const uint32_t saved = SimRandState;
    uint32_t expectedState = saved;
    std::map<std::string, int> heard;
    for (int i = 0; i < 32768; ++i) {
        PlayCrashSound();
        PlayPendingCrashSound();
        EndCrashSound();
        expectedState = expectedState * 214013u + 2531011u;
    }
    for (const std::string& path : played)
        heard[path] += 1;
    EXPECT_EQ(SimRandState, expectedState);
    ASSERT_EQ(heard.size(), 5u);
    for (const auto& [path, times] : heard)
        EXPECT_NEAR(times, 32768 / 5, 400) << path;
    SetCrashSoundPlayer(nullptr);
    SimRandState = saved;
}

TEST(CrashSoundPlayback, PickPlayAndSilence) {
    fs::path dir = MakeTempDir("play");
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
        Touch(dir / name);
    ScanCrashSounds(dir.string());
    SetCrashSoundPlayer(RecordingPlayer);
    played.clear();

    // On: the pick uses the next random value, and the tick plays it once the lock is gone.
    CrashSoundEnabled = true;
    const uint32_t saved = SimRandState;
    const int r = SimRand();
    SimRandState = saved;
    PlayCrashSound();
    EXPECT_TRUE(CrashSoundPlaying);
    EXPECT_NE(SimRandState, saved);
    EXPECT_TRUE(played.empty());
    PlayPendingCrashSound();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], CrashSoundList[static_cast<size_t>(PickCrashSound(r, 4))]);
    PlayPendingCrashSound();
    EXPECT_EQ(played.size(), 1u) << "a sound plays once";
    EndCrashSound();
    EXPECT_FALSE(CrashSoundPlaying);

    // Off: the motor still falls silent, nothing is drawn or played.
    ToggleCrashSound();
    EXPECT_FALSE(CrashSoundEnabled);
    const uint32_t before = SimRandState;
    PlayCrashSound();
    EXPECT_TRUE(CrashSoundPlaying);
    EXPECT_EQ(SimRandState, before);
    PlayPendingCrashSound();
    EXPECT_EQ(played.size(), 1u);
    ToggleCrashSound();
    EXPECT_TRUE(CrashSoundEnabled);

    // A reset before the tick got to it drops the sound.
    PlayCrashSound();
    EndCrashSound();
    PlayPendingCrashSound();
    EXPECT_EQ(played.size(), 1u);

    // An empty list plays nothing, but the random value is still drawn.
    ScanCrashSounds((dir / "none").string());
    const uint32_t emptyBefore = SimRandState;
    PlayCrashSound();
    EXPECT_NE(SimRandState, emptyBefore);
    PlayPendingCrashSound();
    EXPECT_EQ(played.size(), 1u);
    EndCrashSound();

    // No player installed: returns at once.
    ScanCrashSounds(dir.string());
    SetCrashSoundPlayer(nullptr);
    PlayCrashSound();
    PlayPendingCrashSound();
    EndCrashSound();
    EXPECT_EQ(played.size(), 1u);
    fs::remove_all(dir);
}

TEST(CrashSoundPlayback, ResetStopsASoundThatIsPlaying) {
    fs::path dir = MakeTempDir("stop");
    Touch(dir / "long.wav");
    ScanCrashSounds(dir.string());
    SetCrashSoundPlayer(PlayerUntilStopped);
    CrashSoundEnabled = true;
    longPlayerStarted = false;
    PlayCrashSound();
    auto start = std::chrono::steady_clock::now();
    std::thread tick([] { PlayPendingCrashSound(); });
    while (!longPlayerStarted)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EndCrashSound();
    tick.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(CrashSoundPlaying);
    SetCrashSoundPlayer(nullptr);
    fs::remove_all(dir);
}
