// Fuzz target: every settings reader (preferences, Settings.ini, calibration, mapping, model setup) on the
// same arbitrary bytes, then the values the program takes from them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "app/model_setup.h"
#include "app/settings_ini.h"
#include "app/user_prefs.h"
#include "input/channel_mapping.h"
#include "input/joystick_calibration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/rv_fuzz_settings_" + std::to_string(::getpid());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    LoadUserPrefs(path);
    Settings = SettingsFile{};
    LoadSettingsFile(Settings, path);
    for (const auto& entry : Settings.entries) {
        GetSettingInt(entry.first, 3, -5, 5);
        GetSettingFloat(entry.first, 0.5f, 0.0f, 1.0f);
        GetSettingBool(entry.first, false);
    }
    JoystickCalibration calibration{};
    LoadJoystickCalibration(calibration, path);
    ChannelMapping mapping{};
    LoadChannelMapping(mapping, path);
    ModelSetup setup{};
    LoadModelSetup(setup, path);
    std::remove(path.c_str());
    return 0;
}
