// The common scene set-up of the pixel tests.
#include "tests/render/test_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

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

bool ProjectInTestView(int width, int height, Vec3 target, Vec3 p, double& x, double& yTop) {
    GLdouble model[16], proj[16];
    GLint view[4] = {0, 0, width, height};
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(27.0, static_cast<double>(width) / height, 0.2, 300.0);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0, 0, 1.8, target.x, target.y, target.z, 0, 0, 1);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glPopMatrix();
    GLdouble wx, wy, wz;
    if (gluProject(p.x, p.y, p.z, model, proj, view, &wx, &wy, &wz) != GL_TRUE) return false;
    x = wx;
    yTop = height - wy;
    return true;
}
