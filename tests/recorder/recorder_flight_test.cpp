// A scripted flight recorded through the dynamics step and played back: the states match frame by frame,
// the recorded inputs drive the controls, and slow motion performs one step in eight.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "input/control_input.h"
#include "recorder/flight_recorder.h"

namespace fs = std::filesystem;

namespace {

int scriptStep = 0;

// Spool up on the ground, lift off gently and stir the cyclic and the tail.
float ScriptedFlight(ControlFunction f) {
    float t = float(scriptStep) * 0.05f;
    switch (f) {
    case Roll:
        return 0.05f * std::sin(t * 3.1f);
    case Pitch:
        return 0.05f * std::sin(t * 2.7f);
    case Yaw:
        return 0.3f * std::sin(t * 0.5f);
    case Throttle:
        return std::min(1.0f, t * 0.5f);
    case Collective:
        return t < 3.0f ? -0.2f : 0.22f;
    }
    return 0.0f;
}

// Anything but the script: proves the playback does not listen to the live controls.
float WrongInputs(ControlFunction) {
    return 0.9f;
}

struct RecordedStep {
    uint8_t state[64];
    float controls[5];
    bool idleUp;
};

void Step() {
    std::lock_guard<std::mutex> lock(SimMutex);
    StepHelicopter(0.05f);
    scriptStep++;
}

class RecorderFlight : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/rv_recorder_flight_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ProgramDir = dir;
        InitFlightRecorder(dir + "/temporary.rec");
        {
            std::lock_guard<std::mutex> lock(SimMutex);
            ResetHelicopter();
        }
        SimPaused = false;
        SlowMotionPlayback = false;
        SimTimeStep = 0.05f;
        scriptStep = 0;
        ScriptedControlInput = ScriptedFlight;
        ScriptedIdleUp = false;
        ScriptedThrottleHold = false;
    }
    void TearDown() override {
        ShutdownRecorder();
        ScriptedControlInput = nullptr;
        ScriptedIdleUp = false;
        SlowMotionPlayback = false;
        SimPaused = false;
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string dir;
};

} // namespace

TEST_F(RecorderFlight, PlaybackReproducesEveryRecordedStateAndDrivesTheControls) {
    constexpr int Steps = 200;
    ASSERT_TRUE(StartRecording());
    std::vector<RecordedStep> flight;
    for (int k = 0; k < Steps; k++) {
        ScriptedIdleUp = k >= 100;
        Step();
        ASSERT_LT(FlightState, int32_t(FlightCrashed)) << "the scripted flight crashed at step " << k;
        RecordedStep r;
        std::memcpy(r.state, &Heli, 64);
        std::memcpy(r.controls, LastControlInputs, sizeof r.controls);
        r.idleUp = ScriptedIdleUp;
        flight.push_back(r);
    }
    // The flight went somewhere: the rotor turned and the helicopter rose from its pad.
    EXPECT_GT(Heli.rotorRpm, 2000.0f);
    EXPECT_GT(Heli.position.z, 2.0f);
    StopRecorder();

    std::ifstream in(dir + "/temporary.rec", std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), 8u + 88u * Steps);
    EXPECT_EQ(file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24, Steps);
    for (int k = 0; k < Steps; k++)
        ASSERT_EQ(std::memcmp(&file[8 + 88 * k], flight[k].state, 64), 0) << k;

    ScriptedControlInput = WrongInputs;
    ScriptedIdleUp = false;
    StartPlayback();
    ASSERT_TRUE(RecorderPlaying());
    EXPECT_EQ(std::memcmp(&Heli, flight[0].state, 64), 0);
    for (int k = 1; k < Steps; k++) {
        Step();
        ASSERT_EQ(std::memcmp(&Heli, flight[k].state, 64), 0) << "state differs at frame " << k;
        for (int f = Roll; f <= Collective; f++)
            ASSERT_EQ(GetControlInput(ControlFunction(f)), flight[k].controls[f]) << "frame " << k;
        ASSERT_EQ(IsIdleUpOn(), flight[k].idleUp) << "frame " << k;
        ASSERT_EQ(GetCollectiveStick(), flight[k].controls[Collective]) << "frame " << k;
    }
    // One more step finds the end: paused, the last frame kept.
    Step();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(std::memcmp(&Heli, flight[Steps - 1].state, 64), 0);
}

TEST_F(RecorderFlight, SlowMotionPerformsExactlyEveryEighthStep) {
    ASSERT_TRUE(StartRecording());
    for (int k = 0; k < 100; k++)
        Step();
    StopRecorder();

    // Slow motion has no effect while nothing plays.
    SlowMotionPlayback = true;
    ScriptedControlInput = ScriptedFlight;
    HeliState before = Heli;
    Step();
    EXPECT_NE(std::memcmp(&before, &Heli, 64), 0);

    StartPlayback();
    RecorderSlowMotionPressed();
    std::vector<int> advances;
    uint32_t last = Recorder.currentFrame.load();
    for (int call = 1; call <= 64; call++) {
        Step();
        if (Recorder.currentFrame.load() != last) advances.push_back(call);
        last = Recorder.currentFrame.load();
    }
    ASSERT_EQ(advances.size(), 8u);
    for (size_t i = 1; i < advances.size(); i++)
        EXPECT_EQ(advances[i] - advances[i - 1], 8);

    // Play returns to full speed: one frame per step.
    RecorderPlayPressed();
    uint32_t frame = Recorder.currentFrame.load();
    Step();
    Step();
    EXPECT_EQ(Recorder.currentFrame.load(), frame + 2);
}

TEST_F(RecorderFlight, BarActionsWhileTheTickRuns) {
    std::atomic<bool> stop{false};
    std::thread tick([&] {
        while (!stop) {
            Step();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    auto wait = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
    for (int round = 0; round < 3; round++) {
        RecorderRecordPressed();
        wait();
        ToggleBar();
        wait();
        RecorderStopPressed();
        RecorderPlayPressed();
        for (int i = 0; i < 20; i++) {
            (void)GetControlInput(Roll);
            (void)IsIdleUpOn();
            (void)RecorderPlaying();
            (void)Recorder.sliderPos.load();
        }
        RecorderSlowMotionPressed();
        wait();
        RecorderSliderDragged(Recorder.sliderMax.load() / 2);
        RecorderPausePressed();
        wait();
        RecorderStopPressed();
    }
    stop = true;
    tick.join();
    ShutdownRecorder();
    EXPECT_FALSE(RecorderRecording());
    EXPECT_FALSE(RecorderPlaying());
}
