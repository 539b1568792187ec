// The main window: SDL window with an OpenGL context, Dear ImGui on top, the frozen-frame texture.
#pragma once
#include <cstdint>
#include <functional>

// Creates the window titled "Rotorvane" (double buffer, 24-bit colour, depth buffer, resizable, icon)
// and sets up ImGui. Returns false when no window or context could be made, or when SDL found no real
// window system (X11, Wayland); the latter is said in one line on stderr.
bool CreateMainWindow(int width, int height);
void DestroyMainWindow();

// Feeds one event loop pass: every waiting SDL event goes to ImGui and then to the handler.
// Returns false when the platform asked to quit (window closed, SIGTERM, SIGINT).
struct PlatformEvents {
    std::function<void(int keycode, bool repeat)> keyDown;
    std::function<void(int deviceIndex)> joystickAdded;
    std::function<void(int instanceId)> joystickRemoved;
};
bool PumpEvents(const PlatformEvents& handlers);

// Size of the whole drawable area in pixels.
void GetWindowPixelSize(int& width, int& height);

void BeginUiFrame();
void EndUiFrame(); // renders ImGui over the current GL frame
void SwapMainWindow();

// True while an ImGui text box has keyboard focus or a modal window is open: shortcuts wait then.
bool UiOwnsKeyboard();

// Keeps a copy of the area below the menu bar (call right after drawing the scene) and draws it again.
void FreezeCurrentFrame(int clientWidth, int clientHeight);
void DrawFrozenFrame(int clientWidth, int clientHeight);

// Milliseconds since the program started, for the main loop's timers.
uint64_t MillisecondsNow();

void DisableScreenSaverForRun();
void RestoreScreenSaver();
