// Prints the cost of one step of the realistic model (goal: at most 2 microseconds) and of one simulated
// hour at 1000 steps a second, flown by a simple hover pilot with moving sticks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "flight/realistic_model.h"

// The classic ground code's mesh figure; this benchmark loads no mesh.
float MeshLowestPoint = -0.11f;

namespace {
double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Holds a height with the collective and an attitude that sways by a few degrees with the cyclic, and
// turns slowly to and fro, so the figures are those of real flight.
void Pilot(const RealisticState& s, RealisticSticks& k, double hoverCollective, double trimRoll, long i) {
    double t = static_cast<double>(i) * 0.001;
    Vec3d euler = RealisticEulerDeg(s);
    double wantRoll = trimRoll + 5.0 * std::sin(1.3 * t) - 2.0 * s.velocity.x;
    double wantPitch = 5.0 * std::sin(0.9 * t) + 2.0 * s.velocity.y;
    k.collective = std::clamp(hoverCollective + 0.1 * (10.0 - s.position.z) - 0.1 * s.velocity.z, -1.0, 1.0);
    k.roll = std::clamp(0.05 * (wantRoll - euler.x), -0.5, 0.5);
    k.pitch = std::clamp(-0.05 * (wantPitch - euler.y), -0.5, 0.5);
    k.yaw = 0.3 * std::sin(0.5 * t);
}
} // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : std::string(RV_SOURCE_DIR) + "/helicopters/450 Sport.toml";
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    RealisticParams p{};
    std::string error;
    if (!ParseRealisticParams(text.str(), path, p, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    RealisticDerived d = DeriveRealistic(p);
    TrimResult trim = TrimRealistic(p, d, TrimRequest{});
    double hover = trim.collectiveDeg / p.collectiveRangeDeg;
    RealisticEnvironment env;
    env.airVelocity = Vec3d{0.5, -1.0, 0.0};

    // Warm up, then the step alone with the sticks held between pilot updates.
    RealisticState s = trim.state;
    int crashes = 0;
    RealisticSticks k;
    k.throttle = 1.0;
    for (long i = 0; i < 20000; ++i) {
        Pilot(s, k, hover, trim.rollDeg, i);
        StepRealistic(s, p, d, k, env, RealisticStepSeconds);
    }
    const long steps = 2000000;
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < steps; ++i) {
        if ((i & 15) == 0) Pilot(s, k, hover, trim.rollDeg, i);
        StepRealistic(s, p, d, k, env, RealisticStepSeconds);
    }
    double stepSeconds = SecondsSince(start);

    // One simulated hour at 1000 Hz with the pilot reading the state every step.
    s = trim.state;
    start = std::chrono::steady_clock::now();
    for (long i = 0; i < 3600000; ++i) {
        Pilot(s, k, hover, trim.rollDeg, i);
        bool far = std::fabs(s.position.x) > 300.0 || std::fabs(s.position.y) > 300.0;
        if (StepRealistic(s, p, d, k, env, RealisticStepSeconds).crashed || far) {
            ++crashes;
            s = trim.state;
        }
    }
    double hourSeconds = SecondsSince(start);
    std::printf("StepRealistic: %.1f ns per step (%ld steps)\n", stepSeconds * 1e9 / steps, steps);
    std::printf("One simulated hour at 1000 Hz: %.2f s (%.3f %% of one core)\n", hourSeconds,
                hourSeconds / 36.0);
    std::printf("Crashes or flights out of range in the hour: %d\n", crashes);
    std::printf("Final state: flight state %d, height %.2f m, rotor %.0f rpm, battery %.0f %%\n",
                s.flightState, s.position.z, s.rotorOmega * 60.0 / (2.0 * 3.14159265358979),
                s.charge * 100.0);
    return 0;
}
