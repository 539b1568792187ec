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
// The longest "fmt " chunk taken as a format header (the extensible header); longer ones are refused.
constexpr uint32_t MaxFmtChunkSize = 40;

struct WaveChunks {
    WaveFormat format;
    size_t dataOffset = 0; // offset of the first sample byte in the file
    uint32_t dataSize = 0; // bytes in the "data" chunk, all inside the file
};

// Finds the first RIFF form of type "WAVE", its "fmt " chunk and then the "data" chunk that follows.
// Only the first 16 bytes of "fmt " are taken. False when a piece is missing, a "fmt " chunk is shorter
// than the record or longer than MaxFmtChunkSize, or a chunk runs past the end of the bytes.
bool ParseRiffWave(const uint8_t* bytes, size_t size, WaveChunks& out);
