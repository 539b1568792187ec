// The "Record Playback" bar drawn with ImGui: icon buttons, the position slider and the file choosers.
#include "recorder/record_play_bar_dialog.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <imgui.h>
#include <mutex>
#include <string>

#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "platform/file_chooser.h"
#include "platform/message_box.h"
#include "recorder/flight_recorder.h"

namespace {

enum class Icon { Play, SlowMotion, Pause, Stop, Record, Load, Save };

constexpr float ButtonSize = 28.0f;
constexpr float SliderWidth = 220.0f;

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
    }
}

// One icon-only button with its tooltip; highlighted shows it as latched (pause held, slow motion on).
bool IconButton(const char* id, Icon icon, const char* tooltip, bool highlighted) {
    if (highlighted) ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_ButtonActive));
    bool pressed = ImGui::Button(id, ImVec2(ButtonSize, ButtonSize));
    if (highlighted) ImGui::PopStyleColor();
    DrawIcon(ImGui::GetWindowDrawList(), icon, ImGui::GetItemRectMin(), ImGui::GetItemRectSize().x);
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", tooltip);
    return pressed;
}

bool KeyPressed(ImGuiKey key) {
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key), false);
}

} // namespace

void SaveRecording() {
    std::string folder = PrepareRecordingChooser();
    FileChooserOptions options = ChooserInFolder("Save Recording", "Recordings (*.rec)", "*.rec", folder,
                                                 "Recording.rec", false, true);
    OpenFileChooser(options, [](const std::string& path) {
        if (!SaveRecordingTo(path)) ShowMessageBox("Unable to save recording", "Error...");
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
    int maxPos = static_cast<int>(std::min<uint32_t>(Recorder.sliderMax, INT_MAX));
    int pos = static_cast<int>(std::min<uint32_t>(Recorder.sliderPos, static_cast<uint32_t>(maxPos)));
    ImGui::BeginDisabled(!Recorder.sliderEnabled);
    ImGui::SetNextItemWidth(SliderWidth);
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() + (ButtonSize - ImGui::GetFrameHeight()) * 0.5f);
    bool moved = ImGui::SliderInt("##position", &pos, 0, maxPos, "%d", ImGuiSliderFlags_AlwaysClamp);
    bool dragging = ImGui::IsItemActive() && ImGui::IsMouseDown(ImGuiMouseButton_Left);
    ImGui::EndDisabled();
    if (ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
        ImGui::SetTooltip(recording ? "Position (disabled while recording)" : "Position");
    if (moved) {
        uint32_t p = static_cast<uint32_t>(std::max(pos, 0));
        if (dragging)
            RecorderSliderDragged(p);
        else
            Recorder.sliderPos = p; // keyboard steps move the thumb without seeking
    }
    ImGui::SameLine();

    if (IconButton("##record", Icon::Record, "Record", recording)) RecorderRecordPressed();
    ImGui::SameLine();
    if (IconButton("##load", Icon::Load, "Load recording", false)) LoadRecording();
    ImGui::SameLine();
    if (IconButton("##save", Icon::Save, "Save recording", false)) SaveRecording();

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
