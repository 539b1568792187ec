// A thread that runs a function at absolute deadlines (start + n x period), so the rate does not drift.
#pragma once
#include <chrono>
#include <functional>

// Starts the clock; the first call comes one period after the start. One clock at a time. onStart, when
// given, runs first on the clock's own thread (to set the thread up).
void StartPeriodicClock(std::function<void()> tick, std::chrono::milliseconds period,
                        std::function<void()> onStart = {});
// Stops the clock and joins its thread; no call runs after this returns.
void StopPeriodicClock();
