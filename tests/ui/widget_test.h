#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

namespace kinorex::test {

// The application the widget tests need, on the offscreen platform so that no display is
// needed; it goes before the program exits, while Qt's own globals still exist.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace kinorex::test

// Runs a Qt Test class as one GoogleTest case; Qt Test's log names the failing slot.
#define KINOREX_WIDGET_TEST(Class)         \
    TEST(WidgetTest, Class) {              \
        Class test;                        \
        EXPECT_EQ(QTest::qExec(&test), 0); \
    }
