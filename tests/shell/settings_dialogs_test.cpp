// The settings dialogs driven through ImGui without a window: opening, pausing, typing, OK and Cancel.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "app/model_setup.h"
#include "app/settings_dialogs.h"
#include "app/shared_flags.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "log/flight_log.h"

namespace {
constexpr int KeyTab = 1, KeyEnter = 2, KeyEscape = 3;

class DialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(1024, 768);
        io.DeltaTime = 1.0f / 60.0f;
        io.KeyMap[ImGuiKey_Tab] = KeyTab;
        io.KeyMap[ImGuiKey_Enter] = KeyEnter;
        io.KeyMap[ImGuiKey_Escape] = KeyEscape;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        SetModelSetupDefaults(Model);
        SetDefaultCurves(Model);
        Frames(3); // settle whatever the previous test left open
    }
    void TearDown() override { ImGui::DestroyContext(); }

    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            ImGui::NewFrame();
            DrawSettingsDialogs();
            ImGui::Render();
        }
    }
    // One frame with the key down, one with it up.
    void Press(int key) {
        ImGui::GetIO().KeysDown[key] = true;
        Frames(1);
        ImGui::GetIO().KeysDown[key] = false;
        Frames(1);
    }
    // After a few frames for a dialog just shown: keys, the text typed, then more keys.
    void Keys(std::initializer_list<int> keys, const char* text = nullptr,
              std::initializer_list<int> then = {}) {
        Frames(3);
        for (int key : keys)
            Press(key);
        if (text) ImGui::GetIO().AddInputCharactersUTF8(text);
        Frames(1);
        for (int key : then)
            Press(key);
        Frames(2);
    }
    // Whether the popup with this title is open this frame.
    bool Open(const char* title) {
        ImGuiWindow* w = ImGui::FindWindowByName(title);
        return w && w->Active && SettingsDialogIsOpen();
    }
};
} // namespace

TEST_F(DialogsTest, TypedBoxesConfirmedWithEnterOrCancelled) {
    // Tab into the first box (pinion teeth), type, confirm with Enter: 20 is held at 15.
    SimPaused = false;
    ShowHelicopterSettingsDialog(Model);
    EXPECT_TRUE(SimPaused);
    Keys({KeyTab}, "20", {KeyEnter});
    EXPECT_FALSE(Open("Helicopter Settings"));
    EXPECT_EQ(Model.pinionTeeth, 15.0f);
    EXPECT_TRUE(SimPaused); // nothing un-pauses on closing
    // The first Escape leaves the box, the second cancels the dialog, which reads nothing.
    ShowHelicopterSettingsDialog(Model);
    Keys({KeyTab}, "10", {KeyEscape, KeyEscape});
    EXPECT_FALSE(Open("Helicopter Settings"));
    EXPECT_EQ(Model.pinionTeeth, 15.0f);

    Wind = WindState{};
    ShowWindSettingsDialog(Wind, Turbulence);
    Keys({KeyTab}, "12", {KeyEnter}); // the first box: "Wind speed"
    EXPECT_EQ(Wind.windSpeed, 12.0f);
    EXPECT_EQ(Wind.gustLullDifference, 10.0f);
    EXPECT_EQ(Wind.windType, 0);
}

TEST_F(DialogsTest, CurveEditorClosesOnlyThroughOkAndTakesDigitsOnly) {
    ShowCurveEditorDialog(Model.normalThrottleCurve, "Normal Throttle");
    Keys({KeyEscape});
    EXPECT_TRUE(Open("Normal Throttle###CurveEditor"));
    Keys({KeyTab}, "-0.50", {KeyEnter}); // the minus and the point are refused: "050"
    EXPECT_FALSE(Open("Normal Throttle###CurveEditor"));
    EXPECT_EQ(Model.normalThrottleCurve[0], 50);
    EXPECT_EQ(Model.normalThrottleCurve[1], 70);
}

TEST_F(DialogsTest, OnlyTheModelDialogsPauseAndEscapeCancelsEach) {
    const struct {
        const char* title;
        bool pauses;
        void (*show)();
    } cases[] = {
        {"Swash Imperfections", true, [] { ShowSwashImperfectionsDialog(Swash); }},
        {"Exponential Rates", true, [] { ShowExponentialRatesDialog(Model); }},
        {" Gyro Settings ", false, [] { ShowGyroSettingsDialog(Model); }},
        {"Wind Settings", false, [] { ShowWindSettingsDialog(Wind, Turbulence); }},
        {" Random Attitude  ", false, [] { ShowRandomAttitudeDialog(RandomAttitude); }},
        {"About Rotorvane", false, [] { ShowAboutDialog(); }},
        {"Time Log", false, [] { ShowTimeLogDialog(); }},
    };
    Wind = WindState{};
    for (const auto& c : cases) {
        SimPaused = false;
        c.show();
        EXPECT_EQ(SimPaused, c.pauses) << c.title;
        Frames(3);
        EXPECT_TRUE(Open(c.title)) << c.title;
        Keys({KeyEscape});
        EXPECT_FALSE(SettingsDialogIsOpen()) << c.title;
    }
    EXPECT_EQ(Model.expoRoll, 20);
    EXPECT_EQ(Model.gyroMode, 1);
    EXPECT_EQ(Wind.windSpeed, 4.0f);
    EXPECT_EQ(RandomAttitude.randomAttitudesEnabled, 0);
}
