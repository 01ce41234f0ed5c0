#include "window_icon.h"

#include <QIcon>

// The images are rendered at build time from the scalable icon that is
// installed for the desktop, so the window and the menus show one picture.
QIcon windowIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/16x16/org.tuxing.Tuxing.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/32x32/org.tuxing.Tuxing.png"), QSize(32, 32));
    return icon;
}
