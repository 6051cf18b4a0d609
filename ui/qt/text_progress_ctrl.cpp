#include "text_progress_ctrl.h"

#include <QPaintEvent>
#include <QPainter>

#include "mem_dc.h"

namespace kinorex {

CTextProgressCtrl::CTextProgressCtrl(QWidget* parent)
    : QFrame(parent),
      barColour_(palette().color(QPalette::Highlight)),
      backgroundColour_(palette().color(QPalette::Base)),
      textOverBackground_(barColour_),
      textOverBar_(backgroundColour_) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // Every pixel of the client area is painted, so no background is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTextProgressCtrl::setRange(int lower, int upper) {
    model_.setRange(lower, upper);
}

void CTextProgressCtrl::setTextShown(bool shown) {
    if (model_.setTextShown(shown)) {
        update();
    }
}

int CTextProgressCtrl::setPosition(int position) {
    const auto change = model_.setPosition(position, contentsRect().width());
    if (change.repaint) {
        repaint();
    }
    return change.previous;
}

void CTextProgressCtrl::setText(const QString& text) {
    if (model_.setText(text.toStdString())) {
        update();
    }
}

QString CTextProgressCtrl::text() const {
    return QString::fromStdString(model_.text());
}

void CTextProgressCtrl::paintEvent(QPaintEvent* event) {
    QPainter target(this);
    drawFrame(&target);
    const QRect client = contentsRect();
    const QRect covered = event->rect() & client;
    if (!model_.paintable() || covered.isEmpty()) {
        return;
    }

    CMemDC memDc(target, covered);
    QPainter& painter = memDc.painter();
    const int filled = model_.filledWidth(client.width());
    const QRect barRect(client.left(), client.top(), filled, client.height());
    const QRect emptyRect(client.left() + filled, client.top(), client.width() - filled,
                          client.height());
    painter.fillRect(barRect, barColour_);
    painter.fillRect(emptyRect, backgroundColour_);

    const auto text = model_.paintedText();
    if (!text) {
        return;
    }
    const QString label = QString::fromStdString(*text);
    painter.setFont(font());
    painter.setClipRect(barRect);
    painter.setPen(textOverBar_);
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, label);
    painter.setClipRect(emptyRect);
    painter.setPen(textOverBackground_);
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, label);
}

void CTextProgressCtrl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    model_.resized();
}

}  // namespace kinorex
