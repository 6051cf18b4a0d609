#include <windows.h>

#include <shellapi.h>

#include "console.h"
#include "platform/wide_string.h"

namespace kinorex::cli {

std::vector<std::string> commandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(platform::narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

bool standardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

int terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        return 80;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

Utf8Console::Utf8Console() {
    if (standardOutputIsTerminal()) {
        previousCodePage_ = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (previousCodePage_ != 0) {
        SetConsoleOutputCP(previousCodePage_);
    }
}

}  // namespace kinorex::cli
