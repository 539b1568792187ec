// The nine view and sound choices kept in UserPrefs.dat between runs.
#pragma once
#include <cstdint>
#include <string>

#include "flight/field.h" // heliScale and showSchoolBuilding are kept here too

extern bool showInstruments;
extern bool smoothCameraFollow;
extern int32_t backgroundResolution;
extern bool MotorSoundEnabled;
extern bool CrashSoundEnabled;
extern bool autoReset;
extern bool lowerCameraAngle;

constexpr uint32_t PrefsTagCurrent = 0x2043ABCF; // 19-byte layout, the one written
constexpr uint32_t PrefsTagOld = 0x1143ABCF;     // 10-byte layout, read only

void LoadUserPrefs(const std::string& path);
void SaveUserPrefs(const std::string& path);
