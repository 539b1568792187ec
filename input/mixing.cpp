// Transmitter mixing: the five-point throttle / pitch curve and the exponential rate.
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

// Exponent factor by percent / 5; entry 8 is reached only by 40 % and more.
static const float ExpoFactors[9] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.21f, 1.5f, 1.7f};

float ApplyExpo(float x, int32_t percent) {
    int32_t n = percent / 5;
    if (n < 1) return x;
    if (n > 8) n = 8;
    float k = ExpoFactors[n];
    float a = std::fabs(x) * k;
    float y = static_cast<float>((std::exp(static_cast<double>(a)) - 1.0) /
                                 (std::exp(static_cast<double>(k)) - 1.0));
    return x > 0.0f ? y : -y;
}
