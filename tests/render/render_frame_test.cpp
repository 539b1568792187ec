// Frames drawn with Mesa's software renderer at 800 x 600 and read back pixel by pixel.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "platform/resources.h"
#include "render/heli_model.h"
#include "render/helicopter.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/textures.h"
#include "tests/render/gl_test_context.h"
#include "tests/render/test_scene.h"

namespace {
constexpr int W = 800;
constexpr int H = 600;

const Rgb GrassColour = {30, 150, 30};
const Rgb PebblesColour = {120, 100, 80};
const Rgb BricksColour = {150, 60, 40};
const Rgb DoorWindowColour = {200, 200, 50};
const Rgb BackdropTop = {220, 40, 40};
const Rgb BackdropBottom = {40, 60, 200};
const Rgb SkyOverhead = {48, 93, 209};
const Rgb SkyRim = {79, 128, 209};
const Rgb Green = {0, 204, 0};
const Rgb Yellow = {255, 204, 0};
const Rgb LampRed = {204, 0, 0};
const Rgb Black = {0, 0, 0};
const Rgb TrailColour = {178, 178, 0};

std::string DataDir;

class GlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateTestGLContext(W, H, error)) << error;
        namespace fs = std::filesystem;
        fs::path dir = fs::temp_directory_path() / ("rv_render_test_" + std::to_string(getpid()));
        fs::create_directories(dir / "data");
        ProgramDir = dir.string();
        DataDir = (dir / "data").string();
        // The loader tells pictures by their content, so BMP files under the .jpg names serve.
        WriteSolidBmp(DataDir + "/grass.jpg", 16, 16, GrassColour);
        WriteSolidBmp(DataDir + "/pebbles.jpg", 16, 16, PebblesColour);
        WriteSolidBmp(DataDir + "/bricks.jpg", 16, 16, BricksColour);
        WriteSolidBmp(DataDir + "/doorwindow.jpg", 16, 16, DoorWindowColour);
        // 4096 wide: Low halves it twice; the top half red, the bottom half blue.
        WriteBmp(DataDir + "/backdrop.jpg", 4096, 64,
                 [](int row, int, void*) { return row < 32 ? BackdropTop : BackdropBottom; });
        PrepareTestScene(W, H);
    }
    void TearDown() override { EndTestScene(); }
};
const auto* Env = ::testing::AddGlobalTestEnvironment(new GlEnvironment);

// A scene whose camera looks at lookAt, with the helicopter parked out of sight under the ground
// behind the pilot (its shadow too).
RenderSnapshot Scene(Vec3 lookAt) {
    RenderSnapshot s;
    s.heli.position = set(0.0f, -50.0f, -20.0f);
    s.heli.noseAxis = set(0.0f, 1.0f, 0.0f);
    s.heli.upAxis = set(0.0f, 0.0f, 1.0f);
    s.smoothedCameraTarget = lookAt;
    return s;
}

// RV_RENDER_DUMP=folder keeps every frame as a PPM picture named after the test, for looking at.
void DumpFrame() {
    const char* folder = std::getenv("RV_RENDER_DUMP");
    if (!folder) return;
    static int n = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string(folder) + "/" + info->name() + "_" + std::to_string(n++) + ".ppm";
    std::vector<Rgb> frame = ReadFrame(W, H);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6 %d %d 255\n", W, H);
    for (const Rgb& c : frame) {
        const unsigned char p[3] = {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                    static_cast<unsigned char>(c.b)};
        std::fwrite(p, 1, 3, f);
    }
    std::fclose(f);
}

void Draw(const RenderSnapshot& s) {
    FrameSnapshot = s;
    RenderFrame(W, H);
    DumpFrame();
}

bool Project(Vec3 target, Vec3 p, double& x, double& yTop) {
    return ProjectInTestView(W, H, target, p, x, yTop);
}

Rgb PixelAt(Vec3 target, Vec3 p) {
    double x = 0, y = 0;
    EXPECT_TRUE(Project(target, p, x, y));
    return ReadPixel(static_cast<int>(x), static_cast<int>(y), H);
}

// True when some pixel within radius r of (x, y) has the colour.
bool FindColourNear(int x, int y, int r, Rgb colour, int tolerance) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (Near(ReadPixel(x + dx, y + dy, H), colour, tolerance)) return true;
    return false;
}

Rgb Mix(Rgb top, Rgb under, float alpha) {
    auto m = [alpha](int a, int b) { return static_cast<int>(std::lround(alpha * a + (1.0f - alpha) * b)); };
    return {m(top.r, under.r), m(top.g, under.g), m(top.b, under.b)};
}
} // namespace

TEST(RenderFrame, SkyShadesFromOverheadToRim) {
    // Looking almost straight up: the zenith is inside the picture, the deep blue of the disc's centre.
    Draw(Scene(set(0.0f, 1.0f, 60.0f)));
    Rgb overhead = ReadPixel(W / 2, 40, H);
    EXPECT_TRUE(Near(overhead, SkyOverhead, 8)) << Describe(overhead);

    // Looking 40 degrees up: the top rows show the sky near its rim, paler, above the panorama.
    Draw(Scene(set(0.0f, 100.0f, 1.8f + 100.0f * std::tan(40.0f * DegToRad))));
    Rgb nearRim = ReadPixel(W / 2, 2, H);
    EXPECT_EQ(nearRim.b, SkyRim.b) << Describe(nearRim);
    EXPECT_GT(nearRim.r, overhead.r + 15) << Describe(nearRim);
    EXPECT_LE(nearRim.r, SkyRim.r + 2) << Describe(nearRim);
}

TEST(RenderFrame, PanoramaBandAboveGroundAndGravel) {
    Vec3 target = set(0.0f, 100.0f, 1.8f); // level view across the field
    Draw(Scene(target));
    // Six degrees up: the lowest part of the panorama, the bottom half of the picture (rows bottom first).
    Rgb band =
        PixelAt(target, set(0.0f, 200.0f * std::cos(6 * DegToRad), 1.8f + 200.0f * std::sin(6 * DegToRad)));
    EXPECT_TRUE(Near(band, BackdropBottom, 3)) << Describe(band);
    // Grass beyond the gravel square, gravel inside it.
    Rgb grass = PixelAt(target, set(3.0f, 45.0f, 0.0f));
    EXPECT_TRUE(Near(grass, GrassColour, 3)) << Describe(grass);
    Rgb gravel = PixelAt(target, set(3.0f, 12.0f, 0.01f));
    EXPECT_TRUE(Near(gravel, PebblesColour, 3)) << Describe(gravel);
    // The ridge 100 m away hides the foot of the panorama.
    Rgb ridge = PixelAt(target, set(0.0f, 100.0f, 1.0f));
    EXPECT_TRUE(Near(ridge, GrassColour, 3)) << Describe(ridge);
}

TEST(RenderFrame, FieldLinesAroundTheStartPad) {
    Vec3 target = set(0.0f, 6.0f, 0.0f);
    Draw(Scene(target));
    const Rgb line = Mix({255, 255, 255}, PebblesColour, 0.7f);
    // The four sides of the pad at (0, 6), 1.4 m square.
    for (Vec3 p : {set(0.0f, 5.3f, 0.011f), set(0.0f, 6.7f, 0.011f), set(-0.7f, 6.0f, 0.011f),
                   set(0.7f, 6.0f, 0.011f)}) {
        Rgb c = PixelAt(target, p);
        EXPECT_TRUE(Near(c, line, 3)) << Describe(c) << " at " << p.x << ", " << p.y;
    }
    // Inside the pad: plain gravel.
    Rgb inside = PixelAt(target, set(0.3f, 6.0f, 0.01f));
    EXPECT_TRUE(Near(inside, PebblesColour, 3)) << Describe(inside);
    // The corner where two lines meet is covered once, not twice.
    Rgb corner = PixelAt(target, set(0.7f, 5.3f, 0.011f));
    EXPECT_TRUE(Near(corner, line, 3)) << Describe(corner);
    // The far field boundary along y = 19.
    Rgb boundary = PixelAt(target, set(0.0f, 19.0f, 0.011f));
    EXPECT_TRUE(Near(boundary, line, 3)) << Describe(boundary);
}

TEST(RenderFrame, SchoolBuildingBehindThePilot) {
    Vec3 target = set(0.0f, -10.0f, 1.8f);
    Draw(Scene(target));
    // Seen from the pilot facing the wall, +x is on the left of the picture.
    EXPECT_TRUE(Near(PixelAt(target, set(2.8f, -10.0f, 2.0f)), BricksColour, 3));
    EXPECT_TRUE(Near(PixelAt(target, set(0.0f, -9.99f, 1.3f)), DoorWindowColour, 3));
    showSchoolBuilding = false;
    Draw(Scene(target));
    showSchoolBuilding = true;
    Rgb behind = PixelAt(target, set(2.8f, -10.0f, 2.0f));
    EXPECT_FALSE(Near(behind, BricksColour, 3)) << Describe(behind);
}

TEST(RenderFrame, InstrumentRingsAtTheirBoxes) {
    RenderSnapshot s = Scene(set(0.0f, 6.0f, 0.0f));
    s.heli.rotorRpm = 2000.0f; // needle straight up
    Draw(s);
    // Rotor-speed dial, left stick box, right stick box, airspeed dial: 50 x 50 boxes on the bottom edge.
    for (int x0 : {54, W / 2 - 54, W / 2, W - 54}) {
        const int cx = x0 + 25, cy = H - 25;
        EXPECT_TRUE(FindColourNear(x0, cy, 1, Green, 2)) << "left edge of box " << x0;
        EXPECT_TRUE(FindColourNear(x0 + 50, cy, 1, Green, 2)) << "right edge of box " << x0;
        EXPECT_TRUE(FindColourNear(cx, cy - 25, 1, Green, 2)) << "top of box " << x0;
        EXPECT_FALSE(Near(ReadPixel(cx + 9, cy + 9, H), Green, 40)) << "inside box " << x0;
    }
    EXPECT_TRUE(FindColourNear(54 + 25, H - 25 - 12, 1, Yellow, 2)) << "rotor needle at 2000 rpm";

    showInstruments = false;
    Draw(s);
    showInstruments = true;
    EXPECT_FALSE(FindColourNear(54, H - 25, 1, Green, 2));

    // On a display with scale 2 every size and distance from the edges doubles.
    OverlayScale = 2;
    Draw(s);
    OverlayScale = 1;
    EXPECT_TRUE(FindColourNear(108, H - 50, 1, Green, 2)) << "left edge of the scaled rotor dial";
    EXPECT_TRUE(FindColourNear(208, H - 50, 1, Green, 2)) << "right edge of the scaled rotor dial";
    EXPECT_TRUE(FindColourNear(158, H - 100, 1, Green, 2)) << "top of the scaled rotor dial";
    EXPECT_TRUE(FindColourNear(W - 108, H - 50, 1, Green, 2)) << "left edge of the scaled airspeed dial";
    EXPECT_FALSE(FindColourNear(54, H - 25, 1, Green, 2));
}

TEST(RenderFrame, StickDotsFollowTheInputs) {
    RenderSnapshot s = Scene(set(0.0f, 6.0f, 0.0f));
    s.rollInput = 1.0f;        // right box, dot at the right edge
    s.collectiveStick = -1.0f; // left box, dot at the bottom
    Draw(s);
    EXPECT_TRUE(FindColourNear(W / 2 + 50, H - 25, 2, Yellow, 2));
    EXPECT_TRUE(FindColourNear(W / 2 - 54 + 25, H - 1, 2, Yellow, 2));
}

TEST(RenderFrame, SwitchLampsAndStatusMarks) {
    RenderSnapshot s = Scene(set(0.0f, 6.0f, 0.0f));
    Draw(s);
    EXPECT_FALSE(Near(ReadPixel(10, 10, H), LampRed, 10));
    EXPECT_FALSE(Near(ReadPixel(W - 24, 30, H), Black, 10));

    s.idleUpOn = true;
    s.throttleHoldOn = true;
    s.simPaused = true;
    s.slowMotionPlayback = true;
    s.recorderPlaying = true;
    showInstruments = false; // the lamps and marks are drawn anyway
    Draw(s);
    showInstruments = true;
    EXPECT_TRUE(Near(ReadPixel(10, 10, H), LampRed, 2));
    EXPECT_TRUE(Near(ReadPixel(W - 10, 10, H), LampRed, 2));
    // Pause sign: two bars with a gap.
    EXPECT_TRUE(Near(ReadPixel(W - 24, 30, H), Black, 2));
    EXPECT_TRUE(Near(ReadPixel(W - 37, 30, H), Black, 2));
    EXPECT_FALSE(Near(ReadPixel(W - 30, 30, H), Black, 10));
    // Slow-motion dots and the play triangle.
    for (int x : {W - 74, W - 82, W - 90}) {
        EXPECT_TRUE(Near(ReadPixel(x, 30, H), Black, 2)) << x;
    }
    EXPECT_FALSE(Near(ReadPixel(W - 78, 30, H), Black, 10));
    EXPECT_TRUE(Near(ReadPixel(W - 56, 30, H), Black, 2));

    // Recording covers the pause bars with a red square.
    s.recorderRecording = true;
    Draw(s);
    EXPECT_TRUE(Near(ReadPixel(W - 24, 30, H), LampRed, 2));
    EXPECT_TRUE(Near(ReadPixel(W - 30, 30, H), LampRed, 2));
}

namespace {
int CountTrailPixels(int row, int r) {
    int n = 0;
    for (int x = W / 2 - 150; x < W / 2 + 150; ++x)
        for (int dy = -r; dy <= r; ++dy)
            if (Near(ReadPixel(x, row + dy, H), TrailColour, 3)) {
                ++n;
                break;
            }
    return n;
}
} // namespace

TEST(RenderFrame, TrailInItsColourSolidAndDotted) {
    Vec3 target = set(0.0f, 10.0f, 2.0f);
    RenderSnapshot s = Scene(target);
    s.trailsOn = true;
    for (int i = 0; i <= 12; ++i)
        s.trailNewer.push_back(set(-3.0f + 0.5f * i, 10.0f, 2.0f));
    Draw(s);
    double x, y;
    ASSERT_TRUE(Project(target, target, x, y));
    int solid = CountTrailPixels(static_cast<int>(y), 2);
    EXPECT_GT(solid, 250);

    s.trailsDotted = true; // pairs 0-1, 2-3, ...: dashes of one step with gaps of one step
    Draw(s);
    int dotted = CountTrailPixels(static_cast<int>(y), 2);
    EXPECT_GT(dotted, solid / 3);
    EXPECT_LT(dotted, solid * 2 / 3);

    s.trailsOn = false;
    Draw(s);
    EXPECT_EQ(CountTrailPixels(static_cast<int>(y), 2), 0);
}

TEST(RenderFrame, TrailShowsThroughTheGround) {
    Vec3 target = set(0.0f, 10.0f, 0.0f);
    RenderSnapshot s = Scene(target);
    s.trailsOn = true;
    s.trailOlder = {set(-3.0f, 10.0f, -1.0f), set(3.0f, 10.0f, -1.0f)};
    Draw(s);
    double x, y;
    ASSERT_TRUE(Project(target, set(0.0f, 10.0f, -1.0f), x, y));
    EXPECT_TRUE(FindColourNear(static_cast<int>(x), static_cast<int>(y), 2, TrailColour, 3));
}

TEST(RenderFrame, ShadowDarkensTheGroundUnderAHoveringHelicopter) {
    if (!FindResourceData(ResourceStockMesh).data) GTEST_SKIP() << "this build holds no stock mesh";
    ASSERT_GT(rotorSpan, 0.2f) << "the stock mesh did not load";
    Vec3 target = set(0.0f, 6.0f, 0.0f);
    RenderSnapshot s = Scene(target);
    s.heli.position = set(0.0f, 6.0f, 4.0f); // above the top of the picture
    Draw(s);
    Rgb shaded = PixelAt(target, set(0.1f, 6.0f, 0.02f));
    EXPECT_TRUE(Near(shaded, Mix(Black, PebblesColour, 0.2f), 2)) << Describe(shaded);
    // The disc's edge: half the rotor span from the centre (diagonally, clear of the pad's lines).
    const float out = (rotorSpan * 0.5f + 0.1f) * std::sqrt(0.5f);
    Rgb outside = PixelAt(target, set(out, 6.0f + out, 0.01f));
    EXPECT_TRUE(Near(outside, PebblesColour, 2)) << Describe(outside);
    // Ten metres up the shadow is the same.
    s.heli.position.z = 10.0f;
    Draw(s);
    EXPECT_TRUE(Near(PixelAt(target, set(0.1f, 6.0f, 0.02f)), shaded, 1));
}

TEST(RenderFrame, HelicopterDrawnAtItsProjectedPosition) {
    if (!FindResourceData(ResourceStockMesh).data) GTEST_SKIP() << "this build holds no stock mesh";
    ASSERT_GT(HeliMesh.batchCount, 0) << "the stock mesh did not load";
    Vec3 where = set(1.0f, 5.0f, 1.5f);
    RenderSnapshot s = Scene(where);
    Draw(s);
    std::vector<Rgb> empty = ReadFrame(W, H);
    s.heli.position = where;
    Draw(s);
    std::vector<Rgb> withHeli = ReadFrame(W, H);
    double px, py, sx, sy;
    ASSERT_TRUE(Project(where, where, px, py));
    ASSERT_TRUE(Project(where, set(where.x, where.y, 0.02f), sx, sy)); // the shadow below it
    int nearModel = 0, nearCentre = 0, elsewhere = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            size_t i = static_cast<size_t>(y) * W + x;
            if (Near(empty[i], withHeli[i], 4)) continue;
            if (std::abs(x - px) < 160 && std::abs(y - py) < 80) { // the rotor disc is wide
                ++nearModel;
                if (std::abs(x - px) < 12 && std::abs(y - py) < 12) ++nearCentre;
            } else if (!(std::abs(x - sx) < 120 && std::abs(y - sy) < 60)) {
                ++elsewhere;
            }
        }
    EXPECT_GT(nearModel, 800);
    EXPECT_GT(nearCentre, 100);
    EXPECT_EQ(elsewhere, 0);
}

namespace {
// A box body with a wide flat rotor on top, in the text mesh dialect: two materials, the body textured.
std::string BoxMeshText() {
    const float v[12][3] = {{-0.3f, 0.0f, -0.5f}, {0.3f, 0.0f, -0.5f}, {0.3f, 0.3f, -0.5f},
                            {-0.3f, 0.3f, -0.5f}, {-0.3f, 0.0f, 0.5f}, {0.3f, 0.0f, 0.5f},
                            {0.3f, 0.3f, 0.5f},   {-0.3f, 0.3f, 0.5f}, {-1.0f, 0.35f, -0.1f},
                            {1.0f, 0.35f, -0.1f}, {1.0f, 0.35f, 0.1f}, {-1.0f, 0.35f, 0.1f}};
    const int f[7][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7},  {1, 5, 6, 2},
                         {3, 2, 6, 7}, {4, 5, 1, 0}, {8, 9, 10, 11}};
    std::string t = "xof 0302txt 0064\r\nHeader {\r\n 1;\r\n 0;\r\n 1;\r\n}\r\nMesh {\r\n 12;\r\n";
    char line[128];
    for (int i = 0; i < 12; ++i) {
        std::snprintf(line, sizeof line, " %.2f;%.2f;%.2f;%s\r\n", v[i][0], v[i][1], v[i][2],
                      i < 11 ? "," : ";");
        t += line;
    }
    t += " 7;\r\n";
    for (int i = 0; i < 7; ++i) {
        std::snprintf(line, sizeof line, " 4;%d,%d,%d,%d;%s\r\n", f[i][0], f[i][1], f[i][2], f[i][3],
                      i < 6 ? "," : ";");
        t += line;
    }
    t += " MeshMaterialList {\r\n  2;\r\n  7;\r\n  0,\r\n  0,\r\n  0,\r\n  0,\r\n  0,\r\n  0,\r\n  1;;\r\n"
         "  Material {\r\n   1.0;1.0;1.0;1.0;;\r\n   5.0;\r\n   0.0;0.0;0.0;;\r\n   0.0;0.0;0.0;;\r\n"
         "   TextureFilename {\r\n    \"skin.bmp\";\r\n   }\r\n  }\r\n"
         "  Material {\r\n   0.0;0.0;1.0;1.0;;\r\n   5.0;\r\n   0.0;0.0;0.0;;\r\n   0.0;0.0;0.0;;\r\n  }\r\n "
         "}\r\n"
         " MeshTextureCoords {\r\n  12;\r\n";
    for (int i = 0; i < 12; ++i)
        t += "  0.5;0.5;\r\n";
    t += " }\r\n}\r\n";
    return t;
}
} // namespace

TEST(RenderFrame, GeometryFromAFileWithShadowAndRotorDisc) {
    const std::string path = DataDir + "/box.x";
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::string text = BoxMeshText();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    WriteSolidBmp(DataDir + "/box.bmp", 8, 8, {250, 0, 250}); // the skin beside the geometry
    ASSERT_TRUE(LoadHeliGeometryFile(path)) << XMeshErrorText;
    ASSERT_EQ(HeliMesh.batchCount, 2);
    ServeTextureReloads();
    EXPECT_NEAR(rotorSpan, 2.0f * 0.76f * heliScale, 1e-3f); // the rotor quad spans 2 of the box's 1 m length

    // Hovering half a metre up between the pads: the body shows its skin, the shadow darkens the gravel.
    Vec3 where = set(0.0f, 8.0f, 0.5f);
    RenderSnapshot s = Scene(where);
    s.heli.position = where;
    Draw(s);
    Rgb body = PixelAt(s.smoothedCameraTarget, set(0.0f, 8.0f, 0.6f));
    EXPECT_TRUE(Near(body, {250, 0, 250}, 3)) << Describe(body);
    Rgb shaded = PixelAt(s.smoothedCameraTarget, set(0.2f, 8.0f, 0.02f));
    EXPECT_TRUE(Near(shaded, Mix(Black, PebblesColour, 0.2f), 2)) << Describe(shaded);
    // The rotor disc is a faint translucent film (drawn unlit for a file geometry) over the backdrop.
    Rgb disc = PixelAt(s.smoothedCameraTarget, set(0.8f, 8.0f, 0.5f + 0.35f * 0.76f * heliScale));
    Draw(Scene(where));
    Rgb noDisc = PixelAt(s.smoothedCameraTarget, set(0.8f, 8.0f, 0.5f + 0.35f * 0.76f * heliScale));
    EXPECT_FALSE(Near(disc, noDisc, 1)) << Describe(disc) << " vs " << Describe(noDisc);
    EXPECT_TRUE(Near(disc, noDisc, 60)) << Describe(disc) << " vs " << Describe(noDisc);

    // A geometry file the reader stops on: nothing is drawn, not even a shadow, and nothing breaks.
    {
        std::FILE* f = std::fopen((DataDir + "/named.x").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("xof 0302txt 0064\r\nHeader {\r\n}\r\nMesh heli {\r\n 1;\r\n", f);
        std::fclose(f);
    }
    EXPECT_FALSE(LoadHeliGeometryFile(DataDir + "/named.x"));
    ServeTextureReloads();
    Draw(Scene(where));
    std::vector<Rgb> without = ReadFrame(W, H);
    s.heli.position = where;
    Draw(s);
    std::vector<Rgb> broken = ReadFrame(W, H);
    int changed = 0;
    for (size_t i = 0; i < without.size(); ++i)
        changed += Near(without[i], broken[i], 1) ? 0 : 1;
    EXPECT_EQ(changed, 0);

    // Back to the built-in model for the other tests.
    LoadXMesh(std::string(), HeliMesh, false);
    BuildShadowCircle();
}

TEST(RenderFrame, WindsockOnlyWithWind) {
    Vec3 target = set(0.0f, 24.0f, 2.5f);
    RenderSnapshot s = Scene(target);
    s.windType = 1;
    s.windVelocity = set(10.0f, 0.0f, 0.0f); // half stretched, blowing to the right
    Draw(s);
    Rgb sock = PixelAt(target, set(0.3f, 24.0f, 3.0f));
    EXPECT_GT(sock.r, 2 * sock.g) << Describe(sock);
    EXPECT_LT(sock.b, 10) << Describe(sock);
    Rgb pole = PixelAt(target, set(0.0f, 24.0f, 1.5f));
    EXPECT_TRUE(pole.r == pole.g && pole.g == pole.b && pole.r > 51 && pole.r <= 179) << Describe(pole);

    s.windType = 0;
    Draw(s);
    Rgb calm = PixelAt(target, set(0.3f, 24.0f, 3.0f));
    EXPECT_FALSE(Near(calm, sock, 10)) << Describe(calm);
}

TEST(RenderFrame, LowerCameraAngleMovesTheHelicopterUp) {
    Vec3 where = set(0.0f, 10.0f, 3.0f);
    Vec3 lowered = CameraLookTarget(where, where, true, true);
    double x, yNormal, yLower;
    ASSERT_TRUE(Project(where, where, x, yNormal));
    ASSERT_TRUE(Project(lowered, where, x, yLower));
    EXPECT_LT(yLower, yNormal - 100); // 0.08 rad is about 107 pixels at 600 rows

    // The far field line, seen where the lowered camera puts it and not where the level one would.
    const Vec3 line = set(0.0f, 19.0f, 0.011f);
    const Rgb white = Mix({255, 255, 255}, PebblesColour, 0.7f);
    lowerCameraAngle = true;
    Draw(Scene(where));
    lowerCameraAngle = false;
    Rgb atLowered = PixelAt(lowered, line);
    EXPECT_TRUE(Near(atLowered, white, 3)) << Describe(atLowered);
    Rgb atLevel = PixelAt(where, line);
    EXPECT_FALSE(Near(atLevel, white, 3)) << Describe(atLevel);
}

TEST(Textures, UploadPutsTheBottomRowFirstAndDropsThePadding) {
    // 3 x 2 picture: stride 12, three bytes of padding per row.
    uint8_t pixels[24] = {};
    RgbImage image{};
    image.width = 3;
    image.height = 2;
    image.stride = 12;
    image.bytesPerPixel = 3;
    image.decoded = 1;
    image.pixels = pixels;
    for (int x = 0; x < 3; ++x) {
        pixels[3 * x] = static_cast<uint8_t>(10 + x);       // top row
        pixels[12 + 3 * x] = static_cast<uint8_t>(200 + x); // bottom row
    }
    pixels[9] = pixels[10] = pixels[11] = 99; // padding, never copied
    GLuint name = 0;
    glGenTextures(1, &name);
    UploadTexture(image, name, false);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 4); // GLU rescales to powers of two
    EXPECT_EQ(h, 2);
    std::vector<uint8_t> texels(static_cast<size_t>(w) * h * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_GE(texels[0], 200); // texture row 0 is the picture's bottom row
    EXPECT_LE(texels[3 * w], 12);

    // A picture that failed to load: never read, one grey texel.
    RgbImage failed{};
    failed.width = 4000; // sizes from a damaged header are not trusted
    failed.height = 4000;
    failed.failed = 1;
    UploadTexture(failed, name, true);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 1);
    uint8_t grey[3] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    EXPECT_EQ(grey[0], 128);
    EXPECT_EQ(grey[1], 128);
    EXPECT_EQ(grey[2], 128);
    glDeleteTextures(1, &name);
}

TEST(Textures, BackgroundResolutionReloadsTheBackdrop) {
    EXPECT_EQ(backdropImage.width, 1024); // Low at start-up: halved twice
    backgroundResolution = 2;
    reloadBackdropTexture = true;
    ServeTextureReloads();
    EXPECT_FALSE(reloadBackdropTexture);
    EXPECT_EQ(backdropImage.width, 2048);
    backgroundResolution = 3;
    reloadBackdropTexture = true;
    ServeTextureReloads();
    EXPECT_EQ(backdropImage.width, 4096);
    glBindTexture(GL_TEXTURE_2D, SceneTexture[Backdrop]);
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 4096);
    backgroundResolution = 1;
    reloadBackdropTexture = true;
    ServeTextureReloads();
    EXPECT_EQ(backdropImage.width, 1024);
    // The panorama still shows its bottom half at the horizon.
    Vec3 target = set(0.0f, 100.0f, 1.8f);
    Draw(Scene(target));
    Rgb band = PixelAt(target, set(0.0f, 199.0f, 1.8f + 200.0f * std::sin(6 * DegToRad)));
    EXPECT_TRUE(Near(band, BackdropBottom, 3)) << Describe(band);
}

TEST(Textures, CanopyRebuildPastesTheCanopyIntoTheSkin) {
    // A 512 x 512 skin, a mask 8 x 4 black in its left half, a canopy 300 x 10 of one colour.
    WriteSolidBmp(DataDir + "/skin.bmp", 512, 512, {1, 2, 3});
    LoadImageFile(heliSkinImage, DataDir + "/skin.bmp");
    SwapRedBlue(heliSkinImage);
    ASSERT_TRUE(ImageUsable(heliSkinImage));
    WriteBmp(DataDir + "/canmask.pcx", 8, 4, [](int, int x, void*) {
        return x < 4 ? Black : Rgb{255, 255, 255};
    });
    WriteSolidBmp(DataDir + "/canopy.jpg", 300, 10, {10, 220, 30});
    LoadImageFile(canopyMaskImage, DataDir + "/canmask.pcx");
    SwapRedBlue(canopyMaskImage);
    reloadCanopyTexture = true;
    ServeTextureReloads();
    EXPECT_FALSE(reloadCanopyTexture);
    EXPECT_TRUE(std::memcmp(ImagePixel(heliSkinImage, 2, 1), "\x0a\xdc\x1e", 3) == 0);
    EXPECT_TRUE(std::memcmp(ImagePixel(heliSkinImage, 2, 5), "\x01\x02\x03", 3) == 0);
    EXPECT_TRUE(std::memcmp(ImagePixel(heliSkinImage, 450, 300), "\x0a\xdc\x1e", 3) == 0); // patch block
    EXPECT_TRUE(std::memcmp(ImagePixel(heliSkinImage, 450, 322), "\x01\x02\x03", 3) == 0);

    // The texture holds the composited skin, bottom row first.
    glBindTexture(GL_TEXTURE_2D, SceneTexture[HeliSkin]);
    std::vector<uint8_t> texels(512 * 512 * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    const uint8_t* t = &texels[(static_cast<size_t>(511 - 2) * 512 + 1) * 3];
    EXPECT_EQ(t[1], 220);
    t = &texels[(static_cast<size_t>(511 - 450) * 512 + 300) * 3];
    EXPECT_EQ(t[1], 220);

    // "Stock 450 Geometry" style re-upload without compositing keeps the picture as it is.
    reloadHeliTexture = true;
    ServeTextureReloads();
    EXPECT_FALSE(reloadHeliTexture);
}

TEST(RenderFrame, ResizeToZeroHeightKeepsTheViewFinite) {
    ResizeView(640, 0);
    EXPECT_EQ(clientHeight, 1);
    EXPECT_FLOAT_EQ(aspectRatio, 640.0f);
    ResizeView(W, H);
    EXPECT_FLOAT_EQ(aspectRatio, static_cast<float>(W) / H);
}

TEST(RenderFrame, SkyFanTrianglesDoNotOverlap) {
    // Points of the sky disc 155 m out at azimuths 36, 54 and 72 degrees and half a turn further on lie in
    // the same place of their triangles, so they shade alike; a triangle spanning 18 to 90 degrees over
    // the fan would show its paler chord on one side only.
    for (float azimuth : {36.0f, 54.0f, 72.0f}) {
        Rgb c[2];
        for (int half = 0; half < 2; ++half) {
            float a = (azimuth + 180.0f * half) * DegToRad;
            Vec3 p = set(155.0f * std::cos(a), 155.0f * std::sin(a), 195.0f);
            Draw(Scene(p));
            c[half] = PixelAt(p, p);
        }
        EXPECT_TRUE(Near(c[0], c[1], 1))
            << azimuth << ": " << Describe(c[0]) << " against " << Describe(c[1]);
    }
}

TEST(RenderFrame, SmoothMotionDrawsFramesBetweenStepsInOrder) {
    if (!FindResourceData(ResourceStockMesh).data) GTEST_SKIP() << "this build holds no stock mesh";
    ASSERT_GT(HeliMesh.batchCount, 0) << "the stock mesh did not load";
    // Two steps 50 ms apart of a helicopter flying along +x at 10 m/s, 2 m up in front of the pilot.
    auto flying = [](float x) {
        HeliState h;
        h.position = set(x, 8.0f, 2.0f);
        h.velocity = set(10.0f, 0.0f, 0.0f);
        h.noseAxis = set(1.0f, 0.0f, 0.0f);
        h.upAxis = set(0.0f, 0.0f, 1.0f);
        return h;
    };
    MotionHistory history;
    RecordStep(history, flying(-1.0f), FlightFlying, flying(-0.5f), FlightFlying, 0.05f, 100.0);
    RecordStep(history, flying(-0.5f), FlightFlying, flying(0.0f), FlightFlying, 0.05f, 100.05);
    const Vec3 target = set(0.0f, 8.0f, 2.0f);
    RenderSnapshot empty = Scene(target);
    Draw(empty);
    std::vector<Rgb> background = ReadFrame(W, H);
    // Mean column of the pixels the helicopter changed.
    auto centreColumn = [&](double frameTime) {
        RenderSnapshot s = Scene(target);
        s.heli = flying(0.0f);
        s.smoothedCameraTarget = target;
        s.history = history;
        SmoothSnapshot(s, frameTime);
        Draw(s);
        std::vector<Rgb> frame = ReadFrame(W, H);
        double sum = 0.0;
        int count = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (!Near(frame[static_cast<size_t>(y) * W + x], background[static_cast<size_t>(y) * W + x],
                          4)) {
                    sum += x;
                    ++count;
                }
        EXPECT_GT(count, 200) << frameTime;
        return count > 0 ? sum / count : 0.0;
    };
    SmoothMotion = true;
    double atStep = centreColumn(100.05);
    double early = centreColumn(100.06);
    double late = centreColumn(100.09);
    // 0.1 m and 0.4 m further along +x: to the right, in that order.
    EXPECT_GT(early, atStep + 2.0);
    EXPECT_GT(late, early + 6.0);
    SmoothMotion = false;
    EXPECT_NEAR(centreColumn(100.09), atStep, 1.0); // 0.4 m would be about 60 pixels
    SmoothMotion = true;
}

TEST(RenderFrame, StockCanopyIsClosedSeenFromBehind) {
    if (!FindResourceData(ResourceStockMesh).data) GTEST_SKIP() << "this build holds no stock mesh";
    ASSERT_GT(HeliMesh.batchCount, 0) << "the stock mesh did not load";
    // Tail-in at eye height 3 m ahead, nose away from the pilot. The stock mesh is 0.76 m long at scale 1.
    const Vec3 where = set(0.0f, 3.0f, 1.8f);
    RenderSnapshot s = Scene(where);
    Draw(s);
    std::vector<Rgb> empty = ReadFrame(W, H);
    s.heli.position = where;
    Draw(s);
    std::vector<Rgb> withHeli = ReadFrame(W, H);
    const float k = heliScale;
    // Points inside the canopy's rear part, beside the frame plates: from behind only the canopy's own
    // back can hide the field there.
    int seeThrough = 0, checked = 0;
    for (float side : {-1.0f, 1.0f})
        for (float height : {-0.01f, 0.01f, 0.03f}) {
            Vec3 p = add(where, set(side * 0.036f * k, -0.05f * k, height * k));
            double x, y;
            ASSERT_TRUE(Project(where, p, x, y));
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    size_t i = static_cast<size_t>(std::lround(y) + dy) * W +
                               static_cast<size_t>(std::lround(x) + dx);
                    ++checked;
                    if (Near(empty[i], withHeli[i], 2)) ++seeThrough;
                }
        }
    EXPECT_EQ(seeThrough, 0) << "of " << checked;
}
