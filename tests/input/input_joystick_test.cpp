// Tests of the SDL joystick devices with virtual joysticks: the poll, the device list and hot-plugging.
#include <SDL.h>
#include <gtest/gtest.h>

#include "input/channel_mapping.h"
#include "input/joystick_calibration.h"
#include "platform/joystick_device.h"

namespace {

class VirtualJoysticks : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        SetJoystickCalibrationDefaults(Calibration);
    }
    void TearDown() override {
        ShutdownJoystickDevices();
        for (SDL_Joystick* j : handles)
            SDL_JoystickClose(j);
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
        SDL_Quit();
    }
    // Attaches a named virtual device with one hat and opens a handle of the test's own to move it.
    SDL_Joystick* Attach(const char* name, int axes, int buttons = 4) {
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
        handles.push_back(SDL_JoystickOpen(index));
        return handles.back();
    }
    // Hands the waiting device events to the device table, as the main loop does.
    static void PumpDeviceEvents() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_JOYDEVICEADDED) JoystickDeviceAdded(e.jdevice.which);
            if (e.type == SDL_JOYDEVICEREMOVED) JoystickDeviceRemoved(e.jdevice.which);
        }
    }
    std::vector<SDL_Joystick*> handles;
};

// The chosen transmitter is found by identity whatever id it has, also the second of two identical
// ones, and its removal is reported.
TEST_F(VirtualJoysticks, TransmitterBoundByIdentityWhateverThePlugOrder) {
    Attach("Game Pad", 4);
    SDL_Joystick* first = Attach("RC Transmitter", 6);
    SDL_Joystick* second = Attach("RC Transmitter", 6);
    ASSERT_TRUE(InitJoystickDevices());
    TransmitterIdentity who = TransmitterIdentityOf(2);
    EXPECT_EQ(who.name, "RC Transmitter");
    EXPECT_EQ(who.index, 1);
    EXPECT_EQ(who.guid.size(), 32u);
    SetRememberedTransmitter(who);
    Calibration.joystickId = 0;
    EXPECT_TRUE(BindTransmitter());
    EXPECT_EQ(Calibration.joystickId, 2);
    EXPECT_TRUE(TransmitterPresent());

    SDL_JoystickSetVirtualAxis(second, 0, 10000);
    SDL_JoystickSetVirtualHat(second, 0, SDL_HAT_LEFT);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 42768);
    EXPECT_EQ(JoystickHats, 8); // hat 0 left

    EXPECT_FALSE(JoystickDeviceRemoved(SDL_JoystickInstanceID(first)));
    EXPECT_TRUE(JoystickDeviceRemoved(SDL_JoystickInstanceID(second)));
    EXPECT_FALSE(TransmitterPresent());
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 0);
    EXPECT_EQ(JoystickHats, 0);
    SetRememberedTransmitter({});
}

// Axes arrive as SDL value + 32768 and buttons as bits; a device with three axes is not offered and
// reads 0 on the axes it lacks; an id without a device, or outside 0..15, reads all 0. An unplugged
// transmitter reads 0 and is picked up at its old id when it returns, without a restart.
TEST_F(VirtualJoysticks, PollDeviceListAndUnplugging) {
    SDL_Joystick* pad = Attach("Pad", 3, 2);
    SDL_Joystick* tx = Attach("Transmitter", 6, 10);
    ASSERT_TRUE(InitJoystickDevices());
    PumpDeviceEvents(); // the start-up events of devices already open change nothing
    ASSERT_EQ(PresentJoystickDevices().size(), 2u);
    std::vector<JoystickDeviceInfo> listed = ListSelectableControllers(PresentJoystickDevices());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].id, 1);
    char name[256];
    EXPECT_EQ(GetJoystickOemName(1, name), 0);
    EXPECT_STREQ(name, "Transmitter");
    EXPECT_EQ(GetJoystickOemName(7, name), 166);

    const Sint16 axes[4] = {-32768, 32767, 0, -12768};
    for (int i = 0; i < 4; ++i)
        SDL_JoystickSetVirtualAxis(tx, i, axes[i]);
    SDL_JoystickSetVirtualAxis(pad, 2, 1000);
    SDL_JoystickSetVirtualButton(tx, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(tx, 8, SDL_PRESSED);
    const struct {
        int32_t id, raw0, raw2, raw3, buttons;
    } polls[] = {{1, 0, 32768, 20000, (1 << 3) | (1 << 8)},
                 {0, 32768, 33768, 0, 0},
                 {9, 0, 0, 0, 0},
                 {-4, 0, 0, 0, 0}};
    for (const auto& p : polls) {
        Calibration.joystickId = p.id;
        PollJoystickForStep();
        EXPECT_EQ(Calibration.raw[0], p.raw0) << p.id;
        EXPECT_EQ(Calibration.raw[2], p.raw2) << p.id;
        EXPECT_EQ(Calibration.raw[3], p.raw3) << p.id;
        EXPECT_EQ(Calibration.buttons, p.buttons) << p.id;
    }

    Calibration.joystickId = 1;
    SDL_JoystickID instance = SDL_JoystickInstanceID(tx);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) {
            EXPECT_EQ(SDL_JoystickDetachVirtual(i), 0);
        }
    PumpDeviceEvents();
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[2], 0);
    EXPECT_EQ(Calibration.buttons, 0);
    EXPECT_EQ(PresentJoystickDevices().size(), 1u);

    SDL_Joystick* again = Attach("Transmitter", 6);
    PumpDeviceEvents();
    ASSERT_EQ(PresentJoystickDevices().size(), 2u);
    EXPECT_EQ(PresentJoystickDevices()[1].id, 1);
    SDL_JoystickSetVirtualAxis(again, 0, -2768);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 30000);
    EXPECT_EQ(Calibration.raw[2], 32768);
}

} // namespace
