#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process.h"

namespace kinorex::platform {

std::uint32_t currentProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

bool processIsRunning(std::uint32_t id) {
    // Signal 0 only asks; EPERM means it runs under another user.
    const auto pid = static_cast<pid_t>(id);
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace kinorex::platform
