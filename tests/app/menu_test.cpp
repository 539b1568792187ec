// The menu (its table, check marks and commands) and the order of things: files read at start-up and
// written at shutdown (seen by interposing the C library's fopen and rename), the tick and the key watch.
#include <gtest/gtest.h>

#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_wiring.h"
#include "app/menu.h"
#include "app/shared_flags.h"
#include "app/sim_step.h"
#include "app/sim_tick.h"
#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/xmesh.h"
#include "assets/xmesh_internal.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_rand_internal.h"
#include "flight/trail.h"
#include "flight/wind.h"
#include "input/control_input.h"
#include "platform/key_latch.h"
#include "recorder/flight_recorder_internal.h"
#include "render/instruments.h"
#include "render/motion_smoothing.h"
#include "render/textures_internal.h"
#include "render/view_zoom.h"
#include "tests/assets/file_bytes.h"

using Operations = std::vector<std::string>;

namespace {
bool Recording = false;
Operations FileOperations; // "read X", "create X", "append X", "write X" (a rename over X)
std::string Folder;

void Note(const char* what, const char* path) {
    if (!Recording || !path) return;
    std::string p = path;
    if (p.rfind(Folder + "/", 0) != 0 || std::filesystem::is_directory(p)) return;
    FileOperations.push_back(std::string(what) + " " + p.substr(Folder.size() + 1));
}

// The file operations one step of start-up or shutdown makes.
template <typename Step> Operations Record(Step step) {
    FileOperations.clear();
    Recording = true;
    step();
    Recording = false;
    return FileOperations;
}

// The texts of the checked items in menu order, each followed by '|'.
std::string CheckedTexts() {
    std::string out;
    for (int i = 0; i < MainMenuCount; ++i)
        if (MainMenu[i].id != 0 && MenuItemChecked(MainMenu[i].id))
            out += std::string(MainMenu[i].text) + "|";
    return out;
}
} // namespace

// Every fopen and rename of the program passes through here first.
extern "C" FILE* fopen(const char* path, const char* mode) {
    using Fn = FILE* (*)(const char*, const char*);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fopen"));
    Note(mode[0] == 'a' ? "append" : mode[0] == 'w' ? "create" : "read", path);
    return real(path, mode);
}

extern "C" int rename(const char* from, const char* to) {
    using Fn = int (*)(const char*, const char*);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "rename"));
    Note("write", to);
    return real(from, to);
}

TEST(Menu, TableCheckMarksCommandsPauseResetAndLocks) {
    std::ifstream in(RV_TEST_DATA_DIR "/app_menu.txt");
    std::string expected, line;
    while (std::getline(in, line))
        if (line[0] != '#') expected += line + "\n";
    std::string actual;
    for (int i = 0; i < MainMenuCount; ++i) {
        const MenuEntry& e = MainMenu[i];
        std::string text = e.text ? e.text : "----";
        for (size_t at = text.find('\t'); at != std::string::npos; at = text.find('\t'))
            text.replace(at, 1, "\\t");
        actual += std::string(e.popup) + (e.submenu ? std::string(" > ") + e.submenu : "") + " | " + text +
                  " | " + std::to_string(e.id) + "\n";
    }
    EXPECT_EQ(actual, expected);

    struct Case {
        int32_t speed;
        float scale;
        bool trailsOn;
        uint32_t capacity;
        int32_t background;
        bool toggles; // dotted, auto reset, school, lower camera, smooth camera and motion, auto zoom and
                      // large instruments, motor, crash
        const char* checked;
    } cases[] = {
        {3, 1.0f, false, 600, 3, false, "1X  (normal)|None|Scale 450 Size|High|Classic|Small|"},
        {0, 1.6f, true, 1200, 2, true,
         "Auto Reset|1/4 speed|1 minute|Dotted|Large|Medium|Show School Building|Classic|Lower Camera Angle|"
         "Smooth camera follow|Smooth motion|Auto zoom\t+ - 0|Large|Motor|Crash|"},
        {6, 1.61f, true, 60, 1, false, "2.0 speed|3 second|Jumbo|Low|Classic|Small|"},
        {9, 1.11f, true, 6000, 0, false, "2.0 speed|5 minute|Large|Classic|Small|"},
        {1, 1.1f, true, 200, 9, false, "1/2 speed|10 second|Scale 450 Size|High|Classic|Small|"},
        {2, 1.5f, true, 2400, 3, false, "3/4 speed|2 minute|Large|High|Classic|Small|"},
        {4, 1.0f, true, 600, 3, false, "1.2 speed|30 second|Scale 450 Size|High|Classic|Small|"},
        {5, 1.0f, true, 601, 3, false, "1.5 speed|Scale 450 Size|High|Classic|Small|"},
    };
    showInstruments = true;     // shows no mark
    FlightState = FlightLockXY; // shows no mark
    for (const Case& c : cases) {
        SimSpeed = c.speed;
        heliScale = c.scale;
        trailsOn = c.trailsOn;
        TrailCapacity = c.capacity;
        backgroundResolution = c.background;
        trailsDotted = autoReset = showSchoolBuilding = lowerCameraAngle = c.toggles;
        smoothCameraFollow = SmoothMotion = MotorSoundEnabled = CrashSoundEnabled = c.toggles;
        Zoom.autoZoom = c.toggles;
        InstrumentSizeChoice = c.toggles ? 2 : 0;
        EXPECT_EQ(CheckedTexts(), c.checked) << "speed " << c.speed << " scale " << c.scale;
    }

    // With the marks pinned above, choosing an item of a group checks it and a toggle flips its mark; the
    // scale commands rebuild the stock mesh, Jumbo at twice the 450 size.
    HandleMenuCommand(CmdScale450);
    const float span = rotorSpan;
    for (int id :
         {CmdSpeedQuarter,     CmdSpeedHalf,     CmdSpeedThreeQuarter, CmdSpeedNormal, CmdSpeed12,
          CmdSpeed15,          CmdSpeed20,       CmdTrails3s,          CmdTrails10s,   CmdTrails30s,
          CmdTrails1m,         CmdTrails2m,      CmdTrails5m,          CmdTrailsNone,  CmdBackgroundHigh,
          CmdBackgroundMedium, CmdBackgroundLow, CmdScale450,          CmdScaleLarge,  CmdScaleJumbo}) {
        HandleMenuCommand(id);
        EXPECT_TRUE(MenuItemChecked(id)) << id;
    }
    EXPECT_TRUE(reloadBackdropTexture);
    EXPECT_NEAR(rotorSpan, 2.0f * span, 1e-4f);
    for (int id : {CmdAutoReset, CmdShowSchool, CmdLowerCamera, CmdSmoothCamera, CmdSmoothMotion,
                   CmdTrailsDotted, CmdCrashSound, CmdAutoReset}) {
        const bool before = MenuItemChecked(id);
        HandleMenuCommand(id);
        EXPECT_NE(MenuItemChecked(id), before) << id;
    }
    const bool instruments = showInstruments; // toggles, but never shows a mark
    HandleMenuCommand(CmdInstruments);
    EXPECT_NE(showInstruments, instruments);

    // Pause, reset and the locks, each from a given state: pause during the crash report resets instead and
    // leaves slow motion as it is; a lock ends the frozen picture.
    const struct {
        int32_t state;
        bool paused, slow;
        int command;
        int32_t stateAfter;
        bool pausedAfter, slowAfter;
    } steps[] = {
        {FlightFlying, false, true, CmdPause, FlightFlying, true, false},
        {FlightCrashShown, true, true, CmdPause, FlightFlying, false, true},
        {FlightCrashShown, false, false, CmdLockXYZ, FlightLockXYZ, false, false},
        {FlightCrashShown, false, false, CmdLockXY, FlightLockXY, false, false},
        {FlightLockXY, true, true, CmdReset, FlightFlying, false, false},
    };
    for (const auto& s : steps) {
        FlightState = s.state;
        SimPaused = s.paused;
        SlowMotionPlayback = s.slow;
        HandleMenuCommand(s.command);
        EXPECT_EQ(FlightState, s.stateAfter) << s.command << " from " << s.state;
        EXPECT_EQ(SimPaused, s.pausedAfter) << s.command << " from " << s.state;
        EXPECT_EQ(SlowMotionPlayback, s.slowAfter) << s.command << " from " << s.state;
    }
    // Space and P pressed within one watch of the keys: Space resets in this watch, P pauses in the next.
    ResetCommand();
    Heli.position.z = 7.0f;
    LatchKeyPress(SDLK_p, false);
    LatchKeyPress(SDLK_SPACE, false);
    WatchSwitchesAndKeys();
    EXPECT_NE(Heli.position.z, 7.0f); // reset
    EXPECT_FALSE(SimPaused);
    WatchSwitchesAndKeys();
    EXPECT_TRUE(SimPaused);
    WatchSwitchesAndKeys();
    EXPECT_TRUE(SimPaused);
}

TEST(Order, StartUpShutdownAndTheTick) {
    Folder = FreshFolder("order").string();
    std::filesystem::create_directories(Folder + "/data");
    ProgramDir = UserDir = Folder;
    EXPECT_EQ(Record(StartUpBeforeWindow),
              (Operations{"read UserPrefs.dat", "read Settings.ini", "read JoystickCalibration.dat",
                          "read JoystickMapping.dat", "read data/StartUp.par"}));
    EXPECT_EQ(Record(ShutdownSaves),
              (Operations{"write UserPrefs.dat", "write JoystickCalibration.dat", "write JoystickMapping.dat",
                          "write data/StartUp.par", "read FlightLogData.log", "write FlightLogData.log",
                          "write Settings.ini"}));
    // What shutdown saves, start-up reads back: every boolean both ways, each unlike its neighbours.
    auto settings = [] {
        return std::to_string(heliScale) + " " + std::to_string(backgroundResolution) + " " +
               std::to_string(showInstruments) + std::to_string(smoothCameraFollow) +
               std::to_string(MotorSoundEnabled) + std::to_string(CrashSoundEnabled) +
               std::to_string(showSchoolBuilding) + std::to_string(autoReset) +
               std::to_string(lowerCameraAngle) + std::to_string(SmoothMotion);
    };
    for (bool b : {true, false}) {
        auto set = [](bool v) {
            heliScale = v ? 2.5f : 0.75f;
            backgroundResolution = v ? 2 : 3;
            showInstruments = MotorSoundEnabled = showSchoolBuilding = lowerCameraAngle = v;
            smoothCameraFollow = CrashSoundEnabled = autoReset = SmoothMotion = !v;
        };
        set(b);
        const std::string saved = settings();
        ShutdownSaves();
        set(!b);
        StartUpBeforeWindow();
        EXPECT_EQ(settings(), saved);
    }
    std::filesystem::remove_all(Folder);
    // Start-up joins the controls to the recorder: while a recording plays, they give its frame.
    Recorder.playing = true;
    Recorder.frameControls[Pitch] = 0.25f;
    EXPECT_EQ(GetControlInput(Pitch), 0.25f);
    Recorder.frameControls[Pitch] = 0.0f;

    // One tick is the step, then the wind, then the turbulence, with 0.05 s while a recording plays whatever
    // the speed; the state is one that another order would change.
    auto start = [] {
        ResetHelicopter();
        Heli.position = Vec3{0.0f, 6.0f, 3.0f};
        Heli.rotorRpm = 2500.0f;
        Wind = WindState{};
        Wind.windType = WindSuddenGusts;
        Wind.windSpeed = 10.0f;
        Wind.gustLullDifference = 5.0f;
        Wind.windVelocity = Vec3{3.0f, -2.0f, 0.0f};
        Turbulence = TurbulenceState{};
        Turbulence.turbLevel = 4;
        Turbulence.turbVelocity = Vec3{0.2f, 0.1f, 0.3f};
        SimRandState = 7;
        SimPaused = false;
        Recorder.playing = true; // no file: the step reads zero sticks, then ends the playback
    };
    // The state a tick leaves: helicopter, wind and turbulence velocities.
    auto snapshot = [] {
        std::vector<float> v(reinterpret_cast<const float*>(&Heli),
                             reinterpret_cast<const float*>(&Heli) + 16);
        for (Vec3 w : {Wind.windVelocity, Turbulence.turbVelocity})
            v.insert(v.end(), {w.x, w.y, w.z});
        return v;
    };
    start();
    StepSimulation(0.05f);
    StepWind(0.05f);
    StepTurbulence(0.05f);
    const std::vector<float> expected = snapshot();
    SimSpeed = 0; // 1/4 speed: 0.0125 s per tick unless a recording plays
    start();
    SimulationTick();
    EXPECT_FALSE(Recorder.playing);
    EXPECT_EQ(SimTimeStep, 0.05f);
    EXPECT_EQ(snapshot(), expected);
    start();
    Recorder.playing = false;
    SimulationTick();
    EXPECT_EQ(SimTimeStep, 0.0125f);
    SimSpeed = 3;
    // Every speed's step in the menu's order; any other index gives the 2.0 speed's.
    const float steps[9] = {0.1f, 0.0125f, 0.025f, 0.0375f, 0.05f, 0.06f, 0.075f, 0.1f, 0.1f};
    for (int speed = -1; speed <= 7; ++speed)
        EXPECT_EQ(TimeStepForSpeed(speed), steps[speed + 1]) << speed;
}
