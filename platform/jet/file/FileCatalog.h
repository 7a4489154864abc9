#pragma once
// What the writer reads of a Jet 4 file before it changes anything: the system
// tables it keeps up to date (MSysObjects, MSysACEs, MSysRelationships,
// MSysQueries) with their rows, and each user table's definition and property
// blob. Everything is read through the page codec; nothing here changes the
// file. Throws FormatError when a structure cannot be read.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/file/PageFile.h"
#include "jet/file/PropertyBlob.h"
#include "jet/file/TableDefinition.h"
#include "jet/format/SystemTables.h"

namespace jet::file {

// The catalog's facts are the format's (SystemTables.h).
namespace msys = format::msys;
namespace relflag = format::relflag;
namespace ace = format::ace;

// One stored row as values, one per column of its table's definition (in the
// definition's order); rowId 0 for a row not in the file yet.
struct StoredRow {
    uint32_t rowId = 0;
    std::vector<FieldValue> values;
};

// A table the writer reads whole: its definition and its rows.
class StoredTable {
public:
    StoredTable() = default;
    // `skipUnreadable`: a row that does not decode is left out of `rows` and
    // noted in `unreadable` instead of failing the whole table.
    StoredTable(const PageFile& file, std::string name, uint32_t definitionPage,
                bool skipUnreadable = false);

    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] bool present() const { return present_; }
    [[nodiscard]] const TableDefinition& definition() const { return definition_; }
    // The position of a column in a row's values; throws FormatError naming
    // the table when it has no such column.
    [[nodiscard]] size_t column(std::string_view name) const;
    [[nodiscard]] std::optional<size_t> findColumn(std::string_view name) const;

    std::vector<StoredRow> rows;  // file order
    std::vector<uint32_t> unreadable;  // ids of the rows left out (skipUnreadable)

private:
    std::string name_;
    bool present_ = false;
    TableDefinition definition_;
};

// A user table: its MSysObjects row, definition and properties.
struct UserTable {
    std::string name;
    size_t objectRow = 0;  // position in FileCatalog::objects.rows
    TableDefinition definition;
    std::optional<PropertyBlob> properties;  // none when LvProp is empty
};

class FileCatalog {
public:
    explicit FileCatalog(const PageFile& file);

    StoredTable objects;
    StoredTable aces;
    // Access-made files can hold an MSysRelationships row that no reader can
    // decode (its last bytes damaged); the file's other parts can still be
    // changed, its relationships not (see `unreadable`).
    StoredTable relationships;
    StoredTable queries;
    // User tables (type 1 without the system flags, not named MSys…), in
    // MSysObjects order.
    std::vector<UserTable> tables;

    // Fields of an MSysObjects row.
    [[nodiscard]] int32_t objectId(const StoredRow& r) const;
    [[nodiscard]] int32_t objectParent(const StoredRow& r) const;
    [[nodiscard]] std::string objectName(const StoredRow& r) const;
    [[nodiscard]] int32_t objectType(const StoredRow& r) const;
    [[nodiscard]] uint32_t objectFlags(const StoredRow& r) const;
    // The definition page of the table named `name` (any table, system tables
    // too), or 0.
    [[nodiscard]] uint32_t tablePage(std::string_view name) const;
};

// Reading a row's fields: null gives the empty text, 0, or no bytes.
[[nodiscard]] int64_t asInteger(const FieldValue& v);
[[nodiscard]] std::string asText(const FieldValue& v);
[[nodiscard]] std::string_view asBinary(const FieldValue& v);

}  // namespace jet::file
