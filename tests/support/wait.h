#pragma once

#include <chrono>
#include <thread>

namespace kinorex::test {

// Polls `condition` until it holds or `timeout` has passed; returns its last answer.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

}  // namespace kinorex::test
