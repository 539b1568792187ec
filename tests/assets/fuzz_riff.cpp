// Fuzz target: the RIFF WAVE reader, the motor loop built from what it accepts, and a few blocks of it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/motor_sound.h"
#include "sound/riff_wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WaveChunks chunks;
    if (ParseRiffWave(data, size, chunks) && chunks.dataOffset + chunks.dataSize > size) __builtin_trap();
    MotorSoundState state;
    if (!LoadMotorSoundBytes(data, size, state)) return 0;
    std::vector<int16_t> block(static_cast<size_t>(state.blockSamples));
    MotorSoundInputs in;
    in.motorOn = true;
    in.distance = 2.0f;
    in.doppler = 1.0f;
    for (float rpm : {2500.0f, 4900.0f, 1300.0f, 9000.0f, 3000.0f, 4999.0f, 4999.0f, 4999.0f}) {
        in.rpm = rpm;
        FillMotorBlock(state, in, block.data());
    }
    return 0;
}
