#pragma once
// The save dialog of the comparison program's windows: shows `dialog`, gives
// a name typed without an extension the window's own (".psx", ".pcf"), and,
// when the file so named exists already, asks before replacing it; "No" shows
// the dialog again. The name chosen, completed, stays in `dialog.fileName`,
// so the next save offers it again.
#include <QString>
#include <optional>

#include "ui/Services.h"

namespace wizard {

// The file to write, or nothing when the user cancelled. `extension` starts
// with its dot.
[[nodiscard]] std::optional<QString> ChooseFileToWrite(ui::Services& services,
                                                       ui::FileDialog& dialog,
                                                       const QString& extension);

// `path` with `extension` added when its file name has no extension (no dot);
// a name with one, even another, is kept as typed.
[[nodiscard]] QString WithDefaultExtension(const QString& path, const QString& extension);

// The question asked before `path` is replaced.
[[nodiscard]] QString ReplaceQuestion(const QString& path);

}  // namespace wizard
