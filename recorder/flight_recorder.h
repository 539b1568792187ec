// The flight recorder: one frame per simulation step to or from the scratch file temporary.rec.
#pragma once
#include <cstdint>

// The calls the dynamics step and the controls make into the recorder; the recorder's own
// record (FlightRecorder, one global instance) and its other operations are declared below them.
bool RecorderRecording();
bool RecorderPlaying();
void RecordFrame();
void PlayFrame(bool seeking);
float GetRecordedInput(int32_t function);
bool GetRecordedFlag(int32_t index);
