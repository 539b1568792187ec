// The helicopter mesh: reader of the DirectX text mesh dialect, drawable batches, rotor span, shadow circle.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// One polygon: 3 or 4 indices (the fourth unused for a triangle) and its material.
struct MeshFace {
    int32_t vertexCount;
    int32_t index[4];
    int32_t material;
};
static_assert(sizeof(MeshFace) == 24);

// The specular colour is followed directly by the emissive colour: the renderer reads four floats
// starting at `specular` (the emissive red serves as the specular alpha).
struct MeshMaterial {
    float faceColor[4]; // red, green, blue, alpha
    float specular[3];
    float emissive[3];
    float power;
    bool hasTexture;
};
static_assert(offsetof(MeshMaterial, emissive) == offsetof(MeshMaterial, specular) + 3 * sizeof(float));

// A run of faces with the same vertex count and material, expanded to plain vertex arrays:
// faceCount x verticesPerFace vertices, each face's vertices in file order.
struct MeshBatch {
    int32_t faceCount;
    int32_t verticesPerFace; // 3 (triangles) or 4 (quadrilaterals)
    int32_t material;
    float* positions; // 3 floats per vertex
    float* texCoords; // 2 floats per vertex
    float* normals;   // 3 floats per vertex
};

// The mesh owns every array; the last batch is the main rotor.
struct XMesh {
    int32_t errorCode;
    int32_t vertexCount;
    int32_t materialCount;
    int32_t faceCount;
    int32_t normalCount;
    int32_t normalFaceCount;
    float* positions;      // vertexCount x (x, y, z), x mirrored on reading
    float* normals;        // normalCount x (x, y, z), null when the file has none
    float* texCoords;      // vertexCount x (u, v), v stored negated
    MeshFace* faces;       // faceCount
    MeshFace* normalFaces; // normalFaceCount, indices into normals (material unused)
    MeshMaterial* materials;
    int32_t batchCount;
    MeshBatch* batches;
};

// Error codes kept in XMesh::errorCode; the message of each is XMeshErrorMessage(code).
enum : int32_t {
    MeshErrorNone = 0,
    MeshErrorOpen = 1,
    MeshErrorRead = 2,
    MeshErrorBrace = 3,
    MeshErrorInteger = 4,
    MeshErrorComma = 5,
    MeshErrorFloat = 6,
    MeshErrorSemicolon = 7,
    MeshErrorFaceVertexCount = 8,
    MeshErrorFaceVertexRange = 9,
    MeshErrorMaterialListCount = 10,
    MeshErrorMaterialIndex = 11,
    MeshErrorTooManyMaterials = 12,
    MeshErrorTexCoordCount = 13,
    MeshErrorNormalCount = 14,
};

// Factor applied to x of every position and normal as it is read.
constexpr float coordinateMirror = -1.0f;
constexpr int ShadowCirclePoints = 37;

extern XMesh HeliMesh;    // the one helicopter mesh of the program
extern float MeshScale;   // size factor the batches are built at (the program keeps it at heliScale)
extern float MeshLowestY; // smallest y of any batch vertex, after scaling
extern bool meshFromFile; // the current mesh came from a file (true) or the built-in resource (false)
extern float shadowCircle[ShadowCirclePoints][3];

// "0: No error" ... "14: normal vector count doesnt match vertex coord count"; "" for other codes.
const char* XMeshErrorMessage(int32_t code);

// Reads the mesh from the file at path (fromFile true) or from built-in resource 119 (path ignored),
// then builds the batches. The previous mesh is released first. Afterwards the caller calls
// BuildShadowCircle().
void LoadXMesh(const std::string& path, XMesh& mesh, bool fromFile);

// Scans a mesh text of the given length into an empty mesh (no batches are built). Used by LoadXMesh
// and by tests; the text need not be zero-terminated.
void ParseXMeshText(XMesh& mesh, const char* text, size_t length);

// Scales the positions to 0.76 m x MeshScale along z, groups the faces into batches, moves the widest
// batch (the main rotor) last and sets rotorSpan and MeshLowestY. Faces that refer outside the
// arrays are dropped; a mesh without usable faces gets no batches and keeps the previous rotorSpan and
// MeshLowestY.
void BuildMeshBatches(XMesh& mesh);

// shadowCircle[i] = (cos(10 i deg), sin(10 i deg), 0) x rotorSpan / 2, i = 0..36.
void BuildShadowCircle();

// Frees every array the mesh owns and zeroes the record.
void ReleaseXMesh(XMesh& mesh);

// Tokenizer of the dialect, working on a cursor within [p, end). Only space, CR and LF are whitespace.
struct MeshCursor {
    const char* p;
    const char* end;
};
void SkipSpace(MeshCursor& c);
void SkipWord(MeshCursor& c);
void NextToken(MeshCursor& c);
void SkipNumber(MeshCursor& c);
bool MatchKeyword(const char* keyword, const MeshCursor& c); // case-blind prefix test
bool ReadIntSemicolon(MeshCursor& c, int32_t& out);
bool ReadIntComma(MeshCursor& c, int32_t& out);
bool ReadFloatSemicolon(MeshCursor& c, float& out);
void RaiseMeshError(XMesh& mesh, int32_t code);
