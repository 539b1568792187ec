// The two helicopter models the program ships (the stock 450 and a Bell 206 JetRanger), written as text
// meshes, and the layout their skins must follow.
#pragma once
#include <string>

// Skin layout of the stock 450 (512 x 512 picture, rows from the top).
constexpr int SkinSize = 512;
// The canopy shell is mapped by a side view into this rectangle (inside the 460 x 176 mask).
constexpr float CanopyU0 = 6, CanopyU1 = 454, CanopyV0 = 6, CanopyV1 = 170;
// The fin and stabiliser are mapped into the block that takes the canopy's main colour.
constexpr float PatchU0 = 229, PatchU1 = 317, PatchV0 = 442, PatchV1 = 507;
// Tail boom decal and carbon-fibre plate regions.
constexpr float BoomV0 = 200, BoomV1 = 260;
constexpr float CarbonU0 = 8, CarbonU1 = 200, CarbonV0 = 280, CarbonV1 = 420;

// Canopy of the stock 450 in model metres: from the nose (s = 0) to its rear edge (s = 1).
constexpr float CanopyNoseZ = -0.20f, CanopyRearZ = 0.10f;
constexpr float CanopyMinY = -0.040f, CanopyMaxY = 0.108f;
struct CanopySection {
    float top, bottom, halfWidth;
};
CanopySection CanopyAt(float s);

// Where a canopy point (z, y) of the side view lands in the skin, in pixels.
void CanopySkinPixel(float z, float y, float& column, float& row);

// The mesh texts. Counts are printed by the generator.
std::string BuildStock450Text();
std::string BuildBell206Text();

// Skin layout of the Bell 206 (512 x 512): fuselage side view in the top half.
constexpr float BellBodyU0 = 8, BellBodyU1 = 504, BellBodyV0 = 8, BellBodyV1 = 248;
constexpr float BellNoseZ = -2.9f, BellTailZ = 6.6f, BellMinY = -0.75f, BellMaxY = 1.45f;
void BellSkinPixel(float z, float y, float& column, float& row);
