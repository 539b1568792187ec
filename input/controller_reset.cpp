// The 50 ms controller switch watch: carries out a reset or pause asked for by the switches.
#include <mutex>

#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "input/controller_switches.h"

void PollControllerSwitches() {
    ControllerSwitchActions a = CheckControllerSwitches();
    // Under Calibrate the switches read a calibration half built: they keep being watched (so closing
    // the dialog fires nothing) but do nothing.
    if (PauseHeld) return;
    if (!a.reset && !a.setPause) return;
    std::lock_guard<std::mutex> lock(SimMutex);
    if (a.reset) {
        ResetHelicopter();
        SimPaused = false;
        SlowMotionPlayback = false;
    }
    if (a.setPause) SimPaused = a.pauseState;
}
