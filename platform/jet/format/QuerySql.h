#pragma once
// The SQL text of a saved query, rebuilt from its rows in MSysQueries the way
// Access lays it out: clauses on lines of their own (CR LF between them), a
// closing ";", joins nested from the table and join rows, a PARAMETERS clause
// whose type names jet::parametersOf knows. Pure text work: no file access.
#include <cstdint>
#include <string>
#include <vector>

#include "jet/format/SystemTables.h"

namespace jet::format {

// Attribute codes of MSysQueries rows.
namespace qattr {
inline constexpr int Start = 0;
inline constexpr int Type = 1;
inline constexpr int Parameter = 2;
inline constexpr int Flag = 3;
inline constexpr int RemoteDb = 4;
inline constexpr int Table = 5;
inline constexpr int Column = 6;
inline constexpr int Join = 7;
inline constexpr int Where = 8;
inline constexpr int GroupBy = 9;
inline constexpr int Having = 10;
inline constexpr int OrderBy = 11;
inline constexpr int End = 255;
}  // namespace qattr

// Query kinds (the Flag of the Type row).
namespace qkind {
inline constexpr int32_t Select = 1;
inline constexpr int32_t MakeTable = 2;
inline constexpr int32_t Append = 3;
inline constexpr int32_t Update = 4;
inline constexpr int32_t Delete = 5;
inline constexpr int32_t Crosstab = 6;
inline constexpr int32_t DataDefinition = 7;
inline constexpr int32_t PassThrough = 8;
inline constexpr int32_t Union = 9;
}  // namespace qkind

// Flags of a select-like query's Flag row (attribute 3).
namespace qflag {
inline constexpr int32_t SelectStar = 0x01;
inline constexpr int32_t Distinct = 0x02;
inline constexpr int32_t OwnerAccess = 0x04;
inline constexpr int32_t DistinctRow = 0x08;
inline constexpr int32_t Top = 0x10;
inline constexpr int32_t Percent = 0x20;
// A crosstab's column and group rows: the pivot.
inline constexpr int32_t CrosstabPivot = 0x01;
}  // namespace qflag

// One row of MSysQueries (text already UTF-8). `order` is the raw Order value,
// which orders rows of one attribute; rows are otherwise taken in file order.
struct QueryRow {
    int attribute = 0;
    std::string name1;
    std::string name2;
    std::string expression;
    int32_t flag = 0;
    std::string order;
    // LvExtra: the length of a Text parameter declared with one (0: none).
    int32_t extra = 0;
};

struct BuiltQuery {
    int32_t kind = qkind::Select;
    bool hasParameters = false;
    std::string sql;
};

// Rows in file order. A query without a Type row is read as a select query.
[[nodiscard]] BuiltQuery buildQuerySql(std::vector<QueryRow> rows);

// The name as it stands in Jet SQL: unchanged when it is a plain identifier
// (letters of any script, digits, "_", not starting with a digit) that is not
// a word of Jet SQL (SELECT, Order, …), or already in brackets; otherwise in
// brackets.
[[nodiscard]] std::string quoteName(const std::string& name);

}  // namespace jet::format
