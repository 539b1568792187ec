// Flies every scripted reference flight at both time steps and writes the reference file the flight
// tests compare against (default: tests/data/pinned_flights.bin under the source tree).
#include <cstdio>
#include <string>

#include "app/safe_file.h"
#include "pinned_flights.h"

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
    std::vector<unsigned char> bytes = EncodePinnedFlights(flights);
    if (!WriteFileAtomically(path, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return 1;
    }
    std::printf("%zu bytes written to %s\n", bytes.size(), path.c_str());
    return 0;
}
