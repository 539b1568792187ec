// Menu commands carried out by the other subsystems' dialogs and functions, and their frame drawing.
#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/graphics_commands.h"
#include "app/menu.h"
#include "app/realistic_settings_dialog.h"
#include "app/menu_actions.h"
#include "app/model_setup.h"
#include "app/settings_dialogs.h"
#include "app/sound_output.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "flight/heli_state.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "input/input_dialogs.h"
#include "platform/shell_open.h"
#include "recorder/flight_recorder.h"
#include "recorder/record_play_bar_dialog.h"
#include "sound/crash_sounds.h"
#include "sound/volume_dialog.h"

namespace {
// "Help > Index": the help page in the desktop's viewer, or a message with its path.
void OpenHelpPage() {
    const std::string page = ReadPath("help/index.html");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec))
        ReportReadFailure(page, "the help page");
    else if (!OpenWithDesktopViewer(page))
        PostUserMessage("No viewer (xdg-open) could be started for the help page.\nIt is " + page + ".");
}
} // namespace

void RunSubsystemCommand(int id) {
    if (RunGraphicsCommand(id)) return;
    switch (id) {
    case CmdWind: ShowWindSettingsDialog(Wind, Turbulence); break;
    case CmdRandomAttitudes: ShowRandomAttitudeDialog(RandomAttitude); break;
    case CmdViewSessionTimes: ShowTimeLogDialog(); break;
    case CmdAppendSession: AppendSessionCommand(); break;
    case CmdViewLog: ViewLogCommand(); break;
    case CmdResetSession: ResetSessionCommand(); break;
    case CmdResetEntireLog: ResetEntireLogCommand(); break;
    case CmdExpoRates: ShowExponentialRatesDialog(Model); break;
    case CmdGyroSettings: ShowGyroSettingsDialog(Model); break;
    case CmdNormalPitchCurve: ShowCurveEditorDialog(Model.normalPitchCurve, "Normal Pitch"); break;
    case CmdNormalThrottleCurve: ShowCurveEditorDialog(Model.normalThrottleCurve, "Normal Throttle"); break;
    case CmdIdleUpPitchCurve: ShowCurveEditorDialog(Model.idleUpPitchCurve, "Idle Up Pitch"); break;
    case CmdIdleUpThrottleCurve: ShowCurveEditorDialog(Model.idleUpThrottleCurve, "Idle Up Throttle"); break;
    case CmdModelParameters: ShowHelicopterSettingsDialog(Model); break;
    case CmdSwashImperfections: ShowSwashImperfectionsDialog(Swash); break;
    case CmdRecordPlayBar: ToggleBar(); break;
    case CmdMotorSound: ToggleMotorSound(); break;
    case CmdCrashSound: ToggleCrashSound(); break;
    case CmdVolume: ShowVolumeDialog(); break;
    case CmdControllerSelect: ShowSelectControllerDialog(); break;
    case CmdCalibrate: ShowCalibrateDialog(); break;
    case CmdMapping: ShowControllerMapping(); break;
    case CmdResetPauseSwitches: ShowResetPauseDialog(); break;
    case CmdHelpIndex: OpenHelpPage(); break;
    case CmdAbout: ShowAboutDialog(); break;
    default: break;
    }
}

void DrawSubsystemDialogs() {
    DrawSettingsDialogs();
    DrawRealisticSettingsDialog();
    DrawVolumeDialog();
}
