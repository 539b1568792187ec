// The scene's pictures, the filtering in use and the reload requests that only render/'s own files (and
// tests) use.
#pragma once
#include "assets/image.h"
#include "render/textures.h"

// The other pictures are freed once their textures are made; the panorama keeps only its sizes.
extern RgbImage backdropImage;
extern RgbImage heliSkinImage;   // kept for the canopy rebuild
extern RgbImage canopyMaskImage; // loaded with the textures, but only used for compositing

// The filtering of the six scene textures (ApplySceneFiltering sets it).
extern TextureFiltering SceneFiltering;

// Requests to load a texture's picture again, set under SimMutex by the calls that change it.
extern bool reloadCanopyTexture;
extern bool reloadBackdropTexture;
