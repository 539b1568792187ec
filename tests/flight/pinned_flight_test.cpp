// Replays the scripted reference flights and compares every step with tests/data/pinned_flights.bin
// (written by tools/pinflights): the 16 state floats within a relative 1e-5, the flight state and the
// random generator exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "app/model_setup.h"
#include "flight/wind.h"
#include "flight_test_support.h"
#include "pinned_flights.h"

namespace {
const char* const FieldNames[16] = {"voltageFactor", "rotorRpm",   "position.x",    "position.y",
                                    "position.z",    "velocity.x", "velocity.y",    "velocity.z",
                                    "noseAxis.x",    "noseAxis.y", "noseAxis.z",    "upAxis.x",
                                    "upAxis.y",      "upAxis.z",   "pilotDistance", "dopplerFactor"};

bool Close(float want, float got) {
    return std::fabs(want - got) <= 1e-5f * std::fmax(std::fabs(want), 1e-3f);
}

std::vector<PinnedFlight> LoadReference() {
    std::ifstream in(RV_TEST_DATA_DIR "/pinned_flights.bin", std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<PinnedFlight> flights;
    EXPECT_TRUE(DecodePinnedFlights(bytes, flights)) << "tests/data/pinned_flights.bin unreadable";
    return flights;
}
} // namespace

TEST(PinnedFlights, EveryStepMatchesTheReference) {
    std::vector<PinnedFlight> reference = LoadReference();
    ASSERT_EQ(reference.size(), 2u * static_cast<size_t>(PinnedFlightScriptCount()));
    for (size_t n = 0; n < reference.size(); ++n) {
        const PinnedFlight& want = reference[n];
        PinnedFlight got = FlyPinnedFlight(static_cast<int>(n / 2), PinnedTimeSteps[n % 2]);
        ASSERT_EQ(got.name, want.name);
        ASSERT_EQ(got.dt, want.dt);
        ASSERT_EQ(got.ticks.size(), want.ticks.size()) << want.name;
        for (size_t i = 0; i < want.ticks.size(); ++i) {
            const PinnedTick& a = want.ticks[i];
            const PinnedTick& b = got.ticks[i];
            bool same = a.flightState == b.flightState && a.randState == b.randState;
            int field = -1;
            for (int k = 0; k < 16 && field < 0; ++k)
                if (!Close(a.state[k], b.state[k])) field = k;
            if (same && field < 0) continue;
            ADD_FAILURE() << "\"" << want.name << "\" dt " << want.dt << " first differs at step " << i
                          << ": FlightState " << a.flightState << " / " << b.flightState << ", random state "
                          << a.randState << " / " << b.randState
                          << (field < 0 ? std::string()
                                        : ", " + std::string(FieldNames[field]) + " " +
                                              std::to_string(a.state[field]) + " / " +
                                              std::to_string(b.state[field]));
            break;
        }
    }
}

// A steady 4 mph wind from the north over a helicopter at rest: the air moves past it at (0, +1.788, 0)
// m/s, which the step shows as 4.005 mph of airspeed and as the translation term lifting the nose by
// 0.001 x 0.2 x 1.788 rad.
TEST(PinnedFlights, SteadyNorthWindThroughTheStep) {
    FreshSimulation();
    Wind.windType = WindSteady;
    Wind.windSpeed = 4.0f;
    Wind.windDirection = 0;
    Wind.directionShifts = 0;
    RunTicks(600);
    EXPECT_NEAR(Wind.windVelocity.x, 0.0f, 1e-5f);
    EXPECT_NEAR(Wind.windVelocity.y, -4.0f, 1e-4f);
    EXPECT_NEAR(airspeedMph, 4.0051f, 1e-3f);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_NEAR(Heli.noseAxis.z, 3.576e-4f, 2e-6f);
    EXPECT_NEAR(Heli.upAxis.y, -3.576e-4f, 2e-6f);
    EXPECT_NEAR(Heli.upAxis.x, 0.0f, 1e-7f);
}
