// Replays the scripted reference flights and compares every step with tests/data/pinned_flights.bin
// (written by tools/pinflights, read here by offsets): the 16 state floats within a relative 1e-5, the
// flight state and the random generator exactly.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "flight/wind.h"
#include "pinned_flights.h"

namespace {
static_assert(std::endian::native == std::endian::little, "ticks are copied from the file as they lie");

// The first difference between two ticks, or "" when they agree.
std::string Difference(const PinnedTick& want, const PinnedTick& got) {
    for (int k = 0; k < 16; ++k)
        if (std::fabs(want.state[k] - got.state[k]) > 1e-5f * std::fmax(std::fabs(want.state[k]), 1e-3f))
            return "state float " + std::to_string(k) +
                   " (HeliState order): " + std::to_string(want.state[k]) + " / " +
                   std::to_string(got.state[k]);
    if (want.flightState != got.flightState || want.randState != got.randState)
        return "FlightState " + std::to_string(want.flightState) + " / " + std::to_string(got.flightState) +
               ", random state " + std::to_string(want.randState) + " / " + std::to_string(got.randState);
    return "";
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
            std::string difference = Difference(want, got.ticks[i]);
            if (difference.empty()) continue;
            ADD_FAILURE() << "\"" << got.name << "\" dt " << got.dt << " first differs at step " << i << ": "
                          << difference;
            break;
        }
        at += 40 + 72 * got.ticks.size();
    }
    EXPECT_EQ(at, b.size());
}

// A steady 4 mph wind from the north over a helicopter at rest: the air moves past it at (0, +1.788, 0)
// m/s, which the step shows as 4.005 mph of airspeed and as the translation term lifting the nose by
// 0.001 x 0.2 x 1.788 rad.
TEST(PinnedFlights, SteadyNorthWindThroughTheStep) {
    FreshSimulation();
    Wind.windType = WindSteady;
    RunTicks(600);
    EXPECT_NEAR(Wind.windVelocity.x, 0.0f, 1e-5f);
    EXPECT_NEAR(Wind.windVelocity.y, -4.0f, 1e-4f);
    EXPECT_NEAR(airspeedMph, 4.0051f, 1e-3f);
    EXPECT_NEAR(Heli.noseAxis.z, 3.576e-4f, 2e-6f);
    EXPECT_NEAR(Heli.upAxis.y, -3.576e-4f, 2e-6f);
}
