#pragma once
// A single-line text box. Change runs whenever the text really changes,
// typed or set by code; setting the text it already has runs nothing.
// PasswordChar masks what it shows.
#include <QLineEdit>

#include "ui/Event.h"

namespace ui {

class TextBox : public QLineEdit {
public:
    explicit TextBox(QWidget* parent = nullptr);

    [[nodiscard]] QString Text() const { return text(); }
    void Text(const QString& text);
    // True shows every character masked.
    void PasswordChar(bool masked);

    Event<> Change;

private:
    QString last_;
};

}  // namespace ui
