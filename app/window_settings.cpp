// Settings of the picture and the window that the binary settings files cannot hold, kept in Settings.ini.
#include "app/window_settings.h"

#include "app/pilot_aids.h"
#include "assets/settings_ini.h"
#include "platform/window.h"
#include "render/motion_smoothing.h"

void LoadPresentationSettings() {
    SmoothMotion = GetSettingBool("SmoothMotion", true);
    SetAntiAliasingChoice(GetSettingInt("AntiAliasing", 0, 0, 2));
    SetUiScaleOverride(GetSettingInt("UiScale", 0, 0, 4));
    LoadPilotAidSettings();
}

void RestoreWindowFromSettings() {
    if (GetSetting("WindowWidth", "").empty()) return; // first start: the system places the window
    WindowPlacement placement = CurrentWindowPlacement();
    placement.x = GetSettingInt("WindowX", placement.x, -100000, 100000);
    placement.y = GetSettingInt("WindowY", placement.y, -100000, 100000);
    placement.width = GetSettingInt("WindowWidth", placement.width, 200, 16384);
    placement.height = GetSettingInt("WindowHeight", placement.height, 150, 16384);
    placement.fullScreen = GetSettingBool("FullScreen", false);
    RestoreWindowPlacement(placement);
}

void StorePresentationSettings() {
    SetSettingBool("SmoothMotion", SmoothMotion);
    WindowPlacement placement = CurrentWindowPlacement();
    SetSettingInt("WindowX", placement.x);
    SetSettingInt("WindowY", placement.y);
    SetSettingInt("WindowWidth", placement.width);
    SetSettingInt("WindowHeight", placement.height);
    SetSettingBool("FullScreen", placement.fullScreen);
    StorePilotAidSettings();
}
