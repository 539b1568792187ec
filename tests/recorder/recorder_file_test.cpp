// Recorder tests on .rec files built byte by byte: layout, playback to the end, seeking, foreign files,
// the bar's action table, copies to and from the scratch file, restart.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "app/program_paths.h"
#include "app/shared_flags.h"
#include "flight/heli_state.h"
#include "input/control_input.h"
#include "recorder/flight_recorder.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutFloat(Bytes& b, float f) {
    Put32(b, std::bit_cast<uint32_t>(f));
}
uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
float GetFloat(const Bytes& b, size_t at) {
    return std::bit_cast<float>(Get32(b, at));
}

// The sixteen state floats of test frame n, all different.
float StateValue(int n, int i) {
    return 1000.0f * float(n + 1) + float(i) + 0.25f;
}
float ControlValue(int n, int k) {
    return 0.01f * float(n) + 0.1f * float(k) - 0.3f;
}

void PutHeader(Bytes& b, uint32_t magic, uint32_t count) {
    Put32(b, magic);
    Put32(b, count);
}

void PutFrame(Bytes& b, int n) {
    for (int i = 0; i < 16; i++)
        PutFloat(b, StateValue(n, i));
    for (int k = 0; k < 5; k++)
        PutFloat(b, ControlValue(n, k));
    b.push_back(n % 2);       // idle-up
    b.push_back((n / 2) % 2); // throttle hold
    b.push_back(0);
    b.push_back(0);
}

Bytes Recording(uint32_t headerCount, int frames) {
    Bytes b;
    PutHeader(b, 0x12123225, headerCount);
    for (int n = 0; n < frames; n++)
        PutFrame(b, n);
    return b;
}

void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

float HeliFloat(int i) {
    float v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&Heli) + 4 * i, 4);
    return v;
}

// True when HeliState holds test frame n and the recorded controls are those of frame n.
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

class RecorderFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/rv_recorder_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ProgramDir = dir;
        scratch = dir + "/temporary.rec";
        InitFlightRecorder(scratch);
        SimPaused = false;
        SlowMotionPlayback = false;
        ScriptedControlInput = nullptr;
        ScriptedIdleUp = false;
        ScriptedThrottleHold = false;
    }
    void TearDown() override {
        ShutdownRecorder();
        ScriptedControlInput = nullptr;
        ScriptedIdleUp = false;
        ScriptedThrottleHold = false;
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string dir;
    std::string scratch;
};

} // namespace

TEST_F(RecorderFiles, RecordingWritesHeaderAndFramesInTheirLayout) {
    ASSERT_TRUE(StartRecording());
    EXPECT_TRUE(RecorderRecording());
    EXPECT_FALSE(Recorder.sliderEnabled);
    for (int n = 0; n < 3; n++) {
        SetLiveFrame(n);
        StepRecorder();
    }
    // The header is written only at stop; until then it says 0.
    StopRecorder();
    EXPECT_FALSE(RecorderRecording());
    EXPECT_TRUE(Recorder.sliderEnabled);
    EXPECT_EQ(Recorder.sliderMax.load(), 3u);

    Bytes file = ReadFile(scratch);
    ASSERT_EQ(file.size(), 8u + 88u * 3u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0x25, 0x32, 0x12, 0x12}));
    EXPECT_EQ(Get32(file, 4), 3u);
    for (int n = 0; n < 3; n++) {
        size_t at = 8 + 88 * size_t(n);
        for (int i = 0; i < 16; i++)
            EXPECT_EQ(GetFloat(file, at + 4 * i), StateValue(n, i));
        for (int k = 0; k < 5; k++)
            EXPECT_EQ(GetFloat(file, at + 64 + 4 * k), ControlValue(n, k));
        EXPECT_EQ(file[at + 84], n % 2);
        EXPECT_EQ(file[at + 85], (n / 2) % 2);
        EXPECT_EQ(file[at + 86], 0);
        EXPECT_EQ(file[at + 87], 0);
    }

    // An empty recording is the bare header.
    ASSERT_TRUE(StartRecording());
    StopRecorder();
    EXPECT_EQ(ReadFile(scratch), (Bytes{0x25, 0x32, 0x12, 0x12, 0, 0, 0, 0}));

    // No frames are written while the simulation is paused.
    ASSERT_TRUE(StartRecording());
    SimPaused = true;
    StepRecorder();
    SimPaused = false;
    StepRecorder();
    StopRecorder();
    EXPECT_EQ(ReadFile(scratch).size(), 8u + 88u);
}

TEST_F(RecorderFiles, HeaderOfZeroStillPlaysEveryFrameAndTheEndPauses) {
    WriteFile(scratch, Recording(0, 4));
    StartPlayback();
    ASSERT_TRUE(RecorderPlaying());
    EXPECT_EQ(Recorder.sliderMax.load(), 0u);
    EXPECT_EQ(Recorder.currentFrame.load(), 1u);
    EXPECT_TRUE(ShowsFrame(0));
    for (int n = 1; n < 4; n++) {
        StepRecorder();
        EXPECT_TRUE(ShowsFrame(n));
        EXPECT_EQ(Recorder.currentFrame.load(), uint32_t(n + 1));
        EXPECT_EQ(Recorder.sliderPos.load(), uint32_t(n + 1));
    }
    // Past the last frame: paused, not playing, the last frame kept.
    SlowMotionPlayback = true;
    StepRecorder();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_TRUE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    EXPECT_TRUE(ShowsFrame(3));

    // "Play" starts again at the first frame.
    RecorderPlayPressed();
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_FALSE(SimPaused);
    EXPECT_EQ(Recorder.currentFrame.load(), 1u);
    EXPECT_TRUE(ShowsFrame(0));
    StepRecorder();
    EXPECT_TRUE(ShowsFrame(1));
}

TEST_F(RecorderFiles, SeekingToPShowsFramePAndLeavesCurrentFrameAtPPlusOne) {
    WriteFile(scratch, Recording(6, 6));
    StartPlayback();
    EXPECT_EQ(Recorder.sliderMax.load(), 6u);
    RecorderSliderDragged(3);
    EXPECT_TRUE(ShowsFrame(3));
    EXPECT_EQ(Recorder.currentFrame.load(), 4u);
    EXPECT_TRUE(SimPaused);
    EXPECT_TRUE(RecorderPlaying());
    StepRecorder(); // paused: nothing moves
    EXPECT_TRUE(ShowsFrame(3));
    RecorderSliderDragged(1);
    EXPECT_TRUE(ShowsFrame(1));
    EXPECT_EQ(Recorder.currentFrame.load(), 2u);
    // Play resumes from there at full speed.
    RecorderPlayPressed();
    EXPECT_FALSE(SimPaused);
    StepRecorder();
    EXPECT_TRUE(ShowsFrame(2));
    EXPECT_EQ(Recorder.sliderPos.load(), 3u);
    // The thumb at the far end is past the last frame: the end of the playback.
    RecorderSliderDragged(6);
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_TRUE(SimPaused);
    EXPECT_TRUE(ShowsFrame(2));
    // Not playing: the thumb moves but nothing is read.
    RecorderSliderDragged(0);
    EXPECT_EQ(Recorder.sliderPos.load(), 0u);
    EXPECT_TRUE(ShowsFrame(2));
}

TEST_F(RecorderFiles, FilesOfAnotherKindAreReadAsFramesWithoutHarm) {
    // Text: two whole frames' worth and a 30-byte tail shorter than a state.
    std::string text;
    while (text.size() < 8 + 2 * 88 + 30)
        text += "This is not a flight recording. ";
    text.resize(8 + 2 * 88 + 30);
    std::string other = dir + "/notes.txt";
    WriteFile(other, Bytes(text.begin(), text.end()));
    ASSERT_TRUE(LoadRecordingFrom(other));
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_TRUE(SimPaused); // a loaded flight waits on its first frame
    EXPECT_EQ(Recorder.currentFrame.load(), 1u);
    EXPECT_EQ(Recorder.frameCount.load(), Get32(Bytes(text.begin(), text.end()), 4));
    SimPaused = false;
    for (int i = 0; i < 5 && RecorderPlaying(); i++)
        StepRecorder();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_EQ(Recorder.currentFrame.load(), 2u);
    EXPECT_TRUE(SimPaused);

    // A last frame cut inside its controls: the state is shown, the missing bytes keep the last values.
    Bytes cut = Recording(0, 2);
    cut.resize(8 + 88 + 64 + 6); // Roll and half of Pitch of frame 1
    WriteFile(scratch, cut);
    StartPlayback();
    EXPECT_TRUE(ShowsFrame(0));
    StepRecorder();
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_EQ(HeliFloat(0), StateValue(1, 0));
    EXPECT_EQ(GetRecordedInput(Roll), ControlValue(1, 0));
    EXPECT_EQ(GetRecordedInput(Throttle), ControlValue(0, 3));
    EXPECT_EQ(GetRecordedFlag(0), false);
    StepRecorder();
    EXPECT_FALSE(RecorderPlaying());

    // Shorter than a header, empty, or a header claiming four thousand million frames.
    for (const Bytes& tiny : {Bytes{0x25, 0x32, 0x12}, Bytes{}, Recording(0xFFFFFFFFu, 1)}) {
        WriteFile(scratch, tiny);
        StartPlayback();
        RecorderSliderDragged(0xFFFFFFF0u);
        EXPECT_FALSE(RecorderPlaying());
        EXPECT_TRUE(SimPaused);
        StepRecorder();
    }
    // Out-of-range queries answer quietly.
    EXPECT_EQ(GetRecordedInput(-1), 0.0f);
    EXPECT_EQ(GetRecordedInput(5), 0.0f);
    EXPECT_FALSE(GetRecordedFlag(7));
}

TEST_F(RecorderFiles, MissingScratchFileAndUncreatableScratchFile) {
    // No scratch file: playback does not start.
    StartPlayback();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_FALSE(SimPaused);

    // The scratch file cannot be created: recording does not start and the bar says why.
    InitFlightRecorder(dir + "/no/such/folder/temporary.rec");
    EXPECT_FALSE(StartRecording());
    EXPECT_FALSE(RecorderRecording());
    EXPECT_NE(Recorder.statusText.find("temporary.rec"), std::string::npos);
    RecorderRecordPressed();
    EXPECT_FALSE(RecorderRecording());
    StepRecorder();
    // Once it can, it records and the message goes.
    InitFlightRecorder(scratch);
    EXPECT_TRUE(StartRecording());
    EXPECT_TRUE(Recorder.statusText.empty());
}

TEST_F(RecorderFiles, BarActionTable) {
    WriteFile(scratch, Recording(3, 3));
    RecorderStopPressed(); // idle: nothing
    EXPECT_FALSE(RecorderPlaying());

    RecorderPlayPressed();
    ASSERT_TRUE(RecorderPlaying());
    // Record while playing does nothing; the file is untouched.
    RecorderRecordPressed();
    EXPECT_FALSE(RecorderRecording());
    EXPECT_EQ(ReadFile(scratch), Recording(3, 3));
    // Pause, then Play resumes at full speed.
    RecorderPausePressed();
    EXPECT_TRUE(SimPaused);
    RecorderPlayPressed();
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    EXPECT_TRUE(RecorderPlaying());
    // Slow motion, Pause, Pause: full speed again.
    RecorderSlowMotionPressed();
    EXPECT_TRUE(SlowMotionPlayback);
    EXPECT_FALSE(SimPaused);
    RecorderPausePressed();
    EXPECT_TRUE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    RecorderPausePressed();
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    // Stop ends the playback and runs on.
    RecorderSlowMotionPressed();
    RecorderStopPressed();
    EXPECT_FALSE(RecorderPlaying());
    EXPECT_FALSE(SimPaused);
    EXPECT_FALSE(SlowMotionPlayback);
    EXPECT_EQ(Recorder.sliderMax.load(), 3u);
    EXPECT_EQ(ReadFile(scratch), Recording(3, 3)); // a playback never writes

    // Record from idle; hiding the bar does not stop it; Play while recording does nothing.
    SimPaused = true;
    ToggleBar();
    EXPECT_TRUE(Recorder.visible);
    RecorderRecordPressed();
    ASSERT_TRUE(RecorderRecording());
    EXPECT_FALSE(SimPaused);
    StepRecorder();
    ToggleBar();
    EXPECT_FALSE(Recorder.visible);
    StepRecorder();
    RecorderPlayPressed();
    EXPECT_TRUE(RecorderRecording());
    EXPECT_FALSE(RecorderPlaying());
    RecorderStopPressed();
    Bytes file = ReadFile(scratch);
    ASSERT_EQ(file.size(), 8u + 2u * 88u);
    EXPECT_EQ(Get32(file, 4), 2u);
}

TEST_F(RecorderFiles, SaveAndLoadCopyThroughTheScratchFile) {
    std::string folder = PrepareRecordingChooser();
    EXPECT_EQ(folder, dir + "/recordings");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(SimPaused);
    SimPaused = false;

    // Nothing recorded yet: saving fails and says so.
    EXPECT_FALSE(SaveRecordingTo(folder + "/Recording.rec"));
    EXPECT_FALSE(fs::exists(folder + "/Recording.rec"));

    // Saving while recording copies what has been written so far.
    ASSERT_TRUE(StartRecording());
    StepRecorder();
    StepRecorder();
    ASSERT_TRUE(SaveRecordingTo(folder + "/Recording.rec"));
    EXPECT_EQ(ReadFile(folder + "/Recording.rec").size(), 8u + 2u * 88u);
    EXPECT_TRUE(RecorderRecording());

    // Loading while recording finishes that recording, then replaces the scratch file.
    std::string chosen = folder + "/chosen.rec";
    WriteFile(chosen, Recording(5, 5));
    ASSERT_TRUE(LoadRecordingFrom(chosen));
    EXPECT_FALSE(RecorderRecording());
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_TRUE(SimPaused);
    EXPECT_EQ(Recorder.sliderMax.load(), 5u);
    EXPECT_EQ(ReadFile(scratch), Recording(5, 5));
    EXPECT_TRUE(ShowsFrame(0));
    // Play then runs the loaded flight from its first frame on.
    RecorderPlayPressed();
    StepRecorder();
    EXPECT_TRUE(ShowsFrame(1));

    // Saving the scratch file onto itself, and loading it, change nothing.
    EXPECT_TRUE(SaveRecordingTo(scratch));
    EXPECT_TRUE(LoadRecordingFrom(scratch));
    EXPECT_EQ(ReadFile(scratch), Recording(5, 5));

    // A chosen file that is gone, or a folder: nothing is copied and the playback is kept.
    EXPECT_FALSE(LoadRecordingFrom(folder + "/gone.rec"));
    EXPECT_FALSE(LoadRecordingFrom(folder));
    EXPECT_TRUE(RecorderPlaying());
    EXPECT_EQ(ReadFile(scratch), Recording(5, 5));
}

TEST_F(RecorderFiles, RecordingRunningAtExitKeepsItsCountAndSurvivesARestart) {
    ASSERT_TRUE(StartRecording());
    for (int n = 0; n < 7; n++) {
        SetLiveFrame(n);
        StepRecorder();
    }
    ShutdownRecorder();
    EXPECT_FALSE(RecorderRecording());
    Bytes file = ReadFile(scratch);
    ASSERT_EQ(file.size(), 8u + 7u * 88u);
    EXPECT_EQ(Get32(file, 4), 7u);

    // The next run finds it and plays it.
    EXPECT_EQ(file, Recording(7, 7));
    InitFlightRecorder(scratch);
    RecorderPlayPressed();
    ASSERT_TRUE(RecorderPlaying());
    EXPECT_EQ(Recorder.sliderMax.load(), 7u);
    for (int n = 1; n < 7; n++)
        StepRecorder();
    EXPECT_TRUE(ShowsFrame(6));
    StepRecorder();
    EXPECT_FALSE(RecorderPlaying());
}

TEST(RecorderText, TimesNamesAndPlayableFrames) {
    struct TimeCase {
        uint32_t frames;
        const char* text;
    };
    // 20 frames a second; tenths are cut, not rounded.
    for (const TimeCase& c : {TimeCase{0, "0:00.0"}, TimeCase{1, "0:00.0"}, TimeCase{3, "0:00.1"},
                              TimeCase{20, "0:01.0"}, TimeCase{1234, "1:01.7"}, TimeCase{2400, "2:00.0"},
                              TimeCase{12000, "10:00.0"}, TimeCase{0xFFFFFFFFu, "3579139:24.7"}})
        EXPECT_EQ(RecordingTimeText(c.frames), c.text) << c.frames;

    struct NameCase {
        std::string raw, shown;
    };
    for (const NameCase& c :
         {NameCase{"Demo Flight.rec", "Demo Flight.rec"}, NameCase{"caf\xc3\xa9.rec", "caf\xc3\xa9.rec"},
          NameCase{"bad\xff\xfe.rec", "bad??.rec"}, NameCase{"cut\xc3", "cut?"},
          NameCase{"over\xc0\xaf", "over??"}, NameCase{"sur\xed\xa0\x80", "sur???"},
          NameCase{"tab\tnew\nline", "tab new line"}})
        EXPECT_EQ(DisplayableName(c.raw), c.shown) << c.raw;

    struct FramesCase {
        uint32_t header;
        uint64_t bytes;
        uint32_t playable;
    };
    for (const FramesCase& c :
         {FramesCase{0, 8 + 88 * 5, 0}, FramesCase{5, 8 + 88 * 5, 5}, FramesCase{9, 8 + 88 * 5, 5},
          FramesCase{0x40000000u, 8 + 88 * 3 + 87, 3}, FramesCase{7, 7, 0}, FramesCase{0xFFFFFFFFu, 0, 0}})
        EXPECT_EQ(PlayableFrames(c.header, c.bytes), c.playable) << c.header << " " << c.bytes;

    // 2026-12-07 01:02:03 local time.
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 1;
    t.tm_min = 2;
    t.tm_sec = 3;
    t.tm_isdst = -1;
    EXPECT_EQ(DatedRecordingName(std::mktime(&t)), "Flight 2026-12-07 01-02-03.rec");
}
