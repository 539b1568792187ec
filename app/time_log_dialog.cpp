// The "Time Log" dialog (the session's flight times, tab-aligned) and the other Simulation > Log commands.
#include <mutex>
#include <string>
#include <vector>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/text.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "log/flight_log.h"
#include "platform/shell_open.h"

namespace {

const char* const PopupId = "Time Log";

// One line of the text split at its first tab: the label, and what stands at the tab stop.
struct TimeLogLine {
    std::string label;
    std::string value;
    bool hasTab;
};
std::vector<TimeLogLine> lines;

void SplitIntoLines(const std::string& text) {
    lines.clear();
    for (const std::string& line : SplitText(text, '\n')) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            lines.push_back({line, std::string(), false});
        else
            lines.push_back({line.substr(0, tab), line.substr(tab + 1), true});
    }
}

} // namespace

void ShowTimeLogDialog() {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        text = SessionTimesText();
    }
    SplitIntoLines(text);
    RequestDialog(DialogKind::TimeLog);
}

void DrawTimeLogDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::TimeLog, PopupId, &closeBox)) return;

    // The tab stop: past the widest label, as a tab would land in the static text.
    float tabStop = 0.0f;
    float widestValue = 0.0f;
    for (const TimeLogLine& line : lines) {
        const float w = ImGui::CalcTextSize(line.label.c_str()).x;
        if (w > tabStop) tabStop = w;
        const float v = ImGui::CalcTextSize(line.value.c_str()).x;
        if (v > widestValue) widestValue = v;
    }
    tabStop += ImGui::CalcTextSize("  ").x;
    const ImGuiStyle& style = ImGui::GetStyle();
    const float lineHeight = ImGui::GetTextLineHeight();
    const float inner = tabStop + widestValue;
    const ImVec2 boxSize(inner + style.WindowPadding.x * 2.0f,
                         lineHeight * static_cast<float>(lines.size()) + style.WindowPadding.y * 2.0f);

    // The sunken static text: a framed, shaded area.
    const ImVec2 at = ImGui::GetCursorScreenPos();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->AddRectFilled(at, ImVec2(at.x + boxSize.x, at.y + boxSize.y), ImGui::GetColorU32(ImGuiCol_FrameBg));
    draw->AddRect(at, ImVec2(at.x + boxSize.x, at.y + boxSize.y), ImGui::GetColorU32(ImGuiCol_Border));
    const ImU32 ink = ImGui::GetColorU32(ImGuiCol_Text);
    float y = at.y + style.WindowPadding.y;
    for (const TimeLogLine& line : lines) {
        const float x = at.x + style.WindowPadding.x;
        draw->AddText(ImVec2(x, y), ink, line.label.c_str());
        if (line.hasTab) draw->AddText(ImVec2(x + tabStop, y), ink, line.value.c_str());
        y += lineHeight;
    }
    ImGui::Dummy(boxSize);
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    const char* const buttons[] = {"OK"};
    const bool ok = RightAlignedButtons(rightEdge, buttons, 1) == 0;
    if (ok || !closeBox || DialogEnterPressed() || DialogEscapePressed()) ImGui::CloseCurrentPopup();
    EndDialog();
}

void AppendSessionCommand() {
    // The session is copied under the lock; the log is written outside it, so no tick waits on the disk.
    FlightLogRecord record;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        record = SessionRecord();
    }
    const std::string logPath = FlightLogPlace().write;
    if (!AppendRecordToLog(record, logPath)) {
        PostUserMessage("The session could not be appended to " + logPath +
                        ".\nIts times are kept and appended when the program ends.");
        return;
    }
    std::lock_guard<std::mutex> lock(SimMutex);
    DeductFromSession(record);
}

void ViewLogCommand() {
    const std::string textPath = FlightLogTextPlace().write;
    if (ViewLog(FlightLogPlace().read, textPath) && !OpenWithDesktopViewer(textPath))
        PostUserMessage("No viewer (xdg-open) could be started for the log.\nIt was written to " + textPath +
                        ".");
}

void ResetSessionCommand() {
    std::lock_guard<std::mutex> lock(SimMutex);
    ResetSession();
}

void ResetEntireLogCommand() {
    DeleteFlightLog(FlightLogPlace().write);
}
