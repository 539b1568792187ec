// The channel mapping record, its file, the raw switch test, keyboard states and the mapping dialog rules.
#include "assets/safe_file.h"
#include "input/channel_mapping.h"

#include <algorithm>
#include <string>
#include <cstdio>
#include <cstring>

#include "input/joystick_calibration.h"
#include "input/joystick_calibration_internal.h"
#include "input/shared_field.h"

ChannelMapping Mapping = [] {
    ChannelMapping map{};
    SetChannelMappingDefaults(map);
    return map;
}();

void SetChannelMappingDefaults(ChannelMapping& map) {
    std::memset(&map, 0, sizeof map);
    map.axis[Roll] = 1;
    map.axis[Pitch] = 0;
    map.axis[Yaw] = 3;
    map.axis[Throttle] = 2;
    map.axis[Collective] = 4;
    map.useSimCurves = 1;
    map.keyboardIdleUp = 1;
    map.keyboardThrottleHold = 1;
}

bool LoadChannelMapping(ChannelMapping& map, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char bytes[ChannelMappingFileSize];
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    std::memcpy(&map, bytes, got);
    return true;
}

bool SaveChannelMapping(const ChannelMapping& map, const std::string& path) {
    ChannelMapping copy;
    std::memcpy(&copy, &map, sizeof copy);
    copy.keyIdleUpOn = LoadShared(map.keyIdleUpOn);
    copy.keyThrottleHoldOn = LoadShared(map.keyThrottleHoldOn);
    return WriteFileAtomically(path, &copy, ChannelMappingFileSize);
}

bool IsSwitchOn(int32_t source) {
    if (source >= 0 && source < JoystickAxisCount) return LoadShared(Calibration.raw[source]) > 30000;
    if (static_cast<uint32_t>(source) & SwitchButtonBase) {
        uint32_t mask = static_cast<uint32_t>(LoadShared(Calibration.buttons));
        return (mask >> (static_cast<uint32_t>(source) & 31u)) & 1u;
    }
    if (source >= SwitchHatBase && source < SwitchHatBase + 16) {
        uint32_t mask = static_cast<uint32_t>(LoadShared(JoystickHats));
        return (mask >> static_cast<uint32_t>(source - SwitchHatBase)) & 1u;
    }
    return false;
}

void ToggleKeyboardIdleUp() {
    StoreShared(Mapping.keyIdleUpOn, static_cast<uint8_t>(LoadShared(Mapping.keyIdleUpOn) ? 0 : 1));
}

void ToggleKeyboardThrottleHold() {
    StoreShared(Mapping.keyThrottleHoldOn,
                static_cast<uint8_t>(LoadShared(Mapping.keyThrottleHoldOn) ? 0 : 1));
}

const char* ChannelChooserName(ControlFunction f) {
    switch (f) {
    case Roll:
        return "Roll Cyclic";
    case Pitch:
        return "Pitch Cyclic";
    case Yaw:
        return "Yaw";
    case Throttle:
        return "Throttle";
    case Collective:
        return "Collective";
    }
    return "";
}

const int32_t SwitchChooserSources[SwitchChooserCount] = {
    0,       1,       2,       3,       4,       5,       0x10000, 0x10001, 0x10002, 0x10003,
    0x10004, 0x10005, 0x10006, 0x10007, 0x10008, 0x20000, 0x20001, 0x20002, 0x20003};

const char* SwitchChooserLabel(int index) {
    static const char* const labels[SwitchChooserCount] = {
        "Axis 0",   "Axis 1",   "Axis 2",    "Axis 3",   "Axis 4",   "Axis 5",   "Button 0",
        "Button 1", "Button 2", "Button 3",  "Button 4", "Button 5", "Button 6", "Button 7",
        "Button 8", "Hat Up",   "Hat Right", "Hat Down", "Hat Left"};
    return index >= 0 && index < SwitchChooserCount ? labels[index] : "";
}

std::string SwitchSourceText(int32_t source) {
    for (int i = 0; i < SwitchChooserCount; ++i)
        if (SwitchChooserSources[i] == source) return SwitchChooserLabel(i);
    // Any value with the button bit reads that button, as IsSwitchOn does, whatever the higher bits.
    if (static_cast<uint32_t>(source) & SwitchButtonBase)
        return "Button " + std::to_string(static_cast<uint32_t>(source) & 31u);
    if (source >= SwitchHatBase && source < SwitchHatBase + 16) {
        static const char* const directions[4] = {"Up", "Right", "Down", "Left"};
        return "Hat " + std::to_string((source - SwitchHatBase) / 4) + " " +
               directions[(source - SwitchHatBase) % 4];
    }
    return "none";
}

MappingEnables GetMappingEnables(const ChannelMapping& map) {
    return {map.keyboardIdleUp == 0, map.keyboardThrottleHold == 0, map.useSimCurves == 0};
}

MappingReverseBoxes GetMappingReverseBoxes(const ChannelMapping& map) {
    MappingReverseBoxes b{};
    for (int f = Roll; f <= Collective; ++f)
        b.box[f] = map.reverse[f] != 0;
    if (map.useSimCurves) b.box[Collective] = map.reverse[Throttle] != 0;
    b.box[5] = map.idleUpReverse != 0;
    b.box[6] = map.throttleHoldReverse != 0;
    return b;
}

static uint8_t Byte(bool b) {
    return b ? 1 : 0;
}

void ApplyMappingReverseBoxes(ChannelMapping& map, const MappingReverseBoxes& boxes) {
    for (int f = Roll; f <= Collective; ++f)
        StoreShared(map.reverse[f], Byte(boxes.box[f]));
    StoreShared(map.idleUpReverse, Byte(boxes.box[5]));
    StoreShared(map.throttleHoldReverse, Byte(boxes.box[6]));
    if (map.useSimCurves) StoreShared(map.reverse[Collective], map.reverse[Throttle]);
}

void SetUseSimCurves(ChannelMapping& map, bool on) {
    StoreShared(map.useSimCurves, Byte(on));
    if (on) StoreShared(map.reverse[Collective], map.reverse[Throttle]);
}

void SetKeyboardIdleUp(ChannelMapping& map, bool on) {
    StoreShared(map.keyboardIdleUp, Byte(on));
}

void SetKeyboardThrottleHold(ChannelMapping& map, bool on) {
    StoreShared(map.keyboardThrottleHold, Byte(on));
}

void StoreChosenChannel(ChannelMapping& map, ControlFunction f, int32_t axis) {
    if (f < Roll || f > Collective) return;
    StoreShared(map.axis[f], std::clamp(axis, 0, JoystickAxisCount - 1));
}

void StoreChosenSwitch(int32_t& field, int32_t source) {
    if (source >= 0) StoreShared(field, source);
}

int MappingBarValue(float input) {
    float v = input * 1000.0f;
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -1.0e6f, 1.0e6f));
}
