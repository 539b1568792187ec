// The tick thread. Deadlines are absolute (start + n x 50 ms), so the rate does not drift; when a tick
// overruns by more than a period (a crash sound playing to its end), the schedule restarts from now
// instead of firing the missed ticks in a burst.
#include "app/sim_tick.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "flight/wind.h"
#include "recorder/flight_recorder.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"

std::atomic<uint64_t> TicksRun{0};

namespace {
std::thread clockThread;
std::mutex stopMutex;
std::condition_variable stopSignal;
bool stopRequested = false;

void ClockLoop() {
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(TickPeriodMs);
    auto next = clock::now() + period;
    std::unique_lock<std::mutex> lock(stopMutex);
    while (!stopRequested) {
        if (stopSignal.wait_until(lock, next, [] { return stopRequested; })) break;
        lock.unlock();
        SimulationTick();
        TicksRun.fetch_add(1, std::memory_order_relaxed);
        lock.lock();
        next += period;
        auto now = clock::now();
        if (now > next + period) next = now + period;
    }
}
} // namespace

void SimulationTick() {
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        SimTimeStep = RecorderPlaying() ? 0.05f : TimeStepForSpeed(SimSpeed);
        StepHelicopter(SimTimeStep);
        StepWind(SimTimeStep);
        StepTurbulence(SimTimeStep);
        PublishSoundInputs(Heli.rotorRpm, Heli.pilotDistance, Heli.dopplerFactor);
    }
    PlayPendingCrashSound();
}

void StartSimulationClock() {
    if (clockThread.joinable()) return;
    stopRequested = false;
    clockThread = std::thread(ClockLoop);
}

void StopSimulationClock() {
    {
        std::lock_guard<std::mutex> lock(stopMutex);
        stopRequested = true;
    }
    stopSignal.notify_all();
    if (clockThread.joinable()) clockThread.join();
}
