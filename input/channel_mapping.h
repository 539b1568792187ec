// The channel and switch assignment record (JoystickMapping.dat), the switch test and the keyboard states.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "input/control_input.h"

// SwitchSource: 0..5 = axis used as a switch (on above 30000 raw), 0x10000 + n = button bit n,
// 0x20000 + 4 x hat + direction (0 up, 1 right, 2 down, 3 left) = a hat direction. The hat values have
// bit 0x10000 clear, so a program that knows only axes and buttons reads them as never on, and the
// mapping file keeps its layout.
constexpr int32_t SwitchButtonBase = 0x10000;
constexpr int32_t SwitchHatBase = 0x20000;

struct ChannelMapping {
    int32_t axis[5];    // by ControlFunction
    uint8_t reverse[6]; // by ControlFunction; the sixth is unused
    uint8_t padding1[2];
    int32_t idleUpSwitch;
    int32_t throttleHoldSwitch;
    int32_t resetSwitch;
    int32_t pauseSwitch;
    uint8_t idleUpReverse;
    uint8_t throttleHoldReverse;
    uint8_t resetReverse;
    uint8_t pauseReverse;
    uint8_t useSimCurves; // "Use Simulator Throttle/Pitch Curves"
    uint8_t keyboardIdleUp;
    uint8_t keyboardThrottleHold;
    uint8_t resetSwitchEnabled;
    uint8_t pauseSwitchEnabled;
    uint8_t keyThrottleHoldOn;
    uint8_t keyIdleUpOn;
    uint8_t padding2;
};
static_assert(sizeof(ChannelMapping) == 56);
static_assert(offsetof(ChannelMapping, axis) == 0);
static_assert(offsetof(ChannelMapping, reverse) == 20);
static_assert(offsetof(ChannelMapping, padding1) == 26);
static_assert(offsetof(ChannelMapping, idleUpSwitch) == 28);
static_assert(offsetof(ChannelMapping, throttleHoldSwitch) == 32);
static_assert(offsetof(ChannelMapping, resetSwitch) == 36);
static_assert(offsetof(ChannelMapping, pauseSwitch) == 40);
static_assert(offsetof(ChannelMapping, idleUpReverse) == 44);
static_assert(offsetof(ChannelMapping, throttleHoldReverse) == 45);
static_assert(offsetof(ChannelMapping, resetReverse) == 46);
static_assert(offsetof(ChannelMapping, pauseReverse) == 47);
static_assert(offsetof(ChannelMapping, useSimCurves) == 48);
static_assert(offsetof(ChannelMapping, keyboardIdleUp) == 49);
static_assert(offsetof(ChannelMapping, keyboardThrottleHold) == 50);
static_assert(offsetof(ChannelMapping, resetSwitchEnabled) == 51);
static_assert(offsetof(ChannelMapping, pauseSwitchEnabled) == 52);
static_assert(offsetof(ChannelMapping, keyThrottleHoldOn) == 53);
static_assert(offsetof(ChannelMapping, keyIdleUpOn) == 54);
static_assert(offsetof(ChannelMapping, padding2) == 55);
constexpr size_t ChannelMappingFileSize = 56;

extern ChannelMapping Mapping;

// Roll on axis 1, pitch 0, yaw 3, throttle 2, collective 4; simulator curves on; both switches on the
// keyboard; everything else 0.
void SetChannelMappingDefaults(ChannelMapping& map);
// Reads up to 56 bytes over the record (a short file changes only the bytes it holds). Returns false
// when the file cannot be opened (the record is unchanged).
bool LoadChannelMapping(ChannelMapping& map, const std::string& path);
// Writes the record's 56 bytes; returns false when the file cannot be written.
bool SaveChannelMapping(const ChannelMapping& map, const std::string& path);

// The raw switch test: axis 0..5 on when its raw value is above 30000; a source with bit 0x10000 set
// tests bit (source & 31) of the button mask; anything else is never on.
bool IsSwitchOn(int32_t source);

// The keyboard idle-up and throttle-hold states (Left Ctrl / I and Right Ctrl / H). They toggle
// whatever keyboardIdleUp / keyboardThrottleHold say; they only count while those are set.
void ToggleKeyboardIdleUp();
void ToggleKeyboardThrottleHold();

// Display names the pickers are called with, by ControlFunction.
const char* ChannelChooserName(ControlFunction f);

// The "Choose Switch" indicators: axes 0..5, buttons 0x10000..0x10008, the four directions of hat 0.
constexpr int SwitchChooserCount = 19;
extern const int32_t SwitchChooserSources[SwitchChooserCount];
// "Axis 0".."Axis 5", "Button 0".."Button 8", "Hat Up", "Hat Right", "Hat Down", "Hat Left".
const char* SwitchChooserLabel(int index);
// What the mapping dialog shows for a switch source: its indicator's label, "Button n" or
// "Hat h Up"... for sources outside the chooser, "none" for a source that is never on.
std::string SwitchSourceText(int32_t source);

// "Controller Mapping" dialog rules.
struct MappingEnables {
    bool idleUpSwitchControls;       // "Choose" 1070 and "Reverse" 1013: off while keyboardIdleUp
    bool throttleHoldSwitchControls; // "Choose" 1071 and "Reverse" 1015: off while keyboardThrottleHold
    bool collectiveControls;         // bar 1018, "Reverse" 1022, "Choose" 1069: off while useSimCurves
};
MappingEnables GetMappingEnables(const ChannelMapping& map);

// The seven "Reverse" boxes in dialog order: Roll, Pitch, Yaw, Throttle, Collective, idle-up, hold.
struct MappingReverseBoxes {
    bool box[7];
};
// What the boxes show: box 1022 (Collective) shows reverse[Throttle] while useSimCurves is set.
MappingReverseBoxes GetMappingReverseBoxes(const ChannelMapping& map);
// A click on any "Reverse" box: all seven are read into the record; with the simulator curves the
// collective reverse then follows the throttle reverse.
void ApplyMappingReverseBoxes(ChannelMapping& map, const MappingReverseBoxes& boxes);
// "Use Simulator Throttle/Pitch Curves" clicked: stores the flag; when set, the collective reverse
// follows the throttle reverse.
void SetUseSimCurves(ChannelMapping& map, bool on);
// "Keyboard" boxes of idle-up and throttle hold.
void SetKeyboardIdleUp(ChannelMapping& map, bool on);
void SetKeyboardThrottleHold(ChannelMapping& map, bool on);
// Results of the pickers: a channel always (clamped into 0..5); a switch only when 0 or more.
void StoreChosenChannel(ChannelMapping& map, ControlFunction f, int32_t axis);
void StoreChosenSwitch(int32_t& field, int32_t source);
// The live bar value of a function: GetControlInput(f) x 1000, truncated toward zero.
int MappingBarValue(float input);
