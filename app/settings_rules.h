// The rules the settings dialogs apply: reading number boxes (with clamps and fallbacks), choosing a value
// from a radio-button group, and each dialog's boxes and buttons held as plain data with fill and confirm.
#pragma once
#include <array>
#include <cstdint>

#include "app/model_setup.h"
#include "flight/training.h"
#include "flight/wind.h"

// A box hands over at most this many characters of its text.
constexpr int SettingsBoxChars = 100;
using SettingsBoxText = std::array<char, SettingsBoxChars + 1>;

// Box formatting: floats "%4.2f", wind values "%4.1f", integers "%i".
void FormatFloatBox(SettingsBoxText& box, float value);
void FormatWindBox(SettingsBoxText& box, float value);
void FormatIntBox(SettingsBoxText& box, int32_t value);

// Reads a float from the box text as "%f" does (leading blanks skipped, text after the number ignored).
// No number (or "nan") stores fallback; otherwise the number, raised to low or lowered to high.
void ReadClampedField(float& field, const char* text, float low, float fallback, float high);

// Reads a float as "%f" does; returns false, leaving value alone, when the text holds no finite number.
bool ReadFloatBox(const char* text, float& value);

// Reads a decimal integer ("050" is 50, "080" is 80); returns false, leaving value alone, when the text
// holds no number. Values beyond the 32-bit range are held at its ends.
bool ReadCurveBox(const char* text, int32_t& value);

// One radio button of a group: its control id, its text and the value it stands for.
struct RadioChoice {
    int controlId;
    const char* label;
    int32_t value;
};

struct RadioGroup {
    const char* caption;
    const RadioChoice* choices; // in the order the rule examines them
    int count;
};

// The value a group stores on OK, given the value whose button is checked (a value none of the buttons
// stands for means no button is checked): the first checked button among all but the last, else the last
// button's value.
int32_t ChooseRadioValue(const RadioGroup& group, int32_t checkedValue);

// ---- Helicopter Settings ----

struct HelicopterSettingsRow {
    int controlId;
    const char* label; // shows the field's default in parentheses
    float ModelSetup::*field;
    float low;
    float fallback;
    float high;
    int group; // index into HelicopterSettingsGroups
};

constexpr int HelicopterSettingsRowCount = 20;
constexpr int HelicopterSettingsGroupCount = 5;
// In the order OK reads them; rows of one group are adjacent.
extern const HelicopterSettingsRow HelicopterSettingsRows[HelicopterSettingsRowCount];
extern const char* const HelicopterSettingsGroups[HelicopterSettingsGroupCount];

struct HelicopterSettingsForm {
    SettingsBoxText boxes[HelicopterSettingsRowCount]; // indexed like HelicopterSettingsRows
};

void FillHelicopterSettingsForm(HelicopterSettingsForm& form, const ModelSetup& setup);
// OK: every box through ReadClampedField in the table order.
void ConfirmHelicopterSettings(const HelicopterSettingsForm& form, ModelSetup& setup);
// "Defaults": the record takes its defaults at once (curves untouched) and the boxes are refilled.
void PressHelicopterSettingsDefaults(HelicopterSettingsForm& form, ModelSetup& setup);

// ---- Swash Imperfections ----

struct SwashRow {
    int controlId;
    const char* label;
    float SwashImperfections::*field;
};
constexpr int SwashRowCount = 6;
extern const SwashRow SwashRows[SwashRowCount];

struct SwashForm {
    SettingsBoxText boxes[SwashRowCount];
};

void FillSwashForm(SwashForm& form, const SwashImperfections& swash);
// OK: each box clamped to -1..1, fallback 0.0.
void ConfirmSwashForm(const SwashForm& form, SwashImperfections& swash);
// "Defaults (0.0)": all six fields 0.0 at once, boxes refilled.
void PressSwashDefaults(SwashForm& form, SwashImperfections& swash);

// ---- Curve editor ----

struct CurveForm {
    SettingsBoxText boxes[5]; // stick 0 %, 25 %, 50 %, 75 %, 100 %
};

void FillCurveForm(CurveForm& form, const int32_t curve[5]);
// OK: each box read as a decimal integer; a box without a number keeps its point.
void ConfirmCurveForm(const CurveForm& form, int32_t curve[5]);

// ---- Exponential Rates ----

extern const RadioGroup ExpoRollGroup;
extern const RadioGroup ExpoPitchGroup;
extern const RadioGroup ExpoYawGroup;

struct ExpoForm {
    int32_t roll;
    int32_t pitch;
    int32_t yaw;
};

void FillExpoForm(ExpoForm& form, const ModelSetup& setup);
void ConfirmExpoForm(const ExpoForm& form, ModelSetup& setup);

// ---- Gyro Settings ----

extern const RadioGroup GyroModeGroup;
extern const RadioGroup GyroDriftGroup;
extern const RadioGroup GyroGainGroup;
constexpr int32_t GyroModeRate = 2; // "Rate Gyro": shown, but disabled

struct GyroForm {
    int32_t mode;
    int32_t drift;
    int32_t gain;
};

void FillGyroForm(GyroForm& form, const ModelSetup& setup);
void ConfirmGyroForm(const GyroForm& form, ModelSetup& setup);

// ---- Wind Settings ----

extern const RadioGroup WindTypeGroup;
extern const RadioGroup WindDirectionGroup; // listed N, NE, E, SE, S, SW, W, NW
extern const RadioGroup DirectionShiftsGroup;
extern const RadioGroup TurbulenceGroup;

struct WindForm {
    int32_t windType;
    int32_t windDirection;
    int32_t directionShifts;
    int32_t turbLevel;
    SettingsBoxText windSpeed;          // box 1039, "%4.1f"
    SettingsBoxText gustLullDifference; // box 1040, "%4.1f"
};

void FillWindForm(WindForm& form, const WindState& wind, const TurbulenceState& turbulence);
// OK: the four groups by the radio rule, then the two boxes; a box without a number keeps its field.
void ConfirmWindForm(const WindForm& form, WindState& wind, TurbulenceState& turbulence);

// ---- Random Attitude ----

extern const RadioGroup AltitudeGroup;
extern const RadioGroup OrientationGroup;
extern const RadioGroup MotionGroup;

struct RandomAttitudeForm {
    int32_t altitudeLevel;
    int32_t orientationLevel;
    int32_t motionLevel;
    bool enabled; // check box 1074 "Enable Random Attitudes"
};

void FillRandomAttitudeForm(RandomAttitudeForm& form, const RandomAttitudeSettings& settings);
void ConfirmRandomAttitudeForm(const RandomAttitudeForm& form, RandomAttitudeSettings& settings);
