// Fresh simulation state and the scripted control source for the flight tests.
#include "flight_test_support.h"

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "flight/rotor.h"
#include "flight/sim_rand.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "input/control_input.h"
#include "log/flight_log.h"
#include "recorder/flight_recorder.h"

// The mesh loader's output; the tests set it themselves instead of loading a mesh.
float MeshLowestPoint = TestMeshLowestPoint;

TestSticks Sticks;

namespace {
float ScriptedSticks(ControlFunction f) {
    const float values[5] = {Sticks.roll, Sticks.pitch, Sticks.yaw, Sticks.throttle, Sticks.collective};
    return values[f];
}
} // namespace

void FreshSimulation() {
    SetModelSetupDefaults(Model);
    SetDefaultCurves(Model);
    Swash = SwashImperfections{};
    Wind = WindState{};
    Turbulence = TurbulenceState{};
    RandomAttitude = RandomAttitudeSettings{};
    CyclicCarry = CyclicCarryState{};
    TorqueAverage = 0.0f;
    LastYawStep = 0.0f;
    RateError = 0.0f;
    SimPaused = false;
    SlowMotionPlayback = false;
    Recorder.playing = false;
    Recorder.recording = false;
    heliScale = 1.5f;
    showSchoolBuilding = true;
    CrashSoundEnabled = false;
    MeshLowestPoint = TestMeshLowestPoint;
    TrailCapacity = 400;
    Sticks = TestSticks{};
    ScriptedControlInput = ScriptedSticks;
    SimRandState = 1;
    smoothedCameraTarget = Vec3{};
    ResetSession();
    ResetHelicopter();
    CrashTicks = 0;
    NonFiniteResets = 0;
    CrashReportText[0] = '\0';
}

void RunTicks(int n, float dt) {
    for (int i = 0; i < n; ++i) {
        StepHelicopter(dt);
        StepWind(dt);
        StepTurbulence(dt);
    }
}

float TestRestHeight() {
    return 0.015f - TestMeshLowestPoint;
}
