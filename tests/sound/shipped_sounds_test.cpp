// The sounds the build writes into the program folder: the motor loop and the crash sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "sound/motor_sound.h"

namespace fs = std::filesystem;

namespace {
std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Power of one DFT bin (Goertzel).
double BinPower(const std::vector<int16_t>& v, double bin) {
    const double w = 2 * 3.14159265358979323846 * bin / double(v.size());
    double s1 = 0, s2 = 0;
    for (int16_t x : v) {
        double s0 = x + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}
} // namespace

TEST(ShippedSounds, MotorLoopSoundsLikeTheRotorAndJoinsWithoutAStep) {
    const std::vector<uint8_t> file = ReadBytes(fs::path(RV_PROGRAM_DIR) / "data" / "motorsound.wav");
    MotorSoundState s;
    ASSERT_TRUE(LoadMotorSoundBytes(file.data(), file.size(), s)) << "data/motorsound.wav";
    EXPECT_EQ(s.format.bitsPerSample, 16);
    EXPECT_EQ(s.format.channels, 1);

    // Hovering at 2500 rpm close to the pilot: play several wraps of the loop.
    MotorSoundInputs in;
    in.rpm = 2500.0f;
    in.distance = 2.0f;
    in.motorOn = true;
    std::vector<int16_t> out, block(static_cast<size_t>(s.blockSamples));
    std::vector<size_t> wraps;
    for (int b = 0; b < 60; ++b) {
        const int32_t before = s.readPos;
        FillMotorBlock(s, in, block.data());
        if (b > 0 && before == 0) wraps.push_back(out.size());
        out.insert(out.end(), block.begin(), block.end());
    }
    ASSERT_GE(wraps.size(), 1u);

    // No click where the loop starts over: the jump there is within the sound's ordinary steps.
    double stepSum = 0;
    for (size_t i = 1; i < out.size(); ++i)
        stepSum += std::abs(out[i] - out[i - 1]);
    const double meanStep = stepSum / double(out.size() - 1);
    for (size_t w : wraps)
        EXPECT_LE(std::abs(out[w] - out[w - 1]), 3 * meanStep) << "at sample " << w;

    // Tones over one period of the played loop (1.5 s): the blade chop at 83.3 Hz, the motor's
    // electrical whine and the gear mesh stand well above their neighbourhood.
    const size_t period = static_cast<size_t>(s.format.samplesPerSec) * 3 / 2;
    ASSERT_GE(out.size(), period + wraps.front());
    std::vector<int16_t> one(out.begin() + static_cast<long>(wraps.front()),
                             out.begin() + static_cast<long>(wraps.front() + period));
    const double hz = 1.5; // bins per Hz over 1.5 s
    for (double f : {83.333, 166.667, 1250.0, 6250.0}) {
        double peak = BinPower(one, f * hz);
        double nearby = (BinPower(one, f * hz - 7) + BinPower(one, f * hz + 7)) / 2;
        EXPECT_GT(peak, 30 * nearby) << f << " Hz";
    }
    EXPECT_GT(BinPower(one, 83.333 * hz), BinPower(one, 1250 * hz)) << "the rotor is louder than the motor";
}

TEST(ShippedSounds, FourOrMoreDistinctCrashSounds) {
    std::set<std::vector<uint8_t>> contents;
    int count = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(RV_PROGRAM_DIR) / "crashsounds")) {
        if (e.path().extension() != ".wav") continue;
        std::vector<uint8_t> bytes = ReadBytes(e.path());
        WaveChunks c;
        ASSERT_TRUE(ParseRiffWave(bytes.data(), bytes.size(), c)) << e.path();
        EXPECT_EQ(c.format.formatTag, WaveFormatPcm);
        const double seconds = double(c.dataSize) / c.format.avgBytesPerSec;
        EXPECT_GT(seconds, 0.5) << e.path();
        EXPECT_LT(seconds, 3.0) << e.path();
        contents.insert(std::vector<uint8_t>(bytes.begin() + static_cast<long>(c.dataOffset), bytes.end()));
        ++count;
    }
    EXPECT_GE(count, 4);
    EXPECT_EQ(contents.size(), size_t(count)) << "each crash sound is different";
}
