#include "main_dialog_logic.h"

#include <gtest/gtest.h>

#include <deque>
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

    std::optional<std::string> sourceFile;
    std::optional<std::string> outputFolder;
    std::optional<std::uint32_t> channelMask = 0xFFFF;

    void showMessage(const std::string& text) override { log_.push_back("message " + text); }
    void showWarning(const std::string& text) override { log_.push_back("warning " + text); }
    std::optional<std::string> pickSourceFile() override { return sourceFile; }
    std::optional<std::string> pickOutputFolder() override { return outputFolder; }
    std::optional<std::uint32_t> runChannelDialog() override {
        log_.push_back("channel dialog");
        return channelMask;
    }
    void showPaths(const std::string& source, const std::string& folder) override {
        log_.push_back("paths " + source + " | " + folder);
    }
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
    std::deque<int> progress;
    int finished = 0;

    int Start(const char* sourcePath, std::uint32_t channelMask,
              const char* outputPrefix) override {
        char mask[16];
        std::snprintf(mask, sizeof mask, "%#x", channelMask);
        log_.push_back(std::string("Start ") + sourcePath + " " + mask + " " + outputPrefix);
        return startResult;
    }
    void Stop() override { log_.push_back("Stop"); }
    int GetProgress() override {
        const int value = progress.front();
        progress.pop_front();
        return value;
    }
    int IsFinished() override { return finished; }
    std::vector<std::string> describeLosses() const override { return losses; }
    std::vector<std::string> describeDamage() const override { return damage; }

    std::vector<std::string> losses;
    std::vector<std::string> damage;

private:
    Log& log_;
};

class MainDialogLogicTest : public ::testing::Test {
protected:
    MainDialogLogicTest() { logic.initialise(); }

    // Chooses a recording and lets its folder become the output folder.
    void chooseRecording(const std::string& path) {
        platform.sourceFile = path;
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

    platform.sourceFile = "/x.h264";  // a file in the root has no folder to default to
    logic.chooseSource();
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

TEST_F(MainDialogLogicTest, FailedStartReportsAndKeepsPaths) {
    chooseRecording("/rec/cam1.h264");
    converter.startResult = 0;
    log.clear();
    logic.start();
    EXPECT_EQ(log, (Log{"channel dialog", startLine("/rec/cam1.h264", "0xffff", "/rec", "cam1"),
                        "message Failed to convert!"}));
    EXPECT_EQ(logic.state(), MainDialogLogic::State::Idle);
    EXPECT_EQ(logic.sourcePath(), "/rec/cam1.h264");
    EXPECT_EQ(logic.outputFolder(), "/rec");
}

TEST_F(MainDialogLogicTest, OutputFolderFollowsOnlyTheFirstSource) {
    chooseRecording("/rec/cam1.h264");
    EXPECT_EQ(log.back(), "paths /rec/cam1.h264 | /rec");
    chooseRecording("/other/cam2.h264");
    EXPECT_EQ(log.back(), "paths /other/cam2.h264 | /rec");

    log.clear();
    platform.sourceFile.reset();  // cancelled pickers change nothing
    logic.chooseSource();
    platform.outputFolder.reset();
    logic.chooseOutputFolder();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(logic.sourcePath(), "/other/cam2.h264");
    EXPECT_EQ(logic.outputFolder(), "/rec");

    platform.outputFolder = "/";
    logic.chooseOutputFolder();
    EXPECT_EQ(log, (Log{"paths /other/cam2.h264 | /"}));
}

TEST_F(MainDialogLogicTest, RootFolderGivesDoubledSeparatorInPrefix) {
    chooseRecording("/rec/cam1.h264");
    platform.outputFolder = "/";
    logic.chooseOutputFolder();
    log.clear();
    logic.start();
    EXPECT_EQ(log.at(1), startLine("/rec/cam1.h264", "0xffff", "/", "cam1"));
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

}  // namespace
}  // namespace kinorex
