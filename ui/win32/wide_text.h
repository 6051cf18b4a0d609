#pragma once

#include <string>
#include <string_view>

namespace kinorex::win32 {

// Kinorex keeps text as UTF-8; Windows takes and gives UTF-16. These convert
// at that boundary. Ill-formed input becomes U+FFFD rather than being lost.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace kinorex::win32
