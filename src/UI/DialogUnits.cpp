#include "Norvane/UI/DialogUnits.hpp"

#include <QFontMetrics>
#include <QString>

namespace UI {

QRect MapDialogUnits(const QFont& font, const QRect& units)
{
    const QFontMetrics metrics(font);
    const int baseX =
        (metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    const int baseY = metrics.height();
    auto mapX = [&](int x) { return (x * baseX + 2) / 4; };
    auto mapY = [&](int y) { return (y * baseY + 4) / 8; };
    const int left = mapX(units.x());
    const int top = mapY(units.y());
    return QRect(left, top, mapX(units.x() + units.width()) - left, mapY(units.y() + units.height()) - top);
}

}  // namespace UI
