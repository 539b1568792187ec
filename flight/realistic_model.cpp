// The realistic model's step: controllers (governor, flybarless cyclic, tail gyro), rotor and body
// dynamics, skids on the ground with the landing and crash limits, and the fixed-step integration.
#include "flight/realistic_model.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double PiD = 3.14159265358979323846;
constexpr double RpmToRadS = 2.0 * PiD / 60.0;
constexpr double DegToRadD = PiD / 180.0;

Vec3d V(double x, double y, double z) {
    return Vec3d{x, y, z};
}
Vec3d operator+(Vec3d a, Vec3d b) {
    return V(a.x + b.x, a.y + b.y, a.z + b.z);
}
Vec3d operator-(Vec3d a, Vec3d b) {
    return V(a.x - b.x, a.y - b.y, a.z - b.z);
}
Vec3d operator*(Vec3d a, double s) {
    return V(a.x * s, a.y * s, a.z * s);
}
double Dot(Vec3d a, Vec3d b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3d Cross(Vec3d a, Vec3d b) {
    return V(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// The body-to-world rotation of a quaternion, as its three columns (right, nose, up in world axes).
struct Axes {
    Vec3d right, nose, up;
};
Axes AxesOf(const double q[4]) {
    double w = q[0], x = q[1], y = q[2], z = q[3];
    Axes a;
    a.right = V(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y));
    a.nose = V(2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x));
    a.up = V(2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y));
    return a;
}
Vec3d ToWorld(const Axes& a, Vec3d b) {
    return a.right * b.x + a.nose * b.y + a.up * b.z;
}
Vec3d ToBody(const Axes& a, Vec3d w) {
    return V(Dot(a.right, w), Dot(a.nose, w), Dot(a.up, w));
}

// q = q (x) (rotation by the body rates over dt), normalised.
void Rotate(double q[4], Vec3d rates, double dt) {
    double angle = std::sqrt(Dot(rates, rates)) * dt;
    if (angle < 1e-15) return;
    double s = std::sin(0.5 * angle) / (angle / dt);
    double r[4] = {std::cos(0.5 * angle), rates.x * s, rates.y * s, rates.z * s};
    double n[4] = {q[0] * r[0] - q[1] * r[1] - q[2] * r[2] - q[3] * r[3],
                   q[0] * r[1] + q[1] * r[0] + q[2] * r[3] - q[3] * r[2],
                   q[0] * r[2] - q[1] * r[3] + q[2] * r[0] + q[3] * r[1],
                   q[0] * r[3] + q[1] * r[2] - q[2] * r[1] + q[3] * r[0]};
    double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2] + n[3] * n[3]);
    for (int i = 0; i < 4; ++i)
        q[i] = n[i] / len;
}

// Attitude from pitch (about the right axis) then roll (about the nose), heading +y.
void AttitudeFromAngles(double q[4], double pitch, double roll) {
    double cp = std::cos(0.5 * pitch), sp = std::sin(0.5 * pitch);
    double cr = std::cos(0.5 * roll), sr = std::sin(0.5 * roll);
    q[0] = cp * cr;
    q[1] = sp * cr;
    q[2] = cp * sr;
    q[3] = sp * sr;
}

double Expo(double x, double percent) {
    double e = percent / 100.0;
    return (1.0 - e) * x + e * x * x * x;
}

// Fraction of the way a first-order lag of time constant tau moves in dt.
double LagStep(double dt, double tau) {
    return tau > 1e-9 ? 1.0 - std::exp(-dt / tau) : 1.0;
}

double OpenVoltage(const RealisticDerived& d, double charge) {
    return d.openVoltageEmpty + (d.openVoltageFull - d.openVoltageEmpty) * std::clamp(charge, 0.0, 1.0);
}

// The blade pitch that gives a rotor a thrust in the hover (no climb, uniform inflow): the inverse of the
// blade-element thrust with momentum inflow, sign kept.
double HoverPitchForThrust(const RotorBlade& b, double omega, double thrust) {
    double tip = omega * b.radius;
    if (tip < 1.0) return 0.0;
    double ct = thrust / (AirDensity * b.area * tip * tip);
    double ct3 = std::fabs(ct);
    double pitch = 6.0 * ct3 / (b.solidity * b.liftSlope) + 1.5 * std::sqrt(ct3 / 2.0);
    return ct < 0.0 ? -pitch : pitch;
}

struct Controls {
    double collective, cyclicRight, cyclicAhead, tailPitch;
};

// Contact points of the body (skids, the rotor head, the tail rotor) and the spring, damper and friction
// of the ground.
constexpr double ContactStiffness = 20000.0; // N/m per point
constexpr double ContactDamping = 60.0;      // N s/m per point
constexpr double ContactFriction = 0.6;
constexpr double DeepestSink = 0.008; // m: a point never ends a step deeper than this
constexpr int SkidPoints = 4;
constexpr int ContactPoints = 6;

void ContactPointsOf(const RealisticParams& p, Vec3d points[ContactPoints]) {
    points[0] = V(p.skidHalfWidthM, p.skidHalfLengthM, -p.skidDepthM);
    points[1] = V(-p.skidHalfWidthM, p.skidHalfLengthM, -p.skidDepthM);
    points[2] = V(p.skidHalfWidthM, -p.skidHalfLengthM, -p.skidDepthM);
    points[3] = V(-p.skidHalfWidthM, -p.skidHalfLengthM, -p.skidDepthM);
    points[4] = V(0.0, 0.0, p.hubHeightM + 0.03);
    points[5] = V(0.0, -p.tailArmM - p.tailRadiusM, p.tailHeightM);
}

// Forces, moments and rotor loads at one instant.
struct Dynamics {
    Vec3d forceBody;   // N, without gravity and ground
    Vec3d momentBody;  // N m, without the drivetrain's reaction
    double mainTorque; // N m on the main rotor
    double tailTorque; // N m on the tail rotor shaft
    double loadTorque; // main + tail x ratio + friction, at the main shaft
    double thrust;
    double tailThrust;
    double mainInduced;
    double tailInduced;
    double flapRightTarget; // tip-path plane the disc settles to (without the body-rate lag)
    double flapAheadTarget;
};

Dynamics Evaluate(const RealisticState& s, const RealisticParams& p, const RealisticDerived& d,
                  const Controls& c, Vec3d airVelocity, int iterations) {
    Dynamics out{};
    Axes ax = AxesOf(s.q);
    Vec3d airBody = ToBody(ax, s.velocity - airVelocity);
    double omega = s.rotorOmega;

    // Main rotor: the hub's flow, ground effect along the wake, blade element and momentum theory.
    Vec3d hub = V(0.0, 0.0, p.hubHeightM);
    Vec3d hubFlow = airBody + Cross(s.rates, hub);
    double inPlane = std::sqrt(hubFlow.x * hubFlow.x + hubFlow.y * hubFlow.y);
    double wakeDown = (s.mainInduced >= 0.0 ? 1.0 : -1.0) * ax.up.z; // wake heading for the ground
    double groundShare = 0.0;
    if (wakeDown > 0.05) {
        double hubHeight = s.position.z + p.hubHeightM * ax.up.z;
        groundShare = GroundEffectShare(p.rotorRadiusM, hubHeight / wakeDown, inPlane, s.mainInduced);
    }
    RotorFlow mainFlow{omega, c.collective, hubFlow.z, inPlane, groundShare};
    RotorResult main = SolveRotor(d.main, mainFlow, s.mainInduced, iterations);
    out.thrust = main.thrust;
    out.mainInduced = main.induced;
    out.mainTorque = main.torque;

    // Blow-back: the disc tilts away from the in-plane wind by a1.
    double tip = omega * p.rotorRadiusM;
    double a1 = 0.0;
    if (tip > 1.0 && inPlane > 1e-6) {
        double mu = std::min(inPlane / tip, 0.5);
        double lambda = std::clamp(main.inflow / tip, -0.5, 0.5);
        a1 = mu * (8.0 * c.collective / 3.0 - 2.0 * lambda) / (1.0 - 0.5 * mu * mu);
        out.flapRightTarget = -a1 * hubFlow.x / inPlane;
        out.flapAheadTarget = -a1 * hubFlow.y / inPlane;
    }
    out.flapRightTarget += c.cyclicRight;
    out.flapAheadTarget += c.cyclicAhead;

    // Thrust along the tip-path plane's normal at the hub; the hub spring.
    Vec3d normal = V(s.flapRight, s.flapAhead, 1.0);
    normal = normal * (1.0 / std::sqrt(Dot(normal, normal)));
    Vec3d thrust = normal * main.thrust;
    Vec3d moment = Cross(hub, thrust);
    moment.y += p.hubStiffnessNmPerRad * s.flapRight;
    moment.x -= p.hubStiffnessNmPerRad * s.flapAhead;

    // Tail rotor: thrust toward the left for positive pitch, at the tail shaft.
    Vec3d tailHub = V(0.0, -p.tailArmM, p.tailHeightM);
    Vec3d tailFlow = airBody + Cross(s.rates, tailHub);
    double tailInPlane = std::sqrt(tailFlow.y * tailFlow.y + tailFlow.z * tailFlow.z);
    RotorFlow tf{omega * p.tailGearRatio, c.tailPitch, -tailFlow.x, tailInPlane, 0.0};
    RotorResult tail = SolveRotor(d.tail, tf, s.tailInduced, iterations);
    out.tailThrust = tail.thrust;
    out.tailInduced = tail.induced;
    out.tailTorque = tail.torque;
    Vec3d tailForce = V(-tail.thrust, 0.0, 0.0);
    moment = moment + Cross(tailHub, tailForce);

    // Fuselage drag per body axis on its flat-plate area.
    Vec3d drag = V(-0.5 * AirDensity * p.dragAreaSideM2 * std::fabs(airBody.x) * airBody.x,
                   -0.5 * AirDensity * p.dragAreaFrontM2 * std::fabs(airBody.y) * airBody.y,
                   -0.5 * AirDensity * p.dragAreaTopM2 * std::fabs(airBody.z) * airBody.z);

    out.forceBody = thrust + tailForce + drag;
    out.momentBody = moment;
    double friction = p.rotorFrictionNm * std::min(1.0, omega / 10.0);
    out.loadTorque = main.torque + p.tailGearRatio * tail.torque + friction;
    return out;
}

// Angular acceleration of the body: I dw/dt = M - w x I w. The rotor's own gyroscopic moment reaches the
// body only through the disc's tilt (the flapping's cross term), not as a rigid wheel's.
Vec3d AngularAcceleration(const RealisticParams& p, const RealisticState& s, Vec3d moment) {
    Vec3d inertia = V(p.inertiaPitchKgm2, p.inertiaRollKgm2, p.inertiaYawKgm2);
    Vec3d h = V(inertia.x * s.rates.x, inertia.y * s.rates.y, inertia.z * s.rates.z);
    Vec3d net = moment - Cross(s.rates, h);
    return V(net.x / inertia.x, net.y / inertia.y, net.z / inertia.z);
}

// The drivetrain's yaw moment on the body: the motor's reaction less the torques the rotor carries off to
// the tail and the bearings (the main rotor's own air load acts on the rotor, not the body).
double DrivetrainYaw(const Dynamics& dyn, double drive) {
    return drive - (dyn.loadTorque - dyn.mainTorque);
}

// The flight controllers for one step: governor duty, cyclic and tail pitch, collective.
void RunControllers(RealisticState& s, const RealisticParams& p, const RealisticDerived& d,
                    const RealisticSticks& k, double dt) {
    Axes ax = AxesOf(s.q);
    Vec3d upBody = V(ax.right.z, ax.nose.z, ax.up.z); // world up in body axes
    double rollAngle = std::atan2(-upBody.x, upBody.z);
    double pitchAngle = std::atan2(upBody.y, upBody.z);
    double maxRoll = p.maxRollRateDps * DegToRadD;
    double maxPitch = p.maxPitchRateDps * DegToRadD;
    double maxYaw = p.maxYawRateDps * DegToRadD;

    // Commanded rates: the sticks with expo, or the attitude the stick (or the rescue) asks for.
    double roll = Expo(std::clamp(k.roll, -1.0, 1.0), p.expoRollPercent);
    double pitch = Expo(std::clamp(k.pitch, -1.0, 1.0), p.expoPitchPercent);
    double yaw = Expo(std::clamp(k.yaw, -1.0, 1.0), p.expoYawPercent);
    Vec3d command = V(-pitch * maxPitch, roll * maxRoll, -yaw * maxYaw);
    double collective = std::clamp(k.collective, -1.0, 1.0) * p.collectiveRangeDeg * DegToRadD;
    if (p.selfLevel > 0.5 || k.rescue) {
        double angle = p.maxLevelAngleDeg * DegToRadD;
        double wantRoll = k.rescue ? 0.0 : roll * angle;
        double wantPitch = k.rescue ? 0.0 : -pitch * angle;
        command.y = std::clamp(p.levelGainPerS * (wantRoll - rollAngle), -maxRoll, maxRoll);
        command.x = std::clamp(p.levelGainPerS * (wantPitch - pitchAngle), -maxPitch, maxPitch);
    }
    if (k.rescue) collective = upBody.z > 0.7 ? p.rescueCollectiveDeg * DegToRadD : 0.0;
    s.commandFiltered = s.commandFiltered + (command - s.commandFiltered) * LagStep(dt, p.stickResponseS);
    Vec3d cmd = s.commandFiltered;
    Vec3d error = cmd - s.rates;

    // Integrators rest while the helicopter stands on the ground, as a flybarless unit's do.
    double cyclicLimit = p.cyclicRangeDeg * DegToRadD;
    double tailLimit = p.tailPitchRangeDeg * DegToRadD;
    if (s.flightState == FlightResting) {
        double fade = 1.0 - LagStep(dt, 0.2);
        s.cyclicIntegralRight *= fade;
        s.cyclicIntegralAhead *= fade;
        s.gyroIntegral *= fade;
    } else {
        s.cyclicIntegralRight =
            std::clamp(s.cyclicIntegralRight + p.cyclicIntegral * error.y * dt, -cyclicLimit, cyclicLimit);
        s.cyclicIntegralAhead =
            std::clamp(s.cyclicIntegralAhead + p.cyclicIntegral * error.x * dt, -cyclicLimit, cyclicLimit);
        s.gyroIntegral = std::clamp(s.gyroIntegral + p.gyroIntegral * error.z * dt, -tailLimit, tailLimit);
    }
    s.cyclicRight = std::clamp(p.cyclicFeedforwardS * cmd.y + p.cyclicGainS * error.y + s.cyclicIntegralRight,
                               -cyclicLimit, cyclicLimit);
    s.cyclicAhead =
        std::clamp(-(p.cyclicFeedforwardS * cmd.x + p.cyclicGainS * error.x + s.cyclicIntegralAhead),
                   -cyclicLimit, cyclicLimit);
    // Tail: the pitch that holds the drive torque, less the rate loop (more pitch turns the nose right).
    double torqueHold =
        HoverPitchForThrust(d.tail, s.rotorOmega * p.tailGearRatio, s.driveTorque / p.tailArmM);
    s.tailPitch =
        std::clamp(torqueHold - (p.gyroFeedforwardS * cmd.z + p.gyroGainS * error.z + s.gyroIntegral),
                   -tailLimit, tailLimit);
    s.collective = collective;

    // Governor: off below 0.1 throttle or on hold; the reference ramps up at the soft-start rate from the
    // rotor's own speed, so a rotor still turning (a bail-out) is caught at once.
    double target = k.idleUp ? d.idleupHeadspeed : d.headspeed;
    bool armed = k.throttle >= 0.1 && !k.hold;
    double open = OpenVoltage(d, s.charge);
    if (!armed) {
        s.governorReference = 0.0;
        s.governorIntegral = 0.0;
        s.duty = 0.0;
        return;
    }
    if (s.governorReference < s.rotorOmega) s.governorReference = std::min(s.rotorOmega, target);
    if (s.governorReference < target)
        s.governorReference = std::min(target, s.governorReference + d.headspeed / p.softStartS * dt);
    else
        s.governorReference = target;
    double errorRpm = (s.governorReference - s.rotorOmega) / RpmToRadS;
    double feedForward = d.gearRatio * s.governorReference * d.motor.kt / open;
    double duty = feedForward + p.governorPPerRpm * errorRpm + s.governorIntegral;
    // The integral only winds while the duty is not held at a limit in the same direction.
    bool high = duty >= 1.0 && errorRpm > 0.0;
    bool low = duty <= 0.0 && errorRpm < 0.0;
    if (!high && !low) s.governorIntegral += p.governorIPerRpmS * errorRpm * dt;
    s.governorIntegral = std::clamp(s.governorIntegral, -1.0, 1.0);
    s.duty = std::clamp(duty, 0.0, 1.0);
}

bool Finite(const RealisticState& s) {
    const double v[] = {s.position.x, s.position.y, s.position.z, s.velocity.x, s.velocity.y,  s.velocity.z,
                        s.q[0],       s.q[1],       s.q[2],       s.q[3],       s.rates.x,     s.rates.y,
                        s.rates.z,    s.rotorOmega, s.flapRight,  s.flapAhead,  s.mainInduced, s.tailInduced};
    for (double x : v)
        if (!std::isfinite(x)) return false;
    return true;
}

Vec3 ToVec3(Vec3d v) {
    return Vec3{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

Touchdown JudgeTouchdown(const RealisticState& s, const Axes& ax, bool headDown, bool schoolShown) {
    Touchdown t;
    t.vz = static_cast<float>(s.velocity.z);
    t.hs = static_cast<float>(std::sqrt(s.velocity.x * s.velocity.x + s.velocity.y * s.velocity.y));
    t.pitchDeg = TiltFromHorizontalDeg(ToVec3(ax.nose));
    t.rollDeg = TiltFromHorizontalDeg(ToVec3(ax.right));
    t.upsideDown = ax.up.z < 0.0 || headDown;
    t.crashKind = CollisionKind(ToVec3(s.position), ToVec3(s.velocity), schoolShown);
    return t;
}
} // namespace

RealisticDerived DeriveRealistic(const RealisticParams& p) {
    RealisticDerived d;
    auto blade = [&](double radius, double blades, double chord, double root) {
        RotorBlade b;
        b.radius = radius;
        b.area = PiD * radius * radius;
        b.solidity = blades * chord / (PiD * radius);
        b.liftSlope = p.liftSlopePerRad;
        b.rootRatio = std::min(root / radius, 0.5);
        b.cd0 = p.profileDragCd0;
        b.d2 = p.profileDragD2;
        b.maxCtOverSigma = p.stallCtOverSigma;
        b.inducedPowerFactor = p.inducedPowerFactor;
        return b;
    };
    d.main = blade(p.rotorRadiusM, p.rotorBlades, p.bladeChordM, p.bladeRootCutoutM);
    d.tail = blade(p.tailRadiusM, p.tailBlades, p.tailChordM, 0.0);
    d.gearRatio = p.mainGearTeeth / p.pinionTeeth;
    d.motor.kt = 60.0 / (2.0 * PiD * p.motorKvRpmPerV);
    d.motor.resistance = p.motorResistanceOhm;
    d.motor.noLoadCurrent = p.motorNoLoadCurrentA;
    d.motor.gearRatio = d.gearRatio;
    d.motor.batteryResistance = p.batteryResistanceOhm;
    d.headspeed = p.headspeedRpm * RpmToRadS;
    d.idleupHeadspeed = p.idleupHeadspeedRpm * RpmToRadS;
    double r = p.rotorRadiusM;
    double lock = AirDensity * p.liftSlopePerRad * p.bladeChordM * r * r * r * r / p.bladeFlapInertiaKgm2;
    d.flapTimeConstant = 16.0 / (lock * d.headspeed);
    d.openVoltageFull = p.batteryCells * p.cellFullV;
    d.openVoltageEmpty = p.batteryCells * std::min(p.cellEmptyV, p.cellFullV);
    d.capacityCoulomb = p.batteryCapacityMah * 3.6;
    return d;
}

RealisticState RestingRealistic(const RealisticParams& p, const RealisticDerived& d, Vec3d pad) {
    RealisticState s;
    s.pad = pad;
    s.position = V(pad.x, pad.y, pad.z + p.skidDepthM);
    s.flightState = FlightResting;
    s.batteryVoltage = d.openVoltageFull;
    return s;
}

RealisticEvents StepRealistic(RealisticState& s, const RealisticParams& p, const RealisticDerived& d,
                              const RealisticSticks& sticks, const RealisticEnvironment& env, double dt) {
    RealisticEvents ev;
    if (s.flightState == FlightCrashed || s.flightState == FlightCrashShown) {
        s.crashSeconds += dt;
        ev.resetDue = s.crashSeconds >= 3.0;
        return ev;
    }
    RunControllers(s, p, d, sticks, dt);
    Controls c{s.collective, s.cyclicRight, s.cyclicAhead, s.tailPitch};
    Dynamics dyn = Evaluate(s, p, d, c, env.airVelocity, 4);

    // Motor, freewheel and battery; the rotor's speed.
    MotorPoint motor = MotorAt(d.motor, s.duty, s.rotorOmega, OpenVoltage(d, s.charge));
    s.driveTorque = motor.torqueAtRotor;
    s.batteryCurrent = motor.batteryCurrent;
    s.batteryVoltage = motor.batteryVoltage;
    s.batteryPower = motor.batteryVoltage * motor.batteryCurrent;
    double fullTorque = d.gearRatio * d.motor.kt *
                        std::max((d.openVoltageFull - d.gearRatio * d.headspeed * d.motor.kt) /
                                     (d.motor.resistance + d.motor.batteryResistance),
                                 1e-6);
    s.motorLoad = std::clamp(motor.torqueAtRotor / fullTorque, 0.0, 1.0);
    s.charge = std::max(0.0, s.charge - motor.batteryCurrent * dt / d.capacityCoulomb);
    s.thrust = dyn.thrust;

    Vec3d moment = dyn.momentBody;
    moment.z += DrivetrainYaw(dyn, motor.torqueAtRotor);

    // Ground: spring, damper and friction at each contact point.
    Axes ax = AxesOf(s.q);
    Vec3d points[ContactPoints];
    ContactPointsOf(p, points);
    Vec3d groundForce;
    for (int i = 0; i < ContactPoints; ++i) {
        Vec3d arm = ToWorld(ax, points[i]);
        double z = s.position.z + arm.z;
        if (z >= 0.0) continue;
        Vec3d pointVelocity = s.velocity + ToWorld(ax, Cross(s.rates, points[i]));
        double normal = std::max(0.0, -ContactStiffness * z - ContactDamping * pointVelocity.z);
        double slide = std::sqrt(pointVelocity.x * pointVelocity.x + pointVelocity.y * pointVelocity.y);
        double grip = ContactFriction * normal / std::max(slide, 0.02);
        Vec3d f = V(-grip * pointVelocity.x, -grip * pointVelocity.y, normal);
        groundForce = groundForce + f;
        moment = moment + Cross(points[i], ToBody(ax, f));
    }

    // Semi-implicit Euler: velocities first, then positions and attitude with the new velocities.
    Vec3d force = ToWorld(ax, dyn.forceBody) + groundForce;
    Vec3d accel = force * (1.0 / p.massKg) + V(0.0, 0.0, -Gravity);
    Vec3d angular = AngularAcceleration(p, s, moment);
    s.velocity = s.velocity + accel * dt;
    s.rates = s.rates + angular * dt;
    s.rotorOmega = NextRotorSpeed(s.rotorOmega, motor.torqueAtRotor, dyn.loadTorque, p.rotorInertiaKgm2, dt);
    s.mainInduced = dyn.mainInduced;
    s.tailInduced = dyn.tailInduced;
    // The disc follows the cyclic with the flapping lag and trails the body's rotation.
    double tau = d.flapTimeConstant * d.headspeed / std::max(s.rotorOmega, 0.1 * d.headspeed);
    double lag = LagStep(dt, tau);
    // Off the axis, the spinning disc (clockwise seen from above) precesses by the body rate over the rotor
    // speed: the gyroscopic coupling of pitch and roll.
    double spin = std::max(s.rotorOmega, 0.1 * d.headspeed);
    s.flapRight += (dyn.flapRightTarget - tau * s.rates.y - s.rates.x / spin - s.flapRight) * lag;
    s.flapAhead += (dyn.flapAheadTarget + tau * s.rates.x - s.rates.y / spin - s.flapAhead) * lag;
    if (s.flightState == FlightLockXYZ) {
        s.position = V(0.0, 4.0, 2.0);
        s.velocity = Vec3d{};
    } else {
        if (s.flightState == FlightLockXY) {
            s.velocity.x = 0.0;
            s.velocity.y = 0.0;
        }
        s.position = s.position + s.velocity * dt;
    }
    Rotate(s.q, s.rates, dt);

    // No point ends a step deep in the ground, whatever the speed: the body is lifted out and its
    // downward speed taken away.
    ax = AxesOf(s.q);
    double lowest = 0.0;
    bool headDown = false;
    for (int i = 0; i < ContactPoints; ++i) {
        double z = s.position.z + ToWorld(ax, points[i]).z;
        lowest = std::min(lowest, z);
        if (i >= SkidPoints && z < 0.0) headDown = true;
    }
    bool touching = lowest < 0.0;
    Vec3d arrival = s.velocity; // judged before the ground takes the speed away
    if (lowest < -DeepestSink) {
        s.position.z += -DeepestSink - lowest;
        s.velocity.z = std::max(s.velocity.z, 0.0);
    }

    if (!Finite(s)) {
        Vec3d pad = s.pad;
        s = RestingRealistic(p, d, pad);
        ev.nonFinite = true;
        return ev;
    }

    // Flight state: touchdowns judged by the classic limits; lift-off once no point touches.
    int32_t kind = CollisionKind(ToVec3(s.position), ToVec3(s.velocity), env.schoolShown);
    if (s.flightState == FlightFlying && (touching || kind != CrashGround)) {
        RealisticState atContact = s;
        atContact.velocity = arrival;
        ev.touchdown = JudgeTouchdown(atContact, ax, headDown, env.schoolShown);
        if (IsCrash(ev.touchdown)) {
            ev.crashed = true;
            s.flightState = FlightCrashed;
            s.crashSeconds = 0.0;
        } else {
            ev.landed = true;
            s.flightState = FlightResting;
        }
    } else if (s.flightState == FlightResting && !touching) {
        ev.liftedOff = true;
        s.flightState = FlightFlying;
    }
    return ev;
}

HeliState RealisticHeliState(const RealisticState& s, const RealisticDerived& d, Vec3 pilotEye) {
    HeliState h;
    Axes ax = AxesOf(s.q);
    h.voltageFactor = static_cast<float>(s.batteryVoltage / d.openVoltageFull);
    h.rotorRpm = static_cast<float>(s.rotorOmega / RpmToRadS);
    h.position = ToVec3(s.position);
    h.velocity = ToVec3(s.velocity);
    h.noseAxis = ToVec3(ax.nose);
    h.upAxis = ToVec3(ax.up);
    Vec3d fromPilot = s.position - V(pilotEye.x, pilotEye.y, pilotEye.z);
    double distance = std::sqrt(Dot(fromPilot, fromPilot));
    h.pilotDistance = static_cast<float>(distance);
    h.dopplerFactor =
        distance > 0.0 ? static_cast<float>(1.0 - Dot(s.velocity, fromPilot) / distance / 344.0) : 1.0f;
    return h;
}

Vec3d RealisticEulerDeg(const RealisticState& s) {
    Axes ax = AxesOf(s.q);
    double pitch = std::asin(std::clamp(ax.nose.z, -1.0, 1.0));
    double roll = std::atan2(-ax.right.z, ax.up.z);
    double yaw = std::atan2(ax.nose.x, ax.nose.y);
    return V(roll / DegToRadD, pitch / DegToRadD, yaw / DegToRadD);
}

namespace {
// The trim's unknowns: collective, cyclic right, cyclic ahead, tail pitch, roll, pitch, and in
// autorotation the descent speed.
struct TrimSetup {
    const RealisticParams& p;
    const RealisticDerived& d;
    TrimRequest request;
    int unknowns;
    RealisticState base;
};

// The state and the residuals (accelerations, and the rotor's in autorotation) for the unknowns x.
void TrimResiduals(TrimSetup& t, const double* x, double* r, RealisticState& s, MotorPoint& motor,
                   double& duty) {
    s = t.base;
    double roll = x[4] + (t.request.kind == TrimKind::InvertedHover ? PiD : 0.0);
    AttitudeFromAngles(s.q, x[5], roll);
    if (t.request.kind == TrimKind::Level) s.velocity = V(0.0, t.request.speed, 0.0);
    if (t.request.kind == TrimKind::Autorotation) s.velocity = V(0.0, 0.0, -x[6]);
    Controls c{x[0], x[1], x[2], x[3]};
    // The disc at its steady tilt, the inflow converged (two passes: the tilt feeds the blow-back).
    Dynamics dyn{};
    for (int pass = 0; pass < 3; ++pass) {
        dyn = Evaluate(s, t.p, t.d, c, Vec3d{}, 60);
        s.flapRight = dyn.flapRightTarget;
        s.flapAhead = dyn.flapAheadTarget;
        s.mainInduced = dyn.mainInduced;
        s.tailInduced = dyn.tailInduced;
    }
    double drive = 0.0;
    duty = 0.0;
    motor = MotorPoint{0.0, 0.0, 0.0, t.d.openVoltageFull, false};
    if (t.request.kind != TrimKind::Autorotation) {
        MotorForTorque(t.d.motor, dyn.loadTorque, s.rotorOmega, t.d.openVoltageFull, duty, motor);
        drive = dyn.loadTorque;
    }
    Vec3d moment = dyn.momentBody;
    moment.z += DrivetrainYaw(dyn, drive);
    Axes ax = AxesOf(s.q);
    Vec3d accel = ToWorld(ax, dyn.forceBody) * (1.0 / t.p.massKg) + V(0.0, 0.0, -Gravity);
    Vec3d angular = AngularAcceleration(t.p, s, moment);
    r[0] = accel.x;
    r[1] = accel.y;
    r[2] = accel.z;
    r[3] = angular.x * 0.01;
    r[4] = angular.y * 0.01;
    r[5] = angular.z * 0.01;
    if (t.unknowns == 7) r[6] = (drive - dyn.loadTorque) / t.p.rotorInertiaKgm2 * 0.01;
    s.driveTorque = drive;
    s.batteryCurrent = motor.batteryCurrent;
    s.batteryVoltage = motor.batteryVoltage;
    s.batteryPower = motor.batteryVoltage * motor.batteryCurrent;
    s.thrust = dyn.thrust;
}

// Solves a (n x n) by Gaussian elimination with partial pivoting; false when singular.
bool Solve(double a[7][7], double b[7], int n) {
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int row = col + 1; row < n; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        if (std::fabs(a[pivot][col]) < 1e-14) return false;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (int row = col + 1; row < n; ++row) {
            double f = a[row][col] / a[col][col];
            for (int k = col; k < n; ++k)
                a[row][k] -= f * a[col][k];
            b[row] -= f * b[col];
        }
    }
    for (int row = n - 1; row >= 0; --row) {
        for (int k = row + 1; k < n; ++k)
            b[row] -= a[row][k] * b[k];
        b[row] /= a[row][row];
    }
    return true;
}

double Norm(const double* r, int n) {
    double m = 0.0;
    for (int i = 0; i < n; ++i)
        m = std::max(m, std::fabs(r[i]));
    return m;
}
} // namespace

TrimResult TrimRealistic(const RealisticParams& p, const RealisticDerived& d, const TrimRequest& request) {
    TrimResult out;
    bool autorotation = request.kind == TrimKind::Autorotation;
    double height = request.height;
    RealisticState base = RestingRealistic(p, d, V(0.0, 6.0, height));
    base.flightState = FlightFlying;
    base.rotorOmega = autorotation ? d.idleupHeadspeed : d.headspeed;
    TrimSetup t{p, d, request, autorotation ? 7 : 6, base};
    double sign = request.kind == TrimKind::InvertedHover ? -1.0 : 1.0;
    double x[7] = {sign * 0.07, 0.0, 0.0, 0.08, 0.0, 0.0, 6.0};
    if (autorotation) {
        x[0] = -0.05;
        x[3] = -0.02;
        x[6] = 6.0;
    }
    t.base.mainInduced = sign * 2.5;
    t.base.tailInduced = 3.0;
    double r[7];
    RealisticState s;
    MotorPoint motor{};
    double duty = 0.0;
    TrimResiduals(t, x, r, s, motor, duty);
    int n = t.unknowns;
    for (int iter = 0; iter < 60 && Norm(r, n) > 1e-9; ++iter) {
        t.base.mainInduced = s.mainInduced;
        t.base.tailInduced = s.tailInduced;
        double jac[7][7];
        for (int j = 0; j < n; ++j) {
            double xp[7];
            std::copy(x, x + 7, xp);
            double h = 1e-6 * std::max(1.0, std::fabs(x[j]));
            xp[j] += h;
            double rp[7];
            RealisticState sp;
            MotorPoint mp;
            double dp;
            TrimResiduals(t, xp, rp, sp, mp, dp);
            for (int i = 0; i < n; ++i)
                jac[i][j] = (rp[i] - r[i]) / h;
        }
        double step[7];
        for (int i = 0; i < n; ++i)
            step[i] = -r[i];
        if (!Solve(jac, step, n)) break;
        // At most 0.2 rad or 2 m/s at once, the direction kept; then halved until the residual falls.
        double before = Norm(r, n);
        double scale = 1.0;
        for (int i = 0; i < n; ++i) {
            double limit = i == 6 ? 2.0 : 0.2;
            if (std::fabs(step[i]) * scale > limit) scale = limit / std::fabs(step[i]);
        }
        for (int tries = 0; tries < 20; ++tries, scale *= 0.5) {
            double xn[7];
            std::copy(x, x + 7, xn);
            for (int i = 0; i < n; ++i)
                xn[i] += scale * step[i];
            double rn[7];
            RealisticState sn;
            MotorPoint mn;
            double dn;
            TrimResiduals(t, xn, rn, sn, mn, dn);
            if (Norm(rn, n) < before || tries == 19) {
                std::copy(xn, xn + 7, x);
                std::copy(rn, rn + 7, r);
                s = sn;
                motor = mn;
                duty = dn;
                break;
            }
        }
    }
    out.converged = Norm(r, n) < 1e-6 && std::fabs(x[0]) <= p.collectiveRangeDeg * DegToRadD &&
                    std::fabs(x[3]) <= p.tailPitchRangeDeg * DegToRadD && duty <= 1.0;
    out.collectiveDeg = x[0] / DegToRadD;
    out.tailPitchDeg = x[3] / DegToRadD;
    Vec3d euler = RealisticEulerDeg(s);
    out.rollDeg = euler.x;
    out.pitchDeg = euler.y;
    out.rpm = s.rotorOmega / RpmToRadS;
    out.batteryPower = s.batteryPower;
    out.batteryCurrent = s.batteryCurrent;
    out.descent = -s.velocity.z;

    // The controllers set to hold this state: their integrals carry the trimmed pitches.
    s.collective = x[0];
    s.cyclicRight = x[1];
    s.cyclicAhead = x[2];
    s.tailPitch = x[3];
    s.cyclicIntegralRight = x[1];
    s.cyclicIntegralAhead = -x[2];
    s.gyroIntegral =
        HoverPitchForThrust(d.tail, s.rotorOmega * p.tailGearRatio, s.driveTorque / p.tailArmM) - x[3];
    s.duty = duty;
    s.governorReference = autorotation ? 0.0 : s.rotorOmega;
    double open = d.openVoltageFull;
    s.governorIntegral = autorotation ? 0.0 : duty - d.gearRatio * s.rotorOmega * d.motor.kt / open;
    out.state = s;
    return out;
}
