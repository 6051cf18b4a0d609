#pragma once

// Reads back the AVI files we write, as a strict reader would: every size field is checked
// on the way, so a file left incomplete or inconsistent fails the test that parses it.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "little_endian.h"
#include "media_files.h"

namespace kinorex::test {

inline std::uint32_t u32At(const std::vector<std::byte>& b, std::uint64_t at) {
    EXPECT_LE(at + 4, b.size());
    if (at + 4 > b.size()) {
        return 0;
    }
    return loadLe32(b.data() + at);
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

// The whole file, for parseAvi.
inline std::vector<std::byte> readFile(const std::string& path) {
    const auto bytes = readFileBytes(path);
    const auto* first = reinterpret_cast<const std::byte*>(bytes.data());
    return {first, first + bytes.size()};
}

}  // namespace kinorex::test
