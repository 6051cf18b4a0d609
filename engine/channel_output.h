#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "channel_file.h"
#include "output_format.h"
#include "part_limits.h"
#include "platform/file_sink.h"

namespace kinorex {

// The output side of one channel: a file with the channel's H.264 frames and, where the
// channel has audio, its 16-bit mono PCM at 8000 Hz, in the format chosen by setFormat: an AVI
// file with the frames as stream 0 and the PCM as stream 1 unless told otherwise.
//
// Results: 0 on success; -1 for a refusal (unknown codec code, no file or stream, the
// file size limit); otherwise the errno value of the failed system call.
class ChannelOutput {
public:
    // Opens the file for Create; tests put sinks here that fail or discard.
    using FileOpener = std::function<int(const char* path, std::unique_ptr<FileSink>& sink)>;

    // What Release found: the first error completing the file (0 when it is complete),
    // the chunks it holds and how many of them are PCM.
    struct Completion {
        int error = 0;
        std::uint64_t chunks = 0;
        std::uint64_t audioChunks = 0;
    };

    ChannelOutput();
    // maxFileSize bounds a whole AVI file, headers and index included; tests make it small.
    // The other formats have no such limit.
    explicit ChannelOutput(FileOpener opener, std::uint64_t maxFileSize = kMaxAviFileSize);
    ~ChannelOutput();

    ChannelOutput(const ChannelOutput&) = delete;
    ChannelOutput& operator=(const ChannelOutput&) = delete;

    // The format of the files Create makes from now on; fragmented MP4 for a long recording.
    void setFormat(OutputFormat format, bool fragmented = false) {
        format_ = format;
        fragmented_ = fragmented;
    }

    // Replaces any file of that name by a new file and starts the counts from 0.
    // On failure, error (when given) receives the errno value.
    bool Create(const char* fileName, int* error = nullptr);
    // frameRate in frames per second; codec 0 or 10 "XVID", 2 "H263", 3 "H264".
    int CreateVideoStream(std::int32_t frameRate, std::int32_t width, std::int32_t height,
                          std::int32_t codec);
    // codec 0 PCM, 1 or 2 MPEG layer 3, 20, 21, 22 or 28 format tag 0xA280.
    int CreateAudioStream(std::int32_t codec);
    int WriteVideo(const void* frame, std::int32_t size, bool keyFrame);
    // Without an audio stream the block is dropped and the result is 0.
    int WriteAudio(const void* pcm, std::int32_t size);
    // Completes the file on disk and closes it.
    Completion Release();

    bool hasFile() const { return file_ != nullptr; }
    // Bytes the file can still grow by before a write is refused at its size limit.
    std::uint64_t roomLeft() const;

private:
    FileOpener opener_;
    std::uint64_t maxFileSize_;
    OutputFormat format_ = OutputFormat::Avi;
    bool fragmented_ = false;
    std::unique_ptr<ChannelFile> file_;
    bool hasVideo_ = false;
    bool hasAudio_ = false;
};

}  // namespace kinorex
