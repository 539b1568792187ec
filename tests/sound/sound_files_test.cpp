// Sound files: the RIFF WAVE reader and the motor loop's loader on files built byte by byte, and the sounds
// the build writes into the program folder (the motor loop and the crash sounds).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "sound/motor_sound.h"
#include "tests/sound/wave_bytes.h"

namespace fs = std::filesystem;
using namespace wavetest;

namespace {
// WAVE_FORMAT_EXTENSIBLE, 40 bytes: the 16-byte record with tag 0xFFFE, cbSize 22, valid bits, channel
// mask (front centre), then the sub-format GUID whose first two bytes are the plain tag.
Bytes ExtensibleFmt(int subTag, int bits) {
    Bytes b = FmtBody(0xFFFE, 1, 16000, 16000u * bits / 8, bits / 8, bits).le16(22).le16(bits).le32(4);
    return b.le16(subTag).add(
        {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
}

// Power of one DFT bin (Goertzel).
double BinPower(const std::vector<int16_t>& v, double bin) {
    const double w = 2 * M_PI * bin / double(v.size());
    double s1 = 0, s2 = 0;
    for (int16_t x : v) {
        const double s0 = x + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}
} // namespace

// What the RIFF reader finds in each file (tag 0: nothing), and whether the motor loop takes it: 16-bit
// PCM mono at 16 kHz, at least two blocks of 1000 samples.
TEST(WaveFiles, ReaderAndMotorLoopOnHostileFilesAndTheShippedSounds) {
    const Bytes fmt = PcmMono16(16000), data = SampleBytes(SineLoop(2000, 50, 8000));
    auto wave = [&data](const Bytes& f) { return RiffForm("WAVE", {{"fmt ", f}, {"data", data}}); };
    Bytes cut = wave(fmt), stream = cut, fmt18 = Bytes(fmt).le16(0), fmt60 = fmt,
          badGuid = ExtensibleFmt(1, 16);
    cut.erase(cut.end() - 301, cut.end()); // 3699 data bytes remain
    for (size_t i : {4, 5, 6, 7, 40, 41, 42, 43})
        stream[i] = 0xFF; // RIFF and data sizes as a stream writer leaves them
    fmt60.resize(60, 0xAB);
    badGuid[39] = 0x72;
    Bytes huge = wave(fmt); // a chunk claiming 4 GB in front of the format
    huge.insert(huge.begin() + 12, {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF});
    huge[4] += 8;
    struct Case {
        const char* name;
        Bytes file;
        bool loop;
        uint16_t tag;
        uint32_t size;
        size_t offset;
    };
    const Case cases[] = {
        {"plain", wave(fmt), true, 1, 4000, 44},
        {"fmt of 18 bytes", wave(fmt18), true, 1, 4000, 46},
        {"fmt of 60 bytes", wave(fmt60), true, 1, 4000, 88},
        {"other chunks between",
         RiffForm("WAVE", {{"LIST", {1, 2, 3}}, {"fmt ", fmt}, {"fact", {0, 0, 0, 0}}, {"data", data}}), true,
         1, 4000, 68},
        {"stream-written sizes", stream, true, 1, 4000, 44},
        {"data cut short", cut, false, 1, 3699, 44},
        {"extensible PCM", wave(ExtensibleFmt(1, 16)), true, 1, 4000, 68},
        {"extensible float keeps its tag", wave(ExtensibleFmt(3, 32)), false, 3, 4000, 68},
        {"extensible with a foreign GUID", wave(badGuid), false, 0xFFFE, 4000, 68},
        {"8 bits", wave(FmtBody(1, 1, 16000, 16000, 1, 8)), false, 1, 4000, 44},
        {"stereo", wave(FmtBody(1, 2, 16000, 64000, 4, 16)), false, 1, 4000, 44},
        {"zero byte rate", wave(FmtBody(1, 1, 16000, 0, 2, 16)), false, 1, 4000, 44},
        {"wrong byte rate", wave(FmtBody(1, 1, 16000, 3000, 2, 16)), false, 1, 4000, 44},
        {"zero rate", wave(FmtBody(1, 1, 0, 0, 2, 16)), false, 1, 4000, 44},
        {"AVI form", RiffForm("AVI ", {{"fmt ", fmt}, {"data", data}}), false, 0, 0, 0},
        {"no fmt", RiffForm("WAVE", {{"data", data}}), false, 0, 0, 0},
        {"data before fmt", RiffForm("WAVE", {{"data", data}, {"fmt ", fmt}}), false, 0, 0, 0},
        {"fmt of 14 bytes", RiffForm("WAVE", {{"fmt ", {fmt.begin(), fmt.begin() + 14}}, {"data", data}}),
         false, 0, 0, 0},
        {"4 GB chunk", huge, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        WaveChunks chunks;
        ASSERT_EQ(ParseRiffWave(c.file.data(), c.file.size(), chunks), c.tag != 0) << c.name;
        EXPECT_EQ(chunks.format.formatTag, c.tag) << c.name;
        EXPECT_EQ(chunks.dataSize, c.size) << c.name;
        EXPECT_EQ(chunks.dataOffset, c.offset) << c.name;
        MotorSoundState s;
        s.readPos = 77;
        EXPECT_EQ(LoadMotorSoundBytes(c.file.data(), c.file.size(), s), c.loop) << c.name;
        EXPECT_EQ(s.readPos, c.loop ? 0 : 77) << c.name << ": a refused file leaves the state alone";
    }
    // A cut file is read as far as its data goes: taken while two blocks remain (44 header bytes). Each cut
    // is an exact copy, so a read past its end shows under AddressSanitizer.
    const Bytes good = wave(fmt);
    for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 97)) {
        MotorSoundState s;
        ASSERT_EQ(LoadMotorSoundBytes(Bytes(good.begin(), good.begin() + long(n)).data(), n, s), n >= 4044)
            << n;
    }

    const Bytes file = ReadFile(fs::path(RV_PROGRAM_DIR) / "data" / "motorsound.wav");
    MotorSoundState s;
    ASSERT_TRUE(LoadMotorSoundBytes(file.data(), file.size(), s)) << "data/motorsound.wav";
    EXPECT_LE(s.loopLength, s.loopLimit) << "the loop repeats, so a restart joins without a step";
    // Hovering at 2500 rpm close to the pilot: one period of the played loop (1.44 s, 60 rotor turns).
    const MotorSoundInputs in{.rpm = 2500.0f, .distance = 2.0f, .motorOn = true};
    const size_t period = static_cast<size_t>(s.format.samplesPerSec) * 144 / 100;
    std::vector<int16_t> one, block(static_cast<size_t>(s.blockSamples));
    while (one.size() < period) {
        FillMotorBlock(s, in, block.data());
        one.insert(one.end(), block.begin(), block.end());
    }
    one.resize(period);
    // The blade chop at 83.3 Hz, the motor's whine through the default 12-tooth pinion and 150-tooth main
    // gear (2500 / 60 x 150 / 12 x 3 = 1562.5 Hz) and the gear mesh (6250 Hz) stand well above their
    // neighbourhood; the whine of a 15-tooth pinion (1250 Hz) is not there.
    const double hz = 1.44; // bins per Hz over 1.44 s
    for (double f : {83.333, 166.667, 1562.5, 3125.0, 6250.0}) {
        const double nearby = (BinPower(one, f * hz - 7) + BinPower(one, f * hz + 7)) / 2;
        EXPECT_GT(BinPower(one, f * hz), 30 * nearby) << f << " Hz";
    }
    EXPECT_LT(BinPower(one, 1250 * hz), BinPower(one, 1562.5 * hz) / 100) << "a 15-tooth whine";
    EXPECT_GT(BinPower(one, 83.333 * hz), BinPower(one, 1562.5 * hz)) << "the rotor is louder than the motor";

    std::set<std::string> contents; // the sample data of each file
    int count = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(RV_PROGRAM_DIR) / "crashsounds")) {
        const Bytes bytes = ReadFile(e.path());
        WaveChunks c;
        ASSERT_TRUE(ParseRiffWave(bytes.data(), bytes.size(), c)) << e.path();
        EXPECT_EQ(c.format.formatTag, WaveFormatPcm);
        const double seconds = double(c.dataSize) / c.format.avgBytesPerSec;
        EXPECT_TRUE(seconds > 0.5 && seconds < 3.0) << e.path() << ": " << seconds << " s";
        contents.insert(std::string(bytes.begin() + long(c.dataOffset), bytes.end()));
        ++count;
    }
    EXPECT_GE(count, 4);
    EXPECT_EQ(contents.size(), size_t(count)) << "each crash sound is different";
}
