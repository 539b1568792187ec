// Recorder tests on .rec files built byte by byte (an 8-byte header, then 88-byte frames of 16 state
// floats, 5 control floats and 4 flag bytes): the layout written, playback, seeking, foreign files, the
// record/play bar in a headless ImGui context, copies, the instant replay, times and names.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <string>

#include "app/shared_flags.h"
#include "assets/program_paths.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "input/control_input.h"
#include "recorder/flight_recorder_internal.h"
#include "recorder/record_play_bar_dialog.h"
#include "tests/assets/file_bytes.h"
#include "tests/shell/headless_imgui.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

namespace {

// The sixteen state floats and five controls of test frame n, all different; flags idle-up n % 2 and
// throttle hold (n / 2) % 2.
float StateValue(int n, int i) {
    return 1000.0f * float(n + 1) + float(i) + 0.25f;
}
float ControlValue(int n, int k) {
    return 0.01f * float(n) + 0.1f * float(k) - 0.3f;
}

Bytes Recording(uint32_t headerCount, int frames) {
    Bytes b = Bytes().le32(0x12123225).le32(headerCount);
    for (int n = 0; n < frames; n++) {
        for (int i = 0; i < 16; i++)
            b.le32(std::bit_cast<uint32_t>(StateValue(n, i)));
        for (int k = 0; k < 5; k++)
            b.le32(std::bit_cast<uint32_t>(ControlValue(n, k)));
        b.le32(uint32_t(n % 2) | uint32_t((n / 2) % 2) << 8);
    }
    return b;
}

float HeliFloat(int i) {
    return reinterpret_cast<const float*>(&Heli)[i];
}

// True when HeliState holds test frame n and the recorded controls and flags are those of frame n.
::testing::AssertionResult ShowsFrame(int n) {
    for (int i = 0; i < 16; i++)
        if (HeliFloat(i) != StateValue(n, i))
            return ::testing::AssertionFailure() << "state float " << i << " is " << HeliFloat(i);
    for (int k = 0; k < 5; k++)
        if (GetRecordedInput(k) != ControlValue(n, k))
            return ::testing::AssertionFailure() << "control " << k << " is " << GetRecordedInput(k);
    if (GetRecordedFlag(0) != (n % 2 == 1) || GetRecordedFlag(1) != ((n / 2) % 2 == 1))
        return ::testing::AssertionFailure() << "flags differ";
    return ::testing::AssertionSuccess();
}

// Makes test frame n the live state and controls, as the step would leave them.
void SetLiveFrame(int n) {
    float* f = reinterpret_cast<float*>(&Heli);
    for (int i = 0; i < 16; i++)
        f[i] = StateValue(n, i);
    for (int k = 0; k < 5; k++)
        ControlsForFrame.controls[k] = ControlValue(n, k);
    ControlsForFrame.idleUp = n % 2 == 1;
    ControlsForFrame.throttleHold = (n / 2) % 2 == 1;
}

// One dynamics step's worth of recorder work, as the step does it with the lock held.
void StepRecorder() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (SimPaused) return;
    if (RecorderRecording())
        RecordFrame();
    else if (RecorderPlaying())
        PlayFrame(false);
}

// Each test gets an empty program folder with the scratch file temporary.rec in it, and the bar shown.
class RecorderFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = FreshFolder("recorder").string();
        ProgramDir = dir;
        scratch = dir + "/temporary.rec";
        InitFlightRecorder(scratch);
        SimPaused = SlowMotionPlayback = false;
        ControlsForFrame = FrameControls{};
        CreateHeadlessImGui(800, 600);
        ToggleBar();
        Frame();
    }
    void TearDown() override {
        ImGui::DestroyContext();
        ShutdownRecorder();
        std::filesystem::remove_all(dir);
    }
    // One frame with the mouse at x on the row of the bar's buttons (button held when down).
    void Frame(float x = -1.0f, bool down = false) {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = 1.0f / 60.0f;
        io.MousePos = x < 0 ? ImVec2(-1, -1) : ImVec2(x, rowY);
        io.MouseDown[0] = down;
        ImGui::NewFrame();
        DrawRecordPlayBar();
        if (dialogs) {
            DrawFileChooser();
            DrawMessageBoxes();
        }
        if (Recorder.visible) {
            ImGui::Begin("Record Playback");
            const ImGuiStyle& style = ImGui::GetStyle();
            left = ImGui::GetWindowPos().x + style.WindowPadding.x;
            rowY = ImGui::GetWindowPos().y + style.WindowPadding.y + ImGui::GetFrameHeight() + 14.0f;
            ImGui::End();
        }
        ImGui::Render();
    }
    // Presses the mouse at the first point, moves it to each of the others while held, releases it.
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
    float SliderLeft() { return left + 4.0f * (28.0f + ImGui::GetStyle().ItemSpacing.x); }
    void Play(const Bytes& file) {
        WriteFile(scratch, file);
        StartPlayback();
    }
    std::string dir;
    std::string scratch;
    float left = 0.0f, rowY = 0.0f;
    bool dialogs = false; // frames draw the file chooser and the message boxes too
};

} // namespace

TEST_F(RecorderFiles, RecordingWritesHeaderAndFramesInTheirLayout) {
    ASSERT_TRUE(StartRecording());
    for (int n = 0; n < 4; n++) {
        SetLiveFrame(n);
        StepRecorder();
    }
    StopRecorder();
    EXPECT_EQ(Recorder.sliderMax.load(), 4u);
    EXPECT_EQ(ReadFile(scratch), Recording(4, 4));
    // An empty recording is the bare header; no frames are written while the simulation is paused.
    ASSERT_TRUE(StartRecording());
    SimPaused = true;
    StepRecorder();
    StopRecorder();
    EXPECT_EQ(ReadFile(scratch), Recording(0, 0));
    // A recording running at exit gets its count.
    ASSERT_TRUE(StartRecording());
    SetLiveFrame(0);
    StepRecorder();
    ShutdownRecorder();
    EXPECT_EQ(ReadFile(scratch), Recording(1, 1));
}

TEST_F(RecorderFiles, PlaybackOfAHeaderOfZeroToItsEndAndSeeking) {
    Play(Recording(0, 4));
    EXPECT_EQ(Recorder.sliderMax.load(), 0u);
    EXPECT_TRUE(ShowsFrame(0));
    for (int n = 1; n < 4; n++) {
        StepRecorder();
        EXPECT_TRUE(ShowsFrame(n));
        EXPECT_EQ(Recorder.sliderPos.load(), uint32_t(n + 1));
    }
    Frame(); // the bar's thumb and times past a range of 0
    // Past the last frame (the step has moved the state on): paused, not playing, the last frame shown.
    Heli.position.x = -1.0f;
    SlowMotionPlayback = true;
    StepRecorder();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_TRUE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    EXPECT_TRUE(ShowsFrame(3));

    Play(Recording(6, 6));
    RecorderSliderDragged(3);
    EXPECT_TRUE(ShowsFrame(3));
    EXPECT_EQ(Recorder.currentFrame.load(), 4u);
    EXPECT_EQ(Recorder.sliderPos.load(), 3u);
    EXPECT_TRUE(SimPaused);
    RecorderSliderDragged(1);
    RecorderPlayPressed(); // resumes from there at full speed
    EXPECT_FALSE(SimPaused);
    StepRecorder();
    EXPECT_TRUE(ShowsFrame(2));
    EXPECT_EQ(Recorder.sliderPos.load(), 3u);
    // The thumb past the last frame: the end of the playback, and the picture stays as it is.
    Heli.position.x = 42.0f;
    RecorderSliderDragged(0xFFFFFFF0u);
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_EQ(Recorder.currentFrame.load(), 6u);
    EXPECT_EQ(Heli.position.x, 42.0f);
    // Not playing: the thumb moves but nothing is read.
    RecorderSliderDragged(0);
    EXPECT_EQ(Recorder.sliderPos.load(), 0u);
    EXPECT_EQ(Heli.position.x, 42.0f);
}

TEST_F(RecorderFiles, DamagedFilesAndAMissingScratchFile) {
    // A last frame cut inside its controls: the state is shown, the missing bytes keep the last values.
    Bytes cut = Recording(0, 2);
    cut.resize(8 + 88 + 64 + 6); // Roll and half of Pitch of frame 1
    Play(cut);
    StepRecorder();
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_EQ(HeliFloat(0), StateValue(1, 0));
    EXPECT_EQ(GetRecordedInput(Roll), ControlValue(1, 0));
    EXPECT_EQ(GetRecordedInput(Throttle), ControlValue(0, 3));
    // Shorter than a header, empty, or a header claiming four thousand million frames.
    for (const Bytes& tiny : {Bytes{0x25, 0x32, 0x12}, Bytes{}, Recording(0xFFFFFFFFu, 1)}) {
        Play(tiny);
        RecorderSliderDragged(0xFFFFFFF0u);
        EXPECT_FALSE(RecorderPlaying());
        EXPECT_LE(Recorder.currentFrame.load(), 1u);
    }
    EXPECT_EQ(GetRecordedInput(5), 0.0f);
    EXPECT_FALSE(GetRecordedFlag(7));
    // No scratch file to play, and one that cannot be created.
    std::filesystem::remove(scratch);
    StartPlayback();
    EXPECT_FALSE(RecorderPlaying());
    InitFlightRecorder(dir + "/no/such/folder/temporary.rec");
    RecorderRecordPressed();
    EXPECT_FALSE(RecorderRecording());
    EXPECT_NE(Recorder.statusText.find("temporary.rec"), std::string::npos);
}

// The bar's buttons in their order, each row with the recorder and the simulation as the click leaves
// them: Record from a pause, nothing of Play while recording or of Record while playing, Pause toggling.
TEST_F(RecorderFiles, BarButtonsInTheirOrderEscAndSave) {
    enum { Play, Slow, Pause, Stop, Record };
    const struct {
        int button;
        bool recording, playing, paused, slow;
    } clicks[] = {{Record, true, false, false, false}, {Play, true, false, false, false},
                  {Pause, true, false, true, false},   {Slow, true, false, false, true},
                  {Stop, false, false, false, false},  {Play, false, true, false, false},
                  {Record, false, true, false, false}, {Pause, false, true, true, false},
                  {Play, false, true, false, false},   {Slow, false, true, false, true},
                  {Pause, false, true, true, false},   {Pause, false, true, false, false}};
    SimPaused = true;
    for (const auto& c : clicks) {
        ClickButton(c.button);
        if (&c == clicks) { // one frame to play afterwards
            SetLiveFrame(0);
            StepRecorder();
        }
        EXPECT_EQ(RecorderRecording(), c.recording) << "click " << &c - clicks;
        EXPECT_EQ(RecorderPlaying(), c.playing) << "click " << &c - clicks;
        EXPECT_EQ(SimPaused, c.paused) << "click " << &c - clicks;
        EXPECT_EQ(SlowMotionPlayback, c.slow) << "click " << &c - clicks;
    }
    EXPECT_EQ(ReadFile(scratch), Recording(1, 1)); // a playback never writes
    // Esc hides the bar; playback carries on.
    ImGui::GetIO().KeysDown[ImGuiKey_Escape] = true;
    Frame();
    ImGui::GetIO().KeysDown[ImGuiKey_Escape] = false;
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

TEST_F(RecorderFiles, SliderFollowsPlaybackAndSeeksOnlyWhileTheThumbIsDragged) {
    Play(Recording(50, 50));
    for (int i = 0; i < 9; i++)
        StepRecorder();
    EXPECT_EQ(Recorder.sliderPos.load(), 10u);
    Frame();
    // A press beside the thumb moves it there without seeking; the view and the playback stay as they are.
    Drag({SliderLeft() + 180.0f, SliderLeft() + 200.0f});
    EXPECT_GT(Recorder.sliderPos.load(), 35u);
    EXPECT_EQ(Recorder.currentFrame.load(), 10u);
    EXPECT_EQ(Heli.voltageFactor, StateValue(9, 0));
    EXPECT_FALSE(SimPaused);
    // Dragging the thumb (its centre at position 10 of 50) seeks frame by frame, paused there.
    Recorder.sliderPos = 10;
    const ImGuiStyle& style = ImGui::GetStyle();
    const float grab = std::max(style.GrabMinSize, 12.0f);
    const float thumb = SliderLeft() + style.FramePadding.y +
                        0.2f * (220.0f - 2.0f * style.FramePadding.y - grab) + grab * 0.5f;
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

TEST_F(RecorderFiles, SaveAndLoadCopyThroughTheScratchFile) {
    const std::string folder = PrepareRecordingChooser();
    EXPECT_EQ(folder, dir + "/recordings");
    EXPECT_FALSE(SaveRecordingTo(folder + "/Recording.rec")); // nothing recorded yet
    // Saving while recording copies what has been written so far.
    ASSERT_TRUE(StartRecording());
    StepRecorder();
    ASSERT_TRUE(SaveRecordingTo(folder + "/Recording.rec"));
    EXPECT_EQ(ReadFile(folder + "/Recording.rec").size(), 8u + 88u);
    EXPECT_TRUE(RecorderRecording());
    // Loading while recording finishes that recording, then replaces the scratch file; the loaded flight
    // waits on its first frame.
    WriteFile(folder + "/chosen.rec", Recording(5, 5));
    ASSERT_TRUE(LoadRecordingFrom(folder + "/chosen.rec"));
    EXPECT_FALSE(RecorderRecording());
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(Recorder.sliderMax.load(), 5u);
    EXPECT_EQ(ReadFile(scratch), Recording(5, 5));
    EXPECT_TRUE(ShowsFrame(0));
    // The scratch file saved onto and loaded from itself, a chosen file that is gone, or a folder: nothing
    // changes and the playback is kept.
    EXPECT_TRUE(SaveRecordingTo(scratch));
    EXPECT_TRUE(LoadRecordingFrom(scratch));
    EXPECT_FALSE(LoadRecordingFrom(folder + "/gone.rec"));
    EXPECT_FALSE(LoadRecordingFrom(folder));
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_EQ(ReadFile(scratch), Recording(5, 5));

    // The bar's Save and Load with the chooser's pre-filled name confirmed by Enter: each reaches its file,
    // and the failure message shows only when the copy fails. True when the message showed (then closed).
    dialogs = true;
    auto choose = [&](void (*command)()) {
        command();
        for (bool down : {false, false, true, false, false, false}) {
            ImGui::GetIO().KeysDown[ImGuiKey_Enter] = down;
            Frame();
        }
        const ImGuiWindow* box = ImGui::FindWindowByName("Error...###messagebox");
        const bool shown = box && box->Active;
        for (bool down : {true, false, false})
            ImGui::GetIO().KeysDown[ImGuiKey_Enter] = down, Frame();
        return shown;
    };
    RecorderStopPressed();
    WriteFile(folder + "/Recording.rec", Recording(3, 3));
    EXPECT_FALSE(choose(LoadRecording));
    EXPECT_EQ(ReadFile(scratch), Recording(3, 3));
    std::filesystem::remove_all(folder);
    EXPECT_FALSE(choose(SaveRecording));
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    EXPECT_EQ(ReadFile(std::filesystem::directory_iterator(folder)->path()), Recording(3, 3));
    std::filesystem::remove_all(folder);
    InitFlightRecorder(dir + "/gone/temporary.rec");
    EXPECT_TRUE(choose(SaveRecording));
    WriteFile(folder + "/Recording.rec", Recording(3, 3));
    EXPECT_TRUE(choose(LoadRecording));
}

TEST_F(RecorderFiles, HugeHeaderCountsInstantReplayTimesNamesAndPlayableFrames) {
    // Headers claiming 2^30, 2^31 and 2^32 - 1 frames over three real frames and a tail: the bar draws (an
    // ImGui slider range past INT_MAX / 2 would abort here) and reaches frame 3 at most.
    for (uint32_t count : {0x40000000u, 0x80000000u, 0xFFFFFFFFu}) {
        Bytes file = Recording(count, 3);
        file.resize(file.size() + 4, 'x');
        Play(file);
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

    // 20 frames a second; tenths are cut, not rounded.
    const struct {
        uint32_t frames;
        const char* text;
    } times[] = {
        {0, "0:00.0"}, {3, "0:00.1"}, {1234, "1:01.7"}, {12000, "10:00.0"}, {0xFFFFFFFFu, "3579139:24.7"}};
    for (const auto& c : times)
        EXPECT_EQ(RecordingTimeText(c.frames), c.text) << c.frames;
    const struct {
        const char *raw, *shown;
    } names[] = {{"caf\xc3\xa9.rec", "caf\xc3\xa9.rec"},
                 {"bad\xff\xfe.rec", "bad??.rec"},
                 {"cut\xc3", "cut?"},
                 {"over\xc1\x81", "over??"}, // an overlong "A"
                 {"sur\xed\xa0\x80", "sur???"},
                 {"tab\tnew\nline", "tab new line"}};
    for (const auto& c : names)
        EXPECT_EQ(DisplayableName(c.raw), c.shown) << c.raw;
    const struct {
        uint32_t header;
        uint64_t bytes;
        uint32_t playable;
    } frames[] = {{0, 8 + 88 * 5, 0}, {9, 8 + 88 * 5, 5}, {0x40000000u, 8 + 88 * 3 + 87, 3}, {7, 7, 0}};
    for (const auto& c : frames)
        EXPECT_EQ(PlayableFrames(c.header, c.bytes), c.playable) << c.header << " " << c.bytes;
    std::tm t{};
    strptime("2026-12-07 01:02:03", "%Y-%m-%d %H:%M:%S", &t); // local time
    t.tm_isdst = -1;
    EXPECT_EQ(DatedRecordingName(std::mktime(&t)), "Flight 2026-12-07 01-02-03.rec");
}
