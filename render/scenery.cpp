// Scenery geometry and its drawing in a fixed order.
#include "render/scenery.h"

#include <GL/gl.h>
#include <cmath>
#include <initializer_list>

#include "flight/field.h"
#include "render/scenery_internal.h"

static_assert(sizeof(GLuint) == sizeof(uint32_t));

uint32_t SceneTexture[SceneTextureCount] = {};

namespace {
// Fixed geometry, built once by BuildSceneryGeometry (world frame, metres).
constexpr int32_t BackdropVertexCount = 42;
constexpr int32_t GroundSide = 41;
constexpr int32_t GroundVertexCount = GroundSide * GroundSide;
constexpr int32_t GroundIndexCount = 6400;
float backdropVertices[BackdropVertexCount * 3];
float backdropTexCoords[BackdropVertexCount * 2];
float groundVertices[GroundVertexCount * 3];
float groundTexCoords[GroundVertexCount * 2];
uint32_t groundIndices[GroundIndexCount];

// The sky disc's rim every 18 degrees from 0 to 360, built once with the rest of the geometry.
float skyRim[21][2];
} // namespace

void BuildSceneryGeometry() {
    for (int i = 0; i <= 20; ++i) {
        float deg = static_cast<float>(i) * 18.0f;
        float a = deg * DegToRad;
        float x = 200.0f * std::cos(a), y = 200.0f * std::sin(a);
        float s = deg / 180.0f;
        float* bottom = backdropVertices + 6 * i;
        bottom[0] = x, bottom[1] = y, bottom[2] = 0.0f;
        bottom[3] = x, bottom[4] = y, bottom[5] = 200.0f;
        float* tc = backdropTexCoords + 4 * i;
        tc[0] = s, tc[1] = 0.0f;
        tc[2] = s, tc[3] = 1.0f;
    }

    for (int i = 0; i <= 20; ++i) {
        float a = static_cast<float>(i) * 18.0f * DegToRad;
        skyRim[i][0] = 200.0f * std::cos(a);
        skyRim[i][1] = 200.0f * std::sin(a);
    }

    const float g = 420.0f / 41.0f;
    for (int i = 0; i < GroundSide; ++i) {
        for (int j = 0; j < GroundSide; ++j) {
            int n = GroundSide * i + j;
            float x = g * static_cast<float>(i) - 200.0f + g / 2.0f;
            float y = g * static_cast<float>(j) - 200.0f;
            float r = std::sqrt(x * x + y * y);
            groundVertices[3 * n] = x;
            groundVertices[3 * n + 1] = y;
            groundVertices[3 * n + 2] = 2.0f * std::exp(-(r - 100.0f) * (r - 100.0f) / 100.0f);
            groundTexCoords[2 * n] = 2.0f * static_cast<float>(i);
            groundTexCoords[2 * n + 1] = 2.0f * static_cast<float>(j);
        }
    }
    int k = 0;
    for (uint32_t row = 0; row < 40; ++row) {
        for (uint32_t col = 0; col < 40; ++col) {
            groundIndices[k++] = 41 * col + row;
            groundIndices[k++] = 41 * col + row + 1;
            groundIndices[k++] = 41 * (col + 1) + row + 1;
            groundIndices[k++] = 41 * (col + 1) + row;
        }
    }
}

namespace {
void BlendOff() {
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_SRC_ALPHA_SATURATE);
}

// A textured quad in a plane y = const, corners given in (x, z) from bottom-left counter-clockwise.
void WallQuad(float y, float x1, float x2, float z1, float z2, float s1, float s2, float t1, float t2) {
    glBegin(GL_QUADS);
    glTexCoord2f(s1, t1);
    glVertex3f(x1, y, z1);
    glTexCoord2f(s2, t1);
    glVertex3f(x2, y, z1);
    glTexCoord2f(s2, t2);
    glVertex3f(x2, y, z2);
    glTexCoord2f(s1, t2);
    glVertex3f(x1, y, z2);
    glEnd();
}

void FieldQuad(float xa, float ya, float xb, float yb, float xc, float yc, float xd, float yd) {
    const float z = 0.011f;
    glBegin(GL_QUADS);
    glVertex3f(xa, ya, z);
    glVertex3f(xb, yb, z);
    glVertex3f(xc, yc, z);
    glVertex3f(xd, yd, z);
    glEnd();
}

// Lines along X overshoot both ends by half their width; lines along Y stop short by as much, so
// corners are never covered twice.
void LineAlongX(float y, float x1, float x2) {
    FieldQuad(x1 - 0.08f, y - 0.08f, x1 - 0.08f, y + 0.08f, x2 + 0.08f, y + 0.08f, x2 + 0.08f, y - 0.08f);
}
void LineAlongY(float x, float y1, float y2) {
    FieldQuad(x - 0.08f, y1 + 0.08f, x + 0.08f, y1 + 0.08f, x + 0.08f, y2 - 0.08f, x - 0.08f, y2 - 0.08f);
}

void Pad(float cx, float cy) {
    LineAlongY(cx - 0.7f, cy - 0.7f, cy + 0.7f);
    LineAlongY(cx + 0.7f, cy - 0.7f, cy + 0.7f);
    LineAlongX(cy - 0.7f, cx - 0.7f, cx + 0.7f);
    LineAlongX(cy + 0.7f, cx - 0.7f, cx + 0.7f);
}

void DrawFieldLines() {
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 0.7f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, white);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    LineAlongX(19.0f, -19.0f, 19.0f);
    LineAlongX(2.0f, -19.0f, 19.0f);
    LineAlongY(-19.0f, 2.0f, 19.0f);
    LineAlongY(19.0f, 2.0f, 19.0f);
    const float pads[6][2] = {{0, 6}, {8, 6}, {-8, 6}, {0, 14}, {8, 14}, {-8, 14}};
    for (const auto& p : pads)
        Pad(p[0], p[1]);

    BlendOff();
}

void DrawSchoolBuilding() {
    glBindTexture(GL_TEXTURE_2D, SceneTexture[Bricks]);
    WallQuad(-10.0f, -20.0f, 20.0f, 0.0f, 4.0f, 0.0f, 50.0f, 0.0f, 5.0f);
    glBindTexture(GL_TEXTURE_2D, SceneTexture[DoorWindow]);
    WallQuad(-10.0f, -20.0f, 20.0f, 4.0f, 4.2f, 0.0f, 1.0f, 0.6875f, 0.633f);
    WallQuad(-9.99f, 7.0f, 13.0f, 1.0f, 3.0f, 0.0f, 1.0f, 0.6875f, 1.0f);
    WallQuad(-9.99f, -13.0f, -7.0f, 1.0f, 3.0f, 0.0f, 1.0f, 0.6875f, 1.0f);
    WallQuad(-9.99f, -2.0f, 2.0f, 0.0f, 2.6f, 0.0f, 1.0f, 0.0f, 0.633f);
}
void DrawPanorama() {
    // Panorama cylinder.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, SceneTexture[Backdrop]);
    glVertexPointer(3, GL_FLOAT, 0, backdropVertices);
    glTexCoordPointer(2, GL_FLOAT, 0, backdropTexCoords);
    glDrawArrays(GL_QUAD_STRIP, 0, BackdropVertexCount);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawSky() {
    // Sky disc: deep blue overhead, paler at the rim. Twenty triangles of 18 degrees each, the first from
    // the rim point at 0 degrees: a fan whose triangles never overlap (overlapping ones at the same depth
    // fight in stripes).
    glDisable(GL_BLEND);
    glBegin(GL_TRIANGLES);
    for (int i = 1; i <= 20; ++i) {
        glColor3f(0.1882f, 0.3647f, 0.8196f);
        glVertex3f(0.0f, 0.0f, 195.0f);
        glColor3f(0.3098f, 0.5f, 0.8196f);
        glVertex3f(skyRim[i][0], skyRim[i][1], 195.0f);
        glVertex3f(skyRim[i - 1][0], skyRim[i - 1][1], 195.0f);
    }
    glEnd();
}

void DrawGround() {
    // Ground grid with its ring of low hills.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, SceneTexture[Grass]);
    glVertexPointer(3, GL_FLOAT, 0, groundVertices);
    glTexCoordPointer(2, GL_FLOAT, 0, groundTexCoords);
    glDrawElements(GL_QUADS, GroundIndexCount, GL_UNSIGNED_INT, groundIndices);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawGravel() {
    // Gravel square around the pilot.
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, SceneTexture[Pebbles]);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_QUADS);
    glTexCoord2f(0.5f, 0.0f);
    glVertex3f(-20.0f, -20.0f, 0.01f);
    glTexCoord2f(10.5f, 0.0f);
    glVertex3f(20.0f, -20.0f, 0.01f);
    glTexCoord2f(10.5f, 10.0f);
    glVertex3f(20.0f, 20.0f, 0.01f);
    glTexCoord2f(0.5f, 10.0f);
    glVertex3f(-20.0f, 20.0f, 0.01f);
    glEnd();
}

} // namespace

void DrawScenery() {
    // Nearest first: the gravel hides the grass under it and the ground hides the panorama's foot, so
    // the depth test discards those pixels before they are textured. The picture is the same as in the
    // far-to-near order; only the software renderer's work shrinks.
    DrawGravel();
    DrawGround();
    DrawPanorama();
    DrawSky();

    // The school building is textured (the gravel left texturing on in the far-to-near order).
    glEnable(GL_TEXTURE_2D);
    if (showSchoolBuilding) DrawSchoolBuilding();

    DrawFieldLines();
}

void DrawWindsock(int32_t windType, Vec3 windVelocity) {
    if (windType == 0) return;
    float s = length(windVelocity) / 20.0f;
    float heading = headingAngle(windVelocity);
    float droop = (90.0f - 90.0f * s) * DegToRad;

    glPushMatrix();
    glTranslatef(0.0f, 24.0f, 0.0f);

    // Pole: dark edges, light middle, facing the pilot.
    glBegin(GL_QUADS);
    for (float side : {-0.05f, 0.05f}) {
        glColor3f(0.2f, 0.2f, 0.2f);
        glVertex3f(side, 0.0f, 0.0f);
        glVertex3f(side, 0.0f, 2.8f);
        glColor3f(0.7f, 0.7f, 0.7f);
        glVertex3f(0.0f, 0.0f, 2.8f);
        glVertex3f(0.0f, 0.0f, 0.0f);
    }
    glEnd();

    glRotatef(heading * RadToDeg, 0.0f, 0.0f, 1.0f);
    glEnable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const GLfloat orange[4] = {0.77f, 0.29f, 0.0f, 0.77f};
    const GLfloat orangeSpecular[4] = {0.77f, 0.29f, 0.0f, 0.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, orange);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, orange);
    glMaterialfv(GL_FRONT, GL_SPECULAR, orangeSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
    glMaterialfv(GL_BACK, GL_AMBIENT, none);
    glMaterialfv(GL_BACK, GL_DIFFUSE, none);
    glMaterialfv(GL_BACK, GL_SPECULAR, none);
    glMaterialf(GL_BACK, GL_SHININESS, 0.0f);
    const GLfloat sockAmbient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, sockAmbient);

    // Three rings: the mouth, the end of the level first section, the drooping tail.
    const float middleX = 1.2f * s, middleR = 0.2f - 0.1f * s;
    const float tailX = 1.2f * s + std::cos(droop) * 1.2f * (1.0f - s);
    const float tailZ = 3.0f - std::sin(droop) * 1.2f * (1.0f - s);
    auto ring = [](float x, float zc, float r, int k) {
        float t = static_cast<float>(k) * Pi / 6.0f;
        return set(x, r * std::cos(t), zc + r * std::sin(t));
    };
    auto vertex = [](Vec3 n, Vec3 p) {
        glNormal3f(n.x, n.y, n.z);
        glVertex3f(p.x, p.y, p.z);
    };
    glBegin(GL_QUADS);
    for (int k = 0; k < 12; ++k) {
        float t0 = static_cast<float>(k) * Pi / 6.0f, t1 = static_cast<float>(k + 1) * Pi / 6.0f;
        Vec3 n0 = set(0.0f, std::cos(t0), std::sin(t0));
        Vec3 n1 = set(0.0f, std::cos(t1), std::sin(t1));
        vertex(n0, ring(0.0f, 3.0f, 0.2f, k));
        vertex(n1, ring(0.0f, 3.0f, 0.2f, k + 1));
        vertex(n1, ring(middleX, 3.0f, middleR, k + 1));
        vertex(n0, ring(middleX, 3.0f, middleR, k));
        rotateY(n0, 75.0f);
        rotateY(n1, 75.0f);
        vertex(n0, ring(middleX, 3.0f, middleR, k));
        vertex(n1, ring(middleX, 3.0f, middleR, k + 1));
        vertex(n1, ring(tailX, tailZ, 0.1f, k + 1));
        vertex(n0, ring(tailX, tailZ, 0.1f, k));
    }
    glEnd();

    glDisable(GL_LIGHTING);
    const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 0.52f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glPopMatrix();
}
