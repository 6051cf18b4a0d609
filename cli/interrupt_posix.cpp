#include <time.h>

#include <csignal>

#include "interrupt.h"

namespace kinorex::cli {

namespace {

// The first signal that asked to stop; 0 while none has.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onInterrupt(int signal) {
    if (stopSignal == 0) {
        stopSignal = signal;
    }
}

}  // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    // `kinorex-convert ... | head` must not lose files when head has had enough: a write to
    // the closed pipe fails instead, and the stream drops the rest of the output.
    std::signal(SIGPIPE, SIG_IGN);
}

bool interruptRequested() {
    return stopSignal != 0;
}

int interruptExitStatus() {
    return 128 + stopSignal;
}

void sleepUnlessInterrupted(std::chrono::milliseconds duration) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    const timespec time{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(duration - seconds).count())};
    // nanosleep ends early with EINTR when our handler runs, unlike sleep_for,
    // which goes back to sleep.
    ::nanosleep(&time, nullptr);
}

void interruptHandled() {}

}  // namespace kinorex::cli
