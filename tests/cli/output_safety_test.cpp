// What a run of kinorex-convert does to files already there: clashes are refused, files are
// written aside and put in place whole, and a run that is cut short, killed or writes into
// a closed pipe never leaves a good file destroyed or a half-written one under a final name.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <set>

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
const std::string kEarlier = "an earlier file";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::set<std::string> asideFilesIn(const std::filesystem::path& folder) {
    std::set<std::string> aside;
    for (const auto& name : namesIn(folder)) {
        if (name.starts_with('.') && name.ends_with(".kinorex-partial")) {
            aside.insert(name);
        }
    }
    return aside;
}

// Complete: every size patched and an index entry for every chunk. Gives the chunk count.
std::size_t completeChunks(const std::filesystem::path& path) {
    const auto layout = test::parseAvi(test::readFile(path.string()));
    EXPECT_TRUE(layout.hasIdx1) << path;
    EXPECT_EQ(layout.idx1.size(), layout.movi.size()) << path;
    return layout.movi.size();
}

test::ProcessResult convert(const std::vector<std::string>& arguments) {
    return test::runProcess(kConverter, arguments);
}

struct Folder {
    explicit Folder(const char* name) : folder(name) {
        std::filesystem::create_directories(folder.path());
    }
    std::filesystem::path operator/(const std::string& name) const { return folder.path() / name; }
    std::string string() const { return folder.string(); }
    test::TempPath folder;
};

TEST(OutputSafety, SourcesThatWouldWriteTheSameFilesAreRefusedBeforeAnything) {
    const Folder folder("cli-clash");
    for (const auto* day : {"day1", "day2"}) {
        std::filesystem::create_directories(folder / day);
        std::filesystem::copy_file(kSample, folder / day / "rec.h264");
    }
    const auto day1 = (folder / "day1" / "rec.h264").string();
    const auto day2 = (folder / "day2" / "rec.h264").string();
    const auto out = folder / "out";
    std::filesystem::create_directories(out);
    const std::string clash = "kinorex-convert: " + day1 + " and " + day2 + " would both write " +
                              (out / "rec").string() + "_N.avi; convert them into different " +
                              "folders (-o)\n";

    const auto refused = convert({"-q", "-o", out.string() + "/", day1, day2});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.err, clash);
    EXPECT_TRUE(namesIn(out).empty());

    const auto info = convert({"--info", "-o", out.string(), day1, day2});
    EXPECT_EQ(info.exitStatus, 2);
    EXPECT_EQ(info.err, clash);
    EXPECT_TRUE(contains(info.out, (out / "rec_1.avi").string()));

    // Named twice, converted once; into their own folders, both are converted.
    const auto twice = convert({"-q", "-c", "1", day1, day2, day1});
    EXPECT_EQ(twice.exitStatus, 0) << twice.err;
    EXPECT_EQ(twice.err, "kinorex-convert: " + day1 + " is named twice; it is converted once\n");
    EXPECT_EQ(namesIn(folder / "day1"), (std::set<std::string>{"rec.h264", "rec_1.avi"}));
    EXPECT_EQ(namesIn(folder / "day2"), (std::set<std::string>{"rec.h264", "rec_1.avi"}));
}

TEST(OutputSafety, NamesWithoutAnExtensionAreKeptWhole) {
    const Folder folder("cli-no-extension");
    for (const auto* name : {"20240101_0800", "20240101_0900"}) {
        std::filesystem::copy_file(kSample, folder / name);
    }
    const auto result = convert({"-q", "-c", "2", (folder / "20240101_0800").string(),
                                 (folder / "20240101_0900").string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(namesIn(folder.folder.path()),
              (std::set<std::string>{"20240101_0800", "20240101_0800_2.avi", "20240101_0900",
                                     "20240101_0900_2.avi"}));
}

TEST(OutputSafety, ChannelsWithoutVideoAndSourcesWithNothingAreSaid) {
    const Folder folder("cli-no-video");
    std::filesystem::copy_file(kSample, folder / "rec.h264");
    const auto rec = (folder / "rec.h264").string();

    const auto some = convert({"-q", "-c", "1,5", rec});
    EXPECT_EQ(some.exitStatus, 0);
    EXPECT_EQ(some.err, rec + ": channel 5 has no video; no file\n");

    const auto none = convert({"-q", "-c", "5-6", rec});
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_EQ(none.err, rec + ": channel 5 has no video; no file\n" + rec +
                            ": channel 6 has no video; no file\n" + rec + ": nothing to convert\n");
}

TEST(OutputSafety, ARunOntoAFullDiskKeepsTheEarlierFiles) {
    const Folder sample("cli-full-disk-source");
    std::filesystem::copy_file(kSample, sample / "rec.h264");
    const test::SmallDisk disk(120 * 1024);  // the sample's AVI files take about 370 KB
    for (int channel = 1; channel <= 4; ++channel) {
        writeText(disk.path() / ("rec_" + std::to_string(channel) + ".avi"), kEarlier);
    }
    const auto result = convert({"-q", "-o", disk.path().string(), (sample / "rec.h264").string()});

    EXPECT_EQ(result.exitStatus, 1);
    int kept = 0;
    for (int channel = 1; channel <= 4; ++channel) {
        const auto name = "rec_" + std::to_string(channel) + ".avi";
        const auto path = disk.path() / name;
        if (contentsOf(path) == kEarlier) {
            ++kept;
            EXPECT_TRUE(contains(result.err, path.string() + ": " + disk.fullText() +
                                                 "; the earlier " + name + " was kept\n"))
                << result.err;
        } else {
            EXPECT_GT(completeChunks(path), 0u);  // the new file went through whole
        }
    }
    EXPECT_GT(kept, 0);
    EXPECT_TRUE(asideFilesIn(disk.path()).empty());
}

// A recording long enough that a conversion is still running when a test interrupts it.
class LongRecording : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::ffmpegAvailable());
        std::filesystem::create_directories(source_->path());
        tools::RecordingPlan plan;
        plan.output = recording();
        plan.loopSeconds = 6000;
        plan.channels = {{.channelNumber = 1,
                          .video = test::fixturePath("pal_352x288_25fps.264"),
                          .speech = test::fixturePath("speech_1.s16")},
                         {.channelNumber = 2, .video = test::fixturePath("pal_704x288_25fps.264")}};
        tools::generateRecording(plan);
    }
    static void TearDownTestSuite() { source_.reset(); }
    static std::filesystem::path recording() { return source_->path() / "long.h264"; }

    std::filesystem::path avi(int channel) const {
        return out_ / ("long_" + std::to_string(channel) + ".avi");
    }
    // Starts a conversion into out_ and waits until both of its files have frames on disk.
    std::unique_ptr<test::ChildProcess> startAndWaitForFrames(
        test::Output output = test::Output::File) {
        const auto before = asideFilesIn(out_);
        auto converter = std::make_unique<test::ChildProcess>(
            kConverter, std::vector<std::string>{"-o", out_.string(), recording().string()},
            output);
        // Files reach the disk block by block: once both have grown, both hold frames.
        EXPECT_TRUE(test::waitUntil(
            [&] {
                int growing = 0;
                for (const auto& name : asideFilesIn(out_)) {
                    std::error_code error;
                    growing += !before.contains(name) &&
                               std::filesystem::file_size(out_ / name, error) > 0 && !error;
                }
                return growing == 2;
            },
            std::chrono::seconds(60)));
        return converter;
    }

    inline static std::unique_ptr<test::TempPath> source_ =
        std::make_unique<test::TempPath>("cli-long-recording");
    Folder folder_{"cli-long-output"};
    std::filesystem::path out_ = folder_.folder.path();
};

TEST_F(LongRecording, SignalsStopCleanlyWithTheUsualStatus) {
    const struct {
        int signal;
        int status;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        std::filesystem::remove(avi(1));
        std::filesystem::remove(avi(2));
        auto converter = startAndWaitForFrames();
        converter->sendSignal(c.signal);
        const auto result = converter->wait();

        EXPECT_EQ(result.exitStatus, c.status) << result.err;
        EXPECT_EQ(result.err,
                  "kinorex-convert: interrupted; the files written so far are complete (" +
                      avi(1).string() + ", " + avi(2).string() + ")\n");
        for (int channel = 1; channel <= 2; ++channel) {
            const auto chunks = completeChunks(avi(channel));
            EXPECT_GT(chunks, 0u);
            EXPECT_LT(chunks, 6000u * 25);  // stopped early
        }
        EXPECT_TRUE(asideFilesIn(out_).empty());
    }
    auto streams = test::probeStreams(avi(1).string());
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0]["codec_name"], "h264");
}

TEST_F(LongRecording, AKilledRunLeavesTheEarlierFileAndTheNextRunClearsUp) {
    writeText(avi(1), kEarlier);
    auto killed = startAndWaitForFrames();
    killed->sendSignal(SIGKILL);
    killed->wait();

    // Nothing half-written under a final name; what was written aside stays aside.
    EXPECT_EQ(contentsOf(avi(1)), kEarlier);
    EXPECT_FALSE(std::filesystem::exists(avi(2)));
    const auto leftAside = asideFilesIn(out_);
    EXPECT_EQ(leftAside.size(), 2u);

    // The next run removes them; stopped early itself, it keeps the earlier file of channel
    // 1 and puts its partial file of channel 2, which had none, in place.
    auto next = startAndWaitForFrames();
    for (const auto& name : leftAside) {
        EXPECT_FALSE(std::filesystem::exists(out_ / name)) << name;
    }
    next->sendSignal(SIGINT);
    const auto result = next->wait();
    EXPECT_EQ(result.exitStatus, 130);
    EXPECT_EQ(result.err, avi(1).string() + ": interrupted; the earlier long_1.avi was kept\n" +
                              "kinorex-convert: interrupted; the files written so far are " +
                              "complete (" + avi(2).string() + ")\n");
    EXPECT_EQ(contentsOf(avi(1)), kEarlier);
    EXPECT_GT(completeChunks(avi(2)), 0u);
    EXPECT_EQ(namesIn(out_), (std::set<std::string>{"long_1.avi", "long_2.avi"}));
}

TEST_F(LongRecording, AClosedPipeDoesNotStopTheConversion) {
    auto converter = startAndWaitForFrames(test::Output::ClosedPipe);
    const auto result = converter->wait();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(completeChunks(avi(2)), 6000u * 25);
}

TEST_F(LongRecording, TwoRunsIntoOneFolderNeverMixTheirFiles) {
    auto first = startAndWaitForFrames();
    auto second = startAndWaitForFrames();  // while the first still writes
    const auto firstResult = first->wait();
    const auto secondResult = second->wait();

    // Each writes its own files aside; the last to finish puts its own in place.
    EXPECT_EQ(firstResult.exitStatus, 0) << firstResult.err;
    EXPECT_EQ(secondResult.exitStatus, 0) << secondResult.err;
    EXPECT_EQ(completeChunks(avi(2)), 6000u * 25);
    EXPECT_EQ(namesIn(out_), (std::set<std::string>{"long_1.avi", "long_2.avi"}));
}

}  // namespace
}  // namespace kinorex::cli
