// Mesh, skin and canopy changes made by the Graphics commands, under the simulation lock where the
// simulation tick reads what they change (MeshLowestPoint, heliScale).
#include "render/heli_model.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "assets/xmesh.h"
#include "flight/heli_state.h"
#include "platform/resources.h"
#include "render/textures.h"

namespace {
void RebuildStockMeshLocked() {
    LoadXMesh(std::string(), HeliMesh, false);
    BuildShadowCircle();
}
} // namespace

void UseStockGeometry() {
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        RebuildStockMeshLocked();
    }
    LoadImageResource(heliSkinImage, ResourceStockSkin);
    SwapRedBlue(heliSkinImage);
    reloadCanopyTexture = true;
}

std::string SkinPathForGeometry(const std::string& geometryPath) {
    if (geometryPath.empty()) return std::string();
    return geometryPath.substr(0, geometryPath.size() - 1) + "bmp";
}

bool LoadHeliGeometryFile(const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        LoadXMesh(path, HeliMesh, true);
        BuildShadowCircle();
    }
    bool ok = HeliMesh.errorCode == MeshErrorNone;

    std::string skinPath = SkinPathForGeometry(path);
    if (std::FILE* f = std::fopen(skinPath.c_str(), "rb")) {
        DecodeBmp(heliSkinImage, f);
        SwapRedBlue(heliSkinImage);
        std::fclose(f);
    }
    reloadHeliTexture = true;
    return ok;
}

bool InstallCanopyPicture(const std::string& chosenPath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = WritePath("data/canopy.jpg");
    bool ok = true;
    // Choosing data/canopy.jpg itself leaves the file as it is.
    if (!fs::equivalent(chosenPath, target, ec))
        ok = fs::copy_file(chosenPath, target, fs::copy_options::overwrite_existing, ec) && !ec;
    if (ok) reloadCanopyTexture = true;
    return ok;
}

void SetHeliScale(float scale) {
    std::lock_guard<std::mutex> lock(SimMutex);
    heliScale = scale;
    RebuildStockMeshLocked();
}

void SetBackgroundResolution(int32_t resolution) {
    backgroundResolution = resolution;
    reloadBackdropTexture = true;
}
