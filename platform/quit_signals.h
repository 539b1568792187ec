// The ordinary ways a terminal or the system ends a program (SIGHUP, SIGINT, SIGQUIT, SIGTERM) turned
// into a request the main loop answers with the normal shutdown and its saves.
#pragma once

// Installs the handlers; call first thing in main, before any other thread starts.
void InstallQuitSignalHandlers();
// True once one of the four signals has arrived.
bool QuitSignalReceived();
