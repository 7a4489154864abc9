#pragma once
// The script window's text: plain text kept exactly as given (CR LF line
// ends), in the font the window chooses, saved whole as plain text.
#include "ui/MultiLineTextBox.h"

namespace ui {

class RichTextBox : public MultiLineTextBox {
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Writes the text as it stands (UTF-8, its own line ends, nothing added)
    // to a temporary file beside `path`, then renames it over `path`: a
    // failure leaves any file there as it was. False, with the reason in
    // `error` when given, when the file could not be written.
    [[nodiscard]] bool SaveFile(const QString& path, QString* error = nullptr) const;
};

}  // namespace ui
