// The flight recorder: writes and reads the scratch recording, one 88-byte frame per simulation step.
#include "recorder/flight_recorder.h"
#include "recorder/flight_recorder_internal.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>
#include <mutex>
#include <system_error>
#include <sys/types.h>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/text.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"

FlightRecorder Recorder;

bool RecorderRecording() {
    return Recorder.recording.load();
}
bool RecorderPlaying() {
    return Recorder.playing.load();
}

float GetRecordedInput(int32_t function) {
    if (function < 0 || function >= 5) return 0.0f;
    return Recorder.frameControls[function].load();
}

bool GetRecordedFlag(int32_t index) {
    if (index < 0 || index >= 4) return false;
    return Recorder.frameFlags[index].load() != 0;
}

// Every function below whose name starts with "Locked" expects SimMutex to be held by the caller; the
// others that the main thread calls take it themselves.

static void CloseStream() {
    if (Recorder.file) std::fclose(Recorder.file);
    Recorder.file = nullptr;
    Recorder.fileWritable = false;
}

static std::string ScratchName() {
    return std::filesystem::path(Recorder.tempPath).filename().string();
}

static bool LockedStartRecording() {
    if (Recorder.recording || Recorder.playing) return false;
    // A playback that ran to its end keeps its stream open; it is of no further use.
    CloseStream();
    FILE* f = std::fopen(Recorder.tempPath.c_str(), "wb");
    RecordingHeader header{RecordingMagic, 0};
    if (f && std::fwrite(&header, sizeof header, 1, f) != 1) {
        std::fclose(f);
        f = nullptr;
    }
    if (!f) {
        Recorder.statusText = "Unable to create " + ScratchName() + ": recording not started";
        return false;
    }
    Recorder.file = f;
    Recorder.fileWritable = true;
    Recorder.statusText.clear();
    Recorder.name = "New recording (not saved)";
    Recorder.frameCount = 0;
    Recorder.framesInFile = 0;
    ClearInstantReplay();
    Recorder.recording = true;
    SimPaused = false;
    SlowMotionPlayback = false;
    Recorder.sliderEnabled = false;
    Recorder.sliderPos = 0;
    return true;
}

FrameControls ControlsForFrame;

// The frame of the step just flown: the live state and ControlsForFrame.
static RecordingFrame FrameOfThisStep() {
    RecordingFrame frame;
    std::memcpy(frame.heliState, &Heli, sizeof frame.heliState);
    for (int i = 0; i < 5; i++)
        frame.controls[i] = ControlsForFrame.controls[i];
    frame.flags[0] = ControlsForFrame.idleUp ? 1 : 0;
    frame.flags[1] = ControlsForFrame.throttleHold ? 1 : 0;
    frame.flags[2] = 0;
    frame.flags[3] = 0;
    return frame;
}

void RecordFrame() {
    if (!Recorder.recording || !Recorder.file) return;
    RecordingFrame frame = FrameOfThisStep();
    for (int i = 0; i < 5; i++)
        Recorder.frameControls[i] = frame.controls[i];
    for (int i = 0; i < 4; i++)
        Recorder.frameFlags[i] = frame.flags[i];
    // Only frames that reached the stream are counted, so the header never promises more than is there.
    if (std::fwrite(&frame, sizeof frame, 1, Recorder.file) == 1) {
        Recorder.frameCount += 1;
        Recorder.framesInFile = Recorder.frameCount.load();
    }
}

void RecorderStepFrame() {
    if (RecorderRecording())
        RecordFrame();
    else if (RecorderPlaying())
        PlayFrame(false);
    else
        KeepInstantReplayFrame();
}

static void LockedStopRecorder() {
    if (!Recorder.recording && !Recorder.playing) return;
    if (Recorder.file) {
        bool ok = true;
        if (Recorder.fileWritable) {
            RecordingHeader header{RecordingMagic, Recorder.frameCount};
            ok = std::fseek(Recorder.file, 0, SEEK_SET) == 0 &&
                 std::fwrite(&header, sizeof header, 1, Recorder.file) == 1 &&
                 std::fflush(Recorder.file) == 0;
        }
        bool closed = std::fclose(Recorder.file) == 0;
        if (Recorder.fileWritable && !(ok && closed))
            Recorder.statusText = "Unable to finish " + ScratchName() + ": the recording may be incomplete";
        Recorder.file = nullptr;
        Recorder.fileWritable = false;
    }
    // The stream is complete and closed before the step can see that recording has ended.
    Recorder.recording = false;
    Recorder.playing = false;
    SimPaused = false;
    SlowMotionPlayback = false;
    Recorder.sliderEnabled = true;
    Recorder.sliderMax = std::min(Recorder.frameCount.load(), Recorder.framesInFile.load());
    Recorder.sliderPos = 0;
}

// The state of the frame read last, shown again when the playback reaches the end.
static uint8_t lastState[sizeof(HeliState)];

// Reads the next frame over HeliState and the recorded controls. A frame cut short after its state
// keeps the previous controls for the bytes it does not hold.
static void LockedPlayFrame(bool seeking) {
    if (!Recorder.file) {
        Recorder.playing = false;
        return;
    }
    RecordingFrame frame;
    for (int i = 0; i < 5; i++)
        frame.controls[i] = Recorder.frameControls[i];
    for (int i = 0; i < 4; i++)
        frame.flags[i] = Recorder.frameFlags[i];
    size_t got = std::fread(&frame, 1, sizeof frame, Recorder.file);
    if (got < sizeof frame.heliState) {
        // End of the recording: the last frame stays on screen (the step has just moved the state on
        // from it) and the simulation waits.
        if (!seeking && Recorder.currentFrame > 0) std::memcpy(&Heli, lastState, sizeof lastState);
        Recorder.playing = false;
        SimPaused = true;
        SlowMotionPlayback = false;
        return;
    }
    if (got < sizeof frame) {
        RecordingFrame previous;
        for (int i = 0; i < 5; i++)
            previous.controls[i] = Recorder.frameControls[i];
        for (int i = 0; i < 4; i++)
            previous.flags[i] = Recorder.frameFlags[i];
        std::memcpy(reinterpret_cast<uint8_t*>(&frame) + got, reinterpret_cast<uint8_t*>(&previous) + got,
                    sizeof frame - got);
    }
    std::memcpy(&Heli, frame.heliState, sizeof frame.heliState);
    std::memcpy(lastState, frame.heliState, sizeof lastState);
    for (int i = 0; i < 5; i++)
        Recorder.frameControls[i] = frame.controls[i];
    for (int i = 0; i < 4; i++)
        Recorder.frameFlags[i] = frame.flags[i];
    Recorder.currentFrame += 1;
    if (!seeking) Recorder.sliderPos = Recorder.currentFrame.load();
}

void PlayFrame(bool seeking) {
    LockedPlayFrame(seeking);
}

static void LockedStartPlayback() {
    ResetHelicopter();
    if (Recorder.recording) LockedStopRecorder();
    CloseStream();
    FILE* f = std::fopen(Recorder.tempPath.c_str(), "rb");
    if (!f) {
        Recorder.playing = false;
        Recorder.statusText = "No recording to play: unable to open " + ScratchName();
        return;
    }
    // The magic is not checked: a file of another kind plays as frames until its end.
    RecordingHeader header{0, 0};
    (void)std::fread(&header, 1, sizeof header, f);
    off_t size = 0;
    if (fseeko(f, 0, SEEK_END) == 0) size = ftello(f);
    if (fseeko(f, static_cast<off_t>(sizeof header), SEEK_SET) != 0) std::clearerr(f);
    Recorder.framesInFile = PlayableFrames(UINT32_MAX, size > 0 ? static_cast<uint64_t>(size) : 0);
    ClearInstantReplay();
    Recorder.file = f;
    Recorder.fileWritable = false;
    Recorder.statusText.clear();
    Recorder.frameCount = header.frameCount;
    Recorder.currentFrame = 0;
    Recorder.recording = false;
    Recorder.playing = true;
    SimPaused = false;
    SlowMotionPlayback = false;
    Recorder.sliderEnabled = true;
    // A foreign or damaged file may claim any count; the slider only reaches frames that are there.
    Recorder.sliderMax = std::min(header.frameCount, Recorder.framesInFile.load());
    Recorder.sliderPos = 0;
    LockedPlayFrame(true);
}

static void LockedSeekToSliderPosition() {
    SimPaused = true;
    if (!Recorder.playing || !Recorder.file) return;
    uint32_t p = std::min(Recorder.sliderPos.load(), Recorder.framesInFile.load());
    Recorder.currentFrame = p;
    off_t offset =
        static_cast<off_t>(sizeof(RecordingHeader)) + static_cast<off_t>(sizeof(RecordingFrame)) * p;
    if (fseeko(Recorder.file, offset, SEEK_SET) != 0) std::clearerr(Recorder.file);
    LockedPlayFrame(true);
    SimPaused = true;
}

void InitFlightRecorder(const std::string& tempPath) {
    std::lock_guard<std::mutex> lock(SimMutex);
    CloseStream();
    Recorder.tempPath = tempPath;
    Recorder.visible = false;
    Recorder.recording = false;
    Recorder.playing = false;
    Recorder.frameCount = 0;
    Recorder.currentFrame = 0;
    for (auto& c : Recorder.frameControls)
        c = 0.0f;
    for (auto& b : Recorder.frameFlags)
        b = 0;
    Recorder.sliderEnabled = true;
    Recorder.sliderMax = 0;
    Recorder.sliderPos = 0;
    Recorder.framesInFile = 0;
    Recorder.statusText.clear();
    Recorder.name.clear();
    ClearInstantReplay();
}

bool StartRecording() {
    std::lock_guard<std::mutex> lock(SimMutex);
    return LockedStartRecording();
}

void StopRecorder() {
    std::lock_guard<std::mutex> lock(SimMutex);
    LockedStopRecorder();
}

void StartPlayback() {
    std::lock_guard<std::mutex> lock(SimMutex);
    LockedStartPlayback();
}

void SeekToSliderPosition() {
    std::lock_guard<std::mutex> lock(SimMutex);
    LockedSeekToSliderPosition();
}

void ToggleBar() {
    Recorder.visible = !Recorder.visible;
}

void ShutdownRecorder() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (Recorder.recording) LockedStopRecorder();
    CloseStream();
    Recorder.playing = false;
}

std::string PrepareRecordingChooser() {
    PauseSimulation();
    std::string folder = WritePath("recordings");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

static bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool SaveRecordingTo(const std::string& path) {
    std::string scratch;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        // A recording in progress is copied as far as it has been written (its header still says 0).
        if (Recorder.file && Recorder.fileWritable) std::fflush(Recorder.file);
        scratch = Recorder.tempPath;
    }
    if (SameFile(path, scratch)) return true;
    // The copy runs without the lock: the step goes on appending frames, and the copy takes those
    // written when it reads them. Written beside the target and renamed over it: a failed save leaves an
    // older file whole.
    std::error_code ec;
    bool ok = std::filesystem::is_regular_file(scratch, ec) && CopyFileAtomically(scratch, path);
    std::lock_guard<std::mutex> lock(SimMutex);
    if (!ok) {
        Recorder.statusText = "Unable to save recording";
        return false;
    }
    Recorder.name = std::filesystem::path(path).filename().string();
    return true;
}

bool LoadRecordingFrom(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        std::lock_guard<std::mutex> lock(SimMutex);
        Recorder.statusText = "Unable to load recording";
        return false;
    }
    std::string scratch;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        // The scratch file is about to be replaced: finish whatever uses it first.
        if (Recorder.recording || Recorder.playing) LockedStopRecorder();
        CloseStream();
        scratch = Recorder.tempPath;
    }
    // Only the main thread starts a recording or a playback, so nothing opens the scratch file while it
    // is copied without the lock.
    bool ok = SameFile(path, scratch) || CopyFileAtomically(path, scratch);
    std::lock_guard<std::mutex> lock(SimMutex);
    if (!ok) {
        Recorder.statusText = "Unable to load recording";
        SimPaused = true;
        return false;
    }
    LockedStartPlayback();
    SimPaused = true;
    Recorder.sliderMax = std::min(Recorder.frameCount.load(), Recorder.framesInFile.load());
    Recorder.name = std::filesystem::path(path).filename().string();
    return true;
}

void RecorderPlayPressed() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (Recorder.recording) return;
    if (Recorder.playing) {
        SimPaused = false;
        SlowMotionPlayback = false;
        return;
    }
    LockedStartPlayback();
}

void RecorderSlowMotionPressed() {
    std::lock_guard<std::mutex> lock(SimMutex);
    SimPaused = false;
    SlowMotionPlayback = true;
}

void RecorderPausePressed() {
    std::lock_guard<std::mutex> lock(SimMutex);
    SimPaused = !SimPaused;
    SlowMotionPlayback = false;
}

void RecorderStopPressed() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (!Recorder.recording && !Recorder.playing) return;
    LockedStopRecorder();
    SimPaused = false;
    SlowMotionPlayback = false;
}

void RecorderRecordPressed() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (Recorder.recording || Recorder.playing) return;
    LockedStartRecording();
}

void RecorderSliderDragged(uint32_t p) {
    std::lock_guard<std::mutex> lock(SimMutex);
    Recorder.sliderPos = p;
    if (!Recorder.playing) return;
    SimPaused = true;
    LockedSeekToSliderPosition();
}

uint32_t PlayableFrames(uint32_t headerCount, uint64_t fileBytes) {
    const uint64_t whole = fileBytes > sizeof(RecordingHeader)
                               ? (fileBytes - sizeof(RecordingHeader)) / sizeof(RecordingFrame)
                               : 0;
    return static_cast<uint32_t>(std::min<uint64_t>(headerCount, whole));
}

std::string RecordingTimeText(uint32_t frames) {
    // One frame is 0.05 s: two frames a tenth.
    const uint64_t tenths = frames / 2;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02u.%u", static_cast<unsigned long long>(tenths / 600),
                  static_cast<unsigned>(tenths / 10 % 60), static_cast<unsigned>(tenths % 10));
    return text;
}

std::string DatedRecordingName(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char text[64];
    std::strftime(text, sizeof text, "Flight %Y-%m-%d %H-%M-%S.rec", &local);
    return text;
}

std::string DisplayableName(const std::string& name) {
    return ShowableText(name, ' ');
}

// The instant replay: a ring of the last frames flown while nothing was recorded or played.
static std::vector<RecordingFrame> replayRing;
static uint32_t replayNext = 0;  // where the next frame goes
static uint32_t replayCount = 0; // frames held, up to InstantReplayFrames

void KeepInstantReplayFrame() {
    if (replayRing.size() != InstantReplayFrames) replayRing.resize(InstantReplayFrames);
    replayRing[replayNext] = FrameOfThisStep();
    replayNext = (replayNext + 1) % InstantReplayFrames;
    replayCount = std::min(replayCount + 1, InstantReplayFrames);
}

void ClearInstantReplay() {
    replayNext = 0;
    replayCount = 0;
}

bool TakeInstantReplay() {
    // The frames are copied under the lock and written without it, so no tick waits on the disk.
    std::vector<uint8_t> bytes;
    uint32_t frames = 0;
    std::string scratch;
    {
        std::lock_guard<std::mutex> lock(SimMutex);
        if (Recorder.recording) return false;
        if (replayCount == 0) {
            Recorder.statusText = "Nothing flown yet to replay";
            return false;
        }
        if (Recorder.playing) LockedStopRecorder();
        CloseStream();
        // The same layout as a recording that was stopped: the header with its count, then the frames,
        // oldest first.
        frames = replayCount;
        bytes.resize(sizeof(RecordingHeader) + sizeof(RecordingFrame) * frames);
        RecordingHeader header{RecordingMagic, frames};
        std::memcpy(bytes.data(), &header, sizeof header);
        const uint32_t first = (replayNext + InstantReplayFrames - frames) % InstantReplayFrames;
        for (uint32_t k = 0; k < frames; ++k)
            std::memcpy(bytes.data() + sizeof header + sizeof(RecordingFrame) * k,
                        &replayRing[(first + k) % InstantReplayFrames], sizeof(RecordingFrame));
        scratch = Recorder.tempPath;
    }
    bool written = WriteFileAtomically(scratch, bytes.data(), bytes.size());
    std::lock_guard<std::mutex> lock(SimMutex);
    if (!written) {
        Recorder.statusText = "Unable to write " + ScratchName() + ": no instant replay";
        return false;
    }
    Recorder.statusText.clear();
    Recorder.name = "Instant replay (not saved)";
    Recorder.frameCount = frames;
    Recorder.framesInFile = frames;
    Recorder.sliderEnabled = true;
    Recorder.sliderMax = frames;
    Recorder.sliderPos = 0;
    // Kept until the write succeeded, so a failed one can be tried again.
    ClearInstantReplay();
    return true;
}
