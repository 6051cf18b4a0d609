// Recordings reach users damaged: cut, overwritten, zeroed, unfinished. Each kind of damage
// is applied to one generated recording, and the conversion must give exactly the records
// the damage did not touch, in order, and nothing else, and say what it met.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "avi_layout.h"
#include "little_endian.h"
#include "media_files.h"
#include "platform/file.h"
#include "ps2avi.h"
#include "swept_recording.h"
#include "temp_path.h"
#include "wait.h"

namespace kinorex {
namespace {

using Bytes = std::vector<std::uint8_t>;

using Record = test::SweptRecord;

// What a damage does to the file, which records it touches (in the whole file's offsets),
// and which of its bytes the disk cannot read.
struct Damage {
    Bytes bytes;
    std::function<bool(const Record&)> touched;
    std::uint64_t unreadableFrom = 0, unreadableTo = 0;
};

// Reads of those bytes fail, as a bad disk's do, while the object lives.
class FailingReads {
public:
    explicit FailingReads(const Damage& damage) {
        platform::File::failReadsForTesting(damage.unreadableFrom, damage.unreadableTo);
    }
    ~FailingReads() { platform::File::failReadsForTesting(0, 0); }
    FailingReads(const FailingReads&) = delete;
    FailingReads& operator=(const FailingReads&) = delete;
};

bool isVideoFrame(const Record& r) {
    return r.type == 2 && r.channelIndex < 16;
}

// Silence: nothing in the frame's own last bytes tells where it ends.
bool isVoiceFrameEndingInZero(const Record& r) {
    return r.type == 3 && r.channelIndex < 16 && r.lastByte == 0;
}

// The first record at or after `fraction` of the records whose predecessor is a frame of
// the kind given, by default a video frame, so that what ends right before the damage is a
// whole frame.
std::size_t recordNear(const std::vector<Record>& records, double fraction,
                       bool (*predecessor)(const Record&) = isVideoFrame) {
    for (auto i = static_cast<std::size_t>(fraction * static_cast<double>(records.size()));
         i < records.size(); ++i) {
        if (predecessor(records[i - 1]) && records[i].end - records[i].start > 200) {
            return i;
        }
    }
    return records.size() - 1;
}

auto overlapping(std::uint64_t from, std::uint64_t to) {
    return [=](const Record& r) { return r.start < to && r.end > from; };
}

Damage cut(const Bytes& whole, const std::vector<Record>& records) {
    const Record& r = records[recordNear(records, 0.4)];
    const std::uint64_t from = r.start + (r.end - r.start) / 2, to = from + 3000;
    Bytes bytes(whole);
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                bytes.begin() + static_cast<std::ptrdiff_t>(to));
    return {bytes, overlapping(from, to)};
}

Damage garbage(const Bytes& whole, const std::vector<Record>& records) {
    const Record& r = records[recordNear(records, 0.5)];
    const std::uint64_t at = r.start + 100;
    Bytes noise(5000);
    std::mt19937 random(24);
    std::generate(noise.begin(), noise.end(), [&] { return static_cast<std::uint8_t>(random()); });
    Bytes bytes(whole);
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), noise.begin(), noise.end());
    return {bytes, overlapping(at, at + 1)};
}

Damage zeroedSector(const Bytes& whole, const std::vector<Record>& records) {
    const std::uint64_t from = records[recordNear(records, 0.6)].start / 4096 * 4096;
    Bytes bytes(whole);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), 4096, 0);
    return {bytes, overlapping(from, from + 4096)};
}

Damage unreadableSector(const Bytes& whole, const std::vector<Record>& records) {
    const std::uint64_t from = records[recordNear(records, 0.45)].start / 4096 * 4096;
    return {whole, overlapping(from, from + 4096), from, from + 4096};
}

Damage damagedLength(const Bytes& whole, const std::vector<Record>& records) {
    const Record& r = records[recordNear(records, 0.3)];
    Bytes bytes(whole);
    storeLe32(bytes.data() + r.start + 20, loadLe32(bytes.data() + r.start + 20) + 100'000);
    return {bytes, overlapping(r.start + 20, r.start + 24)};
}

Damage zeroedHeaderAt(const Bytes& whole, const Record& r) {
    Bytes bytes(whole);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(r.start), 24, 0);
    return {bytes, overlapping(r.start, r.start + 24)};
}

Damage zeroedHeader(const Bytes& whole, const std::vector<Record>& records) {
    return zeroedHeaderAt(whole, records[recordNear(records, 0.7)]);
}

// A voice frame vouches for its own length, so the frame before the damage is kept even
// where its last bytes are zeros, which a lost sector would also leave.
Damage zeroedHeaderAfterSilence(const Bytes& whole, const std::vector<Record>& records) {
    return zeroedHeaderAt(whole, records[recordNear(records, 0.2, isVoiceFrameEndingInZero)]);
}

// The recorder lost power: the index fields were never written and the tail never reached
// the disk.
Damage powerCut(const Bytes& whole, const std::vector<Record>& records) {
    const Record& r = records[recordNear(records, 0.85)];
    const std::uint64_t cutAt = r.start + 30;
    Bytes bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cutAt));
    for (const std::size_t field : {1416, 1420, 1424}) {  // entry count, end offset
        storeLe32(bytes.data() + field, 0);
    }
    return {bytes, [=](const Record& record) { return record.end > cutAt; }};
}

// Chunk payloads of one stream of an AVI file, in order.
std::vector<Bytes> chunks(const std::string& avi, const std::string& id) {
    const auto file = test::readFile(avi);
    std::vector<Bytes> found;
    for (const auto& chunk : test::parseAvi(file).movi) {
        if (chunk.id == id) {
            const auto* data =
                reinterpret_cast<const std::uint8_t*>(file.data()) + chunk.offset + 8;
            found.emplace_back(data, data + chunk.size);
        }
    }
    return found;
}

TEST(DamageSweep, EveryRecordTheDamageDidNotTouchIsConvertedAndNothingElse) {
    test::TempPath dir("damage");
    const std::string wholePath = test::sweptRecording(dir.path(), "pal_352x288_25fps.264");
    const Bytes whole = test::readFileBytes(wholePath);
    const std::vector<Record> records = test::walkRecords(wholePath);
    ASSERT_GT(records.size(), 100u);

    struct Kind {
        const char* name;
        Damage (*apply)(const Bytes&, const std::vector<Record>&);
        bool indexMissing, cutShort;
    };
    const Kind kinds[] = {
        {"cut", cut, false, false},
        {"inserted garbage", garbage, false, false},
        {"zeroed sector", zeroedSector, false, false},
        {"unreadable sector", unreadableSector, false, false},
        {"damaged length", damagedLength, false, false},
        {"zeroed header", zeroedHeader, false, false},
        {"zeroed header after silence", zeroedHeaderAfterSilence, false, false},
        {"power cut", powerCut, true, true},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const Damage damage = kind.apply(whole, records);
        const std::string path = (dir.path() / "damaged.h264").string();
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(damage.bytes.data()),
                   static_cast<std::streamsize>(damage.bytes.size()));
        const std::string prefix = (dir.path() / "out").string();

        const FailingReads failing(damage);
        PS2AVI converter;
        ASSERT_EQ(converter.Start(path.c_str(), 0b11, prefix.c_str()), 1);
        ASSERT_TRUE(test::waitUntil([&] { return converter.IsFinished() != 0; }));
        converter.Stop();
        const SourceDamage met = converter.report().source;
        EXPECT_EQ(met.indexMissing, kind.indexMissing);
        EXPECT_EQ(met.end == WalkEnd::CutShort, kind.cutShort);
        EXPECT_EQ(met.rangeCount > 0, !kind.cutShort);
        EXPECT_FALSE(met.failed());

        for (std::uint32_t channelIndex = 0; channelIndex < 2; ++channelIndex) {
            std::vector<Bytes> video;
            std::size_t voice = 0;
            for (const Record& r : records) {
                if (r.channelIndex != channelIndex || damage.touched(r)) {
                    continue;
                }
                if (r.type == 2) {
                    video.emplace_back(whole.begin() + static_cast<std::ptrdiff_t>(r.start + 24),
                                       whole.begin() + static_cast<std::ptrdiff_t>(r.end));
                }
                voice += r.type == 3;
            }
            const std::string avi = prefix + "_" + std::to_string(channelIndex + 1) + ".avi";
            EXPECT_TRUE(chunks(avi, "00dc") == video)
                << avi << ": " << chunks(avi, "00dc").size() << " video frames, " << video.size()
                << " expected";
            EXPECT_EQ(chunks(avi, "01wb").size(), voice) << avi;
        }
    }
}

}  // namespace
}  // namespace kinorex
