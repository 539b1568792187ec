// Volume levels from Settings.ini, the stereo pan from the helicopter's bearing, and the output mix.
#include "sound/sound_levels.h"

#include <algorithm>
#include <cmath>

#include "assets/settings_ini.h"
#include "sound/sound_levels_internal.h"

SoundLevels Levels;

namespace {
std::atomic<float> publishedX{0.0f};
std::atomic<float> publishedY{0.0f};

// The far channel's level for a sound level with the pilot's shoulder.
constexpr float FarSideLevel = 0.3f;

float Percent(const std::atomic<int32_t>& level) {
    return static_cast<float>(std::clamp(level.load(std::memory_order_relaxed), 0, 100)) / 100.0f;
}

int16_t Scale(int16_t v, float gain) {
    float scaled = static_cast<float>(v) * gain;
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}
} // namespace

void LoadSoundLevels() {
    Levels.masterPercent = GetSettingInt(MasterVolumeKey, 100, 0, 100);
    Levels.motorPercent = GetSettingInt(MotorVolumeKey, 100, 0, 100);
    Levels.crashPercent = GetSettingInt(CrashVolumeKey, 100, 0, 100);
}

void StoreSoundLevels() {
    SetSettingInt(MasterVolumeKey, Levels.masterPercent.load());
    SetSettingInt(MotorVolumeKey, Levels.motorPercent.load());
    SetSettingInt(CrashVolumeKey, Levels.crashPercent.load());
}

float MotorOutputGain() {
    return Percent(Levels.masterPercent) * Percent(Levels.motorPercent);
}

float CrashOutputGain() {
    return Percent(Levels.masterPercent) * Percent(Levels.crashPercent);
}

StereoGains PanForPosition(float x, float y) {
    StereoGains g;
    const float ground = std::sqrt(x * x + y * y);
    // NaN positions fail the test and stay centred.
    if (!(ground >= 0.5f)) return g;
    const float side = std::clamp(x / ground, -1.0f, 1.0f); // sine of the bearing: -1 left, +1 right
    if (side > 0.0f)
        g.left = 1.0f - (1.0f - FarSideLevel) * side;
    else
        g.right = 1.0f + (1.0f - FarSideLevel) * side;
    return g;
}

void PublishSoundPosition(float x, float y) {
    publishedX.store(x, std::memory_order_relaxed);
    publishedY.store(y, std::memory_order_relaxed);
}

StereoGains CurrentPan() {
    return PanForPosition(publishedX.load(std::memory_order_relaxed),
                          publishedY.load(std::memory_order_relaxed));
}

void WriteOutputFrames(const int16_t* mono, int32_t count, StereoGains gains, int channels, int16_t* out) {
    if (channels == 2) {
        for (int32_t i = 0; i < count; ++i) {
            out[2 * i] = Scale(mono[i], gains.left);
            out[2 * i + 1] = Scale(mono[i], gains.right);
        }
        return;
    }
    const float gain = std::max(gains.left, gains.right);
    for (int32_t i = 0; i < count; ++i)
        out[i] = Scale(mono[i], gain);
}
