// The controller dialogs. Show* (menu commands) only asks for the dialog; Draw* runs every frame inside
// the ImGui frame at top level and opens the modal popup when asked.
#pragma once
#include <cstdint>

#include "input/control_input.h"

// Joystick > "Controller Select": "Select Controller".
void ShowSelectControllerDialog();
void DrawSelectControllerDialog();
// Joystick > "Calibrate": "Calibrate".
void ShowCalibrateDialog();
// The same dialog at first start, with a few lines telling a new pilot what to do.
void ShowFirstCalibration();
// At exit with Calibrate still open: the calibration from before the dialog is the one saved.
void CancelCalibrationInProgress();
void DrawCalibrateDialog();
// Joystick > "Mapping": "Controller Mapping".
void ShowControllerMapping();
void DrawControllerMappingDialog();
// Joystick > "Reset,Pause": "Controller Reset + Pause".
void ShowResetPauseDialog();
void DrawResetPauseDialog();

// All four Draw functions in one call.
void DrawControllerDialogs();

// The two pickers, opened from inside the mapping and reset/pause dialogs and drawn by them with
// DrawChooserDialogs. "Choose Input Channel - <name>" stores the chosen axis into the mapping of f;
// "Choose Input Switch - <name>" stores the chosen source into *target unless the user left with -1.
void ChooseChannel(const char* name, ControlFunction f);
void ChooseSwitch(const char* name, int32_t* target);
void DrawChooserDialogs();
