// The shared random source of the simulation thread.
#include "flight/sim_rand.h"

#include "flight/sim_rand_internal.h"

uint32_t SimRandState = 1; // the runtime's state before any seeding

int32_t SimRand() {
    SimRandState = SimRandState * 214013u + 2531011u;
    return static_cast<int32_t>((SimRandState >> 16) & 0x7FFFu);
}
