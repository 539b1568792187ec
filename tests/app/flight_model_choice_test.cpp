// The choice of flight model: helicopter files from both folders (the pilot's copy winning), the choice
// kept in Settings.ini, and a file that does not parse refused with the model in use kept.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/flight_model_choice.h"
#include "app/menu.h"
#include "assets/program_paths.h"
#include "app/realistic_settings.h"
#include "assets/safe_file.h"
#include "assets/settings_ini.h"
#include "tests/assets/file_bytes.h"

namespace fs = std::filesystem;

namespace {
// An installed program (read-only by its package marker) with the shipped helicopters, and the pilot's
// folder under share/.
class ModelChoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(install / "helicopters");
        WriteText(install / PackageMarkerName, "");
        for (const char* name : {"450 Sport", "450 3D"})
            fs::copy_file(fs::path(RV_SOURCE_DIR) / "helicopters" / (std::string(name) + ".toml"),
                          install / "helicopters" / (std::string(name) + ".toml"));
        setenv("XDG_DATA_HOME", share.c_str(), 1);
        ProgramDir = install.string();
        ASSERT_TRUE(ChooseUserDir());
        Settings = SettingsFile{};
        ActiveFlightModel = FlightModelChoice{};
        ResetUserMessages();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Shipped(const char* name) const {
        return ReadText((install / "helicopters" / (std::string(name) + ".toml")).string());
    }

    const fs::path dir = FreshFolder("choice");
    const fs::path install = dir / "install", share = dir / "share", pilot = share / "rotorvane";
};
} // namespace

TEST_F(ModelChoiceTest, ClassicByDefaultKeptInSettingsAndThePilotsCopyWins) {
    EXPECT_TRUE(MenuItemChecked(CmdClassicModel));
    LoadFlightModelChoice(); // nothing kept: classic
    EXPECT_FALSE(ActiveFlightModel.realistic);
    std::string error;
    ASSERT_TRUE(ChooseFlightModel("450 3D", error)) << error;
    EXPECT_FALSE(MenuItemChecked(CmdClassicModel));
    EXPECT_EQ(ActiveFlightModel.params.headspeedRpm, 3000.0);
    // Written at once to the pilot's Settings.ini, read back at the next start.
    EXPECT_NE(ReadText((pilot / "Settings.ini").string()).find("FlightModel = 450 3D\n"), std::string::npos);
    Settings = SettingsFile{};
    ActiveFlightModel = FlightModelChoice{};
    LoadSettingsFile(Settings, SettingsPlace().read);
    LoadFlightModelChoice();
    EXPECT_TRUE(ActiveFlightModel.realistic);
    EXPECT_EQ(ActiveFlightModel.name, "450 3D");

    HandleMenuCommand(CmdClassicModel);
    EXPECT_FALSE(ActiveFlightModel.realistic);
    EXPECT_EQ(GetSetting(FlightModelKey, ""), "Classic");

    // The pilot's own "450 Sport" with another head speed, and a helicopter only the pilot has.
    std::string own = Shipped("450 Sport");
    size_t at = own.find("headspeed_rpm = ");
    ASSERT_NE(at, std::string::npos);
    own.replace(at, own.find('\n', at) - at, "headspeed_rpm = 2500");
    WriteText(pilot / "helicopters" / "450 Sport.toml", own);
    WriteText(pilot / "helicopters" / "Mine.toml", Shipped("450 3D"));
    WriteText(pilot / "helicopters" / "notes.txt", "not a helicopter");
    EXPECT_EQ(ListHelicopterNames(), (std::vector<std::string>{"450 3D", "450 Sport", "Mine"}));

    ASSERT_TRUE(ChooseFlightModel("450 Sport", error)) << error;
    EXPECT_TRUE(ActiveFlightModel.realistic);
    EXPECT_EQ(ActiveFlightModel.params.headspeedRpm, 2500.0);
    EXPECT_NEAR(ActiveFlightModel.derived.headspeed, 2500.0 * 2.0 * 3.14159265358979 / 60.0, 1e-6);
}

TEST_F(ModelChoiceTest, BadFilesAndValuesAreRefusedGoodSettingsSaveThePilotsCopy) {
    std::string error;
    ASSERT_TRUE(ChooseFlightModel("450 Sport", error)) << error;
    std::string bad = Shipped("450 3D");
    bad.replace(bad.find("mass_kg = "), 10, "mass_kg = 90 #");
    WriteText(pilot / "helicopters" / "Broken.toml", bad);
    WriteText(pilot / "helicopters" / "Huge.toml", std::string(2 << 20, '#'));
    struct Case {
        const char* name;
        const char* inError;
    } cases[] = {
        {"Broken", "Broken.toml:4: mass_kg"}, // named by file, line and key
        {"Huge", "too large"},
        {"Missing", "no such helicopter"},
        {"../450 Sport", "not a helicopter name"},
        {"", "not a helicopter name"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(ChooseFlightModel(c.name, error)) << c.name;
        EXPECT_NE(error.find(c.inError), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(ActiveFlightModel.realistic) << c.name;
        EXPECT_EQ(ActiveFlightModel.name, "450 Sport") << c.name;
        EXPECT_EQ(ActiveFlightModel.params.headspeedRpm, 2700.0) << c.name;
        EXPECT_EQ(GetSetting(FlightModelKey, ""), "450 Sport") << c.name;
    }
    // The menu's command tells the pilot why.
    ChooseFlightModelCommand("Broken");
    std::vector<std::string> shown = TakeUserMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Broken.toml:4: mass_kg"), std::string::npos) << shown[0];

    // A kept choice whose file broke since: the classic model flies and the pilot hears why.
    SetSetting(FlightModelKey, "Broken");
    LoadFlightModelChoice();
    EXPECT_FALSE(ActiveFlightModel.realistic);
    EXPECT_EQ(TakeUserMessages().size(), 1u);

    RealisticSettingsForm form;
    EXPECT_FALSE(FillRealisticSettingsForm(form)); // the classic model has none
    ASSERT_TRUE(ChooseFlightModel("450 Sport", error)) << error;
    ASSERT_TRUE(FillRealisticSettingsForm(form));
    EXPECT_EQ(form.values[SettingMaxRollRate], 360.0);
    EXPECT_EQ(form.values[SettingHeadspeed], 2700.0);
    EXPECT_FALSE(form.selfLevel);

    // Out of range: refused, nothing written, nothing changed.
    RealisticSettingsForm wrong = form;
    wrong.values[SettingCollectiveRange] = 16.5; // allowed 1 .. 16
    EXPECT_FALSE(ConfirmRealisticSettingsForm(wrong, error));
    EXPECT_NE(error.find("Collective range"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(pilot / "helicopters" / "450 Sport.toml"));
    EXPECT_EQ(ActiveFlightModel.params.collectiveRangeDeg, 11.0);

    form.values[SettingMaxRollRate] = 500.0;
    form.values[SettingHeadspeed] = 2900.0;
    form.values[SettingCollectiveRange] = 16.0; // the range's edge is allowed
    form.selfLevel = true;
    ASSERT_TRUE(ConfirmRealisticSettingsForm(form, error)) << error;
    EXPECT_EQ(ActiveFlightModel.params.maxRollRateDps, 500.0);
    EXPECT_NEAR(ActiveFlightModel.derived.headspeed, 2900.0 * 2.0 * 3.14159265358979 / 60.0, 1e-6);
    // The shipped file is untouched; the pilot's copy reads back whole and wins from now on.
    EXPECT_EQ(Shipped("450 Sport").find("max_roll_rate_dps = 500"), std::string::npos);
    RealisticParams back{};
    std::string own = ReadText((pilot / "helicopters" / "450 Sport.toml").string());
    ASSERT_TRUE(ParseRealisticParams(own, "own", back, error)) << error;
    EXPECT_EQ(back.maxRollRateDps, 500.0);
    EXPECT_EQ(back.collectiveRangeDeg, 16.0);
    EXPECT_EQ(back.selfLevel, 1.0);
    EXPECT_EQ(back.massKg, 0.78);
    ActiveFlightModel = FlightModelChoice{};
    ASSERT_TRUE(ChooseFlightModel("450 Sport", error)) << error;
    EXPECT_EQ(ActiveFlightModel.params.headspeedRpm, 2900.0);
    for (const auto& entry : fs::directory_iterator(pilot / "helicopters"))
        EXPECT_EQ(entry.path().extension(), ".toml") << entry.path(); // no temporary file left
}
