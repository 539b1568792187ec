// "Wind Settings": wind type, a compass rose of directions, direction shifts, turbulence, and the wind
// speed and gust/lull boxes in miles per hour.
#include <cmath>
#include <mutex>

#include "app/dialog_widgets.h"
#include "app/settings_dialogs.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "flight/wind.h"

namespace {

const char* const PopupId = "Wind Settings";

WindState* editedWind = nullptr;
TurbulenceState* editedTurbulence = nullptr;
WindForm form;

// Compass rose cells, north at the top: the direction value in each cell, -1 for the centre.
const int RoseCells[3][3] = {{7, 0, 1}, {6, -1, 2}, {5, 4, 3}};

const RadioChoice* DirectionChoice(int value) {
    for (int i = 0; i < WindDirectionGroup.count; ++i)
        if (WindDirectionGroup.choices[i].value == value) return &WindDirectionGroup.choices[i];
    return nullptr;
}

// A small eight-pointed star in the centre of the rose.
void DrawRoseCentre(ImVec2 centre, float radius) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImU32 ink = ImGui::GetColorU32(ImGuiCol_Text, 0.55f);
    const ImU32 north = ImGui::GetColorU32(ImGuiCol_PlotHistogram);
    for (int i = 0; i < 8; ++i) {
        const float a = static_cast<float>(i) * 0.7853982f;
        const float r = (i % 2 == 0) ? radius : radius * 0.55f;
        const float side = 0.22f;
        const ImVec2 tip(centre.x + std::sin(a) * r, centre.y - std::cos(a) * r);
        const ImVec2 left(centre.x + std::sin(a - 1.5708f) * radius * side,
                          centre.y - std::cos(a - 1.5708f) * radius * side);
        const ImVec2 right(centre.x + std::sin(a + 1.5708f) * radius * side,
                           centre.y - std::cos(a + 1.5708f) * radius * side);
        draw->AddTriangleFilled(left, tip, right, i == 0 ? north : ink);
    }
    draw->AddCircle(centre, radius * 0.62f, ink, 24);
}

// Three rows of three cells; the buttons' circles line up in columns, the star in the middle.
void DrawCompassRose(float height) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float cellWidth = ImGui::GetFrameHeight() + style.ItemInnerSpacing.x + ImGui::CalcTextSize("NW").x +
                            style.ItemSpacing.x * 2.0f;
    const float cellHeight = (height - ImGui::GetFrameHeight()) * 0.5f;
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::PushID(WindDirectionGroup.caption);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const ImVec2 at(origin.x + cellWidth * static_cast<float>(col),
                            origin.y + cellHeight * static_cast<float>(row));
            const int value = RoseCells[row][col];
            if (value < 0) {
                // Keep the star clear of the "W" and "E" buttons beside it.
                const float half = ImGui::GetFrameHeight() * 0.5f;
                const float clearance =
                    cellWidth - half - style.ItemInnerSpacing.x - ImGui::CalcTextSize("W").x;
                float radius = cellHeight * 0.5f;
                if (radius > clearance - half) radius = clearance - half;
                DrawRoseCentre(ImVec2(at.x + half, at.y + half), radius);
                continue;
            }
            const RadioChoice* choice = DirectionChoice(value);
            if (!choice) continue;
            ImGui::SetCursorScreenPos(at);
            if (ImGui::RadioButton(choice->label, form.windDirection == choice->value))
                form.windDirection = choice->value;
        }
    ImGui::PopID();
    ImGui::SetCursorScreenPos(origin);
    ImGui::Dummy(ImVec2(cellWidth * 2.0f + ImGui::GetFrameHeight() + style.ItemInnerSpacing.x +
                            ImGui::CalcTextSize("NE").x,
                        height));
}

} // namespace

void ShowWindSettingsDialog(WindState& wind, TurbulenceState& turbulence) {
    editedWind = &wind;
    editedTurbulence = &turbulence;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        FillWindForm(form, wind, turbulence);
    }
    RequestDialog(DialogKind::Wind);
}

void DrawWindSettingsDialog() {
    bool closeBox = true;
    if (!BeginDialog(DialogKind::Wind, PopupId, &closeBox)) return;

    const float groupHeight = StackHeight(5);
    ImGui::BeginGroup();
    BeginGroupBox(WindTypeGroup.caption, 0.0f, groupHeight);
    RadioGroupButtons(WindTypeGroup, form.windType);
    EndGroupBox();
    ImGui::SameLine();
    BeginGroupBox(WindDirectionGroup.caption, 0.0f, groupHeight);
    DrawCompassRose(groupHeight);
    EndGroupBox();
    ImGui::SameLine();
    BeginGroupBox(DirectionShiftsGroup.caption, 0.0f, groupHeight);
    RadioGroupButtons(DirectionShiftsGroup, form.directionShifts);
    EndGroupBox();
    ImGui::SameLine();
    BeginGroupBox(TurbulenceGroup.caption, 0.0f, groupHeight);
    RadioGroupButtons(TurbulenceGroup, form.turbLevel);
    EndGroupBox();
    ImGui::EndGroup();
    const float rightEdge = ImGui::GetItemRectMax().x;

    ImGui::Spacing();
    const char* const labels[] = {"Wind speed", "Gust/Lull difference"};
    const float labelWidth = WidestText(labels, 2) + ImGui::GetStyle().ItemSpacing.x * 2.0f;
    const float boxWidth = NumberBoxWidth(6);
    const ImGuiInputTextFlags numberOnly = ImGuiInputTextFlags_CharsDecimal;
    ImGui::Indent(ImGui::GetStyle().WindowPadding.x);
    LabelledBox(labels[0], labelWidth, "##1039", form.windSpeed, boxWidth, numberOnly, DigitsAndPointFilter);
    LabelledBox(labels[1], labelWidth, "##1040", form.gustLullDifference, boxWidth, numberOnly,
                DigitsAndPointFilter);
    ImGui::Unindent(ImGui::GetStyle().WindowPadding.x);

    // OK and Cancel on the line of the last box, at the right edge.
    ImGui::SameLine();
    OkCancelButtons(rightEdge, closeBox, [] { ConfirmWindForm(form, *editedWind, *editedTurbulence); });
    EndDialog();
}
