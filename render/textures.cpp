// Scene pictures: loading at start-up, the bottom-row-first upload with mipmaps, the backdrop reload.
#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <malloc.h>
#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <system_error>
#include <vector>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "render/helicopter.h"
#include "render/render_frame.h"
#include "render/scenery.h"
#include "render/scenery_internal.h"
#include "render/textures_internal.h"
#include "render/view_settings.h"
#include "resources/resources.h"

bool reloadCanopyTexture = false;
bool reloadBackdropTexture = false;
bool reloadHeliTexture = false;

RgbImage backdropImage;
RgbImage heliSkinImage;
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

namespace {
bool PowerOfTwo(int32_t side) {
    return side > 0 && (side & (side - 1)) == 0;
}

// The next level down: each side halved (a side of 1 stays 1), each texel the mean of the 2 x 2 (or 2 x 1)
// texels above it, rounded as GLU's mipmap builder rounds: to nearest for 2 x 2, down for 2 x 1.
TextureLevel HalveLevel(const TextureLevel& above) {
    TextureLevel level;
    level.width = std::max(1, above.width / 2);
    level.height = std::max(1, above.height / 2);
    level.rgb.resize(3 * static_cast<size_t>(level.width) * static_cast<size_t>(level.height));
    const size_t rowAbove = 3 * static_cast<size_t>(above.width);
    const size_t dx = above.width > 1 ? 3 : 0;
    const size_t dy = above.height > 1 ? rowAbove : 0;
    const int rounding = dx && dy ? 2 : 0, shift = dx && dy ? 2 : 1;
    uint8_t* out = level.rgb.data();
    for (int32_t y = 0; y < level.height; ++y) {
        const uint8_t* row = above.rgb.data() + (dy ? 2 * y : y) * rowAbove;
        for (int32_t x = 0; x < level.width; ++x) {
            const uint8_t* t = row + (dx ? 6 * static_cast<size_t>(x) : 3 * static_cast<size_t>(x));
            for (int c = 0; c < 3; ++c) {
                const int sum =
                    dx && dy ? t[c] + t[c + dx] + t[c + dy] + t[c + dx + dy] : t[c] + t[c + dx + dy];
                *out++ = static_cast<uint8_t>((sum + rounding) >> shift);
            }
        }
    }
    return level;
}
} // namespace

TextureLevels PrepareTextureLevels(const RgbImage& image) {
    TextureLevels levels;
    if (!ImageUsable(image)) return levels;
    TextureLevel base;
    base.width = image.width;
    base.height = image.height;
    const size_t rowBytes = 3 * static_cast<size_t>(image.width);
    base.rgb.resize(rowBytes * static_cast<size_t>(image.height));
    for (int32_t v = 0; v < image.height; ++v) {
        const uint8_t* src = image.pixels + static_cast<size_t>(image.height - 1 - v) * image.stride;
        std::copy(src, src + rowBytes, base.rgb.begin() + static_cast<ptrdiff_t>(rowBytes * v));
    }
    levels.push_back(std::move(base));
    if (!PowerOfTwo(image.width) || !PowerOfTwo(image.height)) return levels;
    while (levels.back().width > 1 || levels.back().height > 1)
        levels.push_back(HalveLevel(levels.back()));
    return levels;
}

void UploadTextureLevels(const TextureLevels& levels, uint32_t texture, bool rebuild) {
    if (rebuild) glDeleteTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    SetBoundTextureFiltering(SceneFiltering);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // the buffer rows are tight, whatever other code set

    if (levels.empty()) {
        const uint8_t grey[3] = {128, 128, 128};
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, grey);
        return;
    }
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    const TextureLevel& base = levels.front();
    if ((levels.size() == 1 && (base.width > 1 || base.height > 1)) || base.width > maxSide ||
        base.height > maxSide) {
        // Sides that are not powers of two, or too large for this renderer: GLU scales the picture first.
        // The result is not examined: a failed build leaves the texture incomplete, which draws untextured.
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, base.width, base.height, GL_RGB, GL_UNSIGNED_BYTE,
                          base.rgb.data());
        return;
    }
    for (size_t i = 0; i < levels.size(); ++i)
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), 3, levels[i].width, levels[i].height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, levels[i].rgb.data());
}

void UploadTexture(const RgbImage& image, uint32_t texture, bool rebuild) {
    UploadTextureLevels(PrepareTextureLevels(image), texture, rebuild);
}

int32_t BackdropWidthLimit(int32_t resolution) {
    if (resolution == 1) return 1024;
    if (resolution == 2) return 2048;
    return 0;
}

namespace {
// Start-up limit of the panorama's width for a Background Resolution: a High panorama is shown at Low
// first and read at full size after the first frame.
int32_t StartBackdropLimit(int32_t resolution) {
    const int32_t limit = BackdropWidthLimit(resolution);
    return limit == 0 ? BackdropWidthLimit(1) : limit;
}

// A picture read, made the texture's levels and freed; failures are said later, by the main thread.
struct PreparedPicture {
    std::string path;
    bool failed = false;
    TextureLevels levels;
};

PreparedPicture PreparePicture(const std::string& path, int32_t widthLimit) {
    PreparedPicture prepared;
    prepared.path = path;
    RgbImage image{};
    LoadImageFileAtWidth(image, path, widthLimit);
    prepared.failed = image.failed != 0;
    SwapRedBlue(image);
    if (widthLimit > 0) ShrinkToWidth(image, widthLimit);
    prepared.levels = PrepareTextureLevels(image);
    FreeImage(image);
    return prepared;
}

// Uploads the panorama as read, says once when it could not be read (the texture is then one grey texel)
// and gives its buffers back to the system at once: they were large. The picture's sizes stay in
// backdropImage. False when it could not be read.
bool UploadBackdrop(PreparedPicture backdrop) {
    if (backdrop.failed) ReportReadFailure(backdrop.path, "a picture");
    UploadTextureLevels(backdrop.levels, SceneTexture[Backdrop], true);
    if (!backdrop.levels.empty()) {
        backdropImage.width = backdrop.levels.front().width;
        backdropImage.height = backdrop.levels.front().height;
    }
    const bool read = !backdrop.failed;
    backdrop = PreparedPicture{};
    malloc_trim(0);
    return read;
}

// Reads the panorama at most limit wide (0: full size) and uploads it.
bool LoadBackdropAtWidth(int32_t limit) {
    return UploadBackdrop(PreparePicture(ReadPath("data/backdrop.jpg"), limit));
}

// Every start-up picture; the skin and the canopy mask keep their pixels for the canopy rebuild.
struct PreparedScene {
    PreparedPicture pictures[4];
    PreparedPicture backdrop;
    int32_t backdropLimit = 0;
    std::string maskPath;
    RgbImage mask{};
    RgbImage skin{};
};
const struct {
    const char* name;
    SceneTextureIndex texture;
} StartPictures[4] = {
    {"doorwindow.jpg", DoorWindow}, {"bricks.jpg", Bricks}, {"grass.jpg", Grass}, {"pebbles.jpg", Pebbles}};

// Needs no GL context: runs on its own thread while the window is made.
PreparedScene PrepareScene(int32_t backdropLimit) {
    PreparedScene scene;
    for (int i = 0; i < 4; ++i)
        scene.pictures[i] = PreparePicture(ReadPath(std::string("data/") + StartPictures[i].name), 0);
    scene.backdropLimit = backdropLimit;
    scene.backdrop = PreparePicture(ReadPath("data/backdrop.jpg"), backdropLimit);
    scene.maskPath = ReadPath("data/canmask.pcx");
    LoadImageFile(scene.mask, scene.maskPath);
    SwapRedBlue(scene.mask);
    LoadImageResource(scene.skin, ResourceStockSkin);
    SwapRedBlue(scene.skin);
    return scene;
}

std::future<PreparedScene> preparingScene;
} // namespace

void ReloadBackdrop() {
    fullBackdropPending = false;
    LoadBackdropAtWidth(BackdropWidthLimit(backgroundResolution));
}

void StartPreparingScenePictures() {
    // Without a stored choice the start is Medium on a software renderer and Low first on a GPU; which one
    // is known only once the context is made, so the wider is read and halved when the GPU wants Low.
    const int32_t limit =
        PreferHighBackdrop ? BackdropWidthLimit(2) : StartBackdropLimit(backgroundResolution);
    try {
        preparingScene = std::async(std::launch::async, PrepareScene, limit);
    } catch (const std::system_error&) {
        // No thread to be had (a process limit): InitGL reads the pictures itself, as it always could.
        preparingScene = {};
    }
}

void FinishPreparingScenePictures() {
    if (!preparingScene.valid()) return;
    PreparedScene scene = preparingScene.get();
    FreeImage(scene.mask);
    FreeImage(scene.skin);
}

void LoadSceneTextures() {
    const int32_t limit = StartBackdropLimit(backgroundResolution);
    PreparedScene scene = preparingScene.valid() ? preparingScene.get() : PrepareScene(limit);
    for (int i = 0; i < 4; ++i) {
        if (scene.pictures[i].failed) ReportReadFailure(scene.pictures[i].path, "a picture");
        UploadTextureLevels(scene.pictures[i].levels, SceneTexture[StartPictures[i].texture], false);
    }
    if (scene.mask.failed) ReportReadFailure(scene.maskPath, "a picture");
    FreeImage(canopyMaskImage);
    canopyMaskImage = scene.mask;
    FreeImage(heliSkinImage);
    heliSkinImage = scene.skin; // uploaded with the canopy below

    // The full-size panorama takes longer to read than everything else: the first frame shows it at Low
    // (a picture that cannot be read is not tried again).
    servedFrames = 0;
    PreparedPicture backdrop = std::move(scene.backdrop);
    const bool readAtLimit = scene.backdropLimit == limit;
    scene = PreparedScene{};
    const bool read = readAtLimit ? UploadBackdrop(std::move(backdrop)) : LoadBackdropAtWidth(limit);
    fullBackdropPending = BackdropWidthLimit(backgroundResolution) == 0 && read;
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
