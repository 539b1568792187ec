// SDL window, GL context, ImGui set-up and the texture that holds the frozen crash frame.
#include "platform/window.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/frame_pacing.h"
#include "platform/ui_dump.h"
#include "platform/ui_font.h"
#include "resources/resources.h"

namespace {
SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool screenSaverWasEnabled = true;
GLuint frozenTexture = 0;
int frozenTexWidth = 0, frozenTexHeight = 0;
int frozenWidth = 0, frozenHeight = 0;
int antiAliasingChoice = 0;
bool multisampling = false;
int uiScaleOverride = 0;
int uiScale = 1;
// The windowed placement, kept while the window fills the screen.
WindowPlacement windowedPlacement;
FrameClock::time_point nextFrameDue;

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
    while (p < v)
        p <<= 1;
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

void StyleUi(int scale) {
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 3.0f;
    style.FrameRounding = 2.0f;
    style.FrameBorderSize = 1.0f;
    style.WindowPadding = ImVec2(10, 10);
    style.ItemSpacing = ImVec2(8, 6);
    style.ScaleAllSizes(static_cast<float>(scale));
    AddUiFont(scale);
}

// Whole-number scale from the display's dots per inch: 1 below about 168, 2 up to about 312 (a 4K laptop),
// 3 above.
int ScaleForDisplay(SDL_Window* w) {
    float ddpi = 0.0f;
    int display = SDL_GetWindowDisplayIndex(w);
    if (display < 0 || SDL_GetDisplayDPI(display, &ddpi, nullptr, nullptr) != 0 || !std::isfinite(ddpi))
        return 1;
    if (ddpi < 168.0f) return 1;
    return ddpi < 312.0f ? 2 : 3;
}

// A software renderer draws every sample on the CPU: four samples a pixel would cost the frame rate.
bool SoftwareRenderer() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return true;
    return std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
           std::strstr(renderer, "swrast") || std::strstr(renderer, "Software");
}

void SetColourAndDepth(bool multisample) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, multisample ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, multisample ? 4 : 0);
}

// One hidden window and its context, with or without a 4x multisampled frame buffer.
bool OpenWindow(int width, int height, bool multisample, SDL_Window*& newWindow, SDL_GLContext& newContext) {
    // Hidden until the program has loaded its pictures and can draw (ShowMainWindow): no black window.
    const Uint32 flags =
        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    SetColourAndDepth(multisample);
    newWindow =
        SDL_CreateWindow("Rotorvane", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    if (!newWindow) return false;
    newContext = SDL_GL_CreateContext(newWindow);
    if (newContext) return true;
    SDL_DestroyWindow(newWindow);
    newWindow = nullptr;
    return false;
}

// The window and its context, with a 4x multisampled frame buffer when asked and granted; without it
// when the system has none. The automatic choice opens a plain one first and asks for samples only on a
// GPU: a software renderer would keep four samples a pixel it never draws (25 MiB at 1024 x 768).
bool CreateWindowAndContext(int width, int height) {
    if (antiAliasingChoice == 1 && OpenWindow(width, height, true, window, context)) return true;
    if (!OpenWindow(width, height, false, window, context)) return false;
    if (antiAliasingChoice != 0) return true;
    SDL_GL_MakeCurrent(window, context);
    if (SoftwareRenderer()) return true;
    SDL_Window* sampledWindow = nullptr;
    SDL_GLContext sampledContext = nullptr;
    if (!OpenWindow(width, height, true, sampledWindow, sampledContext)) return true;
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    window = sampledWindow;
    context = sampledContext;
    return true;
}

// Multisampling stays on when granted, except on a software renderer in the automatic choice.
void ChooseMultisampling() {
    int buffers = 0, samples = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
    multisampling = buffers > 0 && samples > 1 && antiAliasingChoice != 2 &&
                    (antiAliasingChoice == 1 || !SoftwareRenderer());
    if (buffers > 0) {
        if (multisampling)
            glEnable(GL_MULTISAMPLE);
        else
            glDisable(GL_MULTISAMPLE);
    }
}

double DisplayFramePeriod() {
    SDL_DisplayMode mode;
    int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    int rate = 0;
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0) rate = mode.refresh_rate;
    if (rate < 24 || rate > 500) rate = 60;
    return 1.0 / rate;
}
} // namespace

bool CreateMainWindow(int width, int height) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "0");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // The event pump leaves the joysticks alone: the program's own polls bring them up to date, so the
    // main thread takes SDL's joystick lock only when it reads the sticks itself, never while the tick
    // reads them every millisecond (the realistic model would wait for a frame that was preempted).
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (!RealWindowSystemVideo()) return false;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_TIMER) != 0) return false;
    if (!CreateWindowAndContext(width, height)) {
        std::fprintf(stderr, "Rotorvane: the OpenGL window could not be created: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(1);
    ChooseMultisampling();
    SetWindowIcon();
    windowedPlacement.width = width;
    windowedPlacement.height = height;
    SDL_GetWindowPosition(window, &windowedPlacement.x, &windowedPlacement.y);
    uiScale = uiScaleOverride > 0 ? uiScaleOverride : ScaleForDisplay(window);

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr; // the program keeps its own settings files only
    StyleUi(uiScale);
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
        case SDL_QUIT:
            keepRunning = false;
            break;
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
        default:
            break;
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
    DumpUiFrame();
    ImGui::Render();
    int width, height;
    GetWindowPixelSize(width, height);
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

void SwapMainWindow() {
    const auto refresh =
        std::chrono::duration_cast<FrameClock::duration>(std::chrono::duration<double>(DisplayFramePeriod()));
    // The picture is finished here, the scene and the menus over it in one go: a software renderer
    // rasterizes them in one pass, and the swap below only shows it.
    glFinish();
    auto before = FrameClock::now();
    SDL_GL_SwapWindow(window);
    auto now = FrameClock::now();
    // A swap that waited for the display (vsync) sets the pace itself; otherwise at most one frame a
    // refresh, and a frame that took longer is shown as soon as it is ready.
    nextFrameDue =
        SwapWaitedForDisplay(now - before, refresh) ? now : NextFrameDue(nextFrameDue, now, refresh);
    std::this_thread::sleep_until(nextFrameDue);
}

void ShowMainWindow() {
    if (window) SDL_ShowWindow(window);
}

void RestoreWindowPlacement(const WindowPlacement& placement) {
    if (!window) return;
    int width = std::clamp(placement.width, 200, 16384);
    int height = std::clamp(placement.height, 150, 16384);
    // Keep the window's top-left corner on one of the displays, so it can never open out of reach.
    bool onDisplay = false;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
        if (placement.x >= bounds.x && placement.y >= bounds.y && placement.x < bounds.x + bounds.w - 40 &&
            placement.y < bounds.y + bounds.h - 40)
            onDisplay = true;
    }
    SDL_SetWindowSize(window, width, height);
    if (onDisplay) SDL_SetWindowPosition(window, placement.x, placement.y);
    windowedPlacement = {onDisplay ? placement.x : windowedPlacement.x,
                         onDisplay ? placement.y : windowedPlacement.y, width, height, false};
    if (placement.fullScreen && !IsFullScreen()) ToggleFullScreen();
}

WindowPlacement CurrentWindowPlacement() {
    WindowPlacement placement = windowedPlacement;
    if (!window) return placement;
    placement.fullScreen = IsFullScreen();
    if (!placement.fullScreen) {
        SDL_GetWindowPosition(window, &placement.x, &placement.y);
        SDL_GetWindowSize(window, &placement.width, &placement.height);
    }
    return placement;
}

bool IsFullScreen() {
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

void ToggleFullScreen() {
    if (!window) return;
    if (IsFullScreen()) {
        SDL_SetWindowFullscreen(window, 0);
        return;
    }
    windowedPlacement = CurrentWindowPlacement();
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void SetUiScaleOverride(int scale) {
    uiScaleOverride = std::clamp(scale, 0, 4);
}

int UiScale() {
    return uiScale;
}

void SetAntiAliasingChoice(int choice) {
    antiAliasingChoice = std::clamp(choice, 0, 2);
}

bool MultisamplingActive() {
    return multisampling;
}

bool UiOwnsKeyboard() {
    return TextBoxHasKeyboard() || ModalDialogOpen();
}

bool TextBoxHasKeyboard() {
    return ImGui::GetCurrentContext() && ImGui::GetIO().WantTextInput;
}

bool ModalDialogOpen() {
    return ImGui::GetCurrentContext() && ImGui::GetTopMostPopupModal() != nullptr;
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

uint64_t MillisecondsNow() {
    return SDL_GetTicks64();
}

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
