// Pieces the settings dialogs share on top of the dialog helpers: the request of one dialog at a time,
// labelled boxes, radio groups, the OK / Cancel row, and the per-dialog draw functions.
#pragma once
#include <functional>
#include <imgui.h>

#include "app/settings_rules.h"
#include "ui/dialog_ui.h"

// The dialogs, one request at a time: a Show function asks for its dialog, the dialog's draw function takes
// the request and opens its popup.
enum class DialogKind {
    None,
    HelicopterSettings,
    Swash,
    Curve,
    Expo,
    Gyro,
    Wind,
    RandomAttitude,
    About,
    TimeLog,
    RealisticSettings
};
void RequestDialog(DialogKind kind);

// Opens the popup when kind was requested, then begins it as a modal dialog (centred when it appears,
// sized to its contents). closeBox shows the title bar's close button; it is cleared when pressed.
bool BeginDialog(DialogKind kind, const char* popupId, bool* closeBox);
void EndDialog(); // ImGui::EndPopup

// The OK / Cancel pair at the bottom right of a settings dialog (Enter is OK, Escape or the close box
// is Cancel). On OK, confirm runs under the simulation lock; either button closes the popup.
void OkCancelButtons(float rightEdge, bool closeBoxOpen, const std::function<void()>& confirm);

// Label then a text box at labelWidth from the row's start. Returns true when the text changed.
bool LabelledBox(const char* label, float labelWidth, const char* id, SettingsBoxText& box, float boxWidth,
                 ImGuiInputTextFlags flags = 0, ImGuiInputTextCallback filter = nullptr);

// Character filters for number-only boxes (used with ImGuiInputTextFlags_CallbackCharFilter).
int DigitsOnlyFilter(ImGuiInputTextCallbackData* data);
int DigitsAndPointFilter(ImGuiInputTextCallbackData* data);

// Radio buttons of one group, one per line; disabledValue (if it is one of the group's values) is shown
// but cannot be chosen. Writes the chosen value into checkedValue.
void RadioGroupButtons(const RadioGroup& group, int32_t& checkedValue, int32_t disabledValue = INT32_MIN);

// Per-dialog drawing, called by DrawSettingsDialogs every frame (each opens its popup when requested).
void DrawHelicopterSettingsDialog();
void DrawSwashImperfectionsDialog();
void DrawCurveEditorDialog();
void DrawExponentialRatesDialog();
void DrawGyroSettingsDialog();
void DrawWindSettingsDialog();
void DrawRandomAttitudeDialog();
void DrawAboutDialog();
void DrawTimeLogDialog();
