#pragma once
// What the schema statements need of a provider (Executor.h): facts that
// depend on the rows, and one call for each physical change. The executor
// makes every check of Jet's on the shared model itself; a provider only
// stores.
//
// Order. For one statement the executor checks what the model shows, asks
// for facts, and makes the physical calls in the order the change needs
// them. Each call gets the table as it was (`was`, still the model's own
// entry) and as it becomes (`now`); the model takes `now` only once the call
// has returned. A fact asked after a physical call of the same statement
// must see that change (ALTER COLUMN asks for nulls after the conversion).
//
// All or nothing. When anything fails part-way (a refusal, a fact that breaks
// a rule, a physical call that throws), the exception leaves the executor with
// the model and the storage holding the part already done; nothing here
// undoes anything. The caller takes the whole statement back: the store runs
// each statement in one SQLite transaction, rolls it back and reads its model
// from the file again; a provider whose rows live in memory copies its model
// (and the rows it may change) before the statement and puts the copy back.
//
// Errors. Every call throws jet::Error only. A physical call may refuse with
// the Jet error its comment names; any other failure (a full disk, a damaged
// file) is the provider's own error and fails the statement the same way.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/statement/Convert.h"
#include "jet/statement/Model.h"

namespace jet::statement {

// What ALTER COLUMN asks of the values of a column whose type or size
// changes: each converted to `target` by convertValue.
struct ColumnConversion {
    Target target;
    std::string column;    // the column's name, for the error text
    std::string typeText;  // the new type as the statement wrote it ("TEXT(20)")
};

// One value converted for ALTER COLUMN; throws Err::ConversionFailed naming the
// column and the type as written when it does not convert (or does not fit).
[[nodiscard]] FieldValue convertColumnValue(const FieldValue& value,
                                            const ColumnConversion& conversion);

class Storage {
public:
    virtual ~Storage() = default;

    // --- facts: the rows as they stand, this statement's changes included ---------

    [[nodiscard]] virtual bool hasRows(const TableDef& table) = 0;
    // Asked only of a table with rows.
    [[nodiscard]] virtual int64_t rowCount(const TableDef& table) = 0;
    // True when a row holds a null in one of the columns (names as in `table`).
    [[nodiscard]] virtual bool hasNull(const TableDef& table,
                                       const std::vector<std::string>& columns) = 0;
    // True when a row of `table` holds a value in every column of `fk` and no
    // row of `related` holds the same values in the related columns: the new
    // relationship would be broken (a row with a null in one of them breaks
    // nothing). Values compare as the provider compares keys (text without
    // regard to case).
    [[nodiscard]] virtual bool breaksRelationship(const TableDef& table, const ForeignKeyDef& fk,
                                                  const TableDef& related) = 0;
    // True when the relationship `fk` of `table`, about to be made, keeps an
    // index of its own (never unique, nulls allowed) instead of sharing the
    // one already on its columns as Jet does when it makes one: a provider
    // whose database held this very relationship so says, so that a
    // relationship dropped and made again ends as it began.
    [[nodiscard]] virtual bool keepsOwnIndex(const TableDef& table, const ForeignKeyDef& fk) {
        (void)table;
        (void)fk;
        return false;
    }

    // --- physical changes -------------------------------------------------------

    // A new table with its columns, no rows, no index and no key yet (its keys
    // and indexes follow as addIndex and addRelationship calls). Sets
    // `table.id` to the provider's own id. May refuse a table it cannot hold.
    virtual void createTable(TableDef& table) = 0;
    // The table with its rows and indexes, and its counters. No other table's
    // relationship refers to it any more (the executor checked); its own
    // relationships go with it. Its permissions follow as dropPermissions.
    virtual void dropTable(const TableDef& table) = 0;

    // `column` added as the last column of `now`. Existing rows hold null in
    // it; a counter instead numbers them in their order, from its seed by its
    // increment (its next value follows as setCounter). May refuse a table it
    // cannot hold.
    virtual void addColumn(const TableDef& was, const TableDef& now, const ColumnDef& column) = 0;
    // The definition of `column` (same name) changed; with `conversion`, every
    // value converts as convertColumnValue does and the first that does not
    // throws Err::ConversionFailed with nothing kept. A column that stops being
    // a counter loses its next value. (Required columns are the executor's:
    // it asks for nulls after this call.)
    virtual void alterColumn(const TableDef& was, const TableDef& now, const ColumnDef& column,
                             const std::optional<ColumnConversion>& conversion) = 0;
    // `column` removed with its values and its counter. No index holds it (the
    // executor checked); its permissions follow as dropPermissions.
    virtual void dropColumn(const TableDef& was, const TableDef& now, const ColumnDef& column) = 0;

    // `index` (in `now`, never a relationship's own) built over the rows. A
    // unique index refuses rows that share a key with Err::DuplicateValues (a
    // row with a null in one of its columns shares its key with no other row;
    // the executor has refused nulls where the index disallows them).
    virtual void addIndex(const TableDef& was, const TableDef& now, const IndexDef& index) = 0;
    // `index` removed; no relationship needs it any more (the executor checked).
    virtual void dropIndex(const TableDef& was, const TableDef& now, const IndexDef& index) = 0;
    // `fk` added, with the index Jet keeps for it: in `now`, the index of the
    // relationship's name with `foreign` set, on its columns in order. The rows
    // keep it (the executor asked breaksRelationship). When that index is
    // unique (a one-to-one relationship sharing a unique index), it refuses
    // duplicates as addIndex does. `related` is the model's related table
    // (`was` itself for a table that refers to itself).
    virtual void addRelationship(const TableDef& was, const TableDef& now, const ForeignKeyDef& fk,
                                 const TableDef& related) = 0;
    // `fk` removed with its index, when `was` has one of its name.
    virtual void dropRelationship(const TableDef& was, const TableDef& now,
                                  const ForeignKeyDef& fk) = 0;
    // The value the next new row of a counter column takes.
    virtual void setCounter(const TableDef& table, const ColumnDef& column, int64_t next) = 0;

    // A view or procedure; its name is free among tables and queries.
    virtual void createQuery(const QueryDef& query) = 0;
    virtual void dropQuery(const QueryDef& query) = 0;

    // Every principal's rights on a dropped object (objtype codes: a table with
    // the rights on its columns, a column as "table.column", a view, a
    // procedure).
    virtual void dropPermissions(int32_t objectType, std::string_view name) = 0;
};

}  // namespace jet::statement
