// The pictures behind the six scene textures, their upload, and the reload requests served per frame.
#pragma once
#include <cstdint>
#include <vector>
#include "assets/image.h"

// Loads every picture and uploads every texture; called by InitGL with the context current. The pictures
// only the textures need are freed once uploaded (the skin and canopy mask stay for the canopy rebuild).
// A High panorama is first shown at Low and read at full size after the first frame (ServeTextureReloads).
// Pictures read by StartPreparingScenePictures are taken from it (waiting for it if need be).
void LoadSceneTextures();
// Reads the start-up pictures and makes their texture levels on a thread of their own, while the window
// and its GL context are made (no context needed); after the settings are read, before the window.
void StartPreparingScenePictures();
// Waits for that reading and drops it, for a start that ends without a window.
void FinishPreparingScenePictures();

// Texture filtering of the scene textures: trilinear (the mip levels blended), or bilinear from the nearest
// mip level, which reads half the texels and is what a software rasterizer can afford.
enum class TextureFiltering : int32_t { Trilinear, NearestLevel };
// True for the renderer names of Mesa's software rasterizers (llvmpipe, softpipe, swrast) and of
// renderers that call themselves software; an unknown (null) renderer counts as software.
bool SoftwareRendererName(const char* renderer);
TextureFiltering FilteringForRenderer(const char* renderer);
// The minifying filter (a GL enum value) of a filtering.
int32_t MinifyingFilter(TextureFiltering filtering);
// Sets the filtering on the bound texture.
void SetBoundTextureFiltering(TextureFiltering filtering);
// Sets SceneFiltering and applies it to the six scene textures.
void ApplySceneFiltering(TextureFiltering filtering);

// One level of a texture: tight RGB rows, bottom row first.
struct TextureLevel {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};
// Level 0 first. Empty for a picture without pixels.
using TextureLevels = std::vector<TextureLevel>;

// Level 0 is the picture bottom row first. For sides that are powers of two the whole mipmap chain
// follows, each texel the mean of the 2 x 2 texels above it, rounded as gluBuild2DMipmaps rounds it;
// other sizes keep level 0 only, for GLU to scale at upload. Needs no GL context (any thread).
TextureLevels PrepareTextureLevels(const RgbImage& image);
// Uploads the levels under the given texture name (deleted and re-created first when rebuild is set),
// filtered as SceneFiltering says; a single level that is not a power of two, or a picture larger than
// the renderer takes, goes through gluBuild2DMipmaps. No levels give one neutral grey texel.
void UploadTextureLevels(const TextureLevels& levels, uint32_t texture, bool rebuild);
// Copies the picture bottom row first into a tight buffer and builds the full mipmap chain under the
// given texture name (deleted and re-created first when rebuild is set), filtered as SceneFiltering says.
// A picture without pixels is never read: the texture then holds one neutral grey texel.
void UploadTexture(const RgbImage& image, uint32_t texture, bool rebuild);

// Reads backdrop.jpg again at the width of the chosen backgroundResolution (a JPEG decoded at that
// scale, other pictures halved to it), re-uploads it and frees the picture (its sizes stay).
void ReloadBackdrop();

// Width limit of the backdrop for a backgroundResolution value: 1024 (Low), 2048 (Medium), 0 for none.
int32_t BackdropWidthLimit(int32_t resolution);

// Request to upload the helicopter's skin again, set by the commands that change the mesh or the skin
// (the canopy and backdrop requests are render/'s own).
extern bool reloadHeliTexture;

// Serves reloadCanopyTexture, reloadBackdropTexture and reloadHeliTexture in this order, clearing each
// before its work, and from its second call on a High panorama that start-up left at Low. The main loop
// calls it every frame with the context current, before RenderFrame.
void ServeTextureReloads();

// The picture pixel (row from the top, column) as red, green, blue, or null outside the picture.
const uint8_t* ImagePixel(const RgbImage& image, int32_t row, int32_t column);
// A picture with pixels whose sizes can be trusted.
bool ImageUsable(const RgbImage& image);
