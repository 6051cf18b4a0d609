#pragma once

#include <string>
#include <string_view>

namespace kinorex {

// A conversion writes each file under a hidden name beside its final one, and puts it in
// place only once it is complete, so that an earlier file of that name survives a run that
// is cut short or killed. The hidden name says what the file is and which process wrote
// it: "rec_1.avi" is written as ".rec_1.avi.<process id>.kinorex-partial".

// The hidden name for `finalPath`, in the same folder.
std::string asidePath(std::string_view finalPath);

// Removes the files that processes no longer running left aside for any of the channel's
// names (its first file `firstPartPath` and that file's "_partK" files). Files of running
// processes stay: another conversion may be writing them.
void removeStaleAsideFiles(std::string_view firstPartPath);

// Removes the channel's "_partK" files for K above `partsWritten`: they belong to an
// earlier, longer conversion, and beside the new files they would look like part of them.
void removePartsBeyond(std::string_view firstPartPath, int partsWritten);

// Whether anything exists under that name.
bool pathExists(std::string_view path);
// Removes a file; nothing happens when there is none.
void removeFile(std::string_view path);

}  // namespace kinorex
