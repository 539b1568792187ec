// The scripted flights kept as reference data: together they pass through every term of the step, the
// rotor, the gyro modes and gains, ground contact and crash judging, wind, turbulence and the training aids.
#include "pinned_flights.h"

#include <cmath>
#include <cstring>

#include "app/model_setup.h"
#include "flight/gyro.h"
#include "flight/sim_rand.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "flight_test_support.h"

namespace {
using Control = void (*)(HoverPilot& pilot, float t);

// How a script starts and flies. Every default is the program's own, so a script names only what it
// changes. A launch puts the helicopter in the air, flying, with the rotor at 2500 rpm. Without a
// control of its own the hover pilot flies, with the yaw stick in even and odd seconds when set and the
// blades flat until flatUntil. crashShown stands for the main loop drawing the crash report.
struct Setup {
    bool launch = false;
    Vec3 position{0.0f, 6.0f, 2.0f};
    Vec3 velocity{0.0f, 0.0f, 0.0f};
    Vec3 up{0.0f, 0.0f, 1.0f};
    int32_t wind[3] = {WindNone, 0, 0};        // type, direction, shifts
    float windMph[2] = {4.0f, 10.0f};          // speed, gust-lull difference
    int32_t gyro[3] = {GyroHeadingHold, 1, 0}; // mode, gain, drift
    int32_t turbulence = 0;
    int32_t randomLevels[3] = {-1, 0, 0}; // altitude, orientation, motion; off while altitude is -1
    SwashImperfections swash{};
    float targetY = 6.0f;
    float targetZ = 1.5f;
    float yawSteps[2] = {0.0f, 0.0f};
    float flatUntil = 0.0f;
    bool crashShown = false;
    Control control = nullptr;
};

struct Script {
    const char* name;
    float seconds;
    Setup setup;
};

void Hover(HoverPilot& pilot) {
    Sticks = FlyHover(pilot, Heli);
}

void Idle(float throttle) {
    Sticks = TestSticks{};
    Sticks.throttle = throttle;
}

const Script Scripts[] = {
    // Spool-up on the pad (heading hold draws its start offset every resting step), lift-off through ground
    // effect, hover, then a let-down at about 1 m/s (descent lift) to a soft landing, throttle closed.
    {"spool-up, hover, let down",
     18.0f,
     {.control =
          [](HoverPilot& pilot, float t) {
              if (t < 2.0f || t >= 16.0f) {
                  Idle(t < 2.0f ? 0.9f : 0.0f);
                  return;
              }
              pilot.targetZ = t < 9.0f ? 1.5f : std::fmax(1.5f - (t - 9.0f), -1.0f);
              Hover(pilot);
          }}},
    // The collective raised slowly on the pad: lift-off the first step the net force points up.
    {"slow lift-off",
     7.0f,
     {.control =
          [](HoverPilot&, float t) {
              Idle(0.9f);
              Sticks.collective = t < 2.0f ? 0.0f : 0.04f * (t - 2.0f) + 0.15f;
          }}},
    // Throttle cut at height: the rotor runs down, the fall is judged a crash, 60 steps later the reset.
    {"throttle cut and crash",
     9.0f,
     {.launch = true,
      .position = {1.0f, 7.0f, 6.0f},
      .velocity = {0.5f, 0.0f, 0.0f},
      .crashShown = true,
      .control =
          [](HoverPilot&, float) {
              Idle(0.0f);
              Sticks.collective = 0.3f;
          }}},
    // Steady 4 mph wind from the north over a helicopter at rest, then a hover in it.
    {"steady wind from N",
     16.0f,
     {.wind = {WindSteady, 0, 0},
      .windMph = {4.0f, 0.0f},
      .control =
          [](HoverPilot& pilot, float t) {
              if (t < 8.0f)
                  Idle(0.0f);
              else
                  Hover(pilot);
          }}},
    {"wind from E, shifts, hold high",
     10.0f,
     {.launch = true,
      .position = {0.0f, 6.0f, 1.5f},
      .wind = {WindSteady, 2, 2},
      .windMph = {8.0f, 0.0f},
      .gyro = {GyroHeadingHold, 0, 1}}},
    {"gradual gusts, rate gyro medium",
     12.0f,
     {.launch = true, .wind = {WindGradualGusts, 5, 3}, .windMph = {6.0f, 8.0f}, .gyro = {GyroRate, 1, 2}}},
    {"sudden gusts, turb 4, rate low",
     12.0f,
     {.launch = true,
      .position = {0.0f, 6.0f, 2.5f},
      .wind = {WindSuddenGusts, 3, 4},
      .windMph = {10.0f, 10.0f},
      .gyro = {GyroRate, 2, 3},
      .turbulence = 4}},
    {"turbulence 1 to 3, hold low",
     12.0f,
     {.launch = true,
      .gyro = {GyroHeadingHold, 2, 2},
      .control =
          [](HoverPilot& pilot, float t) {
              Turbulence.turbLevel = 1 + static_cast<int32_t>(t / 4.0f);
              Hover(pilot);
          }}},
    // Flying away at 2 m/s with yaw and crosstalk: translation terms, all three rotations at once.
    {"forward, all sticks, head hold",
     10.0f,
     {.launch = true,
      .position = {0.0f, 6.0f, 3.0f},
      .gyro = {GyroPerfectHeadHold, 0, 0},
      .swash = {0.05f, -0.04f, 0.03f, -0.02f, 0.02f, 0.03f},
      .targetZ = 3.0f,
      .control =
          [](HoverPilot& pilot, float t) {
              pilot.targetY = 6.0f + 2.0f * t;
              Hover(pilot);
              Sticks.yaw = 0.4f * std::sin(t);
          }}},
    {"yaw steps, rate gyro high",
     8.0f,
     {.launch = true, .position = {-1.0f, 5.0f, 2.0f}, .gyro = {GyroRate, 0, 1}, .yawSteps = {-0.3f, 0.6f}}},
    {"yaw steps, heading hold medium",
     8.0f,
     {.launch = true, .position = {1.0f, 7.0f, 2.0f}, .yawSteps = {0.4f, -0.5f}}},
    // Random attitudes thrown from a hop with the rotor at speed, at two sets of levels: flat blades until
    // the hop comes down and the throw, then the hover pilot recovers.
    {"random attitudes medium",
     8.0f,
     {.launch = true,
      .position = {0.0f, 6.0f, TestRestHeight() + 0.02f},
      .randomLevels = {1, 1, 1},
      .targetY = 15.0f,
      .targetZ = 8.0f,
      .flatUntil = 0.5f,
      .crashShown = true}},
    {"random attitudes crazy",
     8.0f,
     {.launch = true,
      .position = {0.0f, 6.0f, TestRestHeight() + 0.02f},
      .randomLevels = {2, 3, 3},
      .targetY = 15.0f,
      .targetZ = 3.0f,
      .flatUntil = 0.5f}},
    // The locks: XYZ with cyclic and yaw, XY with the collective up and down, then a reset.
    {"position locks",
     10.0f,
     {.control =
          [](HoverPilot&, float t) {
              Idle(0.9f);
              if (t >= 1.0f && t < 4.0f && FlightState == FlightResting) FlightState = FlightLockXYZ;
              if (t >= 1.5f && t < 4.0f) {
                  Sticks.roll = 0.4f;
                  Sticks.pitch = -0.3f;
                  Sticks.yaw = 0.5f;
              }
              if (t >= 4.0f && t < 8.5f) {
                  if (FlightState == FlightLockXYZ) FlightState = FlightLockXY;
                  Sticks.collective = t < 6.0f ? 1.0f : -1.0f;
              }
              if (t >= 8.5f && FlightState == FlightLockXY) ResetHelicopter();
          }}},
    {"into the building",
     8.0f,
     {.launch = true,
      .position = {3.0f, -6.0f, 2.5f},
      .velocity = {0.0f, -6.0f, 0.0f},
      .targetZ = 2.5f,
      .control =
          [](HoverPilot& pilot, float) {
              pilot.targetY = Heli.position.y - 10.0f;
              Hover(pilot);
          }}},
    {"into the pilot",
     6.0f,
     {.launch = true, .position = {0.0f, 3.0f, 1.5f}, .velocity = {0.0f, -3.0f, 0.0f}, .targetY = -2.0f}},
    // Touchdowns judged by their speeds and angles: sliding in fast, then banked 20 degrees to the right.
    {"fast sideways touchdown",
     4.0f,
     {.launch = true,
      .position = {2.0f, 8.0f, 0.25f},
      .velocity = {7.0f, 0.0f, -0.5f},
      .control = [](HoverPilot&, float) { Idle(0.9f); }}},
    {"banked touchdown",
     4.0f,
     {.launch = true,
      .position = {-2.0f, 8.0f, 0.5f},
      .velocity = {0.0f, 0.0f, -0.5f},
      .up = {0.34202f, 0.0f, 0.93969f},
      .control = [](HoverPilot&, float) { Idle(0.9f); }}},
};
} // namespace

int PinnedFlightScriptCount() {
    return static_cast<int>(std::size(Scripts));
}

PinnedFlight FlyPinnedFlight(int index, float dt) {
    const Script& script = Scripts[index];
    const Setup& s = script.setup;
    FreshSimulation();
    Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
    Model.gyroMode = s.gyro[0];
    Model.gyroGain = s.gyro[1];
    Model.gyroDrift = s.gyro[2];
    Wind.windType = s.wind[0];
    Wind.windDirection = s.wind[1];
    Wind.directionShifts = s.wind[2];
    Wind.windSpeed = s.windMph[0];
    Wind.gustLullDifference = s.windMph[1];
    Turbulence.turbLevel = s.turbulence;
    Swash = s.swash;
    if (s.randomLevels[0] >= 0) {
        RandomAttitude.randomAttitudesEnabled = 1;
        RandomAttitude.altitudeLevel = s.randomLevels[0];
        RandomAttitude.orientationLevel = s.randomLevels[1];
        RandomAttitude.motionLevel = s.randomLevels[2];
    }
    if (s.launch) {
        Heli.position = s.position;
        Heli.velocity = s.velocity;
        Heli.upAxis = s.up;
        Heli.rotorRpm = 2500.0f;
        FlightState = FlightFlying;
    }
    HoverPilot pilot;
    pilot.targetY = s.targetY;
    pilot.targetZ = s.targetZ;
    PinnedFlight flight{script.name, dt, {}};
    int ticks = static_cast<int>(std::lround(script.seconds / dt));
    for (int i = 0; i < ticks; ++i) {
        float t = static_cast<float>(i) * dt;
        if (s.control) {
            s.control(pilot, t);
        } else {
            Hover(pilot);
            if (s.yawSteps[0] != 0.0f) Sticks.yaw = s.yawSteps[static_cast<int>(t) % 2];
            if (t < s.flatUntil) Sticks.collective = 0.0f;
        }
        if (s.crashShown && FlightState == FlightCrashed) FlightState = FlightCrashShown;
        RunTicks(1, dt);
        PinnedTick tick;
        std::memcpy(tick.state, &Heli, sizeof tick.state);
        tick.flightState = FlightState;
        tick.randState = SimRandState;
        flight.ticks.push_back(tick);
    }
    return flight;
}
