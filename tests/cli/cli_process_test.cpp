// kinorex-convert as a user runs it: a real process, its exit status and output.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <regex>

#include "avi_layout.h"
#include "child_process.h"
#include "ffprobe.h"
#include "media_files.h"
#include "recording_generator.h"
#include "small_disk.h"
#include "temp_path.h"
#include "wait.h"

namespace kinorex::cli {
namespace {

const std::filesystem::path kConverter = KINOREX_BIN_DIR "/kinorex-convert";
const std::filesystem::path kSample = KINOREX_SOURCE_DIR "/samples/sample.h264";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A folder holding a copy of the bundled sample recording.
struct SampleFolder {
    test::TempPath folder{"cli-sample"};
    std::filesystem::path recording = folder.path() / "rec.h264";

    SampleFolder() {
        std::filesystem::create_directories(folder.path());
        std::filesystem::copy_file(kSample, recording);
    }
    std::filesystem::path avi(int channel) const {
        return folder.path() / ("rec_" + std::to_string(channel) + ".avi");
    }
};

test::ProcessResult convert(const std::vector<std::string>& arguments) {
    return test::runProcess(kConverter, arguments);
}

TEST(CliProcess, HelpAndVersionSucceed) {
    const auto help = convert({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("Usage: kinorex-convert [OPTIONS] SOURCE..."), std::string::npos);

    const auto version = convert({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_NE(version.out.find("HI_VOICE_VERSION=KNRX01_VOICELIB_V1.0.0.0"), std::string::npos);
}

TEST(CliProcess, BadOptionsPrintUsageOnStderrAndExitWith2) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "x.h264"}, {"-c", "", "x.h264"}, {"-c", "17", "x.h264"}}) {
        const auto result = convert(arguments);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_NE(result.err.find("Usage:"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
}

TEST(CliProcess, UnwritableOutputFolderStopsBeforeAnythingStarts) {
    const test::TempPath folder("cli-missing-folder");
    const auto result = convert({"-o", folder.string(), "/nonexistent/rec.h264"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("cannot write AVI files into " + folder.string()), std::string::npos);
    EXPECT_EQ(result.err.find("Failed to convert!"), std::string::npos);  // nothing was tried
}

TEST(CliProcess, SourcesThatAreNoRecordingFailWithTheirReason) {
    const test::TempPath folder("cli-bad-sources");
    std::filesystem::create_directories(folder.path());
    const auto text = folder.path() / "notes.h264";
    std::ofstream(text) << "not a recording at all";

    const auto result = convert(
        {"-q", "-o", folder.string(), (folder.path() / "missing.h264").string(), text.string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Failed to convert! " + (folder.path() / "missing.h264").string() +
                              ": No such file or directory"),
              std::string::npos);
    EXPECT_NE(result.err.find("Failed to convert! " + text.string() + ": not a recording"),
              std::string::npos);
    EXPECT_EQ(result.out, "");  // quiet

    // Without -o: the source's own trouble is reported, not that of the folder it names,
    // also for a path directly under the root.
    const auto defaults = convert({"-q", folder.string(), "/kinorex-no-such-recording.h264"});
    EXPECT_EQ(defaults.exitStatus, 1);
    EXPECT_EQ(defaults.err, "Failed to convert! " + folder.string() +
                                ": is a folder, not a recording\n"
                                "Failed to convert! /kinorex-no-such-recording.h264: "
                                "No such file or directory\n");
}

class CliFullDisk : public ::testing::TestWithParam<const char*> {};

TEST_P(CliFullDisk, NamesTheFilesThatLostFramesAndExitsWith1) {
    const std::string format = GetParam();
    const SampleFolder sample;
    const test::SmallDisk disk(120 * 1024);  // the sample's files take about 250 to 370 KB
    const auto result =
        convert({"-o", disk.path().string(), "-f", format, sample.recording.string()});

    EXPECT_EQ(result.exitStatus, 1);
    const std::regex lossLine(disk.path().string() + "/rec_[1-4]\\." + format + ": " +
                              disk.fullText() +
                              "; [0-9]+ of [0-9]+ (video|voice) frames( and [0-9]+ of [0-9]+ "
                              "voice frames)? not written\n");
    EXPECT_TRUE(std::regex_search(result.err, lossLine)) << result.err;
    for (int channel = 1; channel <= 4; ++channel) {
        const auto file = disk.path() / ("rec_" + std::to_string(channel) + "." + format);
        const bool holdsSomething =
            std::filesystem::exists(file) && std::filesystem::file_size(file) > 0;
        // Files holding nothing are not listed. An MP4 or Matroska file cut short counts as
        // holding nothing: the muxer's buffers and index did not reach the disk.
        if (format != "avi") {
            EXPECT_TRUE(!contains(result.out, file.string() + "  ") || holdsSomething);
        } else {
            EXPECT_EQ(contains(result.out, file.string() + "  "), holdsSomething);
        }
    }
}

#ifdef KINOREX_WITH_FFMPEG
INSTANTIATE_TEST_SUITE_P(Formats, CliFullDisk, ::testing::Values("avi", "mp4", "mkv"));
#else
INSTANTIATE_TEST_SUITE_P(Formats, CliFullDisk, ::testing::Values("avi"));
#endif

#if defined(KINOREX_WITH_FFMPEG) && !defined(_WIN32)
// The converter copied where its FFmpeg module is missing or does not load: MP4 is refused
// up front with the reason, and AVI, which never needs the module, still converts.
TEST(CliProcess, MissingOrBrokenFfmpegModuleIsReported) {
    const SampleFolder sample;
    const auto converter = sample.folder.path() / "bin" / kConverter.filename();
    const auto module =
        (converter.parent_path() /
         std::filesystem::path(KINOREX_MUXED_MODULE).lexically_relative(KINOREX_BIN_DIR))
            .lexically_normal();
    std::filesystem::create_directories(converter.parent_path());
    std::filesystem::copy_file(kConverter, converter);

    for (const std::string contents : {"", "not a shared object"}) {
        if (!contents.empty()) {
            std::filesystem::create_directories(module.parent_path());
            std::ofstream(module) << contents;
        }
        const auto mp4 = test::runProcess(converter, {"-f", "mp4", sample.recording.string()});
        EXPECT_EQ(mp4.exitStatus, 2) << contents;
        EXPECT_TRUE(mp4.err.starts_with(
            "kinorex-convert: cannot write MP4 or Matroska files: " + module.string() + ": "))
            << mp4.err;
        EXPECT_FALSE(std::filesystem::exists(sample.folder.path() / "rec_1.mp4"));

        const auto avi = test::runProcess(converter, {"-c", "1", sample.recording.string()});
        EXPECT_EQ(avi.exitStatus, 0) << avi.err;
        EXPECT_TRUE(std::filesystem::exists(sample.avi(1)));
        std::filesystem::remove(sample.avi(1));
    }
}
#endif

#ifndef KINOREX_WITH_FFMPEG
TEST(CliProcess, FormatsOtherThanAviNeedFfmpeg) {
    const SampleFolder sample;
    const auto result = convert({"-f", "mp4", sample.recording.string()});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "kinorex-convert: this build writes AVI files only\n");
    EXPECT_FALSE(std::filesystem::exists(sample.folder.path() / "rec_1.mp4"));
}
#endif

TEST(CliProcess, OneBadSourceDoesNotStopTheOthers) {
    const SampleFolder sample;
    const auto missing = (sample.folder.path() / "missing.h264").string();
    const auto result = convert({missing, sample.recording.string(), "-c", "1-3"});

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(contains(result.err, "Failed to convert! " + missing));
    // Next to the source by default; channels 1 to 3 have video, 4 is not selected.
    for (int channel = 1; channel <= 3; ++channel) {
        ASSERT_TRUE(std::filesystem::exists(sample.avi(channel))) << channel;
        EXPECT_TRUE(contains(result.out,
                             sample.avi(channel).string() + "  " +
                                 std::to_string(std::filesystem::file_size(sample.avi(channel))) +
                                 " bytes"));
    }
    EXPECT_FALSE(std::filesystem::exists(sample.avi(4)));
}

// Overwrites `count` bytes of `path` at `offset` with `value`, or cuts the file there when
// `count` is 0.
void damage(const std::filesystem::path& path, std::uint64_t offset, std::size_t count,
            char value) {
    if (count == 0) {
        std::filesystem::resize_file(path, offset);
        return;
    }
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(std::string(count, value).data(), static_cast<std::streamsize>(count));
}

TEST(CliProcess, DamagedRecordingsConvertWhatIsLeftAndExitWith3UnlessASourceFailed) {
    const SampleFolder sample;
    damage(sample.recording, 100'000, 4096, 0);
    const auto sector = convert({sample.recording.string()});
    EXPECT_EQ(sector.exitStatus, 3) << sector.err;
    EXPECT_TRUE(std::regex_search(
        sector.err, std::regex("rec\\.h264: damaged at byte [0-9,]+: [0-9,]+ bytes skipped\n")))
        << sector.err;
    EXPECT_TRUE(std::filesystem::exists(sample.avi(1)));

    const auto info = convert({"--info", sample.recording.string()});
    EXPECT_EQ(info.exitStatus, 0);
    EXPECT_TRUE(contains(info.out, "rec.h264: damaged at byte ")) << info.out;

    // The recorder lost power: no index, and the tail never reached the disk.
    damage(sample.recording, 1416, 12, 0);
    damage(sample.recording, std::filesystem::file_size(sample.recording) - 500, 0, 0);
    const auto powerCut = convert({sample.recording.string()});
    EXPECT_EQ(powerCut.exitStatus, 3) << powerCut.err;
    EXPECT_TRUE(contains(powerCut.err,
                         "rec.h264: the index is missing (the recording was not "
                         "closed); converted from its frames\n"));
    EXPECT_TRUE(std::regex_search(
        powerCut.err, std::regex("rec\\.h264: ends inside a record at byte [0-9,]+ \\(the "
                                 "recording was cut short\\)\n")))
        << powerCut.err;

    const auto missing = (sample.folder.path() / "missing.h264").string();
    EXPECT_EQ(convert({sample.recording.string(), missing}).exitStatus, 1);
}

TEST(CliProcess, InfoShowsWhatStartWouldFindAndWritesNothing) {
    const SampleFolder sample;
    const auto result = convert({"--info", "-c", "1,3,5", sample.recording.string()});

    EXPECT_EQ(result.exitStatus, 0);
    const auto prefix = sample.folder.path().string() + "/rec_";
    for (const std::string& line :
         {"        1   704x576           25    yes    yes             25  " + prefix + "1.avi\n",
          std::string("        2   352x288           25    yes    yes              -  -\n"),
          "        3   704x288           25    yes     no             25  " + prefix + "3.avi\n",
          std::string("        5   704x576            0     no     no              -  -\n")}) {
        EXPECT_TRUE(contains(result.out, line)) << line;  // 2 is not selected, 5 has no video
    }
    EXPECT_FALSE(std::filesystem::exists(sample.avi(1)));
}

}  // namespace
}  // namespace kinorex::cli
