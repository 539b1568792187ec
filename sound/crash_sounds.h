// Crash sounds: the list found in the crashsounds folder and the synchronous playback after a crash.
#pragma once
#include <atomic>
#include <string>
#include <vector>

constexpr int MaxCrashSounds = 200;

// Paths of the .wav files found by ScanCrashSounds, at most MaxCrashSounds.
extern std::vector<std::string> CrashSoundList;

// Fills CrashSoundList with the .wav files of folder (directories skipped, names sorted).
void ScanCrashSounds(const std::string& folder);
// Index picked from a random value r (0..32767) for a list of count entries: r x count / 32768, an even
// chance for every entry; -1 for an empty list.
int PickCrashSound(int r, int count);

// Called by the dynamics step (simulation lock held): picks a sound when crash sounds are on.
void PlayCrashSound();
// Called by ResetHelicopter: stops a crash sound that is still playing.
void EndCrashSound();
// Called by the simulation tick after it released the simulation lock: plays the picked sound to its end.
void PlayPendingCrashSound();

// Plays the file at path to its end, returning early once stop becomes true.
using CrashSoundPlayer = void (*)(const std::string& path, const std::atomic<bool>& stop);
// Installed by the audio device code; with no player PlayPendingCrashSound returns at once.
void SetCrashSoundPlayer(CrashSoundPlayer player);

// Sound > "Crash": toggles CrashSoundEnabled under the simulation lock (call without holding it).
void ToggleCrashSound();
