// A headless ImGui context for driving the dialogs without a window: a display of the given size, no ini
// file, the font atlas built, and Tab, Enter and Escape each pressed through KeysDown at its own key index.
#pragma once
#include <imgui.h>

inline void CreateHeadlessImGui(float width, float height) {
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(width, height);
    io.IniFilename = nullptr;
    for (int key : {ImGuiKey_Tab, ImGuiKey_Enter, ImGuiKey_Escape})
        io.KeyMap[key] = key;
    io.Fonts->Build();
}
