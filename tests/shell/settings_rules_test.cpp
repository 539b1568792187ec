// Tests of the rules the settings dialogs apply on OK and on "Defaults".
#include "app/settings_rules.h"

#include <cmath>
#include <cstring>
#include <string>
#include <gtest/gtest.h>

namespace {

int RowOf(int controlId) {
    for (int i = 0; i < HelicopterSettingsRowCount; ++i)
        if (HelicopterSettingsRows[i].controlId == controlId) return i;
    return -1;
}

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

} // namespace

TEST(SettingsRules, ReadClampedFieldClampsFallsBackAndIgnoresTrailingText) {
    // Only the first 100 characters are handed over: 100 blanks then a digit is no number.
    const std::string padded = std::string(SettingsBoxChars, ' ') + "5";
    struct Case {
        const char* text;
        float low, fallback, high, expected;
    } cases[] = {
        {"20", 9, 12, 15, 15},
        {"3", 9, 12, 15, 9},
        {"abc", 9, 12, 15, 12},
        {"", 9, 12, 15, 12},
        {"1.5x", 0.01f, 1, 10, 1.5f},
        {"   2.25", 0.01f, 1, 10, 2.25f},
        {"x1.5", 0.01f, 1, 10, 1},
        {"nan", 0.01f, 0.7f, 10, 0.7f},
        {"inf", 0.01f, 0.7f, 10, 10},
        {"-inf", 0.01f, 0.7f, 10, 0.01f},
        {padded.c_str(), 0.01f, 1, 10, 1},
    };
    for (const Case& c : cases) {
        float f = -7.0f;
        ReadClampedField(f, c.text, c.low, c.fallback, c.high);
        EXPECT_EQ(f, c.expected) << "\"" << c.text << "\"";
    }
}

TEST(SettingsRules, HelicopterSettingsBoundsAndFallbacks) {
    ASSERT_EQ(HelicopterSettingsRows[0].controlId, 1030);
    ASSERT_EQ(HelicopterSettingsRows[19].controlId, 1041);
    ModelSetup m = DefaultModel();
    HelicopterSettingsForm form{};
    FillHelicopterSettingsForm(form, m);
    EXPECT_STREQ(form.boxes[RowOf(1030)].data(), "12.00");
    EXPECT_STREQ(form.boxes[RowOf(1031)].data(), "0.10");
    EXPECT_STREQ(form.boxes[RowOf(1024)].data(), "3550.00");

    SetBox(form.boxes[RowOf(1030)], "20");
    ConfirmHelicopterSettings(form, m);
    EXPECT_EQ(m.pinionTeeth, 15.0f);
    SetBox(form.boxes[RowOf(1030)], "3");
    ConfirmHelicopterSettings(form, m);
    EXPECT_EQ(m.pinionTeeth, 9.0f);

    // Letters everywhere: every field takes its row's fallback, which differs from the default for some.
    for (auto& box : form.boxes)
        SetBox(box, "letters");
    ConfirmHelicopterSettings(form, m);
    EXPECT_EQ(m.pinionTeeth, 12.0f);
    EXPECT_EQ(m.rotorInertia, 1.0f);
    EXPECT_EQ(m.sideThrustPercent, 1.8f);
    EXPECT_EQ(m.massKg, 0.7f);
    EXPECT_EQ(m.liftAtFullCollective, 1.2f);
    EXPECT_EQ(m.gustPitchUp, 0.3f);
    EXPECT_EQ(m.motorKv, 3550.0f);
    EXPECT_EQ(m.batteryVolts, 11.4f);
    EXPECT_EQ(m.cyclicInstability, 0.1f);

    // Huge values clamp to each row's high bound, negatives to its low bound.
    for (auto& box : form.boxes)
        SetBox(box, "99999");
    ConfirmHelicopterSettings(form, m);
    EXPECT_EQ(m.maxCollective, 15.0f);
    EXPECT_EQ(m.motorKv, 5000.0f);
    EXPECT_EQ(m.batteryVolts, 25.0f);
    EXPECT_EQ(m.cyclicInstability, 0.5f);
    EXPECT_EQ(m.dragVertical, 10.0f);
    for (auto& box : form.boxes)
        SetBox(box, "-1");
    ConfirmHelicopterSettings(form, m);
    EXPECT_EQ(m.maxCollective, 6.0f);
    EXPECT_EQ(m.motorKv, 100.0f);
    EXPECT_EQ(m.cyclicInstability, 0.0f);
    EXPECT_EQ(m.translationalLift, 0.01f);

    // Fields the dialog does not show are never touched by OK.
    EXPECT_EQ(m.rotorDiameter, 0.685f);
    EXPECT_EQ(m.gyroMode, 1);
    EXPECT_EQ(m.normalPitchCurve[0], 40);
}

TEST(SettingsRules, DefaultsThenCancelKeepsTheDefaults) {
    ModelSetup m = DefaultModel();
    m.massKg = 3.0f;
    m.gyroMode = 0;
    m.gyroDrift = 3;
    m.gyroGain = 2;
    m.expoRoll = 0;
    m.expoPitch = 35;
    m.expoYaw = 12;
    m.rotorProfileDrag = 1.0f;
    m.rotorInducedDrag = 1.0f;
    m.rotorDiameter = 1.0f;
    m.idleUpThrottleCurve[2] = 7;
    HelicopterSettingsForm form{};
    FillHelicopterSettingsForm(form, m);
    SetBox(form.boxes[RowOf(1040)], "5");
    PressHelicopterSettingsDefaults(form, m);
    // Cancel reads nothing: the record is what "Defaults" left.
    ModelSetup expected = DefaultModel();
    expected.idleUpThrottleCurve[2] = 7; // the curves are not touched
    EXPECT_EQ(std::memcmp(&m, &expected, sizeof m), 0);
    EXPECT_STREQ(form.boxes[RowOf(1040)].data(), "0.80");
}

TEST(SettingsRules, SwashClampAndDefaults) {
    SwashImperfections s;
    SwashForm form{};
    FillSwashForm(form, s);
    EXPECT_STREQ(form.boxes[0].data(), "0.00");
    SetBox(form.boxes[0], "2");
    SetBox(form.boxes[1], "-3");
    SetBox(form.boxes[2], "0.25");
    SetBox(form.boxes[3], "x");
    SetBox(form.boxes[4], "-0.5");
    SetBox(form.boxes[5], "1");
    s.negCollToAileron = 0.9f;
    ConfirmSwashForm(form, s);
    EXPECT_EQ(s.elevToAileron, 1.0f);
    EXPECT_EQ(s.aileronToElev, -1.0f);
    EXPECT_EQ(s.posCollToAileron, 0.25f);
    EXPECT_EQ(s.negCollToAileron, 0.0f);
    EXPECT_EQ(s.posCollToElev, -0.5f);
    EXPECT_EQ(s.negCollToElev, 1.0f);
    FillSwashForm(form, s);
    EXPECT_STREQ(form.boxes[4].data(), "-0.50");
    PressSwashDefaults(form, s);
    EXPECT_EQ(s.elevToAileron, 0.0f);
    EXPECT_EQ(s.negCollToElev, 0.0f);
    EXPECT_STREQ(form.boxes[1].data(), "0.00");
}

TEST(SettingsRules, CurveBoxesReadDecimalAndKeepEmptyPoints) {
    int32_t curve[5] = {40, 45, 50, 75, 100};
    CurveForm form{};
    FillCurveForm(form, curve);
    EXPECT_STREQ(form.boxes[4].data(), "100");
    SetBox(form.boxes[0], "050");
    SetBox(form.boxes[1], "080");
    SetBox(form.boxes[2], "");
    SetBox(form.boxes[3], "010");
    SetBox(form.boxes[4], "250"); // no clamp
    ConfirmCurveForm(form, curve);
    EXPECT_EQ(curve[0], 50);
    EXPECT_EQ(curve[1], 80);
    EXPECT_EQ(curve[2], 50);
    EXPECT_EQ(curve[3], 10);
    EXPECT_EQ(curve[4], 250);

    int32_t v = 7;
    EXPECT_FALSE(ReadCurveBox("abc", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(ReadCurveBox(" 12x", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ReadCurveBox("0x10", v)); // decimal: the 'x' ends the number
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ReadCurveBox("99999999999999999999999", v));
    EXPECT_EQ(v, INT32_MAX);
}

TEST(SettingsRules, RadioGroupChoiceRule) {
    ModelSetup m = DefaultModel();
    m.expoRoll = 12;
    ExpoForm expo{};
    FillExpoForm(expo, m);
    // 12 matches no button: the column shows no check and OK stores the last value, 35.
    bool anyChecked = false;
    for (int i = 0; i < ExpoRollGroup.count; ++i)
        anyChecked |= ExpoRollGroup.choices[i].value == expo.roll;
    EXPECT_FALSE(anyChecked);
    ConfirmExpoForm(expo, m);
    EXPECT_EQ(m.expoRoll, 35);
    EXPECT_EQ(m.expoPitch, 20);
    EXPECT_EQ(m.expoYaw, 20);
    expo.yaw = 0;
    ConfirmExpoForm(expo, m);
    EXPECT_EQ(m.expoYaw, 0);

    // The disabled "Rate Gyro" stays when it is what the file held; an unknown mode becomes 2 too.
    m.gyroMode = GyroModeRate;
    GyroForm gyro{};
    FillGyroForm(gyro, m);
    ConfirmGyroForm(gyro, m);
    EXPECT_EQ(m.gyroMode, 2);
    gyro.mode = 0;
    gyro.drift = 9;
    gyro.gain = -1;
    ConfirmGyroForm(gyro, m);
    EXPECT_EQ(m.gyroMode, 0);
    EXPECT_EQ(m.gyroDrift, 3);
    EXPECT_EQ(m.gyroGain, 2);
}

TEST(SettingsRules, WindBoxesAndGroups) {
    WindState wind;
    TurbulenceState turbulence;
    WindForm form{};
    FillWindForm(form, wind, turbulence);
    EXPECT_STREQ(form.windSpeed.data(), " 4.0"); // field width 4
    EXPECT_STREQ(form.gustLullDifference.data(), "10.0");

    SetBox(form.windSpeed, "12");
    SetBox(form.gustLullDifference, ""); // emptied: the old value stays
    form.windType = 3;
    form.windDirection = 5;
    form.directionShifts = 4;
    form.turbLevel = 2;
    ConfirmWindForm(form, wind, turbulence);
    EXPECT_EQ(wind.windSpeed, 12.0f);
    EXPECT_EQ(wind.gustLullDifference, 10.0f);
    EXPECT_EQ(wind.windType, 3);
    EXPECT_EQ(wind.windDirection, 5);
    EXPECT_EQ(wind.directionShifts, 4);
    EXPECT_EQ(turbulence.turbLevel, 2);

    // No clamp on the boxes; no finite number keeps the old value (a run of digits too long for a float).
    SetBox(form.windSpeed, "2.5");
    SetBox(form.gustLullDifference, std::string(60, '9').c_str());
    ConfirmWindForm(form, wind, turbulence);
    EXPECT_EQ(wind.windSpeed, 2.5f);
    EXPECT_EQ(wind.gustLullDifference, 10.0f);

    // A direction none of the buttons stands for becomes "NW", the last of the listed order.
    wind.windDirection = 11;
    FillWindForm(form, wind, turbulence);
    ConfirmWindForm(form, wind, turbulence);
    EXPECT_EQ(wind.windDirection, 7);
}

TEST(SettingsRules, RandomAttitudeGroupsAndCheckBox) {
    RandomAttitudeSettings settings;
    RandomAttitudeForm form{};
    FillRandomAttitudeForm(form, settings);
    EXPECT_FALSE(form.enabled);
    form.altitudeLevel = 2;
    form.orientationLevel = 3;
    form.motionLevel = 1;
    form.enabled = true;
    ConfirmRandomAttitudeForm(form, settings);
    EXPECT_EQ(settings.altitudeLevel, 2);
    EXPECT_EQ(settings.orientationLevel, 3);
    EXPECT_EQ(settings.motionLevel, 1);
    EXPECT_EQ(settings.randomAttitudesEnabled, 1);
    form.motionLevel = -4;
    form.enabled = false;
    ConfirmRandomAttitudeForm(form, settings);
    EXPECT_EQ(settings.motionLevel, 3);
    EXPECT_EQ(settings.randomAttitudesEnabled, 0);
}
