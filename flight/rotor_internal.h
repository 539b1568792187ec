// What the rotor carries from one step to the next; only flight/'s own files (and tests) use it.
#pragma once

// What the previous step's cyclic rotation carries into the next one (radians per step); not cleared by a
// reset.
struct CyclicCarryState {
    float roll = 0.0f;
    float pitch = 0.0f;
};
extern CyclicCarryState CyclicCarry;
