#pragma once
// The parsed form of one Jet SQL statement, the same for every provider.
// parseStatement checks the syntax only; names are resolved when it runs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "jet/CatalogData.h"
#include "jet/statement/Lexer.h"

namespace jet::statement {

struct TypeSpec {
    int32_t type = 0;  // ADO code
    int32_t size = 0;  // TEXT(n), CHAR(n), BINARY(n), VARBINARY(n)
    uint8_t precision = 0;
    uint8_t scale = 0;
    bool counter = false;
    int32_t seed = 1;
    int32_t increment = 1;
    std::string text;  // as written, for messages
};

struct ConstraintSpec {
    enum class Kind { Primary, Unique, Foreign, NotNull };
    Kind kind = Kind::Primary;
    std::string name;                  // empty: the executor makes one
    std::vector<std::string> columns;  // empty in a column's own clause: that column
    std::string relatedTable;
    std::vector<std::string> relatedColumns;  // empty: the related table's primary key
    int32_t updateRule = rule::None;
    int32_t deleteRule = rule::None;
};

struct ColumnSpec {
    std::string name;
    TypeSpec type;
    bool notNull = false;
    bool compressed = false;
    std::optional<std::string> defaultValue;
    std::vector<ConstraintSpec> constraints;  // the column's own CONSTRAINT clauses
};

struct CreateTable {
    std::string name;
    std::vector<ColumnSpec> columns;
    std::vector<ConstraintSpec> constraints;
};
struct AddColumn {
    std::string table;
    ColumnSpec column;
};
struct AlterColumn {
    std::string table;
    ColumnSpec column;
};
struct DropColumn {
    std::string table;
    std::string column;
};
struct AddConstraint {
    std::string table;
    ConstraintSpec constraint;
};
struct DropConstraint {
    std::string table;
    std::string name;
};
struct DropTable {
    std::string name;
};
struct CreateIndex {
    std::string name;
    std::string table;
    bool unique = false;
    bool primary = false;
    int32_t nulls = indexnulls::Allow;
    std::vector<IndexColumnData> columns;
};
struct DropIndex {
    std::string name;
    std::string table;
};
struct CreateQuery {
    std::string name;
    std::string body;  // outer white space removed
};
struct DropQuery {
    std::string name;
    bool view = false;  // DROP VIEW (else DROP PROCEDURE)
};
struct Account {
    std::string name;
    std::string password;
    std::string pid;
};
struct CreateUsers {
    std::vector<Account> users;
};
struct CreateGroups {
    std::vector<Account> groups;
};
struct DropUsers {
    std::vector<std::string> names;
};
struct DropGroups {
    std::vector<std::string> names;
};
struct AddMembers {
    std::vector<std::string> users;
    std::string group;
};
struct RemoveMembers {
    std::vector<std::string> users;
    std::string group;
};
struct AlterUserPassword {
    std::string user;
    std::string newPassword;
    std::string oldPassword;
};
struct AlterDatabasePassword {
    std::optional<std::string> newPassword;  // nullopt: NULL (no password)
    std::optional<std::string> oldPassword;
};
struct GrantRevoke {
    bool grant = true;
    int32_t rights = 0;
    // 0: TABLE name; 1: OBJECT name (any kind); 2: CONTAINER / DATABASE.
    int target = 0;
    std::string object;
    std::vector<std::string> principals;
};
// Plain DML, translated when it runs; tokens are those of the whole text.
struct Dml {
    enum class Kind { Update, Insert, Delete, Select } kind = Kind::Update;
    size_t first = 0;  // index of the statement's first token
    size_t last = 0;   // one past its last token (a trailing ";" excluded)
};

using Statement =
    std::variant<CreateTable, AddColumn, AlterColumn, DropColumn, AddConstraint, DropConstraint,
                 DropTable, CreateIndex, DropIndex, CreateQuery, DropQuery, CreateUsers,
                 CreateGroups, DropUsers, DropGroups, AddMembers, RemoveMembers,
                 AlterUserPassword, AlterDatabasePassword, GrantRevoke, Dml>;

struct Parsed {
    std::string_view sql;
    std::vector<Token> tokens;
    Statement statement;
    std::string kind;  // "CREATE TABLE", … for messages
};

// Parses one statement. Throws Err::NoCommandText for blank text,
// Err::InvalidStatement for an unknown statement and Err::SyntaxError (naming
// the statement and the 1-based position) for malformed text.
[[nodiscard]] Parsed parseStatement(std::string_view sql);

// True for statements that change users, groups or passwords in the workgroup.
[[nodiscard]] bool isAccountStatement(const Statement& s);

}  // namespace jet::statement
