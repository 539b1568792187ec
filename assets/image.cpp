// Picture loading: the four-attempt file loader, JPEG through libjpeg (file and memory source), BMP, and
// the byte-order, halving and shrinking operations used to prepare textures.
#include "assets/image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "assets/image_internal.h"
#include "resources/resources.h"

namespace {

// A real JPEG holds far fewer than this many pixels per byte of file; a header that claims more is
// damaged, and decoding it would only produce a huge picture of nothing.
constexpr int64_t MaxJpegPixelsPerByte = 1024;

struct JpegErrorManager {
    jpeg_error_mgr pub; // first, so libjpeg's error pointer is also ours
    std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void JpegQuiet(j_common_ptr) {}

void InitErrors(jpeg_decompress_struct& cinfo, JpegErrorManager& err) {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.output_message = JpegQuiet;
}

// After jpeg_read_header: refuses pictures too large to be real for the data that carries them.
bool PlausibleJpeg(const jpeg_decompress_struct& cinfo, int64_t length) {
    int64_t pixels = int64_t(cinfo.image_width) * cinfo.image_height;
    if (!AcceptableSize(cinfo.image_width, cinfo.image_height)) return false;
    return length < 0 || pixels <= length * MaxJpegPixelsPerByte;
}

bool OutputUsable(const jpeg_decompress_struct& cinfo) {
    int c = cinfo.output_components;
    return (c == 1 || c == 3 || c == 4) && AcceptableSize(cinfo.output_width, cinfo.output_height);
}

// One decoded scanline into blue, green, red; gray is repeated, CMYK (Adobe files store it inverted)
// is multiplied out with its black.
void ConvertScanline(const jpeg_decompress_struct& cinfo, const JSAMPLE* in, uint8_t* out) {
    const int w = int(cinfo.output_width);
    switch (cinfo.output_components) {
    case 1:
        for (int x = 0; x < w; ++x, out += 3)
            out[0] = out[1] = out[2] = in[x];
        break;
    case 3:
        for (int x = 0; x < w; ++x, out += 3, in += 3)
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
        break;
    default:
        for (int x = 0; x < w; ++x, out += 3, in += 4) {
            int c = in[0], m = in[1], y = in[2], k = in[3];
            if (!cinfo.saw_Adobe_marker) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
            out[0] = uint8_t(y * k / 255), out[1] = uint8_t(m * k / 255), out[2] = uint8_t(c * k / 255);
        }
        break;
    }
}

// Reads every scanline into pixels (rows top first, stride apart) through one row buffer.
// Returns false when the source stops delivering lines.
bool ReadScanlines(jpeg_decompress_struct& cinfo, uint8_t* pixels, int32_t stride, JSAMPLE* row) {
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* out = pixels + size_t(cinfo.output_scanline) * size_t(stride);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return false;
        ConvertScanline(cinfo, row, out);
    }
    return true;
}

// Memory source: the whole stream is one buffer; past its end an end-of-image marker is supplied so
// that a truncated stream ends cleanly.
struct MemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data;
    size_t length;
};

const JOCTET EndOfImage[2] = {0xFF, 0xD9};

void MemoryInit(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    src->pub.next_input_byte = src->data;
    src->pub.bytes_in_buffer = src->length;
}

boolean MemoryFill(j_decompress_ptr cinfo) {
    cinfo->src->next_input_byte = EndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void MemorySkip(j_decompress_ptr cinfo, long n) {
    if (n <= 0) return;
    size_t step = size_t(n) < cinfo->src->bytes_in_buffer ? size_t(n) : cinfo->src->bytes_in_buffer;
    cinfo->src->next_input_byte += step;
    cinfo->src->bytes_in_buffer -= step;
}

void MemoryTerm(j_decompress_ptr) {}

void AttachMemorySource(jpeg_decompress_struct& cinfo, const uint8_t* data, size_t length) {
    if (!cinfo.src)
        cinfo.src = static_cast<jpeg_source_mgr*>((*cinfo.mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
    auto* src = reinterpret_cast<MemorySource*>(cinfo.src);
    src->pub.init_source = MemoryInit;
    src->pub.fill_input_buffer = MemoryFill;
    src->pub.skip_input_data = MemorySkip;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = MemoryTerm;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    src->data = data;
    src->length = length;
}

void FailImage(RgbImage& image) {
    FreeImage(image);
    image.failed = 1;
}

// ---- BMP ----------------------------------------------------------------------------------------

struct BmpInfo {
    int64_t width = 0, height = 0; // height negative: rows stored top first
    int bits = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    bool core = false;
};

} // namespace

int64_t FileLengthFromStart(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long n = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return n;
}

bool ReadExact(std::FILE* file, void* out, size_t n) {
    return n == 0 || std::fread(out, 1, n, file) == n;
}

bool AcceptableSize(int64_t width, int64_t height) {
    if (width < 1 || height < 1 || width > MaxImageSide || height > MaxImageSide) return false;
    return int64_t(ImageStride(int32_t(width))) * height <= MaxImageBytes;
}

bool AllocatePixels(RgbImage& image, int32_t width, int32_t height) {
    if (!AcceptableSize(width, height)) return false;
    image.width = width;
    image.height = height;
    image.stride = ImageStride(width);
    image.bytesPerPixel = 3;
    image.pixels = static_cast<uint8_t*>(std::calloc(size_t(image.stride) * size_t(height), 1));
    return image.pixels != nullptr;
}

void FreeImage(RgbImage& image) {
    std::free(image.pixels);
    image.pixels = nullptr;
    image.decoded = 0;
    image.failed = 0;
}

void LoadImageFile(RgbImage& image, const std::string& path) {
    LoadImageFileAtWidth(image, path, 0);
}

int32_t JpegDenominatorForWidth(int32_t width, int32_t limit) {
    if (limit < 1 || width <= limit) return 1;
    int32_t denominator = 1, halvings = 0;
    for (int32_t w = width; w > limit && w >= 2; w /= 2)
        ++halvings;
    while (denominator < 8 && denominator < (1 << std::min(halvings, 3)))
        denominator *= 2;
    // libjpeg rounds the scaled width up: where that would leave the last halving undone, the decoder
    // stops one step short and ShrinkToWidth makes the last halving itself.
    if (halvings <= 3 && (width + denominator - 1) / denominator > limit) denominator /= 2;
    return denominator;
}

void LoadImageFileAtWidth(RgbImage& image, const std::string& path, int32_t widthLimit) {
    void (*const decoders[4])(RgbImage&, std::FILE*) = {nullptr, DecodeBmp, DecodePcx, DecodePsd};
    for (auto decode : decoders) {
        FreeImage(image);
        image.decoded = 1;
        image.failed = 0;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            image.failed = 1;
            return;
        }
        if (decode)
            decode(image, f);
        else
            DecodeJpegFileAtWidth(image, f, widthLimit);
        std::fclose(f);
        if (!image.failed) break;
    }
    if (image.failed || image.width < 1 || image.height < 1 || !image.pixels) {
        FreeImage(image);
        image.decoded = 1;
        image.failed = 1;
    }
}

void DecodeJpegFile(RgbImage& image, std::FILE* file) {
    DecodeJpegFileAtWidth(image, file, 0);
}

void DecodeJpegFileAtWidth(RgbImage& image, std::FILE* file, int32_t widthLimit) {
    const int64_t length = FileLengthFromStart(file);
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    JSAMPLE* volatile row = nullptr;
    InitErrors(cinfo, err);
    if (setjmp(err.jump)) {
        std::free(row);
        jpeg_destroy_decompress(&cinfo);
        FailImage(image);
        image.decoded = 0;
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (!PlausibleJpeg(cinfo, length)) err.pub.error_exit(reinterpret_cast<j_common_ptr>(&cinfo));
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(JpegDenominatorForWidth(int32_t(cinfo.image_width), widthLimit));
    jpeg_start_decompress(&cinfo);
    FreeImage(image);
    image.decoded = 1;
    if (!OutputUsable(cinfo) ||
        !AllocatePixels(image, int32_t(cinfo.output_width), int32_t(cinfo.output_height)))
        err.pub.error_exit(reinterpret_cast<j_common_ptr>(&cinfo));
    row = static_cast<JSAMPLE*>(std::malloc(size_t(cinfo.output_width) * size_t(cinfo.output_components)));
    if (!row || !ReadScanlines(cinfo, image.pixels, image.stride, row))
        err.pub.error_exit(reinterpret_cast<j_common_ptr>(&cinfo));
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
}

int64_t DecodeJpegMemory(const uint8_t* data, size_t length, int denominator, uint8_t* buffer,
                         size_t bufferSize, int32_t* width, int32_t* height, int32_t* stride) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    JSAMPLE* volatile row = nullptr;
    InitErrors(cinfo, err);
    if (setjmp(err.jump)) {
        std::free(row);
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    jpeg_create_decompress(&cinfo);
    AttachMemorySource(cinfo, data, length);
    jpeg_read_header(&cinfo, TRUE);
    if (!PlausibleJpeg(cinfo, int64_t(length))) err.pub.error_exit(reinterpret_cast<j_common_ptr>(&cinfo));
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(denominator < 1 ? 1 : denominator);
    jpeg_start_decompress(&cinfo);
    if (!OutputUsable(cinfo)) err.pub.error_exit(reinterpret_cast<j_common_ptr>(&cinfo));
    const int32_t w = int32_t(cinfo.output_width), h = int32_t(cinfo.output_height), s = ImageStride(w);
    if (width) *width = w;
    if (height) *height = h;
    if (stride) *stride = s;
    const size_t needed = size_t(s) * size_t(h);
    if (!buffer || bufferSize < needed) {
        jpeg_destroy_decompress(&cinfo);
        return int64_t(needed);
    }
    row = static_cast<JSAMPLE*>(std::malloc(size_t(w) * size_t(cinfo.output_components)));
    if (!row || !ReadScanlines(cinfo, buffer, s, row))
        err.pub.error_exit(reinterpret_cast<j_common_ptr>(&cinfo));
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    return 0;
}

void LoadImageResource(RgbImage& image, int id) {
    FreeImage(image);
    ResourceData res = FindResourceData(id);
    int32_t w = 0, h = 0, s = 0;
    int64_t needed = res.data ? DecodeJpegMemory(res.data, res.size, 1, nullptr, 0, &w, &h, &s) : -1;
    if (needed <= 0) {
        image.failed = 1;
        return;
    }
    image.pixels = static_cast<uint8_t*>(std::calloc(size_t(needed), 1));
    image.width = w;
    image.height = h;
    image.stride = s;
    image.bytesPerPixel = 3;
    image.decoded = 1;
    image.failed = 0;
    if (!image.pixels ||
        DecodeJpegMemory(res.data, res.size, 1, image.pixels, size_t(needed), &w, &h, &s) != 0) {
        FreeImage(image);
        image.failed = 1;
    }
}

// A cut BMP loads with black rows for what is missing, as long as the file holds at least 1/64 of the
// pixel data its header claims (or the claim is small).
constexpr int64_t MaxMissingBmpFactor = 64;
constexpr int64_t MaxMissingBmpBytes = 1 << 16;

void DecodeBmp(RgbImage& image, std::FILE* file) {
    const int64_t length = FileLengthFromStart(file);
    const long start = 0;
    uint8_t fileHeader[14];
    uint8_t h[40];
    BmpInfo info;
    int64_t bitsOffset = -1;
    if (length < 14 || !ReadExact(file, fileHeader, 14)) {
        image.failed = 1;
        return;
    }
    if (fileHeader[0] == 'B' && fileHeader[1] == 'M')
        bitsOffset = Le32(fileHeader + 10);
    else
        std::fseek(file, start, SEEK_SET);
    if (!ReadExact(file, h, 40)) {
        image.failed = 1;
        return;
    }
    const uint32_t headerSize = Le32(h);
    if (headerSize == 12) {
        info.core = true;
        info.width = Le16(h + 4);
        info.height = Le16(h + 6);
        info.bits = Le16(h + 10);
        std::fseek(file, -28, SEEK_CUR);
    } else if (headerSize == 40) {
        info.width = int32_t(Le32(h + 4));
        info.height = int32_t(Le32(h + 8));
        info.bits = Le16(h + 14);
        info.compression = Le32(h + 16);
        info.coloursUsed = Le32(h + 32);
    } else {
        image.failed = 1;
        return;
    }
    const int bits = info.bits;
    const int64_t rows = info.height < 0 ? -info.height : info.height;
    // Uncompressed 1, 4, 8, 24 and 32 bits per pixel are read; every other kind fails.
    if (info.compression != 0 || !(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32) ||
        !AcceptableSize(info.width, rows)) {
        image.failed = 1;
        return;
    }
    const int64_t rowBytes = (int64_t(bits) * info.width + 31) / 32 * 4;
    if (info.coloursUsed == 0 && bits <= 8) info.coloursUsed = 1u << bits;
    const int entryBytes = info.core ? 3 : 4;
    const long here = std::ftell(file);
    if (here < 0 || int64_t(info.coloursUsed) * entryBytes > length - here) {
        image.failed = 1;
        return;
    }
    uint8_t palette[256 * 4] = {};
    for (uint32_t i = 0; i < info.coloursUsed; ++i) {
        uint8_t entry[4] = {};
        if (!ReadExact(file, entry, size_t(entryBytes))) {
            image.failed = 1;
            return;
        }
        if (i < 256) std::memcpy(palette + 4 * i, entry, 3);
    }
    if (bitsOffset >= 0 &&
        (bitsOffset > length || std::fseek(file, long(start + bitsOffset), SEEK_SET) != 0)) {
        image.failed = 1;
        return;
    }
    const long dataStart = std::ftell(file);
    const int64_t dataBytes = rowBytes * rows;
    // Pixel data shorter than the header claims leaves the missing rows black (the block is zeroed); a
    // header claiming far more than the file holds is refused before anything that size is allocated.
    const int64_t present = dataStart < 0 ? 0 : std::clamp<int64_t>(length - dataStart, 0, dataBytes);
    if (dataStart < 0 || dataBytes > MaxMissingBmpFactor * present + MaxMissingBmpBytes) {
        image.failed = 1;
        return;
    }
    uint8_t* bitsData = static_cast<uint8_t*>(std::calloc(size_t(dataBytes), 1));
    if (!bitsData || !ReadExact(file, bitsData, size_t(present))) {
        std::free(bitsData);
        image.failed = 1;
        return;
    }
    FreeImage(image);
    if (!AllocatePixels(image, int32_t(info.width), int32_t(rows))) {
        std::free(bitsData);
        image.failed = 1;
        return;
    }
    image.decoded = 1;
    for (int64_t y = 0; y < rows; ++y) {
        const int64_t fileRow = info.height < 0 ? y : rows - 1 - y;
        const uint8_t* in = bitsData + fileRow * rowBytes;
        uint8_t* out = image.pixels + size_t(y) * size_t(image.stride);
        if (bits == 24) {
            std::memcpy(out, in, size_t(rowBytes));
            continue;
        }
        for (int64_t x = 0; x < info.width; ++x, out += 3) {
            if (bits == 32) {
                std::memcpy(out, in + 4 * x, 3);
                continue;
            }
            int index = bits == 8   ? in[x]
                        : bits == 4 ? (in[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                    : (in[x / 8] >> (7 - x % 8)) & 1;
            std::memcpy(out, palette + 4 * index, 3);
        }
    }
    std::free(bitsData);
}

void SwapRedBlue(RgbImage& image) {
    if (!image.decoded || image.failed || image.height < 1 || !image.pixels) return;
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* p = image.pixels + size_t(y) * size_t(image.stride);
        for (int32_t x = 0; x < image.width; ++x, p += 3) {
            uint8_t t = p[0];
            p[0] = p[2];
            p[2] = t;
        }
    }
}

void HalveImage(RgbImage& image) {
    if (!image.pixels || image.width < 1 || image.height < 1) return;
    const int32_t w = image.width / 2, h = image.height / 2, s = ImageStride(w);
    auto* out = static_cast<uint8_t*>(std::calloc(size_t(s) * size_t(h) + 1, 1));
    if (!out) return;
    const uint8_t* in = image.pixels;
    const size_t is = size_t(image.stride);
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c)
            for (int k = 0; k < 3; ++k) {
                const uint8_t* a = in + size_t(2 * r) * is + size_t(2 * c) * 3 + size_t(k);
                out[size_t(r) * size_t(s) + size_t(c) * 3 + size_t(k)] =
                    uint8_t((a[0] + a[is] + a[3] + a[is + 3]) / 4);
            }
    std::free(image.pixels);
    image.pixels = out;
    image.width = w;
    image.height = h;
    image.stride = s;
}

void ShrinkToWidth(RgbImage& image, int32_t limit) {
    // Halving stops once nothing is left to halve, so a limit below 1 cannot loop for ever.
    while (image.width > limit && image.pixels && image.width >= 2 && image.height >= 2)
        HalveImage(image);
}
