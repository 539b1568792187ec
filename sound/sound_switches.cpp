// The two sound switches at their start-up values.
#include "sound/sound_switches.h"

bool MotorSoundEnabled = false;
bool CrashSoundEnabled = true;
