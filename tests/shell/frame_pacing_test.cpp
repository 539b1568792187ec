// The frame pacing on a display without vsync, played through frames of chosen cost.
#include <gtest/gtest.h>

#include <vector>

#include "platform/frame_pacing.h"

namespace {
using std::chrono::microseconds;
using std::chrono::milliseconds;
const FrameClock::duration Refresh = microseconds(16667);

// Plays frames that each take the given work (drawing plus a swap that does not wait) as the main loop
// does, and returns the intervals between the moments the frames were shown, in microseconds.
std::vector<long> Intervals(const std::vector<int>& workMs) {
    FrameClock::time_point shown{}, due{};
    std::vector<long> intervals;
    for (int work : workMs) {
        FrameClock::time_point now = shown + milliseconds(work);
        due = NextFrameDue(due, now, Refresh);
        FrameClock::time_point next = due > now ? due : now;
        intervals.push_back(std::chrono::duration_cast<microseconds>(next - shown).count());
        shown = next;
    }
    return intervals;
}
} // namespace

TEST(FramePacing, OneFrameARefreshAtMostAndASlowFrameShownWhenReady) {
    // Cheap frames are held to one a refresh.
    for (long interval : Intervals({2, 5, 9, 12, 16}))
        EXPECT_EQ(interval, 16667);
    // Frames a little over a refresh are shown as they are ready: about 55 a second, not halved to 30.
    for (long interval : Intervals({18, 18, 18, 18}))
        EXPECT_EQ(interval, 18000);
    // A long stall is not made up for by a burst of frames: the next one waits a whole refresh again.
    std::vector<long> stall = Intervals({5, 5, 80, 5, 5, 5});
    EXPECT_EQ(stall[2], 80000);
    for (size_t i = 3; i < stall.size(); ++i)
        EXPECT_EQ(stall[i], 16667) << "frame " << i;
}

TEST(FramePacing, OnlyASwapThatTookAQuarterRefreshCountsAsWaitingForTheDisplay) {
    EXPECT_FALSE(SwapWaitedForDisplay(microseconds(1500), Refresh)); // a copy to the window
    EXPECT_FALSE(SwapWaitedForDisplay(microseconds(4100), Refresh));
    EXPECT_TRUE(SwapWaitedForDisplay(microseconds(4300), Refresh));
    EXPECT_TRUE(SwapWaitedForDisplay(microseconds(15000), Refresh)); // held until the refresh
}
