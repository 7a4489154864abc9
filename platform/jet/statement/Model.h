#pragma once
// The Jet side of a database's schema, the same for every provider: what the
// schema statements are applied to, and what the catalog's plain-data
// snapshot is made from. Keys are not kept apart: a primary index is the
// primary key, a unique index a unique key, and every relationship (foreign
// key) has an index of its own name on its columns.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "jet/CatalogData.h"

namespace jet::statement {

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
    // The provider's own: the store's row of its table list, the file's
    // definition page. 0 until the provider has stored the table.
    int64_t id = 0;
    std::string name;
    std::vector<ColumnDef> columns;
    std::vector<IndexDef> indexes;
    std::vector<ForeignKeyDef> foreignKeys;

    // By name, without regard to case; nullptr when there is none.
    [[nodiscard]] ColumnDef* column(std::string_view name);
    [[nodiscard]] const ColumnDef* column(std::string_view name) const;
    [[nodiscard]] IndexDef* index(std::string_view name);
    [[nodiscard]] const IndexDef* index(std::string_view name) const;
    [[nodiscard]] ForeignKeyDef* foreignKey(std::string_view name);
    [[nodiscard]] const ForeignKeyDef* foreignKey(std::string_view name) const;
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
    // by indexRelationships once the tables are read; whoever adds or removes
    // a foreign key of a table in `tables` calls noteRelationship /
    // forgetRelationship.
    std::map<std::string, std::map<std::string, int>> referrers;
    std::map<std::string, int> relationshipNames;

    [[nodiscard]] TableDef* table(std::string_view name);
    [[nodiscard]] const TableDef* table(std::string_view name) const;
    [[nodiscard]] QueryDef* query(std::string_view name);
    [[nodiscard]] const QueryDef* query(std::string_view name) const;
    // The table of a folded name (a key of `tables`), or nullptr.
    [[nodiscard]] TableDef* tableByKey(const std::string& key);
    [[nodiscard]] const TableDef* tableByKey(const std::string& key) const;
    // Folded names of the tables with a key that refers to `table` (the table
    // itself included when it refers to itself), in folded-name order.
    [[nodiscard]] const std::map<std::string, int>& referrersOf(std::string_view table) const;
    [[nodiscard]] bool relationshipExists(std::string_view name) const;
    void noteRelationship(std::string_view table, const ForeignKeyDef& fk);
    void forgetRelationship(std::string_view table, const ForeignKeyDef& fk);
    void indexRelationships();
};

// The catalog entry of one user table.
[[nodiscard]] TableData tableData(const TableDef& table);

// Facts a column reports, by its definition.
[[nodiscard]] ColumnData columnData(const ColumnDef& c);

}  // namespace jet::statement
