// Mesh cases beside the reader tests: CR-only and mixed line endings, a mesh lying wholly above y = 0,
// and a rotor batch away from the x = 0 line.
#include <gtest/gtest.h>

#include <string>

#include "app/user_prefs.h"
#include "assets/xmesh.h"

namespace {
// Two triangles, one per material: the first with its vertices a, b, c, the second with d, e, f
// (x, y, z each), written with '\n' line ends.
std::string TwoTriangles(const char* a, const char* b, const char* c, const char* d, const char* e,
                         const char* f) {
    std::string text = "xof 0302txt 0064\nHeader {\n 1;\n 0;\n 1;\n}\nMesh {\n 6;\n";
    for (const char* v : {a, b, c, d, e})
        text += std::string(" ") + v + ",\n";
    text += std::string(" ") + f + ";\n 2;\n 3;0,1,2;,\n 3;3,4,5;;\n";
    text += " MeshMaterialList {\n  2;\n  2;\n  0,\n  1;;\n";
    for (int m = 0; m < 2; ++m)
        text += "  Material {\n   1.0;1.0;1.0;1.0;;\n   1.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n";
    text += " }\n MeshTextureCoords {\n  6;\n";
    for (int v = 0; v < 6; ++v)
        text += "  0.0;0.0;\n";
    return text + " }\n}\n";
}

struct Loaded {
    XMesh mesh{};
    explicit Loaded(const std::string& text) {
        heliScale = 1.0f;
        ParseXMeshText(mesh, text.data(), text.size());
        BuildMeshBatches(mesh);
    }
    ~Loaded() { ReleaseXMesh(mesh); }
};

const std::string Plain = TwoTriangles("0.0;0.0;0.0;", "1.0;0.0;0.0;", "1.0;-0.2;1.0;", "0.0;0.0;0.0;",
                                       "-0.5;0.0;0.0;", "0.0;0.0;1.0;");
} // namespace

TEST(MeshCases, LineEndings) {
    std::string crOnly = Plain, mixed;
    for (char& ch : crOnly)
        if (ch == '\n') ch = '\r';
    int n = 0;
    for (char ch : Plain) {
        if (ch != '\n') {
            mixed += ch;
            continue;
        }
        const char* ends[3] = {"\r\n", "\r", "\n"};
        mixed += ends[n++ % 3];
    }
    for (const std::string& text : {Plain, crOnly, mixed}) {
        Loaded l(text);
        EXPECT_EQ(l.mesh.errorCode, 0);
        EXPECT_EQ(l.mesh.vertexCount, 6);
        EXPECT_EQ(l.mesh.faceCount, 2);
        EXPECT_EQ(l.mesh.materialCount, 2);
        EXPECT_EQ(l.mesh.batchCount, 2);
        EXPECT_FLOAT_EQ(MeshLowestPoint, -0.152f); // -0.2 x 0.76 m per unit at scale 1
    }
}

// Lowest point 0.5, not 0; the first batch spans x -3..-5 after mirroring, measured from x = 0: width 5,
// wider than the second (-1.5..1, width 2.5), so it becomes the rotor and moves last.
TEST(MeshCases, AboveTheGroundAndARotorOffCentre) {
    Loaded l(TwoTriangles("3.0;0.5;0.0;", "5.0;0.7;0.0;", "4.0;0.9;1.0;", "-1.0;1.0;0.0;", "1.5;2.0;0.0;",
                          "0.0;0.6;1.0;"));
    ASSERT_EQ(l.mesh.errorCode, 0);
    EXPECT_FLOAT_EQ(MeshLowestPoint, 0.38f); // 0.5 x 0.76
    EXPECT_FLOAT_EQ(rotorSpan, 3.8f);        // 5 x 0.76
    ASSERT_EQ(l.mesh.batchCount, 2);
    EXPECT_EQ(l.mesh.batches[1].material, 0);
    EXPECT_EQ(l.mesh.batches[0].material, 1);
}
