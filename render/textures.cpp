// Scene pictures: loading at start-up, the bottom-row-first upload with mipmaps, the backdrop reload.
#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <malloc.h>
#include <cstring>
#include <vector>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "render/helicopter.h"
#include "render/scenery.h"
#include "render/scenery_internal.h"
#include "render/textures_internal.h"
#include "render/view_settings.h"
#include "resources/resources.h"

bool reloadCanopyTexture = false;
bool reloadBackdropTexture = false;
bool reloadHeliTexture = false;

RgbImage doorWindowImage;
RgbImage bricksImage;
RgbImage backdropImage;
RgbImage heliSkinImage;
RgbImage grassImage;
RgbImage pebblesImage;
RgbImage canopyMaskImage;
TextureFiltering SceneFiltering = TextureFiltering::Trilinear;

namespace {
// Start-up showed a High panorama at Low; ServeTextureReloads reads it at full size after the first frame.
bool fullBackdropPending = false;
int32_t servedFrames = 0;
} // namespace

bool SoftwareRendererName(const char* renderer) {
    if (!renderer) return true;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software", "software"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

TextureFiltering FilteringForRenderer(const char* renderer) {
    return SoftwareRendererName(renderer) ? TextureFiltering::NearestLevel : TextureFiltering::Trilinear;
}

int32_t MinifyingFilter(TextureFiltering filtering) {
    return filtering == TextureFiltering::Trilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
}

void SetBoundTextureFiltering(TextureFiltering filtering) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, MinifyingFilter(filtering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void ApplySceneFiltering(TextureFiltering filtering) {
    SceneFiltering = filtering;
    for (uint32_t texture : SceneTexture) {
        glBindTexture(GL_TEXTURE_2D, texture);
        SetBoundTextureFiltering(filtering);
    }
}

bool ImageUsable(const RgbImage& image) {
    return image.pixels != nullptr && image.width > 0 && image.height > 0 && image.width <= MaxImageSide &&
           image.height <= MaxImageSide && image.stride >= 3 * image.width;
}

const uint8_t* ImagePixel(const RgbImage& image, int32_t row, int32_t column) {
    if (!ImageUsable(image) || row < 0 || column < 0 || row >= image.height || column >= image.width)
        return nullptr;
    return image.pixels + static_cast<size_t>(row) * static_cast<size_t>(image.stride) +
           3 * static_cast<size_t>(column);
}

void UploadTexture(const RgbImage& image, uint32_t texture, bool rebuild) {
    if (rebuild) glDeleteTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    SetBoundTextureFiltering(SceneFiltering);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // the buffer rows are tight, whatever other code set

    if (!ImageUsable(image)) {
        const uint8_t grey[3] = {128, 128, 128};
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, grey);
        return;
    }
    const size_t rowBytes = 3 * static_cast<size_t>(image.width);
    std::vector<uint8_t> buffer(rowBytes * static_cast<size_t>(image.height));
    for (int32_t v = 0; v < image.height; ++v) {
        const uint8_t* src = image.pixels + static_cast<size_t>(image.height - 1 - v) * image.stride;
        std::copy(src, src + rowBytes, buffer.begin() + static_cast<ptrdiff_t>(rowBytes * v));
    }
    // The result is not examined: a failed build leaves the texture incomplete, which draws untextured.
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, buffer.data());
}

int32_t BackdropWidthLimit(int32_t resolution) {
    if (resolution == 1) return 1024;
    if (resolution == 2) return 2048;
    return 0;
}

namespace {
// Reads the panorama at most limit wide (0: full size), uploads it and frees the picture. False when the
// picture could not be read (said once to the pilot; the texture is then one grey texel).
bool LoadBackdropAtWidth(int32_t limit) {
    const std::string path = ReadPath("data/backdrop.jpg");
    LoadImageFileAtWidth(backdropImage, path, limit);
    const bool read = !backdropImage.failed;
    if (!read) ReportReadFailure(path, "a picture");
    SwapRedBlue(backdropImage);
    if (limit > 0) ShrinkToWidth(backdropImage, limit);
    UploadTexture(backdropImage, SceneTexture[Backdrop], true);
    FreeImage(backdropImage);
    // The decode and mipmap buffers were large: give their pages back to the system at once.
    malloc_trim(0);
    return read;
}

// Loads a picture, uploads it and frees it: only the texture keeps its pixels.
void LoadAndUploadPicture(RgbImage& image, const char* name, SceneTextureIndex texture) {
    const std::string path = ReadPath(std::string("data/") + name);
    LoadImageFile(image, path);
    if (image.failed) ReportReadFailure(path, "a picture");
    SwapRedBlue(image);
    UploadTexture(image, SceneTexture[texture], false);
    FreeImage(image);
}
} // namespace

void ReloadBackdrop() {
    fullBackdropPending = false;
    LoadBackdropAtWidth(BackdropWidthLimit(backgroundResolution));
}

void LoadSceneTextures() {
    LoadAndUploadPicture(doorWindowImage, "doorwindow.jpg", DoorWindow);
    LoadAndUploadPicture(bricksImage, "bricks.jpg", Bricks);
    LoadAndUploadPicture(grassImage, "grass.jpg", Grass);
    LoadAndUploadPicture(pebblesImage, "pebbles.jpg", Pebbles);
    const std::string maskPath = ReadPath("data/canmask.pcx");
    LoadImageFile(canopyMaskImage, maskPath);
    if (canopyMaskImage.failed) ReportReadFailure(maskPath, "a picture");
    SwapRedBlue(canopyMaskImage);
    LoadImageResource(heliSkinImage, ResourceStockSkin);
    SwapRedBlue(heliSkinImage);
    UploadTexture(heliSkinImage, SceneTexture[HeliSkin], false);

    // The full-size panorama takes longer to read than everything else: the first frame shows it at Low
    // (a picture that cannot be read is not tried again).
    const int32_t limit = BackdropWidthLimit(backgroundResolution);
    servedFrames = 0;
    const bool read = LoadBackdropAtWidth(limit == 0 ? BackdropWidthLimit(1) : limit);
    fullBackdropPending = limit == 0 && read;
    RebuildCanopySkin();
}

void ServeTextureReloads() {
    // The first call comes before the first frame; the full panorama waits until that one was shown.
    if (servedFrames < 2) ++servedFrames;
    if (fullBackdropPending && servedFrames >= 2) ReloadBackdrop();
    if (reloadCanopyTexture) {
        reloadCanopyTexture = false;
        RebuildCanopySkin();
    }
    if (reloadBackdropTexture) {
        reloadBackdropTexture = false;
        ReloadBackdrop();
    }
    if (reloadHeliTexture) {
        reloadHeliTexture = false;
        UploadHeliSkin();
    }
}
