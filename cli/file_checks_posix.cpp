#include "file_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kinorex::cli {

std::optional<std::string> unreadableSourceReason(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::strerror(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return "is a folder, not a recording";
    }
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return std::strerror(errno);
    }
    ::close(fd);
    return std::nullopt;
}

std::optional<std::string> unwritableFolderReason(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return std::strerror(errno);
    }
    if (!S_ISDIR(status.st_mode)) {
        return "not a folder";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return std::strerror(errno);
    }
    return std::nullopt;
}

std::string currentFolder() {
    char* folder = ::getcwd(nullptr, 0);
    std::string text = folder != nullptr ? folder : "";
    std::free(folder);
    return text;
}

std::uint64_t fileSize(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace kinorex::cli
