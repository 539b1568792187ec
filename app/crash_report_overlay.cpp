// The crash report drawn over the frozen picture after a crash.
#include "app/crash_report_overlay.h"

#include <imgui.h>
#include <algorithm>
#include <cfloat>
#include <mutex>
#include <string>
#include <vector>

#include "assets/text.h"
#include "flight/ground.h"
#include "flight/sim_control.h"
#include "platform/window.h"

void DrawCrashReport(int menuHeight, int clientWidth, int clientHeight) {
    std::string text;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        text = CrashReportText;
    }
    if (text.empty()) return;
    const std::vector<std::string> lines = SplitText(text, '\n');
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    ImFont* font = ImGui::GetFont();
    auto widest = [&](float size) {
        float width = 0.0f;
        for (const std::string& line : lines)
            width = std::max(width, font->CalcTextSizeA(size, FLT_MAX, 0.0f, line.c_str()).x);
        return width;
    };
    // Large enough to read across the field, shrunk to fit a small window.
    const float spacing = 1.2f;
    const float scale = static_cast<float>(UiScale());
    float size = std::clamp(clientHeight / 28.0f, 13.0f * scale, 30.0f * scale);
    float width = widest(size);
    if (width > clientWidth - 40.0f && width > 0.0f) {
        size *= (clientWidth - 40.0f) / width;
        width = widest(size);
    }
    float height = size * spacing * static_cast<float>(lines.size());
    ImVec2 centre(clientWidth * 0.5f, menuHeight + clientHeight * 0.5f);
    ImVec2 topLeft(centre.x - width * 0.5f, centre.y - height * 0.5f);
    draw->AddRectFilled(ImVec2(topLeft.x - 18, topLeft.y - 12),
                        ImVec2(topLeft.x + width + 18, topLeft.y + height + 12), IM_COL32(0, 0, 0, 120),
                        6.0f);
    // Each line centred on its own, as centred text is drawn.
    float y = topLeft.y;
    for (const std::string& line : lines) {
        float lineWidth = font->CalcTextSizeA(size, FLT_MAX, 0.0f, line.c_str()).x;
        draw->AddText(font, size, ImVec2(centre.x - lineWidth * 0.5f, y), IM_COL32(255, 255, 255, 255),
                      line.c_str());
        y += size * spacing;
    }
}
