#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "dlg_sel_chnnl.h"
#include "widget_test.h"

using kinorex::CDlgSelChnnl;

class ChannelDialogWidgetTest : public QObject {
    Q_OBJECT

private:
    static QCheckBox* box(CDlgSelChnnl& dialog, int channel) {
        const QString name = QStringLiteral("channelBox%1").arg(channel, 2, 10, QLatin1Char('0'));
        return dialog.findChild<QCheckBox*>(name);
    }
    static QCheckBox* allBox(CDlgSelChnnl& dialog) {
        return dialog.findChild<QCheckBox*>(QStringLiteral("allBox"));
    }
    static void clickOk(CDlgSelChnnl& dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
    }

    // Clicks the given channel boxes in turn and then OK; the mask it yields.
    static std::uint32_t maskAfterClicking(std::initializer_list<int> channels) {
        CDlgSelChnnl dialog;
        dialog.show();
        for (int channel : channels) {
            QTest::mouseClick(box(dialog, channel), Qt::LeftButton);
        }
        clickOk(dialog);
        if (dialog.result() != QDialog::Accepted) {
            return 0xDEAD;
        }
        return dialog.channelMask();
    }

private slots:
    // The sample's four channels: 5 to 16 cannot be ticked, not even by "All".
    void channelsWithoutVideoAreDisabled() {
        kinorex::ChannelChoice choice;
        choice.enabled = 0x000F;
        choice.toolTips[0] = "704x576, with voice, about 4 s";
        choice.toolTips[4] = "No video in this recording";
        CDlgSelChnnl dialog(nullptr, choice);
        dialog.show();
        QVERIFY(box(dialog, 4)->isEnabled() && box(dialog, 4)->isChecked());
        QVERIFY(!box(dialog, 5)->isEnabled() && !box(dialog, 5)->isChecked());
        QCOMPARE(box(dialog, 1)->toolTip(), "704x576, with voice, about 4 s");
        QCOMPARE(box(dialog, 5)->toolTip(), "No video in this recording");
        QTest::mouseClick(box(dialog, 2), Qt::LeftButton);
        QTest::mouseClick(box(dialog, 5), Qt::LeftButton);
        QTest::mouseClick(allBox(dialog), Qt::LeftButton);
        QVERIFY(allBox(dialog)->isChecked());
        clickOk(dialog);
        QCOMPARE(dialog.channelMask(), 0x000Fu);
    }

    void opensWithEveryBoxTickedInFourRowsOfFour() {
        CDlgSelChnnl dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Channel Select"));
        QVERIFY(allBox(dialog)->isChecked());
        for (int channel = 1; channel <= 16; ++channel) {
            QVERIFY(box(dialog, channel)->isChecked());
            QCOMPARE(box(dialog, channel)->text(),
                     QStringLiteral("Chnnl%1").arg(channel, 2, 10, QLatin1Char('0')));
        }
        QCOMPARE(box(dialog, 2)->y(), box(dialog, 1)->y());
        QVERIFY(box(dialog, 2)->x() > box(dialog, 1)->x());
        QVERIFY(box(dialog, 5)->y() > box(dialog, 1)->y());
        QCOMPARE(box(dialog, 5)->x(), box(dialog, 1)->x());
        // Every caption fits its box.
        for (int channel = 1; channel <= 16; ++channel) {
            QVERIFY(box(dialog, channel)->width() >= box(dialog, channel)->sizeHint().width());
        }
    }

    void clicksGiveTheirMasks() {
        QCOMPARE(maskAfterClicking({}), 0xFFFFu);
        QCOMPARE(maskAfterClicking({3}), 0xFFFBu);
        QCOMPARE(maskAfterClicking({16}), 0x7FFFu);
        QCOMPARE(maskAfterClicking({2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), 0x0001u);
        QCOMPARE(maskAfterClicking({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), 0u);
    }

    void pressRuleSeesStatesFromBeforeTheClick() {
        CDlgSelChnnl dialog;
        dialog.show();
        QTest::mouseClick(box(dialog, 5), Qt::LeftButton);
        QVERIFY(!box(dialog, 5)->isChecked());
        QVERIFY(allBox(dialog)->isChecked());
        clickOk(dialog);
        QVERIFY(!allBox(dialog)->isChecked());
        QCOMPARE(dialog.channelMask(), 0xFFEFu);
    }

    void clickingAllTicksEveryChannel() {
        CDlgSelChnnl dialog;
        dialog.show();
        QTest::mouseClick(box(dialog, 9), Qt::LeftButton);
        QTest::mouseClick(allBox(dialog), Qt::LeftButton);  // ticked "All": unticked, then ticked
        QVERIFY(allBox(dialog)->isChecked());
        QVERIFY(box(dialog, 9)->isChecked());

        QTest::mouseClick(allBox(dialog), Qt::LeftButton);  // all ticked: "All" alone goes off
        QVERIFY(!allBox(dialog)->isChecked());
        clickOk(dialog);
        QCOMPARE(dialog.channelMask(), 0xFFFFu);
    }

    void enterAcceptsAndEscapeCancels() {
        CDlgSelChnnl accepted;
        accepted.show();
        QTest::keyClick(box(accepted, 1), Qt::Key_Space);
        QTest::keyClick(box(accepted, 1), Qt::Key_Return);
        QCOMPARE(accepted.result(), int(QDialog::Accepted));
        QCOMPARE(accepted.channelMask(), 0xFFFEu);

        CDlgSelChnnl cancelled;
        cancelled.show();
        QTest::mouseClick(box(cancelled, 1), Qt::LeftButton);
        QTest::keyClick(&cancelled, Qt::Key_Escape);
        QCOMPARE(cancelled.result(), int(QDialog::Rejected));
        QCOMPARE(cancelled.channelMask(), 0xFFFFu);
    }
};

KINOREX_WIDGET_TEST(ChannelDialogWidgetTest)
#include "channel_dialog_widget_test.moc"
