#include "recording_plan.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace kinorex::tools {

const char* const kRecordingPlanUsage =
    "usage: make-recording -o FILE --channel N:VIDEO[:SPEECH][:FPS]... [options]\n"
    "  -o FILE                        recording to write (replaced if it exists)\n"
    "  --channel N:VIDEO[:SPEECH][:FPS]\n"
    "                                 channel number 1..16, H.264 Annex B clip whose name\n"
    "                                 holds its picture size (e.g. pal_704x576_25fps.264),\n"
    "                                 8 kHz s16le speech, frame rate if the name has none\n"
    "  --loop-seconds S               repeat every input up to S seconds\n"
    "awkward cases:\n"
    "  --audio-channel N:A            channel N's video frames name audio channel A\n"
    "  --audio-first N                channel N's first audio frame precedes its video\n"
    "  --stray-channel-index I        a record with channel index I (16 or more)\n"
    "                                 after every tenth record\n"
    "  --unknown-type T               a record of frame type T after every tenth record\n"
    "  --truncate-last                end the file in a record cut short\n";

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<long long> number(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

long long numberIn(std::string_view text, long long low, long long high, std::string_view what) {
    const auto value = number(text);
    if (!value || *value < low || *value > high) {
        throw std::invalid_argument(std::string(what) + " must be a number from " +
                                    std::to_string(low) + " to " + std::to_string(high) +
                                    ", not '" + std::string(text) + "'");
    }
    return *value;
}

int channelNumber(std::string_view text) {
    return static_cast<int>(numberIn(text, 1, 16, "a channel number"));
}

ChannelSource parseChannel(const std::string& text) {
    const std::vector<std::string> parts = split(text, ':');
    if (parts.size() < 2 || parts.size() > 4 || parts[1].empty()) {
        throw std::invalid_argument("--channel wants N:VIDEO[:SPEECH][:FPS], not '" + text + "'");
    }
    ChannelSource source{.channelNumber = channelNumber(parts[0]), .video = parts[1]};
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (i == parts.size() - 1 && number(parts[i])) {
            source.fps = static_cast<int>(numberIn(parts[i], 1, 30, "a frame rate"));
        } else if (i == 2 && !parts[i].empty()) {
            source.speech = parts[i];
        } else {
            throw std::invalid_argument("--channel wants N:VIDEO[:SPEECH][:FPS], not '" + text +
                                        "'");
        }
    }
    return source;
}

ChannelSource& channelOf(RecordingPlan& plan, int number) {
    const auto found =
        std::find_if(plan.channels.begin(), plan.channels.end(),
                     [&](const ChannelSource& c) { return c.channelNumber == number; });
    if (found == plan.channels.end()) {
        throw std::invalid_argument("channel " + std::to_string(number) +
                                    " needs a --channel first");
    }
    return *found;
}

}  // namespace

RecordingPlan parseRecordingPlan(const std::vector<std::string>& arguments) {
    RecordingPlan plan;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--truncate-last") {
            plan.truncateLast = true;
            continue;
        }
        if (i + 1 == arguments.size()) {
            throw std::invalid_argument("unknown option or missing value: " + option);
        }
        const std::string& value = arguments[++i];
        if (option == "-o") {
            plan.output = value;
        } else if (option == "--channel") {
            ChannelSource source = parseChannel(value);
            if (std::any_of(plan.channels.begin(), plan.channels.end(),
                            [&](const ChannelSource& c) {
                                return c.channelNumber == source.channelNumber;
                            })) {
                throw std::invalid_argument("channel " + std::to_string(source.channelNumber) +
                                            " given twice");
            }
            plan.channels.push_back(std::move(source));
        } else if (option == "--loop-seconds") {
            plan.loopSeconds = static_cast<double>(numberIn(value, 1, 1000000, "--loop-seconds"));
        } else if (option == "--audio-channel") {
            const std::vector<std::string> parts = split(value, ':');
            if (parts.size() != 2) {
                throw std::invalid_argument("--audio-channel wants N:A, not '" + value + "'");
            }
            channelOf(plan, channelNumber(parts[0])).audioChannel =
                static_cast<std::uint8_t>(numberIn(parts[1], 0, 255, "an audio channel number"));
        } else if (option == "--audio-first") {
            channelOf(plan, channelNumber(value)).audioFirst = true;
        } else if (option == "--stray-channel-index") {
            plan.strayChannelIndex = static_cast<std::uint32_t>(
                numberIn(value, 16, 0xFFFFFFFFll, "--stray-channel-index"));
        } else if (option == "--unknown-type") {
            const auto type = numberIn(value, 0, 255, "--unknown-type");
            if (type == 2 || type == 3) {
                throw std::invalid_argument("--unknown-type: 2 and 3 are the known frame types");
            }
            plan.unknownType = static_cast<std::uint8_t>(type);
        } else {
            throw std::invalid_argument("unknown option: " + option);
        }
    }
    if (plan.output.empty()) {
        throw std::invalid_argument("no output file (-o FILE)");
    }
    if (plan.channels.empty()) {
        throw std::invalid_argument("no channel (--channel N:VIDEO[:SPEECH][:FPS])");
    }
    return plan;
}

}  // namespace kinorex::tools
