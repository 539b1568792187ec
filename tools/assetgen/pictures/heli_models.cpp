// Geometry of the stock 450 helicopter and of the Bell 206 JetRanger scale model, built from simple
// parts (boxes, tubes, lofted shells, discs) and written in the program's text mesh dialect.
#include "heli_models.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

struct V3 {
    float x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
float Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V3 Norm(V3 a) {
    float l = std::sqrt(Dot(a, a));
    return l > 1e-12f ? a * (1.0f / l) : V3{0, 1, 0};
}

// Skin pixel (column, row) of a point with its normal; untextured parts use NoUv.
using UvFn = std::function<void(V3 p, V3 n, float& column, float& row)>;
void NoUv(V3, V3, float& c, float& r) {
    c = r = 0;
}

struct Material {
    float r, g, b, a, power, sr, sg, sb, er, eg, eb;
    bool textured;
};

// Collects vertices (position, normal, skin coordinate) and triangles; faces are wound counter-
// clockwise seen from outside, the side the vertex normals point to.
struct Builder {
    std::vector<V3> pos, nrm;
    std::vector<float> u, v;
    struct Tri {
        int a, b, c, m;
    };
    std::vector<Tri> tris;
    std::vector<Material> mats;

    int Mat(Material m) {
        mats.push_back(m);
        return int(mats.size()) - 1;
    }
    int Vert(V3 p, V3 n, const UvFn& uv) {
        float c = 0, r = 0;
        uv(p, n, c, r);
        pos.push_back(p);
        nrm.push_back(Norm(n));
        u.push_back(c / 512.0f);
        v.push_back(r / 512.0f);
        return int(pos.size()) - 1;
    }
    void Triangle(int a, int b, int c, int m) {
        V3 g = Cross(pos[size_t(b)] - pos[size_t(a)], pos[size_t(c)] - pos[size_t(a)]);
        V3 n = nrm[size_t(a)] + nrm[size_t(b)] + nrm[size_t(c)];
        if (Dot(g, n) < 0) std::swap(b, c);
        tris.push_back({a, b, c, m});
    }
    void Quad(int a, int b, int c, int d, int m) {
        Triangle(a, b, c, m);
        Triangle(a, c, d, m);
    }

    // Axis-aligned box with flat faces.
    void Box(V3 lo, V3 hi, int m, const UvFn& uv = NoUv) {
        const V3 n[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
        for (const V3& f : n) {
            V3 c[4];
            // Two axes spanning the face.
            V3 a = std::fabs(f.x) > 0 ? V3{0, 1, 0} : V3{1, 0, 0};
            V3 b = Cross(f, a);
            V3 mid = (lo + hi) * 0.5f, half = (hi - lo) * 0.5f;
            auto corner = [&](float sa, float sb) {
                V3 d = f + a * sa + b * sb;
                return V3{mid.x + d.x * half.x, mid.y + d.y * half.y, mid.z + d.z * half.z};
            };
            c[0] = corner(-1, -1), c[1] = corner(1, -1), c[2] = corner(1, 1), c[3] = corner(-1, 1);
            int i0 = Vert(c[0], f, uv), i1 = Vert(c[1], f, uv), i2 = Vert(c[2], f, uv),
                i3 = Vert(c[3], f, uv);
            Quad(i0, i1, i2, i3, m);
        }
    }

    // Tube from a to b with radii ra, rb, smooth sides, optional flat caps.
    void Tube(V3 a, V3 b, float ra, float rb, int segs, int m, bool caps, const UvFn& uv = NoUv) {
        V3 axis = Norm(b - a);
        V3 ref = std::fabs(axis.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0};
        V3 e1 = Norm(Cross(axis, ref)), e2 = Cross(axis, e1);
        std::vector<int> ringA, ringB;
        float slope = (ra - rb) / std::sqrt(Dot(b - a, b - a));
        for (int i = 0; i <= segs; ++i) {
            float t = 2 * Pi * float(i) / float(segs);
            V3 radial = e1 * std::cos(t) + e2 * std::sin(t);
            V3 n = Norm(radial + axis * slope);
            ringA.push_back(Vert(a + radial * ra, n, uv));
            ringB.push_back(Vert(b + radial * rb, n, uv));
        }
        for (int i = 0; i < segs; ++i)
            Quad(ringA[size_t(i)], ringA[size_t(i + 1)], ringB[size_t(i + 1)], ringB[size_t(i)], m);
        if (!caps) return;
        for (int end = 0; end < 2; ++end) {
            V3 c = end ? b : a;
            float r = end ? rb : ra;
            V3 n = end ? axis : axis * -1.0f;
            int centre = Vert(c, n, uv);
            std::vector<int> ring;
            for (int i = 0; i <= segs; ++i) {
                float t = 2 * Pi * float(i) / float(segs);
                ring.push_back(Vert(c + (e1 * std::cos(t) + e2 * std::sin(t)) * r, n, uv));
            }
            for (int i = 0; i < segs; ++i)
                Triangle(centre, ring[size_t(i)], ring[size_t(i + 1)], m);
        }
    }

    // Thin two-sided disc (a spinning rotor) centred at c, facing axis.
    void Disc(V3 c, V3 axis, float radius, int segs, int m) {
        axis = Norm(axis);
        V3 ref = std::fabs(axis.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0};
        V3 e1 = Norm(Cross(axis, ref)), e2 = Cross(axis, e1);
        for (int side = 0; side < 2; ++side) {
            V3 n = side ? axis * -1.0f : axis;
            V3 centre = c + n * 0.0008f;
            int ci = Vert(centre, n, NoUv);
            std::vector<int> ring;
            for (int i = 0; i < segs; ++i) {
                float t = 2 * Pi * float(i) / float(segs);
                ring.push_back(Vert(centre + (e1 * std::cos(t) + e2 * std::sin(t)) * radius, n, NoUv));
            }
            for (int i = 0; i < segs; ++i)
                Triangle(ci, ring[size_t(i)], ring[size_t((i + 1) % segs)], m);
        }
    }

    // Closed shell through rings of points (ring k, point j around); normals averaged from the faces
    // and turned away from each ring's centre. The first and last ring may shrink to a point.
    void Shell(const std::vector<std::vector<V3>>& rings, int m, const UvFn& uv, bool capEnd) {
        const size_t nr = rings.size(), np = rings[0].size();
        auto at = [&](size_t k, size_t j) { return rings[k][j % np]; };
        std::vector<int> index(nr * (np + 1));
        for (size_t k = 0; k < nr; ++k) {
            V3 centre{};
            for (size_t j = 0; j < np; ++j)
                centre = centre + rings[k][j];
            centre = centre * (1.0f / float(np));
            for (size_t j = 0; j <= np; ++j) {
                size_t kp = k + 1 < nr ? k + 1 : k, km = k > 0 ? k - 1 : k;
                V3 along = at(kp, j) - at(km, j);
                V3 around = at(k, j + 1) - at(k, j + np - 1);
                V3 n = Norm(Cross(around, along));
                V3 out = at(k, j) - centre;
                if (Dot(out, out) < 1e-12f) out = along * -1.0f;
                if (Dot(n, out) < 0) n = n * -1.0f;
                if (k == 0 && Dot(out, out) < 1e-10f) n = Norm(at(0, j) - at(1, j));
                index[k * (np + 1) + j] = Vert(at(k, j), n, uv);
            }
        }
        for (size_t k = 0; k + 1 < nr; ++k)
            for (size_t j = 0; j < np; ++j) {
                int a = index[k * (np + 1) + j], b = index[k * (np + 1) + j + 1];
                int c = index[(k + 1) * (np + 1) + j + 1], d = index[(k + 1) * (np + 1) + j];
                if (pos[size_t(a)].x == pos[size_t(b)].x && pos[size_t(a)].y == pos[size_t(b)].y &&
                    pos[size_t(a)].z == pos[size_t(b)].z)
                    Triangle(a, c, d, m);
                else
                    Quad(a, b, c, d, m);
            }
        if (capEnd) {
            const std::vector<V3>& last = rings.back();
            V3 centre{};
            for (const V3& p : last)
                centre = centre + p;
            centre = centre * (1.0f / float(np));
            V3 n = Norm(centre - rings[nr - 2][0] * 0.5f - rings[nr - 2][np / 2] * 0.5f);
            int ci = Vert(centre, n, uv);
            std::vector<int> ring;
            for (size_t j = 0; j <= np; ++j)
                ring.push_back(Vert(last[j % np], n, uv));
            for (size_t j = 0; j < np; ++j)
                Triangle(ci, ring[j], ring[j + 1], m);
        }
    }

    // Scales z by front ahead of z = 0 and by back behind it; normals follow (inverse transpose).
    void StretchZ(float front, float back) {
        for (size_t i = 0; i < pos.size(); ++i) {
            float k = pos[i].z < 0 ? front : back;
            pos[i].z *= k;
            nrm[i] = Norm({nrm[i].x, nrm[i].y, nrm[i].z / k});
        }
    }

    std::string Text() const {
        std::string s;
        char line[160];
        auto add = [&](const char* fmt, auto... args) {
            std::snprintf(line, sizeof line, fmt, args...);
            s += line;
        };
        s += "xof 0302txt 0064\n";
        s += "template Header {\n <3D82AB43-62DA-11cf-AB39-0020AF71E433>\n WORD major;\n WORD minor;\n DWORD "
             "flags;\n}\n\n";
        s += "Header {\n 1;\n 0;\n 1;\n}\n\n";
        s += "Mesh {\n";
        add(" %d;\n", int(pos.size()));
        for (size_t i = 0; i < pos.size(); ++i)
            add(" %.6f;%.6f;%.6f;%s\n", double(pos[i].x), double(pos[i].y), double(pos[i].z),
                i + 1 < pos.size() ? "," : ";");
        add(" %d;\n", int(tris.size()));
        for (size_t i = 0; i < tris.size(); ++i)
            add(" 3;%d,%d,%d;%s\n", tris[i].a, tris[i].b, tris[i].c, i + 1 < tris.size() ? "," : ";");
        s += "\n MeshMaterialList {\n";
        add("  %d;\n  %d;\n", int(mats.size()), int(tris.size()));
        for (size_t i = 0; i < tris.size(); ++i)
            add("  %d%s\n", tris[i].m, i + 1 < tris.size() ? "," : ";;");
        for (const Material& m : mats) {
            s += "  Material {\n";
            add("   %.6f;%.6f;%.6f;%.6f;;\n", double(m.r), double(m.g), double(m.b), double(m.a));
            add("   %.6f;\n", double(m.power));
            add("   %.6f;%.6f;%.6f;;\n", double(m.sr), double(m.sg), double(m.sb));
            add("   %.6f;%.6f;%.6f;;\n", double(m.er), double(m.eg), double(m.eb));
            if (m.textured) s += "   TextureFilename {\n    \"skin.bmp\";\n   }\n";
            s += "  }\n";
        }
        s += " }\n\n MeshNormals {\n";
        add("  %d;\n", int(nrm.size()));
        for (size_t i = 0; i < nrm.size(); ++i)
            add("  %.6f;%.6f;%.6f;%s\n", double(nrm[i].x), double(nrm[i].y), double(nrm[i].z),
                i + 1 < nrm.size() ? "," : ";");
        add("  %d;\n", int(tris.size()));
        for (size_t i = 0; i < tris.size(); ++i)
            add("  3;%d,%d,%d;%s\n", tris[i].a, tris[i].b, tris[i].c, i + 1 < tris.size() ? "," : ";");
        s += " }\n\n MeshTextureCoords {\n";
        add("  %d;\n", int(pos.size()));
        for (size_t i = 0; i < pos.size(); ++i)
            add("  %.6f;%.6f;\n", double(u[i]), double(v[i]));
        s += " }\n}\n";
        return s;
    }
};

Material Plain(uint32_t rgb, float power = 20, float shine = 0.3f, float alpha = 1) {
    return {float((rgb >> 16) & 255) / 255,
            float((rgb >> 8) & 255) / 255,
            float(rgb & 255) / 255,
            alpha,
            power,
            shine,
            shine,
            shine,
            0,
            0,
            0,
            false};
}
Material Textured(uint32_t rgb) {
    Material m = Plain(rgb, 30, 0.4f);
    m.textured = true;
    return m;
}

float Lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

// Rounded cross-section (superellipse) of half-width w and half-height h around (0, yc) at z.
std::vector<V3> Section(float z, float yc, float w, float h, int points, float exponent) {
    std::vector<V3> ring;
    for (int j = 0; j < points; ++j) {
        float t = 2 * Pi * float(j) / float(points);
        float c = std::cos(t), s = std::sin(t);
        float x = std::copysign(std::pow(std::fabs(c), 2 / exponent), c) * w;
        float y = std::copysign(std::pow(std::fabs(s), 2 / exponent), s) * h;
        ring.push_back({x, yc + y, z});
    }
    return ring;
}

} // namespace

CanopySection CanopyAt(float s) {
    s = s < 0 ? 0 : s > 1 ? 1 : s;
    // Rounded nose rising into a tall, slightly sloping back; flat-bottomed towards the rear.
    float nose = std::sqrt(1 - (1 - std::min(s / 0.42f, 1.0f)) * (1 - std::min(s / 0.42f, 1.0f)));
    float top = Lerp(0.012f, 0.104f, std::pow(nose, 0.85f)) - 0.012f * std::max(0.0f, s - 0.7f) / 0.3f;
    float bottom = Lerp(0.004f, -0.038f, std::sqrt(std::min(s / 0.35f, 1.0f)));
    float w = 0.047f * std::sqrt(std::min(s / 0.5f, 1.0f)) * (1 - 0.08f * std::max(0.0f, s - 0.8f) / 0.2f);
    return {top, bottom, w};
}

void CanopySkinPixel(float z, float y, float& column, float& row) {
    column = Lerp(CanopyU0, CanopyU1, (z - CanopyNoseZ) / (CanopyRearZ - CanopyNoseZ));
    row = Lerp(CanopyV0, CanopyV1, (CanopyMaxY - y) / (CanopyMaxY - CanopyMinY));
}

void BellSkinPixel(float z, float y, float& column, float& row) {
    column = Lerp(BellBodyU0, BellBodyU1, (z - BellNoseZ) / (BellTailZ - BellNoseZ));
    row = Lerp(BellBodyV0, BellBodyV1, (BellMaxY - y) / (BellMaxY - BellMinY));
}

// The stock 450: x to the left, y up, z from the nose (negative) to the tail; metres; main shaft at
// x = z = 0. After reading, the program mirrors x and scales the length along z (rotor disc included) to
// 0.76 m, which this model already has: 0.71 m main rotor, 0.65 m from the nose to the tail rotor's edge,
// the shaft 0.245 m behind the nose, as on a real 450.
std::string BuildStock450Text() {
    Builder b;
    const int canopy = b.Mat(Textured(0xFFFFFF));
    const int frame = b.Mat(Textured(0x202020));
    const int mainGear = b.Mat(Plain(0xF2F0E6, 10, 0.2f));
    const int steel = b.Mat(Plain(0xC8CCD0, 60, 0.8f));
    const int swashOuter = b.Mat(Plain(0x2060D0, 40, 0.6f));
    const int swashInner = b.Mat(Plain(0xB0B4B8, 50, 0.7f));
    const int headBlock = b.Mat(Plain(0x181818, 30, 0.4f));
    const int grips = b.Mat(Plain(0xD02020, 40, 0.6f));
    const int flybar = b.Mat(Plain(0x909498, 60, 0.8f));
    const int paddles = b.Mat(Plain(0x101010, 20, 0.3f));
    const int boom = b.Mat(Textured(0xD0D0D0));
    const int struts = b.Mat(Plain(0x151515, 20, 0.3f));
    const int stab = b.Mat(Textured(0xFFFFFF));
    const int fin = b.Mat(Textured(0xFFFFFF));
    const int tailBox = b.Mat(Plain(0x303234, 30, 0.4f));
    const int tailShaft = b.Mat(Plain(0xB8BCC0, 60, 0.8f));
    const int tailDisc = b.Mat(Plain(0xB0B0B0, 5, 0.1f, 0.22f));
    const int skids = b.Mat(Plain(0xE8E8E8, 30, 0.5f, 1));
    const int skidStruts = b.Mat(Plain(0x1A1A1A, 20, 0.3f));
    const int gearMount = b.Mat(Plain(0x222222, 20, 0.3f));
    const int servo = b.Mat(Plain(0x0E0E0E, 20, 0.3f));
    const int pushrod = b.Mat(Plain(0x404040, 20, 0.3f));
    const int gyro = b.Mat(Plain(0xF08010, 20, 0.3f));
    const int rotor = b.Mat(Plain(0xB8B8B8, 5, 0.1f, 0.15f));
    const int tailHub = b.Mat(Plain(0xA0A4A8, 50, 0.7f));
    const int skidCaps = b.Mat(Plain(0xC01818, 20, 0.3f));

    // Canopy shell, mapped by its side view into the canopy area of the skin.
    UvFn canopyUv = [](V3 p, V3, float& c, float& r) { CanopySkinPixel(p.z, p.y, c, r); };
    std::vector<std::vector<V3>> rings;
    const int sections = 18, around = 24;
    for (int k = 0; k <= sections; ++k) {
        float s = float(k) / sections;
        s = s * s * (1.6f - 0.6f * s); // more rings near the rounded nose
        CanopySection cs = CanopyAt(s);
        float z = Lerp(CanopyNoseZ, CanopyRearZ, s);
        rings.push_back(
            Section(z, (cs.top + cs.bottom) / 2, cs.halfWidth, (cs.top - cs.bottom) / 2, around, 2.6f));
    }
    // Closed at the back, so the field never shows through the canopy from behind.
    b.Shell(rings, canopy, canopyUv, true);

    // Frame side plates (carbon) behind and below the canopy, closed by a rear bulkhead.
    UvFn carbonUv = [](V3 p, V3, float& c, float& r) {
        c = Lerp(CarbonU0, CarbonU1, (p.z + 0.06f) / 0.22f);
        r = Lerp(CarbonV0, CarbonV1, (0.08f - p.y) / 0.12f);
    };
    b.Box({0.024f, -0.036f, -0.06f}, {0.027f, 0.078f, 0.15f}, frame, carbonUv);
    b.Box({-0.027f, -0.036f, -0.06f}, {-0.024f, 0.078f, 0.15f}, frame, carbonUv);
    b.Box({-0.024f, -0.036f, 0.135f}, {0.024f, 0.078f, 0.15f}, frame, carbonUv);
    // Tail boom with its decal, supports, stabiliser, fin, gearbox.
    UvFn boomUv = [](V3 p, V3 n, float& c, float& r) {
        c = Lerp(4, 508, (p.z - 0.11f) / 0.30f);
        r = Lerp(BoomV0, BoomV1, 0.5f + 0.5f * n.y);
    };
    b.Tube({0, 0.047f, 0.11f}, {0, 0.047f, 0.41f}, 0.0085f, 0.0075f, 16, boom, true, boomUv);
    b.Tube({0.024f, -0.02f, 0.14f}, {0.004f, 0.041f, 0.30f}, 0.0022f, 0.0022f, 6, struts, true);
    b.Tube({-0.024f, -0.02f, 0.14f}, {-0.004f, 0.041f, 0.30f}, 0.0022f, 0.0022f, 6, struts, true);
    UvFn patchUv = [](V3 p, V3, float& c, float& r) {
        c = Lerp(PatchU0, PatchU1, Lerp(0, 1, (p.z - 0.27f) / 0.18f));
        r = Lerp(PatchV0, PatchV1, (0.07f - p.y) / 0.14f);
    };
    b.Box({-0.048f, 0.0445f, 0.285f}, {0.048f, 0.0465f, 0.33f}, stab, patchUv);
    // Vertical fin below the boom, swept back: two slanted boxes.
    b.Box({-0.001f, -0.03f, 0.375f}, {0.001f, 0.046f, 0.42f}, fin, patchUv);
    b.Box({-0.001f, 0.046f, 0.39f}, {0.001f, 0.062f, 0.415f}, fin, patchUv);
    b.Box({-0.009f, 0.036f, 0.395f}, {0.009f, 0.062f, 0.412f}, tailBox);
    b.Tube({0.0f, 0.05f, 0.40f}, {0.027f, 0.05f, 0.40f}, 0.0018f, 0.0018f, 6, tailShaft, true);
    b.Tube({0.022f, 0.05f, 0.40f}, {0.028f, 0.05f, 0.40f}, 0.004f, 0.004f, 8, tailHub, true);

    // Landing gear: two skids with turned-up front ends and red caps, four struts, mount plate.
    for (float side : {1.0f, -1.0f}) {
        float x = 0.046f * side;
        b.Tube({x, -0.072f, -0.115f}, {x, -0.072f, 0.115f}, 0.0035f, 0.0035f, 8, skids, false);
        b.Tube({x, -0.072f, -0.115f}, {x, -0.058f, -0.145f}, 0.0035f, 0.0035f, 8, skids, false);
        b.Tube({x, -0.072f, 0.115f}, {x, -0.072f, 0.121f}, 0.0036f, 0.0036f, 8, skidCaps, true);
        b.Tube({x, -0.058f, -0.145f}, {x, -0.056f, -0.149f}, 0.0036f, 0.0036f, 8, skidCaps, true);
        b.Tube({x, -0.071f, -0.07f}, {0.026f * side, -0.036f, -0.065f}, 0.0028f, 0.0028f, 8, skidStruts,
               true);
        b.Tube({x, -0.071f, 0.075f}, {0.026f * side, -0.036f, 0.07f}, 0.0028f, 0.0028f, 8, skidStruts, true);
    }
    b.Box({-0.03f, -0.04f, -0.08f}, {0.03f, -0.035f, 0.09f}, gearMount);
    // Tail servo with its pushrod along the boom, gyro on the frame.
    b.Box({-0.006f, 0.022f, 0.16f}, {0.006f, 0.038f, 0.182f}, servo);
    b.Tube({0.003f, 0.034f, 0.182f}, {0.003f, 0.036f, 0.395f}, 0.0009f, 0.0009f, 5, pushrod, false);
    b.Box({-0.012f, 0.078f, 0.105f}, {0.012f, 0.088f, 0.135f}, gyro);

    // Real proportions: the nose further ahead of the shaft, the tail a little closer.
    b.StretchZ(1.225f, 0.9f);
    // Main gear, shaft, swashplate, head, grips, flybar with paddles.
    b.Tube({0, 0.058f, 0}, {0, 0.064f, 0}, 0.034f, 0.034f, 24, mainGear, true);
    b.Tube({0, 0.02f, 0}, {0, 0.15f, 0}, 0.0028f, 0.0028f, 8, steel, true);
    b.Tube({0, 0.098f, 0}, {0, 0.104f, 0}, 0.019f, 0.019f, 16, swashOuter, true);
    b.Tube({0, 0.104f, 0}, {0, 0.109f, 0}, 0.012f, 0.012f, 16, swashInner, true);
    b.Box({-0.007f, 0.128f, -0.008f}, {0.007f, 0.146f, 0.008f}, headBlock);
    b.Box({0.012f, 0.131f, -0.006f}, {0.052f, 0.143f, 0.006f}, grips);
    b.Box({-0.052f, 0.131f, -0.006f}, {-0.012f, 0.143f, 0.006f}, grips);
    b.Tube({0, 0.139f, -0.115f}, {0, 0.139f, 0.115f}, 0.0015f, 0.0015f, 6, flybar, false);
    b.Box({-0.014f, 0.1375f, 0.095f}, {0.014f, 0.1405f, 0.135f}, paddles);
    b.Box({-0.014f, 0.1375f, -0.135f}, {0.014f, 0.1405f, -0.095f}, paddles);

    // Spinning rotors last: tail rotor disc, then the main rotor disc (the widest part).
    b.Disc({0.029f, 0.05f, 0.36f}, {1, 0, 0}, 0.045f, 24, tailDisc);
    b.Disc({0, 0.141f, 0}, {0, 1, 0}, 0.355f, 72, rotor);
    return b.Text();
}

// Bell 206 JetRanger, metres: x to the left, y up, z from the nose (negative) to the tail.
std::string BuildBell206Text() {
    Builder b;
    const int body = b.Mat(Textured(0xFFFFFF));
    const int boomMat = b.Mat(Textured(0xFFFFFF));
    const int finMat = b.Mat(Plain(0xC81E28, 20, 0.3f));
    const int stabMat = b.Mat(Plain(0xF4F4F4, 20, 0.3f));
    const int cowl = b.Mat(Plain(0xEDEDED, 30, 0.4f));
    const int exhaust = b.Mat(Plain(0x3A3A3A, 30, 0.4f));
    const int mast = b.Mat(Plain(0x8A8E92, 50, 0.7f));
    const int hub = b.Mat(Plain(0x2A2A2A, 30, 0.4f));
    const int skidMat = b.Mat(Plain(0xB8BCC0, 40, 0.6f));
    const int crossTube = b.Mat(Plain(0xB0B4B8, 40, 0.6f));
    const int tailGear = b.Mat(Plain(0x505458, 30, 0.4f));
    const int tailDisc = b.Mat(Plain(0xB0B0B0, 5, 0.1f, 0.22f));
    const int rotor = b.Mat(Plain(0xB8B8B8, 5, 0.1f, 0.15f));

    UvFn bodyUv = [](V3 p, V3, float& c, float& r) { BellSkinPixel(p.z, p.y, c, r); };
    // Cabin pod: rounded bubble nose, tall cabin, tapering to the boom at the rear.
    std::vector<std::vector<V3>> rings;
    const int sections = 22, around = 24;
    for (int k = 0; k <= sections; ++k) {
        float s = float(k) / sections;
        float z = Lerp(BellNoseZ, 2.4f, s);
        float nose =
            std::sqrt(std::max(0.0f, 1 - (1 - std::min(s / 0.28f, 1.0f)) * (1 - std::min(s / 0.28f, 1.0f))));
        float rear = s > 0.62f ? (s - 0.62f) / 0.38f : 0;
        float top = Lerp(-0.05f, 0.95f, std::pow(nose, 0.8f)) - 0.35f * rear * rear;
        float bottom = Lerp(-0.15f, -0.62f, std::sqrt(std::min(s / 0.2f, 1.0f))) + 0.95f * rear * rear;
        float w = 0.74f * std::sqrt(std::min(s / 0.3f, 1.0f)) * (1 - 0.62f * rear);
        rings.push_back(
            Section(z, (top + bottom) / 2, std::max(w, 0.001f), (top - bottom) / 2, around, 2.8f));
    }
    b.Shell(rings, body, bodyUv, false);
    // Engine and transmission fairing above the cabin, exhaust stack at its back.
    std::vector<std::vector<V3>> cowlRings;
    for (int k = 0; k <= 10; ++k) {
        float s = float(k) / 10;
        float z = Lerp(-0.9f, 2.6f, s);
        float h = 0.32f * std::sqrt(std::sin(Pi * std::max(0.02f, std::min(s, 0.98f))));
        float w = 0.42f * std::sqrt(std::sin(Pi * std::max(0.02f, std::min(s, 0.98f))));
        cowlRings.push_back(Section(z, 0.92f + h * 0.5f, w, h, 16, 2.5f));
    }
    b.Shell(cowlRings, cowl, NoUv, false);
    b.Tube({0, 1.05f, 2.3f}, {0, 1.3f, 2.75f}, 0.13f, 0.15f, 12, exhaust, true);
    // Tail boom, tapering, with the horizontal stabiliser, fins and tail rotor.
    UvFn boomUv = [](V3 p, V3 n, float& c, float& r) {
        c = Lerp(8, 504, (p.z - 2.0f) / 4.6f);
        r = Lerp(270, 330, 0.5f + 0.5f * n.y);
    };
    b.Tube({0, 0.55f, 2.0f}, {0, 0.62f, 6.6f}, 0.34f, 0.14f, 16, boomMat, true, boomUv);
    b.Box({-1.0f, 0.56f, 4.6f}, {1.0f, 0.62f, 5.1f}, stabMat);
    b.Box({0.95f, 0.35f, 4.55f}, {1.0f, 0.85f, 5.1f}, finMat);
    b.Box({-1.0f, 0.35f, 4.55f}, {-0.95f, 0.85f, 5.1f}, finMat);
    b.Box({-0.04f, 0.7f, 6.0f}, {0.04f, 2.0f, 6.55f}, finMat);
    b.Box({-0.04f, 0.05f, 6.1f}, {0.04f, 0.62f, 6.5f}, finMat);
    b.Box({-0.12f, 0.55f, 6.3f}, {0.12f, 0.85f, 6.6f}, tailGear);
    b.Tube({0.1f, 0.72f, 6.45f}, {0.34f, 0.72f, 6.45f}, 0.05f, 0.05f, 8, mast, true);
    // Skids and cross tubes.
    for (float side : {1.0f, -1.0f}) {
        float x = 1.0f * side;
        b.Tube({x, -1.1f, -2.0f}, {x, -1.1f, 1.6f}, 0.05f, 0.05f, 10, skidMat, true);
        b.Tube({x, -1.1f, -2.0f}, {x, -0.9f, -2.45f}, 0.05f, 0.05f, 10, skidMat, true);
        b.Tube({x, -1.08f, -1.2f}, {0.55f * side, -0.55f, -1.2f}, 0.045f, 0.045f, 10, crossTube, true);
        b.Tube({x, -1.08f, 0.9f}, {0.55f * side, -0.5f, 0.9f}, 0.045f, 0.045f, 10, crossTube, true);
    }
    b.Tube({-0.55f, -0.55f, -1.2f}, {0.55f, -0.55f, -1.2f}, 0.045f, 0.045f, 10, crossTube, false);
    b.Tube({-0.55f, -0.5f, 0.9f}, {0.55f, -0.5f, 0.9f}, 0.045f, 0.045f, 10, crossTube, false);
    // Mast and hub.
    b.Tube({0, 1.2f, 0}, {0, 1.72f, 0}, 0.09f, 0.07f, 12, mast, true);
    b.Box({-0.35f, 1.64f, -0.12f}, {0.35f, 1.78f, 0.12f}, hub);
    b.Disc({0.36f, 0.72f, 6.45f}, {1, 0, 0}, 0.83f, 24, tailDisc);
    b.Disc({0, 1.76f, 0}, {0, 1, 0}, 5.08f, 72, rotor);
    return b.Text();
}
