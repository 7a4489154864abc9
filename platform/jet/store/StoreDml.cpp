// Plain Jet DML (UPDATE, INSERT, DELETE, SELECT) run on SQLite. The shared
// reader (jet/statement/Dml.h) checks the statement and writes its SQL; here
// the dialect makes that SQLite's: literals (strings and #dates#) bound, never
// spliced, and each of Jet's functions written as its SQLite counterpart.
// Nothing else reaches SQLite. Values written to a column are converted to
// its stored form by jet_convert, which refuses what does not fit.
#include <algorithm>

#include "jet/Error.h"
#include "jet/statement/Convert.h"
#include "jet/statement/Dml.h"
#include "jet/store/StoreDatabase.h"
#include "jet/store/StoredValue.h"
#include "text/CaseFold.h"

namespace jet::store {

using namespace statement;

namespace {

// What each of Jet's functions is in SQLite: `sqlite` with the arguments in
// order; empty: written apart.
struct FunctionRow {
    std::string_view jet;
    std::string_view sqlite;
};
constexpr FunctionRow kFunctions[] = {
    {"UCASE", "upper"}, {"LCASE", "lower"}, {"LEN", "length"}, {"MID", "substr"},
    {"LEFT", ""},       {"RIGHT", ""},      {"TRIM", "trim"},  {"LTRIM", "ltrim"},
    {"RTRIM", "rtrim"}, {"INSTR", ""},      {"NZ", "ifnull"},  {"IIF", "iif"},
    {"ASC", "unicode"}, {"CHR", "char"},    {"INT", ""},       {"ABS", "abs"},
    {"ROUND", "round"}, {"NOW", ""},        {"DATE", ""},      {"COUNT", "count"},
    {"SUM", "sum"},     {"AVG", "avg"},     {"MIN", "min"},    {"MAX", "max"},
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

// SQLite's SQL; values are bound in the order they are written.
class SqliteDialect final : public Dialect {
public:
    explicit SqliteDialect(std::vector<sql::Value>& params) : params_(params) {}

    std::string name(std::string_view n) override { return sql::ident(n); }
    std::string text(std::string value, bool pattern) override {
        return bind(sql::Value::text(pattern ? likePattern(value) : std::move(value)));
    }
    std::string date(DateTime value) override {
        return bind(sql::Value::text(dateText(value).value_or("")));
    }
    std::string call(std::string_view f, const std::vector<std::string>& args) override {
        if (f == "NOW") return "datetime('now', 'localtime')";
        if (f == "DATE") return "(date('now', 'localtime') || ' 00:00:00')";
        if (f == "LEFT") return "substr(" + args[0] + ", 1, " + args[1] + ")";
        // Jet compares text without regard to case.
        if (f == "INSTR") return "instr(lower(" + args[0] + "), lower(" + args[1] + "))";
        if (f == "INT") return "CAST(floor(" + args[0] + ") AS INTEGER)";
        // The last n characters; substr() would take all of them for n = 0.
        if (f == "RIGHT")
            return "substr(" + args[0] + ", max(length(" + args[0] + ") - (" + args[1] +
                   ") + 1, 1))";
        std::string out;
        for (const auto& row : kFunctions)
            if (row.jet == f) out = std::string(row.sqlite);
        out += "(";
        for (size_t k = 0; k < args.size(); ++k) out += (k ? ", " : "") + args[k];
        return out + ")";
    }
    [[nodiscard]] std::string_view concatenation() const override { return "||"; }
    [[nodiscard]] std::string_view modulo() const override { return "%"; }

private:
    std::string bind(sql::Value v) {
        params_.push_back(std::move(v));
        return "?" + std::to_string(params_.size());  // numbered: text order may differ
    }

    std::vector<sql::Value>& params_;
};

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

}  // namespace

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
    SqliteDialect dialect(params);
    DmlReader tr(p.sql, p.tokens, p.kind, model_, dialect);
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
            text = tr.text(tr.select(i, nullptr, 0));
            atEnd();
            runBound(*db_, text, params);
            return -1;
        }
        case Dml::Kind::Update: {
            const UpdateParts u = readUpdate(p, d, model_, dialect);
            // Made before the transaction already, unless the session has
            // started afresh since; then here.
            armTriggers(*u.table);
            std::string sets;
            for (const auto& a : u.sets) {
                if (!sets.empty()) sets += ", ";
                sets += sql::ident(a.column->name) + " = " + converted(a.value.text, *a.column);
            }
            text = "UPDATE " + sql::ident(u.table->name) + " SET " + sets;
            if (u.where) text += " WHERE " + u.where->text;
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
                    source = tr.text(s);
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
                const std::string e = readDefault(c.defaultValue, p.kind, model_, dialect).text;
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
