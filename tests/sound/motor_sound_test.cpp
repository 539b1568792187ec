// Motor sound: the loop buffer, the block synthesis figures, and the reader against hostile files.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <unistd.h>

#include "sound/motor_sound.h"
#include "tests/sound/wave_bytes.h"

using namespace wavetest;

namespace {
// 16 kHz mono: 32000 bytes per second, so a block is 1000 samples (2000 bytes).
constexpr uint32_t TestRate = 16000;
constexpr int32_t TestBlock = 1000;

MotorSoundState LoadedState(const std::vector<int16_t>& samples) {
    MotorSoundState s;
    std::vector<uint8_t> file = WaveFile(PcmMono16(TestRate), samples);
    EXPECT_TRUE(LoadMotorSoundBytes(file.data(), file.size(), s));
    return s;
}

MotorSoundInputs Inputs(float rpm, float distance = 1.0f, float doppler = 1.0f) {
    MotorSoundInputs in;
    in.rpm = rpm;
    in.distance = distance;
    in.doppler = doppler;
    in.motorOn = true;
    return in;
}

std::vector<int16_t> Block(MotorSoundState& s, const MotorSoundInputs& in) {
    std::vector<int16_t> out(static_cast<size_t>(s.blockSamples), 12345);
    FillMotorBlock(s, in, out.data());
    return out;
}

bool AllZero(const std::vector<int16_t>& v) {
    return std::all_of(v.begin(), v.end(), [](int16_t x) { return x == 0; });
}

// Index of the strongest frequency bin (1..n/2) of a plain DFT.
int DominantBin(const std::vector<int16_t>& v) {
    const double pi = 3.14159265358979323846;
    const size_t n = v.size();
    int best = 0;
    double bestPower = -1;
    for (size_t k = 1; k <= n / 2; ++k) {
        std::complex<double> acc;
        for (size_t i = 0; i < n; ++i)
            acc += double(v[i]) * std::polar(1.0, -2 * pi * double(k * i) / double(n));
        if (std::norm(acc) > bestPower) {
            bestPower = std::norm(acc);
            best = static_cast<int>(k);
        }
    }
    return best;
}
} // namespace

TEST(LoopBuffer, MatchesHandComputedValues) {
    // u = 0, 500, 1000, 1500, 2000, -500, -3001, -3000, -3000, -1500 (halves truncated toward zero)
    // y = 0, 50, 145, 280, 452, 356, 20, -282, -553, -647 (y = (u + 9 y) / 10, truncated toward zero)
    const int16_t s[] = {1000, 2000, -3001, -3000, 0};
    std::vector<int16_t> loop = BuildLoopBuffer(s, 5);
    const std::vector<int16_t> expected = {0, 150, 435, 840, 1356, 1068, 60, -846, -1659, -1941};
    EXPECT_EQ(loop, expected);

    // A loud constant settles at y = 19991; 3 y = 59973 keeps only its low 16 bits.
    std::vector<int16_t> loud(200, 20000);
    std::vector<int16_t> wrapped = BuildLoopBuffer(loud.data(), loud.size());
    ASSERT_EQ(wrapped.size(), 400u);
    EXPECT_EQ(wrapped.back(), static_cast<int16_t>(59973 - 65536));
}

TEST(MotorSoundLoad, BlockSizesAndLimits) {
    MotorSoundState s = LoadedState(SineLoop(8000, 200, 8000));
    EXPECT_EQ(s.blockSamples, TestBlock);
    EXPECT_EQ(s.blockBytes, 2 * TestBlock);
    EXPECT_EQ(s.LoopBuffer.size(), 16000u);
    EXPECT_EQ(s.loopLimit, 8000 - 2 * TestBlock);
    EXPECT_EQ(s.readPos, 0);
    EXPECT_FLOAT_EQ(s.rate, 2.0f);
    EXPECT_EQ(s.format.samplesPerSec, TestRate);
}

TEST(MotorSoundBlock, LoudnessFigures) {
    EXPECT_FLOAT_EQ(MotorLoudness(999.0f), 0.0f);
    EXPECT_NEAR(MotorLoudness(1250.0f), 0.25f, 1e-6);
    EXPECT_NEAR(MotorLoudness(1500.0f), 0.5f, 1e-6);
    EXPECT_NEAR(MotorLoudness(1750.0f), 0.75f, 1e-6);
    EXPECT_FLOAT_EQ(MotorLoudness(2000.0f), 1.0f);
    EXPECT_FLOAT_EQ(MotorLoudness(2500.0f), 1.0f);

    // 2500 rpm, Doppler 1, 4 m: rate stays 2.0, every other loop sample at full loudness.
    MotorSoundState base = LoadedState(SineLoop(8000, 200, 8000));
    MotorSoundState s = base;
    std::vector<int16_t> full = Block(s, Inputs(2500.0f, 4.0f));
    EXPECT_FLOAT_EQ(s.rate, 2.0f);
    EXPECT_EQ(s.readPos, 2 * TestBlock);
    int64_t sum = 0;
    for (int32_t i = 0; i < TestBlock; ++i)
        sum += base.LoopBuffer[2 * i];
    const int32_t mean = static_cast<int32_t>(sum / TestBlock);
    for (int32_t i = 0; i < TestBlock; ++i)
        ASSERT_EQ(full[i], base.LoopBuffer[2 * i] - mean) << i;

    // A Doppler factor of 2 keeps 1250 rpm at rate 2.0, so only the gain (0.25) differs sample by sample.
    MotorSoundState same = base;
    std::vector<int16_t> quarter = Block(same, Inputs(1250.0f, 1.0f, 2.0f));
    EXPECT_EQ(same.readPos, 2 * TestBlock);
    for (int32_t i = 0; i < TestBlock; ++i)
        ASSERT_NEAR(quarter[i], 0.25 * full[i], 2.0) << i;

    // At other pitches the sine's RMS level shows the gain.
    auto rms = [](const std::vector<int16_t>& v) {
        double acc = 0;
        for (int16_t x : v)
            acc += double(x) * x;
        return std::sqrt(acc / double(v.size()));
    };
    const double fullRms = rms(full);
    struct Case {
        float rpm, distance, gain;
    };
    for (const Case& c : {Case{1250, 1, 0.25f}, Case{1500, 1, 0.5f}, Case{1500, 8, 0.25f},
                          Case{2500, 16, 0.25f}, Case{2000, 2, 1.0f}}) {
        MotorSoundState t = base;
        Block(t, Inputs(c.rpm, c.distance));
        EXPECT_NEAR(rms(Block(t, Inputs(c.rpm, c.distance))) / fullRms, c.gain, 0.01)
            << "rpm " << c.rpm << " at " << c.distance << " m";
    }

    // Exactly 1250 rpm with no motion: target 1.0 still plays.
    MotorSoundState edge = base;
    EXPECT_FALSE(AllZero(Block(edge, Inputs(1250.0f))));
    EXPECT_NEAR(edge.readPos, 1500, 2);
}

TEST(MotorSoundBlock, SilentBlocksLeaveRateAndPosition) {
    MotorSoundState s = LoadedState(SineLoop(8000, 200, 8000));
    Block(s, Inputs(2500.0f));
    const int32_t pos = s.readPos;
    const float rate = s.rate;

    MotorSoundInputs off = Inputs(2500.0f);
    off.motorOn = false;
    MotorSoundInputs crashed = Inputs(2500.0f);
    crashed.crashPlaying = true;
    MotorSoundInputs paused = Inputs(2500.0f);
    paused.paused = true;
    MotorSoundInputs notANumber = Inputs(std::nanf(""));
    for (const MotorSoundInputs& in : {Inputs(1249.0f), Inputs(5001.0f), Inputs(0.0f),
                                       Inputs(2500.0f, 1.0f, 0.49f), off, crashed, paused, notANumber}) {
        EXPECT_TRUE(AllZero(Block(s, in)));
        EXPECT_EQ(s.readPos, pos);
        EXPECT_EQ(s.rate, rate);
    }
    // 5000 rpm is target 4.0 and still plays.
    EXPECT_FALSE(AllZero(Block(s, Inputs(5000.0f))));

    // Nothing loaded: silence.
    MotorSoundState empty;
    empty.blockSamples = 10;
    EXPECT_TRUE(AllZero(Block(empty, Inputs(2500.0f))));
}

TEST(MotorSoundBlock, RateGlidesWithinOneBlock) {
    MotorSoundState s = LoadedState(SineLoop(16000, 400, 8000));
    // 2.0 -> 2.4 over one block: the average step is 2.2, so the position moves by about 2200.
    Block(s, Inputs(3000.0f));
    EXPECT_NEAR(s.rate, 2.4f, 1e-3);
    EXPECT_NEAR(s.readPos, 2200, 2);
    const int32_t before = s.readPos;
    Block(s, Inputs(3000.0f));
    EXPECT_NEAR(s.rate, 2.4f, 1e-3);
    EXPECT_NEAR(s.readPos - before, 2400, 2);
    // Down to 1.2 (1500 rpm).
    Block(s, Inputs(1500.0f));
    EXPECT_NEAR(s.rate, 1.2f, 1e-3);
    // A Doppler factor of 1.1 at 2500 rpm raises the pitch by 10%.
    Block(s, Inputs(2500.0f, 1.0f, 1.1f));
    EXPECT_NEAR(s.rate, 2.2f, 1e-3);
}

TEST(MotorSoundBlock, EveryBlockHasZeroMeanAndTheLoopWraps) {
    // A loop with a strong offset, so the mean removal has work to do.
    std::vector<int16_t> samples = SineLoop(8000, 37, 6000);
    for (int16_t& v : samples)
        v = static_cast<int16_t>(v + 3000);
    MotorSoundState s = LoadedState(samples);
    const float rpms[] = {2500, 3100, 1800, 4900, 1300, 2500, 2700};
    for (int round = 0; round < 40; ++round) {
        std::vector<int16_t> out = Block(s, Inputs(rpms[round % 7]));
        int64_t sum = std::accumulate(out.begin(), out.end(), int64_t{0});
        ASSERT_LT(std::llabs(sum), TestBlock) << "block " << round;
        ASSERT_LE(s.readPos, s.loopLimit);
    }

    // 2500 rpm steps 2000 per block; loopLimit is 6000, so 6000 stays and 8000 goes back by the loop's
    // length. The sine repeats every 40 samples, so 3000 recorded samples (6000 in the buffer) is the
    // longest length that fits: 8000 - 6000 = 2000.
    MotorSoundState w = LoadedState(SineLoop(8000, 200, 8000));
    EXPECT_EQ(w.loopLength, 6000);
    std::vector<int32_t> positions;
    for (int i = 0; i < 5; ++i) {
        Block(w, Inputs(2500.0f));
        positions.push_back(w.readPos);
    }
    EXPECT_EQ(positions, (std::vector<int32_t>{2000, 4000, 6000, 2000, 4000}));

    // The shortest loop accepted, played at the top rate for a while, stays inside LoopBuffer.
    MotorSoundState shortest = LoadedState(SineLoop(2000, 50, 8000));
    EXPECT_EQ(shortest.loopLimit, 0);
    for (int i = 0; i < 20; ++i)
        Block(shortest, Inputs(i % 4 == 3 ? 1250.0f : 5000.0f));
}

TEST(MotorSoundBlock, PitchFollowsRotorSpeed) {
    // 400 Hz in the recording: 320 Hz at 2000 rpm and 480 Hz at 3000 rpm, bins 20 and 30 of a block.
    MotorSoundState base = LoadedState(SineLoop(8000, 200, 8000));
    MotorSoundState slow = base;
    Block(slow, Inputs(2000.0f));
    int slowBin = DominantBin(Block(slow, Inputs(2000.0f)));
    MotorSoundState fast = base;
    Block(fast, Inputs(3000.0f));
    int fastBin = DominantBin(Block(fast, Inputs(3000.0f)));
    EXPECT_EQ(slowBin, 20);
    EXPECT_EQ(fastBin, 30);
    EXPECT_EQ(slowBin * 3, fastBin * 2);
}

TEST(MotorSoundLoad, HostileFilesAreRefused) {
    const std::vector<int16_t> twoBlocks = SineLoop(2 * TestBlock, 50, 8000);
    const std::vector<uint8_t> fmt = PcmMono16(TestRate);
    const std::vector<uint8_t> data = SampleBytes(twoBlocks);
    auto accepted = [](const std::vector<uint8_t>& file) {
        MotorSoundState s;
        s.readPos = 77;
        // An exact-size copy, so a read past the end is caught by the address sanitizer.
        std::vector<uint8_t> exact(file);
        bool ok = LoadMotorSoundBytes(exact.data(), exact.size(), s);
        if (!ok) {
            EXPECT_EQ(s.readPos, 77) << "a refused file must leave the state alone";
        }
        return ok;
    };
    auto chunks = [](std::initializer_list<std::pair<const char*, std::vector<uint8_t>>> list) {
        std::vector<uint8_t> b;
        for (const auto& c : list)
            PutChunk(b, c.first, c.second);
        return b;
    };

    ASSERT_TRUE(accepted(WaveFile(fmt, twoBlocks)));
    // An 18-byte format header with its extra-size word is read as far as the record goes.
    std::vector<uint8_t> fmt18 = fmt;
    PutU16(fmt18, 0);
    EXPECT_TRUE(accepted(RiffForm("WAVE", chunks({{"fmt ", fmt18}, {"data", data}}))));
    // Other chunks in between are skipped, odd ones with their pad byte.
    EXPECT_TRUE(accepted(RiffForm(
        "WAVE", chunks({{"LIST", {1, 2, 3}}, {"fmt ", fmt}, {"fact", {0, 0, 0, 0}}, {"data", data}}))));

    EXPECT_FALSE(accepted({}));
    EXPECT_FALSE(accepted({'R', 'I', 'F', 'F'}));
    EXPECT_FALSE(accepted(RiffForm("AVI ", chunks({{"fmt ", fmt}, {"data", data}}))));
    EXPECT_FALSE(accepted(RiffForm("WAVE", chunks({{"data", data}}))));
    EXPECT_FALSE(accepted(RiffForm("WAVE", chunks({{"fmt ", fmt}}))));
    EXPECT_FALSE(accepted(RiffForm("WAVE", chunks({{"data", data}, {"fmt ", fmt}}))));
    // A short format chunk is refused; one far longer than any format header is read up to the record.
    EXPECT_FALSE(
        accepted(RiffForm("WAVE", chunks({{"fmt ", {fmt.begin(), fmt.begin() + 14}}, {"data", data}}))));
    std::vector<uint8_t> fmtLong = fmt;
    fmtLong.resize(200, 0xEE);
    EXPECT_TRUE(accepted(RiffForm("WAVE", chunks({{"fmt ", fmtLong}, {"data", data}}))));
    // Shorter than two blocks.
    EXPECT_FALSE(accepted(WaveFile(fmt, SineLoop(2 * TestBlock - 1, 50, 8000))));
    // 8-bit, stereo, float, a zero byte rate, an inconsistent byte rate.
    EXPECT_FALSE(accepted(WaveFile(FmtBody(1, 1, TestRate, TestRate, 1, 8), twoBlocks)));
    EXPECT_FALSE(accepted(WaveFile(FmtBody(1, 2, TestRate, TestRate * 4, 4, 16), twoBlocks)));
    EXPECT_FALSE(accepted(WaveFile(FmtBody(3, 1, TestRate, TestRate * 4, 4, 32), twoBlocks)));
    EXPECT_FALSE(accepted(WaveFile(FmtBody(1, 1, TestRate, 0, 2, 16), twoBlocks)));
    EXPECT_FALSE(accepted(WaveFile(FmtBody(1, 1, TestRate, 3000, 2, 16), twoBlocks)));
    EXPECT_FALSE(accepted(WaveFile(FmtBody(1, 1, 0, 0, 2, 16), twoBlocks)));
    // A chunk claiming 4 GB in front of the format.
    std::vector<uint8_t> huge;
    PutId(huge, "junk");
    PutU32(huge, 0xFFFFFFFFu);
    PutChunk(huge, "fmt ", fmt);
    PutChunk(huge, "data", data);
    EXPECT_FALSE(accepted(RiffForm("WAVE", huge)));
    // A RIFF size past the end of the file is only believed as far as the file goes.
    std::vector<uint8_t> bigRiff = WaveFile(fmt, twoBlocks);
    bigRiff[4] = bigRiff[5] = bigRiff[6] = bigRiff[7] = 0xFF;
    EXPECT_TRUE(accepted(bigRiff));
    // A cut file is read as far as its data goes: accepted while two blocks remain (44 header bytes).
    const std::vector<uint8_t> good = WaveFile(fmt, SineLoop(3 * TestBlock, 50, 8000));
    for (size_t cut = 0; cut < good.size(); cut += (cut < 64 ? 1 : 97))
        ASSERT_EQ(accepted({good.begin(), good.begin() + static_cast<long>(cut)}), cut >= 44 + 4 * TestBlock)
            << cut;
}

TEST(MotorSoundLoad, FileLoadKeepsThePreviousLoopOnFailure) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("rv_motor_load_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = (dir / name).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    };
    const std::string good = write("good.wav", WaveFile(PcmMono16(TestRate), SineLoop(4000, 100, 8000)));
    const std::string stereo = write(
        "stereo.wav", WaveFile(FmtBody(1, 2, TestRate, TestRate * 4, 4, 16), SineLoop(4000, 100, 8000)));

    ASSERT_TRUE(LoadMotorSound(good));
    {
        std::lock_guard<std::mutex> lock(MotorSoundMutex);
        EXPECT_EQ(MotorSound.LoopBuffer.size(), 8000u);
        EXPECT_NE(MotorSound.file, nullptr);
    }
    CloseMotorSoundFile();
    EXPECT_EQ(MotorSound.file, nullptr);
    EXPECT_FALSE(LoadMotorSound((dir / "missing.wav").string()));
    EXPECT_FALSE(LoadMotorSound(stereo));
    EXPECT_FALSE(LoadMotorSound(dir.string()));
    EXPECT_EQ(MotorSound.LoopBuffer.size(), 8000u);
    EXPECT_EQ(MotorSound.blockSamples, TestBlock);
    EXPECT_EQ(MotorSound.file, nullptr);

    // The audio thread's entry: a block of the wrong length is silent, the right one plays.
    MotorSoundAudible = true;
    PublishSoundInputs(2500.0f, 1.0f, 1.0f);
    std::vector<int16_t> out(TestBlock, 1);
    FillNextMotorBlock(out.data(), TestBlock - 1);
    EXPECT_TRUE(std::all_of(out.begin(), out.end() - 1, [](int16_t v) { return v == 0; }));
    FillNextMotorBlock(out.data(), TestBlock);
    EXPECT_FALSE(AllZero(out));
    MotorSoundAudible = false;
    FillNextMotorBlock(out.data(), TestBlock);
    EXPECT_TRUE(AllZero(out));
    fs::remove_all(dir);
}

TEST(MotorSoundLoad, LoopLengthIsWhereTheRecordingRepeats) {
    struct Case {
        const char* what;
        std::vector<int16_t> samples;
        int32_t loopLimit;
        int32_t expected;
    };
    // A period of 3000 samples written twice and 2000 more: room 6001, the period fits once (6000).
    std::vector<int16_t> twicePlus(8000);
    for (size_t i = 0; i < twicePlus.size(); ++i)
        twicePlus[i] = static_cast<int16_t>((i % 3000) * 7 - 9000);
    // Three times a period of 4000: n / 3 = 4000 fits (8000 <= 10001).
    std::vector<int16_t> thrice(12000);
    for (size_t i = 0; i < thrice.size(); ++i)
        thrice[i] = static_cast<int16_t>((i % 4000) * 5 - 9000);
    // No repeat at all, and a repeat spoiled by one sample.
    std::vector<int16_t> ramp(8000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i * 3 - 12000);
    std::vector<int16_t> spoiled = twicePlus;
    spoiled[7999] += 1;
    for (const Case& c : {Case{"twice plus", twicePlus, 6000, 6000}, Case{"thrice", thrice, 10000, 8000},
                          Case{"ramp", ramp, 6000, 6001}, Case{"spoiled", spoiled, 6000, 6001}}) {
        EXPECT_EQ(FindLoopLength(c.samples.data(), c.samples.size(), c.loopLimit), c.expected) << c.what;
    }

    // A restart lands on the same point of the waveform: the block after the restart equals the block the
    // buffer holds one loop length further on.
    MotorSoundState s = LoadedState(twicePlus);
    ASSERT_EQ(s.loopLength, 6000);
    s.readPos = 5500;
    Block(s, Inputs(2500.0f)); // 7500 > 6000: back to 1500
    EXPECT_EQ(s.readPos, 1500);
    MotorSoundState ahead = s;
    ahead.readPos += 6000;
    EXPECT_EQ(Block(s, Inputs(2500.0f)), Block(ahead, Inputs(2500.0f)));
}
