#include "ui/CheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <string>

#include "ui/ControlError.h"

namespace ui {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    // stateChanged comes once per real change, from the user or from code.
    connect(this, &QCheckBox::stateChanged, this, [this](int) { Click(); });
}

int CheckBox::Value() const {
    switch (checkState()) {
        case Qt::Unchecked:
            return 0;
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
    }
    return 0;
}

void CheckBox::Value(int value) {
    switch (value) {
        case 0:
            setCheckState(Qt::Unchecked);
            return;
        case 1:
            setCheckState(Qt::Checked);
            return;
        case 2:
            setCheckState(Qt::PartiallyChecked);  // makes the box tristate
            return;
        default:
            throw ControlError("Invalid check box value " + std::to_string(value) +
                               " (0 off, 1 on, 2 grey)");
    }
}

void CheckBox::WordWrap(bool wrap) {
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wrap);
    setSizePolicy(policy);
    updateGeometry();
    update();
}

QRect CheckBox::captionRect(int width, int height) const {
    QStyleOptionButton option;
    initStyleOption(&option);
    // The indicator and the caption's first line stand on one line at the top.
    option.rect = QRect(0, 0, width, std::max(fontMetrics().height(), 0));
    const QRect contents = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    return QRect(contents.left(), 0, std::max(0, width - contents.left()), height);
}

QSize CheckBox::sizeHint() const {
    if (!wordWrap_) return QCheckBox::sizeHint();
    const QSize one = QCheckBox::sizeHint();
    return QSize(one.width(), std::max(one.height(), heightForWidth(one.width())));
}

QSize CheckBox::minimumSizeHint() const {
    if (!wordWrap_) return QCheckBox::minimumSizeHint();
    return QSize(QCheckBox::minimumSizeHint().height() * 4, QCheckBox::minimumSizeHint().height());
}

int CheckBox::heightForWidth(int width) const {
    if (!wordWrap_) return QCheckBox::heightForWidth(width);
    const QRect r = captionRect(width, 1 << 20);
    const QRect text =
        fontMetrics().boundingRect(r, Qt::TextWordWrap | Qt::AlignLeft, this->text());
    return std::max(QCheckBox::sizeHint().height(), text.height() + 2);
}

void CheckBox::paintEvent(QPaintEvent* event) {
    if (!wordWrap_) {
        QCheckBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = QRect(0, 0, width(), fontMetrics().height());
    QStyleOptionButton indicator = option;
    indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
    const QRect caption = captionRect(width(), height());
    painter.drawItemText(caption, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, palette(),
                         isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics()
                         .boundingRect(caption, Qt::TextWordWrap | Qt::AlignLeft, text())
                         .adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool CheckBox::hitButton(const QPoint& pos) const {
    if (!wordWrap_) return QCheckBox::hitButton(pos);
    return rect().contains(pos);
}

void CheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace ui
