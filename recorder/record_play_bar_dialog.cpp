// The "Record Playback" bar drawn with ImGui: icon buttons, the position slider and the file choosers.
#include "recorder/record_play_bar_dialog.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <imgui.h>
#include <mutex>
#include <string>
#include <utility>

#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "recorder/flight_recorder.h"
#include "recorder/flight_recorder_internal.h"
#include "ui/dialog_ui.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

namespace {

enum class Icon { Play, SlowMotion, Pause, Stop, Record, Load, Save, InstantReplay };

constexpr float ButtonSize = 28.0f;
constexpr float SliderWidth = 220.0f;
constexpr float ThumbWidth = 12.0f;

const ImU32 IconInk = IM_COL32(235, 235, 235, 255);
const ImU32 IconShade = IM_COL32(40, 40, 40, 255);
const ImU32 RecordRed = IM_COL32(220, 40, 40, 255);
const ImU32 FolderYellow = IM_COL32(230, 190, 70, 255);
const ImU32 DiskBlue = IM_COL32(80, 130, 210, 255);

// Draws one transport symbol into the square [lo, lo + s].
void DrawIcon(ImDrawList* dl, Icon icon, ImVec2 lo, float s) {
    auto at = [&](float fx, float fy) { return ImVec2(lo.x + fx * s, lo.y + fy * s); };
    switch (icon) {
    case Icon::Play:
        dl->AddTriangleFilled(at(0.30f, 0.22f), at(0.30f, 0.78f), at(0.78f, 0.50f), IconInk);
        break;
    case Icon::SlowMotion:
        // A small play triangle followed by a snail: the shell a spiral, the body a low bar.
        dl->AddRectFilled(at(0.18f, 0.66f), at(0.86f, 0.76f), IconInk, 0.05f * s);
        dl->AddCircleFilled(at(0.50f, 0.48f), 0.22f * s, IconInk, 20);
        dl->AddCircle(at(0.50f, 0.48f), 0.13f * s, IconShade, 16, 0.06f * s);
        dl->AddCircleFilled(at(0.52f, 0.48f), 0.04f * s, IconShade, 8);
        dl->AddLine(at(0.82f, 0.66f), at(0.88f, 0.42f), IconInk, 0.05f * s);
        dl->AddLine(at(0.76f, 0.66f), at(0.78f, 0.44f), IconInk, 0.05f * s);
        dl->AddTriangleFilled(at(0.10f, 0.20f), at(0.10f, 0.44f), at(0.28f, 0.32f), IconInk);
        break;
    case Icon::Pause:
        dl->AddRectFilled(at(0.28f, 0.22f), at(0.43f, 0.78f), IconInk);
        dl->AddRectFilled(at(0.57f, 0.22f), at(0.72f, 0.78f), IconInk);
        break;
    case Icon::Stop:
        dl->AddRectFilled(at(0.26f, 0.26f), at(0.74f, 0.74f), IconInk);
        break;
    case Icon::Record:
        dl->AddCircleFilled(at(0.50f, 0.50f), 0.27f * s, RecordRed, 24);
        break;
    case Icon::Load: {
        // An open folder: the back with its tab, then the front leaning forward.
        dl->AddRectFilled(at(0.14f, 0.26f), at(0.42f, 0.36f), FolderYellow, 0.03f * s);
        dl->AddRectFilled(at(0.14f, 0.32f), at(0.80f, 0.76f), FolderYellow, 0.03f * s);
        ImVec2 front[4] = {at(0.24f, 0.44f), at(0.90f, 0.44f), at(0.80f, 0.76f), at(0.14f, 0.76f)};
        dl->AddConvexPolyFilled(front, 4, IM_COL32(250, 215, 110, 255));
        dl->AddPolyline(front, 4, IconShade, ImDrawFlags_Closed, 0.03f * s);
        break;
    }
    case Icon::Save: {
        // A floppy disk: the case with one corner cut, the metal shutter and the label.
        ImVec2 body[5] = {at(0.18f, 0.18f), at(0.72f, 0.18f), at(0.82f, 0.28f), at(0.82f, 0.82f),
                          at(0.18f, 0.82f)};
        dl->AddConvexPolyFilled(body, 5, DiskBlue);
        dl->AddRectFilled(at(0.32f, 0.18f), at(0.64f, 0.40f), IM_COL32(200, 200, 205, 255));
        dl->AddRectFilled(at(0.52f, 0.22f), at(0.59f, 0.36f), DiskBlue);
        dl->AddRectFilled(at(0.28f, 0.54f), at(0.72f, 0.82f), IM_COL32(245, 245, 245, 255));
        break;
    }
    case Icon::InstantReplay: {
        // A circular arrow turning back, round a small play triangle.
        dl->PathArcTo(at(0.50f, 0.50f), 0.30f * s, 3.6f, 3.6f + 4.9f, 20);
        dl->PathStroke(IconInk, 0, 0.08f * s);
        dl->AddTriangleFilled(at(0.10f, 0.30f), at(0.34f, 0.30f), at(0.20f, 0.52f), IconInk);
        dl->AddTriangleFilled(at(0.44f, 0.38f), at(0.44f, 0.62f), at(0.62f, 0.50f), IconInk);
        break;
    }
    }
}

// One icon-only button with its tooltip; highlighted shows it as latched (pause held, slow motion on).
bool IconButton(const char* id, Icon icon, const char* tooltip, bool highlighted) {
    if (highlighted) ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_ButtonActive));
    bool pressed = ImGui::Button(id, ImVec2(ButtonSize, ButtonSize));
    if (highlighted) ImGui::PopStyleColor();
    DrawIcon(ImGui::GetWindowDrawList(), icon, ImGui::GetItemRectMin(), ImGui::GetItemRectSize().x);
    NameItemForUiDump(tooltip);
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", tooltip);
    return pressed;
}

// Room for the position and length text up to 99:59.9 each.
float TimesWidth() {
    return ImGui::CalcTextSize("00:00.0 / 00:00.0").x + ImGui::GetStyle().ItemSpacing.x;
}

bool KeyPressed(ImGuiKey key) {
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key), false);
}

// The position slider. Only a press on the thumb drags it, and only a drag seeks (SeekToSliderPosition
// through RecorderSliderDragged); a press beside the thumb moves the thumb there without seeking, as a
// trackbar's page click does. Drawn by hand from unsigned positions, so no range from a file ever reaches
// an ImGui slider.
bool draggingThumb = false;
float grabOffset = 0.0f;

void PositionSlider(uint32_t maxPos, float width) {
    const float height = ImGui::GetFrameHeight();
    const ImVec2 lo = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton("##position", ImVec2(width, height));
    const bool active = ImGui::IsItemActive();
    const ImGuiStyle& style = ImGui::GetStyle();
    const float inner = width - 2.0f * style.FramePadding.y;
    const double range = static_cast<double>(maxPos);
    // A thumb of fixed width, as a trackbar has.
    const float thumb = std::min(inner, std::max(style.GrabMinSize, ThumbWidth));
    const float travel = inner - thumb;
    const float left = lo.x + style.FramePadding.y;
    uint32_t pos = std::min(Recorder.sliderPos.load(), maxPos);
    auto thumbLeft = [&](uint32_t p) {
        return left + (range > 0.0 ? static_cast<float>(p / range) * travel : 0.0f);
    };
    auto positionAt = [&](float thumbStart) {
        if (range <= 0.0 || travel <= 0.0f) return uint32_t{0};
        const double t = std::clamp(static_cast<double>(thumbStart - left) / travel, 0.0, 1.0);
        return static_cast<uint32_t>(std::llround(t * range));
    };
    const float mouseX = ImGui::GetIO().MousePos.x;
    if (ImGui::IsItemActivated()) {
        const float start = thumbLeft(pos);
        draggingThumb = mouseX >= start && mouseX <= start + thumb;
        if (draggingThumb) {
            grabOffset = mouseX - start;
        } else {
            pos = positionAt(mouseX - thumb * 0.5f);
            Recorder.sliderPos = pos;
        }
    } else if (active && draggingThumb) {
        const uint32_t p = positionAt(mouseX - grabOffset);
        if (p != pos) RecorderSliderDragged(p);
        pos = p;
    }
    if (!active) draggingThumb = false;

    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(lo, ImVec2(lo.x + width, lo.y + height), ImGui::GetColorU32(ImGuiCol_FrameBg),
                      style.FrameRounding);
    const float x = thumbLeft(pos);
    dl->AddRectFilled(
        ImVec2(x, lo.y + style.FramePadding.y), ImVec2(x + thumb, lo.y + height - style.FramePadding.y),
        ImGui::GetColorU32(active && draggingThumb ? ImGuiCol_SliderGrabActive : ImGuiCol_SliderGrab),
        style.GrabRounding);
}

// A save chooser's file that already exists waits here until the pilot says whether to replace it.
std::string pendingReplace;
bool askReplace = false;
constexpr const char* ReplaceTitle = "Save Recording##replace";

void SaveAfterAsking(const std::string& path) {
    if (!SaveRecordingTo(path)) ShowMessageBox("Unable to save recording", "Error...");
}

void DrawReplaceQuestion() {
    if (!BeginCenteredModal(ReplaceTitle, std::exchange(askReplace, false), nullptr,
                            ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings))
        return;
    const std::string name = DisplayableName(std::filesystem::path(pendingReplace).filename().string());
    ImGui::Text("%s already exists.", name.c_str());
    ImGui::TextUnformatted("Do you want to replace it?");
    ImGui::Spacing();
    bool yes = ImGui::Button("Yes", ImVec2(100.0f, 0.0f));
    ImGui::SameLine();
    bool no = ImGui::Button("No", ImVec2(100.0f, 0.0f)) || KeyPressed(ImGuiKey_Escape);
    if (yes) SaveAfterAsking(pendingReplace);
    if (yes || no) {
        pendingReplace.clear();
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
}

} // namespace

static void DrawBarWindow();

void SaveRecording() {
    std::string folder = PrepareRecordingChooser();
    FileChooserOptions options = ChooserInFolder("Save Recording", "Recordings (*.rec)", "*.rec", folder,
                                                 DatedRecordingName(std::time(nullptr)), false, true);
    OpenFileChooser(options, [](const std::string& path) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) {
            pendingReplace = path;
            askReplace = true;
            return;
        }
        SaveAfterAsking(path);
    });
}

void LoadRecording() {
    std::string folder = PrepareRecordingChooser();
    FileChooserOptions options = ChooserInFolder("Load Recording", "Recordings (*.rec)", "*.rec", folder,
                                                 "Recording.rec", true, false);
    OpenFileChooser(options, [](const std::string& path) {
        if (!LoadRecordingFrom(path)) ShowMessageBox("Unable to load recording", "Error...");
    });
}

void DrawRecordPlayBar() {
    DrawBarWindow();
    // A modal is drawn after every ordinary window of the frame: Dear ImGui asserts when a window is begun
    // under a modal that was begun before it.
    DrawReplaceQuestion();
}

static void DrawBarWindow() {
    if (!Recorder.visible) return;

    bool paused;
    bool slow;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        paused = SimPaused;
        slow = SlowMotionPlayback;
    }
    bool recording = Recorder.recording;
    bool playing = Recorder.playing;

    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    // First shown near the top left, clear of the instruments along the bottom edge and of the lamps.
    ImGui::SetNextWindowPos(ImVec2(viewport->WorkPos.x + 40.0f, viewport->WorkPos.y + 30.0f),
                            ImGuiCond_FirstUseEver);
    bool open = true;
    if (!ImGui::Begin("Record Playback", &open,
                      ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoCollapse |
                          ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::End();
        if (!open) Recorder.visible = false;
        return;
    }

    if (IconButton("##play", Icon::Play, "Play", playing && !paused && !slow)) RecorderPlayPressed();
    ImGui::SameLine();
    if (IconButton("##slow", Icon::SlowMotion, "Slow motion", playing && slow && !paused))
        RecorderSlowMotionPressed();
    ImGui::SameLine();
    if (IconButton("##pause", Icon::Pause, "Pause / resume", paused)) RecorderPausePressed();
    ImGui::SameLine();
    if (IconButton("##stop", Icon::Stop, "Stop", false)) RecorderStopPressed();
    ImGui::SameLine();

    // The position slider: disabled while recording, moved along by playback, seeking while dragged.
    const uint32_t maxPos = Recorder.sliderMax;
    ImGui::BeginDisabled(!Recorder.sliderEnabled);
    const float rowY = ImGui::GetCursorPosY();
    ImGui::SetCursorPosY(rowY + (ButtonSize - ImGui::GetFrameHeight()) * 0.5f);
    PositionSlider(maxPos, SliderWidth);
    ImGui::EndDisabled();
    if (ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
        ImGui::SetTooltip(recording ? "Position (disabled while recording)" : "Position");
    ImGui::SameLine();
    // Where the playback is and how long the recording runs; while recording, how much has been recorded.
    const std::string times = recording ? RecordingTimeText(Recorder.frameCount)
                                        : RecordingTimeText(std::min(Recorder.sliderPos.load(), maxPos)) +
                                              " / " + RecordingTimeText(maxPos);
    // The buttons after it stay put while the figures change: the text gets a fixed width.
    const float timesX = ImGui::GetCursorPosX();
    ImGui::SetCursorPosY(rowY + (ButtonSize - ImGui::GetTextLineHeight()) * 0.5f);
    ImGui::TextUnformatted(times.c_str());
    ImGui::SameLine();
    ImGui::SetCursorPosX(timesX + TimesWidth());
    ImGui::SetCursorPosY(rowY);

    if (IconButton("##record", Icon::Record, "Record", recording)) RecorderRecordPressed();
    ImGui::SameLine();
    if (IconButton("##load", Icon::Load, "Load recording", false)) LoadRecording();
    ImGui::SameLine();
    if (IconButton("##save", Icon::Save, "Save recording", false)) SaveRecording();
    ImGui::SameLine();
    if (IconButton("##replay", Icon::InstantReplay,
                   "Instant replay: the last two minutes become the recording", false))
        TakeInstantReplay();

    std::string name;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        name = Recorder.name;
    }
    if (!name.empty()) ImGui::TextUnformatted(DisplayableName(name).c_str());

    if (!Recorder.statusText.empty())
        ImGui::TextColored(ImVec4(1.0f, 0.45f, 0.35f, 1.0f), "%s", Recorder.statusText.c_str());

    bool focused = ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows);
    bool typing = ImGui::GetIO().WantTextInput;
    if (focused && !typing &&
        (KeyPressed(ImGuiKey_Enter) || KeyPressed(ImGuiKey_KeyPadEnter) || KeyPressed(ImGuiKey_Escape)))
        open = false;
    ImGui::End();

    // Hiding the bar only hides it; a recording or playback carries on.
    if (!open) Recorder.visible = false;
}
