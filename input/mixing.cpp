// Transmitter mixing: the five-point throttle / pitch curve.
#include <cmath>
#include <cstdint>

#include "input/control_input.h"

float ApplyCurve(float x, const int32_t points[5]) {
    int k;
    float xk;
    if (x < -0.5f) {
        k = 0;
        xk = -1.0f;
    } else if (x < 0.0f) {
        k = 1;
        xk = -0.5f;
    } else if (x < 0.5f) {
        k = 2;
        xk = 0.0f;
    } else {
        k = 3;
        xk = 0.5f;
    }
    // The difference in 64 bits: curve points come from model files and may hold any value.
    float rise = static_cast<float>(static_cast<int64_t>(points[k + 1]) - points[k]);
    float v = static_cast<float>(points[k]) + (x - xk) * 2.0f * rise;
    return 2.0f * (v / 100.0f) - 1.0f;
}
