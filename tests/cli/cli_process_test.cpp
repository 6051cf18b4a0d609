// kinorex-convert as a user runs it: a real process, its exit status and output.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "temp_path.h"

namespace kinorex::cli {
namespace {

const std::filesystem::path kConverter = KINOREX_BIN_DIR "/kinorex-convert";

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

    const auto result = convert({"-q", "-o", folder.string(), (folder.path() / "missing.h264").string(),
                                 text.string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Failed to convert! " + (folder.path() / "missing.h264").string() +
                              ": No such file or directory"),
              std::string::npos);
    EXPECT_NE(result.err.find("Failed to convert! " + text.string() + ": not a recording"),
              std::string::npos);
    EXPECT_EQ(result.out, "");  // quiet
}

}  // namespace
}  // namespace kinorex::cli
