// The program's answers to signals.
#include "shell/Signals.h"

#include <csignal>

void catchSignals() {
    // A write into a pipe without a reader fails with EPIPE instead.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}
