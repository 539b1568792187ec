// Ground contact, collisions with the school building and the pilot, touchdown judging and the crash report.
#pragma once
#include <cstddef>
#include <cstdint>
#include "flight/vec_math.h"

enum : int32_t { CrashGround = 0, CrashBuilding = 1, CrashPilot = 2 };

constexpr size_t CrashReportSize = 256;

extern uint32_t CrashCount;                   // crashes in the flight-log session
extern int32_t CrashTicks;                    // steps since the last crash
extern char CrashReportText[CrashReportSize]; // drawn centred over the frozen picture after a crash

// Height of the helicopter's origin when the skids stand on the ground: 0.015 - MeshLowestPoint.
float RestHeight();

// 1 when flying into the front wall of the shown school building, 2 at the pilot's place (wins), else 0.
int32_t CollisionKind(Vec3 position, Vec3 velocity, bool schoolShown);

// Unsigned angle in degrees (0..90) between an axis and its horizontal projection; 90 for a vertical axis.
float TiltFromHorizontalDeg(Vec3 axis);

// Touchdown judging: true when the touchdown is a crash.
struct Touchdown {
    float vz;       // vertical velocity, m/s (signed)
    float hs;       // horizontal speed, m/s
    float pitchDeg; // nose above or below the horizon
    float rollDeg;  // right axis above or below the horizon
    bool upsideDown;
    int32_t crashKind;
};
bool IsCrash(const Touchdown& t);

// Writes the report of a crash into CrashReportText.
void WriteCrashReport(const Touchdown& t);

// The nose with its z set to 0 for standing on the skids. A nose pointing straight up or down has no
// horizontal part; it then takes the heading the nose would have after levelling the up axis.
Vec3 LevelledNose(Vec3 nose, Vec3 up);
