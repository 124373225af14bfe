#pragma once

#include <QIcon>
#include <QPixmap>

namespace verselet {

// The program's icon: a time tag's brackets around an eighth note.
QPixmap AppIconPixmap(int size);
QIcon AppIcon();

} // namespace verselet
