// The quit signals and the broken pipe (POSIX signal dispositions).
#include "runtime/Signals.h"

#include <signal.h>

#include <initializer_list>

namespace {
volatile sig_atomic_t g_quitSignal = 0;

void OnQuitSignal(int number) {
    // Ctrl+C again while the first one is still waiting for the message pump: the person
    // wants out of a program that does not get there.
    if (number == SIGINT && g_quitSignal == SIGINT) {
        ::signal(SIGINT, SIG_DFL);
        ::raise(SIGINT);
        return;
    }
    g_quitSignal = number;
}

void Handle(int number, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;  // reads and writes in progress go on
    sigemptyset(&action.sa_mask);
    sigaction(number, &action, nullptr);
}

// A signal ignored by whoever started the program stays ignored: nohup's SIGHUP, the
// SIGINT of a job a shell started in the background.
bool IgnoredFromTheStart(int number) {
    struct sigaction current = {};
    return sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}
}  // namespace

void KvInstallSignalHandlers() {
    Handle(SIGPIPE, SIG_IGN);
    for (int number : {SIGHUP, SIGINT, SIGTERM})
        if (!IgnoredFromTheStart(number)) Handle(number, OnQuitSignal);
}

bool KvQuitSignalled() { return g_quitSignal != 0; }
