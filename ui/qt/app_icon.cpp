#include "app_icon.h"

#include <QPixmap>

namespace kinorex {

namespace {
#include "../resources/kinorex.xpm"
}  // namespace

QIcon appIcon() {
    return QIcon(QPixmap(kKinorexIconXpm));
}

}  // namespace kinorex
