#include "ui/RichTextBox.h"

#include <QSaveFile>

namespace ui {

RichTextBox::RichTextBox(QWidget* parent) : MultiLineTextBox(parent) {
    // Script lines are statements: scroll sideways rather than break them.
    setLineWrapMode(NoWrap);
}

bool RichTextBox::SaveFile(const QString& path, QString* error) const {
    QSaveFile file(path);
    const QByteArray bytes = Text().toUtf8();
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && error) *error = file.errorString();
    return ok;
}

}  // namespace ui
