#include "ui/TextBox.h"

namespace ui {

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& now) {
        if (now == last_) return;
        last_ = now;
        Change();
    });
}

void TextBox::Text(const QString& text) { setText(text); }

void TextBox::PasswordChar(bool masked) { setEchoMode(masked ? Password : Normal); }

}  // namespace ui
