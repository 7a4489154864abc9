#pragma once
// The statement model's storage over a Jet file's session state: the facts
// the executor asks come from the file's rows as the session has changed
// them, and every physical change goes into the state (FileState.h), never
// into a page: pages are written only at the end of the session.
//
// An index is checked when it is made: its keys must be ones the encoder can
// prove (text in a sort order and of characters shown to match Access's own
// keys) and a unique index must find no duplicates. So is every name a new
// table, query or relationship gives the catalog's text indexes (unless it
// takes back the keys of rows the session dropped). An index that stands in
// the file with the same columns, order and rules, on rows this session did
// not change, needs no check: the planner keeps its pages as they are. A
// statement that changes rows checks again every index over what it changed.
//
// A view or procedure is split into its MSysQueries rows when it is made
// (a text that cannot be split fails with Err::QueryNotStorable). What the
// writer cannot write yet (a counter whose increment is not 1) fails with
// Err::NotWrittenYet before anything changes.
#include <functional>
#include <string>
#include <vector>

#include "jet/file/IndexKey.h"
#include "jet/file/PageFile.h"
#include "jet/statement/Storage.h"
#include "jet/writer/FileState.h"

namespace jet::file {

class FileStorage final : public statement::Storage {
public:
    FileStorage(FileState& state, const PageFile& file);

    [[nodiscard]] bool hasRows(const statement::TableDef& table) override;
    [[nodiscard]] int64_t rowCount(const statement::TableDef& table) override;
    [[nodiscard]] bool hasNull(const statement::TableDef& table,
                               const std::vector<std::string>& columns) override;
    [[nodiscard]] bool breaksRelationship(const statement::TableDef& table,
                                          const statement::ForeignKeyDef& fk,
                                          const statement::TableDef& related) override;
    // True when the file held this relationship (name, columns, table and
    // columns referred to) on a real index of its own, which no other index
    // of the table shared and which was neither unique nor refused nulls.
    [[nodiscard]] bool keepsOwnIndex(const statement::TableDef& table,
                                     const statement::ForeignKeyDef& fk) override;

    void createTable(statement::TableDef& table) override;
    void dropTable(const statement::TableDef& table) override;
    void addColumn(const statement::TableDef& was, const statement::TableDef& now,
                   const statement::ColumnDef& column) override;
    void alterColumn(const statement::TableDef& was, const statement::TableDef& now,
                     const statement::ColumnDef& column,
                     const std::optional<statement::ColumnConversion>& conversion) override;
    void dropColumn(const statement::TableDef& was, const statement::TableDef& now,
                    const statement::ColumnDef& column) override;
    void addIndex(const statement::TableDef& was, const statement::TableDef& now,
                  const statement::IndexDef& index) override;
    void dropIndex(const statement::TableDef& was, const statement::TableDef& now,
                   const statement::IndexDef& index) override;
    void addRelationship(const statement::TableDef& was, const statement::TableDef& now,
                         const statement::ForeignKeyDef& fk,
                         const statement::TableDef& related) override;
    void dropRelationship(const statement::TableDef& was, const statement::TableDef& now,
                          const statement::ForeignKeyDef& fk) override;
    void setCounter(const statement::TableDef& table, const statement::ColumnDef& column,
                    int64_t next) override;
    void createQuery(const statement::QueryDef& query) override;
    void dropQuery(const statement::QueryDef& query) override;
    void dropPermissions(int32_t objectType, std::string_view name) override;

    // UPDATE [T] SET [a] = [b], … without WHERE: each column takes the value
    // of another (converted as a value written to it). Returns the rows
    // changed.
    int32_t copyColumns(const statement::TableDef& table,
                        const std::vector<std::pair<std::string, std::string>>& assignments);

    // The table's rows as the session sees them, with their ids.
    void forEachRow(const TableState& t,
                    const std::function<void(uint32_t rowId, const RowValues&)>& visit) const;

    [[nodiscard]] TableState& stateOf(const statement::TableDef& table);

private:
    // Checks that an index over the table's rows (as they now stand) can be
    // built: provable keys, no duplicates in a unique one, no null where the
    // index allows none. Skipped when the file's own index can stay.
    void checkIndex(TableState& t, const statement::IndexDef& index);
    void checkIndexesOver(TableState& t, const statement::TableDef& now,
                          const std::vector<std::string>& changedColumns);
    [[nodiscard]] size_t position(const TableState& t, std::string_view column) const;
    // A new row of the catalog table `table` takes `name` in its column
    // `column`, and with it a key in each of the table's text indexes over
    // that column: the statement making `kind` `object` fails before it
    // changes anything unless every such key can be proven.
    void checkCatalogKey(std::string_view table, std::string_view column, const std::string& name,
                         const char* kind, const std::string& object) const;
    // True when a table or query of the file that the session dropped had
    // `name`: a new object of that name takes back the key of its MSysObjects
    // row (a query dropped and made again as it was keeps its row).
    [[nodiscard]] bool freedName(const std::string& name) const;

    FileState& state_;
    const PageFile& file_;
};

// The column definition Jet gives a column of the statement model in this
// file (type, length, flags, sort order), before the table numbers and
// places it. Throws Err::NotWrittenYet for what the writer does not write.
[[nodiscard]] ColumnDef physicalColumn(const statement::ColumnDef& c, const FileFacts& facts);

// The key columns of an index of the model over a table's current definition.
[[nodiscard]] std::vector<KeyColumn> keyColumns(const TableDefinition& def,
                                                const statement::IndexDef& index);

// The real index flags the model's index asks for (unique, ignore nulls,
// required, and the bit every Access-made index carries).
[[nodiscard]] uint8_t realIndexFlags(const statement::IndexDef& index);

// The file's own real index that can stay for `index`: same columns in the
// same order and direction, same rules, on rows the session left alone.
// Null when there is none.
[[nodiscard]] const RealIndex* keptRealIndex(const TableState& t, const statement::IndexDef& index);

}  // namespace jet::file
