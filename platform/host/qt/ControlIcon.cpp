#include "host/qt/ControlIcon.h"

namespace host::qt {

QPixmap controlIcon(int size, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(0x40, 0x50, 0x68), 1));
    p.setBrush(QColor(0xE8, 0xEE, 0xF6));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 4, 4);
    draw(p);
    return pixmap;
}

}  // namespace host::qt
