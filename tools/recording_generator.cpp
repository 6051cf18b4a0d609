#include "recording_generator.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "annexb.h"
#include "hi_voice.h"
#include "media_files.h"
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

struct PictureSize {
    int width;
    int height;
};

// Picture sizes by resolution code; the PAL column is video standard byte 1.
constexpr std::array<PictureSize, 3> kPalSizes = {{{704, 576}, {352, 288}, {704, 288}}};
constexpr std::array<PictureSize, 3> kNtscSizes = {{{640, 480}, {320, 240}, {640, 240}}};
// Frames per second by frame-rate code 1..5.
constexpr std::array<int, 5> kPalRates = {1, 2, 6, 12, 25};
constexpr std::array<int, 5> kNtscRates = {1, 2, 6, 15, 30};

struct ClipFormat {
    bool pal;
    std::uint8_t resolutionCode;
};

// The number whose digits start at `pos`, moving `pos` past them; nullopt when there are no
// digits there or they do not fit an int.
std::optional<int> numberAt(std::string_view name, std::size_t& pos) {
    int value = 0;
    const char* first = name.data() + pos;
    const auto [end, error] = std::from_chars(first, name.data() + name.size(), value);
    if (error != std::errc{}) {
        return std::nullopt;
    }
    pos += static_cast<std::size_t>(end - first);
    return value;
}

// The first number in the name directly followed by `tail`; `end` is set just past the tail.
// (Plain scanning rather than <regex>, which GCC 12 warns about in sanitizer builds.)
std::optional<int> numberBefore(std::string_view name, std::string_view tail, std::size_t& end) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t start = 0; start < name.size(); ++start) {
        if (!isDigit(name[start]) || (start > 0 && isDigit(name[start - 1]))) {
            continue;
        }
        end = start;
        const auto value = numberAt(name, end);
        if (value && name.substr(end).starts_with(tail)) {
            end += tail.size();
            return value;
        }
    }
    return std::nullopt;
}

// The fixtures carry their picture size in the name ("pal_704x576_25fps.264").
ClipFormat clipFormat(const std::filesystem::path& clip) {
    const std::string name = clip.filename().string();
    std::size_t pos = 0;
    const auto width = numberBefore(name, "x", pos);
    const auto height = width ? numberAt(name, pos) : std::nullopt;
    if (height) {
        for (std::uint8_t code = 0; code < kPalSizes.size(); ++code) {
            if (kPalSizes[code].width == *width && kPalSizes[code].height == *height) {
                return {true, code};
            }
            if (kNtscSizes[code].width == *width && kNtscSizes[code].height == *height) {
                return {false, code};
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
    std::size_t end = 0;
    if (const auto fps = numberBefore(name, "fps", end)) {
        return *fps;
    }
    throw std::runtime_error(name + ": give the frame rate (the file name does not hold one)");
}

std::uint8_t frameRateCode(int fps, bool pal, int channelNumber) {
    const auto& rates = pal ? kPalRates : kNtscRates;
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (rates[i] == fps) {
            return static_cast<std::uint8_t>(i + 1);
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
    builder.streamTo(plan.output);

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
    builder.finishStream();
}

}  // namespace kinorex::tools
