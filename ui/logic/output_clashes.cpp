#include "output_clashes.h"

#include <algorithm>
#include <map>

#include "output_naming.h"

namespace kinorex {

namespace {

// Windows' file names ignore the case of ASCII letters, so "Rec" and "rec" collide there.
std::string comparable(std::string prefix) {
    if (kNativePaths.separator == '\\') {
        std::transform(prefix.begin(), prefix.end(), prefix.begin(), [](unsigned char c) {
            return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        });
    }
    return prefix;
}

}  // namespace

std::vector<std::string> describeOutputClashes(const std::vector<std::string>& sources,
                                               std::string_view outputFolder) {
    std::map<std::string, const std::string*> firstWriter;
    std::vector<std::string> lines;
    for (const auto& source : sources) {
        const auto [entry, isNew] =
            firstWriter.emplace(comparable(outputPrefix(source, outputFolder)), &source);
        if (!isNew) {
            lines.push_back(source + " would overwrite the files of " + *entry->second);
        }
    }
    return lines;
}

}  // namespace kinorex
