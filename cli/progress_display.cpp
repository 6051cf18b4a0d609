#include "progress_display.h"

#include <algorithm>
#include <cstdio>

namespace kinorex::cli {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string formatProgressLine(int percent, double bytesPerSecond, long secondsLeft) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kBarWidth / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";

    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %3d%%  %6.1f MB/s", percent, bytesPerSecond / 1e6);
    line += numbers;
    if (secondsLeft >= 0) {
        std::snprintf(numbers, sizeof numbers, "  %ld:%02ld left", secondsLeft / 60,
                      secondsLeft % 60);
    } else {
        std::snprintf(numbers, sizeof numbers, "  -:-- left");
    }
    line += numbers;
    return line;
}

void ProgressDisplay::begin(const std::string& source, std::uint64_t sourceBytes) {
    sourceBytes_ = sourceBytes;
    started_ = std::chrono::steady_clock::now();
    if (mode_ != Mode::Quiet) {
        out_ << "Converting " << source << '\n' << std::flush;
    }
}

void ProgressDisplay::update(int percent) {
    if (mode_ != Mode::Bar) {
        return;
    }
    percent = std::clamp(percent, 0, 100);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double bytesDone = static_cast<double>(sourceBytes_) * percent / 100.0;
    const double rate = seconds > 0 ? bytesDone / seconds : 0.0;
    const long secondsLeft =
        percent > 0 ? static_cast<long>(seconds * (100 - percent) / percent + 0.5) : -1;
    const auto line = formatProgressLine(percent, rate, secondsLeft);
    out_ << '\r' << line << std::flush;
    barLength_ = std::max(barLength_, line.size());
}

void ProgressDisplay::end() {
    if (barLength_ > 0) {
        // Blanks rather than an erase-line escape, which a Windows console may print as is.
        out_ << '\r' << std::string(barLength_, ' ') << '\r' << std::flush;
        barLength_ = 0;
    }
}

void ProgressDisplay::fileWritten(const std::string& path, std::uint64_t bytes) {
    if (mode_ != Mode::Quiet) {
        out_ << "  " << path << "  " << bytes << " bytes\n";
    }
}

}  // namespace kinorex::cli
