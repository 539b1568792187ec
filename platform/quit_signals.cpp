// Quit signals: the handler only sets an atomic flag that the main loop reads, so the shutdown saves run
// on the main thread as after "Exit".
#include "platform/quit_signals.h"

#include <atomic>
#include <csignal>

namespace {
std::atomic<bool> quitSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnQuitSignal(int) {
    quitSignalled.store(true, std::memory_order_relaxed);
}
} // namespace

void InstallQuitSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
        sigaction(signalNumber, &action, nullptr);
}

bool QuitSignalReceived() {
    return quitSignalled.load(std::memory_order_relaxed);
}
