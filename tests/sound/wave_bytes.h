// Builds RIFF WAVE files byte by byte for the sound tests, chunk by chunk as laid out in the file.
#pragma once
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "tests/assets/file_bytes.h"

namespace wavetest {

// The 16 bytes of a format record: tag, channels, rate, bytes per second, block align, bits.
inline Bytes FmtBody(int tag, int channels, uint32_t rate, uint32_t avgBytes, int align, int bits) {
    return Bytes().le16(tag).le16(channels).le32(rate).le32(avgBytes).le16(align).le16(bits);
}
inline Bytes PcmMono16(uint32_t rate) {
    return FmtBody(1, 1, rate, rate * 2, 2, 16);
}

inline Bytes SampleBytes(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples)
        b.le16(uint16_t(s));
    return b;
}

// "RIFF", the size of what follows, the form type, then the chunks given as (id, contents) pairs in order.
inline Bytes RiffForm(const char* form, std::initializer_list<std::pair<const char*, Bytes>> chunks) {
    Bytes body;
    for (const auto& [id, contents] : chunks)
        body.chunk(id, contents);
    return Bytes().id("RIFF").le32(uint32_t(body.size() + 4)).id(form).add(body);
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
