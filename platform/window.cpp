// SDL window, GL context, ImGui set-up and the texture that holds the frozen crash frame.
#include "platform/window.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <cstdio>
#include <cstring>

#include "platform/resources.h"

namespace {
SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool screenSaverWasEnabled = true;
GLuint frozenTexture = 0;
int frozenTexWidth = 0, frozenTexHeight = 0;
int frozenWidth = 0, frozenHeight = 0;

void SetWindowIcon() {
    ResourceData icon = FindResourceData(ResourceIcon);
    if (!icon.data) return;
    SDL_RWops* rw = SDL_RWFromConstMem(icon.data, static_cast<int>(icon.size));
    SDL_Surface* surface = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (!surface) return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

int NextPowerOfTwo(int v) {
    int p = 1;
    while (p < v) p <<= 1;
    return p;
}

// SDL falls back to its off-screen and dummy drivers when no display is reachable; the program would then
// run unseen. Only a real window system is accepted: one stderr line says why otherwise.
bool RealWindowSystemVideo() {
    const char* display = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    const bool haveX11 = display && display[0], haveWayland = wayland && wayland[0];
    if (!SDL_getenv("SDL_VIDEODRIVER")) {
        if (!haveX11 && !haveWayland) {
            std::fprintf(stderr, "Rotorvane: no window system: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
            return false;
        }
        // Only the window system the session names is tried, so no other prints its own complaints.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, haveX11 ? "x11" : "wayland");
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Rotorvane: no window system (X11 or Wayland) could be opened: %s\n",
                     SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0)) return true;
    std::fprintf(stderr,
                 "Rotorvane: no window system (X11 or Wayland) found, only SDL's \"%s\" video driver\n",
                 driver ? driver : "none");
    SDL_Quit();
    return false;
}

void StyleUi() {
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 3.0f;
    style.FrameRounding = 2.0f;
    style.FrameBorderSize = 1.0f;
    style.WindowPadding = ImVec2(10, 10);
    style.ItemSpacing = ImVec2(8, 6);
}
} // namespace

bool CreateMainWindow(int width, int height) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "0");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!RealWindowSystemVideo()) return false;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_TIMER) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window = SDL_CreateWindow("Rotorvane", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window || !(context = SDL_GL_CreateContext(window))) {
        std::fprintf(stderr, "Rotorvane: the OpenGL window could not be created: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(1);
    SetWindowIcon();

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr; // the program keeps its own settings files only
    StyleUi();
    ImGui_ImplSDL2_InitForOpenGL(window, context);
    ImGui_ImplOpenGL2_Init();
    return true;
}

void DestroyMainWindow() {
    if (ImGui::GetCurrentContext()) {
        ImGui_ImplOpenGL2_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    if (frozenTexture) glDeleteTextures(1, &frozenTexture);
    frozenTexture = 0;
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    context = nullptr;
    window = nullptr;
    SDL_Quit();
}

bool PumpEvents(const PlatformEvents& handlers) {
    bool keepRunning = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        ImGui_ImplSDL2_ProcessEvent(&event);
        switch (event.type) {
        case SDL_QUIT: keepRunning = false; break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) keepRunning = false;
            break;
        case SDL_KEYDOWN:
            if (handlers.keyDown) handlers.keyDown(event.key.keysym.sym, event.key.repeat != 0);
            break;
        case SDL_JOYDEVICEADDED:
            if (handlers.joystickAdded) handlers.joystickAdded(event.jdevice.which);
            break;
        case SDL_JOYDEVICEREMOVED:
            if (handlers.joystickRemoved) handlers.joystickRemoved(event.jdevice.which);
            break;
        default: break;
        }
    }
    return keepRunning;
}

void GetWindowPixelSize(int& width, int& height) {
    SDL_GL_GetDrawableSize(window, &width, &height);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
}

void BeginUiFrame() {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void EndUiFrame() {
    ImGui::Render();
    int width, height;
    GetWindowPixelSize(width, height);
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

void SwapMainWindow() { SDL_GL_SwapWindow(window); }

bool UiOwnsKeyboard() {
    if (!ImGui::GetCurrentContext()) return false;
    return ImGui::GetIO().WantTextInput || ImGui::GetTopMostPopupModal() != nullptr;
}

void FreezeCurrentFrame(int clientWidth, int clientHeight) {
    if (!frozenTexture) glGenTextures(1, &frozenTexture);
    glBindTexture(GL_TEXTURE_2D, frozenTexture);
    int texWidth = NextPowerOfTwo(clientWidth), texHeight = NextPowerOfTwo(clientHeight);
    if (texWidth != frozenTexWidth || texHeight != frozenTexHeight) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, texWidth, texHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        frozenTexWidth = texWidth;
        frozenTexHeight = texHeight;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, clientWidth, clientHeight);
    frozenWidth = clientWidth;
    frozenHeight = clientHeight;
}

void DrawFrozenFrame(int clientWidth, int clientHeight) {
    glViewport(0, 0, clientWidth, clientHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!frozenTexture || frozenTexWidth == 0) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, clientWidth, 0, clientHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, frozenTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float u = static_cast<float>(frozenWidth) / frozenTexWidth;
    float v = static_cast<float>(frozenHeight) / frozenTexHeight;
    // The frozen picture keeps its pixel size, anchored at the top left, when the window changes size.
    float top = static_cast<float>(clientHeight);
    float bottom = top - frozenHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, bottom);
    glTexCoord2f(u, 0);
    glVertex2f(static_cast<float>(frozenWidth), bottom);
    glTexCoord2f(u, v);
    glVertex2f(static_cast<float>(frozenWidth), top);
    glTexCoord2f(0, v);
    glVertex2f(0, top);
    glEnd();
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

uint64_t MillisecondsNow() { return SDL_GetTicks64(); }

void DisableScreenSaverForRun() {
    screenSaverWasEnabled = SDL_IsScreenSaverEnabled() == SDL_TRUE;
    SDL_DisableScreenSaver();
}

void RestoreScreenSaver() {
    if (screenSaverWasEnabled)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}
