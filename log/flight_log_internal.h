// The session's flight-time totals; only log/'s own files (and tests) use them.
#pragma once
#include "log/flight_log.h"

// Seconds of the current session by FlightClass. The crash count of the session is CrashCount
// (flight/ground.h). Both are written by the simulation step; menu commands that read or reset them
// hold SimMutex.
extern float FlightTimeTotals[FlightClassCount];
