// Runs the real 50 ms simulation tick and, while it runs, saves a two-minute instant replay and copies it
// to a saved recording again and again; prints the longest gap between two ticks, without and with the
// saves. A save that held the simulation lock while writing would show as a longer gap.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "app/periodic_clock.h"
#include "app/shared_flags.h"
#include "app/sim_tick.h"
#include "assets/program_paths.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "recorder/flight_recorder.h"

namespace {
using Clock = std::chrono::steady_clock;

std::mutex stampsMutex;
std::vector<Clock::time_point> stamps;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The longest gap between ticks stamped from index first on.
double LongestGap(size_t first) {
    std::lock_guard<std::mutex> lock(stampsMutex);
    double worst = 0.0;
    for (size_t i = std::max<size_t>(first, 1); i < stamps.size(); ++i)
        worst = std::max(worst, Ms(stamps[i] - stamps[i - 1]));
    return worst;
}

size_t TicksSoFar() {
    std::lock_guard<std::mutex> lock(stampsMutex);
    return stamps.size();
}

void FillReplay() {
    std::lock_guard<std::mutex> lock(SimMutex);
    for (uint32_t i = 0; i < InstantReplayFrames; ++i)
        KeepInstantReplayFrame();
}
} // namespace

int main(int argc, char** argv) {
    // usage: bench_save_gap [SAVES [FOLDER]]; the folder should be on a real disk (not tmpfs), where
    // fsync costs what it costs a pilot.
    const int saves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::string folder = (argc > 2 ? std::string(argv[2]) : std::filesystem::current_path().string()) +
                               "/rv-save-gap-" + std::to_string(getpid());
    std::filesystem::create_directories(folder + "/recordings");
    ProgramDir = UserDir = folder;
    InitFlightRecorder(WritePath("temporary.rec"));
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        ResetHelicopter();
        SimPaused = false;
    }
    stamps.reserve(4096);
    StartPeriodicClock(
        [] {
            SimulationTick();
            std::lock_guard<std::mutex> lock(stampsMutex);
            stamps.push_back(Clock::now());
        },
        std::chrono::milliseconds(TickPeriodMs));

    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double quiet = LongestGap(0);

    const size_t from = TicksSoFar();
    double saveSum = 0.0, saveWorst = 0.0;
    int failed = 0;
    for (int n = 0; n < saves; ++n) {
        FillReplay();
        auto start = Clock::now();
        bool ok = TakeInstantReplay() &&
                  SaveRecordingTo(folder + "/recordings/replay-" + std::to_string(n % 4) + ".rec");
        double took = Ms(Clock::now() - start);
        failed += ok ? 0 : 1;
        saveSum += took;
        saveWorst = std::max(saveWorst, took);
        std::this_thread::sleep_for(std::chrono::milliseconds(70));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double saving = LongestGap(from);
    StopPeriodicClock();
    ShutdownRecorder();

    const double kb = (8.0 + 88.0 * InstantReplayFrames) / 1024.0;
    std::printf("save gap: tick period %d ms, folder %s\n", TickPeriodMs, folder.c_str());
    std::printf("longest gap between ticks, no saves (3 s): %.1f ms\n", quiet);
    std::printf("saves: %d instant replays of %u frames (%.0f KiB) each saved again as a recording, "
                "%d failed\n",
                saves, InstantReplayFrames, kb, failed);
    std::printf("time per replay + save: mean %.1f ms, longest %.1f ms\n", saveSum / saves, saveWorst);
    std::printf("longest gap between ticks while saving: %.1f ms\n", saving);
    std::filesystem::remove_all(folder);
    return failed == 0 ? 0 : 1;
}
