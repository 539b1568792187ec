// A small RIFF WAVE reader over bytes in memory: finds the "fmt " and "data" chunks of a "WAVE" form.
#pragma once
#include <cstddef>
#include <cstdint>

// The wave format record as stored at the start of a "fmt " chunk, little-endian.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};
static_assert(sizeof(WaveFormat) == 16);
static_assert(offsetof(WaveFormat, channels) == 2);
static_assert(offsetof(WaveFormat, samplesPerSec) == 4);
static_assert(offsetof(WaveFormat, avgBytesPerSec) == 8);
static_assert(offsetof(WaveFormat, blockAlign) == 12);
static_assert(offsetof(WaveFormat, bitsPerSample) == 14);

constexpr uint16_t WaveFormatPcm = 1;
constexpr uint16_t WaveFormatExtensible = 0xFFFE;

struct WaveChunks {
    WaveFormat format;
    size_t dataOffset = 0; // offset of the first sample byte in the file
    uint32_t dataSize = 0; // bytes of the "data" chunk that are inside the file
};

// Finds the first RIFF form of type "WAVE", its "fmt " chunk and then the "data" chunk that follows.
// Only the first 16 bytes of "fmt " are taken, however long the chunk is. A WAVE_FORMAT_EXTENSIBLE header
// whose sub-format is PCM reads as PCM. A "data" chunk that runs past the end of the bytes (a cut file, or
// a stream-written one whose size is 0xFFFFFFFF) is taken as far as it goes. False when a piece is
// missing or a "fmt " chunk is shorter than the record or than the bytes.
bool ParseRiffWave(const uint8_t* bytes, size_t size, WaveChunks& out);
