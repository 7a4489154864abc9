#pragma once
// The check of a written file before it may take the original's place. It
// reads the new file the ways that do not depend on the writer: the reader
// (libmdb, in its own process) must show exactly the planned tables; the
// page codec must read the same catalog back, with every touched table sound
// (row counts, every index entry against the entries rebuilt from the rows,
// pointers that lead to rows); the reader and the codec must read exactly the
// planned saved queries; every row of a rewritten table must read as
// planned; and every page the plan did not change must be byte for byte the
// original's. Returns what it found; empty when the file may be used.
#include <string>
#include <vector>

#include "jet/CatalogData.h"
#include "jet/file/PageFile.h"
#include "jet/writer/FileState.h"
#include "jet/writer/Planner.h"

namespace jet::file {

// A saved query as it must read back: its name, and its text (outer white
// space trimmed) through the reader and through the page codec.
struct ExpectedQuery {
    std::string name;
    std::string text;
    std::string codecText;
};

[[nodiscard]] std::vector<std::string> verifyWritten(const std::string& newFile,
                                                     const std::string& original,
                                                     const PageFile& planned,
                                                     const std::vector<TableData>& expected,
                                                     const PlanResult& plan, const FileState& state,
                                                     const std::vector<ExpectedQuery>& queries);

}  // namespace jet::file
