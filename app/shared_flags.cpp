// The shared flags and the speed table.
#include "app/shared_flags.h"

int32_t SimSpeed = 3;
float SimTimeStep = StepSeconds;
std::atomic<bool> QuitRequested{false};

float TimeStepForSpeed(int32_t speed) {
    switch (speed) {
    case 0: return 0.0125f;
    case 1: return 0.025f;
    case 2: return 0.0375f;
    case 3: return StepSeconds;
    case 4: return 0.06f;
    case 5: return 0.075f;
    default: return 0.1f;
    }
}
