// Replays every input of one fuzz target's corpus. The entry point aborts on any broken
// promise, and the sanitizer builds of the suite catch what it cannot see itself.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>

#include "media_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(CorpusReplay, EveryInputRunsCleanly) {
    std::set<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(KINOREX_CORPUS_DIR)) {
        inputs.insert(entry.path());
    }
    ASSERT_FALSE(inputs.empty()) << "no corpus in " << KINOREX_CORPUS_DIR;
    for (const auto& input : inputs) {
        // Named before it runs: an input that aborts ends the test without a trace.
        std::fprintf(stderr, "replaying %s\n", input.filename().c_str());
        const auto bytes = kinorex::test::readFileBytes(input);
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    }
}
