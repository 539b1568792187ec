// Picture decoders on files built byte by byte (JPEG made with libjpeg here), hostile and truncated
// files, the picture operations, the colour lattices and the pictures that ship with the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "assets/image.h"
#include "platform/resources.h"

namespace {

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(int x) {
        v.push_back(uint8_t(x));
        return *this;
    }
    Bytes& le16(int x) { return u8(x & 255).u8((x >> 8) & 255); }
    Bytes& le32(uint32_t x) { return le16(int(x & 0xFFFF)).le16(int(x >> 16)); }
    Bytes& be16(int x) { return u8((x >> 8) & 255).u8(x & 255); }
    Bytes& be32(uint32_t x) { return be16(int(x >> 16)).be16(int(x & 0xFFFF)); }
    Bytes& fill(size_t n, int x) {
        v.insert(v.end(), n, uint8_t(x));
        return *this;
    }
    Bytes& raw(const char* s) {
        while (*s)
            u8(*s++);
        return *this;
    }
};

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("rv_assets_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& data) {
    std::string path = TempPath(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!data.empty()) std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    return path;
}

struct Loaded {
    RgbImage image{};
    ~Loaded() { FreeImage(image); }
    const uint8_t* px(int x, int y) const {
        return image.pixels + size_t(y) * size_t(image.stride) + size_t(x) * 3;
    }
};

void Load(Loaded& l, const std::vector<uint8_t>& data, const char* name = "pic") {
    std::string path = WriteFile(name, data);
    LoadImageFile(l.image, path);
    std::remove(path.c_str());
}

void ExpectBgr(const uint8_t* p, int b, int g, int r, int tolerance = 0) {
    EXPECT_NEAR(p[0], b, tolerance);
    EXPECT_NEAR(p[1], g, tolerance);
    EXPECT_NEAR(p[2], r, tolerance);
}

// A JPEG made with libjpeg: left half red, right half blue (or a gray ramp for one component).
std::vector<uint8_t> MakeJpeg(int w, int h, int components) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(w) * size_t(components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x) {
            if (components == 3) {
                bool left = x < w / 2;
                row[size_t(x) * 3] = left ? 250 : 10;
                row[size_t(x) * 3 + 1] = 20;
                row[size_t(x) * 3 + 2] = left ? 10 : 240;
            } else {
                row[size_t(x)] = uint8_t(x * 255 / (w - 1));
            }
        }
        JSAMPROW r[1] = {row.data()};
        jpeg_write_scanlines(&c, r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> data(out, out + size);
    std::free(out);
    return data;
}

TEST(Jpeg, FirstAttemptColourGrayAndMemory) {
    Loaded l;
    Load(l, MakeJpeg(64, 16, 3), "colour.jpg");
    ASSERT_FALSE(l.image.failed);
    EXPECT_EQ(l.image.width, 64);
    EXPECT_EQ(l.image.height, 16);
    EXPECT_EQ(l.image.stride, 192);
    EXPECT_EQ(l.image.bytesPerPixel, 3);
    EXPECT_TRUE(l.image.decoded);
    ExpectBgr(l.px(4, 8), 10, 20, 250, 12); // blue, green, red
    ExpectBgr(l.px(60, 8), 240, 20, 10, 12);
    SwapRedBlue(l.image);
    EXPECT_NEAR(l.px(4, 8)[0], 250, 12);

    Loaded g;
    Load(g, MakeJpeg(21, 5, 1), "gray.jpg");
    ASSERT_FALSE(g.image.failed);
    EXPECT_EQ(g.image.stride, 64); // 63 rounded up to 4
    for (int x = 0; x < 21; ++x) {
        const uint8_t* p = g.px(x, 2);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
    }

    std::vector<uint8_t> jpg = MakeJpeg(30, 10, 3);
    int32_t w = 0, h = 0, s = 0;
    int64_t need = DecodeJpegMemory(jpg.data(), jpg.size(), 1, nullptr, 0, &w, &h, &s);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 10);
    EXPECT_EQ(s, 92);
    ASSERT_EQ(need, 920);
    std::vector<uint8_t> buf(static_cast<size_t>(need));
    EXPECT_EQ(DecodeJpegMemory(jpg.data(), jpg.size(), 1, buf.data(), buf.size(), &w, &h, &s), 0);
    EXPECT_NEAR(buf[2], 250, 12);
    EXPECT_EQ(DecodeJpegMemory(jpg.data(), jpg.size(), 2, nullptr, 0, &w, &h, &s), 48 * 5);
    EXPECT_EQ(w, 15);
    // A truncated stream ends cleanly (the source supplies an end marker); garbage is an error.
    std::vector<uint8_t> large = MakeJpeg(256, 64, 3);
    std::vector<uint8_t> cut(large.begin(), large.end() - 200);
    std::vector<uint8_t> largeBuf(256 * 3 * 64);
    EXPECT_EQ(DecodeJpegMemory(cut.data(), cut.size(), 1, largeBuf.data(), largeBuf.size(), &w, &h, &s), 0);
    std::vector<uint8_t> junk(100, 0x55);
    EXPECT_EQ(DecodeJpegMemory(junk.data(), junk.size(), 1, nullptr, 0, &w, &h, &s), -1);
    EXPECT_EQ(DecodeJpegMemory(junk.data(), 0, 1, nullptr, 0, &w, &h, &s), -1);
    // A header claiming a huge picture in a few bytes is refused: the SOF0 height at offset +5.
    std::vector<uint8_t> big = MakeJpeg(16, 16, 1);
    for (size_t i = 0; i + 8 < big.size(); ++i)
        if (big[i] == 0xFF && big[i + 1] == 0xC0) {
            big[i + 5] = 0x3F, big[i + 6] = 0xFF, big[i + 7] = 0x3F, big[i + 8] = 0xFF;
            break;
        }
    EXPECT_EQ(DecodeJpegMemory(big.data(), big.size(), 1, nullptr, 0, &w, &h, &s), -1);
}

// BMP pieces: file header, 40-byte information header, or the 12-byte core header.
Bytes BmpFileHeader(uint32_t offset) {
    Bytes b;
    b.raw("BM").le32(0).le32(0).le32(offset);
    return b;
}
Bytes InfoHeader(int w, int h, int bits, uint32_t compression = 0, uint32_t colours = 0) {
    Bytes b;
    b.le32(40)
        .le32(uint32_t(w))
        .le32(uint32_t(h))
        .le16(1)
        .le16(bits)
        .le32(compression)
        .le32(0)
        .le32(0)
        .le32(0);
    return b.le32(colours).le32(0);
}

TEST(Bmp, SecondAttemptEveryLayout) {
    // 2 x 2, 24 bits, bottom row first: rows are 8 bytes (6 + 2 padding).
    Bytes pixels;
    pixels.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6).le16(0);    // bottom row
    pixels.u8(7).u8(8).u8(9).u8(10).u8(11).u8(12).le16(0); // top row
    Bytes withHeader = BmpFileHeader(54);
    const Bytes info = InfoHeader(2, 2, 24);
    withHeader.v.insert(withHeader.v.end(), info.v.begin(), info.v.end());
    withHeader.v.insert(withHeader.v.end(), pixels.v.begin(), pixels.v.end());
    Loaded a;
    Load(a, withHeader.v);
    ASSERT_FALSE(a.image.failed);
    EXPECT_EQ(a.image.width, 2);
    ExpectBgr(a.px(0, 0), 7, 8, 9);
    ExpectBgr(a.px(1, 1), 4, 5, 6);
    // No file header, top-down (negative height).
    Bytes bare = InfoHeader(2, -2, 24);
    bare.v.insert(bare.v.end(), pixels.v.begin(), pixels.v.end());
    Loaded b;
    Load(b, bare.v);
    ASSERT_FALSE(b.image.failed);
    ExpectBgr(b.px(0, 0), 1, 2, 3);
    ExpectBgr(b.px(1, 1), 10, 11, 12);
    // Core header (12 bytes: size, 16-bit width and height, planes, bits); 4 x 4, rows of 12 bytes.
    Bytes core = BmpFileHeader(26);
    core.le32(12).le16(4).le16(4).le16(1).le16(24);
    for (int i = 0; i < 48; ++i)
        core.u8(i);
    Loaded c;
    Load(c, core.v);
    ASSERT_FALSE(c.image.failed);
    ExpectBgr(c.px(0, 3), 0, 1, 2);
    ExpectBgr(c.px(1, 0), 39, 40, 41);
    // 8 bits with a two-entry palette, 1 bit, 32 bits: converted to 24.
    Bytes pal8 = InfoHeader(3, 1, 8, 0, 2);
    pal8.u8(10).u8(20).u8(30).u8(0).u8(40).u8(50).u8(60).u8(0).u8(1).u8(0).u8(1).u8(0);
    Loaded d;
    Load(d, pal8.v);
    ASSERT_FALSE(d.image.failed);
    ExpectBgr(d.px(0, 0), 40, 50, 60);
    ExpectBgr(d.px(1, 0), 10, 20, 30);
    Bytes mono = InfoHeader(9, 1, 1);
    mono.u8(0).u8(0).u8(0).u8(0).u8(255).u8(255).u8(255).u8(0).u8(0xA0).u8(0x80).le16(0);
    Loaded e;
    Load(e, mono.v);
    ASSERT_FALSE(e.image.failed);
    ExpectBgr(e.px(0, 0), 255, 255, 255);
    ExpectBgr(e.px(1, 0), 0, 0, 0);
    ExpectBgr(e.px(8, 0), 255, 255, 255);
    Bytes four = InfoHeader(1, 1, 32);
    four.u8(9).u8(8).u8(7).u8(6);
    Loaded f;
    Load(f, four.v);
    ASSERT_FALSE(f.image.failed);
    ExpectBgr(f.px(0, 0), 9, 8, 7);
}

TEST(Bmp, DamagedFilesFailCleanly) {
    Loaded l;
    Bytes rle = InfoHeader(2, 2, 8, 1);
    rle.fill(100, 0);
    Load(l, rle.v);
    EXPECT_TRUE(l.image.failed);
    EXPECT_EQ(l.image.pixels, nullptr);
    Bytes huge = InfoHeader(100000, 100000, 24);
    huge.fill(64, 0);
    Load(l, huge.v);
    EXPECT_TRUE(l.image.failed);
    Bytes zero = InfoHeader(0, 5, 24);
    Load(l, zero.v);
    EXPECT_TRUE(l.image.failed);
    Bytes minHeight = InfoHeader(1, int(0x80000000u), 24);
    Load(l, minHeight.v);
    EXPECT_TRUE(l.image.failed);
    // Shorter than the rows it claims: the missing bytes are black (rows stored bottom first, so the
    // top row is the one cut: 4 of its 12 bytes are there).
    Bytes shortFile = InfoHeader(4, 4, 24);
    shortFile.fill(40, 1);
    Load(l, shortFile.v);
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 1, 1, 1);
    ExpectBgr(l.px(1, 0), 1, 0, 0);
    ExpectBgr(l.px(3, 0), 0, 0, 0);
    ExpectBgr(l.px(3, 1), 1, 1, 1);
    // A header claiming 16000 x 5000 pixels (240 MB) over 100 bytes is refused at once.
    Bytes claim = InfoHeader(16000, 5000, 24);
    claim.fill(100, 7);
    Load(l, claim.v);
    EXPECT_TRUE(l.image.failed);
    // A file header pointing past the end, and a palette count past the end.
    Bytes offset = BmpFileHeader(1u << 30);
    const Bytes info = InfoHeader(1, 1, 24);
    offset.v.insert(offset.v.end(), info.v.begin(), info.v.end());
    offset.fill(4, 0);
    Load(l, offset.v);
    EXPECT_TRUE(l.image.failed);
    Bytes colours = InfoHeader(1, 1, 8, 0, 0xFFFFFFFF);
    colours.fill(8, 0);
    Load(l, colours.v);
    EXPECT_TRUE(l.image.failed);
    // A direct call on a bad file keeps the pixels the image had (the skin stays drawable).
    Loaded keep;
    Bytes good = InfoHeader(1, 1, 24);
    good.fill(4, 7);
    Load(keep, good.v);
    ASSERT_NE(keep.image.pixels, nullptr);
    std::string path = WriteFile("bad.bmp", rle.v);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    DecodeBmp(keep.image, file);
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_TRUE(keep.image.failed);
    EXPECT_NE(keep.image.pixels, nullptr);
}

// PCX header of 128 bytes.
Bytes PcxHeader(int version, int bits, int xmax, int ymax, int planes, int bpl) {
    Bytes b;
    b.u8(10).u8(version).u8(1).u8(bits).le16(0).le16(0).le16(xmax).le16(ymax).le16(72).le16(72);
    for (int i = 0; i < 16; ++i)
        b.u8(i * 16).u8(i * 8).u8(255 - i * 16); // 16-colour palette
    b.u8(0).u8(planes).le16(bpl).le16(1);
    b.fill(128 - b.v.size(), 0);
    return b;
}

TEST(Bmp, WidePanoramaLoadsAndShrinks) {
    // 17000 x 800 at 24 bits: 51000 bytes a row; the bottom 20 rows are in the file, the rest is black.
    Loaded l;
    Bytes wide = InfoHeader(17000, 800, 24);
    wide.fill(51000 * 20, 200);
    Load(l, wide.v);
    ASSERT_FALSE(l.image.failed);
    EXPECT_EQ(l.image.width, 17000);
    EXPECT_EQ(l.image.height, 800);
    ExpectBgr(l.px(16999, 799), 200, 200, 200);
    ExpectBgr(l.px(0, 0), 0, 0, 0);
    ShrinkToWidth(l.image, 2048);
    EXPECT_EQ(l.image.width, 1062);
    EXPECT_EQ(l.image.height, 50);
}

TEST(Pcx, ThirdAttemptEveryKind) {
    // The canopy mask: 460 x 176 (no 1 added), 1 bit, 58 bytes per line; white left half, black right.
    Bytes mask = PcxHeader(5, 1, 460, 176, 1, 58);
    for (int y = 0; y < 176; ++y)
        mask.u8(0xC0 | 29).u8(0xFF).u8(0xC0 | 29).u8(0x00);
    Loaded m;
    Load(m, mask.v);
    ASSERT_FALSE(m.image.failed);
    EXPECT_EQ(m.image.width, 460);
    EXPECT_EQ(m.image.height, 176);
    ExpectBgr(m.px(0, 0), 255, 255, 255);
    ExpectBgr(m.px(231, 175), 255, 255, 255);
    ExpectBgr(m.px(232, 175), 0, 0, 0);
    ExpectBgr(m.px(459, 100), 0, 0, 0);
    // Version 0 monochrome too; a run crossing the row end loses its rest.
    Bytes cross = PcxHeader(0, 1, 8, 2, 1, 1);
    cross.u8(0xC0 | 3).u8(0x0F).u8(0x30);
    Loaded c;
    Load(c, cross.v);
    ASSERT_FALSE(c.image.failed);
    ExpectBgr(c.px(0, 1), 0, 0, 0); // row 1 starts with the fresh byte 0x30
    ExpectBgr(c.px(2, 1), 255, 255, 255);
    ExpectBgr(c.px(4, 0), 255, 255, 255);
    // 8-bit indexed with the palette marker 12 and 768 palette bytes at the end.
    Bytes indexed = PcxHeader(5, 8, 2, 1, 1, 2);
    indexed.u8(1).u8(0xC1).u8(2).u8(12);
    indexed.u8(0).u8(0).u8(0).u8(10).u8(20).u8(30).u8(40).u8(50).u8(60).fill(768 - 9, 0);
    Loaded i;
    Load(i, indexed.v);
    ASSERT_FALSE(i.image.failed);
    ExpectBgr(i.px(0, 0), 30, 20, 10);
    ExpectBgr(i.px(1, 0), 60, 50, 40);
    indexed.v[indexed.v.size() - 769] = 11; // wrong marker
    Load(i, indexed.v);
    EXPECT_TRUE(i.image.failed);
    // Three planes: red, green, blue lines.
    Bytes rgb = PcxHeader(5, 8, 2, 1, 3, 2);
    rgb.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6);
    Loaded r;
    Load(r, rgb.v);
    ASSERT_FALSE(r.image.failed);
    ExpectBgr(r.px(0, 0), 5, 3, 1);
    ExpectBgr(r.px(1, 0), 6, 4, 2);
    // 16 colours: four bit planes give the index into the header palette.
    Bytes sixteen = PcxHeader(2, 1, 2, 1, 4, 1);
    sixteen.u8(0x80).u8(0x00).u8(0x80).u8(0x40); // pixel 0: bits 0 and 2 -> 5; pixel 1: plane 3 -> 8
    Loaded s;
    Load(s, sixteen.v);
    ASSERT_FALSE(s.image.failed);
    ExpectBgr(s.px(0, 0), 255 - 80, 40, 80);
    ExpectBgr(s.px(1, 0), 255 - 128, 64, 128);
}

TEST(Pcx, DamagedFilesFailCleanly) {
    Loaded l;
    Bytes truncated = PcxHeader(5, 1, 16, 4, 1, 2);
    truncated.u8(0xFF).u8(0xFF).u8(0xFF); // 1.5 rows of 4
    Load(l, truncated.v);
    EXPECT_TRUE(l.image.failed);
    EXPECT_EQ(l.image.pixels, nullptr);
    Load(l, PcxHeader(5, 4, 16, 4, 1, 2).v); // unknown kind
    EXPECT_TRUE(l.image.failed);
    Bytes negative = PcxHeader(5, 1, 0, 4, 1, 2);
    negative.v[4] = 10; // Xmin 10 > Xmax 0
    negative.fill(16, 0);
    Load(l, negative.v);
    EXPECT_TRUE(l.image.failed);
    Bytes absurd = PcxHeader(5, 8, 30000, 30000, 3, 30000);
    absurd.fill(1000, 0xFF);
    Load(l, absurd.v);
    EXPECT_TRUE(l.image.failed);
    Bytes noBytes = PcxHeader(5, 1, 16, 4, 1, 0);
    noBytes.fill(16, 0);
    Load(l, noBytes.v);
    EXPECT_TRUE(l.image.failed);
}

// PSD: header, three empty sections (or a palette), compression, then the planes.
Bytes PsdHeader(int channels, int h, int w, int mode, int depth = 8) {
    Bytes b;
    b.raw("8BPS")
        .be16(1)
        .fill(6, 0)
        .be16(channels)
        .be32(uint32_t(h))
        .be32(uint32_t(w))
        .be16(depth)
        .be16(mode);
    return b;
}
Bytes PsdRaw(int channels, int h, int w, int mode, const std::vector<int>& planes) {
    Bytes b = PsdHeader(channels, h, w, mode);
    b.be32(0).be32(0).be32(0).be16(0);
    for (int v : planes)
        b.u8(v);
    return b;
}

TEST(Psd, FourthAttemptEveryMode) {
    Loaded l;
    Load(l, PsdRaw(1, 1, 2, 1, {9, 200}).v); // grayscale
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(1, 0), 200, 200, 200);
    Load(l, PsdRaw(3, 1, 1, 7, {77, 1, 2}).v); // multichannel reads plane 0
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 77, 77, 77);
    Load(l, PsdRaw(3, 1, 1, 3, {10, 20, 30}).v); // RGB
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 30, 20, 10);
    Load(l, PsdRaw(5, 1, 1, 3, {10, 20, 30, 40, 50}).v); // five channels: the first ones
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 30, 20, 10);
    Load(l, PsdRaw(4, 1, 2, 4, {255, 0, 255, 0, 255, 0, 255, 0}).v); // CMYK: no ink, all ink
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 255, 255, 255);
    ExpectBgr(l.px(1, 0), 0, 0, 0);
    Load(l, PsdRaw(3, 1, 1, 9, {255, 128, 128}).v); // Lab
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 243, 242, 243);
    // Indexed: 768 palette bytes, red then green then blue.
    Bytes idx = PsdHeader(1, 1, 1, 2);
    idx.be32(768).fill(768, 0);
    idx.v[26 + 4 + 3] = 11, idx.v[26 + 4 + 256 + 3] = 22, idx.v[26 + 4 + 512 + 3] = 33;
    idx.be32(0).be32(0).be16(0).u8(3);
    Load(l, idx.v);
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 33, 22, 11);
    // Packed RGB 3 x 1: row counts, then PackBits rows (repeat run, literal run).
    Bytes packed = PsdHeader(3, 1, 3, 3);
    packed.be32(0).be32(0).be32(0).be16(1).be16(2).be16(4).be16(2);
    packed.u8(0xFE).u8(100);        // red: 100 x 3
    packed.u8(2).u8(1).u8(2).u8(3); // green: 1, 2, 3
    packed.u8(0xFE).u8(7);          // blue: 7 x 3
    Load(l, packed.v);
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(2, 0), 7, 3, 100);
    // Five channels packed: only height x 4 row counts come before the data.
    Bytes five = PsdHeader(5, 1, 1, 4);
    five.be32(0).be32(0).be32(0).be16(1).be16(2).be16(2).be16(2).be16(2);
    five.u8(0).u8(255).u8(0).u8(255).u8(0).u8(255).u8(0).u8(255);
    Load(l, five.v);
    ASSERT_FALSE(l.image.failed);
    ExpectBgr(l.px(0, 0), 255, 255, 255);
}

TEST(Psd, DamagedFilesFailCleanly) {
    Loaded l;
    Bytes shortRow = PsdHeader(1, 1, 4, 1);
    shortRow.be32(0).be32(0).be32(0).be16(1).be16(2).u8(0xFE).u8(5); // 3 bytes for a width of 4
    Load(l, shortRow.v);
    EXPECT_TRUE(l.image.failed);
    EXPECT_EQ(l.image.pixels, nullptr);
    Load(l, PsdRaw(2, 1, 1, 3, {1, 2}).v); // RGB with two planes
    EXPECT_TRUE(l.image.failed);
    Load(l, PsdRaw(4, 1, 1, 4, {1, 2, 3}).v); // planes cut short
    EXPECT_TRUE(l.image.failed);
    Bytes depth16 = PsdHeader(1, 1, 1, 1, 16);
    depth16.be32(0).be32(0).be32(0).be16(0).u8(0).u8(0);
    Load(l, depth16.v);
    EXPECT_TRUE(l.image.failed);
    Bytes bigPalette = PsdHeader(1, 1, 1, 2);
    bigPalette.be32(769).fill(769, 0).be32(0).be32(0).be16(0).u8(0);
    Load(l, bigPalette.v);
    EXPECT_TRUE(l.image.failed);
    Load(l, PsdRaw(1, 0x7FFFFFFF, 0x7FFFFFFF, 1, {1}).v);
    EXPECT_TRUE(l.image.failed);
    Bytes section = PsdHeader(1, 1, 1, 1);
    section.be32(0xFFFFFFF0u).u8(0);
    Load(l, section.v);
    EXPECT_TRUE(l.image.failed);
    // Not a picture at all: every attempt fails, nothing is left behind.
    Load(l, std::vector<uint8_t>(300, 0x41));
    EXPECT_TRUE(l.image.failed);
    EXPECT_TRUE(l.image.decoded);
    EXPECT_EQ(l.image.pixels, nullptr);
    Load(l, {});
    EXPECT_TRUE(l.image.failed);
    LoadImageFile(l.image, "/nonexistent/x.jpg");
    EXPECT_TRUE(l.image.failed);
}

TEST(Lattice, TwelveResults) {
    auto rgb = [](uint32_t v) {
        return std::vector<int>{int(v & 255), int((v >> 8) & 255), int((v >> 16) & 255)};
    };
    EXPECT_EQ(rgb(LabToRgb(255, 128, 128)), (std::vector<int>{243, 242, 243}));
    EXPECT_EQ(rgb(LabToRgb(128, 128, 128)), (std::vector<int>{92, 93, 94}));
    EXPECT_EQ(rgb(LabToRgb(0, 128, 128)), (std::vector<int>{4, 0, 5}));
    EXPECT_EQ(rgb(LabToRgb(255, 255, 128)), (std::vector<int>{255, 43, 135}));
    EXPECT_EQ(rgb(LabToRgb(255, 128, 255)), (std::vector<int>{255, 205, 0}));
    EXPECT_EQ(rgb(LabToRgb(255, 0, 128)), (std::vector<int>{0, 255, 210}));
    EXPECT_EQ(rgb(CmykToRgb(255, 255, 255, 255)), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(rgb(CmykToRgb(0, 0, 0, 0)), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(rgb(CmykToRgb(255, 255, 255, 0)), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(rgb(CmykToRgb(0, 255, 255, 255)), (std::vector<int>{0, 160, 221}));
    EXPECT_EQ(rgb(CmykToRgb(255, 0, 255, 255)), (std::vector<int>{198, 0, 104}));
    EXPECT_EQ(rgb(CmykToRgb(255, 255, 0, 255)), (std::vector<int>{255, 236, 0}));
    // The table is never darker for a lighter L, at every lattice point of a and b.
    for (int a = 0; a < 256; a += 17)
        for (int b = 0; b < 256; b += 17)
            for (int L = 17; L < 256; L += 17)
                for (int shift : {0, 8, 16})
                    ASSERT_GE((LabToRgb(uint8_t(L), uint8_t(a), uint8_t(b)) >> shift) & 255,
                              (LabToRgb(uint8_t(L - 17), uint8_t(a), uint8_t(b)) >> shift) & 255)
                        << L << " " << a << " " << b << " " << shift;
    // A real conversion: +a is red against green, +b yellow against blue.
    EXPECT_GT(rgb(LabToRgb(128, 200, 128))[0], rgb(LabToRgb(128, 200, 128))[1] + 40);
    EXPECT_GT(rgb(LabToRgb(128, 128, 200))[1], rgb(LabToRgb(128, 128, 200))[2] + 40);
    // UnpackBits: -128 is skipped, output never passes the row.
    uint8_t out[4] = {};
    const uint8_t src[] = {0x80, 0xFD, 9, 0x00, 1};
    EXPECT_TRUE(UnpackBits(out, 3, src, 3) == false);
    EXPECT_EQ(out[2], 9);
    uint8_t five[5] = {};
    EXPECT_TRUE(UnpackBits(five, 5, src, 3)); // one byte short of the row
    EXPECT_FALSE(UnpackBits(five, 5, src, 5));
    EXPECT_EQ(five[3], 9);
    EXPECT_EQ(five[4], 1);
}

TEST(Operations, HalveShrinkSwap) {
    RgbImage img{};
    img.width = 4000, img.height = 1000, img.stride = ImageStride(4000), img.bytesPerPixel = 3,
    img.decoded = 1;
    img.pixels = static_cast<uint8_t*>(std::calloc(size_t(img.stride) * 1000, 1));
    img.pixels[0] = 10, img.pixels[3] = 20, img.pixels[img.stride] = 30, img.pixels[img.stride + 3] = 41;
    ShrinkToWidth(img, 1024);
    EXPECT_EQ(img.width, 1000);
    EXPECT_EQ(img.height, 250);
    EXPECT_EQ(img.stride, 3000);
    EXPECT_EQ(img.pixels[0], 6); // (10 + 20 + 30 + 41) / 4 = 25, then (25 + 0 + 0 + 0) / 4, truncated
    FreeImage(img);
    EXPECT_EQ(img.width, 1000); // sizes stay
    // Odd sizes drop the last row and column; a width of 1024 stays at "Low".
    RgbImage odd{};
    odd.width = 3, odd.height = 3, odd.stride = 12, odd.decoded = 1;
    odd.pixels = static_cast<uint8_t*>(std::calloc(36, 1));
    for (int i = 0; i < 36; ++i)
        odd.pixels[i] = uint8_t(i);
    HalveImage(odd);
    EXPECT_EQ(odd.width, 1);
    EXPECT_EQ(odd.height, 1);
    EXPECT_EQ(odd.pixels[0], (0 + 3 + 12 + 15) / 4);
    ShrinkToWidth(odd, -5); // cannot loop for ever
    SwapRedBlue(odd);
    EXPECT_EQ(odd.pixels[2], (0 + 3 + 12 + 15) / 4);
    odd.failed = 1;
    SwapRedBlue(odd); // not on a failed picture
    EXPECT_EQ(odd.pixels[2], (0 + 3 + 12 + 15) / 4);
    FreeImage(odd);
}

TEST(ShippedData, PicturesAndResources) {
    const std::string data = std::string(RV_PROGRAM_DIR) + "/data/";
    Loaded mask;
    LoadImageFile(mask.image, data + "canmask.pcx");
    ASSERT_FALSE(mask.image.failed);
    EXPECT_EQ(mask.image.width, 460);
    EXPECT_EQ(mask.image.height, 176);
    int black = 0;
    for (int y = 0; y < 176; ++y)
        for (int x = 0; x < 460; ++x) {
            const uint8_t* p = mask.px(x, y);
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2] && (p[0] == 0 || p[0] == 255));
            black += p[0] == 0;
        }
    EXPECT_GT(black, 460 * 176 / 3); // the canopy covers a good part of the area
    ExpectBgr(mask.px(0, 0), 255, 255, 255);
    ExpectBgr(mask.px(230, 90), 0, 0, 0);

    for (const char* name : {"grass.jpg", "pebbles.jpg", "bricks.jpg", "doorwindow.jpg", "canopy.jpg"}) {
        Loaded l;
        LoadImageFile(l.image, data + name);
        EXPECT_FALSE(l.image.failed) << name;
        EXPECT_GE(l.image.width, 460) << name;
    }
    Loaded backdrop;
    LoadImageFile(backdrop.image, data + "backdrop.jpg");
    ASSERT_FALSE(backdrop.image.failed);
    EXPECT_EQ(backdrop.image.width, 4096);
    // Seamless: the first and last columns nearly agree all the way down.
    double diff = 0;
    for (int y = 0; y < backdrop.image.height; ++y)
        for (int k = 0; k < 3; ++k)
            diff += std::abs(backdrop.px(0, y)[k] - backdrop.px(4095, y)[k]);
    EXPECT_LT(diff / (backdrop.image.height * 3), 8.0);
    // Top of the panorama meets the sky disc's rim colour (0.3098, 0.5, 0.8196).
    ExpectBgr(backdrop.px(100, 0), 209, 128, 79, 10);

    Loaded skin;
    LoadImageResource(skin.image, ResourceStockSkin);
    ASSERT_FALSE(skin.image.failed);
    EXPECT_EQ(skin.image.width, 512);
    EXPECT_EQ(skin.image.height, 512);
    Loaded canopy;
    LoadImageFile(canopy.image, data + "canopy.jpg");
    // The patch block has the canopy's main colour, taken at row 1, column 270.
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(skin.px(270, 470)[k], canopy.px(270, 1)[k], 12);
    ResourceData icon = FindResourceData(ResourceIcon);
    ASSERT_NE(icon.data, nullptr);
    EXPECT_EQ(icon.data[0], 'B');
    Loaded bell;
    LoadImageFile(bell.image, std::string(RV_PROGRAM_DIR) + "/ModelGeometries/bell206.bmp");
    EXPECT_FALSE(bell.image.failed);
    EXPECT_EQ(bell.image.width, 512);
}

} // namespace
