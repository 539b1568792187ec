// Tests of the controls core: calibration and mapping files, normalisation, switches, mixing, control
// inputs, the reset and pause switches, and the rules of the calibration and controller dialogs.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "input/channel_mapping.h"
#include "input/control_input.h"
#include "input/controller_switches.h"
#include "input/joystick_calibration.h"
#include "recorder/flight_recorder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("rv_input_") + name)).string();
}

void WriteBytes(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutI32(Bytes& b, size_t offset, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

// Loads the bytes as a file over the record, then saves it again: the record must hold the bytes as laid
// out (a short file only those it has) and the saved file must be the same bytes.
template <class Record>
void ExpectLayout(const Bytes& b, Record& record, bool (*load)(Record&, const std::string&),
                  bool (*save)(const Record&, const std::string&) = nullptr) {
    const std::string path = TempPath("layout.dat");
    WriteBytes(path, b);
    ASSERT_TRUE(load(record, path));
    EXPECT_EQ(std::memcmp(&record, b.data(), b.size()), 0);
    if (save) {
        ASSERT_TRUE(save(record, path));
        EXPECT_EQ(ReadBytes(path), b);
    }
    std::remove(path.c_str());
}

class Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        SetJoystickCalibrationDefaults(Calibration);
        SetChannelMappingDefaults(Mapping);
        SetModelSetupDefaults(Model);
        SetDefaultCurves(Model);
        Recorder.playing.store(false);
        FlightState = FlightFlying;
        ScriptedControlInput = nullptr;
        lastResetSwitchState = false;
        lastPauseSwitchState = false;
        SimPaused = false;
        SlowMotionPlayback = false;
        JoystickHats = 0;
    }
    // A raw value that normalises to v with the program-start calibration (centre 20000, span 20000).
    static int32_t RawFor(float v) { return static_cast<int32_t>(std::lround(20000.0f + v * 20000.0f)); }
};

TEST_F(Controls, NormalizeAxis) {
    const struct {
        int axis, slot;
        int32_t raw, centre, min, max;
        float expected;
    } cases[] = {
        {3, 3, 40000, 20000, 0, 40000, 1.0f},        {3, 3, 20000, 20000, 0, 40000, 0.0f},
        {3, 3, 0, 20000, 0, 40000, -1.0f},           {3, 3, 60000, 20000, 0, 40000, 2.0f},
        {1, 1, 25000, 20000, 0, 20000, 1.0f},        {1, 1, 100, 20000, 20000, 40000, 1.0f},
        {1, 1, 100, 20000, 30000, 40000, 1.0f},      {-7, 0, 30000, 20000, 0, 40000, 0.5f},
        {99, 5, 10000, 20000, 0, 40000, -0.5f},      {2, 2, INT_MAX, INT_MIN, 0, INT_MAX, 1.0f},
        {2, 2, INT_MIN, INT_MAX, INT_MIN, 0, -1.0f},
    };
    for (const auto& c : cases) {
        Calibration.raw[c.slot] = c.raw;
        Calibration.centreRaw[c.slot] = c.centre;
        Calibration.minRaw[c.slot] = c.min;
        Calibration.maxRaw[c.slot] = c.max;
        EXPECT_FLOAT_EQ(NormalizeAxis(c.axis), c.expected) << "axis " << c.axis << " raw " << c.raw;
    }
}

TEST_F(Controls, CalibrationFileLayout) {
    // max[6] at 0, centre[6] at 24, buttons at 48, min[6] at 52, raw[6] at 76, device id at 100.
    Bytes b(104, 0);
    for (int i = 0; i < 6; ++i) {
        PutI32(b, 4 * i, 60000 + i);
        PutI32(b, 24 + 4 * i, 30000 + i);
        PutI32(b, 52 + 4 * i, 1000 + i);
        PutI32(b, 76 + 4 * i, 7 + i);
    }
    PutI32(b, 48, 0x55);
    PutI32(b, 100, 3);
    ExpectLayout(b, Calibration, LoadJoystickCalibration, SaveJoystickCalibration);
    b.resize(100); // exactly 100 bytes: device 0 is selected
    ExpectLayout(b, Calibration, LoadJoystickCalibration);
    EXPECT_EQ(Calibration.joystickId, 0);
    SetJoystickCalibrationDefaults(Calibration);
    ExpectLayout({0x10, 0x27, 0, 0, 0x20}, Calibration, LoadJoystickCalibration);
    EXPECT_EQ(Calibration.maxRaw[2], 40000);
    Calibration.joystickId = 5;
    EXPECT_FALSE(LoadJoystickCalibration(Calibration, TempPath("no_such_file.dat")));
    EXPECT_EQ(Calibration.joystickId, 5);
}

TEST_F(Controls, MappingDefaultsAndFileLayout) {
    // Defaults: axes 1, 0, 3, 2, 4; simulator curves and both keyboard switches on.
    Bytes b(56, 0);
    const int32_t axes[5] = {1, 0, 3, 2, 4};
    for (int f = 0; f < 5; ++f)
        PutI32(b, 4 * f, axes[f]);
    b[48] = b[49] = b[50] = 1;
    EXPECT_EQ(std::memcmp(&Mapping, b.data(), 56), 0);
    for (int f = 0; f < 5; ++f)
        PutI32(b, 4 * f, 5 - f);
    b[20] = b[24] = 1; // reverse Roll and Collective
    b[26] = 0xAA;      // padding is kept as it stands
    for (int at : {28, 32, 36, 40})
        PutI32(b, at, 0x10000 + at);
    for (int i = 44; i <= 54; ++i)
        b[i] = static_cast<uint8_t>(i & 1);
    ExpectLayout(b, Mapping, LoadChannelMapping, SaveChannelMapping);
    SetChannelMappingDefaults(Mapping);
    ExpectLayout({4, 0, 0, 0, 2}, Mapping, LoadChannelMapping);
    EXPECT_EQ(Mapping.axis[Yaw], 3);
    EXPECT_FALSE(LoadChannelMapping(Mapping, TempPath("no_such_map.dat")));
}

TEST_F(Controls, SwitchSources) {
    Calibration.raw[1] = 30000;
    Calibration.raw[2] = 30001;
    Calibration.raw[5] = 65535;
    Calibration.buttons = static_cast<int32_t>(0x80000101u); // buttons 0, 8 and 31
    JoystickHats = 1 << 5;                                   // hat 1 right
    const struct {
        int32_t source;
        bool on;
        const char* text;
    } cases[] = {
        {1, false, "Axis 1"},         {2, true, "Axis 2"},
        {6, false, "none"},           {0x10000, true, "Button 0"},
        {0x10001, false, "Button 1"}, {0x10008, true, "Button 8"},
        {0x1001F, true, "Button 31"}, {0x20005, true, "Hat 1 Right"},
        {0x20004, false, "Hat 1 Up"}, {0x20003, false, "Hat Left"},
        {0x20010, false, "none"},     {0x30005, false, "Button 5"},
        {0x30008, true, "Button 8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSwitchOn(c.source), c.on) << std::hex << c.source;
        EXPECT_EQ(SwitchSourceText(c.source), c.text) << std::hex << c.source;
    }
    // The chooser offers the axes, buttons 0..8, then hat 0's four directions.
    EXPECT_EQ(SwitchChooserSources[14], 0x10008);
    EXPECT_EQ(SwitchChooserSources[15], 0x20000);
    EXPECT_STREQ(SwitchChooserLabel(6), "Button 0");
}

// Points 0, 70, 80, 90, 100 (the normal throttle curve): a straight line through each pair of points,
// 0.5 of stick apart. Result = 2 v / 100 - 1.
TEST(Mixing, CurveSegments) {
    const int32_t points[5] = {0, 70, 80, 90, 100};
    const struct {
        float x, expected;
    } cases[] = {{-1.0f, -1.0f}, {-0.75f, -0.3f}, {-0.5f, 0.4f}, {-0.25f, 0.5f}, {0.0f, 0.6f},
                 {0.25f, 0.7f},  {0.5f, 0.8f},    {0.75f, 0.9f}, {1.0f, 1.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(ApplyCurve(c.x, points), c.expected, 1e-6f) << c.x;
}

// y = (e^(k|x|) - 1) / (e^k - 1) with the sign of x; k by percent / 5: 0, 0.2, 0.4, 0.6, 0.8, 1.0, 1.21,
// 1.5, 1.7 (40 % and more). Values for x = 0.5 worked out by hand from that formula.
TEST(Mixing, ExpoSteps) {
    const struct {
        int32_t percent;
        float expected;
    } cases[] = {{-40, 0.5f},       {0, 0.5f},         {4, 0.5f},         {5, 0.47502081f},
                 {10, 0.45016600f}, {15, 0.42555748f}, {20, 0.40131234f}, {25, 0.37754067f},
                 {30, 0.35320061f}, {35, 0.32082130f}, {40, 0.29943286f}, {1000, 0.29943286f}};
    for (const auto& c : cases) {
        EXPECT_NEAR(ApplyExpo(0.5f, c.percent), c.expected, 2e-6f) << c.percent;
        EXPECT_NEAR(ApplyExpo(-0.5f, c.percent), -c.expected, 2e-6f) << c.percent;
    }
    EXPECT_NEAR(ApplyExpo(1.0f, 35), 1.0f, 1e-6f);
    EXPECT_EQ(ApplyExpo(0.0f, 35), 0.0f);
}

// Throttle, collective and the instruments' collective stick with the default curves: normal throttle
// 0, 70, 80, 90, 100 and pitch 40, 45, 50, 75, 100; idle-up throttle 100, 90, 85, 90, 100 and pitch
// 0, 25, 50, 75, 100. The collective follows the throttle stick when the simulator curves are on.
TEST_F(Controls, ThrottleAndCollective) {
    const struct {
        const char* name;
        bool curves, idleUp, hold, reversed;
        float throttleStick, collectiveStick;
        float throttle, collective, stick;
    } cases[] = {
        {"curves", true, false, false, false, -0.75f, 0.9f, 0.35f, -0.15f, -0.75f},
        {"cut below 0.18", true, false, false, false, -0.9f, 0.9f, 0.0f, -0.18f, -0.9f},
        {"hold", true, false, true, false, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f},
        {"idle-up", true, true, false, false, -1.0f, 0.0f, 1.0f, -1.0f, -1.0f},
        {"idle-up reversed", true, true, false, true, 1.0f, 0.0f, 1.0f, -1.0f, -1.0f},
        {"beyond the extent", true, false, false, false, 2.0f, 0.0f, 1.0f, 1.0f, 2.0f},
        {"own axes", false, true, true, false, -0.6f, 0.3f, -0.6f, 0.3f, 0.3f},
        {"own axes reversed", false, true, true, true, -0.6f, 0.3f, 0.6f, -0.3f, 0.3f},
    };
    for (const auto& c : cases) {
        SetChannelMappingDefaults(Mapping);
        Mapping.useSimCurves = c.curves;
        Mapping.keyIdleUpOn = c.idleUp;
        Mapping.keyThrottleHoldOn = c.hold;
        Mapping.reverse[Throttle] = Mapping.reverse[Collective] = c.reversed;
        Calibration.raw[2] = RawFor(c.throttleStick);
        Calibration.raw[4] = RawFor(c.collectiveStick);
        EXPECT_NEAR(GetControlInput(Throttle), c.throttle, 1e-6f) << c.name;
        EXPECT_NEAR(GetControlInput(Collective), c.collective, 1e-6f) << c.name;
        EXPECT_NEAR(LastControlInputs[Throttle], c.throttle, 1e-6f) << c.name;
        EXPECT_NEAR(GetCollectiveStick(), c.stick, 1e-6f) << c.name;
        EXPECT_EQ(IsIdleUpOn(), c.curves && c.idleUp) << c.name;
        EXPECT_EQ(IsThrottleHoldOn(), c.curves && c.hold) << c.name;
    }
    // The cyclic and the tail: each on its own axis, reversed on its own, clamped to +-1.
    Calibration.raw[1] = RawFor(0.5f);
    Calibration.raw[3] = 60000;
    Mapping.reverse[Roll] = 1;
    EXPECT_FLOAT_EQ(GetControlInput(Roll), -0.5f);
    EXPECT_FLOAT_EQ(GetControlInput(Yaw), 1.0f);
    EXPECT_EQ(GetControlInput(static_cast<ControlFunction>(7)), 0.0f);
}

// Idle-up on button 3 and hold on axis 5 with the keyboard off: the switch, reversed when asked; the
// keyboard states do not count.
TEST_F(Controls, SwitchedIdleUpAndHold) {
    Mapping.keyboardIdleUp = Mapping.keyboardThrottleHold = 0;
    Mapping.keyIdleUpOn = Mapping.keyThrottleHoldOn = 1;
    Mapping.idleUpSwitch = 0x10003;
    Mapping.throttleHoldSwitch = 5;
    for (bool reverse : {false, true}) {
        for (bool on : {false, true}) {
            Mapping.idleUpReverse = Mapping.throttleHoldReverse = reverse;
            Calibration.buttons = on ? 1 << 3 : 0;
            Calibration.raw[5] = on ? 40000 : 0;
            EXPECT_EQ(IsIdleUpOn(), on != reverse) << on << reverse;
            EXPECT_EQ(IsThrottleHoldOn(), on != reverse) << on << reverse;
        }
    }
}

// Playback wins over the scripted and live controls: the recorded inputs and flags are read.
TEST_F(Controls, PlaybackReadsTheRecordedFrame) {
    ScriptedControlInput = [](ControlFunction) { return 0.9f; };
    Recorder.playing.store(true);
    for (int f = Roll; f <= Collective; ++f)
        Recorder.frameControls[f].store(0.1f * float(f) - 0.2f);
    Recorder.frameFlags[0].store(0);
    Recorder.frameFlags[1].store(1);
    for (int f = Roll; f <= Collective; ++f)
        EXPECT_FLOAT_EQ(GetControlInput(static_cast<ControlFunction>(f)), 0.1f * float(f) - 0.2f) << f;
    EXPECT_FLOAT_EQ(GetCollectiveStick(), 0.2f);
    EXPECT_FALSE(IsIdleUpOn());
    EXPECT_TRUE(IsThrottleHoldOn());
    Recorder.playing.store(false);
}

// The 50 ms look at the reset and pause switches, one row per look: a reset on the edge into the on
// state (ending the crash, the pause and slow motion); the pause follows the switch's moves only.
TEST_F(Controls, ResetAndPauseSwitches) {
    Mapping.resetSwitch = 0x10002;
    Mapping.pauseSwitch = 1; // axis 1 as a switch
    const struct {
        bool enabled, reverse, on, reset;
    } resets[] = {{false, false, true, false}, {true, false, true, true}, {true, false, true, false},
                  {true, false, false, false}, {true, false, true, true}, {true, true, false, true},
                  {true, true, true, false}};
    for (const auto& c : resets) {
        Mapping.resetSwitchEnabled = c.enabled;
        Mapping.resetReverse = c.reverse;
        Calibration.buttons = c.on ? 1 << 2 : 0;
        FlightState = FlightCrashed;
        SimPaused = SlowMotionPlayback = true;
        PollControllerSwitches();
        EXPECT_EQ(FlightState == FlightFlying, c.reset) << c.enabled << c.reverse << c.on;
        EXPECT_EQ(SimPaused, !c.reset) << c.enabled << c.reverse << c.on;
        EXPECT_EQ(SlowMotionPlayback, !c.reset) << c.enabled << c.reverse << c.on;
    }
    FlightState = FlightFlying;
    const struct {
        bool enabled, reverse, on, pausedBefore, pausedAfter;
    } pauses[] = {{false, false, true, false, false}, {true, false, true, false, true},
                  {true, false, true, false, false},  {true, false, false, false, false},
                  {true, true, true, false, false},   {true, true, false, false, true},
                  {false, true, true, true, true},    {false, true, false, false, false}};
    for (const auto& c : pauses) {
        SetPauseSwitchEnabled(c.enabled);
        SetResetPauseReverse(false, c.reverse);
        Calibration.raw[1] = c.on ? 50000 : 1000;
        SimPaused = c.pausedBefore;
        PollControllerSwitches();
        EXPECT_EQ(SimPaused, c.pausedAfter) << c.enabled << c.reverse << c.on << c.pausedBefore;
    }
    EXPECT_EQ(FlightState, FlightFlying);
}

TEST_F(Controls, CalibrationPhases) {
    // Without a file: the whole SDL travel, so a centred stick reads 0 and the ends +-1.
    SetFullTravelCalibration(Calibration);
    const int32_t full[6] = {32768, 0, 65535, 0, 0, 0};
    StoreJoystickPoll(Calibration, true, full, 0);
    EXPECT_FLOAT_EQ(NormalizeAxis(0), 0.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(1), -1.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(2), 1.0f);

    CalibrationSession s;
    BeginCalibration(Calibration, s);
    EXPECT_STREQ(CalibrationPrompt(s), "Center Sticks");
    // Centre phase: the bars span the whole travel (cut toward zero); extents are not tracked.
    const int32_t offCentre[6] = {32768 - 39, 65535, 0, 32768 + 16384, 32768, 32768};
    StoreJoystickPoll(Calibration, true, offCentre, 0);
    CalibrationTick(Calibration, s);
    const int bars[4] = {-1, 999, -1000, 500};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.bars[i], bars[i]) << i;
    EXPECT_EQ(Calibration.maxRaw[1], 0); // cleared when the dialog opened
    // The first OK takes the centres.
    const int32_t centres[6] = {30000, 31000, 30000, 30000, 30000, 30000};
    StoreJoystickPoll(Calibration, true, centres, 0);
    EXPECT_FALSE(CalibrationOk(Calibration, s));
    EXPECT_EQ(Calibration.centreRaw[1], 31000);
    EXPECT_STREQ(CalibrationPrompt(s), "Move Sticks in circles");
    // Extent phase: X, Y, Z and R move; U moves 16383 (less than a quarter), V not at all.
    s.axisCount = 6;
    for (int32_t raw : {60000, 60500, 2000, 30000}) {
        int32_t r[6] = {raw, raw, raw, raw, raw == 60000 ? 30000 + 16383 : 30000, 30000};
        StoreJoystickPoll(Calibration, true, r, 0);
        CalibrationTick(Calibration, s);
    }
    EXPECT_EQ(Calibration.maxRaw[0], 60500);
    EXPECT_EQ(Calibration.minRaw[0], 2000);
    EXPECT_FALSE(CalibrationOk(Calibration, s));
    EXPECT_EQ(s.phase, CalibrationWarningPhase);
    EXPECT_EQ(CalibrationWarning(s),
              "Axis U and Axis V were moved less than a quarter of the travel. Go on keeps "
              "the old calibration of those axes; Redo lets you move the sticks again.");
    // Redo clears U and V only; U then moves exactly a quarter and passes, V is ignored on a device with
    // five axes.
    CalibrationRedo(Calibration, s);
    EXPECT_EQ(s.phase, CalibrationExtentPhase);
    EXPECT_EQ(Calibration.maxRaw[4], 0);
    EXPECT_EQ(Calibration.minRaw[4], 65535);
    EXPECT_EQ(Calibration.maxRaw[0], 60500);
    s.axisCount = 5;
    for (int32_t raw : {30000 + 16384, 30000}) {
        Calibration.raw[4] = raw;
        CalibrationTick(Calibration, s);
    }
    EXPECT_TRUE(CalibrationOk(Calibration, s));
}

TEST_F(Controls, MappingAndSelectControllerRules) {
    MappingEnables e = GetMappingEnables(Mapping);
    EXPECT_FALSE(e.idleUpSwitchControls || e.throttleHoldSwitchControls || e.collectiveControls);
    // Picker results: a channel is stored (clamped), a switch only when 0 or more.
    StoreChosenChannel(Mapping, Yaw, 12);
    EXPECT_EQ(Mapping.axis[Yaw], 5);
    StoreChosenSwitch(Mapping.idleUpSwitch, 0x10007);
    StoreChosenSwitch(Mapping.idleUpSwitch, -1);
    EXPECT_EQ(Mapping.idleUpSwitch, 0x10007);
    EXPECT_EQ(MappingBarValue(-0.9999f), -999);
    // Select Controller: the first 16 devices are examined and those with 4 axes or more listed.
    std::vector<JoystickDeviceInfo> devices(20, {0, 6, "Transmitter", "guid"});
    for (int i = 0; i < 20; ++i)
        devices[i].id = i;
    devices[1].axes = 3;
    EXPECT_EQ(ListSelectableControllers(devices).size(), 15u);
    SelectListedController(Calibration, 1);
    EXPECT_EQ(Calibration.joystickId, 2);
    SelectListedController(Calibration, 15);
    EXPECT_EQ(Calibration.joystickId, 2);
}

TEST(Transmitter, FoundByIdentity) {
    const std::vector<JoystickDeviceInfo> devices = {{0, 4, "Game Pad", "aa"},
                                                     {2, 6, "RC Transmitter", "bb"},
                                                     {3, 6, "RC Transmitter", "cc"},
                                                     {5, 6, "RC Transmitter", "bb"},
                                                     {7, 6, "RC Transmitter", "bb"}};
    const struct {
        TransmitterIdentity who;
        int32_t id;
    } cases[] = {
        {{"bb", "RC Transmitter", 0}, 2},
        {{"bb", "RC Transmitter", 2}, 7},
        {{"bb", "RC Transmitter", 5}, 2}, // fewer identical devices now: the first of them
        {{"cc", "RC Transmitter", 0}, 3},
        {{"aa", "Game Pad", 0}, 0},
        {{"bb", "Game Pad", 0}, -1}, // name and GUID both count
        {{"", "", 0}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindTransmitter(devices, c.who), c.id) << c.who.guid << " " << c.who.index;
    EXPECT_EQ(IdenticalDeviceIndex(devices, 5), 1);
    EXPECT_EQ(IdenticalDeviceIndex(devices, 3), 0);
    EXPECT_EQ(ControllerListTexts(devices, 5),
              (std::vector<std::string>{"Game Pad", "RC Transmitter", "RC Transmitter",
                                        "RC Transmitter #2 (in use)", "RC Transmitter #3"}));
}

} // namespace
