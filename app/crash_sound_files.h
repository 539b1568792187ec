// The crash sound files found at start: the pilot's folder and the install folder, as one list.
#pragma once

// Lists the crash sounds of the pilot's folder and of the install folder as one list, then names once
// every listed file that is no RIFF WAVE file (or says that no crash sound was found at all).
void FindCrashSoundFiles();
