#pragma once
// Readers of Jet files that tests judge a file by, each giving plain structs:
// the npm reader (written apart from libmdb and from this project), the
// mdbtools programs (mdb-export, mdb-schema, mdb-prop), and the project's own
// reader. Every reader runs in a process of its own; a reader that cannot run or
// fails on a file throws std::runtime_error saying which and why. Tests skip
// with REQUIRE_MDB_READER() / REQUIRE_MDBTOOLS() when a reader is not installed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MdbTools.h"
#include "jet/CatalogData.h"

namespace oracles {

// A field as text; nullopt is Null.
using Value = std::optional<std::string>;
using Row = std::vector<Value>;

// The rows of one table as one reader gives them, in its order.
struct TableRows {
    std::string name;
    std::vector<std::string> columns;
    std::vector<Row> rows;
};

// ---- The npm reader (tests/tools/mdb-reader/dump.mjs) ----------------------

// A column as the npm reader describes it. Types are its own words ("long",
// "text", "memo", "numeric", "repid", …); size is in bytes (a TEXT(50) column
// has size 100).
struct ReaderColumn {
    std::string name;
    std::string type;
    int32_t size = 0;
    bool fixedLength = false;
    bool nullable = true;
    bool autoLong = false;
    bool autoUUID = false;
    std::optional<int32_t> precision;
    std::optional<int32_t> scale;
};

struct ReaderTable {
    std::string name;
    int64_t rowCount = 0;
    std::vector<ReaderColumn> columns;
    // Values as the dump gives them: text as is, numbers in JavaScript's
    // shortest form, Booleans "true"/"false", binary as lower-case hex, dates
    // as ISO text in UTC with milliseconds.
    std::vector<Row> rows;

    [[nodiscard]] TableRows asRows() const;
};

struct ReaderDump {
    int32_t sortOrder = 0;
    int32_t sortOrderVersion = 0;
    std::vector<ReaderTable> tables;  // the reader's order

    // The table of that name (exact match), or null.
    [[nodiscard]] const ReaderTable* table(const std::string& name) const;
};

// Whether node and the installed package are there; when not, why not.
[[nodiscard]] bool haveMdbReader();
[[nodiscard]] std::string mdbReaderMissing();

// Every user table of the file (system tables too with `systemTables`) with its
// columns and rows.
[[nodiscard]] ReaderDump mdbReaderDump(const std::string& path, bool systemTables = false);

// ---- The mdbtools programs ------------------------------------------------

// The user tables, as mdb-tables lists them.
[[nodiscard]] std::vector<std::string> mdbTables(const std::string& path);

// mdb-export of one table: binary as hex (upper-case), dates as
// "YYYY-MM-DD HH:MM:SS". mdb-export prints Null bare and quotes every other
// text-like value, but it takes a value of length 0 for Null: zero-length text
// and binary read as Null here.
[[nodiscard]] TableRows mdbExport(const std::string& path, const std::string& table);
// Every user table, in mdb-tables' order.
[[nodiscard]] std::vector<TableRows> mdbExportAll(const std::string& path);

// A column as mdb-schema prints it: Access's type words ("Long Integer",
// "Text", "Memo/Hyperlink", "Numeric", "Replication ID", …), the size in
// characters for text and memo (bytes for the rest, where printed), precision
// and scale for numeric, NOT NULL (the Required property; Booleans always).
struct SchemaColumn {
    std::string name;
    std::string type;
    std::optional<int32_t> size;
    std::optional<int32_t> precision;
    std::optional<int32_t> scale;
    bool notNull = false;
};

struct SchemaIndexColumn {
    std::string name;
    bool descending = false;  // mdb-schema never marks a primary key's columns
};

// mdb-schema does not give a primary key's name; foreign-key indexes are left out.
struct SchemaIndex {
    std::string name;  // empty for the primary key
    bool primaryKey = false;
    bool unique = false;
    std::vector<SchemaIndexColumn> columns;
};

// One MSysRelationships row (one column pair of a relationship): mdb-schema
// does not give the relationship's name, nor "set null" rules.
struct SchemaRelation {
    std::string table;
    std::string column;
    std::string relatedTable;
    std::string relatedColumn;
    bool enforced = true;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
};

struct SchemaTable {
    std::string name;
    std::vector<SchemaColumn> columns;
    std::vector<SchemaIndex> indexes;
};

struct MdbSchema {
    std::vector<SchemaTable> tables;
    std::vector<SchemaRelation> relations;

    [[nodiscard]] const SchemaTable* table(const std::string& name) const;
};

[[nodiscard]] MdbSchema mdbSchema(const std::string& path);

// A row of MSysRelationships (one column pair of a relationship), through
// mdb-export of that system table. grbit: 0x100 cascade updates, 0x1000 cascade
// deletes, 0x2000 set null on delete, 0x2 not enforced.
struct RelationshipRow {
    std::string name;
    int64_t grbit = 0;
    int32_t columnCount = 0;
    int32_t columnIndex = 0;
    std::string table;
    std::string column;
    std::string relatedTable;
    std::string relatedColumn;
};

[[nodiscard]] std::vector<RelationshipRow> msysRelationships(const std::string& path);

// One set of properties mdb-prop prints for an object: the object's own
// (name "(none)"; a table may have more than one) or a column's.
struct PropertySet {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // mdb-prop's order

    [[nodiscard]] std::optional<std::string> value(const std::string& property) const;
};

[[nodiscard]] std::vector<PropertySet> mdbProp(const std::string& path, const std::string& object);

// ---- The project's reader ---------------------------------------------------

// The tables of a Jet file as the project's reader gives them (in its own
// process); throws when it cannot read the file.
[[nodiscard]] std::vector<jet::TableData> readerTables(const std::string& path);

// The user tables (type "TABLE") of any database through the data-access layer,
// opened read-only: store files as well as Jet files.
[[nodiscard]] std::vector<jet::TableData> catalogTables(const std::string& connectionString);

// A connection string for a database file of either kind, with an optional
// workgroup.
[[nodiscard]] std::string connectionFor(const std::string& path, const std::string& workgroup = "");

}  // namespace oracles

#define REQUIRE_MDB_READER()                                                          \
    do {                                                                              \
        if (!::oracles::haveMdbReader())                                              \
            GTEST_SKIP() << ::oracles::mdbReaderMissing() << "; oracle test skipped"; \
    } while (0)
