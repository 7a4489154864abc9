#pragma once
// A multi-line text box that gives back exactly the text it was given: line
// ends (CR LF, LF or CR) are kept as they came, though it shows each as a
// line break. Text the user types reads back with CR LF line ends.
//
// Setting a text that extends the present one (a log that grows line by
// line) only adds the new part to what is shown, so a long log stays fast;
// while the view was at its end, it stays there.
// Change runs whenever the text really changes, typed or set by code.
#include <QPlainTextEdit>

#include "ui/Event.h"

namespace ui {

class MultiLineTextBox : public QPlainTextEdit {
public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);

    [[nodiscard]] const QString& Text() const { return text_; }
    void Text(const QString& text);

    Event<> Change;

private:
    void shownTextEdited();

    QString text_;
    bool setting_ = false;
};

}  // namespace ui
