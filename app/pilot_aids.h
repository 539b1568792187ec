// The aids beyond the described program that the shell wires in: instrument sizes, auto and keyboard zoom,
// the typeface, the paused hint and the throttle interlock, with their Settings.ini keys and menu items.
#pragma once

enum PilotAidCommandId {
    CmdHoverTrainer = 40012,
    CmdTrainingHistory = 40013,
    CmdTransmitterCheck = 40014,
    CmdAutoZoom = 40054,
    CmdInstrumentsSmall = 40055,
    CmdInstrumentsMedium = 40056,
    CmdInstrumentsLarge = 40057,
};

// Reads the aids' keys from Settings (before the window is made: the typeface is chosen there).
void LoadPilotAidSettings();
// Writes them back into Settings (at shutdown).
void StorePilotAidSettings();
// Once the window is up: says once (remembered in Settings.ini) when the typeface file is missing.
void ReportMissingTypeface();

// Menu check marks and commands of the aids; false when id is not theirs.
bool PilotAidItemChecked(int id, bool& checked);
bool RunPilotAidCommand(int id);

// The + - 0 keys of the keyboard zoom; true when one was pressed.
bool WatchZoomKeys();
// Moves the field of view one frame toward the zoom's target (not while the crash picture is frozen).
void UpdateViewZoom(double frameSeconds, bool crashShown);
// Pixels from the client area's bottom to just above the instruments (their size and numbers included):
// texts over the picture sit higher than this.
float TextClearanceAboveInstruments();
// Every frame: the hover trainer's line and window, and the overlay's texts (not over a crash picture):
// "Paused: P to fly" beside the pause mark, the interlock's note above the instruments.
void DrawPilotAidHints(int menuHeight, int clientWidth, int clientHeight);
