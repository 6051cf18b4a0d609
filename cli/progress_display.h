#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace kinorex::cli {

// One line of the terminal progress bar: "[#####.....]  50%  12.5 MB/s  0:04 left",
// shorter than `columns` so that it never wraps: the bar shrinks first, then goes, then the
// line is cut. A negative secondsLeft means "not known yet".
std::string formatProgressLine(int percent, double bytesPerSecond, long secondsLeft,
                               int columns = 80);

// Reports one source after another: on a terminal a bar redrawn in place,
// elsewhere one line per source, nothing at all when quiet.
class ProgressDisplay {
public:
    enum class Mode { Quiet, Lines, Bar };

    ProgressDisplay(std::ostream& out, Mode mode) : out_(out), mode_(mode) {}

    void begin(const std::string& source, std::uint64_t sourceBytes);
    void update(int percent);
    void end();
    // Prints one written file; only after end().
    void fileWritten(const std::string& path, std::uint64_t bytes);

private:
    std::ostream& out_;
    Mode mode_;
    std::uint64_t sourceBytes_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::size_t barLength_ = 0;  // of the bar on screen, 0 when none is
};

}  // namespace kinorex::cli
