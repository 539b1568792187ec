// The hover pilot's control law.
#include "flight/hover_pilot.h"

#include <algorithm>

PilotSticks FlyHover(HoverPilot& pilot, const HeliState& h) {
    PilotSticks s;
    s.throttle = 0.9f;
    float climb = std::clamp(1.2f * (pilot.targetZ - h.position.z) - 1.0f * h.velocity.z, -1.5f, 1.5f);
    s.collective = std::clamp(0.36f + 0.25f * climb, -1.0f, 1.0f);
    pilot.sumX = std::clamp(pilot.sumX + 0.05f * (h.position.x - pilot.targetX), -5.0f, 5.0f);
    pilot.sumY = std::clamp(pilot.sumY + 0.05f * (h.position.y - pilot.targetY), -5.0f, 5.0f);
    float ax = std::clamp(-0.6f * (h.position.x - pilot.targetX) - 1.2f * h.velocity.x - 0.3f * pilot.sumX,
                          -3.0f, 3.0f);
    float ay = std::clamp(-0.6f * (h.position.y - pilot.targetY) - 1.2f * h.velocity.y - 0.3f * pilot.sumY,
                          -3.0f, 3.0f);
    // The wanted acceleration as a wanted horizontal part of the up axis.
    Vec3 err{ax / 9.8f - h.upAxis.x, ay / 9.8f - h.upAxis.y, 0.0f};
    Vec3 right = cross(h.noseAxis, h.upAxis);
    s.roll = std::clamp(2.0f * dot(err, right), -1.0f, 1.0f);
    s.pitch = std::clamp(2.0f * dot(err, h.noseAxis), -1.0f, 1.0f);
    s.yaw = 0.0f;
    return s;
}
