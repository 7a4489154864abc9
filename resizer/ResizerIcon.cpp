#include "resizer/ResizerIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace resizer {

QPixmap resizerIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // A tile, the large frame, the small one in its corner, and the arrow.
    p.setPen(QPen(QColor(0x40, 0x50, 0x68), 1));
    p.setBrush(QColor(0xE8, 0xEE, 0xF6));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 4, 4);
    QPen frame(QColor(0x20, 0x30, 0x50), 1.6, Qt::DashLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5, 5, 22, 22));
    p.setPen(QPen(QColor(0x20, 0x30, 0x50), 1.6));
    p.setBrush(QColor(0xB8, 0xCC, 0xE8));
    p.drawRect(QRectF(5, 5, 10, 10));
    QPen arrow(QColor(0x20, 0x30, 0x50), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(arrow);
    p.drawLine(QPointF(13, 13), QPointF(24, 24));
    QPainterPath head;
    head.moveTo(17.5, 24);
    head.lineTo(24, 24);
    head.lineTo(24, 17.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(head);
    return pixmap;
}

}  // namespace resizer
