#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kinorex {

// How paths separate their folders: every character of `separators` ends a folder name,
// and `separator` is the one Kinorex writes when it joins a folder and a file name.
struct PathStyle {
    std::string_view separators;
    char separator;
};

// Windows takes '/' as well as '\'; on POSIX a '\' is an ordinary character of a name.
inline constexpr PathStyle kWindowsPaths{"\\/", '\\'};
inline constexpr PathStyle kPosixPaths{"/", '/'};
#ifdef _WIN32
inline constexpr PathStyle kNativePaths = kWindowsPaths;
#else
inline constexpr PathStyle kNativePaths = kPosixPaths;
#endif

// Longest output file name the converter composes, terminating zero included.
inline constexpr std::size_t kMaxOutputNameBytes = 260;

// The folder part of a source path: everything before its last separator, or an empty
// string when the path has none ("/rec/cam1.h264" gives "/rec", "C:\x.h264" gives "C:").
std::string defaultOutputFolder(std::string_view sourcePath, const PathStyle& style = kNativePaths);

// The path stem of a conversion's AVI files: the output folder, one separator and the
// source file's name up to its last dot. A file name without a dot has an empty base name;
// a folder that already ends in a separator is used as it is, so the separator then
// appears twice.
std::string outputPrefix(std::string_view sourcePath, std::string_view outputFolder,
                         const PathStyle& style = kNativePaths);

// "<prefix>_<channelNumber>.<extension>" for a channel's first file; a channel too big for
// one file goes on in "<prefix>_<channelNumber>_part2.<extension>", "_part3" and so on.
std::string channelPartName(std::string_view prefix, int channelNumber, int part,
                            std::string_view extension = "avi");

// Whether a composed name fits in kMaxOutputNameBytes with its terminating zero.
bool fitsOutputName(std::string_view name);

// The first part's name, or nothing when it would not fit.
std::optional<std::string> channelFileName(std::string_view prefix, int channelNumber,
                                           std::string_view extension = "avi");

}  // namespace kinorex
