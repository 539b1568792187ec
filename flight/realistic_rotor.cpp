// Rotor by blade element and momentum theory, ground effect, motor, ESC, battery and freewheel.
#include "flight/realistic_rotor.h"

#include <algorithm>
#include <cmath>

namespace {
// Floor of the mass-flow speed at zero flow through the disc, in hover induced velocities. 0.7 keeps one
// solution for every climb and forward speed and bridges the vortex ring state.
constexpr double FlowFloor = 0.7;

// Mass-flow speed through the disc for a flow z (both in hover induced velocities) in axial flight: |z|
// for |z| >= 1 (pure momentum theory: climb, hover, windmill brake), between them the even quartic that
// meets |z| with its slope at +-1 and is FlowFloor at 0. dU/dz into slope.
double FlowSpeed(double z, double& slope) {
    double a = std::fabs(z);
    if (a >= 1.0) {
        slope = z > 0.0 ? 1.0 : -1.0;
        return a;
    }
    const double b = 1.5 - 2.0 * FlowFloor;
    const double c = FlowFloor - 0.5;
    double z2 = z * z;
    slope = 2.0 * b * z + 4.0 * c * z2 * z;
    return FlowFloor + b * z2 + c * z2 * z2;
}

// Residual v S - T / (2 rho A) of momentum theory and its slope in v, for a thrust already known.
struct Momentum {
    double residual;
    double slope;
};

Momentum MomentumResidual(double v, double thrust, double area, double climbSpeed, double inPlaneSpeed) {
    double vh = std::sqrt(std::fabs(thrust) / (2.0 * AirDensity * area));
    double z = climbSpeed + v;
    if (vh <= 1e-9) {
        // No thrust: no induced flow; the residual only asks v S = 0.
        double s = std::sqrt(inPlaneSpeed * inPlaneSpeed + z * z);
        return Momentum{v * s, std::max(s, 1e-9)};
    }
    // The bridge fades with in-plane speed (the wake is blown clear of the disc), leaving Glauert's
    // momentum theory.
    double ratio = inPlaneSpeed / vh;
    double w = 1.0 / (1.0 + 2.0 * ratio * ratio);
    double dudz = 0.0;
    double bridge = FlowSpeed(z / vh, dudz);
    double u = vh * (w * bridge + (1.0 - w) * std::fabs(z / vh));
    double dudv = w * dudz + (1.0 - w) * (z >= 0.0 ? 1.0 : -1.0);
    double s = std::sqrt(inPlaneSpeed * inPlaneSpeed + u * u);
    return Momentum{v * s - thrust / (2.0 * AirDensity * area), s + v * u * dudv / s};
}

// One safeguarded Newton step: the slope is held to at least half the flow speed so that a step never
// runs the wrong way, and a step is at most the size of the flow it works on.
double NewtonStep(double v, double residual, double slope, double floorSlope, double scale) {
    double d = residual / std::max({slope, 0.5 * floorSlope, 1e-9});
    double limit = 0.5 * (std::fabs(v) + scale) + 0.1;
    return v - std::clamp(d, -limit, limit);
}
} // namespace

double MomentumInducedVelocity(double thrust, double area, double climbSpeed, double inPlaneSpeed,
                               double guess) {
    double v = std::isfinite(guess) ? guess : 0.0;
    double vh = std::sqrt(std::fabs(thrust) / (2.0 * AirDensity * area));
    if (vh <= 1e-9) return 0.0;
    for (int i = 0; i < 60; ++i) {
        Momentum m = MomentumResidual(v, thrust, area, climbSpeed, inPlaneSpeed);
        double floorSlope = std::sqrt(inPlaneSpeed * inPlaneSpeed + FlowFloor * FlowFloor * vh * vh);
        double next = NewtonStep(v, m.residual, m.slope, floorSlope, vh + std::fabs(climbSpeed));
        if (std::fabs(next - v) < 1e-12) return next;
        v = next;
    }
    return v;
}

double BladeElementThrust(const RotorBlade& b, const RotorFlow& f, double induced) {
    double x0 = b.rootRatio;
    double tip = f.omega * b.radius;
    double inflow = f.climbSpeed + (1.0 - f.groundFactor) * induced;
    double k = 0.5 * b.solidity * b.liftSlope * AirDensity * b.area;
    double t = k * (f.pitch * (tip * tip * (1.0 - x0 * x0 * x0) / 3.0 +
                               f.inPlaneSpeed * f.inPlaneSpeed * (1.0 - x0) / 2.0) -
                    inflow * tip * (1.0 - x0 * x0) / 2.0);
    // Stalled blades carry no more than the stall blade loading.
    double limit = b.maxCtOverSigma * b.solidity * AirDensity * b.area * tip * tip;
    return std::clamp(t, -limit, limit);
}

RotorResult SolveRotor(const RotorBlade& b, const RotorFlow& f, double guess, int iterations) {
    double v = std::isfinite(guess) ? guess : 0.0;
    double keep = 1.0 - f.groundFactor;
    double tip = f.omega * b.radius;
    // Slope of the blade-element thrust against v (zero once stalled), over 2 rho A.
    double thrustSlope = 0.5 * b.solidity * b.liftSlope * AirDensity * b.area * keep * tip *
                         (1.0 - b.rootRatio * b.rootRatio) / 2.0 / (2.0 * AirDensity * b.area);
    double thrust = BladeElementThrust(b, f, v);
    for (int i = 0; i < iterations; ++i) {
        Momentum m = MomentumResidual(v, thrust, b.area, f.climbSpeed, f.inPlaneSpeed);
        double vh = std::sqrt(std::fabs(thrust) / (2.0 * AirDensity * b.area));
        double floorSlope = std::sqrt(f.inPlaneSpeed * f.inPlaneSpeed + FlowFloor * FlowFloor * vh * vh);
        double next = NewtonStep(v, m.residual, m.slope + thrustSlope, floorSlope + thrustSlope,
                                 vh + std::fabs(f.climbSpeed));
        bool done = std::fabs(next - v) < 1e-10;
        v = next;
        thrust = BladeElementThrust(b, f, v);
        if (done) break;
    }
    RotorResult r;
    r.induced = v;
    r.thrust = thrust;
    r.inflow = f.climbSpeed + keep * v;
    // Power: the thrust's work on the climbing air, the induced power with its losses, the blades' profile
    // drag at the section angle of three quarters radius.
    double phi = std::atan2(r.inflow, 0.75 * tip);
    double alpha = std::clamp(f.pitch - phi, -1.5, 1.5);
    double cd = b.cd0 + b.d2 * alpha * alpha;
    double profileTorque = AirDensity * b.area * b.solidity * cd / 8.0 * b.radius *
                           (tip * tip + 4.65 * f.inPlaneSpeed * f.inPlaneSpeed);
    double flowPower = thrust * (f.climbSpeed + b.inducedPowerFactor * keep * v);
    r.torque = profileTorque + (f.omega > 1e-6 ? flowPower / f.omega : 0.0);
    return r;
}

double GroundEffectShare(double radius, double height, double inPlaneSpeed, double hoverInduced) {
    double z = std::max(height, 0.5 * radius);
    double share = radius / (4.0 * z);
    share *= share;
    double ratio = inPlaneSpeed / std::max(std::fabs(hoverInduced), 0.1);
    return share / (1.0 + ratio * ratio);
}

MotorPoint MotorAt(const MotorSetup& m, double duty, double rotorOmega, double openVoltage) {
    MotorPoint p{0.0, 0.0, 0.0, openVoltage, false};
    if (!(duty > 0.0)) return p;
    duty = std::min(duty, 1.0);
    double backEmf = m.gearRatio * rotorOmega * m.kt;
    double loop = m.resistance + duty * duty * m.batteryResistance;
    double current = (duty * openVoltage - backEmf) / loop;
    if (current > m.noLoadCurrent) {
        p.engaged = true;
        p.torqueAtRotor = m.gearRatio * m.kt * (current - m.noLoadCurrent);
    } else {
        // The freewheel slips: the motor runs free below the rotor's speed, drawing its no-load current.
        current = std::clamp(duty * openVoltage / loop, 0.0, m.noLoadCurrent);
    }
    p.motorCurrent = current;
    p.batteryCurrent = duty * current;
    p.batteryVoltage = openVoltage - p.batteryCurrent * m.batteryResistance;
    return p;
}

bool MotorForTorque(const MotorSetup& m, double torqueAtRotor, double rotorOmega, double openVoltage,
                    double& duty, MotorPoint& point) {
    double current = std::max(torqueAtRotor, 0.0) / (m.gearRatio * m.kt) + m.noLoadCurrent;
    double need = m.gearRatio * rotorOmega * m.kt + current * m.resistance;
    double a = m.batteryResistance * current;
    bool ok = true;
    if (a < 1e-12) {
        duty = need / openVoltage;
    } else {
        double disc = openVoltage * openVoltage - 4.0 * a * need;
        if (disc < 0.0) {
            duty = 1.0;
            ok = false;
        } else {
            duty = (openVoltage - std::sqrt(disc)) / (2.0 * a);
        }
    }
    if (duty > 1.0) {
        duty = 1.0;
        ok = false;
    }
    point = MotorAt(m, duty, rotorOmega, openVoltage);
    return ok;
}

double NextRotorSpeed(double omega, double drivingTorque, double loadTorque, double inertia, double dt) {
    double next = omega + (drivingTorque - loadTorque) / inertia * dt;
    return next > 0.0 ? next : 0.0;
}
