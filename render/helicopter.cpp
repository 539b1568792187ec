// Helicopter drawing: placement, materials and culling, the rotor disc, the skin and its canopy.
#include "render/helicopter.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstring>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "flight/trail.h"
#include "render/render_frame.h"
#include "render/render_frame_internal.h"
#include "render/scenery.h"
#include "render/scenery_internal.h"
#include "render/textures.h"
#include "render/textures_internal.h"

Mat4 AttitudeMatrix(Vec3 noseAxis, Vec3 upAxis) {
    Mat4 noseTurn = rotationBetween(WorldUnitX, noseAxis);
    Mat4 back = rotationBetween(noseAxis, WorldUnitX);
    Vec3 upInNoseFrame = transform(upAxis, back);
    Mat4 upTurn = rotationBetween(WorldUnitZ, upInNoseFrame);
    return multiply(noseTurn, upTurn);
}

namespace {
void BlendOff() {
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_SRC_ALPHA_SATURATE);
}

const MeshMaterial* BatchMaterial(const XMesh& mesh, const MeshBatch& batch) {
    if (!mesh.materials || batch.material < 0 || batch.material >= mesh.materialCount) return nullptr;
    return &mesh.materials[batch.material];
}
} // namespace

void DrawXMesh(const XMesh& mesh) {
    // Mesh axes to body axes: the mesh's -Z is the nose, +Y is up, +X the right side.
    glRotatef(270.0f, 0.0f, 0.0f, 1.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);

    glBindTexture(GL_TEXTURE_2D, SceneTexture[HeliSkin]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // x is mirrored on reading, which turns the winding of the stock model's faces around.
    if (!meshFromFile) {
        glEnable(GL_CULL_FACE);
        glCullFace(coordinateMirror < 0.0f ? GL_FRONT : GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }

    const GLfloat rotorDisc[4] = {0.72f, 0.72f, 0.72f, 0.15f};
    for (int32_t b = 0; b < mesh.batchCount && mesh.batches; ++b) {
        const MeshBatch& batch = mesh.batches[b];
        if (!batch.positions || batch.faceCount <= 0) continue;
        const MeshMaterial* material = BatchMaterial(mesh, batch);
        const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        const GLfloat noSpecular[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        const GLfloat* color = material ? material->faceColor : white;
        // Specular red, green, blue, then the emissive red as alpha: the four floats from `specular`.
        GLfloat specular[4];
        if (material) {
            std::memcpy(specular, material->specular, 3 * sizeof(float));
            specular[3] = material->emissive[0];
        } else {
            std::memcpy(specular, noSpecular, sizeof(specular));
        }
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, color);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, color);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS,
                    material ? std::clamp(material->power, 0.0f, 128.0f) : 0.0f);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);

        if (b == mesh.batchCount - 1) {
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, rotorDisc);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, rotorDisc);
            if (meshFromFile)
                glDisable(GL_LIGHT1);
            else
                glEnable(GL_LIGHT1);
        } else {
            glEnable(GL_LIGHT1);
        }

        if (material && material->hasTexture && batch.texCoords) {
            glEnable(GL_TEXTURE_2D);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, batch.texCoords);
        } else {
            glDisable(GL_TEXTURE_2D);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }

        glVertexPointer(3, GL_FLOAT, 0, batch.positions);
        if (batch.normals) {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, 0, batch.normals);
        } else {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
        if (batch.verticesPerFace == 3)
            glDrawArrays(GL_TRIANGLES, 0, 3 * batch.faceCount);
        else
            glDrawArrays(GL_QUADS, 0, 4 * batch.faceCount);
    }

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    BlendOff();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
}

void DrawShadow() {
    glPolygonMode(GL_FRONT, GL_FILL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, shadowCircle);

    const GLfloat shade[4] = {0.0f, 0.0f, 0.0f, 0.2f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glColor4fv(shade);
    glMaterialfv(GL_FRONT, GL_AMBIENT, shade);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, shade);
    glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
    glMaterialfv(GL_FRONT, GL_SPECULAR, none);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_POLYGON, 0, 36);
    BlendOff();
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawTrails(const RenderSnapshot& snap) {
    if (!snap.trailsOn) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    // The trail shows through the ground and the scenery; depth testing is back on next frame.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor4f(0.7f, 0.7f, 0.0f, 1.0f);
    GLenum mode = snap.trailsDotted ? GL_LINES : GL_LINE_STRIP;
    for (const std::vector<Vec3>* part : {&snap.trailOlder, &snap.trailNewer}) {
        if (part->empty()) continue;
        glVertexPointer(3, GL_FLOAT, 0, part->data());
        glDrawArrays(mode, 0, static_cast<GLsizei>(part->size()));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawHelicopter(const RenderSnapshot& snap) {
    glEnable(GL_LIGHTING);

    // A mesh that failed to load has no batches: no model, so no shadow either.
    if (HeliMesh.batchCount > 0) {
        glPushMatrix();
        glTranslatef(renderHeliPosition.x, renderHeliPosition.y, 0.02f);
        DrawShadow();
        glPopMatrix();
    }

    glPushMatrix();
    glTranslatef(renderHeliPosition.x, renderHeliPosition.y, renderHeliPosition.z);
    Mat4 attitude = AttitudeMatrix(snap.heli.noseAxis, snap.heli.upAxis);
    glMultMatrixf(attitude.m);
    DrawXMesh(HeliMesh);
    glPopMatrix();

    glDisable(GL_LIGHTING);
    DrawTrails(snap);
}

void CompositeCanopy(RgbImage& skin, const RgbImage& mask, const RgbImage& canopy) {
    if (!ImageUsable(skin) || !ImageUsable(mask) || !ImageUsable(canopy)) return;
    if (mask.width > canopy.width || mask.height > canopy.height) return;

    for (int32_t y = 0; y < mask.height && y < skin.height; ++y) {
        for (int32_t x = 0; x < mask.width && x < skin.width; ++x) {
            if (ImagePixel(mask, y, x)[0] >= 100) continue;
            std::memcpy(skin.pixels + static_cast<size_t>(y) * skin.stride + 3 * static_cast<size_t>(x),
                        ImagePixel(canopy, y, x), 3);
        }
    }

    const uint8_t* patch = ImagePixel(canopy, 1, 270);
    if (!patch || skin.height < 439) return;
    uint8_t c[3] = {patch[0], patch[1], patch[2]};
    for (int32_t y = 438; y < skin.height; ++y)
        for (int32_t x = 225; x <= 321 && x < skin.width; ++x)
            std::memcpy(skin.pixels + static_cast<size_t>(y) * skin.stride + 3 * static_cast<size_t>(x), c,
                        3);
}

void RebuildCanopySkin() {
    RgbImage canopy{};
    const std::string path = CanopyPicturePlace().read;
    LoadImageFile(canopy, path);
    if (canopy.failed) ReportReadFailure(path, "the canopy picture");
    SwapRedBlue(canopy);
    CompositeCanopy(heliSkinImage, canopyMaskImage, canopy);
    FreeImage(canopy);
    UploadTexture(heliSkinImage, SceneTexture[HeliSkin], true);
}

void UploadHeliSkin() {
    UploadTexture(heliSkinImage, SceneTexture[HeliSkin], true);
}
