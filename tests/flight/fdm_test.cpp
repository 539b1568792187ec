// rotorvane-fdm from outside: the figures the realistic "450 Sport" must reproduce, the exit status and
// message of every kind of bad input, and the classic model run by the runner equal to the program's step.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "input/control_input.h"
#include "pinned_flights.h"
#include "tests/assets/file_bytes.h"

namespace {
const std::string Fdm = std::string(RV_PROGRAM_DIR) + "/rotorvane-fdm";
const std::string Scratch = std::string(RV_BINARY_DIR) + "/fdm_test";

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Runs the runner with the arguments (already quoted for the shell).
Result RunFdm(const std::string& args) {
    std::string errPath = Scratch + "/stderr.txt";
    std::string command = "'" + Fdm + "' " + args + " 2>'" + errPath + "'";
    FILE* pipe = popen(command.c_str(), "r");
    Result r{-1, "", ""};
    if (!pipe) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        r.out.append(buf, n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = ReadText(errPath);
    return r;
}

std::map<std::string, double> KeyValues(const std::string& text) {
    std::map<std::string, double> m;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        size_t eq = line.find(" = ");
        if (eq != std::string::npos) m[line.substr(0, eq)] = std::atof(line.c_str() + eq + 3);
    }
    return m;
}

std::map<std::string, double> Trim(const std::string& args) {
    Result r = RunFdm("trim --model '450 Sport' " + args);
    EXPECT_EQ(r.status, 0) << r.err;
    auto m = KeyValues(r.out);
    EXPECT_EQ(m["converged"], 1.0) << args;
    return m;
}

using Table = std::vector<std::map<std::string, double>>;

// Writes the script rows, flies it and reads the output back.
Table Fly(const std::string& model, const std::string& rows, const std::string& start, const char* every) {
    std::string script = Scratch + "/script.csv", out = Scratch + "/out.csv";
    WriteText(script, "t,roll,pitch,yaw,collective,throttle,hold,idleup\n" + rows);
    Result r = RunFdm("run --model '" + model + "' --script '" + script + "' --out '" + out + "' --start " +
                      start + " --every " + every);
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream in(ReadText(out));
    std::string line;
    std::getline(in, line);
    std::vector<std::string> names;
    std::stringstream header(line);
    for (std::string name; std::getline(header, name, ',');)
        names.push_back(name);
    Table table;
    while (std::getline(in, line)) {
        std::stringstream fields(line);
        std::map<std::string, double> row;
        size_t i = 0;
        for (std::string field; std::getline(fields, field, ',') && i < names.size(); ++i)
            row[names[i]] = std::strtod(field.c_str(), nullptr);
        table.push_back(row);
    }
    return table;
}

class FdmTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(Scratch); }
};
} // namespace

// Hover out of ground effect, inverted, in ground effect, in level flight and in vertical autorotation;
// then flown from a hover.
TEST_F(FdmTest, SteadyFiguresCollectivePunchAndStickSteps) {
    auto info = KeyValues(RunFdm("info --model '450 Sport'").out);
    EXPECT_EQ(info["physics_hz"], 1000.0);
    for (const char* key : {"headspeed_rpm", "collective_range_deg", "mass_kg", "rotor_radius_m"})
        EXPECT_GT(info[key], 0.0) << key;
    auto hover = Trim("");
    EXPECT_GE(hover["collective_deg"], 3.0);
    EXPECT_LE(hover["collective_deg"], 7.0);
    EXPECT_GE(hover["power_w"], 60.0);
    EXPECT_LE(hover["power_w"], 200.0);
    EXPECT_NEAR(hover["rpm"], 2700.0, 54.0);
    EXPECT_GE(std::fabs(hover["roll_deg"]), 1.0);
    EXPECT_LE(std::fabs(hover["roll_deg"]), 6.0);
    EXPECT_NEAR(hover["power_w"], 11.1 * hover["current_a"], 0.15 * hover["power_w"]);

    auto inverted = Trim("--inverted");
    EXPECT_NEAR(inverted["collective_deg"], -hover["collective_deg"], 0.5);

    EXPECT_LE(Trim("--height 0.05")["collective_deg"], 0.97 * hover["collective_deg"]);
    EXPECT_NEAR(Trim("--height 3")["collective_deg"], hover["collective_deg"],
                0.01 * hover["collective_deg"]);

    EXPECT_LE(Trim("--speed 8")["power_w"], 0.85 * hover["power_w"]);

    auto autorotation = Trim("--autorotation");
    EXPECT_GE(autorotation["descent_mps"], 4.0);
    EXPECT_LE(autorotation["descent_mps"], 9.0);
    EXPECT_NEAR(autorotation["rpm"], info["idleup_headspeed_rpm"], 1.0);
    EXPECT_EQ(autorotation["power_w"], 0.0);

    // Full collective for 2 s from a hover: climbing at 8 m/s or more at the end, the rotor never below 85 %.
    const double hoverStick = hover["collective_deg"] / 11.0;
    char punchRows[256];
    std::snprintf(punchRows, sizeof punchRows, "0,0,0,0,%.6f,1,0,0\n0.5,0,0,0,1,1,0,0\n2.5,0,0,0,1,1,0,0\n",
                  hoverStick);
    Table punch = Fly("450 Sport", punchRows, "hover:10", "0.001");
    ASSERT_GT(punch.size(), 2000u);
    double lowest = 1e9;
    for (auto& row : punch)
        lowest = std::min(lowest, row["rpm"]);
    EXPECT_GE(punch.back()["vz"], 8.0);
    EXPECT_GE(lowest, 0.85 * 2700.0);
    EXPECT_LT(lowest, 0.995 * 2700.0); // the load does reach the head
    EXPECT_EQ(punch.back()["flight_state"], 0.0);

    // Full stick for 1 s from a hover on each axis: the rate within 15 % of the maximum, 63 % of it within
    // 30-150 ms, back under 5 % within 0.3 s of centring the stick.
    struct Axis {
        const char* stick;
        const char* column;
        double sign;
        double max;
    } axes[] = {{"1,0,0", "p_dps", 1.0, info["max_roll_rate_dps"]},
                {"0,1,0", "q_dps", -1.0, info["max_pitch_rate_dps"]},
                {"0,0,1", "r_dps", 1.0, info["max_yaw_rate_dps"]}};
    for (const Axis& a : axes) {
        char rows[256];
        std::snprintf(rows, sizeof rows,
                      "0,0,0,0,%.6f,1,0,0\n0.5,%s,%.6f,1,0,0\n1.5,0,0,0,%.6f,1,0,0\n2,0,0,0,%.6f,1,0,0\n",
                      hoverStick, a.stick, hoverStick, hoverStick, hoverStick);
        Table t = Fly("450 Sport", rows, "hover:10", "0.001");
        ASSERT_EQ(t.size(), 2001u);
        double rate = 0.0;
        for (int i = 1300; i < 1500; ++i)
            rate += a.sign * t[i][a.column] / 200.0;
        EXPECT_NEAR(rate, a.max, 0.15 * a.max) << a.column;
        double t63 = -1.0;
        for (int i = 500; i < 1500 && t63 < 0.0; ++i)
            if (a.sign * t[i][a.column] >= 0.63 * a.max) t63 = t[i]["t"] - 0.5;
        EXPECT_GE(t63, 0.030) << a.column;
        EXPECT_LE(t63, 0.150) << a.column;
        for (int i = 1800; i <= 2000; ++i)
            ASSERT_LT(std::fabs(t[i][a.column]), 0.05 * a.max) << a.column << i;
    }
}

// Every bad argument, file or script line: exit status 2 and one line on stderr naming the fault.
TEST_F(FdmTest, BadInputExitsWithTwo) {
    std::string bad = Scratch + "/bad.toml";
    WriteText(bad, "mass_kg = 0.78\nrotor_span = 1\n");
    std::string script = Scratch + "/bad.csv";
    std::string out = Scratch + "/bad_out.csv";
    auto runScript = [&](const std::string& text) {
        WriteText(script, text);
        return RunFdm("run --model '450 Sport' --script '" + script + "' --out '" + out + "'");
    };
    const std::string header = "t,roll,pitch,yaw,collective,throttle,hold,idleup\n";
    struct Case {
        Result r;
        std::string expect;
    } cases[] = {
        {RunFdm(""), "usage"},
        {RunFdm("fly --model classic"), "unknown command"},
        {RunFdm("info"), "--model is missing"},
        {RunFdm("info --model 'No Such Heli'"), "no helicopter named"},
        {RunFdm("info --model '" + bad + "'"), "bad.toml:2: rotor_span: unknown key"},
        {RunFdm("info --model '" + Scratch + "/none.toml'"), "cannot read"},
        {RunFdm("trim --model '450 Sport' --height x"), "--height: not a number"},
        {RunFdm("trim --model '450 Sport' --speed 8 --inverted"), "choose one"},
        {RunFdm("trim --model '450 Sport' --wobble"), "unknown option"},
        {RunFdm("trim --model classic"), "realistic"},
        {RunFdm("run --model '450 Sport' --script a.csv"), "--script and --out"},
        {runScript("t,roll\n0,0\n"), "bad.csv:1: the header"},
        {runScript(header + "0,0,0,0,0,0,0,0\n1,0,2,0,0,0,0,0\n"), "bad.csv:3: sticks"},
        {runScript(header + "0,0,0,0,0,0,0,0\n0,0,0,0,0,0,0,0\n"), "bad.csv:3: t must increase"},
        {runScript(header + "0,0,0,0,0,0,0,x\n"), "bad.csv:2: not a number"},
        {runScript(header + "0,0,0,0,0,0,0\n"), "bad.csv:2: expected 8 values"},
        {runScript(header + "0,0,0,0,0,1.5,0,0\n"), "bad.csv:2: throttle"},
        {runScript(header + "0,0,0,0,0,1,2,0\n"), "bad.csv:2: switches"},
        {runScript(header + "1,0,0,0,0,1,0,0\n"), "bad.csv:2: the first row"},
        {runScript(header), "no rows"},
        {RunFdm("run --model classic --script '" + script + "' --out '" + out + "' --start top"), "--start"},
        {RunFdm("run --model classic --script '" + script + "' --out '" + out + "' --every 0"), "--every"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.r.status, 2) << c.expect;
        EXPECT_NE(c.r.err.find(c.expect), std::string::npos) << c.r.err;
        EXPECT_EQ(std::count(c.r.err.begin(), c.r.err.end(), '\n'), 1) << c.r.err;
        EXPECT_TRUE(c.r.out.empty()) << c.expect;
    }
}

// The classic model through the runner: the same states, step for step, as the program's own step with the
// same sticks (the transmitter's output after mixing) and the air still.
TEST_F(FdmTest, ClassicEqualsTheProgramsStep) {
    const char* rows = "0,0,0,0,0,0.9,0,0\n"
                       "3,0,0,0,0.45,0.9,0,0\n"
                       "5,0.3,-0.2,0.4,0.4,0.9,0,1\n"
                       "6.5,-0.4,0.3,-0.5,0.38,0.9,0,0\n"
                       "8,0,0,0,0.3,0.9,0,0\n"
                       "10,0,0,0,0.3,0.9,0,0\n";
    Table t = Fly("classic", rows, "pad", "0.05");
    ASSERT_EQ(t.size(), 201u);
    struct Step {
        double t;
        PilotSticks sticks;
        bool idleUp;
    };
    std::vector<Step> steps = {{0, {0, 0, 0, 0.9f, 0}, false},
                               {3, {0, 0, 0, 0.9f, 0.45f}, false},
                               {5, {0.3f, -0.2f, 0.4f, 0.9f, 0.4f}, true},
                               {6.5, {-0.4f, 0.3f, -0.5f, 0.9f, 0.38f}, false},
                               {8, {0, 0, 0, 0.9f, 0.3f}, false}};
    FreshSimulation();
    size_t k = 0;
    double highest = 0.0;
    for (int i = 0; i <= 200; ++i) {
        const auto& row = t[i];
        ASSERT_EQ(static_cast<float>(row.at("x")), Heli.position.x) << i;
        ASSERT_EQ(static_cast<float>(row.at("y")), Heli.position.y) << i;
        ASSERT_EQ(static_cast<float>(row.at("z")), Heli.position.z) << i;
        ASSERT_EQ(static_cast<float>(row.at("vz")), Heli.velocity.z) << i;
        ASSERT_NEAR(row.at("rpm"), Heli.rotorRpm, 0.001) << i;
        ASSERT_EQ(row.at("flight_state"), FlightState) << i;
        highest = std::max(highest, static_cast<double>(Heli.position.z));
        double now = i * 0.05;
        while (k + 1 < steps.size() && steps[k + 1].t <= now + 1e-9)
            ++k;
        Sticks = steps[k].sticks;
        ScriptedIdleUp = steps[k].idleUp;
        RunTicks(1, 0.05f);
        if (FlightState == FlightCrashed) FlightState = FlightCrashShown;
    }
    EXPECT_GT(highest, 1.0); // it flew
}
