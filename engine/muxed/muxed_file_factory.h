#pragma once

#include <memory>

#include "channel_file.h"
#include "output_format.h"
#include "platform/file_sink.h"

// The module exports this function alone; everything else in it stays hidden.
#if defined(__GNUC__) && !defined(_WIN32)
#define KINOREX_MUXED_ENTRY __attribute__((visibility("default")))
#else
#define KINOREX_MUXED_ENTRY
#endif

namespace kinorex {

// The one way into the code that uses FFmpeg: makes the file of an MP4 or Matroska output,
// written through sink; path names the file for the muxer. Returns 0 and sets file, or an
// errno value.
//
// On Linux this code is a module of its own that the engine opens on first use
// (muxed_module.h), so that a run writing AVI never maps the FFmpeg libraries; on Windows,
// where FFmpeg is linked statically, the programs carry it.
using CreateMuxedFile = int(std::unique_ptr<FileSink> sink, const char* path, OutputFormat format,
                            bool fragmented, std::unique_ptr<ChannelFile>& file);

}  // namespace kinorex

// Unmangled, so that dlsym finds it by this name.
extern "C" KINOREX_MUXED_ENTRY kinorex::CreateMuxedFile kinorexCreateMuxedFile;
