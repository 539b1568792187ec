// The flying field: panorama cylinder, sky disc, ground grid, gravel, school building, field lines, wind
// sock.
#pragma once
#include <cstdint>
#include "flight/vec_math.h"

// The six texture objects, named by InitGL.
enum SceneTextureIndex : int32_t {
    DoorWindow = 0,
    Bricks = 1,
    Backdrop = 2,
    HeliSkin = 3,
    Grass = 4,
    Pebbles = 5
};
constexpr int32_t SceneTextureCount = 6;
extern uint32_t SceneTexture[SceneTextureCount];

// Fixed geometry, built once by BuildSceneryGeometry (world frame, metres).
constexpr int32_t BackdropVertexCount = 42;
constexpr int32_t GroundSide = 41;
constexpr int32_t GroundVertexCount = GroundSide * GroundSide;
constexpr int32_t GroundIndexCount = 6400;
extern float backdropVertices[BackdropVertexCount * 3];
extern float backdropTexCoords[BackdropVertexCount * 2];
extern float groundVertices[GroundVertexCount * 3];
extern float groundTexCoords[GroundVertexCount * 2];
extern uint32_t groundIndices[GroundIndexCount];

// Called once at program start, before any frame.
void BuildSceneryGeometry();

// Called by RenderFrame in this order, lighting off and the decal texture environment set.
void DrawScenery();
void DrawWindsock(int32_t windType, Vec3 windVelocity);
