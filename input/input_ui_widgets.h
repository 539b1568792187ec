// Small drawing helpers shared by the controller dialogs.
#pragma once

// A progress bar for a value in lo..hi (the dialog's bar range), showing the value as its label.
void DrawValueBar(int value, int lo, int hi);
// A 100 ms dialog timer on the UI clock: true once per 100 ms since start or the last tick.
bool DialogTimerDue(double& lastTick);
void StartDialogTimer(double& lastTick);
// A group caption line, as the dialog resources' group boxes.
void GroupCaption(const char* caption);
