#pragma once
// Saved queries in a Jet 4 file: a query text split into the MSysQueries rows
// Access stores for it, those rows as the table's values with every field as
// Access writes it, and the rows of the file read back into the text the
// reader shows.
//
// As measured on Access-made files: the rows of each attribute carry their
// position among that attribute's rows (from 1) in Order, four bytes, most
// significant first; Flag is null in the end, table, where, having and order
// rows (and, unmeasured, in the remote database row, which is a name like the
// table rows); a name or expression Access has none for is null, never empty;
// LvExtra is null unless a Text parameter carries a length; the statement of
// a data-definition or pass-through query ends with one NUL character.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "jet/file/FileCatalog.h"
#include "jet/format/QueryDecompose.h"
#include "jet/writer/FileState.h"

namespace jet::file {

// The rows of a query text, for a new query named `name` (one named "~sq_…",
// which Access keeps for a form or a report, without the type and Flag rows
// Access leaves out of those). Throws
// Err::QueryNotStorable, naming the clause, for a text the rows cannot hold:
// one the decomposer cannot split, or a name longer than `nameRoom`, the
// characters MSysQueries' name fields hold.
[[nodiscard]] format::DecomposedQuery storableQuery(std::string_view name, std::string_view text,
                                                 size_t nameRoom);

// The rows of a pass-through query: `text` sent as it stands to the server
// `connect` names. Throws Err::QueryNotStorable as storableQuery does.
[[nodiscard]] format::DecomposedQuery storablePassThrough(std::string_view name,
                                                          std::string_view text,
                                                          std::string_view connect);

// Why the file's MSysQueries cannot take the rows storedQueryRows gives
// (absent, or a column missing or of another type); empty when it can. On
// success, `nameRoom` is what its name fields hold.
[[nodiscard]] std::string queryTableProblem(const StoredTable& queries, size_t& nameRoom);

// The text the reader builds from `rows`, outer white space trimmed: what the
// catalog shows for the query once it is in the file.
[[nodiscard]] std::string readBackText(const std::vector<format::QueryRow>& rows);

// The MSysQueries rows of query `objectId` as Access writes them, in the order
// of `query.rows`.
[[nodiscard]] std::vector<RowValues> storedQueryRows(const StoredTable& queries, int32_t objectId,
                                                     const format::DecomposedQuery& query);

// The rows of query `objectId` as the file holds them, in file order, as the
// builder reads them (the statement's closing NUL left out, as the reader
// leaves it).
[[nodiscard]] std::vector<format::QueryRow> queryRowsOf(const StoredTable& queries,
                                                        int32_t objectId);

// The same for every query of the file at once, by object id.
[[nodiscard]] std::map<int32_t, std::vector<format::QueryRow>> queryRowsByObject(
    const StoredTable& queries);

// The Order value of the n-th row (from 1) of an attribute.
[[nodiscard]] std::string queryRowOrder(uint32_t n);

}  // namespace jet::file
