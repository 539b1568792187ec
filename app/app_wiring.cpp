// How the subsystems are started, driven each frame and saved, in their fixed order.
#include "app/app_wiring.h"

#include <imgui.h>
#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/flight_model_choice.h"
#include "app/realistic_tick.h"
#include "app/main_menu_ui.h"
#include "app/menu.h"
#include "app/menu_actions.h"
#include "app/model_setup.h"
#include "app/pilot_aids.h"
#include "app/shared_flags.h"
#include "app/sim_tick.h"
#include "app/sound_output.h"
#include "app/transmitter.h"
#include "app/user_prefs.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/settings_ini.h"
#include "assets/xmesh.h"
#include "flight/ground.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "input/channel_mapping.h"
#include "input/control_input.h"
#include "input/controller_switches.h"
#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/transmitter.h"
#include "input/transmitter_check.h"
#include "log/flight_log.h"
#include "platform/key_latch.h"
#include "platform/quit_signals.h"
#include "recorder/flight_recorder.h"
#include "recorder/record_play_bar_dialog.h"
#include "render/heli_model.h"
#include "render/motion_smoothing.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/textures.h"
#include "sound/crash_sounds.h"
#include "sound/motor_sound.h"
#include "sound/riff_wave.h"
#include "sound/sound_levels.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

namespace {
constexpr uint64_t WatchPeriodMs = StepPeriodMs;

void DrawCrashReport(int menuHeight, int clientWidth, int clientHeight) {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        text = CrashReportText;
    }
    if (text.empty()) return;
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    ImFont* font = ImGui::GetFont();
    auto widest = [&](float size) {
        float width = 0.0f;
        for (const std::string& line : lines)
            width = std::max(width, font->CalcTextSizeA(size, FLT_MAX, 0.0f, line.c_str()).x);
        return width;
    };
    // Large enough to read across the field, shrunk to fit a small window.
    const float spacing = 1.2f;
    const float scale = static_cast<float>(UiScale());
    float size = std::clamp(clientHeight / 28.0f, 13.0f * scale, 30.0f * scale);
    float width = widest(size);
    if (width > clientWidth - 40.0f && width > 0.0f) {
        size *= (clientWidth - 40.0f) / width;
        width = widest(size);
    }
    float height = size * spacing * static_cast<float>(lines.size());
    ImVec2 centre(clientWidth * 0.5f, menuHeight + clientHeight * 0.5f);
    ImVec2 topLeft(centre.x - width * 0.5f, centre.y - height * 0.5f);
    draw->AddRectFilled(ImVec2(topLeft.x - 18, topLeft.y - 12),
                        ImVec2(topLeft.x + width + 18, topLeft.y + height + 12), IM_COL32(0, 0, 0, 120),
                        6.0f);
    // Each line centred on its own, as centred text is drawn.
    float y = topLeft.y;
    for (const std::string& line : lines) {
        float lineWidth = font->CalcTextSizeA(size, FLT_MAX, 0.0f, line.c_str()).x;
        draw->AddText(font, size, ImVec2(centre.x - lineWidth * 0.5f, y), IM_COL32(255, 255, 255, 255),
                      line.c_str());
        y += size * spacing;
    }
}

// Crash sounds that are no RIFF WAVE file are named once at start, with the folder they were looked for in.
void ReportUnreadableCrashSounds(const std::string& folder) {
    if (CrashSoundList.empty()) return ReportReadFailure(folder, "any crash sound (.wav)");
    std::string unreadable;
    for (const std::string& path : CrashSoundList) {
        std::vector<uint8_t> bytes(1 << 16);
        size_t got = 0;
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            got = std::fread(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        // The first 64 KiB hold the headers; a data chunk running past them is read as far as it goes.
        WaveChunks chunks;
        if (!ParseRiffWave(bytes.data(), got, chunks))
            unreadable += (unreadable.empty() ? "" : ", ") + path.substr(path.find_last_of('/') + 1);
    }
    if (!unreadable.empty()) ReportReadFailure(folder, "the crash sounds " + unreadable);
}

// Set when the transmitter in use was unplugged; cleared when it is back (the pause stays until P).
bool transmitterLost = false;
// Set at start when no calibration file was found: the first transmitter seen is calibrated at once.
bool calibrationMissing = false;

// A line above the stick boxes telling the pilot why nothing moves.
void DrawControllerHint(int menuHeight, int clientWidth, int clientHeight) {
    bool present = TransmitterPresent();
    if (present) transmitterLost = false;
    if (present) return;
    const char* text =
        transmitterLost
            ? "Transmitter lost: the simulation is paused. Plug it in again, then press P to fly on"
            : "No transmitter found: connect it, then choose Joystick > Controller Select";
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    ImVec2 size = ImGui::CalcTextSize(text);
    ImVec2 at(clientWidth * 0.5f - size.x * 0.5f,
              menuHeight + clientHeight - TextClearanceAboveInstruments() - size.y);
    draw->AddRectFilled(ImVec2(at.x - 8, at.y - 4), ImVec2(at.x + size.x + 8, at.y + size.y + 4),
                        IM_COL32(0, 0, 0, 110), 4.0f);
    draw->AddText(at, IM_COL32(255, 255, 255, 255), text);
}

// Without a transmitter remembered yet, the device in use (when plugged in) becomes it.
void RememberTransmitterInUse() {
    if (!RememberedTransmitter().guid.empty()) return;
    TransmitterIdentity inUse = TransmitterIdentityOf(Calibration.joystickId);
    if (!inUse.guid.empty()) SetRememberedTransmitter(inUse);
}

// With no transmitter remembered, the first device with four or more axes becomes the one in use when
// the device at the saved id is missing or has fewer axes. True when the device in use has four or more.
bool ChooseFirstTransmitter() {
    std::vector<JoystickDeviceInfo> usable;
    for (const JoystickDeviceInfo& d : PresentJoystickDevices())
        if (d.axes > 3) usable.push_back(d);
    for (const JoystickDeviceInfo& d : usable)
        if (d.id == Calibration.joystickId) return true;
    if (usable.empty() || !RememberedTransmitter().guid.empty()) return false;
    std::atomic_ref<int32_t>(Calibration.joystickId).store(usable[0].id, std::memory_order_relaxed);
    return true;
}

// First start without a calibration file: once a transmitter is plugged in, the Calibrate dialog opens
// with its explanation and the simulation paused.
void OfferFirstCalibration() {
    if (!calibrationMissing || !ChooseFirstTransmitter()) return;
    calibrationMissing = false;
    RememberTransmitterInUse();
    ShowFirstCalibration();
}

void DrawDialogs() {
    DrawControllerDialogs();
    DrawTransmitterCheck();
    DrawRecordPlayBar();
    DrawSubsystemDialogs();
    DrawFileChooser();
    // What went wrong since the last frame shows in one box (at start, every file that could not be read).
    std::string messages;
    for (const std::string& message : TakeUserMessages())
        messages += (messages.empty() ? "" : "\n\n") + message;
    if (!messages.empty()) ShowMessageBox(messages, FilesCaption);
    DrawMessageBoxes();
}

// The instruments' sticks, the switch lamps and the recorder marks of a frame (SimMutex held).
void CaptureControls(RenderSnapshot& s) {
    s.rollInput = GetControlInput(Roll);
    s.pitchInput = GetControlInput(Pitch);
    s.yawInput = GetControlInput(Yaw);
    s.collectiveStick = GetCollectiveStick();
    s.idleUpOn = IsIdleUpOn();
    s.throttleHoldOn = IsThrottleHoldOn();
    s.recorderPlaying = RecorderPlaying();
    s.recorderRecording = RecorderRecording();
}

// One frame: the scene (or the frozen crash picture), then the menu and dialogs over it.
void DrawOneFrame() {
    int width, height;
    GetWindowPixelSize(width, height);
    BeginUiFrame();
    int menuHeight = DrawMainMenuBar();
    DrawDialogs();
    int clientW = width;
    int clientH = std::max(1, height - menuHeight);

    int32_t state;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        state = FlightState;
    }
    if (state != FlightCrashShown) {
        ServeTextureReloads();
        CaptureRenderSnapshot();
        SmoothSnapshot(FrameSnapshot, FrameClockSeconds());
        OverlayScale = UiScale();
        UpdateViewZoom(FrameClockSeconds(), false);
        RenderFrame(clientW, clientH);
        bool justCrashed = false;
        {
            std::lock_guard<std::mutex> lock(SimMutex);
            // The crash seen by this frame's snapshot freezes this very picture.
            if (FlightState == FlightCrashed && FrameSnapshot.flightState == FlightCrashed) {
                FlightState = FlightCrashShown;
                justCrashed = true;
            }
        }
        if (justCrashed) {
            FreezeCurrentFrame(clientW, clientH);
            state = FlightCrashShown;
        }
    } else {
        DrawFrozenFrame(clientW, clientH);
    }
    if (state == FlightCrashShown)
        DrawCrashReport(menuHeight, clientW, clientH);
    else
        DrawControllerHint(menuHeight, clientW, clientH);
    DrawPilotAidHints(menuHeight, clientW, clientH);
    EndUiFrame();
    SwapMainWindow();
}
// Settings of the picture and the window that the binary settings files cannot hold.
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
} // namespace

void StartUpBeforeWindow() {
    // Every reset of the helicopter (menu, switch, recorder, end of a crash) ends a crash sound.
    OnHelicopterReset = EndCrashSound;
    InstallRealisticTick();
    CaptureControlsForFrame = CaptureControls;
    BuildSceneryGeometry();
    // A value no preferences file holds tells whether one chose the Background Resolution.
    backgroundResolution = -1;
    LoadUserPrefs(UserPrefsPlace().read);
    PreferHighBackdrop = backgroundResolution == -1;
    if (PreferHighBackdrop) backgroundResolution = 1;
    LoadSettingsFile(Settings, SettingsPlace().read);
    LoadPresentationSettings();
    LoadHeliMesh("", false);
    ResetSession();
    // Without a calibration file the axes take SDL's whole travel, so centred sticks read 0 until the
    // pilot calibrates (offered as soon as a transmitter is plugged in).
    calibrationMissing = !LoadJoystickCalibration(Calibration, CalibrationPlace().read);
    if (calibrationMissing) SetFullTravelCalibration(Calibration);
    SetRememberedTransmitter({GetSetting("TransmitterGuid", ""), GetSetting("TransmitterName", ""),
                              GetSettingInt("TransmitterIndex", 0, 0, MaxJoystickDevices - 1)});
    LoadChannelMapping(Mapping, MappingPlace().read);
    LoadModelSetup(Model, StartUpSetupPlace().read);
    InitFlightRecorder(ScratchRecordingPlace().write);
}

namespace {
// The crash sounds of the pilot's folder and of the install folder, as one list.
void ScanAllCrashSounds() {
    std::vector<std::string> found;
    for (const std::string& folder : ListingFolders("crashsounds")) {
        ScanCrashSounds(folder);
        found.insert(found.end(), CrashSoundList.begin(), CrashSoundList.end());
    }
    CrashSoundList = MergeListings(found, static_cast<size_t>(MaxCrashSounds));
}
} // namespace

void StartUpWithWindow() {
    RestoreWindowFromSettings();
    InitJoystickDevices();
    ReadSticksForStep = PollJoystickForStep;
    InitGL();
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        ResetHelicopter();
    }
    LoadFlightModelChoice();
    ResetSwitchChanged();
    LoadSoundLevels();
    InitSoundOutput();
    ScanAllCrashSounds();
    {
        std::string folders;
        for (const std::string& folder : ListingFolders("crashsounds"))
            folders += (folders.empty() ? "" : " or ") + folder;
        ReportUnreadableCrashSounds(folders);
    }
    if (MotorSoundEnabled) LoadAndStartMotorSound();
    ReportMissingTypeface();
}

void WatchSwitchesAndKeys() {
    PollControllerSwitches();
    if (KeyPressedSinceLastQuery(KeyLeftCtrl)) return ToggleKeyboardIdleUp();
    if (KeyPressedSinceLastQuery(KeyRightCtrl)) return ToggleKeyboardThrottleHold();
    if (KeyPressedSinceLastQuery(KeySpace)) return ResetCommand();
    if (KeyPressedSinceLastQuery(KeyP)) return PauseCommand();
    if (KeyPressedSinceLastQuery(KeyR)) return ToggleBar();
    if (KeyPressedSinceLastQuery(KeyI)) return ToggleKeyboardIdleUp();
    if (KeyPressedSinceLastQuery(KeyH)) return ToggleKeyboardThrottleHold();
    if (KeyPressedSinceLastQuery(KeyF11)) return ToggleFullScreen();
    WatchZoomKeys();
}

void RunMainLoop(const PlatformEvents& events) {
    uint64_t nextWatch = MillisecondsNow() + WatchPeriodMs;
    while (!QuitRequested) {
        // Closing the window, Exit, or SIGHUP/SIGINT/SIGQUIT/SIGTERM all end in the same shutdown.
        if (!PumpEvents(events) || QuitSignalReceived()) {
            QuitRequested = true;
            break;
        }
        // A transmitter found gone by this poll pauses at once, before its removal event arrives.
        if (!ServiceJoystickPoll()) TransmitterLost();
        OfferFirstCalibration();
        uint64_t now = MillisecondsNow();
        if (now >= nextWatch) {
            WatchSwitchesAndKeys();
            nextWatch += WatchPeriodMs;
            if (nextWatch <= now) nextWatch = now + WatchPeriodMs;
        }
        DrawOneFrame();
    }
}

void TransmitterRemoved(int instanceId) {
    if (JoystickDeviceRemoved(instanceId)) TransmitterLost();
}

void TransmitterLost() {
    // The model must not fly on sticks nobody holds. A playback needs no sticks.
    transmitterLost = true;
    if (!RecorderPlaying()) PauseSimulation();
}

void ShutdownSaves() {
    ShutdownRecorder();
    SaveUserPrefs(UserPrefsPlace().write);
    CancelCalibrationInProgress();
    SaveJoystickCalibration(Calibration, CalibrationPlace().write);
    SaveChannelMapping(Mapping, MappingPlace().write);
    SaveModelSetup(Model, StartUpSetupPlace().write);
    AppendSessionToLog(FlightLogPlace().write);
    RememberTransmitterInUse();
    const TransmitterIdentity& transmitter = RememberedTransmitter();
    if (!transmitter.guid.empty()) {
        SetSetting("TransmitterGuid", transmitter.guid);
        SetSetting("TransmitterName", transmitter.name);
        SetSettingInt("TransmitterIndex", transmitter.index);
    }
    StorePresentationSettings();
    SaveSettingsFile(Settings, SettingsPlace().write);
    CloseSoundOutput();
    StopTransmitterCheck();
    ShutdownJoystickDevices();
}
