// The parameter table of the realistic helicopter and the reader and writer of its TOML file.
#include "flight/realistic_params.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include <toml++/toml.h>

using P = RealisticParams;

const RealisticParamInfo RealisticParamTable[] = {
    {"mass_kg", &P::massKg, 0.2, 5.0, "kg", "flying mass with the battery"},
    {"inertia_roll_kgm2", &P::inertiaRollKgm2, 1e-4, 0.2, "kg m^2", "body inertia about the roll axis"},
    {"inertia_pitch_kgm2", &P::inertiaPitchKgm2, 1e-4, 0.2, "kg m^2", "body inertia about the pitch axis"},
    {"inertia_yaw_kgm2", &P::inertiaYawKgm2, 1e-4, 0.2, "kg m^2", "body inertia about the yaw axis"},
    {"drag_area_front_m2", &P::dragAreaFrontM2, 0.0, 0.2, "m^2", "flat-plate drag area seen nose-on"},
    {"drag_area_side_m2", &P::dragAreaSideM2, 0.0, 0.2, "m^2", "flat-plate drag area seen from the side"},
    {"drag_area_top_m2", &P::dragAreaTopM2, 0.0, 0.2, "m^2", "flat-plate drag area seen from above"},
    {"skid_depth_m", &P::skidDepthM, 0.02, 0.5, "m", "centre of mass above the bottom of the skids"},
    {"skid_half_width_m", &P::skidHalfWidthM, 0.02, 0.5, "m", "skid tubes left and right of the centre"},
    {"skid_half_length_m", &P::skidHalfLengthM, 0.02, 0.5, "m", "skid ends ahead of and behind the centre"},
    {"rotor_radius_m", &P::rotorRadiusM, 0.1, 1.0, "m", "main rotor radius"},
    {"rotor_blades", &P::rotorBlades, 2.0, 6.0, "", "main rotor blade count"},
    {"blade_chord_m", &P::bladeChordM, 0.005, 0.1, "m", "main blade chord"},
    {"blade_root_cutout_m", &P::bladeRootCutoutM, 0.0, 0.2, "m", "radius where the blade's airfoil starts"},
    {"lift_slope_per_rad", &P::liftSlopePerRad, 2.0, 7.0, "1/rad", "blade section lift slope"},
    {"profile_drag_cd0", &P::profileDragCd0, 0.003, 0.05, "", "blade section drag at zero lift"},
    {"profile_drag_d2", &P::profileDragD2, 0.0, 5.0, "1/rad^2",
     "rise of the section drag with angle squared"},
    {"stall_ct_over_sigma", &P::stallCtOverSigma, 0.05, 0.3, "", "blade loading where the blades stall"},
    {"induced_power_factor", &P::inducedPowerFactor, 1.0, 1.5, "", "induced power over the ideal"},
    {"rotor_inertia_kgm2", &P::rotorInertiaKgm2, 1e-4, 0.05, "kg m^2", "rotor polar inertia with main gear"},
    {"blade_flap_inertia_kgm2", &P::bladeFlapInertiaKgm2, 1e-5, 0.02, "kg m^2", "one blade about the hub"},
    {"hub_stiffness_nm_per_rad", &P::hubStiffnessNmPerRad, 0.0, 500.0, "N m/rad", "hub moment per disc tilt"},
    {"hub_height_m", &P::hubHeightM, 0.0, 0.5, "m", "rotor hub above the centre of mass"},
    {"rotor_friction_nm", &P::rotorFrictionNm, 0.0, 0.2, "N m",
     "bearing and gear friction at the main shaft"},
    {"collective_range_deg", &P::collectiveRangeDeg, 1.0, 16.0, "deg", "collective blade pitch, +-"},
    {"cyclic_range_deg", &P::cyclicRangeDeg, 1.0, 15.0, "deg", "cyclic blade pitch, +-"},
    {"tail_radius_m", &P::tailRadiusM, 0.02, 0.3, "m", "tail rotor radius"},
    {"tail_blades", &P::tailBlades, 2.0, 6.0, "", "tail rotor blade count"},
    {"tail_chord_m", &P::tailChordM, 0.003, 0.05, "m", "tail blade chord"},
    {"tail_pitch_range_deg", &P::tailPitchRangeDeg, 5.0, 35.0, "deg", "tail blade pitch, +-"},
    {"tail_gear_ratio", &P::tailGearRatio, 2.0, 8.0, "", "tail rotor speed over main rotor speed"},
    {"tail_arm_m", &P::tailArmM, 0.1, 1.5, "m", "main shaft to tail shaft"},
    {"tail_height_m", &P::tailHeightM, -0.3, 0.5, "m", "tail shaft above the centre of mass"},
    {"motor_kv_rpm_per_v", &P::motorKvRpmPerV, 300.0, 10000.0, "rpm/V", "motor speed constant"},
    {"motor_resistance_ohm", &P::motorResistanceOhm, 0.001, 1.0, "ohm", "motor winding resistance"},
    {"motor_no_load_current_a", &P::motorNoLoadCurrentA, 0.0, 10.0, "A", "motor no-load current"},
    {"pinion_teeth", &P::pinionTeeth, 8.0, 30.0, "", "motor pinion teeth"},
    {"main_gear_teeth", &P::mainGearTeeth, 60.0, 250.0, "", "main gear teeth"},
    {"battery_cells", &P::batteryCells, 1.0, 12.0, "", "LiPo cells in series"},
    {"cell_full_v", &P::cellFullV, 3.0, 4.4, "V", "open-circuit voltage of a full cell"},
    {"cell_empty_v", &P::cellEmptyV, 2.5, 4.0, "V", "open-circuit voltage of an empty cell"},
    {"battery_resistance_ohm", &P::batteryResistanceOhm, 0.0, 1.0, "ohm", "pack internal resistance"},
    {"battery_capacity_mah", &P::batteryCapacityMah, 100.0, 20000.0, "mAh", "pack capacity"},
    {"headspeed_rpm", &P::headspeedRpm, 500.0, 5000.0, "rpm", "governed head speed, normal mode"},
    {"idleup_headspeed_rpm", &P::idleupHeadspeedRpm, 500.0, 5000.0, "rpm", "governed head speed, idle-up"},
    {"soft_start_s", &P::softStartS, 0.5, 20.0, "s", "ESC spool-up from rest to head speed"},
    {"governor_p_per_rpm", &P::governorPPerRpm, 0.0, 0.05, "1/rpm", "governor duty per rpm of error"},
    {"governor_i_per_rpm_s", &P::governorIPerRpmS, 0.0, 0.5, "1/(rpm s)", "governor duty per rpm second"},
    {"max_roll_rate_dps", &P::maxRollRateDps, 30.0, 1000.0, "deg/s", "roll rate at full stick"},
    {"max_pitch_rate_dps", &P::maxPitchRateDps, 30.0, 1000.0, "deg/s", "pitch rate at full stick"},
    {"max_yaw_rate_dps", &P::maxYawRateDps, 30.0, 1500.0, "deg/s", "pirouette rate at full stick"},
    {"expo_roll_percent", &P::expoRollPercent, 0.0, 100.0, "%", "roll stick expo"},
    {"expo_pitch_percent", &P::expoPitchPercent, 0.0, 100.0, "%", "pitch stick expo"},
    {"expo_yaw_percent", &P::expoYawPercent, 0.0, 100.0, "%", "yaw stick expo"},
    {"stick_response_s", &P::stickResponseS, 0.0, 0.5, "s", "smoothing of the commanded rates"},
    {"cyclic_feedforward_s", &P::cyclicFeedforwardS, 0.0, 0.1, "rad/(rad/s)",
     "cyclic pitch per commanded rate"},
    {"cyclic_gain_s", &P::cyclicGainS, 0.0, 0.1, "rad/(rad/s)", "cyclic pitch per rate error"},
    {"cyclic_integral", &P::cyclicIntegral, 0.0, 2.0, "rad/rad", "cyclic pitch per angle error"},
    {"gyro_gain_s", &P::gyroGainS, 0.0, 0.2, "rad/(rad/s)", "tail pitch per yaw rate error"},
    {"gyro_integral", &P::gyroIntegral, 0.0, 5.0, "rad/rad", "tail pitch per heading error"},
    {"gyro_feedforward_s", &P::gyroFeedforwardS, 0.0, 0.1, "rad/(rad/s)",
     "tail pitch per commanded yaw rate"},
    {"self_level", &P::selfLevel, 0.0, 1.0, "0/1", "1: the cyclic stick commands an attitude"},
    {"level_gain_per_s", &P::levelGainPerS, 0.5, 30.0, "1/s", "rate commanded per angle error, self-level"},
    {"max_level_angle_deg", &P::maxLevelAngleDeg, 5.0, 80.0, "deg", "attitude at full stick, self-level"},
    {"rescue_collective_deg", &P::rescueCollectiveDeg, 0.0, 12.0, "deg", "collective of the rescue climb"},
};
const int RealisticParamCount = static_cast<int>(std::size(RealisticParamTable));

namespace {
std::string Where(const std::string& fileName, int64_t line, std::string_view key) {
    return fileName + ":" + std::to_string(line) + ": " + std::string(key);
}

int64_t LineCount(std::string_view text) {
    int64_t lines = 1;
    for (char c : text)
        if (c == '\n') ++lines;
    if (!text.empty() && text.back() == '\n') --lines;
    return lines;
}

std::string NumberText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    std::string s = buf;
    // A TOML float needs a point or an exponent; an integer-valued float gets ".0".
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return s;
}
} // namespace

bool ParseRealisticParams(std::string_view text, const std::string& fileName, RealisticParams& params,
                          std::string& error) {
    toml::table table;
    try {
        table = toml::parse(text, fileName);
    } catch (const toml::parse_error& e) {
        error = fileName + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description());
        return false;
    }
    RealisticParams read = params;
    std::vector<bool> seen(RealisticParamCount, false);
    for (auto&& [key, node] : table) {
        int64_t line = node.source().begin.line;
        int index = -1;
        for (int i = 0; i < RealisticParamCount; ++i)
            if (key.str() == RealisticParamTable[i].key) index = i;
        if (index < 0) {
            error = Where(fileName, line, key.str()) + ": unknown key";
            return false;
        }
        std::optional<double> value = node.is_number() ? node.value<double>() : std::nullopt;
        if (!value || !std::isfinite(*value)) {
            error = Where(fileName, line, key.str()) + ": not a number";
            return false;
        }
        const RealisticParamInfo& info = RealisticParamTable[index];
        if (*value < info.min || *value > info.max) {
            error = Where(fileName, line, key.str()) + ": " + NumberText(*value) + " is outside " +
                    NumberText(info.min) + " .. " + NumberText(info.max);
            return false;
        }
        read.*info.field = *value;
        seen[index] = true;
    }
    for (int i = 0; i < RealisticParamCount; ++i) {
        if (!seen[i]) {
            error = Where(fileName, LineCount(text), RealisticParamTable[i].key) + ": missing key";
            return false;
        }
    }
    params = read;
    return true;
}

std::string FormatRealisticParams(const RealisticParams& params, const std::string& title) {
    std::string out = "# " + title + "\n";
    for (int i = 0; i < RealisticParamCount; ++i) {
        const RealisticParamInfo& info = RealisticParamTable[i];
        std::string line = std::string(info.key) + " = " + NumberText(params.*info.field);
        line.resize(std::max<size_t>(line.size(), 40), ' ');
        out += line + "# " + info.meaning + (info.unit[0] ? std::string(", ") + info.unit : std::string()) +
               " (" + NumberText(info.min) + " .. " + NumberText(info.max) + ")\n";
    }
    return out;
}
