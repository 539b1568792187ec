// Tests of the controls: calibration and mapping files, normalisation, switches, mixing, control inputs,
// the reset and pause switches, the calibration and controller rules, the dialogs driven through their
// widgets in a headless ImGui context, and the SDL joystick devices with virtual joysticks.
#include <SDL.h>
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "input/channel_mapping.h"
#include "input/control_input.h"
#include "input/controller_switches.h"
#include "input/controller_switches_internal.h"
#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/joystick_calibration_internal.h"
#include "input/throttle_interlock.h"
#include "input/transmitter.h"
#include "input/transmitter_check.h"
#include "recorder/flight_recorder_internal.h"
#include "tests/assets/file_bytes.h"
#include "tests/input/virtual_joystick.h"
#include "tests/shell/headless_imgui.h"

namespace {

// Loads the bytes as a file over the record, then saves it again: the record must hold the bytes as laid
// out (a short file only those it has) and the saved file must be the same bytes.
template <class Record>
void ExpectLayout(const Bytes& b, Record& record, bool (*load)(Record&, const std::string&),
                  bool (*save)(const Record&, const std::string&) = nullptr) {
    const std::string path = (FreshFolder("input") / "layout.dat").string();
    WriteFile(path, b);
    ASSERT_TRUE(load(record, path));
    EXPECT_EQ(std::memcmp(&record, b.data(), b.size()), 0);
    if (save) {
        ASSERT_TRUE(save(record, path));
        EXPECT_EQ(ReadFile(path), b);
    }
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
        lastResetSwitchState = lastPauseSwitchState = false;
        SimPaused = SlowMotionPlayback = false;
        JoystickHats = 0;
    }
    // A raw value that normalises to v with the program-start calibration (centre 20000, span 20000).
    static int32_t RawFor(float v) { return static_cast<int32_t>(std::lround(20000.0f + v * 20000.0f)); }
};

// Sets the six raw axes as a poll of the device does.
void Poll(std::initializer_list<int32_t> raw) {
    StoreJoystickPoll(Calibration, true, std::vector<int32_t>(raw).data(), 0);
}

TEST_F(Controls, CalibrationAndMappingFilesCalibrationPhasesAndNormalizeAxis) {
    // Calibration: max[6] at 0, centre[6] at 24, buttons at 48, min[6] at 52, raw[6] at 76, device id at 100.
    Bytes b;
    for (int i = 0; i < 26; ++i)
        b.le32(1000 * i + 7);
    ExpectLayout(b, Calibration, LoadJoystickCalibration, SaveJoystickCalibration);
    b.resize(100); // exactly 100 bytes: device 0 is selected
    ExpectLayout(b, Calibration, LoadJoystickCalibration);
    EXPECT_EQ(Calibration.joystickId, 0);
    SetJoystickCalibrationDefaults(Calibration);
    ExpectLayout(Bytes{0x10, 0x27, 0, 0, 0x20}, Calibration, LoadJoystickCalibration);
    EXPECT_EQ(Calibration.maxRaw[2], 40000);
    Calibration.joystickId = 5;
    EXPECT_FALSE(LoadJoystickCalibration(Calibration, "/nonexistent/JoystickCalibration.dat"));
    EXPECT_EQ(Calibration.joystickId, 5);

    // Mapping defaults: axes 1, 0, 3, 2, 4 at 0; simulator curves and both keyboard switches on (48..50).
    Bytes m;
    for (int32_t axis : {1, 0, 3, 2, 4})
        m.le32(axis);
    m.resize(56);
    m[48] = m[49] = m[50] = 1;
    EXPECT_EQ(std::memcmp(&Mapping, m.data(), 56), 0);
    // Reverse flags at 20..24, padding kept as it stands, the four switches at 28..40, flags 44..54.
    for (int i = 0; i < 56; ++i)
        m[i] = static_cast<uint8_t>(i % 3 == 0);
    m[26] = 0xAA;
    ExpectLayout(m, Mapping, LoadChannelMapping, SaveChannelMapping);
    SetChannelMappingDefaults(Mapping);
    ExpectLayout(Bytes{4, 0, 0, 0, 2}, Mapping, LoadChannelMapping);
    EXPECT_EQ(Mapping.axis[Yaw], 3);

    // Without a file: the whole SDL travel, so a centred stick reads 0 and the ends +-1.
    SetFullTravelCalibration(Calibration);
    Poll({32768, 0, 65535, 0, 0, 0});
    EXPECT_FLOAT_EQ(NormalizeAxis(0), 0.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(1), -1.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(2), 1.0f);

    CalibrationSession s;
    BeginCalibration(Calibration, s);
    EXPECT_STREQ(CalibrationPrompt(s), "Center Sticks");
    // Centre phase: the bars span the whole travel (cut toward zero); extents are not tracked.
    Poll({32768 - 39, 65535, 0, 32768 + 16384, 32768, 32768});
    CalibrationTick(Calibration, s);
    EXPECT_EQ(std::vector<int>(s.bars, s.bars + 4), (std::vector<int>{-1, 999, -1000, 500}));
    EXPECT_EQ(Calibration.maxRaw[1], 0); // cleared when the dialog opened
    // The first OK takes the centres.
    Poll({30000, 31000, 30000, 30000, 30000, 30000});
    EXPECT_FALSE(CalibrationOk(Calibration, s));
    EXPECT_EQ(Calibration.centreRaw[1], 31000);
    EXPECT_STREQ(CalibrationPrompt(s), "Move Sticks in circles");
    // Extent phase: X, Y, Z and R move; U moves 16383 (less than a quarter), V not at all.
    for (int32_t raw : {60000, 60500, 2000, 30000}) {
        Poll({raw, raw, raw, raw, raw == 60000 ? 30000 + 16383 : 30000, 30000});
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

    const struct {
        int axis, slot;
        int32_t raw, centre, min, max;
        float expected;
    } cases[] = {
        {3, 3, 40000, 20000, 0, 40000, 1.0f},        {3, 3, 0, 20000, 0, 40000, -1.0f},
        {3, 3, 60000, 20000, 0, 40000, 2.0f},        {1, 1, 25000, 20000, 0, 20000, 1.0f},
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

TEST_F(Controls, SwitchSourcesIdleUpHoldResetPauseAndPlayback) {
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
        {1, false, "Axis 1"},           {2, true, "Axis 2"},          {6, false, "none"},
        {0x10000, true, "Button 0"},    {0x10001, false, "Button 1"}, {0x1001F, true, "Button 31"},
        {0x20005, true, "Hat 1 Right"}, {0x20004, false, "Hat 1 Up"}, {0x20003, false, "Hat Left"},
        {0x20010, false, "none"},       {0x30008, true, "Button 8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSwitchOn(c.source), c.on) << std::hex << c.source;
        EXPECT_EQ(SwitchSourceText(c.source), c.text) << std::hex << c.source;
    }

    // Idle-up on button 3 and hold on axis 5 with the keyboard off: the switch, reversed when asked; the
    // keyboard states do not count. Playback then wins over all: the recorded inputs and flags are read.
    Mapping.keyboardIdleUp = Mapping.keyboardThrottleHold = 0;
    Mapping.keyIdleUpOn = Mapping.keyThrottleHoldOn = 1;
    Mapping.idleUpSwitch = 0x10003;
    Mapping.throttleHoldSwitch = 5;
    for (int both = 0; both < 4; ++both) {
        const bool reverse = both & 1, on = both & 2;
        Mapping.idleUpReverse = Mapping.throttleHoldReverse = reverse;
        Calibration.buttons = on ? 1 << 3 : 0;
        Calibration.raw[5] = on ? 40000 : 0;
        EXPECT_EQ(IsIdleUpOn(), on != reverse) << on << reverse;
        EXPECT_EQ(IsThrottleHoldOn(), on != reverse) << on << reverse;
    }
    ScriptedControlInput = [](ControlFunction) { return 0.9f; };
    // Joined to the recorder as the shell joins them at start-up.
    SetPlaybackControls({RecorderPlaying, GetRecordedInput, GetRecordedFlag});
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

    // The 50 ms look at the reset and pause switches, one row per look: a reset on the edge into the on
    // state (ending the crash, the pause and slow motion); the pause follows the switch's moves only.
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

// Throttle, collective and the instruments' collective stick with the default curves: normal throttle
// 0, 70, 80, 90, 100 and pitch 40, 45, 50, 75, 100; idle-up throttle 100, 90, 85, 90, 100 and pitch
// 0, 25, 50, 75, 100. The collective follows the throttle stick when the simulator curves are on.
TEST_F(Controls, CurveExpoThrottleAndCollective) {
    const struct {
        const char* name;
        bool curves, idleUp, hold, reversed;
        float throttleStick, collectiveStick;
        float throttle, collective, stick;
    } cases[] = {
        {"curves", true, false, false, false, -0.75f, 0.9f, 0.35f, -0.15f, -0.75f},
        {"cut below 0.18", true, false, false, false, -0.9f, 0.9f, 0.0f, -0.18f, -0.9f},
        {"hold", true, false, true, false, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f},
        {"idle-up reversed", true, true, false, true, 1.0f, 0.0f, 1.0f, -1.0f, -1.0f},
        {"beyond the extent", true, false, false, false, 2.0f, 0.0f, 1.0f, 1.0f, 2.0f},
        {"own axes", false, true, true, false, -0.6f, 0.3f, -0.6f, 0.3f, 0.3f},
        {"own axes reversed", false, true, true, true, -0.6f, 0.3f, 0.6f, -0.3f, 0.3f},
    };
    for (const auto& c : cases) {
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

    // Curve: points 0, 70, 80, 90, 100 joined by straight lines 0.5 of stick apart; result 2 v / 100 - 1.
    // Expo: y = (e^(k|x|) - 1) / (e^k - 1) with the sign of x, k by percent / 5: 0, 0.2, 0.4, 0.6, 0.8, 1.0,
    // 1.21, 1.5, 1.7 (40 % and more); values for x = 0.5 worked out by hand from that formula.
    const int32_t points[5] = {0, 70, 80, 90, 100};
    const float curve[][2] = {{-1.0f, -1.0f}, {-0.75f, -0.3f}, {-0.25f, 0.5f}, {0.0f, 0.6f}, {0.75f, 0.9f}};
    for (const auto& c : curve)
        EXPECT_NEAR(ApplyCurve(c[0], points), c[1], 1e-6f) << c[0];
    const struct {
        int32_t percent;
        float expected;
    } expo[] = {{-40, 0.5f},       {4, 0.5f},         {5, 0.47502081f},    {30, 0.35320061f},
                {45, 0.29943286f}, {49, 0.29943286f}, {1000, 0.29943286f}, {INT_MAX, 0.29943286f}};
    for (const auto& c : expo) {
        EXPECT_NEAR(ApplyExpo(0.5f, c.percent), c.expected, 2e-6f) << c.percent;
        EXPECT_NEAR(ApplyExpo(-0.5f, c.percent), -c.expected, 2e-6f) << c.percent;
    }
}

// Select Controller examines the first 16 devices and lists those with 4 axes or more; a selection
// outside the list changes nothing.
TEST_F(Controls, SelectFindAndPollTransmittersPluggedAndUnplugged) {
    std::vector<JoystickDeviceInfo> devices(20, {0, 6, "Transmitter", "guid"});
    for (int i = 0; i < 20; ++i)
        devices[i].id = i;
    devices[1].axes = 3;
    EXPECT_EQ(ListSelectableControllers(devices).size(), 15u);
    SelectListedController(Calibration, 1);
    SelectListedController(Calibration, 15);
    EXPECT_EQ(Calibration.joystickId, 2);

    // The transmitter chosen before is found by its name, GUID and place among identical devices.
    const std::vector<JoystickDeviceInfo> known = {{0, 4, "Game Pad", "aa"},
                                                   {2, 6, "RC Transmitter", "bb"},
                                                   {3, 6, "RC Transmitter", "cc"},
                                                   {5, 6, "RC Transmitter", "bb"},
                                                   {7, 6, "RC Transmitter", "bb"}};
    const struct {
        TransmitterIdentity who;
        int32_t id;
    } cases[] = {
        {{"bb", "RC Transmitter", 2}, 7},
        {{"bb", "RC Transmitter", 5}, 2}, // fewer identical known now: the first of them
        {{"aa", "Game Pad", 0}, 0},
        {{"bb", "Game Pad", 0}, -1}, // name and GUID both count
        {{"", "", 0}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindTransmitter(known, c.who), c.id) << c.who.guid << " " << c.who.index;
    EXPECT_EQ(IdenticalDeviceIndex(known, 5), 1);
    EXPECT_EQ(ControllerListTexts(known, 5),
              (std::vector<std::string>{"Game Pad", "RC Transmitter", "RC Transmitter",
                                        "RC Transmitter #2 (in use)", "RC Transmitter #3"}));

    // Axes arrive as SDL value + 32768, buttons and hats as bits; a device with three axes is not offered
    // and reads 0 on the axes it lacks; an id without a device, or outside 0..15, reads all 0. The chosen
    // transmitter is found by identity, also the second of two identical ones; unplugged it reads 0 and
    // it is picked up at its old id when it returns, without a restart.
    ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    SetJoystickCalibrationDefaults(Calibration);
    SDL_Joystick* pad = AttachVirtualJoystick("Pad", 3, 2);
    SDL_Joystick* first = AttachVirtualJoystick("RC Transmitter", 6, 10);
    SDL_Joystick* second = AttachVirtualJoystick("RC Transmitter", 6, 10);
    ASSERT_TRUE(InitJoystickDevices());
    EXPECT_FALSE(PumpDeviceEvents()); // the start-up events of devices already open change nothing
    ASSERT_EQ(PresentJoystickDevices().size(), 3u);
    std::vector<JoystickDeviceInfo> listed = ListSelectableControllers(PresentJoystickDevices());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, 1);
    char name[256];
    EXPECT_EQ(GetJoystickOemName(2, name), 0);
    EXPECT_STREQ(name, "RC Transmitter");
    EXPECT_EQ(GetJoystickOemName(7, name), 166);

    TransmitterIdentity who = TransmitterIdentityOf(2);
    EXPECT_EQ(who.name, "RC Transmitter");
    EXPECT_EQ(who.index, 1);
    EXPECT_EQ(who.guid.size(), 32u);
    SetRememberedTransmitter(who);
    Calibration.joystickId = 0;
    EXPECT_TRUE(BindTransmitter());
    EXPECT_EQ(Calibration.joystickId, 2);
    EXPECT_TRUE(TransmitterPresent());

    const Sint16 axes[4] = {-32768, 32767, 0, -12768};
    for (int i = 0; i < 4; ++i)
        SDL_JoystickSetVirtualAxis(second, i, axes[i]);
    SDL_JoystickSetVirtualAxis(pad, 2, 1000);
    SDL_JoystickSetVirtualButton(second, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(second, 8, SDL_PRESSED);
    SDL_JoystickSetVirtualHat(second, 0, SDL_HAT_LEFT);
    const struct {
        int32_t id, raw0, raw2, raw3, buttons, hats;
    } polls[] = {{2, 0, 32768, 20000, (1 << 3) | (1 << 8), 8}, // hat 0 left
                 {0, 32768, 33768, 0, 0, 0},
                 {9, 0, 0, 0, 0, 0},
                 {-4, 0, 0, 0, 0, 0}};
    for (const auto& p : polls) {
        Calibration.joystickId = p.id;
        PollJoystickForStep();
        EXPECT_EQ(Calibration.raw[0], p.raw0) << p.id;
        EXPECT_EQ(Calibration.raw[2], p.raw2) << p.id;
        EXPECT_EQ(Calibration.raw[3], p.raw3) << p.id;
        EXPECT_EQ(Calibration.buttons, p.buttons) << p.id;
        EXPECT_EQ(JoystickHats, p.hats) << p.id;
    }

    Calibration.joystickId = 2;
    DetachVirtualJoystick(first);
    EXPECT_FALSE(PumpDeviceEvents());
    DetachVirtualJoystick(second);
    EXPECT_TRUE(PumpDeviceEvents());
    EXPECT_FALSE(TransmitterPresent());
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[2], 0);
    EXPECT_EQ(Calibration.buttons, 0);
    EXPECT_EQ(JoystickHats, 0);
    EXPECT_EQ(PresentJoystickDevices().size(), 1u);

    SDL_Joystick* again = AttachVirtualJoystick("RC Transmitter", 6, 10);
    PumpDeviceEvents();
    ASSERT_EQ(PresentJoystickDevices().size(), 2u);
    EXPECT_EQ(PresentJoystickDevices()[1].id, 1);
    EXPECT_EQ(Calibration.joystickId, 1);
    SDL_JoystickSetVirtualAxis(again, 0, -2768);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 30000);

    SetRememberedTransmitter({});
    ShutdownJoystickDevices();
    DetachVirtualJoystick(again);
    DetachVirtualJoystick(pad);
    SDL_Quit();
}

class Dialogs : public Controls {
  protected:
    void SetUp() override {
        Controls::SetUp();
        CreateHeadlessImGui(1024.0f, 768.0f);
    }
    void TearDown() override { ImGui::DestroyContext(); }
    // One frame of the main loop's UI with every dialog's Draw at top level.
    static void Frame(double seconds = 0.05, bool escape = false) {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = static_cast<float>(seconds);
        io.KeysDown[ImGuiKey_Escape] = escape;
        ImGui::NewFrame();
        DrawControllerDialogs();
        ImGui::Render();
    }
    static void Escape() {
        Frame(0.05, true);
        Frame();
    }
    static int OpenPopups() { return ImGui::GetCurrentContext()->OpenPopupStack.Size; }
    // Clicks the widget labelled label in window title, under the ImGui::PushID(group) the dialog uses
    // (group < 0: none), as a pointer does: finds it by hovering over the window, presses, releases.
    static bool Click(const char* title, const char* label, int group = -1) {
        ImGuiWindow* window = ImGui::FindWindowByName(title);
        if (!window) return false;
        const ImGuiID id =
            ImHashStr(label, 0, group >= 0 ? ImHashData(&group, sizeof group, window->ID) : window->ID);
        ImGuiIO& io = ImGui::GetIO();
        for (float y = window->Pos.y + 2; y < window->Pos.y + window->Size.y; y += 6) {
            for (float x = window->Pos.x + 4; x < window->Pos.x + window->Size.x; x += 10) {
                io.MousePos = ImVec2(x, y);
                Frame(0.001);
                if (ImGui::GetCurrentContext()->HoveredId != id) continue;
                for (bool down : {true, false}) {
                    io.MouseDown[0] = down;
                    Frame(0.001);
                }
                io.MousePos = ImVec2(-1, -1);
                Frame(0.001);
                return true;
            }
        }
        return false;
    }
};

// Calibrate driven through its buttons: opening discards the old calibration, the two OKs calibrate, a
// barely moved axis keeps its old values on "Go on", and Esc gives the whole old calibration back.
TEST_F(Dialogs, CalibrateAndMappingThroughTheirWidgets) {
    const struct {
        const char* finish; // button pressed at the end ("Go on" after a warning), or "Escape"
        bool moveAll;       // all six axes moved in phase 1, else axes 4 and 5 stay put
        int32_t centre0, min0, max0, min5, max5;
    } cases[] = {
        {"OK", true, 30000, 200, 64000, 200, 64000},
        {"Go on", false, 30000, 200, 64000, 1005, 61005},
        {"Escape", true, 31000, 1000, 61000, 1005, 61005},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.finish);
        for (int i = 0; i < 6; ++i) {
            Calibration.maxRaw[i] = 61000 + i;
            Calibration.centreRaw[i] = 31000 + i;
            Calibration.minRaw[i] = 1000 + i;
        }
        ShowCalibrateDialog();
        std::fill(std::begin(Calibration.raw), std::end(Calibration.raw), 30000);
        Frame();
        Frame();
        EXPECT_EQ(Calibration.minRaw[3], 65535);
        ASSERT_TRUE(Click("Calibrate", "OK"));
        EXPECT_EQ(Calibration.centreRaw[3], 30000);
        for (int32_t raw : {200, 64000, 30000}) {
            std::fill(std::begin(Calibration.raw), std::end(Calibration.raw), raw);
            if (!c.moveAll) Calibration.raw[4] = Calibration.raw[5] = 30000;
            Frame(0.15);
            Frame(0.15);
        }
        if (std::string(c.finish) == "Escape") {
            Escape();
        } else {
            ASSERT_TRUE(c.moveAll || Click("Calibrate", "OK")); // a warning first, the dialog stays open
            ASSERT_TRUE(Click("Calibrate", c.finish));
        }
        EXPECT_EQ(OpenPopups(), 0);
        EXPECT_EQ(Calibration.centreRaw[0], c.centre0);
        EXPECT_EQ(Calibration.minRaw[0], c.min0);
        EXPECT_EQ(Calibration.maxRaw[0], c.max0);
        EXPECT_EQ(Calibration.minRaw[5], c.min5);
        EXPECT_EQ(Calibration.maxRaw[5], c.max5);
    }

    // Under Calibrate every axis sweeps its extremes, so a switch on an axis (or a button) flips: the flips
    // neither reset nor resume while the dialog is open, and closing it fires nothing. After that the
    // switches work again.
    Mapping.pauseSwitch = 1;       // axis 1
    Mapping.resetSwitch = 0x10002; // button 2
    SetPauseSwitchEnabled(true);
    SetResetSwitchEnabled(true);
    Calibration.raw[1] = 1000;
    PollControllerSwitches(); // primed: the pause switch reads off
    SimPaused = false;
    ShowCalibrateDialog();
    Frame();
    EXPECT_TRUE(SimPaused);
    for (int32_t raw : {64000, 1000, 64000}) {
        std::fill(std::begin(Calibration.raw), std::end(Calibration.raw), raw);
        Calibration.buttons = raw > 32768 ? 1 << 2 : 0;
        FlightState = FlightCrashed;
        PollControllerSwitches();
        Frame(0.15);
        EXPECT_TRUE(SimPaused) << raw;
        EXPECT_EQ(FlightState, FlightCrashed) << raw;
    }
    Escape();
    EXPECT_EQ(OpenPopups(), 0);
    PollControllerSwitches();
    EXPECT_TRUE(SimPaused) << "closing the dialog fired a switch";
    EXPECT_EQ(FlightState, FlightCrashed);
    Calibration.raw[1] = 1000; // the pause switch off: the simulation resumes
    PollControllerSwitches();
    EXPECT_FALSE(SimPaused);
    FlightState = FlightFlying;

    // The mapping dialog's boxes clicked in turn, each row with the field it must leave as given; then a
    // picker opened over it: Esc leaves a switch picker with the switch as it was, while only a channel
    // button closes the channel picker.
    ShowControllerMapping();
    Frame();
    Frame();
    const struct {
        const char* label;
        int group;
        const uint8_t* field;
        uint8_t expected;
    } clicks[] = {
        // With the simulator curves the collective's box is disabled and follows the throttle's.
        {"Reverse", Throttle, &Mapping.reverse[Collective], 1},
        {"Use Simulator Throttle/Pitch Curves", -1, &Mapping.useSimCurves, 0},
        {"Reverse", Collective, &Mapping.reverse[Collective], 0},
        {"Reverse", Collective, &Mapping.reverse[Throttle], 1},
        // Idle up (group 5) off the keyboard, then reversed; throttle hold's box (6) is disabled.
        {"Keyboard", 5, &Mapping.keyboardIdleUp, 0},
        {"Reverse", 5, &Mapping.idleUpReverse, 1},
        {"Reverse", 6, &Mapping.throttleHoldReverse, 0},
    };
    for (const auto& c : clicks) {
        Click("Controller Mapping", c.label, c.group);
        EXPECT_EQ(*c.field, c.expected) << c.label << " " << c.group;
    }
    Mapping.idleUpSwitch = 0x10004;
    for (int popupsAfterEscape : {1, 2}) {
        if (popupsAfterEscape == 1)
            ChooseSwitch("Idle Up", &Mapping.idleUpSwitch);
        else
            ChooseChannel("Roll Cyclic", Roll);
        for (int i = 0; i < 3; ++i)
            Frame();
        EXPECT_EQ(OpenPopups(), 2);
        Escape();
        EXPECT_EQ(OpenPopups(), popupsAfterEscape);
    }
    EXPECT_EQ(Mapping.axis[Roll], 1);
    EXPECT_EQ(Mapping.idleUpSwitch, 0x10004);
    // The channel picker still open takes channel 0; the switch picker takes axis 0, button 0 and a hat
    // direction, each into the switch it was opened for.
    ASSERT_TRUE(Click("###ChooseInputChannel", "Channel 0", 0));
    EXPECT_EQ(Mapping.axis[Roll], 0);
    const struct {
        const char* indicator;
        int32_t* field;
        int32_t source;
    } picks[] = {{"###switch0", &Mapping.idleUpSwitch, 0},
                 {"###switch6", &Mapping.throttleHoldSwitch, 0x10000},
                 {"###switch16", &Mapping.idleUpSwitch, 0x20001}};
    for (const auto& p : picks) {
        *p.field = 5;
        ChooseSwitch("Switch", p.field);
        Frame();
        Frame();
        ASSERT_TRUE(Click("###ChooseInputSwitch", p.indicator)) << p.indicator;
        EXPECT_EQ(*p.field, p.source) << p.indicator;
    }
}

} // namespace

// The start and reset interlock on a sequence of steps: (throttle, clock since reset) -> motor throttle.
TEST(PilotAids, ThrottleInterlockAndTransmitterCheck) {
    const struct {
        float throttle, clock, motor;
        bool holding;
    } steps[] = {
        {0.5f, 0.05f, 0.0f, true},  // start with the stick at half: the motor stays off
        {0.6f, 0.10f, 0.0f, true},  //
        {0.0f, 0.15f, 0.0f, false}, // at idle once
        {0.6f, 0.20f, 0.6f, false}, // now the motor follows
        {-0.2f, 0.25f, -0.2f, false},
        {0.7f, 0.30f, 0.7f, false},
        {0.7f, 0.05f, 0.0f, true},    // the clock went back: a reset with the throttle up
        {0.1f, 0.10f, 0.0f, true},    // above idle still
        {-0.1f, 0.15f, -0.1f, false}, // below idle counts as idle
        {0.4f, 0.20f, 0.4f, false},
        {0.4f, 0.20f, 0.0f, true}, // a reset within one step (the clock did not rise)
    };
    ThrottleInterlock lock;
    ArmThrottleInterlock(lock);
    for (const auto& s : steps) {
        EXPECT_FLOAT_EQ(InterlockedThrottle(lock, s.throttle, s.clock), s.motor) << "step " << &s - steps;
        EXPECT_EQ(ThrottleInterlockHolding(lock), s.holding) << "step " << &s - steps;
    }
    // Turned off in Settings.ini: the throttle passes at once and nothing is said.
    ThrottleInterlock off;
    off.enabled = false;
    ArmThrottleInterlock(off);
    EXPECT_FLOAT_EQ(InterlockedThrottle(off, 0.5f, 0.05f), 0.5f);
    EXPECT_FALSE(ThrottleInterlockHolding(off));

    // The transmitter check's figures on sampled axes: a 2 ms axis of 1024 levels is fine, a 25 ms axis of 64
    // levels is named for both; too few changes or too short a movement tell nothing yet.
    AxisWatch fast, slow, still, short_;
    double t = 0.0;
    int fastLevel = 0, slowLevel = 0;
    for (int ms = 0; ms <= 4000; ++ms, t += 0.001) {
        if (ms % 2 == 0) fastLevel = (fastLevel + 1) % 1024;
        if (ms % 25 == 0) slowLevel = (slowLevel + 1) % 64;
        WatchAxisSample(fast, fastLevel * 64, t);
        WatchAxisSample(slow, slowLevel * 1040, t);
        WatchAxisSample(still, 32768, t);
        WatchAxisSample(short_, 32768 + (ms / 2) % 100, t); // fine steps over a little of the travel
    }
    const AxisFigures f = FiguresOf(fast), s = FiguresOf(slow), n = FiguresOf(still), h = FiguresOf(short_);
    EXPECT_DOUBLE_EQ(std::round(f.medianMs), 2.0);
    EXPECT_DOUBLE_EQ(std::round(f.p95Ms), 2.0);
    EXPECT_NEAR(f.changes, 1500, 2); // the last 3 s only
    EXPECT_EQ(f.steps, 65535 / 64 + 1);
    EXPECT_DOUBLE_EQ(std::round(s.medianMs), 25.0);
    EXPECT_EQ(s.steps, 65535 / 1040 + 1);
    EXPECT_EQ(n.changes, 0);
    EXPECT_EQ(n.medianMs, 0.0);
    EXPECT_EQ(n.steps, 0);
    EXPECT_EQ(h.steps, 0);
    EXPECT_TRUE(AxisWarnings("Axis X", f).empty());
    EXPECT_TRUE(AxisWarnings("Axis Z", n).empty());
    const std::vector<std::string> warnings = AxisWarnings("Axis Y", s);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("Axis Y sends a new value only every 25 ms"), std::string::npos)
        << warnings[0];
    EXPECT_NE(warnings[1].find("Axis Y moves in 64 steps"), std::string::npos) << warnings[1];
    // Exactly 10 ms and 256 steps are still fine; just past them is not.
    AxisFigures edge;
    edge.medianMs = 10.0;
    edge.steps = 256;
    EXPECT_TRUE(AxisWarnings("A", edge).empty());
    edge.medianMs = 10.5;
    edge.steps = 255;
    EXPECT_EQ(AxisWarnings("A", edge).size(), 2u);
    // Intervals of 2 ms and 30 ms mixed, 15 and 25 of them: the median is 30 ms.
    AxisWatch mixed;
    double at = 0.0;
    int value = 0;
    WatchAxisSample(mixed, value, at);
    for (int i = 0; i < 40; ++i) {
        at += (i % 8 < 3) ? 0.002 : 0.030;
        WatchAxisSample(mixed, ++value, at);
    }
    EXPECT_DOUBLE_EQ(std::round(FiguresOf(mixed).medianMs), 30.0);
    double mean = 0.0, worst = 0.0;
    StickToScreenMs(50.0, 1000.0 / 60.0, mean, worst);
    EXPECT_NEAR(mean, 25.0 + 25.0, 1e-9);
    EXPECT_NEAR(worst, 50.0 + 100.0 / 3.0, 1e-9);
}
