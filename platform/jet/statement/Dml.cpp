// Jet's expressions and plain DML read against the schema model (Dml.h).
#include "jet/statement/Dml.h"

#include <algorithm>
#include <cctype>

#include "jet/Error.h"
#include "jet/statement/Convert.h"
#include "jet/statement/Names.h"
#include "text/CaseFold.h"

namespace jet::statement {

namespace {

// Jet's functions, for `minArgs` to `maxArgs` arguments.
struct FunctionRow {
    std::string_view name;
    size_t minArgs;
    size_t maxArgs;
};
constexpr FunctionRow kFunctions[] = {
    {"UCASE", 1, 1}, {"LCASE", 1, 1}, {"LEN", 1, 1},   {"MID", 2, 3},   {"LEFT", 2, 2},
    {"RIGHT", 2, 2}, {"TRIM", 1, 1},  {"LTRIM", 1, 1}, {"RTRIM", 1, 1}, {"INSTR", 2, 2},
    {"NZ", 2, 2},    {"IIF", 3, 3},   {"ASC", 1, 1},   {"CHR", 1, 1},   {"INT", 1, 1},
    {"ABS", 1, 1},   {"ROUND", 1, 2}, {"NOW", 0, 0},   {"DATE", 0, 0},  {"COUNT", 1, 1},
    {"SUM", 1, 1},   {"AVG", 1, 1},   {"MIN", 1, 1},   {"MAX", 1, 1},
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

Expr bracket(Expr e) {
    e.text = "(" + e.text + ")";
    e.op = {};
    return e;
}

// An operator around one operand (the NOT, IS NULL, LIKE, … of `op`).
Expr wrap(const std::string& before, Expr e, const std::string& after, std::string_view op) {
    e.depth += 1;
    if (e.depth > limit::ExpressionDepth) raise(Err::QueryTooComplex);
    e.text = before + e.text + after;
    e.op = op;
    e.column = nullptr;
    return e;
}

// Parentheses, subqueries and unary operators inside each other.
void enter(size_t nesting) {
    if (nesting > limit::NestingDepth) raise(Err::QueryTooComplex);
}

std::string upper(std::string_view w) {
    std::string out(w);
    for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The first token of a DEFAULT value's expression: after an optional "=".
size_t defaultStart(std::string_view sql, const std::vector<Token>& toks) {
    return toks.size() > 1 && toks[0].kind == TokKind::Symbol && raw(sql, toks[0]) == "=" ? 1 : 0;
}

// Writes nothing a provider runs: for reading that only checks.
class CheckingDialect final : public Dialect {
public:
    std::string name(std::string_view n) override { return "[" + std::string(n) + "]"; }
    std::string text(std::string, bool) override { return "?"; }
    std::string date(DateTime) override { return "?"; }
    std::string call(std::string_view function, const std::vector<std::string>&) override {
        return std::string(function) + "()";
    }
    [[nodiscard]] std::string_view concatenation() const override { return "&"; }
    [[nodiscard]] std::string_view modulo() const override { return "MOD"; }
};

}  // namespace

DmlReader::DmlReader(std::string_view sql, const std::vector<Token>& tokens, std::string kind,
                     const Model& model, Dialect& dialect)
    : sql_(sql), toks_(tokens), kind_(std::move(kind)), model_(model), dialect_(dialect) {}

void DmlReader::error(size_t at, const std::string& what) const {
    const Token& t = toks_[std::min(at, toks_.size() - 1)];
    std::string text = what;
    if (t.kind == TokKind::End)
        text += " at the end of the statement";
    else
        text += ", found '" + printable(raw(sql_, t)) + "'";
    raise(Err::SyntaxError, {kind_, std::to_string(position(sql_, t.begin)), text});
}

// --- tokens ------------------------------------------------------------------

const Token& DmlReader::tok(size_t i) const { return toks_[std::min(i, toks_.size() - 1)]; }

bool DmlReader::isKw(size_t i, std::string_view kw) const {
    const Token& t = tok(i);
    return t.kind == TokKind::Word && text::equalNoCase(raw(sql_, t), kw);
}

bool DmlReader::isSym(size_t i, std::string_view s) const {
    const Token& t = tok(i);
    return t.kind == TokKind::Symbol && raw(sql_, t) == s;
}

bool DmlReader::isName(size_t i) const {
    const auto k = tok(i).kind;
    return k == TokKind::Word || k == TokKind::Name;
}

void DmlReader::expectKw(size_t& i, std::string_view kw) const {
    if (!isKw(i, kw)) error(i, "expected '" + std::string(kw) + "'");
    ++i;
}

void DmlReader::expectSym(size_t& i, std::string_view s) const {
    if (!isSym(i, s)) error(i, "expected '" + std::string(s) + "'");
    ++i;
}

// A name at token i; advances i.
std::string DmlReader::name(size_t& i, std::string_view what) const {
    if (!isName(i)) error(i, "expected " + std::string(what));
    std::string n = value(sql_, toks_[i++]);
    checkName(n);
    return n;
}

// --- tables ------------------------------------------------------------------

const TableDef& DmlReader::table(const std::string& name) const {
    // Only user tables: a provider's own tables are not the statement's.
    const TableDef* t = model_.table(name);
    if (!t) raise(Err::TableNotFound, {name});
    return *t;
}

// [table] [[AS] alias] at token i into the scope; its text.
std::string DmlReader::tableRef(size_t& i, Scope& scope) const {
    const TableDef& t = table(name(i, "a table name"));
    Source s{t.name, &t};
    if (isKw(i, "AS")) {
        ++i;
        s.name = name(i, "an alias");
    } else if (isName(i) && !isClauseWord(i)) {
        s.name = name(i, "an alias");
    }
    std::string out = dialect_.name(t.name);
    if (s.name != t.name) out += " AS " + dialect_.name(s.name);
    scope.sources.push_back(std::move(s));
    return out;
}

bool DmlReader::isClauseWord(size_t i) const {
    for (auto w : kClauseWords)
        if (isKw(i, w)) return true;
    return false;
}

// The FROM list: tables, joins (nested in parentheses as Jet writes them)
// and their ON conditions. The tables go into `scope` first, so that ON
// conditions may name any of them.
std::string DmlReader::fromList(size_t& i, Scope& scope, size_t nesting) {
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
void DmlReader::collectTables(size_t& i, Scope& scope, size_t nesting) {
    do {
        collectJoined(i, scope, nesting);
    } while (isSym(i, ",") && (++i, true));
}

void DmlReader::collectJoined(size_t& i, Scope& scope, size_t nesting) {
    collectOne(i, scope, nesting);
    while (atJoin(i)) {
        skipJoinWords(i);
        collectOne(i, scope, nesting);
        expectKw(i, "ON");
        skipCondition(i);
    }
}

void DmlReader::collectOne(size_t& i, Scope& scope, size_t nesting) {
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
void DmlReader::skipCondition(size_t& i) const {
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

bool DmlReader::atJoin(size_t i) const {
    return isKw(i, "JOIN") || ((isKw(i, "INNER") || isKw(i, "LEFT") || isKw(i, "RIGHT")) &&
                               (isKw(i + 1, "JOIN") || isKw(i + 1, "OUTER")));
}

std::string DmlReader::skipJoinWords(size_t& i) const {
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
std::string DmlReader::joined(size_t& i, const Scope& scope, size_t nesting) {
    std::string out = one(i, scope, nesting);
    while (atJoin(i)) {
        out += " " + skipJoinWords(i);
        out += one(i, scope, nesting);
        expectKw(i, "ON");
        out += " ON " + expr(i, scope, nesting).text;
    }
    return out;
}

std::string DmlReader::one(size_t& i, const Scope& scope, size_t nesting) {
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
SelectParts DmlReader::select(size_t& i, const Scope* outer, size_t nesting) {
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
            s.items.push_back(dialect_.name(src.name) + ".*");
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

std::string DmlReader::text(const SelectParts& s) {
    std::string out = s.head;
    for (size_t k = 0; k < s.items.size(); ++k) {
        if (k) out += ", ";
        out += s.items[k];
        if (!s.aliases[k].empty()) out += " AS " + dialect_.name(s.aliases[k]);
    }
    return out + s.tail;
}

// The FROM of the SELECT whose items start at token i: the first at this
// level, or where the SELECT ends.
size_t DmlReader::findFrom(size_t i) const {
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

Expr DmlReader::expr(size_t& i, const Scope& scope, size_t nesting) {
    return orExpr(i, scope, nesting);
}

std::string DmlReader::exprList(size_t& i, const Scope& scope, size_t nesting) {
    std::string out = expr(i, scope, nesting).text;
    while (isSym(i, ",")) {
        ++i;
        out += ", " + expr(i, scope, nesting).text;
    }
    return out;
}

// Left-associative chains of one level, each operand parsed by `next`.
template <class Next, class Op>
Expr DmlReader::chain(size_t& i, Next next, Op op) {
    Expr l = next(i);
    while (true) {
        const std::string_view o = op(i);
        if (o.empty()) return l;
        Expr r = next(i);
        l = binary(std::move(l), o, std::move(r));
    }
}

Expr DmlReader::binary(Expr l, std::string_view op, Expr r) const {
    // SQL ranks two operators apart from Jet: concatenation ("||" for Jet's
    // "&") binds tightest there and loosest in Jet; "%" (Jet's Mod) binds as
    // "*" and "/" there and below them in Jet. Their operands are bracketed;
    // a chain of one of them stays flat, as every other chain does (SQLite
    // takes no more than some 80 brackets inside each other).
    std::string_view written = op;
    if (op == "&" || op == "MOD") {
        if (!l.op.empty() && l.op != op) l = bracket(std::move(l));
        if (!r.op.empty()) r = bracket(std::move(r));
        written = op == "&" ? dialect_.concatenation() : dialect_.modulo();
    }
    Expr e;
    e.depth = std::max(l.depth, r.depth) + 1;
    if (e.depth > limit::ExpressionDepth) raise(Err::QueryTooComplex);
    e.text = std::move(l.text) + " " + std::string(written) + " " + r.text;
    e.op = op;
    return e;
}

Expr DmlReader::orExpr(size_t& i, const Scope& s, size_t n) {
    return chain(
        i, [&](size_t& k) { return andExpr(k, s, n); },
        [&](size_t& k) -> std::string_view { return isKw(k, "OR") ? (++k, "OR") : ""; });
}

Expr DmlReader::andExpr(size_t& i, const Scope& s, size_t n) {
    return chain(
        i, [&](size_t& k) { return notExpr(k, s, n); },
        [&](size_t& k) -> std::string_view { return isKw(k, "AND") ? (++k, "AND") : ""; });
}

Expr DmlReader::notExpr(size_t& i, const Scope& s, size_t n) {
    if (!isKw(i, "NOT")) return comparison(i, s, n);
    enter(n + 1);
    ++i;
    Expr e = notExpr(i, s, n + 1);
    return wrap("NOT ", std::move(e), "", "NOT");
}

Expr DmlReader::comparison(size_t& i, const Scope& s, size_t n) {
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
        Expr e = wrap("", std::move(l), " " + notWord + "BETWEEN " + lo.text + " AND " + hi.text,
                      "BETWEEN");
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

Expr DmlReader::concat(size_t& i, const Scope& s, size_t n) {
    return chain(
        i, [&](size_t& k) { return additive(k, s, n); },
        [&](size_t& k) -> std::string_view { return isSym(k, "&") ? (++k, "&") : ""; });
}

Expr DmlReader::additive(size_t& i, const Scope& s, size_t n) {
    return chain(
        i, [&](size_t& k) { return modulo(k, s, n); },
        [&](size_t& k) -> std::string_view {
            if (isSym(k, "+")) return ++k, "+";
            if (isSym(k, "-")) return ++k, "-";
            return "";
        });
}

Expr DmlReader::modulo(size_t& i, const Scope& s, size_t n) {
    return chain(
        i, [&](size_t& k) { return multiplicative(k, s, n); },
        [&](size_t& k) -> std::string_view { return isKw(k, "MOD") ? (++k, "MOD") : ""; });
}

Expr DmlReader::multiplicative(size_t& i, const Scope& s, size_t n) {
    return chain(
        i, [&](size_t& k) { return unary(k, s, n); },
        [&](size_t& k) -> std::string_view {
            if (isSym(k, "*")) return ++k, "*";
            if (isSym(k, "/")) return ++k, "/";
            return "";
        });
}

Expr DmlReader::unary(size_t& i, const Scope& s, size_t n) {
    if (isSym(i, "-") || isSym(i, "+")) {
        // Apart from its operand: "--" would start a comment in SQL.
        const std::string sign = std::string(raw(sql_, toks_[i])) + " ";
        enter(n + 1);
        ++i;
        return wrap(sign, unary(i, s, n + 1), "", "SIGN");
    }
    return primary(i, s, n);
}

Expr DmlReader::primary(size_t& i, const Scope& s, size_t n) {
    const Token& t = tok(i);
    switch (t.kind) {
        case TokKind::Number:
            ++i;
            return {std::string(raw(sql_, t))};
        case TokKind::String: {
            std::string v = value(sql_, t);
            const bool pattern = i == likeAt_;
            ++i;
            return {dialect_.text(std::move(v), pattern)};
        }
        case TokKind::Date: {
            const auto d = parseDate(inner(sql_, t));
            if (!d) error(i, "not a date");
            ++i;
            return {dialect_.date(*d)};
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
    return column(i, s);
}

// A SELECT inside an expression, which a DEFAULT value may not hold.
SelectParts DmlReader::subquery(size_t& i, const Scope& s, size_t n) {
    if (!queries_) error(i, "a default value cannot hold a query");
    return select(i, &s, n);
}

// A function of Jet's table, at token i.
Expr DmlReader::call(size_t& i, const Scope& s, size_t n) {
    const std::string fname(raw(sql_, toks_[i]));
    const FunctionRow* f = nullptr;
    for (const auto& row : kFunctions)
        if (text::equalNoCase(row.name, fname)) f = &row;
    if (!f) raise(Err::UndefinedFunction, {printable(fname)});
    const size_t at = i;
    ++i;
    enter(n + 1);
    expectSym(i, "(");
    std::vector<std::string> args;
    size_t depth = 1;
    if (text::equalNoCase(f->name, "COUNT") && isSym(i, "*") && isSym(i + 1, ")")) {
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
    return {dialect_.call(f->name, args), depth};
}

// The source a qualifier at token i names, in this scope or one outside it.
const Source* DmlReader::findSource(const std::string& qualifier, const Scope& s) const {
    for (const Scope* sc = &s; sc; sc = sc->outer)
        for (const auto& src : sc->sources)
            if (text::equalNoCase(src.name, qualifier)) return &src;
    return nullptr;
}

const Source& DmlReader::source(size_t i, const Scope& s) const {
    const std::string q = value(sql_, tok(i));
    const Source* src = findSource(q, s);
    if (!src) raise(Err::TableNotFound, {printable(q)});
    return *src;
}

// A column: [name] or [qualifier].[name] (also with "!"). A reference to
// no column of the statement's tables is, to Jet, a parameter.
Expr DmlReader::column(size_t& i, const Scope& s) {
    std::vector<std::string> parts{name(i, "a column name")};
    while ((isSym(i, ".") || isSym(i, "!")) && isName(i + 1)) {
        ++i;
        parts.push_back(name(i, "a column name"));
    }
    const auto found = [&](const Source& src, const ColumnDef& c) {
        Expr e(dialect_.name(src.name) + "." + dialect_.name(c.name));
        e.column = &c;
        return e;
    };
    if (parts.size() == 1) {
        for (const Scope* sc = &s; sc; sc = sc->outer)
            for (const auto& src : sc->sources)
                if (const ColumnDef* c = src.table->column(parts[0])) return found(src, *c);
    } else if (parts.size() == 2) {
        if (const Source* src = findSource(parts[0], s))
            if (const ColumnDef* c = src->table->column(parts[1])) return found(*src, *c);
    }
    std::string whole;
    for (const auto& p : parts) whole += (whole.empty() ? "" : ".") + p;
    unresolved_.insert(text::fold(whole));
    return Expr("NULL");
}

// Throws Err::TooFewParameters when names were left without a column.
void DmlReader::checkResolved() const {
    if (!unresolved_.empty()) raise(Err::TooFewParameters, {std::to_string(unresolved_.size())});
}

// --- whole statements --------------------------------------------------------------

Expr readDefault(std::string_view defaultText, const std::string& kind, const Model& model,
                 Dialect& dialect) {
    const auto toks = tokenize(defaultText);
    DmlReader r(defaultText, toks, kind, model, dialect);
    r.forbidQueries();
    size_t i = defaultStart(defaultText, toks);
    if (toks[i].kind == TokKind::Bad) r.error(i, badTokenText(defaultText, toks[i]));
    Expr e = r.expr(i, Scope{});
    if (toks[i].kind != TokKind::End) r.error(i, "unexpected text after the default value");
    r.checkResolved();
    return e;
}

void checkDefault(std::string_view defaultText, const std::string& kind, const Model& model) {
    CheckingDialect dialect;
    (void)readDefault(defaultText, kind, model, dialect);
}

std::optional<std::string> dmlTable(const Parsed& p, const Dml& d) {
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

UpdateParts readUpdate(const Parsed& p, const Dml& d, const Model& model, Dialect& dialect) {
    DmlReader r(p.sql, p.tokens, p.kind, model, dialect);
    UpdateParts u;
    size_t i = d.first + 1;
    const TableDef& t = r.table(r.name(i, "a table name"));
    u.table = &t;
    Scope scope;
    scope.sources.push_back({t.name, &t});
    r.expectKw(i, "SET");
    do {
        // [column] = expression, the column possibly qualified by its table.
        std::string col = r.name(i, "a column name");
        if ((r.isSym(i, ".") || r.isSym(i, "!")) && r.isName(i + 1)) {
            if (!text::equalNoCase(col, t.name)) raise(Err::FieldNotFound, {col, t.name});
            ++i;
            col = r.name(i, "a column name");
        }
        const ColumnDef* c = t.column(col);
        if (!c) raise(Err::FieldNotFound, {col, t.name});
        r.expectSym(i, "=");
        u.sets.push_back({c, r.expr(i, scope)});
    } while (r.isSym(i, ",") && (++i, true));
    if (r.isKw(i, "WHERE")) {
        ++i;
        u.where = r.expr(i, scope);
    }
    // The statement ends at d.last, before its trailing ";" if it has one.
    if (i != d.last) {
        if (r.isSym(i, ";")) r.error(i, "unexpected ';' inside the statement");
        r.error(i, "unexpected text after the statement");
    }
    r.checkResolved();
    return u;
}

}  // namespace jet::statement
