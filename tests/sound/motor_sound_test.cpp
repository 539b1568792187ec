// Motor sound: the loop buffer, the loop length, the block synthesis figures and the file load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "sound/motor_sound.h"
#include "tests/sound/wave_bytes.h"

using namespace wavetest;

namespace {
// 16 kHz mono: 32000 bytes per second, so a block is 1000 samples (2000 bytes).
constexpr uint32_t TestRate = 16000;
constexpr int32_t TestBlock = 1000;

MotorSoundState LoadedState(const std::vector<int16_t>& samples) {
    MotorSoundState s;
    Bytes file = WaveFile(PcmMono16(TestRate), samples);
    EXPECT_TRUE(LoadMotorSoundBytes(file.data(), file.size(), s));
    return s;
}

MotorSoundInputs Inputs(float rpm, float distance = 1.0f, float doppler = 1.0f) {
    return MotorSoundInputs{.rpm = rpm, .distance = distance, .doppler = doppler, .motorOn = true};
}

std::vector<int16_t> Block(MotorSoundState& s, const MotorSoundInputs& in) {
    std::vector<int16_t> out(static_cast<size_t>(s.blockSamples), 12345);
    FillMotorBlock(s, in, out.data());
    return out;
}

bool AllZero(const std::vector<int16_t>& v) {
    return std::all_of(v.begin(), v.end(), [](int16_t x) { return x == 0; });
}

double Rms(const std::vector<int16_t>& v) {
    double acc = 0;
    for (int16_t x : v)
        acc += double(x) * x;
    return std::sqrt(acc / double(v.size()));
}
} // namespace

TEST(MotorSound, LoopBufferLengthRateGainAndTheFileLoad) {
    // u = 0, 500, 1000, 1500, 2000, -500, -3001, -3000, -3000, -1500 (halves truncated toward zero)
    // y = 0, 50, 145, 280, 452, 356, 20, -282, -553, -647 (y = (u + 9 y) / 10, truncated toward zero)
    const int16_t input[] = {1000, 2000, -3001, -3000, 0};
    const std::vector<int16_t> expected = {0, 150, 435, 840, 1356, 1068, 60, -846, -1659, -1941};
    EXPECT_EQ(BuildLoopBuffer(input, 5), expected);
    // A loud constant settles at y = 19991; 3 y = 59973 keeps only its low 16 bits.
    std::vector<int16_t> loud(200, 20000);
    EXPECT_EQ(BuildLoopBuffer(loud.data(), loud.size()).back(), static_cast<int16_t>(59973 - 65536));

    // 8000 samples: a loop buffer of 16000, the last two blocks kept clear of the limit.
    MotorSoundState m = LoadedState(SineLoop(8000, 200, 8000));
    EXPECT_EQ(std::vector<int32_t>({m.blockSamples, m.blockBytes, int32_t(m.LoopBuffer.size()), m.loopLimit}),
              std::vector<int32_t>({TestBlock, 2 * TestBlock, 16000, 6000}));

    // A period of 3000 written twice and 2000 more: room 6001, the period fits once (6000). Three times a
    // period of 4000: n / 3 = 4000 fits (8000 <= 10001). Four times 2000: n / 4 fits once in 6001 (4000).
    // No repeat, or one spoiled by a sample: room.
    std::vector<int16_t> twicePlus(8000), thrice(12000), ramp(8000), fourTimes(8000);
    for (size_t i = 0; i < 12000; ++i) {
        if (i < 8000) twicePlus[i] = static_cast<int16_t>((i % 3000) * 7 - 9000);
        if (i < 8000) ramp[i] = static_cast<int16_t>(i * 3 - 12000);
        if (i < 8000) fourTimes[i] = static_cast<int16_t>((i % 2000) * 9 - 9000);
        thrice[i] = static_cast<int16_t>((i % 4000) * 5 - 9000);
    }
    std::vector<int16_t> spoiled = twicePlus;
    spoiled[7999] += 1;
    struct Loop {
        const char* what;
        const std::vector<int16_t>& samples;
        int32_t loopLimit, expected;
    };
    for (const Loop& c : {Loop{"twice plus", twicePlus, 6000, 6000}, Loop{"thrice", thrice, 10000, 8000},
                          Loop{"four times", fourTimes, 6000, 4000}, Loop{"ramp", ramp, 6000, 6001},
                          Loop{"spoiled", spoiled, 6000, 6001}})
        EXPECT_EQ(FindLoopLength(c.samples.data(), c.samples.size(), c.loopLimit), c.expected) << c.what;

    // 2500 rpm steps 2000 per block; past the limit of 6000 the position goes back by the loop's length.
    MotorSoundState w = LoadedState(SineLoop(8000, 200, 8000));
    EXPECT_EQ(w.loopLength, 6000);
    std::vector<int32_t> positions;
    for (int i = 0; i < 5; ++i) {
        Block(w, Inputs(2500.0f));
        positions.push_back(w.readPos);
    }
    EXPECT_EQ(positions, (std::vector<int32_t>{2000, 4000, 6000, 2000, 4000}));
    // A restart lands on the same point of the waveform as one loop length further on.
    MotorSoundState restart = LoadedState(twicePlus);
    restart.readPos = 5500;
    Block(restart, Inputs(2500.0f)); // 7500 > 6000: back to 1500
    EXPECT_EQ(restart.readPos, 1500);
    MotorSoundState ahead = restart;
    ahead.readPos += 6000;
    EXPECT_EQ(Block(restart, Inputs(2500.0f)), Block(ahead, Inputs(2500.0f)));
    // Landing exactly one loop length past the limit goes back by one length, to the limit itself.
    MotorSoundState four = LoadedState(fourTimes);
    four.readPos = 6000;
    four.rate = 4.0f;
    Block(four, Inputs(5000.0f)); // 10000: back by 4000
    EXPECT_EQ(four.readPos, 6000);
    // A rate far above the range (a damaged state) glides down without the read leaving the loop buffer:
    // the read stays on the last sample.
    four.rate = 60.0f;
    const std::vector<int16_t> held = Block(four, Inputs(5000.0f));
    EXPECT_TRUE(std::all_of(held.end() - 100, held.end(), [&](int16_t v) { return v == held.back(); }));
    EXPECT_EQ(held.back() - held.front(), four.LoopBuffer.back() - four.LoopBuffer[6000]);

    // A strong offset under the sine, for the removal of each block's mean to take out, above and below.
    std::vector<int16_t> samples = SineLoop(16000, 400, 6000), below = samples;
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(samples[i] + 3000);
        below[i] = static_cast<int16_t>(below[i] - 3000);
    }
    const MotorSoundState base = LoadedState(samples);
    MotorSoundState under = LoadedState(below);
    const std::vector<int16_t> centred = Block(under, Inputs(2500.0f, 1.0f));
    EXPECT_LT(std::llabs(std::accumulate(centred.begin(), centred.end(), int64_t{0})), TestBlock);
    // 2500 rpm at 4 m: rate stays 2.0, every other loop sample at full loudness, less the block's mean.
    MotorSoundState s = base;
    const std::vector<int16_t> full = Block(s, Inputs(2500.0f, 4.0f));
    int64_t sum = 0;
    for (int32_t i = 0; i < TestBlock; ++i)
        sum += base.LoopBuffer[2 * i];
    ASSERT_GT(sum / TestBlock, 1000);
    for (int32_t i = 0; i < TestBlock; ++i)
        ASSERT_EQ(full[i], base.LoopBuffer[2 * i] - sum / TestBlock) << i;

    // Target rate 2 x Doppler x rpm / 2500, reached by a glide over one block (the position moves by the
    // average step); loudness 0 below 1000 rpm rising to 1 at 2000, falling off as 4 m / distance.
    struct Case {
        float rpm, distance, doppler, rate, gain;
    };
    for (const Case& c :
         {Case{1250, 1, 2, 2.0f, 0.25f}, Case{1500, 8, 1, 1.2f, 0.25f}, Case{1750, 1, 1, 1.4f, 0.75f},
          Case{2000, 2, 1, 1.6f, 1}, Case{2500, 16, 1, 2.0f, 0.25f}, Case{2500, 1, 1.1f, 2.2f, 1},
          Case{5000, 1, 1, 4.0f, 1}}) {
        MotorSoundState t = base;
        Block(t, Inputs(c.rpm, c.distance, c.doppler));
        EXPECT_NEAR(t.rate, c.rate, 1e-3) << c.rpm << " rpm, Doppler " << c.doppler;
        EXPECT_NEAR(t.readPos, TestBlock * (2.0f + c.rate) / 2, 2) << c.rpm << " rpm, Doppler " << c.doppler;
        const std::vector<int16_t> out = Block(t, Inputs(c.rpm, c.distance, c.doppler));
        EXPECT_LT(std::llabs(std::accumulate(out.begin(), out.end(), int64_t{0})), TestBlock) << c.rpm;
        EXPECT_NEAR(Rms(out) / Rms(full), c.gain, 0.02) << c.rpm << " rpm at " << c.distance << " m";
    }
    EXPECT_FLOAT_EQ(MotorLoudness(999.0f), 0.0f);
    // With the motor's load the loudness runs from 0.55 of it (motor idle or off) to all of it (full
    // load), and the block follows; a load outside 0..1 or NaN is no load figure.
    const std::pair<float, float> shares[] = {
        {0.0f, 0.55f}, {0.5f, 0.775f}, {1.0f, 1.0f}, {1.5f, 1.0f}, {std::nanf(""), 1.0f}};
    for (const auto& [load, share] : shares) {
        EXPECT_FLOAT_EQ(MotorLoudness(1750.0f, load), 0.75f * share) << load;
        MotorSoundState t = base, u = base;
        MotorSoundInputs loaded = Inputs(2500.0f, 2.0f);
        loaded.load = load;
        EXPECT_NEAR(Rms(Block(t, loaded)) / Rms(Block(u, Inputs(2500.0f, 2.0f))), share, 0.02) << load;
    }

    // Silent blocks leave rate and position alone: out of range, motor off, crashed, paused, NaN.
    MotorSoundInputs off = Inputs(2500.0f), crashed = Inputs(2500.0f), paused = Inputs(2500.0f);
    off.motorOn = false;
    crashed.crashPlaying = true;
    paused.paused = true;
    for (const MotorSoundInputs& in : {Inputs(1249.0f), Inputs(5001.0f), Inputs(2500.0f, 1.0f, 0.49f),
                                       Inputs(std::nanf("")), off, crashed, paused}) {
        MotorSoundState t = base;
        EXPECT_TRUE(AllZero(Block(t, in))) << in.rpm;
        EXPECT_EQ(t.readPos, 0);
        EXPECT_EQ(t.rate, 2.0f);
    }
    MotorSoundState empty;
    empty.blockSamples = 10;
    EXPECT_TRUE(AllZero(Block(empty, Inputs(2500.0f))));

    // A file that cannot be used keeps the loop in memory; the audio thread's entry is silent for a block of
    // the wrong length.
    const std::string dir = FreshFolder("motor").string();
    WriteFile(dir + "/good.wav", WaveFile(PcmMono16(TestRate), SineLoop(4000, 100, 8000)));
    WriteFile(dir + "/byterate.wav", // mono with the byte rate of stereo
              WaveFile(FmtBody(1, 1, TestRate, TestRate * 4, 2, 16), SineLoop(8000, 100, 8000)));
    ASSERT_TRUE(LoadMotorSound(dir + "/good.wav"));
    EXPECT_NE(MotorSound.file, nullptr);
    CloseMotorSoundFile();
    for (const std::string& bad : {dir + "/missing.wav", dir + "/byterate.wav", dir})
        EXPECT_FALSE(LoadMotorSound(bad)) << bad;
    EXPECT_EQ(MotorSound.LoopBuffer.size(), 8000u);
    EXPECT_EQ(MotorSound.file, nullptr);
    MotorSoundAudible = true;
    PublishSoundInputs(2500.0f, 8.0f, 1.25f, 0.375f);
    const MotorSoundInputs seen = CurrentMotorSoundInputs();
    EXPECT_EQ(std::vector<float>({seen.rpm, seen.distance, seen.doppler, seen.load}),
              std::vector<float>({2500, 8, 1.25f, 0.375f}));
    PublishSoundInputs(2500.0f, 8.0f, 1.25f);
    EXPECT_EQ(CurrentMotorSoundInputs().load, NoMotorLoad);
    std::vector<int16_t> out(TestBlock, 1);
    FillNextMotorBlock(out.data(), TestBlock - 1);
    EXPECT_TRUE(std::all_of(out.begin(), out.end() - 1, [](int16_t v) { return v == 0; }));
    FillNextMotorBlock(out.data(), TestBlock);
    EXPECT_FALSE(AllZero(out));
    MotorSoundAudible = false;
    std::filesystem::remove_all(dir);
}
