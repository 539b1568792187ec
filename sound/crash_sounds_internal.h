// Whether a crash sound is on; only sound/'s own files (and tests) use it.
#pragma once
#include <atomic>

#include "sound/crash_sounds.h"

// Set on a crash (also with crash sounds off), cleared by EndCrashSound; silences the motor sound.
extern std::atomic<bool> CrashSoundPlaying;
