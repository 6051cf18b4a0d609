#pragma once

#include <string>
#include <vector>

namespace kinorex::platform {

// The program's arguments after its name, in UTF-8. Windows only: there argv holds them in
// the ANSI code page, which cannot spell every file name, so they are taken from the UTF-16
// command line instead.
std::vector<std::string> commandLineArguments();

}  // namespace kinorex::platform
