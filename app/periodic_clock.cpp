// The clock thread. When a call overruns by more than a period (a crash sound playing to its end),
// the schedule restarts from now instead of firing the missed calls in a burst.
#include "app/periodic_clock.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
std::thread clockThread;
std::mutex stopMutex;
std::condition_variable stopSignal;
bool stopRequested = false;

void ClockLoop(std::function<void()> tick, std::chrono::milliseconds period, std::function<void()> onStart) {
    using clock = std::chrono::steady_clock;
    if (onStart) onStart();
    auto next = clock::now() + period;
    std::unique_lock<std::mutex> lock(stopMutex);
    while (!stopRequested) {
        if (stopSignal.wait_until(lock, next, [] { return stopRequested; })) break;
        lock.unlock();
        tick();
        lock.lock();
        next += period;
        auto now = clock::now();
        if (now > next + period) next = now + period;
    }
}
} // namespace

void StartPeriodicClock(std::function<void()> tick, std::chrono::milliseconds period,
                        std::function<void()> onStart) {
    if (clockThread.joinable()) return;
    stopRequested = false;
    clockThread = std::thread(ClockLoop, std::move(tick), period, std::move(onStart));
}

void StopPeriodicClock() {
    {
        std::lock_guard<std::mutex> lock(stopMutex);
        stopRequested = true;
    }
    stopSignal.notify_all();
    if (clockThread.joinable()) clockThread.join();
}
