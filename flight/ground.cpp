// Ground contact rules and the crash report text.
#include "flight/ground.h"

#include <cmath>
#include <cstdio>

#include "flight/field.h"
#include "flight/heli_state.h"

uint32_t CrashCount = 0;
int32_t CrashTicks = 0;
char CrashReportText[CrashReportSize] = {};

float RestHeight() {
    return 0.015f - MeshLowestPoint;
}

int32_t CollisionKind(Vec3 p, Vec3 v, bool schoolShown) {
    int32_t kind = CrashGround;
    if (schoolShown && p.z < 4.0f && p.x > -20.0f && p.x < 20.0f && p.y < -9.9f && v.y < 0.0f)
        kind = CrashBuilding;
    if (p.z < 2.0f && p.x > -0.5f && p.x < 0.5f && p.y > -0.5f && p.y < 0.5f) kind = CrashPilot;
    return kind;
}

float TiltFromHorizontalDeg(Vec3 axis) {
    Vec3 flat{axis.x, axis.y, 0.0f};
    if (!(length(flat) > 0.0f)) return 90.0f;
    normalize(flat);
    float c = dot(flat, axis);
    // Rounding can put the cosine of a level axis a hair above 1.
    if (c > 1.0f) c = 1.0f;
    if (c < -1.0f) c = -1.0f;
    return std::acos(c) * RadToDeg;
}

bool IsCrash(const Touchdown& t) {
    return t.upsideDown || t.crashKind != CrashGround || std::fabs(t.vz) > 3.0f || t.hs > 4.0f ||
           t.pitchDeg > 15.0f || t.rollDeg > 15.0f;
}

void WriteCrashReport(const Touchdown& t) {
    if (t.crashKind == CrashPilot) {
        std::snprintf(CrashReportText, CrashReportSize, " CRASHED \nHit yourself! OUCH!");
        return;
    }
    std::snprintf(CrashReportText, CrashReportSize,
                  " CRASHED \n\nVertical Velocity: %4.2f mph\nHorizontal Velocity: %4.2f mph\nPitch Angle: "
                  "%4.2f\nRoll Angle: %4.2f",
                  t.vz * 2.24f, t.hs * 2.24f, t.pitchDeg, t.rollDeg);
}

Vec3 LevelledNose(Vec3 nose, Vec3 up) {
    Vec3 flat{nose.x, nose.y, 0.0f};
    if (length(flat) > 1e-6f) return flat;
    Vec3 fromUp{-nose.z * up.x, -nose.z * up.y, 0.0f};
    if (length(fromUp) > 1e-6f) return fromUp;
    return WorldUnitY;
}
