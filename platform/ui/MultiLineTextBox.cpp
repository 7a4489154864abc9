#include "ui/MultiLineTextBox.h"

#include <QScrollBar>
#include <QTextCursor>

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
}

void MultiLineTextBox::Text(const QString& text) {
    if (text == text_) return;
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
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
    setting_ = false;
    text_ = text;
    if (extends && atEnd) bar->setValue(bar->maximum());
    Change();
}

void MultiLineTextBox::shownTextEdited() {
    QString typed = toPlainText();
    typed.replace(u'\n', u"\r\n"_s);
    if (typed == text_) return;
    text_ = typed;
    Change();
}

}  // namespace ui
