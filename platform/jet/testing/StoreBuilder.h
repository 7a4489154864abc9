#pragma once
// Builders of small store databases and workgroups from Jet SQL text, for
// tests. Every failure is a jet::Error; a failed statement's error names the
// statement (1-based number and text).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jet::testing {

// A connection string for a store file; empty arguments are left out.
[[nodiscard]] std::string storeConnectionString(const std::string& path,
                                                const std::string& workgroup = "",
                                                const std::string& user = "",
                                                const std::string& password = "",
                                                const std::string& databasePassword = "");

// Splits Jet SQL text at top-level ";" (outside brackets and quotes). A query
// body's leading "PARAMETERS …;" stays with its statement. Blank pieces are
// dropped; each piece keeps its text as written, without the ";".
[[nodiscard]] std::vector<std::string> splitStatements(std::string_view jetSql);

// Makes a new store database at `path` (it must not exist) and runs the
// statements of `jetSql` on it. With a workgroup, the file is made first when
// it does not exist, and the statements run as its "admin" (empty password).
// On failure the partly built file stays for inspection.
void buildStore(const std::string& path, std::string_view jetSql = {},
                const std::string& workgroup = "", const std::string& databasePassword = "");

// Makes a new store workgroup at `path` and runs account statements (CREATE
// USER, CREATE GROUP, ADD USER … TO …, …) on it.
void buildWorkgroup(const std::string& path, std::string_view jetSql = {});

// The rows a raw SQLite query gives on a store file, each value as text
// (nullopt for NULL), for tests that look at stored rows directly.
using Row = std::vector<std::optional<std::string>>;
[[nodiscard]] std::vector<Row> storeRows(const std::string& path, const std::string& sqliteQuery);

}  // namespace jet::testing
