// The main menu as data (pop-ups, items, ids, check marks) and the one dispatch function for commands.
#pragma once

enum MenuCommandId {
    CmdCalibrate = 40001, CmdModelParameters = 40003, CmdLoadModelSetup = 40004, CmdSaveModelSetup = 40005,
    CmdGyroSettings = 40006, CmdNormalPitchCurve = 40008, CmdNormalThrottleCurve = 40009, CmdWind = 40010,
    CmdMapping = 40011, CmdIdleUpPitchCurve = 40019, CmdIdleUpThrottleCurve = 40020, CmdInstruments = 40021,
    CmdRecordPlayBar = 40025, CmdPause = 40026, CmdSpeedNormal = 40039, CmdSpeedQuarter = 40040,
    CmdSpeedHalf = 40041, CmdSpeedThreeQuarter = 40042, CmdSpeed12 = 40043, CmdSpeed15 = 40044,
    CmdSpeed20 = 40045, CmdScale450 = 40046, CmdScaleLarge = 40047, CmdScaleJumbo = 40048, CmdHelpIndex = 40051,
    CmdAbout = 40049, CmdExpoRates = 40052, CmdExit = 40053, CmdResetPauseSwitches = 40059,
    CmdViewSessionTimes = 40061, CmdAppendSession = 40063, CmdViewLog = 40064, CmdResetSession = 40065,
    CmdCanopyGraphics = 40066, CmdLockXYZ = 40068, CmdLockXY = 40069, CmdReset = 40070, CmdResetEntireLog = 40071,
    CmdSmoothCamera = 40074, CmdControllerSelect = 40075, CmdMotorSound = 40076, CmdCrashSound = 40077, CmdVolume = 40078,
    CmdBackgroundHigh = 40079, CmdBackgroundMedium = 40080, CmdBackgroundLow = 40081, CmdLoadHeliGeometry = 40082,
    CmdStockGeometry = 40083, CmdShowSchool = 40085, CmdAutoReset = 40086, CmdRandomAttitudes = 40087,
    CmdSwashImperfections = 40089, CmdLowerCamera = 40090, CmdTrailsNone = 40092, CmdTrails10s = 40093,
    CmdTrails30s = 40094, CmdTrails1m = 40095, CmdTrails2m = 40096, CmdTrails5m = 40097, CmdTrailsDotted = 40098,
    CmdTrails3s = 40099,
    // Items this program adds at the end of the View menu, on ids the table left free.
    CmdSmoothMotion = 40091, CmdFullScreen = 40088,
    // The flight model: the classic model (the helicopter files follow it, listed when the menu opens).
    CmdClassicModel = 40067, CmdRealisticSettings = 40084,
};

struct MenuEntry {
    const char* popup;   // top-level pop-up, e.g. "Simulation"
    const char* submenu; // sub-menu inside it, or nullptr
    const char* text;    // item text; the part after '\t' is the shortcut column
    int id;              // 0 for a separator
};

extern const MenuEntry MainMenu[];
extern const int MainMenuCount;

// Check mark of an item, mirroring the globals it shows.
bool MenuItemChecked(int id);

// Carries out a menu command; ids outside 40001..40099 are ignored.
void HandleMenuCommand(int id);

// The pause command of the menu and the P key.
void PauseCommand();
// Reset as the menu, Space and the controller reset switch do it.
void ResetCommand();

// Scale menu check: "Jumbo" above 1.6, "Large" above 1.1, else "Scale 450 Size".
int ScaleMenuChoice(float scale);
