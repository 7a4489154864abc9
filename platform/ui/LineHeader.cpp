#include "ui/LineHeader.h"

#include <QPainter>

namespace ui {

namespace {
constexpr int kGap = 6;  // pixels between the caption and the rule
}

LineHeader::LineHeader(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LineHeader::Caption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    updateGeometry();
    update();
}

QFont LineHeader::captionFont() const {
    QFont f = font();
    f.setBold(true);
    return f;
}

QSize LineHeader::sizeHint() const {
    const QFontMetrics m(captionFont());
    return {m.horizontalAdvance(caption_) + kGap + 40, m.height() + 4};
}

QSize LineHeader::minimumSizeHint() const {
    const QFontMetrics m(captionFont());
    return {m.horizontalAdvance(caption_), m.height() + 4};
}

void LineHeader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(captionFont());
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics m(p.font());
    const int textWidth = caption_.isEmpty() ? 0 : m.horizontalAdvance(caption_);
    p.drawText(QRect(0, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter, caption_);
    const int left = textWidth == 0 ? 0 : textWidth + kGap;
    if (left >= width()) return;
    const int y = height() / 2;
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(left, y, width() - 1, y);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(left, y + 1, width() - 1, y + 1);
}

}  // namespace ui
