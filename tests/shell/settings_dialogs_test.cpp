// The settings dialogs driven through ImGui without a window: opening, pausing, typing, OK and Cancel.
#include <cstring>
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <string>

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
        Frames(3); // settle whatever the previous test left open
    }
    void TearDown() override { ImGui::DestroyContext(); }

    void Frame() {
        ImGui::NewFrame();
        DrawSettingsDialogs();
        ImGui::Render();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    // One frame with the key down, one with it up.
    void Press(int key) {
        ImGui::GetIO().KeysDown[key] = true;
        Frame();
        ImGui::GetIO().KeysDown[key] = false;
        Frame();
    }
    void Type(const char* text) {
        ImGui::GetIO().AddInputCharactersUTF8(text);
        Frame();
    }
    // The popup whose title is shown, open this frame.
    bool Open(const char* title) {
        ImGuiWindow* w = ImGui::FindWindowByName(title);
        return w && w->Active && SettingsDialogIsOpen();
    }
};

} // namespace

TEST_F(DialogsTest, HelicopterSettingsPausesTypesAndConfirms) {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    SimPaused = false;
    ShowHelicopterSettingsDialog(m);
    EXPECT_TRUE(SimPaused);
    Frames(3);
    ASSERT_TRUE(Open("Helicopter Settings"));

    // Tab into the first box (pinion teeth), replace its text, confirm with Enter: 20 is held at 15.
    Press(KeyTab);
    Type("20");
    Press(KeyEnter);
    Frames(2);
    EXPECT_FALSE(Open("Helicopter Settings"));
    EXPECT_EQ(m.pinionTeeth, 15.0f);
    EXPECT_TRUE(SimPaused); // nothing un-pauses on closing

    // Cancel (Escape) reads nothing.
    ShowHelicopterSettingsDialog(m);
    Frames(3);
    Press(KeyTab);
    Type("10");
    Press(KeyEscape); // leaves the box
    Press(KeyEscape); // cancels the dialog
    Frames(2);
    EXPECT_FALSE(Open("Helicopter Settings"));
    EXPECT_EQ(m.pinionTeeth, 15.0f);
}

TEST_F(DialogsTest, CurveEditorClosesOnlyThroughOkAndReadsDecimal) {
    int32_t curve[5] = {0, 70, 80, 90, 100};
    ShowCurveEditorDialog(curve, "Normal Throttle");
    Frames(3);
    ASSERT_TRUE(Open("Normal Throttle###CurveEditor"));
    Press(KeyEscape);
    Frames(2);
    EXPECT_TRUE(Open("Normal Throttle###CurveEditor"));

    // Digits only: the minus and the point are refused, so "-0.50" arrives as "050".
    Press(KeyTab);
    Type("-0.50");
    Press(KeyEnter);
    Frames(2);
    EXPECT_FALSE(Open("Normal Throttle###CurveEditor"));
    EXPECT_EQ(curve[0], 50);
    EXPECT_EQ(curve[1], 70);
}

TEST_F(DialogsTest, OnlyTheModelDialogsPause) {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    WindState wind;
    TurbulenceState turbulence;
    RandomAttitudeSettings random;
    SwashImperfections swash;

    struct Case {
        const char* title;
        bool pauses;
        void (*show)(ModelSetup&, WindState&, TurbulenceState&, RandomAttitudeSettings&, SwashImperfections&);
    };
    const Case cases[] = {
        {"Swash Imperfections", true,
         [](ModelSetup&, WindState&, TurbulenceState&, RandomAttitudeSettings&, SwashImperfections& s) {
             ShowSwashImperfectionsDialog(s);
         }},
        {"Exponential Rates", true,
         [](ModelSetup& m, WindState&, TurbulenceState&, RandomAttitudeSettings&, SwashImperfections&) {
             ShowExponentialRatesDialog(m);
         }},
        {" Gyro Settings ", false,
         [](ModelSetup& m, WindState&, TurbulenceState&, RandomAttitudeSettings&, SwashImperfections&) {
             ShowGyroSettingsDialog(m);
         }},
        {"Wind Settings", false,
         [](ModelSetup&, WindState& w, TurbulenceState& t, RandomAttitudeSettings&, SwashImperfections&) {
             ShowWindSettingsDialog(w, t);
         }},
        {" Random Attitude  ", false,
         [](ModelSetup&, WindState&, TurbulenceState&, RandomAttitudeSettings& r, SwashImperfections&) {
             ShowRandomAttitudeDialog(r);
         }},
        {"About Rotorvane", false,
         [](ModelSetup&, WindState&, TurbulenceState&, RandomAttitudeSettings&, SwashImperfections&) {
             ShowAboutDialog();
         }},
        {"Time Log", false,
         [](ModelSetup&, WindState&, TurbulenceState&, RandomAttitudeSettings&, SwashImperfections&) {
             ShowTimeLogDialog();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        SimPaused = false;
        c.show(m, wind, turbulence, random, swash);
        EXPECT_EQ(SimPaused, c.pauses);
        Frames(3);
        EXPECT_TRUE(Open(c.title));
        Press(KeyEscape);
        Frames(2);
        EXPECT_FALSE(Open(c.title));
        EXPECT_FALSE(SettingsDialogIsOpen());
    }
    // Escape cancelled them all: nothing changed.
    EXPECT_EQ(m.expoRoll, 20);
    EXPECT_EQ(m.gyroMode, 1);
    EXPECT_EQ(wind.windSpeed, 4.0f);
    EXPECT_EQ(random.randomAttitudesEnabled, 0);
}

TEST_F(DialogsTest, WindBoxTakesTheTypedSpeed) {
    WindState wind;
    TurbulenceState turbulence;
    ShowWindSettingsDialog(wind, turbulence);
    Frames(3);
    ASSERT_TRUE(Open("Wind Settings"));
    Press(KeyTab); // the first box: "Wind speed"
    Type("12");
    Press(KeyEnter);
    Frames(2);
    EXPECT_FALSE(Open("Wind Settings"));
    EXPECT_EQ(wind.windSpeed, 12.0f);
    EXPECT_EQ(wind.gustLullDifference, 10.0f);
    EXPECT_EQ(wind.windType, 0);
}
