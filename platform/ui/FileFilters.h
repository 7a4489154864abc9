#pragma once
// The open dialogs' filters for databases and workgroup files, shared by the
// programs: real Jet files and the project's own store files side by side.
#include <QString>

namespace ui {

[[nodiscard]] inline QString databaseFilter() {
    return QStringLiteral("MSAccess database file (*.mdb *.sdb)|*.mdb;*.sdb|");
}

[[nodiscard]] inline QString workgroupFilter() {
    return QStringLiteral("MSAccess workgroup file (*.mdw *.sdw)|*.mdw;*.sdw|");
}

}  // namespace ui
