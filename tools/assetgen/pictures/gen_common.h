// Building blocks of the picture and mesh generator: a float RGB canvas, seeded random numbers, tileable
// noise, and writers for JPEG, 24-bit BMP and 1-bit PCX files.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb Mix(Rgb a, Rgb b, float t) {
    return a + (b - a) * t;
}
inline Rgb Hex(uint32_t v) {
    return {float((v >> 16) & 255) / 255.f, float((v >> 8) & 255) / 255.f, float(v & 255) / 255.f};
}

inline float Clamp01(float v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}
inline float Smooth(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Colours 0..1, rows top first.
struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgb> px;
    Canvas(int w, int h, Rgb fill = {}) : width(w), height(h), px(size_t(w) * size_t(h), fill) {}
    Rgb& at(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgb& at(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)]; }
    // Wraps around both edges, for tileable pictures.
    Rgb& wrap(int x, int y) {
        x %= width, y %= height;
        if (x < 0) x += width;
        if (y < 0) y += height;
        return at(x, y);
    }
    void Blend(int x, int y, Rgb c, float alpha) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        Rgb& p = at(x, y);
        p = Mix(p, c, Clamp01(alpha));
    }
    void BlendWrap(int x, int y, Rgb c, float alpha) {
        Rgb& p = wrap(x, y);
        p = Mix(p, c, Clamp01(alpha));
    }
};

// Small, fast, seeded generator (xorshift-multiply); the same seed always gives the same pictures.
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return uint32_t((state * 0x2545F4914F6CDD1Dull) >> 32);
    }
    float Unit() { return float(Next() >> 8) / 16777216.0f; }
    float Range(float a, float b) { return a + (b - a) * Unit(); }
};

// Value noise on a lattice that repeats every periodX x periodY cells; smooth, 0..1.
float TileNoise(float x, float y, int periodX, int periodY, uint32_t seed);
// Sum of octaves of TileNoise, each at double the frequency (and period) of the last; about 0..1.
float TileFbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed, float gain = 0.5f);

// Writers. Return false when the file cannot be written.
bool WriteJpeg(const std::string& path, const Canvas& c, int quality);
bool WriteBmp24(const std::string& path, const Canvas& c);
// 1-bit PCX, version 5, one plane: bits set where white is true. Xmax = width, Ymax = height.
bool WritePcxMono(const std::string& path, int width, int height, const std::vector<uint8_t>& white);
bool WriteText(const std::string& path, const std::string& text);
