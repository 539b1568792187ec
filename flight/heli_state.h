// The helicopter state record, the flight-state machine and the per-step outputs read by other subsystems.
#pragma once
#include <cstdint>
#include <cstddef>
#include <mutex>
#include "flight/vec_math.h"

// Sixteen floats; the recorder stores exactly these 64 bytes per frame.
struct HeliState {
    float voltageFactor = 1.0f;
    float rotorRpm = 0.0f;
    Vec3 position;
    Vec3 velocity;
    Vec3 noseAxis;
    Vec3 upAxis;
    float pilotDistance = 0.0f;
    float dopplerFactor = 1.0f;
};
static_assert(sizeof(HeliState) == 64);
static_assert(offsetof(HeliState, rotorRpm) == 4);
static_assert(offsetof(HeliState, position) == 8);
static_assert(offsetof(HeliState, velocity) == 20);
static_assert(offsetof(HeliState, noseAxis) == 32);
static_assert(offsetof(HeliState, upAxis) == 44);
static_assert(offsetof(HeliState, pilotDistance) == 56);
static_assert(offsetof(HeliState, dopplerFactor) == 60);

// FlightState values.
enum : int32_t {
    FlightFlying = 0,
    FlightResting = 1,
    FlightCrashed = 2,    // report not yet drawn
    FlightCrashShown = 3, // report drawn, picture frozen
    FlightLockXY = 4,
    FlightLockXYZ = 5,
};

constexpr int TrailRingSize = 10000;

extern HeliState Heli;
extern int32_t FlightState;
extern const Vec3 PilotEye;
extern Vec3 HeliStartPosition; // (0, 6, z); z becomes MeshLowestPoint at every reset
// Lowest vertical coordinate of the helicopter mesh after scaling; defined and written by the mesh loader
// (assets/xmesh.cpp, main thread, under SimMutex); the ground contact reads it every step.
extern float MeshLowestPoint;
extern Vec3 smoothedCameraTarget;
extern float airspeedMph;
extern Vec3 trailRing[TrailRingSize];
extern uint32_t trailHead;
extern uint32_t trailCount;
extern uint32_t TrailCapacity;
extern bool trailsOn;
extern bool trailsDotted;

// Guards all simulation state: the tick holds it for the step, wind and turbulence; every main-thread
// command that writes simulation state takes it; a frame copies what it draws under it.
extern std::mutex SimMutex;

// One step of the flight model (simulation thread, SimMutex held). Reads the controls, may record or play a
// recorder frame, classifies flight time, and after a crash calls PlayCrashSound (which only picks a sound).
// Main thread: sets SimPaused under SimMutex (dialogs and file choosers that pause on opening).
void PauseSimulation();

void StepHelicopter(float dt);
// Puts the helicopter back on its pad and ends a position lock or a crash. Callers hold SimMutex.
void ResetHelicopter();
// Times the step found a non-finite state (from unusable setup values) and put the helicopter back on its
// pad.
extern uint32_t NonFiniteResets;
// True when every component of the state is a finite number.
bool IsFiniteState(const HeliState& state);
