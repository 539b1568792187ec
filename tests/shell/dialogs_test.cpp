// The dialogs: the rules the settings dialogs apply on OK and on "Defaults"; the dialogs driven through
// ImGui without a window (opening, pausing, typing, OK and Cancel); which key presses count as shortcuts
// while dialogs are open; and the file chooser with names that are not UTF-8 or look like ImGui markup.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <SDL.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/menu.h"
#include "app/model_setup.h"
#include "assets/program_paths.h"
#include "app/settings_dialogs.h"
#include "app/settings_rules.h"
#include "app/shared_flags.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "platform/key_latch.h"
#include "tests/assets/file_bytes.h"
#include "tests/shell/headless_imgui.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

using Values = std::vector<int32_t>;

namespace {
void SetBox(SettingsBoxText& box, const char* text) {
    box.fill('\0');
    std::strncpy(box.data(), text, SettingsBoxChars);
}

ModelSetup DefaultModel() {
    ModelSetup m{};
    SetModelSetupDefaults(m);
    SetDefaultCurves(m);
    return m;
}

// A headless ImGui frame loop drawing the settings dialogs and the file chooser, the program's model at
// its defaults.
class DialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateHeadlessImGui(1024, 768);
        ImGui::GetIO().DeltaTime = 1.0f / 60.0f;
        Model = DefaultModel();
        Frames(3); // settle whatever the previous test left open
    }
    void TearDown() override { ImGui::DestroyContext(); }

    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            ImGui::NewFrame();
            DrawSettingsDialogs();
            DrawFileChooser();
            DrawMessageBoxes();
            ImGui::Render();
        }
    }
    // After a few frames for a dialog just shown, each key pressed for one frame and let go for one; the
    // text is typed after the first key.
    void Keys(std::initializer_list<int> keys, const char* typed = "") {
        Frames(3);
        for (int key : keys) {
            ImGui::GetIO().KeysDown[key] = true;
            Frames(1);
            ImGui::GetIO().KeysDown[key] = false;
            Frames(1);
            ImGui::GetIO().AddInputCharactersUTF8(typed);
            typed = "";
            Frames(1);
        }
        Frames(2);
    }
    // Whether the popup with this title is open this frame.
    bool Open(const char* title) {
        ImGuiWindow* w = ImGui::FindWindowByName(title);
        return w && w->Active && SettingsDialogIsOpen();
    }
};
} // namespace

// Each row of tests/data/app_helicopter_settings.txt: its box filled from the defaults; OK with a value of
// the box's own; and OK with letters, a huge and a negative number in every box, each found at its
// field's offset in the record.
TEST(SettingsRules, HelicopterSwashCurveWindBoxesAndRadioGroups) {
    ModelSetup m = DefaultModel();
    HelicopterSettingsForm form{};
    std::ifstream table(RV_TEST_DATA_DIR "/app_helicopter_settings.txt");
    std::string line, field, shown;
    int row = 0;
    const auto at = [&m](size_t offset) {
        float value;
        std::memcpy(&value, reinterpret_cast<const char*>(&m) + offset, sizeof value);
        return value;
    };
    while (std::getline(table, line)) {
        if (line[0] == '#') continue;
        int id = 0;
        size_t offset = 0;
        float low = 0, fallback = 0, high = 0;
        std::istringstream(line) >> id >> offset >> field >> shown >> low >> fallback >> high;
        ASSERT_LT(row, HelicopterSettingsRowCount);
        EXPECT_EQ(HelicopterSettingsRows[row].controlId, id) << field;
        FillHelicopterSettingsForm(form, DefaultModel());
        EXPECT_STREQ(form.boxes[row].data(), shown.c_str()) << field;
        // Every box its own value within its bounds: a box wired to another field shows here.
        const float own = low + (high - low) * float(row + 1) / 32.0f;
        SetBox(form.boxes[row], std::to_string(own).c_str());
        ConfirmHelicopterSettings(form, m);
        EXPECT_NEAR(at(offset), own, 1e-4f * high) << field;
        const std::pair<const char*, float> tries[] = {{"letters", fallback}, {"99999", high}, {"-1", low}};
        for (const auto& [text, expected] : tries) {
            for (auto& box : form.boxes)
                SetBox(box, text);
            ConfirmHelicopterSettings(form, m);
            EXPECT_EQ(at(offset), expected) << field << " " << text;
        }
        ++row;
    }
    EXPECT_EQ(row, HelicopterSettingsRowCount);
    // Fields the dialog does not show are never touched by OK.
    EXPECT_EQ(m.rotorDiameter, 0.685f);
    EXPECT_EQ(m.gyroMode, 1);
    EXPECT_EQ(m.normalPitchCurve[0], 40);

    // "Defaults" puts back the defaults at once, curves untouched; Cancel then reads nothing.
    m.gyroDrift = 3;
    m.expoPitch = 35;
    m.idleUpThrottleCurve[2] = 7;
    PressHelicopterSettingsDefaults(form, m);
    ModelSetup expected = DefaultModel();
    expected.idleUpThrottleCurve[2] = 7;
    EXPECT_EQ(std::memcmp(&m, &expected, sizeof m), 0);
    EXPECT_STREQ(form.boxes[18].data(), "0.80");

    // Only the first 100 characters are handed over: 100 blanks then a digit is no number.
    const std::string padded = std::string(SettingsBoxChars, ' ') + "5";
    const struct {
        const char* text;
        float expected; // low 0.5, fallback 1, high 10
    } cases[] = {{"20", 10},     {"0.1", 0.5f},      {"abc", 1},         {"", 1},
                 {"1.5x", 1.5f}, {"   2.25", 2.25f}, {"x1.5", 1},        {"nan", 1},
                 {"inf", 10},    {"-inf", 0.5f},     {padded.c_str(), 1}};
    for (const auto& c : cases) {
        float f = -7.0f;
        ReadClampedField(f, c.text, 0.5f, 1.0f, 10.0f);
        EXPECT_EQ(f, c.expected) << "\"" << c.text << "\"";
    }

    // The swash rows in the dialog's order, which is the record's: elevator to aileron, aileron to elevator,
    // positive and negative collective to aileron, positive and negative collective to elevator. The curve
    // boxes read decimal, no clamp but to the 32-bit range; an 'x' ends the number.
    SwashImperfections s;
    SwashForm swashForm{};
    const char* texts[SwashRowCount] = {"2", "-3", "0.25", "x", "-0.5", "1"};
    for (int i = 0; i < SwashRowCount; ++i)
        SetBox(swashForm.boxes[i], texts[i]);
    s.negCollToAileron = 0.9f;
    ConfirmSwashForm(swashForm, s);
    const float* record = reinterpret_cast<const float*>(&s);
    const auto rows = [record] { return std::vector<float>(record, record + SwashRowCount); };
    EXPECT_EQ(rows(), (std::vector<float>{1.0f, -1.0f, 0.25f, 0.0f, -0.5f, 1.0f}));
    PressSwashDefaults(swashForm, s);
    EXPECT_EQ(rows(), std::vector<float>(SwashRowCount, 0.0f));
    EXPECT_STREQ(swashForm.boxes[1].data(), "0.00");

    int32_t curve[5] = {40, 45, 50, 75, 100};
    CurveForm curveForm{};
    FillCurveForm(curveForm, curve);
    EXPECT_STREQ(curveForm.boxes[4].data(), "100");
    const char* curveTexts[5] = {"050", " 12x", "", "0x10", "99999999999999999999999"};
    for (int i = 0; i < 5; ++i)
        SetBox(curveForm.boxes[i], curveTexts[i]);
    ConfirmCurveForm(curveForm, curve);
    EXPECT_EQ(std::vector<int32_t>(curve, curve + 5), (Values{50, 12, 50, 0, INT32_MAX}));

    // A radio group stores the first checked button among all but the last, else the last button's value.
    ModelSetup radio = DefaultModel();
    radio.expoRoll = 12; // matches no button
    radio.expoPitch = 5;
    radio.expoYaw = 0;
    radio.gyroMode = GyroModeRate; // disabled, but kept when it is what the file held
    radio.gyroDrift = 9;
    radio.gyroGain = -1;
    ExpoForm expo{};
    GyroForm gyro{};
    FillExpoForm(expo, radio);
    FillGyroForm(gyro, radio);
    ConfirmExpoForm(expo, radio);
    ConfirmGyroForm(gyro, radio);
    EXPECT_EQ((Values{radio.expoRoll, radio.expoPitch, radio.expoYaw, radio.gyroMode, radio.gyroDrift,
                      radio.gyroGain}),
              (Values{35, 5, 0, 2, 3, 2}));

    RandomAttitudeSettings settings;
    RandomAttitudeForm attitudeForm{1, 2, -4, true};
    ConfirmRandomAttitudeForm(attitudeForm, settings);
    EXPECT_EQ((Values{settings.altitudeLevel, settings.orientationLevel, settings.motionLevel,
                      settings.randomAttitudesEnabled}),
              (Values{1, 2, 3, 1}));

    WindState wind;
    TurbulenceState turbulence;
    WindForm windForm{};
    FillWindForm(windForm, wind, turbulence);
    EXPECT_STREQ(windForm.windSpeed.data(), " 4.0"); // field width 4
    EXPECT_STREQ(windForm.gustLullDifference.data(), "10.0");
    // No clamp on the boxes; no finite number keeps the old value (too many digits for a float).
    SetBox(windForm.windSpeed, "12");
    SetBox(windForm.gustLullDifference, std::string(60, '9').c_str());
    windForm.windType = 3;
    windForm.windDirection = 11; // no button: "NW", the last of the listed order
    windForm.directionShifts = 4;
    windForm.turbLevel = 2;
    ConfirmWindForm(windForm, wind, turbulence);
    EXPECT_EQ(wind.windSpeed, 12.0f);
    EXPECT_EQ(wind.gustLullDifference, 10.0f);
    EXPECT_EQ((Values{wind.windType, wind.windDirection, wind.directionShifts, turbulence.turbLevel}),
              (Values{3, 7, 4, 2}));
}

TEST_F(DialogsTest, TypedBoxesCurveItemsAndShortcutKeys) {
    // Tab into the first box (pinion teeth), type, confirm with Enter: 20 is held at 15.
    ShowHelicopterSettingsDialog(Model);
    Keys({ImGuiKey_Tab, ImGuiKey_Enter}, "20");
    EXPECT_FALSE(Open("Helicopter Settings"));
    EXPECT_EQ(Model.pinionTeeth, 15.0f);
    // The first Escape leaves the box, the second cancels the dialog, which reads nothing.
    ShowHelicopterSettingsDialog(Model);
    Keys({ImGuiKey_Tab, ImGuiKey_Escape, ImGuiKey_Escape}, "10");
    EXPECT_FALSE(Open("Helicopter Settings"));
    EXPECT_EQ(Model.pinionTeeth, 15.0f);
    Wind = WindState{};
    ShowWindSettingsDialog(Wind, Turbulence);
    Keys({ImGuiKey_Tab, ImGuiKey_Enter}, "12"); // the first box: "Wind speed"
    EXPECT_EQ(Wind.windSpeed, 12.0f);

    // Each curve item edits its own curve: the first point typed lands in that curve and in no other. Escape
    // does not close the editor; only digits are taken ("-3.3" gives 33).
    auto curves = [] {
        std::vector<int32_t> v;
        for (const int32_t* c : {Model.normalPitchCurve, Model.normalThrottleCurve, Model.idleUpPitchCurve,
                                 Model.idleUpThrottleCurve})
            v.insert(v.end(), c, c + 5);
        return v;
    };
    const int commands[4] = {CmdNormalPitchCurve, CmdNormalThrottleCurve, CmdIdleUpPitchCurve,
                             CmdIdleUpThrottleCurve};
    for (int item = 0; item < 4; ++item) {
        Model = DefaultModel();
        Model.normalPitchCurve[0] = Model.idleUpThrottleCurve[0] = 0; // the digits typed follow a 0
        std::vector<int32_t> expected = curves();
        expected[5 * size_t(item)] = 33;
        HandleMenuCommand(commands[item]);
        Keys({ImGuiKey_Escape});
        EXPECT_TRUE(SettingsDialogIsOpen()) << item;
        Keys({ImGuiKey_Tab, ImGuiKey_Enter}, "-3.3");
        EXPECT_FALSE(SettingsDialogIsOpen()) << item;
        EXPECT_EQ(curves(), expected) << item;
    }

    const struct {
        int key;
        bool inModal; // counts while a modal dialog without a focused text box is open
    } keys[] = {{SDLK_i, true},      {SDLK_h, true},  {SDLK_LCTRL, true}, {SDLK_RCTRL, true},
                {SDLK_SPACE, false}, {SDLK_p, false}, {SDLK_r, false},    {SDLK_x, false}};
    for (const auto& k : keys) {
        EXPECT_TRUE(KeyCountsAsShortcut(k.key, false, false)) << k.key;
        EXPECT_EQ(KeyCountsAsShortcut(k.key, false, true), k.inModal) << k.key;
        EXPECT_FALSE(KeyCountsAsShortcut(k.key, true, true)) << k.key;
        EXPECT_FALSE(KeyCountsAsShortcut(k.key, true, false)) << k.key;
    }
}

// Each menu command opens its own dialog; only the model dialogs pause, and closing one un-pauses nothing;
// Escape closes each.
TEST_F(DialogsTest, EachCommandReachesItsDialogOrFileAndOnlyModelDialogsPause) {
    const struct {
        const char* title;
        bool pauses;
        int command;
    } cases[] = {
        {"Helicopter Settings", true, CmdModelParameters},
        {"Swash Imperfections", true, CmdSwashImperfections},
        {"Exponential Rates", true, CmdExpoRates},
        {" Gyro Settings ", false, CmdGyroSettings},
        {"Wind Settings", false, CmdWind},
        {" Random Attitude  ", false, CmdRandomAttitudes},
        {"About Rotorvane", false, CmdAbout},
        {"Time Log", false, CmdViewSessionTimes},
    };
    for (const auto& c : cases) {
        SimPaused = false;
        HandleMenuCommand(c.command);
        Frames(3);
        EXPECT_TRUE(Open(c.title)) << c.title;
        Keys({ImGuiKey_Escape});
        EXPECT_FALSE(SettingsDialogIsOpen()) << c.title;
        EXPECT_EQ(SimPaused, c.pauses) << c.title;
    }

    // The Model menu's file commands through the chooser, its pre-filled name confirmed with Enter: Save
    // writes the model to models/HeliParams.par and Load reads it back, and no failure message shows.
    const std::filesystem::path dir = FreshFolder("models");
    ProgramDir = UserDir = dir.string();
    Model.pinionTeeth = 13.0f;
    HandleMenuCommand(CmdSaveModelSetup);
    Keys({ImGuiKey_Enter});
    Model.pinionTeeth = 11.0f;
    HandleMenuCommand(CmdLoadModelSetup);
    Keys({ImGuiKey_Enter});
    EXPECT_EQ(Model.pinionTeeth, 13.0f);
    EXPECT_EQ(std::filesystem::file_size(dir / "models" / "HeliParams.par"), sizeof(ModelSetup));
    EXPECT_EQ(ImGui::FindWindowByName("Error...###messagebox"), nullptr);
    std::filesystem::remove_all(dir);
}

TEST_F(DialogsTest, FileChooserShowsAndOpensHostileNamesAndSelectsTheSuggestedName) {
    namespace fs = std::filesystem;
    const fs::path dir = FreshFolder("chooser");
    fs::create_directories(dir / "sub\xFF");
    for (std::string name : {"\xFF\xFE.rec", "a##b.rec", "###.rec", "%s%n%d.rec", "\xC3.rec", "ok.rec"})
        WriteText(dir / name, "x");
    WriteText(dir / (std::string(250, 'n') + ".rec"), "x");
    std::string chosen;
    OpenFileChooser(ChooserInFolder("Load Recording", "Recordings (*.rec)", "*.rec", dir.string(),
                                    "\xFF\xFE.rec", true, false),
                    [&](const std::string& path) { chosen = path; });
    Keys({ImGuiKey_Enter});
    // The pre-filled name that is not UTF-8 still opens the file under its real name.
    EXPECT_EQ(chosen, (dir / "\xFF\xFE.rec").string());
    fs::remove_all(dir);

    // Typing into a chooser replaces its whole suggested name, also after a chooser with a shorter name.
    namespace fs = std::filesystem;
    const fs::path plain = FreshFolder("chooser_name");
    const char* suggested[] = {"ab.rec", "a-much-longer-recording-name.rec", "mid-length.rec"};
    for (const char* name : suggested) {
        std::string chosen;
        OpenFileChooser(ChooserInFolder("Save Recording", "Recordings (*.rec)", "*.rec", plain.string(), name,
                                        false, true),
                        [&](const std::string& path) { chosen = path; });
        Frames(3);
        ImGui::GetIO().AddInputCharactersUTF8("typed");
        Frames(2);
        Keys({ImGuiKey_Enter});
        EXPECT_EQ(chosen, (plain / "typed.rec").string()) << name;
    }
    fs::remove_all(plain);

    const struct {
        std::string raw, shown;
    } cases[] = {
        {"h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x9A\x81.x",
         "h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x9A\x81.x"}, // two, three, four bytes
        {"h\xE9li|\xFF\xFE|\x80\xBF", "h?li|??|??"}, // a lone lead byte, never in UTF-8, lone continuations
        {"\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80", "??|???|????"}, // overlong '/', a surrogate, past U+10FFFF
        {"tab\there\x7F.rec", "tab?here?.rec"},                    // control characters
        {"cut\xE2\x82", "cut??"},                                  // sequence cut at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowableFileName(c.raw), c.shown) << c.raw;
}
