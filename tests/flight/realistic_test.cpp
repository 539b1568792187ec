// The realistic model's pieces against figures worked by hand from rotor theory, the helicopter file
// reader, touchdowns, and an hour of random sticks.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "flight/heli_step.h"
#include "flight/realistic_model.h"
#include "tests/assets/file_bytes.h"

namespace {
constexpr double PiD = 3.14159265358979323846;
// The 450 of the physics notes: R 0.355 m, 2 blades of 32 mm, lift slope 5.5, Cd0 0.012, 2700 rpm, 0.78 kg.
constexpr double Radius = 0.355;
constexpr double Area = 0.3959192;         // pi R^2
constexpr double Omega = 282.74334;        // 2700 rpm
constexpr double Weight = 7.65;            // N
constexpr double HoverInduced = 2.8083057; // sqrt(T / (2 rho A))

// Solidity 2 x 0.032 / (pi R); no root cut-out, no drag rise; stall at C_T / sigma 0.16; kappa 1.15.
const RotorBlade NotesBlade{Radius, Area, 0.0573854, 5.5, 0.0, 0.012, 0.0, 0.16, 1.15};

RealisticParams Sport() {
    RealisticParams p{};
    std::string error;
    const std::string path = RV_SOURCE_DIR "/helicopters/450 Sport.toml";
    EXPECT_TRUE(ParseRealisticParams(ReadText(path), path, p, error)) << error;
    return p;
}

// The shipped "450 Sport", stepped at the model's own rate unless told otherwise.
class RealisticModel : public ::testing::Test {
  protected:
    RealisticEvents Step(RealisticState& s, const RealisticSticks& k = {}, const RealisticEnvironment& e = {},
                         double seconds = RealisticStepSeconds) {
        return StepRealistic(s, p, d, k, e, seconds);
    }
    const RealisticParams p = Sport();
    const RealisticDerived d = DeriveRealistic(p);
};
} // namespace

// Momentum theory's closed forms: hover v_h, climb -V/2 + sqrt(V^2/4 + v_h^2), windmill brake
// -V/2 - sqrt(V^2/4 - v_h^2), edgewise v^2 = (-V^2 + sqrt(V^4 + 4 v_h^4)) / 2.
TEST(RealisticRotor, MomentumBranchesVortexRingHoverAndGroundEffect) {
    const double vh2 = HoverInduced * HoverInduced;
    struct Case {
        double climb, inPlane, expected, tolerance;
    } cases[] = {
        {0.0, 0.0, HoverInduced, 1e-6},
        {3.0, 0.0, -1.5 + std::sqrt(2.25 + vh2), 1e-6},
        {-10.0, 0.0, 5.0 - std::sqrt(25.0 - vh2), 1e-6},
        {-7.0, 0.0, 3.5 - std::sqrt(12.25 - vh2), 1e-6},
        // Edgewise at 10 m/s the fading bridge leaves 0.05 % of the flow.
        {0.0, 10.0, std::sqrt((-100.0 + std::sqrt(1e4 + 4.0 * vh2 * vh2)) / 2.0), 5e-4},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(MomentumInducedVelocity(Weight, Area, c.climb, c.inPlane, 1.0), c.expected, c.tolerance)
            << c.climb << " " << c.inPlane;
        // Negative thrust: the same flow mirrored.
        EXPECT_NEAR(MomentumInducedVelocity(-Weight, Area, -c.climb, c.inPlane, -1.0), -c.expected,
                    c.tolerance);
    }
    EXPECT_EQ(MomentumInducedVelocity(0.0, Area, -3.0, 2.0, 1.0), 0.0);

    // Through the vortex ring state (descent between 0 and 2 v_h) the induced velocity has no momentum
    // solution; the bridge must stay finite, continuous, single-valued and above the hover value there.
    double last = MomentumInducedVelocity(Weight, Area, -4.0 * HoverInduced, 0.0, 0.5);
    double peak = 0.0;
    for (int i = 1; i <= 500; ++i) {
        double climb = (-4.0 + 5.0 * i / 500.0) * HoverInduced;
        for (double inPlane : {0.0, 1.0, 2.0, 4.0, 8.0}) {
            double fromBelow = MomentumInducedVelocity(Weight, Area, climb, inPlane, 0.1);
            double fromAbove = MomentumInducedVelocity(Weight, Area, climb, inPlane, 6.0);
            // One solution only; at the windmill brake's edge (V_c = -2 v_h) momentum theory has a double
            // root and the residual is flat around it.
            ASSERT_NEAR(fromBelow, fromAbove, std::fabs(climb + 2.0 * HoverInduced) < 0.05 ? 0.1 : 1e-6)
                << climb;
        }
        double v = MomentumInducedVelocity(Weight, Area, climb, 0.0, last);
        ASSERT_TRUE(std::isfinite(v));
        // The windmill branch leaves V_c = -2 v_h with a vertical tangent (a square-root edge).
        bool edge = std::fabs(climb + 2.0 * HoverInduced) < 0.1 * HoverInduced;
        ASSERT_LT(std::fabs(v - last), (edge ? 0.3 : 0.05) * HoverInduced) << climb;
        if (climb > -2.0 * HoverInduced && climb < 0.0) peak = std::max(peak, v);
        last = v;
    }
    EXPECT_GT(peak, 1.3 * HoverInduced);
    EXPECT_LT(peak, 2.0 * HoverInduced);

    // Hover collective of untwisted blades with uniform inflow, theta0 = 6 C_T / (sigma a) + 1.5 sqrt(C_T /
    // 2) (C_T = 0.0015656, 4.11 degrees): blade element and momentum solved together give the weight back
    // with the hover induced velocity; the power is kappa T v_h + rho A sigma Cd0 / 8 (Omega R)^3 = 66.9 W.
    const RotorBlade& b = NotesBlade;
    double ct = Weight / (AirDensity * Area * std::pow(Omega * Radius, 2));
    double theta = 6.0 * ct / (b.solidity * b.liftSlope) + 1.5 * std::sqrt(ct / 2.0);
    EXPECT_NEAR(theta * 180.0 / PiD, 4.11, 0.01);
    RotorFlow f{Omega, theta, 0.0, 0.0, 0.0};
    RotorResult r = SolveRotor(b, f, 1.0, 50);
    EXPECT_NEAR(r.thrust, Weight, 0.002 * Weight);
    EXPECT_NEAR(r.induced, HoverInduced, 0.002 * HoverInduced);
    EXPECT_NEAR(r.torque * Omega, 66.92, 0.3);
    EXPECT_NEAR(BladeElementThrust(b, f, r.induced), r.thrust, 1e-9);
    // Symmetric blades: the pitch reversed gives the thrust and flow reversed and the same torque.
    RotorFlow inverted{Omega, -theta, 0.0, 0.0, 0.0};
    RotorResult ri = SolveRotor(b, inverted, -1.0, 50);
    EXPECT_NEAR(ri.thrust, -r.thrust, 1e-9);
    EXPECT_NEAR(ri.induced, -r.induced, 1e-9);
    EXPECT_NEAR(ri.torque, r.torque, 1e-9);
    // Climbing at 3 m/s with the same pitch: the inflow rises, thrust falls by sigma a rho A (Omega R)
    // dlambda / 4 to first order; the torque now also carries T V_c.
    RotorResult climb = SolveRotor(b, RotorFlow{Omega, theta, 3.0, 0.0, 0.0}, r.induced, 50);
    EXPECT_LT(climb.thrust, r.thrust);
    EXPECT_NEAR(climb.inflow, 3.0 + climb.induced, 1e-9);
    // Stalled: never more than the stall blade loading.
    RotorResult stalled = SolveRotor(b, RotorFlow{Omega, 0.6, 0.0, 20.0, 0.0}, 1.0, 50);
    EXPECT_NEAR(stalled.thrust, 0.16 * b.solidity * AirDensity * Area * std::pow(Omega * Radius, 2), 1e-6);

    // Ground effect after Cheeseman and Bennett: (R / 4z)^2, z held at R / 2 or more, faded by (V / v_h)^2.
    EXPECT_NEAR(GroundEffectShare(Radius, Radius, 0.0, HoverInduced), 0.0625, 1e-12);
    EXPECT_NEAR(GroundEffectShare(Radius, 0.01, 0.0, HoverInduced), 0.25, 1e-12);
    EXPECT_NEAR(GroundEffectShare(Radius, 3.0, 0.0, HoverInduced), std::pow(Radius / 12.0, 2), 1e-12);
    EXPECT_NEAR(GroundEffectShare(Radius, Radius, HoverInduced, HoverInduced), 0.03125, 1e-12);
    // In the rotor: less induced flow near the ground, so more thrust at the same pitch.
    RotorResult far = SolveRotor(b, RotorFlow{Omega, 0.07, 0.0, 0.0, 0.0}, 1.0, 50);
    RotorResult near = SolveRotor(b, RotorFlow{Omega, 0.07, 0.0, 0.0, 0.0625}, 1.0, 50);
    EXPECT_GT(near.thrust, far.thrust * 1.03);
}

// Motor Kv 3500 (Kt 0.0027284 N m/A), 0.04 ohm, 1.5 A no-load, 150/13 gearing, pack 12.6 V and 0.05 ohm,
// rotor at 2700 rpm: back EMF 8.9011 V; at duty 0.8 the current (0.8 x 12.6 - 8.9011) / (0.04 + 0.64 x 0.05)
// = 16.374 A, torque at the rotor 0.46824 N m, battery 13.099 A at 11.945 V. The one-way bearing: a motor
// slower than the rotor (low duty, throttle hold) gives no torque and no braking; the rotor runs down on its
// load alone, is driven up by the air in autorotation, and never turns backwards.
TEST(RealisticMotor, OperatingPointSagAndFreewheel) {
    const MotorSetup m{60.0 / (2.0 * PiD * 3500.0), 0.04, 1.5, 150.0 / 13.0, 0.05};
    MotorPoint p = MotorAt(m, 0.8, Omega, 12.6);
    EXPECT_TRUE(p.engaged);
    EXPECT_NEAR(p.motorCurrent, 16.374, 0.001);
    EXPECT_NEAR(p.torqueAtRotor, 0.46824, 0.0001);
    EXPECT_NEAR(p.batteryCurrent, 13.099, 0.001);
    EXPECT_NEAR(p.batteryVoltage, 11.945, 0.001);
    double duty = 0.0;
    MotorPoint back;
    EXPECT_TRUE(MotorForTorque(m, 0.46824, Omega, 12.6, duty, back));
    EXPECT_NEAR(duty, 0.8, 1e-4);
    // Asking more than full duty gives: false, duty held at 1.
    EXPECT_FALSE(MotorForTorque(m, 5.0, Omega, 12.6, duty, back));
    EXPECT_EQ(duty, 1.0);
    MotorPoint hold = MotorAt(m, 0.0, Omega, 12.6);
    EXPECT_EQ(hold.torqueAtRotor, 0.0);
    EXPECT_EQ(hold.batteryCurrent, 0.0);
    MotorPoint slow = MotorAt(m, 0.5, Omega, 12.6); // 6.3 V against 8.9 V of back EMF
    EXPECT_FALSE(slow.engaged);
    EXPECT_EQ(slow.torqueAtRotor, 0.0);
    EXPECT_LE(slow.motorCurrent, 1.5);
    EXPECT_NEAR(NextRotorSpeed(Omega, 0.0, 0.2, 0.0016, 0.001), Omega - 0.125, 1e-9);
    EXPECT_NEAR(NextRotorSpeed(Omega, 0.0, -0.05, 0.0016, 0.001), Omega + 0.03125, 1e-9);
    EXPECT_EQ(NextRotorSpeed(0.01, 0.0, 0.2, 0.0016, 0.001), 0.0);
}

// The reader names the file, the line and the key of the first fault and keeps the old values.
TEST(RealisticParamsFile, RefusesBadFilesAndReadsGoodOnes) {
    RealisticParams sport = Sport();
    std::string good = FormatRealisticParams(sport, "test");
    RealisticParams back{};
    std::string error;
    ASSERT_TRUE(ParseRealisticParams(good, "a.toml", back, error)) << error;
    for (int i = 0; i < RealisticParamCount; ++i)
        EXPECT_EQ(back.*RealisticParamTable[i].field, sport.*RealisticParamTable[i].field);

    // The line of mass_kg is the second (a title comment first).
    auto replaceLine = [&](const std::string& key, const std::string& with) {
        std::istringstream in(good);
        std::string line, out;
        while (std::getline(in, line))
            out += (line.rfind(key + " ", 0) == 0 ? with : line) + "\n";
        return out;
    };
    struct Case {
        std::string text, expect;
    } cases[] = {
        {replaceLine("mass_kg", "mass_kg = 0.78\nwing_span_m = 1.0"), "a.toml:3: wing_span_m: unknown key"},
        {replaceLine("mass_kg", "# no mass"), "mass_kg: missing key"},
        {replaceLine("mass_kg", "mass_kg = 9.5"), "a.toml:2: mass_kg: 9.5 is outside 0.2 .. 5.0"},
        {replaceLine("mass_kg", "mass_kg = \"heavy\""), "a.toml:2: mass_kg: not a number"},
        {replaceLine("mass_kg", "mass_kg = true"), "a.toml:2: mass_kg: not a number"},
        {replaceLine("mass_kg", "mass_kg = nan"), "a.toml:2: mass_kg: not a number"},
        {replaceLine("rotor_blades", "rotor_blades = 1"), "rotor_blades: 1.0 is outside 2.0 .. 6.0"},
        {replaceLine("mass_kg", "mass_kg = = 1"), "a.toml:2:"},
        {replaceLine("mass_kg", "[rotor]\nmass_kg = 0.78"), "a.toml:2: rotor: unknown key"},
    };
    for (const Case& c : cases) {
        RealisticParams kept = sport;
        error.clear();
        EXPECT_FALSE(ParseRealisticParams(c.text, "a.toml", kept, error));
        EXPECT_NE(error.find(c.expect), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_EQ(kept.massKg, sport.massKg);
    }
    for (const char* name : {"450 3D", "450 Trainer"}) {
        const std::string path = RV_SOURCE_DIR "/helicopters/" + std::string(name) + ".toml";
        RealisticParams p{};
        EXPECT_TRUE(ParseRealisticParams(ReadText(path), path, p, error)) << error;
    }
}

// Touchdowns are judged with the classic limits (3 m/s down, 4 m/s across, 15 degrees, upright); a landed
// helicopter's skids stop its slide within a second, a crashed one is due for its reset three seconds on.
TEST_F(RealisticModel, DerivedFiguresTouchdownLimitsSoftStartAndHold) {
    struct Case {
        Vec3d velocity;
        double rollDeg;
        bool crash;
    } cases[] = {
        {{0.0, 0.0, -1.0}, 0.0, false}, {{0.0, 0.0, -3.5}, 0.0, true},  {{4.5, 0.0, -0.5}, 0.0, true},
        {{2.0, 1.0, -0.5}, 0.0, false}, {{0.0, 0.0, -0.5}, 20.0, true}, {{0.0, 0.0, -0.5}, 180.0, true},
    };
    for (const Case& c : cases) {
        RealisticState s = RestingRealistic(p, d, Vec3d{5.0, 8.0, 0.0});
        s.flightState = FlightFlying;
        s.q[0] = std::cos(0.5 * c.rollDeg * PiD / 180.0);
        s.q[2] = std::sin(0.5 * c.rollDeg * PiD / 180.0);
        s.position.z = 0.3; // about 0.2 m of fall onto the skids or the rotor head
        s.velocity = c.velocity;
        RealisticEvents ev;
        for (int i = 0; i < 2000 && !ev.crashed && !ev.landed; ++i)
            ev = Step(s);
        EXPECT_EQ(ev.crashed, c.crash) << c.velocity.z << " " << c.rollDeg;
        EXPECT_EQ(ev.landed, !c.crash);
        EXPECT_EQ(s.flightState, c.crash ? FlightCrashed : FlightResting);
        for (int i = 0; i < 1000 && !c.crash; ++i)
            Step(s);
        EXPECT_TRUE(c.crash || std::hypot(s.velocity.x, s.velocity.y) < 0.05) << c.velocity.x;
    }
    RealisticState s = RestingRealistic(p, d, Vec3d{});
    s.flightState = FlightCrashed;
    int steps = 1;
    while (!Step(s).resetDue && steps < 10000)
        ++steps;
    EXPECT_NEAR(steps, 3000, 1);

    // Spool-up on the pad: the soft start takes the rotor to head speed in about the soft-start time, and
    // throttle hold lets it run down on the freewheel.
    RealisticState spool = RestingRealistic(p, d, Vec3d{0.0, 6.0, 0.0});
    RealisticSticks k;
    k.throttle = 1.0;
    double at90 = -1.0;
    for (int i = 0; i < 10000; ++i) {
        Step(spool, k);
        if (at90 < 0.0 && spool.rotorOmega > 0.9 * d.headspeed) at90 = i * RealisticStepSeconds;
    }
    EXPECT_GT(at90, 0.8 * p.softStartS);
    EXPECT_LT(at90, 1.0 * p.softStartS);
    EXPECT_NEAR(spool.rotorOmega, d.headspeed, 0.01 * d.headspeed);
    EXPECT_EQ(spool.flightState, FlightResting);
    k.hold = true;
    const double before = spool.rotorOmega;
    Step(spool, k);
    EXPECT_EQ(spool.duty, 0.0);
    EXPECT_EQ(spool.driveTorque, 0.0);
    EXPECT_LT(spool.rotorOmega, before);
    EXPECT_GT(spool.rotorOmega, before - 1.0);

    // Flap time constant 16 / (gamma Omega) with the Lock number rho a c R^4 / I_b = 5.71: 0.0099 s.
    EXPECT_NEAR(d.flapTimeConstant, 16.0 / (5.7105 * Omega), 2e-5);
    EXPECT_NEAR(d.gearRatio, 11.538, 0.001);
    EXPECT_NEAR(d.main.solidity, 0.0573854, 1e-6);
    EXPECT_NEAR(d.openVoltageFull, 12.6, 1e-12);
}

// A trimmed hover stays put under the step; wind moves the air, not the helicopter's frame: in a steady
// 5 m/s wind from ahead with the sticks held the helicopter drifts back. The fuselage drags in the air.
TEST_F(RealisticModel, TrimWindFuselageDragAndAnHourOfRandomSticks) {
    TrimResult t = TrimRealistic(p, d, TrimRequest{});
    ASSERT_TRUE(t.converged);
    RealisticSticks k;
    k.throttle = 1.0;
    k.collective = t.collectiveDeg / p.collectiveRangeDeg;
    RealisticState s = t.state;
    for (int i = 0; i < 1000; ++i)
        Step(s, k);
    EXPECT_NEAR(s.position.z, t.state.position.z, 0.01);
    EXPECT_NEAR(s.position.x, 0.0, 0.01);
    EXPECT_NEAR(s.rotorOmega, d.headspeed, 0.002 * d.headspeed);
    HeliState h = RealisticHeliState(s, d, Vec3{0.0f, 0.0f, 1.8f});
    EXPECT_NEAR(h.rotorRpm, 2700.0f, 5.0f);
    EXPECT_NEAR(h.position.z, s.position.z, 1e-5);
    EXPECT_NEAR(h.upAxis.z, std::cos(t.rollDeg * PiD / 180.0), 1e-4);
    RealisticState w = t.state;
    RealisticEnvironment wind;
    wind.airVelocity = Vec3d{0.0, -5.0, 0.0};
    // Blow-back: the disc tilts away from the wind at once, so the nose starts up before the controller
    // catches it.
    for (int i = 0; i < 1000; ++i) {
        Step(w, k, wind);
        EXPECT_TRUE(i != 29 || w.rates.x > 0.05) << w.rates.x;
    }
    EXPECT_LT(w.velocity.y, -0.5);

    // The fuselage's flat-plate drag with the rotor stopped (no thrust): a fall ends at
    // sqrt(2 m g / (rho f_top)) = 20.4 m/s; at 10 m/s nose-on the drag is rho / 2 x 0.006 x 100 = 0.3675 N,
    // 0.471 m/s^2 on 0.78 kg.
    RealisticState fall = RestingRealistic(p, d, Vec3d{0.0, 6.0, 2000.0});
    fall.flightState = FlightFlying;
    RealisticState noseOn = fall;
    for (int i = 0; i < 15000; ++i)
        Step(fall, {}, {}, 0.001);
    EXPECT_NEAR(fall.velocity.z, -std::sqrt(2.0 * 0.78 * 9.81 / (1.225 * 0.03)), 0.2);
    noseOn.velocity = Vec3d{0.0, 10.0, 0.0};
    Step(noseOn, {}, {}, 0.001);
    EXPECT_NEAR((10.0 - noseOn.velocity.y) / 0.001, 0.471, 0.002);

    // An hour of random sticks at 1000 Hz: every state finite, no point deeper than 1 cm in the ground. A
    // helicopter flown far away is brought back, a flat battery renewed.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> stick(-1.0, 1.0);
    RealisticState soak = TrimRealistic(p, d, TrimRequest{}).state;
    RealisticSticks random;
    random.throttle = 1.0;
    double deepest = 0.0;
    int crashes = 0;
    const double points[6][3] = {{0.07, 0.1, -0.11},   {-0.07, 0.1, -0.11}, {0.07, -0.1, -0.11},
                                 {-0.07, -0.1, -0.11}, {0.0, 0.0, 0.19},    {0.0, -0.495, 0.03}};
    for (long i = 0; i < 3600L * 1000L; ++i) {
        if (i % 200 == 0) {
            for (double* axis : {&random.roll, &random.pitch, &random.yaw, &random.collective})
                *axis = stick(rng);
            random.hold = stick(rng) > 0.9;
            random.idleUp = stick(rng) > 0.0;
            random.rescue = stick(rng) > 0.95;
        }
        RealisticEvents ev = Step(soak, random);
        ASSERT_FALSE(ev.nonFinite) << i;
        ASSERT_TRUE(std::isfinite(soak.position.z) && std::isfinite(soak.rotorOmega) &&
                    std::isfinite(soak.rates.x));
        HeliState h = RealisticHeliState(soak, d, Vec3{0.0f, 0.0f, 1.8f});
        ASSERT_TRUE(IsFiniteState(h));
        Vec3 right = cross(h.noseAxis, h.upAxis);
        for (const auto& pt : points)
            deepest = std::min(deepest,
                               soak.position.z + right.z * pt[0] + h.noseAxis.z * pt[1] + h.upAxis.z * pt[2]);
        crashes += ev.resetDue;
        if (ev.resetDue || std::fabs(soak.position.x) > 500.0 || std::fabs(soak.position.y) > 500.0 ||
            soak.position.z > 300.0 || soak.charge < 0.2)
            soak = TrimRealistic(p, d, TrimRequest{}).state;
    }
    EXPECT_GE(deepest, -0.01);
    EXPECT_GT(crashes, 0);
}
