// Fuzz target: a recording chosen in "Load Recording": copied to the scratch file, played frame by frame,
// the slider moved to its end and to its middle, then stopped.
#include "recorder/flight_recorder_internal.h"
#include "tests/assets/fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string chosen = WriteScratchFile("recording", data, size, ".rec");
    if (chosen.empty()) return 0;
    const std::string scratch = chosen.substr(0, chosen.size() - 4) + "_temporary.rec";
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
