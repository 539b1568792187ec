// The flat overlay in window pixels: dials, stick boxes, switch lamps and status marks.
#pragma once
#include <cstdint>
#include <string>
#include "render/render_snapshot.h"

// "Instrument size" of the View menu: 0 "Small" (the 50-pixel layout), 1 "Medium" (1.5 x), 2 "Large" (2 x).
// Medium and Large scale the dials, stick boxes and lamps and show rotor rpm and speed under the dials.
extern int32_t InstrumentSizeChoice;
// The factor of a choice; choices outside 0..2 count as Small.
float InstrumentSizeFactor(int32_t choice);
// Height in overlay units of the number row under the dials (0 for Small).
float ReadoutRowHeight(int32_t choice);
// The texts under the dials: whole rotor rpm and speed in mph (the crash report's unit), never negative.
std::string RotorReadout(float rotorRpm);
std::string SpeedReadout(float airspeedMph);

// Expect the overlay projection: pixels, origin top-left, y downward. The instruments and lamps are drawn
// in units of the instrument size; width and height are the overlay's in those units.
void DrawInstruments(const RenderSnapshot& snap, int32_t width, int32_t height);
void DrawSwitchLamps(const RenderSnapshot& snap, int32_t width, int32_t height);
void DrawStatusMarks(const RenderSnapshot& snap, int32_t width);
