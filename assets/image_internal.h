// Helpers shared by the picture decoders: file length, bounded reads, size checks, pixel allocation.
#pragma once
#include <cstdint>
#include <cstdio>

#include "assets/image.h"

// Length of the open file in bytes (the position is put back to the start); -1 when unknown.
int64_t FileLengthFromStart(std::FILE* file);

// Reads exactly n bytes; false on a short read.
bool ReadExact(std::FILE* file, void* out, size_t n);

// True when width x height is a picture the decoders accept: both sides 1..MaxImageSide and at most
// MaxImageBytes of pixels.
bool AcceptableSize(int64_t width, int64_t height);

// Sets width, height, stride and bytesPerPixel and allocates zeroed pixels; false (nothing allocated)
// when the size is not acceptable or memory is short. The caller has checked the size already.
bool AllocatePixels(RgbImage& image, int32_t width, int32_t height);

inline uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint16_t Be16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
inline uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
