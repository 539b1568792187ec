// The recorder's own record, one global instance; only recorder/'s own files (and tests) use it.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "recorder/flight_recorder.h"

// The recorder's state. Fields read by other threads (the step, the controls, the bar) are atomic;
// the stream is only touched with SimMutex held.
struct FlightRecorder {
    bool visible = false; // the record/play bar is shown
    std::atomic<bool> recording{false};
    std::atomic<bool> playing{false};
    std::atomic<uint32_t> frameCount{0};   // frames written (recording) or the header's count (playback)
    std::atomic<uint32_t> currentFrame{0}; // index of the next frame to read in playback
    std::atomic<float> frameControls[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    std::atomic<uint8_t> frameFlags[4] = {0, 0, 0, 0};
    FILE* file = nullptr;
    bool fileWritable = false; // the stream was opened for a recording
    std::string tempPath;      // the scratch file temporary.rec in the pilot's folder
    // The bar's position slider: enabled unless recording, range 0..sliderMax.
    std::atomic<bool> sliderEnabled{true};
    std::atomic<uint32_t> sliderMax{0};
    std::atomic<uint32_t> sliderPos{0};
    // Whole frames in the scratch file (playback) or written so far (recording); the slider never goes
    // past them, whatever the header claims.
    std::atomic<uint32_t> framesInFile{0};
    std::string statusText; // a line the bar shows after a failed action; empty when all is well
    std::string name;       // the recording the scratch file holds, as the bar shows it (main thread)
};

extern FlightRecorder Recorder;
