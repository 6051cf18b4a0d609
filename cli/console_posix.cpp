#include <sys/ioctl.h>
#include <unistd.h>

#include "console.h"

namespace kinorex::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool standardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

int terminalColumns() {
    winsize size{};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// Terminals take the bytes as they come; nothing to switch.
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace kinorex::cli
