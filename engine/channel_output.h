#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "avi/avi_writer.h"
#include "platform/file_sink.h"

namespace kinorex {

// The output side of one channel: an AVI file with the channel's H.264 frames as stream 0
// and, where the channel has audio, 16-bit mono PCM at 8000 Hz as stream 1.
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
    // maxFileSize bounds the whole file, headers and index included; tests make it small.
    explicit ChannelOutput(FileOpener opener, std::uint64_t maxFileSize = kMaxAviFileSize);
    ~ChannelOutput();

    ChannelOutput(const ChannelOutput&) = delete;
    ChannelOutput& operator=(const ChannelOutput&) = delete;

    // Replaces any file of that name by a new AVI file and starts the counts from 0.
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
    static constexpr int kNoStream = -1;

    int write(int stream, const void* data, std::int32_t size, bool keyFrame);

    FileOpener opener_;
    std::uint64_t maxFileSize_;
    std::unique_ptr<AviWriter> file_;
    int videoStream_ = kNoStream;
    int audioStream_ = kNoStream;
};

}  // namespace kinorex
