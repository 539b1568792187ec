// GL set-up, the frame in its fixed order, the camera and the resize.
#include "render/render_frame.h"
#include "render/render_frame_internal.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

#include "flight/heli_step.h"
#include "render/helicopter.h"
#include "render/hover_box.h"
#include "render/instruments.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/scenery_internal.h"
#include "render/textures.h"
#include "render/textures_internal.h"
#include "render/view_settings.h"
#include "render/view_zoom.h"

int32_t clientWidth = 1;
int32_t clientHeight = 1;
float aspectRatio = 1.0f;
Vec3 renderHeliPosition = {0.0f, 0.0f, 0.0f};
int32_t OverlayScale = 1;
bool PreferHighBackdrop = false;

namespace {
const GLfloat GlobalAmbient[4] = {0.1f, 0.1f, 0.1f, 0.52f};

void SetGlobalAmbient() {
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, GlobalAmbient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}

void SetPerspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(static_cast<double>(Zoom.fieldOfView), aspectRatio, 0.2, 300.0);
    glMatrixMode(GL_MODELVIEW);
}

// Overlay units of unit pixels, origin at the top left, y downward.
void SetOverlayProjection(float unit) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, static_cast<double>(clientWidth) / unit, static_cast<double>(clientHeight) / unit, 0.0, -1.0,
            100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A minimised window reports a zero side; the view keeps a 1-pixel side so the aspect stays finite.
void StoreClientSize(int32_t width, int32_t height) {
    clientWidth = width > 0 ? width : 1;
    clientHeight = height > 0 ? height : 1;
    aspectRatio = static_cast<float>(clientWidth) / static_cast<float>(clientHeight);
}
} // namespace

void InitGL() {
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // These go to the default texture object only; the six named textures get their filtering at upload.
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);

    // Trilinear filtering on a GPU; bilinear from the nearest mip level on a software rasterizer, where
    // blending two levels doubles the texel reads of every textured pixel.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    SceneFiltering = FilteringForRenderer(renderer);

    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    backgroundResolution = StartBackgroundResolution(PreferHighBackdrop, maxTextureSize,
                                                     SoftwareRendererName(renderer), backgroundResolution);
    glGenTextures(SceneTextureCount, SceneTexture);
    LoadSceneTextures();

    // Light 1, given while the model-view matrix is the identity: its direction stays fixed in eye space.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const GLfloat position[4] = {0.1f, 1000.0f, 0.0f, 0.0f};
    const GLfloat specular[4] = {0.8f, 0.8f, 0.8f, 0.8f};
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glLightfv(GL_LIGHT1, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glPopMatrix();
    glEnable(GL_LIGHT1);
    SetGlobalAmbient();
}

int32_t StartBackgroundResolution(bool preferHigh, int32_t maxTextureSize, bool software, int32_t current) {
    if (!preferHigh) return current;
    if (software && maxTextureSize >= 2048) return 2;
    return maxTextureSize >= 4096 ? 3 : current;
}

void ResizeView(int32_t width, int32_t height) {
    StoreClientSize(width, height);
    SetPerspective();
    glViewport(0, 0, clientWidth, clientHeight);
    glEnable(GL_DEPTH_TEST);
}

Vec3 CameraLookTarget(Vec3 position, Vec3 smoothedTarget, bool smoothFollow, bool lowerAngle) {
    Vec3 t = smoothFollow ? smoothedTarget : position;
    if (lowerAngle) {
        float d = std::sqrt(t.x * t.x + t.y * t.y) + 0.1f;
        t.z = std::tan(std::atan(t.z / d) - 0.08f) * d;
    }
    // Looking exactly along the up vector leaves the view matrix undefined; a millimetre off keeps it.
    if (std::fabs(t.x - PilotEye.x) < 1e-4f && std::fabs(t.y - PilotEye.y) < 1e-4f) t.y = PilotEye.y + 1e-3f;
    return t;
}

void RenderFrame(int32_t width, int32_t height) {
    const RenderSnapshot& snap = FrameSnapshot;
    if (width != clientWidth || height != clientHeight) StoreClientSize(width, height);

    // The menu and dialogs drawn after the previous frame may have changed the texture environment.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    SetPerspective();
    glViewport(0, 0, clientWidth, clientHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);

    renderHeliPosition = snap.heli.position;
    Vec3 target =
        CameraLookTarget(snap.heli.position, snap.smoothedCameraTarget, smoothCameraFollow, lowerCameraAngle);
    gluLookAt(PilotEye.x, PilotEye.y, PilotEye.z, target.x, target.y, target.z, 0.0, 0.0, 1.0);

    SetGlobalAmbient();
    DrawScenery();
    DrawWindsock(snap.windType, snap.windVelocity);

    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    DrawHelicopter(snap);
    if (snap.hoverBoxOn) DrawHoverBox(snap.hoverBoxCentre, snap.hoverInside);
    SetGlobalAmbient();

    // A scaled overlay draws in units of scale pixels, still anchored to the window's edges; the
    // instruments and lamps in units of scale x the chosen instrument size.
    const int32_t scale = OverlayScale >= 1 && OverlayScale <= 8 ? OverlayScale : 1;
    const float size = static_cast<float>(scale) * InstrumentSizeFactor(InstrumentSizeChoice);
    // The overlay is flat: later marks cover earlier ones (the record square over the pause bars, needles
    // over rings), which equal depths under the depth test would not allow. The next frame turns it on.
    glDisable(GL_DEPTH_TEST);
    // Lines keep their width in overlay units too.
    SetOverlayProjection(size);
    glLineWidth(size);
    const int32_t instrumentWidth = std::max(1, static_cast<int32_t>(static_cast<float>(clientWidth) / size));
    const int32_t instrumentHeight =
        std::max(1, static_cast<int32_t>(static_cast<float>(clientHeight) / size));
    DrawInstruments(snap, instrumentWidth, instrumentHeight);
    DrawSwitchLamps(snap, instrumentWidth, instrumentHeight);
    SetOverlayProjection(static_cast<float>(scale));
    glLineWidth(static_cast<float>(scale));
    DrawStatusMarks(snap, std::max(1, clientWidth / scale));
    glLineWidth(1.0f);
}
