#include "progress_display.h"

#include <algorithm>
#include <cstdio>

#include "console.h"

namespace kinorex::cli {

namespace {

constexpr int kBarWidth = 30;
// Narrower than this, a bar says too little to be worth its room.
constexpr int kNarrowestBar = 5;

}  // namespace

std::string formatProgressLine(int percent, double bytesPerSecond, long secondsLeft, int columns) {
    percent = std::clamp(percent, 0, 100);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %3d%%  %6.1f MB/s", percent, bytesPerSecond / 1e6);
    std::string figures = numbers;
    if (secondsLeft >= 0) {
        std::snprintf(numbers, sizeof numbers, "  %ld:%02ld left", secondsLeft / 60,
                      secondsLeft % 60);
    } else {
        std::snprintf(numbers, sizeof numbers, "  -:-- left");
    }
    figures += numbers;

    // The last column stays free: a terminal that wraps there would start a new line.
    const int room = std::max(columns - 1, 0);
    const int barWidth = std::min(kBarWidth, room - 2 - static_cast<int>(figures.size()));
    std::string line;
    if (barWidth >= kNarrowestBar) {
        const int filled = percent * barWidth / 100;
        line = "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "]";
    } else {
        figures.erase(0, 1);  // no bar to keep apart from
    }
    line += figures;
    line.resize(std::min(line.size(), static_cast<std::size_t>(room)));
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
    const auto line = formatProgressLine(percent, rate, secondsLeft, terminalColumns());
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
