// Fuzz target: every settings reader (preferences, Settings.ini, calibration, mapping, model setup) on the
// same arbitrary bytes, then the values the program takes from them.
#include "app/model_setup.h"
#include "app/user_prefs.h"
#include "assets/settings_ini.h"
#include "input/channel_mapping.h"
#include "input/joystick_calibration.h"
#include "tests/assets/fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteScratchFile("settings", data, size);
    if (path.empty()) return 0;

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
