#include "ui/Label.h"

#include <QMouseEvent>

namespace ui {

Label::Label(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    // Captions are plain text: "<" in a name shows as it is.
    setTextFormat(Qt::PlainText);
}

void Label::Link(bool link) {
    link_ = link;
    QFont f = font();
    f.setUnderline(link);
    setFont(f);
    setForegroundRole(link ? QPalette::Link : QPalette::WindowText);
    if (link)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void Label::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) Click();
}

}  // namespace ui
