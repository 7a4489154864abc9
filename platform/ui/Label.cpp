#include "ui/Label.h"

#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace ui {

Label::Label(const QString& caption, QWidget* parent) : QLabel(parent) {
    // Captions are plain text: "<" in a name shows as it is.
    setTextFormat(Qt::PlainText);
    Caption(caption);
}

void Label::Caption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    setText(shown);
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
