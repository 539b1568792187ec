// Runs the 50 ms clock for 10 s and prints the tick period's mean, worst jitter and drift.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "app/periodic_clock.h"

int main(int argc, char** argv) {
    using clock = std::chrono::steady_clock;
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    std::vector<clock::time_point> stamps;
    stamps.reserve(1000);
    std::mutex stampsMutex;
    auto start = clock::now();
    StartPeriodicClock(
        [&] {
            std::lock_guard<std::mutex> lock(stampsMutex);
            stamps.push_back(clock::now());
        },
        std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    StopPeriodicClock();

    std::lock_guard<std::mutex> lock(stampsMutex);
    if (stamps.size() < 2) {
        std::printf("tick: too few ticks\n");
        return 1;
    }
    double sum = 0, worst = 0;
    for (size_t i = 1; i < stamps.size(); ++i) {
        double ms = std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count();
        sum += ms;
        worst = std::max(worst, std::fabs(ms - 50.0));
    }
    double mean = sum / static_cast<double>(stamps.size() - 1);
    // Drift: how far the last tick is from its ideal deadline start + n x 50 ms.
    double lastMs = std::chrono::duration<double, std::milli>(stamps.back() - start).count();
    double drift = lastMs - 50.0 * static_cast<double>(stamps.size());
    std::printf("tick: %zu ticks in %.1f s\n", stamps.size(), seconds);
    std::printf("tick period mean: %.3f ms\n", mean);
    std::printf("tick period worst jitter: %.3f ms\n", worst);
    std::printf("tick drift after %zu ticks: %.3f ms\n", stamps.size(), drift);
    return 0;
}
