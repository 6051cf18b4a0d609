#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/file.h"
#include "recording/frame_record.h"
#include "recording/index_entries.h"
#include "recording/read_ahead.h"
#include "recording/record_batch.h"
#include "recording/record_walk.h"
#include "recording/recording_layout.h"

namespace kinorex {

// Read access to one recording: its file header, its index chain and, in file order, its
// frame records. A conversion walks the records on a worker thread while the user interface
// polls the percentage, so every operation runs under one re-entrant lock and a percentage
// is always taken between two records. The lock and the open file make it neither copyable
// nor movable.
class RecordingReader {
public:
    ~RecordingReader();

    // Opens the recording at `path`, closing whatever was open. `header` receives the
    // kFileHeaderSize bytes of the file header; the caller zeroes it first. Fails for a file
    // that ends inside its header or whose data area holds no record the walk would take;
    // an index that is missing, broken or past the end of the file only shows in damage().
    // On success the reader stands at the first frame record. A failed open leaves no file
    // open.
    bool Open(const char* path, std::uint8_t* header);

    // Picture size of channel number 1..16 from the file header; 0 x 0 for other numbers
    // and unknown resolution codes.
    void GetResolution(std::uint8_t channelNumber, std::int32_t& width, std::int32_t& height) const;
    // Frames per second of channel number 1..16 from the file header; 0 for other numbers.
    std::uint8_t GetFrameRate(std::uint8_t channelNumber) const;

    // Reads the next frame record (24-byte frame header, then the payload) into `buffer`.
    // On entry `size` is the buffer's capacity, on success the record's size. Damaged
    // stretches are skipped (see RecordWalk). Fails when the walk has ended (damage().end
    // says why), and, reading nothing and staying at the record, when the capacity is 24 or
    // less or the record would not fit.
    bool ReadFrame(std::uint8_t* buffer, std::uint32_t& size);

    // The next frame record, under the same rules as ReadFrame with a buffer of `capacity`
    // bytes (at most ReadAhead::kBlockSize), but without copying: `record` views the
    // reader's read-ahead block and stays valid until the next call that reads, rewinds or
    // closes. The lock is not held while the caller looks at the record, which is safe as
    // long as no other thread moves the reader meanwhile.
    bool viewFrame(std::uint32_t capacity, FrameRecord& record);
    // viewFrame for as many records as came in with the first: `records` receives the next
    // record, read if need be, and every whole record after it that was read along with it.
    // The views stay valid until the next call that reads, rewinds or closes. False, with no
    // records, where viewFrame would fail. A walk handed hundreds of records at a time can
    // work on them together.
    bool viewFrames(std::uint32_t capacity, std::vector<FrameRecord>& records);
    // viewFrames with a buffer of kFrameBufferSize bytes, into a batch that holds on to the
    // records' bytes: they stay valid after later calls, so the batch can be handed on.
    bool nextBatch(RecordBatch& batch);

    // What the walk met since the last Open or Rewind, and why it ended once it has.
    SourceDamage damage() const;
    std::uint64_t fileSize() const;
    // The byte the walk stands at.
    std::uint64_t position() const;

    // Moves back to the first frame record.
    void Rewind();

    // Bytes of the file consumed by the walk as a percentage of the size the file had when
    // opened. 0 while no file is open. Never waits for the walk.
    std::int32_t GetPositionPercent() const;

    void Close();

    // Entry `index` of the index chain as loaded by Open; zero for entries the chain did
    // not reach.
    IndexEntries::Entry GetIndexEntry(std::uint32_t index) const;

private:
    // Checks the header of the file just opened and loads its index chain.
    bool loadOpenedFile(std::uint8_t* header);
    void loadIndex(std::uint32_t entryCount, std::uint64_t indexEnd);
    bool viewFrames(std::uint32_t capacity, std::vector<FrameRecord>& records, std::size_t most);
    // Publishes the walk's position for GetPositionPercent.
    void noteProgress();

    mutable std::recursive_mutex lock_;
    platform::File file_;
    ReadAhead readAhead_{file_};
    RecordWalk walk_{readAhead_, file_};
    std::vector<FrameRecord> single_;
    IndexEntries entries_;
    std::array<std::uint8_t, kFileHeaderSize> header_{};
    // GetPositionPercent reads these without the lock: the size while a file is open (0
    // otherwise) and the walk's position after its last step.
    std::atomic<std::uint64_t> fileSize_{0};
    std::atomic<std::uint64_t> progressPosition_{0};
};

}  // namespace kinorex
