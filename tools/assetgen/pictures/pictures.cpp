// Procedural pictures: grass, gravel, brick wall, door and window atlas, the panorama, canopy designs,
// the helicopter skins, the canopy mask and the program icon.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "heli_models.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// Antialiased line of width w between two points, blended onto the canvas (wrapping when asked).
void Stroke(Canvas& c, float x0, float y0, float x1, float y1, float w, Rgb col, float alpha, bool wrap) {
    float minx = std::floor(std::min(x0, x1) - w - 1), maxx = std::ceil(std::max(x0, x1) + w + 1);
    float miny = std::floor(std::min(y0, y1) - w - 1), maxy = std::ceil(std::max(y0, y1) + w + 1);
    float dx = x1 - x0, dy = y1 - y0, len2 = std::max(dx * dx + dy * dy, 1e-6f);
    for (int y = int(miny); y <= int(maxy); ++y)
        for (int x = int(minx); x <= int(maxx); ++x) {
            float t = Clamp01(((float(x) + 0.5f - x0) * dx + (float(y) + 0.5f - y0) * dy) / len2);
            float px = x0 + dx * t - (float(x) + 0.5f), py = y0 + dy * t - (float(y) + 0.5f);
            float d = std::sqrt(px * px + py * py);
            float a = Clamp01(w * 0.5f + 0.5f - d) * alpha;
            if (a <= 0) continue;
            if (wrap)
                c.BlendWrap(x, y, col, a);
            else
                c.Blend(x, y, col, a);
        }
}

void FillRect(Canvas& c, float x0, float y0, float x1, float y1, Rgb col, float alpha = 1) {
    for (int y = std::max(0, int(std::floor(y0))); y < std::min(c.height, int(std::ceil(y1))); ++y)
        for (int x = std::max(0, int(std::floor(x0))); x < std::min(c.width, int(std::ceil(x1))); ++x) {
            float cx = Clamp01(std::min(float(x) + 1, x1) - std::max(float(x), x0));
            float cy = Clamp01(std::min(float(y) + 1, y1) - std::max(float(y), y0));
            c.Blend(x, y, col, cx * cy * alpha);
        }
}

} // namespace

// ---- Grass: mown turf, short blades of close greens with faint mowing stripes, tileable -------
// The ground repeats the picture every 5.12 m: one pixel is 1 cm, one stripe 1.28 m.

Canvas MakeGrass() {
    const int n = 512;
    Canvas c(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float fx = float(x) / n, fy = float(y) / n;
            float broad = TileFbm(fx * 4, fy * 4, 4, 4, 4, 11);
            float fine = TileFbm(fx * 64, fy * 64, 64, 64, 2, 12);
            Rgb dark = Hex(0x3F6224), mid = Hex(0x52772C);
            Rgb base = Mix(dark, mid, Clamp01(broad * 1.2f - 0.1f));
            // Mowing stripes across the field: the grass laid one way reflects more light.
            float stripe = 0.5f + 0.5f * std::sin(2 * Pi * 2 * fy);
            float lay = Smooth(0.25f, 0.75f, stripe);
            c.at(x, y) = base * (0.92f + 0.12f * lay) * (0.9f + 0.18f * fine);
        }
    Random rnd(7);
    const Rgb blades[] = {Hex(0x36561C), Hex(0x466B25), Hex(0x55792D), Hex(0x62873A)};
    // Short cut blades, lying mostly along the mowing direction, darker deep in the sward.
    for (int layer = 0; layer < 4; ++layer) {
        for (int i = 0; i < 14000; ++i) {
            float x = rnd.Range(0, n), y = rnd.Range(0, n);
            float stripe = 0.5f + 0.5f * std::sin(2 * Pi * 2 * y / n);
            float angle = rnd.Range(-0.5f, 0.5f) + (stripe > 0.5f ? 0 : Pi);
            float len = rnd.Range(1.5f, 4.0f);
            float ex = x + std::sin(angle) * len, ey = y - std::cos(angle) * len;
            Rgb col = blades[layer] * rnd.Range(0.9f, 1.08f) * (0.95f + 0.1f * stripe);
            Stroke(c, x, y, ex, ey, 0.9f, col, 0.55f, true);
        }
    }
    return c;
}

// ---- Gravel: fine, even gravel of 1-3 cm stones in muted greys, tileable ---------------------
// The gravel square repeats the picture every 4 m: one pixel is about 4 mm, a stone 3 to 7 pixels.

Canvas MakePebbles() {
    const int n = 1024, cells = 200;
    const float cell = float(n) / cells;
    Random rnd(21);
    struct Stone {
        float x, y, size;
        Rgb col;
    };
    std::vector<Stone> stones(size_t(cells) * cells);
    const Rgb tones[] = {Hex(0xA39D92), Hex(0xAEA89C), Hex(0x98918A), Hex(0xB3ACA0),
                         Hex(0x928C84), Hex(0xA69C8C), Hex(0x9C9890), Hex(0xABA496)};
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            Stone& s = stones[size_t(j) * cells + size_t(i)];
            s.x = (float(i) + rnd.Range(0.2f, 0.8f)) * cell;
            s.y = (float(j) + rnd.Range(0.2f, 0.8f)) * cell;
            s.size = rnd.Range(0.6f, 1.4f);
            s.col = tones[rnd.Next() % 8] * rnd.Range(0.94f, 1.05f);
        }
    std::vector<float> height(size_t(n) * n);
    Canvas c(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            int ci = int(float(x) / cell), cj = int(float(y) / cell);
            float best = 1e9f, second = 1e9f;
            const Stone* nearest = nullptr;
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    int ii = (ci + di + cells) % cells, jj = (cj + dj + cells) % cells;
                    const Stone& s = stones[size_t(jj) * cells + size_t(ii)];
                    float sx = s.x + float(ci + di - ii) * cell, sy = s.y + float(cj + dj - jj) * cell;
                    float dx = float(x) + 0.5f - sx, dy = float(y) + 0.5f - sy;
                    float d = std::sqrt(dx * dx + dy * dy) / s.size;
                    if (d < best)
                        second = best, best = d, nearest = &s;
                    else if (d < second)
                        second = d;
                }
            float radius = cell * 0.66f;
            float hd = Clamp01(1 - (best / radius) * (best / radius));
            float h = hd * Smooth(0.0f, 1.0f, second - best);
            height[size_t(y) * n + size_t(x)] = std::sqrt(h);
            // A faint, broad unevenness hides the repeat; the bed between stones is only a little darker.
            float broad = TileFbm(float(x) / n * 4, float(y) / n * 4, 4, 4, 3, 23);
            Rgb bed = Hex(0x7C766C) * (0.9f + 0.15f * broad);
            Rgb stone = nearest->col * (0.95f + 0.1f * broad);
            c.at(x, y) = Mix(bed, stone, Smooth(0.0f, 0.15f, h));
        }
    // Soft light from the upper left.
    Canvas lit = c;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            auto H = [&](int xx, int yy) { return height[size_t((yy + n) % n) * n + size_t((xx + n) % n)]; };
            float gx = H(x + 1, y) - H(x - 1, y), gy = H(x, y + 1) - H(x, y - 1);
            float shade = std::clamp(1.0f - 0.35f * (gx + gy) * 0.5f, 0.85f, 1.12f);
            lit.at(x, y) = c.at(x, y) * (shade * (0.9f + 0.1f * H(x, y)));
        }
    return lit;
}

// ---- Brick wall: four bricks by ten courses per tile, running bond ----------------------------

Canvas MakeBricks() {
    const int n = 512;
    const int perRow = 4, courses = 10;
    Canvas c(n, n);
    Random rnd(31);
    std::vector<Rgb> brickCol(size_t(perRow) * courses);
    for (Rgb& b : brickCol) {
        const Rgb reds[] = {Hex(0x9A4530), Hex(0xA8523A), Hex(0x8A3C2A),
                            Hex(0xB0603F), Hex(0x7E3828), Hex(0x9E5A44)};
        b = reds[rnd.Next() % 6] * rnd.Range(0.88f, 1.1f);
        if (rnd.Unit() < 0.08f) b = b * 0.7f; // an odd dark, over-fired brick
    }
    const float bw = float(n) / perRow, ch = float(n) / courses;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float fy = (float(y) + 0.5f) / ch;
            int course = int(fy);
            float vy = (fy - float(course)) * ch; // pixels from the course's top
            float fx = (float(x) + 0.5f) / bw + (course % 2 ? 0.5f : 0.0f);
            int brick = int(std::floor(fx));
            float vx = (fx - float(brick)) * bw;
            brick = ((brick % perRow) + perRow) % perRow;
            const float mortar = 3.2f;
            float edgeX = std::min(vx, bw - vx), edgeY = std::min(vy, ch - vy);
            float m = std::min(edgeX, edgeY);
            float grain = TileFbm(float(x) / 5, float(y) / 5, n / 5 + 1, n / 5 + 1, 3, 32);
            float blot = TileFbm(float(x) / 40, float(y) / 40, 13, 13, 3, 33);
            Rgb brickC = brickCol[size_t(course) * perRow + size_t(brick)] * (0.82f + 0.3f * grain) *
                         (0.92f + 0.16f * blot);
            Rgb mortarC = Hex(0xB8B0A2) * (0.8f + 0.3f * grain);
            // Mortar is recessed: the joint under each brick is in shadow.
            if (vy > ch - mortar * 1.2f && edgeX > mortar) mortarC = mortarC * 0.78f;
            float inBrick = Smooth(mortar * 0.7f, mortar * 1.25f, m);
            Rgb col = Mix(mortarC, brickC, inBrick);
            // Rounded arris: lighter top edge, darker lower edge.
            if (inBrick > 0.5f) {
                if (vy < mortar + 2.5f) col = col * 1.08f;
                if (vy > ch - mortar - 2.5f) col = col * 0.9f;
            }
            c.at(x, y) = col;
        }
    return c;
}

// ---- Door, eave and window atlas ---------------------------------------------------------------
// Rows from the top: window 0..160 (t 1..0.6875), eave 160..188 (t 0.6875..0.633), door below.

namespace {

void Glass(Canvas& c, float x0, float y0, float x1, float y1, uint32_t seed) {
    for (int y = int(y0); y < int(y1); ++y)
        for (int x = int(x0); x < int(x1); ++x) {
            float t = (float(y) - y0) / (y1 - y0), s = (float(x) - x0) / (x1 - x0);
            Rgb sky = Mix(Hex(0x9CB8D8), Hex(0x3C506A), t);
            // Soft diagonal reflections and the dim room behind.
            float streak =
                Smooth(0.0f, 0.08f, 0.1f - std::fabs(std::fmod(s * 1.3f + t * 0.8f + 0.15f, 1.0f) - 0.5f));
            float room = TileFbm(float(x) / 30, float(y) / 30, 64, 64, 2, seed);
            Rgb col = Mix(sky * 0.8f, Hex(0x2A3440), 0.35f + 0.2f * room) +
                      Rgb{0.25f, 0.27f, 0.3f} * (streak * 0.6f);
            c.Blend(x, y, col, 1);
        }
}

} // namespace

Canvas MakeDoorWindow() {
    const int n = 512;
    Canvas c(n, n, Hex(0x8A8276));
    const float eaveTop = 160, doorTop = 188;
    // Window: white frame, four lights with a transom, stone sill at the bottom.
    FillRect(c, 0, 0, n, eaveTop, Hex(0xEDEDE8));
    Glass(c, 12, 12, n - 12, eaveTop - 22, 41);
    for (int i = 1; i < 4; ++i)
        FillRect(c, float(i) * n / 4 - 4, 12, float(i) * n / 4 + 4, eaveTop - 22, Hex(0xEDEDE8));
    FillRect(c, 12, 52, n - 12, 59, Hex(0xEDEDE8));
    FillRect(c, 12, 12, n - 12, 15, Hex(0xB8B8B2));
    FillRect(c, 0, eaveTop - 22, n, eaveTop - 12, Hex(0xC9C3B5));
    FillRect(c, 0, eaveTop - 12, n, eaveTop, Hex(0xA39D90));
    // Eave: shadowed soffit next to the wall (row 160 meets the wall top), white fascia, grey gutter.
    for (int y = int(eaveTop); y < int(doorTop); ++y) {
        float t = (float(y) - eaveTop) / (doorTop - eaveTop);
        Rgb col = t < 0.25f  ? Mix(Hex(0x3A3632), Hex(0x7A766E), t / 0.25f)
                  : t < 0.8f ? Mix(Hex(0xF0F0EA), Hex(0xD8D8D2), (t - 0.25f) / 0.55f)
                             : Hex(0x8E9296) * (1.1f - 0.3f * (t - 0.8f) / 0.2f);
        for (int x = 0; x < n; ++x)
            c.at(x, y) = col * (0.97f + 0.06f * TileNoise(float(x) / 9, float(y), 57, 29, 43));
    }
    // Door: dark aluminium frame, two blue leaves with tall glass and kick plates, push bars.
    FillRect(c, 0, doorTop, n, n, Hex(0x3C4046));
    const float leafTop = doorTop + 14, floor = n - 4;
    for (int leaf = 0; leaf < 2; ++leaf) {
        float x0 = leaf ? n / 2 + 4.0f : 14, x1 = leaf ? n - 14.0f : n / 2 - 4.0f;
        FillRect(c, x0, leafTop, x1, floor, Hex(0x1F4E8C));
        Glass(c, x0 + 18, leafTop + 18, x1 - 18, leafTop + 190, 44 + uint32_t(leaf));
        FillRect(c, x0 + 18, leafTop + 206, x1 - 18, floor - 16, Hex(0x1A447C));
        FillRect(c, x0 + 18, floor - 40, x1 - 18, floor - 16, Hex(0xA8ACB0));
        FillRect(c, x0, leafTop, x1, leafTop + 3, Hex(0x3A6AA8));
        float bx = leaf ? x0 + 22 : x1 - 30;
        FillRect(c, x0 + 24, leafTop + 196, x1 - 24, leafTop + 202, Hex(0xC8CCD0));
        FillRect(c, bx, leafTop + 120, bx + 8, leafTop + 230, Hex(0xD0D4D8));
    }
    FillRect(c, n / 2.0f - 4, leafTop, n / 2.0f + 4, floor, Hex(0x2C3036));
    FillRect(c, 0, floor, n, n, Hex(0x9A968E));
    return c;
}

// ---- Panorama: sky with clouds, distant hills, tree lines, field edge; seamless left to right --

namespace {

// A fair-weather cumulus: soft puffs piled on a flat base, lit from above, wrapped around the edges.
void Cumulus(Canvas& c, Random& rnd, float cx, float baseRow, float width, float height, Rgb skyHaze) {
    struct Puff {
        float x, y, r;
    };
    std::vector<Puff> puffs;
    int count = 4 + int(width / (height * 0.45f));
    for (int i = 0; i < count; ++i) {
        float t = rnd.Range(-0.5f, 0.5f);
        float r = height * rnd.Range(0.45f, 0.75f) * (1 - 1.4f * t * t);
        puffs.push_back({cx + t * width * 0.8f, baseRow - r * rnd.Range(0.55f, 0.95f), r});
    }
    uint32_t seed = rnd.Next();
    int x0 = int(cx - width), x1 = int(cx + width), y0 = int(baseRow - height * 2.2f), y1 = int(baseRow + 3);
    for (int y = std::max(0, y0); y < std::min(c.height, y1); ++y)
        for (int x = x0; x <= x1; ++x) {
            float dens = -1e9f, top = 1e9f;
            for (const Puff& p : puffs) {
                float d = std::hypot(float(x) - p.x, (float(y) - p.y) * 1.1f) / p.r;
                dens = std::max(dens, (1 - d) * p.r);
                top = std::min(top, p.y - p.r);
            }
            if (dens < -6) continue;
            float edge = TileFbm(float(x) / 7, float(y) / 7, 1 << 20, 1 << 20, 3, seed);
            dens = Clamp01((dens + (edge - 0.5f) * 8.0f) / 5.0f);
            dens *= Smooth(baseRow + 1.5f, baseRow - 2.5f, float(y)); // flat base
            if (dens <= 0) continue;
            float lift = Clamp01((baseRow - float(y)) / std::max(baseRow - top, 1.0f));
            Rgb col =
                Mix(Hex(0xA4AEBE), Hex(0xFBFBF8), std::pow(lift, 0.7f) * (0.85f + 0.3f * (edge - 0.5f)));
            col = Mix(col, skyHaze, 0.12f);
            c.BlendWrap(x, y, col, dens);
        }
}

} // namespace

Canvas MakeBackdrop(int w, int h) {
    Canvas c(w, h);
    const float pxPerM = float(h) / 200.0f; // the picture stands 200 m high on the cylinder
    auto rowOf = [&](float z) { return float(h) - z * pxPerM; };
    const Rgb zenith = Hex(0x4F80D1); // matches the sky disc's rim colour
    const Rgb horizon = Hex(0xC8D7E4);
    const int periodX = 8;
    for (int y = 0; y < h; ++y) {
        float z = (float(h) - float(y) - 0.5f) / pxPerM;
        Rgb sky = Mix(horizon, zenith, std::pow(Clamp01((z - 2) / 198), 0.4f));
        for (int x = 0; x < w; ++x)
            c.at(x, y) = sky;
    }
    // Clouds: small and flat near the horizon (far away), larger higher up.
    Random rnd(81);
    for (int i = 0; i < 55; ++i) {
        float z = 14 + 150 * std::pow(rnd.Unit(), 1.6f);
        float scale = 0.35f + z / 110;
        Rgb haze = Mix(horizon, zenith, std::pow(Clamp01((z - 2) / 198), 0.4f));
        Cumulus(c, rnd, rnd.Range(0, float(w)), rowOf(z), rnd.Range(160, 420) * scale,
                rnd.Range(22, 44) * scale, haze);
    }
    // Ridges from periodic noise.
    auto ridge = [&](float baseZ, float amp, int freq, uint32_t seed, int x) {
        float fx = float(x) / float(w) * float(periodX * freq);
        return baseZ + amp * TileFbm(fx, 0.5f, periodX * freq, 4, 5, seed, 0.55f);
    };
    // Far hills, blue-grey in the haze; nearer hills greener, with a faint wood texture.
    for (int x = 0; x < w; ++x) {
        float far = ridge(2, 60, 1, 61, x) - 14;
        float near = ridge(1, 22, 2, 71, x) - 3;
        for (int y = std::max(0, int(rowOf(far))); y < h; ++y) {
            float z = (float(h) - float(y) - 0.5f) / pxPerM;
            float tex = TileFbm(float(x) / 12, z / 2, w / 12 + 1, 1 << 20, 3, 62);
            Rgb farCol = Mix(Hex(0x8399AE), Hex(0x97A9B8), tex);
            float a = Clamp01(far - z + 0.5f);
            Rgb col = Mix(c.at(x, y), farCol, a);
            if (z < near) {
                float t2 = TileFbm(float(x) / 4, z / 1.2f, w / 4 + 1, 1 << 20, 3, 72);
                Rgb nearCol = Mix(Hex(0x5A6E62), Hex(0x768A78), t2) * (0.9f + 0.1f * Clamp01((near - z) / 6));
                col = Mix(col, nearCol, Clamp01(near - z + 0.5f));
            }
            c.at(x, y) = col;
        }
    }
    // Woods come and go along the horizon; where they thin out, the hills show through.
    auto woods = [&](float x) {
        float fx = x / float(w) * float(periodX * 3);
        return TileFbm(fx, 0.25f, periodX * 3, 4, 4, 83, 0.5f);
    };
    const Rgb greens[] = {Hex(0x2F4A22), Hex(0x3B5A28), Hex(0x466A2E), Hex(0x2A4226),
                          Hex(0x55703A), Hex(0x3E5530), Hex(0x4A5E2A), Hex(0x36502E)};
    for (int row = 0; row < 3; ++row) {
        int count = row == 0 ? 1400 : row == 1 ? 900 : 160;
        float haze = row == 0 ? 0.38f : row == 1 ? 0.2f : 0.06f;
        for (int i = 0; i < count; ++i) {
            float cx = rnd.Range(0, float(w));
            float density = woods(cx);
            if (row < 2 && rnd.Unit() > Smooth(0.3f, 0.6f, density)) continue;
            float size = (row == 0   ? rnd.Range(3.5f, 6.0f)
                          : row == 1 ? rnd.Range(4.5f, 8.5f)
                                     : rnd.Range(7.0f, 13.0f));
            size *= row < 2 ? 0.7f + 0.6f * density : 1.0f;
            bool poplar = row > 0 && rnd.Unit() < 0.12f;
            float rx = size * pxPerM * (poplar ? 0.36f : rnd.Range(0.75f, 1.15f));
            float ry = size * pxPerM * (poplar ? 1.6f : rnd.Range(0.7f, 0.95f));
            float baseZ = (row == 0 ? 3.0f : row == 1 ? 2.0f : 1.0f) + rnd.Range(0, 1.5f);
            float cy = rowOf(baseZ + ry / pxPerM * 0.85f +
                             (row == 0 ? rnd.Range(0, 5) * density : rnd.Range(0, 1.5f)));
            Rgb base = greens[rnd.Next() % 8] * rnd.Range(0.85f, 1.1f);
            uint32_t seed = rnd.Next();
            if (row == 2) FillRect(c, cx - 1.5f, cy, cx + 1.5f, rowOf(baseZ - 1.5f), Hex(0x3A3228));
            for (int y = int(cy - ry * 1.3f); y <= int(cy + ry * 1.3f); ++y) {
                if (y < 0 || y >= h) continue;
                for (int xi = int(cx - rx * 1.3f); xi <= int(cx + rx * 1.3f); ++xi) {
                    float dx = (float(xi) - cx) / rx, dy = (float(y) - cy) / ry;
                    float ang = std::atan2(dy, dx);
                    float leaf = TileFbm(float(xi) / 2.5f, float(y) / 2.5f, 1 << 20, 1 << 20, 3, seed);
                    float clump = TileFbm(float(xi) / 7.0f, float(y) / 7.0f, 1 << 20, 1 << 20, 2, seed + 5);
                    float edge = 1.0f + 0.35f * (TileNoise(ang * 2.5f + 10, 0.5f, 1 << 20, 4, seed) - 0.5f) +
                                 0.3f * (clump - 0.5f) + 0.12f * (leaf - 0.5f);
                    float r = std::sqrt(dx * dx + dy * dy);
                    if (dy > 0.5f) edge *= 0.9f; // flatter underside
                    float alpha = Clamp01((edge - r) * std::min(rx, ry) * 0.8f);
                    if (alpha <= 0) continue;
                    float nz = std::sqrt(Clamp01(1 - r * r / (edge * edge)));
                    float light = Clamp01(0.45f + 0.55f * (-0.5f * dx - 0.65f * dy + 0.55f * nz));
                    Rgb col = base * (0.4f + 0.8f * light) * (0.65f + 0.4f * leaf + 0.3f * clump);
                    col = Mix(col, horizon, haze);
                    c.BlendWrap(xi, y, col, alpha);
                }
            }
        }
    }
    // Hedge and field edge in front of the trees.
    for (int y = int(rowOf(3.0f)); y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float z = (float(h) - float(y) - 0.5f) / pxPerM;
            float hedge = 1.4f + 1.4f * TileFbm(float(x) / 30, 0.5f, w / 30, 4, 3, 92);
            float tex = TileFbm(float(x) / 3, z * 3, w / 3 + 1, 1 << 20, 3, 91);
            if (z < hedge) c.at(x, y) = Mix(Hex(0x2C4020), Hex(0x46602E), tex) * (0.8f + 0.25f * (z / hedge));
            if (z < 1.0f) c.at(x, y) = Mix(Hex(0x4E6A2A), Hex(0x6A8636), tex);
        }
    // Crisper tree line: an unsharp mask over the band of woods and hedges, so the crowns keep their
    // edges when the picture is shrunk for the lower background resolutions.
    const int top = std::max(1, int(rowOf(30.0f)));
    Canvas soft = c;
    for (int y = top; y < h - 1; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb blur =
                (soft.wrap(x - 1, y) + soft.wrap(x + 1, y) + soft.at(x, y - 1) + soft.at(x, y + 1)) * 0.25f;
            Rgb sharp = soft.at(x, y) + (soft.at(x, y) - blur) * 0.8f;
            c.at(x, y) = {Clamp01(sharp.r), Clamp01(sharp.g), Clamp01(sharp.b)};
        }
    return c;
}

// ---- Canopies -----------------------------------------------------------------------------------

namespace {

// Skin pixel (column, row) to canopy coordinates: s along the canopy (0 nose .. 1 rear) and f down its
// side (0 at the top edge, 1 at the bottom); false outside the canopy's side view.
bool CanopyAtPixel(float column, float row, float& s, float& f) {
    s = (column - CanopyU0) / (CanopyU1 - CanopyU0);
    float y = CanopyMaxY - (row - CanopyV0) / (CanopyV1 - CanopyV0) * (CanopyMaxY - CanopyMinY);
    CanopySection cs = CanopyAt(s);
    f = (cs.top - y) / std::max(cs.top - cs.bottom, 1e-4f);
    return s >= 0 && s <= 1 && f >= 0 && f <= 1;
}

struct CanopyColours {
    Rgb main, second, trim;
};

} // namespace

Canvas MakeCanopy(CanopyStyle style) {
    const int w = 512, h = 256;
    CanopyColours k{};
    switch (style) {
    case CanopyStyle::RedFlames:
        k = {Hex(0xC81818), Hex(0xF4C020), Hex(0xFFFFFF)};
        break;
    case CanopyStyle::YellowHornet:
        k = {Hex(0xF2C814), Hex(0x141414), Hex(0xFFFFFF)};
        break;
    case CanopyStyle::BlueSilver:
        k = {Hex(0x1848B0), Hex(0xC8CCD4), Hex(0xF0F0F0)};
        break;
    case CanopyStyle::BlackCarbon:
        k = {Hex(0x1C1C1E), Hex(0xE03010), Hex(0xD0D0D0)};
        break;
    case CanopyStyle::GreenOrange:
        k = {Hex(0x20A040), Hex(0xF07818), Hex(0xFFFFFF)};
        break;
    }
    Canvas c(w, h, k.main);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0, f = 0;
            bool inside = CanopyAtPixel(float(x) + 0.5f, float(y) + 0.5f, s, f);
            Rgb col = k.main;
            if (style == CanopyStyle::BlackCarbon) {
                int wx = (x / 4 + y / 4) % 2;
                col = col * (wx ? 1.15f : 0.85f);
            }
            // Gloss: a soft highlight band along the upper side.
            float gloss = std::exp(-std::pow((f - 0.3f) / 0.12f, 2.0f));
            if (inside) {
                float wave = 0.08f * std::sin(s * 9.0f);
                switch (style) {
                case CanopyStyle::RedFlames: {
                    float tongue = 0.55f + 0.12f * std::sin(s * 40) * (1 - s) + wave;
                    if (f > tongue && s < 0.9f - 0.5f * (f - tongue))
                        col = Mix(k.second, Hex(0xF06010), Clamp01((f - tongue) * 3));
                    break;
                }
                case CanopyStyle::YellowHornet:
                    if (std::fmod(s * 9 + f * 0.6f, 1.0f) < 0.42f && s > 0.45f) col = k.second;
                    break;
                case CanopyStyle::BlueSilver:
                    if (f > 0.55f + wave && f < 0.72f + wave) col = k.second;
                    if (f > 0.74f + wave && f < 0.78f + wave) col = k.trim;
                    break;
                case CanopyStyle::BlackCarbon:
                    if (f > 0.6f + wave && f < 0.66f + wave) col = k.second;
                    break;
                case CanopyStyle::GreenOrange:
                    if (f > 0.5f - wave && f < 0.68f - wave) col = k.second;
                    if (std::fabs(f - 0.5f + wave) < 0.02f || std::fabs(f - 0.68f + wave) < 0.02f)
                        col = k.trim;
                    break;
                }
                // Windscreen: smoked and glossy over the upper front.
                float screenEdge = 0.42f - 0.25f * s;
                if (s < 0.62f && f < screenEdge + 0.04f * std::sin(s * 6)) {
                    Rgb glass = Mix(Hex(0x1A2430), Hex(0x4A6078), Clamp01(1 - f / screenEdge));
                    col = glass +
                          Rgb{0.3f, 0.3f, 0.32f} * (std::exp(-std::pow((s - 0.3f) / 0.05f, 2.0f)) * 0.7f);
                    if (f > screenEdge - 0.02f) col = k.trim;
                }
                col = col + Rgb{0.22f, 0.22f, 0.22f} * (gloss * 0.6f);
            }
            c.at(x, y) = col;
        }
    return c;
}

std::vector<uint8_t> MakeCanopyMask(int width, int height) {
    std::vector<uint8_t> white(size_t(width) * size_t(height), 1);
    // Black over the canopy's side view, grown by two pixels so the shell's edge texels are covered.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int dy = -2; dy <= 2 && white[size_t(y) * size_t(width) + size_t(x)]; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    float s = 0, f = 0;
                    if (CanopyAtPixel(float(x + dx) + 0.5f, float(y + dy) + 0.5f, s, f)) {
                        white[size_t(y) * size_t(width) + size_t(x)] = 0;
                        break;
                    }
                }
    return white;
}

// ---- Skins ---------------------------------------------------------------------------------------

Canvas MakeStockSkin(const Canvas& canopy) {
    Canvas c(SkinSize, SkinSize, Hex(0x808488));
    // Canopy area: the default design (the program pastes the chosen canopy over it through the mask).
    for (int y = 0; y < 176; ++y)
        for (int x = 0; x < 460; ++x)
            c.at(x, y) = canopy.at(x, y);
    // Tail boom: brushed aluminium with a coloured band and black rings.
    for (int y = int(BoomV0) - 4; y < int(BoomV1) + 4; ++y)
        for (int x = 0; x < SkinSize; ++x) {
            float t = (float(y) - BoomV0) / (BoomV1 - BoomV0);
            Rgb col = Hex(0xC4C8CC) * (0.9f + 0.12f * TileNoise(float(x) / 2, float(y) / 20, 256, 8, 101) +
                                       0.1f * std::sin(t * Pi));
            if (x > 200 && x < 330 && t > 0.55f) col = canopy.at(270, 1);
            if ((x > 60 && x < 70) || (x > 440 && x < 452)) col = Hex(0x181818);
            c.at(x, y) = col;
        }
    // Carbon-fibre weave for the frame plates.
    for (int y = int(CarbonV0) - 4; y < int(CarbonV1) + 4; ++y)
        for (int x = int(CarbonU0) - 4; x < int(CarbonU1) + 4; ++x) {
            int cx = x / 6, cy = y / 6;
            float tx = float(x % 6) / 6, ty = float(y % 6) / 6;
            bool horizontal = (cx + cy) % 2 == 0;
            float sheen = horizontal ? std::sin(ty * Pi) : std::sin(tx * Pi);
            c.at(x, y) = Hex(0x1A1A1C) + Rgb{0.16f, 0.16f, 0.17f} * sheen;
        }
    // The block that takes the canopy's main colour (fin and stabiliser).
    Rgb patch = canopy.at(270, 1);
    for (int y = 438; y < SkinSize; ++y)
        for (int x = 225; x <= 321; ++x)
            c.at(x, y) = patch;
    return c;
}

Canvas MakeBellSkin() {
    Canvas c(SkinSize, SkinSize, Hex(0xF2F2F0));
    // Fuselage side view: white with red and navy cheat lines, tinted cabin glazing and doors.
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < SkinSize; ++x) {
            float z =
                BellNoseZ + (float(x) - BellBodyU0) / (BellBodyU1 - BellBodyU0) * (BellTailZ - BellNoseZ);
            float yy = BellMaxY - (float(y) - BellBodyV0) / (BellBodyV1 - BellBodyV0) * (BellMaxY - BellMinY);
            Rgb col = Hex(0xF4F4F2);
            if (yy < -0.18f && yy > -0.3f) col = Hex(0xC81E28);
            if (yy <= -0.3f && yy > -0.36f) col = Hex(0x1E2A5A);
            if (yy < -0.5f) col = Hex(0xB8BCC0);
            // Windscreen and chin windows in the bubble nose.
            float noseWin = (z + 2.9f) / 1.4f;
            if (z < -1.5f && yy > -0.1f - 0.25f * (1 - noseWin) && yy < 0.85f) col = Hex(0x2C3A48);
            if (z < -2.0f && yy < -0.2f && yy > -0.45f) col = Hex(0x2C3A48);
            // Cabin door windows.
            if (z > -1.35f && z < -0.25f && yy > 0.05f && yy < 0.7f) col = Hex(0x34424E);
            if (z > -0.1f && z < 0.95f && yy > 0.05f && yy < 0.62f) col = Hex(0x34424E);
            if (std::fabs(z + 1.42f) < 0.025f || std::fabs(z + 0.17f) < 0.025f ||
                std::fabs(z - 1.05f) < 0.025f)
                if (yy < 0.8f && yy > -0.5f) col = col * 0.6f;
            float glint = std::exp(-std::pow((yy - 0.45f) / 0.08f, 2.0f));
            c.at(x, y) = col + Rgb{0.12f, 0.12f, 0.12f} * (glint * (col.r < 0.3f ? 1.0f : 0.0f));
        }
    // Tail boom: white with a red and navy stripe and a registration-like band.
    for (int y = 266; y < 334; ++y)
        for (int x = 0; x < SkinSize; ++x) {
            float t = (float(y) - 270) / 60;
            Rgb col = Hex(0xF2F2F0);
            if (t > 0.45f && t < 0.58f) col = Hex(0xC81E28);
            if (t >= 0.58f && t < 0.64f) col = Hex(0x1E2A5A);
            c.at(x, y) = col;
        }
    return c;
}

Canvas MakeIcon(int size) {
    Canvas c(size, size, Hex(0x3E7CC8));
    float k = float(size) / 32.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            c.at(x, y) = Mix(Hex(0x5A96DC), Hex(0x6AA84A), Smooth(22 * k, 25 * k, float(y)));
    const Rgb body = Hex(0xD82020), dark = Hex(0x202020);
    auto ellipse = [&](float cx, float cy, float rx, float ry, Rgb col) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                float dx = (float(x) + 0.5f - cx * k) / (rx * k), dy = (float(y) + 0.5f - cy * k) / (ry * k);
                float d = std::sqrt(dx * dx + dy * dy);
                c.Blend(x, y, col, Clamp01((1 - d) * rx * k + 0.5f));
            }
    };
    Stroke(c, 14 * k, 15 * k, 29 * k, 13 * k, 2.2f * k, dark, 1, false);      // tail boom
    Stroke(c, 29 * k, 13 * k, 30 * k, 9 * k, 1.6f * k, dark, 1, false);       // fin
    ellipse(12, 15.5f, 7.5f, 5.0f, body);                                     // cabin
    ellipse(9.5f, 14, 3.2f, 2.6f, Hex(0x9CC8EC));                             // windscreen
    Stroke(c, 12 * k, 10.5f * k, 12 * k, 8 * k, 1.6f * k, dark, 1, false);    // mast
    Stroke(c, 1 * k, 7.5f * k, 27 * k, 7.5f * k, 1.4f * k, dark, 1, false);   // main rotor
    Stroke(c, 6 * k, 21.5f * k, 19 * k, 21.5f * k, 1.3f * k, dark, 1, false); // skid
    Stroke(c, 9 * k, 20 * k, 9 * k, 21.5f * k, 1.1f * k, dark, 1, false);
    Stroke(c, 16 * k, 20 * k, 16 * k, 21.5f * k, 1.1f * k, dark, 1, false);
    return c;
}
