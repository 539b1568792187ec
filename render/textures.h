// The pictures behind the six scene textures, their upload, and the reload requests served per frame.
#pragma once
#include <cstdint>
#include "assets/image.h"

extern RgbImage doorWindowImage;
extern RgbImage bricksImage;
extern RgbImage backdropImage;
extern RgbImage heliSkinImage;
extern RgbImage grassImage;
extern RgbImage pebblesImage;
extern RgbImage canopyMaskImage; // loaded with the textures, but only used for compositing

// Loads every picture and uploads every texture; called by InitGL with the context current.
void LoadSceneTextures();

// Copies the picture bottom row first into a tight buffer and builds the full mipmap chain under the
// given texture name (deleted and re-created first when rebuild is set). A picture without pixels is
// never read: the texture then holds one neutral grey texel.
void UploadTexture(const RgbImage& image, uint32_t texture, bool rebuild);

// Reads backdrop.jpg again, halves it to the width of the chosen backgroundResolution and re-uploads it.
void ReloadBackdrop();

// Width limit of the backdrop for a backgroundResolution value: 1024 (Low), 2048 (Medium), 0 for none.
int32_t BackdropWidthLimit(int32_t resolution);

// Requests to load a texture's picture again, set under SimMutex by the commands that change it.
extern bool reloadCanopyTexture;
extern bool reloadBackdropTexture;
extern bool reloadHeliTexture;

// Serves reloadCanopyTexture, reloadBackdropTexture and reloadHeliTexture in this order, clearing each
// before its work. The main loop calls it every frame with the context current, before RenderFrame.
void ServeTextureReloads();

// The picture pixel (row from the top, column) as red, green, blue, or null outside the picture.
const uint8_t* ImagePixel(const RgbImage& image, int32_t row, int32_t column);
// A picture with pixels whose sizes can be trusted.
bool ImageUsable(const RgbImage& image);
