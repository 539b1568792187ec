// The helicopter model at its position and attitude, its skin with the user's canopy, shadow and trails.
#pragma once
#include "assets/image.h"
#include "assets/xmesh.h"
#include "flight/vec_math.h"
#include "render/render_snapshot.h"

// Shadow, model and trails of the frame; lighting is switched on and off around the shadow and model.
void DrawHelicopter(const RenderSnapshot& snap);

// The turn that sends the body's +X to the nose axis and its +Z to the up axis.
Mat4 AttitudeMatrix(Vec3 noseAxis, Vec3 upAxis);

// Draws every batch of the mesh with its material; the last batch is the translucent rotor disc.
// An empty mesh draws nothing. Expects the model-view matrix to hold the model's placement.
void DrawXMesh(const XMesh& mesh);

// Pastes canopy pixels into the skin wherever the mask is dark, then fills the patch block under the
// canopy with the canopy's colour at row 1, column 270. Nothing changes when the canopy is smaller than
// the mask or any picture has no pixels; only pixels that exist in the pictures are touched.
void CompositeCanopy(RgbImage& skin, const RgbImage& mask, const RgbImage& canopy);

// data/canopy.jpg composited into heliSkinImage, then uploaded (context current).
void RebuildCanopySkin();
// heliSkinImage uploaded as it is (context current).
void UploadHeliSkin();

// Shadow disc and trail; called by DrawHelicopter.
void DrawShadow();
void DrawTrails(const RenderSnapshot& snap);
