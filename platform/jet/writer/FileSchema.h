#pragma once
// The statement model's view of a Jet file's user tables: what the schema
// statements are checked against, and what the catalog shows once the writer
// has engaged. It reads the file as the reader does (the same types, sizes,
// properties, indexes and keys), so that before any change the model's
// catalog entries equal the reader's; the writer checks that they do before it
// changes anything.
#include <cstdint>

#include "jet/file/FileCatalog.h"
#include "jet/statement/Model.h"

namespace jet::file {

// The ADO type of a column of a definition (0 for a type Jet 4 does not define).
[[nodiscard]] int32_t adoType(const ColumnDef& c);

// One user table; its relationships come from the catalog's MSysRelationships.
[[nodiscard]] statement::TableDef readTable(const FileCatalog& catalog, const UserTable& table);

// Every user table, with its relationships indexed. Table ids are their
// definitions' first pages.
[[nodiscard]] statement::Model readModel(const FileCatalog& catalog);

}  // namespace jet::file
