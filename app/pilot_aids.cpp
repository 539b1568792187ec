// Settings, menu items, keys and overlay texts of the pilot aids.
#include "app/pilot_aids.h"

#include <imgui.h>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "app/hover_trainer_shell.h"
#include "assets/safe_file.h"
#include "assets/settings_ini.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "flight/heli_step.h"
#include "flight/heli_state.h"
#include "input/throttle_interlock.h"
#include "input/transmitter_check.h"
#include "platform/key_latch.h"
#include "platform/ui_font.h"
#include "platform/window.h"
#include "render/instruments.h"
#include "render/render_snapshot.h"
#include "render/view_zoom.h"

namespace {
// Debian's fonts-dejavu-core, else fonts-noto-core.
const char* const TypefaceFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                     "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf"};
bool pausedHint = true;
std::string typefaceSetting;
double lastZoomFrame = -1.0;

std::string DefaultTypeface() {
    std::error_code ec;
    for (const char* file : TypefaceFiles)
        if (std::filesystem::is_regular_file(file, ec)) return file;
    return TypefaceFiles[0];
}

// White text on a dark backing, right-aligned at right or centred on centreX when right is negative.
void HintText(const char* text, float x, float centreY, bool alignRight) {
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    ImVec2 size = ImGui::CalcTextSize(text);
    ImVec2 at(alignRight ? x - size.x : x - size.x * 0.5f, centreY - size.y * 0.5f);
    draw->AddRectFilled(ImVec2(at.x - 6, at.y - 3), ImVec2(at.x + size.x + 6, at.y + size.y + 3),
                        IM_COL32(0, 0, 0, 120), 4.0f);
    draw->AddText(at, IM_COL32(255, 255, 255, 255), text);
}
} // namespace

void LoadPilotAidSettings() {
    Zoom.autoZoom = GetSettingBool("AutoZoom", false);
    InstrumentSizeChoice = GetSettingInt("InstrumentSize", 0, 0, 2);
    pausedHint = GetSettingBool("PausedHint", true);
    if (GetSettingBool("HoverTrainer", false) != HoverTrainerOn()) ToggleHoverTrainer();
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        Interlock.enabled = GetSettingBool("ThrottleInterlock", true);
        ArmThrottleInterlock(Interlock);
    }
    // "builtin" keeps ImGui's own font; a path names another TrueType file.
    typefaceSetting = GetSetting("Typeface", "");
    SetUiTypefaceFile(typefaceSetting == "builtin" ? ""
                      : typefaceSetting.empty()    ? DefaultTypeface()
                                                   : typefaceSetting);
}

void StorePilotAidSettings() {
    SetSettingBool("AutoZoom", Zoom.autoZoom);
    SetSettingInt("InstrumentSize", InstrumentSizeChoice);
    SetSettingBool("PausedHint", pausedHint);
    SetSettingBool("HoverTrainer", HoverTrainerOn());
    bool interlock;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        interlock = Interlock.enabled;
    }
    SetSettingBool("ThrottleInterlock", interlock);
}

void ReportMissingTypeface() {
    if (typefaceSetting == "builtin" || UiTypefaceLoaded()) return;
    if (GetSettingBool("TypefaceMissingReported", false)) return;
    SetSettingBool("TypefaceMissingReported", true);
    PostUserMessage("The typeface " + (typefaceSetting.empty() ? DefaultTypeface() : typefaceSetting) +
                    " could not be read, so the menus and dialogs use the built-in font.\nInstall the "
                    "package fonts-dejavu-core to get it back.");
}

bool PilotAidItemChecked(int id, bool& checked) {
    switch (id) {
    case CmdAutoZoom:
        checked = Zoom.autoZoom;
        return true;
    case CmdInstrumentsSmall:
        checked = InstrumentSizeChoice == 0;
        return true;
    case CmdInstrumentsMedium:
        checked = InstrumentSizeChoice == 1;
        return true;
    case CmdInstrumentsLarge:
        checked = InstrumentSizeChoice == 2;
        return true;
    case CmdHoverTrainer:
        checked = HoverTrainerOn();
        return true;
    case CmdTrainingHistory:
    case CmdTransmitterCheck:
        checked = false;
        return true;
    default:
        return false;
    }
}

bool RunPilotAidCommand(int id) {
    switch (id) {
    case CmdAutoZoom:
        Zoom.autoZoom = !Zoom.autoZoom;
        return true;
    case CmdInstrumentsSmall:
        InstrumentSizeChoice = 0;
        return true;
    case CmdInstrumentsMedium:
        InstrumentSizeChoice = 1;
        return true;
    case CmdInstrumentsLarge:
        InstrumentSizeChoice = 2;
        return true;
    case CmdHoverTrainer:
        ToggleHoverTrainer();
        return true;
    case CmdTrainingHistory:
        ShowTrainingHistory();
        return true;
    case CmdTransmitterCheck:
        ShowTransmitterCheck();
        return true;
    default:
        return false;
    }
}

bool WatchZoomKeys() {
    if (KeyPressedSinceLastQuery(KeyZoomIn)) return KeyZoom(Zoom, 1), true;
    if (KeyPressedSinceLastQuery(KeyZoomOut)) return KeyZoom(Zoom, -1), true;
    if (KeyPressedSinceLastQuery(KeyZoomReset)) return KeyZoom(Zoom, 0), true;
    return false;
}

void UpdateViewZoom(double frameSeconds, bool crashShown) {
    double elapsed = lastZoomFrame < 0.0 ? 0.0 : frameSeconds - lastZoomFrame;
    lastZoomFrame = frameSeconds;
    if (crashShown) return;
    const Vec3 p = FrameSnapshot.heli.position;
    const float dx = p.x - PilotEye.x, dy = p.y - PilotEye.y, dz = p.z - PilotEye.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    // The stock 450's rotor as drawn at the chosen model size.
    const float target = ZoomTarget(Zoom, distance, 0.71f * heliScale);
    Zoom.fieldOfView = StepFieldOfView(Zoom.fieldOfView, target, static_cast<float>(elapsed));
}

float TextClearanceAboveInstruments() {
    const float size = static_cast<float>(UiScale()) * InstrumentSizeFactor(InstrumentSizeChoice);
    return (50.0f + ReadoutRowHeight(InstrumentSizeChoice) + 30.0f) * size;
}

void DrawPilotAidHints(int menuHeight, int clientWidth, int clientHeight) {
    DrawHoverTrainerUi(menuHeight, clientWidth);
    bool paused, holding;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        paused = SimPaused;
        holding = ThrottleInterlockHolding(Interlock);
        // Over the frozen crash picture only its report shows.
        if (FlightState == FlightCrashed || FlightState == FlightCrashShown) paused = holding = false;
    }
    const float scale = static_cast<float>(UiScale());
    if (paused && pausedHint)
        HintText("Paused: P to fly", static_cast<float>(clientWidth) - 48.0f * scale,
                 static_cast<float>(menuHeight) + 30.0f * scale, true);
    if (holding) {
        const float above = TextClearanceAboveInstruments() + 30.0f * scale;
        HintText("Motor off: the throttle was above idle at the start or reset. Bring it to idle once to fly",
                 static_cast<float>(clientWidth) * 0.5f,
                 static_cast<float>(menuHeight + clientHeight) - above, false);
    }
}
