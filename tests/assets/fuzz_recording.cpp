// Fuzz target: a recording chosen in "Load Recording": copied to the scratch file, played frame by frame,
// the slider moved to its end and to its middle, then stopped.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "recorder/flight_recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = "/tmp/rv_fuzz_recording_" + std::to_string(::getpid());
    static const std::string chosen = base + ".rec", scratch = base + "_temporary.rec";
    std::FILE* f = std::fopen(chosen.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    InitFlightRecorder(scratch);
    if (LoadRecordingFrom(chosen)) {
        for (int i = 0; i < 40 && Recorder.playing; ++i)
            PlayFrame(false);
        uint32_t last = Recorder.sliderMax;
        RecorderSliderDragged(last);
        Recorder.sliderPos = last;
        SeekToSliderPosition();
        Recorder.sliderPos = last / 2;
        SeekToSliderPosition();
        PlayFrame(false);
        StopRecorder();
    }
    ShutdownRecorder();
    std::remove(chosen.c_str());
    std::remove(scratch.c_str());
    return 0;
}
