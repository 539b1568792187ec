// Builds RIFF WAVE files byte by byte for the sound tests, chunk by chunk as laid out in the file.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace wavetest {

inline void PutU16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
inline void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}
inline void PutId(std::vector<uint8_t>& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}

// A chunk: 4-byte id, 32-bit little-endian size, contents, a pad byte after odd contents.
inline void PutChunk(std::vector<uint8_t>& b, const char* id, const std::vector<uint8_t>& body) {
    PutId(b, id);
    PutU32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
}

// The 16 bytes of a format record: tag, channels, rate, bytes per second, block align, bits.
inline std::vector<uint8_t> FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avgBytes,
                                    uint16_t align, uint16_t bits) {
    std::vector<uint8_t> b;
    PutU16(b, tag);
    PutU16(b, channels);
    PutU32(b, rate);
    PutU32(b, avgBytes);
    PutU16(b, align);
    PutU16(b, bits);
    return b;
}
inline std::vector<uint8_t> PcmMono16(uint32_t rate) {
    return FmtBody(1, 1, rate, rate * 2, 2, 16);
}

inline std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b;
    for (int16_t s : samples)
        PutU16(b, static_cast<uint16_t>(s));
    return b;
}

// "RIFF", size of what follows, "WAVE", then the given chunks.
inline std::vector<uint8_t> RiffForm(const char* form, const std::vector<uint8_t>& chunks) {
    std::vector<uint8_t> b;
    PutId(b, "RIFF");
    PutU32(b, static_cast<uint32_t>(chunks.size() + 4));
    PutId(b, form);
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

inline std::vector<uint8_t> WaveFile(const std::vector<uint8_t>& fmt, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "fmt ", fmt);
    PutChunk(chunks, "data", SampleBytes(samples));
    return RiffForm("WAVE", chunks);
}

// A sine of the given number of whole periods over n samples, so it loops without a step.
inline std::vector<int16_t> SineLoop(size_t n, int periods, double amplitude) {
    std::vector<int16_t> s(n);
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < n; ++i)
        s[i] =
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * pi * periods * double(i) / double(n))));
    return s;
}

} // namespace wavetest
