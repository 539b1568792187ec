// The transmitter check: how often each axis of the transmitter sends a new value (median and 95th
// percentile of the intervals between changes over the last seconds), in how many steps it moves over its
// travel, and the warnings a pilot needs when either makes the sticks feel late or steppy.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "input/joystick_calibration.h"

constexpr double CheckWindowSeconds = 3.0; // intervals older than this are dropped
constexpr double SlowUpdateMs = 10.0;      // slower than this the sticks feel late
constexpr int32_t CoarseSteps = 256;       // fewer steps than this over the travel feel steppy

struct AxisWatch {
    bool seen = false;
    int32_t last = 0;
    double lastChange = 0.0;         // s
    std::vector<double> changeTimes; // s, the moments the value changed within the window
    std::vector<double> intervals;   // ms, between those changes (same order)
    std::vector<int32_t> values;     // distinct values seen, sorted
};

struct AxisFigures {
    int changes = 0;       // changes within the window
    double medianMs = 0.0; // 0 while fewer than 20 changes
    double p95Ms = 0.0;
    int32_t steps = 0; // steps over the whole travel (0 while the axis has not moved enough to tell)
};

// One sample of an axis (raw 0..65535) at time seconds.
void WatchAxisSample(AxisWatch& watch, int32_t raw, double seconds);
AxisFigures FiguresOf(const AxisWatch& watch);
// The plain-words warnings for one axis (empty when it is fine); name is e.g. "Axis Y".
std::vector<std::string> AxisWarnings(const std::string& name, const AxisFigures& figures);
// The time from moving a stick to seeing it drawn, in ms: on average half a simulation step, one and a
// half frames; at worst a whole step and two frames.
void StickToScreenMs(double stepMs, double frameMs, double& meanMs, double& worstMs);

// "Transmitter check" in the Joystick menu: samples the transmitter every millisecond on its own thread
// while the window is open.
void ShowTransmitterCheck();
void DrawTransmitterCheck();
// Stops the sampling thread (at shutdown).
void StopTransmitterCheck();
