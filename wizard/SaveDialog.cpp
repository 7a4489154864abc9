#include "wizard/SaveDialog.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace wizard {

QString ReplaceQuestion(const QString& path) {
    return QDir::toNativeSeparators(path) + u" already exists.\r\nDo you want to replace it?"_s;
}

QString WithDefaultExtension(const QString& path, const QString& extension) {
    // Only the name counts: a dot in a folder's name is no extension.
    if (QFileInfo(path).fileName().contains(u'.')) return path;
    return path + extension;
}

std::optional<QString> ChooseFileToWrite(ui::Services& services, ui::FileDialog& dialog,
                                         const QString& extension) {
    for (;;) {
        std::optional<QString> chosen = services.ShowSave(dialog);
        if (!chosen) return std::nullopt;
        // Completed before the question, so that it names the file replaced;
        // without the extension the file would be missing from the Open dialogs.
        *chosen = WithDefaultExtension(*chosen, extension);
        dialog.fileName = *chosen;
        if (!QFileInfo::exists(*chosen)) return chosen;
        if (services.MsgBox(ReplaceQuestion(*chosen), ui::Buttons::YesNo, ui::Icon::Exclamation,
                            dialog.title) == ui::Answer::Yes)
            return chosen;
    }
}

}  // namespace wizard
