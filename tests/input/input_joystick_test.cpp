// Tests of the SDL joystick devices with virtual joysticks: the poll, the device list, binding the
// transmitter by identity and hot-plugging.
#include <SDL.h>
#include <gtest/gtest.h>

#include "input/channel_mapping.h"
#include "input/joystick_calibration.h"
#include "platform/joystick_device.h"

namespace {

// Attaches a named virtual device with one hat and opens a handle of the test's own to move it.
SDL_Joystick* Attach(const char* name, int axes, int buttons) {
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

// Hands the waiting device events to the device table, as the main loop does; true when the device in
// use was removed.
bool PumpDeviceEvents() {
    bool inUseRemoved = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_JOYDEVICEADDED) JoystickDeviceAdded(e.jdevice.which);
        if (e.type == SDL_JOYDEVICEREMOVED) inUseRemoved |= JoystickDeviceRemoved(e.jdevice.which);
    }
    return inUseRemoved;
}

void Detach(SDL_Joystick* joystick) {
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) SDL_JoystickDetachVirtual(i);
}

// Axes arrive as SDL value + 32768, buttons and hats as bits; a device with three axes is not offered
// and reads 0 on the axes it lacks; an id without a device, or outside 0..15, reads all 0. The chosen
// transmitter is found by identity, also the second of two identical ones; unplugged it reads 0 and
// it is picked up at its old id when it returns, without a restart.
TEST(VirtualJoysticks, PollBindingAndUnplugging) {
    ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    SetJoystickCalibrationDefaults(Calibration);
    SDL_Joystick* pad = Attach("Pad", 3, 2);
    SDL_Joystick* first = Attach("RC Transmitter", 6, 10);
    SDL_Joystick* second = Attach("RC Transmitter", 6, 10);
    ASSERT_TRUE(InitJoystickDevices());
    EXPECT_FALSE(PumpDeviceEvents()); // the start-up events of devices already open change nothing
    ASSERT_EQ(PresentJoystickDevices().size(), 3u);
    std::vector<JoystickDeviceInfo> listed = ListSelectableControllers(PresentJoystickDevices());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, 1);
    char name[256];
    EXPECT_EQ(GetJoystickOemName(2, name), 0);
    EXPECT_STREQ(name, "RC Transmitter");
    EXPECT_EQ(GetJoystickOemName(7, name), 166);

    TransmitterIdentity who = TransmitterIdentityOf(2);
    EXPECT_EQ(who.name, "RC Transmitter");
    EXPECT_EQ(who.index, 1);
    EXPECT_EQ(who.guid.size(), 32u);
    SetRememberedTransmitter(who);
    Calibration.joystickId = 0;
    EXPECT_TRUE(BindTransmitter());
    EXPECT_EQ(Calibration.joystickId, 2);
    EXPECT_TRUE(TransmitterPresent());

    const Sint16 axes[4] = {-32768, 32767, 0, -12768};
    for (int i = 0; i < 4; ++i)
        SDL_JoystickSetVirtualAxis(second, i, axes[i]);
    SDL_JoystickSetVirtualAxis(pad, 2, 1000);
    SDL_JoystickSetVirtualButton(second, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(second, 8, SDL_PRESSED);
    SDL_JoystickSetVirtualHat(second, 0, SDL_HAT_LEFT);
    const struct {
        int32_t id, raw0, raw2, raw3, buttons, hats;
    } polls[] = {{2, 0, 32768, 20000, (1 << 3) | (1 << 8), 8}, // hat 0 left
                 {0, 32768, 33768, 0, 0, 0},
                 {9, 0, 0, 0, 0, 0},
                 {-4, 0, 0, 0, 0, 0}};
    for (const auto& p : polls) {
        Calibration.joystickId = p.id;
        PollJoystickForStep();
        EXPECT_EQ(Calibration.raw[0], p.raw0) << p.id;
        EXPECT_EQ(Calibration.raw[2], p.raw2) << p.id;
        EXPECT_EQ(Calibration.raw[3], p.raw3) << p.id;
        EXPECT_EQ(Calibration.buttons, p.buttons) << p.id;
        EXPECT_EQ(JoystickHats, p.hats) << p.id;
    }

    Calibration.joystickId = 2;
    Detach(first);
    EXPECT_FALSE(PumpDeviceEvents());
    Detach(second);
    EXPECT_TRUE(PumpDeviceEvents());
    EXPECT_FALSE(TransmitterPresent());
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[2], 0);
    EXPECT_EQ(Calibration.buttons, 0);
    EXPECT_EQ(JoystickHats, 0);
    EXPECT_EQ(PresentJoystickDevices().size(), 1u);

    SDL_Joystick* again = Attach("RC Transmitter", 6, 10);
    PumpDeviceEvents();
    ASSERT_EQ(PresentJoystickDevices().size(), 2u);
    EXPECT_EQ(PresentJoystickDevices()[1].id, 1);
    EXPECT_EQ(Calibration.joystickId, 1);
    SDL_JoystickSetVirtualAxis(again, 0, -2768);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 30000);

    SetRememberedTransmitter({});
    ShutdownJoystickDevices();
    Detach(again);
    Detach(pad);
    SDL_Quit();
}

} // namespace
