// RIFF WAVE reader: what it accepts beyond the plain 16-byte header and complete data chunk.
#include <gtest/gtest.h>

#include "sound/riff_wave.h"
#include "tests/sound/wave_bytes.h"

using namespace wavetest;

namespace {
// WAVE_FORMAT_EXTENSIBLE, 40 bytes: the 16-byte record with tag 0xFFFE, cbSize 22, valid bits, channel
// mask, then the sub-format GUID whose first two bytes are the plain tag.
std::vector<uint8_t> ExtensibleFmt(uint16_t subTag, uint16_t channels, uint16_t bits) {
    std::vector<uint8_t> b = FmtBody(0xFFFE, channels, 22050, 22050u * channels * bits / 8,
                                     static_cast<uint16_t>(channels * bits / 8), bits);
    PutU16(b, 22);
    PutU16(b, bits);
    PutU32(b, 4); // front centre
    PutU16(b, subTag);
    for (uint8_t x : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        b.push_back(x);
    return b;
}

std::vector<uint8_t> WithFmtAndData(const std::vector<uint8_t>& fmt, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "fmt ", fmt);
    PutChunk(chunks, "data", data);
    return RiffForm("WAVE", chunks);
}
} // namespace

TEST(RiffWave, ReadsWhatTheFileHolds) {
    const std::vector<uint8_t> data(1000, 0x11);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool ok;
        uint16_t tag;
        uint32_t dataSize;
        size_t dataOffset;
    };
    std::vector<uint8_t> cut = WithFmtAndData(PcmMono16(22050), data);
    cut.resize(cut.size() - 301); // 699 data bytes remain
    std::vector<uint8_t> stream = WithFmtAndData(PcmMono16(22050), data);
    for (int i = 40; i < 44; ++i)
        stream[static_cast<size_t>(i)] = 0xFF;            // data size 0xFFFFFFFF
    stream[4] = stream[5] = stream[6] = stream[7] = 0xFF; // and the RIFF size
    std::vector<uint8_t> fmt60 = PcmMono16(22050);
    fmt60.resize(60, 0xAB);
    std::vector<uint8_t> badGuid = ExtensibleFmt(1, 1, 16);
    badGuid[39] = 0x72;
    const std::vector<Case> cases = {
        {"plain", WithFmtAndData(PcmMono16(22050), data), true, 1, 1000, 44},
        {"data cut short", cut, true, 1, 699, 44},
        {"stream-written sizes", stream, true, 1, 1000, 44},
        {"fmt of 60 bytes", WithFmtAndData(fmt60, data), true, 1, 1000, 88},
        {"extensible PCM", WithFmtAndData(ExtensibleFmt(1, 1, 16), data), true, 1, 1000, 68},
        {"extensible float keeps its tag", WithFmtAndData(ExtensibleFmt(3, 1, 32), data), true, 3, 1000, 68},
        {"extensible with a foreign GUID", WithFmtAndData(badGuid, data), true, 0xFFFE, 1000, 68},
        {"fmt cut inside its record", {cut.begin(), cut.begin() + 30}, false, 0, 0, 0},
        {"no data header", {cut.begin(), cut.begin() + 40}, false, 0, 0, 0},
        {"data header only", {cut.begin(), cut.begin() + 44}, true, 1, 0, 44},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> exact = c.file; // exact size: a read past the end shows under AddressSanitizer
        WaveChunks chunks;
        ASSERT_EQ(ParseRiffWave(exact.data(), exact.size(), chunks), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(chunks.format.formatTag, c.tag) << c.name;
        EXPECT_EQ(chunks.dataSize, c.dataSize) << c.name;
        EXPECT_EQ(chunks.dataOffset, c.dataOffset) << c.name;
        EXPECT_LE(chunks.dataOffset + chunks.dataSize, exact.size()) << c.name;
    }
}
