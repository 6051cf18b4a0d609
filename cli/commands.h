#pragma once

#include <optional>
#include <string>
#include <vector>

#include "options.h"

namespace kinorex::cli {

// Converts every source in turn; a source that fails does not stop the others.
// Returns the process exit status.
int runConversions(const Options& options);

// Prints what each source holds, channel by channel; writes nothing.
int runInfo(const Options& options);

// The folder a source's AVI files go to: the chosen one, else the source's own.
std::string outputFolderFor(const Options& options, const std::string& source);

// Checks that no two sources would write the same files, saying on stderr what it finds.
// Returns, for each source, whether to convert it (a source named twice is converted
// once), or nothing when two sources clash and the run must not start.
std::optional<std::vector<bool>> sourcesToConvert(const Options& options);

}  // namespace kinorex::cli
