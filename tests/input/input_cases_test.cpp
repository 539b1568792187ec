// Mixing and calibration cases beside the controls tests: curve segments above half stick, every
// exponential-rate step, and the extents the calibration tracks.
#include <gtest/gtest.h>

#include "input/control_input.h"
#include "input/joystick_calibration.h"

// Curve points 0, 70, 80, 90, 100 (the normal throttle curve's default): a straight line through each
// pair of points, 0.5 of stick apart. Result = 2 v / 100 - 1.
TEST(InputCases, CurveSegments) {
    const int32_t points[5] = {0, 70, 80, 90, 100};
    const struct {
        float x, expected;
    } cases[] = {{-1.0f, -1.0f}, {-0.75f, -0.3f}, {-0.5f, 0.4f}, {-0.25f, 0.5f}, {0.0f, 0.6f},
                 {0.25f, 0.7f},  {0.5f, 0.8f},    {0.75f, 0.9f}, {1.0f, 1.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(ApplyCurve(c.x, points), c.expected, 1e-6f) << c.x;
}

// y = (e^(k|x|) - 1) / (e^k - 1) with the sign of x; k by percent / 5: 0, 0.2, 0.4, 0.6, 0.8, 1.0, 1.21,
// 1.5, 1.7 (40 % and more). Values for x = 0.5 worked out by hand from that formula.
TEST(InputCases, ExpoSteps) {
    const struct {
        int32_t percent;
        float expected;
    } cases[] = {{0, 0.5f},         {4, 0.5f},         {5, 0.47502081f},  {10, 0.45016600f},
                 {15, 0.42555748f}, {20, 0.40131234f}, {25, 0.37754067f}, {30, 0.35320061f},
                 {35, 0.32082130f}, {40, 0.29943286f}, {100, 0.29943286f}};
    for (const auto& c : cases) {
        EXPECT_NEAR(ApplyExpo(0.5f, c.percent), c.expected, 2e-6f) << c.percent;
        EXPECT_NEAR(ApplyExpo(-0.5f, c.percent), -c.expected, 2e-6f) << c.percent;
    }
}

// After the centres are taken, every tick widens the extents to the raw values seen, never narrows them.
TEST(InputCases, CalibrationTracksTheExtents) {
    JoystickCalibration cal{};
    CalibrationSession session;
    BeginCalibration(cal, session);
    int32_t raw[JoystickAxisCount] = {32000, 33000, 32768, 32768, 32768, 32768};
    StoreJoystickPoll(cal, true, raw, 0);
    EXPECT_FALSE(CalibrationOk(cal, session));
    EXPECT_EQ(cal.centreRaw[0], 32000);
    for (int32_t x : {40000, 40500, 39000, 20300, 20000, 20100}) {
        raw[0] = x;
        StoreJoystickPoll(cal, true, raw, 0);
        CalibrationTick(cal, session);
    }
    EXPECT_EQ(cal.maxRaw[0], 40500);
    EXPECT_EQ(cal.minRaw[0], 20000);
    EXPECT_EQ(cal.maxRaw[1], 33000);
    EXPECT_EQ(cal.minRaw[1], 33000);
}
