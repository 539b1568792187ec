// rotorvane-fdm: runs a flight model without a window. `info` prints a helicopter's figures, `trim` finds a
// steady state, `run` flies a script of sticks and writes the states as CSV. Exit 0, or 2 with one line on
// stderr for a bad argument, file or script line.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/model_setup.h"
#include "flight/heli_state.h"
#include "flight/realistic_model.h"
#include "flight/wind.h"
#include "input/control_input.h"

// The stock mesh's lowest point at its usual scale: the classic step stands the skids on the ground there.
float MeshLowestPoint = -0.11f;

namespace {
constexpr double ClassicStep = 0.05;

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) {
    throw Failure{message};
}

std::string ProgramFolder() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string s = path;
    size_t slash = s.rfind('/');
    return slash == std::string::npos ? "." : s.substr(0, slash);
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

struct FdmModel {
    bool classic = false;
    std::string name;
    RealisticParams params{};
    RealisticDerived derived{};
};

// classic, a shipped helicopter's name, or a path to a .toml file.
FdmModel LoadModel(const std::string& m) {
    FdmModel model;
    model.name = m;
    if (m == "classic") {
        model.classic = true;
        return model;
    }
    std::string path = m;
    bool isPath = m.size() > 5 && m.compare(m.size() - 5, 5, ".toml") == 0;
    if (!isPath) path = ProgramFolder() + "/helicopters/" + m + ".toml";
    std::string text;
    if (!ReadFile(path, text)) Fail(isPath ? "cannot read " + path : "no helicopter named \"" + m + "\"");
    std::string error;
    if (!ParseRealisticParams(text, path, model.params, error)) Fail(error);
    model.derived = DeriveRealistic(model.params);
    return model;
}

double Number(const std::string& option, const std::string& text) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(v)) Fail(option + ": not a number: " + text);
    return v;
}

struct Options {
    std::string command;
    std::string model;
    double height = 10.0;
    double speed = 0.0;
    bool inverted = false;
    bool autorotation = false;
    std::string script;
    std::string out;
    bool hoverStart = false;
    double startHeight = 0.0;
    double every = 0.01;
};

Options ParseOptions(int argc, char** argv) {
    if (argc < 2) Fail("usage: rotorvane-fdm info|trim|run --model M ...");
    Options o;
    o.command = argv[1];
    if (o.command != "info" && o.command != "trim" && o.command != "run")
        Fail("unknown command: " + o.command);
    bool haveHeight = false, haveSpeed = false;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail(a + " needs a value");
            return argv[++i];
        };
        bool trim = o.command == "trim", run = o.command == "run";
        if (a == "--model") {
            o.model = value();
        } else if (trim && a == "--height") {
            o.height = Number(a, value());
            haveHeight = true;
            if (o.height < 0.0 || o.height > 1000.0) Fail("--height: outside 0 .. 1000 m");
        } else if (trim && a == "--speed") {
            o.speed = Number(a, value());
            haveSpeed = true;
            if (o.speed < 0.0 || o.speed > 40.0) Fail("--speed: outside 0 .. 40 m/s");
        } else if (trim && a == "--inverted") {
            o.inverted = true;
        } else if (trim && a == "--autorotation") {
            o.autorotation = true;
        } else if (run && a == "--script") {
            o.script = value();
        } else if (run && a == "--out") {
            o.out = value();
        } else if (run && a == "--start") {
            std::string s = value();
            if (s == "pad") {
                o.hoverStart = false;
            } else if (s.rfind("hover:", 0) == 0) {
                o.hoverStart = true;
                o.startHeight = Number(a, s.substr(6));
                if (o.startHeight < 0.0 || o.startHeight > 1000.0)
                    Fail("--start: height outside 0 .. 1000 m");
            } else {
                Fail("--start: expected pad or hover:H, got " + s);
            }
        } else if (run && a == "--every") {
            o.every = Number(a, value());
            if (o.every < 0.001 || o.every > 3600.0) Fail("--every: outside 0.001 .. 3600 s");
        } else {
            Fail("unknown option for " + o.command + ": " + a);
        }
    }
    if (o.model.empty()) Fail("--model is missing");
    if (o.command == "run" && (o.script.empty() || o.out.empty())) Fail("run needs --script and --out");
    int kinds = (haveSpeed ? 1 : 0) + (o.inverted ? 1 : 0) + (o.autorotation ? 1 : 0);
    if (kinds > 1) Fail("choose one of --speed, --inverted, --autorotation");
    if (o.autorotation && haveHeight) Fail("--autorotation takes no --height");
    return o;
}

void Info(const FdmModel& m) {
    if (m.classic) {
        ModelSetup setup;
        SetModelSetupDefaults(setup);
        std::printf("model = classic\nphysics_hz = 20\nmass_kg = %g\nrotor_radius_m = %g\n"
                    "collective_range_deg = %g\n",
                    setup.massKg, setup.rotorDiameter / 2.0, setup.maxCollective);
        return;
    }
    const RealisticParams& p = m.params;
    std::printf("model = %s\nphysics_hz = %.0f\n", m.name.c_str(), 1.0 / RealisticStepSeconds);
    for (int i = 0; i < RealisticParamCount; ++i)
        std::printf("%s = %.10g\n", RealisticParamTable[i].key, p.*RealisticParamTable[i].field);
    std::printf("flap_time_constant_s = %.5f\n", m.derived.flapTimeConstant);
    std::printf("solidity = %.5f\n", m.derived.main.solidity);
}

void Trim(const FdmModel& m, const Options& o) {
    if (m.classic) Fail("trim needs a realistic helicopter, not classic");
    TrimRequest r;
    r.height = o.height;
    r.speed = o.speed;
    r.kind = o.autorotation ? TrimKind::Autorotation
             : o.inverted   ? TrimKind::InvertedHover
             : o.speed > 0  ? TrimKind::Level
                            : TrimKind::Hover;
    TrimResult t = TrimRealistic(m.params, m.derived, r);
    std::printf(
        "collective_deg = %.4f\ntail_pitch_deg = %.4f\npitch_deg = %.4f\nroll_deg = %.4f\nrpm = %.2f\n"
        "power_w = %.3f\ncurrent_a = %.4f\ndescent_mps = %.4f\nconverged = %d\n",
        t.collectiveDeg, t.tailPitchDeg, t.pitchDeg, t.rollDeg, t.rpm, t.batteryPower, t.batteryCurrent,
        t.descent, t.converged ? 1 : 0);
}

struct Row {
    double t, roll, pitch, yaw, collective, throttle;
    bool hold, idleUp;
};

std::vector<Row> ReadScript(const std::string& path) {
    std::string text;
    if (!ReadFile(path, text)) Fail("cannot read " + path);
    std::istringstream in(text);
    std::string line;
    std::vector<Row> rows;
    int number = 0;
    auto bad = [&](const std::string& what) { Fail(path + ":" + std::to_string(number) + ": " + what); };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1) {
            if (line != "t,roll,pitch,yaw,collective,throttle,hold,idleup")
                bad("the header must be t,roll,pitch,yaw,collective,throttle,hold,idleup");
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::vector<double> v;
        std::stringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ',')) {
            char* end = nullptr;
            double x = std::strtod(field.c_str(), &end);
            while (end && (*end == ' ' || *end == '\t'))
                ++end;
            if (field.empty() || *end != 0 || !std::isfinite(x)) bad("not a number: \"" + field + "\"");
            v.push_back(x);
        }
        if (v.size() != 8 || line.back() == ',') bad("expected 8 values");
        Row r{v[0], v[1], v[2], v[3], v[4], v[5], v[6] != 0.0, v[7] != 0.0};
        if (rows.empty() && r.t != 0.0) bad("the first row must be at t = 0");
        if (!rows.empty() && !(r.t > rows.back().t)) bad("t must increase");
        if (r.t > 86400.0) bad("t beyond a day");
        for (int i = 1; i <= 4; ++i)
            if (v[i] < -1.0 || v[i] > 1.0) bad("sticks must lie in -1 .. 1");
        if (r.throttle < 0.0 || r.throttle > 1.0) bad("throttle must lie in 0 .. 1");
        if ((v[6] != 0.0 && v[6] != 1.0) || (v[7] != 0.0 && v[7] != 1.0)) bad("switches must be 0 or 1");
        rows.push_back(r);
    }
    if (rows.empty()) Fail(path + ": no rows");
    return rows;
}

struct Sample {
    double t;
    Vec3d position, velocity, euler, rates; // rates in degrees/s: roll, pitch, yaw
    double rpm, collectiveDeg, power, current;
    int32_t flightState;
};

void WriteSample(FILE* f, const Sample& s) {
    std::fprintf(f,
                 "%.4f,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.6f,%.6f,%.6f,%.5f,%.5f,%.5f,%.3f,%.5f,%.4f,%.4f,%d\n",
                 s.t, s.position.x, s.position.y, s.position.z, s.velocity.x, s.velocity.y, s.velocity.z,
                 s.euler.x, s.euler.y, s.euler.z, s.rates.x, s.rates.y, s.rates.z, s.rpm, s.collectiveDeg,
                 s.power, s.current, s.flightState);
}

// The row in force at time t (rows held until the next one).
const Row& RowAt(const std::vector<Row>& rows, size_t& index, double t) {
    while (index + 1 < rows.size() && rows[index + 1].t <= t + 1e-9)
        ++index;
    return rows[index];
}

void RunRealistic(const FdmModel& m, const Options& o, const std::vector<Row>& rows, FILE* out) {
    const RealisticParams& p = m.params;
    const RealisticDerived& d = m.derived;
    RealisticState s = RestingRealistic(p, d, Vec3d{0.0, 6.0, 0.0});
    if (o.hoverStart) {
        TrimRequest r;
        r.height = o.startHeight;
        s = TrimRealistic(p, d, r).state;
    }
    const double dt = RealisticStepSeconds;
    long steps = std::lround(rows.back().t / dt);
    long every = std::max(1L, std::lround(o.every / dt));
    RealisticEnvironment env;
    size_t index = 0;
    for (long i = 0;; ++i) {
        double t = static_cast<double>(i) * dt;
        if (i % every == 0 || i == steps) {
            Sample smp{t, s.position, s.velocity, RealisticEulerDeg(s), {}, 0, 0, 0, 0, s.flightState};
            const double toDeg = 180.0 / 3.14159265358979323846;
            smp.rates = Vec3d{s.rates.y * toDeg, s.rates.x * toDeg, -s.rates.z * toDeg};
            smp.rpm = s.rotorOmega * 60.0 / (2.0 * 3.14159265358979323846);
            smp.collectiveDeg = s.collective * toDeg;
            smp.power = s.batteryPower;
            smp.current = s.batteryCurrent;
            WriteSample(out, smp);
        }
        if (i == steps) break;
        const Row& r = RowAt(rows, index, t);
        RealisticSticks k;
        k.roll = r.roll;
        k.pitch = r.pitch;
        k.yaw = r.yaw;
        k.collective = r.collective;
        k.throttle = r.throttle;
        k.hold = r.hold;
        k.idleUp = r.idleUp;
        StepRealistic(s, p, d, k, env, dt);
        if (s.flightState == FlightCrashed) s.flightState = FlightCrashShown;
    }
}

// The classic model: the script's columns are the step's inputs after the transmitter's mixing.
Row ClassicRow;
float ClassicInput(ControlFunction f) {
    const double v[5] = {ClassicRow.roll, ClassicRow.pitch, ClassicRow.yaw, ClassicRow.throttle,
                         ClassicRow.collective};
    return static_cast<float>(v[f]);
}

Vec3d ToD(Vec3 v) {
    return Vec3d{v.x, v.y, v.z};
}

Vec3d EulerOf(const HeliState& h) {
    const double toDeg = 180.0 / 3.14159265358979323846;
    Vec3 right = cross(h.noseAxis, h.upAxis);
    return Vec3d{std::atan2(-right.z, h.upAxis.z) * toDeg,
                 std::asin(std::fmax(-1.0f, std::fmin(1.0f, h.noseAxis.z))) * toDeg,
                 std::atan2(h.noseAxis.x, h.noseAxis.y) * toDeg};
}

// Body rates (roll, pitch, yaw right; degrees/s) from two attitudes dt apart.
Vec3d RatesBetween(const HeliState& a, const HeliState& b, double dt) {
    Vec3 ra = cross(a.noseAxis, a.upAxis), rb = cross(b.noseAxis, b.upAxis);
    // Change of the axes expressed in the earlier body axes: w_x from the nose rising, w_y from the right
    // axis falling, w_z from the nose swinging left.
    double wx = dot(b.noseAxis, a.upAxis) - dot(b.upAxis, a.noseAxis);
    double wy = dot(b.upAxis, ra) - dot(rb, a.upAxis);
    double wz = dot(rb, a.noseAxis) - dot(b.noseAxis, ra);
    const double k = 0.5 / dt * 180.0 / 3.14159265358979323846;
    return Vec3d{wy * k, wx * k, -wz * k};
}

void RunClassic(const Options& o, const std::vector<Row>& rows, FILE* out) {
    SetModelSetupDefaults(Model);
    SetDefaultCurves(Model);
    Swash = SwashImperfections{};
    Wind = WindState{};
    Turbulence = TurbulenceState{};
    ScriptedControlInput = ClassicInput;
    ClassicRow = rows.front();
    ResetHelicopter();
    if (o.hoverStart) {
        Heli.position.z = RestHeight() + static_cast<float>(o.startHeight);
        Heli.rotorRpm = 2500.0f;
        FlightState = FlightFlying;
    }
    long steps = std::lround(rows.back().t / ClassicStep);
    long every = std::max(1L, std::lround(o.every / ClassicStep));
    size_t index = 0;
    HeliState previous = Heli;
    Vec3d rates;
    for (long i = 0;; ++i) {
        double t = static_cast<double>(i) * ClassicStep;
        if (i % every == 0 || i == steps) {
            Sample s{t,
                     ToD(Heli.position),
                     ToD(Heli.velocity),
                     EulerOf(Heli),
                     rates,
                     Heli.rotorRpm,
                     Model.maxCollective * ClassicRow.collective,
                     0.0,
                     0.0,
                     FlightState};
            WriteSample(out, s);
        }
        if (i == steps) break;
        ClassicRow = RowAt(rows, index, t);
        ScriptedIdleUp = ClassicRow.idleUp;
        ScriptedThrottleHold = ClassicRow.hold;
        previous = Heli;
        StepHelicopter(static_cast<float>(ClassicStep));
        StepWind(static_cast<float>(ClassicStep));
        StepTurbulence(static_cast<float>(ClassicStep));
        if (FlightState == FlightCrashed) FlightState = FlightCrashShown;
        rates = RatesBetween(previous, Heli, ClassicStep);
    }
}

void Run(const FdmModel& m, const Options& o) {
    std::vector<Row> rows = ReadScript(o.script);
    FILE* out = std::fopen(o.out.c_str(), "w");
    if (!out) Fail("cannot write " + o.out);
    std::fprintf(out,
                 "t,x,y,z,vx,vy,vz,roll_deg,pitch_deg,yaw_deg,p_dps,q_dps,r_dps,rpm,collective_deg,power_w,"
                 "current_a,flight_state\n");
    if (m.classic)
        RunClassic(o, rows, out);
    else
        RunRealistic(m, o, rows, out);
    if (std::fclose(out) != 0) Fail("cannot write " + o.out);
}
} // namespace

int main(int argc, char** argv) {
    try {
        Options o = ParseOptions(argc, argv);
        FdmModel m = LoadModel(o.model);
        if (o.command == "info")
            Info(m);
        else if (o.command == "trim")
            Trim(m, o);
        else
            Run(m, o);
    } catch (const Failure& f) {
        std::fprintf(stderr, "rotorvane-fdm: %s\n", f.message.c_str());
        return 2;
    }
    return 0;
}
