// Plain Jet DML (UPDATE, INSERT, DELETE, SELECT) translated to SQLite. Simple
// Jet expressions are enough: bracketed names, string and #date# literals
// (bound, never spliced), True/False, & for concatenation, Mod, LIKE with Jet's
// wildcards, and a few functions. Values written to a column are converted to
// its stored form by jet_convert, which refuses what does not fit.
#include <algorithm>
#include <cctype>

#include "jet/Error.h"
#include "jet/store/Convert.h"
#include "jet/store/StoreDatabase.h"
#include "text/CaseFold.h"

namespace jet::store {

namespace {

bool isKw(const Token& t, std::string_view kw) {
    return t.kind == TokKind::Word && text::equalNoCase(t.text, kw);
}
bool isSym(const Token& t, std::string_view s) { return t.kind == TokKind::Symbol && t.text == s; }

// Words that stand for themselves in SQLite.
constexpr std::string_view kKeywords[] = {
    "AND",   "OR",    "NOT",    "IS",   "NULL",   "LIKE",  "IN",    "BETWEEN", "EXISTS",
    "SELECT", "FROM", "WHERE",  "GROUP", "BY",    "ORDER", "HAVING", "AS",     "ON",
    "JOIN",  "INNER", "LEFT",   "RIGHT", "OUTER", "DISTINCT", "UNION", "ALL",  "ASC",
    "DESC",  "CASE",  "WHEN",   "THEN", "ELSE",   "END",   "VALUES", "COUNT",  "SUM",
    "MIN",   "MAX",   "AVG",    "ABS",  "ROUND",  "TRIM",  "LTRIM", "RTRIM",   "CAST",
};

struct FunctionRow {
    std::string_view jet;
    std::string_view sqlite;
};
constexpr FunctionRow kFunctions[] = {
    {"UCASE", "upper"}, {"LCASE", "lower"}, {"LEN", "length"}, {"MID", "substr"},
    {"NZ", "ifnull"},   {"IIF", "iif"},     {"INSTR", "instr"}, {"ASC", "unicode"},
    {"CHR", "char"},    {"INT", "floor"},
};

class Translator {
public:
    Translator(const Parsed& p, std::vector<sql::Value>& params) : p_(p), params_(params) {}

    [[noreturn]] void error(size_t at, const std::string& what) const {
        const Token& t = p_.tokens[std::min(at, p_.tokens.size() - 1)];
        raise(Err::SyntaxError, {p_.kind, std::to_string(position(p_.sql, t.begin)), what});
    }

    // Translates tokens [from, to).
    std::string expr(size_t from, size_t to) {
        std::string out;
        for (size_t i = from; i < to; ++i) {
            const Token& t = p_.tokens[i];
            if (!out.empty()) out.push_back(' ');
            switch (t.kind) {
                case TokKind::Name: out += sql::ident(t.text); break;
                case TokKind::String: {
                    std::string v = t.text;
                    if (i > from && isKw(p_.tokens[i - 1], "LIKE")) v = likePattern(v);
                    params_.push_back(sql::Value::text(std::move(v)));
                    out += "?" + std::to_string(params_.size());  // numbered: text order may differ
                    break;
                }
                case TokKind::Date: {
                    auto d = parseDate(t.text);
                    if (!d) error(i, "'" + t.text + "' is not a date");
                    params_.push_back(sql::Value::text(*d));
                    out += "?" + std::to_string(params_.size());  // numbered: text order may differ
                    break;
                }
                case TokKind::Number: out += t.text; break;
                case TokKind::Symbol:
                    // One statement only: a second one would be dropped unseen.
                    if (t.text == ";") error(i, "unexpected ';' inside the statement");
                    if (t.text == "&") out += "||";
                    else if (t.text == "!") out += ".";
                    else out += t.text;
                    break;
                case TokKind::Word: out += word(i, to); break;  // may consume "()"
                default: error(i, "unexpected text");
            }
        }
        return out;
    }

private:
    std::string word(size_t& i, size_t to) {
        const Token& t = p_.tokens[i];
        if (isKw(t, "TRUE")) return "-1";
        if (isKw(t, "FALSE")) return "0";
        if (isKw(t, "MOD")) return "%";
        const bool call = i + 1 < to && isSym(p_.tokens[i + 1], "(");
        if (call) {
            if ((isKw(t, "NOW") || isKw(t, "DATE")) && i + 2 < to && isSym(p_.tokens[i + 2], ")")) {
                const bool now = isKw(t, "NOW");
                i += 2;
                return now ? "datetime('now', 'localtime')"
                           : "(date('now', 'localtime') || ' 00:00:00')";
            }
            for (const auto& f : kFunctions)
                if (text::equalNoCase(f.jet, t.text)) return std::string(f.sqlite);
        }
        for (auto kw : kKeywords)
            if (text::equalNoCase(kw, t.text)) return std::string(kw);
        if (call) return t.text;
        return sql::ident(t.text);
    }

    static std::string likePattern(const std::string& v) {
        std::string out;
        for (char c : v) {
            if (c == '*') out.push_back('%');
            else if (c == '?') out.push_back('_');
            else out.push_back(c);
        }
        return out;
    }

    const Parsed& p_;
    std::vector<sql::Value>& params_;
};

// Splits [from, to) at commas outside parentheses.
std::vector<std::pair<size_t, size_t>> splitTop(const std::vector<Token>& toks, size_t from,
                                                size_t to) {
    std::vector<std::pair<size_t, size_t>> out;
    int depth = 0;
    size_t start = from;
    for (size_t i = from; i < to; ++i) {
        if (isSym(toks[i], "(")) ++depth;
        else if (isSym(toks[i], ")")) --depth;
        else if (depth == 0 && isSym(toks[i], ",")) {
            out.emplace_back(start, i);
            start = i + 1;
        }
    }
    out.emplace_back(start, to);
    return out;
}

// The first top-level keyword `kw` in [from, to), or `to`.
size_t findTop(const std::vector<Token>& toks, size_t from, size_t to, std::string_view kw) {
    int depth = 0;
    for (size_t i = from; i < to; ++i) {
        if (isSym(toks[i], "(")) ++depth;
        else if (isSym(toks[i], ")")) --depth;
        else if (depth == 0 && isKw(toks[i], kw)) return i;
    }
    return to;
}

std::string converted(const std::string& e, const ColumnDef& c) {
    return "jet_convert((" + e + "), " + std::to_string(c.type) + ", " + std::to_string(c.size) +
           ", " + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ", 1, '', '')";
}

// Runs a translated statement with its values bound in order.
void runBound(sql::Db& db, const std::string& text, const std::vector<sql::Value>& params) {
    auto stmt = db.prepare(text);
    for (size_t k = 0; k < params.size(); ++k) stmt.bind(static_cast<int>(k + 1), params[k]);
    while (stmt.step()) {
    }
}

// A table name at token i (bracketed or bare); advances i.
std::string tableName(const Parsed& p, size_t& i, Translator& tr) {
    const Token& t = p.tokens[i];
    if (t.kind != TokKind::Name && t.kind != TokKind::Word) tr.error(i, "expected a table name");
    ++i;
    return t.text;
}

}  // namespace

std::optional<std::string> StoreDatabase::dmlTable(const Parsed& p, const Dml& d) {
    const auto& toks = p.tokens;
    size_t i = d.first + 1;
    switch (d.kind) {
        case Dml::Kind::Update: break;
        case Dml::Kind::Delete: i = findTop(toks, i, d.last, "FROM") + 1; break;
        case Dml::Kind::Insert:
            if (i >= d.last || !isKw(toks[i], "INTO")) return std::nullopt;
            ++i;
            break;
        case Dml::Kind::Select: return std::nullopt;
    }
    if (i >= d.last || (toks[i].kind != TokKind::Name && toks[i].kind != TokKind::Word))
        return std::nullopt;
    return toks[i].text;
}

int64_t StoreDatabase::counterNext(const TableDef& t, const ColumnDef& c) {
    auto& s = db_->cached("SELECT NextValue FROM MSysCounters WHERE TableId=? AND ColumnName=?");
    s.args(t.id, text::fold(c.name));
    const int64_t next = s.step() ? s.integer(0) : c.seed;
    s.reset();
    return next;
}

void StoreDatabase::advanceCounters(const TableDef& t, const std::vector<const ColumnDef*>& numbered,
                                    int64_t rows, int64_t lastRow) {
    for (const auto& c : t.columns) {
        if (!c.autoIncrement) continue;
        int64_t next = counterNext(t, c);
        if (std::find(numbered.begin(), numbered.end(), &c) != numbered.end()) next += c.increment * rows;
        // As in Jet, an explicit value past the next one moves the counter on.
        if (c.increment > 0) {
            auto s = db_->prepare("SELECT max(" + sql::ident(c.name) + ") FROM " + sql::ident(t.name) +
                                  " WHERE rowid > ?");
            s.args(lastRow);
            if (s.step() && !s.isNull(0)) next = std::max(next, s.integer(0) + c.increment);
        }
        setCounter(t, c, next);
    }
}

int32_t StoreDatabase::dml(const Parsed& p, const Dml& d) {
    const auto& toks = p.tokens;
    std::vector<sql::Value> params;
    Translator tr(p, params);
    std::string text;
    size_t i = d.first + 1;
    const size_t end = d.last;
    switch (d.kind) {
        case Dml::Kind::Select:
            text = tr.expr(d.first, end);
            break;
        case Dml::Kind::Update: {
            TableDef& t = requireTable(tableName(p, i, tr));
            // Made before the transaction already, unless the session has
            // started afresh since; then here.
            armTriggers(t);
            if (i >= end || !isKw(toks[i], "SET")) tr.error(i, "expected SET");
            ++i;
            const size_t where = findTop(toks, i, end, "WHERE");
            std::string sets;
            for (auto [a, b] : splitTop(toks, i, where)) {
                // [column] = expression, the column possibly qualified by its table.
                size_t eq = a;
                while (eq < b && !isSym(toks[eq], "=")) ++eq;
                if (eq == a || eq >= b) tr.error(a, "expected [column] = value");
                const Token& colTok = toks[eq - 1];
                if (colTok.kind != TokKind::Name && colTok.kind != TokKind::Word)
                    tr.error(eq - 1, "expected a column name");
                const ColumnDef* c = t.column(colTok.text);
                if (!c) raise(Err::FieldNotFound, {colTok.text, t.name});
                if (!sets.empty()) sets += ", ";
                sets += sql::ident(c->name) + " = " + converted(tr.expr(eq + 1, b), *c);
            }
            text = "UPDATE " + sql::ident(t.name) + " SET " + sets;
            if (where < end) text += " WHERE " + tr.expr(where + 1, end);
            break;
        }
        case Dml::Kind::Delete: {
            const size_t from = findTop(toks, i, end, "FROM");
            if (from >= end) tr.error(i, "expected FROM");
            i = from + 1;
            TableDef& t = requireTable(tableName(p, i, tr));
            armTriggers(t);
            text = "DELETE FROM " + sql::ident(t.name);
            if (i < end) {
                if (!isKw(toks[i], "WHERE")) tr.error(i, "expected WHERE");
                text += " WHERE " + tr.expr(i + 1, end);
            }
            break;
        }
        case Dml::Kind::Insert: {
            if (i >= end || !isKw(toks[i], "INTO")) tr.error(i, "expected INTO");
            ++i;
            TableDef& t = requireTable(tableName(p, i, tr));
            armTriggers(t);
            std::vector<const ColumnDef*> cols;
            if (i < end && isSym(toks[i], "(")) {
                size_t close = i + 1;
                while (close < end && !isSym(toks[close], ")")) ++close;
                if (close >= end) tr.error(i, "expected ')'");
                for (auto [a, b] : splitTop(toks, i + 1, close)) {
                    if (b != a + 1) tr.error(a, "expected a column name");
                    const ColumnDef* c = t.column(toks[a].text);
                    if (!c) raise(Err::FieldNotFound, {toks[a].text, t.name});
                    cols.push_back(c);
                }
                i = close + 1;
            } else {
                for (const auto& c : t.columns) cols.push_back(&c);
            }
            // The rows to insert come from one SELECT whose items are named v1, v2, …
            // (or a star select, kept as written); columns left out take their
            // default value, counters left out the next numbers.
            std::string source;
            bool named = true;
            if (i < end && isKw(toks[i], "VALUES")) {
                ++i;
                if (i >= end || !isSym(toks[i], "(") || !isSym(toks[end - 1], ")"))
                    tr.error(i, "expected (values)");
                const auto items = splitTop(toks, i + 1, end - 1);
                if (items.size() != cols.size())
                    tr.error(i, "the number of values differs from the number of columns");
                source = "SELECT ";
                for (size_t k = 0; k < items.size(); ++k)
                    source += (k ? ", " : "") + converted(tr.expr(items[k].first, items[k].second), *cols[k]) +
                              " AS \"v" + std::to_string(k + 1) + "\"";
            } else if (i < end && isKw(toks[i], "SELECT")) {
                size_t s0 = i + 1;
                std::string head = "SELECT ";
                if (s0 < end && isKw(toks[s0], "DISTINCT")) {
                    head += "DISTINCT ";
                    ++s0;
                }
                const size_t from = findTop(toks, s0, end, "FROM");
                const auto items = splitTop(toks, s0, from);
                bool star = false;
                for (size_t k = s0; k < from; ++k)
                    if (isSym(toks[k], "*")) star = true;
                if (!star && items.size() == cols.size()) {
                    source = head;
                    for (size_t k = 0; k < items.size(); ++k) {
                        size_t b = items[k].second;
                        const size_t as = findTop(toks, items[k].first, b, "AS");
                        if (as < b) b = as;
                        source += (k ? ", " : "") + converted(tr.expr(items[k].first, b), *cols[k]) +
                                  " AS \"v" + std::to_string(k + 1) + "\"";
                    }
                    if (from < end) source += " " + tr.expr(from, end);
                } else {
                    named = false;
                    source = tr.expr(i, end);
                }
            } else {
                tr.error(i, "expected VALUES or SELECT");
            }
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
                // A default that reads as a simple expression; anything else is left out.
                Parsed dp;
                dp.sql = c.defaultValue;
                dp.tokens = tokenize(c.defaultValue);
                dp.kind = p.kind;
                const size_t bound = params.size();
                Translator dtr(dp, params);
                try {
                    const std::string e = dtr.expr(0, dp.tokens.size() - 1);
                    if (e.empty()) continue;
                    names += ", " + sql::ident(c.name);
                    values += ", " + converted(e, c);
                } catch (const Error&) {
                    params.resize(bound);
                }
            }
            const int64_t lastRow = db_->scalar("SELECT max(rowid) FROM " + sql::ident(t.name));
            runBound(*db_, "INSERT INTO " + sql::ident(t.name) + " (" + names + ") SELECT " +
                               values + " FROM (" + source + ") AS s",
                     params);
            const int64_t rows = db_->changes();
            advanceCounters(t, numbered, rows, lastRow);
            return static_cast<int32_t>(rows);
        }
    }
    runBound(*db_, text, params);
    if (d.kind == Dml::Kind::Select) return -1;
    return static_cast<int32_t>(db_->changes());
}

}  // namespace jet::store
