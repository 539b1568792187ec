// The helicopter state record and the per-step outputs shared with the drawing, sound and recorder code.
#include "flight/heli_state.h"

#include <cmath>

#include "app/shared_flags.h"

HeliState Heli;
int32_t FlightState = FlightFlying;
const Vec3 PilotEye{0.0f, 0.0f, 1.8f};
Vec3 HeliStartPosition{0.0f, 6.0f, 0.0f};
Vec3 smoothedCameraTarget;
float airspeedMph = 0.0f;
Vec3 trailRing[TrailRingSize];
uint32_t trailHead = 0;
uint32_t trailCount = 0;
uint32_t TrailCapacity = 400;
bool trailsOn = false;
bool trailsDotted = false;
std::mutex SimMutex;

bool IsFiniteState(const HeliState& s) {
    const float values[16] = {s.voltageFactor, s.rotorRpm,   s.position.x,    s.position.y,
                              s.position.z,    s.velocity.x, s.velocity.y,    s.velocity.z,
                              s.noseAxis.x,    s.noseAxis.y, s.noseAxis.z,    s.upAxis.x,
                              s.upAxis.y,      s.upAxis.z,   s.pilotDistance, s.dopplerFactor};
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

void PauseSimulation() {
    std::lock_guard<std::mutex> lock(SimMutex);
    SimPaused = true;
}
