// Smoke tests of the controller dialogs: each opens as a modal popup from its request, draws its
// frames (with the pickers on top) without ImGui errors and applies its opening rules.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "input/channel_mapping.h"
#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"

namespace {

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(1024.0f, 768.0f);
        io.IniFilename = nullptr;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        SetJoystickCalibrationDefaults(Calibration);
        SetChannelMappingDefaults(Mapping);
    }
    void TearDown() override { ImGui::DestroyContext(); }
    // One frame of the main loop's UI: every dialog's Draw at top level; true when a popup is open.
    bool Frame(double seconds = 0.05, bool escape = false) {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = static_cast<float>(seconds);
        io.KeyMap[ImGuiKey_Escape] = 1;
        io.KeysDown[1] = escape;
        ImGui::NewFrame();
        DrawControllerDialogs();
        bool open = ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId);
        ImGui::Render();
        return open;
    }
    static int OpenPopups() { return ImGui::GetCurrentContext()->OpenPopupStack.Size; }
};

TEST_F(Dialogs, EachDialogOpensFromItsRequest) {
    EXPECT_FALSE(Frame());
    ShowCalibrateDialog();
    EXPECT_TRUE(Frame());
    // Opening discards the old calibration.
    EXPECT_EQ(Calibration.maxRaw[0], 0);
    EXPECT_EQ(Calibration.minRaw[3], 65535);
    EXPECT_EQ(Calibration.centreRaw[5], 32768);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Frame());
}

TEST_F(Dialogs, MappingDialogWithChannelPicker) {
    ShowControllerMapping();
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Frame());
    EXPECT_EQ(OpenPopups(), 1);
    ChooseChannel("Roll Cyclic", Roll);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Frame());
    EXPECT_EQ(OpenPopups(), 2);
    // Only a channel button closes the channel picker.
    Frame(0.05, true);
    Frame();
    EXPECT_EQ(OpenPopups(), 2);
    EXPECT_EQ(Mapping.axis[Roll], 1);
}

TEST_F(Dialogs, SwitchPickerLeftWithEscapeKeepsTheSwitch) {
    ShowControllerMapping();
    Frame();
    Mapping.idleUpSwitch = 0x10004;
    ChooseSwitch("Idle Up", &Mapping.idleUpSwitch);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Frame());
    EXPECT_EQ(OpenPopups(), 2);
    Frame(0.05, true);
    Frame();
    EXPECT_EQ(OpenPopups(), 1);
    EXPECT_EQ(Mapping.idleUpSwitch, 0x10004);
}

TEST_F(Dialogs, ResetPauseDialogWithSwitchPicker) {
    ShowResetPauseDialog();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Frame());
    ChooseSwitch("Reset Simulation", &Mapping.resetSwitch);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Frame());
    EXPECT_EQ(OpenPopups(), 2);
    Frame(0.05, true);
    Frame();
    EXPECT_EQ(OpenPopups(), 1);
    EXPECT_EQ(Mapping.resetSwitch, 0);
}

TEST_F(Dialogs, SelectControllerWithoutDevicesListsNothing) {
    Calibration.joystickId = 3;
    ShowSelectControllerDialog();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Frame());
    EXPECT_EQ(ListedControllerCount, 0);
    EXPECT_EQ(Calibration.joystickId, 3);
}

} // namespace
