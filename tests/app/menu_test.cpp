// The menu dispatch: exclusive groups, toggles and their marks, Exit, pause and locks, scale rebuilds.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "app/menu.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "flight/heli_state.h"

namespace {
int CheckedIn(std::initializer_list<int> group) {
    int count = 0;
    for (int id : group) count += MenuItemChecked(id) ? 1 : 0;
    return count;
}
} // namespace

TEST(MenuTable, ItemsAreUniqueAndInTheirRange) {
    std::set<int> ids;
    std::set<std::string> popups;
    for (int i = 0; i < MainMenuCount; ++i) {
        const MenuEntry& e = MainMenu[i];
        popups.insert(e.popup);
        if (e.id == 0) continue;
        EXPECT_GE(e.id, 40001);
        EXPECT_LE(e.id, 40099);
        EXPECT_TRUE(ids.insert(e.id).second) << e.id;
    }
    EXPECT_EQ(popups.size(), 7u);
    EXPECT_EQ(ids.size(), 62u);
    EXPECT_EQ(std::string(MainMenu[0].text), "Pause \t (P)");
}

TEST(MenuCommands, ExclusiveGroupsCheckExactlyOneItem) {
    const std::initializer_list<int> speeds = {CmdSpeedQuarter, CmdSpeedHalf, CmdSpeedThreeQuarter, CmdSpeedNormal,
                         CmdSpeed12,      CmdSpeed15,   CmdSpeed20};
    EXPECT_TRUE(MenuItemChecked(CmdSpeedNormal)); // the start-up mark
    HandleMenuCommand(CmdSpeed15);
    EXPECT_EQ(SimSpeed, 5);
    EXPECT_EQ(CheckedIn(speeds), 1);
    EXPECT_TRUE(MenuItemChecked(CmdSpeed15));
    HandleMenuCommand(CmdSpeedNormal);
    EXPECT_EQ(SimSpeed, 3);

    const std::initializer_list<int> trails = {CmdTrailsNone, CmdTrails3s, CmdTrails10s, CmdTrails30s,
                         CmdTrails1m,   CmdTrails2m, CmdTrails5m};
    EXPECT_TRUE(MenuItemChecked(CmdTrailsNone));
    HandleMenuCommand(CmdTrails30s);
    EXPECT_TRUE(trailsOn);
    EXPECT_EQ(TrailCapacity, 600u);
    EXPECT_EQ(CheckedIn(trails), 1);
    HandleMenuCommand(CmdTrailsDotted); // a toggle beside the group, not part of it
    EXPECT_TRUE(trailsDotted);
    EXPECT_TRUE(MenuItemChecked(CmdTrails30s));
    HandleMenuCommand(CmdTrailsNone);
    EXPECT_FALSE(trailsOn);
    EXPECT_EQ(CheckedIn(trails), 1);
    HandleMenuCommand(CmdTrailsDotted);

    const std::initializer_list<int> backgrounds = {CmdBackgroundHigh, CmdBackgroundMedium, CmdBackgroundLow};
    reloadBackdropTexture = false;
    HandleMenuCommand(CmdBackgroundMedium);
    EXPECT_EQ(backgroundResolution, 2);
    EXPECT_TRUE(reloadBackdropTexture);
    EXPECT_EQ(CheckedIn(backgrounds), 1);
    backgroundResolution = 0; // a value from a file checks nothing
    EXPECT_EQ(CheckedIn(backgrounds), 0);
    backgroundResolution = 7;
    EXPECT_TRUE(MenuItemChecked(CmdBackgroundHigh));
    HandleMenuCommand(CmdBackgroundLow);
}

TEST(MenuCommands, TogglesFlipTheirSettingAndMark) {
    struct Toggle {
        int id;
        bool* value;
    } toggles[] = {{CmdAutoReset, &autoReset},         {CmdShowSchool, &showSchoolBuilding},
                   {CmdLowerCamera, &lowerCameraAngle}, {CmdSmoothCamera, &smoothCameraFollow},
                   {CmdCrashSound, &CrashSoundEnabled}};
    for (const Toggle& t : toggles) {
        bool before = *t.value;
        HandleMenuCommand(t.id);
        EXPECT_EQ(*t.value, !before) << t.id;
        EXPECT_EQ(MenuItemChecked(t.id), !before) << t.id;
        HandleMenuCommand(t.id);
        EXPECT_EQ(*t.value, before) << t.id;
    }
    // "Instruments" toggles but never shows a mark.
    bool instruments = showInstruments;
    HandleMenuCommand(CmdInstruments);
    EXPECT_EQ(showInstruments, !instruments);
    EXPECT_FALSE(MenuItemChecked(CmdInstruments));
    HandleMenuCommand(CmdInstruments);
    EXPECT_FALSE(MenuItemChecked(CmdInstruments));
}

TEST(MenuCommands, ExitOnlyRequestsTheQuitAndForeignIdsAreIgnored) {
    QuitRequested = false;
    SimPaused = false;
    int32_t speed = SimSpeed;
    HandleMenuCommand(40000);
    HandleMenuCommand(40100);
    HandleMenuCommand(-5);
    EXPECT_FALSE(QuitRequested);
    EXPECT_EQ(SimSpeed, speed);
    HandleMenuCommand(CmdExit);
    EXPECT_TRUE(QuitRequested);
    EXPECT_FALSE(SimPaused);
    QuitRequested = false;
}

TEST(MenuCommands, PauseResetAndLocksAroundACrash) {
    ResetCommand();
    EXPECT_EQ(FlightState, FlightFlying);
    SlowMotionPlayback = true;
    PauseCommand();
    EXPECT_TRUE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    PauseCommand();
    EXPECT_FALSE(SimPaused);

    // P while the crash report is shown resets instead of pausing, and keeps slow motion as it is.
    FlightState = FlightCrashShown;
    SimPaused = true;
    SlowMotionPlayback = true;
    HandleMenuCommand(CmdPause);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_FALSE(SimPaused);
    EXPECT_TRUE(SlowMotionPlayback);
    SlowMotionPlayback = false;

    // A lock chosen during the crash report ends the frozen picture.
    FlightState = FlightCrashShown;
    HandleMenuCommand(CmdLockXYZ);
    EXPECT_EQ(FlightState, FlightLockXYZ);
    HandleMenuCommand(CmdLockXY);
    EXPECT_EQ(FlightState, FlightLockXY);
    EXPECT_FALSE(MenuItemChecked(CmdLockXY));

    SimPaused = true;
    SlowMotionPlayback = true;
    HandleMenuCommand(CmdReset);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
}

TEST(MenuCommands, ScaleCommandsRebuildTheStockMesh) {
    HandleMenuCommand(CmdScale450);
    EXPECT_EQ(heliScale, 1.0f);
    EXPECT_TRUE(MenuItemChecked(CmdScale450));
    float span450 = rotorSpan;
    float lowest450 = MeshLowestPoint;
    ASSERT_GT(span450, 0.0f);
    HandleMenuCommand(CmdScaleJumbo);
    EXPECT_EQ(heliScale, 2.0f);
    EXPECT_NEAR(rotorSpan, 2.0f * span450, 1e-4f);
    EXPECT_NEAR(MeshLowestPoint, 2.0f * lowest450, 1e-4f);
    EXPECT_TRUE(MenuItemChecked(CmdScaleJumbo));
    EXPECT_FALSE(MenuItemChecked(CmdScale450));
    HandleMenuCommand(CmdScaleLarge);
    EXPECT_EQ(heliScale, 1.5f);
    EXPECT_EQ(ScaleMenuChoice(1.1f), CmdScale450);
    EXPECT_EQ(ScaleMenuChoice(1.11f), CmdScaleLarge);
    EXPECT_EQ(ScaleMenuChoice(1.6f), CmdScaleLarge);
    EXPECT_EQ(ScaleMenuChoice(1.61f), CmdScaleJumbo);
}
