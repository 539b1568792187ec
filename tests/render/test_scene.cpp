// The common scene set-up of the pixel tests.
#include "tests/render/test_scene.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "app/program_paths.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "render/heli_model.h"
#include "render/render_frame.h"
#include "render/scenery.h"
#include "render/textures.h"
#include "tests/render/gl_test_context.h"

void PrepareTestScene(int width, int height) {
    showSchoolBuilding = true;
    showInstruments = true;
    smoothCameraFollow = true; // the camera aims at the snapshot's target
    lowerCameraAngle = false;
    backgroundResolution = 1;
    BuildSceneryGeometry();
    LoadXMesh(std::string(), HeliMesh, false);
    BuildShadowCircle();
    InitGL();
    ResizeView(width, height);
}

void EndTestScene() {
    DestroyTestGLContext();
    std::error_code ec;
    std::filesystem::remove_all(ProgramDir, ec);
}
