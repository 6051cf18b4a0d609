#pragma once

#include <string>

#include "muxed/muxed_file_factory.h"

namespace kinorex {

// Where MP4 and Matroska files come from: the entry point of the code that uses FFmpeg, or,
// when it is missing, why. Linux opens the module kinorex-muxed.so (installed in
// <libdir>/kinorex, found relative to the running program) on the first call and keeps it
// for the rest of the process; Windows links the code in.
struct MuxedModule {
    CreateMuxedFile* create = nullptr;
    std::string problem;  // set when create is not
};

const MuxedModule& muxedModule();

}  // namespace kinorex
