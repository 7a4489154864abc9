#include "wizard/SaveDialog.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace wizard {

QString ReplaceQuestion(const QString& path) {
    return QDir::toNativeSeparators(path) + u" already exists.\r\nDo you want to replace it?"_s;
}

std::optional<QString> ChooseFileToWrite(ui::Services& services, ui::FileDialog& dialog) {
    for (;;) {
        std::optional<QString> chosen = services.ShowSave(dialog);
        if (!chosen) return std::nullopt;
        dialog.fileName = *chosen;
        if (!QFileInfo::exists(*chosen)) return chosen;
        if (services.MsgBox(ReplaceQuestion(*chosen), ui::Buttons::YesNo, ui::Icon::Exclamation,
                            dialog.title) == ui::Answer::Yes)
            return chosen;
    }
}

}  // namespace wizard
