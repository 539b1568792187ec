// The flight model's tests. The scripted reference flights are replayed and every step is compared with
// tests/data/pinned_flights.bin (written by tools/pinflights, read here by offsets): the 16 state floats
// within a relative 1e-5, the flight state and the random generator exactly. The other tests cover what
// those flights cannot see: a steady wind worked by hand, touchdown limits and crash texts, collisions, the
// tail trim's limits, the step's order rules (pause, crash countdown, slow motion, trail, log, recorder),
// unusable setup values and the vector helpers the drawing code uses.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "app/sim_step.h"
#include "app/user_prefs.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "flight/gyro_internal.h"
#include "flight/heli_step.h"
#include "flight/sim_rand_internal.h"
#include "flight/trail.h"
#include "flight/wind.h"
#include "log/flight_log_internal.h"
#include "pinned_flights.h"
#include "recorder/flight_recorder_internal.h"
#include "sound/crash_sounds_internal.h"

namespace {
static_assert(std::endian::native == std::endian::little, "ticks are copied from the file as they lie");

bool Close(float want, float got) {
    return std::fabs(want - got) <= 1e-5f * std::fmax(std::fabs(want), 1e-3f);
}
} // namespace

TEST(PinnedFlights, EveryStepMatchesTheReference) {
    std::ifstream in(RV_TEST_DATA_DIR "/pinned_flights.bin", std::ios::binary);
    std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        if (at + 4 <= b.size()) std::memcpy(&v, &b[at], 4);
        return v;
    };
    ASSERT_TRUE(b.size() > 12 && std::memcmp(b.data(), "RVPF", 4) == 0 && u32(4) == 1);
    ASSERT_EQ(u32(8), 2u * static_cast<uint32_t>(PinnedFlightScriptCount()));
    size_t at = 12;
    for (uint32_t n = 0; n < u32(8); ++n) {
        PinnedFlight got = FlyPinnedFlight(static_cast<int>(n / 2), PinnedTimeSteps[n % 2]);
        ASSERT_LE(at + 40 + 72 * got.ticks.size(), b.size()) << got.name;
        ASSERT_EQ(std::string(&b[at], strnlen(&b[at], 31)), got.name);
        ASSERT_EQ(std::bit_cast<float>(u32(at + 32)), got.dt);
        ASSERT_EQ(u32(at + 36), got.ticks.size()) << got.name;
        for (size_t i = 0; i < got.ticks.size(); ++i) {
            PinnedTick want;
            std::memcpy(&want, &b[at + 40 + 72 * i], 72);
            const PinnedTick& tick = got.ticks[i];
            int k = 0;
            while (k < 16 && Close(want.state[k], tick.state[k]))
                ++k;
            if (k == 16 && want.flightState == tick.flightState && want.randState == tick.randState) continue;
            ADD_FAILURE() << "\"" << got.name << "\" dt " << got.dt << " first differs at step " << i
                          << (k < 16 ? " in state float " + std::to_string(k) + " (HeliState order)"
                                     : " in FlightState or the random state");
            break;
        }
        at += 40 + 72 * got.ticks.size();
    }
    EXPECT_EQ(at, b.size());
}

TEST(Ground, TouchdownLimitsCollisionsCrashTextsAndTheVectorHelpers) {
    const std::pair<Touchdown, bool> touchdowns[] = {
        {{-3.0f, 4.0f, 15.0f, 15.0f, false, CrashGround}, false},
        {{-3.01f, 0.0f, 0.0f, 0.0f, false, CrashGround}, true},
        {{0.0f, 4.01f, 0.0f, 0.0f, false, CrashGround}, true},
        {{0.0f, 0.0f, 15.01f, 0.0f, false, CrashGround}, true},
        {{0.0f, 0.0f, 0.0f, 15.01f, false, CrashGround}, true},
        {{0.0f, 0.0f, 0.0f, 0.0f, true, CrashGround}, true},
        {{0.0f, 0.0f, 0.0f, 0.0f, false, CrashBuilding}, true},
    };
    for (size_t n = 0; n < std::size(touchdowns); ++n)
        EXPECT_EQ(IsCrash(touchdowns[n].first), touchdowns[n].second) << "touchdown " << n;
    // A nose straight down has nothing horizontal: 90 degrees, not NaN; a cosine rounded above 1 is held
    // at 1.
    EXPECT_EQ(TiltFromHorizontalDeg(Vec3{0.0f, 0.0f, -1.0f}), 90.0f);
    EXPECT_EQ(TiltFromHorizontalDeg(Vec3{0.00199999847f, 0.999997973f, 0.0f}), 0.0f);
    // Levelling a nose straight up brings it down the way the up axis leans; with nothing to go by, ahead.
    EXPECT_EQ(LevelledNose(WorldUnitZ, Vec3{0.0f, -1.0f, 0.0f}).y, 1.0f);
    EXPECT_EQ(LevelledNose(WorldUnitZ, WorldUnitZ).y, 1.0f);

    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 1}, Vec3{0, -1, 0}, true), CrashBuilding);
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 1}, Vec3{0, 1, 0}, true), CrashGround);     // moving away
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 1}, Vec3{0, -1, 0}, false), CrashGround);   // no building shown
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 4.0f}, Vec3{0, -1, 0}, true), CrashGround); // above its roof
    EXPECT_EQ(CollisionKind(Vec3{0.4f, -0.4f, 1.9f}, WorldZero, true), CrashPilot);
    EXPECT_EQ(CollisionKind(Vec3{0.4f, -0.4f, 2.0f}, WorldZero, true), CrashGround);

    WriteCrashReport(Touchdown{-3.01f, 0.0f, 90.0f, 0.0f, false, CrashGround});
    EXPECT_STREQ(CrashReportText, " CRASHED \n\nVertical Velocity: -6.74 mph\nHorizontal Velocity: 0.00 mph\n"
                                  "Pitch Angle: 90.00\nRoll Angle: 0.00");
    WriteCrashReport(Touchdown{0.0f, 0.0f, 0.0f, 0.0f, false, CrashPilot});
    EXPECT_STREQ(CrashReportText, " CRASHED \nHit yourself! OUCH!");

    const std::pair<Mat4, Mat4> rotations[] = {
        {rotationBetween(WorldUnitX, WorldUnitY), rotationZ(Pi / 2)},
        {rotationBetween(Vec3{0, 2, 0}, Vec3{0, 5, 0}), identity()},
        {rotationBetween(Vec3{1, 0, 0}, Vec3{-3, 0, 0}), identity()}, // opposite: no axis to turn about
        {rotationBetween(WorldUnitZ, Vec3{0, -1, 1}), rotationX(Pi / 4)},
    };
    for (size_t n = 0; n < std::size(rotations); ++n)
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(rotations[n].first.m[i], rotations[n].second.m[i], 1e-5f)
                << "case " << n << " at " << i;

    const std::pair<Vec3, float> headings[] = {{Vec3{0, 5, 0}, 0.0f},        {Vec3{0, -1, 0}, 0.0f},
                                               {Vec3{-1, 0, 0}, Pi},         {Vec3{1, 1, 0}, Pi / 4},
                                               {Vec3{-1, 1, 0}, 3 * Pi / 4}, {Vec3{-1, -1, 0}, -3 * Pi / 4}};
    for (auto [v, want] : headings)
        EXPECT_FLOAT_EQ(headingAngle(v), want) << v.x << " " << v.y;
}

// A steady 4 mph wind from the north over a helicopter at rest: the air moves past it at (0, +1.788, 0)
// m/s, which the step shows as 4.005 mph of airspeed and as the translation term lifting the nose by
// 0.001 x 0.2 x 1.788 rad. Worked by hand, so the wind's direction convention is checked, not only kept.
TEST(Step, WindTailTrimPauseCrashCountdownSlowMotionAndUnusableValues) {
    FreshSimulation();
    Wind.windType = WindSteady;
    RunTicks(600);
    EXPECT_NEAR(Wind.windVelocity.x, 0.0f, 1e-5f);
    EXPECT_NEAR(Wind.windVelocity.y, -4.0f, 1e-4f);
    EXPECT_NEAR(airspeedMph, 4.0051f, 1e-3f);
    EXPECT_NEAR(Heli.noseAxis.z, 3.576e-4f, 2e-6f);
    EXPECT_NEAR(Heli.upAxis.y, -3.576e-4f, 2e-6f);

    // Heading hold at gain Medium: a trim update that would reach 20 stores 15, one below -5 stores -5.
    FreshSimulation();
    TailTrim = 14.0f;
    HeadingTarget = -1.5f; // e = 1.5: kd 4 x 1.5 + kp 0.4 x 1.5 = 6.6 on top of 14
    GyroYawStep(Model, FlightFlying, 2500.0f, 0.0f, 0.0f, 100.0f, 0.0f);
    EXPECT_EQ(TailTrim, 15.0f);
    HeadingTarget = 10.0f;
    GyroYawStep(Model, FlightFlying, 2500.0f, 0.0f, 0.0f, 100.0f, 0.0f);
    EXPECT_EQ(TailTrim, -5.0f);

    // Paused: the camera filter and the wind run on, the helicopter and the log stand still.
    FreshSimulation();
    Heli.position = Vec3{4.0f, 8.0f, 3.0f};
    smoothedCameraTarget = Vec3{0.0f, 0.0f, 3.0f};
    Wind.windType = WindSteady;
    Wind.windTimer = -1.0f;
    SimPaused = true;
    HeliState before = Heli;
    RunTicks(2);
    EXPECT_EQ(smoothedCameraTarget.x, 3.0f); // halfway to the helicopter each call
    EXPECT_EQ(smoothedCameraTarget.y, 6.0f);
    EXPECT_EQ(std::memcmp(&before, &Heli, sizeof Heli), 0);
    EXPECT_EQ(FlightTimeTotals[ClassTotal], 0.0f);
    EXPECT_NE(Wind.windVelocity.y, 0.0f);

    // The crash countdown runs while paused, and the sixtieth call resets the helicopter.
    FlightState = FlightCrashShown;
    CrashTicks = 0;
    RunTicks(59);
    EXPECT_EQ(FlightState, FlightCrashShown);
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_EQ(Heli.position.y, 6.0f);
    SimPaused = false;

    // Slow-motion playback performs every eighth call (the absent scratch file ends each played frame's
    // playback, so it is started again before every call); without playback every call.
    SlowMotionPlayback = true;
    std::vector<int> stepped;
    for (int call = 0; call < 17; ++call) {
        Recorder.playing = true;
        float clock = SimClock;
        StepSimulation(0.05f);
        if (SimClock != clock) stepped.push_back(call);
    }
    EXPECT_EQ(stepped, (std::vector<int>{7, 15}));
    Recorder.playing = false;
    float clock = SimClock;
    StepSimulation(0.05f);
    EXPECT_NE(SimClock, clock);

    // Zero, negative or non-finite mass, rotor inertia or pinion are replaced by usable values; any other
    // non-finite setup value sends the helicopter back to its pad; non-finite sticks count as centred.
    for (float bad : {0.0f, -1.0f, NAN, INFINITY}) {
        for (float ModelSetup::*field :
             {&ModelSetup::massKg, &ModelSetup::rotorInertia, &ModelSetup::pinionTeeth}) {
            FreshSimulation();
            Model.*field = bad;
            Sticks = PilotSticks{0.1f, -0.1f, 0.2f, 0.9f, 0.6f}; // climbing away, turning
            RunTicks(200);
            EXPECT_TRUE(IsFiniteState(Heli) && NonFiniteResets == 0) << bad;
        }
    }
    FreshSimulation();
    Sticks.roll = NAN;
    Sticks.throttle = INFINITY;
    RunTicks(20);
    EXPECT_TRUE(IsFiniteState(Heli) && NonFiniteResets == 0);
    Model.liftAtFullCollective = NAN;
    Heli.position = Vec3{0.0f, 6.0f, 3.0f};
    Heli.rotorRpm = 2500.0f;
    FlightState = FlightFlying;
    RunTicks(1);
    EXPECT_EQ(NonFiniteResets, 1u);
    EXPECT_EQ(Heli.position.y, 6.0f);
    EXPECT_EQ(Heli.rotorRpm, 0.0f);
}

TEST(Step, TrailLogRecorderAndTheCrashSound) {
    FreshSimulation();
    TrailCapacity = 60;
    RunTicks(70);
    EXPECT_EQ(trailCount, 60u);
    EXPECT_EQ(trailHead, 10u);
    EXPECT_FLOAT_EQ(trailRing[9].z, Heli.position.z);
    TrailCapacity = 12; // lowering the capacity does not lower the count
    RunTicks(5);
    EXPECT_EQ(trailCount, 60u);
    EXPECT_EQ(trailHead, 3u);

    // The step logs its time under the state it starts from: flying, then resting.
    FreshSimulation();
    RunTicks(1);
    RunTicks(3, 0.1f);
    EXPECT_FLOAT_EQ(FlightTimeTotals[ClassHovering], 0.05f);
    EXPECT_NEAR(FlightTimeTotals[ClassOnGround], 0.3f, 1e-6f);
    EXPECT_NEAR(FlightTimeTotals[ClassTotal], 0.35f, 1e-6f);

    // Recording: a frame per step, none on the crash step and none while crashed, nor a trail point.
    Recorder.file = std::tmpfile();
    ASSERT_NE(Recorder.file, nullptr);
    Recorder.frameCount = 0;
    Recorder.recording = true;
    RunTicks(3);
    EXPECT_EQ(Recorder.frameCount.load(), 3u);
    uint32_t trail = trailCount;
    Heli.position = Vec3{0.0f, 0.0f, 1.0f}; // straight into the pilot
    FlightState = FlightFlying;
    RunTicks(10);
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(CrashCount, 1u);
    EXPECT_EQ(Recorder.frameCount.load(), 3u);
    EXPECT_EQ(trailCount, trail);
    Recorder.recording = false;
    std::fclose(Recorder.file);
    Recorder.file = nullptr;

    // A crash with crash sounds on draws one random value right after the step (before the wind and the
    // turbulence draw theirs) and silences the motor; the reset at the end of the countdown ends the sound.
    FreshSimulation();
    CrashSoundEnabled = true;
    CrashSoundList = {"a.wav", "b.wav", "c.wav"};
    Heli.position = Vec3{0.0f, 0.0f, 1.0f}; // straight into the pilot
    Heli.rotorRpm = 2500.0f;
    std::vector<uint32_t> drawsPerStep;
    for (int i = 0; i < 10 && FlightState == FlightFlying; ++i) {
        uint32_t before = SimRandState;
        StepSimulation(0.05f);
        drawsPerStep.push_back(
            SimRandState == before ? 0u : (SimRandState == before * 214013u + 2531011u ? 1u : 9u));
        StepWind(0.05f);
        StepTurbulence(0.05f);
    }
    ASSERT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(drawsPerStep.back(), 1u);
    drawsPerStep.pop_back();
    EXPECT_EQ(drawsPerStep, std::vector<uint32_t>(drawsPerStep.size(), 0u));
    EXPECT_TRUE(CrashSoundPlaying);
    RunTicks(59);
    EXPECT_TRUE(CrashSoundPlaying);
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_FALSE(CrashSoundPlaying);
    CrashSoundEnabled = false;
    CrashSoundList.clear();
    PlayPendingCrashSound(); // no player installed: only forgets the picked sound
}
