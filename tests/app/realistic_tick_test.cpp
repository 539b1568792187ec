// The realistic model on the tick: 50 physics steps per 50 ms tick with the sticks read before each one,
// the same states as stepping the model directly on the same sticks (as the headless runner does), the
// 50 ms work once per tick, crash and reset, pause, speed and the position lock.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/flight_model_choice.h"
#include "assets/program_paths.h"
#include "app/realistic_tick.h"
#include "assets/settings_ini.h"
#include "app/shared_flags.h"
#include "app/sim_tick.h"
#include "flight/ground.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "input/control_input.h"
#include "log/flight_log_internal.h"
#include "recorder/flight_recorder.h"
#include "sound/motor_sound.h"
#include "tests/assets/file_bytes.h"

namespace fs = std::filesystem;

namespace {
int sticksRead = 0; // calls of the stick poll: one per physics step

bool CountingPoll() {
    sticksRead += 1;
    return true;
}
void NoWait(std::chrono::steady_clock::time_point) {}

// The script's sticks at poll n (as the controls give them, in float): full throttle from the start, the
// collective stepping with every poll so that a step that missed its read would fly on a stale value, a
// roll input after two seconds.
RealisticSticks ScriptSticks(int n) {
    RealisticSticks s;
    s.roll = n >= 2000 && n < 2300 ? 0.5f : 0.0f;
    s.collective = static_cast<float>(n < 3000 ? -0.2 + 0.0001 * (n % 7) : 0.3 + 0.0002 * (n % 11));
    s.throttle = 1.0f;
    return s;
}
float ScriptedInput(ControlFunction f) {
    const RealisticSticks s = ScriptSticks(sticksRead);
    return static_cast<float>(f == Roll         ? s.roll
                              : f == Throttle   ? s.throttle
                              : f == Collective ? s.collective
                                                : 0.0);
}

class RealisticTickTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir / "helicopters");
        fs::copy_file(fs::path(RV_SOURCE_DIR) / "helicopters" / "450 Sport.toml",
                      dir / "helicopters" / "450 Sport.toml");
        ProgramDir = dir.string();
        ASSERT_TRUE(ChooseUserDir());
        static bool installed = false;
        if (!installed) InstallRealisticTick();
        installed = true;
        std::string error;
        ASSERT_TRUE(ChooseFlightModel("450 Sport", error)) << error;
        WaitForPhysicsStep = NoWait;
        ReadSticksForStep = CountingPoll;
        ScriptedControlInput = ScriptedInput;
        sticksRead = 0;
        SimPaused = false;
        SimSpeed = 3;
    }
    void TearDown() override {
        ScriptedControlInput = nullptr;
        ReadSticksForStep = nullptr;
        fs::remove_all(dir);
    }
    const fs::path dir = FreshFolder("rtick");
};
} // namespace

TEST_F(RealisticTickTest, FiftyStepsPerTickOnFreshSticksPauseSpeedLockCrashAndReset) {
    // Chosen: on the pad, resting, rotor stopped.
    EXPECT_EQ(RealisticNow.flightState, FlightResting);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_EQ(RealisticNow.position.y, HeliStartPosition.y);
    EXPECT_EQ(RealisticNow.rotorOmega, 0.0);
    const int ticks = 100; // 5 s
    uint64_t stepsBefore = RealisticSteps;
    float totalBefore = FlightTimeTotals[0];
    RealisticState reference = RealisticNow;
    RealisticEnvironment still;
    double tickLoad = 0.0; // the motor's mean load over the tick, which the sound hears
    for (int t = 0; t < ticks; ++t) {
        SimulationTick();
        EXPECT_EQ(sticksRead, 50 * (t + 1));
        tickLoad = 0.0;
        for (int n = 50 * t + 1; n <= 50 * (t + 1); ++n) {
            StepRealistic(reference, ActiveFlightModel.params, ActiveFlightModel.derived, ScriptSticks(n),
                          still, RealisticStepSeconds);
            tickLoad += reference.motorLoad / 50.0;
        }
    }
    ASSERT_GT(tickLoad, 0.05);
    EXPECT_NEAR(CurrentMotorSoundInputs().load, tickLoad, 1e-5);
    EXPECT_EQ(RealisticSteps - stepsBefore, 50u * ticks);
    const auto figures = [](const RealisticState& r) {
        return std::vector<double>{
            r.position.x, r.position.y, r.position.z, r.velocity.z,         r.rates.y, r.q[0], r.q[1],
            r.q[2],       r.q[3],       r.rotorOmega, double(r.flightState)};
    };
    const RealisticState& s = RealisticNow;
    EXPECT_EQ(figures(s), figures(reference));
    // The script spun the rotor up and lifted off; the program's state shows it.
    EXPECT_GT(Heli.rotorRpm, 1000.0f);
    EXPECT_FLOAT_EQ(Heli.rotorRpm, static_cast<float>(s.rotorOmega * 60.0 / (2.0 * M_PI)));
    EXPECT_EQ(FlightState, s.flightState);
    // The flight log counted the 50 ms ticks, not the physics steps.
    EXPECT_NEAR(FlightTimeTotals[0] - totalBefore, ticks * 0.05f, 1e-3);

    uint64_t steps = RealisticSteps;
    SimPaused = true;
    SimulationTick();
    EXPECT_EQ(RealisticSteps, steps);
    SimPaused = false;

    SimSpeed = 0; // quarter speed: 12.5 steps per tick
    for (int t = 0; t < 4; ++t)
        SimulationTick();
    EXPECT_EQ(RealisticSteps - steps, 50u);
    SimSpeed = 3;

    {
        std::lock_guard<std::mutex> lock(SimMutex);
        FlightState = FlightLockXYZ;
    }
    SimulationTick();
    EXPECT_EQ(FlightState, FlightLockXYZ);
    EXPECT_NEAR(RealisticNow.position.y, 4.0, 1e-9);
    EXPECT_NEAR(RealisticNow.position.z, 2.0, 1e-9);

    // Dropped from 5 m, upside down: a crash, its report, and the pad three seconds later.
    uint32_t crashes = CrashCount;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        FlightState = FlightFlying;
        RealisticNow.flightState = FlightFlying;
        RealisticNow.position = {3.0, 10.0, 5.0};
        RealisticNow.velocity = {0.0, 0.0, -8.0};
        RealisticNow.q[0] = RealisticNow.q[1] = RealisticNow.q[3] = 0.0;
        RealisticNow.q[2] = 1.0; // half a turn about the nose
        std::memset(CrashReportText, 0, sizeof CrashReportText);
    }
    for (int t = 0; t < 40 && FlightState != FlightCrashed; ++t)
        SimulationTick();
    ASSERT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(CrashCount, crashes + 1);
    EXPECT_GT(std::strlen(CrashReportText), 0u);
    for (int t = 0; t < 59; ++t)
        SimulationTick();
    EXPECT_EQ(FlightState, FlightCrashed); // still shown
    for (int t = 0; t < 2; ++t)
        SimulationTick();
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_NEAR(RealisticNow.position.x, HeliStartPosition.x, 1e-3);
    EXPECT_NEAR(RealisticNow.position.y, HeliStartPosition.y, 1e-3);
    EXPECT_NEAR(RealisticNow.position.z, ActiveFlightModel.params.skidDepthM, 1e-3);

    // The classic model again: the tick no longer runs physics steps.
    std::string error;
    ASSERT_TRUE(ChooseFlightModel(ClassicModelName, error));
    steps = RealisticSteps;
    SimulationTick();
    EXPECT_EQ(RealisticSteps, steps);
}

// Either model's tick leaves the recorder frame holding the sticks read last and the idle-up and hold
// switches, and adds a trail sample.
TEST_F(RealisticTickTest, EveryModelsFrameHoldsTheSticksAndSwitchesReadLast) {
    ScriptedIdleUp = true;
    for (const char* model : {"450 Sport", ClassicModelName}) {
        std::string error;
        ASSERT_TRUE(ChooseFlightModel(model, error)) << error;
        const uint32_t trail = trailCount;
        SimulationTick();
        const RealisticSticks last = ScriptSticks(sticksRead);
        EXPECT_EQ(std::vector<double>(ControlsForFrame.controls, ControlsForFrame.controls + 5),
                  std::vector<double>({last.roll, 0.0, 0.0, last.throttle, last.collective}))
            << model;
        EXPECT_TRUE(ControlsForFrame.idleUp) << model;
        EXPECT_FALSE(ControlsForFrame.throttleHold) << model;
        EXPECT_EQ(trailCount, std::min(trail + 1, TrailCapacity)) << model;
    }
    ScriptedIdleUp = false;
}
