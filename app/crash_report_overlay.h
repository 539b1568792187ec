// The crash report drawn over the frozen picture after a crash.
#pragma once

// Draws CrashReportText centred over the field below the menu bar, one line under the other, in a size
// that reads across the field and fits the window. Nothing when the report is empty.
void DrawCrashReport(int menuHeight, int clientWidth, int clientHeight);
