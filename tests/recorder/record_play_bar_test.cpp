// The record/play bar in a headless ImGui context: button order, hiding with Esc and the close box,
// the slider following playback and seeking while dragged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <imgui.h>
#include <mutex>
#include <string>
#include <vector>

#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "platform/file_chooser.h"
#include "recorder/flight_recorder.h"
#include "recorder/record_play_bar_dialog.h"

namespace fs = std::filesystem;

namespace {

constexpr int EscapeKey = 27;

class RecordPlayBar : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/rv_recorder_bar_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ProgramDir = dir;
        InitFlightRecorder(dir + "/temporary.rec");
        SimPaused = false;
        SlowMotionPlayback = false;
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(800, 600);
        io.IniFilename = nullptr;
        io.KeyMap[ImGuiKey_Escape] = EscapeKey;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    }
    void TearDown() override {
        ImGui::DestroyContext();
        ShutdownRecorder();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // One frame with the mouse at pos (button held when down); returns the bar's window position.
    ImVec2 Frame(ImVec2 pos = ImVec2(-1, -1), bool down = false) {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = 1.0f / 60.0f;
        io.MousePos = pos;
        io.MouseDown[0] = down;
        ImGui::NewFrame();
        DrawRecordPlayBar();
        ImVec2 at(-1, -1);
        if (Recorder.visible) {
            ImGui::Begin("Record Playback");
            at = ImGui::GetWindowPos();
            ImGui::End();
        }
        ImGui::Render();
        return at;
    }
    // Clicks the centre of the point (x, y) measured from the bar's first button's top left corner.
    void Click(float x, float y) {
        ImVec2 origin = Frame();
        ImGuiStyle& style = ImGui::GetStyle();
        ImVec2 p(origin.x + style.WindowPadding.x + x,
                 origin.y + style.WindowPadding.y + ImGui::GetFrameHeight() + y);
        Frame(p, false);
        Frame(p, true);
        Frame(p, false);
    }
    // Centre of button i of the row (Play, Slow motion, Pause, Stop; then, after the slider and its time
    // text, Record, Load, Save, Instant replay as 4, 5, 6, 7).
    void ClickButton(int i) {
        float spacing = ImGui::GetStyle().ItemSpacing.x;
        float x = 14.0f + float(i) * (28.0f + spacing);
        if (i >= 4) x += 220.0f + spacing + ImGui::CalcTextSize("00:00.0 / 00:00.0").x + spacing;
        Click(x, 14.0f);
    }
    // Screen x of the centre of the slider's thumb at position pos of 0..max.
    float ThumbCentre(float sliderLeft, uint32_t pos, uint32_t max) {
        const ImGuiStyle& style = ImGui::GetStyle();
        float inner = 220.0f - 2.0f * style.FramePadding.y;
        float thumb = std::max(style.GrabMinSize, 12.0f);
        return sliderLeft + style.FramePadding.y + float(pos) / float(max) * (inner - thumb) + thumb * 0.5f;
    }
    std::string dir;
};

} // namespace

TEST_F(RecordPlayBar, ButtonsInTheirOrderAndHiding) {
    Frame();
    EXPECT_FALSE(Recorder.visible); // starts hidden
    ToggleBar();
    ASSERT_TRUE(Recorder.visible);
    Frame();

    ClickButton(4); // Record
    ASSERT_TRUE(RecorderRecording());
    for (int i = 0; i < 3; i++) {
        std::lock_guard<std::mutex> lock(SimMutex);
        RecordFrame();
    }
    ClickButton(2); // Pause
    EXPECT_TRUE(SimPaused);
    ClickButton(1); // Slow motion
    EXPECT_FALSE(SimPaused);
    EXPECT_TRUE(SlowMotionPlayback);
    ClickButton(3); // Stop
    EXPECT_FALSE(RecorderRecording());
    EXPECT_FALSE(SlowMotionPlayback);
    ClickButton(0); // Play
    EXPECT_TRUE(RecorderPlaying());

    // Esc hides the bar; playback carries on.
    ImGuiIO& io = ImGui::GetIO();
    io.KeysDown[EscapeKey] = true;
    Frame();
    io.KeysDown[EscapeKey] = false;
    Frame();
    EXPECT_FALSE(Recorder.visible);
    EXPECT_TRUE(RecorderPlaying());

    // Save and Load pause and open the chooser over the recordings folder.
    ToggleBar();
    Frame();
    ClickButton(6); // Save
    EXPECT_TRUE(SimPaused);
    EXPECT_TRUE(FileChooserIsOpen());
    EXPECT_TRUE(fs::is_directory(dir + "/recordings"));
}

TEST_F(RecordPlayBar, SliderFollowsPlaybackAndSeeksWhileDragged) {
    // A recording of 50 frames whose state's first float is the frame number.
    {
        std::ofstream out(dir + "/temporary.rec", std::ios::binary);
        uint32_t header[2] = {0x12123225, 50};
        out.write(reinterpret_cast<const char*>(header), 8);
        for (int n = 0; n < 50; n++) {
            float frame[22] = {};
            frame[0] = float(n);
            out.write(reinterpret_cast<const char*>(frame), 88);
        }
    }
    ToggleBar();
    Frame();
    StartPlayback();
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        for (int i = 0; i < 9; i++)
            PlayFrame(false);
    }
    EXPECT_EQ(Recorder.sliderPos.load(), 10u);
    Frame();

    // A press beside the thumb moves it there without seeking; the view and the playback stay as they are.
    float spacing = ImGui::GetStyle().ItemSpacing.x;
    ImVec2 origin = Frame();
    float left = origin.x + ImGui::GetStyle().WindowPadding.x + 4.0f * (28.0f + spacing);
    float y = origin.y + ImGui::GetStyle().WindowPadding.y + ImGui::GetFrameHeight() + 14.0f;
    const float heliBefore = Heli.voltageFactor;
    Frame(ImVec2(left + 180.0f, y), false);
    Frame(ImVec2(left + 180.0f, y), true);
    Frame(ImVec2(left + 200.0f, y), true);
    Frame(ImVec2(left + 200.0f, y), false);
    EXPECT_GT(Recorder.sliderPos.load(), 35u);
    EXPECT_EQ(Recorder.currentFrame.load(), 10u);
    EXPECT_EQ(Heli.voltageFactor, heliBefore);
    EXPECT_FALSE(SimPaused);

    // Dragging the thumb seeks frame by frame and leaves the playback paused there.
    Recorder.sliderPos = 10;
    float thumb = ThumbCentre(left, 10, 50);
    Frame(ImVec2(thumb, y), false);
    Frame(ImVec2(thumb, y), true);
    Frame(ImVec2(thumb - 100.0f, y), true);
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(Recorder.currentFrame.load(), 1u);
    EXPECT_EQ(Heli.voltageFactor, 0.0f);
    Frame(ImVec2(thumb + 20.0f, y), true);
    uint32_t middle = Recorder.currentFrame.load();
    EXPECT_GT(middle, 10u);
    EXPECT_LT(middle, 40u);
    EXPECT_EQ(Heli.voltageFactor, float(middle - 1));
    Frame(ImVec2(thumb + 20.0f, y), false);
    EXPECT_TRUE(SimPaused);
    EXPECT_TRUE(RecorderPlaying());

    // While recording the slider is disabled: dragging it does nothing.
    RecorderStopPressed();
    RecorderRecordPressed();
    ASSERT_TRUE(RecorderRecording());
    Frame(ImVec2(left + 2.0f, y), false);
    Frame(ImVec2(left + 2.0f, y), true);
    Frame(ImVec2(left + 150.0f, y), true);
    Frame(ImVec2(left + 150.0f, y), false);
    EXPECT_EQ(Recorder.sliderPos.load(), 0u);
    EXPECT_TRUE(RecorderRecording());
}

TEST_F(RecordPlayBar, HugeHeaderCountsAndTheInstantReplay) {
    // Headers claiming 2^30, 2^31 and 2^32 - 1 frames over three real frames (any foreign file): the bar
    // draws (an ImGui slider range past INT_MAX / 2 would abort here) and reaches frame 3 at most.
    for (uint32_t count : {0x40000000u, 0x80000000u, 0xFFFFFFFFu}) {
        {
            std::ofstream out(dir + "/temporary.rec", std::ios::binary);
            uint32_t header[2] = {0x12123225, count};
            out.write(reinterpret_cast<const char*>(header), 8);
            float frame[22] = {};
            for (int n = 0; n < 3; n++)
                out.write(reinterpret_cast<const char*>(frame), 88);
            out.write("tail", 4);
        }
        if (!Recorder.visible) ToggleBar();
        StartPlayback();
        EXPECT_EQ(Recorder.sliderMax.load(), 3u) << count;
        Recorder.sliderPos = 0xFFFFFFFFu;
        Frame();
        RecorderSliderDragged(0xFFFFFFF0u);
        EXPECT_LE(Recorder.currentFrame.load(), 4u);
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
    std::ifstream in(dir + "/temporary.rec", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 8u + 88u * 2400u);
    uint32_t header[2];
    std::memcpy(header, bytes.data(), 8);
    EXPECT_EQ(header[0], 0x12123225u);
    EXPECT_EQ(header[1], 2400u);
    for (int k : {0, 1, 1234, 2399}) {
        float first;
        std::memcpy(&first, bytes.data() + 8 + 88 * k, 4);
        EXPECT_EQ(first, float(600 + k)) << k;
    }
    EXPECT_EQ(Recorder.sliderMax.load(), 2400u);
    EXPECT_EQ(Recorder.name, "Instant replay (not saved)");
    Frame();
    // While recording it does nothing.
    RecorderRecordPressed();
    EXPECT_FALSE(TakeInstantReplay());
    EXPECT_TRUE(RecorderRecording());
}
