// Opening a file with the desktop's viewer (xdg-open), not waited for.
#pragma once
#include <string>

// Starts xdg-open on path. False when it could not be started (e.g. xdg-open is not installed).
bool OpenWithDesktopViewer(const std::string& path);
