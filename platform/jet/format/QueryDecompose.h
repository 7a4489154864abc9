#pragma once
// A saved query's SQL text split into the MSysQueries rows Access stores for
// it: the other direction of buildQuerySql, which reads these rows back into
// the same text. Clause-level only: expressions (columns, conditions, join
// conditions, subqueries) are kept as the text they are, never parsed.
//
// Rows come as Access lays them out: the start and end rows first, then the
// rest by attribute, each attribute's rows in the order of the text. Access
// numbers the rows of each attribute in their Order field (four bytes, from
// 1; mdb-export does not print it); the rows here carry no Order, and whoever
// stores them numbers them in the order given, the order the builder reads.
//
// The kinds Access decides from the text:
// - SELECT (select; make-table when it has INTO), TRANSFORM … PIVOT (crosstab),
//   SELECT … UNION … (union), INSERT INTO (append), UPDATE, DELETE;
// - data-definition statements (CREATE, ALTER, DROP, GRANT, REVOKE, ADD USER):
//   kept whole as their text, in the type row.
// A pass-through query is text for another server and cannot be told from its
// text (it may read like Jet SQL): decomposeQuery never makes one and refuses a
// text it cannot read as Jet SQL; passThroughQuery makes one when the caller
// knows its connect string. Access keeps that string in the type row's Name1
// and leaves MSysObjects.Connect empty.
//
// Access stores a data-definition or pass-through statement with one NUL
// character after it; the rows here carry the text alone, and whoever encodes
// the memo adds the terminator.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "jet/format/QuerySql.h"

namespace jet::format {

// A text that cannot be split into rows. `clause()` names the part of the
// statement that failed ("FROM", "PARAMETERS", "statement", …). Nothing is
// returned with it: a refusal is whole.
class QueryDecomposeError : public std::runtime_error {
public:
    QueryDecomposeError(std::string clause, const std::string& reason);
    [[nodiscard]] const std::string& clause() const noexcept { return clause_; }

private:
    std::string clause_;
};

struct DecomposedQuery {
    int32_t kind = qkind::Select;  // the type row's Flag
    int32_t objectFlags = 0;       // MSysObjects.Flags of the query's row
    bool hasParameters = false;
    std::vector<QueryRow> rows;
};

// MSysObjects.Flags of a new query of `kind` (0 select, 16 crosstab, 32 delete,
// 48 update, 64 append, 80 make-table, 96 data definition, 112 pass-through,
// 128 union). Access sets further low bits on some queries (hidden, system);
// a new query has none of them.
[[nodiscard]] int32_t objectFlagsOf(int32_t kind);

// The rows of a query text as a script carries it (the body of CREATE
// PROCEDURE … AS), with or without its closing ";". Texts longer than Jet's
// limit of 64,000 characters are refused; the work is linear in the text.
// Throws QueryDecomposeError.
[[nodiscard]] DecomposedQuery decomposeQuery(std::string_view sql);

// The rows of a pass-through query: `sql` is sent as it stands to the server
// that `connect` ("ODBC;…") names. Throws QueryDecomposeError when the connect
// string is not an ODBC one or the text is empty.
[[nodiscard]] DecomposedQuery passThroughQuery(std::string_view sql, std::string_view connect);

}  // namespace jet::format
