// Noise and file writers of the asset generator.
#include "gen_common.h"

#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

float Lattice(int x, int y, int px, int py, uint32_t seed) {
    x %= px, y %= py;
    if (x < 0) x += px;
    if (y < 0) y += py;
    return float(Hash(x, y, seed) & 0xFFFFFF) / 16777215.0f;
}

uint8_t ToByte(float v) {
    v = Clamp01(v) * 255.0f + 0.5f;
    return uint8_t(v);
}

} // namespace

float TileNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - float(x0), fy = y - float(y0);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Lattice(x0, y0, periodX, periodY, seed), b = Lattice(x0 + 1, y0, periodX, periodY, seed);
    float c = Lattice(x0, y0 + 1, periodX, periodY, seed),
          d = Lattice(x0 + 1, y0 + 1, periodX, periodY, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float TileFbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * TileNoise(x, y, periodX, periodY, seed + uint32_t(i) * 7919u);
        norm += amp;
        amp *= gain;
        x *= 2, y *= 2, periodX *= 2, periodY *= 2;
    }
    return sum / norm;
}

bool WriteJpeg(const std::string& path, const Canvas& c, int quality) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(c.width);
    cinfo.image_height = JDIMENSION(c.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(c.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = int(cinfo.next_scanline);
        for (int x = 0; x < c.width; ++x) {
            const Rgb& p = c.at(x, y);
            row[size_t(x) * 3] = ToByte(p.r), row[size_t(x) * 3 + 1] = ToByte(p.g),
                            row[size_t(x) * 3 + 2] = ToByte(p.b);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

static void PutLe16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x), v[at + 1] = uint8_t(x >> 8);
}
static void PutLe32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + size_t(i)] = uint8_t(x >> (8 * i));
}

bool WriteBmp24(const std::string& path, const Canvas& c) {
    const size_t rowBytes = (size_t(c.width) * 3 + 3) & ~size_t(3);
    const size_t dataBytes = rowBytes * size_t(c.height);
    std::vector<uint8_t> file(54 + dataBytes, 0);
    file[0] = 'B', file[1] = 'M';
    PutLe32(file, 2, uint32_t(file.size()));
    PutLe32(file, 10, 54);
    PutLe32(file, 14, 40);
    PutLe32(file, 18, uint32_t(c.width));
    PutLe32(file, 22, uint32_t(c.height)); // positive: bottom row first
    PutLe16(file, 26, 1);
    PutLe16(file, 28, 24);
    PutLe32(file, 34, uint32_t(dataBytes));
    PutLe32(file, 38, 2835);
    PutLe32(file, 42, 2835);
    for (int y = 0; y < c.height; ++y) {
        uint8_t* out = file.data() + 54 + size_t(c.height - 1 - y) * rowBytes;
        for (int x = 0; x < c.width; ++x) {
            const Rgb& p = c.at(x, y);
            out[x * 3] = ToByte(p.b), out[x * 3 + 1] = ToByte(p.g), out[x * 3 + 2] = ToByte(p.r);
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

bool WritePcxMono(const std::string& path, int width, int height, const std::vector<uint8_t>& white) {
    const int bpl = ((width + 1 + 15) / 16) * 2; // even number of bytes per line, room for one more column
    std::vector<uint8_t> file(128, 0);
    file[0] = 10; // manufacturer
    file[1] = 5;  // version
    file[2] = 1;  // run-length encoding
    file[3] = 1;  // bits per pixel
    PutLe16(file, 4, 0);
    PutLe16(file, 6, 0);
    PutLe16(file, 8, uint32_t(width));
    PutLe16(file, 10, uint32_t(height));
    PutLe16(file, 12, 72);
    PutLe16(file, 14, 72);
    file[16 + 3] = file[16 + 4] = file[16 + 5] = 255; // palette entry 1 white
    file[65] = 1;
    PutLe16(file, 66, uint32_t(bpl));
    PutLe16(file, 68, 1);
    std::vector<uint8_t> row(static_cast<size_t>(bpl));
    // Most readers add 1 to Xmax and Ymax; one more white row and column keeps the file whole for them,
    // while this program reads exactly width x height.
    for (int y = 0; y <= height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < bpl * 8; ++x)
            if (y == height || x >= width || white[size_t(y) * size_t(width) + size_t(x)])
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        // Runs never cross the end of a row.
        for (int i = 0; i < bpl;) {
            int n = 1;
            while (i + n < bpl && n < 63 && row[size_t(i + n)] == row[size_t(i)])
                ++n;
            if (n > 1 || (row[size_t(i)] & 0xC0) == 0xC0) file.push_back(uint8_t(0xC0 | n));
            file.push_back(row[size_t(i)]);
            i += n;
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}
