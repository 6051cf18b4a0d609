#include "temp_path.h"

#include <unistd.h>
#include <atomic>

namespace kinorex::test {

TempPath::TempPath(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    // The name is UTF-8; a plain std::string would be taken in the ANSI code page on Windows.
    const std::string unique =
        "kinorex-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + name;
    path_ = std::filesystem::temp_directory_path() / std::u8string(unique.begin(), unique.end());
    const auto utf8 = path_.u8string();
    utf8_.assign(utf8.begin(), utf8.end());
}

TempPath::~TempPath() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::set<std::string> fileNamesWithExtension(const std::filesystem::path& folder,
                                             std::string_view extension) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == extension) {
            names.insert(entry.path().filename().string());
        }
    }
    return names;
}

}  // namespace kinorex::test
