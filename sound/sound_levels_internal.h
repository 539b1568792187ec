// The pilot's volume levels as the sound files hold them; only sound/'s own files (and tests) use them.
#pragma once
#include <atomic>
#include <cstdint>

#include "sound/sound_levels.h"

// Volume levels in percent (0..100), kept in Settings.ini. Read by the audio threads, set by the main thread.
struct SoundLevels {
    std::atomic<int32_t> masterPercent{100};
    std::atomic<int32_t> motorPercent{100};
    std::atomic<int32_t> crashPercent{100};
};
extern SoundLevels Levels;
