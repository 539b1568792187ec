// Settings.ini: the settings the program's binary settings files (UserPrefs.dat, JoystickCalibration.dat,
// JoystickMapping.dat, the .par files) cannot hold (smooth motion, volumes, the transmitter's identity, the
// window...), as "key = value" lines. Unknown keys are kept and written back; a missing or damaged file
// means defaults.
#pragma once
#include <string>
#include <utility>
#include <vector>

struct SettingsFile {
    // In file order; a key appears once.
    std::vector<std::pair<std::string, std::string>> entries;
};
extern SettingsFile Settings;

// Reads path into settings; lines without '=' and comments ('#' or ';') are skipped, keys and values
// trimmed. A missing file leaves settings empty. At most 1 MiB is read.
void LoadSettingsFile(SettingsFile& settings, const std::string& path);
// Writes settings atomically as "key = value" lines. False (and reported) on failure.
bool SaveSettingsFile(const SettingsFile& settings, const std::string& path);

// The value of key, or fallback when it is missing or does not parse. Access from the main thread.
std::string GetSetting(const std::string& key, const std::string& fallback);
bool GetSettingBool(const std::string& key, bool fallback);
int GetSettingInt(const std::string& key, int fallback, int low, int high);
float GetSettingFloat(const std::string& key, float fallback, float low, float high);
// Sets key (added at the end when new). Newlines in value are replaced by spaces.
void SetSetting(const std::string& key, const std::string& value);
void SetSettingBool(const std::string& key, bool value);
void SetSettingInt(const std::string& key, int value);
void SetSettingFloat(const std::string& key, float value);
