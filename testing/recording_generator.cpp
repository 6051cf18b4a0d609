#include "recording_generator.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>

#include "annexb.h"
#include "hi_voice.h"
#include "media_files.h"
#include "recording/recording_layout.h"
#include "recording_builder.h"

namespace kinorex::tools {

namespace {

using test::Bytes;

// Time in 1/24000 s: whole ticks for one picture at every rate a header can name and for
// one voice frame (3 ticks per sample).
constexpr std::int64_t kTicksPerSecond = 24000;
constexpr std::int64_t kVoiceFrameTicks = kVoiceFrameSamples * 3;
constexpr std::size_t kEntriesPerBlock = 64;
constexpr std::size_t kStrayEvery = 10;

struct ClipFormat {
    bool pal;
    std::uint8_t resolutionCode;
};

// A run of decimal digits in a file name.
struct NumberInName {
    int value;
    std::size_t begin;
    std::size_t end;  // just past the last digit
};

std::vector<NumberInName> numbersIn(const std::string& name) {
    std::vector<NumberInName> numbers;
    for (std::size_t at = 0; at < name.size();) {
        if (!std::isdigit(static_cast<unsigned char>(name[at]))) {
            ++at;
            continue;
        }
        const std::size_t begin = at;
        int value = 0;
        for (; at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])); ++at) {
            value = std::min(value * 10 + (name[at] - '0'), 1000000);
        }
        numbers.push_back({value, begin, at});
    }
    return numbers;
}

// The fixtures carry their picture size in the name ("pal_704x576_25fps.264").
ClipFormat clipFormat(const std::filesystem::path& clip) {
    const std::string name = clip.filename().string();
    const std::vector<NumberInName> numbers = numbersIn(name);
    for (std::size_t i = 0; i + 1 < numbers.size(); ++i) {
        if (name[numbers[i].end] != 'x' || numbers[i + 1].begin != numbers[i].end + 1) {
            continue;
        }
        const int width = numbers[i].value;
        const int height = numbers[i + 1].value;
        for (std::uint8_t code = 0; code < std::size(kPictureSizes[0]); ++code) {
            for (const bool pal : {true, false}) {
                const PictureSize& size = kPictureSizes[pal ? 0 : 1][code];
                if (size.width == width && size.height == height) {
                    return {pal, code};
                }
            }
        }
    }
    throw std::runtime_error(name +
                             ": the file name must name a recorder picture size, e.g. 704x576");
}

int clipRate(const ChannelSource& source) {
    if (source.fps != 0) {
        return source.fps;
    }
    const std::string name = source.video.filename().string();
    for (const NumberInName& number : numbersIn(name)) {
        if (name.compare(number.end, 3, "fps") == 0) {
            return number.value;
        }
    }
    throw std::runtime_error(name + ": give the frame rate (the file name does not hold one)");
}

std::uint8_t frameRateCode(int fps, bool pal, int channelNumber) {
    // Code 0 names no rate at all, so the search starts at 1.
    const auto& rates = kFrameRates[pal ? 0 : 1];
    for (std::size_t code = 1; code < std::size(rates); ++code) {
        if (rates[code] == fps) {
            return static_cast<std::uint8_t>(code);
        }
    }
    throw std::runtime_error("channel " + std::to_string(channelNumber) + ": " +
                             std::to_string(fps) + " fps cannot be named in a " +
                             (pal ? "PAL" : "NTSC") + " recording");
}

// One stream of records of one channel, played in time order.
struct Track {
    std::uint32_t channelIndex;
    bool video;
    std::uint8_t audioChannel;
    std::vector<test::AccessUnit> pictures;  // video
    std::vector<Bytes> voiceFrames;          // audio
    std::int64_t ticksPerRecord;
    std::int64_t startTick;
    std::int64_t count;  // records to play, looping through the items
    std::int64_t next = 0;

    std::size_t items() const { return video ? pictures.size() : voiceFrames.size(); }
    std::int64_t nextTick() const { return startTick + next * ticksPerRecord; }
    bool done() const { return next >= count; }
};

std::int64_t recordCount(std::size_t items, std::int64_t ticksPerRecord, double loopSeconds) {
    if (loopSeconds <= 0) {
        return static_cast<std::int64_t>(items);
    }
    const auto loopTicks = static_cast<std::int64_t>(std::ceil(loopSeconds * kTicksPerSecond));
    return (loopTicks + ticksPerRecord - 1) / ticksPerRecord;
}

std::vector<Track> makeTracks(const RecordingPlan& plan, test::RecordingBuilder& builder) {
    std::vector<Track> tracks;
    std::optional<bool> pal;
    for (const ChannelSource& source : plan.channels) {
        const ClipFormat format = clipFormat(source.video);
        if (pal && *pal != format.pal) {
            throw std::runtime_error("PAL and NTSC picture sizes cannot share a recording");
        }
        pal = format.pal;
        const int fps = clipRate(source);
        builder.channel(source.channelNumber, format.resolutionCode,
                        frameRateCode(fps, format.pal, source.channelNumber));

        const auto channelIndex = static_cast<std::uint32_t>(source.channelNumber - 1);
        const auto number = static_cast<std::uint8_t>(source.channelNumber);
        Track video{.channelIndex = channelIndex,
                    .video = true,
                    .audioChannel = source.audioChannel.value_or(source.speech ? number : 0),
                    .pictures = test::splitAccessUnits(test::readFileBytes(source.video)),
                    .voiceFrames = {},
                    .ticksPerRecord = kTicksPerSecond / fps,
                    .startTick = source.audioFirst ? kVoiceFrameTicks : 0,
                    .count = 0};
        if (video.pictures.empty()) {
            throw std::runtime_error(source.video.string() + ": no H.264 pictures");
        }
        video.count = recordCount(video.pictures.size(), video.ticksPerRecord, plan.loopSeconds);
        tracks.push_back(std::move(video));

        if (source.speech) {
            Track audio{.channelIndex = channelIndex,
                        .video = false,
                        .audioChannel = 0,
                        .pictures = {},
                        .voiceFrames = encodeSpeech(test::loadS16(*source.speech)),
                        .ticksPerRecord = kVoiceFrameTicks,
                        .startTick = 0,
                        .count = 0};
            if (audio.voiceFrames.empty()) {
                throw std::runtime_error(source.speech->string() + ": less than one voice frame");
            }
            audio.count = recordCount(audio.voiceFrames.size(), kVoiceFrameTicks, plan.loopSeconds);
            tracks.push_back(std::move(audio));
        }
    }
    builder.videoStandard(pal.value_or(true) ? 1 : 0);
    return tracks;
}

// The track whose next record is due first; video before audio at equal times.
Track* nextDue(std::vector<Track>& tracks) {
    Track* due = nullptr;
    for (Track& track : tracks) {
        if (track.done()) {
            continue;
        }
        if (!due || track.nextTick() < due->nextTick() ||
            (track.nextTick() == due->nextTick() && track.video && !due->video)) {
            due = &track;
        }
    }
    return due;
}

test::IndexEntry keyFrameEntry(std::uint64_t offset, std::uint32_t channelIndex) {
    test::IndexEntry entry{};
    for (int i = 0; i < 8; ++i) {
        entry[i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    entry[8] = static_cast<std::uint8_t>(channelIndex);
    entry[9] = test::kVideoFrame;
    return entry;
}

// The frame records in time order, with the awkward extras and the index chain.
void writeRecords(const RecordingPlan& plan, std::vector<Track>& tracks,
                  test::RecordingBuilder& builder) {
    std::vector<test::IndexEntry> entries;
    std::size_t written = 0;
    const test::AccessUnit* lastPicture = nullptr;
    std::uint32_t lastPictureChannel = 0;
    while (Track* track = nextDue(tracks)) {
        const auto item = static_cast<std::size_t>(track->next % track->items());
        ++track->next;
        if (track->video) {
            const test::AccessUnit& picture = track->pictures[item];
            if (picture.idr) {
                entries.push_back(keyFrameEntry(builder.size(), track->channelIndex));
            }
            builder.video(track->channelIndex, picture.bytes, picture.idr, track->audioChannel);
            lastPicture = &picture;
            lastPictureChannel = track->channelIndex;
        } else {
            builder.audio(track->channelIndex, track->voiceFrames[item]);
        }

        if (++written % kStrayEvery == 0) {
            if (plan.strayChannelIndex) {
                builder.video(*plan.strayChannelIndex, test::testPayload(64));
            }
            if (plan.unknownType) {
                builder.record({.channelIndex = 0,
                                .type = *plan.unknownType,
                                .payload = test::testPayload(64)});
            }
        }
        if (entries.size() == kEntriesPerBlock) {
            builder.indexBlock({.entries = entries});
            entries.clear();
        }
    }
    builder.indexBlock({.entries = entries});

    if (plan.truncateLast && lastPicture) {
        const Bytes& bytes = lastPicture->bytes;
        builder.record({.channelIndex = lastPictureChannel,
                        .type = test::kVideoFrame,
                        .keyMarker = 1,
                        .payload = Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2),
                        .declaredLength = static_cast<std::uint32_t>(bytes.size())});
    }
}

}  // namespace

std::vector<Bytes> encodeSpeech(std::span<const std::int16_t> pcm) {
    HiVoiceContext encoder{};
    HI_VOICE_EncReset(&encoder, HI_VOICE_TYPE_ADPCM);
    std::vector<Bytes> frames;
    for (std::size_t at = 0; at + kVoiceFrameSamples <= pcm.size(); at += kVoiceFrameSamples) {
        Bytes frame(HI_VOICE_MAX_ENCODED_BYTES);
        if (HI_VOICE_EncodeFrame(&encoder, pcm.data() + at, frame.data(), kVoiceFrameSamples) !=
            HI_VOICE_OK) {
            throw std::runtime_error("the voice encoder refused a frame");
        }
        frame.resize(HI_VOICE_FRAME_HEADER_BYTES + 2 * std::size_t{frame[2]});
        frames.push_back(std::move(frame));
    }
    return frames;
}

void generateRecording(const RecordingPlan& plan) {
    test::RecordingBuilder builder;
    std::vector<Track> tracks = makeTracks(plan, builder);
    std::ofstream file(plan.output, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw std::runtime_error("cannot create " + plan.output.string());
    }
    try {
        builder.streamTo(file);
        writeRecords(plan, tracks, builder);
        builder.finishStream();
    } catch (const std::runtime_error&) {
        throw std::runtime_error("cannot write " + plan.output.string());
    }
}

}  // namespace kinorex::tools
