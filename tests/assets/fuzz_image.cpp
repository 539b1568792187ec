// Fuzz target: the four-attempt picture loader (through a scratch file) and the JPEG memory decoder.
#include <vector>

#include "assets/image.h"
#include "tests/assets/fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteScratchFile("image", data, size);
    if (path.empty()) return 0;
    RgbImage image{};
    LoadImageFile(image, path);
    if (!image.failed) {
        SwapRedBlue(image);
        ShrinkToWidth(image, 64);
    }
    FreeImage(image);
    int32_t w = 0, h = 0, s = 0;
    int64_t need = DecodeJpegMemory(data, size, 1, nullptr, 0, &w, &h, &s);
    if (need > 0 && need < (16 << 20)) {
        std::vector<uint8_t> buffer(static_cast<size_t>(need));
        DecodeJpegMemory(data, size, 1, buffer.data(), buffer.size(), &w, &h, &s);
    }
    std::remove(path.c_str());
    return 0;
}
