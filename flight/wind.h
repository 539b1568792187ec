// The moving air: the mean wind with gusts and direction shifts, and the quick random turbulence.
#pragma once
#include <cstdint>
#include "flight/vec_math.h"

enum : int32_t { WindNone = 0, WindSteady = 1, WindGradualGusts = 2, WindSuddenGusts = 3 };

struct WindState {
    Vec3 windVelocity{0.0f, 0.0f, 0.0f}; // mph, world axes, where the air moves
    Vec3 windRate;                       // change of windVelocity per second in the last step
    int32_t windType = WindNone;
    int32_t directionShifts = 0;      // 0 None .. 4 Huge
    int32_t windDirection = 0;        // where the wind comes from: 0 N, 1 NE, ... 7 NW
    float windSpeed = 4.0f;           // mph
    float gustLullDifference = 10.0f; // mph
    Vec3 windTarget{0.0f, 0.0f, 0.0f};
    float windTimer = 0.0f; // seconds until the next target
};

struct TurbulenceState {
    Vec3 turbVelocity{0.0f, 0.0f, 0.0f}; // m/s, world axes
    Vec3 turbKick;                       // 5 x (new target - current) at the last draw, z = 0
    int32_t turbLevel = 0;               // 0 None .. 4 Large
    float turbTimer = 0.0f;
    Vec3 turbTarget{0.0f, 0.0f, 0.0f};
};

extern WindState Wind;
extern TurbulenceState Turbulence;

// Both run on the simulation thread after StepHelicopter, every tick (also while paused or crashed),
// with the tick's time step; they draw from SimRand.
void StepWind(float dt);
void StepTurbulence(float dt);

// Helpers the step and the tests use: span of the direction shifts in degrees (0, 20, 45, 90, 180) and the
// turbulence factor of a level (0, 0.1, 0.25, 0.5, 1.0). Values outside the tables take the nearest entry.
float DirectionShiftSpan(int32_t directionShifts);
float TurbulenceLevelFactor(int32_t turbLevel);
