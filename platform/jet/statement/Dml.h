#pragma once
// Jet's expressions and plain DML (UPDATE, INSERT, DELETE, SELECT) read
// against the schema model, the same for every provider: the grammar, Jet's
// operators, a table of Jet's functions with their numbers of arguments, and
// names, each resolved against the tables the statement itself names. An
// unknown function is Jet's "Undefined function", a name that names no column
// Jet's "Too few parameters" (Jet takes it for a parameter without a value),
// a table that is not a user table "cannot find the input table"; nesting and
// depth are kept within Jet's limits.
//
// What a statement becomes is the provider's: the reader writes SQL text, and
// a Dialect writes the parts that differ between providers (names, values,
// Jet's functions, the operators "&" and "Mod"). A provider that only needs
// the checks and the names may use any dialect and ignore the text.
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "jet/FieldValue.h"
#include "jet/statement/Lexer.h"
#include "jet/statement/Model.h"
#include "jet/statement/Statement.h"

namespace jet::statement {

class Dialect {
public:
    virtual ~Dialect() = default;
    // A table's, alias's or column's name.
    [[nodiscard]] virtual std::string name(std::string_view name) = 0;
    // A text value; `pattern` when it stands right after LIKE, where "*" and
    // "?" are Jet's wildcards.
    [[nodiscard]] virtual std::string text(std::string value, bool pattern) = 0;
    [[nodiscard]] virtual std::string date(DateTime value) = 0;
    // One of Jet's functions by its name in upper case ("UCASE", "NOW", …),
    // with the number of arguments it takes, the arguments written.
    [[nodiscard]] virtual std::string call(std::string_view function,
                                           const std::vector<std::string>& args) = 0;
    // Jet's "&" and "Mod" (their operands are always bracketed where Jet's
    // ranking of them differs from SQL's).
    [[nodiscard]] virtual std::string_view concatenation() const = 0;
    [[nodiscard]] virtual std::string_view modulo() const = 0;
};

// A table of the statement, under the name its references use.
struct Source {
    std::string name;  // the alias, or the table's own name
    const TableDef* table = nullptr;
};

// The tables one SELECT (or the whole statement) names, inside those of the
// statements it stands in.
struct Scope {
    std::vector<Source> sources;
    const Scope* outer = nullptr;
};

// A written expression, the depth of its tree, and its outermost operator
// when it has one ("" for a value, a call or a bracketed text).
struct Expr {
    Expr() = default;
    Expr(std::string t, size_t d = 1) : text(std::move(t)), depth(d) {}  // NOLINT: a value
    std::string text;
    size_t depth = 1;
    std::string_view op;
    // The column, when the expression is one column of the statement's tables
    // and nothing more.
    const ColumnDef* column = nullptr;
};

// A written SELECT in parts, so that INSERT can convert each item.
struct SelectParts {
    std::string head;  // "SELECT " or "SELECT DISTINCT "
    std::vector<std::string> items;
    std::vector<std::string> aliases;  // empty where an item has none
    bool star = false;                 // "*" or "table.*" among the items
    std::string tail;                  // " FROM …" to its end
};

// Reads a statement's tokens from any position. Every method that reads
// advances the token index it is given past what it read and throws Jet's
// error (Err::SyntaxError naming the statement `kind` and the position, or
// one of those named above) for what does not read.
class DmlReader {
public:
    DmlReader(std::string_view sql, const std::vector<Token>& tokens, std::string kind,
              const Model& model, Dialect& dialect);

    [[noreturn]] void error(size_t at, const std::string& what) const;

    [[nodiscard]] const Token& tok(size_t i) const;
    [[nodiscard]] bool isKw(size_t i, std::string_view kw) const;
    [[nodiscard]] bool isSym(size_t i, std::string_view s) const;
    [[nodiscard]] bool isName(size_t i) const;
    void expectKw(size_t& i, std::string_view kw) const;
    void expectSym(size_t& i, std::string_view s) const;
    // A name (checked by Jet's rules for names).
    std::string name(size_t& i, std::string_view what) const;
    // A user table by name; throws Err::TableNotFound.
    [[nodiscard]] const TableDef& table(const std::string& name) const;

    // A SELECT, up to the end of the statement or the ")" that closes it
    // (not read).
    SelectParts select(size_t& i, const Scope* outer, size_t nesting);
    [[nodiscard]] std::string text(const SelectParts& s);
    Expr expr(size_t& i, const Scope& scope, size_t nesting = 0);

    // A default value holds no query.
    void forbidQueries() { queries_ = false; }
    // Throws Err::TooFewParameters when names were left without a column.
    void checkResolved() const;

private:
    std::string tableRef(size_t& i, Scope& scope) const;
    [[nodiscard]] bool isClauseWord(size_t i) const;
    std::string fromList(size_t& i, Scope& scope, size_t nesting);
    void collectTables(size_t& i, Scope& scope, size_t nesting);
    void collectJoined(size_t& i, Scope& scope, size_t nesting);
    void collectOne(size_t& i, Scope& scope, size_t nesting);
    void skipCondition(size_t& i) const;
    [[nodiscard]] bool atJoin(size_t i) const;
    std::string skipJoinWords(size_t& i) const;
    std::string joined(size_t& i, const Scope& scope, size_t nesting);
    std::string one(size_t& i, const Scope& scope, size_t nesting);
    [[nodiscard]] size_t findFrom(size_t i) const;
    std::string exprList(size_t& i, const Scope& scope, size_t nesting);
    template <class Next, class Op>
    Expr chain(size_t& i, Next next, Op op);
    Expr binary(Expr l, std::string_view op, Expr r) const;
    Expr orExpr(size_t& i, const Scope& s, size_t n);
    Expr andExpr(size_t& i, const Scope& s, size_t n);
    Expr notExpr(size_t& i, const Scope& s, size_t n);
    Expr comparison(size_t& i, const Scope& s, size_t n);
    Expr concat(size_t& i, const Scope& s, size_t n);
    Expr additive(size_t& i, const Scope& s, size_t n);
    Expr modulo(size_t& i, const Scope& s, size_t n);
    Expr multiplicative(size_t& i, const Scope& s, size_t n);
    Expr unary(size_t& i, const Scope& s, size_t n);
    Expr primary(size_t& i, const Scope& s, size_t n);
    SelectParts subquery(size_t& i, const Scope& s, size_t n);
    Expr call(size_t& i, const Scope& s, size_t n);
    const Source* findSource(const std::string& qualifier, const Scope& s) const;
    const Source& source(size_t i, const Scope& s) const;
    Expr column(size_t& i, const Scope& s);

    std::string_view sql_;
    const std::vector<Token>& toks_;
    std::string kind_;
    const Model& model_;
    Dialect& dialect_;
    std::set<std::string> unresolved_;
    size_t likeAt_ = static_cast<size_t>(-1);
    bool queries_ = true;
};

// A column default's expression (an optional "=" first): constants and Jet's
// functions, no query, no name. `kind` names the statement in a syntax error.
[[nodiscard]] Expr readDefault(std::string_view defaultText, const std::string& kind,
                               const Model& model, Dialect& dialect);
// Throws unless a DEFAULT value reads as readDefault reads it.
void checkDefault(std::string_view defaultText, const std::string& kind, const Model& model);

// The table a row-changing statement names, when it names one (nothing is
// checked: the name as written).
[[nodiscard]] std::optional<std::string> dmlTable(const Parsed& p, const Dml& d);

// UPDATE [table] SET [column] = value, … [WHERE condition], read whole.
struct Assignment {
    const ColumnDef* column = nullptr;
    Expr value;  // value.column: the column copied, when the value is one
};
struct UpdateParts {
    const TableDef* table = nullptr;
    std::vector<Assignment> sets;
    std::optional<Expr> where;
};
[[nodiscard]] UpdateParts readUpdate(const Parsed& p, const Dml& d, const Model& model,
                                     Dialect& dialect);

}  // namespace jet::statement
