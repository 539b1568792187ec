// Picture cases beside the decoder tests: four-component JPEGs with and without the Adobe marker,
// progressive, restart-marker and truncated JPEGs, a core BMP with its 3-byte palette, a CMYK Photoshop
// document with a different value in each plane, and ShrinkToWidth at exactly its limit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "assets/image.h"

namespace {
struct Picture {
    RgbImage image{};
    ~Picture() { FreeImage(image); }
    const uint8_t* px(int x, int y) const {
        return image.pixels + size_t(y) * size_t(image.stride) + size_t(x) * 3;
    }
};

void Load(Picture& p, const std::vector<uint8_t>& data) {
    std::string path =
        (std::filesystem::temp_directory_path() / ("rv_cases_" + std::to_string(::getpid()))).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    LoadImageFile(p.image, path);
    std::remove(path.c_str());
}

enum JpegKind { Baseline, Progressive, Restarts, CmykAdobe, CmykPlain, Ycck };

// 32 x 16: the left half one colour, the right half another. Three components take (r, g, b); four
// take the stored (c, m, y, k) bytes.
std::vector<uint8_t> MakeJpeg(JpegKind kind, const int left[4], const int right[4]) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    const bool four = kind == CmykAdobe || kind == CmykPlain || kind == Ycck;
    c.image_width = 32;
    c.image_height = 16;
    c.input_components = four ? 4 : 3;
    c.in_color_space = four ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    if (kind == Ycck) jpeg_set_colorspace(&c, JCS_YCCK);
    if (kind == CmykPlain) c.write_Adobe_marker = FALSE;
    if (kind == Progressive) jpeg_simple_progression(&c);
    if (kind == Restarts) c.restart_interval = 1;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(32 * 4);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x)
            for (int k = 0; k < c.input_components; ++k)
                row[size_t(x * c.input_components + k)] = JSAMPLE((x < 16 ? left : right)[k]);
        JSAMPROW r[1] = {row.data()};
        jpeg_write_scanlines(&c, r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

void ExpectBgr(const uint8_t* p, int b, int g, int r, int tolerance) {
    EXPECT_NEAR(p[0], b, tolerance);
    EXPECT_NEAR(p[1], g, tolerance);
    EXPECT_NEAR(p[2], r, tolerance);
}
} // namespace

// Each case: its kind, the two halves' input, the blue, green, red expected in each half.
TEST(ImageCases, JpegKinds) {
    struct Case {
        const char* name;
        JpegKind kind;
        int left[4], right[4];
        int leftBgr[3], rightBgr[3];
    };
    const Case cases[] = {
        {"progressive", Progressive, {250, 20, 20}, {20, 20, 250}, {20, 20, 250}, {250, 20, 20}},
        {"restart markers", Restarts, {30, 200, 60}, {240, 240, 10}, {60, 200, 30}, {10, 240, 240}},
        // Adobe files store CMYK inverted (255 no ink) and are multiplied out as stored: r = c k / 255.
        {"CMYK with Adobe marker",
         CmykAdobe,
         {200, 100, 50, 255},
         {255, 255, 255, 128},
         {50, 100, 200},
         {128, 128, 128}},
        // Without the marker the bytes are ink amounts: inverted first.
        {"CMYK without Adobe marker",
         CmykPlain,
         {55, 155, 205, 0},
         {0, 0, 0, 127},
         {50, 100, 200},
         {128, 128, 128}},
        {"YCCK (Adobe)", Ycck, {200, 100, 50, 255}, {255, 255, 255, 128}, {50, 100, 200}, {128, 128, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p;
        Load(p, MakeJpeg(c.kind, c.left, c.right));
        ASSERT_FALSE(p.image.failed);
        ASSERT_EQ(p.image.width, 32);
        ASSERT_EQ(p.image.height, 16);
        ExpectBgr(p.px(4, 8), c.leftBgr[0], c.leftBgr[1], c.leftBgr[2], 4);
        ExpectBgr(p.px(27, 8), c.rightBgr[0], c.rightBgr[1], c.rightBgr[2], 4);
    }
}

// A JPEG cut short keeps its size and the rows it still holds; nothing is read past its end.
TEST(ImageCases, TruncatedJpeg) {
    const int red[4] = {250, 20, 20}, blue[4] = {20, 20, 250};
    std::vector<uint8_t> whole = MakeJpeg(Baseline, red, blue);
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(whole.size() * 2 / 3));
    Picture p;
    Load(p, cut);
    if (p.image.failed) {
        EXPECT_EQ(p.image.pixels, nullptr);
        return;
    }
    EXPECT_EQ(p.image.width, 32);
    EXPECT_EQ(p.image.height, 16);
    ExpectBgr(p.px(2, 1), 20, 20, 250, 4);
}

// OS/2 core header: 12 bytes, 16-bit sizes, palette entries of three bytes (blue, green, red).
TEST(ImageCases, CoreBmpWithThreeBytePalette) {
    std::vector<uint8_t> f = {'B', 'M'};
    auto le16 = [&f](int v) { f.push_back(uint8_t(v)), f.push_back(uint8_t(v >> 8)); };
    auto le32 = [&](uint32_t v) { le16(int(v & 0xFFFF)), le16(int(v >> 16)); };
    const uint32_t bitsAt = 14 + 12 + 256 * 3;
    le32(bitsAt + 8), le16(0), le16(0), le32(bitsAt); // file header
    le32(12), le16(2), le16(2), le16(1), le16(8);     // core header: 2 x 2, 8 bits
    for (int i = 0; i < 256; ++i) {
        int entry[3] = {i == 1 ? 200 : 10 + i, i == 1 ? 150 : 20, i == 1 ? 100 : 30};
        for (int b : entry)
            f.push_back(uint8_t(b));
    }
    for (int b : {1, 2, 0, 0, 0, 1, 0, 0})
        f.push_back(uint8_t(b)); // bottom row 1, 2; top row 0, 1
    Picture p;
    Load(p, f);
    ASSERT_FALSE(p.image.failed);
    ASSERT_EQ(p.image.width, 2);
    ASSERT_EQ(p.image.height, 2);
    ExpectBgr(p.px(0, 0), 10, 20, 30, 0);
    ExpectBgr(p.px(1, 0), 200, 150, 100, 0);
    ExpectBgr(p.px(0, 1), 200, 150, 100, 0);
    ExpectBgr(p.px(1, 1), 12, 20, 30, 0);
}

// Four pixels, each with ink in one plane only (stored values, 255 no ink): cyan, magenta, yellow, black.
TEST(ImageCases, PsdCmykPlanesInOrder) {
    std::vector<uint8_t> f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 4};
    for (int b : {0, 0, 0, 1, 0, 0, 0, 4, 0, 8, 0, 4})
        f.push_back(uint8_t(b)); // 1 high, 4 wide, 8 bits, CMYK
    for (int i = 0; i < 12; ++i)
        f.push_back(0);             // no colour data, resources or layers
    f.push_back(0), f.push_back(0); // raw planes
    const int planes[4][4] = {{0, 255, 255, 255}, {255, 0, 255, 255}, {255, 255, 0, 255}, {255, 255, 255, 0}};
    for (const int* plane : planes)
        for (int x = 0; x < 4; ++x)
            f.push_back(uint8_t(plane[x]));
    Picture p;
    Load(p, f);
    ASSERT_FALSE(p.image.failed);
    ASSERT_EQ(p.image.width, 4);
    const uint8_t* cyan = p.px(0, 0);
    const uint8_t* magenta = p.px(1, 0);
    const uint8_t* yellow = p.px(2, 0);
    const uint8_t* black = p.px(3, 0);
    EXPECT_TRUE(cyan[2] < 100 && cyan[1] > 100 && cyan[0] > 150)
        << int(cyan[0]) << " " << int(cyan[1]) << " " << int(cyan[2]);
    EXPECT_TRUE(magenta[1] < 100 && magenta[2] > 150 && magenta[0] > 60)
        << int(magenta[0]) << " " << int(magenta[1]) << " " << int(magenta[2]);
    EXPECT_TRUE(yellow[0] < 100 && yellow[2] > 150 && yellow[1] > 150)
        << int(yellow[0]) << " " << int(yellow[1]) << " " << int(yellow[2]);
    EXPECT_TRUE(black[0] < 80 && black[1] < 80 && black[2] < 80);
}

// "Low" keeps a backdrop exactly 1024 wide; one pixel more halves it.
TEST(ImageCases, ShrinkToWidthAtItsLimit) {
    for (int width : {1024, 1025}) {
        RgbImage img{};
        img.width = width, img.height = 4, img.stride = ImageStride(width), img.bytesPerPixel = 3,
        img.decoded = 1;
        img.pixels = static_cast<uint8_t*>(std::calloc(size_t(img.stride) * 4, 1));
        ShrinkToWidth(img, 1024);
        EXPECT_EQ(img.width, width == 1024 ? 1024 : 512);
        EXPECT_EQ(img.height, width == 1024 ? 4 : 2);
        FreeImage(img);
    }
}
