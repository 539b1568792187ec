// Per-key "pressed since the last query" latches for the keyboard shortcuts.
#pragma once

enum LatchKey { KeyLeftCtrl, KeyRightCtrl, KeySpace, KeyP, KeyR, KeyI, KeyH, KeyF11, LatchKeyCount };

// Fed by the main loop with every SDL key press (repeats are not presses).
void LatchKeyPress(int sdlKeycode, bool repeat);
// True when the key was pressed since the last query; clears the latch.
bool KeyPressedSinceLastQuery(LatchKey key);
