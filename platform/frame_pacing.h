// When to show the next frame on a display that does not pace the swaps itself (no vsync).
#pragma once

#include <chrono>

using FrameClock = std::chrono::steady_clock;

// True when a swap took long enough that it must have waited for the display's refresh (vsync): the
// swap then sets the pace and the program adds no wait of its own.
bool SwapWaitedForDisplay(FrameClock::duration swapTime, FrameClock::duration refresh);

// The moment the next frame may be shown, given the moment the previous one was due and the time now,
// right after the swap: one refresh after the previous one, at most one frame a refresh. A frame that was
// not ready by then is shown at once and the count starts again from it, so a machine that cannot draw
// every refresh shows every frame it can draw, and a stall is never followed by a burst of frames.
FrameClock::time_point NextFrameDue(FrameClock::time_point previousDue, FrameClock::time_point now,
                                    FrameClock::duration refresh);
