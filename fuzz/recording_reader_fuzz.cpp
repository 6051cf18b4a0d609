// RecordingReader on arbitrary files: Open, the per-channel header questions, a full frame
// walk, the loaded index entries, and a Rewind that must find the first record again.
#include <algorithm>
#include <cstring>
#include <memory>

#include "fuzz_input.h"
#include "little_endian.h"
#include "recording/recording_reader.h"
#include "scratch_folder.h"

using kinorex::fuzz::require;

namespace {

void walkIndexEntries(const kinorex::RecordingReader& reader, std::uint32_t count,
                      std::uint64_t fileSize) {
    // Only the last fileSize / 10 entries can have been loaded; the first few and those
    // around the end of the claimed range cover the edges of the rest.
    const std::uint64_t loadable = std::min<std::uint64_t>(count, fileSize / 10 + 1);
    for (std::uint64_t i = count - loadable; i < count; ++i) {
        reader.GetIndexEntry(static_cast<std::uint32_t>(i));
    }
    for (const std::uint32_t i : {0u, 1u, count, count + 1, 0xFFFFFFFFu}) {
        reader.GetIndexEntry(i);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& path = kinorex::fuzz::ScratchFolder::instance().writeRecording(data, size);
    kinorex::RecordingReader reader;
    std::uint8_t header[kinorex::kFileHeaderSize] = {};
    if (!reader.Open(kinorex::fuzz::utf8(path).c_str(), header)) {
        require(reader.GetPositionPercent() == 0);
        return 0;
    }
    for (std::uint8_t channel = 0; channel <= kinorex::kChannelCount + 1; ++channel) {
        std::int32_t width = -1;
        std::int32_t height = -1;
        reader.GetResolution(channel, width, height);
        require(width >= 0 && height >= 0);
        reader.GetFrameRate(channel);
    }
    walkIndexEntries(reader, kinorex::loadLe32(header + kinorex::kIndexEntryCountOffset), size);

    // Buffers exactly as large as the reader is told, so any write past them shows.
    const auto frame = std::make_unique_for_overwrite<std::uint8_t[]>(kinorex::kFrameBufferSize);
    const auto first = std::make_unique_for_overwrite<std::uint8_t[]>(kinorex::kFrameBufferSize);
    std::uint32_t firstSize = 0;
    for (;;) {
        std::uint32_t recordSize = kinorex::kFrameBufferSize;
        if (!reader.ReadFrame(frame.get(), recordSize)) {
            break;
        }
        require(recordSize >= kinorex::kFrameHeaderSize && recordSize <= kinorex::kFrameBufferSize);
        if (firstSize == 0) {
            firstSize = recordSize;
            std::memcpy(first.get(), frame.get(), recordSize);
        }
        const std::int32_t percent = reader.GetPositionPercent();
        require(percent >= 0 && percent <= 100);
    }

    reader.Rewind();
    std::uint32_t againSize = kinorex::kFrameBufferSize;
    const bool again = reader.ReadFrame(frame.get(), againSize);
    require(again == (firstSize != 0));
    require(!again ||
            (againSize == firstSize && std::memcmp(frame.get(), first.get(), firstSize) == 0));
    return 0;
}
