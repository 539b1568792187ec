// Starts xdg-open on a file without waiting for it; any failure is ignored.
#include "platform/shell_open.h"

#include <signal.h>
#include <spawn.h>

extern char** environ;

void OpenWithDesktopViewer(const std::string& path) {
    // Finished viewers are reaped by the system instead of lingering as zombies.
    signal(SIGCHLD, SIG_IGN);
    pid_t pid;
    char program[] = "xdg-open";
    std::string arg = path;
    char* argv[] = {program, arg.data(), nullptr};
    posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
}
