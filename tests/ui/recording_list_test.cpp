#include "recording_list.h"

#include <gtest/gtest.h>

#include <fstream>

#include "output_naming.h"
#include "temp_path.h"

namespace kinorex {
namespace {

std::string path(std::initializer_list<const char*> parts) {
    std::string joined;
    for (const char* part : parts) {
        joined += (joined.empty() ? "" : std::string(1, kNativePaths.separator)) + part;
    }
    return joined;
}

TEST(RecordingListTest, FolderGivesItsRecordingsInNameOrderWithoutSubfolders) {
    const test::TempPath folder("recording-list");
    std::filesystem::create_directories(folder.path() / "sub");
    for (const char* name :
         {"cam2.h264", "cam10.h264", "CAM1.H264", "notes.txt", "cam3.h264.avi", "sub/cam0.h264"}) {
        std::ofstream(folder.path() / name) << "x";
    }
    std::filesystem::create_directories(folder.path() / "dir.h264");  // a folder, not a file
    const std::string root = folder.string();

    struct Case {
        const char* what;
        std::vector<std::string> added;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        {"a folder",
         {root},
         {path({root.c_str(), "CAM1.H264"}), path({root.c_str(), "cam10.h264"}),
          path({root.c_str(), "cam2.h264"})}},
        {"files as given, each once",
         {path({root.c_str(), "notes.txt"}), path({root.c_str(), "cam2.h264"}),
          path({root.c_str(), "notes.txt"})},
         {path({root.c_str(), "notes.txt"}), path({root.c_str(), "cam2.h264"})}},
        {"a file, then its folder",
         {path({root.c_str(), "cam2.h264"}), root},
         {path({root.c_str(), "cam2.h264"}), path({root.c_str(), "CAM1.H264"}),
          path({root.c_str(), "cam10.h264"})}},
        {"an empty path and a folder without recordings",
         {"", path({root.c_str(), "sub", ""})},
         {path({root.c_str(), "sub", "cam0.h264"})}},
    };
    for (const Case& c : cases) {
        RecordingList list;
        list.add(c.added);
        EXPECT_EQ(list.paths(), c.listed) << c.what;
    }
}

TEST(RecordingListTest, SourceFieldTextAndToolTip) {
    const std::string a = path({"", "rec", "a.h264"});
    const std::string b = path({"", "rec", "b.h264"});
    const std::string c = path({"", "other", "c.h264"});
    struct Case {
        std::vector<std::string> recordings;
        std::string text;
        std::string toolTip;
    };
    const Case cases[] = {
        {{}, "", ""},
        {{a}, a, ""},
        {{a, b}, "2 recordings in " + path({"", "rec"}), a + "\n" + b},
        {{a, c}, "2 recordings", a + "\n" + c},
        {{path({"", "a.h264"}), path({"", "b.h264"})},
         "2 recordings",
         path({"", "a.h264"}) + "\n" + path({"", "b.h264"})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sourceFieldText(c.recordings), c.text);
        EXPECT_EQ(sourceFieldToolTip(c.recordings), c.toolTip);
    }

    const std::vector<std::string> many(kToolTipLines + 3, a);
    const std::string tip = sourceFieldToolTip(many);
    EXPECT_EQ(std::count(tip.begin(), tip.end(), '\n'), static_cast<long>(kToolTipLines));
    EXPECT_TRUE(tip.ends_with("\nand 3 more"));
    EXPECT_EQ(fileNameOf(a), "a.h264");
    EXPECT_EQ(fileNameOf("x.h264"), "x.h264");
}

}  // namespace
}  // namespace kinorex
