// Random attitudes for recovery practice.
#include "flight/training.h"

#include "flight/sim_rand.h"

RandomAttitudeSettings RandomAttitude;

namespace {
constexpr float Span15 = 0.26179938577115536f;
constexpr float Span30 = 0.5235987715423107f;
constexpr float Span45 = 0.7853981573134661f;
constexpr float Span90 = 1.5707963146269321f;
constexpr float Span180 = 3.1415926292538643f;
constexpr float Span360 = 6.283185258507729f;

int32_t Level(int32_t level, int32_t last) {
    return level < 0 ? 0 : (level > last ? last : level);
}

// One draw mapped onto -1..1.
float DrawUnit() {
    return 2.0f * static_cast<float>(SimRand()) / 32767.0f - 1.0f;
}
} // namespace

float RandomStartHeight(int32_t altitudeLevel) {
    static const float heights[3] = {14.0f, 10.0f, 6.0f};
    return heights[Level(altitudeLevel, 2)];
}

float RandomHeadingSpan(int32_t orientationLevel) {
    static const float spans[4] = {Span90, Span180, Span360, Span360};
    return spans[Level(orientationLevel, 3)];
}

float RandomTiltSpan(int32_t orientationLevel) {
    static const float spans[4] = {Span15, Span45, Span90, Span180};
    return spans[Level(orientationLevel, 3)];
}

float RandomTurnAngle(int32_t motionLevel) {
    static const float angles[4] = {0.0f, Span15, Span30, Span180};
    return angles[Level(motionLevel, 3)];
}

float RandomTopSpeed(int32_t motionLevel) {
    static const float speeds[4] = {0.0f, 5.0f, 15.0f, 20.0f};
    return speeds[Level(motionLevel, 3)];
}

void GenerateRandomAttitude() {
    RandomAttitudeSettings& ra = RandomAttitude;
    ra.startPosition = Vec3{0.0f, 15.0f, RandomStartHeight(ra.altitudeLevel)};
    Vec3 nose{0.0f, 1.0f, 0.0f};
    Vec3 up{0.0f, 0.0f, 1.0f};
    const Vec3 lateral = cross(nose, up);

    float a = DrawUnit();
    float b = DrawUnit();
    float headingSpan = RandomHeadingSpan(ra.orientationLevel);
    float tiltSpan = RandomTiltSpan(ra.orientationLevel);
    rotateZ(nose, b * headingSpan);
    rotateX(nose, a * tiltSpan);
    rotateX(up, a * tiltSpan);
    rotateY(nose, b * tiltSpan);
    rotateY(up, b * tiltSpan);
    ra.startNose = nose;
    ra.startUp = up;

    if (Level(ra.motionLevel, 3) == 0) {
        ra.startVelocity = WorldZero;
        return;
    }
    float speed = static_cast<float>(SimRand()) * RandomTopSpeed(ra.motionLevel) / 32767.0f;
    float turn = RandomTurnAngle(ra.motionLevel);
    Mat4 turnMatrix = multiply(rotationAxis(up, turn), rotationAxis(lateral, turn));
    ra.startVelocity = transform(scale(nose, speed), turnMatrix);
}
