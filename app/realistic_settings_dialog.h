// The "Realistic Helicopter Settings" dialog of the Model menu.
#pragma once

// Opens the dialog for the helicopter file in use (the simulation pauses, as with the other model
// dialogs); with the classic model the pilot is told to choose a helicopter first.
void ShowRealisticSettingsDialog();
// Draws the dialog while open (every frame).
void DrawRealisticSettingsDialog();
