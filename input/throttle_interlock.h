// The motor interlock of a real helicopter's speed controller: after the program starts or the helicopter
// is put back on its pad, the motor stays off until the throttle has been at idle once.
#pragma once

struct ThrottleInterlock {
    bool enabled = true; // "ThrottleInterlock" in Settings.ini
    bool waiting = true; // armed: the throttle has not been at idle since the start or the last reset
    float lastClock = 0.0f;
};
extern ThrottleInterlock Interlock;

// Arms the interlock (the program's start).
void ArmThrottleInterlock(ThrottleInterlock& lock);

// The throttle the motor gets for the stick's throttle, given the flight clock (seconds since the last
// reset, rising every step). A clock that did not rise since the previous call means the helicopter was
// reset, which arms the interlock again. Idle is a throttle of 0 or less; while waiting the result is 0.
float InterlockedThrottle(ThrottleInterlock& lock, float throttle, float clockSinceReset);

// Whether the overlay should say that the motor waits for the throttle at idle. Callers hold SimMutex.
bool ThrottleInterlockHolding(const ThrottleInterlock& lock);
