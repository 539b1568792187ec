// The scene's pictures, the filtering in use and the reload requests that only render/'s own files (and
// tests) use.
#pragma once
#include "assets/image.h"
#include "render/textures.h"

extern RgbImage doorWindowImage;
extern RgbImage bricksImage;
extern RgbImage backdropImage;
extern RgbImage heliSkinImage;
extern RgbImage grassImage;
extern RgbImage pebblesImage;
extern RgbImage canopyMaskImage; // loaded with the textures, but only used for compositing

// The filtering of the six scene textures (ApplySceneFiltering sets it).
extern TextureFiltering SceneFiltering;

// Requests to load a texture's picture again, set under SimMutex by the calls that change it.
extern bool reloadCanopyTexture;
extern bool reloadBackdropTexture;
