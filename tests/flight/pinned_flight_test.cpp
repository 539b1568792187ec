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

bool Close(float want, float got) {
    return std::fabs(want - got) <= 1e-5f * std::fmax(std::fabs(want), 1e-3f);
}

// The flights of the reference file; false on a malformed file.
bool LoadReference(std::vector<PinnedFlight>& flights) {
    std::ifstream in(RV_TEST_DATA_DIR "/pinned_flights.bin", std::ios::binary);
    std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, &b[at], 4);
        return v;
    };
    if (b.size() < 12 || std::memcmp(b.data(), "RVPF", 4) != 0 || u32(4) != 1) return false;
    size_t at = 12;
    for (uint32_t n = u32(8); n > 0; --n) {
        if (b.size() - at < 40) return false;
        PinnedFlight f{std::string(&b[at], strnlen(&b[at], 31)), std::bit_cast<float>(u32(at + 32)), {}};
        size_t ticks = u32(at + 36);
        at += 40;
        if ((b.size() - at) / 72 < ticks) return false;
        f.ticks.resize(ticks);
        std::memcpy(f.ticks.data(), &b[at], 72 * ticks);
        at += 72 * ticks;
        flights.push_back(std::move(f));
    }
    return at == b.size();
}
} // namespace

TEST(PinnedFlights, EveryStepMatchesTheReference) {
    std::vector<PinnedFlight> reference;
    ASSERT_TRUE(LoadReference(reference)) << "tests/data/pinned_flights.bin unreadable";
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
            int field = -1;
            for (int k = 0; k < 16 && field < 0; ++k)
                if (!Close(a.state[k], b.state[k])) field = k;
            if (a.flightState == b.flightState && a.randState == b.randState && field < 0) continue;
            ADD_FAILURE() << "\"" << want.name << "\" dt " << want.dt << " first differs at step " << i
                          << ": FlightState " << a.flightState << " / " << b.flightState << ", random state "
                          << a.randState << " / " << b.randState
                          << (field < 0 ? std::string()
                                        : ", state float " + std::to_string(field) + " (HeliState order) " +
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
    RunTicks(600);
    EXPECT_NEAR(Wind.windVelocity.x, 0.0f, 1e-5f);
    EXPECT_NEAR(Wind.windVelocity.y, -4.0f, 1e-4f);
    EXPECT_NEAR(airspeedMph, 4.0051f, 1e-3f);
    EXPECT_EQ(FlightState, FlightResting);
    EXPECT_NEAR(Heli.noseAxis.z, 3.576e-4f, 2e-6f);
    EXPECT_NEAR(Heli.upAxis.y, -3.576e-4f, 2e-6f);
    EXPECT_NEAR(Heli.upAxis.x, 0.0f, 1e-7f);
}
