#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include "progress_bar_model.h"

namespace kinorex {

// A progress bar that paints itself: the filled part, the empty part and the
// percentage centred over both, the text taking the colour of the part it is
// not over. It repaints at once, and only when the filled width in pixels
// changes, so a fast stream of positions costs no more than the pixels show.
class CTextProgressCtrl : public QFrame {
    Q_OBJECT

public:
    explicit CTextProgressCtrl(QWidget* parent = nullptr);

    // Stores the bounds only; nothing repaints.
    void setRange(int lower, int upper);
    void setTextShown(bool shown);
    // Returns the previous position. The position is not clamped to the range.
    int setPosition(int position);
    int position() const { return model_.position(); }

    // The bar's own text, painted instead of the percentage while not empty.
    void setText(const QString& text);
    QString text() const;

    QColor barColour() const { return barColour_; }
    QColor backgroundColour() const { return backgroundColour_; }
    QColor textOverBarColour() const { return textOverBar_; }
    QColor textOverBackgroundColour() const { return textOverBackground_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ProgressBarModel model_;
    // Taken from the palette once: the bar keeps its colours for its whole life.
    QColor barColour_;
    QColor backgroundColour_;
    QColor textOverBackground_;
    QColor textOverBar_;
};

}  // namespace kinorex
