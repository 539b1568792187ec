// Asks the system to run the calling thread ahead of ordinary work, for the simulation clock whose
// physics steps read the sticks every millisecond.
#pragma once

// Best effort: real-time round-robin where the system grants it, else a lower nice value (directly, or
// through RealtimeKit on a desktop), else the priority unchanged. True when it was raised.
bool RaiseThreadPriorityForTiming();
