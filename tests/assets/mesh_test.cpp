// Text mesh reader: every error code, the tokenizer's quirks, batching, scaling, damaged meshes and the
// shipped helicopter meshes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/user_prefs.h"
#include "assets/xmesh.h"

namespace {

// A small but complete mesh: a unit square (two triangles, one material each) spanning z 0..1.
std::string Header() {
    return "xof 0302txt 0064\nHeader {\n 1;\n 0;\n 1;\n}\n";
}

std::string
Square(const std::string& materials = " MeshMaterialList {\n  2;\n  2;\n  0,\n  1;;\n"
                                      "  Material {\n   1.0;0.0;0.0;1.0;;\n   5.0;\n   0.1;0.2;0.3;;\n"
                                      "   0.4;0.5;0.6;;\n   TextureFilename {\n    \"a.bmp\";\n   }\n  }\n"
                                      "  Material {\n   0.0;1.0;0.0;0.5;;\n   1.0;\n   0.0;0.0;0.0;;\n"
                                      "   0.0;0.0;0.0;;\n  }\n }\n",
       const std::string& texcoords = " MeshTextureCoords {\n  4;\n  0.0;0.0;\n  1.0;0.0;\n  1.0;1.0;\n"
                                      "  0.0;0.25;\n }\n") {
    return Header() +
           "Mesh {\n 4;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;,\n 0.0;-0.5;1.0;;\n"
           " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n" +
           materials + texcoords + "}\n";
}

struct MeshFixture : ::testing::Test {
    XMesh mesh{};
    void SetUp() override {
        heliScale = 1.0f;
        XMeshErrorText.clear();
    }
    void TearDown() override { ReleaseXMesh(mesh); }
    // Parses and builds, as LoadXMesh does after reading a file.
    void Load(const std::string& text) {
        ReleaseXMesh(mesh);
        ParseXMeshText(mesh, text.data(), text.size());
        BuildMeshBatches(mesh);
    }
    void ExpectError(const std::string& text, int code) {
        Load(text);
        EXPECT_EQ(mesh.errorCode, code) << text;
        if (code != 0) {
            EXPECT_EQ(XMeshErrorText, XMeshErrorMessage(code)) << text;
        }
    }
};

TEST_F(MeshFixture, ReadsCompleteMeshMirroredAndScaled) {
    Load(Square());
    ASSERT_EQ(mesh.errorCode, 0);
    EXPECT_EQ(mesh.vertexCount, 4);
    EXPECT_EQ(mesh.faceCount, 2);
    EXPECT_EQ(mesh.materialCount, 2);
    EXPECT_EQ(mesh.normals, nullptr);
    // x mirrored on reading, then everything scaled so that z spans 0.76 m.
    EXPECT_FLOAT_EQ(mesh.positions[3], -0.76f);
    EXPECT_FLOAT_EQ(mesh.positions[8], 0.76f);
    EXPECT_FLOAT_EQ(mesh.texCoords[7], -0.25f); // v stored negated
    const MeshMaterial& m = mesh.materials[0];
    EXPECT_FLOAT_EQ(m.faceColor[0], 1.0f);
    EXPECT_FLOAT_EQ(m.power, 5.0f);
    EXPECT_FLOAT_EQ(m.specular[2], 0.3f);
    EXPECT_FLOAT_EQ(m.emissive[0], 0.4f);
    EXPECT_TRUE(m.hasTexture);
    EXPECT_FALSE(mesh.materials[1].hasTexture);
    EXPECT_FLOAT_EQ(mesh.materials[1].faceColor[3], 0.5f);
    ASSERT_EQ(mesh.batchCount, 2);
    // Both batches span x from -0.76 to 0; the first (earlier) wins the tie and moves last.
    EXPECT_EQ(mesh.batches[1].material, 0);
    EXPECT_EQ(mesh.batches[0].material, 1);
    EXPECT_NEAR(rotorSpan, 0.76f, 1e-6);
    EXPECT_NEAR(MeshLowestPoint, -0.38f, 1e-6);
    // Without normals in the file each face gets its flat normal (unit length).
    const float* n = mesh.batches[0].normals;
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5);
    BuildShadowCircle();
    EXPECT_NEAR(shadowCircle[0][0], 0.38f, 1e-6);
    EXPECT_NEAR(shadowCircle[9][1], 0.38f, 1e-6);
    EXPECT_NEAR(shadowCircle[36][0], shadowCircle[0][0], 1e-6);
    EXPECT_NEAR(shadowCircle[36][1], shadowCircle[0][1], 1e-6);
}

TEST_F(MeshFixture, EveryErrorCodeAndMessage) {
    EXPECT_STREQ(XMeshErrorMessage(0), "0: No error");
    EXPECT_STREQ(XMeshErrorMessage(14), "14: normal vector count doesnt match vertex coord count");
    EXPECT_STREQ(XMeshErrorMessage(15), "");
    // 1: the file cannot be opened; no message is stored.
    LoadXMesh("/nonexistent/dir/heli.x", mesh, true);
    EXPECT_EQ(mesh.errorCode, 1);
    EXPECT_TRUE(XMeshErrorText.empty());
    EXPECT_TRUE(meshFromFile);
    // 3: a named mesh object.
    ExpectError(Header() + "Mesh heli {\n 4;\n", 3);
    // 4: vertex count that is not an integer directly followed by ';'.
    ExpectError(Header() + "Mesh {\n 4 ;\n", 4);
    // 5: vertices must be separated by commas.
    ExpectError(Header() + "Mesh {\n 2;\n 1.0;2.0;3.0;;\n", 5);
    // 6: an exponent stops the float read.
    ExpectError(Header() + "Mesh {\n 1;\n 1.0e-2;0.0;0.0;;\n", 6);
    // 7: the last vertex ends with ';'.
    ExpectError(Header() + "Mesh {\n 1;\n 1.0;0.0;0.0;,\n", 7);
    // 8: a face vertex count that is no integer.
    ExpectError(Header() + "Mesh {\n 1;\n 0.0;0.0;0.0;;\n 1;\n x;0,0,0;;\n", 8);
    // 9: five vertices.
    ExpectError(Header() + "Mesh {\n 1;\n 0.0;0.0;0.0;;\n 1;\n 5;0,0,0,0,0;;\n", 9);
    // 4 again: a face index missing its comma.
    ExpectError(Header() + "Mesh {\n 1;\n 0.0;0.0;0.0;;\n 1;\n 3;0;0,0;;\n", 4);
    // 10: material entries must match the faces.
    ExpectError(Square(" MeshMaterialList {\n  1;\n  3;\n  0,\n  0,\n  0;;\n }\n"), 10);
    // 11: an index past the list.
    ExpectError(Square(" MeshMaterialList {\n  1;\n  2;\n  0,\n  1;;\n }\n"), 11);
    // 13: texture coordinates for every vertex.
    ExpectError(Square(), 0);
    ExpectError(
        Square(" MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n  Material {\n   1.0;1.0;1.0;1.0;;\n   1.0;\n"
               "   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n }\n",
               " MeshTextureCoords {\n  3;\n  0.0;0.0;\n }\n"),
        13);
    // 3 inside the material list and inside a material.
    ExpectError(Square(" MeshMaterialList 1;\n"), 3);
    ExpectError(Square(" MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n  Material red {\n"), 3);
    // 7 inside a material: the face colour ends with ";;".
    ExpectError(
        Square(" MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n  Material {\n   1.0;1.0;1.0;1.0;\n   1.0;\n"),
        7);
}

TEST_F(MeshFixture, TwentySevenMaterialsForTwentySix) {
    std::string list = " MeshMaterialList {\n  26;\n  2;\n  0,\n  25;;\n";
    for (int i = 0; i < 27; ++i)
        list += "  Material {\n   " + std::to_string(i) +
                ".0;0.0;0.0;1.0;;\n   1.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n";
    Load(Square(list + " }\n"));
    EXPECT_EQ(mesh.errorCode, 12);
    EXPECT_EQ(XMeshErrorText, "12: too many material objects");
    ASSERT_EQ(mesh.materialCount, 26);
    EXPECT_FLOAT_EQ(mesh.materials[25].faceColor[0], 25.0f);
    EXPECT_EQ(mesh.texCoords, nullptr); // reading stopped before them
    EXPECT_EQ(mesh.batchCount, 0);      // and so nothing can be drawn
}

TEST_F(MeshFixture, TokenizerQuirks) {
    // Comma-separated texture pairs: the first pair is read, the second fails.
    Load(Square(" MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n }\n",
                " MeshTextureCoords {\n  4;\n  0.5;0.25;,\n  1.0;0.0;,\n  1.0;1.0;,\n  0.0;1.0;;\n }\n"));
    EXPECT_EQ(mesh.errorCode, 6);
    ASSERT_NE(mesh.texCoords, nullptr);
    EXPECT_FLOAT_EQ(mesh.texCoords[0], 0.5f);
    EXPECT_FLOAT_EQ(mesh.texCoords[1], -0.25f);

    // "header" in lower case and "Header{" both start the header; keywords are prefixes.
    std::string body = Square().substr(Header().size());
    Load("xof 0302txt 0064\nheader {\n}\n" + body);
    EXPECT_EQ(mesh.errorCode, 0);
    EXPECT_EQ(mesh.faceCount, 2);
    Load("xof 0302txt 0064\nHeader{\n}\n" + body);
    EXPECT_EQ(mesh.faceCount, 2);
    // Without a header the mesh is never found; a template's name is skipped.
    Load("xof 0302txt 0064\n" + body);
    EXPECT_EQ(mesh.faceCount, 0);
    EXPECT_EQ(mesh.errorCode, 0);
    Load("template Header {\n <00>\n}\n" + body);
    EXPECT_EQ(mesh.faceCount, 0);

    // A tab is no whitespace; a plus sign fails; a leading 0 reads octal.
    ExpectError(Header() + "Mesh {\n 1;\n\t1.0;0.0;0.0;;\n", 6);
    ExpectError(Header() + "Mesh {\n 1;\n +1.0;0.0;0.0;;\n", 6);
    ExpectError(Header() + "Mesh {\n 0x2;\n", 4);

    // Tokenizer helpers directly.
    std::string t = "abc def\r\nx";
    MeshCursor c{t.data(), t.data() + t.size()};
    SkipWord(c);
    EXPECT_EQ(*c.p, ' ');
    SkipWord(c); // on a space: stays
    EXPECT_EQ(*c.p, ' ');
    NextToken(c);
    EXPECT_EQ(*c.p, 'd');
    NextToken(c);
    EXPECT_EQ(*c.p, 'x');
    std::string n = "-12;5";
    MeshCursor nc{n.data(), n.data() + n.size()};
    int32_t v = 0;
    EXPECT_TRUE(ReadIntSemicolon(nc, v));
    EXPECT_EQ(v, -12);
    EXPECT_EQ(*nc.p, '5');
    std::string octal = "010;";
    MeshCursor oc{octal.data(), octal.data() + octal.size()};
    EXPECT_TRUE(ReadIntSemicolon(oc, v));
    EXPECT_EQ(v, 8);
    // A number at the very end of the text, without its separator, fails without reading further.
    std::string end = "7";
    MeshCursor ec{end.data(), end.data() + end.size()};
    EXPECT_FALSE(ReadIntComma(ec, v));
    std::string kw = "MeshNormals";
    MeshCursor kc{kw.data(), kw.data() + kw.size()};
    EXPECT_TRUE(MatchKeyword("mesh", kc));
    EXPECT_TRUE(MatchKeyword("MESHNORMALS", kc));
    MeshCursor shortCursor{kw.data(), kw.data() + 3};
    EXPECT_FALSE(MatchKeyword("Mesh", shortCursor)); // never looks past the end of the text
}

TEST_F(MeshFixture, BatchesFollowFileOrderAndScale) {
    // Faces: material 0, 1, 0 -> three batches (equal faces that are not adjacent stay apart).
    std::string text =
        Header() +
        "Mesh {\n 5;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;,\n 0.0;0.0;1.0;,\n -3.0;-1.0;0.5;;\n"
        " 3;\n 3;0,1,2;,\n 4;0,1,2,3;,\n 3;0,2,4;;\n"
        " MeshMaterialList {\n  2;\n  3;\n  0,\n  0,\n  0;;\n }\n"
        " MeshNormals {\n  2;\n  0.0;1.0;0.0;,\n  1.0;0.0;0.0;;\n  3;\n  3;0,0,0;,\n  4;1,1,1,1;,\n"
        "  3;0,1,0;;\n }\n"
        " MeshTextureCoords {\n  5;\n  0.0;0.0;\n  0.0;0.0;\n  0.0;0.0;\n  0.0;0.0;\n  0.0;0.0;\n }\n}\n";
    Load(text);
    ASSERT_EQ(mesh.errorCode, 0);
    ASSERT_EQ(mesh.batchCount, 3); // triangle, quad, triangle: the vertex count splits them too
    // The widest batch (the last triangle reaches x = +3 after mirroring) moved to the end.
    EXPECT_EQ(mesh.batches[2].verticesPerFace, 3);
    EXPECT_EQ(mesh.batches[1].verticesPerFace, 4);
    EXPECT_NEAR(rotorSpan, 0.76f * 4, 1e-5); // x from -1 to +3 after mirroring
    EXPECT_NEAR(MeshLowestPoint, -0.76f, 1e-6);
    // Normals come through the normal faces, mirrored in x.
    EXPECT_FLOAT_EQ(mesh.batches[1].normals[0], -1.0f);
    EXPECT_FLOAT_EQ(mesh.batches[2].normals[4], 0.0f);
    EXPECT_FLOAT_EQ(mesh.batches[2].normals[3], -1.0f);

    const float span = rotorSpan, lowest = MeshLowestPoint;
    heliScale = 1.5f;
    Load(text);
    EXPECT_NEAR(rotorSpan, span * 1.5f, 1e-5);
    EXPECT_NEAR(MeshLowestPoint, lowest * 1.5f, 1e-5);
}

TEST_F(MeshFixture, DamagedMeshesNeverReachOutside) {
    Load(Square());
    const float span = rotorSpan, lowest = MeshLowestPoint;
    // Indices outside the vertex array and a material index that is negative: those faces are dropped.
    std::string bad = Header() + "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;;\n"
                                 " 3;\n 3;0,1,7;,\n 3;0,1,2;,\n 3;-1,1,2;;\n"
                                 " MeshMaterialList {\n  1;\n  3;\n  0,\n  -1,\n  0;;\n }\n"
                                 " MeshTextureCoords {\n  3;\n  0.0;0.0;\n  0.0;0.0;\n  0.0;0.0;\n }\n}\n";
    Load(bad);
    EXPECT_EQ(mesh.errorCode, 0);
    EXPECT_EQ(mesh.batchCount, 0);
    EXPECT_FLOAT_EQ(rotorSpan, span); // nothing drawable: the previous figures stay
    EXPECT_FLOAT_EQ(MeshLowestPoint, lowest);
    // Normal faces that point past the normals, or are missing, drop their faces.
    Load(Header() +
         "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;;\n 2;\n 3;0,1,2;,\n 3;0,1,2;;\n"
         " MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n }\n"
         " MeshNormals {\n  1;\n  0.0;1.0;0.0;;\n  1;\n  3;0,0,4;;\n }\n"
         " MeshTextureCoords {\n  3;\n  0.0;0.0;\n  0.0;0.0;\n  0.0;0.0;\n }\n}\n");
    EXPECT_EQ(mesh.batchCount, 0);
    // A flat mesh (no z extent) cannot be sized.
    Load(Header() + "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;1.0;0.0;;\n 1;\n 3;0,1,2;;\n"
                    " MeshMaterialList {\n  1;\n  1;\n  0;;\n }\n"
                    " MeshTextureCoords {\n  3;\n  0.0;0.0;\n  0.0;0.0;\n  0.0;0.0;\n }\n}\n");
    EXPECT_EQ(mesh.batchCount, 0);
    EXPECT_FLOAT_EQ(mesh.positions[3], -1.0f); // left unscaled
    // Counts far beyond the text: the element's own error where the text runs out (nothing that size is
    // allocated), the count check of the material list and texture coordinates; a negative count is no count.
    const std::string square =
        "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;;\n 1;\n 3;0,1,2;;\n";
    ExpectError(Header() + "Mesh {\n 2000000000;\n 0.0;0.0;0.0;,\n", 6);
    ExpectError(Header() +
                    "Mesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;0.0;1.0;;\n 2000000000;\n 3;0,1,2;,\n",
                8);
    ExpectError(Header() + square + " MeshMaterialList {\n  1;\n  2000000000;\n  0;;\n }\n", 10);
    ExpectError(Header() + square +
                    " MeshMaterialList {\n  1;\n  1;\n  0;;\n }\n"
                    " MeshTextureCoords {\n  2000000000;\n  0.0;0.0;\n }\n}\n",
                13);
    ExpectError(Header() + "Mesh {\n -5;\n", 4);
    // Truncated anywhere: never a crash, and an empty text is just an empty mesh.
    const std::string full = Square();
    for (size_t cut = 0; cut < full.size(); cut += 7)
        Load(full.substr(0, cut));
    Load("");
    EXPECT_EQ(mesh.faceCount, 0);
    // An embedded zero byte is an ordinary character.
    std::string zero = Square();
    zero.insert(zero.find("Mesh {"), std::string("\0\n", 2));
    Load(zero);
    EXPECT_EQ(mesh.faceCount, 2);
}

TEST_F(MeshFixture, StockMeshFromTheResource) {
    LoadXMesh("ignored", mesh, false);
    EXPECT_FALSE(meshFromFile);
    ASSERT_EQ(mesh.errorCode, 0) << XMeshErrorText;
    EXPECT_EQ(mesh.vertexCount, 1937);
    EXPECT_EQ(mesh.faceCount, 2026);
    EXPECT_EQ(mesh.materialCount, 26);
    EXPECT_EQ(mesh.normalCount, mesh.vertexCount);
    EXPECT_EQ(mesh.normalFaceCount, mesh.faceCount);
    int textured = 0;
    for (int i = 0; i < mesh.materialCount; ++i)
        textured += mesh.materials[i].hasTexture;
    EXPECT_EQ(textured, 5);
    EXPECT_EQ(mesh.batchCount, 29);
    const MeshBatch& rotor = mesh.batches[mesh.batchCount - 1];
    EXPECT_EQ(rotor.faceCount, 144);
    EXPECT_EQ(rotor.verticesPerFace, 3);
    EXPECT_NEAR(rotorSpan, 0.71f, 0.01f); // a 450's main rotor
    EXPECT_NEAR(MeshLowestPoint, -0.0735f, 0.003f);
    // Everything sits within the scaled length, upright: the rotor above the skids.
    EXPECT_GT(rotor.positions[1], 0.1f);
    int faces = 0;
    for (int i = 0; i < mesh.batchCount; ++i)
        faces += mesh.batches[i].faceCount;
    EXPECT_EQ(faces, mesh.faceCount);
}

TEST_F(MeshFixture, ShippedBellGeometryReads) {
    LoadXMesh(std::string(RV_PROGRAM_DIR) + "/ModelGeometries/bell206.x", mesh, true);
    ASSERT_EQ(mesh.errorCode, 0) << XMeshErrorText;
    EXPECT_GT(mesh.batchCount, 10);
    EXPECT_EQ(mesh.batches[mesh.batchCount - 1].faceCount, 144);
    EXPECT_GT(rotorSpan, 0.6f);
}

} // namespace
