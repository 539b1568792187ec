// Message boxes queued by commands and shown one after another as ImGui modals.
#include "ui/message_box.h"

#include "ui/dialog_ui.h"

#include <deque>
#include <imgui.h>

namespace {
struct PendingMessage {
    std::string text;
    std::string caption;
};
std::deque<PendingMessage> messages;
bool popupOpen = false;
} // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
    messages.push_back({text, caption});
}

void DrawMessageBoxes() {
    if (messages.empty()) return;
    const PendingMessage& m = messages.front();
    std::string id = m.caption + "###messagebox";
    const bool openNow = !popupOpen;
    popupOpen = true;
    if (BeginCenteredModal(id.c_str(), openNow, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
        ImGui::Spacing();
        ImGui::TextUnformatted(m.text.c_str());
        ImGui::Spacing();
        ImGui::Separator();
        float width = 90.0f;
        ImGui::SetCursorPosX(ImGui::GetWindowContentRegionMax().x - width);
        // Not the keys of the frame the box opens in: the Enter that confirmed a file chooser whose action
        // failed would close its message unseen.
        if (ImGui::Button("OK", ImVec2(width, 0)) ||
            (!openNow && (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)) ||
                          ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))))) {
            ImGui::CloseCurrentPopup();
            messages.pop_front();
            popupOpen = false;
        }
        ImGui::EndPopup();
    } else {
        // Closed some other way: drop it so the next message can appear.
        messages.pop_front();
        popupOpen = false;
    }
}
