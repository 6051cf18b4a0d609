#include "main_dialog_logic.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "output_naming.h"

namespace kinorex {
namespace {

using Log = std::vector<std::string>;

// The converter's "Start" line as the log records it; the prefix joins folder and base
// name with the platform's separator.
std::string startLine(const std::string& source, const char* mask, const std::string& folder,
                      const std::string& baseName) {
    return "Start " + source + " " + mask + " " + folder + kNativePaths.separator + baseName;
}

// Records every request in one log with the converter's calls, so that tests
// can check the order in which things reach the screen and the converter.
class FakePlatform : public MainDialogPlatform {
public:
    explicit FakePlatform(Log& log) : log_(log) {}

    std::optional<std::vector<std::string>> sourceFiles;
    std::optional<std::string> outputFolder;
    std::optional<std::uint32_t> channelMask = 0xFFFF;
    bool openFolderAtFinish = false;
    ChannelChoice offered;
    int busyRuns = 0;
    std::string toolTip;

    void showMessage(const std::string& text) override { log_.push_back("message " + text); }
    void showWarning(const std::string& text) override { log_.push_back("warning " + text); }
    bool showFinishMessage(const std::string& text) override {
        log_.push_back("message " + text);
        return openFolderAtFinish;
    }
    void openFolder(const std::string& folder) override { log_.push_back("open " + folder); }
    std::optional<std::vector<std::string>> pickSourceFiles() override { return sourceFiles; }
    std::optional<std::string> pickOutputFolder() override { return outputFolder; }
    std::optional<std::uint32_t> runChannelDialog(const ChannelChoice& choice) override {
        log_.push_back("channel dialog");
        offered = choice;
        return channelMask;
    }
    void runBusy(const std::function<void()>& work) override {
        ++busyRuns;
        work();
    }
    void showPaths(const std::string& source, const std::string& sourceToolTip,
                   const std::string& folder) override {
        log_.push_back("paths " + source + " | " + folder);
        toolTip = sourceToolTip;
    }
    void showStatus(const std::string& line) override { log_.push_back("status " + line); }
    void setStartEnabled(bool enabled) override {
        log_.push_back(enabled ? "start on" : "start off");
    }
    void setStopEnabled(bool enabled) override { log_.push_back(enabled ? "stop on" : "stop off"); }
    void setProgressRange(int lower, int upper) override {
        log_.push_back("range " + std::to_string(lower) + ".." + std::to_string(upper));
    }
    void setProgressTextShown(bool shown) override {
        log_.push_back(shown ? "text on" : "text off");
    }
    void setProgressPosition(int position) override {
        log_.push_back("position " + std::to_string(position));
    }
    void armTimer(int timerId, int milliseconds) override {
        log_.push_back("arm " + std::to_string(timerId) + " " + std::to_string(milliseconds));
    }
    void disarmTimer(int timerId) override { log_.push_back("disarm " + std::to_string(timerId)); }

private:
    Log& log_;
};

class FakeConverter : public Converter {
public:
    explicit FakeConverter(Log& log) : log_(log) {}

    int startResult = 1;
    std::optional<OutputFormat> format;
    std::deque<int> progress;
    int finished = 0;

    int Start(const char* sourcePath, std::uint32_t channelMask,
              const char* outputPrefix) override {
        char mask[16];
        std::snprintf(mask, sizeof mask, "%#x", channelMask);
        log_.push_back(std::string("Start ") + sourcePath + " " + mask + " " + outputPrefix);
        return startResult;
    }
    void setOutputFormat(OutputFormat chosen) override { format = chosen; }
    void Stop() override { log_.push_back("Stop"); }
    int GetProgress() override {
        const int value = progress.front();
        progress.pop_front();
        return value;
    }
    int IsFinished() override { return finished; }
    std::vector<std::string> describeLosses() const override { return losses; }
    // Every recording holds channels 1 to 4 unless the test says otherwise.
    std::optional<RecordingContents> inspect(const std::string& sourcePath) override {
        if (const auto found = contents.find(sourcePath); found != contents.end()) {
            return found->second;
        }
        RecordingContents fourChannels;
        for (int i = 0; i < 4; ++i) {
            fourChannels.channels[i].hasVideo = 1;
        }
        return fourChannels;
    }

    std::vector<std::string> describeDamage() const override { return damage; }

    std::vector<std::string> losses;
    std::vector<std::string> damage;
    std::map<std::string, std::optional<RecordingContents>> contents;

private:
    Log& log_;
};

class MainDialogLogicTest : public ::testing::Test {
protected:
    MainDialogLogicTest() { logic.initialise(); }

    // Chooses a recording and lets its folder become the output folder.
    void chooseRecording(const std::string& path) {
        platform.sourceFiles = {{path}};
        logic.chooseSource();
    }

    void startConverting() {
        chooseRecording("/rec/cam1.h264");
        logic.start();
        ASSERT_EQ(logic.state(), MainDialogLogic::State::Converting);
        log.clear();
    }

    Log log;
    FakePlatform platform{log};
    FakeConverter converter{log};
    MainDialogLogic logic{platform, converter};
};

TEST_F(MainDialogLogicTest, OpensIdleWithPercentageBar) {
    EXPECT_EQ(log, (Log{"range 0..100", "text on", "start on", "stop off"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

TEST_F(MainDialogLogicTest, StartChecksSourceThenFolderThenChannels) {
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"message Please select source file!"}));

    chooseRecording("/x.h264");  // a file in the root has no folder to default to
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"message Please select avi file path!"}));

    platform.outputFolder = "/out";
    logic.chooseOutputFolder();
    platform.channelMask = 0;
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"channel dialog", "message Please select channel number"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

TEST_F(MainDialogLogicTest, CancelledChannelDialogEndsStartSilently) {
    chooseRecording("/rec/cam1.h264");
    platform.channelMask.reset();
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"channel dialog"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

TEST_F(MainDialogLogicTest, StartPassesMaskAndPrefixAndArmsTheTimer) {
    chooseRecording("/rec/cam1.2010.h264");
    platform.channelMask = 0xFFFB;
    log.clear();
    logic.start();
    EXPECT_EQ(
        log, (Log{"channel dialog", startLine("/rec/cam1.2010.h264", "0xfffb", "/rec", "cam1.2010"),
                  "arm 1000 500", "start off", "stop on"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Converting);
}

TEST_F(MainDialogLogicTest, StartWritesTheChosenFormatAviUntilChosenOtherwise) {
    startConverting();
    EXPECT_EQ(converter.format, OutputFormat::Avi);
    logic.stop();
    logic.chooseFormat(OutputFormat::Mkv);
    logic.start();
    EXPECT_EQ(converter.format, OutputFormat::Mkv);

    // The box offers what the build writes, AVI first and so by default.
    const auto choices = MainDialogLogic::formatChoices();
    ASSERT_FALSE(choices.empty());
    EXPECT_EQ(choices.front().label, "AVI");
    for (const auto& choice : choices) {
        EXPECT_TRUE(formatAvailable(choice.format)) << choice.label;
        EXPECT_EQ(choice.label.size(), 3u);
    }
}

TEST_F(MainDialogLogicTest, FailedStartReportsAndKeepsPaths) {
    chooseRecording("/rec/cam1.h264");
    converter.startResult = 0;
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"channel dialog", startLine("/rec/cam1.h264", "0xffff", "/rec", "cam1"),
                        "message Failed to convert!"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
    EXPECT_EQ(logic.recordings(), std::vector<std::string>{"/rec/cam1.h264"});
    EXPECT_EQ(logic.outputFolder(), "/rec");
}

TEST_F(MainDialogLogicTest, OutputFolderFollowsOnlyTheFirstSource) {
    chooseRecording("/rec/cam1.h264");
    EXPECT_EQ(log.back(), "paths /rec/cam1.h264 | /rec");
    chooseRecording("/other/cam2.h264");
    EXPECT_EQ(log.back(), "paths /other/cam2.h264 | /rec");

    log.clear();
    platform.sourceFiles.reset();  // cancelled pickers change nothing
    logic.chooseSource();
    platform.outputFolder.reset();
    logic.chooseOutputFolder();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(logic.recordings(), std::vector<std::string>{"/other/cam2.h264"});
    EXPECT_EQ(logic.outputFolder(), "/rec");

    platform.outputFolder = "/";
    logic.chooseOutputFolder();
    EXPECT_EQ(log, (Log{"paths /other/cam2.h264 | /"}));
}

TEST_F(MainDialogLogicTest, RootFolderGivesNoDoubledSeparatorInPrefix) {
    chooseRecording("/rec/cam1.h264");
    platform.outputFolder = std::string(1, kNativePaths.separator);
    logic.chooseOutputFolder();
    log.clear();
    logic.start();
    EXPECT_EQ(log.at(1), startLine("/rec/cam1.h264", "0xffff", "", "cam1"));
}

// Other programs can set the read-only fields; Start converts what they show.
TEST_F(MainDialogLogicTest, StartTakesThePathsTheFieldsShow) {
    chooseRecording("/rec/cam1.h264");
    logic.setPaths("/elsewhere/cam2.h264", "/avi");
    log.clear();
    logic.start();
    EXPECT_EQ(log.at(1), startLine("/elsewhere/cam2.h264", "0xffff", "/avi", "cam2"));
}

TEST_F(MainDialogLogicTest, TickShowsClampedProgressAndRearms) {
    startConverting();
    converter.progress = {37, 120, -5};
    for (int i = 0; i < 3; ++i) {
        logic.timerTick(MainDialogLogic::kProgressTimerId);
    }
    EXPECT_EQ(log, (Log{"disarm 1000", "position 37", "arm 1000 500",   //
                        "disarm 1000", "position 100", "arm 1000 500",  //
                        "disarm 1000", "position 0", "arm 1000 500"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Converting);
}

TEST_F(MainDialogLogicTest, FinishedTickShowsFullThenEmptyBarThenFinish) {
    startConverting();
    converter.finished = 1;
    logic.timerTick(MainDialogLogic::kProgressTimerId);
    // Start comes back only after the message has been closed; no timer is armed again.
    EXPECT_EQ(log, (Log{"disarm 1000", "position 100", "Stop", "position 0", "message Finish",
                        "start on", "stop off"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

TEST_F(MainDialogLogicTest, LossesAreListedInAWarningAfterFinish) {
    startConverting();
    converter.finished = 1;
    converter.losses = {"/avi/cam1_4.avi: No space left on device; 812 of 2000 frames not written",
                        "/avi/cam1_5.avi: Permission denied; 10 of 10 frames not written"};
    logic.timerTick(MainDialogLogic::kProgressTimerId);
    EXPECT_EQ(log, (Log{"disarm 1000", "position 100", "Stop", "position 0", "message Finish",
                        "warning Not everything could be written:\n" + converter.losses[0] + "\n" +
                            converter.losses[1],
                        "start on", "stop off"}));
}

TEST_F(MainDialogLogicTest, DamageIsListedBeforeTheLossesInOneWarning) {
    startConverting();
    converter.finished = 1;
    converter.damage = {"rec.h264: damaged at byte 69,391: 190 bytes skipped"};
    converter.losses = {"/avi/rec_1.avi: No space left on device; 8 of 20 frames not written"};
    logic.timerTick(MainDialogLogic::kProgressTimerId);
    EXPECT_EQ(log, (Log{"disarm 1000", "position 100", "Stop", "position 0", "message Finish",
                        "warning The recording was damaged; everything else was converted:\n" +
                            converter.damage[0] + "\n\nNot everything could be written:\n" +
                            converter.losses[0],
                        "start on", "stop off"}));
}

TEST_F(MainDialogLogicTest, OtherTimersAreIgnored) {
    startConverting();
    logic.timerTick(1001);
    EXPECT_TRUE(log.empty());
}

TEST_F(MainDialogLogicTest, StopEndsConversionWithoutMessage) {
    startConverting();
    logic.stop();
    EXPECT_EQ(log, (Log{"Stop", "position 0", "disarm 1000", "start on", "stop off"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

// Several recordings: one Start, one channel choice, converted one after another.
class SeveralRecordingsTest : public MainDialogLogicTest {
protected:
    SeveralRecordingsTest() {
        logic.addRecordings({"/rec/cam1.h264", "/rec/cam2.h264", "/rec/cam3.h264"});
        log.clear();
    }

    void finishCurrent() {
        converter.finished = 1;
        logic.timerTick(MainDialogLogic::kProgressTimerId);
        converter.finished = 0;
    }
};

TEST_F(SeveralRecordingsTest, FieldShowsCountAndFolderAndFolderFollowsTheFirst) {
    EXPECT_EQ(logic.outputFolder(), "/rec");
    logic.addRecordings({"/rec/cam2.h264", "/rec/cam4.h264"});  // cam2 is there already
    EXPECT_EQ(log, (Log{"paths 4 recordings in /rec | /rec"}));
    EXPECT_EQ(platform.toolTip, "/rec/cam1.h264\n/rec/cam2.h264\n/rec/cam3.h264\n/rec/cam4.h264");

    platform.sourceFiles = {{"/b/x.h264"}};  // Browse replaces the list
    logic.chooseSource();
    EXPECT_EQ(log.back(), "paths /b/x.h264 | /rec");
    EXPECT_EQ(platform.toolTip, "");
}

TEST_F(SeveralRecordingsTest, RunsOneAfterAnotherWithTheStatusLine) {
    platform.channelMask = 0x5;
    logic.start();
    EXPECT_EQ(platform.busyRuns, 1) << "the recordings are looked at off the window's thread";
    EXPECT_EQ(log, (Log{"channel dialog", "status Recording 1 of 3: cam1.h264",
                        startLine("/rec/cam1.h264", "0x5", "/rec", "cam1"), "arm 1000 500",
                        "start off", "stop on"}));
    log.clear();
    finishCurrent();
    EXPECT_EQ(log, (Log{"disarm 1000", "position 100", "Stop", "position 0",
                        "status Recording 2 of 3: cam2.h264",
                        startLine("/rec/cam2.h264", "0x5", "/rec", "cam2"), "arm 1000 500",
                        "start off", "stop on"}));
    finishCurrent();
    log.clear();
    platform.openFolderAtFinish = true;
    finishCurrent();
    // "Finish" only after the last; the folder opens once the dialog is idle again.
    EXPECT_EQ(log, (Log{"disarm 1000", "position 100", "Stop", "position 0", "message Finish",
                        "status ", "start on", "stop off", "open /rec"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

TEST_F(SeveralRecordingsTest, WarningListsLossesAndRecordingsThatFailed) {
    converter.contents["/rec/cam2.h264"] = std::nullopt;
    logic.start();
    EXPECT_EQ(log.at(0),
              "message These recordings cannot be read and are left out:\n/rec/cam2.h264");
    EXPECT_EQ(log.at(2), "status Recording 1 of 2: cam1.h264");
    converter.losses = {"/rec/cam1_2.avi: No space left on device; 3 of 9 frames not written"};
    converter.startResult = 0;  // cam3 is refused by the converter
    log.clear();
    finishCurrent();
    EXPECT_EQ(log, (Log{"disarm 1000", "position 100", "Stop", "position 0",
                        "status Recording 2 of 2: cam3.h264",
                        startLine("/rec/cam3.h264", "0xffff", "/rec", "cam3"), "message Finish",
                        "warning Not everything could be written:\n"
                        "/rec/cam1_2.avi: No space left on device; 3 of 9 frames not written\n\n"
                        "These recordings could not be converted:\n/rec/cam2.h264\n/rec/cam3.h264",
                        "status ", "start on", "stop off"}));
}

TEST_F(SeveralRecordingsTest, StopEndsTheWholeRunWithoutFinish) {
    logic.start();
    finishCurrent();
    converter.losses = {"/rec/cam2_1.avi: Input/output error; 1 of 5 frames not written"};
    log.clear();
    logic.stop();
    EXPECT_EQ(log, (Log{"Stop", "position 0", "disarm 1000",
                        "warning Not everything could be written:\n" + converter.losses[0],
                        "status ", "start on", "stop off"}));
    log.clear();
    logic.timerTick(MainDialogLogic::kProgressTimerId);  // a tick already on its way
    EXPECT_TRUE(log.empty());
}

TEST_F(SeveralRecordingsTest, NothingStartsWhenNoneCanBeReadOrNamesClash) {
    for (const char* path : {"/rec/cam1.h264", "/rec/cam2.h264", "/rec/cam3.h264"}) {
        converter.contents[path] = std::nullopt;
    }
    logic.start();
    EXPECT_EQ(log, (Log{"message None of the recordings can be read:\n/rec/cam1.h264\n"
                        "/rec/cam2.h264\n/rec/cam3.h264"}));

    log.clear();
    logic.addRecordings({"/other/cam1.h264"});
    log.clear();
    logic.start();
    // The output folder is joined to the file name with the platform's own separator.
    EXPECT_EQ(log, (Log{"message Some recordings would write the same files:\n"
                        "/rec/cam1.h264 and /other/cam1.h264 would both write /rec" +
                        std::string(1, kNativePaths.separator) + "cam1_N.avi"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
}

TEST_F(MainDialogLogicTest, OneUnreadableRecordingFailsBeforeTheChannelDialog) {
    chooseRecording("/rec/cam1.h264");
    converter.contents["/rec/cam1.h264"] = std::nullopt;
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"message Failed to convert!"}));
}

TEST_F(MainDialogLogicTest, ChannelDialogOffersWhatTheRecordingHolds) {
    chooseRecording("/rec/cam1.h264");
    logic.start();
    EXPECT_EQ(platform.offered.enabled, 0x000Fu);
    EXPECT_EQ(platform.offered.toolTips[4], "No video in this recording");
}

// The Win32 fields can be set from outside; the list's own text keeps the list.
TEST_F(SeveralRecordingsTest, FieldTextOtherThanTheListsIsOneRecording) {
    logic.setPaths("3 recordings in /rec", "/avi");
    EXPECT_EQ(logic.recordings().size(), 3u);
    logic.setPaths("/x/y.h264", "/avi");
    EXPECT_EQ(logic.recordings(), std::vector<std::string>{"/x/y.h264"});
    logic.setPaths("", "/avi");
    EXPECT_TRUE(logic.recordings().empty());
}

}  // namespace
}  // namespace kinorex
