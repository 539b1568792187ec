// When to show the next frame on a display without vsync.
#include "platform/frame_pacing.h"

bool SwapWaitedForDisplay(FrameClock::duration swapTime, FrameClock::duration refresh) {
    // A swap that only copies the finished picture to the window takes a small part of a refresh.
    return swapTime > refresh / 4;
}

FrameClock::time_point NextFrameDue(FrameClock::time_point previousDue, FrameClock::time_point now,
                                    FrameClock::duration refresh) {
    FrameClock::time_point due = previousDue + refresh;
    return due < now ? now : due;
}
