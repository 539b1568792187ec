// The record/play bar in a headless ImGui context: button order, hiding with Esc, the slider following
// playback and seeking only while its thumb is dragged, huge header counts and the instant replay.
#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "flight/heli_state.h"
#include "platform/file_chooser.h"
#include "recorder/record_play_bar_dialog.h"
#include "recorder_test_files.h"

namespace {

constexpr int EscapeKey = 27;

class RecordPlayBar : public RecorderFiles {
  protected:
    void SetUp() override {
        RecorderFiles::SetUp();
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(800, 600);
        io.IniFilename = nullptr;
        io.KeyMap[ImGuiKey_Escape] = EscapeKey;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        ToggleBar();
        Frame();
    }
    void TearDown() override {
        ImGui::DestroyContext();
        RecorderFiles::TearDown();
    }
    // One frame with the mouse at x on the row of the bar's buttons (button held when down).
    void Frame(float x = -1.0f, bool down = false) {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = 1.0f / 60.0f;
        io.MousePos = x < 0 ? ImVec2(-1, -1) : ImVec2(x, rowY);
        io.MouseDown[0] = down;
        ImGui::NewFrame();
        DrawRecordPlayBar();
        if (Recorder.visible) {
            ImGui::Begin("Record Playback");
            const ImGuiStyle& style = ImGui::GetStyle();
            left = ImGui::GetWindowPos().x + style.WindowPadding.x;
            rowY = ImGui::GetWindowPos().y + style.WindowPadding.y + ImGui::GetFrameHeight() + 14.0f;
            ImGui::End();
        }
        ImGui::Render();
    }
    // Presses and releases the mouse at from, moving it to each of the other points while held.
    void Drag(std::initializer_list<float> xs) {
        Frame(*xs.begin());
        for (float x : xs)
            Frame(x, true);
        Frame(*(xs.end() - 1));
    }
    // Button i of the row: Play, Slow motion, Pause, Stop; then, after the slider and its time text,
    // Record, Load, Save, Instant replay as 4, 5, 6, 7.
    void ClickButton(int i) {
        const float spacing = ImGui::GetStyle().ItemSpacing.x;
        float x = left + 14.0f + float(i) * (28.0f + spacing);
        if (i >= 4) x += 220.0f + spacing + ImGui::CalcTextSize("00:00.0 / 00:00.0").x + spacing;
        Drag({x});
    }
    // Screen x of the centre of the slider's thumb at position pos of 0..max.
    float ThumbCentre(uint32_t pos, uint32_t max) {
        const ImGuiStyle& style = ImGui::GetStyle();
        const float thumb = std::max(style.GrabMinSize, 12.0f);
        return SliderLeft() + style.FramePadding.y +
               float(pos) / float(max) * (220.0f - 2.0f * style.FramePadding.y - thumb) + thumb * 0.5f;
    }
    float SliderLeft() { return left + 4.0f * (28.0f + ImGui::GetStyle().ItemSpacing.x); }
    float left = 0.0f, rowY = 0.0f;
};

} // namespace

TEST_F(RecordPlayBar, ButtonsInTheirOrderAndHiding) {
    const struct {
        int button;
        bool recording, playing, paused, slow;
    } clicks[] = {{4, true, false, false, false},
                  {2, true, false, true, false},
                  {1, true, false, false, true},
                  {3, false, false, false, false},
                  {0, false, true, false, false}};
    for (const auto& c : clicks) {
        ClickButton(c.button);
        if (c.button == 4) { // a frame to play afterwards
            std::lock_guard<std::mutex> lock(SimMutex);
            RecordFrame();
        }
        EXPECT_EQ(RecorderRecording(), c.recording) << "button " << c.button;
        EXPECT_EQ(RecorderPlaying(), c.playing) << "button " << c.button;
        EXPECT_EQ(SimPaused, c.paused) << "button " << c.button;
        EXPECT_EQ(SlowMotionPlayback, c.slow) << "button " << c.button;
    }
    // Esc hides the bar; playback carries on.
    ImGui::GetIO().KeysDown[EscapeKey] = true;
    Frame();
    ImGui::GetIO().KeysDown[EscapeKey] = false;
    Frame();
    EXPECT_FALSE(Recorder.visible);
    EXPECT_TRUE(RecorderPlaying());
    // Save pauses and opens the chooser over the recordings folder.
    ToggleBar();
    Frame();
    ClickButton(6);
    EXPECT_TRUE(SimPaused);
    EXPECT_TRUE(FileChooserIsOpen());
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/recordings"));
}

TEST_F(RecordPlayBar, SliderFollowsPlaybackAndSeeksOnlyWhileTheThumbIsDragged) {
    WriteFile(scratch, Recording(50, 50));
    StartPlayback();
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        for (int i = 0; i < 9; i++)
            PlayFrame(false);
    }
    EXPECT_EQ(Recorder.sliderPos.load(), 10u);
    Frame();
    // A press beside the thumb moves it there without seeking; the view and the playback stay as they are.
    Drag({SliderLeft() + 180.0f, SliderLeft() + 200.0f});
    EXPECT_GT(Recorder.sliderPos.load(), 35u);
    EXPECT_EQ(Recorder.currentFrame.load(), 10u);
    EXPECT_EQ(Heli.voltageFactor, StateValue(9, 0));
    EXPECT_FALSE(SimPaused);
    // Dragging the thumb seeks frame by frame and leaves the playback paused there.
    Recorder.sliderPos = 10;
    const float thumb = ThumbCentre(10, 50);
    Frame(thumb);
    Frame(thumb, true);
    Frame(thumb - 100.0f, true);
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(Recorder.currentFrame.load(), 1u);
    EXPECT_EQ(Heli.voltageFactor, StateValue(0, 0));
    Frame(thumb + 20.0f, true);
    const uint32_t middle = Recorder.currentFrame.load();
    EXPECT_GT(middle, 10u);
    EXPECT_LT(middle, 40u);
    EXPECT_EQ(Heli.voltageFactor, StateValue(int(middle) - 1, 0));
    Frame(thumb + 20.0f);
    EXPECT_TRUE(RecorderPlaying());
    // While recording the slider is disabled: dragging it does nothing.
    RecorderStopPressed();
    RecorderRecordPressed();
    Drag({SliderLeft() + 150.0f});
    EXPECT_EQ(Recorder.sliderPos.load(), 0u);
    EXPECT_TRUE(RecorderRecording());
}

TEST_F(RecordPlayBar, HugeHeaderCountsAndTheInstantReplay) {
    // Headers claiming 2^30, 2^31 and 2^32 - 1 frames over three real frames and a tail: the bar draws (an
    // ImGui slider range past INT_MAX / 2 would abort here) and reaches frame 3 at most.
    for (uint32_t count : {0x40000000u, 0x80000000u, 0xFFFFFFFFu}) {
        Bytes file = Recording(count, 3);
        file.resize(file.size() + 4, 'x');
        WriteFile(scratch, file);
        StartPlayback();
        EXPECT_EQ(Recorder.sliderMax.load(), 3u) << count;
        Recorder.sliderPos = 0xFFFFFFFFu;
        Frame();
        RecorderSliderDragged(0xFFFFFFF0u);
        EXPECT_EQ(Recorder.currentFrame.load(), 3u) << count;
        Frame();
        RecorderStopPressed();
    }
    // The instant replay keeps the last 2400 steps flown; its button makes them the recording, laid out
    // as a stopped recording. Frame k of the file is step 600 + k (the first 600 have dropped out).
    EXPECT_FALSE(TakeInstantReplay());
    EXPECT_FALSE(Recorder.statusText.empty());
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        for (int step = 0; step < 3000; step++) {
            Heli.voltageFactor = float(step);
            KeepInstantReplayFrame();
        }
    }
    ClickButton(7);
    const Bytes bytes = ReadFile(scratch);
    ASSERT_EQ(bytes.size(), 8u + 88u * 2400u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), Bytes({0x25, 0x32, 0x12, 0x12, 0x60, 0x09, 0, 0}));
    for (int k : {0, 1, 1234, 2399}) {
        float first;
        std::memcpy(&first, bytes.data() + 8 + 88 * k, 4);
        EXPECT_EQ(first, float(600 + k)) << k;
    }
    EXPECT_EQ(Recorder.sliderMax.load(), 2400u);
    EXPECT_EQ(Recorder.name, "Instant replay (not saved)");
    RecorderRecordPressed();
    EXPECT_FALSE(TakeInstantReplay()); // nothing while recording
}
