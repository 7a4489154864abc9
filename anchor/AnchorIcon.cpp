#include "anchor/AnchorIcon.h"

#include <QPainterPath>

#include "host/qt/ControlIcon.h"

namespace anchor {

QPixmap anchorIcon(int size) {
    return host::qt::controlIcon(size, [](QPainter& p) {
        QPen pen(QColor(0x20, 0x30, 0x50), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(16, 6.5), 2.6, 2.6);             // ring
        p.drawLine(QPointF(16, 9.2), QPointF(16, 26));         // shank
        p.drawLine(QPointF(10.5, 12.5), QPointF(21.5, 12.5));  // stock
        QPainterPath arms;
        arms.moveTo(6, 18);
        arms.quadTo(7.5, 26.5, 16, 26.5);
        arms.quadTo(24.5, 26.5, 26, 18);
        p.drawPath(arms);
        // Flukes.
        p.drawLine(QPointF(6, 18), QPointF(4.5, 21));
        p.drawLine(QPointF(6, 18), QPointF(9, 19.5));
        p.drawLine(QPointF(26, 18), QPointF(27.5, 21));
        p.drawLine(QPointF(26, 18), QPointF(23, 19.5));
    });
}

}  // namespace anchor
