#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

// Runs a Qt Test class as one GoogleTest case, whose log names the failing slot; the
// offscreen platform needs no display.
#define KINOREX_WIDGET_TEST(Class)               \
    TEST(WidgetTest, Class) {                    \
        qputenv("QT_QPA_PLATFORM", "offscreen"); \
        int argc = 1;                            \
        char name[] = "ui_tests";                \
        char* argv[] = {name, nullptr};          \
        QApplication application(argc, argv);    \
        Class test;                              \
        EXPECT_EQ(QTest::qExec(&test), 0);       \
    }
