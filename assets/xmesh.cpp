// Reader of the text mesh dialect the stock helicopter is written in, and the preparation of the
// drawable batches, rotor span, lowest point and shadow circle.
#include "assets/xmesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "assets/xmesh_internal.h"
#include "resources/resources.h"

XMesh HeliMesh = {};
float rotorSpan = 0.0f;
float MeshScale = 1.5f;
float MeshLowestY = 0.0f;
bool meshFromFile = false;
float shadowCircle[ShadowCirclePoints][3] = {};
std::string XMeshErrorText;

namespace {

const char* const ErrorMessages[] = {
    "0: No error",
    "1: Unable to open file",
    "2: Unable to read file",
    "3: expected {",
    "4: expected integer",
    "5: expected ,",
    "6: expected floating point number",
    "7: expected ;",
    "8: expected face vertex count",
    "9: face vertex count is not 3 or 4",
    "10: vertex count doesnt match material list count",
    "11: material number exceeds material list length",
    "12: too many material objects",
    "13: texture coord count doesnt match vertex coord count",
    "14: normal vector count doesnt match vertex coord count",
};

// Files larger than this are not read at all (error 2).
constexpr long MaxMeshFileBytes = 256L << 20;

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\r' || ch == '\n';
}
bool IsNumberChar(char ch) {
    return (ch >= '0' && ch <= '9') || ch == '.' || ch == '-';
}

template <typename T> T* AllocZeroed(size_t count) {
    return static_cast<T*>(std::calloc(count == 0 ? 1 : count, sizeof(T)));
}

// The number must stand directly before its separator: the run of digits, '.' and '-' at the cursor,
// then the separator. Copies the run so the conversion never reads beyond the text.
bool NumberBeforeSeparator(const MeshCursor& c, char separator, char* copy, size_t copySize) {
    const char* q = c.p;
    while (q < c.end && IsNumberChar(*q))
        ++q;
    if (q >= c.end || *q != separator || q == c.p) return false;
    size_t n = static_cast<size_t>(q - c.p);
    if (n + 1 > copySize) return false;
    std::memcpy(copy, c.p, n);
    copy[n] = 0;
    return true;
}

bool ReadIntWith(MeshCursor& c, int32_t& out, char separator) {
    char copy[128];
    if (!NumberBeforeSeparator(c, separator, copy, sizeof copy)) return false;
    char* stop = nullptr;
    long long v = std::strtoll(copy, &stop, 0); // "%i": 0x hexadecimal, leading 0 octal
    if (stop == copy) return false;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    out = static_cast<int32_t>(v);
    SkipNumber(c);
    ++c.p; // past the separator
    SkipSpace(c);
    return true;
}

// What one state-machine round works on while a mesh text is scanned.
struct MeshReader {
    XMesh& mesh;
    MeshCursor c;
    int state = 0;
    int32_t materialsFilled = 0;
    bool done = false;
};

// How many elements to allocate for a count: every element takes at least one character of the text
// still to come, so a count beyond that can never be filled (reading stops with the element's own error)
// and only what the text can hold is allocated.
int32_t AllocatableCount(const MeshReader& r, int32_t count) {
    return static_cast<int32_t>(std::min<long long>(count, static_cast<long long>(r.c.end - r.c.p) + 1));
}

bool Fail(MeshReader& r, int32_t code) {
    RaiseMeshError(r.mesh, code);
    r.done = true;
    return false;
}

bool ReadCount(MeshReader& r, int32_t& count, int32_t code) {
    int32_t v = 0;
    if (!ReadIntSemicolon(r.c, v) || v < 0) return Fail(r, code);
    count = v;
    return true;
}

// "{ count; x;y;z;, ... x;y;z;;" for the positions (state 3) and the normals (state 8).
bool ReadVectors(MeshReader& r, int32_t& count, float*& vectors) {
    if (!MatchKeyword("{", r.c)) return Fail(r, 3);
    NextToken(r.c);
    int32_t n = 0;
    if (!ReadCount(r, n, 4)) return false;
    const int32_t held = AllocatableCount(r, n);
    std::free(vectors);
    vectors = AllocZeroed<float>(size_t(held) * 3);
    count = held;
    for (int32_t i = 0; i < n; ++i) {
        if (i >= held) return Fail(r, 6);
        float* v = vectors + size_t(i) * 3;
        for (int k = 0; k < 3; ++k)
            if (!ReadFloatSemicolon(r.c, v[k])) return Fail(r, 6);
        v[0] *= coordinateMirror;
        if (i + 1 < n) {
            if (r.c.p >= r.c.end || *r.c.p != ',') return Fail(r, 5);
            NextToken(r.c);
        } else if (r.c.p >= r.c.end || *r.c.p != ';') {
            return Fail(r, 7);
        }
    }
    return n > 0;
}

// "count; n;i,j,k;, ..." for the faces (state 4) and the normal faces (state 9).
bool ReadFaces(MeshReader& r, int32_t& count, MeshFace*& faces) {
    int32_t n = 0;
    if (!ReadCount(r, n, 4)) return false;
    const int32_t held = AllocatableCount(r, n);
    std::free(faces);
    faces = AllocZeroed<MeshFace>(size_t(held));
    count = held;
    for (int32_t i = 0; i < n; ++i) {
        if (i >= held) return Fail(r, 8);
        MeshFace& f = faces[i];
        int32_t vc = 0;
        if (!ReadIntSemicolon(r.c, vc)) return Fail(r, 8);
        if (vc != 3 && vc != 4) return Fail(r, 9);
        f.vertexCount = vc;
        if (!ReadIntComma(r.c, f.index[0]) || !ReadIntComma(r.c, f.index[1])) return Fail(r, 4);
        if (vc == 3) {
            if (!ReadIntSemicolon(r.c, f.index[2])) return Fail(r, 4);
        } else if (!ReadIntComma(r.c, f.index[2]) || !ReadIntSemicolon(r.c, f.index[3])) {
            return Fail(r, 4);
        }
        if (i + 1 < n) NextToken(r.c);
    }
    return true;
}

void ReadMaterialList(MeshReader& r) {
    XMesh& m = r.mesh;
    if (!MatchKeyword("{", r.c)) {
        Fail(r, 3);
        return;
    }
    NextToken(r.c);
    int32_t materials = 0, entries = 0;
    if (!ReadCount(r, materials, 4) || !ReadCount(r, entries, 4)) return;
    if (entries != m.faceCount) {
        Fail(r, 10);
        return;
    }
    std::free(m.materials);
    m.materialCount = AllocatableCount(r, materials);
    m.materials = AllocZeroed<MeshMaterial>(size_t(m.materialCount));
    for (int32_t i = 0; i < entries; ++i) {
        int32_t index = 0;
        bool ok = i + 1 < entries ? ReadIntComma(r.c, index) : ReadIntSemicolon(r.c, index);
        if (!ok) {
            Fail(r, 4);
            return;
        }
        if (index >= m.materialCount) {
            Fail(r, 11);
            return;
        }
        m.faces[i].material = index;
    }
}

void ReadMaterial(MeshReader& r) {
    XMesh& m = r.mesh;
    if (r.materialsFilled >= m.materialCount) {
        Fail(r, 12);
        return;
    }
    if (!MatchKeyword("{", r.c)) {
        Fail(r, 3);
        return;
    }
    NextToken(r.c);
    MeshMaterial& mat = m.materials[r.materialsFilled++];
    auto floats = [&](float* out, int n) {
        for (int i = 0; i < n; ++i)
            if (!ReadFloatSemicolon(r.c, out[i])) return Fail(r, 6);
        return true;
    };
    auto semicolon = [&]() {
        if (r.c.p >= r.c.end || *r.c.p != ';') return Fail(r, 7);
        NextToken(r.c);
        return true;
    };
    if (!floats(mat.faceColor, 4) || !semicolon()) return;
    if (!floats(&mat.power, 1) || !floats(mat.specular, 3) || !semicolon()) return;
    if (!floats(mat.emissive, 3) || !semicolon()) return;
    mat.hasTexture = MatchKeyword("TextureFilename", r.c);
}

void ReadTexCoords(MeshReader& r) {
    XMesh& m = r.mesh;
    if (!MatchKeyword("{", r.c)) {
        Fail(r, 3);
        return;
    }
    NextToken(r.c);
    int32_t n = 0;
    if (!ReadCount(r, n, 4)) return;
    if (n != m.vertexCount) {
        Fail(r, 13);
        return;
    }
    std::free(m.texCoords);
    m.texCoords = AllocZeroed<float>(size_t(n) * 2);
    for (int32_t i = 0; i < n; ++i) {
        float u = 0, v = 0;
        if (!ReadFloatSemicolon(r.c, u) || !ReadFloatSemicolon(r.c, v)) {
            Fail(r, 6);
            return;
        }
        m.texCoords[size_t(i) * 2] = u;
        m.texCoords[size_t(i) * 2 + 1] = -v;
    }
    r.done = true;
}

void Act(MeshReader& r) {
    XMesh& m = r.mesh;
    switch (r.state) {
    case 0:
        if (MatchKeyword("Header", r.c))
            r.state = 2;
        else if (MatchKeyword("Template", r.c))
            r.state = 1;
        break;
    case 1:
        r.state = 0;
        break;
    case 2:
        if (MatchKeyword("Mesh", r.c)) r.state = 3;
        break;
    case 3:
        if (ReadVectors(r, m.vertexCount, m.positions)) r.state = 4;
        break;
    case 4:
        if (ReadFaces(r, m.faceCount, m.faces)) r.state = 5;
        break;
    case 5:
        if (MatchKeyword("MeshMaterialList", r.c))
            r.state = 6;
        else if (MatchKeyword("Material", r.c))
            r.state = 7;
        else if (MatchKeyword("MeshTextureCoords", r.c))
            r.state = 10;
        else if (MatchKeyword("MeshNormals", r.c))
            r.state = 8;
        break;
    case 6:
        ReadMaterialList(r);
        r.state = 5;
        break;
    case 7:
        ReadMaterial(r);
        r.state = 5;
        break;
    case 8:
        if (ReadVectors(r, m.normalCount, m.normals)) r.state = 9;
        break;
    case 9:
        if (ReadFaces(r, m.normalFaceCount, m.normalFaces)) r.state = 5;
        break;
    case 10:
        ReadTexCoords(r);
        break;
    }
}

void FreeBatches(XMesh& mesh) {
    for (int32_t i = 0; i < mesh.batchCount; ++i) {
        std::free(mesh.batches[i].positions);
        std::free(mesh.batches[i].texCoords);
        std::free(mesh.batches[i].normals);
    }
    std::free(mesh.batches);
    mesh.batches = nullptr;
    mesh.batchCount = 0;
}

bool IndexIn(int32_t index, int32_t count) {
    return index >= 0 && index < count;
}

// A face is drawn only when every array it refers to holds what it names.
bool FaceUsable(const XMesh& m, int32_t faceNumber) {
    const MeshFace& f = m.faces[faceNumber];
    if (f.vertexCount != 3 && f.vertexCount != 4) return false;
    if (!IndexIn(f.material, m.materialCount)) return false;
    for (int k = 0; k < f.vertexCount; ++k)
        if (!IndexIn(f.index[k], m.vertexCount)) return false;
    if (m.normals) {
        if (!IndexIn(faceNumber, m.normalFaceCount)) return false;
        const MeshFace& nf = m.normalFaces[faceNumber];
        for (int k = 0; k < f.vertexCount; ++k)
            if (!IndexIn(nf.index[k], m.normalCount)) return false;
    }
    return true;
}

// Flat normal of a face for meshes written without normals, facing the side from which the face's
// vertices run clockwise (the dialect's front side once x is mirrored).
void FlatNormal(const XMesh& m, const MeshFace& f, float out[3]) {
    const float* a = m.positions + size_t(f.index[0]) * 3;
    const float* b = m.positions + size_t(f.index[1]) * 3;
    const float* c = m.positions + size_t(f.index[2]) * 3;
    float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    float n[3] = {v[1] * u[2] - v[2] * u[1], v[2] * u[0] - v[0] * u[2], v[0] * u[1] - v[1] * u[0]};
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(len > 1e-12f) || !std::isfinite(len)) {
        out[0] = 0, out[1] = 1, out[2] = 0;
        return;
    }
    for (int k = 0; k < 3; ++k)
        out[k] = n[k] / len;
}

} // namespace

const char* XMeshErrorMessage(int32_t code) {
    if (code < 0 || code > 14) return "";
    return ErrorMessages[code];
}

void SkipSpace(MeshCursor& c) {
    while (c.p < c.end && IsSpace(*c.p))
        ++c.p;
}

void SkipWord(MeshCursor& c) {
    if (c.p >= c.end || *c.p == ' ') return;
    for (;;) {
        if (c.p >= c.end || *c.p == '\n' || *c.p == '\r') return;
        ++c.p;
        if (c.p < c.end && *c.p == ' ') return;
    }
}

void NextToken(MeshCursor& c) {
    SkipWord(c);
    SkipSpace(c);
}

void SkipNumber(MeshCursor& c) {
    if (c.p < c.end && *c.p == ';') return;
    for (;;) {
        if (c.p >= c.end || !IsNumberChar(*c.p)) return;
        ++c.p;
        if (c.p < c.end && *c.p == ';') return;
    }
}

bool MatchKeyword(const char* keyword, const MeshCursor& c) {
    const char* q = c.p;
    for (; *keyword; ++keyword, ++q) {
        if (q >= c.end) return false;
        char a = *q, b = *keyword;
        if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

bool ReadIntSemicolon(MeshCursor& c, int32_t& out) {
    return ReadIntWith(c, out, ';');
}
bool ReadIntComma(MeshCursor& c, int32_t& out) {
    return ReadIntWith(c, out, ',');
}

bool ReadFloatSemicolon(MeshCursor& c, float& out) {
    char copy[128];
    if (!NumberBeforeSeparator(c, ';', copy, sizeof copy)) return false;
    char* stop = nullptr;
    float v = std::strtof(copy, &stop);
    if (stop == copy) return false;
    out = v;
    SkipNumber(c);
    ++c.p;
    SkipSpace(c);
    return true;
}

void RaiseMeshError(XMesh& mesh, int32_t code) {
    mesh.errorCode = code;
    XMeshErrorText = XMeshErrorMessage(code);
}

void ParseXMeshText(XMesh& mesh, const char* text, size_t length) {
    MeshReader r{mesh, {text, text + length}};
    while (!r.done) {
        SkipSpace(r.c);
        Act(r);
        if (r.done) break;
        SkipWord(r.c);
        if (r.c.p >= r.c.end) break;
    }
}

void LoadXMesh(const std::string& path, XMesh& mesh, bool fromFile) {
    ReleaseXMesh(mesh);
    std::vector<char> text;
    if (fromFile) {
        meshFromFile = true;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            mesh.errorCode = MeshErrorOpen;
            return;
        }
        long length = -1;
        if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        bool complete = false;
        if (length >= 0 && length <= MaxMeshFileBytes) {
            text.assign(size_t(length) + 10, 0);
            complete = std::fread(text.data(), 1, size_t(length), f) == size_t(length);
            text.resize(size_t(length));
        }
        std::fclose(f);
        if (!complete) {
            RaiseMeshError(mesh, MeshErrorRead);
            text.clear();
        } else {
            ParseXMeshText(mesh, text.data(), text.size());
        }
    } else {
        meshFromFile = false;
        ResourceData res = FindResourceData(ResourceStockMesh);
        if (res.data) ParseXMeshText(mesh, reinterpret_cast<const char*>(res.data), res.size);
    }
    BuildMeshBatches(mesh);
}

void BuildMeshBatches(XMesh& mesh) {
    FreeBatches(mesh);
    XMesh& m = mesh;
    if (!m.positions || !m.faces || !m.texCoords || !m.materials) return;

    float lo[3] = {1000000.0f, 1000000.0f, 1000000.0f};
    float hi[3] = {-1000000.0f, -1000000.0f, -1000000.0f};
    for (int32_t i = 0; i < m.vertexCount; ++i)
        for (int k = 0; k < 3; ++k) {
            float v = m.positions[size_t(i) * 3 + k];
            if (v < lo[k]) lo[k] = v;
            if (v > hi[k]) hi[k] = v;
        }
    // A flat or damaged mesh (no z extent, infinite coordinates) cannot be sized and gets no batches.
    float extent = hi[2] - lo[2];
    if (!(extent > 0.0f) || !std::isfinite(extent)) return;
    float k = MeshScale * 0.76f / extent;
    if (!std::isfinite(k)) return;
    for (size_t i = 0; i < size_t(m.vertexCount) * 3; ++i)
        m.positions[i] *= k;

    // Batches over the usable faces, a new one wherever vertex count or material changes.
    std::vector<int32_t> used;
    used.reserve(size_t(m.faceCount));
    for (int32_t i = 0; i < m.faceCount; ++i)
        if (FaceUsable(m, i)) used.push_back(i);
    if (used.empty()) return;
    std::vector<std::pair<size_t, size_t>> runs; // first index into used, face count
    for (size_t i = 0; i < used.size(); ++i) {
        const MeshFace& f = m.faces[used[i]];
        if (i == 0 || f.vertexCount != m.faces[used[i - 1]].vertexCount ||
            f.material != m.faces[used[i - 1]].material)
            runs.push_back({i, 0});
        ++runs.back().second;
    }

    m.batches = AllocZeroed<MeshBatch>(runs.size());
    m.batchCount = int32_t(runs.size());
    float lowest = 10000.0f;
    float widest = -1.0f;
    int32_t rotor = 0;
    for (size_t b = 0; b < runs.size(); ++b) {
        MeshBatch& batch = m.batches[b];
        const MeshFace& first = m.faces[used[runs[b].first]];
        batch.faceCount = int32_t(runs[b].second);
        batch.verticesPerFace = first.vertexCount;
        batch.material = first.material;
        size_t vertices = runs[b].second * size_t(first.vertexCount);
        batch.positions = AllocZeroed<float>(vertices * 3);
        batch.texCoords = AllocZeroed<float>(vertices * 2);
        batch.normals = AllocZeroed<float>(vertices * 3);
        size_t out = 0;
        float minX = 0.0f, maxX = 0.0f;
        for (size_t i = 0; i < runs[b].second; ++i) {
            int32_t faceNumber = used[runs[b].first + i];
            const MeshFace& f = m.faces[faceNumber];
            float flat[3];
            if (!m.normals) FlatNormal(m, f, flat);
            for (int v = 0; v < f.vertexCount; ++v, ++out) {
                const float* p = m.positions + size_t(f.index[v]) * 3;
                const float* t = m.texCoords + size_t(f.index[v]) * 2;
                const float* n =
                    m.normals ? m.normals + size_t(m.normalFaces[faceNumber].index[v]) * 3 : flat;
                std::memcpy(batch.positions + out * 3, p, 3 * sizeof(float));
                std::memcpy(batch.texCoords + out * 2, t, 2 * sizeof(float));
                std::memcpy(batch.normals + out * 3, n, 3 * sizeof(float));
                if (p[0] < minX) minX = p[0];
                if (p[0] > maxX) maxX = p[0];
                if (p[1] < lowest) lowest = p[1];
            }
        }
        float width = maxX - minX;
        if (width > widest) {
            widest = width;
            rotor = int32_t(b);
        }
    }
    rotorSpan = widest;
    MeshLowestY = lowest;
    std::swap(m.batches[rotor], m.batches[m.batchCount - 1]);
}

void BuildShadowCircle() {
    const double r = rotorSpan * 0.5;
    for (int i = 0; i < ShadowCirclePoints; ++i) {
        double angle = i * 10.0 * std::numbers::pi / 180.0;
        shadowCircle[i][0] = float(std::cos(angle) * r);
        shadowCircle[i][1] = float(std::sin(angle) * r);
        shadowCircle[i][2] = 0.0f;
    }
}

void ReleaseXMesh(XMesh& mesh) {
    FreeBatches(mesh);
    std::free(mesh.positions);
    std::free(mesh.normals);
    std::free(mesh.texCoords);
    std::free(mesh.faces);
    std::free(mesh.normalFaces);
    std::free(mesh.materials);
    mesh = XMesh{};
}
