#include "mem_dc.h"

#include <QPaintDevice>

namespace kinorex {

namespace {

// A surface of the target's pixel density, so that the copy is one to one.
QPixmap surfaceFor(const QPainter& target, const QRect& covered) {
    const qreal ratio = target.device()->devicePixelRatioF();
    QPixmap surface(covered.size() * ratio);
    surface.setDevicePixelRatio(ratio);
    return surface;
}

}  // namespace

CMemDC::CMemDC(QPainter& target, const QRect& covered)
    : target_(target),
      covered_(covered),
      surface_(surfaceFor(target, covered)),
      painter_(&surface_) {
    painter_.translate(-covered_.topLeft());
}

CMemDC::~CMemDC() {
    painter_.end();
    target_.drawPixmap(covered_.topLeft(), surface_);
}

}  // namespace kinorex
