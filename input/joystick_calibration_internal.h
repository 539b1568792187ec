// The hat directions of the last poll, shared by input/'s own files only (and tests).
#pragma once
#include <cstdint>

// Hat directions of the last poll, beside the record (the calibration file has no room for them):
// bit 4 x hat + direction, direction 0 up, 1 right, 2 down, 3 left; hats 0..3. Written by
// StoreJoystickPoll, read by the switch test.
extern int32_t JoystickHats;
