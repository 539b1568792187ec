// Times the motor sound's load and block synthesis on the shipped loop, and can write what the player
// makes of it (a rotor run-up, a steady hover and a fly-by) to a wave file for listening.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "sound/motor_sound.h"

namespace {
double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void WriteWave(const char* path, const std::vector<int16_t>& s, uint32_t rate) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return;
    auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + uint32_t(s.size() * 2));
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(uint32_t(s.size() * 2));
    std::fwrite(s.data(), 2, s.size(), f);
    std::fclose(f);
}
} // namespace

int main(int argc, char** argv) {
    const std::string path = std::string(RV_PROGRAM_DIR) + "/data/motorsound.wav";
    const int loads = 20;
    auto t0 = std::chrono::steady_clock::now();
    bool ok = true;
    for (int i = 0; i < loads; ++i)
        ok = ok && LoadMotorSound(path);
    auto t1 = std::chrono::steady_clock::now();
    if (!ok) {
        std::printf("cannot load %s\n", path.c_str());
        return 1;
    }
    MotorSoundState& s = MotorSound;
    std::printf("loop: %u Hz, %zu samples (%.3f s), block %d samples\n", s.format.samplesPerSec,
                s.LoopBuffer.size() / 2, double(s.LoopBuffer.size() / 2) / s.format.samplesPerSec,
                s.blockSamples);
    std::printf("LoadMotorSound: %.3f ms per load\n", 1e3 * Seconds(t1 - t0) / loads);

    MotorSoundInputs in;
    in.motorOn = true;
    in.distance = 3.0f;
    std::vector<int16_t> block(static_cast<size_t>(s.blockSamples));
    const int blocks = 4000;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < blocks; ++i) {
        in.rpm = 2300.0f + 400.0f * float(i % 7) / 6.0f;
        FillMotorBlock(s, in, block.data());
    }
    t1 = std::chrono::steady_clock::now();
    const double perBlock = Seconds(t1 - t0) / blocks;
    std::printf("FillMotorBlock: %.2f us per block, %.2f ns per sample, %.5f%% of the block's play time\n",
                1e6 * perBlock, 1e9 * perBlock / s.blockSamples, 100.0 * perBlock * 16.0);

    if (argc > 1) {
        // 2 s run-up from 1000 to 2500 rpm, 4 s hover at 3 m, then a pass at 15 m/s from 40 m away.
        std::vector<int16_t> out;
        s.rate = 2.0f;
        s.readPos = 0;
        const double blockTime = 1.0 / 16.0;
        for (int b = 0; b < int(10.0 / blockTime); ++b) {
            const double t = b * blockTime;
            in.rpm = t < 2.0 ? float(1000.0 + 750.0 * t) : 2500.0f;
            in.distance = 3.0f;
            in.doppler = 1.0f;
            if (t >= 6.0) {
                const double x = -30.0 + 15.0 * (t - 6.0); // from -30 m to +30 m, 8 m out
                const double y = 8.0;
                in.distance = float(std::sqrt(x * x + y * y));
                in.doppler = float(1.0 - (15.0 * x / in.distance) / 344.0);
            }
            FillMotorBlock(s, in, block.data());
            out.insert(out.end(), block.begin(), block.end());
        }
        WriteWave(argv[1], out, s.format.samplesPerSec);
        std::printf("wrote %s\n", argv[1]);
    }
    return 0;
}
