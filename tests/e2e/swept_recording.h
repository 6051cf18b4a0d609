#pragma once

// What the sweeps over damaged copies of one recording share: the whole recording they
// start from, and where each of its records lies.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "little_endian.h"
#include "media_files.h"
#include "recording/recording_reader.h"
#include "recording_generator.h"

namespace kinorex::test {

struct SweptRecord {
    std::uint64_t start, end;  // file offsets of its first byte and just past it
    std::uint32_t channelIndex;
    std::uint8_t type;
    std::uint8_t lastByte;
};

// The records of a whole recording, in file order, as the reader takes them.
inline std::vector<SweptRecord> walkRecords(const std::string& path) {
    RecordingReader reader;
    std::uint8_t header[kFileHeaderSize] = {};
    EXPECT_TRUE(reader.Open(path.c_str(), header));
    std::vector<SweptRecord> records;
    std::vector<std::uint8_t> frame(kFrameBufferSize);
    for (std::uint32_t size = kFrameBufferSize;; size = kFrameBufferSize) {
        const std::uint64_t start = reader.position();
        if (!reader.ReadFrame(frame.data(), size)) {
            break;
        }
        records.push_back({start, start + size, loadLe32(frame.data()), frame[7], frame[size - 1]});
    }
    return records;
}

// A short recording in `folder`: channel 1 with speech, channel 2 with `secondClip` and no
// voice. Short clips keep a sweep over many copies cheap.
inline std::string sweptRecording(const std::filesystem::path& folder, const char* secondClip) {
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "whole.h264").string();
    tools::RecordingPlan plan{.output = path};
    plan.channels.push_back({.channelNumber = 1,
                             .video = fixturePath("pal_704x288_25fps.264"),
                             .speech = fixturePath("speech_1.s16")});
    plan.channels.push_back({.channelNumber = 2, .video = fixturePath(secondClip)});
    tools::generateRecording(plan);
    return path;
}

}  // namespace kinorex::test
