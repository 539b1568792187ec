// The simulation lock and the pause flags.
#include "flight/sim_control.h"

std::mutex SimMutex;
bool SimPaused = false;
std::atomic<bool> PauseHeld{false};
bool SlowMotionPlayback = false;

void PauseSimulation() {
    std::lock_guard<std::mutex> lock(SimMutex);
    SimPaused = true;
}
