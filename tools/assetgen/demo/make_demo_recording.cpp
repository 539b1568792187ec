// Flies the demo flight that ships in recordings/: spool-up on the pad, lift-off, a hover, a slide to
// each side, a climb and a soft landing, flown by the hover pilot through the real flight model and
// written by the flight recorder. usage: make_demo_recording OUTPUT.rec SCRATCH.rec
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "app/sim_step.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/hover_pilot.h"
#include "flight/sim_control.h"
#include "flight/wind.h"
#include "input/control_input.h"
#include "recorder/flight_recorder.h"

namespace {
PilotSticks sticks;

float DemoSticks(ControlFunction f) {
    switch (f) {
    case Roll:
        return sticks.roll;
    case Pitch:
        return sticks.pitch;
    case Yaw:
        return sticks.yaw;
    case Throttle:
        return sticks.throttle;
    case Collective:
        return sticks.collective;
    }
    return 0.0f;
}

void Tick() {
    std::lock_guard<std::mutex> lock(SimMutex);
    StepSimulation(0.05f);
    StepWind(0.05f);
    StepTurbulence(0.05f);
}

// Moves the pilot's target in a straight line over the given number of steps, flying as it goes.
bool FlyTo(HoverPilot& pilot, float x, float y, float z, int steps) {
    const float x0 = pilot.targetX, y0 = pilot.targetY, z0 = pilot.targetZ;
    for (int i = 1; i <= steps; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(steps);
        pilot.targetX = x0 + (x - x0) * t;
        pilot.targetY = y0 + (y - y0) * t;
        pilot.targetZ = z0 + (z - z0) * t;
        sticks = FlyHover(pilot, Heli);
        Tick();
        if (FlightState == FlightCrashed) return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_recording OUTPUT.rec SCRATCH.rec\n");
        return 2;
    }
    heliScale = 1.5f;
    CrashSoundEnabled = false;
    MeshScale = heliScale;
    LoadXMesh("", HeliMesh, false);
    MeshLowestPoint = MeshLowestY;
    Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
    ScriptedControlInput = DemoSticks;
    InitFlightRecorder(argv[2]);
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        ResetHelicopter();
    }
    Tick(); // settles on the skids
    if (!StartRecording()) {
        std::fprintf(stderr, "make_demo_recording: cannot create %s\n", argv[2]);
        return 1;
    }
    for (int i = 0; i < 30; ++i)
        Tick(); // on the pad, motor off
    sticks.throttle = 0.9f;
    for (int i = 0; i < 50; ++i)
        Tick(); // spool-up with the blades flat

    HoverPilot pilot;
    pilot.targetZ = Heli.position.z;
    bool flown = FlyTo(pilot, 0.0f, 6.0f, 1.5f, 60) && FlyTo(pilot, 0.0f, 6.0f, 1.5f, 100) &&
                 FlyTo(pilot, -3.0f, 7.0f, 1.8f, 120) && FlyTo(pilot, -3.0f, 7.0f, 1.8f, 60) &&
                 FlyTo(pilot, 3.0f, 7.0f, 1.8f, 200) && FlyTo(pilot, 3.0f, 7.0f, 1.8f, 60) &&
                 FlyTo(pilot, 0.0f, 6.0f, 3.0f, 120) && FlyTo(pilot, 0.0f, 6.0f, 3.0f, 60) &&
                 FlyTo(pilot, 0.0f, 6.0f, -0.5f, 200);
    if (flown) {
        sticks.throttle = 0.0f;
        sticks.collective = -0.2f;
        for (int i = 0; i < 60; ++i)
            Tick(); // spool-down on the pad
    }
    StopRecorder();
    if (!flown || FlightState != FlightResting) {
        std::fprintf(stderr, "make_demo_recording: the demo flight did not end on the skids (state %d)\n",
                     FlightState);
        return 1;
    }
    std::error_code ec;
    std::filesystem::copy_file(argv[2], argv[1], std::filesystem::copy_options::overwrite_existing, ec);
    std::filesystem::remove(argv[2], ec);
    return 0;
}
