// Sound files: the RIFF WAVE reader and the motor loop's loader on files built byte by byte, and the sounds
// the build writes into the program folder (the motor loop and the crash sounds).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "sound/motor_sound.h"
#include "tests/sound/wave_bytes.h"

namespace fs = std::filesystem;
using namespace wavetest;

namespace {
// WAVE_FORMAT_EXTENSIBLE, 40 bytes: the 16-byte record with tag 0xFFFE, cbSize 22, valid bits, channel
// mask, then the sub-format GUID whose first two bytes are the plain tag.
Bytes ExtensibleFmt(uint16_t subTag, uint16_t bits) {
    Bytes b = FmtBody(0xFFFE, 1, 16000, 16000u * bits / 8, static_cast<uint16_t>(bits / 8), bits);
    PutU16(b, 22);
    PutU16(b, bits);
    PutU32(b, 4); // front centre
    PutU16(b, subTag);
    for (uint8_t x : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        b.push_back(x);
    return b;
}

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
TEST(WaveFiles, ReaderAndMotorLoopAgainstHostileFiles) {
    const std::vector<int16_t> twoBlocks = SineLoop(2000, 50, 8000);
    const Bytes fmt = PcmMono16(16000), data = SampleBytes(twoBlocks);
    auto wave = [&data](const Bytes& f) { return RiffForm("WAVE", {{"fmt ", f}, {"data", data}}); };
    Bytes cut = wave(fmt), stream = cut, fmt18 = fmt, fmt60 = fmt, badGuid = ExtensibleFmt(1, 16), huge;
    cut.resize(cut.size() - 301); // 3699 data bytes remain
    for (size_t i : {4, 5, 6, 7, 40, 41, 42, 43})
        stream[i] = 0xFF; // RIFF and data sizes as a stream writer leaves them
    PutU16(fmt18, 0);     // an 18-byte header with its extra-size word
    fmt60.resize(60, 0xAB);
    badGuid[39] = 0x72;
    PutId(huge, "junk");
    PutU32(huge, 0xFFFFFFFFu); // a chunk claiming 4 GB in front of the format
    PutChunk(huge, "fmt ", fmt);
    PutChunk(huge, "data", data);
    struct Case {
        Case(const char* name, const Bytes& file, bool loop, uint16_t tag = 0, uint32_t size = 0,
             size_t offset = 0)
            : name(name), file(file), loop(loop), tag(tag), size(size), offset(offset) {}
        const char* name;
        Bytes file;
        bool loop;
        uint16_t tag;
        uint32_t size;
        size_t offset;
    };
    const Case cases[] = {
        Case("plain", wave(fmt), true, 1, 4000, 44),
        Case("fmt of 18 bytes", wave(fmt18), true, 1, 4000, 46),
        Case("fmt of 60 bytes", wave(fmt60), true, 1, 4000, 88),
        Case("other chunks between",
             RiffForm("WAVE", {{"LIST", {1, 2, 3}}, {"fmt ", fmt}, {"fact", {0, 0, 0, 0}}, {"data", data}}),
             true, 1, 4000, 68),
        Case("stream-written sizes", stream, true, 1, 4000, 44),
        Case("data cut short", cut, false, 1, 3699, 44),
        Case("data header only", {cut.begin(), cut.begin() + 44}, false, 1, 0, 44),
        Case("extensible PCM", wave(ExtensibleFmt(1, 16)), true, 1, 4000, 68),
        Case("extensible float keeps its tag", wave(ExtensibleFmt(3, 32)), false, 3, 4000, 68),
        Case("extensible with a foreign GUID", wave(badGuid), false, 0xFFFE, 4000, 68),
        Case("8 bits", wave(FmtBody(1, 1, 16000, 16000, 1, 8)), false, 1, 4000, 44),
        Case("stereo", wave(FmtBody(1, 2, 16000, 64000, 4, 16)), false, 1, 4000, 44),
        Case("float", wave(FmtBody(3, 1, 16000, 64000, 4, 32)), false, 3, 4000, 44),
        Case("zero byte rate", wave(FmtBody(1, 1, 16000, 0, 2, 16)), false, 1, 4000, 44),
        Case("wrong byte rate", wave(FmtBody(1, 1, 16000, 3000, 2, 16)), false, 1, 4000, 44),
        Case("zero rate", wave(FmtBody(1, 1, 0, 0, 2, 16)), false, 1, 4000, 44),
        Case("empty", {}, false),
        Case("RIFF only", {'R', 'I', 'F', 'F'}, false),
        Case("fmt cut inside its record", {cut.begin(), cut.begin() + 30}, false),
        Case("no data header", {cut.begin(), cut.begin() + 40}, false),
        Case("AVI form", RiffForm("AVI ", {{"fmt ", fmt}, {"data", data}}), false),
        Case("no fmt", RiffForm("WAVE", {{"data", data}}), false),
        Case("data before fmt", RiffForm("WAVE", {{"data", data}, {"fmt ", fmt}}), false),
        Case("fmt of 14 bytes", RiffForm("WAVE", {{"fmt ", {fmt.begin(), fmt.begin() + 14}}, {"data", data}}),
             false),
        Case("4 GB chunk", RiffBody("WAVE", huge), false),
    };
    for (const Case& c : cases) {
        const Bytes exact = c.file; // exact size: a read past the end shows under AddressSanitizer
        WaveChunks chunks;
        ASSERT_EQ(ParseRiffWave(exact.data(), exact.size(), chunks), c.tag != 0) << c.name;
        EXPECT_EQ(chunks.format.formatTag, c.tag) << c.name;
        EXPECT_EQ(chunks.dataSize, c.size) << c.name;
        EXPECT_EQ(chunks.dataOffset, c.offset) << c.name;
        MotorSoundState s;
        s.readPos = 77;
        EXPECT_EQ(LoadMotorSoundBytes(exact.data(), exact.size(), s), c.loop) << c.name;
        EXPECT_EQ(s.readPos, c.loop ? 0 : 77) << c.name << ": a refused file leaves the state alone";
    }
    // A cut file is read as far as its data goes: taken while two blocks remain (44 header bytes).
    const Bytes good = wave(fmt);
    for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 97)) {
        MotorSoundState s;
        ASSERT_EQ(LoadMotorSoundBytes(Bytes(good.begin(), good.begin() + long(n)).data(), n, s), n >= 4044)
            << n;
    }
}

TEST(ShippedSounds, MotorLoopSoundsLikeTheRotorAndRepeats) {
    const Bytes file = ReadBytes(fs::path(RV_PROGRAM_DIR) / "data" / "motorsound.wav");
    MotorSoundState s;
    ASSERT_TRUE(LoadMotorSoundBytes(file.data(), file.size(), s)) << "data/motorsound.wav";
    EXPECT_LE(s.loopLength, s.loopLimit) << "the loop repeats, so a restart joins without a step";
    // Hovering at 2500 rpm close to the pilot: one period of the played loop (1.44 s, 60 rotor turns).
    MotorSoundInputs in;
    in.rpm = 2500.0f;
    in.distance = 2.0f;
    in.motorOn = true;
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
}

TEST(ShippedSounds, FourOrMoreDistinctCrashSounds) {
    std::set<std::string> contents; // the sample data of each file
    int count = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::path(RV_PROGRAM_DIR) / "crashsounds")) {
        const Bytes bytes = ReadBytes(e.path());
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
