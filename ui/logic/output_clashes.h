#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kinorex {

// One line for every pair of recordings that would write the same files into
// `outputFolder` (the same base name from two folders), such as
// "/a/rec.h264 and /b/rec.h264 would both write /out/rec_N.avi", the same lines the command
// line refuses such a batch with. Empty when every recording has names of its own.
std::vector<std::string> describeOutputClashes(const std::vector<std::string>& sources,
                                               std::string_view outputFolder,
                                               std::string_view extension);

}  // namespace kinorex
