// Moves a virtual joystick axis many times at random moments and measures how long until a 50 ms
// simulation tick reads the new value, with the main loop at 60 frames/s. "before": the main loop polls
// the sticks every 100 ms and the tick reads what was stored; "after": the main loop polls every frame
// and the tick reads the device itself right before its step.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "app/periodic_clock.h"
#include "app/transmitter.h"
#include "input/joystick_calibration.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Figures {
    double mean = 0, worst = 0;
    size_t count = 0;
};

Figures Measure(bool readBeforeStep, int moves, SDL_Joystick* stick) {
    std::atomic<int> moveNumber{0};
    std::atomic<int64_t> moveTime{0};
    std::atomic<int> sign{0};
    std::vector<double> latencies;
    std::atomic<int> seen{0};
    std::atomic<bool> done{false};
    SDL_JoystickSetVirtualAxis(stick, 0, 0);

    StartPeriodicClock(
        [&] {
            if (readBeforeStep) PollJoystickForStep();
            float v = NormalizeAxis(0);
            int n = moveNumber.load();
            if (n == seen.load() || n == 0) return;
            int want = sign.load();
            if ((want > 0 && v > 0.25f) || (want < 0 && v < -0.25f)) {
                auto now = Clock::now().time_since_epoch().count();
                latencies.push_back(static_cast<double>(now - moveTime.load()) / 1e6);
                seen.store(n);
            }
        },
        std::chrono::milliseconds(50));

    std::thread mover([&] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pauseMs(70, 170);
        for (int i = 1; i <= moves; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
            while (seen.load() != moveNumber.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            int s = (i % 2) ? 1 : -1;
            sign.store(s);
            moveTime.store(Clock::now().time_since_epoch().count());
            SDL_JoystickSetVirtualAxis(stick, 0, static_cast<Sint16>(s * 16000));
            moveNumber.store(i);
        }
        while (seen.load() != moveNumber.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        done.store(true);
    });

    // The main loop: events every frame at 60 frames/s, the sticks every 100 ms or every frame.
    auto frame = std::chrono::microseconds(16667);
    auto next = Clock::now();
    auto lastPoll = Clock::now() - std::chrono::seconds(1);
    while (!done.load()) {
        SDL_PumpEvents();
        auto now = Clock::now();
        if (readBeforeStep || now - lastPoll >= std::chrono::milliseconds(100)) {
            lastPoll = now;
            PollJoystick();
        }
        next += frame;
        std::this_thread::sleep_until(next);
    }
    mover.join();
    StopPeriodicClock();

    Figures f;
    f.count = latencies.size();
    for (double ms : latencies) {
        f.mean += ms;
        f.worst = std::max(f.worst, ms);
    }
    if (f.count) f.mean /= static_cast<double>(f.count);
    return f;
}
} // namespace

int main(int argc, char** argv) {
    int moves = argc > 1 ? std::atoi(argv[1]) : 120;
    if (SDL_Init(SDL_INIT_JOYSTICK) != 0) {
        std::printf("stick latency: no SDL joystick subsystem: %s\n", SDL_GetError());
        return 1;
    }
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 6, 8, 0);
    SDL_Joystick* stick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (!stick || !InitJoystickDevices()) {
        std::printf("stick latency: no virtual joystick: %s\n", SDL_GetError());
        return 1;
    }
    SetFullTravelCalibration(Calibration);
    Calibration.joystickId = 0;
    Figures before = Measure(false, moves, stick);
    Figures after = Measure(true, moves, stick);
    std::printf("Stick to step, 100 ms poll (before): mean %.1f ms, worst %.1f ms over %zu moves\n",
                before.mean, before.worst, before.count);
    std::printf("Stick to step, read before each step (after): mean %.1f ms, worst %.1f ms over %zu moves\n",
                after.mean, after.worst, after.count);
    ShutdownJoystickDevices();
    SDL_JoystickClose(stick);
    SDL_Quit();
    return 0;
}
