// The main window: SDL window with an OpenGL context, Dear ImGui on top, the frozen-frame texture.
#pragma once
#include <cstdint>
#include <functional>

// Creates the window titled "Rotorvane" (double buffer, 24-bit colour, depth buffer, resizable, icon,
// a 4x multisampled frame buffer when the system grants one) and sets up ImGui with the display's scale.
// Returns false when no window or context could be made, or when SDL found no real window system (X11,
// Wayland); the latter is said in one line on stderr.
bool CreateMainWindow(int width, int height);

// The window is created hidden; shown once the program is ready to draw its first frame.
void ShowMainWindow();

// Where the window sits on the desktop and whether it fills the screen. Size and position are those of
// the window when not full screen.
struct WindowPlacement {
    int x = 0, y = 0;
    int width = 1024, height = 768;
    bool fullScreen = false;
};
// Moves and sizes the window (kept on a display), then enters full screen when asked.
void RestoreWindowPlacement(const WindowPlacement& placement);
WindowPlacement CurrentWindowPlacement();
void ToggleFullScreen();
bool IsFullScreen();

// Whole-number scale of the menus, dialogs and instruments: 1 up to about 144 dots per inch, 2 on a 4K
// laptop. A positive forced value wins (1..4).
void SetUiScaleOverride(int scale);
int UiScale();

// Anti-aliasing: 0 automatic (on, except on a software renderer where it costs the frame rate), 1 always
// when granted, 2 never. Set before CreateMainWindow.
void SetAntiAliasingChoice(int choice);
// True when the frame buffer has multisampling (anti-aliasing) switched on.
bool MultisamplingActive();
void DestroyMainWindow();

// Feeds one event loop pass: every waiting SDL event goes to ImGui and then to the handler.
// Returns false when the window was closed (its close button or SDL_QUIT). The quit signals (SIGHUP,
// SIGINT, SIGQUIT, SIGTERM) do not pass through here: their handlers only set the flag that
// QuitSignalReceived reads (SDL installs none of its own, as ours are in place first).
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
// Shows the frame. Where the swap returns at once (no vsync), waits for the next frame time of the display's
// refresh rate (60 Hz when unknown), so the loop does not spin a whole core; while frames cost about half
// a refresh or more (a software renderer), for every second frame time.
void SwapMainWindow();

// True while an ImGui text box has keyboard focus or a modal window is open: shortcuts wait then.
bool UiOwnsKeyboard();
// The two halves of UiOwnsKeyboard: a text box has keyboard focus; a modal window is open.
bool TextBoxHasKeyboard();
bool ModalDialogOpen();

// Keeps a copy of the area below the menu bar (call right after drawing the scene) and draws it again.
void FreezeCurrentFrame(int clientWidth, int clientHeight);
void DrawFrozenFrame(int clientWidth, int clientHeight);

// Milliseconds since the program started, for the main loop's timers.
uint64_t MillisecondsNow();

void DisableScreenSaverForRun();
void RestoreScreenSaver();
