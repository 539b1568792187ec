// StepHelicopter and ResetHelicopter: the fixed order of one step of the flight model.
#include "flight/heli_step.h"

#include <cmath>

#include "flight/field.h"
#include "flight/ground.h"
#include "flight/gyro.h"
#include "flight/gyro_internal.h"
#include "flight/model_setup.h"
#include "flight/rotor.h"
#include "flight/rotor_internal.h"
#include "flight/trail.h"
#include "flight/training.h"
#include "flight/wind.h"

const Vec3 PilotEye{0.0f, 0.0f, 1.8f};
Vec3 HeliStartPosition{0.0f, 6.0f, 0.0f};
Vec3 smoothedCameraTarget;
float airspeedMph = 0.0f;
uint32_t NonFiniteResets = 0;
void (*OnHelicopterReset)() = nullptr;

namespace {
int32_t slowMotionCounter = 0;

// A control value that is not a number counts as the stick centred.
float Finite(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

// rotationAxis, but the identity for an axis without length (no direction to turn about).
Mat4 RotationAbout(Vec3 axis, float t) {
    float len = length(axis);
    if (!(len > 0.0f) || !std::isfinite(len)) return identity();
    return rotationAxis(axis, t);
}

// What the ground contact needs from the force part of the step and may change for the attitude update.
struct ContactWork {
    Vec3 rightAtStart;
    float weight;        // N
    float thrustZ;       // z of the rotor thrust vector, N
    float accelerationZ; // z of net force / mass, m/s^2
    float rollIncrement;
    float pitchIncrement;
    float yawStep;
};

// Resting or locked on the ground: stand on the skids, stop, level; a rotor pushing down hard stops the yaw.
void ClampToGround(HeliState& h, ContactWork& work) {
    h.position.z = RestHeight();
    h.velocity = WorldZero;
    h.noseAxis = LevelledNose(h.noseAxis, h.upAxis);
    h.upAxis = WorldUnitZ;
    work.rollIncrement = 0.0f;
    work.pitchIncrement = 0.0f;
    float load = work.weight - work.thrustZ;
    if (load < 0.0f) load = 0.0f;
    if (3.0f * work.weight < load) work.yawStep = 0.0f;
}

// The helicopter on its pad, at rest, without the crash-sound hook (the step reports its resets).
void PutOnPad() {
    HeliStartPosition.z = MeshLowestPoint;
    Heli.position = HeliStartPosition;
    Vec3 nose = WorldUnitY;
    Vec3 up = WorldUnitZ;
    normalize(nose);
    normalize(up);
    Heli.noseAxis = nose;
    Heli.upAxis = up;
    Heli.velocity = WorldZero;
    Heli.rotorRpm = 0.0f;
    Heli.voltageFactor = 1.0f;
    Heli.pilotDistance = length(sub(Heli.position, PilotEye));
    Heli.dopplerFactor = 1.0f;
    ClearTrail();
    HeadingAngle = 0.0f;
    HeadingError = 0.0f;
    HeadingTarget = 0.0f;
    FlightState = FlightFlying;
    SimClock = 0.0f;
    TailTrim = 1.0f;
}

// Collisions and ground contact after the position update. Returns true when the step ends in a crash
// (reported in out with its touchdown); a safe touchdown sets out.landed.
bool GroundContact(HeliState& h, ContactWork& work, StepOutcome& out) {
    int32_t kind = CollisionKind(h.position, h.velocity, showSchoolBuilding);
    float restHeight = RestHeight();
    if (!(h.position.z <= restHeight) && kind == CrashGround) return false;

    switch (FlightState) {
    case FlightFlying: {
        FlightState = FlightResting;
        Touchdown t;
        t.vz = h.velocity.z;
        t.hs = std::sqrt(h.velocity.x * h.velocity.x + h.velocity.y * h.velocity.y);
        t.pitchDeg = TiltFromHorizontalDeg(h.noseAxis);
        t.rollDeg = TiltFromHorizontalDeg(work.rightAtStart);
        t.upsideDown = h.upAxis.z < 0.0f;
        t.crashKind = kind;
        if (IsCrash(t)) {
            CrashCount += 1;
            FlightState = FlightCrashed;
            CrashTicks = 0;
            WriteCrashReport(t);
            out.crashed = true;
            out.touchdown = t;
            return true;
        }
        out.landed = true;
        if (RandomAttitude.randomAttitudesEnabled) {
            GenerateRandomAttitude();
            FlightState = FlightFlying;
            h.position = RandomAttitude.startPosition;
            h.velocity = RandomAttitude.startVelocity;
            h.upAxis = RandomAttitude.startUp;
            h.noseAxis = RandomAttitude.startNose;
        } else {
            h.position.z = restHeight;
            h.velocity = WorldZero;
            h.noseAxis = LevelledNose(h.noseAxis, h.upAxis);
            h.upAxis = WorldUnitZ;
        }
        return false;
    }
    case FlightResting:
        if (work.accelerationZ > 0.0f) {
            FlightState = FlightFlying; // lift-off: nothing is clamped
            return false;
        }
        ClampToGround(h, work);
        return false;
    case FlightLockXY:
    case FlightLockXYZ:
        ClampToGround(h, work);
        return false;
    default:
        return false;
    }
}

// A setup value that is not finite (a hand-edited .par file, say) must not leave a poisoned state
// behind: the helicopter goes back to its pad instead.
void GuardState(HeliState& h, StepOutcome& out) {
    if (IsFiniteState(h)) return;
    NonFiniteResets += 1;
    PutOnPad();
    out.reset = true;
}
} // namespace

namespace {
// What the parts of one step hand on to the later ones.
struct StepWork {
    Vec3 right;      // nose x up at the start of the step
    float driftWave; // sin(SimClock x pi / 300)
    float w;         // rotor speed relative to 2500 rpm
    Vec3 airVel;     // velocity relative to the air
    StepSticks sticks;
    float rollIncrement, pitchIncrement, yawCmd;
    float rollTranslation, pitchTranslation, rollGust, pitchGust;
    float bladePitchDeg, vAxial;
    float aoa, lift, motor;
    float mass, weightN;
    Vec3 inPlane, weight, thrust, translationalLift, sideForce, drag;
    float yawStep;
    Vec3 acceleration;
};

// 2.-4. The crash countdown (it runs while paused too), the pause, and one call in eight during
// slow-motion playback. True when the step ends here.
bool StepEndsEarly(const StepInputs& inputs, StepOutcome& out) {
    if (FlightState == FlightCrashed || FlightState == FlightCrashShown) {
        CrashTicks += 1;
        if (CrashTicks >= 60) {
            PutOnPad();
            out.reset = true;
        }
        return true;
    }
    if (inputs.paused) return true;
    if (inputs.slowMotion) {
        slowMotionCounter += 1;
        if (slowMotionCounter < 8) return true;
        slowMotionCounter = 0;
    }
    return false;
}

// 8.-10. The sticks with the exponential rates, the dead band of the cyclic and the swash-plate crosstalk.
StepSticks MixSticks(const StepSticks& sticks, const ModelSetup& m) {
    float roll = Finite(ApplyExpo(Finite(sticks.roll), m.expoRoll));
    float pitch = Finite(ApplyExpo(Finite(sticks.pitch), m.expoPitch));
    float yaw = Finite(ApplyExpo(Finite(sticks.yaw), m.expoYaw));
    float throttle = Finite(sticks.throttle);
    float collective = Finite(sticks.collective);

    if (roll > -0.01f && roll < 0.01f) roll = 0.0f;
    if (pitch > -0.01f && pitch < 0.01f) pitch = 0.0f;

    roll += Swash.elevToAileron * pitch;
    pitch += Swash.aileronToElev * roll;
    if (collective > 0.0f) {
        roll += Swash.posCollToAileron * collective;
        pitch += Swash.posCollToElev * collective;
    } else {
        roll += Swash.negCollToAileron * collective;
        pitch += Swash.negCollToElev * collective;
    }
    return StepSticks{roll, pitch, yaw, throttle, collective};
}

// 11.-13. Rotor speed ratio, the air, cyclic increments, yaw command, translation and gust terms, blade
// pitch and inflow.
void CyclicAndAirTerms(const HeliState& h, const ModelSetup& m, float dt, StepWork& s) {
    s.w = h.rotorRpm / 2500.0f;
    const float w = s.w;
    const Vec3 right = s.right;
    Vec3 airVel = add(sub(h.velocity, scale(Wind.windVelocity, 0.447f)), Turbulence.turbVelocity);
    s.airVel = airVel;
    s.rollIncrement =
        CyclicIncrement(CyclicCarry.roll, m.rollCyclicRate, s.sticks.roll, w, dt, m.cyclicInstability);
    s.pitchIncrement =
        CyclicIncrement(CyclicCarry.pitch, m.elevCyclicRate, s.sticks.pitch, w, dt, m.cyclicInstability);
    s.yawCmd = YawCommand(m.yawRate, s.sticks.yaw, w, dt);
    float rollTranslation = -0.001f * m.translationPitchUp * dot(airVel, right);
    float pitchTranslation = -0.001f * m.translationPitchUp * dot(airVel, h.noseAxis);
    Vec3 gust = add(Wind.windRate, Turbulence.turbKick);
    float rollGust = 0.001f * m.gustPitchUp * dot(gust, right);
    float pitchGust = 0.001f * m.gustPitchUp * dot(gust, h.noseAxis);
    s.rollTranslation = rollTranslation;
    s.pitchTranslation = pitchTranslation;
    s.rollGust = rollGust;
    s.pitchGust = pitchGust;
    s.bladePitchDeg = m.maxCollective * s.sticks.collective;
    s.vAxial = dot(airVel, h.upAxis);
}

// 14. Angle of attack, descent lift, motor and drag torques, rotor speed.
void SpinRotor(HeliState& h, const ModelSetup& m, float dt, StepWork& s) {
    const float throttle = s.sticks.throttle;
    const float bladePitchDeg = s.bladePitchDeg;
    float aoa = BladeAngleOfAttack(h.rotorRpm, m.rotorDiameter, bladePitchDeg, s.vAxial);
    float lift = DescentLiftFactor(s.vAxial);
    float motor = MotorTorqueAtRotor(m, h.voltageFactor, throttle, h.rotorRpm);
    float rotorTorque = motor + ProfileDragTorque(m, h.rotorRpm, aoa) +
                        InducedDragTorque(m, h.rotorRpm, aoa, bladePitchDeg) +
                        RotorBrakeTorque(h.rotorRpm, throttle);
    h.rotorRpm = NextRotorRpm(h.rotorRpm, rotorTorque, UsableRotorInertia(m), dt);
    s.aoa = aoa;
    s.lift = lift;
    s.motor = motor;
}

// 15. Weight, thrust with translational lift and ground effect, the tail's side push and body drag.
void Forces(const HeliState& h, const ModelSetup& m, StepWork& s) {
    const Vec3 airVel = s.airVel;
    const Vec3 right = s.right;
    const float w = s.w;
    const float aoa = s.aoa;
    float mass = UsableMass(m);
    float weightN = mass * 9.8f;
    s.mass = mass;
    s.weightN = weightN;
    s.weight = Vec3{0.0f, 0.0f, -weightN};
    float vAxial = dot(airVel, h.upAxis);
    Vec3 inPlane = sub(airVel, scale(h.upAxis, vAxial));
    s.inPlane = inPlane;
    airspeedMph = length(airVel) * 2.24f;
    float inPlaneSpeed = length(inPlane);
    Vec3 translationalLift = scale(h.upAxis, aoa * m.translationalLift * inPlaneSpeed * w);
    float ge = GroundEffectFactor(h.position.z, heliScale, m.groundEffect);
    Vec3 thrust = scale(h.upAxis, aoa * m.liftAtFullCollective * w * w * ge * s.lift);
    Vec3 sideForce = scale(right, -length(thrust) * m.sideThrustPercent / 100.0f);
    s.translationalLift = translationalLift;
    s.thrust = thrust;
    s.sideForce = sideForce;
    s.drag = BodyDrag(m, airVel, h.noseAxis, right, h.upAxis);
}

// 17.-18. Semi-implicit Euler, velocity first, then the position by flight state.
void Move(HeliState& h, float dt, StepWork& s) {
    Vec3 force = add(add(add(add(s.thrust, s.translationalLift), s.weight), s.drag), s.sideForce);
    Vec3 acceleration = scale(force, 1.0f / s.mass);
    s.acceleration = acceleration;
    h.velocity = add(h.velocity, scale(acceleration, dt));

    if (FlightState == FlightLockXYZ) {
        h.position = Vec3{0.0f, 4.0f, 2.0f};
    } else if (FlightState == FlightFlying || FlightState == FlightLockXY) {
        h.position = add(h.position, scale(h.velocity, dt));
        if (FlightState == FlightLockXY) {
            h.position.x = 0.0f;
            h.position.y = 4.0f;
        }
    }
}

// 20.-21. Heading bookkeeping and the attitude update about the axes of the start of the update.
void Turn(HeliState& h, const ContactWork& work, const StepWork& s) {
    LastYawStep = work.yawStep;
    HeadingAngle += work.yawStep;
    float phi = s.rollTranslation + work.rollIncrement + s.rollGust;
    float theta = s.pitchTranslation + work.pitchIncrement + s.pitchGust;
    Vec3 left = cross(h.upAxis, h.noseAxis);
    Mat4 turn = multiply(multiply(RotationAbout(left, theta), RotationAbout(h.noseAxis, phi)),
                         RotationAbout(h.upAxis, work.yawStep));
    h.upAxis = transform(h.upAxis, turn);
    h.noseAxis = transform(h.noseAxis, turn);
    normalize(h.upAxis);
    normalize(h.noseAxis);
}

// 22. Distance and Doppler factor for the motor sound.
void DistanceAndDoppler(HeliState& h) {
    Vec3 fromPilot = sub(h.position, PilotEye);
    h.pilotDistance = length(fromPilot);
    if (h.pilotDistance > 0.0f) {
        normalize(fromPilot);
        h.dopplerFactor = 1.0f - dot(h.velocity, fromPilot) / 344.0f;
    } else {
        h.dopplerFactor = 1.0f;
    }
}
} // namespace

StepOutcome StepHelicopter(const StepInputs& inputs, float dt) {
    HeliState& h = Heli;
    const ModelSetup& m = Model;
    StepOutcome out;

    // 1. Camera target filter, on every call.
    smoothedCameraTarget = add(scale(smoothedCameraTarget, 0.5f), scale(h.position, 0.5f));
    if (StepEndsEarly(inputs, out)) return out;

    // 5.-7. The time to classify under the state the step starts from, the clock, the gyro's drift.
    out.classify = true;
    out.classifyState = h;
    out.classifyFlightState = FlightState;
    out.classifySeconds = dt;
    SimClock += dt;
    StepWork s{};
    s.driftWave = std::sin(SimClock * Pi / 300.0f);
    s.right = cross(h.noseAxis, h.upAxis);

    StepSticks sticks = inputs.sticks;
    if (inputs.gateThrottle) sticks.throttle = inputs.gateThrottle(sticks.throttle, SimClock);
    s.sticks = MixSticks(sticks, m);
    CyclicAndAirTerms(h, m, dt, s);
    SpinRotor(h, m, dt, s);
    Forces(h, m, s);
    // 16. Yaw of the step from the gyro.
    s.yawStep = GyroYawStep(m, FlightState, h.rotorRpm, s.yawCmd, s.driftWave, s.motor,
                            Weathervane(s.right, s.inPlane));
    Move(h, dt, s);

    // 19. Collisions and ground contact; a crash ends the step here.
    ContactWork work{s.right,         s.weightN,        s.thrust.z, s.acceleration.z,
                     s.rollIncrement, s.pitchIncrement, s.yawStep};
    if (GroundContact(h, work, out)) {
        GuardState(h, out);
        return out;
    }
    Turn(h, work, s);
    DistanceAndDoppler(h);
    GuardState(h, out);

    // 23.-24. The recorder frame and the trail sample follow in the caller.
    out.completed = true;
    return out;
}

void ResetHelicopter() {
    if (OnHelicopterReset) OnHelicopterReset();
    PutOnPad();
}
