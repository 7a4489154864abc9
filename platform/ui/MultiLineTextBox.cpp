#include "ui/MultiLineTextBox.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace ui {

namespace {

// Every line end as the one line break the document knows.
QString shown(QString text) {
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

}  // namespace

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!setting_) shownTextEdited();
    });
    // The user's scrolling decides whether the view follows the end.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!setting_ && isVisible()) followsEnd_ = barAtEnd();
    });
}

bool MultiLineTextBox::barAtEnd() const {
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() == bar->maximum();
}

void MultiLineTextBox::toEnd() {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void MultiLineTextBox::Text(const QString& text) {
    if (text == text_) return;
    const bool atEnd = isVisible() ? barAtEnd() : followsEnd_;
    // A CR ending the old text followed by an LF opening the new part is one
    // line end: that case is shown afresh.
    const bool extends = text.startsWith(text_) && !text_.isEmpty() &&
                         !(text_.endsWith(u'\r') && text.at(text_.size()) == u'\n');
    setting_ = true;
    if (extends) {
        // Code's text is not the user's to undo (setPlainText forgets too).
        document()->setUndoRedoEnabled(false);
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.insertText(shown(text.mid(text_.size())));
        document()->setUndoRedoEnabled(true);
    } else {
        setPlainText(shown(text));
    }
    text_ = text;
    if (extends) {
        if (atEnd) toEnd();
        followsEnd_ = atEnd;
    } else {
        // A new text shows its beginning; only a text that grows follows its end.
        followsEnd_ = false;
    }
    setting_ = false;
    Change();
}

void MultiLineTextBox::showEvent(QShowEvent* e) {
    const bool follow = followsEnd_;
    QPlainTextEdit::showEvent(e);
    if (!follow) return;
    toEnd();
    // The lines are laid out for the box's width only once it is shown.
    QTimer::singleShot(0, this, [this] {
        toEnd();
        followsEnd_ = true;
    });
}

void MultiLineTextBox::resizeEvent(QResizeEvent* e) {
    const bool follow = followsEnd_;
    QPlainTextEdit::resizeEvent(e);
    if (follow) {
        toEnd();
        followsEnd_ = true;
    }
}

void MultiLineTextBox::shownTextEdited() {
    QString typed = toPlainText();
    typed.replace(u'\n', u"\r\n"_s);
    if (typed == text_) return;
    text_ = typed;
    Change();
}

}  // namespace ui
