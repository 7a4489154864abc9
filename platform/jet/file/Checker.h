#pragma once
// The structural checker of a written file: what must hold of a table's
// pages, rows and indexes whoever wrote them, so that a file the writer made
// is judged before it replaces the user's. Every invariant here holds on the
// Access-made fixtures. It reads through a PageFile (the new file, or a file
// with the writer's overlay) and reports every fault it finds rather than
// stopping at the first; nothing is changed.
//
// Per table: the definition reads; every page of its owned-pages map is a
// data page of the table marked used in the global map (and every used data
// page naming the table is in the map); its free-space map lies within it;
// a user table's definition counts the rows read (Access lets the counts of
// system tables lag behind, so theirs are not held to it); every row decodes,
// long values included; every index reads as a tree whose pages are the
// table's, used, and exactly its usage map, whose leaves link both ways in
// order, whose intermediate entries repeat their children's last entries and
// whose first page names the last leaf as its tail; and its entries are the
// ones rebuilt from the rows (where the keys cannot be proven, at least one
// entry per row the index holds, pointing at it). Rows are decoded once and
// not kept: the rebuilt entries are compared with an index's as a multiset
// (by digest; the index's own are checked to be in order), so the memory it
// takes follows one index's entries, not the table.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"

namespace jet::file {

struct Finding {
    std::string table;
    int64_t page = -1;  // the page the fault is on, when there is one
    std::string what;
};

struct CheckedTable {
    std::string name;
    uint32_t definitionPage = 0;
};

// A real index's key columns as its keys need them.
[[nodiscard]] std::vector<KeyColumn> keyColumns(const TableDefinition& def, const RealIndex& index);

// The sort order a text column's keys follow: Access 97's columns keep the
// sort order and the code page where Jet 4's keep the order and its version.
[[nodiscard]] inline SortOrder keySortOrder(const TableDefinition& def, const ColumnDef& column) {
    if (def.layout().textForm == format::TextForm::SingleByte)
        return jet3SortOrder(column.sortOrder());
    return {column.sortOrder(), column.sortOrderVersion()};
}

// The entries of real index `position` rebuilt from a table's rows (each row
// id with its values in def.columns order), as IndexBuilder sorts them.
// `provable` is set to false when a key is one IndexKey cannot prove; the
// entries are then those of the rows it can code, or none. Throws
// KeyViolation when the rows break the index's rules.
[[nodiscard]] std::vector<IndexEntry> rebuildEntries(
    const TableDefinition& def, size_t position,
    const std::vector<std::pair<uint32_t, std::vector<FieldValue>>>& rows, bool* provable);

// The file a written file was made from, and the pages the writing changed
// or added (ascending): what the checker judges a written file against.
struct Baseline {
    const PageFile* original = nullptr;
    std::vector<uint32_t> changedPages;
};

class Checker {
public:
    explicit Checker(const PageFile& file) : file_(file) {}
    // Judges what the writing did rather than what the original held: a
    // table's rows whose pages are the original's, byte for byte, under a
    // definition that reads their columns alike (a new column reads as null)
    // are the original's rows and are not decoded again; an index whose
    // definition and pages are the original's, over such rows and columns
    // whose keys read alike, is the original's index and is not walked
    // again; data pages unchanged and marked used in both files keep the
    // owner they had. Everything else is judged in full.
    Checker(const PageFile& file, Baseline baseline)
        : file_(file), baseline_(std::move(baseline)) {}

    [[nodiscard]] std::vector<Finding> check(const CheckedTable& table) const;
    [[nodiscard]] std::vector<Finding> check(const std::vector<CheckedTable>& tables) const;

private:
    const PageFile& file_;
    std::optional<Baseline> baseline_;
};

}  // namespace jet::file
