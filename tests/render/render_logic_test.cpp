// Rendering rules that need no GL context: trail parts, the attitude matrix, the snapshot, motion between
// ticks and the Graphics commands' files.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/xmesh.h"
#include "flight/trail.h"
#include "render/heli_model.h"
#include "render/helicopter.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/textures_internal.h"
#include "tests/assets/file_bytes.h"
#include "tests/render/gl_test_context.h"

namespace {
void ExpectNear(Vec3 got, Vec3 want, float tolerance, const std::string& what) {
    EXPECT_NEAR(got.x, want.x, tolerance) << what;
    EXPECT_NEAR(got.y, want.y, tolerance) << what;
    EXPECT_NEAR(got.z, want.z, tolerance) << what;
}
} // namespace

TEST(TrailParts, OlderPartFromTheHeadThenNewerFromSlotZero) {
    std::vector<Vec3> ring(TrailRingSize), older, newer;
    for (int i = 0; i < TrailRingSize; ++i)
        ring[i] = set(static_cast<float>(i), 0.0f, 0.0f);
    const struct {
        const char* name;
        uint32_t head, count, capacity;
        size_t older, newer;
    } cases[] = {
        {"a full ring, 60 samples kept", 10, 400, 60, 50, 10},
        {"filling for the first time", 5, 5, 60, 0, 5},
        {"head beyond a shorter length", 300, 400, 60, 0, 300},
        {"damaged counters", 9990, 20000, 20000, 10, 9990},
        {"head past the ring", 50000, 60000, 60000, 0, TrailRingSize},
    };
    for (const auto& c : cases) {
        CopyTrailParts(ring.data(), c.head, c.count, c.capacity, older, newer);
        ASSERT_EQ(older.size(), c.older) << c.name;
        ASSERT_EQ(newer.size(), c.newer) << c.name;
        EXPECT_TRUE(older.empty() || older.front().x == static_cast<float>(c.head)) << c.name;
        EXPECT_TRUE(newer.empty() || newer.back().x == static_cast<float>(c.newer - 1)) << c.name;
    }
}

TEST(Helicopter, AttitudeMatrixSendsBodyAxesToNoseAndUp) {
    // Heading 53 degrees, banked 0.3 rad.
    const Vec3 nose = set(0.6f, 0.8f, 0.0f), up = set(-0.23642f, 0.17731f, 0.95534f);
    const Mat4 r = AttitudeMatrix(nose, up);
    ExpectNear(transform(WorldUnitX, r), nose, 1e-4f, "nose");
    ExpectNear(transform(WorldUnitZ, r), up, 1e-4f, "up");
}

namespace {
// A helicopter flying level along +x at speed, nose along +x.
HeliState Cruise(Vec3 position, float speed = 5.0f) {
    HeliState h;
    h.position = position;
    h.velocity = set(speed, 0.0f, 0.0f);
    h.noseAxis = set(1.0f, 0.0f, 0.0f);
    h.upAxis = set(0.0f, 0.0f, 1.0f);
    return h;
}

// The history after one more 50 ms step from before to after, in that flight state, ending at time.
MotionHistory Then(MotionHistory h, const HeliState& before, int32_t state, const HeliState& after,
                   double time, float simSeconds = 0.05f) {
    RecordStep(h, before, state, after, state, simSeconds, time);
    return h;
}

// Two steps ending at 10.00 s and 10.05 s along y = 6, 2 m up, the first in slow motion (25 ms simulated);
// the second turned the nose 10 degrees left.
MotionHistory TwoSteps(HeliState& latest) {
    const HeliState first = Cruise(set(0.0f, 6.0f, 2.0f));
    latest = Cruise(set(0.25f, 6.0f, 2.0f));
    latest.noseAxis = set(std::cos(10.0f * DegToRad), std::sin(10.0f * DegToRad), 0.0f);
    return Then(Then({}, Cruise(set(-0.25f, 6.0f, 2.0f)), FlightFlying, first, 10.0, 0.025f), first,
                FlightFlying, latest, 10.05);
}
} // namespace

TEST(MotionSmoothing, CarriesTheLatestStepForwardAtMostOneStepAndNeverAcrossABreak) {
    HeliState latest;
    MotionHistory history = TwoSteps(latest);
    const struct {
        double frameTime;
        float x;          // 0.25 m + 5 m/s x 0.05 s x fraction of the step
        float headingDeg; // 10 degrees + 10 degrees x fraction
    } cases[] = {{10.05, 0.25f, 10.0f}, {10.075, 0.375f, 15.0f}, {10.30, 0.50f, 20.0f}, {9.90, 0.25f, 10.0f}};
    for (const auto& c : cases) {
        SmoothedPose pose =
            CarryForward(history, latest, latest.position, FlightFlying, false, true, c.frameTime);
        ExpectNear(pose.position, set(c.x, 6.0f, 2.0f), 1e-4f, std::to_string(c.frameTime));
        EXPECT_NEAR(std::atan2(pose.noseAxis.y, pose.noseAxis.x) * RadToDeg, c.headingDeg, 1e-2f)
            << c.frameTime;
        EXPECT_NEAR(pose.upAxis.z, 1.0f, 1e-5f) << c.frameTime;
    }
    // The camera filter moves half way to the helicopter per tick: at 10.075 s, half a tick, a quarter.
    SmoothedPose pose =
        CarryForward(history, latest, set(0.0f, 6.0f, 1.0f), FlightFlying, false, true, 10.075);
    ExpectNear(pose.cameraTarget, set(0.0625f, 6.0f, 1.25f), 1e-4f, "camera target");
    // After a tick that changed nothing at 10.10 s the camera counts from that tick.
    pose = CarryForward(Then(history, latest, FlightFlying, latest, 10.10), latest, set(0.0f, 6.0f, 1.0f),
                        FlightFlying, false, true, 10.125);
    ExpectNear(pose.cameraTarget, set(0.0625f, 6.0f, 1.25f), 1e-4f, "camera target after an idle tick");

    // Turns about the other axes, carried half a step on: a roll and a pitch of 20 degrees (to 30), and
    // 120 degrees about (1, 1, 1), which sends x to y and z to x (to 180: x to (-1, 2, 2) / 3).
    const float s20 = std::sin(20.0f * DegToRad), c20 = std::cos(20.0f * DegToRad), c30 = std::sqrt(0.75f);
    const struct {
        const char* what;
        Vec3 toNose, toUp, nose, up;
    } turns[] = {
        {"roll", set(1, 0, 0), set(0, -s20, c20), set(1, 0, 0), set(0, -0.5f, c30)},
        {"pitch", set(c20, 0, -s20), set(s20, 0, c20), set(c30, 0, -0.5f), set(0.5f, 0, c30)},
        {"oblique", set(0, 1, 0), set(1, 0, 0), set(-1 / 3.0f, 2 / 3.0f, 2 / 3.0f),
         set(2 / 3.0f, 2 / 3.0f, -1 / 3.0f)},
    };
    for (const auto& t : turns) {
        Vec3 nose, up;
        TurnByFraction(set(1, 0, 0), set(0, 0, 1), t.toNose, t.toUp, 0.5f, nose, up);
        ExpectNear(nose, t.nose, 1e-4f, t.what);
        ExpectNear(up, t.up, 1e-4f, t.what);
    }

    RenderSnapshot snap;
    snap.heli = latest;
    snap.history = history;
    snap.flightState = FlightFlying;
    SmoothSnapshot(snap, 10.10);
    EXPECT_NEAR(snap.heli.position.x, 0.5f, 1e-4f) << "the frame's snapshot takes the pose";

    const MotionHistory& base = history;
    const HeliState pad = Cruise(set(0.0f, 6.0f, 0.1f), 0.0f), lifted = Cruise(set(0.0f, 6.0f, 0.12f), 0.0f);
    const HeliState next = Cruise(set(0.5f, 6.0f, 2.0f)), locked = Cruise(set(0.0f, 4.0f, 2.0f));
    const struct {
        const char* name;
        MotionHistory history;
        HeliState live;
        int32_t flightState;
        bool paused, enabled;
        double frameTime; // a frame drawn after the latest step
    } breaks[] = {
        {"reset after the step", base, pad, FlightFlying, false, true, 10.14},
        {"step after a reset", Then(base, pad, FlightFlying, lifted, 10.10), lifted, FlightFlying, false,
         true, 10.14},
        {"step a second later", Then(base, latest, FlightFlying, next, 11.05), next, FlightFlying, false,
         true, 11.08},
        {"paused", base, latest, FlightFlying, true, true, 10.14},
        {"crashed", base, latest, FlightCrashed, false, true, 10.14},
        {"lock jump", Then(base, latest, FlightLockXYZ, locked, 10.10), locked, FlightLockXYZ, false, true,
         10.14},
        {"one step only", Then({}, pad, FlightFlying, latest, 10.05), latest, FlightFlying, false, true,
         10.14},
        {"switched off", base, latest, FlightFlying, false, false, 10.14},
    };
    for (const auto& c : breaks) {
        SmoothedPose pose = CarryForward(c.history, c.live, set(1.0f, 2.0f, 3.0f), c.flightState, c.paused,
                                         c.enabled, c.frameTime);
        ExpectNear(pose.position, c.live.position, 0.0f, c.name);
        ExpectNear(pose.noseAxis, c.live.noseAxis, 0.0f, c.name);
        ExpectNear(pose.cameraTarget, set(1.0f, 2.0f, 3.0f), 0.0f, c.name);
    }
    // A tick that changed nothing (paused, or skipped in slow motion) keeps the two steps.
    const MotionHistory idle = Then(base, latest, FlightFlying, latest, 10.10);
    EXPECT_EQ(idle.samples, 2u);
    EXPECT_DOUBLE_EQ(idle.lastTickTime, 10.10);
}

namespace {
// A one-quad mesh of one material in the text mesh dialect.
const char* SmallMesh =
    "xof 0302txt 0064\r\nHeader {\r\n 1;\r\n 0;\r\n 1;\r\n}\r\n"
    "Mesh {\r\n 4;\r\n -0.5;0.0;-1.0;,\r\n 0.5;0.0;-1.0;,\r\n 0.5;0.0;1.0;,\r\n"
    " -0.5;0.0;1.0;;\r\n 1;\r\n 4;0,1,2,3;;\r\n MeshMaterialList {\r\n  1;\r\n  1;\r\n  0;;\r\n"
    "  Material {\r\n   1.0;0.0;0.0;1.0;;\r\n   10.0;\r\n   0.0;0.0;0.0;;\r\n   0.0;0.0;0.0;;\r\n"
    "  }\r\n }\r\n MeshTextureCoords {\r\n  4;\r\n  0.0;0.0;\r\n  1.0;0.0;\r\n  1.0;1.0;\r\n  0.0;1.0;\r\n "
    "}\r\n}\r\n";

// The Graphics commands' files in a ProgramDir of the test's own.
class GraphicsFiles : public ::testing::Test {
  protected:
    const std::filesystem::path dir = FreshFolder("render_logic");
    void SetUp() override {
        std::filesystem::create_directories(dir / "data");
        ProgramDir = dir.string();
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        ReleaseXMesh(HeliMesh);
    }
};
} // namespace

TEST_F(GraphicsFiles, GeometryWithItsSkinCanopyOnlyWhenItDecodesAndTextureChoices) {
    WriteText(dir / "small.x", SmallMesh);
    WriteSolidBmp((dir / "small.bmp").string(), 8, 4, {10, 20, 30});
    reloadHeliTexture = false;
    EXPECT_TRUE(LoadHeliGeometryFile((dir / "small.x").string()));
    EXPECT_EQ(HeliMesh.batchCount, 1);
    EXPECT_TRUE(reloadHeliTexture);
    ASSERT_TRUE(ImageUsable(heliSkinImage));
    const uint8_t* p = ImagePixel(heliSkinImage, 0, 0);
    EXPECT_TRUE(Near({p[0], p[1], p[2]}, {10, 20, 30}, 0)) << "red first after the swap";
    // The shadow spans the quad, sized 0.76 m tall times the scale 1.5: 0.57 m wide.
    EXPECT_NEAR(shadowCircle[0][0], 0.285f, 1e-6f);
    // Jumbo keeps the loaded geometry and sizes it: 0.76 m x 2 tall, so 0.76 m wide.
    const float scale = heliScale;
    SetHeliScale(2.0f);
    EXPECT_EQ(HeliMesh.batchCount, 1);
    EXPECT_NEAR(shadowCircle[0][0], 0.38f, 1e-6f);
    SetHeliScale(scale);
    EXPECT_NEAR(shadowCircle[0][0], 0.285f, 1e-6f);
    // A file the reader stops on: the error and no batches to draw; with no skin beside it the skin stays.
    WriteText(dir / "named.x", "xof 0302txt 0064\r\nHeader {\r\n}\r\nMesh heli {\r\n 1;\r\n");
    EXPECT_FALSE(LoadHeliGeometryFile((dir / "named.x").string()));
    EXPECT_EQ(HeliMesh.errorCode, MeshErrorBrace);
    EXPECT_EQ(HeliMesh.batchCount, 0);
    EXPECT_EQ(heliSkinImage.width, 8);

    const auto current = dir / "data" / "canopy.jpg";
    WriteText(current, "old canopy");
    // A chosen file that is no picture: nothing copied, no rebuild, a message.
    WriteText(dir / "text.jpg", "\xFF\xD8 not a picture at all");
    reloadCanopyTexture = false;
    ResetUserMessages();
    EXPECT_FALSE(InstallCanopyPicture((dir / "text.jpg").string()));
    EXPECT_FALSE(reloadCanopyTexture);
    EXPECT_EQ(ReadText(current), "old canopy");
    EXPECT_EQ(TakeUserMessages().size(), 1u);
    WriteSolidBmp((dir / "red.jpg").string(), 4, 2, {200, 0, 0});
    EXPECT_TRUE(InstallCanopyPicture((dir / "red.jpg").string()));
    EXPECT_TRUE(reloadCanopyTexture);
    EXPECT_EQ(ReadText(current), ReadText(dir / "red.jpg"));
    // Choosing the current canopy itself keeps it.
    EXPECT_TRUE(InstallCanopyPicture(current.string()));
    EXPECT_EQ(ReadText(current), ReadText(dir / "red.jpg"));

    // A software rasterizer starts at Medium: the High panorama would cost it 17 MiB of main memory.
    const struct {
        bool preferHigh;
        int32_t maxTexture;
        bool software;
        int32_t current, expected;
    } cases[] = {{true, 4096, false, 1, 3}, {true, 2048, false, 1, 1}, {false, 16384, false, 2, 2},
                 {true, 16384, true, 1, 2}, {true, 1024, true, 1, 1},  {false, 16384, true, 3, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(StartBackgroundResolution(c.preferHigh, c.maxTexture, c.software, c.current), c.expected)
            << c.preferHigh << ", " << c.maxTexture << ", " << c.software;

    // Software rasterizers get bilinear filtering from the nearest mip level, every other renderer trilinear.
    const struct {
        const char* renderer;
        bool software;
    } renderers[] = {{"llvmpipe (LLVM 15.0.6, 256 bits)", true},
                     {"softpipe", true},
                     {"Mesa X11 swrast", true},
                     {"Software Rasterizer", true},
                     {nullptr, true},
                     {"AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)", false},
                     {"NVIDIA GeForce GTX 1060/PCIe/SSE2", false},
                     {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false}};
    for (const auto& c : renderers) {
        EXPECT_EQ(SoftwareRendererName(c.renderer), c.software) << (c.renderer ? c.renderer : "null");
        EXPECT_EQ(MinifyingFilter(FilteringForRenderer(c.renderer)),
                  c.software ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR)
            << (c.renderer ? c.renderer : "null");
    }
}
