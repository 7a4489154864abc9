#pragma once
// The save dialog of the comparison program's windows: shows `dialog` and,
// when the chosen file exists already, asks before replacing it; "No" shows
// the dialog again. The name chosen stays in `dialog.fileName`, so the next
// save offers it again.
#include <QString>
#include <optional>

#include "ui/Services.h"

namespace wizard {

// The file to write, or nothing when the user cancelled.
[[nodiscard]] std::optional<QString> ChooseFileToWrite(ui::Services& services,
                                                       ui::FileDialog& dialog);

// The question asked before `path` is replaced.
[[nodiscard]] QString ReplaceQuestion(const QString& path);

}  // namespace wizard
