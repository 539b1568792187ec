// "About Rotorvane": the program's name and version, its icon, the terms of use from resource 144 and the
// folder the pilot's settings are kept in.
#include <cstdio>
#include <string>
#include <vector>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "assets/image.h"
#include "assets/program_paths.h"
#include "resources/resources.h"

namespace {

const char* const PopupId = "About Rotorvane";

std::string termsText;
bool termsLoaded = false;

// The program icon from resource 101 (a BMP), as colours row by row, top row first.
struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<ImU32> colours;
};
IconPicture icon;
bool iconLoaded = false;
constexpr int MaxIconSide = 256;

void LoadIcon() {
    if (iconLoaded) return;
    iconLoaded = true;
    const ResourceData data = FindResourceData(ResourceIcon);
    if (!data.data || data.size == 0) return;
    std::FILE* file = fmemopen(const_cast<unsigned char*>(data.data), data.size, "rb");
    if (!file) return;
    RgbImage image{};
    DecodeBmp(image, file);
    std::fclose(file);
    if (!image.failed && image.pixels && image.width >= 1 && image.height >= 1 &&
        image.width <= MaxIconSide && image.height <= MaxIconSide) {
        SwapRedBlue(image);
        icon.width = image.width;
        icon.height = image.height;
        icon.colours.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
        for (int y = 0; y < image.height; ++y) {
            const uint8_t* row = image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.stride);
            for (int x = 0; x < image.width; ++x)
                icon.colours[static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                             static_cast<size_t>(x)] =
                    IM_COL32(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
        }
    }
    FreeImage(image);
}

// Draws the icon picture at a whole number of screen pixels per icon pixel; runs of one colour in a row
// become one rectangle.
void DrawIconPicture(ImVec2 origin, float scale) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (int y = 0; y < icon.height; ++y) {
        const ImU32* row = &icon.colours[static_cast<size_t>(y) * static_cast<size_t>(icon.width)];
        int x = 0;
        while (x < icon.width) {
            int end = x + 1;
            while (end < icon.width && row[end] == row[x])
                ++end;
            draw->AddRectFilled(
                ImVec2(origin.x + static_cast<float>(x) * scale, origin.y + static_cast<float>(y) * scale),
                ImVec2(origin.x + static_cast<float>(end) * scale,
                       origin.y + static_cast<float>(y + 1) * scale),
                row[x]);
            x = end;
        }
    }
}

// The terms as they lie in the resource: up to the first NUL, line breaks CR LF or LF.
void LoadTerms() {
    if (termsLoaded) return;
    termsLoaded = true;
    const ResourceData terms = FindResourceData(ResourceTerms);
    if (!terms.data) return;
    termsText.reserve(terms.size);
    for (size_t i = 0; i < terms.size && terms.data[i] != '\0'; ++i)
        if (terms.data[i] != '\r') termsText.push_back(static_cast<char>(terms.data[i]));
}

// Stands in for the icon when the program holds no usable resource 101: a small electric helicopter
// hovering over grass, in a rounded tile.
void DrawFallbackIcon(ImVec2 origin, float size) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    auto at = [&](float x, float y) { return ImVec2(origin.x + x * size, origin.y + y * size); };
    const float round = size * 0.16f;
    draw->AddRectFilled(at(0, 0), at(1, 1), IM_COL32(70, 130, 200, 255), round);
    draw->AddRectFilledMultiColor(at(0.04f, 0.06f), at(0.96f, 0.70f), IM_COL32(96, 160, 226, 255),
                                  IM_COL32(96, 160, 226, 255), IM_COL32(178, 214, 244, 255),
                                  IM_COL32(178, 214, 244, 255));
    draw->AddRectFilled(at(0, 0.70f), at(1, 1), IM_COL32(70, 150, 60, 255), round,
                        ImDrawFlags_RoundCornersBottom);
    draw->AddRectFilled(at(0, 0.70f), at(1, 0.76f), IM_COL32(92, 172, 74, 255));

    const ImU32 body = IM_COL32(212, 40, 36, 255);
    const ImU32 dark = IM_COL32(40, 40, 46, 255);
    const ImU32 glass = IM_COL32(40, 60, 90, 255);
    // Main rotor and mast.
    draw->AddLine(at(0.10f, 0.22f), at(0.84f, 0.22f), dark, size * 0.035f);
    draw->AddRectFilled(at(0.455f, 0.22f), at(0.49f, 0.34f), dark);
    // Tail boom, fin and tail rotor.
    draw->AddQuadFilled(at(0.50f, 0.40f), at(0.90f, 0.35f), at(0.90f, 0.39f), at(0.50f, 0.50f), body);
    draw->AddTriangleFilled(at(0.84f, 0.37f), at(0.93f, 0.27f), at(0.93f, 0.39f), body);
    draw->AddCircle(at(0.90f, 0.37f), size * 0.07f, dark, 16, size * 0.025f);
    // Fuselage and canopy.
    draw->AddCircleFilled(at(0.44f, 0.44f), size * 0.14f, body, 28);
    draw->AddRectFilled(at(0.40f, 0.32f), at(0.58f, 0.56f), body, size * 0.08f);
    draw->AddCircleFilled(at(0.36f, 0.42f), size * 0.065f, glass, 20);
    draw->AddCircleFilled(at(0.34f, 0.40f), size * 0.02f, IM_COL32(200, 220, 240, 255), 10);
    // Skids.
    draw->AddLine(at(0.38f, 0.57f), at(0.36f, 0.63f), dark, size * 0.03f);
    draw->AddLine(at(0.54f, 0.57f), at(0.56f, 0.63f), dark, size * 0.03f);
    draw->AddLine(at(0.26f, 0.63f), at(0.66f, 0.63f), dark, size * 0.035f);
    draw->AddRect(at(0, 0), at(1, 1), IM_COL32(30, 60, 110, 255), round, 0, 1.0f);
}

} // namespace

void ShowAboutDialog() {
    LoadTerms();
    LoadIcon();
    RequestDialog(DialogKind::About);
}

void DrawAboutDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::About, PopupId, &closeBox)) return;

    float iconSize = ImGui::GetFontSize() * 4.0f;
    float iconScale = 1.0f;
    if (icon.width > 0) {
        const int side = icon.width > icon.height ? icon.width : icon.height;
        iconScale = static_cast<float>(static_cast<int>(iconSize / static_cast<float>(side) + 0.5f));
        if (iconScale < 1.0f) iconScale = 1.0f;
        iconSize = iconScale * static_cast<float>(side);
    }
    const float boxWidth = ImGui::CalcTextSize("M").x * 80.0f + ImGui::GetStyle().WindowPadding.x * 2.0f +
                           ImGui::GetStyle().ScrollbarSize;
    const float boxHeight = ImGui::GetTextLineHeightWithSpacing() * 14.0f;

    ImGui::BeginGroup();
    const ImVec2 iconAt = ImGui::GetCursorScreenPos();
    if (icon.width > 0)
        DrawIconPicture(iconAt, iconScale);
    else
        DrawFallbackIcon(iconAt, iconSize);
    ImGui::Dummy(ImVec2(iconSize, iconSize));
    ImGui::SameLine(0.0f, ImGui::GetFontSize() * 1.5f);
    ImGui::BeginGroup();
    ImGui::Dummy(ImVec2(0.0f, (iconSize - ImGui::GetTextLineHeight()) * 0.5f));
    ImGui::TextUnformatted("Rotorvane - 2.0");
    ImGui::EndGroup();

    ImGui::Spacing();
    ImGui::TextUnformatted("License");
    ImGui::PushStyleColor(ImGuiCol_ChildBg, ImGui::GetStyleColorVec4(ImGuiCol_FrameBg));
    ImGui::BeginChild("##1052", ImVec2(boxWidth, boxHeight), true);
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextUnformatted(termsText.c_str(), termsText.c_str() + termsText.size());
    ImGui::PopTextWrapPos();
    ImGui::EndChild();
    ImGui::PopStyleColor();
    ImGui::Spacing();
    // The folder name comes from the environment: shown as plain text, wrapped inside the box's width.
    const std::string& settingsFolder = UserDir.empty() ? ProgramDir : UserDir;
    ImGui::TextUnformatted("Settings are kept in:");
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + boxWidth);
    ImGui::TextUnformatted(settingsFolder.c_str(), settingsFolder.c_str() + settingsFolder.size());
    ImGui::PopTextWrapPos();
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    const char* const buttons[] = {"OK"};
    const bool ok = RightAlignedButtons(rightEdge, buttons, 1) == 0 || DialogEnterPressed();
    if (ok || !closeBox || DialogEscapePressed()) ImGui::CloseCurrentPopup();
    EndDialog();
}
