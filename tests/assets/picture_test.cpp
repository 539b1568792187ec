// Picture decoders on files built byte by byte (JPEG made with libjpeg here), hostile and truncated files,
// the picture operations, the colour lattices and the pictures that ship with the program.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "assets/image.h"
#include "resources/resources.h"
#include "tests/assets/file_bytes.h"

namespace {

struct Picture {
    RgbImage image{};
    ~Picture() { FreeImage(image); }
    const uint8_t* px(int x, int y) const {
        return image.pixels + size_t(y) * size_t(image.stride) + size_t(x) * 3;
    }
    void Load(const std::vector<uint8_t>& data) {
        const std::string path = ::testing::TempDir() + "rv_picture_" + std::to_string(::getpid());
        WriteFile(path, data);
        LoadImageFile(image, path);
        std::remove(path.c_str());
    }
};

// A picture made with libjpeg: the left half one colour, the right half another. One component takes a
// gray level, three (r, g, b), four the stored (c, m, y, k) bytes.
enum JpegKind { Gray, Baseline, Progressive, Restarts, CmykAdobe, CmykPlain, Ycck };
Bytes Jpeg(JpegKind kind, int w, int h, std::array<int, 4> left, std::array<int, 4> right) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = kind == Gray ? 1 : kind >= CmykAdobe ? 4 : 3;
    c.in_color_space = kind == Gray ? JCS_GRAYSCALE : kind >= CmykAdobe ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    if (kind == Ycck) jpeg_set_colorspace(&c, JCS_YCCK);
    if (kind == CmykPlain) c.write_Adobe_marker = FALSE;
    if (kind == Progressive) jpeg_simple_progression(&c);
    if (kind == Restarts) c.restart_interval = 1;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(w * c.input_components));
    for (int x = 0; x < w; ++x)
        for (int k = 0; k < c.input_components; ++k)
            row[size_t(x * c.input_components + k)] = JSAMPLE((x < w / 2 ? left : right)[size_t(k)]);
    for (JSAMPROW r[1] = {row.data()}; c.next_scanline < c.image_height;)
        jpeg_write_scanlines(&c, r, 1);
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// BMP pieces: file header, 40-byte information header, or the 12-byte core header.
Bytes BmpFile(uint32_t offset) {
    return Bytes().add({'B', 'M'}).le32(0).le32(0).le32(offset);
}
Bytes BmpInfo(uint32_t w, uint32_t h, int bits, uint32_t compression = 0, uint32_t colours = 0) {
    Bytes b = Bytes().le32(40).le32(w).le32(h).le16(1).le16(uint32_t(bits)).le32(compression);
    return b.fill(12, 0).le32(colours).le32(0);
}
Bytes BmpCore(int w, int h, int bits) {
    return Bytes().le32(12).le16(w).le16(h).le16(1).le16(bits);
}
// PCX header of 128 bytes with a 16-colour palette (i x 16, i x 8, 255 - i x 16 for entry i).
Bytes Pcx(int version, int bits, int xmax, int ymax, int planes, int bpl) {
    Bytes b;
    b.u8(10).u8(version).u8(1).u8(bits).le16(0).le16(0).le16(xmax).le16(ymax).le16(72).le16(72);
    for (int i = 0; i < 16; ++i)
        b.u8(i * 16).u8(i * 8).u8(255 - i * 16);
    b.u8(0).u8(planes).le16(bpl).le16(1);
    return b.fill(128 - b.size(), 0);
}
// PSD header; Psd adds empty colour data, resources and layers and the compression word.
Bytes PsdHeader(int channels, uint32_t h, uint32_t w, int mode, int depth = 8) {
    return Bytes().id("8BPS").be16(1).fill(6, 0).be16(channels).be32(h).be32(w).be16(depth).be16(mode);
}
Bytes Psd(int channels, uint32_t h, uint32_t w, int mode, int compression = 0) {
    return PsdHeader(channels, h, w, mode).be32(0).be32(0).be32(0).be16(compression);
}

struct Px {
    int x, y, b, g, r;
};
struct Case {
    const char* name;
    Bytes file;
    int width = 0, height = 0; // 0: the load fails
    std::vector<Px> pixels = {};
    int tolerance = 0;
};
} // namespace

TEST(Pictures, EveryDecoderAndLayout) {
    const Bytes rows = Bytes().add({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}); // 2 x 2, 24 bits
    Bytes indexed =
        Pcx(5, 8, 2, 1, 1, 2).add({1, 0xC1, 2, 12, 0, 0, 0, 10, 20, 30, 40, 50, 60}).fill(768 - 9, 0);
    Bytes badMarker = indexed;
    badMarker[badMarker.size() - 769] = 11;
    Bytes psdIndexed = PsdHeader(1, 1, 1, 2).be32(768).fill(768, 0).be32(0).be32(0).be16(0).u8(3);
    psdIndexed[30 + 3] = 11, psdIndexed[30 + 256 + 3] = 22, psdIndexed[30 + 512 + 3] = 33;
    Bytes pcxMask = Pcx(5, 1, 460, 176, 1, 58);
    for (int y = 0; y < 176; ++y)
        pcxMask.add({0xC0 | 29, 0xFF, 0xC0 | 29, 0x00});                  // white left half, black right
    Bytes corePalette = BmpFile(14 + 12 + 256 * 3).add(BmpCore(2, 2, 8)); // palette entries blue, green, red
    for (int i = 0; i < 256; ++i)
        corePalette.add({i == 1 ? 200 : 10 + i, i == 1 ? 150 : 20, i == 1 ? 100 : 30});
    corePalette.add({1, 2, 0, 0, 0, 1, 0, 0}); // bottom row 1, 2; top row 0, 1
    Bytes jpegCut = Jpeg(Baseline, 256, 64, {250, 20, 10}, {10, 20, 240});
    jpegCut.resize(jpegCut.size() - 200);
    const std::array<int, 4> ink = {200, 100, 50, 255}, gray = {255, 255, 255, 128};
    const Case cases[] = {
        Case("jpeg", Jpeg(Baseline, 32, 16, {250, 20, 10}, {10, 20, 240}), 32, 16,
             {{4, 8, 10, 20, 250}, {27, 8, 240, 20, 10}}, 4),
        Case("jpeg cut short keeps its rows", jpegCut, 256, 64, {{2, 1, 10, 20, 250}}, 4),
        Case("jpeg gray", Jpeg(Gray, 21, 5, {30}, {220}), 21, 5, {{2, 2, 30, 30, 30}, {18, 4, 220, 220, 220}},
             4),
        Case("jpeg progressive", Jpeg(Progressive, 32, 16, {250, 20, 20}, {20, 20, 250}), 32, 16,
             {{4, 8, 20, 20, 250}, {27, 8, 250, 20, 20}}, 4),
        Case("jpeg restart markers", Jpeg(Restarts, 32, 16, {30, 200, 60}, {240, 240, 10}), 32, 16,
             {{4, 8, 60, 200, 30}, {27, 8, 10, 240, 240}}, 4),
        // Adobe files store CMYK inverted (255 no ink) and are multiplied out as stored: r = c k / 255.
        Case("jpeg CMYK, Adobe", Jpeg(CmykAdobe, 32, 16, ink, gray), 32, 16,
             {{4, 8, 50, 100, 200}, {27, 8, 128, 128, 128}}, 4),
        Case("jpeg YCCK, Adobe", Jpeg(Ycck, 32, 16, ink, gray), 32, 16,
             {{4, 8, 50, 100, 200}, {27, 8, 128, 128, 128}}, 4),
        // Without the marker the bytes are ink amounts: inverted first.
        Case("jpeg CMYK, no Adobe marker", Jpeg(CmykPlain, 32, 16, {55, 155, 205, 0}, {0, 0, 0, 127}), 32, 16,
             {{4, 8, 50, 100, 200}, {27, 8, 128, 128, 128}}, 4),
        // BMP rows bottom first and padded to 4 bytes; pixels blue, green, red.
        Case("bmp 24 bits", BmpFile(54).add(BmpInfo(2, 2, 24)).add(rows), 2, 2,
             {{0, 0, 7, 8, 9}, {1, 1, 4, 5, 6}}),
        Case("bmp top-down, no file header", BmpInfo(2, uint32_t(-2), 24).add(rows), 2, 2,
             {{0, 0, 1, 2, 3}, {1, 1, 10, 11, 12}}),
        Case("bmp core, 3-byte palette", corePalette, 2, 2,
             {{0, 0, 10, 20, 30}, {1, 0, 200, 150, 100}, {0, 1, 200, 150, 100}, {1, 1, 12, 20, 30}}),
        // Odd widths: each row padded to 4 bytes (bottom row first), two pixels a byte at 4 bits, high first.
        Case("bmp 8 bits", BmpInfo(3, 2, 8, 0, 2).add({10, 20, 30, 0, 40, 50, 60, 0, 1, 0, 1, 0, 0, 1, 1, 0}),
             3, 2, {{0, 0, 10, 20, 30}, {1, 0, 40, 50, 60}, {0, 1, 40, 50, 60}, {1, 1, 10, 20, 30}}),
        Case("bmp 4 bits", BmpInfo(3, 2, 4, 0, 3).add({10, 20, 30,   0, 40, 50, 60,   0,    70, 80,
                                                       90, 0,  0x12, 0, 0,  0,  0x20, 0x10, 0,  0}),
             3, 2,
             {{0, 0, 70, 80, 90},
              {1, 0, 10, 20, 30},
              {2, 0, 40, 50, 60},
              {0, 1, 40, 50, 60},
              {1, 1, 70, 80, 90}}),
        Case("bmp 1 bit", BmpInfo(9, 1, 1).add({0, 0, 0, 0, 255, 255, 255, 0, 0xA0, 0x80, 0, 0}), 9, 1,
             {{0, 0, 255, 255, 255}, {1, 0, 0, 0, 0}, {8, 0, 255, 255, 255}}),
        Case("bmp 32 bits", BmpInfo(1, 1, 32).add({9, 8, 7, 6}), 1, 1, {{0, 0, 9, 8, 7}}),
        // Shorter than its rows: the missing bytes are black (4 of the top row's 12 bytes are there).
        Case("bmp short", BmpInfo(4, 4, 24).fill(40, 1), 4, 4,
             {{0, 0, 1, 1, 1}, {1, 0, 1, 0, 0}, {3, 0, 0, 0, 0}, {3, 1, 1, 1, 1}}),
        // A 17000 x 800 panorama (51000 bytes a row) with its bottom 20 rows in the file.
        Case("bmp panorama", BmpInfo(17000, 800, 24).fill(51000 * 20, 200), 17000, 800,
             {{16999, 799, 200, 200, 200}, {0, 0, 0, 0, 0}}),
        Case("bmp run-length", BmpInfo(2, 2, 8, 1).fill(100, 0)),
        Case("bmp 100000 x 100000", BmpInfo(100000, 100000, 24).fill(64, 0)),
        Case("bmp height INT_MIN", BmpInfo(1, 0x80000000u, 24)),
        Case("bmp 240 MB over 100 bytes", BmpInfo(16000, 5000, 24).fill(100, 7)),
        // PCX: the canopy mask is 460 x 176 (no 1 added to the maximum), 1 bit, 58 bytes a line.
        Case("pcx mask", pcxMask, 460, 176,
             {{0, 0, 255, 255, 255}, {231, 175, 255, 255, 255}, {232, 175, 0, 0, 0}}),
        // Version 0; a run crossing the row end loses its rest, row 1 starts with the fresh byte 0x30.
        Case("pcx run across rows", Pcx(0, 1, 8, 2, 1, 1).add({0xC0 | 3, 0x0F, 0x30}), 8, 2,
             {{0, 1, 0, 0, 0}, {2, 1, 255, 255, 255}, {4, 0, 255, 255, 255}}),
        Case("pcx 8-bit palette", indexed, 2, 1, {{0, 0, 30, 20, 10}, {1, 0, 60, 50, 40}}),
        // Three planes 3 wide in lines of 4 bytes, two rows.
        Case("pcx three planes", Pcx(5, 8, 3, 2, 3, 4).add({1,  2,  3,  0, 4,  5,  6,  0, 7,  8,  9,  0,
                                                            11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0}),
             3, 2, {{0, 0, 7, 4, 1}, {2, 0, 9, 6, 3}, {1, 1, 18, 15, 12}}),
        // 16 colours: four bit planes give the index (pixel 0: planes 0 and 2 -> 5; pixel 1: plane 3 -> 8).
        Case("pcx 16 colours", Pcx(2, 1, 2, 1, 4, 1).add({0x80, 0x00, 0x80, 0x40}), 2, 1,
             {{0, 0, 175, 40, 80}, {1, 0, 127, 64, 128}}),
        Case("pcx palette marker wrong", badMarker),
        Case("pcx truncated", Pcx(5, 1, 16, 4, 1, 2).add({0xFF, 0xFF, 0xFF})),
        Case("pcx 4 bits", Pcx(5, 4, 16, 4, 1, 2)),
        Case("pcx 30000 square", Pcx(5, 8, 30000, 30000, 3, 30000).fill(1000, 0xFF)),
        Case("pcx no bytes a line", Pcx(5, 1, 16, 4, 1, 0).fill(16, 0)),
        // PSD planes one after the other; pixels come from the lattices for CMYK and Lab.
        Case("psd gray 3 x 2", Psd(1, 2, 3, 1).add({9, 200, 17, 40, 50, 60}), 3, 2,
             {{1, 0, 200, 200, 200}, {0, 1, 40, 40, 40}, {2, 1, 60, 60, 60}}),
        Case("psd multichannel reads plane 0", Psd(3, 1, 1, 7).add({77, 1, 2}), 1, 1, {{0, 0, 77, 77, 77}}),
        Case("psd RGB", Psd(3, 1, 1, 3).add({10, 20, 30}), 1, 1, {{0, 0, 30, 20, 10}}),
        Case("psd CMYK: cyan, magenta, yellow, black",
             Psd(4, 1, 4, 4).add({0, 255, 255, 255, 255, 0, 255, 255, 255, 255, 0, 255, 255, 255, 255, 0}), 4,
             1, {{0, 0, 221, 160, 0}, {1, 0, 104, 0, 198}, {2, 0, 0, 236, 255}, {3, 0, 0, 0, 0}}),
        Case("psd Lab", Psd(3, 1, 1, 9).add({255, 128, 128}), 1, 1, {{0, 0, 243, 242, 243}}),
        Case("psd indexed", psdIndexed, 1, 1, {{0, 0, 33, 22, 11}}),
        // PackBits 3 x 2: the six rows' byte counts (big-endian 2, 2, 2, 2, 4, 2), then rows of repeat runs
        // and one literal run (blue, top row).
        Case("psd packed", Psd(3, 2, 3, 3, 1).add({0,  2,    0,  2,    0,  2,    0,  2, 0, 4, 0, 2,    0xFE,
                                                   10, 0xFE, 20, 0xFE, 30, 0xFE, 40, 2, 1, 2, 3, 0xFE, 50}),
             3, 2, {{2, 0, 3, 30, 10}, {0, 1, 50, 40, 20}}),
        // Five channels packed: only height x 4 row counts come before the data.
        Case("psd five packed",
             Psd(5, 1, 1, 4, 1).be16(2).be16(2).be16(2).be16(2).add({0, 255, 0, 255, 0, 255, 0, 255}), 1, 1,
             {{0, 0, 255, 255, 255}}),
        Case("psd planes cut short", Psd(4, 1, 1, 4).add({1, 2, 3})),
        Case("psd palette of 769",
             PsdHeader(1, 1, 1, 2).be32(769).fill(769, 0).be32(0).be32(0).be16(0).u8(0)),
        Case("psd 2^31 square", Psd(1, 0x7FFFFFFF, 0x7FFFFFFF, 1).u8(1)),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p;
        p.Load(c.file);
        if (c.width == 0) {
            EXPECT_TRUE(p.image.failed);
            EXPECT_EQ(p.image.pixels, nullptr);
            continue;
        }
        ASSERT_FALSE(p.image.failed);
        EXPECT_EQ(p.image.width, c.width);
        EXPECT_EQ(p.image.height, c.height);
        for (const Px& e : c.pixels) {
            const uint8_t* q = p.px(e.x, e.y);
            EXPECT_TRUE(std::abs(q[0] - e.b) <= c.tolerance && std::abs(q[1] - e.g) <= c.tolerance &&
                        std::abs(q[2] - e.r) <= c.tolerance)
                << "at " << e.x << ", " << e.y << ": " << int(q[0]) << " " << int(q[1]) << " " << int(q[2]);
        }
    }
}

// The memory decoder behind the built-in pictures: the size query gives rows padded to 4 bytes; a cut
// stream ends cleanly (the source supplies an end marker); garbage and impossible sizes are errors.
TEST(Pictures, JpegInMemoryAndScaledLabLatticeUnpackBitsHalveShrinkAndSwap) {
    const Bytes jpg = Jpeg(Baseline, 250, 64, {250, 20, 10}, {10, 20, 240});
    int32_t w = 0, h = 0, s = 0;
    std::vector<uint8_t> buf(752 * 64); // 750 bytes a row padded to 752
    EXPECT_EQ(DecodeJpegMemory(jpg.data(), jpg.size() - 200, 1, nullptr, 0, &w, &h, &s), int64_t(buf.size()));
    EXPECT_EQ(DecodeJpegMemory(jpg.data(), jpg.size() - 200, 1, buf.data(), buf.size(), &w, &h, &s), 0);
    EXPECT_NEAR(buf[2], 250, 4);
    const std::vector<uint8_t> junk(100, 0x55);
    EXPECT_EQ(DecodeJpegMemory(junk.data(), junk.size(), 1, nullptr, 0, &w, &h, &s), -1);
    // A header claiming 8000 x 8000 pixels (a size accepted on its own) in a few hundred bytes: more than
    // 1024 pixels a byte. The SOF0 height is at offset +5, the width after it.
    Bytes big = Jpeg(Gray, 16, 16, {9}, {9});
    for (size_t i = 0; i + 8 < big.size(); ++i)
        if (big[i] == 0xFF && big[i + 1] == 0xC0) {
            big[i + 5] = 0x1F, big[i + 6] = 0x40, big[i + 7] = 0x1F, big[i + 8] = 0x40;
            break;
        }
    EXPECT_EQ(DecodeJpegMemory(big.data(), big.size(), 1, nullptr, 0, &w, &h, &s), -1);

    // A picture to be shrunk is decoded at libjpeg's scale that halving would reach, never narrower.
    const struct {
        int width, limit, denominator;
    } cases[] = {{4096, 1024, 4}, {4096, 2048, 2}, {4096, 4096, 1}, {4096, 0, 1},
                 {1000, 1024, 1}, {4097, 1024, 2}, {4100, 1024, 8}, {100000, 10, 8},
                 {3, 1, 1},       {4, 1, 4},       {5, -1, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(JpegDenominatorForWidth(c.width, c.limit), c.denominator) << c.width << " to " << c.limit;

    const Bytes wide = Jpeg(Baseline, 256, 16, {250, 20, 10}, {10, 20, 240});
    const std::string path = ::testing::TempDir() + "rv_scaled_" + std::to_string(::getpid());
    WriteFile(path, wide);
    for (auto [limit, width] : {std::pair{64, 64}, {100, 64}, {128, 128}, {0, 256}, {300, 256}}) {
        RgbImage image{};
        LoadImageFileAtWidth(image, path, limit);
        ASSERT_FALSE(image.failed) << limit;
        EXPECT_EQ(std::vector<int>({image.width, image.height, image.stride}),
                  std::vector<int>({width, 16 * width / 256, ImageStride(width)}))
            << limit;
        // Blue, green, red as decoded: the left half red, the right half blue.
        const uint8_t* last = image.pixels + size_t(image.width - 1) * 3;
        EXPECT_NEAR(image.pixels[2], 250, 6) << limit;
        EXPECT_NEAR(last[0], 240, 6) << limit;
        FreeImage(image);
    }
    std::remove(path.c_str());

    // Packed results: red in the lowest byte, then green, then blue. PackBits' -128 is a no-op header, output
    // never passes the row, and true means the row came out wrong.
    struct Case {
        int L, a, b;
        uint32_t rgb;
    };
    for (const Case& c :
         {Case{128, 128, 128, 0x5E5D5C}, Case{0, 128, 128, 0x050004}, Case{255, 255, 128, 0x872BFF},
          Case{255, 128, 255, 0x00CDFF}, Case{255, 0, 128, 0xD2FF00}})
        EXPECT_EQ(LabToRgb(uint8_t(c.L), uint8_t(c.a), uint8_t(c.b)), c.rgb)
            << c.L << " " << c.a << " " << c.b;
    uint8_t out[5] = {};
    const uint8_t src[] = {0x80, 0xFD, 9, 0x00, 1};
    EXPECT_FALSE(UnpackBits(out, 3, src, 3));
    EXPECT_TRUE(UnpackBits(out, 5, src, 3)); // one byte short of the row
    EXPECT_FALSE(UnpackBits(out, 5, src, 5));
    EXPECT_EQ(std::vector<uint8_t>(out, out + 5), (std::vector<uint8_t>{9, 9, 9, 9, 1}));

    auto blank = [](int w, int h) {
        RgbImage img{h, w, ImageStride(w), 3, 1, 0, nullptr};
        img.pixels = static_cast<uint8_t*>(std::calloc(size_t(img.stride) * size_t(h), 1));
        return img;
    };
    // "Low" keeps a picture exactly 1024 wide; a wider one is halved until it fits.
    for (const std::array<int, 4> c : {std::array{1024, 4, 1024, 4}, std::array{4100, 8, 512, 1}}) {
        RgbImage img = blank(c[0], c[1]);
        ShrinkToWidth(img, 1024);
        EXPECT_EQ(std::vector<int>({img.width, img.height}), std::vector<int>({c[2], c[3]})) << c[0];
        FreeImage(img);
    }
    // Halving averages 2 x 2 blocks; odd sizes drop the last row and column (5 x 3, rows 16 bytes apart).
    RgbImage odd = blank(5, 3), swapped = blank(3, 2);
    for (int i = 0; i < 48; ++i)
        odd.pixels[i] = uint8_t(i);
    HalveImage(odd);
    EXPECT_EQ(std::vector<int>({odd.width, odd.height, odd.stride, odd.pixels[0], odd.pixels[3]}),
              std::vector<int>({2, 1, 8, 9, 15})); // (0 + 3 + 16 + 19) / 4, (6 + 9 + 22 + 25) / 4
    ShrinkToWidth(odd, -5);                        // cannot loop for ever
    // Swapping follows the rows' 4-byte padding: row 1 of a picture 3 wide starts at byte 12.
    for (int i = 0; i < 24; ++i)
        swapped.pixels[i] = uint8_t(i);
    SwapRedBlue(swapped);
    EXPECT_EQ(std::vector<int>(swapped.pixels + 9, swapped.pixels + 15),
              std::vector<int>({9, 10, 11, 14, 13, 12}));
    FreeImage(odd);
    FreeImage(swapped);
}

TEST(Pictures, ShippedPicturesAndResources) {
    const std::string data = std::string(RV_PROGRAM_DIR) + "/data/";
    for (const char* name : {"grass.jpg", "pebbles.jpg", "bricks.jpg", "doorwindow.jpg"}) {
        Picture p;
        LoadImageFile(p.image, data + name);
        EXPECT_FALSE(p.image.failed) << name;
    }
    Picture mask, backdrop, skin, canopy, bell;
    LoadImageFile(mask.image, data + "canmask.pcx");
    LoadImageFile(backdrop.image, data + "backdrop.jpg");
    LoadImageFile(canopy.image, data + "canopy.jpg");
    LoadImageFile(bell.image, std::string(RV_PROGRAM_DIR) + "/ModelGeometries/bell206.bmp");
    LoadImageResource(skin.image, ResourceStockSkin);
    for (const Picture* p : {&mask, &backdrop, &canopy, &bell, &skin})
        ASSERT_FALSE(p->image.failed);
    EXPECT_EQ(std::vector<int>({mask.image.width, mask.image.height, backdrop.image.width, bell.image.width,
                                skin.image.width, skin.image.height}),
              std::vector<int>({460, 176, 4096, 512, 512, 512}));
    EXPECT_EQ(mask.px(0, 0)[0], 255);
    EXPECT_EQ(mask.px(230, 90)[0], 0); // the canopy
    // The panorama is seamless (first and last columns nearly agree) and its top meets the sky disc's rim
    // colour (0.3098, 0.5, 0.8196).
    double diff = 0;
    for (int y = 0; y < backdrop.image.height; ++y)
        for (int k = 0; k < 3; ++k)
            diff += std::abs(backdrop.px(0, y)[k] - backdrop.px(4095, y)[k]);
    EXPECT_LT(diff / (backdrop.image.height * 3), 8.0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(backdrop.px(100, 0)[k], (std::array<int, 3>{209, 128, 79}[size_t(k)]), 10);
        // The stock skin's patch block has the canopy's main colour, taken at row 1, column 270.
        EXPECT_NEAR(skin.px(270, 470)[k], canopy.px(270, 1)[k], 12);
    }
    EXPECT_EQ(FindResourceData(ResourceIcon).data[0], 'B');
}
