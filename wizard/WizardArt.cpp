#include "wizard/WizardArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace wizard {

namespace {

// A database drum: a cylinder with two bands, in `colour`.
void drum(QPainter& p, QRectF r, QColor colour) {
    const qreal cap = r.height() * 0.22;
    QLinearGradient body(r.topLeft(), r.topRight());
    body.setColorAt(0, colour.lighter(135));
    body.setColorAt(0.55, colour);
    body.setColorAt(1, colour.darker(150));
    QPainterPath side;
    side.moveTo(r.left(), r.top() + cap / 2);
    side.lineTo(r.left(), r.bottom() - cap / 2);
    side.arcTo(QRectF(r.left(), r.bottom() - cap, r.width(), cap), 180, 180);
    side.lineTo(r.right(), r.top() + cap / 2);
    side.closeSubpath();
    p.setPen(QPen(colour.darker(200), r.width() / 24));
    p.setBrush(body);
    p.drawPath(side);
    p.setBrush(colour.lighter(160));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), cap));
    p.setBrush(Qt::NoBrush);
    for (const qreal f : {0.38, 0.62}) {
        const qreal y = r.top() + cap / 2 + (r.height() - cap) * f;
        p.drawArc(QRectF(r.left(), y - cap / 2, r.width(), cap), 180 * 16, 180 * 16);
    }
}

// An arrow from `from` to `to` with a filled head.
void arrow(QPainter& p, QPointF from, QPointF to, qreal unit, QColor colour) {
    p.setPen(QPen(colour, unit * 1.6, Qt::SolidLine, Qt::RoundCap));
    const qreal dir = to.x() > from.x() ? 1 : -1;
    p.drawLine(from, QPointF(to.x() - dir * unit * 2.5, to.y()));
    QPolygonF head;
    head << to << QPointF(to.x() - dir * unit * 4, to.y() - unit * 2.6)
         << QPointF(to.x() - dir * unit * 4, to.y() + unit * 2.6);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

}  // namespace

QPixmap wizardPicture(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 48.0;
    drum(p, QRectF(2 * u, 12 * u, 16 * u, 30 * u), QColor(0x3a, 0x6e, 0xb5));
    drum(p, QRectF(30 * u, 12 * u, 16 * u, 30 * u), QColor(0x4f, 0x9a, 0x4a));
    arrow(p, QPointF(19 * u, 22 * u), QPointF(30 * u, 22 * u), u, QColor(0xd0, 0x7a, 0x10));
    arrow(p, QPointF(29 * u, 32 * u), QPointF(18 * u, 32 * u), u, QColor(0xd0, 0x7a, 0x10));
    // A small magnifier over the top: the comparison.
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.8 * u));
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QPointF(24 * u, 8 * u), 5 * u, 5 * u);
    p.drawLine(QPointF(27.5 * u, 11.5 * u), QPointF(31 * u, 15 * u));
    return pixmap;
}

QIcon databaseIcon(int size) {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(size, size) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 32.0;
        drum(p, QRectF(7 * u, 2 * u, 18 * u, 28 * u), QColor(0x3a, 0x6e, 0xb5));
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace wizard
