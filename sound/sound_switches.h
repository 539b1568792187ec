// Sound > "Motor" and "Crash": whether the motor sound plays and whether a crash picks a sound (kept in
// UserPrefs.dat by the program).
#pragma once

extern bool MotorSoundEnabled;
extern bool CrashSoundEnabled;
