// Message boxes: a modal ImGui window with a text, a caption and one OK button.
#pragma once
#include <string>

void ShowMessageBox(const std::string& text, const std::string& caption);
// Drawn by the main loop inside the ImGui frame.
void DrawMessageBoxes();
