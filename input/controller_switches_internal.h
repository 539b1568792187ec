// What the reset and pause switch edge detection remembers; only input/'s own files (and tests) use it.
#pragma once

// Raw (unreversed) state of each switch at its last test; both false at start.
extern bool lastResetSwitchState;
extern bool lastPauseSwitchState;
