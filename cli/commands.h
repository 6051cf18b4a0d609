#pragma once

#include <string>

#include "options.h"

namespace kinorex::cli {

// Converts every source in turn; a source that fails does not stop the others.
// Returns the process exit status.
int runConversions(const Options& options);

// Prints what each source holds, channel by channel; writes nothing.
int runInfo(const Options& options);

// The folder a source's AVI files go to: the chosen one, else the source's own.
std::string outputFolderFor(const Options& options, const std::string& source);

}  // namespace kinorex::cli
