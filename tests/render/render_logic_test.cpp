// Rendering rules that need no GL context: canopy compositing, trail parts, camera target, scenery
// geometry, attitude matrix, and the Graphics commands' file handling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "app/program_paths.h"
#include "app/safe_file.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "render/heli_model.h"
#include "render/helicopter.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/textures.h"
#include "tests/render/gl_test_context.h"

namespace {
// A picture owned by the test, filled with one colour.
struct TestImage {
    std::vector<uint8_t> bytes;
    RgbImage image{};
    TestImage(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
        image.width = w;
        image.height = h;
        image.stride = ImageStride(w);
        image.bytesPerPixel = 3;
        image.decoded = 1;
        bytes.assign(static_cast<size_t>(image.stride) * h + 1, 0);
        image.pixels = bytes.data();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Set(y, x, r, g, b);
    }
    void Set(int y, int x, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = image.pixels + y * image.stride + 3 * x;
        p[0] = r, p[1] = g, p[2] = b;
    }
    const uint8_t* At(int y, int x) const { return image.pixels + y * image.stride + 3 * x; }
};

bool Is(const uint8_t* p, uint8_t r, uint8_t g, uint8_t b) {
    return p[0] == r && p[1] == g && p[2] == b;
}
} // namespace

TEST(CompositeCanopy, DarkMaskPixelsTakeTheCanopy) {
    TestImage skin(6, 6, 1, 2, 3);
    TestImage mask(4, 3, 255, 255, 255);
    mask.Set(0, 0, 0, 0, 0);
    mask.Set(2, 3, 99, 255, 255); // first byte below 100: dark
    mask.Set(1, 1, 100, 0, 0);    // 100 is not below 100
    TestImage canopy(5, 4, 7, 8, 9);
    canopy.Set(2, 3, 50, 60, 70);
    CompositeCanopy(skin.image, mask.image, canopy.image);
    EXPECT_TRUE(Is(skin.At(0, 0), 7, 8, 9));
    EXPECT_TRUE(Is(skin.At(2, 3), 50, 60, 70));
    EXPECT_TRUE(Is(skin.At(1, 1), 1, 2, 3));
    EXPECT_TRUE(Is(skin.At(0, 1), 1, 2, 3));
    EXPECT_TRUE(Is(skin.At(5, 5), 1, 2, 3));
}

TEST(CompositeCanopy, CanopySmallerThanTheMaskChangesNothing) {
    TestImage skin(330, 450, 1, 2, 3);
    TestImage mask(20, 10, 0, 0, 0);
    std::vector<uint8_t> before = skin.bytes;
    TestImage narrow(19, 300, 9, 9, 9);
    CompositeCanopy(skin.image, mask.image, narrow.image);
    TestImage low(300, 9, 9, 9, 9);
    CompositeCanopy(skin.image, mask.image, low.image);
    EXPECT_EQ(skin.bytes, before); // not even the patch block
    // Pictures without pixels are never read.
    RgbImage empty{};
    empty.width = 500;
    empty.height = 500;
    empty.failed = 1;
    CompositeCanopy(skin.image, mask.image, empty);
    CompositeCanopy(skin.image, empty, low.image);
    CompositeCanopy(empty, mask.image, low.image);
    EXPECT_EQ(skin.bytes, before);
}

TEST(CompositeCanopy, PatchBlockTakesTheCanopyColourAtRowOneColumn270) {
    TestImage skin(330, 450, 1, 2, 3);
    TestImage mask(4, 4, 255, 255, 255); // no dark pixel
    TestImage canopy(300, 4, 5, 5, 5);
    canopy.Set(1, 270, 40, 50, 60);
    CompositeCanopy(skin.image, mask.image, canopy.image);
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 330; ++x) {
            bool inBlock = y >= 438 && x >= 225 && x <= 321;
            ASSERT_TRUE(inBlock ? Is(skin.At(y, x), 40, 50, 60) : Is(skin.At(y, x), 1, 2, 3))
                << y << "," << x;
        }

    // A skin shorter than 439 rows gets no block; a narrow one only within its own width.
    TestImage shortSkin(330, 438, 1, 2, 3);
    std::vector<uint8_t> before = shortSkin.bytes;
    CompositeCanopy(shortSkin.image, mask.image, canopy.image);
    EXPECT_EQ(shortSkin.bytes, before);
    TestImage narrowSkin(300, 440, 1, 2, 3);
    CompositeCanopy(narrowSkin.image, mask.image, canopy.image);
    EXPECT_TRUE(Is(narrowSkin.At(439, 299), 40, 50, 60));
    EXPECT_TRUE(Is(narrowSkin.At(439, 224), 1, 2, 3));
    // The mask reaches past a small skin: only the skin's own pixels are written.
    TestImage tinySkin(2, 2, 1, 2, 3);
    TestImage bigMask(4, 4, 0, 0, 0);
    CompositeCanopy(tinySkin.image, bigMask.image, canopy.image);
    EXPECT_TRUE(Is(tinySkin.At(1, 1), 5, 5, 5));
}

TEST(TrailParts, OlderPartFromTheHeadThenNewerFromSlotZero) {
    std::vector<Vec3> ring(TrailRingSize);
    for (int i = 0; i < TrailRingSize; ++i)
        ring[i] = set(static_cast<float>(i), 0.0f, 0.0f);
    std::vector<Vec3> older, newer;

    // Full ring of 400, "3 second" chosen: exactly 60 samples, 50 from the head, then 10 from slot 0.
    CopyTrailParts(ring.data(), 10, 400, 60, older, newer);
    ASSERT_EQ(older.size(), 50u);
    ASSERT_EQ(newer.size(), 10u);
    EXPECT_EQ(older.front().x, 10.0f);
    EXPECT_EQ(older.back().x, 59.0f);
    EXPECT_EQ(newer.front().x, 0.0f);
    EXPECT_EQ(newer.back().x, 9.0f);

    // Filling for the first time: only slots 0 .. head - 1.
    CopyTrailParts(ring.data(), 5, 5, 60, older, newer);
    EXPECT_TRUE(older.empty());
    EXPECT_EQ(newer.size(), 5u);

    // Head beyond a shorter new length: the older part is skipped.
    CopyTrailParts(ring.data(), 300, 400, 60, older, newer);
    EXPECT_TRUE(older.empty());
    EXPECT_EQ(newer.size(), 300u);

    // Damaged counters never read past the ring.
    CopyTrailParts(ring.data(), 9990, 20000, 20000, older, newer);
    EXPECT_EQ(older.size(), 10u);
    EXPECT_EQ(newer.size(), 9990u);
    CopyTrailParts(ring.data(), 50000, 60000, 60000, older, newer);
    EXPECT_TRUE(older.empty());
    EXPECT_EQ(newer.size(), static_cast<size_t>(TrailRingSize));
}

TEST(Camera, LookTargetRules) {
    Vec3 live = set(1.0f, 10.0f, 3.0f), smooth = set(2.0f, 20.0f, 4.0f);
    Vec3 t = CameraLookTarget(live, smooth, false, false);
    EXPECT_EQ(t.x, 1.0f);
    EXPECT_EQ(t.z, 3.0f);
    t = CameraLookTarget(live, smooth, true, false);
    EXPECT_EQ(t.y, 20.0f);

    // Lowered by 0.08 rad of elevation seen from the ground point under the eye.
    t = CameraLookTarget(live, smooth, false, true);
    float d = std::sqrt(1.0f + 100.0f) + 0.1f;
    EXPECT_NEAR(t.z, std::tan(std::atan(3.0f / d) - 0.08f) * d, 1e-5f);
    EXPECT_EQ(t.x, 1.0f);
    EXPECT_EQ(t.y, 10.0f);

    // Straight above the pilot: finite, and nudged off the vertical so the view stays defined.
    for (bool lower : {false, true}) {
        t = CameraLookTarget(set(0.0f, 0.0f, 20.0f), smooth, false, lower);
        EXPECT_TRUE(std::isfinite(t.z));
        EXPECT_GT(std::fabs(t.x) + std::fabs(t.y), 0.0f);
    }
}

TEST(Scenery, GeometryTables) {
    BuildSceneryGeometry();
    // Backdrop: bottom and top of edge 5 (90 degrees), s = 0.5.
    EXPECT_NEAR(backdropVertices[30], 0.0f, 1e-3f);
    EXPECT_NEAR(backdropVertices[31], 200.0f, 1e-3f);
    EXPECT_EQ(backdropVertices[32], 0.0f);
    EXPECT_EQ(backdropVertices[35], 200.0f);
    EXPECT_FLOAT_EQ(backdropTexCoords[20], 0.5f);
    EXPECT_EQ(backdropTexCoords[23], 1.0f);
    EXPECT_FLOAT_EQ(backdropTexCoords[83], 1.0f);
    EXPECT_FLOAT_EQ(backdropTexCoords[82], 2.0f);

    // Ground: vertex 41 i + j; spans about -194.9 .. 214.9 in x and -200 .. 209.8 in y.
    const float g = 420.0f / 41.0f;
    EXPECT_NEAR(groundVertices[0], -200.0f + g / 2, 1e-3f);
    EXPECT_EQ(groundVertices[1], -200.0f);
    int last = GroundVertexCount - 1;
    EXPECT_NEAR(groundVertices[3 * last], 214.88f, 0.01f);
    EXPECT_NEAR(groundVertices[3 * last + 1], 209.76f, 0.01f);
    EXPECT_FLOAT_EQ(groundTexCoords[2 * (41 * 3 + 7)], 6.0f);
    EXPECT_FLOAT_EQ(groundTexCoords[2 * (41 * 3 + 7) + 1], 14.0f);
    // The ridge: 2 m at r = 100, flat near the pilot.
    float maxZ = 0.0f;
    for (int n = 0; n < GroundVertexCount; ++n) {
        float x = groundVertices[3 * n], y = groundVertices[3 * n + 1], z = groundVertices[3 * n + 2];
        float r = std::sqrt(x * x + y * y);
        if (r < 50.0f) {
            EXPECT_LT(z, 1e-6f);
        }
        maxZ = std::max(maxZ, z);
    }
    EXPECT_GT(maxZ, 1.8f);
    EXPECT_LE(maxZ, 2.0f);
    // Indices: quad (41k + r, 41k + r + 1, 41(k+1) + r + 1, 41(k+1) + r), row after row.
    EXPECT_EQ(groundIndices[0], 0u);
    EXPECT_EQ(groundIndices[1], 1u);
    EXPECT_EQ(groundIndices[2], 42u);
    EXPECT_EQ(groundIndices[3], 41u);
    EXPECT_EQ(groundIndices[4], 41u); // k = 1
    int q = 40 * 2 + 3;               // r = 2, k = 3
    EXPECT_EQ(groundIndices[4 * q], 41u * 3 + 2);
    EXPECT_EQ(groundIndices[4 * q + 2], 41u * 4 + 3);
    for (uint32_t i : groundIndices)
        EXPECT_LT(i, static_cast<uint32_t>(GroundVertexCount));
}

TEST(Helicopter, AttitudeMatrixSendsBodyAxesToNoseAndUp) {
    Mat4 level = AttitudeMatrix(WorldUnitX, WorldUnitZ);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(level.m[i], identity().m[i], 1e-6f);

    Vec3 nose = set(0.0f, 1.0f, 0.0f), up = set(0.0f, 0.0f, 1.0f);
    Mat4 r = AttitudeMatrix(nose, up);
    Vec3 x = transform(WorldUnitX, r), z = transform(WorldUnitZ, r);
    EXPECT_NEAR(x.y, 1.0f, 1e-5f);
    EXPECT_NEAR(z.z, 1.0f, 1e-5f);

    // Banked and pitched.
    nose = set(0.6f, 0.8f, 0.0f);
    up = set(0.0f, 0.0f, 1.0f);
    Vec3 side = cross(up, nose);
    up = add(scale(up, std::cos(0.3f)), scale(side, std::sin(0.3f)));
    r = AttitudeMatrix(nose, up);
    x = transform(WorldUnitX, r);
    z = transform(WorldUnitZ, r);
    EXPECT_NEAR(x.x, nose.x, 1e-4f);
    EXPECT_NEAR(x.y, nose.y, 1e-4f);
    EXPECT_NEAR(z.x, up.x, 1e-4f);
    EXPECT_NEAR(z.y, up.y, 1e-4f);
    EXPECT_NEAR(z.z, up.z, 1e-4f);
}

namespace {
const char* SmallMesh = "xof 0302txt 0064\r\n"
                        "Header {\r\n 1;\r\n 0;\r\n 1;\r\n}\r\n"
                        "Mesh {\r\n"
                        " 4;\r\n"
                        " -0.5;0.0;-1.0;,\r\n"
                        " 0.5;0.0;-1.0;,\r\n"
                        " 0.5;0.0;1.0;,\r\n"
                        " -0.5;0.0;1.0;;\r\n"
                        " 1;\r\n"
                        " 4;0,1,2,3;;\r\n"
                        " MeshMaterialList {\r\n"
                        "  1;\r\n"
                        "  1;\r\n"
                        "  0;;\r\n"
                        "  Material {\r\n"
                        "   1.0;0.0;0.0;1.0;;\r\n"
                        "   10.0;\r\n"
                        "   0.0;0.0;0.0;;\r\n"
                        "   0.0;0.0;0.0;;\r\n"
                        "  }\r\n"
                        " }\r\n"
                        " MeshTextureCoords {\r\n"
                        "  4;\r\n"
                        "  0.0;0.0;\r\n"
                        "  1.0;0.0;\r\n"
                        "  1.0;1.0;\r\n"
                        "  0.0;1.0;\r\n"
                        " }\r\n"
                        "}\r\n";

class GraphicsFiles : public ::testing::Test {
  protected:
    std::filesystem::path dir;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("rv_render_logic_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir / "data");
        std::filesystem::create_directories(dir / "canopies");
        ProgramDir = dir.string();
        reloadCanopyTexture = reloadBackdropTexture = reloadHeliTexture = false;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        ReleaseXMesh(HeliMesh);
    }
    void WriteText(const std::filesystem::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
};
} // namespace

TEST_F(GraphicsFiles, SkinPathSharesTheGeometryBaseName) {
    EXPECT_EQ(SkinPathForGeometry("/a/ModelGeometries/bell206.x"), "/a/ModelGeometries/bell206.bmp");
    EXPECT_EQ(SkinPathForGeometry(""), "");
}

TEST_F(GraphicsFiles, GeometryFileWithSkinBesideIt) {
    WriteText(dir / "small.x", SmallMesh);
    WriteSolidBmp((dir / "small.bmp").string(), 8, 4, {10, 20, 30});
    EXPECT_TRUE(LoadHeliGeometryFile((dir / "small.x").string()));
    EXPECT_TRUE(meshFromFile);
    EXPECT_EQ(HeliMesh.batchCount, 1);
    EXPECT_TRUE(reloadHeliTexture);
    ASSERT_TRUE(ImageUsable(heliSkinImage));
    EXPECT_EQ(heliSkinImage.width, 8);
    EXPECT_TRUE(Is(ImagePixel(heliSkinImage, 0, 0), 10, 20, 30)); // red first after the swap
    EXPECT_NEAR(shadowCircle[0][0], rotorSpan * 0.5f, 1e-6f);

    // Without a skin beside it the current skin stays.
    std::filesystem::copy_file(dir / "small.x", dir / "other.x");
    reloadHeliTexture = false;
    EXPECT_TRUE(LoadHeliGeometryFile((dir / "other.x").string()));
    EXPECT_TRUE(reloadHeliTexture);
    EXPECT_EQ(heliSkinImage.width, 8);
}

TEST_F(GraphicsFiles, BrokenOrMissingGeometryReportsTheError) {
    WriteText(dir / "named.x", "xof 0302txt 0064\r\nHeader {\r\n}\r\nMesh heli {\r\n 1;\r\n");
    EXPECT_FALSE(LoadHeliGeometryFile((dir / "named.x").string()));
    EXPECT_EQ(HeliMesh.errorCode, MeshErrorBrace);
    EXPECT_EQ(HeliMesh.batchCount, 0);
    EXPECT_FALSE(LoadHeliGeometryFile((dir / "missing.x").string()));
    EXPECT_EQ(HeliMesh.errorCode, MeshErrorOpen);
    EXPECT_STREQ(XMeshErrorMessage(HeliMesh.errorCode), "1: Unable to open file");
}

TEST_F(GraphicsFiles, CanopyPictureIsCopiedOverTheCurrentOneOnlyWhenItDecodes) {
    auto read = [](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    WriteSolidBmp((dir / "canopies" / "red.jpg").string(), 4, 2, {200, 0, 0});
    WriteText(dir / "data" / "canopy.jpg", "old canopy");
    EXPECT_TRUE(InstallCanopyPicture((dir / "canopies" / "red.jpg").string()));
    EXPECT_TRUE(reloadCanopyTexture);
    EXPECT_EQ(read(dir / "data" / "canopy.jpg"), read(dir / "canopies" / "red.jpg"));
    // Choosing the current canopy itself keeps it.
    EXPECT_TRUE(InstallCanopyPicture((dir / "data" / "canopy.jpg").string()));
    // A chosen file that vanished, or one that is no picture: nothing copied, no rebuild, one message.
    reloadCanopyTexture = false;
    const std::string before = read(dir / "data" / "canopy.jpg");
    ResetUserMessages();
    EXPECT_FALSE(InstallCanopyPicture((dir / "canopies" / "gone.jpg").string()));
    WriteText(dir / "canopies" / "text.jpg", "\xFF\xD8 not a picture at all");
    EXPECT_FALSE(InstallCanopyPicture((dir / "canopies" / "text.jpg").string()));
    EXPECT_FALSE(reloadCanopyTexture);
    EXPECT_EQ(read(dir / "data" / "canopy.jpg"), before);
    EXPECT_EQ(TakeUserMessages().size(), 2u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "data"), {}), 1)
        << "a temporary file was left";
}

TEST_F(GraphicsFiles, ScaleAndResolutionCommands) {
    SetHeliScale(1.0f);
    EXPECT_EQ(heliScale, 1.0f);
    EXPECT_FALSE(meshFromFile);
    float span1 = rotorSpan;
    SetHeliScale(2.0f);
    if (HeliMesh.batchCount > 0) {
        EXPECT_NEAR(rotorSpan, 2.0f * span1, 1e-3f);
    }
    SetHeliScale(1.5f);
    SetBackgroundResolution(2);
    EXPECT_EQ(backgroundResolution, 2);
    EXPECT_TRUE(reloadBackdropTexture);
    EXPECT_EQ(BackdropWidthLimit(1), 1024);
    EXPECT_EQ(BackdropWidthLimit(2), 2048);
    EXPECT_EQ(BackdropWidthLimit(3), 0);
    SetBackgroundResolution(1);
}

TEST(Snapshot, CaptureNeverRacesTheTick) {
    // A stand-in for the 50 ms tick that writes the state the frame copies, under SimMutex.
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        trailsOn = true;
        TrailCapacity = 60;
        trailHead = 0;
        trailCount = 0;
    }
    std::atomic<bool> stop{false};
    std::thread tick([&stop] {
        for (int i = 0; i < 3000 && !stop; ++i) {
            std::lock_guard<std::mutex> lock(SimMutex);
            Heli.position = set(static_cast<float>(i), static_cast<float>(i), static_cast<float>(i));
            trailRing[trailHead] = Heli.position;
            trailHead += 1;
            if (trailHead > trailCount) trailCount = trailHead;
            if (trailHead >= TrailCapacity) trailHead = 0;
        }
    });
    for (int i = 0; i < 3000; ++i) {
        CaptureRenderSnapshot();
        const RenderSnapshot& s = FrameSnapshot;
        ASSERT_EQ(s.heli.position.x, s.heli.position.y);
        ASSERT_LE(s.trailOlder.size() + s.trailNewer.size(), 60u);
    }
    stop = true;
    tick.join();
    std::lock_guard<std::mutex> lock(SimMutex);
    trailsOn = false;
    trailHead = trailCount = 0;
    TrailCapacity = 400;
}

namespace {
// A helicopter flying level along +x at 5 m/s, nose along +x.
HeliState Cruise(float x) {
    HeliState h;
    h.position = set(x, 6.0f, 2.0f);
    h.velocity = set(5.0f, 0.0f, 0.0f);
    h.noseAxis = set(1.0f, 0.0f, 0.0f);
    h.upAxis = set(0.0f, 0.0f, 1.0f);
    return h;
}

// Two 50 ms steps ending at 10.00 s and 10.05 s; the second turned the nose 10 degrees to the left.
MotionHistory TwoSteps(HeliState& latest) {
    MotionHistory history;
    HeliState start = Cruise(-0.25f), first = Cruise(0.0f);
    RecordStep(history, start, FlightFlying, first, FlightFlying, 0.05f, 10.0);
    latest = Cruise(0.25f);
    latest.noseAxis = set(std::cos(10.0f * DegToRad), std::sin(10.0f * DegToRad), 0.0f);
    RecordStep(history, first, FlightFlying, latest, FlightFlying, 0.05f, 10.05);
    return history;
}
} // namespace

TEST(MotionSmoothing, CarriesTheLatestStepForwardAtMostOneStep) {
    HeliState latest;
    MotionHistory history = TwoSteps(latest);
    ASSERT_TRUE(history.latest.continuous);
    struct Case {
        double frameTime;
        float x;          // 0.25 m + 5 m/s x 0.05 s x fraction of the step
        float headingDeg; // 10 degrees + 10 degrees x fraction
    };
    const Case cases[] = {
        {10.05, 0.25f, 10.0f}, {10.06, 0.30f, 12.0f}, {10.075, 0.375f, 15.0f},
        {10.10, 0.50f, 20.0f}, {10.30, 0.50f, 20.0f}, {9.90, 0.25f, 10.0f},
    };
    for (const Case& c : cases) {
        SmoothedPose pose =
            CarryForward(history, latest, latest.position, FlightFlying, false, true, c.frameTime);
        EXPECT_NEAR(pose.position.x, c.x, 1e-4f) << c.frameTime;
        EXPECT_NEAR(pose.position.y, 6.0f, 1e-5f) << c.frameTime;
        EXPECT_NEAR(std::atan2(pose.noseAxis.y, pose.noseAxis.x) * RadToDeg, c.headingDeg, 1e-2f)
            << c.frameTime;
        EXPECT_NEAR(pose.upAxis.z, 1.0f, 1e-5f) << c.frameTime;
    }
    // The camera filter moves half way to the helicopter per tick: at 10.075 s, half a tick, a quarter.
    SmoothedPose pose =
        CarryForward(history, latest, set(0.0f, 6.0f, 1.0f), FlightFlying, false, true, 10.075);
    EXPECT_NEAR(pose.cameraTarget.x, 0.0625f, 1e-4f);
    EXPECT_NEAR(pose.cameraTarget.z, 1.25f, 1e-4f);
}

TEST(MotionSmoothing, NoSmoothingAcrossResetPauseCrashLockOrWhenOff) {
    HeliState latest;
    MotionHistory base = TwoSteps(latest);
    HeliState pad = Cruise(0.0f);
    pad.position = set(0.0f, 6.0f, 0.1f);
    pad.velocity = WorldZero;
    struct Case {
        const char* name;
        MotionHistory history;
        HeliState live;
        int32_t flightState;
        bool paused;
        bool enabled;
        double frameTime; // a frame drawn after the latest step
    };
    MotionHistory afterReset = base; // reset between ticks, then a step from the pad
    HeliState lifted = pad;
    lifted.position.z = 0.12f;
    RecordStep(afterReset, pad, FlightFlying, lifted, FlightFlying, 0.05f, 10.10);
    MotionHistory afterPause = base; // the next step came a second later
    HeliState next = Cruise(0.5f);
    RecordStep(afterPause, latest, FlightFlying, next, FlightFlying, 0.05f, 11.05);
    MotionHistory lockJump = base; // a lock put the helicopter at its lock point
    HeliState locked = Cruise(0.0f);
    locked.position = set(0.0f, 4.0f, 2.0f);
    RecordStep(lockJump, latest, FlightLockXYZ, locked, FlightLockXYZ, 0.05f, 10.10);
    MotionHistory oneStep;
    RecordStep(oneStep, Cruise(0.0f), FlightFlying, latest, FlightFlying, 0.05f, 10.05);
    const Case cases[] = {
        {"reset after the step", base, pad, FlightFlying, false, true, 10.14},
        {"step after a reset", afterReset, lifted, FlightFlying, false, true, 10.14},
        {"step after a pause", afterPause, next, FlightFlying, false, true, 11.08},
        {"paused", base, latest, FlightFlying, true, true, 10.14},
        {"crashed", base, latest, FlightCrashed, false, true, 10.14},
        {"lock jump", lockJump, locked, FlightLockXYZ, false, true, 10.14},
        {"one step only", oneStep, latest, FlightFlying, false, true, 10.14},
        {"switched off", base, latest, FlightFlying, false, false, 10.14},
    };
    for (const Case& c : cases) {
        Vec3 target = set(1.0f, 2.0f, 3.0f);
        SmoothedPose pose =
            CarryForward(c.history, c.live, target, c.flightState, c.paused, c.enabled, c.frameTime);
        EXPECT_EQ(pose.position.x, c.live.position.x) << c.name;
        EXPECT_EQ(pose.position.z, c.live.position.z) << c.name;
        EXPECT_EQ(pose.noseAxis.y, c.live.noseAxis.y) << c.name;
        EXPECT_EQ(pose.cameraTarget.x, 1.0f) << c.name;
    }
    // A tick that changed nothing (paused, or skipped in slow motion) keeps the two steps.
    MotionHistory idle = base;
    RecordStep(idle, latest, FlightFlying, latest, FlightFlying, 0.05f, 10.10);
    EXPECT_EQ(idle.samples, 2u);
    EXPECT_DOUBLE_EQ(idle.lastTickTime, 10.10);
}

TEST(Textures, HighBackgroundByDefaultWhereA4096TextureFits) {
    struct Case {
        bool preferHigh;
        int32_t maxTexture, current, expected;
    };
    const Case cases[] = {{true, 4096, 1, 3},   {true, 16384, 1, 3},  {true, 2048, 1, 1},
                          {false, 16384, 1, 1}, {false, 16384, 2, 2}, {true, 0, 1, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(StartBackgroundResolution(c.preferHigh, c.maxTexture, c.current), c.expected)
            << c.maxTexture;
}
