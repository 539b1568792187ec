// The settings dialogs, the About box and the flight log commands, as the menu opens them.
// Each Show function only records what to edit and asks for the dialog (and pauses the simulation where
// the dialog does so); DrawSettingsDialogs, called every frame inside the ImGui frame at top level, opens
// and draws it. Values are taken over on OK under SimMutex.
#pragma once
#include <cstdint>

#include "app/model_setup.h"

struct WindState;
struct TurbulenceState;
struct RandomAttitudeSettings;

// "Model Parameters" (40003): "Helicopter Settings". Pauses the simulation.
void ShowHelicopterSettingsDialog(ModelSetup& setup);
// "Swash Imperfections" (40089). Pauses the simulation.
void ShowSwashImperfectionsDialog(SwashImperfections& swash);
// The four curve items (40008, 40009, 40019, 40020): the curve editor with the given title, e.g.
// ShowCurveEditorDialog(Model.normalPitchCurve, "Normal Pitch"). Closes only through OK.
void ShowCurveEditorDialog(int32_t (&curve)[5], const char* title);
// "Exponential Rates" (40052). Pauses the simulation.
void ShowExponentialRatesDialog(ModelSetup& setup);
// "Gyro settings" (40006): " Gyro Settings ".
void ShowGyroSettingsDialog(ModelSetup& setup);
// "Wind / Turbulence" (40010): "Wind Settings".
void ShowWindSettingsDialog(WindState& wind, TurbulenceState& turbulence);
// "Random Attitudes" (40087): " Random Attitude  ".
void ShowRandomAttitudeDialog(RandomAttitudeSettings& settings);
// "About" (40049): "About Rotorvane".
void ShowAboutDialog();

// Simulation > Log.
void ShowTimeLogDialog();     // "View session times" (40061): the "Time Log" dialog
void AppendSessionCommand();  // "Append session to log" (40063)
void ViewLogCommand();        // "View log" (40064): writes FlightLog.txt and opens it
void ResetSessionCommand();   // "Reset Session" (40065)
void ResetEntireLogCommand(); // "Reset Entire Log" (40071): deletes FlightLogData.log

// Every frame, inside the ImGui frame, at top level (not inside another window).
void DrawSettingsDialogs();
// True while one of these dialogs is open.
bool SettingsDialogIsOpen();
