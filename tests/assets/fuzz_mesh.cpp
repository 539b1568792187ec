// Fuzz target: the text mesh reader and the batch preparation on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "assets/xmesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XMesh mesh{};
    ParseXMeshText(mesh, reinterpret_cast<const char*>(data), size);
    BuildMeshBatches(mesh);
    BuildShadowCircle();
    ReleaseXMesh(mesh);
    return 0;
}
