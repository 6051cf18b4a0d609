#include "platform/command_line.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/wide_string.h"

namespace kinorex::platform {

std::vector<std::string> commandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace kinorex::platform
