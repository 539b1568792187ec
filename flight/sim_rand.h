// The flight model's random source: the linear congruential generator of the original runtime's rand().
#pragma once
#include <cstdint>

// state = state * 214013 + 2531011 (mod 2^32); returns bits 16..30 of the new state, 0..32767.
// Simulation thread only (wind, turbulence, gyro start offset, random attitudes, crash-sound choice).
int32_t SimRand();

constexpr int32_t SimRandMax = 32767;
