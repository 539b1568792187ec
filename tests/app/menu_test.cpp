// The menu dispatch: exclusive groups, toggles and their marks, Exit, pause and locks, scale rebuilds.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/menu.h"
#include "render/motion_smoothing.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "flight/heli_state.h"

namespace {
int CheckedIn(std::initializer_list<int> group) {
    int count = 0;
    for (int id : group)
        count += MenuItemChecked(id) ? 1 : 0;
    return count;
}

// The whole menu as the pilot sees it, in order: "pop-up[ > sub-menu] | item text | command id", with
// \t for the tab before the shortcut column. Separators are not listed. New items go in their place here.
const char* const ExpectedMenu = R"(Simulation | Pause \t (P) | 40026
Simulation | Reset \t (Space Bar) | 40070
Simulation | Auto Reset | 40086
Simulation | Wind / Turbulence | 40010
Simulation > Speed | 1/4 speed | 40040
Simulation > Speed | 1/2 speed | 40041
Simulation > Speed | 3/4 speed | 40042
Simulation > Speed | 1X  (normal) | 40039
Simulation > Speed | 1.2 speed | 40043
Simulation > Speed | 1.5 speed | 40044
Simulation > Speed | 2.0 speed | 40045
Simulation > Trails | None | 40092
Simulation > Trails | 3 second | 40099
Simulation > Trails | 10 second | 40093
Simulation > Trails | 30 second | 40094
Simulation > Trails | 1 minute | 40095
Simulation > Trails | 2 minute | 40096
Simulation > Trails | 5 minute | 40097
Simulation > Trails | Dotted | 40098
Simulation > Training Modes | Lock XYZ position | 40068
Simulation > Training Modes | Lock XY position | 40069
Simulation > Training Modes | Random Attitudes | 40087
Simulation > Log | View session times | 40061
Simulation > Log | Append session to log | 40063
Simulation > Log | View log | 40064
Simulation > Log | Reset Session | 40065
Simulation > Log | Reset Entire Log | 40071
Simulation | Exit | 40053
Graphics | Stock 450 Geometry | 40083
Graphics | 450 Canopy Graphics | 40066
Graphics | Load Heli Geometry | 40082
Graphics | Scale 450 Size | 40046
Graphics | Large | 40047
Graphics | Jumbo | 40048
Graphics > Background Resolution | High | 40079
Graphics > Background Resolution | Medium | 40080
Graphics > Background Resolution | Low | 40081
Graphics | Show School Building | 40085
Model | Load Model Setup | 40004
Model | Save Model Setup | 40005
Model | Exponential Rates | 40052
Model | Gyro settings | 40006
Model | Normal Pitch Curve | 40008
Model | Normal Throttle Curve | 40009
Model | IdleUp Pitch Curve | 40019
Model | IdleUp Throttle Curve | 40020
Model | Model Parameters | 40003
Model | Swash Imperfections | 40089
View | Instruments | 40021
View | Record/Play Bar\t(R) | 40025
View | Lower Camera Angle | 40090
View | Smooth camera follow | 40074
View | Smooth motion | 40091
View | Full screen\tF11 | 40088
Sound | Motor | 40076
Sound | Crash | 40077
Sound | Volume | 40078
Joystick | Controller Select | 40075
Joystick | Calibrate | 40001
Joystick | Mapping | 40011
Joystick | Reset,Pause | 40059
Help | Index | 40051
Help | About | 40049
)";

// The menu table written out in the same form.
std::string MenuAsText() {
    std::string out;
    for (int i = 0; i < MainMenuCount; ++i) {
        const MenuEntry& e = MainMenu[i];
        if (e.id == 0) continue;
        std::string text = e.text;
        for (size_t at = text.find('\t'); at != std::string::npos; at = text.find('\t'))
            text.replace(at, 1, "\\t");
        out += std::string(e.popup) + (e.submenu ? std::string(" > ") + e.submenu : "") + " | " + text +
               " | " + std::to_string(e.id) + "\n";
    }
    return out;
}

// The texts of the checked items, in menu order.
std::vector<std::string> CheckedTexts() {
    std::vector<std::string> out;
    for (int i = 0; i < MainMenuCount; ++i)
        if (MainMenu[i].id != 0 && MenuItemChecked(MainMenu[i].id)) out.push_back(MainMenu[i].text);
    return out;
}
} // namespace

TEST(MenuTable, TheWholeMenuInOrder) {
    EXPECT_EQ(MenuAsText(), ExpectedMenu);
    // Separators only ever stand between items of one pop-up or sub-menu.
    for (int i = 0; i < MainMenuCount; ++i) {
        if (MainMenu[i].id != 0) continue;
        ASSERT_TRUE(i > 0 && i + 1 < MainMenuCount) << i;
        EXPECT_STREQ(MainMenu[i - 1].popup, MainMenu[i].popup) << i;
        EXPECT_STREQ(MainMenu[i + 1].popup, MainMenu[i].popup) << i;
        EXPECT_NE(MainMenu[i + 1].id, 0) << i;
    }
}

TEST(MenuTable, CheckMarksOfConcreteStates) {
    struct Case {
        int32_t speed;
        float scale;
        bool trails;
        uint32_t capacity;
        bool dotted;
        int32_t background;
        bool toggles; // auto reset, school, lower camera, motor, crash on; smooth camera off
        std::vector<std::string> checked;
    };
    const Case cases[] = {
        {3,
         1.0f,
         false,
         600,
         false,
         3,
         false,
         {"1X  (normal)", "None", "Scale 450 Size", "High", "Smooth camera follow", "Smooth motion"}},
        {0,
         1.6f,
         true,
         1200,
         true,
         2,
         true,
         {"Auto Reset", "1/4 speed", "1 minute", "Dotted", "Large", "Medium", "Show School Building",
          "Lower Camera Angle", "Motor", "Crash"}},
        {6,
         1.61f,
         true,
         60,
         false,
         1,
         false,
         {"2.0 speed", "3 second", "Jumbo", "Low", "Smooth camera follow", "Smooth motion"}},
        {5, 1.11f, true, 6000, false, 0, false, {"1.5 speed", "5 minute", "Large", "Smooth camera follow", "Smooth motion"}},
        {1,
         1.1f,
         true,
         200,
         false,
         9,
         false,
         {"1/2 speed", "10 second", "Scale 450 Size", "High", "Smooth camera follow", "Smooth motion"}},
    };
    for (const Case& c : cases) {
        SimSpeed = c.speed;
        heliScale = c.scale;
        trailsOn = c.trails;
        TrailCapacity = c.capacity;
        trailsDotted = c.dotted;
        backgroundResolution = c.background;
        autoReset = showSchoolBuilding = lowerCameraAngle = MotorSoundEnabled = CrashSoundEnabled = c.toggles;
        smoothCameraFollow = SmoothMotion = !c.toggles;
        showInstruments = true;
        FlightState = FlightLockXYZ;
        EXPECT_EQ(CheckedTexts(), c.checked) << "speed " << c.speed << " scale " << c.scale;
    }
    SimSpeed = 3;
    heliScale = 1.0f;
    trailsOn = trailsDotted = false;
    backgroundResolution = 3;
    autoReset = showSchoolBuilding = lowerCameraAngle = MotorSoundEnabled = CrashSoundEnabled = false;
    smoothCameraFollow = SmoothMotion = true;
    FlightState = FlightFlying;
}

TEST(MenuCommands, ExclusiveGroupsCheckExactlyOneItem) {
    const std::initializer_list<int> speeds = {CmdSpeedQuarter, CmdSpeedHalf, CmdSpeedThreeQuarter,
                                               CmdSpeedNormal,  CmdSpeed12,   CmdSpeed15,
                                               CmdSpeed20};
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
    } toggles[] = {{CmdAutoReset, &autoReset},
                   {CmdShowSchool, &showSchoolBuilding},
                   {CmdLowerCamera, &lowerCameraAngle},
                   {CmdSmoothCamera, &smoothCameraFollow},
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
