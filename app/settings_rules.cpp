// The settings dialogs' rules: box reading and formatting, radio-group choice, and the dialog forms.
#include "app/settings_rules.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The text a box hands over: at most SettingsBoxChars characters, always terminated.
SettingsBoxText BoxCopy(const char* text) {
    SettingsBoxText copy{};
    if (!text) return copy;
    for (int i = 0; i < SettingsBoxChars && text[i] != '\0'; ++i)
        copy[i] = text[i];
    return copy;
}

// "%f" read; false when no number could be read.
bool ScanFloat(const char* text, float& value) {
    const SettingsBoxText copy = BoxCopy(text);
    float v = 0.0f;
    if (std::sscanf(copy.data(), "%f", &v) != 1) return false;
    value = v;
    return true;
}

const RadioChoice ExpoRollChoices[] = {
    {1053, "Off", 0},  {1054, "5%", 5},   {1055, "10%", 10}, {1056, "15%", 15},
    {1057, "20%", 20}, {1058, "25%", 25}, {1059, "30%", 30}, {1060, "35%", 35},
};
const RadioChoice ExpoPitchChoices[] = {
    {1061, "Off", 0},  {1062, "5%", 5},   {1063, "10%", 10}, {1064, "15%", 15},
    {1065, "20%", 20}, {1066, "25%", 25}, {1067, "30%", 30}, {1068, "35%", 35},
};
const RadioChoice ExpoYawChoices[] = {
    {1069, "Off", 0},  {1070, "5%", 5},   {1071, "10%", 10}, {1072, "15%", 15},
    {1073, "20%", 20}, {1074, "25%", 25}, {1075, "30%", 30}, {1076, "35%", 35},
};

const RadioChoice GyroModeChoices[] = {
    {1049, "Perfect Head-Hold", 0},
    {1047, "Heading Hold", 1},
    {1051, "Rate Gyro", 2},
};
const RadioChoice GyroDriftChoices[] = {
    {1048, "Zero ", 0},
    {1052, "Low", 1},
    {1054, "Medium", 2},
    {1055, "High", 3},
};
const RadioChoice GyroGainChoices[] = {
    {1057, "High", 0},
    {1056, "Medium", 1},
    {1053, "Low", 2},
};

const RadioChoice WindTypeChoices[] = {
    {1035, "No wind", 0},
    {1036, "Steady wind", 1},
    {1037, "Gradual gusts", 2},
    {1038, "Sudden gusts", 3},
};
const RadioChoice WindDirectionChoices[] = {
    {1041, "N", 0}, {1042, "NE", 1}, {1045, "E", 2}, {1044, "SE", 3},
    {1043, "S", 4}, {1046, "SW", 5}, {1047, "W", 6}, {1048, "NW", 7},
};
const RadioChoice DirectionShiftsChoices[] = {
    {1054, "None ", 0}, {1055, "Small", 1}, {1056, "Medium", 2}, {1057, "Large", 3}, {1063, "Huge", 4},
};
const RadioChoice TurbulenceChoices[] = {
    {1058, "None ", 0}, {1059, "Very small", 1}, {1062, "Small", 2}, {1060, "Medium", 3}, {1061, "Large", 4},
};

const RadioChoice AltitudeChoices[] = {
    {1075, "High", 0},
    {1076, "Medium", 1},
    {1050, "Low", 2},
};
const RadioChoice OrientationChoices[] = {
    {1077, "Simple", 0},
    {1078, "Medium", 1},
    {1079, "Hard", 2},
    {1080, "Crazy", 3},
};
const RadioChoice MotionChoices[] = {
    {1081, "None", 0},
    {1082, "Easy", 1},
    {1083, "Medium", 2},
    {1058, "Hard ", 3},
};

template <int N> constexpr RadioGroup MakeGroup(const char* caption, const RadioChoice (&choices)[N]) {
    return RadioGroup{caption, choices, N};
}

} // namespace

void FormatFloatBox(SettingsBoxText& box, float value) {
    std::snprintf(box.data(), box.size(), "%4.2f", static_cast<double>(value));
}

void FormatWindBox(SettingsBoxText& box, float value) {
    std::snprintf(box.data(), box.size(), "%4.1f", static_cast<double>(value));
}

void FormatIntBox(SettingsBoxText& box, int32_t value) {
    std::snprintf(box.data(), box.size(), "%i", value);
}

void ReadClampedField(float& field, const char* text, float low, float fallback, float high) {
    float v = 0.0f;
    // A "nan" would pass both bound checks and poison the flight model, so it counts as no number.
    if (!ScanFloat(text, v) || std::isnan(v)) {
        field = fallback;
        return;
    }
    if (v < low) v = low;
    if (v > high) v = high;
    field = v;
}

bool ReadFloatBox(const char* text, float& value) {
    float v = 0.0f;
    if (!ScanFloat(text, v) || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool ReadCurveBox(const char* text, int32_t& value) {
    const SettingsBoxText copy = BoxCopy(text);
    char* end = nullptr;
    const long long v = std::strtoll(copy.data(), &end, 10);
    if (end == copy.data()) return false;
    if (v > INT32_MAX)
        value = INT32_MAX;
    else if (v < INT32_MIN)
        value = INT32_MIN;
    else
        value = static_cast<int32_t>(v);
    return true;
}

int32_t ChooseRadioValue(const RadioGroup& group, int32_t checkedValue) {
    for (int i = 0; i + 1 < group.count; ++i)
        if (group.choices[i].value == checkedValue) return group.choices[i].value;
    return group.choices[group.count - 1].value;
}

// ---- Helicopter Settings ----

const char* const HelicopterSettingsGroups[HelicopterSettingsGroupCount] = {
    " Mechanical ", " Motor ", " Control Response ", " Aerodynamic Drag  ", " Aerodynamics ",
};

const HelicopterSettingsRow HelicopterSettingsRows[HelicopterSettingsRowCount] = {
    {1030, "Pinion gear teeth (12)", &ModelSetup::pinionTeeth, 9.0f, 12.0f, 15.0f, 0},
    {1023, "Max Collective (11.0)", &ModelSetup::maxCollective, 6.0f, 11.0f, 15.0f, 0},
    {1031, "Rotor Inertia  (0.1)", &ModelSetup::rotorInertia, 0.01f, 1.0f, 10.0f, 0},
    {1024, "Motor KV (3550)", &ModelSetup::motorKv, 100.0f, 3550.0f, 5000.0f, 1},
    {1026, "Battery Volts (11.4)", &ModelSetup::batteryVolts, 6.0f, 11.4f, 25.0f, 1},
    {1025, "Motor Torque (0.6)", &ModelSetup::motorTorque, 0.01f, 0.6f, 10.0f, 1},
    {1032, "Roll Cyclic Rate (1.0)", &ModelSetup::rollCyclicRate, 0.01f, 1.0f, 10.0f, 2},
    {1033, "Elev Cyclic Rate (1.0)", &ModelSetup::elevCyclicRate, 0.01f, 1.0f, 10.0f, 2},
    {1034, "Yaw Rate (1.0)", &ModelSetup::yawRate, 0.01f, 1.0f, 10.0f, 2},
    {1027, "Forward/Aft (1.0)", &ModelSetup::dragForeAft, 0.01f, 1.0f, 10.0f, 3},
    {1028, "Side to side (1.0)", &ModelSetup::dragSide, 0.01f, 1.0f, 10.0f, 3},
    {1029, "Vertical (1.0)", &ModelSetup::dragVertical, 0.01f, 1.0f, 10.0f, 3},
    {1036, "Translational Lift (0.55)", &ModelSetup::translationalLift, 0.01f, 0.55f, 10.0f, 4},
    {1035, "Translation Pitch Up (0.2)", &ModelSetup::translationPitchUp, 0.01f, 0.2f, 10.0f, 4},
    {1042, " Gust Pitch Up (0.4)", &ModelSetup::gustPitchUp, 0.01f, 0.3f, 10.0f, 4},
    {1037, "Ground Effect (0.7)", &ModelSetup::groundEffect, 0.01f, 0.7f, 10.0f, 4},
    {1038, " Side Thrust % (7.0)", &ModelSetup::sideThrustPercent, 0.01f, 1.8f, 10.0f, 4},
    {1039, "Lift at full collective (2.0)", &ModelSetup::liftAtFullCollective, 0.01f, 1.2f, 10.0f, 4},
    {1040, "Mass kg (0.8) ", &ModelSetup::massKg, 0.01f, 0.7f, 10.0f, 4},
    {1041, " Cyclic Instability (0.1)", &ModelSetup::cyclicInstability, 0.0f, 0.1f, 0.5f, 4},
};

void FillHelicopterSettingsForm(HelicopterSettingsForm& form, const ModelSetup& setup) {
    for (int i = 0; i < HelicopterSettingsRowCount; ++i)
        FormatFloatBox(form.boxes[i], setup.*HelicopterSettingsRows[i].field);
}

void ConfirmHelicopterSettings(const HelicopterSettingsForm& form, ModelSetup& setup) {
    for (int i = 0; i < HelicopterSettingsRowCount; ++i) {
        const HelicopterSettingsRow& row = HelicopterSettingsRows[i];
        ReadClampedField(setup.*row.field, form.boxes[i].data(), row.low, row.fallback, row.high);
    }
}

void PressHelicopterSettingsDefaults(HelicopterSettingsForm& form, ModelSetup& setup) {
    SetModelSetupDefaults(setup);
    FillHelicopterSettingsForm(form, setup);
}

// ---- Swash Imperfections ----

const SwashRow SwashRows[SwashRowCount] = {
    {1084, "Elevator to Aileron", &SwashImperfections::elevToAileron},
    {1085, "Aileron to Elevator", &SwashImperfections::aileronToElev},
    {1086, "Positive Collective to Aileron", &SwashImperfections::posCollToAileron},
    {1087, "Negative Collective to Aileron", &SwashImperfections::negCollToAileron},
    {1090, "Positive Collective to Elevator", &SwashImperfections::posCollToElev},
    {1091, "Negative Collective to Elevator", &SwashImperfections::negCollToElev},
};

void FillSwashForm(SwashForm& form, const SwashImperfections& swash) {
    for (int i = 0; i < SwashRowCount; ++i)
        FormatFloatBox(form.boxes[i], swash.*SwashRows[i].field);
}

void ConfirmSwashForm(const SwashForm& form, SwashImperfections& swash) {
    for (int i = 0; i < SwashRowCount; ++i)
        ReadClampedField(swash.*SwashRows[i].field, form.boxes[i].data(), -1.0f, 0.0f, 1.0f);
}

void PressSwashDefaults(SwashForm& form, SwashImperfections& swash) {
    for (int i = 0; i < SwashRowCount; ++i)
        swash.*SwashRows[i].field = 0.0f;
    FillSwashForm(form, swash);
}

// ---- Curve editor ----

void FillCurveForm(CurveForm& form, const int32_t curve[5]) {
    for (int i = 0; i < 5; ++i)
        FormatIntBox(form.boxes[i], curve[i]);
}

void ConfirmCurveForm(const CurveForm& form, int32_t curve[5]) {
    for (int i = 0; i < 5; ++i)
        ReadCurveBox(form.boxes[i].data(), curve[i]);
}

// ---- Exponential Rates ----

const RadioGroup ExpoRollGroup = MakeGroup(" Roll  ", ExpoRollChoices);
const RadioGroup ExpoPitchGroup = MakeGroup(" Pitch ", ExpoPitchChoices);
const RadioGroup ExpoYawGroup = MakeGroup(" Yaw ", ExpoYawChoices);

void FillExpoForm(ExpoForm& form, const ModelSetup& setup) {
    form.roll = setup.expoRoll;
    form.pitch = setup.expoPitch;
    form.yaw = setup.expoYaw;
}

void ConfirmExpoForm(const ExpoForm& form, ModelSetup& setup) {
    setup.expoRoll = ChooseRadioValue(ExpoRollGroup, form.roll);
    setup.expoPitch = ChooseRadioValue(ExpoPitchGroup, form.pitch);
    setup.expoYaw = ChooseRadioValue(ExpoYawGroup, form.yaw);
}

// ---- Gyro Settings ----

const RadioGroup GyroModeGroup = MakeGroup(" Mode ", GyroModeChoices);
const RadioGroup GyroDriftGroup = MakeGroup("Drift ", GyroDriftChoices);
const RadioGroup GyroGainGroup = MakeGroup("Gain ", GyroGainChoices);

void FillGyroForm(GyroForm& form, const ModelSetup& setup) {
    form.mode = setup.gyroMode;
    form.drift = setup.gyroDrift;
    form.gain = setup.gyroGain;
}

void ConfirmGyroForm(const GyroForm& form, ModelSetup& setup) {
    setup.gyroMode = ChooseRadioValue(GyroModeGroup, form.mode);
    setup.gyroDrift = ChooseRadioValue(GyroDriftGroup, form.drift);
    setup.gyroGain = ChooseRadioValue(GyroGainGroup, form.gain);
}

// ---- Wind Settings ----

const RadioGroup WindTypeGroup = MakeGroup(" Wind Type ", WindTypeChoices);
const RadioGroup WindDirectionGroup = MakeGroup(" Direction ", WindDirectionChoices);
const RadioGroup DirectionShiftsGroup = MakeGroup(" Direction Shifts  ", DirectionShiftsChoices);
const RadioGroup TurbulenceGroup = MakeGroup(" Turbulence   ", TurbulenceChoices);

void FillWindForm(WindForm& form, const WindState& wind, const TurbulenceState& turbulence) {
    form.windType = wind.windType;
    form.windDirection = wind.windDirection;
    form.directionShifts = wind.directionShifts;
    form.turbLevel = turbulence.turbLevel;
    FormatWindBox(form.windSpeed, wind.windSpeed);
    FormatWindBox(form.gustLullDifference, wind.gustLullDifference);
}

void ConfirmWindForm(const WindForm& form, WindState& wind, TurbulenceState& turbulence) {
    wind.windType = ChooseRadioValue(WindTypeGroup, form.windType);
    wind.windDirection = ChooseRadioValue(WindDirectionGroup, form.windDirection);
    wind.directionShifts = ChooseRadioValue(DirectionShiftsGroup, form.directionShifts);
    turbulence.turbLevel = ChooseRadioValue(TurbulenceGroup, form.turbLevel);
    ReadFloatBox(form.windSpeed.data(), wind.windSpeed);
    ReadFloatBox(form.gustLullDifference.data(), wind.gustLullDifference);
}

// ---- Random Attitude ----

const RadioGroup AltitudeGroup = MakeGroup(" Altitude", AltitudeChoices);
const RadioGroup OrientationGroup = MakeGroup(" Orientations", OrientationChoices);
const RadioGroup MotionGroup = MakeGroup(" Motion ", MotionChoices);

void FillRandomAttitudeForm(RandomAttitudeForm& form, const RandomAttitudeSettings& settings) {
    form.altitudeLevel = settings.altitudeLevel;
    form.orientationLevel = settings.orientationLevel;
    form.motionLevel = settings.motionLevel;
    form.enabled = settings.randomAttitudesEnabled != 0;
}

void ConfirmRandomAttitudeForm(const RandomAttitudeForm& form, RandomAttitudeSettings& settings) {
    settings.altitudeLevel = ChooseRadioValue(AltitudeGroup, form.altitudeLevel);
    settings.orientationLevel = ChooseRadioValue(OrientationGroup, form.orientationLevel);
    settings.motionLevel = ChooseRadioValue(MotionGroup, form.motionLevel);
    settings.randomAttitudesEnabled = form.enabled ? 1 : 0;
}
