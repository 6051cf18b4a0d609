#pragma once

#include <QIcon>

namespace kinorex {

// The program's icon: the main dialog's window icon and the about box's picture.
QIcon appIcon();

}  // namespace kinorex
