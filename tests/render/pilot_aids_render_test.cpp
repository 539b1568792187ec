// The auto zoom and keyboard zoom (the field of view's target, its rate limit and the drawn rotor in a
// 1080-line frame) and the larger instrument sizes with their numbers, drawn with Mesa at 1920 x 1080.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/user_prefs.h"
#include "flight/heli_step.h"
#include "render/helicopter.h"
#include "render/instruments.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/stroke_text.h"
#include "render/textures.h"
#include "render/view_zoom.h"
#include "tests/render/gl_scene.h"

namespace {
constexpr int W = 1920;
constexpr int H = 1080;

// Plain pictures: the helicopter stands out against one colour of grass.
const auto* Env = ::testing::AddGlobalTestEnvironment(new GlScene(W, H, [](const std::string& data) {
    for (const char* name : {"grass.jpg", "pebbles.jpg", "bricks.jpg", "doorwindow.jpg", "backdrop.jpg"})
        WriteSolidBmp(data + name, 16, 16, {30, 150, 30});
}));

// Draws the helicopter side-on (nose along x) at position with the camera on target, without instruments.
std::vector<Rgb> DrawHeli(Vec3 position, Vec3 target) {
    showInstruments = false;
    smoothCameraFollow = lowerCameraAngle = showSchoolBuilding = false;
    OverlayScale = 1;
    RenderSnapshot s;
    s.heli.position = position;
    s.heli.noseAxis = set(1.0f, 0.0f, 0.0f);
    s.heli.upAxis = set(0.0f, 0.0f, 1.0f);
    s.smoothedCameraTarget = target;
    FrameSnapshot = s;
    RenderFrame(W, H);
    return ReadFrame(W, H);
}

// Columns in which the two frames differ by more than a few levels, in the rows 100 pixels around the
// middle where the camera looks: the drawn width of the helicopter there (its shadow and the pad lying
// further down).
int DifferingColumns(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    int first = W, last = -1;
    for (int y = H / 2 - 100; y < H / 2 + 100; ++y)
        for (int x = 0; x < W; ++x) {
            const Rgb p = a[y * W + x], q = b[y * W + x];
            if (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 12) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    return last < first ? 0 : last - first + 1;
}
} // namespace

// The overlay at that instrument size over an empty view, the rotor at 2150 rpm and 12 mph of airspeed.
std::vector<Rgb> DrawInstrumentsAt(int32_t choice) {
    InstrumentSizeChoice = choice;
    showInstruments = true;
    smoothCameraFollow = lowerCameraAngle = showSchoolBuilding = false;
    OverlayScale = 1;
    RenderSnapshot s;
    s.heli.position = set(0.0f, -50.0f, -20.0f);
    s.heli.rotorRpm = 2150.0f;
    s.airspeedMph = 12.0f;
    s.smoothedCameraTarget = set(0.0f, 30.0f, 0.0f);
    FrameSnapshot = s;
    RenderFrame(W, H);
    InstrumentSizeChoice = 0;
    return ReadFrame(W, H);
}

// White pixels (the numbers' strokes) in the bottom rows under the rotor dial (x < 400) and under the speed
// dial (x > W - 400); the rotor dial's ring found at its top: its left edge 54 units in, its top (50 + 16)
// units up, times the size.
TEST(PilotAids, InstrumentSizesReadoutsAndTheZoom) {
    int whiteUnder[3][2] = {};
    for (int32_t choice : {0, 1, 2}) {
        const std::vector<Rgb> frame = DrawInstrumentsAt(choice);
        for (int y = H - 40; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const Rgb p = frame[y * W + x];
                if (p.r >= 240 && p.g >= 240 && p.b >= 240 && (x < 400 || x > W - 400))
                    ++whiteUnder[choice][x > 400];
            }
        if (choice == 0) continue;
        const float factor = choice == 1 ? 1.5f : 2.0f;
        const int cx = static_cast<int>(79.0f * factor), top = H - static_cast<int>(66.0f * factor);
        bool ring = false;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                ring = ring || Near(frame[(top + dy) * W + cx + dx], {0, 204, 0}, 8);
        EXPECT_TRUE(ring) << choice;
    }
    for (int dial : {0, 1}) {
        EXPECT_EQ(whiteUnder[0][dial], 0) << dial;
        EXPECT_GT(whiteUnder[1][dial], 30) << dial;
        EXPECT_GT(whiteUnder[2][dial], whiteUnder[1][dial]) << dial;
    }

    const struct {
        float value;
        const char *rotor, *speed;
    } cases[] = {{0.0f, "0 rpm", "0 mph"}, {2149.6f, "2150 rpm", "2150 mph"}, {-5.0f, "0 rpm", "0 mph"},
                 {NAN, "0 rpm", "0 mph"},  {1e9f, "99999 rpm", "9999 mph"},   {12.4f, "12 rpm", "12 mph"}};
    for (const auto& c : cases) {
        EXPECT_EQ(RotorReadout(c.value), c.rotor) << c.value;
        EXPECT_EQ(SpeedReadout(c.value), c.speed) << c.value;
    }
    EXPECT_FLOAT_EQ(StrokeTextWidth("", 10.0f), 0.0f);
    EXPECT_FLOAT_EQ(StrokeTextWidth("8", 10.0f), 6.0f);
    EXPECT_FLOAT_EQ(StrokeTextWidth("12 rpm", 10.0f), 10.0f * (0.6f * 6 + 0.25f * 5));
    // A size choice from a damaged file draws the small instruments (the sizes themselves are drawn below).
    for (int32_t damaged : {3, -1})
        EXPECT_TRUE(InstrumentSizeFactor(damaged) == 1.0f && ReadoutRowHeight(damaged) == 0.0f) << damaged;

    const float rotor = 0.71f;
    for (float d : {0.0f, 2.0f, 5.0f, 9.9f, 10.0f})
        EXPECT_EQ(AutoZoomTarget(d, rotor), DescribedFieldOfView) << d;
    // No jump where the zoom starts: 10.01 m is within 0.02 degree of the described view.
    EXPECT_NEAR(AutoZoomTarget(10.01f, rotor), DescribedFieldOfView, 0.02f);
    float previous = DescribedFieldOfView;
    for (float d = 10.0f; d <= 300.0f; d += 5.0f) {
        const float fov = AutoZoomTarget(d, rotor);
        EXPECT_LE(fov, previous) << d; // never widens as the helicopter flies out
        EXPECT_GE(DrawnSpan(rotor, d, fov, 1080.0f), 39.9f) << d;
        previous = fov;
    }
    // sqrt(10 / 40) of 27 degrees at 40 m; the 40-line rule rules at 160 m: 2 atan(0.71 / (2 x 40/1080 x
    // 160)).
    EXPECT_NEAR(AutoZoomTarget(40.0f, rotor), 13.5f, 0.01f);
    EXPECT_NEAR(AutoZoomTarget(20.0f, rotor), 27.0f * std::sqrt(0.5f), 0.01f);
    EXPECT_NEAR(AutoZoomTarget(200.0f, rotor),
                2.0f * std::atan(0.71f / (2.0f * 40.0f / 1080.0f * 200.0f)) * 57.29578f, 0.01f);
    // The keyboard zoom: off by default; 2x magnification halves the tangent; 0 resets.
    ViewZoom zoom;
    EXPECT_EQ(ZoomTarget(zoom, 100.0f, rotor), DescribedFieldOfView);
    KeyZoom(zoom, 1);
    KeyZoom(zoom, 1);
    KeyZoom(zoom, -1);
    EXPECT_FLOAT_EQ(zoom.keyMagnification, 1.25f);
    zoom.keyMagnification = 2.0f;
    EXPECT_NEAR(std::tan(ZoomTarget(zoom, 3.0f, rotor) * 0.5f / 57.29578f),
                std::tan(13.5f / 57.29578f) / 2.0f, 1e-5f);
    KeyZoom(zoom, 0);
    EXPECT_EQ(zoom.keyMagnification, 1.0f);
    for (int i = 0; i < 40; ++i)
        KeyZoom(zoom, 1);
    EXPECT_EQ(zoom.keyMagnification, 8.0f);
    for (int i = 0; i < 40; ++i)
        KeyZoom(zoom, -1);
    EXPECT_EQ(zoom.keyMagnification, 0.25f);
    EXPECT_LE(ZoomTarget(zoom, 3.0f, rotor), WidestFieldOfView);

    // A pass out to 150 m and back at 60 frames a second, with a jump back to 5 m at 12 s.
    ViewZoom pass;
    pass.autoZoom = true;
    float view = DescribedFieldOfView;
    int frame = 0;
    for (float t = 0.0f; t < 30.0f; t += 1.0f / 60.0f, ++frame) {
        const float d = t < 10.0f ? 5.0f + 14.5f * t : t < 12.0f ? 150.0f : 5.0f;
        // A long frame (a slow machine) right as the helicopter comes back close.
        const float dt = frame == 725 ? 0.5f : 1.0f / 60.0f;
        const float next = StepFieldOfView(view, ZoomTarget(pass, d, 0.71f), dt);
        EXPECT_LE(std::fabs(std::log(next / view)), MaxZoomRate * std::min(dt, 0.1f) + 1e-5f) << t;
        view = next;
    }
    EXPECT_EQ(view, DescribedFieldOfView); // back within 10 m: exactly the described view

    heliScale = 1.0f;
    const Vec3 far = set(0.0f, 40.0f, 3.0f);
    const Vec3 parked = set(0.0f, -50.0f, -20.0f);
    Zoom = ViewZoom{};
    Zoom.autoZoom = true;
    // The empty field under the same lens, for the difference.
    const auto emptyField = [&] { return DrawHeli(parked, far); };
    Zoom.fieldOfView = ZoomTarget(Zoom, length(sub(far, PilotEye)), 0.71f);
    const int zoomed = DifferingColumns(DrawHeli(far, far), emptyField());
    EXPECT_GE(zoomed, 40);
    // Without the zoom the same pass is drawn smaller.
    Zoom.fieldOfView = DescribedFieldOfView;
    EXPECT_LT(DifferingColumns(DrawHeli(far, far), emptyField()), zoomed);

    // At 5 m, after the zoom has come back, every pixel equals the picture with the zoom off.
    const Vec3 near = set(0.0f, 5.0f, 1.8f);
    Zoom.autoZoom = false;
    Zoom.fieldOfView = DescribedFieldOfView;
    const std::vector<Rgb> described = DrawHeli(near, near);
    Zoom.autoZoom = true;
    Zoom.fieldOfView = AutoZoomTarget(40.0f, 0.71f);
    for (int i = 0; i < 120; ++i)
        Zoom.fieldOfView = StepFieldOfView(
            Zoom.fieldOfView, ZoomTarget(Zoom, length(sub(near, PilotEye)), 0.71f), 1.0f / 60.0f);
    EXPECT_EQ(DifferingColumns(DrawHeli(near, near), described), 0);
    Zoom = ViewZoom{};
    heliScale = 1.5f;
}
