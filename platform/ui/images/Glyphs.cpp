#include "ui/images/Glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace ui {

namespace {

// Shapes are laid out on a 16 x 16 grid; a 1-pixel outline sits on
// half-pixel coordinates so that it covers whole pixels.
const QColor kOutline(0x5a, 0x5a, 0x5a);
const QColor kBlue(0x1f, 0x5f, 0xbf);
const QColor kRed(0xc6, 0x28, 0x28);
const QColor kGreen(0x1e, 0x7b, 0x34);
const QColor kTitleBar(0x3a, 0x6e, 0xc0);

void framedBox(QPainter& p, const QRectF& r, const QColor& border, const QBrush& fill) {
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRect(r);
}

// The expand glyph: an 11-pixel grey box, "+" or "-" centred on pixel 8.
void expandBox(QPainter& p, QPointF topLeft, bool plus) {
    const QRectF box(topLeft, QSizeF(10, 10));
    QLinearGradient shade(box.topLeft(), box.bottomLeft());
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, QColor(0xd8, 0xd8, 0xd8));
    framedBox(p, box, QColor(0x80, 0x80, 0x80), shade);
    const qreal cx = topLeft.x() + 4.5;  // the centre pixel's left edge
    const qreal cy = topLeft.y() + 4.5;
    p.fillRect(QRectF(cx - 3, cy, 7, 1), Qt::black);
    if (plus) p.fillRect(QRectF(cx, cy - 3, 1, 7), Qt::black);
}

void checkBox(QPainter& p, const QRectF& box, const QColor* mark) {
    framedBox(p, box, kOutline, Qt::white);
    if (!mark) return;
    QPainterPath tick;
    const qreal s = box.width() / 11.0;
    tick.moveTo(box.left() + 2 * s, box.top() + 5.5 * s);
    tick.lineTo(box.left() + 4.5 * s, box.top() + 8 * s);
    tick.lineTo(box.left() + 9 * s, box.top() + 2.5 * s);
    p.setPen(QPen(*mark, 2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

// A horizontal arrow: shaft from `tail` to the head, head `headLength` long
// and `headWidth` wide, shaft `shaft` thick, pointing right when tip > tail.
void arrow(QPainter& p, qreal tail, qreal tip, qreal y, qreal shaft, qreal headLength,
           qreal headWidth, const QColor& colour) {
    const qreal dir = tip > tail ? 1 : -1;
    const qreal headBase = tip - dir * headLength;
    QPolygonF shape;
    shape << QPointF(tail, y - shaft / 2) << QPointF(headBase, y - shaft / 2)
          << QPointF(headBase, y - headWidth / 2) << QPointF(tip, y)
          << QPointF(headBase, y + headWidth / 2) << QPointF(headBase, y + shaft / 2)
          << QPointF(tail, y + shaft / 2);
    p.setPen(QPen(colour.darker(140), 0.8));
    p.setBrush(colour);
    p.drawPolygon(shape);
}

void window(QPainter& p, const QRectF& r, const QColor& body) {
    framedBox(p, r, QColor(0x2a, 0x3a, 0x5a), body);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, 2), kTitleBar);
}

void tableGrid(QPainter& p, const QRectF& r) {
    framedBox(p, r, QColor(0x3c, 0x5a, 0x8a), Qt::white);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, 3), QColor(0x8a, 0xaa, 0xdc));
    p.setPen(QPen(QColor(0x7a, 0x8a, 0xa8), 1));
    for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 3)
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    const qreal third = r.width() / 3;
    for (int i = 1; i < 3; ++i) {
        const qreal x = std::floor(r.left() + i * third) + 0.5;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
}

void person(QPainter& p, qreal cx, qreal top, qreal size, const QColor& clothes) {
    const qreal head = size * 0.36;
    p.setPen(QPen(QColor(0x7a, 0x4e, 0x22), 0.8));
    p.setBrush(QColor(0xf2, 0xc4, 0x94));
    p.drawEllipse(QPointF(cx, top + head), head, head);
    QPainterPath body;
    const qreal bodyTop = top + 2 * head + 0.8;
    const qreal half = size * 0.45;
    body.moveTo(cx - half, top + size * 1.55);
    body.lineTo(cx - half, bodyTop + half * 0.8);
    body.quadTo(cx - half, bodyTop, cx, bodyTop);
    body.quadTo(cx + half, bodyTop, cx + half, bodyTop + half * 0.8);
    body.lineTo(cx + half, top + size * 1.55);
    body.closeSubpath();
    p.setPen(QPen(clothes.darker(150), 0.8));
    p.setBrush(clothes);
    p.drawPath(body);
}

void page(QPainter& p, const QRectF& r) {
    QPainterPath sheet;
    const qreal fold = 3;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x50, 0x60, 0x70), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void pageLines(QPainter& p, qreal left, qreal right, qreal top, qreal bottom) {
    p.setPen(QPen(QColor(0x6a, 0x8a, 0xb0), 1));
    for (qreal y = top; y <= bottom; y += 2) p.drawLine(QPointF(left, y), QPointF(right, y));
}

void draw(QPainter& p, Glyph glyph) {
    switch (glyph) {
        case Glyph::Collapsed:
            expandBox(p, {3.5, 3.5}, true);
            break;
        case Glyph::Expanded:
            expandBox(p, {3.5, 3.5}, false);
            break;
        case Glyph::Equal:
            p.fillRect(QRectF(3, 5, 10, 2), kGreen);
            p.fillRect(QRectF(3, 9, 10, 2), kGreen);
            break;
        case Glyph::Different:
            arrow(p, 14.5, 1, 4, 2.4, 5, 6.5, kRed);
            arrow(p, 1.5, 15, 12, 2.4, 5, 6.5, kBlue);
            break;
        case Glyph::OnlyInDestination:
            arrow(p, 14.5, 1, 8, 3.4, 6, 10, kRed);
            break;
        case Glyph::OnlyInSource:
            arrow(p, 1.5, 15, 8, 3.4, 6, 10, kBlue);
            break;
        case Glyph::CheckNo:
            checkBox(p, QRectF(2.5, 2.5, 11, 11), nullptr);
            break;
        case Glyph::CheckYes: {
            const QColor black(Qt::black);
            checkBox(p, QRectF(2.5, 2.5, 11, 11), &black);
            break;
        }
        case Glyph::CheckPartly: {
            const QColor grey(0x9a, 0x9a, 0x9a);
            checkBox(p, QRectF(2.5, 2.5, 11, 11), &grey);
            break;
        }
        case Glyph::Table:
            tableGrid(p, QRectF(1.5, 2.5, 13, 11));
            break;
        case Glyph::Procedure:
            window(p, QRectF(1.5, 1.5, 9, 8), QColor(0xe8, 0xee, 0xf6));
            window(p, QRectF(5.5, 6.5, 9, 8), Qt::white);
            p.setPen(QPen(QColor(0x6a, 0x8a, 0xb0), 1));
            p.drawLine(QPointF(7, 11.5), QPointF(13, 11.5));
            p.drawLine(QPointF(7, 13.5), QPointF(11, 13.5));
            break;
        case Glyph::View: {
            p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
            p.setBrush(QColor(0xcf, 0xe3, 0xf7));
            p.drawEllipse(QPointF(4.5, 9.5), 3.2, 3.2);
            p.drawEllipse(QPointF(11.5, 9.5), 3.2, 3.2);
            p.setBrush(Qt::NoBrush);
            QPainterPath bridge;
            bridge.moveTo(7.5, 9);
            bridge.quadTo(8, 7.5, 8.5, 9);
            p.drawPath(bridge);
            p.drawLine(QPointF(1.4, 8.8), QPointF(0.8, 5.5));
            p.drawLine(QPointF(14.6, 8.8), QPointF(15.2, 5.5));
            break;
        }
        case Glyph::User:
            person(p, 8, 1, 9, QColor(0x3f, 0x6f, 0xb5));
            break;
        case Glyph::Group:
            person(p, 5.5, 0.5, 8, QColor(0x4f, 0x9a, 0x5a));
            person(p, 10.5, 2.5, 8.5, QColor(0x3f, 0x6f, 0xb5));
            break;
        case Glyph::ColumnList:
            page(p, QRectF(2.5, 0.5, 11, 15));
            pageLines(p, 4.5, 11.5, 4.5, 12.5);
            break;
        case Glyph::Key: {
            const QColor gold(0xd4, 0xa0, 0x17);
            p.setPen(QPen(gold.darker(170), 1));
            p.setBrush(gold);
            QPainterPath key;
            key.addEllipse(QPointF(4.5, 8), 3.6, 3.6);
            key.addRect(QRectF(7.5, 7, 7, 2.2));
            key.addRect(QRectF(11, 9, 1.6, 3));
            key.addRect(QRectF(13.4, 9, 1.6, 2));
            key = key.simplified();
            key.addEllipse(QPointF(3.8, 8), 1.2, 1.2);  // the hole
            key.setFillRule(Qt::OddEvenFill);
            p.drawPath(key);
            break;
        }
        case Glyph::Index: {
            p.fillRect(QRectF(1, 3, 8, 1.5), QColor(0x50, 0x50, 0x50));
            p.fillRect(QRectF(1, 7, 6, 1.5), QColor(0x50, 0x50, 0x50));
            p.fillRect(QRectF(1, 11, 7, 1.5), QColor(0x50, 0x50, 0x50));
            QPolygonF bolt;
            bolt << QPointF(11.5, 0.5) << QPointF(7.5, 8.5) << QPointF(10.5, 8.5)
                 << QPointF(8.5, 15.5) << QPointF(14.8, 6.5) << QPointF(11.8, 6.5)
                 << QPointF(14, 0.5);
            p.setPen(QPen(QColor(0xa0, 0x78, 0x00), 0.8));
            p.setBrush(QColor(0xf2, 0xc2, 0x00));
            p.drawPolygon(bolt);
            break;
        }
        case Glyph::TableWindow:
            window(p, QRectF(0.5, 1.5, 15, 13), QColor(0xe8, 0xee, 0xf6));
            tableGrid(p, QRectF(2.5, 5.5, 11, 7));
            break;
        case Glyph::SelectAll: {
            const QColor black(Qt::black);
            checkBox(p, QRectF(5.5, 0.5, 10, 10), &black);
            checkBox(p, QRectF(0.5, 5.5, 10, 10), &black);
            break;
        }
        case Glyph::SelectNone:
            checkBox(p, QRectF(5.5, 0.5, 10, 10), nullptr);
            checkBox(p, QRectF(0.5, 5.5, 10, 10), nullptr);
            break;
        case Glyph::ExpandAll:
            expandBox(p, {5.5, 0.5}, true);
            expandBox(p, {0.5, 5.5}, true);
            break;
        case Glyph::CollapseAll:
            expandBox(p, {5.5, 0.5}, false);
            expandBox(p, {0.5, 5.5}, false);
            break;
        case Glyph::ScriptToDestination:
            page(p, QRectF(0.5, 0.5, 10, 12));
            pageLines(p, 2.5, 7.5, 3.5, 9.5);
            arrow(p, 5.5, 15.5, 12.5, 2.6, 4.5, 6.5, kBlue);
            break;
        case Glyph::ScriptToSource:
            page(p, QRectF(5.5, 0.5, 10, 12));
            pageLines(p, 7.5, 12.5, 3.5, 9.5);
            arrow(p, 10.5, 0.5, 12.5, 2.6, 4.5, 6.5, kRed);
            break;
        case Glyph::Print:
            framedBox(p, QRectF(4.5, 0.5, 7, 6), QColor(0x60, 0x60, 0x60), Qt::white);
            framedBox(p, QRectF(0.5, 5.5, 15, 6), QColor(0x40, 0x40, 0x40),
                      QColor(0xa8, 0xa8, 0xa8));
            p.fillRect(QRectF(12, 7, 2, 1), QColor(0x30, 0xb0, 0x30));
            framedBox(p, QRectF(3.5, 9.5, 9, 6), QColor(0x60, 0x60, 0x60), Qt::white);
            pageLines(p, 5, 11, 11.5, 13.5);
            break;
    }
}

}  // namespace

QImage glyphImage(Glyph glyph, int scale, QColor background) {
    scale = std::max(scale, 1);
    QImage image(kGlyphSize * scale, kGlyphSize * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    draw(p, glyph);
    p.end();
    return image;
}

const std::vector<Glyph>& allGlyphs() {
    static const std::vector<Glyph> all = [] {
        std::vector<Glyph> v;
        for (int g = 0; g <= static_cast<int>(Glyph::Print); ++g)
            v.push_back(static_cast<Glyph>(g));
        return v;
    }();
    return all;
}

}  // namespace ui
