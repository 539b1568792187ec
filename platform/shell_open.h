// Opening a file with the desktop's viewer (xdg-open), not waited for, failure ignored.
#pragma once
#include <string>

void OpenWithDesktopViewer(const std::string& path);
