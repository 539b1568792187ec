// Sound files: the RIFF WAVE reader on files built byte by byte, and the sounds the build writes into the
// program folder (the motor loop and the crash sounds).
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
    Bytes b = FmtBody(0xFFFE, 1, 22050, 22050u * bits / 8, static_cast<uint16_t>(bits / 8), bits);
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

TEST(RiffWave, ReadsWhatTheFileHolds) {
    const Bytes data(1000, 0x11);
    auto wave = [&data](const Bytes& fmt) { return RiffForm("WAVE", {{"fmt ", fmt}, {"data", data}}); };
    Bytes cut = wave(PcmMono16(22050)), stream = cut, fmt60 = PcmMono16(22050),
          badGuid = ExtensibleFmt(1, 16);
    cut.resize(cut.size() - 301); // 699 data bytes remain
    for (size_t i : {4, 5, 6, 7, 40, 41, 42, 43})
        stream[i] = 0xFF; // RIFF and data sizes as a stream writer leaves them
    fmt60.resize(60, 0xAB);
    badGuid[39] = 0x72;
    struct Case {
        const char* name;
        Bytes file;
        bool ok;
        uint16_t tag;
        uint32_t dataSize;
        size_t dataOffset;
    };
    const Case cases[] = {
        {"plain", wave(PcmMono16(22050)), true, 1, 1000, 44},
        {"data cut short", cut, true, 1, 699, 44},
        {"stream-written sizes", stream, true, 1, 1000, 44},
        {"fmt of 60 bytes", wave(fmt60), true, 1, 1000, 88},
        {"extensible PCM", wave(ExtensibleFmt(1, 16)), true, 1, 1000, 68},
        {"extensible float keeps its tag", wave(ExtensibleFmt(3, 32)), true, 3, 1000, 68},
        {"extensible with a foreign GUID", wave(badGuid), true, 0xFFFE, 1000, 68},
        {"fmt cut inside its record", {cut.begin(), cut.begin() + 30}, false, 0, 0, 0},
        {"no data header", {cut.begin(), cut.begin() + 40}, false, 0, 0, 0},
        {"data header only", {cut.begin(), cut.begin() + 44}, true, 1, 0, 44},
    };
    for (const Case& c : cases) {
        Bytes exact = c.file; // exact size: a read past the end shows under AddressSanitizer
        WaveChunks chunks;
        ASSERT_EQ(ParseRiffWave(exact.data(), exact.size(), chunks), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(chunks.format.formatTag, c.tag) << c.name;
        EXPECT_EQ(chunks.dataSize, c.dataSize) << c.name;
        EXPECT_EQ(chunks.dataOffset, c.dataOffset) << c.name;
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
