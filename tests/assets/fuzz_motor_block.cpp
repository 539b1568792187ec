// Fuzz target: the motor sound's block filler driven by arbitrary inputs (rotor speed, distance, Doppler,
// motor, crash and pause flags, NaN and huge values among them) over a loop of fuzzed rate and length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sound/motor_sound.h"
#include "tests/sound/wave_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static const uint32_t rates[8] = {4000, 8000, 11025, 16000, 22050, 44100, 48000, 192000};
    const uint32_t rate = rates[data[0] % 8];
    const size_t block = rate * 2 / 32, n = block * (2 + data[1] % 5) + data[2];
    // A period of half, a third or a quarter of the loop, or a short one, so every loop length is tried.
    const size_t periods[4] = {n / 2, n / 3, n / 4, 1 + size_t(data[3]) * 7};
    const size_t period = std::max<size_t>(periods[data[3] % 4], 1);
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = int16_t((i % period) * 2917 % 60000 - 30000);
    const Bytes wave = wavetest::WaveFile(wavetest::PcmMono16(rate), samples);
    MotorSoundState state;
    if (!LoadMotorSoundBytes(wave.data(), wave.size(), state)) __builtin_trap();
    std::vector<int16_t> out(block);
    for (size_t at = 4; at + 13 <= size; at += 13) {
        MotorSoundInputs in;
        std::memcpy(&in.rpm, data + at, 4);
        std::memcpy(&in.distance, data + at + 4, 4);
        std::memcpy(&in.doppler, data + at + 8, 4);
        in.motorOn = data[at + 12] & 1;
        in.crashPlaying = data[at + 12] & 2;
        in.paused = data[at + 12] & 4;
        FillMotorBlock(state, in, out.data());
        if (state.readPos < 0 || state.readPos > state.loopLimit) __builtin_trap();
    }
    return 0;
}
