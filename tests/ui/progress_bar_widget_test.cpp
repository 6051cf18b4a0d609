#include <QImage>
#include <QTest>

#include "text_progress_ctrl.h"
#include "widget_test.h"

using kinorex::CTextProgressCtrl;

namespace {

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

// A shown bar whose client area is the given size.
void prepare(CTextProgressCtrl& bar, int clientWidth, int clientHeight) {
    const QMargins frame = bar.contentsMargins();
    bar.resize(clientWidth + frame.left() + frame.right(),
               clientHeight + frame.top() + frame.bottom());
    bar.setRange(0, 100);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
}

int distance(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

// The text is antialiased, so its pixels blend the text colour into the fill.
// Text pixels in columns [from, to) are those that differ from that fill.
struct TextPixels {
    QList<int> columns;  // every column holding some
    QColor strongest;    // the one farthest from the fill: the text colour itself, or nearly
};

TextPixels textOver(const QImage& client, QColor fill, int from, int to) {
    TextPixels text;
    text.strongest = fill;
    for (int x = from; x < to; ++x) {
        bool found = false;
        for (int y = 0; y < client.height(); ++y) {
            const QColor colour = client.pixelColor(x, y);
            if (colour != fill) {
                found = true;
                if (distance(colour, fill) > distance(text.strongest, fill)) {
                    text.strongest = colour;
                }
            }
        }
        if (found) {
            text.columns.append(x);
        }
    }
    return text;
}

// Whether text of the expected colour was painted over the fill.
bool paintedIn(const TextPixels& text, QColor expected, QColor fill) {
    return !text.columns.isEmpty() &&
           distance(text.strongest, expected) < distance(text.strongest, fill);
}

}  // namespace

class ProgressBarWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void splitsFillAndTextColoursAtTheBoundary() {
        CTextProgressCtrl bar;
        prepare(bar, 200, 24);
        bar.setPosition(50);
        const QImage client = bar.grab(bar.contentsRect()).toImage();
        QCOMPARE(client.width(), 200);

        QCOMPARE(client.pixelColor(0, 1), bar.barColour());
        QCOMPARE(client.pixelColor(99, 1), bar.barColour());
        QCOMPARE(client.pixelColor(100, 1), bar.backgroundColour());
        QCOMPARE(client.pixelColor(199, 1), bar.backgroundColour());

        // The text "50%", centred: in the bar's text colour left of pixel 100, in
        // the background's text colour right of it.
        const TextPixels left = textOver(client, bar.barColour(), 0, 100);
        const TextPixels right = textOver(client, bar.backgroundColour(), 100, 200);
        QVERIFY(paintedIn(left, bar.textOverBarColour(), bar.barColour()));
        QVERIFY(paintedIn(right, bar.textOverBackgroundColour(), bar.backgroundColour()));
        const int textLeft = left.columns.first();
        const int textRight = right.columns.last();
        const int textWidth = bar.fontMetrics().horizontalAdvance(QStringLiteral("50%"));
        QVERIFY2(qAbs((textLeft + textRight) / 2 - 100) <= 2, "the text is centred on the bar");
        QVERIFY(qAbs(textRight - textLeft + 1 - textWidth) <= 3);
    }

    void emptyAndFullBarsCarryTheOtherColourText() {
        CTextProgressCtrl bar;
        prepare(bar, 200, 24);
        const QImage empty = bar.grab(bar.contentsRect()).toImage();
        QCOMPARE(empty.pixelColor(0, 1), bar.backgroundColour());
        QCOMPARE(empty.pixelColor(199, 1), bar.backgroundColour());
        QVERIFY(paintedIn(textOver(empty, bar.backgroundColour(), 0, 200),
                          bar.textOverBackgroundColour(), bar.backgroundColour()));

        bar.setPosition(100);
        const QImage full = bar.grab(bar.contentsRect()).toImage();
        QCOMPARE(full.pixelColor(0, 1), bar.barColour());
        QCOMPARE(full.pixelColor(199, 1), bar.barColour());
        QVERIFY(paintedIn(textOver(full, bar.barColour(), 0, 200), bar.textOverBarColour(),
                          bar.barColour()));
    }

    void repaintsAtOnceOnlyWhenFilledWidthChanges() {
        CTextProgressCtrl bar;
        prepare(bar, 50, 20);
        PaintCounter counter;
        bar.installEventFilter(&counter);

        bar.setPosition(2);  // one pixel
        QCOMPARE(counter.paints, 1);
        bar.setPosition(3);  // still one pixel
        QCOMPARE(counter.paints, 1);
        bar.setPosition(4);
        QCOMPARE(counter.paints, 2);
        QCOMPARE(bar.setPosition(37), 4);
    }
};

KINOREX_WIDGET_TEST(ProgressBarWidgetTest)
#include "progress_bar_widget_test.moc"
