// A square on the ground and a see-through cube, drawn with blending and without lighting or textures.
#include "render/hover_box.h"

#include <GL/gl.h>

#include "flight/hover_trainer.h"

void DrawHoverBox(Vec3 centre, bool held) {
    const float h = HoverBoxHalfSize;
    const float x0 = centre.x - h, x1 = centre.x + h, y0 = centre.y - h, y1 = centre.y + h;
    const float z0 = centre.z - h, z1 = centre.z + h;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LINE_BIT | GL_POLYGON_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const float r = held ? 0.2f : 1.0f, g = 1.0f, b = held ? 0.2f : 1.0f;
    // The square on the field, a centimetre up so the gravel does not cover it.
    glLineWidth(3.0f);
    glColor4f(r, g, b, 0.9f);
    glBegin(GL_LINE_LOOP);
    glVertex3f(x0, y0, 0.012f);
    glVertex3f(x1, y0, 0.012f);
    glVertex3f(x1, y1, 0.012f);
    glVertex3f(x0, y1, 0.012f);
    glEnd();
    // The cube: faint faces that do not hide what lies behind them, and its edges.
    glDepthMask(GL_FALSE);
    glColor4f(r, g, b, 0.08f);
    const float faces[6][4][3] = {
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}},
        {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}},
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}},
        {{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}},
        {{x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}},
        {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}},
    };
    glBegin(GL_QUADS);
    for (const auto& face : faces)
        for (const auto& v : face)
            glVertex3f(v[0], v[1], v[2]);
    glEnd();
    glLineWidth(1.5f);
    glColor4f(r, g, b, 0.45f);
    for (const auto& face : faces) {
        glBegin(GL_LINE_LOOP);
        for (const auto& v : face)
            glVertex3f(v[0], v[1], v[2]);
        glEnd();
    }
    glPopAttrib();
    glLineWidth(1.0f);
}
