#pragma once
// Jet's rules on the names of tables, columns, indexes, relationships,
// queries, users and groups, and on the length of a statement.
//
// Any name a statement holds must be valid UTF-8 without control characters
// and at most 64 characters long (UTF-16 units). A name a statement gives
// a new object (a table, column, index, constraint or relationship, view or
// procedure) must also hold no period (.), exclamation point (!), accent
// grave (`) or bracket ([ ]) and not begin with a blank, as in Jet: a name
// with a period would also stand for another table's column where
// permissions name a column "table.column". Names that refer to existing
// objects keep only the first rule, so that a file made before this rule
// with such a name can still be read, changed and dropped. Users and groups
// follow rules of their own.
#include <string>
#include <string_view>

namespace jet::statement {

[[nodiscard]] bool isValidUtf8(std::string_view text);
// The length as Jet counts it: UTF-16 code units. The text must be valid UTF-8.
[[nodiscard]] size_t jetLength(std::string_view utf8);
// The text for an error message: bytes that are not UTF-8 and control
// characters are written as \xHH.
[[nodiscard]] std::string printable(std::string_view text);
// Throws Err::InvalidName unless `name` is valid UTF-8 without control
// characters and no longer than Jet allows.
void checkName(std::string_view name);
// Throws Err::InvalidName unless `name` passes checkName and is one Jet lets
// a new table, column, index, constraint, view or procedure take.
void checkNewName(std::string_view name);
// Throws Err::InvalidName when `name` is not valid UTF-8: such a name can
// name nothing, and its case-folded form would stand for other names too.
void checkNameText(std::string_view name);
// Throws Err::StatementTooLong when the statement is longer than Jet allows.
void checkStatementLength(std::string_view sql);

}  // namespace jet::statement
