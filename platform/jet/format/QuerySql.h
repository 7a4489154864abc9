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
