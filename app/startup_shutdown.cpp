// Start-up and shutdown: the order in which the subsystems are brought up and their files saved.
#include <mutex>

#include "app/app_wiring.h"
#include "app/crash_sound_files.h"
#include "app/flight_model_choice.h"
#include "app/frame_drawing.h"
#include "app/model_setup.h"
#include "app/pilot_aids.h"
#include "app/realistic_tick.h"
#include "app/sim_tick.h"
#include "app/sound_output.h"
#include "app/transmitter.h"
#include "app/transmitter_state.h"
#include "app/user_prefs.h"
#include "app/window_settings.h"
#include "assets/program_paths.h"
#include "assets/settings_ini.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "input/channel_mapping.h"
#include "input/control_input.h"
#include "input/controller_switches.h"
#include "input/input_dialogs.h"
#include "input/joystick_calibration.h"
#include "input/transmitter_check.h"
#include "log/flight_log.h"
#include "recorder/flight_recorder.h"
#include "render/heli_model.h"
#include "render/render_frame.h"
#include "render/render_snapshot.h"
#include "render/scenery.h"
#include "render/view_settings.h"
#include "sound/crash_sounds.h"
#include "sound/sound_levels.h"
#include "sound/sound_switches.h"

void StartUpBeforeWindow() {
    // During playback the controls give the recorded sticks and switches instead of the live ones.
    SetPlaybackControls({RecorderPlaying, GetRecordedInput, GetRecordedFlag});
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
    LoadCalibrationAndTransmitter();
    LoadChannelMapping(Mapping, MappingPlace().read);
    LoadModelSetup(Model, StartUpSetupPlace().read);
    InitFlightRecorder(ScratchRecordingPlace().write);
}

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
    FindCrashSoundFiles();
    if (MotorSoundEnabled) LoadAndStartMotorSound();
    ReportMissingTypeface();
}

void ShutdownSaves() {
    ShutdownRecorder();
    SaveUserPrefs(UserPrefsPlace().write);
    CancelCalibrationInProgress();
    SaveJoystickCalibration(Calibration, CalibrationPlace().write);
    SaveChannelMapping(Mapping, MappingPlace().write);
    SaveModelSetup(Model, StartUpSetupPlace().write);
    AppendSessionToLog(FlightLogPlace().write);
    StoreTransmitterSettings();
    StorePresentationSettings();
    SaveSettingsFile(Settings, SettingsPlace().write);
    CloseSoundOutput();
    StopTransmitterCheck();
    ShutdownJoystickDevices();
}
