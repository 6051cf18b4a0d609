#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace kinorex {

// An off-screen surface standing in for a widget's painter during one paint:
// everything is drawn onto a pixmap the size of the covered rectangle, in the
// target's coordinates, and the finished picture reaches the target in one
// copy when the CMemDC goes away. Nothing half-drawn is ever seen.
class CMemDC {
public:
    CMemDC(QPainter& target, const QRect& covered);
    ~CMemDC();

    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    QPainter& painter() { return painter_; }

private:
    QPainter& target_;
    QRect covered_;
    QPixmap surface_;
    QPainter painter_;
};

}  // namespace kinorex
