// Edge detection of the controller reset and pause switches and the rules of their dialog.
#include "input/controller_switches.h"

#include "flight/sim_control.h"
#include "input/channel_mapping.h"
#include "input/controller_switches_internal.h"
#include "input/shared_field.h"

bool lastResetSwitchState = false;
bool lastPauseSwitchState = false;

static bool SwitchChanged(const uint8_t& enabled, const int32_t& source, bool& last) {
    if (!LoadShared(enabled)) return false;
    bool s = IsSwitchOn(LoadShared(source));
    bool changed = s != last;
    last = s;
    return changed;
}

bool ResetSwitchChanged() {
    return SwitchChanged(Mapping.resetSwitchEnabled, Mapping.resetSwitch, lastResetSwitchState);
}

bool PauseSwitchChanged() {
    return SwitchChanged(Mapping.pauseSwitchEnabled, Mapping.pauseSwitch, lastPauseSwitchState);
}

bool ResetSwitchState() {
    if (!LoadShared(Mapping.resetSwitchEnabled)) return false;
    return IsSwitchOn(LoadShared(Mapping.resetSwitch)) != (LoadShared(Mapping.resetReverse) != 0);
}

bool PauseSwitchState() {
    if (!LoadShared(Mapping.pauseSwitchEnabled)) return SimPaused;
    return IsSwitchOn(LoadShared(Mapping.pauseSwitch)) != (LoadShared(Mapping.pauseReverse) != 0);
}

ControllerSwitchActions CheckControllerSwitches() {
    ControllerSwitchActions a;
    a.reset = ResetSwitchChanged() && ResetSwitchState();
    if (PauseSwitchChanged()) {
        a.setPause = true;
        a.pauseState = PauseSwitchState();
    }
    return a;
}

void SetResetSwitchEnabled(bool on) {
    StoreShared(Mapping.resetSwitchEnabled, static_cast<uint8_t>(on ? 1 : 0));
}

void SetPauseSwitchEnabled(bool on) {
    StoreShared(Mapping.pauseSwitchEnabled, static_cast<uint8_t>(on ? 1 : 0));
}

void SetResetPauseReverse(bool resetReverse, bool pauseReverse) {
    StoreShared(Mapping.resetReverse, static_cast<uint8_t>(resetReverse ? 1 : 0));
    StoreShared(Mapping.pauseReverse, static_cast<uint8_t>(pauseReverse ? 1 : 0));
}
