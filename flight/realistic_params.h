// The realistic flight model's helicopter: every parameter with its unit and range, and the reader of a
// helicopter file (TOML, one `key = number` per parameter).
#pragma once
#include <string>
#include <string_view>

// All values in the units their key names (SI unless the name says rpm, degrees or percent).
struct RealisticParams {
    // Body.
    double massKg;
    double inertiaRollKgm2;
    double inertiaPitchKgm2;
    double inertiaYawKgm2;
    double dragAreaFrontM2;
    double dragAreaSideM2;
    double dragAreaTopM2;
    double skidDepthM;      // centre of mass above the bottom of the skids
    double skidHalfWidthM;  // skid tubes left and right of the centre line
    double skidHalfLengthM; // skid tube ends ahead of and behind the centre of mass
    // Main rotor.
    double rotorRadiusM;
    double rotorBlades;
    double bladeChordM;
    double bladeRootCutoutM;
    double liftSlopePerRad;
    double profileDragCd0;
    double profileDragD2;
    double stallCtOverSigma;
    double inducedPowerFactor;
    double rotorInertiaKgm2;
    double bladeFlapInertiaKgm2;
    double hubStiffnessNmPerRad;
    double hubHeightM;
    double rotorFrictionNm;
    double collectiveRangeDeg;
    double cyclicRangeDeg;
    // Tail rotor.
    double tailRadiusM;
    double tailBlades;
    double tailChordM;
    double tailPitchRangeDeg;
    double tailGearRatio;
    double tailArmM;
    double tailHeightM;
    // Motor, gearing and battery.
    double motorKvRpmPerV;
    double motorResistanceOhm;
    double motorNoLoadCurrentA;
    double pinionTeeth;
    double mainGearTeeth;
    double batteryCells;
    double cellFullV;
    double cellEmptyV;
    double batteryResistanceOhm;
    double batteryCapacityMah;
    // ESC governor.
    double headspeedRpm;
    double idleupHeadspeedRpm;
    double softStartS;
    double governorPPerRpm;
    double governorIPerRpmS;
    // Flybarless controller and tail gyro.
    double maxRollRateDps;
    double maxPitchRateDps;
    double maxYawRateDps;
    double expoRollPercent;
    double expoPitchPercent;
    double expoYawPercent;
    double stickResponseS;
    double cyclicFeedforwardS;
    double cyclicGainS;
    double cyclicIntegral;
    double gyroGainS;
    double gyroIntegral;
    double gyroFeedforwardS;
    double selfLevel;
    double levelGainPerS;
    double maxLevelAngleDeg;
    double rescueCollectiveDeg;
};

// One parameter: its key in the file, the field, the allowed range and the unit and meaning for the
// documentation and the settings dialog.
struct RealisticParamInfo {
    const char* key;
    double RealisticParams::*field;
    double min;
    double max;
    const char* unit;
    const char* meaning;
};

// The table of every parameter, in file order; count in RealisticParamCount.
extern const RealisticParamInfo RealisticParamTable[];
extern const int RealisticParamCount;

// Reads a helicopter file's text. On success fills params and returns true. On failure leaves params as
// they were and writes one line naming the file, the line and the key into error: an unknown key, a
// missing key, a value that is not a number or lies outside its range, or text that is not TOML.
bool ParseRealisticParams(std::string_view text, const std::string& fileName, RealisticParams& params,
                          std::string& error);

// The text of a helicopter file holding params (every key, with its unit and range as a comment).
std::string FormatRealisticParams(const RealisticParams& params, const std::string& title);
