#include "channel_parts.h"

#include <cerrno>
#include <system_error>

#include "aside_files.h"
#include "output_naming.h"

namespace kinorex {

namespace {

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
    close(false);
    report_ = ChannelReport{};
    asidePaths_.clear();
    failed_ = false;
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
    removeStaleAsideFiles(channelPartName(prefix_, channelNumber_, 1, formatName(format_)));
    openPart();
}

void ChannelParts::openPart() {
    OutputFileReport file;
    file.path = channelPartName(prefix_, channelNumber_, static_cast<int>(report_.files.size()) + 1,
                                formatName(format_));
    asidePaths_.push_back(asidePath(file.path));
    int error = 0;
    if (!fitsOutputName(file.path)) {
        error = ENAMETOOLONG;
    } else if (output_.Create(asidePaths_.back().c_str(), &error)) {
        file.created = true;
        error =
            output_.CreateVideoStream(info_.frameRate, info_.width, info_.height, kVideoCodecH264);
        if (!error && info_.hasAudio) {
            error = output_.CreateAudioStream(kAudioCodecPcm);
        }
    }
    if (error) {
        noteFailure(file, error);
    }
    report_.files.push_back(std::move(file));
}

void ChannelParts::noteFailure(OutputFileReport& file, int error) {
    noteError(file, errorText(error));
    failed_ = true;
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
        file.voiceChunksLost += file.voiceChunksWritten - completion.audioChunks;
        file.voiceChunksWritten = completion.audioChunks;
    }
    file.completed = completion.error == 0;
    if (completion.error) {
        noteFailure(file, completion.error);
    }
}

void ChannelParts::close(bool wholeRecording) {
    if (active_) {
        closePart();
        place(wholeRecording);
        active_ = false;
    }
}

// A set of files that is cut short never replaces a set that exists: half of a recording
// would otherwise take the place of all of it. Where nothing of the name exists, what was
// written is better than nothing.
void ChannelParts::place(bool wholeRecording) {
    const std::string& firstPath = report_.files.front().path;
    report_.earlierKept = (!wholeRecording || failed_) && pathExists(firstPath);
    for (std::size_t i = 0; i < report_.files.size(); ++i) {
        auto& file = report_.files[i];
        if (!file.created) {
            continue;
        }
        if (report_.earlierKept || file.chunksWritten == 0) {
            removeFile(asidePaths_[i]);
        } else if (const int error = replaceFile(asidePaths_[i].c_str(), file.path.c_str())) {
            // Such as a file of that name held open by a player that forbids it.
            noteError(file, "cannot be replaced: " + errorText(error));
            failed_ = true;
            removeFile(asidePaths_[i]);
        } else {
            file.placed = true;
        }
    }
    if (report_.files.front().placed) {
        removePartsBeyond(firstPath, static_cast<int>(report_.files.size()));
    }
}

bool ChannelParts::shouldStartPartAtKeyFrame() const {
    return output_.hasFile() && report_.files.back().chunksWritten > 0 &&
           output_.roomLeft() < limits_.keyFrameMargin;
}

void ChannelParts::count(bool written, bool voice) {
    OutputFileReport& file = current();
    ++(written ? file.chunksWritten : file.chunksLost);
    if (voice) {
        ++(written ? file.voiceChunksWritten : file.voiceChunksLost);
    }
}

template <typename Attempt>
void ChannelParts::write(bool voice, Attempt attempt) {
    if (!output_.hasFile()) {
        count(false, voice);  // why was noted when the file could not be made
        return;
    }
    int result = attempt();
    // A full part is closed and the chunk goes into the next one; a chunk that does not
    // fit even into an empty part is lost rather than leaving empty parts behind.
    if (result == kRefusedAtLimit && current().chunksWritten > 0) {
        closePart();
        openPart();
        if (!output_.hasFile()) {
            count(false, voice);
            return;
        }
        result = attempt();
    }
    count(result == 0, voice);
    if (result == 0) {
        return;
    }
    if (result == kRefusedAtLimit) {
        noteError(current(), "a frame larger than an AVI file may be");
    } else {
        noteFailure(current(), result);
    }
}

void ChannelParts::writeVideo(const std::uint8_t* frame, std::int32_t size, bool keyFrame) {
    if (!active_) {
        return;
    }
    if (keyFrame && shouldStartPartAtKeyFrame()) {
        closePart();
        openPart();
    }
    write(false, [&] { return output_.WriteVideo(frame, size, keyFrame); });
}

void ChannelParts::writeAudio(const std::int16_t* pcm, std::int32_t size) {
    if (active_) {
        write(true, [&] { return output_.WriteAudio(pcm, size); });
    }
}

}  // namespace kinorex
