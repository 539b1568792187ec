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
// What a script may change once per tick before the step: the sticks, the hover pilot's targets, and
// the flight state as a menu command would.
struct Script {
    const char* name;
    float seconds;
    void (*setup)();
    void (*control)(HoverPilot& pilot, float t);
};

void Launch(Vec3 position, Vec3 velocity) {
    Heli.position = position;
    Heli.velocity = velocity;
    Heli.rotorRpm = 2500.0f;
    FlightState = FlightFlying;
}

void Hover(HoverPilot& pilot) {
    Sticks = FlyHover(pilot, Heli);
}

void SetWind(int32_t type, float speed, float gust, int32_t direction, int32_t shifts) {
    Wind.windType = type;
    Wind.windSpeed = speed;
    Wind.gustLullDifference = gust;
    Wind.windDirection = direction;
    Wind.directionShifts = shifts;
}

void SetGyro(int32_t mode, int32_t gain, int32_t drift) {
    Model.gyroMode = mode;
    Model.gyroGain = gain;
    Model.gyroDrift = drift;
}

void NoSetup() {}

const Script Scripts[] = {
    // Spool-up on the pad (heading hold draws its start offset every resting step), lift-off through ground
    // effect, hover, then a let-down at about 1 m/s (descent lift) to a soft landing, throttle closed.
    {"spool-up, hover, let down", 18.0f, NoSetup,
     [](HoverPilot& pilot, float t) {
         if (t < 2.0f) {
             Sticks = TestSticks{};
             Sticks.throttle = 0.9f;
         } else if (t < 16.0f) {
             pilot.targetZ = t < 9.0f ? 1.5f : std::fmax(1.5f - (t - 9.0f), -1.0f);
             Hover(pilot);
         } else {
             Sticks = TestSticks{};
         }
     }},
    // The collective raised slowly on the pad: lift-off the first step the net force points up.
    {"slow lift-off", 7.0f, NoSetup,
     [](HoverPilot&, float t) {
         Sticks = TestSticks{};
         Sticks.throttle = 0.9f;
         Sticks.collective = t < 2.0f ? 0.0f : 0.04f * (t - 2.0f) + 0.15f;
     }},
    // Throttle cut at height: the rotor runs down, the fall is judged a crash, 60 steps later the reset.
    {"throttle cut and crash", 9.0f,
     [] {
         Launch(Vec3{1.0f, 7.0f, 6.0f}, Vec3{0.5f, 0.0f, 0.0f});
     },
     [](HoverPilot&, float) {
         Sticks = TestSticks{};
         Sticks.collective = 0.3f;
         if (FlightState == FlightCrashed) FlightState = FlightCrashShown; // the main loop drew the report
     }},
    // Steady 4 mph wind from the north over a helicopter at rest, then a hover in it.
    {"steady wind from N", 16.0f, [] { SetWind(WindSteady, 4.0f, 0.0f, 0, 0); },
     [](HoverPilot& pilot, float t) {
         if (t < 8.0f)
             Sticks = TestSticks{};
         else
             Hover(pilot);
     }},
    {"wind from E, shifts, hold high", 10.0f,
     [] {
         SetWind(WindSteady, 8.0f, 0.0f, 2, 2);
         SetGyro(GyroHeadingHold, 0, 1);
         Launch(Vec3{0.0f, 6.0f, 1.5f}, WorldZero);
     },
     [](HoverPilot& pilot, float) { Hover(pilot); }},
    {"gradual gusts, rate gyro medium", 12.0f,
     [] {
         SetWind(WindGradualGusts, 6.0f, 8.0f, 5, 3);
         SetGyro(GyroRate, 1, 2);
         Launch(Vec3{0.0f, 6.0f, 2.0f}, WorldZero);
     },
     [](HoverPilot& pilot, float) { Hover(pilot); }},
    {"sudden gusts, turb 4, rate low", 12.0f,
     [] {
         SetWind(WindSuddenGusts, 10.0f, 10.0f, 3, 4);
         Turbulence.turbLevel = 4;
         SetGyro(GyroRate, 2, 3);
         Launch(Vec3{0.0f, 6.0f, 2.5f}, WorldZero);
     },
     [](HoverPilot& pilot, float) { Hover(pilot); }},
    {"turbulence 1 to 3, hold low", 12.0f,
     [] {
         SetGyro(GyroHeadingHold, 2, 2);
         Launch(Vec3{0.0f, 6.0f, 2.0f}, WorldZero);
     },
     [](HoverPilot& pilot, float t) {
         Turbulence.turbLevel = 1 + static_cast<int32_t>(t / 4.0f);
         Hover(pilot);
     }},
    // Flying away at 2 m/s with yaw and crosstalk: translation terms, all three rotations at once.
    {"forward, all sticks, head hold", 10.0f,
     [] {
         SetGyro(GyroPerfectHeadHold, 0, 0);
         Swash.elevToAileron = 0.05f;
         Swash.aileronToElev = -0.04f;
         Swash.posCollToAileron = 0.03f;
         Swash.posCollToElev = 0.02f;
         Swash.negCollToAileron = -0.02f;
         Swash.negCollToElev = 0.03f;
         Launch(Vec3{0.0f, 6.0f, 3.0f}, WorldZero);
     },
     [](HoverPilot& pilot, float t) {
         pilot.targetY = 6.0f + 2.0f * t;
         pilot.targetZ = 3.0f;
         Hover(pilot);
         Sticks.yaw = 0.4f * std::sin(t);
     }},
    {"yaw steps, rate gyro high", 8.0f,
     [] {
         SetGyro(GyroRate, 0, 1);
         Launch(Vec3{-1.0f, 5.0f, 2.0f}, WorldZero);
     },
     [](HoverPilot& pilot, float t) {
         Hover(pilot);
         Sticks.yaw = (static_cast<int>(t) % 2) ? 0.6f : -0.3f;
     }},
    {"yaw steps, heading hold medium", 8.0f,
     [] {
         Launch(Vec3{1.0f, 7.0f, 2.0f}, WorldZero);
     },
     [](HoverPilot& pilot, float t) {
         Hover(pilot);
         Sticks.yaw = (static_cast<int>(t) % 2) ? -0.5f : 0.4f;
     }},
    // Random attitudes thrown from a hop with the rotor at speed, at two sets of levels.
    {"random attitudes medium", 8.0f,
     [] {
         RandomAttitude.randomAttitudesEnabled = 1;
         RandomAttitude.altitudeLevel = 1;
         RandomAttitude.orientationLevel = 1;
         RandomAttitude.motionLevel = 1;
         Launch(Vec3{0.0f, 6.0f, TestRestHeight() + 0.02f}, WorldZero);
     },
     [](HoverPilot& pilot, float t) {
         // Flat blades until the hop comes down and the throw, then the hover pilot recovers.
         pilot.targetY = 15.0f;
         pilot.targetZ = 8.0f;
         Hover(pilot);
         if (t < 0.5f) Sticks.collective = 0.0f;
         if (FlightState == FlightCrashed) FlightState = FlightCrashShown;
     }},
    {"random attitudes crazy", 8.0f,
     [] {
         RandomAttitude.randomAttitudesEnabled = 1;
         RandomAttitude.altitudeLevel = 2;
         RandomAttitude.orientationLevel = 3;
         RandomAttitude.motionLevel = 3;
         Launch(Vec3{0.0f, 6.0f, TestRestHeight() + 0.02f}, WorldZero);
     },
     [](HoverPilot& pilot, float t) {
         pilot.targetY = 15.0f;
         pilot.targetZ = 3.0f;
         Hover(pilot);
         if (t < 0.5f) Sticks.collective = 0.0f;
     }},
    // The locks: XYZ with cyclic and yaw, XY with the collective up and down, then a reset.
    {"position locks", 10.0f, NoSetup,
     [](HoverPilot&, float t) {
         Sticks = TestSticks{};
         Sticks.throttle = 0.9f;
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
     }},
    {"into the building", 8.0f,
     [] {
         Launch(Vec3{3.0f, -6.0f, 2.5f}, Vec3{0.0f, -6.0f, 0.0f});
     },
     [](HoverPilot& pilot, float) {
         pilot.targetZ = 2.5f;
         pilot.targetY = Heli.position.y - 10.0f;
         Hover(pilot);
     }},
    {"into the pilot", 6.0f,
     [] {
         Launch(Vec3{0.0f, 3.0f, 1.5f}, Vec3{0.0f, -3.0f, 0.0f});
     },
     [](HoverPilot& pilot, float) {
         pilot.targetY = -2.0f;
         Hover(pilot);
     }},
    // Touchdowns judged by their speeds and angles: sliding in fast, then banked.
    {"fast sideways touchdown", 4.0f,
     [] {
         Launch(Vec3{2.0f, 8.0f, 0.25f}, Vec3{7.0f, 0.0f, -0.5f});
     },
     [](HoverPilot&, float) {
         Sticks = TestSticks{};
         Sticks.throttle = 0.9f;
     }},
    {"banked touchdown", 4.0f,
     [] {
         Launch(Vec3{-2.0f, 8.0f, 0.5f}, Vec3{0.0f, 0.0f, -0.5f});
         Heli.upAxis = Vec3{0.34202f, 0.0f, 0.93969f}; // 20 degrees to the right
     },
     [](HoverPilot&, float) {
         Sticks = TestSticks{};
         Sticks.throttle = 0.9f;
     }},
};

void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

uint32_t GetU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

float BitsFloat(uint32_t u) {
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
} // namespace

int PinnedFlightScriptCount() {
    return static_cast<int>(std::size(Scripts));
}

PinnedFlight FlyPinnedFlight(int index, float dt) {
    const Script& s = Scripts[index];
    FreshSimulation();
    Model.expoRoll = Model.expoPitch = Model.expoYaw = 0;
    s.setup();
    PinnedFlight flight{s.name, dt, {}};
    HoverPilot pilot;
    int ticks = static_cast<int>(std::lround(s.seconds / dt));
    for (int i = 0; i < ticks; ++i) {
        s.control(pilot, static_cast<float>(i) * dt);
        RunTicks(1, dt);
        PinnedTick tick;
        std::memcpy(tick.state, &Heli, sizeof tick.state);
        tick.flightState = FlightState;
        tick.randState = SimRandState;
        flight.ticks.push_back(tick);
    }
    return flight;
}

std::vector<unsigned char> EncodePinnedFlights(const std::vector<PinnedFlight>& flights) {
    std::vector<unsigned char> out = {'R', 'V', 'P', 'F'};
    PutU32(out, 1);
    PutU32(out, static_cast<uint32_t>(flights.size()));
    for (const PinnedFlight& f : flights) {
        char name[32] = {};
        std::strncpy(name, f.name.c_str(), sizeof name - 1);
        out.insert(out.end(), name, name + sizeof name);
        PutU32(out, FloatBits(f.dt));
        PutU32(out, static_cast<uint32_t>(f.ticks.size()));
        for (const PinnedTick& t : f.ticks) {
            for (float v : t.state)
                PutU32(out, FloatBits(v));
            PutU32(out, static_cast<uint32_t>(t.flightState));
            PutU32(out, t.randState);
        }
    }
    return out;
}

bool DecodePinnedFlights(const std::vector<unsigned char>& bytes, std::vector<PinnedFlight>& flights) {
    flights.clear();
    size_t at = 12;
    if (bytes.size() < at || std::memcmp(bytes.data(), "RVPF", 4) != 0 || GetU32(&bytes[4]) != 1)
        return false;
    uint32_t count = GetU32(&bytes[8]);
    for (uint32_t n = 0; n < count; ++n) {
        if (bytes.size() - at < 40) return false;
        PinnedFlight f;
        f.name.assign(reinterpret_cast<const char*>(&bytes[at]),
                      strnlen(reinterpret_cast<const char*>(&bytes[at]), 31));
        f.dt = BitsFloat(GetU32(&bytes[at + 32]));
        uint32_t ticks = GetU32(&bytes[at + 36]);
        at += 40;
        if ((bytes.size() - at) / 72 < ticks) return false;
        for (uint32_t i = 0; i < ticks; ++i, at += 72) {
            PinnedTick t;
            for (int k = 0; k < 16; ++k)
                t.state[k] = BitsFloat(GetU32(&bytes[at + 4 * k]));
            t.flightState = static_cast<int32_t>(GetU32(&bytes[at + 64]));
            t.randState = GetU32(&bytes[at + 68]);
            f.ticks.push_back(t);
        }
        flights.push_back(std::move(f));
    }
    return at == bytes.size();
}
