#include "ffprobe.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace kinorex::test {

namespace {

std::string quoted(const std::string& path) {
    std::string result = "'";
    for (char c : path) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

}  // namespace

std::string runCommand(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

bool ffmpegAvailable() {
    return std::system("command -v ffprobe >/dev/null && command -v ffmpeg >/dev/null") == 0;
}

std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path) {
    int status = 0;
    std::istringstream lines(runCommand(
        "ffprobe -v error -count_packets -show_entries "
        "stream=codec_name,sample_rate,channels,nb_read_packets,r_frame_rate,width,height " +
            quoted(path),
        status));
    std::vector<std::map<std::string, std::string>> streams;
    for (std::string line; std::getline(lines, line);) {
        if (line == "[STREAM]") {
            streams.emplace_back();
        } else if (const auto eq = line.find('='); eq != std::string::npos && !streams.empty()) {
            streams.back()[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    if (status != 0) {
        streams.clear();
    }
    return streams;
}

std::string decodeErrors(const std::string& path) {
    int status = 0;
    std::string output =
        runCommand("ffmpeg -nostdin -v error -i " + quoted(path) + " -f null -", status);
    if (status != 0 && output.empty()) {
        output = "ffmpeg failed with status " + std::to_string(status);
    }
    return output;
}

}  // namespace kinorex::test
