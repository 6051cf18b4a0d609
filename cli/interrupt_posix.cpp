#include "interrupt.h"

#include <time.h>

#include <csignal>

namespace kinorex::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

}  // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested() {
    return interrupted != 0;
}

void sleepUnlessInterrupted(std::chrono::milliseconds duration) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    const timespec time{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(duration - seconds).count())};
    // nanosleep ends early with EINTR when our handler runs, unlike sleep_for,
    // which goes back to sleep.
    ::nanosleep(&time, nullptr);
}

}  // namespace kinorex::cli
