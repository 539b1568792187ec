// Key latches set by SDL key-down events and cleared when read.
#include "platform/key_latch.h"

#include <SDL.h>

namespace {
bool latched[LatchKeyCount] = {};

int LatchIndex(int keycode) {
    switch (keycode) {
    case SDLK_LCTRL:
        return KeyLeftCtrl;
    case SDLK_RCTRL:
        return KeyRightCtrl;
    case SDLK_SPACE:
        return KeySpace;
    case SDLK_p:
        return KeyP;
    case SDLK_r:
        return KeyR;
    case SDLK_i:
        return KeyI;
    case SDLK_h:
        return KeyH;
    case SDLK_F11:
        return KeyF11;
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
        return KeyZoomIn;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        return KeyZoomOut;
    case SDLK_0:
    case SDLK_KP_0:
        return KeyZoomReset;
    default:
        return -1;
    }
}
} // namespace

void LatchKeyPress(int sdlKeycode, bool repeat) {
    int index = LatchIndex(sdlKeycode);
    if (index >= 0 && !repeat) latched[index] = true;
}

bool KeyPressedSinceLastQuery(LatchKey key) {
    bool was = latched[key];
    latched[key] = false;
    return was;
}

bool KeyCountsAsShortcut(int sdlKeycode, bool textBoxFocused, bool modalDialogOpen) {
    if (textBoxFocused) return false;
    if (!modalDialogOpen) return true;
    int index = LatchIndex(sdlKeycode);
    return index == KeyI || index == KeyH || index == KeyLeftCtrl || index == KeyRightCtrl;
}
