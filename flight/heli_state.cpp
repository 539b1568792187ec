// The helicopter state record and the finiteness check the step guards it with.
#include "flight/heli_state.h"

#include <cmath>

#include "flight/heli_step.h"

HeliState Heli;
int32_t FlightState = FlightFlying;

bool IsFiniteState(const HeliState& s) {
    const float values[16] = {s.voltageFactor, s.rotorRpm,   s.position.x,    s.position.y,
                              s.position.z,    s.velocity.x, s.velocity.y,    s.velocity.z,
                              s.noseAxis.x,    s.noseAxis.y, s.noseAxis.z,    s.upAxis.x,
                              s.upAxis.y,      s.upAxis.z,   s.pilotDistance, s.dopplerFactor};
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}
