// Whole flights flown through the scripted control source: spool-up, lift-off, hover, landing, crashes,
// the position locks, random attitudes, and a long soak with random sticks in every gyro mode and air.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "app/model_setup.h"
#include "app/user_prefs.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "flight/training.h"
#include "flight/hover_pilot.h"
#include "flight/wind.h"
#include "flight_test_support.h"
#include "log/flight_log.h"

namespace {
void PilotTicks(HoverPilot& pilot, int n) {
    for (int i = 0; i < n; ++i) {
        Sticks = FlyHover(pilot, Heli);
        RunTicks(1);
    }
}

void PrepareForFlight() {
    FreshSimulation();
    Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
    RunTicks(1);
}

// Puts the helicopter in the air, flying, with the rotor at speed.
void LaunchAt(Vec3 position, Vec3 velocity) {
    PrepareForFlight();
    Heli.position = position;
    Heli.velocity = velocity;
    Heli.rotorRpm = 2500.0f;
    FlightState = FlightFlying;
}
} // namespace

TEST(WholeFlight, SpoolUpLiftOffHoverAndLandSoftly) {
    PrepareForFlight();
    ASSERT_EQ(FlightState, FlightResting);

    // Spool up on the pad with the blades flat.
    Sticks.throttle = 0.9f;
    Sticks.collective = 0.0f;
    RunTicks(40);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_GT(Heli.rotorRpm, 2300.0f);
    EXPECT_LT(Heli.rotorRpm, 3000.0f);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight());

    // Lift off and climb to 1.5 m.
    HoverPilot pilot;
    int liftOff = -1;
    for (int i = 0; i < 100 && liftOff < 0; ++i) {
        PilotTicks(pilot, 1);
        if (FlightState == FlightFlying) liftOff = i;
    }
    ASSERT_GE(liftOff, 0);
    PilotTicks(pilot, 100);

    // Hold the hover for 20 s of simulated time.
    float lowest = 100.0f, highest = -100.0f, farthest = 0.0f;
    for (int i = 0; i < 400; ++i) {
        PilotTicks(pilot, 1);
        ASSERT_EQ(FlightState, FlightFlying);
        lowest = std::fmin(lowest, Heli.position.z);
        highest = std::fmax(highest, Heli.position.z);
        farthest = std::fmax(farthest, length(Heli.position.x, Heli.position.y - 6.0f, 0.0f));
    }
    EXPECT_GT(lowest, 1.2f);
    EXPECT_LT(highest, 1.8f);
    EXPECT_LT(farthest, 1.0f);
    EXPECT_GT(Heli.rotorRpm, 2200.0f);
    EXPECT_GT(FlightTimeTotals[ClassHovering], 18.0f);

    // Let down at about 0.4 m/s: a soft landing.
    int landed = -1;
    for (int i = 0; i < 400 && landed < 0; ++i) {
        pilot.targetZ = std::fmax(pilot.targetZ - 0.02f, -1.0f);
        PilotTicks(pilot, 1);
        if (FlightState != FlightFlying) landed = i;
    }
    ASSERT_GE(landed, 0);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_EQ(CrashCount, 0u);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight());
    EXPECT_NEAR(Heli.upAxis.z, 1.0f, 1e-4f); // levelled, then turned by this step's cyclic
    EXPECT_NEAR(Heli.noseAxis.z, 0.0f, 0.02f);

    // Throttle closed: the rotor runs down and stops on the pad.
    Sticks = TestSticks{};
    RunTicks(1200);
    EXPECT_EQ(Heli.rotorRpm, 0.0f);
    EXPECT_EQ(FlightState, FlightResting);
}

TEST(WholeFlight, DropWithTheRotorStoppedCrashesAndResets) {
    FreshSimulation();
    Heli.position = Vec3{2.0f, 8.0f, 5.0f};
    int steps = 0;
    while (FlightState == FlightFlying && steps < 200) {
        RunTicks(1);
        ++steps;
    }
    ASSERT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(CrashCount, 1u);
    std::string report = CrashReportText;
    EXPECT_EQ(report.rfind(" CRASHED \n\nVertical Velocity: -", 0), 0u);
    EXPECT_NE(report.find(" mph\nHorizontal Velocity: 0.00 mph\nPitch Angle: 0.00\nRoll Angle: 0.00"),
              std::string::npos);
    HeliState wreck = Heli;
    uint32_t trail = trailCount;

    // The main loop shows the report; the 60th step after the crash resets the helicopter.
    FlightState = FlightCrashShown;
    RunTicks(59);
    EXPECT_EQ(FlightState, FlightCrashShown);
    EXPECT_EQ(Heli.position.z, wreck.position.z);
    EXPECT_EQ(trailCount, trail);
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_EQ(Heli.position.y, 6.0f);
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_EQ(CrashCount, 1u);
    EXPECT_GT(FlightTimeTotals[ClassVerticalMotion], 0.0f); // the fall; the crashed phase is not logged
}

TEST(WholeFlight, IntoTheSchoolBuildingAndIntoThePilot) {
    // Flying backwards toward the building behind the pilot.
    LaunchAt(Vec3{3.0f, -6.0f, 2.5f}, Vec3{0.0f, -6.0f, 0.0f});
    HoverPilot pilot;
    pilot.targetZ = 2.5f;
    int steps = 0;
    while (FlightState == FlightFlying && steps < 100) {
        Sticks = FlyHover(pilot, Heli);
        pilot.targetY = Heli.position.y - 10.0f; // keep pulling backwards
        RunTicks(1);
        ++steps;
    }
    ASSERT_EQ(FlightState, FlightCrashed);
    EXPECT_LT(Heli.position.y, -9.9f);
    EXPECT_GT(Heli.position.z, 1.0f);
    EXPECT_EQ(std::string(CrashReportText).rfind(" CRASHED \n\nVertical Velocity: ", 0), 0u);

    // The same flight with the building hidden passes through.
    LaunchAt(Vec3{3.0f, -6.0f, 2.5f}, Vec3{0.0f, -6.0f, 0.0f});
    showSchoolBuilding = false;
    pilot = HoverPilot{};
    pilot.targetZ = 2.5f;
    for (int i = 0; i < 40; ++i) {
        Sticks = FlyHover(pilot, Heli);
        pilot.targetY = Heli.position.y - 10.0f;
        RunTicks(1);
    }
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_LT(Heli.position.y, -10.0f);
    showSchoolBuilding = true;

    // Toward the pilot at head height.
    LaunchAt(Vec3{0.0f, 4.0f, 1.5f}, WorldZero);
    pilot = HoverPilot{};
    pilot.targetY = 0.0f;
    steps = 0;
    while (FlightState == FlightFlying && steps < 400) {
        PilotTicks(pilot, 1);
        ++steps;
    }
    ASSERT_EQ(FlightState, FlightCrashed)
        << Heli.position.x << " " << Heli.position.y << " " << Heli.position.z;
    EXPECT_EQ(std::string(CrashReportText), " CRASHED \nHit yourself! OUCH!");
    EXPECT_EQ(CrashCount, 1u);
}

TEST(WholeFlight, PositionLocks) {
    // Lock XYZ with the rotor stopped stays at (0, 4, 2); once the rotor turns the sticks still turn it.
    PrepareForFlight();
    FlightState = FlightLockXYZ;
    RunTicks(100);
    EXPECT_EQ(Heli.position.x, 0.0f);
    EXPECT_EQ(Heli.position.y, 4.0f);
    EXPECT_EQ(Heli.position.z, 2.0f);
    Vec3 up = Heli.upAxis;
    EXPECT_NEAR(up.z, 1.0f, 1e-5f);
    Sticks.throttle = 0.9f;
    RunTicks(40);
    Sticks.roll = 0.5f;
    RunTicks(5);
    EXPECT_EQ(FlightState, FlightLockXYZ);
    EXPECT_GT(Heli.upAxis.x, 0.1f); // banked to the right
    EXPECT_EQ(Heli.position.z, 2.0f);

    // Lock XY: the collective moves it up and down over one spot; a hard drop is never judged.
    PrepareForFlight();
    FlightState = FlightLockXY;
    Sticks.throttle = 0.9f;
    RunTicks(40);
    Sticks.collective = 1.0f;
    RunTicks(30);
    EXPECT_EQ(FlightState, FlightLockXY);
    EXPECT_GT(Heli.position.z, 3.0f);
    EXPECT_EQ(Heli.position.x, 0.0f);
    EXPECT_EQ(Heli.position.y, 4.0f);
    Sticks.collective = -1.0f;
    RunTicks(60);
    EXPECT_EQ(FlightState, FlightLockXY);
    EXPECT_FLOAT_EQ(Heli.position.z, TestRestHeight());
    EXPECT_EQ(CrashCount, 0u);

    // Any reset ends a lock.
    ResetHelicopter();
    EXPECT_EQ(FlightState, FlightFlying);
}

TEST(WholeFlight, RandomAttitudesAfterASafeLanding) {
    FreshSimulation();
    RandomAttitude.randomAttitudesEnabled = 1;
    RandomAttitude.altitudeLevel = 1;
    RandomAttitude.orientationLevel = 1;
    RandomAttitude.motionLevel = 2;
    RunTicks(1); // the safe touchdown after the reset throws the helicopter into the air
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_EQ(Heli.position.x, RandomAttitude.startPosition.x);
    EXPECT_NEAR(Heli.position.y, 15.0f, 1.5f);
    EXPECT_NEAR(Heli.position.z, 10.0f, 1.5f);
    EXPECT_GT(length(Heli.velocity), 0.0f);
    EXPECT_EQ(Heli.rotorRpm, 0.0f); // the rotor keeps its speed (here: stopped)

    // With the rotor stopped it falls and crashes: a crash never gives a new attitude.
    int steps = 0;
    while (FlightState == FlightFlying && steps < 400) {
        RunTicks(1);
        ++steps;
    }
    EXPECT_EQ(FlightState, FlightCrashed);
    EXPECT_EQ(CrashCount, 1u);
    RunTicks(60); // reset
    RunTicks(1);  // safe touchdown on the pad: a new attitude
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_GT(Heli.position.z, 5.0f);

    // A spinning rotor keeps turning through the new attitude.
    FreshSimulation();
    RunTicks(1);
    Sticks.throttle = 0.9f;
    RunTicks(40);
    float rpm = Heli.rotorRpm;
    ASSERT_GT(rpm, 2000.0f);
    RandomAttitude.randomAttitudesEnabled = 1;
    Heli.position.z = TestRestHeight() + 0.01f; // hop: the next touchdown is judged
    FlightState = FlightFlying;
    RunTicks(1);
    EXPECT_EQ(FlightState, FlightFlying);
    EXPECT_GT(Heli.position.z, 10.0f);
    EXPECT_GT(Heli.rotorRpm, 0.8f * rpm);
}

TEST(WholeFlight, UnusableSetupValuesKeepTheStateFinite) {
    const float bad[] = {0.0f, -1.0f, NAN, INFINITY};
    for (float v : bad) {
        for (int field = 0; field < 3; ++field) {
            PrepareForFlight();
            if (field == 0) Model.massKg = v;
            if (field == 1) Model.rotorInertia = v;
            if (field == 2) Model.pinionTeeth = v;
            HoverPilot pilot;
            for (int i = 0; i < 200; ++i) {
                PilotTicks(pilot, 1);
                ASSERT_TRUE(IsFiniteState(Heli)) << "field " << field << " value " << v << " step " << i;
            }
            EXPECT_EQ(NonFiniteResets, 0u);
        }
    }
    // Any other non-finite setup value cannot poison the state either: the helicopter goes back to its pad.
    LaunchAt(Vec3{0.0f, 6.0f, 3.0f}, WorldZero);
    Model.liftAtFullCollective = NAN;
    HoverPilot pilot;
    for (int i = 0; i < 100; ++i) {
        PilotTicks(pilot, 1);
        ASSERT_TRUE(IsFiniteState(Heli));
    }
    EXPECT_GT(NonFiniteResets, 0u);
    // Non-finite stick values count as centred.
    PrepareForFlight();
    Sticks.roll = NAN;
    Sticks.throttle = INFINITY;
    RunTicks(20);
    EXPECT_TRUE(IsFiniteState(Heli));
    EXPECT_EQ(NonFiniteResets, 0u);
}

// Ten simulated minutes in every gyro mode, wind type and turbulence level with random sticks, crashes,
// resets, random attitudes and position locks: every state stays finite.
TEST(WholeFlight, TenMinuteSoakStaysFinite) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const int stepsPerRun = 10 * 60 * 20;
    int crashes = 0, randomThrows = 0;
    for (int gyro = 0; gyro < 3; ++gyro) {
        for (int windType = 0; windType < 4; ++windType) {
            for (int turb = 0; turb < 5; ++turb) {
                FreshSimulation();
                Model.gyroMode = gyro;
                Model.gyroDrift = (windType + turb) % 4;
                Model.gyroGain = turb % 3;
                Wind.windType = windType;
                Wind.directionShifts = turb;
                Wind.windDirection = (gyro * 3 + windType) % 8;
                Wind.windSpeed = 2.0f + 4.0f * static_cast<float>(turb);
                Wind.gustLullDifference = 5.0f + 3.0f * static_cast<float>(windType);
                Turbulence.turbLevel = turb;
                RandomAttitude.randomAttitudesEnabled = (turb % 2) ? 1 : 0;
                RandomAttitude.orientationLevel = windType;
                RandomAttitude.motionLevel = turb % 4;
                RandomAttitude.altitudeLevel = gyro;
                const float dt = (turb == 4) ? 0.1f : 0.05f;
                for (int i = 0; i < stepsPerRun; ++i) {
                    if (i % 10 == 0) {
                        Sticks.roll = unit(rng);
                        Sticks.pitch = unit(rng);
                        Sticks.yaw = unit(rng);
                        Sticks.throttle = 0.5f + 0.5f * unit(rng);
                        Sticks.collective = unit(rng);
                    }
                    if (i % 2400 == 1200) FlightState = (i / 2400) % 2 ? FlightLockXY : FlightLockXYZ;
                    if (i % 2400 == 1800) ResetHelicopter();
                    int32_t before = FlightState;
                    RunTicks(1, dt);
                    if (before != FlightCrashed && FlightState == FlightCrashed) ++crashes;
                    if (before == FlightFlying && FlightState == FlightFlying && Heli.position.z > 5.5f &&
                        RandomAttitude.randomAttitudesEnabled &&
                        length(sub(Heli.position, RandomAttitude.startPosition)) < 1e-6f)
                        ++randomThrows;
                    if (FlightState == FlightCrashed) FlightState = FlightCrashShown;
                    ASSERT_TRUE(IsFiniteState(Heli))
                        << gyro << " " << windType << " " << turb << " step " << i;
                    ASSERT_TRUE(std::isfinite(airspeedMph));
                    ASSERT_TRUE(std::isfinite(TailTrim) && std::isfinite(HeadingAngle) &&
                                std::isfinite(TorqueAverage) && std::isfinite(HeadingTarget));
                    ASSERT_TRUE(std::isfinite(length(Wind.windVelocity)) &&
                                std::isfinite(length(Turbulence.turbVelocity)));
                    ASSERT_GE(Heli.rotorRpm, 0.0f);
                }
                ASSERT_EQ(NonFiniteResets, 0u) << gyro << " " << windType << " " << turb;
                EXPECT_NEAR(FlightTimeTotals[ClassTotal],
                            FlightTimeTotals[1] + FlightTimeTotals[2] + FlightTimeTotals[3] +
                                FlightTimeTotals[4] + FlightTimeTotals[5] + FlightTimeTotals[6] +
                                FlightTimeTotals[7] + FlightTimeTotals[8] + FlightTimeTotals[9],
                            0.5f);
            }
        }
    }
    EXPECT_GT(crashes, 100);
    EXPECT_GT(randomThrows, 0);
}
