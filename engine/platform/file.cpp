#include "platform/file.h"

namespace kinorex::platform {

File::~File() {
    close();
}

std::optional<std::size_t> File::read(void* buffer, std::size_t count) {
    if (!isOpen()) {
        return std::nullopt;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t delivered = 0;
    // A platform read may stop short of the request without being at the end of the file.
    while (delivered < count) {
        const auto got = readSome(out + delivered, count - delivered);
        if (!got) {
            return std::nullopt;
        }
        if (*got == 0) {
            break;
        }
        delivered += *got;
    }
    return delivered;
}

}  // namespace kinorex::platform
