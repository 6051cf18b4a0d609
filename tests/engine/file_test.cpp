#include "platform/file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <fstream>

#include "temp_path.h"

namespace kinorex::test {
namespace {

TEST(PlatformFile, OpensOnlyExistingRegularFiles) {
    platform::File file;
    EXPECT_FALSE(file.openForSharedRead("/nonexistent/file"));
    EXPECT_FALSE(file.openForSharedRead("/"));
#ifdef _WIN32
    EXPECT_FALSE(file.openForSharedRead("CON"));  // a device, not a file
#else
    // A FIFO would block the open until a writer appears.
    TempPath fifo("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(file.openForSharedRead(fifo.c_str()));
#endif
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.read(nullptr, 0));
}

TEST(PlatformFile, OpensNonAsciiNamesWhileAnotherProgramWritesThem) {
    TempPath path("Kamera ü1 日本.h264");
    std::ofstream writer(path.path(), std::ios::binary);
    writer << "frames" << std::flush;

    platform::File file;
    ASSERT_TRUE(file.openForSharedRead(path.c_str()));
    writer << " more" << std::flush;  // the recorder goes on writing
    char bytes[16] = {};
    EXPECT_EQ(file.read(bytes, sizeof bytes), 11u);
    EXPECT_EQ(std::string(bytes, 11), "frames more");
}

TEST(PlatformFile, ReadsSeeksAndTellsPastFourGigabytes) {
    // A sparse file costs no disk space for its hole.
    TempPath path("large");
    const std::uint64_t marker = 0x1'2345'6789ull;
    {
        std::ofstream out(path.path(), std::ios::binary);
        out << "head";
        out.seekp(static_cast<std::streamoff>(marker));
        out << "mark";
    }
    platform::File file;
    ASSERT_TRUE(file.openForSharedRead(path.c_str()));
    EXPECT_EQ(file.size(), marker + 4);

    char bytes[8] = {};
    EXPECT_EQ(file.read(bytes, 4), 4u);
    EXPECT_EQ(std::string(bytes, 4), "head");

    ASSERT_TRUE(file.seek(marker));
    EXPECT_EQ(file.read(bytes, 8), 4u);  // short only at the end of the file
    EXPECT_EQ(std::string(bytes, 4), "mark");
    EXPECT_EQ(file.read(bytes, 8), 0u);

    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.size());
}

}  // namespace
}  // namespace kinorex::test
