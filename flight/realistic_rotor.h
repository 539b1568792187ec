// The pieces of the realistic model that can be worked by hand: a rotor by blade element and momentum
// theory with its induced velocity, ground effect, the motor with its ESC and battery, the freewheel.
#pragma once

constexpr double AirDensity = 1.225; // kg/m^3, sea level
constexpr double Gravity = 9.81;     // m/s^2

// A rotor's fixed figures, derived once from the helicopter file.
struct RotorBlade {
    double radius;         // m
    double area;           // pi R^2, m^2
    double solidity;       // blades x chord / (pi R)
    double liftSlope;      // 1/rad
    double rootRatio;      // root cut-out / R
    double cd0;            // section drag at zero lift
    double d2;             // rise of the section drag with angle squared, 1/rad^2
    double maxCtOverSigma; // blade loading where the blades stall
    double inducedPowerFactor;
};

// The airflow a rotor meets: speeds of the hub through the air, along the shaft (positive climbing, the
// air coming down through the disc from above) and in the disc plane.
struct RotorFlow {
    double omega;        // rotor speed, rad/s (>= 0)
    double pitch;        // collective blade pitch, rad
    double climbSpeed;   // V_c, m/s
    double inPlaneSpeed; // V_x, m/s (>= 0)
    double groundFactor; // (R / 4z)^2 faded with speed, 0 out of ground effect
};

struct RotorResult {
    double thrust;  // N along the shaft, positive up the shaft
    double torque;  // N m resisting the rotor's turning (negative when the air drives it)
    double induced; // v_i, m/s, same sign as the thrust
    double inflow;  // V_c + (1 - groundFactor) v_i, m/s through the disc
};

// Induced velocity of momentum theory for a thrust (sign kept): v_i sqrt(V_x^2 + U(V_c + v_i)^2) =
// T / (2 rho A), U the mass-flow speed through the disc. U is |V_c + v_i| (Glauert) except in axial
// descent between the climb and windmill-brake branches, where a floor of 0.7 v_h bridges the vortex ring
// state; the bridge fades as 1 / (1 + 2 (V_x / v_h)^2). Solved by Newton's method from guess.
double MomentumInducedVelocity(double thrust, double area, double climbSpeed, double inPlaneSpeed,
                               double guess);

// Blade-element thrust (uniform inflow, untwisted blades, root cut-out) for a given induced velocity.
double BladeElementThrust(const RotorBlade& blade, const RotorFlow& flow, double induced);

// Thrust, torque and induced velocity with blade element and momentum theory solved together; guess is
// the last step's induced velocity. iterations: Newton steps (4 each physics step, more when trimming).
RotorResult SolveRotor(const RotorBlade& blade, const RotorFlow& flow, double guess, int iterations);

// Cheeseman and Bennett: the share (R / 4z)^2 by which the induced velocity shrinks near the ground, for the
// rotor at height z (held to z >= R / 2), faded by forward speed over the hover induced velocity.
double GroundEffectShare(double radius, double height, double inPlaneSpeed, double hoverInduced);

// The motor, ESC and battery at one instant (a brushless motor with its ESC acts as a DC motor at an
// average voltage duty x battery voltage).
struct MotorSetup {
    double kt;            // N m / A, = 60 / (2 pi Kv)
    double resistance;    // winding, ohm
    double noLoadCurrent; // A
    double gearRatio;     // motor turns per rotor turn
    double batteryResistance;
};

struct MotorPoint {
    double torqueAtRotor;  // N m the motor gives the rotor (>= 0: the freewheel never lets it brake)
    double motorCurrent;   // A
    double batteryCurrent; // A
    double batteryVoltage; // V at the terminals
    bool engaged;          // false: the freewheel slips, the motor spins below the rotor's speed
};

// The motor at duty d (0..1) with the rotor at omega and the battery's open-circuit voltage. The pack
// sags by its current times its resistance.
MotorPoint MotorAt(const MotorSetup& motor, double duty, double rotorOmega, double openVoltage);

// The duty and battery figures that give the rotor the asked torque at omega (steady state, for trimming).
// Returns false when even full duty falls short (the point then holds full duty).
bool MotorForTorque(const MotorSetup& motor, double torqueAtRotor, double rotorOmega, double openVoltage,
                    double& duty, MotorPoint& point);

// One step of the rotor's speed: I dOmega/dt = driving torque - load torques. The one-way bearing lets the
// rotor run on when the motor stops; the rotor never turns backwards.
double NextRotorSpeed(double omega, double drivingTorque, double loadTorque, double inertia, double dt);
