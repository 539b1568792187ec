// Recorder tests on .rec files built byte by byte: the layout written, playback to the end, seeking,
// foreign files, the bar's actions, copies to and from the scratch file, times and names.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

#include "flight/heli_state.h"
#include "recorder_test_files.h"

namespace {

float HeliFloat(int i) {
    float v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&Heli) + 4 * i, 4);
    return v;
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
        LastControlInputs[k] = ControlValue(n, k);
    ScriptedControlInput = [](ControlFunction) { return 0.0f; };
    ScriptedIdleUp = n % 2 == 1;
    ScriptedThrottleHold = (n / 2) % 2 == 1;
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

} // namespace

TEST_F(RecorderFiles, RecordingWritesHeaderAndFramesInTheirLayout) {
    ASSERT_TRUE(StartRecording());
    EXPECT_FALSE(Recorder.sliderEnabled);
    for (int n = 0; n < 4; n++) {
        SetLiveFrame(n);
        StepRecorder();
    }
    StopRecorder();
    EXPECT_TRUE(Recorder.sliderEnabled);
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

TEST_F(RecorderFiles, HeaderOfZeroStillPlaysEveryFrameAndTheEndPauses) {
    WriteFile(scratch, Recording(0, 4));
    StartPlayback();
    ASSERT_TRUE(RecorderPlaying());
    EXPECT_EQ(Recorder.sliderMax.load(), 0u);
    EXPECT_TRUE(ShowsFrame(0));
    for (int n = 1; n < 4; n++) {
        StepRecorder();
        EXPECT_TRUE(ShowsFrame(n));
        EXPECT_EQ(Recorder.currentFrame.load(), uint32_t(n + 1));
        EXPECT_EQ(Recorder.sliderPos.load(), uint32_t(n + 1));
    }
    // Past the last frame (the step has moved the state on): paused, not playing, the last frame shown.
    Heli.position.x = -1.0f;
    SlowMotionPlayback = true;
    StepRecorder();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_TRUE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    EXPECT_TRUE(ShowsFrame(3));
    // "Play" starts again at the first frame.
    RecorderPlayPressed();
    EXPECT_FALSE(SimPaused);
    EXPECT_TRUE(ShowsFrame(0));
    StepRecorder();
    EXPECT_TRUE(ShowsFrame(1));
}

TEST_F(RecorderFiles, SeekingToPShowsFramePAndLeavesTheThumbWhereItWasPut) {
    WriteFile(scratch, Recording(6, 6));
    StartPlayback();
    EXPECT_EQ(Recorder.sliderMax.load(), 6u);
    RecorderSliderDragged(3);
    EXPECT_TRUE(ShowsFrame(3));
    EXPECT_EQ(Recorder.currentFrame.load(), 4u);
    EXPECT_EQ(Recorder.sliderPos.load(), 3u);
    EXPECT_TRUE(SimPaused);
    StepRecorder(); // paused: nothing moves
    EXPECT_TRUE(ShowsFrame(3));
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
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(Recorder.currentFrame.load(), 6u);
    EXPECT_EQ(Heli.position.x, 42.0f);
    // Not playing: the thumb moves but nothing is read.
    RecorderSliderDragged(0);
    EXPECT_EQ(Recorder.sliderPos.load(), 0u);
    EXPECT_EQ(Heli.position.x, 42.0f);
}

TEST_F(RecorderFiles, FilesOfAnotherKindAreReadAsFramesWithoutHarm) {
    // Text: two whole frames' worth and a 30-byte tail shorter than a state; the header claims 0x54545454.
    WriteFile(dir + "/notes.txt", Bytes(8 + 2 * 88 + 30, 'T'));
    ASSERT_TRUE(LoadRecordingFrom(dir + "/notes.txt"));
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_TRUE(SimPaused); // a loaded flight waits on its first frame
    EXPECT_EQ(Recorder.sliderMax.load(), 2u);
    SimPaused = false;
    for (int i = 0; i < 5 && RecorderPlaying(); i++)
        StepRecorder();
    EXPECT_EQ(Recorder.currentFrame.load(), 2u);
    // A last frame cut inside its controls: the state is shown, the missing bytes keep the last values.
    Bytes cut = Recording(0, 2);
    cut.resize(8 + 88 + 64 + 6); // Roll and half of Pitch of frame 1
    WriteFile(scratch, cut);
    StartPlayback();
    StepRecorder();
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_EQ(HeliFloat(0), StateValue(1, 0));
    EXPECT_EQ(GetRecordedInput(Roll), ControlValue(1, 0));
    EXPECT_EQ(GetRecordedInput(Throttle), ControlValue(0, 3));
    // Shorter than a header, empty, or a header claiming four thousand million frames.
    for (const Bytes& tiny : {Bytes{0x25, 0x32, 0x12}, Bytes{}, Recording(0xFFFFFFFFu, 1)}) {
        WriteFile(scratch, tiny);
        StartPlayback();
        RecorderSliderDragged(0xFFFFFFF0u);
        EXPECT_FALSE(RecorderPlaying());
        EXPECT_LE(Recorder.currentFrame.load(), 1u);
    }
    EXPECT_EQ(GetRecordedInput(5), 0.0f);
    EXPECT_FALSE(GetRecordedFlag(7));
}

TEST_F(RecorderFiles, MissingAndUncreatableScratchFile) {
    StartPlayback();
    EXPECT_FALSE(RecorderPlaying());
    InitFlightRecorder(dir + "/no/such/folder/temporary.rec");
    RecorderRecordPressed();
    EXPECT_FALSE(RecorderRecording());
    EXPECT_NE(Recorder.statusText.find("temporary.rec"), std::string::npos);
    InitFlightRecorder(scratch);
    EXPECT_TRUE(StartRecording());
    EXPECT_TRUE(Recorder.statusText.empty());
}

TEST_F(RecorderFiles, BarActions) {
    WriteFile(scratch, Recording(3, 3));
    RecorderPlayPressed();
    ASSERT_TRUE(RecorderPlaying());
    RecorderRecordPressed(); // nothing while playing
    EXPECT_FALSE(RecorderRecording());
    // Each row: the button, then pause and slow motion as it leaves them.
    const struct {
        void (*press)();
        bool paused, slow;
    } presses[] = {{RecorderPausePressed, true, false},      {RecorderPlayPressed, false, false},
                   {RecorderSlowMotionPressed, false, true}, {RecorderPausePressed, true, false},
                   {RecorderPausePressed, false, false},     {RecorderSlowMotionPressed, false, true},
                   {RecorderStopPressed, false, false}};
    for (const auto& p : presses) {
        p.press();
        EXPECT_EQ(SimPaused, p.paused) << &p - presses;
        EXPECT_EQ(SlowMotionPlayback, p.slow) << &p - presses;
    }
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_EQ(ReadFile(scratch), Recording(3, 3)); // a playback never writes
    // Record from idle clears the pause; hiding the bar does not stop it; Play while recording does nothing.
    SimPaused = true;
    ToggleBar();
    RecorderRecordPressed();
    ASSERT_TRUE(RecorderRecording());
    EXPECT_FALSE(SimPaused);
    ToggleBar();
    EXPECT_FALSE(Recorder.visible);
    StepRecorder();
    RecorderPlayPressed();
    EXPECT_FALSE(RecorderPlaying());
    RecorderStopPressed();
    EXPECT_EQ(ReadFile(scratch).size(), 8u + 88u);
}

TEST_F(RecorderFiles, SaveAndLoadCopyThroughTheScratchFile) {
    const std::string folder = PrepareRecordingChooser();
    EXPECT_EQ(folder, dir + "/recordings");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(SimPaused);
    SimPaused = false;
    EXPECT_FALSE(SaveRecordingTo(folder + "/Recording.rec")); // nothing recorded yet
    // Saving while recording copies what has been written so far.
    ASSERT_TRUE(StartRecording());
    StepRecorder();
    ASSERT_TRUE(SaveRecordingTo(folder + "/Recording.rec"));
    EXPECT_EQ(ReadFile(folder + "/Recording.rec").size(), 8u + 88u);
    EXPECT_TRUE(RecorderRecording());
    // Loading while recording finishes that recording, then replaces the scratch file.
    WriteFile(folder + "/chosen.rec", Recording(5, 5));
    ASSERT_TRUE(LoadRecordingFrom(folder + "/chosen.rec"));
    EXPECT_FALSE(RecorderRecording());
    EXPECT_TRUE(RecorderPlaying());
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
}

TEST(RecorderText, TimesNamesAndPlayableFrames) {
    // 20 frames a second; tenths are cut, not rounded.
    const struct {
        uint32_t frames;
        const char* text;
    } times[] = {{0, "0:00.0"},    {1, "0:00.0"},    {3, "0:00.1"},      {20, "0:01.0"},
                 {1234, "1:01.7"}, {2400, "2:00.0"}, {12000, "10:00.0"}, {0xFFFFFFFFu, "3579139:24.7"}};
    for (const auto& c : times)
        EXPECT_EQ(RecordingTimeText(c.frames), c.text) << c.frames;
    const struct {
        const char *raw, *shown;
    } names[] = {{"Demo Flight.rec", "Demo Flight.rec"},
                 {"caf\xc3\xa9.rec", "caf\xc3\xa9.rec"},
                 {"bad\xff\xfe.rec", "bad??.rec"},
                 {"cut\xc3", "cut?"},
                 {"over\xc0\xaf", "over??"},
                 {"sur\xed\xa0\x80", "sur???"},
                 {"tab\tnew\nline", "tab new line"}};
    for (const auto& c : names)
        EXPECT_EQ(DisplayableName(c.raw), c.shown) << c.raw;
    const struct {
        uint32_t header;
        uint64_t bytes;
        uint32_t playable;
    } frames[] = {{0, 8 + 88 * 5, 0}, {5, 8 + 88 * 5, 5},
                  {9, 8 + 88 * 5, 5}, {0x40000000u, 8 + 88 * 3 + 87, 3},
                  {7, 7, 0},          {0xFFFFFFFFu, 0, 0}};
    for (const auto& c : frames)
        EXPECT_EQ(PlayableFrames(c.header, c.bytes), c.playable) << c.header << " " << c.bytes;
    std::tm t{};
    strptime("2026-12-07 01:02:03", "%Y-%m-%d %H:%M:%S", &t); // local time
    t.tm_isdst = -1;
    EXPECT_EQ(DatedRecordingName(std::mktime(&t)), "Flight 2026-12-07 01-02-03.rec");
}
