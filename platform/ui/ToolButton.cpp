#include "ui/ToolButton.h"

#include <QPainter>
#include <QPixmap>

namespace ui {

namespace {

constexpr int kPictureSize = 16;
// Transparent pixels added after the picture, on top of the style's spacing.
constexpr int kPictureGap = 3;

}  // namespace

void ToolButton::Picture(const QIcon& picture) {
    const qreal ratio = devicePixelRatioF();
    const QSize padded(kPictureSize + kPictureGap, kPictureSize);
    QPixmap canvas(padded * ratio);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.drawPixmap(0, 0, picture.pixmap(QSize(kPictureSize, kPictureSize), ratio));
    }
    setIconSize(padded);
    setIcon(QIcon(canvas));
}

ToolButton::ToolButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    connect(this, &QPushButton::clicked, this, [this] { Click(); });
}

}  // namespace ui
