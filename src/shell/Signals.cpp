// The program's answers to signals: the stop flag, and the thread that
// turns a stop into SDL's quit event while the game runs.
#include "shell/Signals.h"

#include <SDL.h>
#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <system_error>
#include <thread>

namespace {

// Set by the handler, which may run on any thread: lock-free atomics only.
std::atomic<bool> stopSignalled{false};
std::atomic<bool> forwarding{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler needs a lock-free flag");
// Posted by the handler while forwarding; sem_post is safe in a handler. Never
// destroyed: a handler on another thread may still post to it.
sem_t stopPosted;
std::thread forwarder;

void onStop(int) {
    const int saved = errno;
    stopSignalled = true;
    if (forwarding) sem_post(&stopPosted);
    errno = saved;
}

void forwardEach() {
    for (;;) {
        if (sem_wait(&stopPosted) != 0) continue;  // interrupted
        if (!forwarding) break;
        SDL_Event quit;
        SDL_zero(quit);
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
    // SDL keeps its error text per thread, and frees it only for its own.
    SDL_TLSCleanup();
}

}  // namespace

void catchSignals() {
    // A write into a pipe without a reader fails with EPIPE instead.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);

    struct sigaction stop = {};
    stop.sa_handler = onStop;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = SA_RESTART;
    sigset_t caught;
    sigemptyset(&caught);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction inherited = {};
        if (sigaction(s, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
        sigaction(s, &stop, nullptr);
        sigaddset(&caught, s);
    }
    pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
    // SDL would leave handlers it finds in place anyway; said outright.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

bool stopAsked() { return stopSignalled; }

void forwardStops() {
    if (forwarder.joinable()) return;
    sem_init(&stopPosted, 0, 0);
    try {
        forwarder = std::thread(forwardEach);
    } catch (const std::system_error& e) {
        SDL_Log("Signals: %s", e.what());
        return;
    }
    // A stop from here on is posted; one before it the caller finds in
    // stopAsked, which it asks after this.
    forwarding = true;
}

void stopForwarding() {
    if (!forwarder.joinable()) return;
    forwarding = false;
    sem_post(&stopPosted);
    forwarder.join();
}
