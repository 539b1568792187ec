// Scene pictures: loading at start-up, the bottom-row-first upload with mipmaps, the backdrop reload.
#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <vector>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "render/helicopter.h"
#include "render/scenery.h"
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

void ReloadBackdrop() {
    const std::string path = ReadPath("data/backdrop.jpg");
    LoadImageFile(backdropImage, path);
    if (backdropImage.failed) ReportReadFailure(path, "a picture");
    SwapRedBlue(backdropImage);
    int32_t limit = BackdropWidthLimit(backgroundResolution);
    if (limit > 0) ShrinkToWidth(backdropImage, limit);
    UploadTexture(backdropImage, SceneTexture[Backdrop], true);
}

namespace {
void LoadPicture(RgbImage& image, const char* name) {
    const std::string path = ReadPath(std::string("data/") + name);
    LoadImageFile(image, path);
    if (image.failed) ReportReadFailure(path, "a picture");
    SwapRedBlue(image);
}
} // namespace

void LoadSceneTextures() {
    LoadPicture(doorWindowImage, "doorwindow.jpg");
    LoadPicture(bricksImage, "bricks.jpg");
    LoadPicture(grassImage, "grass.jpg");
    LoadPicture(pebblesImage, "pebbles.jpg");
    LoadPicture(canopyMaskImage, "canmask.pcx");
    LoadImageResource(heliSkinImage, ResourceStockSkin);
    SwapRedBlue(heliSkinImage);

    UploadTexture(doorWindowImage, SceneTexture[DoorWindow], false);
    UploadTexture(bricksImage, SceneTexture[Bricks], false);
    UploadTexture(heliSkinImage, SceneTexture[HeliSkin], false);
    UploadTexture(grassImage, SceneTexture[Grass], false);
    UploadTexture(pebblesImage, SceneTexture[Pebbles], false);
    ReloadBackdrop();
    RebuildCanopySkin();
}

void ServeTextureReloads() {
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
