// Whole flights beside the pinned reference flights: a drop and its crash report, unusable setup values,
// and a long soak with random sticks in every gyro mode and air.
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
#include "pinned_flights.h"
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
