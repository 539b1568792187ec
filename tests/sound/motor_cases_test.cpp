// Motor sound case beside the block tests: where the read position goes back to the loop's start.
#include <gtest/gtest.h>

#include <vector>

#include "sound/motor_sound.h"

// 100-sample blocks at rate 2 move the read position 200 samples; past loopLimit (600) it starts over.
TEST(MotorCases, ReadPositionWrapsPastTheLoopLimit) {
    MotorSoundState s;
    s.LoopBuffer.assign(1000, 1000);
    s.blockSamples = 100;
    s.loopLimit = 600;
    s.rate = 2.0f;
    MotorSoundInputs in;
    in.rpm = 2500.0f; // target rate 2, no change within the block
    in.distance = 1.0f;
    in.motorOn = true;
    std::vector<int16_t> out(100);
    const struct { int32_t from, to; } cases[] = {{0, 200}, {400, 600}, {450, 0}, {600, 0}};
    for (const auto& c : cases) {
        s.readPos = c.from;
        s.rate = 2.0f;
        FillMotorBlock(s, in, out.data());
        EXPECT_EQ(s.readPos, c.to) << c.from;
    }
}
