// Message boxes: a modal ImGui window with a text, a caption and one OK button.
#pragma once
#include <imgui.h>
#include <string>

// Every modal window of the program: opens popupId when openNow is set, centres the window when it
// appears and begins it as a modal popup. False while the popup is not open.
bool BeginCenteredModal(const char* popupId, bool openNow, bool* closeBox, ImGuiWindowFlags flags);

void ShowMessageBox(const std::string& text, const std::string& caption);
// Drawn by the main loop inside the ImGui frame.
void DrawMessageBoxes();
