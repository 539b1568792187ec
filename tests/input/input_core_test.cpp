// Tests of the controls core: calibration and mapping files, normalisation, switches, mixing,
// control inputs, the reset and pause switches and the rules the controller dialogs apply.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "input/channel_mapping.h"
#include "input/control_input.h"
#include "input/controller_switches.h"
#include "input/joystick_calibration.h"
#include "flight/heli_state.h"
#include "recorder/flight_recorder.h"

namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("rv_input_") + name)).string();
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

void PutI32(std::vector<uint8_t>& b, size_t offset, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[offset + i] = static_cast<uint8_t>(u >> (8 * i));
}

class Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        SetJoystickCalibrationDefaults(Calibration);
        SetChannelMappingDefaults(Mapping);
        SetModelSetupDefaults(Model);
        SetDefaultCurves(Model);
        for (float& v : LastControlInputs)
            v = 0.0f;
        Recorder.playing.store(false);
        FlightState = FlightFlying;
        ScriptedControlInput = nullptr;
        lastResetSwitchState = false;
        lastPauseSwitchState = false;
        SimPaused = false;
        SlowMotionPlayback = false;
    }
    // A raw value that normalises to v with the program-start calibration (centre 20000, span 20000).
    static int32_t RawFor(float v) { return static_cast<int32_t>(20000.0f + v * 20000.0f); }
};

TEST_F(Controls, NormalizeAxisWithDefaultsSpanRuleAndHostileValues) {
    const int32_t raws[] = {40000, 20000, 0, 60000};
    const float expected[] = {1.0f, 0.0f, -1.0f, 2.0f};
    for (int i = 0; i < 4; ++i) {
        Calibration.raw[3] = raws[i];
        EXPECT_FLOAT_EQ(NormalizeAxis(3), expected[i]) << raws[i];
    }
    // A span of 0 or less on the side of the deflection gives +1, also below centre.
    Calibration.maxRaw[1] = 20000;
    Calibration.raw[1] = 25000;
    EXPECT_FLOAT_EQ(NormalizeAxis(1), 1.0f);
    Calibration.minRaw[1] = 20000;
    Calibration.raw[1] = 100;
    EXPECT_FLOAT_EQ(NormalizeAxis(1), 1.0f);
    Calibration.minRaw[1] = 30000;
    EXPECT_FLOAT_EQ(NormalizeAxis(1), 1.0f);
    // Axis indices are clamped into 0..5.
    Calibration.raw[0] = 30000;
    Calibration.raw[5] = 10000;
    EXPECT_FLOAT_EQ(NormalizeAxis(-7), 0.5f);
    EXPECT_FLOAT_EQ(NormalizeAxis(99), -0.5f);
    // Values from a damaged file never overflow.
    Calibration.raw[2] = INT_MAX;
    Calibration.centreRaw[2] = INT_MIN;
    Calibration.maxRaw[2] = INT_MAX;
    EXPECT_FLOAT_EQ(NormalizeAxis(2), 1.0f);
    Calibration.raw[2] = INT_MIN;
    Calibration.centreRaw[2] = INT_MAX;
    Calibration.minRaw[2] = INT_MIN;
    EXPECT_FLOAT_EQ(NormalizeAxis(2), -1.0f);
}

TEST_F(Controls, CalibrationFileLayoutShortFilesAndSave) {
    // 104 bytes built from the table: max[6], centre[6], buttons, min[6], raw[6], id.
    std::vector<uint8_t> b(104, 0);
    for (int i = 0; i < 6; ++i) {
        PutI32(b, 4 * i, 60000 + i);
        PutI32(b, 24 + 4 * i, 30000 + i);
        PutI32(b, 52 + 4 * i, 1000 + i);
        PutI32(b, 76 + 4 * i, 7 + i);
    }
    PutI32(b, 48, 0x55);
    PutI32(b, 100, 3);
    std::string path = TempPath("cal104.dat");
    WriteBytes(path, b);
    ASSERT_TRUE(LoadJoystickCalibration(Calibration, path));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Calibration.maxRaw[i], 60000 + i);
        EXPECT_EQ(Calibration.centreRaw[i], 30000 + i);
        EXPECT_EQ(Calibration.minRaw[i], 1000 + i);
        EXPECT_EQ(Calibration.raw[i], 7 + i);
    }
    EXPECT_EQ(Calibration.buttons, 0x55);
    EXPECT_EQ(Calibration.joystickId, 3);

    // Saving writes the same 104 bytes.
    std::string saved = TempPath("cal_saved.dat");
    ASSERT_TRUE(SaveJoystickCalibration(Calibration, saved));
    EXPECT_EQ(ReadBytes(saved), b);

    // Exactly 100 bytes: the calibration loads and device 0 is selected.
    b.resize(100);
    PutI32(b, 0, 41000);
    WriteBytes(path, b);
    ASSERT_TRUE(LoadJoystickCalibration(Calibration, path));
    EXPECT_EQ(Calibration.maxRaw[0], 41000);
    EXPECT_EQ(Calibration.joystickId, 0);

    // A short file changes only the bytes it holds.
    SetJoystickCalibrationDefaults(Calibration);
    WriteBytes(path, {0x10, 0x27, 0, 0, 0x20});
    ASSERT_TRUE(LoadJoystickCalibration(Calibration, path));
    EXPECT_EQ(Calibration.maxRaw[0], 10000);
    EXPECT_EQ(Calibration.maxRaw[1], 40000 - (40000 & 0xFF) + 0x20);
    EXPECT_EQ(Calibration.maxRaw[2], 40000);
    EXPECT_EQ(Calibration.centreRaw[0], 20000);

    // A missing file keeps the record.
    Calibration.joystickId = 5;
    EXPECT_FALSE(LoadJoystickCalibration(Calibration, TempPath("no_such_file.dat")));
    EXPECT_EQ(Calibration.joystickId, 5);
    EXPECT_FALSE(SaveJoystickCalibration(Calibration, "/nonexistent_dir/JoystickCalibration.dat"));
    std::remove(path.c_str());
    std::remove(saved.c_str());
}

TEST_F(Controls, MappingDefaultsAndFileLayout) {
    EXPECT_EQ(Mapping.axis[Roll], 1);
    EXPECT_EQ(Mapping.axis[Pitch], 0);
    EXPECT_EQ(Mapping.axis[Yaw], 3);
    EXPECT_EQ(Mapping.axis[Throttle], 2);
    EXPECT_EQ(Mapping.axis[Collective], 4);
    EXPECT_EQ(Mapping.useSimCurves, 1);
    EXPECT_EQ(Mapping.keyboardIdleUp, 1);
    EXPECT_EQ(Mapping.keyboardThrottleHold, 1);
    EXPECT_EQ(Mapping.resetSwitchEnabled, 0);
    EXPECT_EQ(Mapping.pauseSwitchEnabled, 0);

    std::vector<uint8_t> b(56, 0);
    for (int f = 0; f < 5; ++f)
        PutI32(b, 4 * f, 5 - f);
    b[20] = 1;    // reverse Roll
    b[24] = 1;    // reverse Collective
    b[26] = 0xAA; // padding is kept as it stands
    PutI32(b, 28, 0x10003);
    PutI32(b, 32, 2);
    PutI32(b, 36, 0x10005);
    PutI32(b, 40, 0x10006);
    for (int i = 44; i <= 54; ++i)
        b[i] = static_cast<uint8_t>(i & 1);
    std::string path = TempPath("map56.dat");
    WriteBytes(path, b);
    ASSERT_TRUE(LoadChannelMapping(Mapping, path));
    EXPECT_EQ(Mapping.axis[Roll], 5);
    EXPECT_EQ(Mapping.axis[Collective], 1);
    EXPECT_EQ(Mapping.reverse[Roll], 1);
    EXPECT_EQ(Mapping.reverse[Pitch], 0);
    EXPECT_EQ(Mapping.reverse[Collective], 1);
    EXPECT_EQ(Mapping.idleUpSwitch, 0x10003);
    EXPECT_EQ(Mapping.throttleHoldSwitch, 2);
    EXPECT_EQ(Mapping.resetSwitch, 0x10005);
    EXPECT_EQ(Mapping.pauseSwitch, 0x10006);
    EXPECT_EQ(Mapping.idleUpReverse, 0);       // 44
    EXPECT_EQ(Mapping.throttleHoldReverse, 1); // 45
    EXPECT_EQ(Mapping.useSimCurves, 0);        // 48
    EXPECT_EQ(Mapping.keyboardIdleUp, 1);      // 49
    EXPECT_EQ(Mapping.resetSwitchEnabled, 1);  // 51
    EXPECT_EQ(Mapping.pauseSwitchEnabled, 0);  // 52
    EXPECT_EQ(Mapping.keyThrottleHoldOn, 1);   // 53
    EXPECT_EQ(Mapping.keyIdleUpOn, 0);         // 54

    std::string saved = TempPath("map_saved.dat");
    ASSERT_TRUE(SaveChannelMapping(Mapping, saved));
    EXPECT_EQ(ReadBytes(saved), b);

    // A short file changes only the bytes it holds.
    SetChannelMappingDefaults(Mapping);
    WriteBytes(path, {4, 0, 0, 0, 2});
    ASSERT_TRUE(LoadChannelMapping(Mapping, path));
    EXPECT_EQ(Mapping.axis[Roll], 4);
    EXPECT_EQ(Mapping.axis[Pitch], 2);
    EXPECT_EQ(Mapping.axis[Yaw], 3);
    EXPECT_EQ(Mapping.useSimCurves, 1);
    EXPECT_FALSE(LoadChannelMapping(Mapping, TempPath("no_such_map.dat")));
    std::remove(path.c_str());
    std::remove(saved.c_str());
}

TEST_F(Controls, FilesWrittenAtExitReadBackIdentically) {
    Calibration.maxRaw[2] = 61234;
    Calibration.centreRaw[4] = 33000;
    Calibration.minRaw[0] = 1200;
    Calibration.joystickId = 2;
    Mapping.axis[Yaw] = 5;
    Mapping.reverse[Pitch] = 1;
    Mapping.pauseSwitch = 0x10004;
    Mapping.pauseSwitchEnabled = 1;
    ToggleKeyboardIdleUp();
    JoystickCalibration calBefore = Calibration;
    ChannelMapping mapBefore = Mapping;
    std::string calPath = TempPath("JoystickCalibration.dat");
    std::string mapPath = TempPath("JoystickMapping.dat");
    ASSERT_TRUE(SaveJoystickCalibration(Calibration, calPath));
    ASSERT_TRUE(SaveChannelMapping(Mapping, mapPath));
    EXPECT_EQ(ReadBytes(calPath).size(), 104u);
    EXPECT_EQ(ReadBytes(mapPath).size(), 56u);
    // Next start: defaults, then the files.
    SetJoystickCalibrationDefaults(Calibration);
    SetChannelMappingDefaults(Mapping);
    ASSERT_TRUE(LoadJoystickCalibration(Calibration, calPath));
    ASSERT_TRUE(LoadChannelMapping(Mapping, mapPath));
    EXPECT_EQ(std::memcmp(&calBefore, &Calibration, sizeof Calibration), 0);
    EXPECT_EQ(std::memcmp(&mapBefore, &Mapping, sizeof Mapping), 0);
    EXPECT_EQ(Mapping.keyIdleUpOn, 1);
    std::remove(calPath.c_str());
    std::remove(mapPath.c_str());
}

TEST_F(Controls, SwitchThresholdsAndSources) {
    Calibration.raw[2] = 30000;
    EXPECT_FALSE(IsSwitchOn(2));
    Calibration.raw[2] = 30001;
    EXPECT_TRUE(IsSwitchOn(2));
    Calibration.buttons = 0x1;
    EXPECT_TRUE(IsSwitchOn(0x10000));
    EXPECT_FALSE(IsSwitchOn(0x10001));
    Calibration.buttons = 1 << 8;
    EXPECT_TRUE(IsSwitchOn(0x10008));
    Calibration.raw[5] = 65535;
    EXPECT_FALSE(IsSwitchOn(6)); // no axis, no button bit: never on
    EXPECT_FALSE(IsSwitchOn(0x20000));
    Calibration.buttons = static_cast<int32_t>(0x80000000u);
    EXPECT_TRUE(IsSwitchOn(0x1001F));
    // Hat directions: bit 4 x hat + direction of the hat bits (hat 1 right is bit 5).
    JoystickHats = 1 << 5;
    EXPECT_TRUE(IsSwitchOn(0x20005));
    EXPECT_FALSE(IsSwitchOn(0x20004));
    EXPECT_FALSE(IsSwitchOn(0x20010));
    EXPECT_FALSE(IsSwitchOn(0x30005)); // a button source (bit 0x10000 set), bit 5 of the buttons
    JoystickHats = 0;
    // The chooser offers the axes, buttons 0..8, then hat 0's four directions.
    EXPECT_EQ(SwitchChooserSources[0], 0);
    EXPECT_EQ(SwitchChooserSources[5], 5);
    EXPECT_EQ(SwitchChooserSources[6], 0x10000);
    EXPECT_EQ(SwitchChooserSources[14], 0x10008);
    EXPECT_EQ(SwitchChooserSources[15], 0x20000);
    EXPECT_EQ(SwitchChooserSources[18], 0x20003);
    EXPECT_STREQ(SwitchChooserLabel(6), "Button 0");
    EXPECT_STREQ(SwitchChooserLabel(18), "Hat Left");
    EXPECT_EQ(SwitchSourceText(0x10003), "Button 3");
    EXPECT_EQ(SwitchSourceText(0x10014), "Button 20");
    EXPECT_EQ(SwitchSourceText(0x20006), "Hat 1 Down");
    EXPECT_EQ(SwitchSourceText(6), "none");
}

TEST_F(Controls, CurveExamples) {
    const int32_t identity[5] = {0, 25, 50, 75, 100};
    EXPECT_FLOAT_EQ(ApplyCurve(0.25f, identity), 0.25f);
    EXPECT_FLOAT_EQ(ApplyCurve(-1.0f, identity), -1.0f);
    const int32_t throttle[5] = {0, 70, 80, 90, 100};
    EXPECT_NEAR(ApplyCurve(-0.75f, throttle), -0.3f, 1e-6);
    EXPECT_NEAR(ApplyCurve(-0.9f, throttle), -0.72f, 1e-6);
    // A value on a point belongs to the segment on its right.
    const int32_t bent[5] = {10, 30, 60, 80, 95};
    EXPECT_FLOAT_EQ(ApplyCurve(-0.5f, bent), -0.4f);
    EXPECT_FLOAT_EQ(ApplyCurve(0.0f, bent), 0.2f);
    EXPECT_FLOAT_EQ(ApplyCurve(1.0f, bent), 0.9f);
    // Points above 100 extrapolate beyond +1.
    const int32_t high[5] = {0, 25, 50, 100, 150};
    EXPECT_FLOAT_EQ(ApplyCurve(1.0f, high), 2.0f);
    // Hostile points give a number, not undefined arithmetic.
    const int32_t hostile[5] = {INT_MIN, INT_MAX, INT_MIN, INT_MAX, INT_MIN};
    for (float x : {-1.0f, -0.3f, 0.2f, 0.9f})
        EXPECT_FALSE(std::isnan(ApplyCurve(x, hostile)));
}

TEST_F(Controls, ExpoExamples) {
    EXPECT_NEAR(ApplyExpo(0.5f, 35), 0.3208f, 1e-4);
    EXPECT_NEAR(ApplyExpo(-0.25f, 35), -0.1307f, 1e-4);
    EXPECT_NEAR(ApplyExpo(0.5f, 15), 0.4256f, 1e-4);
    EXPECT_FLOAT_EQ(ApplyExpo(0.37f, 4), 0.37f);
    EXPECT_FLOAT_EQ(ApplyExpo(0.37f, 0), 0.37f);
    EXPECT_FLOAT_EQ(ApplyExpo(0.37f, -40), 0.37f);
    EXPECT_NEAR(ApplyExpo(1.0f, 35), 1.0f, 1e-6);
    EXPECT_NEAR(ApplyExpo(-1.0f, 35), -1.0f, 1e-6);
    EXPECT_EQ(ApplyExpo(0.0f, 35), 0.0f);
    // 40 % and more use the last factor, 1.7.
    float k = 1.7f;
    float expected =
        static_cast<float>((std::exp(static_cast<double>(0.5f * k)) - 1.0) / (std::exp(double(k)) - 1.0));
    EXPECT_FLOAT_EQ(ApplyExpo(0.5f, 40), expected);
    EXPECT_FLOAT_EQ(ApplyExpo(0.5f, 1000), expected);
}

TEST_F(Controls, ThrottleAndCollectiveWithSimulatorCurves) {
    const int32_t throttle[5] = {0, 70, 80, 90, 100};
    std::memcpy(Model.normalThrottleCurve, throttle, sizeof throttle);
    Calibration.raw[2] = RawFor(-0.75f);
    Calibration.raw[4] = RawFor(0.9f); // the collective's own axis is ignored with the curves
    EXPECT_NEAR(GetControlInput(Throttle), 0.35f, 1e-6);
    // Collective follows the throttle stick through the normal pitch curve 40,45,50,75,100.
    EXPECT_NEAR(GetControlInput(Collective), ApplyCurve(-0.75f, Model.normalPitchCurve), 1e-6);
    EXPECT_NEAR(LastControlInputs[Throttle], 0.35f, 1e-6);
    // Below the 0.18 cut the throttle is exactly 0.
    Calibration.raw[2] = RawFor(-0.9f);
    EXPECT_EQ(GetControlInput(Throttle), 0.0f);
    // 0.18 itself passes.
    const int32_t flat18[5] = {18, 18, 18, 18, 18};
    std::memcpy(Model.normalThrottleCurve, flat18, sizeof flat18);
    EXPECT_NEAR(GetControlInput(Throttle), 0.18f, 1e-6);
    const int32_t flat17[5] = {17, 17, 17, 17, 17};
    std::memcpy(Model.normalThrottleCurve, flat17, sizeof flat17);
    EXPECT_EQ(GetControlInput(Throttle), 0.0f);

    // Throttle hold forces 0; the collective still follows the curve.
    std::memcpy(Model.normalThrottleCurve, throttle, sizeof throttle);
    Calibration.raw[2] = RawFor(0.5f);
    ToggleKeyboardThrottleHold();
    EXPECT_EQ(GetControlInput(Throttle), 0.0f);
    EXPECT_NEAR(GetControlInput(Collective), 0.5f, 1e-6); // 75 % at +0.5
    ToggleKeyboardThrottleHold();

    // Idle-up switches both curves; points above 100 are not clamped.
    const int32_t idleThrottle[5] = {100, 100, 100, 100, 200};
    std::memcpy(Model.idleUpThrottleCurve, idleThrottle, sizeof idleThrottle);
    const int32_t idlePitch[5] = {0, 25, 50, 100, 150};
    std::memcpy(Model.idleUpPitchCurve, idlePitch, sizeof idlePitch);
    ToggleKeyboardIdleUp();
    EXPECT_TRUE(IsIdleUpOn());
    Calibration.raw[2] = RawFor(1.0f);
    EXPECT_FLOAT_EQ(GetControlInput(Throttle), 2.0f);
    EXPECT_FLOAT_EQ(GetControlInput(Collective), 2.0f);

    // The throttle stick reversed: full stick down reads as up.
    Mapping.reverse[Throttle] = 1;
    Mapping.reverse[Collective] = 1;
    Calibration.raw[2] = RawFor(-1.0f);
    EXPECT_FLOAT_EQ(GetControlInput(Collective), 2.0f);
}

TEST_F(Controls, StickFunctionsWithoutSimulatorCurves) {
    Mapping.useSimCurves = 0;
    Calibration.raw[1] = RawFor(0.5f);   // roll
    Calibration.raw[0] = RawFor(-0.25f); // pitch
    Calibration.raw[3] = 60000;          // yaw beyond its extent
    Calibration.raw[2] = RawFor(-0.6f);  // throttle
    Calibration.raw[4] = RawFor(0.3f);   // collective on its own axis
    EXPECT_FLOAT_EQ(GetControlInput(Roll), 0.5f);
    EXPECT_FLOAT_EQ(GetControlInput(Pitch), -0.25f);
    EXPECT_FLOAT_EQ(GetControlInput(Yaw), 1.0f);
    EXPECT_NEAR(GetControlInput(Throttle), -0.6f, 1e-6);
    EXPECT_NEAR(GetControlInput(Collective), 0.3f, 1e-6);
    Mapping.reverse[Roll] = 1;
    EXPECT_FLOAT_EQ(GetControlInput(Roll), -0.5f);
    // Without the simulator curves idle-up and hold are always off, whatever the keyboard says.
    ToggleKeyboardIdleUp();
    ToggleKeyboardThrottleHold();
    EXPECT_FALSE(IsIdleUpOn());
    EXPECT_FALSE(IsThrottleHoldOn());
    // The instruments' stick: the collective as the pilot moves it, reversal undone.
    Mapping.reverse[Collective] = 1;
    EXPECT_NEAR(GetCollectiveStick(), 0.3f, 1e-6);
    EXPECT_NEAR(LastControlInputs[Collective], -0.3f, 1e-6);
    // With the curves: the throttle stick, reversed but neither clamped nor curved.
    Mapping.useSimCurves = 1;
    Mapping.reverse[Throttle] = 1;
    Calibration.raw[2] = 60000;
    EXPECT_FLOAT_EQ(GetCollectiveStick(), -2.0f);
    // A function outside 0..4 reads 0 and writes nothing.
    EXPECT_EQ(GetControlInput(static_cast<ControlFunction>(7)), 0.0f);
}

TEST_F(Controls, SwitchedIdleUpAndHold) {
    Mapping.keyboardIdleUp = 0;
    Mapping.idleUpSwitch = 0x10003;
    Mapping.keyboardThrottleHold = 0;
    Mapping.throttleHoldSwitch = 5;
    EXPECT_FALSE(IsIdleUpOn());
    Calibration.buttons = 1 << 3;
    EXPECT_TRUE(IsIdleUpOn());
    Mapping.idleUpReverse = 1;
    EXPECT_FALSE(IsIdleUpOn());
    Calibration.raw[5] = 40000;
    EXPECT_TRUE(IsThrottleHoldOn());
    Mapping.throttleHoldReverse = 1;
    EXPECT_FALSE(IsThrottleHoldOn());
    // The keyboard states toggle whatever the keyboard flags say, and count once they are set.
    ToggleKeyboardIdleUp();
    EXPECT_EQ(Mapping.keyIdleUpOn, 1);
    EXPECT_FALSE(IsIdleUpOn());
    Mapping.keyboardIdleUp = 1;
    EXPECT_TRUE(IsIdleUpOn());
}

float ScriptedStick(ControlFunction f) {
    return 0.1f * static_cast<float>(f + 1);
}

TEST_F(Controls, PlaybackAndScriptedSources) {
    ScriptedControlInput = ScriptedStick;
    ScriptedIdleUp = true;
    ScriptedThrottleHold = false;
    EXPECT_FLOAT_EQ(GetControlInput(Yaw), 0.3f);
    EXPECT_FLOAT_EQ(LastControlInputs[Yaw], 0.3f);
    EXPECT_TRUE(IsIdleUpOn());
    EXPECT_FALSE(IsThrottleHoldOn());
    // Playback wins over everything and leaves LastControlInputs alone.
    Recorder.playing.store(true);
    Recorder.frameControls[Yaw].store(-0.7f);
    Recorder.frameControls[Collective].store(0.45f);
    Recorder.frameFlags[0].store(0);
    Recorder.frameFlags[1].store(1);
    EXPECT_FLOAT_EQ(GetControlInput(Yaw), -0.7f);
    EXPECT_FLOAT_EQ(LastControlInputs[Yaw], 0.3f);
    EXPECT_FALSE(IsIdleUpOn());
    EXPECT_TRUE(IsThrottleHoldOn());
    EXPECT_FLOAT_EQ(GetCollectiveStick(), 0.45f);
    Recorder.playing.store(false);
    ScriptedControlInput = nullptr;
}

// One 50 ms look at the switches; true when it reset the helicopter (a reset ends the crashed state).
bool PollResets() {
    FlightState = FlightCrashed;
    PollControllerSwitches();
    bool reset = FlightState == FlightFlying;
    FlightState = FlightFlying;
    return reset;
}

TEST_F(Controls, ResetSwitchEdgesAndPriming) {
    Mapping.resetSwitch = 0x10002;
    // Disabled: never a change, nothing remembered.
    Calibration.buttons = 1 << 2;
    EXPECT_FALSE(ResetSwitchChanged());
    EXPECT_FALSE(lastResetSwitchState);
    EXPECT_FALSE(PollResets());

    // A switch already on at start is primed away.
    Mapping.resetSwitchEnabled = 1;
    ResetSwitchChanged();
    SimPaused = true;
    SlowMotionPlayback = true;
    EXPECT_FALSE(PollResets());
    EXPECT_TRUE(SimPaused);

    // Off, then on: one reset on the rising edge, clearing the pause and slow motion.
    Calibration.buttons = 0;
    EXPECT_FALSE(PollResets());
    Calibration.buttons = 1 << 2;
    EXPECT_TRUE(PollResets());
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    EXPECT_FALSE(PollResets());

    // Reversed: the reset fires when the raw state goes from on to off.
    Mapping.resetReverse = 1;
    Calibration.buttons = 0;
    EXPECT_TRUE(PollResets());
    Calibration.buttons = 1 << 2;
    EXPECT_FALSE(PollResets());
}

TEST_F(Controls, PauseRoleFollowsSwitchMovesOnly) {
    Mapping.pauseSwitch = 1; // axis 1 as a switch
    Calibration.raw[1] = 50000;
    // Disabled: nothing happens and the remembered state stays off.
    PollControllerSwitches();
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(lastPauseSwitchState);
    // Enabling while the raw state differs from the remembered one applies it on the next tick.
    SetPauseSwitchEnabled(true);
    PollControllerSwitches();
    EXPECT_TRUE(SimPaused);
    // The keyboard un-pauses between switch movements and the switch does not fight it.
    SimPaused = false;
    PollControllerSwitches();
    EXPECT_FALSE(SimPaused);
    Calibration.raw[1] = 1000;
    PollControllerSwitches();
    EXPECT_FALSE(SimPaused);
    Calibration.raw[1] = 50000;
    SetResetPauseReverse(false, true);
    PollControllerSwitches(); // reversed: on means running
    EXPECT_FALSE(SimPaused);
    Calibration.raw[1] = 1000;
    PollControllerSwitches();
    EXPECT_TRUE(SimPaused);
    // Disabled again, the state is the current SimPaused and nothing changes.
    SetPauseSwitchEnabled(false);
    EXPECT_EQ(PauseSwitchState(), SimPaused);
    bool remembered = lastPauseSwitchState;
    Calibration.raw[1] = 50000;
    PollControllerSwitches();
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(lastPauseSwitchState, remembered);
    EXPECT_EQ(FlightState, FlightFlying);
}

TEST_F(Controls, CalibrationDialogPhases) {
    for (int i = 0; i < 6; ++i) {
        Calibration.maxRaw[i] = 61000;
        Calibration.centreRaw[i] = 31000;
        Calibration.minRaw[i] = 1000;
    }
    CalibrationSession s;
    BeginCalibration(Calibration, s);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Calibration.maxRaw[i], 0);
        EXPECT_EQ(Calibration.minRaw[i], 65535);
        EXPECT_EQ(Calibration.centreRaw[i], 32768);
    }
    EXPECT_STREQ(CalibrationPrompt(s), "Center Sticks");
    // Phase 0: bars span the whole travel, extents are not tracked.
    Calibration.raw[0] = 32768 - 39;
    Calibration.raw[1] = 65535;
    Calibration.raw[2] = 0;
    Calibration.raw[3] = 32768 + 16384;
    CalibrationTick(Calibration, s);
    EXPECT_EQ(s.bars[0], -1); // truncated toward zero
    EXPECT_EQ(s.bars[1], 999);
    EXPECT_EQ(s.bars[2], -1000);
    EXPECT_EQ(s.bars[3], 500);
    EXPECT_EQ(Calibration.maxRaw[1], 0);
    // First OK takes the centres and stays open.
    for (int32_t& raw : Calibration.raw)
        raw = 30000;
    Calibration.raw[1] = 31000;
    EXPECT_FALSE(CalibrationOk(Calibration, s));
    EXPECT_EQ(Calibration.centreRaw[0], 30000);
    EXPECT_EQ(Calibration.centreRaw[1], 31000);
    EXPECT_STREQ(CalibrationPrompt(s), "Move Sticks in circles");
    // Phase 1 tracks the extents; axes 0..3 move, 4 moves 16383 (under a quarter), 5 not at all.
    s.axisCount = 6;
    for (int32_t raw : {60000, 2000, 30000}) {
        for (int i = 0; i < 4; ++i)
            Calibration.raw[i] = raw;
        Calibration.raw[4] = raw == 60000 ? 30000 + 16383 : 30000;
        CalibrationTick(Calibration, s);
    }
    EXPECT_EQ(Calibration.maxRaw[0], 60000);
    EXPECT_EQ(Calibration.minRaw[0], 2000);
    EXPECT_EQ(s.bars[0], 0);
    // OK: axes U and V are named and the dialog stays open.
    EXPECT_FALSE(CalibrationOk(Calibration, s));
    EXPECT_EQ(s.phase, 2);
    EXPECT_EQ(CalibrationWarning(s),
              "Axis U and Axis V were moved less than a quarter of the travel. Go on keeps "
              "the old calibration of those axes; Redo lets you move the sticks again.");
    // Redo: back to phase 1 with U and V cleared; U now moves 16384 and passes, V is ignored as the
    // device has only five axes.
    CalibrationRedo(Calibration, s);
    EXPECT_EQ(s.phase, 1);
    EXPECT_EQ(Calibration.maxRaw[4], 0);
    EXPECT_EQ(Calibration.minRaw[4], 65535);
    EXPECT_EQ(Calibration.maxRaw[0], 60000);
    s.axisCount = 5;
    Calibration.raw[4] = 30000 + 16384;
    CalibrationTick(Calibration, s);
    Calibration.raw[4] = 30000;
    CalibrationTick(Calibration, s);
    EXPECT_TRUE(CalibrationOk(Calibration, s));
    Calibration.raw[0] = 45000;
    EXPECT_FLOAT_EQ(NormalizeAxis(0), 0.5f);

    // Go on: only the barely moved axis gets its old calibration back.
    Calibration.maxRaw[5] = 61000;
    Calibration.centreRaw[5] = 31000;
    Calibration.minRaw[5] = 1000;
    BeginCalibration(Calibration, s);
    s.axisCount = 6;
    CalibrationOk(Calibration, s);
    for (int32_t raw : {0, 65535}) {
        for (int i = 0; i < 5; ++i)
            Calibration.raw[i] = raw;
        CalibrationTick(Calibration, s);
    }
    EXPECT_FALSE(CalibrationOk(Calibration, s));
    EXPECT_EQ(CalibrationWarning(s),
              "Axis V was moved less than a quarter of the travel. Go on keeps the old "
              "calibration of that axis; Redo lets you move the sticks again.");
    CalibrationGoOn(Calibration, s);
    EXPECT_EQ(Calibration.maxRaw[5], 61000);
    EXPECT_EQ(Calibration.centreRaw[5], 31000);
    EXPECT_EQ(Calibration.minRaw[5], 1000);
    EXPECT_EQ(Calibration.maxRaw[4], 65535);
    EXPECT_EQ(Calibration.minRaw[4], 0);

    // Cancel in phase 1 restores every axis as it was when the dialog opened.
    const JoystickCalibration before = Calibration;
    BeginCalibration(Calibration, s);
    CalibrationOk(Calibration, s);
    CalibrationTick(Calibration, s);
    CancelCalibration(Calibration, s);
    EXPECT_EQ(std::memcmp(&before, &Calibration, sizeof before), 0);

    // Without a file: the whole SDL travel, so a centred stick reads 0 and the ends +-1.
    SetFullTravelCalibration(Calibration);
    Calibration.raw[2] = 32768;
    Calibration.raw[3] = 0;
    Calibration.raw[4] = 65535;
    EXPECT_FLOAT_EQ(NormalizeAxis(2), 0.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(3), -1.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(4), 32767.0f / 32767.0f);
}

TEST_F(Controls, MappingDialogRules) {
    MappingEnables e = GetMappingEnables(Mapping);
    EXPECT_FALSE(e.idleUpSwitchControls);
    EXPECT_FALSE(e.throttleHoldSwitchControls);
    EXPECT_FALSE(e.collectiveControls);
    SetKeyboardIdleUp(Mapping, false);
    EXPECT_TRUE(GetMappingEnables(Mapping).idleUpSwitchControls);
    EXPECT_FALSE(GetMappingEnables(Mapping).throttleHoldSwitchControls);

    // With the simulator curves box 1022 shows the throttle's reverse and follows it.
    Mapping.reverse[Throttle] = 1;
    Mapping.reverse[Collective] = 0;
    MappingReverseBoxes boxes = GetMappingReverseBoxes(Mapping);
    EXPECT_TRUE(boxes.box[Collective]);
    boxes.box[Throttle] = false;
    boxes.box[Roll] = true;
    boxes.box[6] = true;
    ApplyMappingReverseBoxes(Mapping, boxes);
    EXPECT_EQ(Mapping.reverse[Roll], 1);
    EXPECT_EQ(Mapping.reverse[Throttle], 0);
    EXPECT_EQ(Mapping.reverse[Collective], 0);
    EXPECT_EQ(Mapping.throttleHoldReverse, 1);

    // Without the curves the collective has its own reverse.
    SetUseSimCurves(Mapping, false);
    boxes = GetMappingReverseBoxes(Mapping);
    boxes.box[Collective] = true;
    ApplyMappingReverseBoxes(Mapping, boxes);
    EXPECT_EQ(Mapping.reverse[Collective], 1);
    EXPECT_EQ(Mapping.reverse[Throttle], 0);
    EXPECT_TRUE(GetMappingEnables(Mapping).collectiveControls);
    // Turning the curves back on copies the throttle's reverse.
    SetUseSimCurves(Mapping, true);
    EXPECT_EQ(Mapping.reverse[Collective], 0);

    // Picker results: a channel is stored (clamped), a switch only when 0 or more.
    StoreChosenChannel(Mapping, Yaw, 5);
    EXPECT_EQ(Mapping.axis[Yaw], 5);
    StoreChosenChannel(Mapping, Yaw, 12);
    EXPECT_EQ(Mapping.axis[Yaw], 5);
    StoreChosenSwitch(Mapping.idleUpSwitch, 0x10007);
    StoreChosenSwitch(Mapping.idleUpSwitch, -1);
    EXPECT_EQ(Mapping.idleUpSwitch, 0x10007);
    EXPECT_STREQ(ChannelChooserName(Roll), "Roll Cyclic");
    EXPECT_STREQ(ChannelChooserName(Yaw), "Yaw");
    EXPECT_EQ(MappingBarValue(-0.9999f), -999);
    EXPECT_EQ(MappingBarValue(0.35f), 350);
}

TEST_F(Controls, SelectControllerRules) {
    std::vector<JoystickDeviceInfo> devices;
    for (int i = 0; i < 20; ++i)
        devices.push_back({i, i == 1 ? 3 : 6, "Transmitter " + std::to_string(i), "guid"});
    std::vector<JoystickDeviceInfo> listed = ListSelectableControllers(devices);
    EXPECT_EQ(ControllersExamined, 16);
    ASSERT_EQ(listed.size(), 15u); // ids 0..15 without the 3-axis id 1
    EXPECT_EQ(ListedControllerCount, 15);
    EXPECT_EQ(listed[0].id, 0);
    EXPECT_EQ(listed[1].id, 2);
    EXPECT_EQ(listed.back().id, 15);
    SelectListedController(Calibration, 1);
    EXPECT_EQ(Calibration.joystickId, 2);
    SelectListedController(Calibration, 15);
    SelectListedController(Calibration, -1);
    EXPECT_EQ(Calibration.joystickId, 2);
    // No device with four axes: the list is empty and the id stays.
    listed = ListSelectableControllers({{0, 3, "Pad", "g"}});
    EXPECT_TRUE(listed.empty());
    SelectListedController(Calibration, 0);
    EXPECT_EQ(Calibration.joystickId, 2);
}

TEST_F(Controls, TransmitterFoundByIdentity) {
    const std::vector<JoystickDeviceInfo> devices = {{0, 4, "Game Pad", "aa"},
                                                     {2, 6, "RC Transmitter", "bb"},
                                                     {3, 6, "RC Transmitter", "cc"},
                                                     {5, 6, "RC Transmitter", "bb"},
                                                     {7, 6, "RC Transmitter", "bb"}};
    struct Case {
        TransmitterIdentity who;
        int32_t id;
    };
    const Case cases[] = {
        {{"bb", "RC Transmitter", 0}, 2},
        {{"bb", "RC Transmitter", 2}, 7},
        {{"bb", "RC Transmitter", 5}, 2}, // fewer identical devices now: the first of them
        {{"cc", "RC Transmitter", 0}, 3},
        {{"aa", "Game Pad", 0}, 0},
        {{"bb", "Game Pad", 0}, -1}, // name and GUID both count
        {{"", "", 0}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindTransmitter(devices, c.who), c.id) << c.who.guid << " " << c.who.index;
    EXPECT_EQ(IdenticalDeviceIndex(devices, 5), 1);
    EXPECT_EQ(IdenticalDeviceIndex(devices, 3), 0);
    EXPECT_EQ(ControllerListTexts(devices, 5),
              (std::vector<std::string>{"Game Pad", "RC Transmitter", "RC Transmitter",
                                        "RC Transmitter #2 (in use)", "RC Transmitter #3"}));
}

} // namespace

// The poll and the controller dialogs write the records while the step reads them on the tick thread;
// run under ThreadSanitizer this shows every shared field is accessed as one atomic value.
TEST(ControlsThreads, PollAndDialogsWhileTheStepReads) {
    SetJoystickCalibrationDefaults(Calibration);
    SetChannelMappingDefaults(Mapping);
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    std::thread step([&] {
        float sum = 0.0f;
        while (!stop.load()) {
            started.store(true);
            for (int f = Roll; f <= Collective; ++f)
                sum += GetControlInput(static_cast<ControlFunction>(f));
            sum += IsIdleUpOn() + IsThrottleHoldOn();
        }
        EXPECT_FALSE(std::isnan(sum));
    });
    while (!started.load())
        std::this_thread::yield();
    CalibrationSession session;
    BeginCalibration(Calibration, session);
    for (int i = 0; i < 300; ++i) {
        int32_t raw[6] = {i * 100, 65535 - i, 32768, i, 0, 40000};
        StoreJoystickPoll(Calibration, i % 7 != 0, raw, i);
        CalibrationTick(Calibration, session);
        if (i == 100) CalibrationOk(Calibration, session);
        ToggleKeyboardIdleUp();
        ToggleKeyboardThrottleHold();
        MappingReverseBoxes boxes = GetMappingReverseBoxes(Mapping);
        boxes.box[i % 7] = !boxes.box[i % 7];
        ApplyMappingReverseBoxes(Mapping, boxes);
        SetUseSimCurves(Mapping, i % 3 != 0);
        SetKeyboardIdleUp(Mapping, i % 2 == 0);
        StoreChosenChannel(Mapping, Yaw, i % 6);
        StoreChosenSwitch(Mapping.idleUpSwitch, 0x10001 + i % 8);
        SelectListedController(Calibration, 0);
    }
    stop.store(true);
    step.join();
}
