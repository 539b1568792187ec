// The six scene texture objects, shared by render/'s own files (and tests).
#pragma once
#include <cstdint>

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
