#pragma once
// How a store database keeps the Jet side of its schema (the shared model of
// jet/statement/Model.h) in SQLite: its metadata tables, whose names start
// with "MSys", and the SQLite objects that stand for Jet's.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/CatalogData.h"
#include "jet/statement/Model.h"
#include "jet/store/Sqlite.h"

namespace jet::store {

using statement::ColumnDef;
using statement::ForeignKeyDef;
using statement::IndexDef;
using statement::Model;
using statement::QueryDef;
using statement::TableDef;

inline constexpr std::string_view kDatabaseFormat = "parabase-store-database-1";
inline constexpr std::string_view kWorkgroupFormat = "parabase-store-workgroup-1";

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

// How the provider's own SQL names a row's own number in a table. Jet allows
// a field named rowid, which hides SQLite's name of that number, so the first
// of SQLite's three names that no field takes is used; empty when the fields
// take all three (such a table is refused).
[[nodiscard]] std::string_view rowNumber(const TableDef& table);

// The metadata tables, as catalog entries of type "SYSTEM TABLE".
[[nodiscard]] std::vector<TableData> systemTables(sql::Db& db);

}  // namespace jet::store
