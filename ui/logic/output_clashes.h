#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kinorex {

// One line for every recording that would write the same AVI files into `outputFolder` as
// an earlier one (the same base name from two folders), such as
// "/b/rec.h264 would overwrite the files of /a/rec.h264". Empty when every recording has
// names of its own.
std::vector<std::string> describeOutputClashes(const std::vector<std::string>& sources,
                                               std::string_view outputFolder);

}  // namespace kinorex
