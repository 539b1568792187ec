// The nine view and sound choices kept in UserPrefs.dat between runs.
#pragma once
#include <cstdint>
#include <string>

// The file holds values owned by the folders that use them.
#include "flight/field.h"
#include "render/view_settings.h"
#include "sound/sound_switches.h"

extern bool autoReset;

constexpr uint32_t PrefsTagCurrent = 0x2043ABCF; // 19-byte layout, the one written
constexpr uint32_t PrefsTagOld = 0x1143ABCF;     // 10-byte layout, read only

void LoadUserPrefs(const std::string& path);
void SaveUserPrefs(const std::string& path);
