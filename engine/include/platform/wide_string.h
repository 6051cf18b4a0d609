#pragma once

#include <string>
#include <string_view>

namespace kinorex::platform {

// Kinorex keeps file names in UTF-8; the Win32 file API takes UTF-16. Converting at that
// boundary (rather than using the "A" functions and the ANSI code page) is what lets
// recordings with names outside that code page open. Invalid UTF-8 gives an empty string,
// which every Win32 file function refuses.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

}  // namespace kinorex::platform
