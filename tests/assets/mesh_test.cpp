// Text mesh reader: every error code, the tokenizer's quirks and line endings, batching, scaling, damaged
// meshes and the shipped helicopter meshes.
#include <gtest/gtest.h>

#include <string>

#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "assets/xmesh_internal.h"

namespace {

const std::string H = "xof 0302txt 0064\nHeader {\n 1;\n 0;\n 1;\n}\n";
const std::string Materials2 = " MeshMaterialList {\n  2;\n  2;\n  0,\n  1;;\n"
                               "  Material {\n   1.0;0.0;0.0;1.0;;\n   5.0;\n   0.1;0.2;0.3;;\n"
                               "   0.4;0.5;0.6;;\n   TextureFilename {\n    \"a.bmp\";\n   }\n  }\n"
                               "  Material {\n   0.0;1.0;0.0;0.5;;\n   1.0;\n   0.0;0.0;0.0;;\n"
                               "   0.0;0.0;0.0;;\n  }\n }\n";
const std::string TexCoords4 =
    " MeshTextureCoords {\n  4;\n  0.0;0.0;\n  1.0;0.0;\n  1.0;1.0;\n  0.0;0.25;\n }\n";
// Texture coordinates for n vertices, all at (0, 0), closing the mesh.
std::string TexCoords(int n) {
    std::string text = " MeshTextureCoords {\n  " + std::to_string(n) + ";\n";
    for (int i = 0; i < n; ++i)
        text += "  0.0;0.0;\n";
    return text + " }\n}\n";
}
const std::string Tex3 = TexCoords(3);
// A material list of one entry for each of two faces, without its material.
const std::string OneMaterial = " MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n }\n";
const std::string Triangle = "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;;\n";

// A unit square (two triangles, one material each) spanning z 0..1.
std::string Square(const std::string& materials = Materials2, const std::string& texcoords = TexCoords4) {
    return H + "Mesh {\n 4;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;,\n 0.0;-0.5;1.0;;\n" +
           " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n" + materials + texcoords + "}\n";
}

// Two triangles, one per material: the first with its vertices a, b, c, the second with d, e, f.
std::string TwoTriangles(const char* a, const char* b, const char* c, const char* d, const char* e,
                         const char* f) {
    std::string text = H + "Mesh {\n 6;\n";
    for (const char* v : {a, b, c, d, e})
        text += std::string(" ") + v + ",\n";
    text += std::string(" ") + f +
            ";\n 2;\n 3;0,1,2;,\n 3;3,4,5;;\n MeshMaterialList {\n  2;\n  2;\n  0,\n  1;;\n";
    for (int m = 0; m < 2; ++m)
        text += "  Material {\n   1.0;1.0;1.0;1.0;;\n   1.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n";
    return text + " }\n" + TexCoords(6);
}

struct MeshFixture : ::testing::Test {
    XMesh mesh{};
    void SetUp() override {
        MeshScale = 1.0f;
        XMeshErrorText.clear();
    }
    void TearDown() override { ReleaseXMesh(mesh); }
    // Parses and builds, as LoadXMesh does after reading a file.
    void Load(const std::string& text) {
        ReleaseXMesh(mesh);
        ParseXMeshText(mesh, text.data(), text.size());
        BuildMeshBatches(mesh);
    }
};

TEST_F(MeshFixture, ReadsMeshesInBatchesWithTheTokenizersQuirksAndLineEndings) {
    Load(Square());
    ASSERT_EQ(mesh.errorCode, 0);
    EXPECT_EQ(std::vector<int>({mesh.vertexCount, mesh.faceCount}), std::vector<int>({4, 2}));
    // x mirrored on reading, then everything scaled so that z spans 0.76 m.
    EXPECT_FLOAT_EQ(mesh.positions[3], -0.76f);
    EXPECT_FLOAT_EQ(mesh.positions[8], 0.76f);
    EXPECT_FLOAT_EQ(mesh.texCoords[7], -0.25f); // v stored negated
    const MeshMaterial& m = mesh.materials[0];
    EXPECT_EQ(std::vector<float>(&m.faceColor[0], &m.emissive[3]),
              (std::vector<float>{1, 0, 0, 1, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}));
    EXPECT_FLOAT_EQ(m.power, 5.0f);
    EXPECT_TRUE(m.hasTexture);
    EXPECT_FALSE(mesh.materials[1].hasTexture);
    EXPECT_FLOAT_EQ(mesh.materials[1].faceColor[3], 0.5f);
    ASSERT_EQ(mesh.batchCount, 2);
    // Both batches span x from -0.76 to 0; the first (earlier) wins the tie and moves last.
    EXPECT_EQ(mesh.batches[1].material, 0);
    EXPECT_NEAR(rotorSpan, 0.76f, 1e-6);
    EXPECT_NEAR(MeshLowestY, -0.38f, 1e-6);
    // Without normals in the file each face gets its flat normal (unit length).
    const float* n = mesh.batches[0].normals;
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5);

    // Faces: material 0, 1, 0 -> three batches (equal faces that are not adjacent stay apart).
    const std::string text =
        H +
        "Mesh {\n 5;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;,\n 0.0;0.0;1.0;,\n -3.0;-1.0;0.5;;\n"
        " 3;\n 3;0,1,2;,\n 4;0,1,2,3;,\n 3;0,2,4;;\n MeshMaterialList {\n  2;\n  3;\n  0,\n  0,\n  0;;\n }\n"
        " MeshNormals {\n  2;\n  0.0;1.0;0.0;,\n  1.0;0.0;0.0;;\n  3;\n  3;0,0,0;,\n  4;1,1,1,1;,\n"
        "  3;0,1,0;;\n }\n" +
        TexCoords(5);
    Load(text);
    ASSERT_EQ(mesh.batchCount, 3); // triangle, quad, triangle: the vertex count splits them too
    // The widest batch (the last triangle reaches x = +3 after mirroring) moved to the end.
    EXPECT_EQ(mesh.batches[2].verticesPerFace, 3);
    EXPECT_EQ(mesh.batches[1].verticesPerFace, 4);
    EXPECT_NEAR(rotorSpan, 0.76f * 4, 1e-5); // x from -1 to +3 after mirroring
    EXPECT_NEAR(MeshLowestY, -0.76f, 1e-6);
    // Normals come through the normal faces, mirrored in x.
    EXPECT_FLOAT_EQ(mesh.batches[1].normals[0], -1.0f);
    EXPECT_FLOAT_EQ(mesh.batches[2].normals[3], -1.0f);
    MeshScale = 1.5f;
    Load(text);
    EXPECT_NEAR(rotorSpan, 0.76f * 4 * 1.5f, 1e-5);
    EXPECT_NEAR(MeshLowestY, -0.76f * 1.5f, 1e-5);

    MeshScale = 1.0f;
    // Lowest point 0.5, not 0; the first batch spans x -3..-5 after mirroring, measured from x = 0: width
    // 5, wider than the second (-1.5..1, width 2.5), so it becomes the rotor and moves last.
    Load(TwoTriangles("3.0;0.5;0.0;", "5.0;0.7;0.0;", "4.0;0.9;1.0;", "-1.0;1.0;0.0;", "1.5;2.0;0.0;",
                      "0.0;0.6;1.0;"));
    EXPECT_FLOAT_EQ(MeshLowestY, 0.38f); // 0.5 x 0.76
    EXPECT_FLOAT_EQ(rotorSpan, 3.8f);    // 5 x 0.76
    EXPECT_EQ(mesh.batches[1].material, 0);

    // Keywords are case-blind prefixes; without a header the mesh is never found; a template's name is
    // skipped; an embedded zero byte is an ordinary character.
    const std::string body = Square().substr(H.size());
    std::string zero = Square();
    zero.insert(zero.find("Mesh {"), std::string("\0\n", 2));
    struct Case {
        std::string text;
        int faces;
    };
    for (const Case& c :
         {Case{"xof 0302txt 0064\nheader {\n}\n" + body, 2}, Case{"xof 0302txt 0064\nHeader{\n}\n" + body, 2},
          Case{"xof 0302txt 0064\n" + body, 0}, Case{"template Header {\n <00>\n}\n" + body, 0},
          Case{zero, 2}, Case{"", 0}}) {
        Load(c.text);
        EXPECT_EQ(mesh.faceCount, c.faces) << c.text;
    }
    // A leading 0 reads octal, as the format's integer conversion does.
    int32_t v = 0;
    std::string octal = "010;";
    MeshCursor nc{octal.data(), octal.data() + octal.size()};
    EXPECT_TRUE(ReadIntSemicolon(nc, v));
    EXPECT_EQ(v, 8);

    // CR is whitespace to the tokenizer; were it not, a CR-only text would never be read to its end.
    const std::string t = "a\r\rb";
    MeshCursor c{t.data(), t.data() + t.size()};
    NextToken(c);
    ASSERT_EQ(*c.p, 'b');
    const std::string plain = TwoTriangles("0.0;0.0;0.0;", "1.0;0.0;0.0;", "1.0;-0.2;1.0;", "0.0;0.0;0.0;",
                                           "-0.5;0.0;0.0;", "0.0;0.0;1.0;");
    std::string crOnly = plain, mixed;
    for (char& ch : crOnly)
        if (ch == '\n') ch = '\r';
    const char* ends[3] = {"\r\n", "\r", "\n"};
    int k = 0;
    for (char ch : plain)
        mixed += ch == '\n' ? ends[k++ % 3] : std::string(1, ch);
    for (const std::string& text : {plain, crOnly, mixed}) {
        Load(text);
        EXPECT_EQ(mesh.errorCode, 0);
        EXPECT_EQ(mesh.batchCount, 2);
        EXPECT_FLOAT_EQ(MeshLowestY, -0.152f); // -0.2 x 0.76 m per unit at scale 1
    }
}

TEST_F(MeshFixture, EveryErrorCodeDamagedMeshesAndTheShippedMeshes) {
    EXPECT_STREQ(XMeshErrorMessage(0), "0: No error");
    EXPECT_STREQ(XMeshErrorMessage(14), "14: normal vector count doesnt match vertex coord count");
    EXPECT_STREQ(XMeshErrorMessage(15), "");
    LoadXMesh("/nonexistent/dir/heli.x", mesh, true);
    EXPECT_EQ(mesh.errorCode, 1);
    EXPECT_TRUE(XMeshErrorText.empty()); // no message for a file that cannot be opened
    EXPECT_TRUE(meshFromFile);
    struct Case {
        const char* what;
        std::string text;
        int code;
    };
    const Case cases[] = {
        {"a named mesh", H + "Mesh heli {\n 4;\n", 3},
        {"count not followed by ';'", H + "Mesh {\n 4 ;\n", 4},
        {"vertices without commas", H + "Mesh {\n 2;\n 1.0;2.0;3.0;;\n", 5},
        {"an exponent", H + "Mesh {\n 1;\n 1.0e-2;0.0;0.0;;\n", 6},
        {"last vertex ending ','", H + "Mesh {\n 1;\n 1.0;0.0;0.0;,\n", 7},
        {"face count no integer", H + "Mesh {\n 1;\n 0.0;0.0;0.0;;\n 1;\n x;0,0,0;;\n", 8},
        {"five vertices", H + "Mesh {\n 1;\n 0.0;0.0;0.0;;\n 1;\n 5;0,0,0,0,0;;\n", 9},
        {"material entries", Square(" MeshMaterialList {\n  1;\n  3;\n  0,\n  0,\n  0;;\n }\n"), 10},
        {"material index", Square(" MeshMaterialList {\n  1;\n  2;\n  0,\n  1;;\n }\n"), 11},
        {"texture coordinates", Square(OneMaterial, Tex3), 13},
        {"a tab is no whitespace", H + "Mesh {\n 1;\n\t1.0;0.0;0.0;;\n", 6},
        {"negative count", H + "Mesh {\n -5;\n", 4},
        // Counts far beyond the text: the element's own error where the text runs out (nothing that size is
        // allocated), or the count check of the material list and texture coordinates.
        {"huge vertex count", H + "Mesh {\n 2000000000;\n 0.0;0.0;0.0;,\n", 6},
        {"huge face count", H + Triangle + " 2000000000;\n 3;0,1,2;,\n", 8},
        {"huge material entries",
         H + Triangle + " 1;\n 3;0,1,2;;\n MeshMaterialList {\n  1;\n  2000000000;\n", 10},
        {"huge texture count",
         H + Triangle + " 1;\n 3;0,1,2;;\n MeshMaterialList {\n  1;\n  1;\n  0;;\n }\n" +
             " MeshTextureCoords {\n  2000000000;\n  0.0;0.0;\n }\n}\n",
         13},
    };
    for (const Case& c : cases) {
        XMeshErrorText.clear();
        Load(c.text);
        EXPECT_EQ(mesh.errorCode, c.code) << c.what;
        EXPECT_EQ(XMeshErrorText, c.code ? XMeshErrorMessage(c.code) : "") << c.what;
    }
    // 27 materials for 26: the 26 are kept, reading stops before the texture coordinates.
    std::string list = " MeshMaterialList {\n  26;\n  2;\n  0,\n  25;;\n";
    for (int i = 0; i < 27; ++i)
        list += "  Material {\n   " + std::to_string(i) +
                ".0;0.0;0.0;1.0;;\n   1.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n";
    Load(Square(list + " }\n"));
    EXPECT_EQ(XMeshErrorText, "12: too many material objects");
    ASSERT_EQ(mesh.materialCount, 26);
    EXPECT_FLOAT_EQ(mesh.materials[25].faceColor[0], 25.0f);
    EXPECT_EQ(mesh.texCoords, nullptr);
    EXPECT_EQ(mesh.batchCount, 0);

    Load(Square());
    // Indices outside the vertex array, a negative material index, normal faces past the normals: those
    // faces are dropped. A flat mesh (no z extent) cannot be sized. Nothing drawable keeps the figures.
    for (const std::string& text :
         {H + Triangle +
              " 3;\n 3;0,1,7;,\n 3;0,1,2;,\n 3;-1,1,2;;\n MeshMaterialList {\n  1;\n  3;\n  0,\n  -1,\n  "
              "0;;\n }\n" +
              Tex3,
          H + Triangle + " 2;\n 3;0,1,2;,\n 3;0,1,2;;\n" + OneMaterial +
              " MeshNormals {\n  1;\n  0.0;1.0;0.0;;\n  1;\n  3;0,0,4;;\n }\n" + Tex3,
          H +
              "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;1.0;0.0;;\n 1;\n 3;0,1,2;;\n"
              " MeshMaterialList {\n  1;\n  1;\n  0;;\n }\n" +
              Tex3}) {
        Load(text);
        EXPECT_EQ(mesh.batchCount, 0) << text;
        EXPECT_FLOAT_EQ(rotorSpan, 0.76f);
        EXPECT_FLOAT_EQ(MeshLowestY, -0.38f);
    }
    EXPECT_FLOAT_EQ(mesh.positions[3], -1.0f); // the flat mesh is left unscaled

    LoadXMesh("ignored", mesh, false);
    EXPECT_FALSE(meshFromFile);
    ASSERT_EQ(mesh.errorCode, 0) << XMeshErrorText;
    EXPECT_EQ(std::vector<int>({mesh.vertexCount, mesh.faceCount, mesh.materialCount, mesh.normalCount,
                                mesh.batchCount, mesh.batches[28].faceCount}),
              std::vector<int>({1937, 2026, 26, 1937, 29, 144}));
    EXPECT_GT(mesh.batches[28].positions[1], 0.1f); // the rotor above the skids
    EXPECT_NEAR(rotorSpan, 0.71f, 0.01f);           // a 450's main rotor
    EXPECT_NEAR(MeshLowestY, -0.0735f, 0.003f);
    LoadXMesh(std::string(RV_PROGRAM_DIR) + "/ModelGeometries/bell206.x", mesh, true);
    ASSERT_EQ(mesh.errorCode, 0) << XMeshErrorText;
    EXPECT_GT(mesh.batchCount, 10);
    EXPECT_EQ(mesh.batches[mesh.batchCount - 1].faceCount, 144);
}

} // namespace
