// SDL window and GL context for the render tests; BMP writer and pixel read-back helpers.
#include "tests/render/gl_test_context.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "tests/assets/file_bytes.h"

namespace {
SDL_Window* TestWindow = nullptr;
SDL_GLContext TestContext = nullptr;
} // namespace

bool CreateTestGLContext(int width, int height, std::string& error, int samples) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = std::string("SDL_Init failed (run under xvfb-run): ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 1 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 1 ? samples : 0);
    TestWindow =
        SDL_CreateWindow("Rotorvane render test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    TestContext = TestWindow ? SDL_GL_CreateContext(TestWindow) : nullptr; // current once made
    if (!TestContext) {
        error = std::string("no window or GL context: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetSwapInterval(0);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(TestWindow, &w, &h);
    if (w != width || h != height) {
        // Built with snprintf: GCC 12 at -O3 warns falsely (-Wrestrict) about chained string additions.
        char text[64];
        std::snprintf(text, sizeof text, "window came out %dx%d", w, h);
        error = text;
        return false;
    }
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return true;
}

int TestContextSamples() {
    int buffers = 0, samples = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
    return buffers > 0 ? samples : 0;
}

void DestroyTestGLContext() {
    if (TestContext) SDL_GL_DeleteContext(TestContext);
    if (TestWindow) SDL_DestroyWindow(TestWindow);
    TestContext = nullptr;
    TestWindow = nullptr;
    // SDL_Quit is left out on purpose: it unloads the GL driver, and leaks the driver keeps until exit
    // would then show without their module names.
}

void SwapTestWindow() {
    if (TestWindow) SDL_GL_SwapWindow(TestWindow);
}

Rgb ReadPixel(int x, int yFromTop, int clientHeight) {
    uint8_t p[3] = {0, 0, 0};
    glReadPixels(x, clientHeight - 1 - yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

std::vector<Rgb> ReadFrame(int width, int height) {
    std::vector<uint8_t> raw(static_cast<size_t>(width) * height * 3);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
    std::vector<Rgb> out(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &raw[(static_cast<size_t>(height - 1 - y) * width + x) * 3];
            out[static_cast<size_t>(y) * width + x] = {p[0], p[1], p[2]};
        }
    return out;
}

void WriteBmp(const std::string& path, int width, int height, Rgb (*pixel)(int, int, void*), void* user) {
    const uint32_t rowBytes = (3 * width + 3) & ~3u, imageBytes = rowBytes * height;
    // The 14-byte file header ("BM", file size, reserved, offset of the bits) and the 40-byte information
    // header, each field least significant byte first; a positive height stores the rows bottom first.
    Bytes b =
        Bytes().add({'B', 'M'}).le32(54 + imageBytes).le32(0).le32(54).le32(40).le32(width).le32(height);
    b.le16(1).le16(24).le32(0).le32(imageBytes).le32(2835).le32(2835).le32(0).le32(0);
    for (int row = height - 1; row >= 0; --row) {
        const size_t start = b.size();
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(row, x, user);
            b.add({c.b, c.g, c.r});
        }
        b.resize(start + rowBytes, 0); // rows padded to four bytes
    }
    WriteFile(path, b);
}

void WriteSolidBmp(const std::string& path, int width, int height, Rgb colour) {
    WriteBmp(
        path, width, height, [](int, int, void* user) { return *static_cast<Rgb*>(user); }, &colour);
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// LeakSanitizer: the desktop bus library that SDL loads keeps a buffer until exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
