// Smoke tests of the controller dialogs: each opens as a modal popup from its request, draws its
// frames (with the pickers on top) without ImGui errors and applies its opening rules.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <string>

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
    // The id of a widget labelled label in window title, under the ImGui::PushID(group) the dialog uses
    // (group < 0: none).
    static ImGuiID WidgetId(const char* title, const char* label, int group = -1) {
        ImGuiWindow* window = ImGui::FindWindowByName(title);
        if (!window) return 0;
        ImGuiID seed = window->ID;
        if (group >= 0) seed = ImHashData(&group, sizeof group, seed);
        return ImHashStr(label, 0, seed);
    }
    // Clicks the widget as a pointer does: finds it by hovering over the window, presses, releases.
    bool Click(const char* title, const char* label, int group = -1) {
        ImGuiID id = WidgetId(title, label, group);
        ImGuiWindow* window = ImGui::FindWindowByName(title);
        if (!window || id == 0) return false;
        ImGuiIO& io = ImGui::GetIO();
        for (float y = window->Pos.y + 2; y < window->Pos.y + window->Size.y; y += 6) {
            for (float x = window->Pos.x + 4; x < window->Pos.x + window->Size.x; x += 10) {
                io.MousePos = ImVec2(x, y);
                Frame(0.001);
                if (ImGui::GetCurrentContext()->HoveredId != id) continue;
                io.MouseDown[0] = true;
                Frame(0.001);
                io.MouseDown[0] = false;
                Frame(0.001);
                io.MousePos = ImVec2(-1, -1);
                Frame(0.001);
                return true;
            }
        }
        return false;
    }
    static void SetRaw(int32_t value) {
        for (int32_t& r : Calibration.raw)
            r = value;
    }
    // Old calibration, as a file would hold it.
    static void SetOldCalibration() {
        for (int i = 0; i < 6; ++i) {
            Calibration.maxRaw[i] = 61000 + i;
            Calibration.centreRaw[i] = 31000 + i;
            Calibration.minRaw[i] = 1000 + i;
        }
    }
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

// Calibrate driven through its buttons: the two OKs calibrate, a barely moved axis is named and keeps
// its old values on "Go on", and Cancel or Esc give the whole old calibration back.
TEST_F(Dialogs, CalibrateThroughItsButtons) {
    struct Case {
        const char* finish; // button pressed at the end ("Go on" after a warning), or "Escape"
        bool moveAll;       // all six axes moved in phase 1, else axes 4 and 5 stay put
        int32_t centre0, min0, max0, min5, max5;
    };
    const Case cases[] = {
        {"OK", true, 30000, 200, 64000, 200, 64000},
        {"Go on", false, 30000, 200, 64000, 1005, 61005},
        {"Cancel", true, 31000, 1000, 61000, 1005, 61005},
        {"Escape", true, 31000, 1000, 61000, 1005, 61005},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.finish);
        SetOldCalibration();
        ShowCalibrateDialog();
        SetRaw(30000);
        for (int i = 0; i < 4; ++i)
            Frame();
        ASSERT_TRUE(Click("Calibrate", "OK"));
        EXPECT_EQ(Calibration.centreRaw[3], 30000);
        for (int32_t raw : {200, 64000, 30000}) {
            SetRaw(raw);
            if (!c.moveAll) Calibration.raw[4] = Calibration.raw[5] = 30000;
            Frame(0.15);
            Frame(0.15);
        }
        if (std::string(c.finish) == "Escape") {
            Frame(0.05, true);
            Frame();
        } else if (std::string(c.finish) == "Go on") {
            ASSERT_TRUE(Click("Calibrate", "OK"));
            EXPECT_EQ(OpenPopups(), 1); // the warning, the dialog stays open
            ASSERT_TRUE(Click("Calibrate", "Go on"));
        } else {
            ASSERT_TRUE(Click("Calibrate", c.finish));
        }
        EXPECT_EQ(OpenPopups(), 0);
        EXPECT_EQ(Calibration.centreRaw[0], c.centre0);
        EXPECT_EQ(Calibration.minRaw[0], c.min0);
        EXPECT_EQ(Calibration.maxRaw[0], c.max0);
        EXPECT_EQ(Calibration.minRaw[5], c.min5);
        EXPECT_EQ(Calibration.maxRaw[5], c.max5);
    }
}

// The mapping dialog's boxes driven through the interface: Reverse, Keyboard and the simulator curves.
TEST_F(Dialogs, MappingBoxesThroughTheInterface) {
    ShowControllerMapping();
    Frame();
    Frame();
    ASSERT_TRUE(Click("Controller Mapping", "Reverse", Roll));
    EXPECT_EQ(Mapping.reverse[Roll], 1);
    EXPECT_EQ(Mapping.reverse[Pitch], 0);
    // With the simulator curves the collective's box is disabled and follows the throttle's.
    ASSERT_TRUE(Click("Controller Mapping", "Reverse", Throttle));
    EXPECT_EQ(Mapping.reverse[Throttle], 1);
    EXPECT_EQ(Mapping.reverse[Collective], 1);
    ASSERT_TRUE(Click("Controller Mapping", "Use Simulator Throttle/Pitch Curves"));
    EXPECT_EQ(Mapping.useSimCurves, 0);
    ASSERT_TRUE(Click("Controller Mapping", "Reverse", Collective));
    EXPECT_EQ(Mapping.reverse[Collective], 0);
    EXPECT_EQ(Mapping.reverse[Throttle], 1);
    // Idle up (group 5) off the keyboard; throttle hold (group 6) stays on it.
    ASSERT_TRUE(Click("Controller Mapping", "Keyboard", 5));
    EXPECT_EQ(Mapping.keyboardIdleUp, 0);
    EXPECT_EQ(Mapping.keyboardThrottleHold, 1);
    ASSERT_TRUE(Click("Controller Mapping", "Reverse", 5));
    EXPECT_EQ(Mapping.idleUpReverse, 1);
    // A disabled box does not change: throttle hold's Reverse while on the keyboard.
    EXPECT_FALSE(Click("Controller Mapping", "Reverse", 6) && Mapping.throttleHoldReverse != 0);
    EXPECT_EQ(Mapping.throttleHoldReverse, 0);
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
