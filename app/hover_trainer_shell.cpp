// Hover trainer wiring: tick update, result queue, history file and window, overlay line.
#include "app/hover_trainer_shell.h"

#include <imgui.h>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "assets/program_paths.h"
#include "app/shared_flags.h"
#include "app/training_history.h"
#include "flight/heli_step.h"
#include "flight/heli_state.h"
#include "flight/hover_trainer.h"
#include "recorder/flight_recorder.h"

namespace {
// Finished tasks waiting for the main thread (guarded by SimMutex).
std::vector<HoverResult> finishedTasks;
bool historyOpen = false;
TrainingHistory shownHistory;

std::string LocalDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

void SaveFinishedTasks() {
    std::vector<HoverResult> results;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        results.swap(finishedTasks);
    }
    for (const HoverResult& r : results) {
        TrainingRecord record{LocalDate(), HoverTaskName(r.task), r.held, r.flown};
        AppendTrainingRecord(WritePath("TrainingHistory.txt"), record);
    }
    if (!results.empty() && historyOpen) shownHistory = LoadTrainingHistory(ReadPath("TrainingHistory.txt"));
}

void DrawHistoryWindow() {
    if (!historyOpen) return;
    ImGui::SetNextWindowSize(ImVec2(460, 320), ImGuiCond_FirstUseEver);
    if (!ImGui::Begin("Training history", &historyOpen)) return ImGui::End();
    if (shownHistory.damagedLines > 0)
        ImGui::TextColored(ImVec4(0.8f, 0.3f, 0.0f, 1.0f),
                           "%zu damaged lines of TrainingHistory.txt are not shown.",
                           shownHistory.damagedLines);
    if (shownHistory.records.empty()) ImGui::TextUnformatted("No task finished yet.");
    for (int task = 0; task < HoverTaskCount; ++task) {
        const char* name = HoverTaskName(task);
        int count = 0, best = 0;
        for (const TrainingRecord& r : shownHistory.records)
            if (r.task == name) {
                count += 1;
                if (TrainingScorePercent(r) > best) best = TrainingScorePercent(r);
            }
        if (count == 0) continue;
        if (!ImGui::CollapsingHeader(name, ImGuiTreeNodeFlags_DefaultOpen)) continue;
        ImGui::Text("%d finished, best score %d %%", count, best);
        ImGui::Columns(3, name, false);
        for (auto it = shownHistory.records.rbegin(); it != shownHistory.records.rend(); ++it) {
            if (it->task != name) continue;
            ImGui::TextUnformatted(it->date.c_str());
            ImGui::NextColumn();
            ImGui::Text("%.0f s in %.0f s", static_cast<double>(it->held), static_cast<double>(it->flown));
            ImGui::NextColumn();
            ImGui::Text("%d %%", TrainingScorePercent(*it));
            ImGui::NextColumn();
        }
        ImGui::Columns(1);
    }
    ImGui::End();
}
} // namespace

void HoverTrainerTick() {
    // A recording played back is scored too (to look at a flight again), but only flights flown go into
    // the history; slow motion steps only one tick in eight, so it is not scored.
    if (!Trainer.active || SimPaused || SlowMotionPlayback) return;
    HoverResult result;
    const Vec3 pad = set(HeliStartPosition.x, HeliStartPosition.y, 0.0f);
    if (UpdateHoverTrainer(Trainer, Heli.position, Heli.noseAxis, FlightState, pad, SimTimeStep, result) &&
        !RecorderPlaying())
        finishedTasks.push_back(result);
}

void ToggleHoverTrainer() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (Trainer.active)
        Trainer.active = false;
    else
        StartHoverTrainer(Trainer);
}

bool HoverTrainerOn() {
    std::lock_guard<std::mutex> lock(SimMutex);
    return Trainer.active;
}

void ShowTrainingHistory() {
    shownHistory = LoadTrainingHistory(ReadPath("TrainingHistory.txt"));
    historyOpen = true;
}

void DrawHoverTrainerUi(int menuHeight, int clientWidth) {
    SaveFinishedTasks();
    DrawHistoryWindow();
    HoverTrainer t;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        t = Trainer;
    }
    if (!t.active) return;
    char line[200];
    if (t.allDone)
        std::snprintf(line, sizeof line, "Hover trainer: all four tasks done (Training history lists them)");
    else if (!t.started)
        std::snprintf(line, sizeof line, "Hover trainer: fly into the box over the pad, %s",
                      HoverTaskName(t.task));
    else
        std::snprintf(line, sizeof line, "Hover trainer: %s   held %.0f of %.0f s   score %d %%",
                      HoverTaskName(t.task), static_cast<double>(t.held),
                      static_cast<double>(HoverTaskSeconds), static_cast<int>(HoverScore(t) * 100.0f + 0.5f));
    ImDrawList* draw = ImGui::GetForegroundDrawList();
    const ImVec2 size = ImGui::CalcTextSize(line);
    const ImVec2 at(clientWidth * 0.5f - size.x * 0.5f, menuHeight + 12.0f);
    draw->AddRectFilled(ImVec2(at.x - 8, at.y - 4), ImVec2(at.x + size.x + 8, at.y + size.y + 4),
                        IM_COL32(0, 0, 0, 120), 4.0f);
    draw->AddText(at, t.inside ? IM_COL32(140, 255, 140, 255) : IM_COL32(255, 255, 255, 255), line);
}
