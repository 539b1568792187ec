// Tests of the controller dialogs driven through their widgets in a headless ImGui context: Calibrate's
// buttons, the mapping dialog's boxes, and the pickers opened over the dialogs.
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
        io.KeyMap[ImGuiKey_Escape] = 1;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        SetJoystickCalibrationDefaults(Calibration);
        SetChannelMappingDefaults(Mapping);
    }
    void TearDown() override { ImGui::DestroyContext(); }
    // One frame of the main loop's UI: every dialog's Draw at top level; true when a popup is open.
    static bool Frame(double seconds = 0.05, bool escape = false) {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = static_cast<float>(seconds);
        io.KeysDown[1] = escape;
        ImGui::NewFrame();
        DrawControllerDialogs();
        bool open = ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId);
        ImGui::Render();
        return open;
    }
    static void Escape() {
        Frame(0.05, true);
        Frame();
    }
    static int OpenPopups() { return ImGui::GetCurrentContext()->OpenPopupStack.Size; }
    // Clicks the widget labelled label in window title, under the ImGui::PushID(group) the dialog uses
    // (group < 0: none), as a pointer does: finds it by hovering over the window, presses, releases.
    static bool Click(const char* title, const char* label, int group = -1) {
        ImGuiWindow* window = ImGui::FindWindowByName(title);
        if (!window) return false;
        const ImGuiID id =
            ImHashStr(label, 0, group >= 0 ? ImHashData(&group, sizeof group, window->ID) : window->ID);
        ImGuiIO& io = ImGui::GetIO();
        for (float y = window->Pos.y + 2; y < window->Pos.y + window->Size.y; y += 6) {
            for (float x = window->Pos.x + 4; x < window->Pos.x + window->Size.x; x += 10) {
                io.MousePos = ImVec2(x, y);
                Frame(0.001);
                if (ImGui::GetCurrentContext()->HoveredId != id) continue;
                for (bool down : {true, false}) {
                    io.MouseDown[0] = down;
                    Frame(0.001);
                }
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
};

// Calibrate driven through its buttons: opening discards the old calibration, the two OKs calibrate, a
// barely moved axis is named and keeps its old values on "Go on", and Cancel or Esc give the whole old
// calibration back.
TEST_F(Dialogs, CalibrateThroughItsButtons) {
    const struct {
        const char* finish; // button pressed at the end ("Go on" after a warning), or "Escape"
        bool moveAll;       // all six axes moved in phase 1, else axes 4 and 5 stay put
        int32_t centre0, min0, max0, min5, max5;
    } cases[] = {
        {"OK", true, 30000, 200, 64000, 200, 64000},
        {"Go on", false, 30000, 200, 64000, 1005, 61005},
        {"Cancel", true, 31000, 1000, 61000, 1005, 61005},
        {"Escape", true, 31000, 1000, 61000, 1005, 61005},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.finish);
        for (int i = 0; i < 6; ++i) {
            Calibration.maxRaw[i] = 61000 + i;
            Calibration.centreRaw[i] = 31000 + i;
            Calibration.minRaw[i] = 1000 + i;
        }
        ShowCalibrateDialog();
        SetRaw(30000);
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(Frame());
        EXPECT_EQ(Calibration.minRaw[3], 65535);
        ASSERT_TRUE(Click("Calibrate", "OK"));
        EXPECT_EQ(Calibration.centreRaw[3], 30000);
        for (int32_t raw : {200, 64000, 30000}) {
            SetRaw(raw);
            if (!c.moveAll) Calibration.raw[4] = Calibration.raw[5] = 30000;
            Frame(0.15);
            Frame(0.15);
        }
        if (std::string(c.finish) == "Escape") {
            Escape();
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

// The mapping dialog's boxes clicked in turn, each row with the field it must leave as given.
TEST_F(Dialogs, MappingBoxesThroughTheInterface) {
    ShowControllerMapping();
    Frame();
    Frame();
    const struct {
        const char* label;
        int group;
        const uint8_t* field;
        uint8_t expected;
    } clicks[] = {
        {"Reverse", Roll, &Mapping.reverse[Roll], 1},
        // With the simulator curves the collective's box is disabled and follows the throttle's.
        {"Reverse", Throttle, &Mapping.reverse[Collective], 1},
        {"Use Simulator Throttle/Pitch Curves", -1, &Mapping.useSimCurves, 0},
        {"Reverse", Collective, &Mapping.reverse[Collective], 0},
        {"Reverse", Collective, &Mapping.reverse[Throttle], 1},
        // Idle up (group 5) off the keyboard, then reversed; throttle hold's box (6) is disabled.
        {"Keyboard", 5, &Mapping.keyboardIdleUp, 0},
        {"Reverse", 5, &Mapping.idleUpReverse, 1},
        {"Reverse", 6, &Mapping.throttleHoldReverse, 0},
    };
    for (const auto& c : clicks) {
        Click("Controller Mapping", c.label, c.group);
        EXPECT_EQ(*c.field, c.expected) << c.label << " " << c.group;
    }
    EXPECT_EQ(Mapping.keyboardThrottleHold, 1);
}

// A picker opened over its dialog: Esc leaves a switch picker with the switch as it was, while only a
// channel button closes the channel picker.
TEST_F(Dialogs, PickersLeftWithEscape) {
    const struct {
        const char* name;
        void (*open)();
        void (*choose)();
        int popupsAfterEscape;
    } cases[] = {
        {"channel", ShowControllerMapping, [] { ChooseChannel("Roll Cyclic", Roll); }, 2},
        {"idle-up", ShowControllerMapping, [] { ChooseSwitch("Idle Up", &Mapping.idleUpSwitch); }, 1},
        {"reset", ShowResetPauseDialog, [] { ChooseSwitch("Reset Simulation", &Mapping.resetSwitch); }, 1},
    };
    for (const auto& c : cases) {
        Mapping.idleUpSwitch = 0x10004;
        c.open();
        EXPECT_TRUE(Frame()) << c.name;
        c.choose();
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(Frame()) << c.name;
        EXPECT_EQ(OpenPopups(), 2) << c.name;
        Escape();
        EXPECT_EQ(OpenPopups(), c.popupsAfterEscape) << c.name;
        EXPECT_EQ(Mapping.axis[Roll], 1) << c.name;
        EXPECT_EQ(Mapping.idleUpSwitch, 0x10004) << c.name;
        EXPECT_EQ(Mapping.resetSwitch, 0) << c.name;
        TearDown(); // a fresh context: no dialog left open for the next case
        SetUp();
    }
    // Select Controller without devices lists nothing and keeps the device in use.
    Calibration.joystickId = 3;
    ShowSelectControllerDialog();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Frame());
    EXPECT_EQ(ListedControllerCount, 0);
    EXPECT_EQ(Calibration.joystickId, 3);
}

} // namespace
