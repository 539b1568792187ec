// Tests of the SDL joystick devices with virtual joysticks: the poll, the device list and hot-plugging.
#include <SDL.h>
#include <gtest/gtest.h>

#include "input/channel_mapping.h"
#include "input/joystick_calibration.h"
#include "platform/joystick_device.h"

namespace {

// Hands the waiting device events to the device table, as the main loop does.
void PumpDeviceEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_JOYDEVICEADDED) JoystickDeviceAdded(e.jdevice.which);
        if (e.type == SDL_JOYDEVICEREMOVED) JoystickDeviceRemoved(e.jdevice.which);
    }
}

// Device index of the virtual joystick with this instance id, or -1.
int DeviceIndexOf(SDL_JoystickID instance) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) return i;
    return -1;
}

class VirtualJoysticks : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        SetJoystickCalibrationDefaults(Calibration);
        SetChannelMappingDefaults(Mapping);
    }
    void TearDown() override {
        ShutdownJoystickDevices();
        for (SDL_Joystick* j : handles)
            SDL_JoystickClose(j);
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
        SDL_Quit();
    }
    // Attaches a virtual device and opens a handle of the test's own to move its sticks.
    SDL_Joystick* Attach(int axes, int buttons) {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* j = SDL_JoystickOpen(index);
        EXPECT_NE(j, nullptr);
        handles.push_back(j);
        return j;
    }
    // A named device, so devices of one kind can be told apart by their identity.
    SDL_Joystick* AttachNamed(const char* name, int axes) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.naxes = static_cast<Uint16>(axes);
        desc.nbuttons = 4;
        desc.nhats = 1;
        desc.vendor_id = 0x1209;
        desc.product_id = static_cast<Uint16>(axes);
        desc.name = name;
        int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* j = SDL_JoystickOpen(index);
        handles.push_back(j);
        return j;
    }
    std::vector<SDL_Joystick*> handles;
};

// The chosen transmitter is found by identity whatever id it has, also the second of two identical
// ones, and its removal is reported; it is bound again when it returns.
TEST_F(VirtualJoysticks, TransmitterBoundByIdentityWhateverThePlugOrder) {
    AttachNamed("Game Pad", 4);
    AttachNamed("RC Transmitter", 6);
    SDL_Joystick* second = AttachNamed("RC Transmitter", 6);
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
    EXPECT_TRUE(IsSwitchOn(0x20003));  // hat 0 left
    EXPECT_FALSE(IsSwitchOn(0x20000)); // hat 0 up

    // The first transmitter's removal is not the one in use; the second's is.
    EXPECT_FALSE(JoystickDeviceRemoved(SDL_JoystickInstanceID(handles[1])));
    EXPECT_TRUE(JoystickDeviceRemoved(SDL_JoystickInstanceID(second)));
    EXPECT_FALSE(TransmitterPresent());
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 0);
    EXPECT_EQ(JoystickHats, 0);
    SetRememberedTransmitter({});
}

TEST_F(VirtualJoysticks, AxesArriveNormalisedAndButtonsAsSwitchBits) {
    SDL_Joystick* tx = Attach(6, 10);
    ASSERT_TRUE(InitJoystickDevices());
    PumpDeviceEvents(); // the start-up events of devices already open change nothing
    SDL_JoystickSetVirtualAxis(tx, 0, -32768);
    SDL_JoystickSetVirtualAxis(tx, 1, 32767);
    SDL_JoystickSetVirtualAxis(tx, 2, 0);
    SDL_JoystickSetVirtualAxis(tx, 3, -12768); // raw 20000
    SDL_JoystickSetVirtualButton(tx, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(tx, 8, SDL_PRESSED);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 0);
    EXPECT_EQ(Calibration.raw[1], 65535);
    EXPECT_EQ(Calibration.raw[2], 32768);
    EXPECT_EQ(Calibration.raw[3], 20000);
    EXPECT_EQ(Calibration.buttons, (1 << 3) | (1 << 8));
    // Through the program-start calibration (0 / 20000 / 40000).
    EXPECT_FLOAT_EQ(NormalizeAxis(0), -1.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(3), 0.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(2), 12768.0f / 20000.0f);
    // Through a calibration of the full range.
    for (int i = 0; i < 6; ++i) {
        Calibration.minRaw[i] = 0;
        Calibration.centreRaw[i] = 32768;
        Calibration.maxRaw[i] = 65535;
    }
    EXPECT_FLOAT_EQ(NormalizeAxis(1), 1.0f);
    EXPECT_FLOAT_EQ(NormalizeAxis(2), 0.0f);
    EXPECT_TRUE(IsSwitchOn(0x10003));
    EXPECT_TRUE(IsSwitchOn(0x10008));
    EXPECT_FALSE(IsSwitchOn(0x10001));
    EXPECT_TRUE(IsSwitchOn(1));  // raw 65535 > 30000
    EXPECT_FALSE(IsSwitchOn(0)); // raw 0
    SDL_JoystickSetVirtualButton(tx, 3, SDL_RELEASED);
    PollJoystickForStep();
    EXPECT_FALSE(IsSwitchOn(0x10003));
}

TEST_F(VirtualJoysticks, ThreeAxisDeviceIsNotOfferedAndReadsZeroOnMissingAxes) {
    SDL_Joystick* pad = Attach(3, 2);
    Attach(4, 2);
    ASSERT_TRUE(InitJoystickDevices());
    std::vector<JoystickDeviceInfo> present = PresentJoystickDevices();
    ASSERT_EQ(present.size(), 2u);
    EXPECT_EQ(present[0].axes, 3);
    std::vector<JoystickDeviceInfo> listed = ListSelectableControllers(present);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].id, 1);
    EXPECT_EQ(listed[0].axes, 4);
    char name[256];
    EXPECT_EQ(GetJoystickOemName(1, name), 0);
    EXPECT_EQ(GetJoystickOemName(7, name), 166);
    SelectListedController(Calibration, 0);
    EXPECT_EQ(Calibration.joystickId, 1);

    // The 3-axis device, picked directly, reads 0 on axes 3..5.
    Calibration.joystickId = 0;
    SDL_JoystickSetVirtualAxis(pad, 2, 1000);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[2], 33768);
    EXPECT_EQ(Calibration.raw[3], 0);
    EXPECT_EQ(Calibration.raw[5], 0);
    // An id with no device, or outside 0..15, reads all 0.
    Calibration.joystickId = 9;
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[2], 0);
    Calibration.joystickId = -4;
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 0);
}

TEST_F(VirtualJoysticks, UnpluggedReadsZeroAndReturnsAtItsId) {
    Attach(4, 2);
    SDL_Joystick* tx = Attach(6, 4);
    ASSERT_TRUE(InitJoystickDevices());
    Calibration.joystickId = 1;
    SDL_JoystickSetVirtualAxis(tx, 0, 10000);
    SDL_JoystickSetVirtualButton(tx, 1, SDL_PRESSED);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 42768);
    EXPECT_EQ(Calibration.buttons, 2);

    // Unplug the transmitter.
    SDL_JoystickID instance = SDL_JoystickInstanceID(tx);
    ASSERT_EQ(SDL_JoystickDetachVirtual(DeviceIndexOf(instance)), 0) << SDL_GetError();
    PumpDeviceEvents();
    PollJoystickForStep();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Calibration.raw[i], 0);
    EXPECT_EQ(Calibration.buttons, 0);
    EXPECT_EQ(PresentJoystickDevices().size(), 1u);

    // Plug it back in: it is picked up at id 1 without a restart.
    SDL_Joystick* again = Attach(6, 4);
    PumpDeviceEvents();
    std::vector<JoystickDeviceInfo> present = PresentJoystickDevices();
    ASSERT_EQ(present.size(), 2u);
    EXPECT_EQ(present[1].id, 1);
    SDL_JoystickSetVirtualAxis(again, 0, -2768);
    PollJoystickForStep();
    EXPECT_EQ(Calibration.raw[0], 30000);
    EXPECT_EQ(Calibration.raw[1], 32768);
}

} // namespace
