// The ImGui main menu bar: pop-ups and sub-menus in table order, shortcut column after '\t'.
#include "app/main_menu_ui.h"

#include <cstring>
#include <imgui.h>
#include <string>

#include "app/flight_model_choice.h"
#include "app/menu.h"

namespace {
// The helicopter files under the classic model's item, listed afresh each time the sub-menu is open.
void DrawHelicopterChoices() {
    for (const std::string& name : ListHelicopterNames()) {
        bool inUse = ActiveFlightModel.realistic && ActiveFlightModel.name == name;
        if (ImGui::MenuItem((name + "##heli").c_str(), nullptr, inUse)) ChooseFlightModelCommand(name);
    }
}

void DrawItem(const MenuEntry& e, int& chosen) {
    if (e.id == 0) {
        ImGui::Separator();
        return;
    }
    const char* tab = std::strchr(e.text, '\t');
    std::string label = tab ? std::string(e.text, tab) : std::string(e.text);
    std::string shortcut = tab ? std::string(tab + 1) : std::string();
    while (!label.empty() && label.back() == ' ')
        label.pop_back();
    size_t lead = shortcut.find_first_not_of(' ');
    shortcut = lead == std::string::npos ? std::string() : shortcut.substr(lead);
    label += "##" + std::to_string(e.id);
    if (ImGui::MenuItem(label.c_str(), shortcut.empty() ? nullptr : shortcut.c_str(), MenuItemChecked(e.id)))
        chosen = e.id;
    if (e.id == CmdClassicModel) DrawHelicopterChoices();
}

// Draws the entries of one pop-up from index first on; sub-menus open at their first entry.
void DrawPopup(const char* popup, int first, int& chosen) {
    const char* openSub = nullptr;
    bool subOpen = false;
    for (int i = first; i < MainMenuCount; ++i) {
        const MenuEntry& e = MainMenu[i];
        if (std::strcmp(e.popup, popup) != 0) continue;
        if (e.submenu) {
            if (!openSub || std::strcmp(openSub, e.submenu) != 0) {
                if (openSub && subOpen) ImGui::EndMenu();
                openSub = e.submenu;
                subOpen = ImGui::BeginMenu(e.submenu);
            }
            if (subOpen) DrawItem(e, chosen);
            continue;
        }
        if (openSub && subOpen) ImGui::EndMenu();
        openSub = nullptr;
        subOpen = false;
        DrawItem(e, chosen);
    }
    if (openSub && subOpen) ImGui::EndMenu();
}
} // namespace

int DrawMainMenuBar() {
    int chosen = 0;
    int height = 0;
    if (ImGui::BeginMainMenuBar()) {
        const char* last = nullptr;
        for (int i = 0; i < MainMenuCount; ++i) {
            if (last && std::strcmp(last, MainMenu[i].popup) == 0) continue;
            last = MainMenu[i].popup;
            if (ImGui::BeginMenu(last)) {
                DrawPopup(last, i, chosen);
                ImGui::EndMenu();
            }
        }
        height = static_cast<int>(ImGui::GetWindowSize().y);
        ImGui::EndMainMenuBar();
    }
    if (chosen) HandleMenuCommand(chosen);
    return height;
}
