#include "platform/file.h"

#include <atomic>

namespace kinorex::platform {

namespace {

std::atomic<std::uint64_t> failingFrom{0};
std::atomic<std::uint64_t> failingTo{0};

}  // namespace

void File::failReadsForTesting(std::uint64_t from, std::uint64_t to) {
    failingFrom.store(from, std::memory_order_relaxed);
    failingTo.store(to, std::memory_order_relaxed);
}

bool File::readFailsForTesting(std::size_t count) const {
    const std::uint64_t to = failingTo.load(std::memory_order_relaxed);
    if (to == 0 || count == 0) {
        return false;
    }
    const auto at = position();
    return !at || (*at<to&& * at + count> failingFrom.load(std::memory_order_relaxed));
}

File::~File() {
    close();
}

std::optional<std::size_t> File::read(void* buffer, std::size_t count) {
    if (!isOpen() || readFailsForTesting(count)) {
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
