// Settings of the picture and the window that the binary settings files cannot hold, kept in Settings.ini.
#pragma once

// Smooth motion, anti-aliasing, the interface scale and the pilot aids, read before the window exists.
void LoadPresentationSettings();
// The window's place, size and full-screen state as last saved; on the first start the system places it.
void RestoreWindowFromSettings();
// Smooth motion, the window's place, size and full-screen state, and the pilot aids, for the next start.
void StorePresentationSettings();
