// Stick to physics with the realistic model: a virtual joystick axis moves at random moments (3-17 ms
// apart) while the real simulation clock flies "450 Sport" at 1000 Hz and a main loop runs at 60 frames/s;
// for each move, the time until the tick's stick read right before a physics step sees the new value (the
// step itself follows under the same lock, about a microsecond later). Prints mean, 99th percentile and
// worst, and the physics steps per second the clock kept.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/flight_model_choice.h"
#include "assets/program_paths.h"
#include "app/realistic_tick.h"
#include "app/sim_tick.h"
#include "flight/sim_control.h"
#include "input/joystick_calibration.h"
#include "platform/thread_priority.h"
#include "app/transmitter.h"

namespace {
using Clock = std::chrono::steady_clock;

std::atomic<int> moveNumber{0};
std::atomic<int64_t> moveTime{0};
std::atomic<int> wantSign{0};
std::atomic<int> seen{0};
std::vector<double> latencies; // ms, tick thread until the clock stops
std::vector<double> readGaps;  // ms since the read before the one that saw each move
int64_t lastRead = 0;          // steady clock of the previous stick read (tick thread)
double longestReadGap = 0.0;   // ms, between any two stick reads after the first move

// The tick's stick read before each physics step, stamped when it first shows the latest move.
bool TimedRead() {
    bool present = PollJoystickForStep();
    float v = NormalizeAxis(0);
    int n = moveNumber.load();
    int want = wantSign.load();
    const int64_t now = Clock::now().time_since_epoch().count();
    const double gap = lastRead ? static_cast<double>(now - lastRead) / 1e6 : 0.0;
    if (n != 0) longestReadGap = std::max(longestReadGap, gap);
    if (n != 0 && n != seen.load() && ((want > 0 && v > 0.25f) || (want < 0 && v < -0.25f))) {
        latencies.push_back(static_cast<double>(now - moveTime.load()) / 1e6);
        readGaps.push_back(gap);
        seen.store(n);
    }
    lastRead = now;
    return present;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}
} // namespace

int main(int argc, char** argv) {
    // usage: bench_realistic_latency [MOVES]
    const int moves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    // As the program's window sets it: the event pump leaves the joysticks to the program's polls.
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (SDL_Init(SDL_INIT_JOYSTICK) != 0) {
        std::printf("realistic latency: no SDL joystick subsystem: %s\n", SDL_GetError());
        return 1;
    }
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 6, 8, 0);
    SDL_Joystick* stick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (!stick || !InitJoystickDevices()) {
        std::printf("realistic latency: no virtual joystick: %s\n", SDL_GetError());
        return 1;
    }
    SetFullTravelCalibration(Calibration);
    Calibration.joystickId = 0;

    // The shipped helicopters; the choice is kept in a scratch folder, not in the program's Settings.ini.
    ProgramDir = RV_PROGRAM_DIR;
    UserDir =
        std::filesystem::temp_directory_path().string() + "/rv-realistic-latency-" + std::to_string(getpid());
    std::filesystem::create_directories(UserDir);
    InstallRealisticTick();
    std::string error;
    if (!ChooseFlightModel("450 Sport", error)) {
        std::printf("realistic latency: %s\n", error.c_str());
        return 1;
    }
    ReadSticksForStep = TimedRead;
    uint64_t stepsBefore = RealisticSteps;
    const Clock::time_point start = Clock::now();
    StartSimulationClock();

    std::atomic<bool> done{false};
    std::thread mover([&] {
        // The mover stands in for the device and its driver, which a busy desktop does not hold back:
        // a move is stamped the moment it is made.
        RaiseThreadPriorityForTiming();
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pauseUs(3000, 17000);
        // The clock's first tick comes one period after its start: the moves begin once it runs.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int i = 1; i <= moves; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
            while (seen.load() != moveNumber.load())
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            int s = (i % 2) ? 1 : -1;
            wantSign.store(s);
            moveTime.store(Clock::now().time_since_epoch().count());
            SDL_JoystickSetVirtualAxis(stick, 0, static_cast<Sint16>(s * 16000));
            moveNumber.store(i);
        }
        while (seen.load() != moveNumber.load())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        done.store(true);
    });
    // The main loop: events and the frame's stick poll every frame at 60 frames/s.
    auto next = Clock::now();
    while (!done.load()) {
        SDL_PumpEvents();
        ServiceJoystickPoll();
        next += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(next);
    }
    mover.join();
    StopSimulationClock();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    uint64_t steps;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        steps = RealisticSteps - stepsBefore;
    }
    double sum = 0.0;
    for (double ms : latencies)
        sum += ms;
    const double mean = latencies.empty() ? 0.0 : sum / static_cast<double>(latencies.size());
    std::printf("realistic stick moves: %d, seen: %zu\n", moves, latencies.size());
    std::printf("realistic stick-to-physics latency mean: %.3f ms\n", mean);
    std::printf("realistic stick-to-physics latency 99th percentile: %.3f ms\n", Percentile(latencies, 0.99));
    std::printf("realistic stick-to-physics latency worst: %.3f ms\n", Percentile(latencies, 1.0));
    size_t late = 0;
    for (double ms : latencies)
        late += ms > 5.0 ? 1 : 0;
    std::printf("realistic stick-to-physics latency over 5 ms: %zu of %zu\n", late, latencies.size());
    // A late move either waited for a read that came late (the tick thread did not run) or was missed
    // by reads that did run.
    for (size_t i = 0; i < latencies.size(); ++i)
        if (latencies[i] > 5.0)
            std::printf("  late move: %.3f ms, the read before it %.3f ms earlier\n", latencies[i],
                        readGaps[i]);
    std::printf("longest gap between stick reads: %.3f ms\n", longestReadGap);
    std::printf("clock thread priority raised: %s\n", TimingThreadRaised.load() ? "yes" : "no");
    std::printf("physics steps per second: %.1f\n", static_cast<double>(steps) / seconds);
    ShutdownJoystickDevices();
    SDL_JoystickClose(stick);
    SDL_Quit();
    std::filesystem::remove_all(UserDir);
    return 0;
}
