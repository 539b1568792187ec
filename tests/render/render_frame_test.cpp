// Frames drawn with Mesa's software renderer at 800 x 600 and read back pixel by pixel: the scenery, the
// helicopter, the overlay, and the textures behind them.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/safe_file.h"
#include "assets/xmesh.h"
#include "flight/heli_step.h"
#include "flight/trail.h"
#include "render/helicopter.h"
#include "render/render_frame.h"
#include "render/render_frame_internal.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/scenery_internal.h"
#include "render/textures_internal.h"
#include "tests/render/gl_scene.h"

namespace {
constexpr int W = 800;
constexpr int H = 600;

// The scene pictures; the door and window atlas top to bottom: window 0..0.3125 of the height, eave to
// 0.367, door below.
const Rgb Grass = {30, 150, 30}, Pebbles = {120, 100, 80}, Bricks = {150, 60, 40};
const Rgb Window = {40, 40, 220}, Eave = {220, 220, 40}, Door = {220, 40, 220};
// The panorama: its top half one colour, its bottom half four upright stripes, a quarter each.
const Rgb BackdropTop = {120, 40, 160};
const Rgb Stripes[4] = {{200, 30, 30}, {30, 200, 30}, {40, 60, 220}, {230, 230, 230}};
// Drawn colours: white lines at 0.7 over gravel, the shadow's 0.2 black over gravel, the sky overhead, the
// trail, and the overlay's.
const Rgb Line = {214, 208, 202}, Shade = {96, 80, 64}, SkyOverhead = {48, 93, 209},
          TrailColour = {178, 178, 0};
const Rgb Green = {0, 204, 0}, Yellow = {255, 204, 0}, LampRed = {204, 0, 0}, Black = {0, 0, 0};
// Not a colour: the lit orange of the wind sock, told by its hue.
const Rgb SockOrange = {-1, 0, 0};

std::string Data;

// The loader tells pictures by their content, so BMP files under the .jpg names serve. 15 wide: rows padded
// to 48 bytes, which the upload drops; the panorama 4096 wide, which Low halves twice.
void WritePictures(const std::string& data) {
    Data = data;
    WriteSolidBmp(Data + "grass.jpg", 15, 15, Grass);
    WriteSolidBmp(Data + "pebbles.jpg", 15, 15, Pebbles);
    WriteSolidBmp(Data + "bricks.jpg", 15, 15, Bricks);
    WriteBmp(Data + "doorwindow.jpg", 16, 256, [](int row, int, void*) {
        return row < 80 ? Window : row < 94 ? Eave : Door;
    });
    WriteBmp(Data + "backdrop.jpg", 4096, 64,
             [](int row, int column, void*) { return row < 32 ? BackdropTop : Stripes[column / 1024]; });
}
const auto* Env = ::testing::AddGlobalTestEnvironment(new GlScene(W, H, WritePictures));

using Setup = void (*)(RenderSnapshot&);

// Draws the frame with the camera aimed at target and the view preferences at their defaults; the
// helicopter is parked under the ground behind the pilot unless setup moves it.
void Draw(Vec3 target, Setup setup = nullptr) {
    showSchoolBuilding = showInstruments = smoothCameraFollow = true;
    lowerCameraAngle = false;
    OverlayScale = 1;
    RenderSnapshot s;
    s.heli.position = set(0.0f, -50.0f, -20.0f);
    s.heli.noseAxis = set(0.0f, 1.0f, 0.0f);
    s.heli.upAxis = set(0.0f, 0.0f, 1.0f);
    s.smoothedCameraTarget = target;
    if (setup) setup(s);
    FrameSnapshot = s;
    RenderFrame(W, H);
}

bool Looks(Rgb got, Rgb want) {
    return want.r < 0 ? got.b < 20 && got.r > 40 && got.r > 2 * got.g : Near(got, want, 4);
}

// True when a pixel within r of (x, y), y from the top, has the colour.
bool Seen(int x, int y, int r, Rgb colour) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (Looks(ReadPixel(x + dx, y + dy, H), colour)) return true;
    return false;
}

// The point seen at that bearing (counted from +x toward +y) and elevation, range metres out from the eye.
Vec3 Bearing(float bearingDeg, float elevationDeg, float range = 200.0f) {
    const float a = bearingDeg * DegToRad;
    return set(range * std::cos(a), range * std::sin(a), 1.8f + range * std::tan(elevationDeg * DegToRad));
}

template <int32_t Type, int Mph> void Wind(RenderSnapshot& s) {
    s.windType = Type;
    s.windVelocity = set(static_cast<float>(Mph), 0.0f, 0.0f);
}

// A trail of 13 points 0.5 m apart along x from -3 m, 10 m ahead and 2 m up.
template <bool On, bool Dotted> void Trail(RenderSnapshot& s) {
    s.trailsOn = On;
    s.trailsDotted = Dotted;
    for (int i = 0; i <= 12; ++i)
        s.trailNewer.push_back(set(-3.0f + 0.5f * i, 10.0f, 2.0f));
}

// The stock helicopter hovering 4 m over (0, 6), above the picture when the camera looks at the ground there.
void Hover(RenderSnapshot& s) {
    s.heli.position = set(0.0f, 6.0f, 4.0f);
}

struct View {
    const char* name;
    Vec3 at; // the camera aims here, so it shows in the middle of the picture
    Rgb colour;
    bool shows;
    Setup setup = nullptr;
};

const View Views[] = {
    // Straight up the camera looks a millimetre off the vertical.
    {"sky overhead", set(0.0f, 0.0f, 195.0f), SkyOverhead, true},
    {"the helicopter, not the target, without smooth follow", set(0.0f, 0.0f, 195.0f), SkyOverhead, false,
     [](RenderSnapshot&) { smoothCameraFollow = false; }},
    // 155 m out at 54 degrees, where two fan triangles meet: 0.775 of the way to the rim colour.
    {"sky fan at 54 degrees", set(91.1f, 125.4f, 195.0f), {72, 120, 209}, true},
    // Texture s = bearing / 180 degrees: the picture goes round twice, counter-clockwise.
    {"panorama at 22.5 degrees", Bearing(22.5f, 20.0f), Stripes[0], true},
    {"panorama at 67.5 degrees", Bearing(67.5f, 20.0f), Stripes[1], true},
    {"panorama at 292.5 degrees", Bearing(292.5f, 20.0f), Stripes[2], true},
    {"panorama's top half 40 degrees up", Bearing(22.5f, 40.0f), BackdropTop, true},
    {"grass beyond the gravel", set(3.0f, 45.0f, 0.0f), Grass, true},
    {"gravel", set(3.0f, 12.0f, 0.01f), Pebbles, true},
    {"the ridge 100 m out hides the panorama's foot", set(0.0f, 100.0f, 1.0f), Grass, true},
    {"start pad corner covered once", set(0.7f, 5.3f, 0.011f), Line, true},
    {"inside the start pad", set(0.3f, 6.0f, 0.01f), Pebbles, true},
    {"field line 2 m ahead", set(5.0f, 2.0f, 0.011f), Line, true},
    // The school building's wall 10 m behind the pilot.
    {"door", set(0.0f, -9.99f, 1.3f), Door, true},
    {"eave", set(0.0f, -10.0f, 4.1f), Eave, true},
    {"window", set(10.0f, -9.99f, 2.0f), Window, true},
    {"building hidden", set(2.8f, -10.0f, 2.0f), Bricks, false,
     [](RenderSnapshot&) { showSchoolBuilding = false; }},
    // 0.08 rad lower seen from the ground under the eye: 3.19 m up the wall, bricks above the door.
    {"lower camera angle", set(0.0f, -10.0f, 4.1f), Bricks, true,
     [](RenderSnapshot&) { lowerCameraAngle = true; }},
    // The sock's mouth is 3 m up at (0, 24); at 0 mph the tail hangs straight down, at 20 mph it stands out
    // level 1.2 m downwind.
    {"no sock without wind", set(0.3f, 24.0f, 3.0f), SockOrange, false},
    {"calm sock, right", set(0.9f, 24.0f, 3.0f), SockOrange, false, Wind<1, 0>},
    {"20 mph, right", set(0.9f, 24.0f, 3.0f), SockOrange, true, Wind<2, 20>},
    {"20 mph, 1.2 m long", set(1.5f, 24.0f, 3.0f), SockOrange, false, Wind<2, 20>},
    {"20 mph the other way", set(-0.9f, 24.0f, 3.0f), SockOrange, true, Wind<3, -20>},
    // Dotted pairs the points 0-1, 2-3, ...: dashes and gaps of one step each.
    {"solid trail", set(-2.25f, 10.0f, 2.0f), TrailColour, true, Trail<true, false>},
    {"dotted trail, dash", set(-2.75f, 10.0f, 2.0f), TrailColour, true, Trail<true, true>},
    {"dotted trail, gap", set(-2.25f, 10.0f, 2.0f), TrailColour, false, Trail<true, true>},
    {"trail off", set(-2.75f, 10.0f, 2.0f), TrailColour, false, Trail<false, false>},
    // Two points a metre under the ground, 10 m ahead.
    {"trail through the ground", set(0.0f, 10.0f, -1.0f), TrailColour, true,
     [](RenderSnapshot& s) {
         s.trailsOn = true;
         s.trailOlder = {set(-3.0f, 10.0f, -1.0f), set(3.0f, 10.0f, -1.0f)};
     }},
    // The shadow spans the rotor (1.065 m at scale 1.5).
    {"shadow", set(0.1f, 6.0f, 0.02f), Shade, true, Hover},
    {"past the shadow's rim", set(0.43f, 6.43f, 0.01f), Pebbles, true, Hover},
    {"helicopter before the panorama", Bearing(67.5f, 20.0f, 4.0f), Stripes[1], false,
     [](RenderSnapshot& s) { s.heli.position = Bearing(67.5f, 20.0f, 4.0f); }},
};

void AllMarks(RenderSnapshot& s) {
    s.idleUpOn = s.throttleHoldOn = s.simPaused = s.slowMotionPlayback = s.recorderPlaying = true;
    showInstruments = false; // the lamps and marks are drawn anyway
}

void Recording(RenderSnapshot& s) {
    AllMarks(s);
    s.recorderRecording = true;
}

void ScaledHoldLampAndPause(RenderSnapshot& s) {
    OverlayScale = 2;
    s.throttleHoldOn = s.simPaused = true;
}

struct Mark {
    const char* name;
    Setup setup;
    int x, y; // from the window's top left
    Rgb colour;
    bool shows = true;
};

// The overlay, looking at the start pad: rotor-speed dial, the two stick boxes and the airspeed dial in
// 50 x 50 boxes on the bottom edge, the lamps and status marks at the top.
const Mark Marks[] = {
    {"rotor dial ring", nullptr, 54, H - 25, Green},
    {"instruments hidden", [](RenderSnapshot&) { showInstruments = false; }, 54, H - 25, Green, false},
    {"rotor needle straight up at 2000 rpm", [](RenderSnapshot& s) { s.heli.rotorRpm = 2000.0f; }, 79, H - 37,
     Yellow},
    // Airspeed needle 15 px out: 0 mph at -150 degrees, 10 at -90, 25 straight up, 40 at +90.
    {"airspeed 0 mph", nullptr, W - 37, H - 12, Yellow},
    {"airspeed 25 mph", [](RenderSnapshot& s) { s.airspeedMph = 25.0f; }, W - 29, H - 40, Yellow},
    {"roll stick dot at the right edge", [](RenderSnapshot& s) { s.rollInput = 1.0f; }, W / 2 + 50, H - 25,
     Yellow},
    {"collective dot at the bottom", [](RenderSnapshot& s) { s.collectiveStick = -1.0f; }, W / 2 - 29, H - 1,
     Yellow},
    {"no lamp", nullptr, 10, 10, LampRed, false},
    {"idle-up lamp", AllMarks, 10, 10, LampRed},
    {"hold lamp", AllMarks, W - 10, 10, LampRed},
    {"pause bar", AllMarks, W - 24, 30, Black},
    {"slow-motion dot", AllMarks, W - 74, 30, Black},
    {"play triangle", AllMarks, W - 56, 30, Black},
    {"record square over the pause bars", Recording, W - 30, 30, LampRed},
    // On a display with scale 2 every size and distance from the window's edges doubles.
    {"rotor dial's top at scale 2", [](RenderSnapshot&) { OverlayScale = 2; }, 158, H - 100, Green},
    {"hold lamp at scale 2", ScaledHoldLampAndPause, W - 20, 20, LampRed},
    {"pause bar at scale 2", ScaledHoldLampAndPause, W - 48, 60, Black},
};

TEST(RenderFrame, WhatShowsWhereTheCameraLooksTheOverlayAndTheStockModel) {
    for (const View& v : Views) {
        Draw(v.at, v.setup);
        EXPECT_EQ(Seen(W / 2, H / 2, 1, v.colour), v.shows) << v.name << ": " << ReadPixel(W / 2, H / 2, H);
    }
    for (const Mark& m : Marks) {
        Draw(set(0.0f, 6.0f, 0.0f), m.setup);
        EXPECT_EQ(Seen(m.x, m.y, 1, m.colour), m.shows) << m.name << ": " << ReadPixel(m.x, m.y, H);
    }
    // A window of no height keeps the view finite.
    ResizeView(640, 0);
    EXPECT_EQ(clientHeight, 1);
    EXPECT_FLOAT_EQ(aspectRatio, 640.0f);
    ResizeView(W, H);

    ASSERT_GT(HeliMesh.batchCount, 0) << "the stock mesh did not load";
    // Tail-in at eye height 3 m ahead. Inside the canopy's rear part, beside the frame plates, only the
    // canopy's own back can hide the field: 0.036 m to the sides, 0.05 m back and -0.01 to 0.03 m up,
    // times the scale 1.5, seen through the 27 degree lens at 1250 pixels per unit of x / distance.
    Draw(set(0.0f, 3.0f, 1.8f));
    const std::vector<Rgb> empty = ReadFrame(W, H);
    Draw(set(0.0f, 3.0f, 1.8f), [](RenderSnapshot& s) { s.heli.position = set(0.0f, 3.0f, 1.8f); });
    const std::vector<Rgb> withHeli = ReadFrame(W, H);
    for (int x : {377, 423})
        for (int y : {306, 294, 281})
            for (int i : {(y - 1) * W + x - 1, y * W + x, (y + 1) * W + x + 1})
                EXPECT_FALSE(Near(empty[i], withHeli[i], 2)) << i % W << ", " << i / W << ": seen through";

    // The stock helicopter's faces are culled (a geometry file's are not): its closed body looks the same
    // both ways, the near faces showing, never the inside of the far ones. A mesh without batches draws
    // nothing, not even a shadow.
    Rgb seen[2];
    for (bool fromFile : {true, false}) {
        meshFromFile = fromFile;
        Draw(set(0.3f, 3.0f, 1.6f), [](RenderSnapshot& s) {
            s.heli.position = set(0.3f, 3.0f, 1.6f);
            s.heli.noseAxis = set(1.0f, 0.0f, 0.0f);
        });
        seen[fromFile] = ReadPixel(W / 2, H / 2, H);
    }
    EXPECT_TRUE(Near(seen[0], seen[1], 6)) << seen[0] << " culled, " << seen[1] << " not";
    ReleaseXMesh(HeliMesh);
    Draw(set(0.1f, 6.0f, 0.02f), Hover);
    EXPECT_TRUE(Near(ReadPixel(W / 2, H / 2, H), Pebbles, 4)) << "a shadow without a model";
    LoadXMesh(std::string(), HeliMesh, false);
    BuildShadowCircle();
}

GLint BoundTextureWidth() {
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    return w;
}

// Green of the skin texture at a picture row and column (the texture holds it bottom row first).
int SkinGreen(int row, int column) {
    std::vector<uint8_t> texels(512 * 512 * 3);
    glBindTexture(GL_TEXTURE_2D, SceneTexture[HeliSkin]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels[(static_cast<size_t>(511 - row) * 512 + column) * 3 + 1];
}

// Canopy pictures of that width and 10 rows, pasted into a 512 x 512 skin through an 8 x 4 mask whose
// first byte is below 100 (dark) in columns 0 to 4.
void RebuildCanopy(int canopyWidth) {
    WriteSolidBmp(Data + "skin.bmp", 512, 512, {1, 2, 3});
    LoadImageFile(heliSkinImage, Data + "skin.bmp");
    WriteBmp(Data + "canmask.pcx", 8, 4, [](int, int x, void*) {
        return x < 4 ? Black : x == 4 ? Rgb{99, 255, 255} : x == 5 ? Rgb{100, 0, 0} : Rgb{255, 255, 255};
    });
    LoadImageFile(canopyMaskImage, Data + "canmask.pcx");
    SwapRedBlue(canopyMaskImage);
    WriteSolidBmp(Data + "canopy.jpg", canopyWidth, 10, {10, 220, 30});
    reloadCanopyTexture = true;
    ServeTextureReloads();
    EXPECT_FALSE(reloadCanopyTexture);
}

// Every level of a texture as the renderer holds it.
std::vector<std::vector<uint8_t>> TextureLevelsOf(uint32_t texture, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<std::vector<uint8_t>> levels;
    for (int level = 0;; ++level) {
        levels.emplace_back(3 * static_cast<size_t>(width) * static_cast<size_t>(height));
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, levels.back().data());
        if (width == 1 && height == 1) return levels;
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
}

TEST(Textures, TheMipmapChainIsTheOneGluBuilds) {
    // Square, wide, tall, one texel high or wide, and a side reaching 1 long before the other; texels that
    // differ in every channel so that each rounding shows.
    for (auto [width, height] : {std::pair{8, 8}, {16, 4}, {2, 16}, {8, 1}, {1, 4}, {64, 2}}) {
        RgbImage image{};
        image.width = width;
        image.height = height;
        image.stride = ImageStride(width);
        image.decoded = 1;
        std::vector<uint8_t> pixels(static_cast<size_t>(image.stride) * static_cast<size_t>(height));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>((i * 97 + i / 7 * 13 + 5) & 255);
        image.pixels = pixels.data();
        // GLU's own chain from the same picture bottom row first, against the chain this program builds.
        std::vector<uint8_t> flipped;
        for (int row = height - 1; row >= 0; --row)
            flipped.insert(flipped.end(), pixels.begin() + row * image.stride,
                           pixels.begin() + row * image.stride + 3 * width);
        GLuint textures[2];
        glGenTextures(2, textures);
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, flipped.data());
        UploadTexture(image, textures[1], false);
        const auto glu = TextureLevelsOf(textures[0], width, height);
        const auto ours = TextureLevelsOf(textures[1], width, height);
        ASSERT_EQ(glu.size(), ours.size());
        for (size_t level = 0; level < glu.size(); ++level)
            EXPECT_EQ(glu[level], ours[level]) << width << " x " << height << ", level " << level;
        glDeleteTextures(2, textures);
    }
}

TEST(Textures, CanopyIntoTheSkinBackdropResolutionsAndAGreyTexelWithoutPixels) {
    RebuildCanopy(300);
    // The canopy where the mask is dark and in the block from row 438 down, columns 225 to 321.
    const struct {
        int row, column, green;
    } cases[] = {{2, 4, 220},     {2, 5, 2},     {437, 300, 2}, {438, 225, 220},
                 {511, 321, 220}, {438, 224, 2}, {450, 322, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(SkinGreen(c.row, c.column), c.green) << c.row << ", " << c.column;
    // A canopy narrower than the mask is not pasted at all.
    RebuildCanopy(6);
    EXPECT_EQ(SkinGreen(2, 1), 2);
    EXPECT_EQ(SkinGreen(450, 300), 2);

    RgbImage failed{};
    failed.width = failed.height = 4000; // sizes from a damaged header are not trusted
    failed.failed = 1;
    UploadTexture(failed, SceneTexture[Backdrop], true);
    EXPECT_EQ(BoundTextureWidth(), 1);
    uint8_t grey[3] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    EXPECT_TRUE(Near({grey[0], grey[1], grey[2]}, {128, 128, 128}, 0));
    EXPECT_EQ(backdropImage.width, 1024) << "Low at start-up: halved twice";
    for (auto [resolution, width] : {std::pair{2, 2048}, {3, 4096}, {1, 1024}}) {
        backgroundResolution = resolution;
        reloadBackdropTexture = true;
        ServeTextureReloads();
        EXPECT_FALSE(reloadBackdropTexture);
        glBindTexture(GL_TEXTURE_2D, SceneTexture[Backdrop]);
        EXPECT_EQ(BoundTextureWidth(), width) << resolution;
        // Re-created textures keep the filtering chosen for the renderer (llvmpipe here).
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR_MIPMAP_NEAREST) << resolution;
    }

    // Starting at High, the first frame shows the panorama at Low; the frame after it has it at full size.
    // The skin and the canopy mask keep their pictures for the canopy rebuild.
    backgroundResolution = 3;
    LoadSceneTextures();
    EXPECT_NE(heliSkinImage.pixels, nullptr);
    EXPECT_NE(canopyMaskImage.pixels, nullptr);
    for (int width : {1024, 1024, 4096, 4096}) {
        glBindTexture(GL_TEXTURE_2D, SceneTexture[Backdrop]);
        EXPECT_EQ(BoundTextureWidth(), width);
        ServeTextureReloads();
    }
    Draw(Bearing(67.5f, 20.0f));
    EXPECT_TRUE(Seen(W / 2, H / 2, 1, Stripes[1]));

    // Pictures read on their own thread while the window is made: the panorama is used when it was read at
    // the width wanted, and read again when the renderer wants another (a GPU without a stored choice).
    for (auto [preferHigh, resolution, width] : {std::tuple{true, 1, 1024}, {false, 2, 2048}}) {
        PreferHighBackdrop = preferHigh;
        backgroundResolution = resolution;
        StartPreparingScenePictures();
        LoadSceneTextures();
        glBindTexture(GL_TEXTURE_2D, SceneTexture[Backdrop]);
        EXPECT_EQ(BoundTextureWidth(), width) << resolution;
        glBindTexture(GL_TEXTURE_2D, SceneTexture[SceneTextureIndex::Grass]);
        std::vector<uint8_t> texel(3 * static_cast<size_t>(BoundTextureWidth()) * BoundTextureWidth());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel.data());
        EXPECT_TRUE(Near({texel[0], texel[1], texel[2]}, Grass, 0));
    }
    PreferHighBackdrop = false;

    // A panorama that cannot be read is said once, leaves one grey texel, and a High start does not try it
    // again after the first frame (here it could be read by then).
    std::filesystem::rename(Data + "backdrop.jpg", Data + "backdrop.away");
    ResetUserMessages();
    backgroundResolution = 3;
    LoadSceneTextures();
    std::filesystem::rename(Data + "backdrop.away", Data + "backdrop.jpg");
    const std::vector<std::string> messages = TakeUserMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(Data + "backdrop.jpg"), std::string::npos) << messages[0];
    for (int frame = 0; frame < 3; ++frame) {
        glBindTexture(GL_TEXTURE_2D, SceneTexture[Backdrop]);
        EXPECT_EQ(BoundTextureWidth(), 1) << frame;
        ServeTextureReloads();
    }
    backgroundResolution = 1;
    ReloadBackdrop();
}
} // namespace
