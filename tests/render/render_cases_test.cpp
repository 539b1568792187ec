// Frames that check where things land: the panorama wrapping twice round the field and its direction,
// the door, eave and window bands of the building's atlas, the wind sock at 0 and 20 mph, and the
// airspeed needle. Mesa's software renderer at 800 x 600, pixels read back.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <filesystem>
#include <string>

#include "app/program_paths.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "render/heli_model.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/textures.h"
#include "tests/render/gl_test_context.h"
#include "tests/render/test_scene.h"

namespace {
constexpr int W = 800;
constexpr int H = 600;

// The panorama: four upright stripes, a quarter of the picture each, left to right.
const Rgb Stripes[4] = {{200, 30, 30}, {30, 200, 30}, {40, 60, 220}, {230, 230, 230}};
// The door/window atlas, top to bottom: window 0..0.3125 of the height, eave to 0.367, door below.
const Rgb WindowColour = {40, 40, 220};
const Rgb EaveColour = {220, 220, 40};
const Rgb DoorColour = {220, 40, 220};
const Rgb Yellow = {255, 204, 0};

class GlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateTestGLContext(W, H, error)) << error;
        namespace fs = std::filesystem;
        fs::path dir = fs::temp_directory_path() / ("rv_render_cases_" + std::to_string(getpid()));
        fs::create_directories(dir / "data");
        ProgramDir = dir.string();
        std::string data = (dir / "data").string();
        for (const char* name : {"grass.jpg", "pebbles.jpg", "bricks.jpg"})
            WriteSolidBmp(data + "/" + name, 16, 16, {90, 90, 90});
        WriteBmp(data + "/backdrop.jpg", 1024, 16,
                 [](int, int column, void*) { return Stripes[column / 256]; });
        WriteBmp(data + "/doorwindow.jpg", 16, 256, [](int row, int, void*) {
            return row < 80 ? WindowColour : row < 94 ? EaveColour : DoorColour;
        });
        PrepareTestScene(W, H);
    }
    void TearDown() override { EndTestScene(); }
};
const auto* Env = ::testing::AddGlobalTestEnvironment(new GlEnvironment);

void DrawSnapshot(const RenderSnapshot& s);

// A frame looking at target with the helicopter parked under the ground out of sight.
void Draw(Vec3 target, int32_t windType = 0, Vec3 wind = Vec3{0.0f, 0.0f, 0.0f}, float airspeed = 0.0f) {
    RenderSnapshot s;
    s.heli.position = set(0.0f, -50.0f, -20.0f);
    s.heli.noseAxis = set(0.0f, 1.0f, 0.0f);
    s.heli.upAxis = set(0.0f, 0.0f, 1.0f);
    s.smoothedCameraTarget = target;
    s.windType = windType;
    s.windVelocity = wind;
    s.airspeedMph = airspeed;
    DrawSnapshot(s);
}

void DrawSnapshot(const RenderSnapshot& s) {
    FrameSnapshot = s;
    RenderFrame(W, H);
    if (const char* folder = std::getenv("RV_RENDER_DUMP")) { // RV_RENDER_DUMP=folder keeps each frame
        static int n = 0;
        std::vector<Rgb> frame = ReadFrame(W, H);
        std::FILE* f =
            std::fopen((std::string(folder) + "/case_" + std::to_string(n++) + ".ppm").c_str(), "wb");
        if (!f) return;
        std::fprintf(f, "P6 %d %d 255\n", W, H);
        for (const Rgb& c : frame) {
            const unsigned char p[3] = {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)};
            std::fwrite(p, 1, 3, f);
        }
        std::fclose(f);
    }
}

// The pixel where a world point shows for the camera aimed at target.
Rgb PixelAt(Vec3 target, Vec3 p) {
    double x = 0, y = 0;
    EXPECT_TRUE(ProjectInTestView(W, H, target, p, x, y));
    return ReadPixel(static_cast<int>(x), static_cast<int>(y), H);
}

bool Orange(Rgb c) {
    return c.b < 20 && c.r > 40 && c.r > 2 * c.g;
}

bool YellowNear(int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (Near(ReadPixel(x + dx, y + dy, H), Yellow, 2)) return true;
    return false;
}
} // namespace

// Texture s = bearing / 180 degrees, counted from +x toward +y: the picture goes round twice.
TEST(RenderCases, PanoramaWrapsTwiceCounterClockwise) {
    struct Case {
        float bearingDeg;
        int stripe;
    };
    const Case cases[] = {{22.5f, 0},  {67.5f, 1},  {112.5f, 2}, {157.5f, 3},
                          {202.5f, 0}, {247.5f, 1}, {292.5f, 2}, {337.5f, 3}};
    for (const Case& c : cases) {
        float a = c.bearingDeg * DegToRad;
        // Looking 20 degrees up that way, over the hills and the building, at the cylinder 200 m away.
        const float up = 20.0f * DegToRad;
        Vec3 target = set(100.0f * std::cos(a), 100.0f * std::sin(a), 1.8f + 100.0f * std::tan(up));
        Draw(target);
        Rgb got = PixelAt(target, set(200.0f * std::cos(up) * std::cos(a),
                                      200.0f * std::cos(up) * std::sin(a), 1.8f + 200.0f * std::sin(up)));
        EXPECT_TRUE(Near(got, Stripes[c.stripe], 4)) << c.bearingDeg << " deg: " << Describe(got);
    }
}

// The building's wall 10 m behind the pilot: door t 0..0.633, eave band 0.633..0.6875, windows above.
TEST(RenderCases, DoorEaveAndWindowBands) {
    Vec3 target = set(0.0f, -10.0f, 2.0f);
    Draw(target);
    Rgb door = PixelAt(target, set(0.0f, -9.99f, 1.3f));
    Rgb eave = PixelAt(target, set(0.0f, -10.0f, 4.1f));
    Vec3 right = set(10.0f, -10.0f, 2.0f); // the window at x = 7..13
    Draw(right);
    Rgb window = PixelAt(right, set(10.0f, -9.99f, 2.0f));
    EXPECT_TRUE(Near(door, DoorColour, 4)) << Describe(door);
    EXPECT_TRUE(Near(window, WindowColour, 4)) << Describe(window);
    EXPECT_TRUE(Near(eave, EaveColour, 4)) << Describe(eave);
}

// The sock's mouth is 3 m up at (0, 24): at 0 mph the tail hangs straight down (seen edge on from the
// pilot), at 20 mph the sock stands out level 1.2 m downwind.
TEST(RenderCases, WindSockAtZeroAndTwentyMph) {
    Vec3 target = set(0.0f, 24.0f, 2.6f);
    const Vec3 below = set(0.1f, 24.0f, 2.2f), right = set(0.9f, 24.0f, 3.0f), left = set(-0.9f, 24.0f, 3.0f);
    Draw(target, 1, set(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(Orange(PixelAt(target, right)));
    EXPECT_FALSE(Orange(PixelAt(target, left)));
    Draw(target, 2, set(20.0f, 0.0f, 0.0f)); // the air moving to the pilot's right
    EXPECT_TRUE(Orange(PixelAt(target, right))) << Describe(PixelAt(target, right));
    EXPECT_FALSE(Orange(PixelAt(target, set(1.5f, 24.0f, 3.0f)))); // 1.2 m long, no more
    EXPECT_FALSE(Orange(PixelAt(target, below)));
    EXPECT_FALSE(Orange(PixelAt(target, left)));
    Draw(target, 3, set(-20.0f, 0.0f, 0.0f));
    EXPECT_TRUE(Orange(PixelAt(target, left))) << Describe(PixelAt(target, left));
    EXPECT_FALSE(Orange(PixelAt(target, right)));
}

// Airspeed dial centred at (W - 29, H - 25): 0 mph at -150 degrees, 10 at -90, 25 straight up, 40 at +90,
// angles clockwise from straight up; the needle is checked 15 px out from the centre.
TEST(RenderCases, AirspeedNeedle) {
    struct Case {
        float mph;
        float dx, dy; // 15 px along the needle
    };
    const Case cases[] = {
        {0.0f, -7.5f, 13.0f}, {25.0f, 0.0f, -15.0f}, {40.0f, 15.0f, 0.0f}, {10.0f, -15.0f, 0.0f}};
    const int cx = W - 29, cy = H - 25;
    for (const Case& c : cases) {
        Draw(set(0.0f, 6.0f, 0.0f), 0, set(0.0f, 0.0f, 0.0f), c.mph);
        EXPECT_TRUE(YellowNear(cx + int(std::lround(c.dx)), cy + int(std::lround(c.dy)))) << c.mph << " mph";
        EXPECT_FALSE(YellowNear(cx - int(std::lround(c.dx)), cy - int(std::lround(c.dy)))) << c.mph << " mph";
    }
}

// A closed box as the stock helicopter (faces culled, wound as the stock mesh is) looks the same as with
// culling off (a geometry from a file): the near faces show, never the inside of the far ones.
TEST(RenderCases, ClosedBoxCulledShowsItsNearFaces) {
    // Six faces of one colour each, every triangle counter-clockwise seen from outside, and a wide thin
    // triangle above as the rotor batch.
    const float k = 0.3f;
    std::string verts, faces, mats;
    int n = 0, faceCount = 0;
    auto vertex = [&](float x, float y, float z) {
        verts += std::to_string(x) + ";" + std::to_string(y) + ";" + std::to_string(z) + ";,\n";
        return n++;
    };
    auto triangle = [&](int a, int b, int c) {
        faces += "3;" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + ";,\n";
        ++faceCount;
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {-1.0f, 1.0f}) {
            int u = (axis + 1) % 3, v = (axis + 2) % 3, q[4];
            const float corner[4][2] = {{-k, -k}, {k, -k}, {k, k}, {-k, k}};
            for (int i = 0; i < 4; ++i) {
                float p[3];
                p[axis] = sign * k, p[u] = corner[i][0], p[v] = corner[i][1];
                q[i] = vertex(p[0], p[1], p[2]);
            }
            // (u, v, axis) is right-handed, so this order faces +axis; the other faces -axis.
            if (sign > 0)
                triangle(q[0], q[1], q[2]), triangle(q[0], q[2], q[3]);
            else
                triangle(q[0], q[2], q[1]), triangle(q[0], q[3], q[2]);
        }
    }
    int r0 = vertex(-2.0f, 0.8f, 0.0f), r1 = vertex(2.0f, 0.8f, 0.0f), r2 = vertex(0.0f, 0.8f, 0.1f);
    triangle(r0, r1, r2);
    verts.replace(verts.size() - 2, 2, ";\n");
    faces.replace(faces.size() - 2, 2, ";\n");
    std::string list;
    for (int f = 0; f < faceCount; ++f)
        list += std::to_string(f / 2) + (f + 1 < faceCount ? ",\n" : ";;\n");
    const char* colours[7] = {"1.0;0.0;0.0", "0.0;1.0;0.0", "0.0;0.0;1.0", "1.0;1.0;0.0",
                              "0.0;1.0;1.0", "1.0;0.0;1.0", "0.5;0.5;0.5"};
    for (const char* c : colours)
        mats += std::string("Material {\n") + c + ";1.0;;\n1.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n}\n";
    std::string text = "xof 0302txt 0064\nHeader {\n 1;\n 0;\n 1;\n}\nMesh {\n" + std::to_string(n) + ";\n" +
                       verts + std::to_string(faceCount) + ";\n" + faces + "MeshMaterialList {\n7;\n" +
                       std::to_string(faceCount) + ";\n" + list + mats + "}\nMeshTextureCoords {\n" +
                       std::to_string(n) + ";\n";
    for (int i = 0; i < n; ++i)
        text += "0.0;0.0;\n";
    text += "}\n}\n";
    ReleaseXMesh(HeliMesh);
    ParseXMeshText(HeliMesh, text.data(), text.size());
    ASSERT_EQ(HeliMesh.errorCode, 0) << text;
    BuildMeshBatches(HeliMesh);

    // Seen from behind and from the side, a little from above.
    for (Vec3 nose : {set(0.0f, 1.0f, 0.0f), set(1.0f, 0.0f, 0.0f), set(0.6f, -0.8f, 0.0f)}) {
        RenderSnapshot s;
        s.heli.position = set(0.3f, 5.0f, 1.2f);
        s.heli.noseAxis = nose;
        s.heli.upAxis = set(0.0f, 0.0f, 1.0f);
        s.smoothedCameraTarget = s.heli.position;
        Rgb seen[2];
        for (bool fromFile : {true, false}) {
            meshFromFile = fromFile;
            DrawSnapshot(s);
            seen[fromFile ? 0 : 1] = ReadPixel(W / 2, H / 2, H);
        }
        EXPECT_TRUE(Near(seen[1], seen[0], 6))
            << Describe(seen[1]) << " culled, " << Describe(seen[0]) << " not";
    }
    meshFromFile = false;
    ReleaseXMesh(HeliMesh);
    LoadXMesh(std::string(), HeliMesh, false);
}
