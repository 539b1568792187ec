// The pilot's adjustments of a realistic helicopter: rates, expo, head speeds, collective range, gyro gain
// and self-level, checked against each parameter's range and saved as the pilot's copy of its file.
#pragma once
#include <string>

#include "flight/realistic_params.h"

// The fields the settings dialog edits, in the dialog's order.
enum RealisticSettingField {
    SettingMaxRollRate,
    SettingMaxPitchRate,
    SettingMaxYawRate,
    SettingExpoRoll,
    SettingExpoPitch,
    SettingExpoYaw,
    SettingHeadspeed,
    SettingIdleupHeadspeed,
    SettingCollectiveRange,
    SettingGyroGain,
    RealisticSettingCount
};

// The parameter behind a field (its key, range and unit) and the dialog's label.
const RealisticParamInfo& RealisticSettingInfo(int field);
const char* RealisticSettingLabel(int field);

// What the dialog holds while open.
struct RealisticSettingsForm {
    std::string name; // the helicopter's name
    double values[RealisticSettingCount] = {};
    bool selfLevel = false;
};

// The form for the helicopter in use. False (and nothing filled) when the classic model flies.
bool FillRealisticSettingsForm(RealisticSettingsForm& form);

// Checks the form; on success writes the pilot's copy of the helicopter file (atomically) and puts the
// new parameters in use. False with the reason in error (a value out of range, names the field and its
// range; a failed save), the model in use then unchanged. Main thread, SimMutex not held.
bool ConfirmRealisticSettingsForm(const RealisticSettingsForm& form, std::string& error);
