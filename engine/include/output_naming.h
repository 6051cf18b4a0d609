#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// The text after the last separator: "cam2.h264" of "/rec/cam2.h264".
std::string_view fileNameOf(std::string_view path, const PathStyle& style = kNativePaths);

// The folder part of a source path: everything before its last separator, or an empty
// string when the path has none ("/rec/cam1.h264" gives "/rec", "C:\x.h264" gives "C:").
std::string defaultOutputFolder(std::string_view sourcePath, const PathStyle& style = kNativePaths);

// The path stem of a conversion's AVI files: the output folder, one separator and the
// source file's name up to its last dot. A name without a dot, or whose only dot leads it
// (".h264"), is taken whole, so that no two such sources share the stem "folder/". A
// folder that already ends in a separator gets no second one.
std::string outputPrefix(std::string_view sourcePath, std::string_view outputFolder,
                         const PathStyle& style = kNativePaths);

// "<prefix>_<channelNumber>.<extension>" for a channel's first file; a channel too big for
// one file goes on in "<prefix>_<channelNumber>_part2.<extension>", "_part3" and so on.
std::string channelPartName(std::string_view prefix, int channelNumber, int part,
                            std::string_view extension = "avi");

// Which of a channel's files `fileName` is: 1 for `firstPartName` itself (such as
// "rec_3.avi"), k for its "_partK" file ("rec_3_partK.avi", same extension), nothing for
// any other name. Both are names without a folder.
std::optional<int> channelPartNumber(std::string_view fileName, std::string_view firstPartName);

// Whether a composed name fits in kMaxOutputNameBytes with its terminating zero.
bool fitsOutputName(std::string_view name);

// The first part's name, or nothing when it would not fit.
std::optional<std::string> channelFileName(std::string_view prefix, int channelNumber,
                                           std::string_view extension = "avi");

// One source of a batch and the folder its files go to.
struct PlannedSource {
    std::string source;
    std::string outputFolder;
};

// Why a batch cannot be converted as given. `later` is the index of the second source of the
// pair; a SameSource entry is left out of the batch, a SameNames pair stops it, as the later
// source would replace the earlier one's files.
struct OutputConflict {
    enum class Kind { SameSource, SameNames };
    Kind kind;
    std::size_t earlier;
    std::size_t later;
    // "day1/rec.h264 and day2/rec.h264 would both write out/rec_N.avi" or
    // "rec.h264 is named twice; it is converted once".
    std::string message;
};

// The conflicts of a batch, in the order of its sources. Paths are compared as the file
// system would see them: a relative path from `currentFolder`, "." and ".." resolved, and on
// Windows without regard to case. Looks at no file, so two names for one file through a
// link count as two.
std::vector<OutputConflict> findOutputConflicts(std::span<const PlannedSource> batch,
                                                std::string_view currentFolder,
                                                std::string_view extension = "avi",
                                                const PathStyle& style = kNativePaths);

}  // namespace kinorex
