// The "Transmitter check" window and its 1 ms sampling thread.
#include <imgui.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include "app/shared_flags.h"
#include "input/shared_field.h"
#include "input/transmitter_check.h"
#include "app/transmitter.h"
#include "platform/joystick_device.h"

namespace {
std::mutex watchMutex;
AxisWatch watches[JoystickAxisCount];
std::thread sampler;
std::atomic<bool> sampling{false};
bool windowOpen = false;
// Warnings already written to the program's output (a pilot's bug report then shows them).
std::set<std::string> said;

void Sample() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    while (sampling.load()) {
        // Brings SDL's state up to date and reads the device in use under SDL's joystick lock, as the
        // tick does before a step.
        PollJoystickForStep();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        {
            std::lock_guard<std::mutex> lock(watchMutex);
            for (int i = 0; i < JoystickAxisCount; ++i)
                WatchAxisSample(watches[i], LoadShared(Calibration.raw[i]), seconds);
        }
        next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(next);
    }
}

void StopSampling() {
    sampling.store(false);
    if (sampler.joinable()) sampler.join();
}
} // namespace

void ShowTransmitterCheck() {
    StopSampling();
    {
        std::lock_guard<std::mutex> lock(watchMutex);
        for (AxisWatch& w : watches)
            w = AxisWatch{};
    }
    windowOpen = true;
    sampling.store(true);
    sampler = std::thread(Sample);
}

void StopTransmitterCheck() {
    StopSampling();
    windowOpen = false;
}

void DrawTransmitterCheck() {
    if (!windowOpen) {
        if (sampling.load()) StopSampling();
        return;
    }
    ImGui::SetNextWindowSize(ImVec2(620, 330), ImGuiCond_FirstUseEver);
    if (!ImGui::Begin("Transmitter check", &windowOpen)) return ImGui::End();
    AxisFigures figures[JoystickAxisCount];
    {
        std::lock_guard<std::mutex> lock(watchMutex);
        for (int i = 0; i < JoystickAxisCount; ++i)
            figures[i] = FiguresOf(watches[i]);
    }
    ImGui::TextWrapped(
        "Move every stick slowly from end to end. Each axis shows how often it sends a new value "
        "(over the last %.0f seconds) and in how many steps it moves over its travel.",
        CheckWindowSeconds);
    ImGui::Columns(4, "axes", false);
    for (const char* heading : {"Axis", "New value every", "95 % within", "Steps over the travel"}) {
        ImGui::TextDisabled("%s", heading);
        ImGui::NextColumn();
    }
    for (int i = 0; i < JoystickAxisCount; ++i) {
        const AxisFigures& f = figures[i];
        ImGui::Text("Axis %s", AxisNames[i]);
        ImGui::NextColumn();
        if (f.medianMs > 0.0)
            ImGui::Text("%.1f ms", f.medianMs);
        else
            ImGui::TextDisabled("%s", f.changes > 0 ? "moving..." : "not moved");
        ImGui::NextColumn();
        if (f.p95Ms > 0.0)
            ImGui::Text("%.1f ms", f.p95Ms);
        else
            ImGui::TextDisabled("-");
        ImGui::NextColumn();
        if (f.steps > 0)
            ImGui::Text("%d", f.steps);
        else
            ImGui::TextDisabled("-");
        ImGui::NextColumn();
    }
    ImGui::Columns(1);
    ImGui::Separator();
    const double frameMs =
        ImGui::GetIO().Framerate > 1.0f ? 1000.0 / ImGui::GetIO().Framerate : 1000.0 / 60.0;
    double meanMs = 0.0, worstMs = 0.0;
    StickToScreenMs(50.0, frameMs, meanMs, worstMs);
    ImGui::Text("This program, stick to screen at %.0f frames/s: about %.0f ms on average, %.0f ms at worst.",
                1000.0 / frameMs, meanMs, worstMs);
    bool fine = true;
    for (int i = 0; i < JoystickAxisCount; ++i)
        for (const std::string& warning : AxisWarnings(std::string("Axis ") + AxisNames[i], figures[i])) {
            fine = false;
            ImGui::PushTextWrapPos(0.0f);
            ImGui::TextColored(ImVec4(0.8f, 0.3f, 0.0f, 1.0f), "%s", warning.c_str());
            ImGui::PopTextWrapPos();
            if (said.insert(warning).second) std::printf("Transmitter check: %s\n", warning.c_str());
        }
    if (fine) ImGui::TextUnformatted("No axis is slow or steppy so far.");
    std::fflush(stdout);
    ImGui::End();
}
