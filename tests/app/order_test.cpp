// The order of things: files read at start-up and written at shutdown (recorded by interposing the C
// library's fopen and rename), the tick's step, wind and turbulence, and the key watch.
#include <gtest/gtest.h>

#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/app_wiring.h"
#include "app/menu.h"
#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "app/sim_tick.h"
#include "flight/heli_state.h"
#include "flight/sim_rand.h"
#include "flight/wind.h"
#include "platform/key_latch.h"
#include "recorder/flight_recorder.h"

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

TEST(Order, StartUpReadsAndShutdownWrites) {
    Folder = (std::filesystem::temp_directory_path() / ("rv-order-" + std::to_string(getpid()))).string();
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder + "/data");
    ProgramDir = UserDir = Folder;
    EXPECT_EQ(Record(StartUpBeforeWindow),
              (Operations{"read UserPrefs.dat", "read Settings.ini", "read JoystickCalibration.dat",
                          "read JoystickMapping.dat", "read data/StartUp.par"}));
    EXPECT_EQ(Record(ShutdownSaves),
              (Operations{"write UserPrefs.dat", "write JoystickCalibration.dat", "write JoystickMapping.dat",
                          "write data/StartUp.par", "read FlightLogData.log", "write FlightLogData.log",
                          "write Settings.ini"}));
    std::filesystem::remove_all(Folder);
}

// One tick is the step, then the wind, then the turbulence, with 0.05 s while a recording plays whatever
// the speed; the state is one that another order would change.
TEST(Order, TickStepsHelicopterWindTurbulence) {
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
    StepHelicopter(0.05f);
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
}

// Space and P pressed within one watch: Space resets in this watch, P pauses in the next.
TEST(Order, SpaceAndPInOneWatch) {
    while (KeyPressedSinceLastQuery(KeySpace) || KeyPressedSinceLastQuery(KeyP)) {
    }
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
    SimPaused = false;
}
