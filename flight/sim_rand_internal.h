// The random source's state; only flight/'s own files (and tests) use it.
#pragma once
#include <cstdint>

// Generator state. The program never seeds it, so every run draws the same sequence; tests may save and
// restore it to make a case independent of what ran before.
extern uint32_t SimRandState;
