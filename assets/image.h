// Decoded pictures (RgbImage), the file and resource loaders, the JPEG/BMP/PCX/PSD decoders and the
// small picture operations used to prepare textures.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Rows top first; pixels blue, green, red after decoding (red, green, blue after SwapRedBlue); every
// row starts on a 4-byte boundary: stride = (3 x width + 3) with the two low bits cleared.
struct RgbImage {
    int32_t height;
    int32_t width;
    int32_t stride;
    int32_t bytesPerPixel;
    int32_t decoded; // a decoder filled the picture; SwapRedBlue acts only when set
    int32_t failed;  // the last load failed
    uint8_t* pixels; // height x stride bytes, owned by the image
};

// Largest picture a decoder accepts: the pixel bytes guard memory (a 17000 x 800 panorama is fine); the
// side limit only keeps sizes far inside 32-bit arithmetic (and JPEG's own 65500).
constexpr int32_t MaxImageSide = 65536;
constexpr int64_t MaxImageBytes = int64_t(256) << 20;

// (3 x width + 3) with the two low bits cleared.
constexpr int32_t ImageStride(int32_t width) {
    return (3 * width + 3) & ~3;
}

// Tries JPEG, BMP, PCX, then PSD. On return either failed is clear and width, height >= 1, or failed is
// set and pixels is null.
void LoadImageFile(RgbImage& image, const std::string& path);
// The same for a picture that is to be halved to at most widthLimit wide (0: no limit): a JPEG is decoded
// straight at a smaller scale (libjpeg's scaled decoding), the rest is left to ShrinkToWidth.
void LoadImageFileAtWidth(RgbImage& image, const std::string& path, int32_t widthLimit);
// The libjpeg scale denominator (1, 2, 4 or 8) for a picture of that width to be shrunk to the limit (0: no
// limit): 2 to the number of halvings ShrinkToWidth would make, at most 8; one step less where libjpeg's
// rounded-up width would still be above the limit, so the decoded picture is never narrower than halving
// would leave it.
int32_t JpegDenominatorForWidth(int32_t width, int32_t limit);

// Decodes the JPEG held in the built-in resource with that id (e.g. 121, the stock skin).
void LoadImageResource(RgbImage& image, int id);

// File decoders: read the open file from its start, set failed when the file is not theirs or damaged.
void DecodeJpegFile(RgbImage& image, std::FILE* file);
// DecodeJpegFile at the scale JpegDenominatorForWidth gives for the picture's width and the limit.
void DecodeJpegFileAtWidth(RgbImage& image, std::FILE* file, int32_t widthLimit);
void DecodeBmp(RgbImage& image, std::FILE* file);
void DecodePcx(RgbImage& image, std::FILE* file);
void DecodePsd(RgbImage& image, std::FILE* file);

// Decodes a JPEG in memory, scaled by 1/denominator (1, 2, 4 or 8). Sets width, height and stride.
// Returns -1 on a decoding error, the number of bytes needed (stride x height) when bufferSize is too
// small (nothing is written), or 0 when the picture was written into buffer.
int64_t DecodeJpegMemory(const uint8_t* data, size_t length, int denominator, uint8_t* buffer,
                         size_t bufferSize, int32_t* width, int32_t* height, int32_t* stride);

// Exchanges the first and third byte of every pixel (only when decoded, not failed, height >= 1).
void SwapRedBlue(RgbImage& image);
// Halves both sides, averaging 2 x 2 blocks (truncated); an odd last row or column is dropped.
void HalveImage(RgbImage& image);
// Halves while width > limit.
void ShrinkToWidth(RgbImage& image, int32_t limit);
// Frees the pixels and clears decoded and failed; the sizes stay.
void FreeImage(RgbImage& image);

// Lattice colour conversions used by the PSD decoder. Packed result: red in the lowest byte, then green,
// then blue. CMYK inputs are stored PSD values, 255 meaning no ink.
uint32_t LabToRgb(uint8_t L, uint8_t a, uint8_t b);
uint32_t CmykToRgb(uint8_t c, uint8_t m, uint8_t y, uint8_t k);

// PackBits expansion of one row. Returns true when the row FAILED, i.e. did not come out exactly
// destinationLength bytes long; never writes past the destination nor reads past the source.
bool UnpackBits(uint8_t* destination, size_t destinationLength, const uint8_t* source, size_t sourceLength);
