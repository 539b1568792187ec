// Mesh, skin and canopy changes made by the Graphics commands, under the simulation lock where the
// simulation tick reads what they change (MeshLowestPoint, heliScale).
#include "render/heli_model.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "assets/image.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/xmesh.h"
#include "flight/field.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "render/textures.h"
#include "render/textures_internal.h"
#include "render/view_settings.h"
#include "resources/resources.h"

namespace {
// The geometry file the helicopter is drawn from; empty for the built-in mesh (main thread).
std::string geometryInUse;

// Builds the mesh in use again at heliScale; the caller holds SimMutex.
void LockedRebuildMeshInUse() {
    LoadHeliMesh(geometryInUse, !geometryInUse.empty());
}
} // namespace

void LoadHeliMesh(const std::string& path, bool fromFile) {
    MeshScale = heliScale;
    LoadXMesh(path, HeliMesh, fromFile);
    MeshLowestPoint = MeshLowestY;
    BuildShadowCircle();
}

void UseStockGeometry() {
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        geometryInUse.clear();
        LockedRebuildMeshInUse();
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
        geometryInUse = path;
        LockedRebuildMeshInUse();
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
    // The picture is decoded before anything is copied: a file that is not a picture never replaces the
    // current canopy.
    RgbImage probe{};
    LoadImageFile(probe, chosenPath);
    const bool decodes = !probe.failed;
    FreeImage(probe);
    if (!decodes) {
        PostUserMessage("The picture " + chosenPath + " could not be read.\nThe canopy is unchanged.");
        return false;
    }
    std::error_code ec;
    const std::string target = CanopyPicturePlace().write;
    // Choosing data/canopy.jpg itself leaves the file as it is.
    if (!fs::equivalent(chosenPath, target, ec) && !CopyFileAtomically(chosenPath, target)) return false;
    reloadCanopyTexture = true;
    return true;
}

void SetHeliScale(float scale) {
    std::lock_guard<std::mutex> lock(SimMutex);
    heliScale = scale;
    // A geometry file in use is read again at the new size (the skin it brought stays).
    LockedRebuildMeshInUse();
}

void SetBackgroundResolution(int32_t resolution) {
    backgroundResolution = resolution;
    reloadBackdropTexture = true;
}
