// The helpers every dialog uses: the centred modal, group boxes and captions, keys, button rows, sizes,
// value bars and the 100 ms dialog timer (ImGui).
#pragma once
#include <imgui.h>

// Every modal window of the program: opens popupId when openNow is set, centres the window when it
// appears and begins it as a modal popup. False while the popup is not open.
bool BeginCenteredModal(const char* popupId, bool openNow, bool* closeBox, ImGuiWindowFlags flags);
constexpr ImGuiWindowFlags DialogWindowFlags =
    ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoCollapse;

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

// Names the last item (an icon button that shows no text) in the end-to-end tests' dump of the frame,
// which lends io.UserData an ImGui text buffer while RV_UI_DUMP is set; does nothing otherwise.
void NameItemForUiDump(const char* name);

// Lays out buttons right-aligned to rightEdge (a screen x) on the current line. Returns the index of the
// pressed button, or -1.
int RightAlignedButtons(float rightEdge, const char* const* labels, int count);

// Width of a number box that holds "%4.2f" text up to the given number of characters.
float NumberBoxWidth(int characters);

// Outer height of a group box whose contents are innerHeight tall.
float GroupBoxHeight(float innerHeight);
// Height of n radio buttons (or boxes) stacked one per line.
float StackHeight(int n);

// Widest label text among count strings.
float WidestText(const char* const* texts, int count);

// A progress bar for a value in lo..hi (the dialog's bar range), showing the value as its label.
void DrawValueBar(int value, int lo, int hi);
// A 100 ms dialog timer on the UI clock: true once per 100 ms since start or the last tick.
bool DialogTimerDue(double& lastTick);
void StartDialogTimer(double& lastTick);
// A group caption line, as the dialog resources' group boxes.
void GroupCaption(const char* caption);
