#include "channel_scan.h"

#include <bitset>
#include <thread>
#include <vector>

#include "recording/frame_record.h"
#include "recording/recording_reader.h"

namespace kinorex {

int selectedChannelCount(std::uint32_t channelMask) {
    return static_cast<int>(std::bitset<kChannelCount>(channelMask & 0xFFFFu).count());
}

void readChannelHeaders(RecordingReader& reader, ChannelTable& table) {
    for (int i = 0; i < kChannelCount; ++i) {
        const auto channelNumber = static_cast<std::uint8_t>(i + 1);
        reader.GetResolution(channelNumber, table[i].width, table[i].height);
        table[i].frameRate = reader.GetFrameRate(channelNumber);
    }
}

namespace {

// What one record tells of its channel; audio of channel k goes to every channel whose
// video frames name channel number k + 1.
void noteRecord(const FrameRecord& record, std::array<bool, kChannelCount>& audioResolved,
                ChannelTable& table) {
    const std::uint32_t k = record.channelIndex();
    ChannelInfo& channel = table[k];
    if (record.isVideo()) {
        channel.hasVideo = 1;
        ++channel.videoFrames;
    }
    // Once a channel's audio is found, its later video frames no longer change
    // which audio it carries nor its frame rate.
    if (!channel.hasVideo || audioResolved[k]) {
        return;
    }
    if (record.isVideo()) {
        channel.audioChannel = record.audioChannel();
        if (record.isKeyFrame()) {
            channel.frameRate = kKeyFrameBeforeAudioRate;
        }
        return;
    }
    for (int j = 0; j < kChannelCount; ++j) {
        if (table[j].audioChannel == static_cast<std::int32_t>(k + 1)) {
            table[j].hasAudio = 1;
            audioResolved[j] = true;
        }
    }
}

}  // namespace

bool preScan(RecordingReader& reader, int selectedCount, ChannelTable& table) {
    std::array<bool, kChannelCount> audioResolved{};
    const std::uint32_t recordLimit = static_cast<std::uint32_t>(selectedCount) * 10000u;
    std::uint32_t counted = 0;
    std::vector<FrameRecord> records;
    while (counted <= recordLimit) {
        if (!reader.viewFrames(kFrameBufferSize, records)) {
            return true;
        }
        for (const FrameRecord& record : records) {
            if (record.channelIndex() >= kChannelCount || !(record.isVideo() || record.isAudio())) {
                continue;
            }
            noteRecord(record, audioResolved, table);
            if (++counted > recordLimit) {
                break;
            }
        }
        // A block's records at a time, so that a busy machine still serves the other threads.
        std::this_thread::yield();
    }
    return false;
}

}  // namespace kinorex
