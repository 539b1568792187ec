// The flight-time log: classification of simulated time, session totals and the cumulative log file.
#pragma once
#include "flight/heli_state.h"

void ClassifyFlightTime(const HeliState& state, float dt);
