// Loads the TrueType typeface for ImGui, checking the file first, with the built-in font as fallback.
#include "platform/ui_font.h"

#include <imgui.h>
#include <cstdio>
#include <vector>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <imstb_truetype.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {
constexpr size_t MaxFontBytes = 64u << 20;
std::string typefaceFile;
bool typefaceLoaded = false;
// The atlas reads the font bytes whenever it is built; they live for the whole run.
std::vector<unsigned char> fontBytes;

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char buffer[65536];
    size_t n;
    while (bytes.size() <= MaxFontBytes && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return !bytes.empty() && bytes.size() <= MaxFontBytes;
}
} // namespace

void SetUiTypefaceFile(const std::string& path) {
    typefaceFile = path;
}

bool UsableTrueTypeFont(const unsigned char* bytes, size_t size) {
    // The table directory (12 bytes and 16 per table) must lie inside the file before stb_truetype
    // walks it; every table it looks up must lie inside too.
    if (!bytes || size < 12) return false;
    size_t tables = static_cast<size_t>(bytes[4]) << 8 | bytes[5];
    if (12 + 16 * tables > size) return false;
    for (size_t i = 0; i < tables; ++i) {
        const unsigned char* entry = bytes + 12 + 16 * i;
        auto word = [&](int at) {
            return static_cast<size_t>(entry[at]) << 24 | static_cast<size_t>(entry[at + 1]) << 16 |
                   static_cast<size_t>(entry[at + 2]) << 8 | entry[at + 3];
        };
        size_t offset = word(8), length = word(12);
        if (offset > size || length > size - offset) return false;
    }
    if (stbtt_GetFontOffsetForIndex(bytes, 0) != 0) return false;
    stbtt_fontinfo info;
    return stbtt_InitFont(&info, bytes, 0) != 0;
}

void AddUiFont(int scale) {
    ImGuiIO& io = ImGui::GetIO();
    typefaceLoaded = false;
    if (!typefaceFile.empty() && ReadWholeFile(typefaceFile, fontBytes) &&
        UsableTrueTypeFont(fontBytes.data(), fontBytes.size())) {
        ImFontConfig font;
        font.FontDataOwnedByAtlas = false;
        font.OversampleH = 2;
        font.PixelSnapH = true;
        typefaceLoaded = io.Fonts->AddFontFromMemoryTTF(fontBytes.data(), static_cast<int>(fontBytes.size()),
                                                        14.0f * static_cast<float>(scale), &font) != nullptr;
    }
    if (typefaceLoaded) return;
    // The built-in font drawn at the scaled size stays sharp, where a stretched 13-pixel font would blur.
    ImFontConfig font;
    font.SizePixels = 13.0f * static_cast<float>(scale);
    io.Fonts->AddFontDefault(&font);
}

bool UiTypefaceLoaded() {
    return typefaceLoaded;
}
