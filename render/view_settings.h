// The view choices the drawing follows (kept in UserPrefs.dat by the program).
#pragma once
#include <cstdint>

extern bool showInstruments;
extern bool smoothCameraFollow;
extern int32_t backgroundResolution; // 1 low, 2 medium, 3 and above high
extern bool lowerCameraAngle;
