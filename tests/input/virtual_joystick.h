// Virtual SDL joysticks for the tests: attached with a handle of the test's own to move them, detached,
// and their device events handed on as the main loop hands them.
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>

#include "app/transmitter.h"
#include "platform/joystick_device.h"

// Attaches a named virtual device with one hat and opens a handle to move it.
inline SDL_Joystick* AttachVirtualJoystick(const char* name, int axes, int buttons) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.naxes = static_cast<Uint16>(axes);
    desc.nbuttons = static_cast<Uint16>(buttons);
    desc.nhats = 1;
    desc.vendor_id = 0x1209;
    desc.product_id = static_cast<Uint16>(axes);
    desc.name = name;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    return SDL_JoystickOpen(index);
}

inline void DetachVirtualJoystick(SDL_Joystick* joystick) {
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
}

// Hands the waiting device events to the device table; true when the device in use was removed. A removal
// handler given takes the removals instead (and nothing is reported).
inline bool PumpDeviceEvents(void (*removed)(int) = nullptr) {
    bool inUseRemoved = false;
    for (SDL_Event e; SDL_PollEvent(&e);) {
        if (e.type == SDL_JOYDEVICEADDED) JoystickDeviceAdded(e.jdevice.which);
        if (e.type == SDL_JOYDEVICEREMOVED && removed) removed(e.jdevice.which);
        if (e.type == SDL_JOYDEVICEREMOVED && !removed)
            inUseRemoved |= JoystickDeviceRemoved(e.jdevice.which);
    }
    return inUseRemoved;
}
