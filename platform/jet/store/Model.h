#pragma once
// The Jet side of a store database's schema, as the provider keeps it in its
// metadata tables (names starting with "MSys"), and the plain-data snapshot the
// catalog reads. Keys are not stored apart: a primary index is the primary key,
// a unique index a unique key, and every relationship (foreign key) has an
// index of its own name on its columns.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jet/CatalogData.h"
#include "jet/store/Sqlite.h"

namespace jet::store {

inline constexpr std::string_view kDatabaseFormat = "parabase-store-database-1";
inline constexpr std::string_view kWorkgroupFormat = "parabase-store-workgroup-1";

struct ColumnDef {
    std::string name;
    int32_t type = 0;
    int32_t size = 0;  // the n of TEXT(n), CHAR(n), BINARY(n), VARBINARY(n)
    uint8_t precision = 0;
    uint8_t scale = 0;
    bool required = false;
    bool autoIncrement = false;
    int32_t seed = 1;
    int32_t increment = 1;
    bool compressed = false;
    bool allowZeroLength = false;
    bool hyperlink = false;
    std::string defaultValue;
    std::string description;
    std::string validationText;
    std::string validationRule;
};

struct IndexDef {
    std::string name;
    bool unique = false;
    bool primary = false;
    int32_t nulls = indexnulls::Allow;
    bool foreign = false;  // the index a relationship keeps
    std::vector<IndexColumnData> columns;
};

struct ForeignKeyDef {
    std::string name;
    std::string relatedTable;
    int32_t updateRule = rule::None;
    int32_t deleteRule = rule::None;
    std::vector<KeyColumnData> columns;
};

struct TableDef {
    int64_t id = 0;  // row of MSysTables; 0 until stored
    std::string name;
    std::vector<ColumnDef> columns;
    std::vector<IndexDef> indexes;
    std::vector<ForeignKeyDef> foreignKeys;

    [[nodiscard]] ColumnDef* column(std::string_view name);
    [[nodiscard]] const ColumnDef* column(std::string_view name) const;
    [[nodiscard]] IndexDef* index(std::string_view name);
    [[nodiscard]] ForeignKeyDef* foreignKey(std::string_view name);
    // How the provider's own SQL names a row's own number in this table. Jet
    // allows a field named rowid, which hides SQLite's name of that number, so
    // the first of SQLite's three names that no field takes is used; empty
    // when the fields take all three (such a table is refused).
    [[nodiscard]] std::string_view rowNumber() const;
};

struct QueryDef {
    std::string name;
    std::string text;
    bool view = false;
};

// True when a relationship's rules change rows of its table when the related
// row changes (cascade, set null, set default), not only refuse the change.
[[nodiscard]] bool changesRows(const ForeignKeyDef& fk);

// Everything keyed by the case-folded name.
struct Model {
    std::map<std::string, TableDef> tables;
    std::map<std::string, QueryDef> queries;
    // The relationships indexed, so that no statement looks through every
    // table: the related table -> the tables whose keys refer to it, with the
    // number of such keys; and every relationship name with its count. Made
    // by loadModel; whoever adds or removes a foreign key of a table in
    // `tables` calls noteRelationship / forgetRelationship.
    std::map<std::string, std::map<std::string, int>> referrers;
    std::map<std::string, int> relationshipNames;

    [[nodiscard]] TableDef* table(std::string_view name);
    [[nodiscard]] QueryDef* query(std::string_view name);
    // The table of a folded name (a key of `tables`), or nullptr.
    [[nodiscard]] TableDef* tableByKey(const std::string& key);
    // Folded names of the tables with a key that refers to `table` (the table
    // itself included when it refers to itself), in folded-name order.
    [[nodiscard]] const std::map<std::string, int>& referrersOf(std::string_view table) const;
    [[nodiscard]] bool relationshipExists(std::string_view name) const;
    void noteRelationship(std::string_view table, const ForeignKeyDef& fk);
    void forgetRelationship(std::string_view table, const ForeignKeyDef& fk);
    void indexRelationships();
};

// Makes the metadata tables of a new database (inside the caller's transaction).
void createDatabaseMetadata(sql::Db& db);
// True when the file holds a store database (its format row).
[[nodiscard]] bool isStoreDatabase(sql::Db& db);

[[nodiscard]] Model loadModel(sql::Db& db);
// Writes one table's definition (its id is given on first store).
void saveTable(sql::Db& db, TableDef& table);
void deleteTable(sql::Db& db, int64_t id);
void saveQuery(sql::Db& db, const QueryDef& query);
void deleteQuery(sql::Db& db, std::string_view name);

// A property row of MSysDatabase.
[[nodiscard]] std::optional<std::string> databaseProperty(sql::Db& db, std::string_view key);
void setDatabaseProperty(sql::Db& db, std::string_view key,
                         const std::optional<std::string>& value);

// The SQLite index that stands for a Jet index (its name is unique in the file).
[[nodiscard]] std::string sqlIndexName(const TableDef& table, const IndexDef& index);

// The metadata tables, as catalog entries of type "SYSTEM TABLE".
[[nodiscard]] std::vector<TableData> systemTables(sql::Db& db);

// The catalog entry of one user table.
[[nodiscard]] TableData tableData(const TableDef& table);

// Facts a column reports, by its definition.
[[nodiscard]] ColumnData columnData(const ColumnDef& c);

}  // namespace jet::store
