// Settings.ini reader and writer, and typed access to its values.
#include "assets/settings_ini.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "assets/safe_file.h"

SettingsFile Settings;

namespace {
constexpr size_t MaxSettingsBytes = 1 << 20;

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

const std::string* Find(const std::string& key) {
    for (const auto& entry : Settings.entries)
        if (entry.first == key) return &entry.second;
    return nullptr;
}
} // namespace

void LoadSettingsFile(SettingsFile& settings, const std::string& path) {
    settings.entries.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    std::string text;
    char buffer[4096];
    size_t n;
    while (text.size() < MaxSettingsBytes && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    if (text.size() > MaxSettingsBytes) text.resize(MaxSettingsBytes);
    // Where each key sits in entries: a file of many thousand keys loads in linear time.
    std::unordered_map<std::string, size_t> index;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t eq = line.find('=');
        std::string key = Trim(line.substr(0, eq == std::string::npos ? 0 : eq));
        if (eq == std::string::npos || key.empty() || key[0] == '#' || key[0] == ';') continue;
        if (key.find('\0') != std::string::npos) continue;
        std::string value = Trim(line.substr(eq + 1));
        auto [at, added] = index.emplace(key, settings.entries.size());
        if (added)
            settings.entries.emplace_back(key, value);
        else
            settings.entries[at->second].second = value;
    }
}

bool SaveSettingsFile(const SettingsFile& settings, const std::string& path) {
    std::string text =
        "# Rotorvane settings that its binary settings files (UserPrefs.dat, the .dat and .par\n"
        "# files) do not hold; unknown keys are kept.\n";
    for (const auto& entry : settings.entries)
        text += entry.first + " = " + entry.second + "\n";
    return WriteFileAtomically(path, text.data(), text.size());
}

std::string GetSetting(const std::string& key, const std::string& fallback) {
    const std::string* value = Find(key);
    return value ? *value : fallback;
}

bool GetSettingBool(const std::string& key, bool fallback) {
    const std::string* value = Find(key);
    if (!value) return fallback;
    if (*value == "1" || *value == "true" || *value == "on" || *value == "yes") return true;
    if (*value == "0" || *value == "false" || *value == "off" || *value == "no") return false;
    return fallback;
}

int GetSettingInt(const std::string& key, int fallback, int low, int high) {
    const std::string* value = Find(key);
    if (!value || value->empty()) return fallback;
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(value->c_str(), &end, 10);
    if (errno || *end != '\0' || parsed < low || parsed > high) return fallback;
    return static_cast<int>(parsed);
}

float GetSettingFloat(const std::string& key, float fallback, float low, float high) {
    const std::string* value = Find(key);
    if (!value || value->empty()) return fallback;
    char* end = nullptr;
    float parsed = std::strtof(value->c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed) || parsed < low || parsed > high) return fallback;
    return parsed;
}

void SetSetting(const std::string& key, const std::string& value) {
    std::string clean = value;
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    for (auto& entry : Settings.entries)
        if (entry.first == key) {
            entry.second = clean;
            return;
        }
    Settings.entries.emplace_back(key, clean);
}

void SetSettingBool(const std::string& key, bool value) {
    SetSetting(key, value ? "1" : "0");
}
void SetSettingInt(const std::string& key, int value) {
    SetSetting(key, std::to_string(value));
}
void SetSettingFloat(const std::string& key, float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    SetSetting(key, text);
}
