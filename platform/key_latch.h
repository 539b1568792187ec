// Per-key "pressed since the last query" latches for the keyboard shortcuts.
#pragma once

// KeyZoomIn is + or = (and the keypad's +), KeyZoomOut - (and the keypad's), KeyZoomReset 0 (and the keypad's).
enum LatchKey {
    KeyLeftCtrl, KeyRightCtrl, KeySpace, KeyP, KeyR, KeyI, KeyH, KeyF11, KeyZoomIn, KeyZoomOut, KeyZoomReset,
    LatchKeyCount
};

// Fed by the main loop with every SDL key press (repeats are not presses).
void LatchKeyPress(int sdlKeycode, bool repeat);
// True when the key was pressed since the last query; clears the latch.
bool KeyPressedSinceLastQuery(LatchKey key);

// Whether a key press counts as a shortcut: never while a text box has the keyboard (typing is not a
// shortcut); while a modal dialog is open only the idle-up and throttle-hold keys (I, H, left and right
// Ctrl), so a dialog such as "Mapping" shows their state live.
bool KeyCountsAsShortcut(int sdlKeycode, bool textBoxFocused, bool modalDialogOpen);
