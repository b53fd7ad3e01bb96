// The header icons of the event windows. The drawn pictures stand in while the icon
// set of the program has none under these numbers.

#include "UI/EventDlgPimpl.hpp"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace UI {

QPixmap EventIcon(int id)
{
    constexpr int size = 16;
    for (const char* extension : {".svg", ".png"}) {
        const QString path = QStringLiteral(":/icons/%1%2").arg(id).arg(QLatin1String(extension));
        if (QFile::exists(path)) return QIcon(path).pixmap(size, size);
    }
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // 208: a letter with a red mark (unread events); 209: the plain letter.
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(QColor(0xf4, 0xf4, 0xf0));
    painter.drawRect(QRectF(1.5, 3.5, 13, 9));
    painter.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
    painter.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
    if (id == 208) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xd0, 0x20, 0x20));
        painter.drawEllipse(QRectF(9, 0, 7, 7));
    }
    return pixmap;
}

}  // namespace UI
