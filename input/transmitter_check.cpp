// Update intervals and resolution of the transmitter's axes, measured by a 1 ms sampler.
#include "input/transmitter_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// Windows join the figures of the last seconds: intervals between two changes of a value.
void WatchAxisSample(AxisWatch& w, int32_t raw, double seconds) {
    if (!w.seen) {
        w.seen = true;
        w.last = raw;
        w.lastChange = seconds;
    } else if (raw != w.last) {
        w.intervals.push_back((seconds - w.lastChange) * 1000.0);
        w.changeTimes.push_back(seconds);
        w.last = raw;
        w.lastChange = seconds;
    }
    size_t old = 0;
    while (old < w.changeTimes.size() && w.changeTimes[old] < seconds - CheckWindowSeconds)
        ++old;
    if (old > 0) {
        w.changeTimes.erase(w.changeTimes.begin(), w.changeTimes.begin() + static_cast<long>(old));
        w.intervals.erase(w.intervals.begin(), w.intervals.begin() + static_cast<long>(old));
    }
    auto at = std::lower_bound(w.values.begin(), w.values.end(), raw);
    if ((at == w.values.end() || *at != raw) && w.values.size() < 70000) w.values.insert(at, raw);
}

AxisFigures FiguresOf(const AxisWatch& w) {
    AxisFigures f;
    f.changes = static_cast<int>(w.intervals.size());
    if (f.changes >= 20) {
        std::vector<double> sorted = w.intervals;
        std::sort(sorted.begin(), sorted.end());
        f.medianMs = sorted[sorted.size() / 2];
        f.p95Ms =
            sorted[std::min(sorted.size() - 1, static_cast<size_t>(std::ceil(0.95 * sorted.size())) - 1)];
    }
    // The smallest step between two values seen, against the span seen: the steps over the travel. Told
    // only once the axis went over a quarter of its travel through at least 8 values.
    if (w.values.size() >= 8 && w.values.back() - w.values.front() >= 16384) {
        int32_t smallest = 65536;
        for (size_t i = 1; i < w.values.size(); ++i)
            smallest = std::min(smallest, w.values[i] - w.values[i - 1]);
        f.steps = 65535 / smallest + 1;
    }
    return f;
}

std::vector<std::string> AxisWarnings(const std::string& name, const AxisFigures& f) {
    std::vector<std::string> warnings;
    char text[240];
    if (f.medianMs > SlowUpdateMs) {
        std::snprintf(
            text, sizeof text,
            "%s sends a new value only every %.0f ms (slower than every %.0f ms): the sticks will feel "
            "late. A faster adapter or cable helps.",
            name.c_str(), f.medianMs, SlowUpdateMs);
        warnings.push_back(text);
    }
    if (f.steps > 0 && f.steps < CoarseSteps) {
        std::snprintf(
            text, sizeof text,
            "%s moves in %d steps over its travel (coarser than %d): the model will move in small jerks.",
            name.c_str(), f.steps, CoarseSteps);
        warnings.push_back(text);
    }
    return warnings;
}

void StickToScreenMs(double stepMs, double frameMs, double& meanMs, double& worstMs) {
    meanMs = stepMs * 0.5 + frameMs * 1.5;
    worstMs = stepMs + frameMs * 2.0;
}
