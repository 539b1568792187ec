// Changing the helicopter's model and pictures in memory: stock or file geometry, size, skin, canopy,
// backdrop resolution. Texture work is left to the reload requests served by ServeTextureReloads.
#pragma once
#include <cstdint>
#include <string>

// The helicopter mesh read at heliScale (from the file at path, or the built-in one), its lowest point
// handed to the flight model and its shadow circle built. Callers hold SimMutex.
void LoadHeliMesh(const std::string& path, bool fromFile);

// "Stock 450 Geometry": the built-in mesh at heliScale with its shadow circle, the built-in skin, and a
// canopy rebuild request (so the user's canopy is pasted into the fresh skin).
void UseStockGeometry();

// Geometry file chosen by the user: reads the mesh and its shadow circle, takes the skin from the .bmp of
// the same base name when that file opens, and requests the skin upload. Returns false when the mesh
// reader reported an error (HeliMesh.errorCode tells which).
bool LoadHeliGeometryFile(const std::string& path);

// The chosen path with its last character (the x of ".x") replaced by "bmp".
std::string SkinPathForGeometry(const std::string& geometryPath);

// Canopy picture chosen by the user: copied over data/canopy.jpg, then the canopy rebuild is requested.
// Returns false when the copy failed (the previous canopy.jpg stays).
bool InstallCanopyPicture(const std::string& chosenPath);

// "Scale 450 Size" / "Large" / "Jumbo": heliScale, then the mesh in use (the built-in one or the geometry
// file loaded last) rebuilt at that size. Takes SimMutex itself.
void SetHeliScale(float scale);

// "High" 3 / "Medium" 2 / "Low" 1: backgroundResolution and a backdrop reload request.
void SetBackgroundResolution(int32_t resolution);
