// Prints the cost of one simulation step (the flight model with its log, recorder and trail) and of one
// simulated hour of flight (step, wind, turbulence).
#include <chrono>
#include <cmath>
#include <cstdio>

#include "app/model_setup.h"
#include "app/sim_step.h"
#include "flight/field.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/wind.h"
#include "input/control_input.h"

namespace {
float sticks[5] = {0.0f, 0.0f, 0.0f, 0.9f, 0.0f};
float ScriptedSticks(ControlFunction f) {
    return sticks[f];
}

float Clamp(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Keeps the helicopter hovering around (0, 6, 3) so the figures are those of real flight.
void Pilot(int tick) {
    const HeliState& h = Heli;
    float climb = Clamp(1.2f * (3.0f - h.position.z) - h.velocity.z, -1.5f, 1.5f);
    sticks[Collective] = Clamp(0.36f + 0.25f * climb, -1.0f, 1.0f);
    float ax = Clamp(-0.6f * h.position.x - 1.2f * h.velocity.x, -3.0f, 3.0f);
    float ay = Clamp(-0.6f * (h.position.y - 6.0f) - 1.2f * h.velocity.y, -3.0f, 3.0f);
    Vec3 err{ax / 9.8f - h.upAxis.x, ay / 9.8f - h.upAxis.y, 0.0f};
    Vec3 right = cross(h.noseAxis, h.upAxis);
    sticks[Roll] = Clamp(2.0f * dot(err, right), -1.0f, 1.0f);
    sticks[Pitch] = Clamp(2.0f * dot(err, h.noseAxis), -1.0f, 1.0f);
    sticks[Yaw] = 0.3f * std::sin(static_cast<float>(tick) * 0.01f);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main() {
    MeshLowestPoint = -0.11f; // the stock mesh at scale 1.5; the benchmark loads no mesh
    ScriptedControlInput = ScriptedSticks;
    Wind.windType = WindGradualGusts;
    Wind.directionShifts = 2;
    Turbulence.turbLevel = 2;
    ResetHelicopter();

    const float dt = 0.05f;
    const int ticksPerHour = 72000;

    // Warm up, then time the step alone with the sticks held.
    for (int i = 0; i < 2000; ++i) {
        Pilot(i);
        StepSimulation(dt);
        StepWind(dt);
        StepTurbulence(dt);
    }
    const int stepCalls = 1000000;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < stepCalls; ++i) {
        if ((i & 15) == 0) Pilot(i);
        StepSimulation(dt);
    }
    double stepSeconds = SecondsSince(start);

    // One simulated hour: 72000 ticks of step, wind and turbulence with the pilot flying.
    ResetHelicopter();
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < ticksPerHour; ++i) {
        Pilot(i);
        StepSimulation(dt);
        StepWind(dt);
        StepTurbulence(dt);
    }
    double hourSeconds = SecondsSince(start);

    std::printf("StepHelicopter: %.1f ns per call (%d calls)\n", stepSeconds * 1e9 / stepCalls, stepCalls);
    std::printf("One simulated hour (%d ticks of step, wind and turbulence): %.2f ms\n", ticksPerHour,
                hourSeconds * 1e3);
    std::printf("Final state: FlightState %d, height %.2f m, rotor %.0f rpm, finite %s\n", FlightState,
                Heli.position.z, Heli.rotorRpm, IsFiniteState(Heli) ? "yes" : "no");
    return 0;
}
