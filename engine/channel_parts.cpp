#include "channel_parts.h"

#include <cerrno>
#include <system_error>

#include "output_naming.h"

namespace kinorex {

namespace {

constexpr int kVideoCodecH264 = 3;
constexpr int kAudioCodecPcm = 0;
// ChannelOutput's result for a write refused at a size limit.
constexpr int kRefusedAtLimit = -1;

// The worker thread reports too, so the errno text comes from a thread-safe source.
std::string errorText(int error) {
    return std::generic_category().message(error);
}

void noteError(OutputFileReport& file, const std::string& reason) {
    if (file.firstError.empty()) {
        file.firstError = reason;
    }
}

}  // namespace

ChannelParts::ChannelParts(const PartLimits& limits)
    : output_(createFileSink, limits.maxFileSize), limits_(limits) {}

void ChannelParts::reset() {
    close();
    report_.files.clear();
}

void ChannelParts::open(const std::string& prefix, int channelNumber, const ChannelInfo& info,
                        OutputFormat format, std::uint64_t recordingBytes) {
    reset();
    prefix_ = prefix;
    channelNumber_ = channelNumber;
    info_ = info;
    format_ = format;
    output_.setFormat(format, recordingBytes > limits_.fragmentMp4Above);
    active_ = true;
    openPart();
}

void ChannelParts::openPart() {
    OutputFileReport file;
    file.path = channelPartName(prefix_, channelNumber_, static_cast<int>(report_.files.size()) + 1,
                                formatName(format_));
    int error = 0;
    if (!fitsOutputName(file.path)) {
        error = ENAMETOOLONG;
    } else if (output_.Create(file.path.c_str(), &error)) {
        file.created = true;
        error =
            output_.CreateVideoStream(info_.frameRate, info_.width, info_.height, kVideoCodecH264);
        if (!error && info_.hasAudio) {
            error = output_.CreateAudioStream(kAudioCodecPcm);
        }
    }
    if (error) {
        file.firstError = errorText(error);
    }
    report_.files.push_back(std::move(file));
}

void ChannelParts::closePart() {
    OutputFileReport& file = current();
    if (!file.created) {
        return;
    }
    const auto completion = output_.Release();
    // Chunks still buffered when the disk filled up never reached the file.
    if (completion.chunks < file.chunksWritten) {
        file.chunksLost += file.chunksWritten - completion.chunks;
        file.chunksWritten = completion.chunks;
    }
    file.completed = completion.error == 0;
    if (completion.error) {
        noteError(file, errorText(completion.error));
    }
}

void ChannelParts::close() {
    if (active_) {
        closePart();
        active_ = false;
    }
}

bool ChannelParts::shouldStartPartAtKeyFrame() const {
    return output_.hasFile() && report_.files.back().chunksWritten > 0 &&
           output_.roomLeft() < limits_.keyFrameMargin;
}

template <typename Attempt>
void ChannelParts::write(Attempt attempt) {
    if (!output_.hasFile()) {
        ++current().chunksLost;  // why was noted when the file could not be made
        return;
    }
    int result = attempt();
    // A full part is closed and the chunk goes into the next one; a chunk that does not
    // fit even into an empty part is lost rather than leaving empty parts behind.
    if (result == kRefusedAtLimit && current().chunksWritten > 0) {
        closePart();
        openPart();
        if (!output_.hasFile()) {
            ++current().chunksLost;
            return;
        }
        result = attempt();
    }
    if (result == 0) {
        ++current().chunksWritten;
        return;
    }
    ++current().chunksLost;
    noteError(current(), result == kRefusedAtLimit ? "a frame larger than an AVI file may be"
                                                   : errorText(result));
}

void ChannelParts::writeVideo(const std::uint8_t* frame, std::int32_t size, bool keyFrame) {
    if (!active_) {
        return;
    }
    if (keyFrame && shouldStartPartAtKeyFrame()) {
        closePart();
        openPart();
    }
    write([&] { return output_.WriteVideo(frame, size, keyFrame); });
}

void ChannelParts::writeAudio(const std::int16_t* pcm, std::int32_t size) {
    if (active_) {
        write([&] { return output_.WriteAudio(pcm, size); });
    }
}

}  // namespace kinorex
