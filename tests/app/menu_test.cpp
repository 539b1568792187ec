// The menu: the whole table against its reference list, check marks of concrete states, and the commands.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/menu.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "flight/heli_state.h"
#include "render/motion_smoothing.h"

namespace {
// The texts of the checked items in menu order, each followed by '|'.
std::string CheckedTexts() {
    std::string out;
    for (int i = 0; i < MainMenuCount; ++i)
        if (MainMenu[i].id != 0 && MenuItemChecked(MainMenu[i].id))
            out += std::string(MainMenu[i].text) + "|";
    return out;
}
} // namespace

TEST(Menu, TheWholeTableInOrder) {
    std::ifstream in(RV_TEST_DATA_DIR "/app_menu.txt");
    std::string expected, line;
    while (std::getline(in, line))
        if (line[0] != '#') expected += line + "\n";
    std::string actual;
    for (int i = 0; i < MainMenuCount; ++i) {
        const MenuEntry& e = MainMenu[i];
        if (e.id == 0) {
            // A separator stands between two items of one pop-up.
            ASSERT_TRUE(i > 0 && i + 1 < MainMenuCount && MainMenu[i + 1].id != 0) << i;
            EXPECT_STREQ(MainMenu[i - 1].popup, e.popup) << i;
            EXPECT_STREQ(MainMenu[i + 1].popup, e.popup) << i;
            continue;
        }
        std::string text = e.text;
        for (size_t at = text.find('\t'); at != std::string::npos; at = text.find('\t'))
            text.replace(at, 1, "\\t");
        actual += std::string(e.popup) + (e.submenu ? std::string(" > ") + e.submenu : "") + " | " + text +
                  " | " + std::to_string(e.id) + "\n";
    }
    EXPECT_EQ(actual, expected);
}

TEST(Menu, CheckMarksOfConcreteStates) {
    struct Case {
        int32_t speed;
        float scale;
        bool trailsOn;
        uint32_t capacity;
        int32_t background;
        bool toggles; // dotted, auto reset, school, lower camera, smooth camera and motion, motor, crash
        const char* checked;
    } cases[] = {
        {3, 1.0f, false, 600, 3, false, "1X  (normal)|None|Scale 450 Size|High|"},
        {0, 1.6f, true, 1200, 2, true,
         "Auto Reset|1/4 speed|1 minute|Dotted|Large|Medium|Show School Building|Lower Camera Angle|"
         "Smooth camera follow|Smooth motion|Motor|Crash|"},
        {6, 1.61f, true, 60, 1, false, "2.0 speed|3 second|Jumbo|Low|"},
        {9, 1.11f, true, 6000, 0, false, "2.0 speed|5 minute|Large|"},
        {1, 1.1f, true, 200, 9, false, "1/2 speed|10 second|Scale 450 Size|High|"},
        {2, 1.5f, true, 2400, 3, false, "3/4 speed|2 minute|Large|High|"},
        {4, 1.0f, true, 600, 3, false, "1.2 speed|30 second|Scale 450 Size|High|"},
        {5, 1.0f, true, 601, 3, false, "1.5 speed|Scale 450 Size|High|"},
    };
    for (const Case& c : cases) {
        SimSpeed = c.speed;
        heliScale = c.scale;
        trailsOn = c.trailsOn;
        TrailCapacity = c.capacity;
        backgroundResolution = c.background;
        trailsDotted = autoReset = showSchoolBuilding = lowerCameraAngle = c.toggles;
        smoothCameraFollow = SmoothMotion = MotorSoundEnabled = CrashSoundEnabled = c.toggles;
        showInstruments = true;     // shows no mark
        FlightState = FlightLockXY; // shows no mark
        EXPECT_EQ(CheckedTexts(), c.checked) << "speed " << c.speed << " scale " << c.scale;
    }
    FlightState = FlightFlying;
}

// With the marks pinned above, choosing an item of a group checks it and a toggle flips its mark.
TEST(Menu, CommandsSetWhatTheirMarksShow) {
    for (int id : {CmdSpeedQuarter, CmdSpeedHalf, CmdSpeedThreeQuarter, CmdSpeedNormal, CmdSpeed12,
                   CmdSpeed15, CmdSpeed20, CmdTrails3s, CmdTrails10s, CmdTrails30s, CmdTrails1m, CmdTrails2m,
                   CmdTrails5m, CmdTrailsNone, CmdBackgroundHigh, CmdBackgroundMedium, CmdBackgroundLow}) {
        HandleMenuCommand(id);
        EXPECT_TRUE(MenuItemChecked(id)) << id;
    }
    EXPECT_TRUE(reloadBackdropTexture);
    for (int id : {CmdAutoReset, CmdShowSchool, CmdLowerCamera, CmdSmoothCamera, CmdSmoothMotion,
                   CmdTrailsDotted, CmdCrashSound, CmdAutoReset}) {
        const bool before = MenuItemChecked(id);
        HandleMenuCommand(id);
        EXPECT_NE(MenuItemChecked(id), before) << id;
    }
    const bool instruments = showInstruments; // toggles, but never shows a mark
    HandleMenuCommand(CmdInstruments);
    EXPECT_NE(showInstruments, instruments);

    // Ids outside the menu are ignored; Exit only asks to quit.
    QuitRequested = SimPaused = false;
    for (int id : {40000, 40100, -5})
        HandleMenuCommand(id);
    EXPECT_FALSE(QuitRequested);
    HandleMenuCommand(CmdExit);
    EXPECT_TRUE(QuitRequested);
    EXPECT_FALSE(SimPaused);
    QuitRequested = false;
}

TEST(Menu, PauseResetAndLocksAroundACrash) {
    ResetCommand();
    SlowMotionPlayback = true;
    HandleMenuCommand(CmdPause);
    EXPECT_TRUE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    PauseCommand();
    EXPECT_FALSE(SimPaused);

    // P during the crash report resets instead of pausing, and leaves slow motion as it is.
    FlightState = FlightCrashShown;
    SimPaused = SlowMotionPlayback = true;
    PauseCommand();
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_FALSE(SimPaused);
    EXPECT_TRUE(SlowMotionPlayback);

    // A lock chosen during the crash report ends the frozen picture.
    FlightState = FlightCrashShown;
    HandleMenuCommand(CmdLockXYZ);
    EXPECT_EQ(FlightState, FlightLockXYZ);
    HandleMenuCommand(CmdLockXY);
    EXPECT_EQ(FlightState, FlightLockXY);
    SimPaused = true;
    HandleMenuCommand(CmdReset);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
}

TEST(Menu, ScaleCommandsRebuildTheStockMesh) {
    HandleMenuCommand(CmdScale450);
    EXPECT_EQ(heliScale, 1.0f);
    const float span = rotorSpan;
    const float lowest = MeshLowestPoint;
    ASSERT_GT(span, 0.0f);
    HandleMenuCommand(CmdScaleJumbo);
    EXPECT_EQ(heliScale, 2.0f);
    EXPECT_NEAR(rotorSpan, 2.0f * span, 1e-4f);
    EXPECT_NEAR(MeshLowestPoint, 2.0f * lowest, 1e-4f);
    HandleMenuCommand(CmdScaleLarge);
    EXPECT_EQ(heliScale, 1.5f);
}
