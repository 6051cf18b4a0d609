#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace kinorex::test {

// A unique path in the temporary directory, removed (with whatever was created there) when
// the object goes out of scope.
class TempPath {
public:
    explicit TempPath(const std::string& name);
    ~TempPath();
    TempPath(const TempPath&) = delete;
    TempPath& operator=(const TempPath&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // In UTF-8, as Kinorex takes file names on every platform.
    std::string string() const { return utf8_; }
    const char* c_str() const { return utf8_.c_str(); }

private:
    std::filesystem::path path_;
    std::string utf8_;
};

// Names of the files in `folder` whose extension is `extension` (such as ".avi").
std::set<std::string> fileNamesWithExtension(const std::filesystem::path& folder,
                                             std::string_view extension);

}  // namespace kinorex::test
