// Ground contact: touchdown limits, the crash report texts, collisions, lift-off and clamping.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/model_setup.h"
#include "app/user_prefs.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "pinned_flights.h"

namespace {
Touchdown Level(float vz, float hs) {
    return Touchdown{vz, hs, 0.0f, 0.0f, false, CrashGround};
}

// Places the helicopter just below the rest height with the given velocity and runs one step of zero
// length, so the touchdown is judged with exactly that velocity.
void TouchDownWith(Vec3 velocity, Vec3 nose = WorldUnitY, Vec3 up = WorldUnitZ) {
    FreshSimulation();
    Heli.position = Vec3{3.0f, 10.0f, TestRestHeight - 0.001f};
    Heli.velocity = velocity;
    Heli.noseAxis = nose;
    Heli.upAxis = up;
    StepHelicopter(0.0f);
}
} // namespace

TEST(Ground, TouchdownLimits) {
    EXPECT_FALSE(IsCrash(Level(-3.0f, 0.0f)));
    EXPECT_TRUE(IsCrash(Level(-3.01f, 0.0f)));
    EXPECT_FALSE(IsCrash(Level(3.0f, 0.0f)));
    EXPECT_FALSE(IsCrash(Level(0.0f, 4.0f)));
    EXPECT_TRUE(IsCrash(Level(0.0f, 4.01f)));
    Touchdown t = Level(0.0f, 0.0f);
    t.pitchDeg = 15.0f;
    t.rollDeg = 15.0f;
    EXPECT_FALSE(IsCrash(t));
    t.pitchDeg = 15.01f;
    EXPECT_TRUE(IsCrash(t));
    t = Level(0.0f, 0.0f);
    t.rollDeg = 15.01f;
    EXPECT_TRUE(IsCrash(t));
    t = Level(0.0f, 0.0f);
    t.upsideDown = true;
    EXPECT_TRUE(IsCrash(t));
    t = Level(0.0f, 0.0f);
    t.crashKind = CrashBuilding;
    EXPECT_TRUE(IsCrash(t));

    EXPECT_EQ(TiltFromHorizontalDeg(WorldUnitY), 0.0f);
    EXPECT_EQ(TiltFromHorizontalDeg(Vec3{0.0f, 0.0f, -1.0f}), 90.0f); // no horizontal part: 90, not NaN
    EXPECT_NEAR(TiltFromHorizontalDeg(Vec3{0.0f, std::cos(0.5f), -std::sin(0.5f)}), 0.5f * RadToDeg, 1e-3f);
    EXPECT_EQ(TiltFromHorizontalDeg(Vec3{0.6f, 0.8f, 0.0f}), 0.0f); // a cosine rounded above 1 is held at 1
}

TEST(Ground, TouchdownThroughTheStep) {
    TouchDownWith(Vec3{0.0f, 0.0f, -3.0f});
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_EQ(CrashCount, 0u);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight);
    EXPECT_EQ(Heli.velocity.z, 0.0f);

    TouchDownWith(Vec3{4.0f, 0.0f, -1.0f});
    EXPECT_EQ(FlightState, FlightResting);

    TouchDownWith(Vec3{0.0f, 0.0f, -3.01f});
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(CrashCount, 1u);
    EXPECT_EQ(CrashTicks, 0);
    EXPECT_EQ(std::string(CrashReportText), " CRASHED \n\nVertical Velocity: -6.74 mph\nHorizontal Velocity: "
                                            "0.00 mph\nPitch Angle: 0.00\nRoll Angle: 0.00");
    // The wreck stays where the crash step left it, below the rest height, and adds no trail point.
    EXPECT_LT(Heli.position.z, TestRestHeight);
    EXPECT_EQ(trailCount, 0u);

    // Nose straight down: 90 degrees of pitch, a crash, and the state stays finite.
    TouchDownWith(Vec3{0.0f, 0.0f, -0.5f}, Vec3{0.0f, 0.0f, -1.0f}, Vec3{0.0f, 1.0f, 0.0f});
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_NE(std::string(CrashReportText).find("Pitch Angle: 90.00\nRoll Angle: 0.00"), std::string::npos);
    EXPECT_TRUE(IsFiniteState(Heli));

    // Lying on its side: not upside down, but a roll of 90 degrees is a crash.
    TouchDownWith(Vec3{0.0f, 0.0f, -0.5f}, WorldUnitY, Vec3{1.0f, 0.0f, 0.0f});
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_NE(std::string(CrashReportText).find("Roll Angle: 90.00"), std::string::npos);

    // Upside down, level and slow: a crash.
    TouchDownWith(Vec3{0.0f, 0.0f, -0.2f}, WorldUnitY, Vec3{0.0f, 0.0f, -1.0f});
    EXPECT_EQ(FlightState, FlightCrashed);
}

TEST(Ground, CollisionsWithTheBuildingAndThePilot) {
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 1}, Vec3{0, -1, 0}, true), CrashBuilding);
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 1}, Vec3{0, 1, 0}, true), CrashGround); // moving away
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 1}, Vec3{0, -1, 0}, false), CrashGround);
    EXPECT_EQ(CollisionKind(Vec3{0, -9.95f, 4.0f}, Vec3{0, -1, 0}, true), CrashGround);
    EXPECT_EQ(CollisionKind(Vec3{20.0f, -12, 1}, Vec3{0, -1, 0}, true), CrashGround);
    EXPECT_EQ(CollisionKind(Vec3{0.4f, -0.4f, 1.9f}, Vec3{0, 0, 0}, true), CrashPilot);
    EXPECT_EQ(CollisionKind(Vec3{0.4f, -0.4f, 2.0f}, Vec3{0, 0, 0}, true), CrashGround);
    EXPECT_EQ(CollisionKind(Vec3{0.5f, 0, 1}, Vec3{0, 0, 0}, true), CrashGround);

    // Above the pilot's place at zero speed, well above the ground: "Hit yourself! OUCH!".
    FreshSimulation();
    Heli.position = Vec3{0.0f, 0.0f, 1.0f};
    StepHelicopter(0.05f);
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(std::string(CrashReportText), " CRASHED \nHit yourself! OUCH!");
    EXPECT_EQ(CrashCount, 1u);

    // Hovering inside the building's volume while moving away is no collision.
    FreshSimulation();
    Heli.position = Vec3{0.0f, -11.0f, 2.0f};
    Heli.velocity = Vec3{0.0f, 2.0f, 0.0f};
    StepHelicopter(0.05f);
    EXPECT_EQ(FlightState, FlightFlying);
}

TEST(Ground, LiftOffAndPressedOntoTheGround) {
    // Resting, full collective at speed: lifts off in the same step, unclamped.
    FreshSimulation();
    RunTicks(1);
    ASSERT_EQ(FlightState, FlightResting);
    Heli.rotorRpm = 2500.0f;
    Sticks.throttle = 0.9f;
    Sticks.collective = 1.0f;
    StepHelicopter(0.05f);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_GT(Heli.velocity.z, 0.0f);
    StepHelicopter(0.05f);
    EXPECT_GT(Heli.position.z, TestRestHeight);

    // Resting with the yaw stick over: the yaw of the step is the stick's, unless the rotor pushes the
    // helicopter down with more than twice its weight.
    FreshSimulation();
    RunTicks(1);
    Heli.rotorRpm = 2500.0f;
    Sticks.throttle = 0.9f;
    Sticks.yaw = 1.0f;
    Sticks.collective = 0.0f;
    StepHelicopter(0.05f);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_NE(LastYawStep, 0.0f);
    Heli.rotorRpm = 2500.0f;
    Sticks.collective = -1.0f;
    StepHelicopter(0.05f);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_EQ(LastYawStep, 0.0f);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight);
    EXPECT_EQ(Heli.upAxis.z, 1.0f);
}

TEST(Ground, LockedOnTheGroundWithTheNoseStraightUp) {
    FreshSimulation();
    FlightState = FlightLockXY;
    Heli.position = Vec3{0.0f, 4.0f, TestRestHeight};
    Heli.noseAxis = Vec3{0.0f, 0.0f, 1.0f};
    Heli.upAxis = Vec3{0.0f, -1.0f, 0.0f};
    RunTicks(3);
    EXPECT_EQ(FlightState, FlightLockXY);
    EXPECT_TRUE(IsFiniteState(Heli));
    EXPECT_NEAR(Heli.noseAxis.y, 1.0f, 1e-4f); // levelled the way the nose would come down
    EXPECT_NEAR(Heli.upAxis.z, 1.0f, 1e-4f);
    EXPECT_EQ(NonFiniteResets, 0u);
}
