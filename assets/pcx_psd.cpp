// PCX and Photoshop document decoders, PackBits, and the Lab and CMYK lattice colour conversions.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/image.h"
#include "assets/image_internal.h"

namespace {

// ---- Colour lattices ----------------------------------------------------------------------------

struct LabLattice {
    uint8_t red[4096], green[4096], blue[4096];
};
struct CmykLattice {
    uint8_t red[20736], green[20736], blue[20736];
};

uint8_t ToByte(double v) {
    v = std::round(v);
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// CIE L*a*b* to display RGB for the lattice point of byte values (L, a, b): XYZ for a white of
// (0.9465, 1, 1.093), no negative light, the sRGB primaries, each channel scaled so that white lands a little
// below full drive, then a display gamma of 1.7281.
void LabPoint(int Lv, int av, int bv, uint8_t rgb[3]) {
    double L = Lv * 100.0 / 255.0, a = av - 128.0, b = bv - 128.0;
    double fy = (L + 16.0) / 116.0, fx = fy + a / 500.0, fz = fy - b / 200.0;
    auto inv = [](double t) { return t * t * t > 0.008856 ? t * t * t : (t - 16.0 / 116.0) / 7.787; };
    double X = std::max(0.0, 0.9465 * inv(fx)), Y = std::max(0.0, inv(fy)),
           Z = std::max(0.0, 1.093 * inv(fz));
    const double linear[3] = {3.2406 * X - 1.5372 * Y - 0.4986 * Z, -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
                              0.0557 * X - 0.2040 * Y + 1.0570 * Z};
    const double scale[3] = {0.936, 0.9188, 0.9701};
    for (int ch = 0; ch < 3; ++ch)
        rgb[ch] = ToByte(255.0 * std::pow(std::clamp(scale[ch] * linear[ch], 0.0, 1.0), 1.0 / 1.7281));
}

// Lattice points set so that the grey axis and the primaries come out as the program has always shown
// them (entry, red, green, blue). Each fits between its neighbours along L.
const int LabTuned[][4] = {
    {1935, 254, 237, 255}, {2175, 229, 249, 233}, {1911, 57, 86, 102}, {1920, 9, 0, 12},
    {2303, 255, 19, 30},   {3983, 255, 172, 0},   {2063, 0, 255, 171},
};

bool IsTuned(int n) {
    for (const auto& e : LabTuned)
        if (e[0] == n) return true;
    return false;
}

const LabLattice& Lab() {
    static const LabLattice table = [] {
        LabLattice t{};
        for (int cb = 0; cb < 16; ++cb)
            for (int ca = 0; ca < 16; ++ca)
                for (int cL = 0; cL < 16; ++cL) {
                    uint8_t rgb[3];
                    LabPoint(cL * 17, ca * 17, cb * 17, rgb);
                    int n = 256 * cb + 16 * ca + cL;
                    t.red[n] = rgb[0], t.green[n] = rgb[1], t.blue[n] = rgb[2];
                }
        for (const auto& e : LabTuned)
            t.red[e[0]] = uint8_t(e[1]), t.green[e[0]] = uint8_t(e[2]), t.blue[e[0]] = uint8_t(e[3]);
        // Lighter never comes out darker: along L, the other points are held below the point above them,
        // then above the point below them.
        for (uint8_t* channel : {t.red, t.green, t.blue})
            for (int column = 0; column < 4096; column += 16) {
                for (int cL = 14; cL >= 0; --cL)
                    if (!IsTuned(column + cL))
                        channel[column + cL] = std::min(channel[column + cL], channel[column + cL + 1]);
                for (int cL = 1; cL < 16; ++cL)
                    if (!IsTuned(column + cL))
                        channel[column + cL] = std::max(channel[column + cL], channel[column + cL - 1]);
            }
        return t;
    }();
    return table;
}

// Press inks as they print on white paper: each ink filters the light by its own colour.
const double InkColour[3][3] = {{0, 160, 221}, {198, 0, 104}, {255, 236, 0}};

const CmykLattice& Cmyk() {
    static const CmykLattice table = [] {
        CmykLattice t{};
        for (int ck = 0; ck < 12; ++ck)
            for (int cy = 0; cy < 12; ++cy)
                for (int cm = 0; cm < 12; ++cm)
                    for (int cc = 0; cc < 12; ++cc) {
                        // Stored values: 255 (cell 11) means no ink.
                        double ink[3] = {1.0 - cc / 11.0, 1.0 - cm / 11.0, 1.0 - cy / 11.0};
                        double black = ck / 11.0;
                        int n = cc + 12 * cm + 144 * cy + 1728 * ck;
                        uint8_t* out[3] = {&t.red[n], &t.green[n], &t.blue[n]};
                        for (int ch = 0; ch < 3; ++ch) {
                            double v = 255.0 * black;
                            for (int i = 0; i < 3; ++i)
                                v *= 1.0 - ink[i] * (1.0 - InkColour[i][ch] / 255.0);
                            *out[ch] = ToByte(v);
                        }
                    }
        return t;
    }();
    return table;
}

int LatticeBlend(const uint8_t* table, int n, const int* steps, const int* cells, const int* weights,
                 int axes, int lastCell) {
    int q = 255 * table[n];
    for (int i = 0; i < axes; ++i)
        if (cells[i] != lastCell) q += (table[n + steps[i]] - table[n]) * weights[i];
    int r = q / 255; // truncates toward zero
    return std::clamp(r, 0, 255);
}

// ---- PCX ----------------------------------------------------------------------------------------

// Reads the file through a small buffer and notes any read past its end.
struct ByteReader {
    std::FILE* file;
    int64_t left; // bytes that may still be read
    bool pastEnd = false;
    int Next() {
        if (left <= 0) {
            pastEnd = true;
            return 0;
        }
        int c = std::fgetc(file);
        if (c == EOF) {
            pastEnd = true;
            left = 0;
            return 0;
        }
        --left;
        return c;
    }
};

// Decodes one row of rowBytes bytes; the part of a run that passes the row end is dropped.
void ReadPcxRow(ByteReader& in, uint8_t* row, int rowBytes) {
    int x = 0;
    while (x < rowBytes && !in.pastEnd) {
        int b = in.Next();
        int count = 1, value = b;
        if ((b & 0xC0) == 0xC0) {
            count = b & 0x3F;
            value = in.Next();
        }
        if (in.pastEnd) break;
        for (int i = 0; i < count && x < rowBytes; ++i)
            row[x++] = uint8_t(value);
    }
}

} // namespace

uint32_t LabToRgb(uint8_t L, uint8_t a, uint8_t b) {
    const LabLattice& t = Lab();
    const int steps[3] = {1, 16, 256};
    const int cells[3] = {L / 17, a / 17, b / 17};
    const int weights[3] = {(15 * L) % 255, (15 * a) % 255, (15 * b) % 255};
    int n = 256 * cells[2] + 16 * cells[1] + cells[0];
    uint32_t r = uint32_t(LatticeBlend(t.red, n, steps, cells, weights, 3, 15));
    uint32_t g = uint32_t(LatticeBlend(t.green, n, steps, cells, weights, 3, 15));
    uint32_t bl = uint32_t(LatticeBlend(t.blue, n, steps, cells, weights, 3, 15));
    return r | (g << 8) | (bl << 16);
}

uint32_t CmykToRgb(uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
    const CmykLattice& t = Cmyk();
    const int steps[4] = {1, 12, 144, 1728};
    const int cells[4] = {11 * c / 255, 11 * m / 255, 11 * y / 255, 11 * k / 255};
    const int weights[4] = {(11 * c) % 255, (11 * m) % 255, (11 * y) % 255, (11 * k) % 255};
    int n = cells[0] + 12 * cells[1] + 144 * cells[2] + 1728 * cells[3];
    uint32_t r = uint32_t(LatticeBlend(t.red, n, steps, cells, weights, 4, 11));
    uint32_t g = uint32_t(LatticeBlend(t.green, n, steps, cells, weights, 4, 11));
    uint32_t bl = uint32_t(LatticeBlend(t.blue, n, steps, cells, weights, 4, 11));
    return r | (g << 8) | (bl << 16);
}

bool UnpackBits(uint8_t* destination, size_t destinationLength, const uint8_t* source, size_t sourceLength) {
    size_t in = 0, out = 0;
    while (in < sourceLength && out < destinationLength) {
        int h = int8_t(source[in++]);
        if (h >= 0) {
            size_t n = std::min({size_t(h) + 1, sourceLength - in, destinationLength - out});
            std::memcpy(destination + out, source + in, n);
            in += n, out += n;
        } else if (h != -128) {
            if (in >= sourceLength) break;
            uint8_t v = source[in++];
            size_t n = std::min(size_t(1 - h), destinationLength - out);
            std::memset(destination + out, v, n);
            out += n;
        }
    }
    return out != destinationLength;
}

void DecodePcx(RgbImage& image, std::FILE* file) {
    int64_t length = FileLengthFromStart(file);
    uint8_t h[128];
    if (length < 128 || !ReadExact(file, h, sizeof h)) {
        image.failed = 1;
        return;
    }
    const int version = h[1], bits = h[3], planes = h[65];
    const int width = int16_t(Le16(h + 8)) - int16_t(Le16(h + 4));
    const int height = int16_t(Le16(h + 10)) - int16_t(Le16(h + 6));
    const int bpl = int16_t(Le16(h + 66));
    const bool v53 = version == 5 || version == 3;
    enum { Indexed, ThreePlanes, Mono, SixteenColours, None } kind = None;
    if (v53 && bits == 8 && planes == 1)
        kind = Indexed;
    else if (v53 && bits == 8 && planes == 3)
        kind = ThreePlanes;
    else if ((v53 || version == 2 || version == 0) && bits == 1 && planes == 1)
        kind = Mono;
    else if ((v53 || version == 2) && bits == 1 && planes == 4)
        kind = SixteenColours;
    const int rowBytes = bpl * planes;
    // A run of two bytes gives at most 63 bytes, so the data must be long enough for the rows claimed.
    const int64_t data = length - 128 - (kind == Indexed ? 769 : 0);
    if (kind == None || bpl < 1 || !AcceptableSize(width, height) || data < 1 ||
        int64_t(rowBytes) * height > 32 * data) {
        image.failed = 1;
        return;
    }
    uint8_t palette[768] = {};
    if (kind == Indexed) {
        uint8_t tail[769];
        if (std::fseek(file, long(length - 769), SEEK_SET) != 0 || !ReadExact(file, tail, sizeof tail) ||
            tail[0] != 12 || std::fseek(file, 128, SEEK_SET) != 0) {
            image.failed = 1;
            return;
        }
        std::memcpy(palette, tail + 1, 768);
    }
    std::vector<uint8_t> row(size_t(rowBytes), 0);
    FreeImage(image);
    if (!AllocatePixels(image, width, height)) {
        image.failed = 1;
        return;
    }
    image.decoded = 1;
    ByteReader in{file, length - 128};
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        ReadPcxRow(in, row.data(), rowBytes);
        if (in.pastEnd) {
            FreeImage(image);
            image.failed = 1;
            return;
        }
        uint8_t* out = image.pixels + size_t(y) * size_t(image.stride);
        for (int x = 0; x < width; ++x, out += 3) {
            switch (kind) {
            case Indexed: {
                if (x >= bpl) break;
                const uint8_t* p = palette + 3 * row[size_t(x)];
                out[0] = p[2], out[1] = p[1], out[2] = p[0];
                break;
            }
            case ThreePlanes:
                if (x >= bpl) break;
                out[0] = row[size_t(2 * bpl + x)], out[1] = row[size_t(bpl + x)], out[2] = row[size_t(x)];
                break;
            case Mono: {
                if (x / 8 >= bpl) break;
                uint8_t v = (row[size_t(x / 8)] >> (7 - x % 8)) & 1 ? 255 : 0;
                out[0] = out[1] = out[2] = v;
                break;
            }
            case SixteenColours: {
                if (x / 8 >= bpl) break;
                int index = 0;
                for (int p = 0; p < 4; ++p)
                    index |= ((row[size_t(p * bpl + x / 8)] >> (7 - x % 8)) & 1) << p;
                const uint8_t* c = h + 16 + 3 * index;
                out[0] = c[2], out[1] = c[1], out[2] = c[0];
                break;
            }
            case None:
                break;
            }
        }
    }
}

void DecodePsd(RgbImage& image, std::FILE* file) {
    int64_t length = FileLengthFromStart(file);
    uint8_t h[26];
    if (length < 26 || !ReadExact(file, h, sizeof h)) {
        image.failed = 1;
        return;
    }
    const int channels = Be16(h + 12);
    const uint32_t height = Be32(h + 14), width = Be32(h + 18);
    const int depth = Be16(h + 22), mode = Be16(h + 24);
    image.width = int32_t(width);
    image.height = int32_t(height);
    image.stride = int32_t((3 * int64_t(width) + 3) & ~int64_t(3));
    image.bytesPerPixel = 3;
    const int planes = std::min(channels, 4);
    const int needed = (mode == 3 || mode == 9) ? 3 : mode == 4 ? 4 : 1;
    if (std::memcmp(h, "8BPS", 4) != 0 || depth != 8 ||
        !(mode == 1 || mode == 2 || mode == 3 || mode == 4 || mode == 7 || mode == 9) || planes < needed ||
        !AcceptableSize(width, height)) {
        image.failed = 1;
        return;
    }
    int64_t position = 26;
    // Colour mode data (the palette of an indexed picture), image resources, layers: length-prefixed.
    uint8_t palette[768] = {};
    for (int section = 0; section < 3; ++section) {
        uint8_t len[4];
        if (!ReadExact(file, len, 4)) {
            image.failed = 1;
            return;
        }
        position += 4;
        int64_t n = Be32(len);
        if (n > length - position) {
            image.failed = 1;
            return;
        }
        if (section == 0 && channels == 1 && mode == 2) {
            if (n > 768 || !ReadExact(file, palette, size_t(n))) {
                image.failed = 1;
                return;
            }
        } else if (std::fseek(file, long(position + n), SEEK_SET) != 0) {
            image.failed = 1;
            return;
        }
        position += n;
    }
    uint8_t comp[2];
    if (!ReadExact(file, comp, 2)) {
        image.failed = 1;
        return;
    }
    position += 2;
    const int64_t rest = length - position;
    const size_t planeBytes = size_t(width) * height;
    const size_t rows = size_t(height) * size_t(planes);
    const bool packed = Be16(comp) == 1;
    // Raw planes must all be present; a packed row of two bytes expands to at most 128 bytes.
    if (packed ? (int64_t(rows) * 2 > rest || int64_t(planeBytes) * planes > 64 * rest)
               : int64_t(planeBytes) * planes > rest) {
        image.failed = 1;
        return;
    }
    std::vector<uint8_t> data(planeBytes * size_t(planes));
    if (packed) {
        std::vector<uint8_t> counts(rows * 2);
        std::vector<uint8_t> buffer(65536);
        if (!ReadExact(file, counts.data(), counts.size())) {
            image.failed = 1;
            return;
        }
        for (size_t r = 0; r < rows; ++r) {
            size_t n = Be16(&counts[r * 2]);
            if (!ReadExact(file, buffer.data(), n) ||
                UnpackBits(data.data() + r * width, width, buffer.data(), n)) {
                image.failed = 1;
                return;
            }
        }
    } else if (!ReadExact(file, data.data(), data.size())) {
        image.failed = 1;
        return;
    }
    FreeImage(image);
    if (!AllocatePixels(image, int32_t(width), int32_t(height))) {
        image.failed = 1;
        return;
    }
    image.decoded = 1;
    const uint8_t* p0 = data.data();
    const uint8_t* p1 = planes > 1 ? p0 + planeBytes : p0;
    const uint8_t* p2 = planes > 2 ? p0 + 2 * planeBytes : p0;
    const uint8_t* p3 = planes > 3 ? p0 + 3 * planeBytes : p0;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* out = image.pixels + size_t(y) * size_t(image.stride);
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            size_t i = size_t(y) * width + x;
            uint32_t rgb = 0;
            switch (mode) {
            case 2:
                rgb = palette[p0[i]] | (palette[256 + p0[i]] << 8) | (uint32_t(palette[512 + p0[i]]) << 16);
                break;
            case 3:
                rgb = p0[i] | (p1[i] << 8) | (uint32_t(p2[i]) << 16);
                break;
            case 4:
                rgb = CmykToRgb(p0[i], p1[i], p2[i], p3[i]);
                break;
            case 9:
                rgb = LabToRgb(p0[i], p1[i], p2[i]);
                break;
            default:
                rgb = p0[i] * 0x010101u;
                break;
            }
            out[0] = uint8_t(rgb >> 16), out[1] = uint8_t(rgb >> 8), out[2] = uint8_t(rgb);
        }
    }
}
