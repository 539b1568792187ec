// The start and reset motor interlock.
#include "input/throttle_interlock.h"

ThrottleInterlock Interlock;

void ArmThrottleInterlock(ThrottleInterlock& lock) {
    lock.waiting = true;
    lock.lastClock = 0.0f;
}

float InterlockedThrottle(ThrottleInterlock& lock, float throttle, float clockSinceReset) {
    if (clockSinceReset <= lock.lastClock) lock.waiting = true;
    lock.lastClock = clockSinceReset;
    if (!lock.enabled) return throttle;
    if (throttle <= 0.0f) lock.waiting = false;
    return lock.waiting ? 0.0f : throttle;
}

bool ThrottleInterlockHolding(const ThrottleInterlock& lock) {
    return lock.enabled && lock.waiting;
}
