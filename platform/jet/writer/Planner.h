#pragma once
// The end of a write session: the difference between the session's state and
// the file, turned into pages in the file's overlay, and only that. A table
// whose columns and indexes end as they began keeps its definition's bytes; an
// index that ends as it began, on rows the session left alone, keeps its
// pages; changed rows are written where they are (a row that outgrows its
// page moves behind an overflow pointer, keeping its id); new indexes are
// built whole from the rows; the catalog's rows (MSysObjects, MSysACEs,
// MSysRelationships) change only where an object came, went or changed, and
// their indexes are rebuilt from the entries they had. Pages are appended,
// never reused; freed pages are marked free in the global map.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/statement/Model.h"
#include "jet/writer/FileState.h"

namespace jet::file {

class FileStorage;

struct PlanResult {
    // Definition pages of the tables whose pages changed (system tables too),
    // in the written file, for the structural check.
    std::set<uint32_t> touchedTables;
    // Tables whose rows were written again, by definition page.
    std::set<uint32_t> rewrittenTables;
};

// Writes the plan into `file`'s overlay. `now` dates new and changed catalog
// rows. Throws FormatError when the file holds something the plan cannot
// change (nothing is written to disk either way: the overlay is dropped).
[[nodiscard]] PlanResult writePlan(PageFile& file, const FileCatalog& catalog,
                                   const FileState& state, const statement::Model& model,
                                   const FileStorage& storage, DateTime now);

}  // namespace jet::file
