// Filling, checking and saving the realistic helicopter's settings form.
#include "app/realistic_settings.h"

#include <cmath>
#include <cstdio>
#include <mutex>

#include "app/flight_model_choice.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "flight/sim_control.h"

namespace {
using P = RealisticParams;

struct FieldDef {
    double P::*field;
    const char* label;
};
const FieldDef Fields[RealisticSettingCount] = {
    {&P::maxRollRateDps, "Roll rate at full stick (deg/s)"},
    {&P::maxPitchRateDps, "Pitch rate at full stick (deg/s)"},
    {&P::maxYawRateDps, "Yaw rate at full stick (deg/s)"},
    {&P::expoRollPercent, "Roll expo (%)"},
    {&P::expoPitchPercent, "Pitch expo (%)"},
    {&P::expoYawPercent, "Yaw expo (%)"},
    {&P::headspeedRpm, "Head speed, normal (rpm)"},
    {&P::idleupHeadspeedRpm, "Head speed, idle-up (rpm)"},
    {&P::collectiveRangeDeg, "Collective range, +- (deg)"},
    {&P::gyroGainS, "Tail gyro gain (rad per rad/s)"},
};

const RealisticParamInfo& InfoFor(double P::*field) {
    for (int i = 0; i < RealisticParamCount; ++i)
        if (RealisticParamTable[i].field == field) return RealisticParamTable[i];
    return RealisticParamTable[0];
}
} // namespace

const RealisticParamInfo& RealisticSettingInfo(int field) {
    return InfoFor(Fields[field].field);
}

const char* RealisticSettingLabel(int field) {
    return Fields[field].label;
}

bool FillRealisticSettingsForm(RealisticSettingsForm& form) {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (!ActiveFlightModel.realistic) return false;
    form.name = ActiveFlightModel.name;
    for (int i = 0; i < RealisticSettingCount; ++i)
        form.values[i] = ActiveFlightModel.params.*Fields[i].field;
    form.selfLevel = ActiveFlightModel.params.selfLevel >= 0.5;
    return true;
}

bool ConfirmRealisticSettingsForm(const RealisticSettingsForm& form, std::string& error) {
    RealisticParams params;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        if (!ActiveFlightModel.realistic || ActiveFlightModel.name != form.name) {
            error = "The helicopter \"" + form.name + "\" is no longer in use.";
            return false;
        }
        params = ActiveFlightModel.params;
    }
    for (int i = 0; i < RealisticSettingCount; ++i) {
        const RealisticParamInfo& info = RealisticSettingInfo(i);
        double v = form.values[i];
        if (!std::isfinite(v) || v < info.min || v > info.max) {
            char text[200];
            std::snprintf(text, sizeof text, "%s: %g is outside %g .. %g.", Fields[i].label, v, info.min,
                          info.max);
            error = text;
            return false;
        }
        params.*Fields[i].field = v;
    }
    params.selfLevel = form.selfLevel ? 1.0 : 0.0;
    // The file is written first: what is in use is always what a restart reads back.
    std::string text = FormatRealisticParams(params, form.name + ", as adjusted by the pilot");
    std::string path = HelicopterFilePlace(form.name).write;
    if (!WriteFileAtomically(path, text.data(), text.size())) {
        error = "Could not save " + path + ".";
        return false;
    }
    std::lock_guard<std::mutex> lock(SimMutex);
    ActiveFlightModel.params = params;
    ActiveFlightModel.derived = DeriveRealistic(params);
    return true;
}
