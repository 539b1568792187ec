// The random source, the wind and turbulence generators and the random attitudes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "flight/sim_rand.h"
#include "flight/training.h"
#include "flight/wind.h"

namespace {
// The generator written out independently: 64-bit arithmetic reduced modulo 2^32.
uint32_t NextState(uint32_t s) {
    return static_cast<uint32_t>((uint64_t{s} * 214013u + 2531011u) % 4294967296u);
}
int32_t Output(uint32_t s) {
    return static_cast<int32_t>((s >> 16) % 32768u);
}

uint32_t Inverse(uint32_t a) { // modular inverse of an odd number mod 2^32 (Newton iteration)
    uint32_t x = a;
    for (int i = 0; i < 5; ++i)
        x *= 2u - a * x;
    return x;
}

// Finds a state whose next two draws are r1 and (within tolerance) r2.
bool SetNextDraws(int32_t r1, int32_t r2, int32_t tolerance) {
    const uint32_t inv = Inverse(214013u);
    for (uint32_t high = 0; high < 2; ++high) {
        for (uint32_t low = 0; low < 65536; ++low) {
            uint32_t s1 = (high << 31) | (static_cast<uint32_t>(r1) << 16) | low;
            if (std::abs(Output(NextState(s1)) - r2) > tolerance) continue;
            SimRandState = (s1 - 2531011u) * inv;
            return true;
        }
    }
    return false;
}

void ExpectVec(Vec3 v, float x, float y, float z, float tol) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}
} // namespace

TEST(SimRand, MatchesTheRuntimeGenerator) {
    SimRandState = 1;
    const int32_t first[10] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int32_t v : first)
        EXPECT_EQ(SimRand(), v);
    uint32_t s = 0xDEADBEEFu;
    SimRandState = s;
    for (int i = 0; i < 1000; ++i) {
        s = NextState(s);
        int32_t r = SimRand();
        ASSERT_EQ(r, Output(s));
        ASSERT_GE(r, 0);
        ASSERT_LE(r, SimRandMax);
        ASSERT_EQ(SimRandState, s);
    }
}

TEST(Wind, SteadyWindApproachesItsTarget) {
    SimRandState = 1;
    Wind = WindState{};
    Wind.windType = WindSteady;
    Wind.windDirection = 0; // from N
    Wind.windSpeed = 4.0f;
    StepWind(0.05f);
    ExpectVec(Wind.windTarget, 0.0f, -4.0f, 0.0f, 1e-6f);
    ExpectVec(Wind.windVelocity, 0.0f, -4.0f / 50.0f, 0.0f, 1e-6f);
    ExpectVec(Wind.windRate, 0.0f, -0.08f / 0.05f, 0.0f, 1e-4f);
    for (int i = 0; i < 2000; ++i) {
        Vec3 before = Wind.windVelocity;
        StepWind(0.05f);
        ASSERT_NEAR(Wind.windVelocity.y - before.y, (-4.0f - before.y) / 50.0f, 1e-6f);
    }
    ExpectVec(Wind.windVelocity, 0.0f, -4.0f, 0.0f, 1e-4f);
    // A hovering helicopter then moves through the air at +1.788 m/s along y.
    EXPECT_NEAR(0.0f - 0.447f * Wind.windVelocity.y, 1.788f, 1e-4f);

    Wind = WindState{};
    Wind.windType = WindSteady;
    Wind.windDirection = 2; // from E
    StepWind(0.05f);
    ExpectVec(Wind.windTarget, -4.0f, 0.0f, 0.0f, 1e-5f);
    Wind.windDirection = 4; // from S
    Wind.windTimer = -1.0f;
    StepWind(0.05f);
    ExpectVec(Wind.windTarget, 0.0f, 4.0f, 0.0f, 1e-5f);
}

TEST(Wind, DrawOrderTimerAndGusts) {
    // Gradual gusts: timer, angle, speed, in that order, from the first three draws 41, 18467, 6334.
    SimRandState = 1;
    Wind = WindState{};
    Wind.windType = WindGradualGusts;
    Wind.directionShifts = 2; // 45 degrees
    Wind.windDirection = 1;   // NE
    StepWind(0.05f);
    EXPECT_FLOAT_EQ(Wind.windTimer, 41.0f * 12.0f / 32768.0f);
    float angle = (18467.0f * 45.0f / 32768.0f - 45.0f) * DegToRad;
    float speed = 4.0f + 6334.0f * 10.0f / 32768.0f - 0.5f;
    ExpectVec(Wind.windTarget, speed * std::sin(angle), -speed * std::cos(angle), 0.0f, 1e-5f);
    EXPECT_EQ(SimRand(), 26500); // exactly three draws were taken

    // Target speeds lie in 3.5 .. 13.5 mph, not centred on the wind speed.
    float low = 100.0f, high = 0.0f;
    for (int i = 0; i < 3000; ++i) {
        Wind.windTimer = -1.0f;
        StepWind(0.05f);
        float s = length(Wind.windTarget);
        low = std::fmin(low, s);
        high = std::fmax(high, s);
    }
    EXPECT_GE(low, 3.5f - 1e-4f);
    EXPECT_LT(high, 13.5f);
    EXPECT_LT(low, 3.6f);
    EXPECT_GT(high, 13.4f);

    // Steady wind draws no speed; a timer that lands exactly on 0 draws nothing.
    SimRandState = 1;
    Wind = WindState{};
    Wind.windType = WindSteady;
    StepWind(0.05f);
    EXPECT_EQ(SimRand(), 6334);
    Wind.windTimer = 0.05f;
    uint32_t before = SimRandState;
    StepWind(0.05f);
    EXPECT_EQ(SimRandState, before);

    // Sudden gusts: timer under 6 s and the faster 1/20 approach.
    Wind = WindState{};
    Wind.windType = WindSuddenGusts;
    for (int i = 0; i < 200; ++i) {
        Wind.windTimer = -1.0f;
        StepWind(0.05f);
        ASSERT_LT(Wind.windTimer, 6.0f);
    }
    Vec3 v = Wind.windVelocity;
    Wind.windTimer = 100.0f;
    StepWind(0.05f);
    EXPECT_NEAR(Wind.windVelocity.x, (19.0f * v.x + Wind.windTarget.x) / 20.0f, 1e-5f);
}

TEST(Wind, NoWindIsZeroAfterOneStep) {
    Wind = WindState{};
    Wind.windVelocity = Vec3{1.0f, 2.0f, 3.0f};
    StepWind(0.1f);
    ExpectVec(Wind.windVelocity, 0, 0, 0, 0.0f);
    ExpectVec(Wind.windRate, -10.0f, -20.0f, -30.0f, 1e-4f);
    StepWind(0.1f);
    ExpectVec(Wind.windRate, 0, 0, 0, 0.0f);
    EXPECT_EQ(DirectionShiftSpan(4), 180.0f);
    EXPECT_EQ(DirectionShiftSpan(9), 180.0f);
    EXPECT_EQ(DirectionShiftSpan(-1), 0.0f);
}

TEST(Turbulence, RangesKickAndDecay) {
    SimRandState = 7;
    Turbulence = TurbulenceState{};
    Turbulence.turbLevel = 4;
    float maxX = 0, maxY = 0, maxZ = 0;
    for (int i = 0; i < 4000; ++i) {
        Vec3 current = Turbulence.turbVelocity;
        Turbulence.turbTimer = -1.0f;
        StepTurbulence(0.05f);
        Vec3 t = Turbulence.turbTarget;
        ASSERT_GE(t.x, 0.0f);
        ASSERT_LT(t.x, 1.0f);
        ASSERT_GE(t.y, 0.0f);
        ASSERT_LT(t.y, 1.0f);
        ASSERT_GE(t.z, 0.0f);
        ASSERT_LT(t.z, 2.0f);
        ASSERT_LT(Turbulence.turbTimer, 1.0f);
        ASSERT_NEAR(Turbulence.turbKick.x, 5.0f * (t.x - current.x), 1e-5f);
        ASSERT_EQ(Turbulence.turbKick.z, 0.0f);
        ASSERT_NEAR(Turbulence.turbVelocity.z, 0.8f * current.z + 0.2f * t.z, 1e-6f);
        maxX = std::fmax(maxX, t.x);
        maxY = std::fmax(maxY, t.y);
        maxZ = std::fmax(maxZ, t.z);
    }
    EXPECT_GT(maxX, 0.99f);
    EXPECT_GT(maxY, 0.99f);
    EXPECT_GT(maxZ, 1.98f);

    // Level 1 is a tenth of that; level 0 pulls toward zero by 0.8 per step and draws only the timer.
    Turbulence.turbLevel = 1;
    Turbulence.turbTimer = -1.0f;
    StepTurbulence(0.05f);
    EXPECT_LT(Turbulence.turbTarget.x, 0.1f);
    EXPECT_LT(Turbulence.turbTarget.z, 0.2f);
    Turbulence.turbLevel = 0;
    Turbulence.turbTimer = -1.0f;
    Turbulence.turbVelocity = Vec3{1.0f, 1.0f, 1.0f};
    uint32_t s = SimRandState;
    StepTurbulence(0.05f);
    EXPECT_EQ(SimRandState, NextState(s));
    ExpectVec(Turbulence.turbTarget, 0, 0, 0, 0.0f);
    ExpectVec(Turbulence.turbVelocity, 0.8f, 0.8f, 0.8f, 1e-6f);
    StepTurbulence(0.05f);
    EXPECT_NEAR(Turbulence.turbVelocity.x, 0.64f, 1e-6f);
    EXPECT_EQ(TurbulenceLevelFactor(2), 0.25f);
    EXPECT_EQ(TurbulenceLevelFactor(3), 0.5f);
    EXPECT_EQ(TurbulenceLevelFactor(7), 1.0f);
}

TEST(RandomAttitude, MotionLevelsGiveTheirStartVelocities) {
    const float c15 = std::cos(15.0f * DegToRad), s15 = std::sin(15.0f * DegToRad);
    RandomAttitude = RandomAttitudeSettings{};
    RandomAttitude.orientationLevel = 0;

    // Draws in the middle leave nose (0, 1, 0) and up (0, 0, 1) within 1e-4.
    RandomAttitude.motionLevel = 1;
    ASSERT_TRUE(SetNextDraws(16384, 16384, 1));
    GenerateRandomAttitude();
    int32_t r3 = Output(SimRandState);
    ExpectVec(RandomAttitude.startNose, 0, 1, 0, 2e-4f);
    ExpectVec(RandomAttitude.startUp, 0, 0, 1, 2e-4f);
    float s = static_cast<float>(r3) * 5.0f / 32767.0f;
    ASSERT_GT(s, 0.0f);
    ExpectVec(RandomAttitude.startVelocity, -s * c15 * s15, s * c15 * c15, s * s15, 2e-3f * s);
    ExpectVec(RandomAttitude.startPosition, 0, 15, 14, 0.0f);

    RandomAttitude.motionLevel = 3;
    RandomAttitude.altitudeLevel = 2;
    ASSERT_TRUE(SetNextDraws(16383, 16384, 1));
    GenerateRandomAttitude();
    s = static_cast<float>(Output(SimRandState)) * 20.0f / 32767.0f;
    ExpectVec(RandomAttitude.startVelocity, 0, s, 0, 2e-3f * s + 1e-5f);
    EXPECT_EQ(RandomAttitude.startPosition.z, 6.0f);

    // Level 0: no motion, and only the two attitude draws are taken.
    RandomAttitude.motionLevel = 0;
    RandomAttitude.altitudeLevel = 1;
    SimRandState = 99;
    GenerateRandomAttitude();
    ExpectVec(RandomAttitude.startVelocity, 0, 0, 0, 0.0f);
    EXPECT_EQ(SimRandState, NextState(NextState(99)));
    EXPECT_EQ(RandomAttitude.startPosition.z, 10.0f);
}

TEST(RandomAttitude, OrientationExtremesAndOrthonormalAxes) {
    RandomAttitude = RandomAttitudeSettings{};
    // Both draws at the top: heading +90 degrees (nose to the left), tilts of +15 about x and y.
    ASSERT_TRUE(SetNextDraws(32767, 32767, 2));
    GenerateRandomAttitude();
    Vec3 n = RandomAttitude.startNose;
    Vec3 u = RandomAttitude.startUp;
    const float c15 = std::cos(15.0f * DegToRad), s15 = std::sin(15.0f * DegToRad);
    ExpectVec(n, -c15, 0.0f, s15, 2e-3f);
    ExpectVec(u, s15 * c15, -s15, c15 * c15, 2e-3f);
    // Both at the bottom: heading -90 degrees.
    ASSERT_TRUE(SetNextDraws(0, 0, 2));
    GenerateRandomAttitude();
    EXPECT_NEAR(RandomAttitude.startNose.x, c15, 2e-3f);

    bool inverted = false;
    for (int level = 0; level < 4; ++level) {
        RandomAttitude.orientationLevel = level;
        RandomAttitude.motionLevel = level;
        for (int i = 0; i < 300; ++i) {
            GenerateRandomAttitude();
            Vec3 a = RandomAttitude.startNose, b = RandomAttitude.startUp;
            ASSERT_NEAR(length(a), 1.0f, 1e-5f);
            ASSERT_NEAR(length(b), 1.0f, 1e-5f);
            ASSERT_NEAR(dot(a, b), 0.0f, 1e-5f);
            ASSERT_LE(length(RandomAttitude.startVelocity), RandomTopSpeed(level) + 1e-4f);
            if (b.z < 0.0f) inverted = true;
            if (level < 2) {
                ASSERT_GT(b.z, 0.0f);
            }
        }
    }
    EXPECT_TRUE(inverted); // "Crazy" can leave the helicopter upside down
    EXPECT_FLOAT_EQ(RandomHeadingSpan(0), 1.5707963146269321f);
    EXPECT_FLOAT_EQ(RandomTiltSpan(3), 3.1415926292538643f);
    EXPECT_FLOAT_EQ(RandomTurnAngle(2), 0.5235987715423107f);
    EXPECT_EQ(RandomStartHeight(7), 6.0f);
    EXPECT_EQ(RandomStartHeight(-1), 14.0f);
}
