// The .par file load and save of the model setup record.
#include "app/model_setup.h"

#include <cstdio>
#include <cstring>

#include "assets/safe_file.h"

bool LoadModelSetup(ModelSetup& setup, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // Read into a copy first so a short file changes only the bytes it holds.
    unsigned char bytes[sizeof(ModelSetup)];
    std::memcpy(bytes, &setup, sizeof bytes);
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    std::memcpy(&setup, bytes, got);
    return true;
}

bool SaveModelSetup(const ModelSetup& setup, const std::string& path) {
    return WriteFileAtomically(path, &setup, sizeof setup);
}
