// Menu commands that open dialogs or reach into other subsystems.
#pragma once

// "Load Model Setup" / "Save Model Setup": pause, then the file chooser in models/.
void LoadModelSetupCommand();
void SaveModelSetupCommand();

// Every command whose work belongs to another subsystem (dialogs, graphics, sound, log, joystick).
void RunSubsystemCommand(int id);

// The dialogs of the other subsystems, drawn every frame inside the ImGui frame.
void DrawSubsystemDialogs();
