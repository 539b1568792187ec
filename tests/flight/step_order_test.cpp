// The fixed order of StepHelicopter: camera filter, crash countdown, pause, slow motion, dead band,
// swash mixing, position locks, trail ring, pilot distance and Doppler, reset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "flight/rotor.h"
#include "flight/wind.h"
#include "pinned_flights.h"
#include "log/flight_log.h"
#include "recorder/flight_recorder.h"

TEST(Step, ResetPutsTheHelicopterOnItsPad) {
    FreshSimulation();
    EXPECT_EQ(Heli.position.x, 0.0f);
    EXPECT_EQ(Heli.position.y, 6.0f);
    EXPECT_EQ(Heli.position.z, TestMeshLowestPoint);
    EXPECT_EQ(Heli.noseAxis.y, 1.0f);
    EXPECT_EQ(Heli.upAxis.z, 1.0f);
    EXPECT_EQ(Heli.voltageFactor, 1.0f);
    EXPECT_EQ(Heli.dopplerFactor, 1.0f);
    EXPECT_FLOAT_EQ(Heli.pilotDistance, length(Vec3{0.0f, 6.0f, TestMeshLowestPoint - 1.8f}));
    EXPECT_EQ(TailTrim, 1.0f);
    EXPECT_EQ(trailCount, 0u);

    // The first step finds the skids on the ground at zero speed: a safe touchdown.
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight);
    EXPECT_EQ(Heli.velocity.z, 0.0f);
    EXPECT_EQ(CrashCount, 0u);
    EXPECT_EQ(trailCount, 1u);
    RunTicks(40);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight);

    // A reset leaves the memories that are not part of it.
    CyclicCarry.roll = 0.001f;
    TorqueAverage = 12.0f;
    FlightState = FlightLockXYZ;
    ResetHelicopter();
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_EQ(CyclicCarry.roll, 0.001f);
    EXPECT_EQ(TorqueAverage, 12.0f);
}

TEST(Step, PauseKeepsTheStateButFiltersTheCameraAndRunsTheWind) {
    FreshSimulation();
    RunTicks(2);
    Heli.position = Vec3{4.0f, 8.0f, 3.0f};
    smoothedCameraTarget = Vec3{0.0f, 0.0f, 3.0f};
    Wind.windType = WindSteady;
    Wind.windTimer = -1.0f; // draw the steady target on the next wind step
    SimPaused = true;
    HeliState before = Heli;
    float totalBefore = FlightTimeTotals[ClassTotal];
    RunTicks(1);
    EXPECT_FLOAT_EQ(smoothedCameraTarget.x, 2.0f);
    EXPECT_FLOAT_EQ(smoothedCameraTarget.y, 4.0f);
    RunTicks(1);
    EXPECT_FLOAT_EQ(smoothedCameraTarget.x, 3.0f);
    EXPECT_EQ(std::memcmp(&before, &Heli, sizeof Heli), 0);
    EXPECT_EQ(FlightTimeTotals[ClassTotal], totalBefore); // paused time is not logged
    EXPECT_NE(Wind.windVelocity.y, 0.0f);                 // the wind kept moving
    SimPaused = false;
}

TEST(Step, CrashCountdownRunsWhilePausedAndResetsOnTheSixtiethCall) {
    FreshSimulation();
    FlightState = FlightCrashed;
    CrashTicks = 0;
    SimPaused = true;
    Heli.position = Vec3{3.0f, 3.0f, -0.2f};
    for (int i = 1; i < 60; ++i) {
        StepHelicopter(0.05f);
        ASSERT_EQ(CrashTicks, i);
        ASSERT_EQ(FlightState, FlightCrashed);
    }
    FlightState = FlightCrashShown; // the main loop has drawn the report meanwhile
    StepHelicopter(0.05f);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_EQ(Heli.position.x, 0.0f);
    EXPECT_EQ(Heli.position.y, 6.0f);
    SimPaused = false;
}

TEST(Step, SlowMotionPlaybackStepsEveryEighthCall) {
    FreshSimulation();
    SlowMotionPlayback = true;
    int performed[40];
    int n = 0;
    for (int call = 0; call < 40; ++call) {
        Recorder.playing = true; // the scratch file is absent, so each played frame ends playback again
        float before = SimClock;
        StepHelicopter(0.05f);
        if (SimClock != before) performed[n++] = call;
    }
    ASSERT_GE(n, 4);
    for (int i = 1; i < n; ++i)
        EXPECT_EQ(performed[i] - performed[i - 1], 8);
    Recorder.playing = false;
    SlowMotionPlayback = false;
    float before = SimClock;
    StepHelicopter(0.05f);
    EXPECT_NE(SimClock, before); // without playback slow motion does nothing
}

TEST(Step, DeadBandAndSwashMixing) {
    // The cyclic carry shows the stick value the step used: 3 x stick x w^2 x dt at 2500 rpm.
    auto stickSeen = [](float roll, float pitch, float collective, float* rollOut, float* pitchOut) {
        FreshSimulation();
        Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
        Model.cyclicInstability = 1000.0f; // carry everything
        Heli.position = Vec3{0.0f, 6.0f, 10.0f};
        Heli.rotorRpm = 2500.0f;
        Sticks.roll = roll;
        Sticks.pitch = pitch;
        Sticks.collective = collective;
        StepHelicopter(0.05f);
        *rollOut = CyclicCarry.roll / 0.15f;
        *pitchOut = CyclicCarry.pitch / 0.15f;
    };
    float r, p;
    stickSeen(0.0099f, -0.0099f, 0.0f, &r, &p);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(p, 0.0f);
    stickSeen(0.01f, -0.01f, 0.0f, &r, &p);
    EXPECT_NEAR(r, 0.01f, 1e-6f);
    EXPECT_NEAR(p, -0.01f, 1e-6f);

    auto withSwash = [&](SwashImperfections s, float roll, float pitch, float collective) {
        FreshSimulation();
        Swash = s;
        Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
        Model.cyclicInstability = 1000.0f;
        Heli.position = Vec3{0.0f, 6.0f, 10.0f};
        Heli.rotorRpm = 2500.0f;
        Sticks.roll = roll;
        Sticks.pitch = pitch;
        Sticks.collective = collective;
        StepHelicopter(0.05f);
        r = CyclicCarry.roll / 0.15f;
        p = CyclicCarry.pitch / 0.15f;
        Swash = SwashImperfections{};
    };
    SwashImperfections s{};
    s.elevToAileron = 1.0f;
    s.aileronToElev = 1.0f;
    withSwash(s, 0.2f, 0.3f, 0.0f);
    EXPECT_NEAR(r, 0.5f, 1e-5f);
    EXPECT_NEAR(p, 0.8f, 1e-5f);

    // A collective of exactly 0 uses the negative pair (multiplied by 0: no effect).
    s = SwashImperfections{};
    s.posCollToAileron = 0.5f;
    s.negCollToElev = 0.5f;
    withSwash(s, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(p, 0.0f);
    withSwash(s, 0.0f, 0.0f, 0.4f);
    EXPECT_NEAR(r, 0.2f, 1e-5f);
    EXPECT_EQ(p, 0.0f);
    withSwash(s, 0.0f, 0.0f, -0.4f);
    EXPECT_EQ(r, 0.0f);
    EXPECT_NEAR(p, -0.2f, 1e-5f);
}

TEST(Step, TrailRing) {
    FreshSimulation();
    TrailCapacity = 60;
    RunTicks(70);
    EXPECT_EQ(trailCount, 60u);
    EXPECT_EQ(trailHead, 10u);
    EXPECT_FLOAT_EQ(trailRing[9].z, Heli.position.z);

    FreshSimulation();
    TrailCapacity = 200;
    RunTicks(150);
    EXPECT_EQ(trailCount, 150u);
    TrailCapacity = 60; // lowering the capacity does not lower the count
    RunTicks(1);
    EXPECT_EQ(trailCount, 151u);
    EXPECT_EQ(trailHead, 0u);
    RunTicks(5);
    EXPECT_EQ(trailCount, 151u);
    EXPECT_EQ(trailHead, 5u);
    ResetHelicopter();
    EXPECT_EQ(trailCount, 0u);
    EXPECT_EQ(trailHead, 0u);

    FreshSimulation();
    TrailCapacity = 6000;
    RunTicks(6100);
    EXPECT_EQ(trailCount, 6000u);
}

TEST(Step, PilotDistanceAndDoppler) {
    FreshSimulation();
    Heli.position = Vec3{0.0f, 50.0f, 1.8f};
    Heli.velocity = Vec3{0.0f, 34.4f, 0.0f};
    StepHelicopter(1e-6f);
    EXPECT_NEAR(Heli.dopplerFactor, 0.9f, 1e-5f);
    EXPECT_NEAR(Heli.pilotDistance, 50.0f, 1e-3f);
    Heli.velocity = Vec3{0.0f, -34.4f, 0.0f};
    StepHelicopter(1e-6f);
    EXPECT_NEAR(Heli.dopplerFactor, 1.1f, 1e-5f);
    Heli.velocity = Vec3{34.4f, 0.0f, 0.0f}; // crossing: no shift
    StepHelicopter(1e-6f);
    EXPECT_NEAR(Heli.dopplerFactor, 1.0f, 1e-4f);
}

TEST(Step, FlightTimeIsClassifiedBeforeThePhysics) {
    FreshSimulation();
    RunTicks(1); // flying when classified, resting afterwards
    EXPECT_FLOAT_EQ(FlightTimeTotals[ClassTotal], 0.05f);
    EXPECT_FLOAT_EQ(FlightTimeTotals[ClassHovering], 0.05f);
    RunTicks(3, 0.1f);
    EXPECT_NEAR(FlightTimeTotals[ClassOnGround], 0.3f, 1e-6f);
    EXPECT_NEAR(FlightTimeTotals[ClassTotal], 0.35f, 1e-6f);
}

TEST(Step, RecordingFramesAndTheCrashStep) {
    FreshSimulation();
    Recorder.file = std::tmpfile();
    ASSERT_NE(Recorder.file, nullptr);
    Recorder.frameCount = 0;
    Recorder.recording = true;
    RunTicks(3);
    EXPECT_EQ(Recorder.frameCount.load(), 3u);

    // Straight into the pilot: the crash step writes no frame and no trail point.
    uint32_t trail = trailCount;
    Heli.position = Vec3{0.0f, 0.0f, 1.0f};
    FlightState = FlightFlying;
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(CrashCount, 1u);
    EXPECT_EQ(Recorder.frameCount.load(), 3u);
    EXPECT_EQ(trailCount, trail);
    RunTicks(10); // crashed: nothing recorded, the count does not grow
    EXPECT_EQ(Recorder.frameCount.load(), 3u);
    EXPECT_EQ(CrashCount, 1u);

    Recorder.recording = false;
    std::fclose(Recorder.file);
    Recorder.file = nullptr;
    Recorder.frameCount = 0;
}
