#include "channel_choice.h"

#include <set>
#include <utility>

namespace kinorex {

namespace {

std::string pictureSizes(const std::vector<const ChannelInfo*>& withVideo) {
    std::set<std::pair<int, int>> sizes;
    for (const ChannelInfo* channel : withVideo) {
        sizes.emplace(channel->width, channel->height);
    }
    std::string text;
    for (const auto& [width, height] : sizes) {
        text += (text.empty() ? "" : " or ") +
                (width > 0 && height > 0 ? std::to_string(width) + "x" + std::to_string(height)
                                         : std::string("unknown picture size"));
    }
    return text;
}

std::string voice(const std::vector<const ChannelInfo*>& withVideo) {
    std::size_t speaking = 0;
    for (const ChannelInfo* channel : withVideo) {
        speaking += channel->hasAudio ? 1 : 0;
    }
    if (speaking == 0) {
        return "no voice";
    }
    if (speaking == withVideo.size()) {
        return "with voice";
    }
    return "voice in " + std::to_string(speaking) + " of " + std::to_string(withVideo.size()) +
           " recordings";
}

std::string toolTip(const std::vector<RecordingContents>& recordings, int index) {
    std::vector<const ChannelInfo*> withVideo;
    for (const auto& recording : recordings) {
        if (recording.channels[index].hasVideo) {
            withVideo.push_back(&recording.channels[index]);
        }
    }
    if (withVideo.empty()) {
        return recordings.size() == 1 ? "No video in this recording"
                                      : "No video in any of the recordings";
    }
    std::string text = pictureSizes(withVideo) + ", " + voice(withVideo);
    // The length is a count of frames over the rate, so it needs every frame counted.
    const ChannelInfo& channel = *withVideo.front();
    if (recordings.size() == 1 && recordings.front().scannedWhole && channel.frameRate > 0) {
        text += ", " + aboutDuration(channel.videoFrames / channel.frameRate);
    }
    return text;
}

}  // namespace

ChannelChoice channelChoice(const std::vector<RecordingContents>& recordings) {
    ChannelChoice choice;
    if (recordings.empty()) {
        return choice;
    }
    choice.enabled = 0;
    for (int i = 0; i < kChannelCount; ++i) {
        for (const auto& recording : recordings) {
            if (recording.channels[i].hasVideo) {
                choice.enabled |= std::uint32_t{1} << i;
            }
        }
        choice.toolTips[i] = toolTip(recordings, i);
    }
    return choice;
}

std::string aboutDuration(std::int64_t seconds) {
    if (seconds < 1) {
        return "under 1 s";
    }
    if (seconds < 60) {
        return "about " + std::to_string(seconds) + " s";
    }
    if (seconds < 3600) {
        return "about " + std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) +
               " s";
    }
    return "about " + std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) +
           " min";
}

}  // namespace kinorex
