#include "window_icon.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap windowPicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int margin = size / 16;
    const QRect frame(margin, margin * 2, size - 2 * margin, size - 4 * margin);
    const int titleHeight = std::max(3, size / 5);
    painter.fillRect(frame, QColor(0, 0, 0));
    painter.fillRect(frame.adjusted(1, 1, -1, -1), QColor(255, 255, 255));
    painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, frame.width() - 2, titleHeight), QColor(0, 0, 128));
    painter.fillRect(
        QRect(frame.right() - titleHeight, frame.top() + 2, titleHeight - 2, titleHeight - 2), QColor(192, 192, 192));
    return pixmap;
}

} // namespace

QIcon windowIcon()
{
    QIcon icon;
    icon.addPixmap(windowPicture(16));
    icon.addPixmap(windowPicture(32));
    return icon;
}
