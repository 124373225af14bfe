#include "widgets/appicon.h"

#include <QPainter>
#include <QPainterPath>

namespace verselet {

QPixmap AppIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2b, 0x4c, 0x7e));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The brackets of a [mm:ss] tag.
    QPen bracket(QColor(0xf2, 0xd4, 0x8a), 5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(bracket);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(19, 14), QPointF(12, 14), QPointF(12, 50), QPointF(19, 50)}));
    p.drawPolyline(QPolygonF({QPointF(45, 14), QPointF(52, 14), QPointF(52, 50), QPointF(45, 50)}));

    // An eighth note.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(21, 37, 13, 10));
    p.drawRect(QRectF(31, 17, 3.5, 25));
    QPainterPath flag;
    flag.moveTo(34.5, 17);
    flag.cubicTo(37, 23, 44, 24, 41, 33);
    flag.cubicTo(41, 27, 37, 26, 34.5, 25);
    flag.closeSubpath();
    p.drawPath(flag);
    return pixmap;
}

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(AppIconPixmap(size));
    return icon;
}

} // namespace verselet
