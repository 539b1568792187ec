// Crash sounds: the list found in the crashsounds folder and the synchronous playback after a crash.
#pragma once

// Called by the dynamics step (simulation lock held): picks a sound when crash sounds are on.
void PlayCrashSound();
// Called by ResetHelicopter: stops a crash sound that is still playing.
void EndCrashSound();
// Called by the simulation tick after it released the simulation lock: plays the picked sound to its end.
void PlayPendingCrashSound();
