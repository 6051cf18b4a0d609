#pragma once

// ffprobe and ffmpeg as independent readers of the AVI files we write.

#include <map>
#include <string>
#include <vector>

namespace kinorex::test {

// Runs a shell command and returns what it printed on stdout and stderr together;
// `status` receives its exit status.
std::string runCommand(const std::string& command, int& status);

// True when ffprobe and ffmpeg can be run.
bool ffmpegAvailable();

// ffprobe's fields of each stream of a file (codec_name, width, height, r_frame_rate,
// sample_rate, channels, nb_read_packets), one map per stream in stream order.
std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path);

// What ffmpeg reports while decoding every stream of a file: empty for a clean file.
std::string decodeErrors(const std::string& path);

}  // namespace kinorex::test
