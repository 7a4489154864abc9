#pragma once
// Comparisons that judge a Jet file, each returning every difference in words,
// one line each, and an empty text when there is none: two catalogs, the rows of
// two files, the pages of two files, two databases through the comparison
// engine; and the agreement of the independent readers (JetOracles.h) on one
// file.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "JetOracles.h"
#include "engine/ComparisonResult.h"
#include "jet/CatalogData.h"

namespace oracles {

// ---- Catalogs ---------------------------------------------------------------

struct CatalogCompareOptions {
    bool properties = true;
    // Column properties left out (kColumnPropertyNames spelling).
    std::vector<std::string> ignoredProperties;
    bool indexes = true;
    bool keys = true;
};

// Tables, columns (name, order, type, size, precision, scale, attributes,
// properties), indexes and keys of two catalogs; names are matched without
// regard to case, and a different spelling is a difference.
[[nodiscard]] std::string catalogDifferences(const std::vector<jet::TableData>& first,
                                             const std::vector<jet::TableData>& second,
                                             const CatalogCompareOptions& options = {});

// ---- Rows -------------------------------------------------------------------

// The columns that identify a row of a table (its primary key), empty when it
// has none.
using KeyColumns = std::function<std::vector<std::string>(const std::string& table)>;

// The primary keys as mdb-schema gives them.
[[nodiscard]] KeyColumns primaryKeysOf(const MdbSchema& schema);

// Rows of one table: matched by key where `key` names columns, else compared as
// a multiset (order does not count). Column lists that differ are reported,
// and the rows compared on the columns both have.
[[nodiscard]] std::string tableRowDifferences(const TableRows& first, const TableRows& second,
                                              const std::vector<std::string>& key);

// Table by table; tables are matched by exact name.
[[nodiscard]] std::string rowDifferences(const std::vector<TableRows>& first,
                                         const std::vector<TableRows>& second,
                                         const KeyColumns& keys = {});

// Every user table of two files through mdb-export, rows identified by the
// primary keys mdb-schema gives for the first.
[[nodiscard]] std::string fileRowDifferences(const std::string& first, const std::string& second);

// ---- Pages ------------------------------------------------------------------

// A difference that a test expects: `covers` says whether the change of one
// page (both versions given whole) is of that kind.
struct PageAllowance {
    std::string name;
    std::function<bool(uint32_t page, std::string_view first, std::string_view second)> covers;
};

// The pages of that list, whatever changed on them.
[[nodiscard]] PageAllowance allowPages(std::string name, std::vector<uint32_t> pages);

// The catalog's dates: on the data pages of MSysObjects (its definition is page
// 2), every changed byte lies in 8 bytes that hold a date of 1990 to 2100 in
// both files, not earlier in the second.
[[nodiscard]] PageAllowance catalogDates();

struct PageComparison {
    size_t pageSize = 0;
    uint32_t firstPages = 0;
    uint32_t secondPages = 0;
    std::vector<uint32_t> differing;                        // not covered by an allowance
    std::vector<std::pair<uint32_t, std::string>> allowed;  // page, the allowance's name

    [[nodiscard]] bool same() const { return differing.empty() && firstPages == secondPages; }
    // Empty when same(); else the page counts and the pages that differ.
    [[nodiscard]] std::string text() const;
};

// Byte by byte, page by page (2048-byte pages for Jet 3, 4096 for later ones,
// by the first file's header).
[[nodiscard]] PageComparison comparePages(const std::string& first, const std::string& second,
                                          const std::vector<PageAllowance>& allowances = {});

// ---- The comparison engine -------------------------------------------------

// Every element of the record that is not equal, one line each, with what the
// two sides read. A table's parts are looked into even when the table reads
// equal.
[[nodiscard]] std::string engineDifferences(const engine::TComparisonResult& result,
                                            bool views = true, bool procedures = true);

struct EngineCompareOptions {
    bool views = true;
    bool procedures = true;
    bool compareIncrementAndSeed = false;
};

// Two databases (connection strings, JetOracles.h connectionFor) compared with
// the comparison program's default options: the differences, then the lines
// of any error the engine reported.
[[nodiscard]] std::string compareWithEngine(const std::string& firstConnection,
                                            const std::string& secondConnection,
                                            const EngineCompareOptions& options = {});

// ---- Two files as the readers apart from the project see them --------------

// mdb-schema's tables, columns (type, size, NOT NULL) and indexes; the
// relationships of MSysRelationships that enforce integrity (name, tables,
// column pairs, the rule bits 0x100, 0x1000 and 0x2000); mdb-prop's
// Description, DefaultValue, AllowZeroLength and Required of every column.
// Empty when both files show the same.
[[nodiscard]] std::string independentSchemaDifferences(const std::string& first,
                                                       const std::string& second);

// The saved queries as mdb-queries lists and prints them (its own reading of
// MSysQueries, apart from the project's builder): every query of either file
// that the other lacks or prints otherwise. Empty when both print the same.
// The tables of its FROM list count in any order: mdb-queries lists the
// query's table rows, which Access keeps in the order the tables were added
// in its designer, something no query text says (the text's joins, which it
// does not print, give the order that matters).
[[nodiscard]] std::string mdbQueriesDifferences(const std::string& first,
                                                const std::string& second);

// mdb-queries' text of one query with the names of its FROM list
// ("FROM [a],[b]") sorted.
[[nodiscard]] std::string fromListSorted(const std::string& sql);

// ---- Agreement of the readers on one file ----------------------------------

// The npm reader's rows against mdb-export's, table by table, in one text form
// (see the definition for what is normalised and why).
[[nodiscard]] std::string rowsDisagreement(const std::string& path);
// The npm reader's columns against the project reader's: type, size and the
// auto-number flags.
[[nodiscard]] std::string columnsDisagreement(const std::string& path);
// mdb-schema's tables, columns (type, size, NOT NULL), indexes and
// relationships against the project reader's.
[[nodiscard]] std::string schemaDisagreement(const std::string& path);
// mdb-prop's column properties (Description, DefaultValue, AllowZeroLength,
// UnicodeCompression) against the project reader's.
[[nodiscard]] std::string propertiesDisagreement(const std::string& path);
// All four.
[[nodiscard]] std::string readersDisagreement(const std::string& path);

}  // namespace oracles
