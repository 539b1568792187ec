// Starts xdg-open on a file without waiting for it; tells the caller whether it could be started.
#include "platform/shell_open.h"

#include <signal.h>
#include <spawn.h>

extern char** environ;

bool OpenWithDesktopViewer(const std::string& path) {
    // Finished viewers are reaped by the system instead of lingering as zombies.
    signal(SIGCHLD, SIG_IGN);
    pid_t pid;
    char program[] = "xdg-open";
    std::string arg = path;
    char* argv[] = {program, arg.data(), nullptr};
    return posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0;
}
