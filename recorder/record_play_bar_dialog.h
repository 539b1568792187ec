// The "Record Playback" bar: a small floating window with the recorder's transport buttons.
#pragma once

// Draws the bar when it is shown (ToggleBar in recorder/flight_recorder.h shows and hides it).
// Called by the main loop every frame inside the ImGui frame, without SimMutex held.
void DrawRecordPlayBar();

// The bar's Save and Load buttons: pause, open the file chooser in the recordings folder and, once a
// file is chosen, copy the scratch file to it (save) or over the scratch file and wait on its first
// frame (load). Failures are reported with a message box.
void SaveRecording();
void LoadRecording();
