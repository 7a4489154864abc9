#include "ui/PictureBox.h"

#include <QPainter>

#include "ui/Twips.h"

namespace ui {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) { BorderStyle(false); }

void PictureBox::Picture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void PictureBox::BorderStyle(bool border) {
    setFrameStyle(border ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

int PictureBox::ScaleWidth() const { return pixelsToTwips(contentsRect().width()); }

int PictureBox::ScaleHeight() const { return pixelsToTwips(contentsRect().height()); }

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isNull()) return;
    QPainter p(this);
    p.drawPixmap(contentsRect().topLeft(), picture_);
}

}  // namespace ui
