// Sound > "Volume": the master, motor and crash levels, heard live while the dialog is open.
#pragma once

// Opens the dialog on the levels in use; OK keeps the new levels (saved in Settings.ini at exit), Cancel,
// Escape and the close box bring back the levels it opened with.
void ShowVolumeDialog();
// Drawn every frame by the main loop inside the ImGui frame, at top level.
void DrawVolumeDialog();
