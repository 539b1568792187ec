// A simple hover pilot: holds a height with the collective and a spot over the ground with the cyclic.
// It flies the demo recording that ships with the program and the whole-flight tests.
#pragma once
#include "flight/heli_state.h"

struct PilotSticks {
    float roll = 0.0f;
    float pitch = 0.0f;
    float yaw = 0.0f;
    float throttle = 0.0f;
    float collective = 0.0f;
};

struct HoverPilot {
    float targetZ = 1.5f;
    float targetX = 0.0f;
    float targetY = 6.0f;
    float sumX = 0.0f; // integrals of the position errors: they take out the tail rotor's side push
    float sumY = 0.0f;
};

// The sticks for one step: throttle up, collective toward the target height, and the rotor tilted
// toward the horizontal acceleration that brings the helicopter to its target spot.
PilotSticks FlyHover(HoverPilot& pilot, const HeliState& h);
