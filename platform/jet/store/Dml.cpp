// Plain Jet DML (UPDATE, INSERT, DELETE, SELECT) translated to SQLite. The
// translation knows Jet's expressions, not SQLite's: literals (strings and
// #dates# bound, never spliced), Jet's operators, a table of Jet's functions
// (each written as its SQLite counterpart), and names, each resolved against
// the tables the statement itself names. Nothing else reaches SQLite: an
// unknown function is Jet's "Undefined function", a name that names no
// column Jet's "Too few parameters" (Jet takes it for a parameter without a
// value), a table that is not a user table "cannot find the input table".
// Values written to a column are converted to its stored form by
// jet_convert, which refuses what does not fit.
#include <algorithm>
#include <cctype>
#include <set>

#include "jet/Error.h"
#include "jet/statement/Convert.h"
#include "jet/store/StoredValue.h"
#include "jet/statement/Names.h"
#include "jet/store/StoreDatabase.h"
#include "text/CaseFold.h"

namespace jet::store {

namespace {

// What a function of Jet is in SQLite: `sqlite` with the arguments in order,
// for `minArgs` to `maxArgs` arguments. Empty `sqlite`: written apart.
struct FunctionRow {
    std::string_view jet;
    std::string_view sqlite;
    size_t minArgs;
    size_t maxArgs;
};
constexpr FunctionRow kFunctions[] = {
    {"UCASE", "upper", 1, 1}, {"LCASE", "lower", 1, 1}, {"LEN", "length", 1, 1},
    {"MID", "substr", 2, 3},  {"LEFT", "", 2, 2},       {"RIGHT", "", 2, 2},
    {"TRIM", "trim", 1, 1},   {"LTRIM", "ltrim", 1, 1}, {"RTRIM", "rtrim", 1, 1},
    {"INSTR", "", 2, 2},      {"NZ", "ifnull", 2, 2},   {"IIF", "iif", 3, 3},
    {"ASC", "unicode", 1, 1}, {"CHR", "char", 1, 1},    {"INT", "", 1, 1},
    {"ABS", "abs", 1, 1},     {"ROUND", "round", 1, 2}, {"NOW", "", 0, 0},
    {"DATE", "", 0, 0},       {"COUNT", "count", 1, 1}, {"SUM", "sum", 1, 1},
    {"AVG", "avg", 1, 1},     {"MIN", "min", 1, 1},     {"MAX", "max", 1, 1},
};

// Jet's constants: Yes/No and On/Off are True and False.
struct ConstantRow {
    std::string_view word;
    std::string_view value;
};
constexpr ConstantRow kConstants[] = {
    {"TRUE", "-1"}, {"YES", "-1"}, {"ON", "-1"}, {"FALSE", "0"}, {"NO", "0"}, {"OFF", "0"},
};

// Words that end a table reference or an expression: never an alias.
constexpr std::string_view kClauseWords[] = {
    "WHERE", "GROUP", "ORDER",  "HAVING", "INNER", "LEFT", "RIGHT", "JOIN", "ON",
    "SET",   "FROM",  "VALUES", "SELECT", "UNION", "AND",  "OR",    "NOT",  "AS",
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

// A translated expression, the depth of its tree, and its outermost
// operator when it has one ("" for a value, a call or a bracketed text).
struct Expr {
    Expr() = default;
    Expr(std::string t, size_t d = 1) : text(std::move(t)), depth(d) {}  // NOLINT: a value
    std::string text;
    size_t depth = 1;
    std::string_view op;
};

// A translated SELECT in parts, so that INSERT can convert each item.
struct SelectParts {
    std::string head;  // "SELECT " or "SELECT DISTINCT "
    std::vector<std::string> items;
    std::vector<std::string> aliases;  // empty where an item has none
    bool star = false;                 // "*" or "table.*" among the items
    std::string tail;                  // " FROM …" to its end
};

std::string likePattern(const std::string& v) {
    std::string out;
    for (char c : v) {
        if (c == '*')
            out.push_back('%');
        else if (c == '?')
            out.push_back('_');
        else
            out.push_back(c);
    }
    return out;
}

std::string converted(const std::string& e, const ColumnDef& c) {
    return "jet_convert((" + e + "), " + std::to_string(c.type) + ", " + std::to_string(c.size) +
           ", " + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ", 1, '', '')";
}

class Translator {
public:
    Translator(std::string_view sql, const std::vector<Token>& tokens, std::string kind,
               const Model& model, std::vector<sql::Value>& params)
        : sql_(sql), toks_(tokens), kind_(std::move(kind)), model_(model), params_(params) {}

    [[noreturn]] void error(size_t at, const std::string& what) const {
        const Token& t = toks_[std::min(at, toks_.size() - 1)];
        std::string text = what;
        if (t.kind == TokKind::End)
            text += " at the end of the statement";
        else
            text += ", found '" + printable(raw(sql_, t)) + "'";
        raise(Err::SyntaxError, {kind_, std::to_string(position(sql_, t.begin)), text});
    }

    // --- tokens ------------------------------------------------------------------

    [[nodiscard]] const Token& tok(size_t i) const { return toks_[std::min(i, toks_.size() - 1)]; }
    [[nodiscard]] bool isKw(size_t i, std::string_view kw) const {
        const Token& t = tok(i);
        return t.kind == TokKind::Word && text::equalNoCase(raw(sql_, t), kw);
    }
    [[nodiscard]] bool isSym(size_t i, std::string_view s) const {
        const Token& t = tok(i);
        return t.kind == TokKind::Symbol && raw(sql_, t) == s;
    }
    [[nodiscard]] bool isName(size_t i) const {
        const auto k = tok(i).kind;
        return k == TokKind::Word || k == TokKind::Name;
    }
    void expectKw(size_t& i, std::string_view kw) const {
        if (!isKw(i, kw)) error(i, "expected '" + std::string(kw) + "'");
        ++i;
    }
    void expectSym(size_t& i, std::string_view s) const {
        if (!isSym(i, s)) error(i, "expected '" + std::string(s) + "'");
        ++i;
    }
    // A name at token i; advances i.
    std::string name(size_t& i, std::string_view what) const {
        if (!isName(i)) error(i, "expected " + std::string(what));
        std::string n = value(sql_, toks_[i++]);
        checkName(n);
        return n;
    }

    // --- tables ------------------------------------------------------------------

    [[nodiscard]] const TableDef& table(const std::string& name) const {
        // Only user tables: the store's own tables are not the statement's.
        const TableDef* t = const_cast<Model&>(model_).table(name);
        if (!t) raise(Err::TableNotFound, {name});
        return *t;
    }

    // [table] [[AS] alias] at token i into the scope; the SQLite text.
    std::string tableRef(size_t& i, Scope& scope) const {
        const TableDef& t = table(name(i, "a table name"));
        Source s{t.name, &t};
        if (isKw(i, "AS")) {
            ++i;
            s.name = name(i, "an alias");
        } else if (isName(i) && !isClauseWord(i)) {
            s.name = name(i, "an alias");
        }
        std::string out = sql::ident(t.name);
        if (s.name != t.name) out += " AS " + sql::ident(s.name);
        scope.sources.push_back(std::move(s));
        return out;
    }

    [[nodiscard]] bool isClauseWord(size_t i) const {
        for (auto w : kClauseWords)
            if (isKw(i, w)) return true;
        return false;
    }

    // The FROM list: tables, joins (nested in parentheses as Jet writes them)
    // and their ON conditions. The tables go into `scope` first, so that ON
    // conditions may name any of them.
    std::string fromList(size_t& i, Scope& scope, size_t nesting) {
        const size_t start = i;
        collectTables(i, scope, nesting);
        size_t k = start;
        std::string out = joined(k, scope, nesting);
        while (isSym(k, ",")) {
            ++k;
            out += ", " + joined(k, scope, nesting);
        }
        if (k != i) error(k, "unexpected text in the FROM clause");
        return out;
    }

    // First pass over a FROM list: the tables only, up to its end.
    void collectTables(size_t& i, Scope& scope, size_t nesting) {
        do {
            collectJoined(i, scope, nesting);
        } while (isSym(i, ",") && (++i, true));
    }
    void collectJoined(size_t& i, Scope& scope, size_t nesting) {
        collectOne(i, scope, nesting);
        while (atJoin(i)) {
            skipJoinWords(i);
            collectOne(i, scope, nesting);
            expectKw(i, "ON");
            skipCondition(i);
        }
    }
    void collectOne(size_t& i, Scope& scope, size_t nesting) {
        if (isSym(i, "(")) {
            enter(nesting + 1);
            ++i;
            collectJoined(i, scope, nesting + 1);
            expectSym(i, ")");
            return;
        }
        (void)tableRef(i, scope);
    }
    // An ON condition: up to the next JOIN, ",", ")" or clause at its level.
    void skipCondition(size_t& i) const {
        int depth = 0;
        for (; tok(i).kind != TokKind::End; ++i) {
            if (isSym(i, "("))
                ++depth;
            else if (isSym(i, ")") && depth-- == 0)
                return;
            else if (depth == 0 && (isSym(i, ",") || atJoin(i) || isKw(i, "WHERE") ||
                                    isKw(i, "GROUP") || isKw(i, "ORDER") || isKw(i, "HAVING")))
                return;
        }
    }
    [[nodiscard]] bool atJoin(size_t i) const {
        return isKw(i, "JOIN") || ((isKw(i, "INNER") || isKw(i, "LEFT") || isKw(i, "RIGHT")) &&
                                   (isKw(i + 1, "JOIN") || isKw(i + 1, "OUTER")));
    }
    std::string skipJoinWords(size_t& i) const {
        std::string out;
        if (isKw(i, "INNER"))
            out = "INNER ";
        else if (isKw(i, "LEFT"))
            out = "LEFT ";
        else if (isKw(i, "RIGHT"))
            out = "RIGHT ";
        if (!out.empty()) ++i;
        if (!out.empty() && isKw(i, "OUTER")) ++i;
        expectKw(i, "JOIN");
        return out + "JOIN ";
    }

    // Second pass: the text, with the scope complete.
    std::string joined(size_t& i, const Scope& scope, size_t nesting) {
        std::string out = one(i, scope, nesting);
        while (atJoin(i)) {
            out += " " + skipJoinWords(i);
            out += one(i, scope, nesting);
            expectKw(i, "ON");
            out += " ON " + expr(i, scope, nesting).text;
        }
        return out;
    }
    std::string one(size_t& i, const Scope& scope, size_t nesting) {
        if (isSym(i, "(")) {
            ++i;
            std::string out = "(" + joined(i, scope, nesting + 1) + ")";
            expectSym(i, ")");
            return out;
        }
        Scope ignored;
        return tableRef(i, ignored);
    }

    // --- SELECT --------------------------------------------------------------------

    // SELECT at token i, up to the end of the statement or the ")" that closes
    // it (not consumed).
    SelectParts select(size_t& i, const Scope* outer, size_t nesting) {
        enter(nesting);
        expectKw(i, "SELECT");
        SelectParts s;
        s.head = "SELECT ";
        if (isKw(i, "DISTINCT")) {
            s.head += "DISTINCT ";
            ++i;
        } else if (isKw(i, "ALL")) {
            ++i;
        }
        // The FROM clause comes first: the items name its tables.
        Scope scope;
        scope.outer = outer;
        const size_t from = findFrom(i);
        size_t after = from;
        std::string fromText;
        if (isKw(from, "FROM")) {
            ++after;
            fromText = fromList(after, scope, nesting);
        }
        do {
            if (isSym(i, "*")) {
                ++i;
                s.star = true;
                s.items.emplace_back("*");
                s.aliases.emplace_back();
                continue;
            }
            if (isName(i) && (isSym(i + 1, ".") || isSym(i + 1, "!")) && isSym(i + 2, "*")) {
                const Source& src = source(i, scope);
                i += 3;
                s.star = true;
                s.items.push_back(sql::ident(src.name) + ".*");
                s.aliases.emplace_back();
                continue;
            }
            s.items.push_back(expr(i, scope, nesting).text);
            std::string alias;
            if (isKw(i, "AS")) {
                ++i;
                alias = name(i, "an alias");
            }
            s.aliases.push_back(std::move(alias));
        } while (isSym(i, ",") && (++i, true));
        if (i != from) error(i, "expected FROM");
        if (!isKw(from, "FROM")) return s;
        i = after;
        s.tail = " FROM " + fromText;
        if (isKw(i, "WHERE")) {
            ++i;
            s.tail += " WHERE " + expr(i, scope, nesting).text;
        }
        if (isKw(i, "GROUP")) {
            ++i;
            expectKw(i, "BY");
            s.tail += " GROUP BY " + exprList(i, scope, nesting);
        }
        if (isKw(i, "HAVING")) {
            ++i;
            s.tail += " HAVING " + expr(i, scope, nesting).text;
        }
        if (isKw(i, "ORDER")) {
            ++i;
            expectKw(i, "BY");
            std::string order;
            do {
                order += (order.empty() ? "" : ", ") + expr(i, scope, nesting).text;
                if (isKw(i, "ASC") || isKw(i, "DESC")) order += " " + upper(raw(sql_, toks_[i++]));
            } while (isSym(i, ",") && (++i, true));
            s.tail += " ORDER BY " + order;
        }
        return s;
    }

    static std::string text(const SelectParts& s) {
        std::string out = s.head;
        for (size_t k = 0; k < s.items.size(); ++k) {
            if (k) out += ", ";
            out += s.items[k];
            if (!s.aliases[k].empty()) out += " AS " + sql::ident(s.aliases[k]);
        }
        return out + s.tail;
    }

    // The FROM of the SELECT whose items start at token i: the first at this
    // level, or where the SELECT ends.
    [[nodiscard]] size_t findFrom(size_t i) const {
        int depth = 0;
        for (; tok(i).kind != TokKind::End; ++i) {
            if (isSym(i, "("))
                ++depth;
            else if (isSym(i, ")") && depth-- == 0)
                break;
            else if (depth == 0 && isKw(i, "FROM"))
                break;
        }
        return i;
    }

    // --- expressions ---------------------------------------------------------------

    Expr expr(size_t& i, const Scope& scope, size_t nesting = 0) {
        return orExpr(i, scope, nesting);
    }

    std::string exprList(size_t& i, const Scope& scope, size_t nesting) {
        std::string out = expr(i, scope, nesting).text;
        while (isSym(i, ",")) {
            ++i;
            out += ", " + expr(i, scope, nesting).text;
        }
        return out;
    }

    // Left-associative chains of one level, each operand parsed by `next`.
    template <class Next, class Op>
    Expr chain(size_t& i, Next next, Op op) {
        Expr l = next(i);
        while (true) {
            const std::string_view o = op(i);
            if (o.empty()) return l;
            Expr r = next(i);
            l = binary(std::move(l), o, std::move(r));
        }
    }
    Expr binary(Expr l, std::string_view op, Expr r) const {
        // SQLite ranks two operators apart from Jet: "||" (Jet's "&") binds
        // tightest there and loosest in Jet; "%" (Jet's Mod) binds as "*"
        // and "/" there and below them in Jet. Their operands are bracketed;
        // a chain of one of them stays flat, as every other chain does (SQLite
        // takes no more than some 80 brackets inside each other).
        if (op == "||" || op == "%") {
            if (!l.op.empty() && l.op != op) l = bracket(std::move(l));
            if (!r.op.empty()) r = bracket(std::move(r));
        }
        Expr e;
        e.depth = std::max(l.depth, r.depth) + 1;
        if (e.depth > limit::ExpressionDepth) raise(Err::QueryTooComplex);
        e.text = std::move(l.text) + " " + std::string(op) + " " + r.text;
        e.op = op;
        return e;
    }
    static Expr bracket(Expr e) {
        e.text = "(" + e.text + ")";
        e.op = {};
        return e;
    }

    Expr orExpr(size_t& i, const Scope& s, size_t n) {
        return chain(
            i, [&](size_t& k) { return andExpr(k, s, n); },
            [&](size_t& k) -> std::string_view { return isKw(k, "OR") ? (++k, "OR") : ""; });
    }
    Expr andExpr(size_t& i, const Scope& s, size_t n) {
        return chain(
            i, [&](size_t& k) { return notExpr(k, s, n); },
            [&](size_t& k) -> std::string_view { return isKw(k, "AND") ? (++k, "AND") : ""; });
    }
    Expr notExpr(size_t& i, const Scope& s, size_t n) {
        if (!isKw(i, "NOT")) return comparison(i, s, n);
        enter(n + 1);
        ++i;
        Expr e = notExpr(i, s, n + 1);
        return wrap("NOT ", std::move(e), "", "NOT");
    }
    Expr comparison(size_t& i, const Scope& s, size_t n) {
        Expr l = concat(i, s, n);
        for (std::string_view op : {"=", "<>", "<=", ">=", "<", ">"})
            if (isSym(i, op)) {
                ++i;
                return binary(std::move(l), op, concat(i, s, n));
            }
        if (isKw(i, "IS")) {
            ++i;
            const bool no = isKw(i, "NOT");
            if (no) ++i;
            expectKw(i, "NULL");
            return wrap("", std::move(l), no ? " IS NOT NULL" : " IS NULL", "IS");
        }
        const bool no =
            isKw(i, "NOT") && (isKw(i + 1, "LIKE") || isKw(i + 1, "BETWEEN") || isKw(i + 1, "IN"));
        if (no) ++i;
        const std::string notWord = no ? "NOT " : "";
        if (isKw(i, "LIKE")) {
            ++i;
            likeAt_ = i;  // a text right after LIKE is a pattern
            Expr r = concat(i, s, n);
            Expr e = wrap("", std::move(l), " " + notWord + "LIKE " + r.text, "LIKE");
            e.depth = std::max(e.depth, r.depth + 1);
            return e;
        }
        if (isKw(i, "BETWEEN")) {
            ++i;
            Expr lo = concat(i, s, n);
            expectKw(i, "AND");
            Expr hi = concat(i, s, n);
            Expr e = wrap("", std::move(l),
                          " " + notWord + "BETWEEN " + lo.text + " AND " + hi.text, "BETWEEN");
            e.depth = std::max({e.depth, lo.depth + 1, hi.depth + 1});
            return e;
        }
        if (isKw(i, "IN")) {
            ++i;
            enter(n + 1);
            expectSym(i, "(");
            std::string list;
            if (isKw(i, "SELECT"))
                list = text(subquery(i, s, n + 1));
            else
                list = exprList(i, s, n + 1);
            expectSym(i, ")");
            return wrap("", std::move(l), " " + notWord + "IN (" + list + ")", "IN");
        }
        if (no) error(i, "expected LIKE, BETWEEN or IN");
        return l;
    }
    Expr concat(size_t& i, const Scope& s, size_t n) {
        return chain(
            i, [&](size_t& k) { return additive(k, s, n); },
            [&](size_t& k) -> std::string_view { return isSym(k, "&") ? (++k, "||") : ""; });
    }
    Expr additive(size_t& i, const Scope& s, size_t n) {
        return chain(
            i, [&](size_t& k) { return modulo(k, s, n); },
            [&](size_t& k) -> std::string_view {
                if (isSym(k, "+")) return ++k, "+";
                if (isSym(k, "-")) return ++k, "-";
                return "";
            });
    }
    Expr modulo(size_t& i, const Scope& s, size_t n) {
        return chain(
            i, [&](size_t& k) { return multiplicative(k, s, n); },
            [&](size_t& k) -> std::string_view { return isKw(k, "MOD") ? (++k, "%") : ""; });
    }
    Expr multiplicative(size_t& i, const Scope& s, size_t n) {
        return chain(
            i, [&](size_t& k) { return unary(k, s, n); },
            [&](size_t& k) -> std::string_view {
                if (isSym(k, "*")) return ++k, "*";
                if (isSym(k, "/")) return ++k, "/";
                return "";
            });
    }
    Expr unary(size_t& i, const Scope& s, size_t n) {
        if (isSym(i, "-") || isSym(i, "+")) {
            // Apart from its operand: "--" would start a comment in SQLite.
            const std::string sign = std::string(raw(sql_, toks_[i])) + " ";
            enter(n + 1);
            ++i;
            return wrap(sign, unary(i, s, n + 1), "", "SIGN");
        }
        return primary(i, s, n);
    }

    // An operator around one operand (the NOT, IS NULL, LIKE, … of `op`).
    static Expr wrap(const std::string& before, Expr e, const std::string& after,
                     std::string_view op) {
        e.depth += 1;
        if (e.depth > limit::ExpressionDepth) raise(Err::QueryTooComplex);
        e.text = before + e.text + after;
        e.op = op;
        return e;
    }

    Expr primary(size_t& i, const Scope& s, size_t n) {
        const Token& t = tok(i);
        switch (t.kind) {
            case TokKind::Number:
                ++i;
                return {std::string(raw(sql_, t))};
            case TokKind::String: {
                std::string v = value(sql_, t);
                if (i == likeAt_) v = likePattern(v);
                ++i;
                return {bind(sql::Value::text(std::move(v)))};
            }
            case TokKind::Date: {
                const auto d = parseDate(inner(sql_, t));
                const auto stored = d ? dateText(*d) : std::nullopt;
                if (!stored) error(i, "not a date");
                ++i;
                return {bind(sql::Value::text(*stored))};
            }
            case TokKind::Symbol:
                if (isSym(i, "(")) {
                    enter(n + 1);
                    ++i;
                    Expr e;
                    if (isKw(i, "SELECT"))
                        e.text = text(subquery(i, s, n + 1));
                    else
                        e = expr(i, s, n + 1);
                    expectSym(i, ")");
                    e.depth += 1;
                    return bracket(std::move(e));
                }
                if (isSym(i, ";")) error(i, "unexpected ';' inside the statement");
                error(i, "expected a value");
            case TokKind::Word:
            case TokKind::Name:
                break;
            default:
                error(i, "expected a value");
        }
        if (t.kind == TokKind::Word) {
            if (isKw(i, "NULL")) return ++i, Expr{"NULL"};
            if (isKw(i, "EXISTS")) {
                ++i;
                enter(n + 1);
                expectSym(i, "(");
                std::string q = text(subquery(i, s, n + 1));
                expectSym(i, ")");
                return {"(EXISTS (" + q + "))", 2};
            }
            if (isSym(i + 1, "(")) return call(i, s, n);
            for (const auto& c : kConstants)
                if (isKw(i, c.word)) return ++i, Expr{std::string(c.value)};
            if (isClauseWord(i)) error(i, "expected a value");
        }
        return {column(i, s)};
    }

    // A SELECT inside an expression, which a DEFAULT value may not hold.
    SelectParts subquery(size_t& i, const Scope& s, size_t n) {
        if (!queries_) error(i, "a default value cannot hold a query");
        return select(i, &s, n);
    }
    void forbidQueries() { queries_ = false; }

    // A function of Jet's table, at token i.
    Expr call(size_t& i, const Scope& s, size_t n) {
        const std::string fname(raw(sql_, toks_[i]));
        const FunctionRow* f = nullptr;
        for (const auto& row : kFunctions)
            if (text::equalNoCase(row.jet, fname)) f = &row;
        if (!f) raise(Err::UndefinedFunction, {printable(fname)});
        const size_t at = i;
        ++i;
        enter(n + 1);
        expectSym(i, "(");
        std::vector<std::string> args;
        size_t depth = 1;
        if (text::equalNoCase(f->jet, "COUNT") && isSym(i, "*") && isSym(i + 1, ")")) {
            ++i;
            args.emplace_back("*");
        } else if (!isSym(i, ")")) {
            do {
                Expr a = expr(i, s, n + 1);
                depth = std::max(depth, a.depth + 1);
                args.push_back(std::move(a.text));
            } while (isSym(i, ",") && (++i, true));
        }
        expectSym(i, ")");
        if (args.size() < f->minArgs || args.size() > f->maxArgs)
            error(at, "wrong number of arguments for " + fname);
        if (depth > limit::ExpressionDepth) raise(Err::QueryTooComplex);
        std::string out;
        if (f->jet == "NOW") {
            out = "datetime('now', 'localtime')";
        } else if (f->jet == "DATE") {
            out = "(date('now', 'localtime') || ' 00:00:00')";
        } else if (f->jet == "LEFT") {
            out = "substr(" + args[0] + ", 1, " + args[1] + ")";
        } else if (f->jet == "INSTR") {
            // Jet compares text without regard to case.
            out = "instr(lower(" + args[0] + "), lower(" + args[1] + "))";
        } else if (f->jet == "INT") {
            out = "CAST(floor(" + args[0] + ") AS INTEGER)";
        } else if (f->jet == "RIGHT") {
            // The last n characters; substr() would take all of them for n = 0.
            out =
                "substr(" + args[0] + ", max(length(" + args[0] + ") - (" + args[1] + ") + 1, 1))";
        } else {
            out = std::string(f->sqlite) + "(";
            for (size_t k = 0; k < args.size(); ++k) out += (k ? ", " : "") + args[k];
            out += ")";
        }
        return {std::move(out), depth};
    }

    // The source a qualifier at token i names, in this scope or one outside it.
    const Source* findSource(const std::string& qualifier, const Scope& s) const {
        for (const Scope* sc = &s; sc; sc = sc->outer)
            for (const auto& src : sc->sources)
                if (text::equalNoCase(src.name, qualifier)) return &src;
        return nullptr;
    }
    const Source& source(size_t i, const Scope& s) const {
        const std::string q = value(sql_, tok(i));
        const Source* src = findSource(q, s);
        if (!src) raise(Err::TableNotFound, {printable(q)});
        return *src;
    }

    // A column: [name] or [qualifier].[name] (also with "!"). A reference to
    // no column of the statement's tables is, to Jet, a parameter.
    std::string column(size_t& i, const Scope& s) {
        std::vector<std::string> parts{name(i, "a column name")};
        while ((isSym(i, ".") || isSym(i, "!")) && isName(i + 1)) {
            ++i;
            parts.push_back(name(i, "a column name"));
        }
        if (parts.size() == 1) {
            for (const Scope* sc = &s; sc; sc = sc->outer)
                for (const auto& src : sc->sources)
                    if (const ColumnDef* c = src.table->column(parts[0]))
                        return sql::ident(src.name) + "." + sql::ident(c->name);
        } else if (parts.size() == 2) {
            if (const Source* src = findSource(parts[0], s))
                if (const ColumnDef* c = src->table->column(parts[1]))
                    return sql::ident(src->name) + "." + sql::ident(c->name);
        }
        std::string whole;
        for (const auto& p : parts) whole += (whole.empty() ? "" : ".") + p;
        unresolved_.insert(text::fold(whole));
        return "NULL";
    }

    // Throws Err::TooFewParameters when names were left without a column.
    void checkResolved() const {
        if (!unresolved_.empty())
            raise(Err::TooFewParameters, {std::to_string(unresolved_.size())});
    }

    std::string bind(sql::Value v) {
        params_.push_back(std::move(v));
        return "?" + std::to_string(params_.size());  // numbered: text order may differ
    }

    // Parentheses, subqueries and unary operators inside each other.
    static void enter(size_t nesting) {
        if (nesting > limit::NestingDepth) raise(Err::QueryTooComplex);
    }

    static std::string upper(std::string_view w) {
        std::string out(w);
        for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return out;
    }

private:
    std::string_view sql_;
    const std::vector<Token>& toks_;
    std::string kind_;
    const Model& model_;
    std::vector<sql::Value>& params_;
    std::set<std::string> unresolved_;
    size_t likeAt_ = static_cast<size_t>(-1);
    bool queries_ = true;
};

// Runs a translated statement with its values bound in order.
void runBound(sql::Db& db, const std::string& text, const std::vector<sql::Value>& params) {
    auto stmt = db.prepare(text);
    for (size_t k = 0; k < params.size(); ++k) stmt.bind(static_cast<int>(k + 1), params[k]);
    while (stmt.step()) {
    }
}

// The first token of a DEFAULT value's expression: after an optional "=".
size_t defaultStart(std::string_view sql, const std::vector<Token>& toks) {
    return toks.size() > 1 && toks[0].kind == TokKind::Symbol && raw(sql, toks[0]) == "=" ? 1 : 0;
}

}  // namespace

std::optional<std::string> StoreDatabase::dmlTable(const Parsed& p, const Dml& d) {
    const auto& toks = p.tokens;
    const auto isKw = [&](size_t i, std::string_view kw) {
        return toks[i].kind == TokKind::Word && text::equalNoCase(raw(p.sql, toks[i]), kw);
    };
    size_t i = d.first + 1;
    switch (d.kind) {
        case Dml::Kind::Update:
            break;
        case Dml::Kind::Delete:
            while (i < d.last && !isKw(i, "FROM")) ++i;
            ++i;
            break;
        case Dml::Kind::Insert:
            if (i >= d.last || !isKw(i, "INTO")) return std::nullopt;
            ++i;
            break;
        case Dml::Kind::Select:
            return std::nullopt;
    }
    if (i >= d.last || (toks[i].kind != TokKind::Name && toks[i].kind != TokKind::Word))
        return std::nullopt;
    std::string name = value(p.sql, toks[i]);
    if (!isValidUtf8(name)) return std::nullopt;
    return name;
}

void StoreDatabase::checkDefault(std::string_view defaultText, const std::string& kind) const {
    const auto toks = tokenize(defaultText);
    std::vector<sql::Value> params;
    Translator tr(defaultText, toks, kind, model_, params);
    tr.forbidQueries();
    size_t i = defaultStart(defaultText, toks);
    if (toks[i].kind == TokKind::Bad) tr.error(i, badTokenText(defaultText, toks[i]));
    (void)tr.expr(i, Scope{});
    if (toks[i].kind != TokKind::End) tr.error(i, "unexpected text after the default value");
    tr.checkResolved();
}

int64_t StoreDatabase::counterNext(const TableDef& t, const ColumnDef& c) {
    auto& s = db_->cached("SELECT NextValue FROM MSysCounters WHERE TableId=? AND ColumnName=?");
    s.args(t.id, text::fold(c.name));
    const int64_t next = s.step() ? s.integer(0) : c.seed;
    s.reset();
    return next;
}

void StoreDatabase::advanceCounters(const TableDef& t,
                                    const std::vector<const ColumnDef*>& numbered, int64_t rows,
                                    int64_t lastRow) {
    for (const auto& c : t.columns) {
        if (!c.autoIncrement) continue;
        int64_t next = counterNext(t, c);
        if (std::find(numbered.begin(), numbered.end(), &c) != numbered.end())
            next += c.increment * rows;
        // As in Jet, an explicit value past the next one moves the counter on.
        if (c.increment > 0) {
            auto s =
                db_->prepare("SELECT max(" + sql::ident(c.name) + ") FROM " + sql::ident(t.name) +
                             " WHERE " + std::string(rowNumber(t)) + " > ?");
            s.args(lastRow);
            if (s.step() && !s.isNull(0)) next = std::max(next, s.integer(0) + c.increment);
        }
        setCounter(t, c, next);
    }
}

int32_t StoreDatabase::dml(const Parsed& p, const Dml& d) {
    std::vector<sql::Value> params;
    const auto& toks = p.tokens;
    Translator tr(p.sql, toks, p.kind, model_, params);
    size_t i = d.first;
    std::string text;
    // The statement ends at d.last, before its trailing ";" if it has one.
    const auto atEnd = [&]() {
        if (i != d.last) {
            if (tr.isSym(i, ";")) tr.error(i, "unexpected ';' inside the statement");
            tr.error(i, "unexpected text after the statement");
        }
        tr.checkResolved();
    };
    switch (d.kind) {
        case Dml::Kind::Select: {
            text = Translator::text(tr.select(i, nullptr, 0));
            atEnd();
            runBound(*db_, text, params);
            return -1;
        }
        case Dml::Kind::Update: {
            ++i;
            Scope scope;
            TableDef& t = requireTable(tr.name(i, "a table name"));
            scope.sources.push_back({t.name, &t});
            // Made before the transaction already, unless the session has
            // started afresh since; then here.
            armTriggers(t);
            tr.expectKw(i, "SET");
            std::string sets;
            do {
                // [column] = expression, the column possibly qualified by its table.
                std::string col = tr.name(i, "a column name");
                if ((tr.isSym(i, ".") || tr.isSym(i, "!")) && tr.isName(i + 1)) {
                    if (!text::equalNoCase(col, t.name)) raise(Err::FieldNotFound, {col, t.name});
                    ++i;
                    col = tr.name(i, "a column name");
                }
                const ColumnDef* c = t.column(col);
                if (!c) raise(Err::FieldNotFound, {col, t.name});
                tr.expectSym(i, "=");
                if (!sets.empty()) sets += ", ";
                sets += sql::ident(c->name) + " = " + converted(tr.expr(i, scope).text, *c);
            } while (tr.isSym(i, ",") && (++i, true));
            text = "UPDATE " + sql::ident(t.name) + " SET " + sets;
            if (tr.isKw(i, "WHERE")) {
                ++i;
                text += " WHERE " + tr.expr(i, scope).text;
            }
            atEnd();
            break;
        }
        case Dml::Kind::Delete: {
            // What stands between DELETE and FROM (*, columns) names the rows'
            // table only; the rows go whole.
            ++i;
            while (!tr.isKw(i, "FROM")) {
                if (i >= d.last) tr.error(i, "expected FROM");
                if (!tr.isName(i) && !tr.isSym(i, "*") && !tr.isSym(i, ".") && !tr.isSym(i, "!") &&
                    !tr.isSym(i, ","))
                    tr.error(i, "expected FROM");
                ++i;
            }
            ++i;
            Scope scope;
            TableDef& t = requireTable(tr.name(i, "a table name"));
            scope.sources.push_back({t.name, &t});
            armTriggers(t);
            text = "DELETE FROM " + sql::ident(t.name);
            if (tr.isKw(i, "WHERE")) {
                ++i;
                text += " WHERE " + tr.expr(i, scope).text;
            }
            atEnd();
            break;
        }
        case Dml::Kind::Insert: {
            ++i;
            tr.expectKw(i, "INTO");
            TableDef& t = requireTable(tr.name(i, "a table name"));
            armTriggers(t);
            std::vector<const ColumnDef*> cols;
            if (tr.isSym(i, "(")) {
                ++i;
                do {
                    const std::string n = tr.name(i, "a column name");
                    const ColumnDef* c = t.column(n);
                    if (!c) raise(Err::FieldNotFound, {n, t.name});
                    cols.push_back(c);
                } while (tr.isSym(i, ",") && (++i, true));
                tr.expectSym(i, ")");
            } else {
                for (const auto& c : t.columns) cols.push_back(&c);
            }
            // The rows to insert come from one SELECT whose items are named v1, v2, …
            // (or a star select, kept as written); columns left out take their
            // default value, counters left out the next numbers.
            std::string source;
            bool named = true;
            const auto countError = [&](size_t at) {
                tr.error(at, "the number of values differs from the number of columns");
            };
            if (tr.isKw(i, "VALUES")) {
                ++i;
                const size_t open = i;
                tr.expectSym(i, "(");
                std::vector<std::string> values;
                do values.push_back(tr.expr(i, Scope{}).text);
                while (tr.isSym(i, ",") && (++i, true));
                tr.expectSym(i, ")");
                if (values.size() != cols.size()) countError(open);
                source = "SELECT ";
                for (size_t k = 0; k < values.size(); ++k)
                    source += (k ? ", " : "") + converted(values[k], *cols[k]) + " AS \"v" +
                              std::to_string(k + 1) + "\"";
            } else if (tr.isKw(i, "SELECT")) {
                const size_t at = i;
                SelectParts s = tr.select(i, nullptr, 0);
                if (s.star) {
                    named = false;
                    source = Translator::text(s);
                } else {
                    if (s.items.size() != cols.size()) countError(at);
                    source = s.head;
                    for (size_t k = 0; k < s.items.size(); ++k)
                        source += (k ? ", " : "") + converted(s.items[k], *cols[k]) + " AS \"v" +
                                  std::to_string(k + 1) + "\"";
                    source += s.tail;
                }
            } else {
                tr.error(i, "expected VALUES or SELECT");
            }
            atEnd();
            std::string names;
            std::string values;
            for (size_t k = 0; k < cols.size(); ++k) {
                names += (k ? ", " : "") + sql::ident(cols[k]->name);
                if (!named) continue;
                const std::string v = "s.\"v" + std::to_string(k + 1) + "\"";
                values += k ? ", " : "";
                if (cols[k]->autoIncrement) {
                    // An explicit null takes the next number too.
                    values += "coalesce(" + v + ", " + std::to_string(counterNext(t, *cols[k])) +
                              " + " + std::to_string(cols[k]->increment) +
                              " * (row_number() OVER () - 1))";
                } else {
                    values += v;
                }
            }
            if (!named) values = "s.*";
            std::vector<const ColumnDef*> numbered;
            for (const auto& c : t.columns) {
                if (std::find(cols.begin(), cols.end(), &c) != cols.end()) continue;
                if (c.autoIncrement) {
                    names += ", " + sql::ident(c.name);
                    values += ", " + std::to_string(counterNext(t, c)) + " + " +
                              std::to_string(c.increment) + " * (row_number() OVER () - 1)";
                    numbered.push_back(&c);
                    continue;
                }
                if (c.defaultValue.empty()) continue;
                // A default is an expression of constants and Jet's functions.
                const auto dtoks = tokenize(c.defaultValue);
                Translator dtr(c.defaultValue, dtoks, p.kind, model_, params);
                dtr.forbidQueries();
                size_t k = defaultStart(c.defaultValue, dtoks);
                if (dtoks[k].kind == TokKind::Bad)
                    dtr.error(k, badTokenText(c.defaultValue, dtoks[k]));
                const std::string e = dtr.expr(k, Scope{}).text;
                if (dtoks[k].kind != TokKind::End)
                    dtr.error(k, "unexpected text after the default value");
                dtr.checkResolved();
                names += ", " + sql::ident(c.name);
                values += ", " + converted(e, c);
            }
            const int64_t lastRow = db_->scalar("SELECT max(" + std::string(rowNumber(t)) +
                                                ") FROM " + sql::ident(t.name));
            runBound(*db_,
                     "INSERT INTO " + sql::ident(t.name) + " (" + names + ") SELECT " + values +
                         " FROM (" + source + ") AS s",
                     params);
            const int64_t rows = db_->changes();
            advanceCounters(t, numbered, rows, lastRow);
            return static_cast<int32_t>(rows);
        }
    }
    runBound(*db_, text, params);
    return static_cast<int32_t>(db_->changes());
}

}  // namespace jet::store
