// The sounds the build writes into the program folder: the motor loop and the crash sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

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

    // Hovering at 2500 rpm close to the pilot: play more than one period of the loop.
    MotorSoundInputs in;
    in.rpm = 2500.0f;
    in.distance = 2.0f;
    in.motorOn = true;
    std::vector<int16_t> out, block(static_cast<size_t>(s.blockSamples));
    for (int b = 0; b < 60; ++b) {
        FillMotorBlock(s, in, block.data());
        out.insert(out.end(), block.begin(), block.end());
    }

    // Tones over one period of the played loop (1.44 s, 60 rotor turns): the blade chop at 83.3 Hz, the
    // motor's electrical whine through the default model's 12-tooth pinion and 150-tooth main gear
    // (2500 / 60 x 150 / 12 x 3 = 1562.5 Hz) and the gear mesh (6250 Hz) stand well above their
    // neighbourhood; the whine of a 15-tooth pinion (1250 Hz) is not there.
    const size_t period = static_cast<size_t>(s.format.samplesPerSec) * 144 / 100;
    ASSERT_GE(out.size(), period);
    std::vector<int16_t> one(out.begin(), out.begin() + static_cast<long>(period));
    const double hz = 1.44; // bins per Hz over 1.44 s
    for (double f : {83.333, 166.667, 1562.5, 3125.0, 6250.0}) {
        double peak = BinPower(one, f * hz);
        double nearby = (BinPower(one, f * hz - 7) + BinPower(one, f * hz + 7)) / 2;
        EXPECT_GT(peak, 30 * nearby) << f << " Hz";
    }
    EXPECT_LT(BinPower(one, 1250 * hz), BinPower(one, 1562.5 * hz) / 100) << "a 15-tooth whine";
    EXPECT_GT(BinPower(one, 83.333 * hz), BinPower(one, 1562.5 * hz)) << "the rotor is louder than the motor";
}

TEST(ShippedSounds, MotorLoopRestartsWithoutAClickAtAnySpeed) {
    const std::vector<uint8_t> file = ReadBytes(fs::path(RV_PROGRAM_DIR) / "data" / "motorsound.wav");
    MotorSoundState base;
    ASSERT_TRUE(LoadMotorSoundBytes(file.data(), file.size(), base));
    for (float rpm : {1800.0f, 2700.0f, 3400.0f}) {
        MotorSoundState s = base;
        MotorSoundInputs in;
        in.rpm = rpm;
        in.distance = 2.0f;
        in.motorOn = true;
        std::vector<int16_t> out, block(static_cast<size_t>(s.blockSamples));
        std::vector<size_t> restarts;
        // Enough blocks for several restarts; the first two let the rate settle from 2.0.
        for (int b = 0; b < 160; ++b) {
            const int32_t before = s.readPos;
            FillMotorBlock(s, in, block.data());
            if (b >= 2 && s.readPos < before) restarts.push_back(out.size() + block.size());
            if (b >= 2) out.insert(out.end(), block.begin(), block.end());
        }
        ASSERT_GE(restarts.size(), 3u) << rpm;
        // The loop's own largest step, away from the block edges, against the largest step around each
        // restart (the block after a restart begins where the waveform would have gone on).
        int ownLargest = 0;
        for (size_t i = 1; i < out.size(); ++i)
            if (i % block.size() > 4 && i % block.size() < block.size() - 4)
                ownLargest = std::max(ownLargest, std::abs(out[i] - out[i - 1]));
        for (size_t r : restarts) {
            if (r + 3 > out.size()) continue;
            int around = 0;
            for (size_t i = r - 2; i <= r + 2; ++i)
                around = std::max(around, std::abs(out[i] - out[i - 1]));
            EXPECT_LE(around, ownLargest) << rpm << " rpm, restart at sample " << r;
        }
    }
}

TEST(ShippedSounds, FourOrMoreDistinctCrashSounds) {
    std::set<std::string> contents; // the sample data of each file
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
        contents.insert(std::string(bytes.begin() + static_cast<long>(c.dataOffset), bytes.end()));
        ++count;
    }
    EXPECT_GE(count, 4);
    EXPECT_EQ(contents.size(), size_t(count)) << "each crash sound is different";
}
