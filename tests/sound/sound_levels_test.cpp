// Volume levels from Settings.ini, the stereo pan by bearing and the output mix.
#include <gtest/gtest.h>

#include <cmath>

#include "app/settings_ini.h"
#include "sound/sound_levels.h"

TEST(SoundLevels, PanFollowsTheBearingFromThePilot) {
    struct Case {
        float x, y, left, right;
    };
    // Ahead: centred. Level with the right shoulder: left at 0.3. 45 degrees right: 1 - 0.7 x 0.7071.
    for (const Case& c : {Case{0, 10, 1, 1}, Case{10, 0, 0.3f, 1}, Case{-10, 0, 1, 0.3f},
                          Case{5, 5, 0.505f, 1}, Case{-5, 5, 1, 0.505f}, Case{3, -4, 0.58f, 1},
                          Case{0.3f, 0.3f, 1, 1}, Case{std::nanf(""), 4, 1, 1}}) {
        StereoGains g = PanForPosition(c.x, c.y);
        EXPECT_NEAR(g.left, c.left, 1e-3) << c.x << ", " << c.y;
        EXPECT_NEAR(g.right, c.right, 1e-3) << c.x << ", " << c.y;
    }
}

TEST(SoundLevels, OutputFramesAndSettings) {
    const int16_t mono[3] = {1000, -20000, 30000};
    int16_t stereo[6];
    WriteOutputFrames(mono, 3, StereoGains{0.5f, 1.5f}, 2, stereo);
    const int16_t expectedStereo[6] = {500, 1500, -10000, -30000, 15000, 32767};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(stereo[i], expectedStereo[i]) << i;
    int16_t single[3];
    WriteOutputFrames(mono, 3, StereoGains{0.5f, 0.25f}, 1, single);
    EXPECT_EQ(single[0], 500);
    EXPECT_EQ(single[1], -10000);

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
}
