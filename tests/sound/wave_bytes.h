// Builds RIFF WAVE files byte by byte for the sound tests, chunk by chunk as laid out in the file.
#pragma once
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace wavetest {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
inline void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}
inline void PutId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(id[i]));
}

// A chunk: 4-byte id, 32-bit little-endian size, contents, a pad byte after odd contents.
inline void PutChunk(Bytes& b, const char* id, const Bytes& body) {
    PutId(b, id);
    PutU32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
}

// The 16 bytes of a format record: tag, channels, rate, bytes per second, block align, bits.
inline Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avgBytes, uint16_t align,
                     uint16_t bits) {
    Bytes b;
    PutU16(b, tag);
    PutU16(b, channels);
    PutU32(b, rate);
    PutU32(b, avgBytes);
    PutU16(b, align);
    PutU16(b, bits);
    return b;
}
inline Bytes PcmMono16(uint32_t rate) {
    return FmtBody(1, 1, rate, rate * 2, 2, 16);
}

inline Bytes SampleBytes(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples)
        PutU16(b, static_cast<uint16_t>(s));
    return b;
}

// "RIFF", size of what follows, the form type, then the body.
inline Bytes RiffBody(const char* form, const Bytes& body) {
    Bytes b;
    PutId(b, "RIFF");
    PutU32(b, static_cast<uint32_t>(body.size() + 4));
    PutId(b, form);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}
// A RIFF form of the chunks given as (id, contents) pairs in order.
inline Bytes RiffForm(const char* form, std::initializer_list<std::pair<const char*, Bytes>> chunks) {
    Bytes body;
    for (const auto& [id, contents] : chunks)
        PutChunk(body, id, contents);
    return RiffBody(form, body);
}

inline Bytes WaveFile(const Bytes& fmt, const std::vector<int16_t>& samples) {
    return RiffForm("WAVE", {{"fmt ", fmt}, {"data", SampleBytes(samples)}});
}

// A sine of the given number of whole periods over n samples, so it loops without a step.
inline std::vector<int16_t> SineLoop(size_t n, int periods, double amplitude) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * M_PI * periods * double(i) / double(n))));
    return s;
}

} // namespace wavetest
