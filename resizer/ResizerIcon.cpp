#include "resizer/ResizerIcon.h"

#include <QPainterPath>

#include "host/qt/ControlIcon.h"

namespace resizer {

QPixmap resizerIcon(int size) {
    // The large frame, the small one in its corner, and the arrow.
    return host::qt::controlIcon(size, [](QPainter& p) {
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
    });
}

}  // namespace resizer
