#pragma once
// A multi-line text box that gives back exactly the text it was given: line
// ends (CR LF, LF or CR) are kept as they came, though it shows each as a
// line break. Text the user types reads back with CR LF line ends.
//
// Setting a text that extends the present one (a log that grows line by
// line) only adds the new part to what is shown, so a long log stays fast;
// while the view was at its end, it stays there, also while the box is hidden
// or resized.
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

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void shownTextEdited();
    [[nodiscard]] bool barAtEnd() const;
    void toEnd();

    QString text_;
    bool setting_ = false;
    // Whether the view stands at the end of the text; kept while the box is
    // hidden, when its scroll bar is not kept up to date.
    bool followsEnd_ = true;
};

}  // namespace ui
