// The controller's reset and pause switches: edge detection and the "Controller Reset + Pause" rules.
#pragma once
#include <cstdint>

// Whether the raw switch state differs from the last test (false, and nothing remembered, while the
// role is disabled). The main window's creation calls ResetSwitchChanged once to prime it.
bool ResetSwitchChanged();
bool PauseSwitchChanged();
// The switch after reversing while its role is enabled; otherwise false for reset and SimPaused for pause.
bool ResetSwitchState();
bool PauseSwitchState();

// What one 50 ms look at the switches asks for.
struct ControllerSwitchActions {
    bool reset = false;    // reset the helicopter, clear SimPaused and SlowMotionPlayback
    bool setPause = false; // SimPaused = pauseState
    bool pauseState = false;
};
// The edge logic alone: updates the remembered states, changes no simulation state.
ControllerSwitchActions CheckControllerSwitches();

// The 50 ms watch step, before the keyboard tests: carries out CheckControllerSwitches' actions
// (ResetHelicopter under SimMutex, then the flags).
void PollControllerSwitches();

// "Controller Reset + Pause" dialog rules: each group's "Choose" and "Reverse" are enabled only while
// its enable box is checked.
void SetResetSwitchEnabled(bool on);
void SetPauseSwitchEnabled(bool on);
void SetResetPauseReverse(bool resetReverse, bool pauseReverse);
