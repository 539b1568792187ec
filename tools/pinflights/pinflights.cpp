// Flies every scripted reference flight at both time steps and writes the reference file the flight
// tests compare against (default: tests/data/pinned_flights.bin under the source tree). The layout is
// described in tests/flight/pinned_flights.h; the tests read it with a reader of their own.
#include <cstdio>
#include <cstring>
#include <string>

#include "assets/safe_file.h"
#include "pinned_flights.h"

namespace {
void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutF32(std::vector<unsigned char>& out, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    PutU32(out, u);
}

std::vector<unsigned char> Encode(const std::vector<PinnedFlight>& flights) {
    std::vector<unsigned char> out = {'R', 'V', 'P', 'F'};
    PutU32(out, 1);
    PutU32(out, static_cast<uint32_t>(flights.size()));
    for (const PinnedFlight& f : flights) {
        char name[32] = {};
        std::strncpy(name, f.name.c_str(), sizeof name - 1);
        out.insert(out.end(), name, name + sizeof name);
        PutF32(out, f.dt);
        PutU32(out, static_cast<uint32_t>(f.ticks.size()));
        for (const PinnedTick& t : f.ticks) {
            for (float v : t.state)
                PutF32(out, v);
            PutU32(out, static_cast<uint32_t>(t.flightState));
            PutU32(out, t.randState);
        }
    }
    return out;
}
} // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : std::string(RV_SOURCE_DIR) + "/tests/data/pinned_flights.bin";
    std::vector<PinnedFlight> flights;
    for (int i = 0; i < PinnedFlightScriptCount(); ++i) {
        for (float dt : PinnedTimeSteps) {
            flights.push_back(FlyPinnedFlight(i, dt));
            const PinnedFlight& f = flights.back();
            std::printf("%-48s dt %.2f  %4zu ticks  final state %d\n", f.name.c_str(),
                        static_cast<double>(dt), f.ticks.size(), f.ticks.back().flightState);
        }
    }
    std::vector<unsigned char> bytes = Encode(flights);
    if (!WriteFileAtomically(path, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return 1;
    }
    std::printf("%zu bytes written to %s\n", bytes.size(), path.c_str());
    return 0;
}
