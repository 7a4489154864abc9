#pragma once
// The plain-data model of one database's schema, as a provider reads it. A
// Catalog hands out read-only views of one such snapshot; providers build a new
// snapshot after every change.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/Types.h"
#include "jet/Variant.h"

namespace jet {

struct ColumnData {
    std::string name;
    int32_t type = 0;  // ADO type code (jet::adtype)
    int32_t definedSize = 0;
    uint8_t numericScale = 0;
    uint8_t precision = 0;
    int32_t attributes = kColumnNullable;           // bit 2 = nullable
    std::array<Variant, prop::Count> properties{};  // by position, see kColumnPropertyNames
};

struct IndexColumnData {
    std::string name;
    int32_t sortOrder = kSortAscending;
};

struct IndexData {
    std::string name;
    bool unique = false;
    bool primaryKey = false;
    int32_t indexNulls = indexnulls::Allow;
    std::vector<IndexColumnData> columns;  // key order
};

struct KeyColumnData {
    std::string name;
    std::string relatedColumn;
};

struct KeyData {
    std::string name;
    int32_t type = keytype::Primary;
    std::string relatedTable;
    int32_t updateRule = rule::None;
    int32_t deleteRule = rule::None;
    std::vector<KeyColumnData> columns;  // key order
};

struct TableData {
    std::string name;
    std::string type = "TABLE";  // "TABLE", "VIEW", "SYSTEM TABLE", "ACCESS TABLE", "LINK"
    std::vector<ColumnData> columns;  // ordinal order
    std::vector<IndexData> indexes;
    std::vector<KeyData> keys;
};

struct ParameterData {
    std::string name;
    int32_t type = 0;  // ADO type code
    int32_t size = 0;
};

struct QueryData {
    std::string name;
    std::string commandText;  // outer white space removed
    std::vector<ParameterData> parameters;  // declaration order (procedures)
};

struct PrincipalData {
    std::string name;
    std::vector<std::string> members;  // a user's groups / a group's users
    std::string sid;                   // security identifier where the file keeps one
};

struct CatalogData {
    std::vector<TableData> tables;  // providers list no VIEW entries: normalize() adds them
    std::vector<QueryData> views;
    std::vector<QueryData> procedures;
    bool hasWorkgroup = false;
    std::vector<PrincipalData> users;
    std::vector<PrincipalData> groups;
};

// Puts a snapshot into the order the catalog promises (tables, views, procedures,
// users, groups, indexes and keys by case-insensitive name; columns, key and
// index columns and parameters as they stand) and adds a "VIEW" entry to
// `tables` for every view that has none. Called once per snapshot by the layer.
void normalize(CatalogData& data);

}  // namespace jet
