// RIFF WAVE reader: walks the chunk headers with every offset checked against the end of the bytes.
#include "sound/riff_wave.h"

#include <algorithm>
#include <cstring>

namespace {
uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

struct Chunk {
    uint64_t body = 0; // offset of the chunk's contents
    uint32_t size = 0; // declared size of the contents
};

// Searches the chunks that start in [pos, end) for one with the given id; pos moves past skipped chunks.
// Offsets are 64-bit, so a huge declared size cannot wrap around.
bool FindChunk(const uint8_t* bytes, uint64_t& pos, uint64_t end, const char id[4], Chunk& found) {
    while (pos + 8 <= end) {
        const uint8_t* header = bytes + pos;
        uint32_t size = ReadU32(header + 4);
        if (std::memcmp(header, id, 4) == 0) {
            found.body = pos + 8;
            found.size = size;
            return true;
        }
        pos += 8 + static_cast<uint64_t>(size) + (size & 1);
    }
    return false;
}
} // namespace

bool ParseRiffWave(const uint8_t* bytes, size_t size, WaveChunks& out) {
    if (!bytes) return false;
    const uint64_t fileEnd = size;

    // The RIFF form of type "WAVE" among the top-level chunks.
    uint64_t pos = 0;
    Chunk riff;
    bool haveWave = false;
    while (FindChunk(bytes, pos, fileEnd, "RIFF", riff)) {
        if (riff.size >= 4 && riff.body + 4 <= fileEnd && std::memcmp(bytes + riff.body, "WAVE", 4) == 0) {
            haveWave = true;
            break;
        }
        pos = riff.body + riff.size + (riff.size & 1);
    }
    if (!haveWave) return false;
    const uint64_t formEnd = std::min(riff.body + riff.size, fileEnd);

    pos = riff.body + 4;
    Chunk fmt;
    if (!FindChunk(bytes, pos, formEnd, "fmt ", fmt)) return false;
    if (fmt.size < sizeof(WaveFormat) || fmt.body + sizeof(WaveFormat) > fileEnd) return false;
    const uint8_t* f = bytes + fmt.body;
    WaveFormat format;
    format.formatTag = ReadU16(f);
    format.channels = ReadU16(f + 2);
    format.samplesPerSec = ReadU32(f + 4);
    format.avgBytesPerSec = ReadU32(f + 8);
    format.blockAlign = ReadU16(f + 12);
    format.bitsPerSample = ReadU16(f + 14);
    // The extensible header: cbSize (22), valid bits, channel mask, then the sub-format GUID at offset 24,
    // whose first two bytes are the plain format tag; the rest is the fixed KSDATAFORMAT tail.
    static const uint8_t GuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (format.formatTag == WaveFormatExtensible && fmt.size >= 40 && fmt.body + 40 <= fileEnd &&
        ReadU16(f + 16) >= 22 && std::memcmp(f + 26, GuidTail, sizeof GuidTail) == 0)
        format.formatTag = ReadU16(f + 24);

    // The "data" chunk is searched from the end of "fmt " on, as a reader that ascends out of it would.
    pos = fmt.body + fmt.size + (fmt.size & 1);
    Chunk data;
    if (!FindChunk(bytes, pos, formEnd, "data", data)) return false;

    out.format = format;
    out.dataOffset = static_cast<size_t>(data.body);
    out.dataSize = static_cast<uint32_t>(std::min<uint64_t>(data.size, fileEnd - data.body));
    return true;
}
