// Faults a pilot met, each shown where it happened: a transmitter unplugged between two polls, the pause
// under Calibrate, files synced while the simulation lock is held (seen by interposing fsync), and the log
// commands with the pilot's files in their own folder.
#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "app/app_wiring.h"
#include "app/menu.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "app/sim_tick.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "flight/ground.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "input/channel_mapping.h"
#include "input/controller_switches.h"
#include "input/joystick_calibration.h"
#include "log/flight_log_internal.h"
#include "platform/joystick_device.h"
#include "platform/key_latch.h"
#include "recorder/flight_recorder_internal.h"
#include "render/heli_model.h"
#include "render/render_snapshot.h"
#include "tests/assets/file_bytes.h"
#include "tests/input/virtual_joystick.h"

namespace fs = std::filesystem;

namespace {
std::atomic<int> Syncs{0};
std::atomic<int> SyncsUnderLock{0};
} // namespace

// Every fsync of the program passes through here: another thread tries the simulation lock meanwhile, as
// the tick would. A save that syncs while holding it would make the tick wait on the disk.
extern "C" int fsync(int fd) {
    bool free = false;
    std::thread tick([&] {
        if (SimMutex.try_lock()) {
            free = true;
            SimMutex.unlock();
        }
    });
    tick.join();
    ++Syncs;
    if (!free) ++SyncsUnderLock;
    return static_cast<int>(syscall(SYS_fsync, fd));
}

// A transmitter unplugged between two polls, before the main thread has its removal event: the step
// keeps the last sticks (never -1, full deflection) and the simulation pauses; the pause stays while
// it is gone, even after P, and after it is back until the pilot resumes.
TEST(Pauses, UnpluggedTransmitterKeepsTheLastSticksAndNothingResumesUnderCalibrate) {
    ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    SetJoystickCalibrationDefaults(Calibration);
    SetFullTravelCalibration(Calibration);
    SDL_Joystick* transmitter = AttachVirtualJoystick("RC Transmitter", 6, 4);
    ASSERT_TRUE(InitJoystickDevices());
    PumpDeviceEvents(TransmitterRemoved);
    Calibration.joystickId = 0;
    const Sint16 sticks[6] = {12000, -9000, 20000, -15000, 0, 5000};
    for (int i = 0; i < 6; ++i)
        SDL_JoystickSetVirtualAxis(transmitter, i, sticks[i]);
    SDL_JoystickSetVirtualButton(transmitter, 2, SDL_PRESSED);
    EXPECT_TRUE(TransmitterPresent());
    ReadSticksForStep = PollJoystickForStep;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        ResetHelicopter();
        SimPaused = false;
    }
    auto expectLastSticks = [&](const char* when) {
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(Calibration.raw[i], sticks[i] + 32768) << when << ", axis " << i;
            EXPECT_GT(NormalizeAxis(i), -0.99f) << when << ", axis " << i;
        }
        EXPECT_EQ(Calibration.buttons, 1 << 2) << when;
    };

    SimulationTick();
    EXPECT_FALSE(SimPaused);
    expectLastSticks("flying");

    DetachVirtualJoystick(transmitter); // the removal event waits in SDL's queue
    SimulationTick();
    EXPECT_TRUE(SimPaused) << "the tick's poll found the transmitter gone";
    expectLastSticks("gone, no event yet");
    EXPECT_FALSE(ServiceJoystickPoll()); // the main loop's poll sees it too
    StepsPollEveryMillisecond = true;    // and, while steps poll every millisecond, answers from them
    EXPECT_FALSE(ServiceJoystickPoll());
    StepsPollEveryMillisecond = false;
    expectLastSticks("the main loop's poll");

    PumpDeviceEvents(TransmitterRemoved);
    EXPECT_FALSE(TransmitterPresent());
    PauseCommand();
    EXPECT_FALSE(SimPaused);
    SimulationTick();
    EXPECT_TRUE(SimPaused) << "nothing flies while the transmitter is gone";
    expectLastSticks("gone, event handled");

    transmitter = AttachVirtualJoystick("RC Transmitter", 6, 4);
    PumpDeviceEvents(TransmitterRemoved);
    EXPECT_TRUE(TransmitterPresent());
    SimulationTick();
    EXPECT_TRUE(SimPaused) << "the pause stays until the pilot resumes";
    EXPECT_EQ(Calibration.raw[0], 32768); // the returned transmitter is read again
    PauseCommand();
    SimulationTick();
    EXPECT_FALSE(SimPaused);

    // Another device chosen, the transmitter unplugged meanwhile, then chosen again: it was not being
    // read when it went, so it reads nothing (as any missing device) and nothing pauses.
    Calibration.joystickId = 5;
    EXPECT_TRUE(PollJoystickForStep());
    DetachVirtualJoystick(transmitter);
    PumpDeviceEvents(TransmitterRemoved);
    Calibration.joystickId = 0;
    EXPECT_TRUE(PollJoystickForStep());
    EXPECT_EQ(Calibration.raw[0], 0);

    ReadSticksForStep = nullptr;
    ShutdownJoystickDevices();
    SDL_Quit();

    // While Calibrate is open nothing resumes the simulation: not P, Space, the menu, nor a tick that finds
    // the pause cleared; once it closes P resumes as before.
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        ResetHelicopter();
        SimPaused = true;
    }
    PauseHeld = true;
    for (int command : {CmdPause, CmdReset, CmdPause}) {
        HandleMenuCommand(command);
        EXPECT_TRUE(SimPaused) << command;
    }
    FlightState = FlightCrashShown;
    PauseCommand();
    EXPECT_TRUE(SimPaused) << "P after a crash";
    EXPECT_EQ(FlightState, FlightFlying);
    LatchKeyPress(SDLK_SPACE, false);
    WatchSwitchesAndKeys();
    LatchKeyPress(SDLK_p, false);
    WatchSwitchesAndKeys();
    EXPECT_TRUE(SimPaused) << "Space, then P";
    SimPaused = false;
    SimulationTick();
    EXPECT_TRUE(SimPaused) << "the tick";

    PauseHeld = false;
    PauseCommand();
    EXPECT_FALSE(SimPaused);
}

// Saving an instant replay, saving and loading a recording, and appending the session to the log sync
// their files with the simulation lock free, so no tick waits for the disk.
TEST(Saves, NoFileSyncedUnderTheSimulationLockAndTheLogMenuOnThePilotsLog) {
    const std::string folder = FreshFolder("faults_saves").string();
    ProgramDir = UserDir = folder;
    InitFlightRecorder(ScratchRecordingPlace().write);
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        ResetHelicopter();
        for (uint32_t i = 0; i < InstantReplayFrames; ++i)
            KeepInstantReplayFrame();
        FlightTimeTotals[ClassTotal] = 120.0f;
    }
    Syncs = SyncsUnderLock = 0;
    ASSERT_TRUE(TakeInstantReplay());
    EXPECT_EQ(ReadFile(ScratchRecordingPlace().write).size(), 8u + 88u * InstantReplayFrames);
    const std::string saved = PrepareRecordingChooser() + "/replay.rec";
    ASSERT_TRUE(SaveRecordingTo(saved));
    EXPECT_EQ(ReadFile(saved).size(), 8u + 88u * InstantReplayFrames);
    ASSERT_TRUE(LoadRecordingFrom(saved));
    EXPECT_EQ(Recorder.sliderMax.load(), InstantReplayFrames);
    HandleMenuCommand(CmdAppendSession);
    EXPECT_EQ(ReadFile(FlightLogPlace().write).size(), 52u);
    EXPECT_GE(Syncs.load(), 4);
    EXPECT_EQ(SyncsUnderLock.load(), 0);
    ShutdownRecorder();
    fs::remove_all(folder);

    // With the pilot's files in their own folder and no log there yet, "Append session to log" writes the
    // pilot's log and "Reset Entire Log" deletes it; a failed append keeps the session and says so.
    const std::string pilotFolder = FreshFolder("faults_pilot").string();
    ProgramDir = pilotFolder + "/install"; // the install folder cannot be written (here: it is not there)
    UserDir = pilotFolder + "/pilot";
    fs::create_directories(UserDir);
    EXPECT_EQ(FlightLogPlace().read, UserDir + "/FlightLogData.log");
    EXPECT_EQ(FlightLogPlace().write, UserDir + "/FlightLogData.log");
    EXPECT_EQ(CalibrationPlace().read, ProgramDir + "/JoystickCalibration.dat"); // the shipped default
    EXPECT_EQ(CalibrationPlace().write, UserDir + "/JoystickCalibration.dat");

    ResetSession();
    FlightTimeTotals[ClassTotal] = 90.0f;
    CrashCount = 2;
    HandleMenuCommand(CmdAppendSession);
    EXPECT_EQ(ReadFile(UserDir + "/FlightLogData.log").size(), 52u);
    EXPECT_EQ(FlightTimeTotals[ClassTotal], 0.0f);
    EXPECT_EQ(CrashCount, 0u);
    HandleMenuCommand(CmdResetEntireLog);
    EXPECT_FALSE(fs::exists(UserDir + "/FlightLogData.log"));

    // A log that cannot be read (here a folder in its place): nothing is appended, the session stays.
    fs::create_directories(UserDir + "/FlightLogData.log");
    TakeUserMessages();
    FlightTimeTotals[ClassTotal] = 45.0f;
    CrashCount = 1;
    HandleMenuCommand(CmdAppendSession);
    EXPECT_EQ(FlightTimeTotals[ClassTotal], 45.0f);
    EXPECT_EQ(CrashCount, 1u);
    std::string said;
    for (const std::string& message : TakeUserMessages())
        said += message + "\n";
    EXPECT_NE(said.find("could not be appended"), std::string::npos) << said;
    ResetSession();
    fs::remove_all(pilotFolder);
}

// A shorter trail keeps only its newest points, oldest first; a longer one keeps them all and grows.
TEST(Trails, ANewLengthKeepsOnlyTheNewestPoints) {
    auto drawn = [] {
        std::vector<Vec3> older, newer;
        CopyTrailParts(trailRing, trailHead, trailCount, TrailCapacity, older, newer);
        std::vector<float> xs;
        for (const std::vector<Vec3>* part : {&older, &newer})
            for (const Vec3& p : *part)
                xs.push_back(p.x);
        return xs;
    };
    auto series = [](float from, float to) {
        std::vector<float> xs(static_cast<size_t>(to - from + 1.0f));
        std::iota(xs.begin(), xs.end(), from);
        return xs;
    };
    HandleMenuCommand(CmdTrails5m); // 6000 points
    for (uint32_t i = 0; i < 3000; ++i)
        trailRing[i] = Vec3{static_cast<float>(i), 0.0f, 0.0f};
    trailHead = trailCount = 3000;
    HandleMenuCommand(CmdTrails3s); // 60 points
    EXPECT_EQ(drawn(), series(2940, 2999));
    // A full ring that wrapped: 60 points, the newest at index 9.
    for (uint32_t i = 0; i < 60; ++i)
        trailRing[i] = Vec3{static_cast<float>(i < 10 ? 100 + i : 40 + i), 0.0f, 0.0f};
    trailHead = 10;
    trailCount = 60;
    HandleMenuCommand(CmdTrails10s); // 200 points
    EXPECT_EQ(drawn(), series(50, 109));
    HandleMenuCommand(CmdTrails3s);
    EXPECT_EQ(drawn(), series(50, 109));
    HandleMenuCommand(CmdTrailsNone);
}

namespace {
// Runs call on a thread of its own while this thread holds a lock (lock and unlock given); true when the
// call waited for the lock, i.e. had not returned 150 ms later and returned once the lock was released.
template <typename Lock, typename Unlock, typename Call>
bool WaitsForLock(Lock lock, Unlock unlock, Call call) {
    std::atomic<bool> done{false};
    lock();
    std::thread other([&] {
        call();
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const bool waited = !done;
    unlock();
    other.join();
    return waited && done;
}
} // namespace

// Every main-thread command that changes what the tick reads, and the tick itself, takes the simulation
// lock; the joystick table is read under SDL's joystick lock.
TEST(Locks, CommandsAndTheTickWaitForTheirLocks) {
    const std::string folder = FreshFolder("faults_locks").string();
    ProgramDir = UserDir = folder;
    InitFlightRecorder(ScratchRecordingPlace().write);
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        KeepInstantReplayFrame();
    }
    Mapping.resetSwitch = 0x10000; // button 0
    SetResetSwitchEnabled(true);
    const struct {
        const char* name;
        std::function<void()> call;
    } commands[] = {
        {"PauseCommand", PauseCommand},
        {"ResetCommand", ResetCommand},
        {"trail length", [] { HandleMenuCommand(CmdTrails30s); }},
        {"lock XY", [] { HandleMenuCommand(CmdLockXY); }},
        {"PauseSimulation", PauseSimulation},
        {"controller reset switch",
         [] {
             Calibration.buttons ^= 1;
             PollControllerSwitches();
         }},
        {"SetHeliScale", [] { SetHeliScale(1.5f); }},
        {"StartRecording", [] { StartRecording(); }},
        {"StopRecorder", StopRecorder},
        {"RecorderPausePressed", RecorderPausePressed},
        {"RecorderSlowMotionPressed", RecorderSlowMotionPressed},
        {"TakeInstantReplay", [] { TakeInstantReplay(); }},
        {"AppendSessionCommand", AppendSessionCommand},
        {"ResetSessionCommand", ResetSessionCommand},
        {"ShowTimeLogDialog", ShowTimeLogDialog},
        {"CaptureRenderSnapshot", CaptureRenderSnapshot},
        {"SimulationTick", SimulationTick},
    };
    auto lockSim = [] { SimMutex.lock(); };
    auto unlockSim = [] { SimMutex.unlock(); };
    for (const auto& c : commands)
        EXPECT_TRUE(WaitsForLock(lockSim, unlockSim, c.call)) << c.name;
    StopRecorder();

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    ASSERT_TRUE(InitJoystickDevices());
    Calibration.joystickId = 3; // no device there: nothing but the table is read
    EXPECT_TRUE(WaitsForLock(SDL_LockJoysticks, SDL_UnlockJoysticks, [] { PollJoystick(); }));
    EXPECT_TRUE(WaitsForLock(SDL_LockJoysticks, SDL_UnlockJoysticks, [] { ReadJoystick(3, false); }));
    // Never waiting for it: whether the transmitter is there, and a frame's poll while the realistic
    // model's steps poll every millisecond (a preempted frame would hold the steps back).
    StepsPollEveryMillisecond = true;
    for (auto call : {+[] { ServiceJoystickPoll(); }, +[] { TransmitterPresent(); }})
        EXPECT_FALSE(WaitsForLock(SDL_LockJoysticks, SDL_UnlockJoysticks, call));
    StepsPollEveryMillisecond = false;
    ShutdownJoystickDevices();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SetResetSwitchEnabled(false);
    PauseHeld = false;
    ShutdownRecorder();
    fs::remove_all(folder);
}
