// The flight recorder: one frame per simulation step to or from the scratch file temporary.rec.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "flight/sim_control.h"

// The calls the dynamics step and the controls make into the recorder; its other operations are declared
// below them (its own record is recorder/'s alone: flight_recorder_internal.h).
bool RecorderRecording();
bool RecorderPlaying();
// After every completed step, SimMutex held: writes the frame while recording, reads the next one over
// HeliState while playing, and otherwise keeps it in the instant replay.
void RecorderStepFrame();
// Write one frame while recording, read one while playing.
void RecordFrame();
void PlayFrame(bool seeking);
// Keeps the frame in the instant replay, which holds the last InstantReplayFrames steps.
void KeepInstantReplayFrame();
// What a frame stores beside the state: the controls the step flew on, as GetControlInput returned them
// (Roll, Pitch, Yaw, Throttle, Collective), and the idle-up and throttle-hold switches. The tick sets it
// right before RecorderStepFrame.
struct FrameControls {
    float controls[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    bool idleUp = false;
    bool throttleHold = false;
};
extern FrameControls ControlsForFrame;

// The recorded control input of the current frame (function 0..4) and flag (0 idle-up, 1 throttle hold).
float GetRecordedInput(int32_t function);
bool GetRecordedFlag(int32_t index);

// .rec file layout, little-endian: an 8-byte header, then 88-byte frames back to back.
constexpr uint32_t RecordingMagic = 0x12123225;

struct RecordingHeader {
    uint32_t magic;
    uint32_t frameCount; // 0 until the recording is stopped
};
static_assert(sizeof(RecordingHeader) == 8);
static_assert(offsetof(RecordingHeader, frameCount) == 4);

struct RecordingFrame {
    uint8_t heliState[64]; // the HeliState record exactly as held in memory
    float controls[5];     // Roll, Pitch, Yaw, Throttle, Collective as GetControlInput returned them
    uint8_t flags[4];      // idle-up, throttle hold, 0, 0
};
static_assert(sizeof(RecordingFrame) == 88);
static_assert(offsetof(RecordingFrame, controls) == 64);
static_assert(offsetof(RecordingFrame, flags) == 84);

// Two minutes of steps at 20 steps a second.
constexpr uint32_t InstantReplayFrames = 2400;
// Simulated seconds of recording per frame: playback reads one frame every 50 ms tick.
constexpr float RecordingSecondsPerFrame = StepSeconds;

// Sets the scratch file's path (the program passes ScratchRecordingPlace().write); all else starts idle.
void InitFlightRecorder(const std::string& tempPath);

// Main-thread operations. Each takes SimMutex itself: never call them with it held.
bool StartRecording(); // false when the scratch file cannot be created (recording does not start)
void StopRecorder();
void StartPlayback();
void SeekToSliderPosition(); // seeks to the slider's position and shows that frame, paused
void ToggleBar();            // shows or hides the record/play bar; the recorder keeps running
// Stops a recording still running at exit (its header gets the real count) and closes the stream.
void ShutdownRecorder();

// SaveRecording and LoadRecording (recorder/record_play_bar_dialog.h) ask for a file with the chooser.
// Before that: pauses the simulation and makes sure the recordings folder exists; returns that folder.
std::string PrepareRecordingChooser();
// The copies done once a file has been chosen; false (with the bar's status text set) on failure. The
// copy itself runs without SimMutex.
bool SaveRecordingTo(const std::string& path);
bool LoadRecordingFrom(const std::string& path);

// The slider's range for a file of fileBytes bytes whose header says headerCount frames: no more than the
// whole frames the file holds.
uint32_t PlayableFrames(uint32_t headerCount, uint64_t fileBytes);
// A frame count as the time it plays for, "m:ss.s" (tenths cut, not rounded).
std::string RecordingTimeText(uint32_t frames);
// The name the Save chooser offers for a recording saved at local time t: "Flight YYYY-MM-DD HH-MM-SS.rec".
std::string DatedRecordingName(std::time_t t);
// A file name made safe to draw: bytes that are not valid UTF-8 become '?', control characters ' '.
std::string DisplayableName(const std::string& name);

// "Instant replay": the last steps flown (up to InstantReplayFrames) become the current recording,
// written to the scratch file (a playback is stopped first; nothing happens while recording). False, with
// the bar's status text set, when nothing has been flown yet or the file cannot be written.
bool TakeInstantReplay();
// Empties the instant replay (a recording or a playback starts); SimMutex held.
void ClearInstantReplay();

// The bar's button actions.
void RecorderPlayPressed();
void RecorderSlowMotionPressed();
void RecorderPausePressed();
void RecorderStopPressed();
void RecorderRecordPressed();
// The thumb was dragged to position p: while playing this seeks; otherwise it only moves the thumb.
void RecorderSliderDragged(uint32_t p);
