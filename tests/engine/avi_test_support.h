#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/avi/file_sink.h"

namespace kinorex::testing {

// A file in memory that fills up: past `capacity` bytes a write stores what fits and fails
// with ENOSPC, as a full disk does.
struct MemoryFile {
    std::vector<std::byte> bytes;
    std::uint64_t capacity = UINT64_MAX;
    int writeCalls = 0;
    bool closed = false;
};

class MemorySink final : public FileSink {
public:
    explicit MemorySink(std::shared_ptr<MemoryFile> file) : file_(std::move(file)) {}

    int writeAt(std::uint64_t offset, std::span<const std::span<const std::byte>> pieces) override {
        ++file_->writeCalls;
        for (auto piece : pieces) {
            for (std::byte b : piece) {
                if (offset >= file_->capacity) {
                    return ENOSPC;
                }
                if (offset >= file_->bytes.size()) {
                    file_->bytes.resize(offset + 1);
                }
                file_->bytes[offset++] = b;
            }
        }
        return 0;
    }
    int truncate(std::uint64_t size) override {
        file_->bytes.resize(size);
        return 0;
    }
    int close() override {
        file_->closed = true;
        return 0;
    }

private:
    std::shared_ptr<MemoryFile> file_;
};

// Takes any amount of data at no cost, for runs up to the size limits.
class DiscardingSink final : public FileSink {
public:
    int writeAt(std::uint64_t, std::span<const std::span<const std::byte>>) override { return 0; }
    int truncate(std::uint64_t) override { return 0; }
    int close() override { return 0; }
};

inline std::uint32_t u32At(const std::vector<std::byte>& b, std::uint64_t at) {
    EXPECT_LE(at + 4, b.size());
    if (at + 4 > b.size()) {
        return 0;
    }
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | std::to_integer<std::uint32_t>(b[at + i]);
    }
    return v;
}

inline std::uint16_t u16At(const std::vector<std::byte>& b, std::uint64_t at) {
    return static_cast<std::uint16_t>(u32At(b, at) & 0xFFFF);
}

inline std::string tagAt(const std::vector<std::byte>& b, std::uint64_t at) {
    std::string s(4, ' ');
    std::memcpy(s.data(), b.data() + at, 4);
    return s;
}

// Where everything is in an AVI file, found by walking it as a reader would; every size
// field is checked on the way.
struct AviLayout {
    std::uint64_t avih = 0;  // data offsets, past the chunk headers
    std::vector<std::uint64_t> strh;
    std::vector<std::uint64_t> strf;
    std::vector<std::uint32_t> strfSize;
    std::uint64_t moviType = 0;  // offset of 'movi', where idx1 offsets count from
    struct Chunk {
        std::string id;
        std::uint64_t offset;  // of the chunk header
        std::uint32_t size;
    };
    std::vector<Chunk> movi;
    struct IndexEntry {
        std::string id;
        std::uint32_t flags, offset, size;
    };
    bool hasIdx1 = false;
    std::vector<IndexEntry> idx1;
};

inline AviLayout parseAvi(const std::vector<std::byte>& b) {
    AviLayout layout;
    EXPECT_GE(b.size(), 12u);
    EXPECT_EQ(tagAt(b, 0), "RIFF");
    EXPECT_EQ(tagAt(b, 8), "AVI ");
    EXPECT_EQ(u32At(b, 4), b.size() - 8) << "RIFF size";
    std::uint64_t at = 12;
    while (at + 8 <= b.size()) {
        std::string id = tagAt(b, at);
        std::uint32_t size = u32At(b, at + 4);
        std::uint64_t end = at + 8 + size + (size & 1);
        EXPECT_LE(end, b.size()) << id << " runs past the end";
        if (end > b.size()) {
            break;
        }
        if (id == "LIST" && tagAt(b, at + 8) == "hdrl") {
            std::uint64_t in = at + 12;
            EXPECT_EQ(tagAt(b, in), "avih");
            EXPECT_EQ(u32At(b, in + 4), 56u);
            layout.avih = in + 8;
            in += 8 + 56;
            while (in < end) {
                EXPECT_EQ(tagAt(b, in), "LIST");
                EXPECT_EQ(tagAt(b, in + 8), "strl");
                std::uint64_t strlEnd = in + 8 + u32At(b, in + 4);
                EXPECT_EQ(tagAt(b, in + 12), "strh");
                EXPECT_EQ(u32At(b, in + 16), 56u);
                layout.strh.push_back(in + 20);
                EXPECT_EQ(tagAt(b, in + 76), "strf");
                layout.strfSize.push_back(u32At(b, in + 80));
                layout.strf.push_back(in + 84);
                EXPECT_EQ(in + 84 + layout.strfSize.back(), strlEnd);
                in = strlEnd;
            }
            EXPECT_EQ(in, end);
        } else if (id == "LIST" && tagAt(b, at + 8) == "movi") {
            layout.moviType = at + 8;
            for (std::uint64_t in = at + 12; in < end;) {
                std::uint32_t chunkSize = u32At(b, in + 4);
                layout.movi.push_back({tagAt(b, in), in, chunkSize});
                in += 8 + chunkSize + (chunkSize & 1);
                EXPECT_LE(in, end) << "chunk runs past the movi list";
            }
        } else if (id == "idx1") {
            layout.hasIdx1 = true;
            EXPECT_EQ(size % 16, 0u);
            for (std::uint64_t in = at + 8; in + 16 <= at + 8 + size; in += 16) {
                layout.idx1.push_back(
                    {tagAt(b, in), u32At(b, in + 4), u32At(b, in + 8), u32At(b, in + 12)});
            }
        } else {
            ADD_FAILURE() << "unexpected top-level chunk " << id;
        }
        at = end;
    }
    EXPECT_EQ(at, b.size());
    return layout;
}

inline std::vector<std::byte> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

inline std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "kinorex_" + std::to_string(::getpid()) + "_" + name;
}

// Output (stdout and stderr) of a shell command that must succeed.
inline std::string run(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << output;
    return output;
}

// ffprobe's "key=value" lines, one map per [STREAM] section.
inline std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path) {
    std::istringstream lines(
        run("ffprobe -v error -count_packets -show_entries "
            "stream=codec_name,sample_rate,channels,nb_read_packets,"
            "r_frame_rate,width,height '" +
            path + "'"));
    std::vector<std::map<std::string, std::string>> streams;
    for (std::string line; std::getline(lines, line);) {
        if (line == "[STREAM]") {
            streams.emplace_back();
        } else if (auto eq = line.find('='); eq != std::string::npos && !streams.empty()) {
            streams.back()[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return streams;
}

}  // namespace kinorex::testing
