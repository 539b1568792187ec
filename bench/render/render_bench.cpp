// Frames per second of RenderFrame with the full scene and the stock helicopter at 1280 x 720 on this
// machine's GL (Mesa's software renderer under Xvfb), and the time from start to the first frame.
#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/xmesh.h"
#include "assets/xmesh_internal.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "flight/wind.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/textures_internal.h"
#include "tests/render/gl_test_context.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Puts the helicopter in a hover 5 m in front of the pilot with a trail, wind and the instruments.
void SetUpScene() {
    std::lock_guard<std::mutex> lock(SimMutex);
    Heli.position = set(1.0f, 8.0f, 3.0f);
    Heli.noseAxis = set(0.0f, 1.0f, 0.0f);
    Heli.upAxis = set(0.0f, 0.0f, 1.0f);
    Heli.rotorRpm = 2600.0f;
    smoothedCameraTarget = Heli.position;
    trailsOn = true;
    TrailCapacity = 1200;
    for (uint32_t i = 0; i < 1200; ++i) {
        float a = static_cast<float>(i) * 0.01f;
        trailRing[i] = set(5.0f * std::cos(a), 10.0f + 5.0f * std::sin(a), 3.0f);
    }
    trailHead = 0;
    trailCount = 1200;
    Wind.windType = WindSteady;
    Wind.windVelocity = set(6.0f, 2.0f, 0.0f);
}

// Writes the current back buffer as a binary PPM picture.
void WriteShot(const std::string& path, int width, int height) {
    std::vector<Rgb> frame = ReadFrame(width, height);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6 %d %d 255\n", width, height);
    for (const Rgb& c : frame) {
        const unsigned char p[3] = {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                    static_cast<unsigned char>(c.b)};
        std::fwrite(p, 1, 3, f);
    }
    std::fclose(f);
}

void Shot(const std::string& folder, const char* name, Vec3 position, Vec3 nose) {
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        Heli.position = position;
        Heli.noseAxis = nose;
        Heli.upAxis = set(0.0f, 0.0f, 1.0f);
        smoothedCameraTarget = position;
    }
    CaptureRenderSnapshot();
    RenderFrame(1280, 720);
    WriteShot(folder + "/" + name + ".ppm", 1280, 720);
}

void Measure(const char* label, int width, int height, double seconds, bool swap) {
    ResizeView(width, height);
    int frames = 0;
    std::clock_t cpuStart = std::clock(); // all threads of the process, the renderer's among them
    Clock::time_point start = Clock::now(), now = start;
    while (Seconds(start, now) < seconds) {
        CaptureRenderSnapshot();
        ServeTextureReloads();
        RenderFrame(width, height);
        glFinish(); // as the program's swap does
        if (swap) SwapTestWindow();
        ++frames;
        now = Clock::now();
    }
    double s = Seconds(start, now);
    double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%-44s %7.1f frames/s  (%d frames, %.2f ms/frame, %.2f ms CPU/frame)\n", label, frames / s,
                frames, 1000.0 * s / frames, 1000.0 * cpu / frames);
}
} // namespace

int main(int argc, char** argv) {
    // --shots FOLDER: also keep pictures of a few scenes (as PPM files) for looking at.
    // --multisample: draw into a 4x multisampled frame buffer (anti-aliasing), as the program asks for.
    std::string shots;
    bool multisample = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--shots" && i + 1 < argc) shots = argv[++i];
        if (arg == "--multisample") multisample = true;
    }
    Clock::time_point launch = Clock::now();
    std::string error;
    if (!CreateTestGLContext(1280, 720, error, multisample ? 4 : 0)) {
        std::fprintf(stderr, "render_bench: %s\n", error.c_str());
        return 1;
    }
    if (multisample) glEnable(GL_MULTISAMPLE);
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("samples per pixel: %d\n", TestContextSamples());
    ProgramDir = RV_PROGRAM_DIR;
    if (!std::filesystem::exists(ProgramPath("data/backdrop.jpg")))
        std::printf("note: %s has no pictures; textures are grey\n", ProgramPath("data").c_str());

    Clock::time_point t0 = Clock::now();
    BuildSceneryGeometry();
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        LoadXMesh(std::string(), HeliMesh, false);
        BuildShadowCircle();
    }
    Clock::time_point t1 = Clock::now();
    InitGL();
    ResizeView(1280, 720);
    Clock::time_point t2 = Clock::now();
    SetUpScene();
    CaptureRenderSnapshot();
    RenderFrame(1280, 720);
    glFinish();
    SwapTestWindow();
    Clock::time_point t3 = Clock::now();

    std::printf("stock mesh: %d batches, rotor span %.3f m, error \"%s\"\n", HeliMesh.batchCount, rotorSpan,
                XMeshErrorMessage(HeliMesh.errorCode));
    std::printf("window and GL context            %8.1f ms\n", 1000.0 * Seconds(launch, t0));
    std::printf("scenery tables and stock mesh    %8.1f ms\n", 1000.0 * Seconds(t0, t1));
    std::printf("InitGL (all pictures, textures)  %8.1f ms\n", 1000.0 * Seconds(t1, t2));
    std::printf("first frame                      %8.1f ms\n", 1000.0 * Seconds(t2, t3));
    std::printf("launch to first frame shown      %8.1f ms\n", 1000.0 * Seconds(launch, t3));

    Measure("1280x720 full scene, stock heli, swap", 1280, 720, 3.0, true);
    Measure("1280x720 full scene, stock heli, no swap", 1280, 720, 3.0, false);
    trailsOn = false;
    Measure("1280x720 without trail", 1280, 720, 2.0, true);
    trailsOn = true;
    Measure("800x600 full scene", 800, 600, 2.0, true);
    // The filtering chosen for this renderer against the other one.
    const TextureFiltering chosen = SceneFiltering;
    std::printf("texture filtering chosen: %s\n",
                chosen == TextureFiltering::Trilinear ? "trilinear" : "bilinear, nearest mip level");
    ApplySceneFiltering(TextureFiltering::Trilinear);
    Measure("1280x720 full scene, trilinear", 1280, 720, 2.0, true);
    ApplySceneFiltering(TextureFiltering::NearestLevel);
    Measure("1280x720 full scene, nearest mip level", 1280, 720, 2.0, true);
    ApplySceneFiltering(chosen);

    if (!shots.empty()) {
        // The pictures of the user guide: the start view, a tail-in hover with a 10 second trail, a side
        // view 15 m out and a far pass 40 m out.
        ResizeView(1280, 720);
        Vec3 pad;
        {
            std::lock_guard<std::mutex> lock(SimMutex);
            ResetHelicopter();
            pad = Heli.position;
        }
        Wind.windType = 0; // the sock would stand in front of the helicopter
        trailsOn = false;
        Shot(shots, "start-view", pad, set(0.0f, 1.0f, 0.0f));
        trailsOn = true;
        TrailCapacity = 200;
        trailCount = 200;
        trailHead = 0;
        // The last ten seconds: lift-off from the pad and a slow drift to the hover point.
        for (uint32_t i = 0; i < 200; ++i) {
            float t = static_cast<float>(i) / 199.0f;
            trailRing[i] = set(0.6f * std::sin(6.0f * t) * t, 6.0f - 1.0f * t, 0.2f + 1.8f * std::sqrt(t));
        }
        Shot(shots, "tail-in-hover", set(0.0f, 5.0f, 2.0f), set(0.0f, 1.0f, 0.0f));
        trailsOn = false;
        Shot(shots, "side-15m", set(0.0f, 15.0f, 2.5f), set(1.0f, 0.0f, 0.0f));
        Shot(shots, "far-pass-40m", set(-6.0f, 40.0f, 6.0f), set(1.0f, 0.0f, 0.0f));
        trailsOn = true;
    }

    // Background resolution switch: reload and upload of the panorama at each setting.
    for (int r : {3, 2, 1}) {
        backgroundResolution = r;
        Clock::time_point a = Clock::now();
        ReloadBackdrop();
        glFinish();
        std::printf("backdrop reload at resolution %d: %4d px wide, %7.1f ms\n", r, backdropImage.width,
                    1000.0 * Seconds(a, Clock::now()));
    }
    DestroyTestGLContext();
    return 0;
}
