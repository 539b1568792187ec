// The simulation clock's thread priority: real-time round-robin at the lowest real-time level where the
// system grants it (root, or a real-time limit such as the audio group's), else SDL's time-critical
// request (a lower nice value, directly or through RealtimeKit on a desktop).
#include "platform/thread_priority.h"

#include <SDL.h>
#include <pthread.h>
#include <sched.h>

bool RaiseThreadPriorityForTiming() {
    // The lowest real-time level: audio servers and the kernel's own threads stay ahead, every ordinary
    // process behind. The thread sleeps between its steps, and the kernel keeps a share of each second
    // for ordinary work should it ever not.
    sched_param p{};
    p.sched_priority = sched_get_priority_min(SCHED_RR);
    if (pthread_setschedparam(pthread_self(), SCHED_RR, &p) == 0) return true;
    return SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL) == 0;
}
