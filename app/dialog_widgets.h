// Pieces the settings dialogs share: the modal frame, captioned group boxes, aligned rows of boxes,
// the button row, and the per-dialog draw functions that DrawSettingsDialogs calls each frame.
#pragma once
#include <functional>
#include <imgui.h>

#include "app/settings_rules.h"

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
constexpr ImGuiWindowFlags DialogWindowFlags =
    ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoCollapse;
void EndDialog(); // ImGui::EndPopup

// A frame with a caption set into its top edge, as desktop dialogs draw their group boxes. minWidth is the
// least inner width; the frame grows to fit what is inside.
void BeginGroupBox(const char* caption, float minWidth = 0.0f, float minHeight = 0.0f);
void EndGroupBox();

// Keyboard in the dialog that has focus: Enter (OK) and Escape (Cancel).
bool DialogEnterPressed();
bool DialogEscapePressed();

// A push button of the standard dialog width.
bool DialogButton(const char* label);
float DialogButtonWidth();
float ButtonWidthFor(const char* label);
// Width of a row of buttons side by side, with the usual spacing.
float ButtonRowWidth(const char* const* labels, int count);

// Lays out buttons right-aligned to rightEdge (a screen x) on the current line. Returns the index of the
// pressed button, or -1.
int RightAlignedButtons(float rightEdge, const char* const* labels, int count);

// The OK / Cancel pair at the bottom right of a settings dialog (Enter is OK, Escape or the close box
// is Cancel). On OK, confirm runs under the simulation lock; either button closes the popup.
void OkCancelButtons(float rightEdge, bool closeBoxOpen, const std::function<void()>& confirm);

// Width of a number box that holds "%4.2f" text up to the given number of characters.
float NumberBoxWidth(int characters);

// Label then a text box at labelWidth from the row's start. Returns true when the text changed.
bool LabelledBox(const char* label, float labelWidth, const char* id, SettingsBoxText& box, float boxWidth,
                 ImGuiInputTextFlags flags = 0, ImGuiInputTextCallback filter = nullptr);

// Character filters for number-only boxes (used with ImGuiInputTextFlags_CallbackCharFilter).
int DigitsOnlyFilter(ImGuiInputTextCallbackData* data);
int DigitsAndPointFilter(ImGuiInputTextCallbackData* data);

// Radio buttons of one group, one per line; disabledValue (if it is one of the group's values) is shown
// but cannot be chosen. Writes the chosen value into checkedValue.
void RadioGroupButtons(const RadioGroup& group, int32_t& checkedValue, int32_t disabledValue = INT32_MIN);

// Outer height of a group box whose contents are innerHeight tall.
float GroupBoxHeight(float innerHeight);
// Height of n radio buttons (or boxes) stacked one per line.
float StackHeight(int n);

// Widest label text among count strings.
float WidestText(const char* const* texts, int count);

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
