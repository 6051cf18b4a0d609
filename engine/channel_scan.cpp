#include "channel_scan.h"

#include <bitset>

#include "recording/frame_record.h"
#include "recording/recording_reader.h"
#include "walk_pacing.h"

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

void preScan(RecordingReader& reader, int selectedCount, ChannelTable& table) {
    // Once a channel's audio is found, its later video frames no longer change
    // which audio it carries nor its frame rate.
    std::array<bool, kChannelCount> audioResolved{};
    const std::uint32_t recordLimit = static_cast<std::uint32_t>(selectedCount) * 10000u;
    std::uint32_t counted = 0;

    for (;;) {
        FrameRecord record;
        if (!reader.viewFrame(kFrameBufferSize, record)) {
            break;
        }
        const std::uint32_t k = record.channelIndex();
        if (k >= kChannelCount || !(record.isVideo() || record.isAudio())) {
            continue;
        }

        ChannelInfo& channel = table[k];
        if (record.isVideo()) {
            channel.hasVideo = 1;
        }
        if (channel.hasVideo && !audioResolved[k]) {
            if (record.isVideo()) {
                channel.audioChannel = record.audioChannel();
                if (record.isKeyFrame()) {
                    channel.frameRate = kKeyFrameBeforeAudioRate;
                }
            } else {
                // An audio frame of channel k gives its audio to every channel
                // whose video frames name channel number k + 1.
                for (int j = 0; j < kChannelCount; ++j) {
                    if (table[j].audioChannel == static_cast<std::int32_t>(k + 1)) {
                        table[j].hasAudio = 1;
                        audioResolved[j] = true;
                    }
                }
            }
        }

        if (++counted > recordLimit) {
            break;
        }
        yieldAfterRecord(counted);
    }
}

}  // namespace kinorex
