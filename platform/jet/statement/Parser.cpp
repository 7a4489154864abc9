// The Jet SQL statements both providers accept: DDL, account and permission
// statements, and the plain DML a synchronisation needs.
#include <algorithm>

#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/statement/Names.h"
#include "jet/statement/Statement.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet::statement {

namespace {

struct TypeRow {
    std::string_view name;
    int32_t type;
    bool counter;
    int32_t defaultSize;  // > 0: the type takes an optional (n)
    int32_t maxSize;
};

// Jet's type names and synonyms. TEXT and CHAR without a size hold 255
// characters; BINARY and VARBINARY without one 510 bytes.
constexpr TypeRow kTypes[] = {
    {"BIT", adtype::Boolean, false, 0, 0},
    {"LOGICAL", adtype::Boolean, false, 0, 0},
    {"LOGICAL1", adtype::Boolean, false, 0, 0},
    {"YESNO", adtype::Boolean, false, 0, 0},
    {"BOOLEAN", adtype::Boolean, false, 0, 0},
    {"BYTE", adtype::UnsignedTinyInt, false, 0, 0},
    {"TINYINT", adtype::UnsignedTinyInt, false, 0, 0},
    {"INTEGER1", adtype::UnsignedTinyInt, false, 0, 0},
    {"SHORT", adtype::SmallInt, false, 0, 0},
    {"SMALLINT", adtype::SmallInt, false, 0, 0},
    {"INTEGER2", adtype::SmallInt, false, 0, 0},
    {"LONG", adtype::Integer, false, 0, 0},
    {"INT", adtype::Integer, false, 0, 0},
    {"INTEGER", adtype::Integer, false, 0, 0},
    {"INTEGER4", adtype::Integer, false, 0, 0},
    {"COUNTER", adtype::Integer, true, 0, 0},
    {"AUTOINCREMENT", adtype::Integer, true, 0, 0},
    {"IDENTITY", adtype::Integer, true, 0, 0},
    {"CURRENCY", adtype::Currency, false, 0, 0},
    {"MONEY", adtype::Currency, false, 0, 0},
    {"SINGLE", adtype::Single, false, 0, 0},
    {"REAL", adtype::Single, false, 0, 0},
    {"FLOAT4", adtype::Single, false, 0, 0},
    {"IEEESINGLE", adtype::Single, false, 0, 0},
    {"DOUBLE", adtype::Double, false, 0, 0},
    {"FLOAT", adtype::Double, false, 0, 0},
    {"FLOAT8", adtype::Double, false, 0, 0},
    {"IEEEDOUBLE", adtype::Double, false, 0, 0},
    {"NUMBER", adtype::Double, false, 0, 0},
    {"DATETIME", adtype::Date, false, 0, 0},
    {"DATE", adtype::Date, false, 0, 0},
    {"TIME", adtype::Date, false, 0, 0},
    {"TIMESTAMP", adtype::Date, false, 0, 0},
    {"TEXT", adtype::VarWChar, false, 255, 255},
    {"VARCHAR", adtype::VarWChar, false, 255, 255},
    {"STRING", adtype::VarWChar, false, 255, 255},
    {"ALPHANUMERIC", adtype::VarWChar, false, 255, 255},
    {"NVARCHAR", adtype::VarWChar, false, 255, 255},
    {"CHAR", adtype::WChar, false, 255, 255},
    {"CHARACTER", adtype::WChar, false, 255, 255},
    {"NCHAR", adtype::WChar, false, 255, 255},
    {"LONGTEXT", adtype::LongVarWChar, false, 0, 0},
    {"LONGCHAR", adtype::LongVarWChar, false, 0, 0},
    {"MEMO", adtype::LongVarWChar, false, 0, 0},
    {"NOTE", adtype::LongVarWChar, false, 0, 0},
    {"NTEXT", adtype::LongVarWChar, false, 0, 0},
    {"BINARY", adtype::Binary, false, 510, 510},
    {"VARBINARY", adtype::VarBinary, false, 510, 510},
    {"LONGBINARY", adtype::LongVarBinary, false, 0, 0},
    {"OLEOBJECT", adtype::LongVarBinary, false, 0, 0},
    {"GENERAL", adtype::LongVarBinary, false, 0, 0},
    {"IMAGE", adtype::LongVarBinary, false, 0, 0},
    {"GUID", adtype::GUID, false, 0, 0},
    {"UNIQUEIDENTIFIER", adtype::GUID, false, 0, 0},
    {"NUMERIC", adtype::Numeric, false, 0, 0},
    {"DECIMAL", adtype::Numeric, false, 0, 0},
    {"DEC", adtype::Numeric, false, 0, 0},
};

struct PrivilegeRow {
    std::string_view name;
    int32_t rights;
};

// Jet's privileges and the ADOX rights bits they stand for.
constexpr PrivilegeRow kPrivileges[] = {
    {"SELECT", right::Read},
    {"DELETE", right::Delete},
    {"INSERT", right::Insert},
    {"UPDATE", right::Update},
    {"DROP", right::Drop},
    {"SELECTSECURITY", right::ReadPermissions},
    {"UPDATESECURITY", right::WritePermissions},
    {"UPDATEOWNER", right::WriteOwner},
    {"DBPASSWORD", right::WriteDesign},
    {"UPDATEIDENTITY", right::Update},
    {"CREATE", right::Create},
    {"SELECTSCHEMA", right::ReadDesign},
    {"SCHEMA", right::WriteDesign},
    {"CONNECT", right::Read},
    {"EXCLUSIVECONNECT", right::Exclusive},
    {"ALL", right::Full},
};

// The words of Jet SQL's own grammar, which Jet takes as names only in
// brackets: `CREATE TABLE Select (From TEXT)` is a syntax error there. Words
// Jet reserves only as functions, types or properties (Name, Date, Text,
// Value, Level, Key) are left alone: a bare one names an object as before.
constexpr std::string_view kReservedWords[] = {
    "ADD",         "ALL",        "ALTER",       "AND",        "ANY",       "AS",         "ASC",
    "BETWEEN",     "BY",         "COLUMN",      "CONSTRAINT", "CREATE",    "DELETE",     "DESC",
    "DISALLOW",    "DISTINCT",   "DISTINCTROW", "DROP",       "EQV",       "EXISTS",     "FOREIGN",
    "FROM",        "GROUP",      "HAVING",      "IGNORE",     "IMP",       "IN",         "INDEX",
    "INNER",       "INSERT",     "INTO",        "IS",         "JOIN",      "LEFT",       "LIKE",
    "MOD",         "NOT",        "NULL",        "ON",         "OR",        "ORDER",      "OUTER",
    "OWNERACCESS", "PARAMETERS", "PIVOT",       "PRIMARY",    "PROCEDURE", "REFERENCES", "RIGHT",
    "SELECT",      "SET",        "SOME",        "TABLE",      "TOP",       "TRANSFORM",  "UNION",
    "UNIQUE",      "UPDATE",     "VALUES",      "WHERE",      "WITH",      "XOR",
};

bool isReservedWord(std::string_view word) {
    return std::any_of(std::begin(kReservedWords), std::end(kReservedWords),
                       [&](std::string_view r) { return text::equalNoCase(r, word); });
}

std::string upperWord(std::string_view word) {
    std::string out(word);
    for (auto& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

class Parser {
public:
    // The length is checked before the text is split into tokens.
    explicit Parser(std::string_view sql)
        : sql_(sql), toks_((checkStatementLength(sql), tokenize(sql))) {}

    Parsed run() {
        const Token& first = peek();
        if (first.kind == TokKind::End) raise(Err::NoCommandText);
        if (first.kind != TokKind::Word) invalid(first);
        checkUtf8();
        Statement st = statement();
        Parsed p;
        p.sql = sql_;
        p.tokens = std::move(toks_);
        p.statement = std::move(st);
        p.kind = std::move(kind_);
        return p;
    }

private:
    // --- token helpers -------------------------------------------------------

    const Token& peek(size_t ahead = 0) const {
        const size_t k = std::min(i_ + ahead, toks_.size() - 1);
        return toks_[k];
    }
    const Token& next() {
        const Token& t = peek();
        if (t.kind == TokKind::Bad) error(t, badTokenText(sql_, t));
        if (i_ < toks_.size() - 1) ++i_;
        return t;
    }
    bool isKw(const Token& t, std::string_view kw) const {
        return t.kind == TokKind::Word && text::equalNoCase(raw(sql_, t), kw);
    }
    bool atKw(std::string_view kw, size_t ahead = 0) const { return isKw(peek(ahead), kw); }
    bool acceptKw(std::string_view kw) {
        if (!atKw(kw)) return false;
        next();
        return true;
    }
    void expectKw(std::string_view kw) {
        if (!acceptKw(kw)) error(peek(), "expected '" + std::string(kw) + "'");
    }
    bool isSym(const Token& t, std::string_view s) const {
        return t.kind == TokKind::Symbol && raw(sql_, t) == s;
    }
    bool atSym(std::string_view s, size_t ahead = 0) const { return isSym(peek(ahead), s); }
    bool acceptSym(std::string_view s) {
        if (!atSym(s)) return false;
        next();
        return true;
    }
    void expectSym(std::string_view s) {
        if (!acceptSym(s)) error(peek(), "expected '" + std::string(s) + "'");
    }
    std::string name(std::string_view what) {
        const Token& t = peek();
        if (t.kind == TokKind::Bad) error(t, badTokenText(sql_, t));
        if (t.kind == TokKind::Word && isReservedWord(raw(sql_, t)))
            error(t, "expected " + std::string(what) +
                         " (a reserved word is a name only in brackets)");
        if (t.kind == TokKind::Name || t.kind == TokKind::Word) {
            std::string n = value(sql_, next());
            if (n.empty()) error(t, "the name is empty");
            checkName(n);
            return n;
        }
        error(t, "expected " + std::string(what));
    }
    // The name of an object the statement makes: Jet's stricter rules.
    std::string newName(std::string_view what) {
        std::string n = name(what);
        checkNewName(n);
        return n;
    }
    // A password or personal ID: a word, name, string or number.
    bool secretAhead() const {
        const auto k = peek().kind;
        return k == TokKind::Word || k == TokKind::Name || k == TokKind::String ||
               k == TokKind::Number;
    }
    std::string secret(std::string_view what) {
        if (!secretAhead()) error(peek(), "expected " + std::string(what));
        return value(sql_, next());
    }

    [[noreturn]] void error(const Token& t, const std::string& message) const {
        std::string what = message;
        if (t.kind == TokKind::End)
            what += " at the end of the statement";
        else if (t.kind != TokKind::Bad)
            what += ", found '" + printable(raw(sql_, t)) + "'";
        raise(Err::SyntaxError, {kind_, std::to_string(position(sql_, t.begin)), what});
    }
    [[noreturn]] void invalid(const Token& t) const {
        raise(Err::InvalidStatement, {std::to_string(position(sql_, t.begin))});
    }

    // Text that is not UTF-8 stands for no name and no value: a name that
    // holds it is not a valid name, any other token a syntax error.
    void checkUtf8() {
        if (isValidUtf8(sql_)) return;
        for (const Token& t : toks_) {
            if (isValidUtf8(raw(sql_, t))) continue;
            if (t.kind == TokKind::Word || t.kind == TokKind::Name) checkNameText(value(sql_, t));
            kind_ = upperWord(raw(sql_, toks_.front()));
            error(t, "the text is not valid UTF-8");
        }
    }

    // The statement ends here, with an optional ";".
    void finish() {
        acceptSym(";");
        if (peek().kind != TokKind::End) error(peek(), "unexpected text after the statement");
    }

    // --- statements --------------------------------------------------------------

    Statement statement() {
        const Token& t = peek();
        if (isKw(t, "CREATE")) return create();
        if (isKw(t, "ALTER")) return alter();
        if (isKw(t, "DROP")) return drop();
        if (isKw(t, "ADD")) return addUser();
        if (isKw(t, "GRANT") || isKw(t, "REVOKE")) return grantRevoke();
        if (isKw(t, "UPDATE") || isKw(t, "INSERT") || isKw(t, "DELETE") || isKw(t, "SELECT"))
            return dml();
        invalid(t);
    }

    Statement create() {
        next();
        kind_ = "CREATE";
        if (acceptKw("TABLE")) {
            kind_ = "CREATE TABLE";
            return createTable();
        }
        if (atKw("UNIQUE") || atKw("INDEX")) {
            kind_ = "CREATE INDEX";
            return createIndex();
        }
        if (atKw("VIEW") || atKw("PROCEDURE") || atKw("PROC")) {
            kind_ = atKw("VIEW") ? "CREATE VIEW" : "CREATE PROCEDURE";
            next();
            CreateQuery q;
            q.name = newName("a query name");
            const Token& as = peek();
            if (!isKw(as, "AS")) error(as, "expected 'AS'");
            next();
            q.body = std::string(text::trimWhite(sql_.substr(as.end)));
            if (q.body.empty()) error(peek(), "expected the query's SQL text");
            oneStatement();
            return q;
        }
        if (acceptKw("USER")) {
            kind_ = "CREATE USER";
            CreateUsers s;
            do {
                Account a;
                a.name = name("a user name");
                if (secretAhead()) a.password = secret("a password");
                if (secretAhead()) a.pid = secret("a personal ID");
                s.users.push_back(std::move(a));
            } while (acceptSym(","));
            finish();
            return s;
        }
        if (acceptKw("GROUP")) {
            kind_ = "CREATE GROUP";
            CreateGroups s;
            do {
                Account a;
                a.name = name("a group name");
                if (secretAhead()) a.pid = secret("a personal ID");
                s.groups.push_back(std::move(a));
            } while (acceptSym(","));
            finish();
            return s;
        }
        error(peek(), "expected TABLE, INDEX, VIEW, PROCEDURE, USER or GROUP");
    }

    // A query's body, from here on, is one statement: a ";" may end its
    // PARAMETERS clause and the statement itself, nothing more. Text that
    // does not split into tokens (a quote left open) runs to the end.
    void oneStatement() const {
        bool parameters = atKw("PARAMETERS");
        for (size_t k = i_; toks_[k].kind != TokKind::End && toks_[k].kind != TokKind::Bad; ++k) {
            if (!isSym(toks_[k], ";")) continue;
            if (parameters) {
                parameters = false;
                continue;
            }
            if (toks_[k + 1].kind != TokKind::End)
                error(toks_[k + 1], "unexpected text after the statement");
        }
    }

    Statement createTable() {
        CreateTable ct;
        ct.name = newName("a table name");
        expectSym("(");
        do {
            if (atConstraintStart())
                ct.constraints.push_back(tableConstraint());
            else
                ct.columns.push_back(columnSpec());
        } while (acceptSym(","));
        expectSym(")");
        finish();
        if (ct.columns.empty()) error(peek(), "a table needs at least one column");
        return ct;
    }

    bool atConstraintStart() const {
        return atKw("CONSTRAINT") || (atKw("PRIMARY") && atKw("KEY", 1)) ||
               (atKw("FOREIGN") && atKw("KEY", 1)) || (atKw("UNIQUE") && atSym("(", 1));
    }

    TypeSpec typeSpec() {
        const Token& t = peek();
        if (t.kind == TokKind::Bad) error(t, badTokenText(sql_, t));
        if (t.kind != TokKind::Word) error(t, "expected a data type");
        std::string_view word = raw(sql_, t);
        const TypeRow* row = nullptr;
        // Two-word names: NATIONAL CHAR[ACTER] [VARYING], CHARACTER VARYING, DOUBLE PRECISION.
        if (text::equalNoCase(word, "NATIONAL")) {
            next();
            const Token& w = peek();
            if (!isKw(w, "CHAR") && !isKw(w, "CHARACTER")) error(w, "expected CHAR after NATIONAL");
            word = raw(sql_, w);
        }
        for (const auto& r : kTypes)
            if (text::equalNoCase(r.name, word)) row = &r;
        if (!row) error(t, "unknown data type");
        const size_t begin = t.begin;
        next();
        TypeSpec ts;
        ts.type = row->type;
        ts.counter = row->counter;
        if ((row->type == adtype::WChar || row->type == adtype::Binary) && acceptKw("VARYING"))
            ts.type = row->type == adtype::WChar ? adtype::VarWChar : adtype::VarBinary;
        if (row->type == adtype::Double && atKw("PRECISION")) next();
        const auto number = [&](std::string_view what) -> int64_t {
            bool negative = acceptSym("-");
            const Token& n = peek();
            if (n.kind != TokKind::Number ||
                raw(sql_, n).find_first_not_of("0123456789") != std::string_view::npos)
                error(n, "expected " + std::string(what));
            int64_t v = 0;
            for (char c : raw(sql_, n)) {
                v = v * 10 + (c - '0');
                if (v > 0x7fffffffLL) error(n, "the number is too large");
            }
            next();
            return negative ? -v : v;
        };
        if (row->counter) {
            if (acceptSym("(")) {
                ts.seed = static_cast<int32_t>(number("a seed"));
                expectSym(",");
                ts.increment = static_cast<int32_t>(number("an increment"));
                expectSym(")");
            }
        } else if (row->type == adtype::Numeric) {
            ts.precision = 18;
            ts.scale = 0;
            if (acceptSym("(")) {
                const Token& at = peek();
                const int64_t p = number("a precision");
                int64_t s = 0;
                if (acceptSym(",")) s = number("a scale");
                if (p < 1 || p > 28 || s < 0 || s > p)
                    error(at, "precision and scale are out of range");
                expectSym(")");
                ts.precision = static_cast<uint8_t>(p);
                ts.scale = static_cast<uint8_t>(s);
            }
        } else if (row->defaultSize > 0) {
            ts.size = row->defaultSize;
            if (acceptSym("(")) {
                const Token& at = peek();
                const int64_t n = number("a size");
                if (n < 1 || n > row->maxSize) error(at, "the size is out of range");
                ts.size = static_cast<int32_t>(n);
                expectSym(")");
            }
        } else if (atSym("(")) {
            error(peek(), "this data type takes no size");
        }
        ts.text = std::string(sql_.substr(begin, toks_[i_ - 1].end - begin));
        return ts;
    }

    int32_t ruleAction() {
        if (acceptKw("CASCADE")) return rule::Cascade;
        if (acceptKw("SET")) {
            if (acceptKw("NULL")) return rule::SetNull;
            if (acceptKw("DEFAULT")) return rule::SetDefault;
            error(peek(), "expected NULL or DEFAULT");
        }
        if (acceptKw("NO")) {
            expectKw("ACTION");
            return rule::None;
        }
        error(peek(), "expected CASCADE, SET NULL, SET DEFAULT or NO ACTION");
    }

    void references(ConstraintSpec& c) {
        expectKw("REFERENCES");
        c.relatedTable = name("the related table's name");
        if (acceptSym("(")) {
            do c.relatedColumns.push_back(name("a column name"));
            while (acceptSym(","));
            expectSym(")");
        }
        while (atKw("ON")) {
            next();
            if (acceptKw("UPDATE"))
                c.updateRule = ruleAction();
            else if (acceptKw("DELETE"))
                c.deleteRule = ruleAction();
            else
                error(peek(), "expected UPDATE or DELETE");
        }
    }

    std::vector<std::string> columnList() {
        std::vector<std::string> cols;
        expectSym("(");
        do cols.push_back(name("a column name"));
        while (acceptSym(","));
        expectSym(")");
        return cols;
    }

    // [CONSTRAINT name] PRIMARY KEY (…) | UNIQUE (…) | FOREIGN KEY (…) REFERENCES …
    ConstraintSpec tableConstraint() {
        ConstraintSpec c;
        if (acceptKw("CONSTRAINT")) c.name = newName("a constraint name");
        if (acceptKw("PRIMARY")) {
            expectKw("KEY");
            c.kind = ConstraintSpec::Kind::Primary;
            c.columns = columnList();
        } else if (acceptKw("UNIQUE")) {
            c.kind = ConstraintSpec::Kind::Unique;
            c.columns = columnList();
        } else if (acceptKw("FOREIGN")) {
            expectKw("KEY");
            c.kind = ConstraintSpec::Kind::Foreign;
            c.columns = columnList();
            references(c);
        } else {
            error(peek(), "expected PRIMARY KEY, UNIQUE or FOREIGN KEY");
        }
        return c;
    }

    // A column's own clause: PRIMARY KEY | UNIQUE | NOT NULL | REFERENCES …
    ConstraintSpec columnConstraint(std::string name) {
        ConstraintSpec c;
        c.name = std::move(name);
        if (acceptKw("PRIMARY")) {
            expectKw("KEY");
            c.kind = ConstraintSpec::Kind::Primary;
        } else if (acceptKw("UNIQUE")) {
            c.kind = ConstraintSpec::Kind::Unique;
        } else if (atKw("NOT")) {
            next();
            expectKw("NULL");
            c.kind = ConstraintSpec::Kind::NotNull;
        } else if (atKw("REFERENCES")) {
            c.kind = ConstraintSpec::Kind::Foreign;
            references(c);
        } else {
            error(peek(), "expected PRIMARY KEY, UNIQUE, NOT NULL or REFERENCES");
        }
        return c;
    }

    // The column's name is a new one unless the column exists (ALTER COLUMN).
    ColumnSpec columnSpec(bool existing = false) {
        ColumnSpec c;
        c.name = existing ? name("a column name") : newName("a column name");
        c.type = typeSpec();
        while (true) {
            if (atKw("NOT")) {
                next();
                expectKw("NULL");
                c.notNull = true;
            } else if (acceptKw("NULL")) {
                c.notNull = false;
            } else if (atKw("WITH")) {
                next();
                if (!acceptKw("COMPRESSION") && !acceptKw("COMP"))
                    error(peek(), "expected COMPRESSION");
                c.compressed = true;
            } else if (acceptKw("DEFAULT")) {
                c.defaultValue = defaultText();
            } else if (acceptKw("CONSTRAINT")) {
                std::string n = newName("a constraint name");
                auto k = columnConstraint(std::move(n));
                if (k.kind == ConstraintSpec::Kind::NotNull)
                    c.notNull = true;
                else
                    c.constraints.push_back(std::move(k));
            } else if (atKw("PRIMARY") || atKw("UNIQUE") || atKw("REFERENCES")) {
                c.constraints.push_back(columnConstraint({}));
            } else {
                break;
            }
        }
        return c;
    }

    // The text of a DEFAULT value as written: up to the next clause, ",", ")" or
    // ";" outside parentheses.
    std::string defaultText() {
        const size_t begin = peek().begin;
        size_t end = begin;
        int depth = 0;
        while (true) {
            const Token& t = peek();
            if (t.kind == TokKind::End || t.kind == TokKind::Bad) break;
            if (depth == 0 && (isSym(t, ",") || isSym(t, ")") || isSym(t, ";"))) break;
            if (depth == 0 &&
                (isKw(t, "NOT") || isKw(t, "NULL") || isKw(t, "WITH") || isKw(t, "CONSTRAINT") ||
                 isKw(t, "PRIMARY") || isKw(t, "UNIQUE") || isKw(t, "REFERENCES")) &&
                end > begin)
                break;
            if (isSym(t, "(")) ++depth;
            if (isSym(t, ")")) --depth;
            end = t.end;
            next();
        }
        if (end == begin) error(peek(), "expected a default value");
        return std::string(sql_.substr(begin, end - begin));
    }

    Statement createIndex() {
        CreateIndex ci;
        ci.unique = acceptKw("UNIQUE");
        expectKw("INDEX");
        ci.name = newName("an index name");
        expectKw("ON");
        ci.table = name("a table name");
        expectSym("(");
        if (!atSym(")")) {
            do {
                IndexColumnData col;
                col.name = name("a column name");
                if (acceptKw("DESC"))
                    col.sortOrder = kSortDescending;
                else
                    acceptKw("ASC");
                ci.columns.push_back(std::move(col));
            } while (acceptSym(","));
        }
        expectSym(")");
        if (acceptKw("WITH")) {
            do {
                if (acceptKw("PRIMARY")) {
                    ci.primary = true;
                } else if (acceptKw("DISALLOW")) {
                    expectKw("NULL");
                    ci.nulls = indexnulls::Disallow;
                } else if (acceptKw("IGNORE")) {
                    expectKw("NULL");
                    ci.nulls = indexnulls::Ignore;
                } else {
                    error(peek(), "expected PRIMARY, DISALLOW NULL or IGNORE NULL");
                }
            } while (atKw("PRIMARY") || atKw("DISALLOW") || atKw("IGNORE"));
        }
        finish();
        if (ci.columns.empty()) error(peek(), "an index needs at least one column");
        return ci;
    }

    Statement alter() {
        next();
        kind_ = "ALTER";
        if (acceptKw("TABLE")) {
            kind_ = "ALTER TABLE";
            std::string table = name("a table name");
            if (acceptKw("ADD")) {
                if (atKw("CONSTRAINT") || atKw("PRIMARY") || atKw("UNIQUE") || atKw("FOREIGN")) {
                    AddConstraint ac{table, tableConstraint()};
                    finish();
                    return ac;
                }
                acceptKw("COLUMN");
                AddColumn a{table, columnSpec()};
                finish();
                return a;
            }
            if (acceptKw("ALTER")) {
                acceptKw("COLUMN");
                AlterColumn a{table, columnSpec(true)};
                finish();
                return a;
            }
            if (acceptKw("DROP")) {
                if (acceptKw("CONSTRAINT")) {
                    DropConstraint d{table, name("a constraint name")};
                    finish();
                    return d;
                }
                acceptKw("COLUMN");
                DropColumn d{table, name("a column name")};
                finish();
                return d;
            }
            error(peek(), "expected ADD, ALTER or DROP");
        }
        if (acceptKw("USER")) {
            kind_ = "ALTER USER";
            AlterUserPassword a;
            a.user = name("a user name");
            expectKw("PASSWORD");
            a.newPassword = secret("the new password");
            if (secretAhead()) a.oldPassword = secret("the old password");
            finish();
            return a;
        }
        if (acceptKw("DATABASE")) {
            kind_ = "ALTER DATABASE";
            expectKw("PASSWORD");
            AlterDatabasePassword a;
            const auto pw = [&](std::string_view what) -> std::optional<std::string> {
                if (acceptKw("NULL")) return std::nullopt;
                return secret(what);
            };
            a.newPassword = pw("the new password");
            if (secretAhead()) a.oldPassword = pw("the old password");
            finish();
            return a;
        }
        error(peek(), "expected TABLE, USER or DATABASE");
    }

    std::vector<std::string> nameList(std::string_view what) {
        std::vector<std::string> out;
        do out.push_back(name(what));
        while (acceptSym(","));
        return out;
    }

    Statement drop() {
        next();
        kind_ = "DROP";
        if (acceptKw("TABLE")) {
            kind_ = "DROP TABLE";
            DropTable d{name("a table name")};
            finish();
            return d;
        }
        if (acceptKw("INDEX")) {
            kind_ = "DROP INDEX";
            DropIndex d;
            d.name = name("an index name");
            expectKw("ON");
            d.table = name("a table name");
            finish();
            return d;
        }
        if (atKw("VIEW") || atKw("PROCEDURE") || atKw("PROC")) {
            const bool view = atKw("VIEW");
            kind_ = view ? "DROP VIEW" : "DROP PROCEDURE";
            next();
            DropQuery d{name("a query name"), view};
            finish();
            return d;
        }
        if (acceptKw("USER")) {
            kind_ = "DROP USER";
            auto users = nameList("a user name");
            if (acceptKw("FROM")) {
                RemoveMembers r{std::move(users), name("a group name")};
                finish();
                return r;
            }
            finish();
            return DropUsers{std::move(users)};
        }
        if (acceptKw("GROUP")) {
            kind_ = "DROP GROUP";
            auto groups = nameList("a group name");
            finish();
            return DropGroups{std::move(groups)};
        }
        error(peek(), "expected TABLE, INDEX, VIEW, PROCEDURE, USER or GROUP");
    }

    Statement addUser() {
        next();
        kind_ = "ADD USER";
        expectKw("USER");
        AddMembers a;
        a.users = nameList("a user name");
        expectKw("TO");
        a.group = name("a group name");
        finish();
        return a;
    }

    Statement grantRevoke() {
        GrantRevoke g;
        g.grant = atKw("GRANT");
        kind_ = g.grant ? "GRANT" : "REVOKE";
        next();
        do {
            const Token& t = peek();
            if (t.kind != TokKind::Word) error(t, "expected a privilege");
            const PrivilegeRow* row = nullptr;
            for (const auto& r : kPrivileges)
                if (text::equalNoCase(r.name, raw(sql_, t))) row = &r;
            if (!row) error(t, "unknown privilege");
            next();
            if (row->rights == right::Full) acceptKw("PRIVILEGES");
            g.rights |= row->rights;
        } while (acceptSym(","));
        expectKw("ON");
        if (acceptKw("TABLE")) {
            g.target = 0;
            g.object = name("a table name");
        } else if (acceptKw("OBJECT")) {
            g.target = 1;
            g.object = name("an object name");
        } else if (acceptKw("CONTAINER")) {
            g.target = 2;
            g.object = name("a container name");
        } else if (acceptKw("DATABASE")) {
            g.target = 2;
        } else {
            error(peek(), "expected TABLE, OBJECT, CONTAINER or DATABASE");
        }
        if (g.grant)
            expectKw("TO");
        else
            expectKw("FROM");
        g.principals = nameList("a user or group name");
        finish();
        return g;
    }

    Statement dml() {
        Dml d;
        const Token& t = peek();
        if (isKw(t, "UPDATE"))
            d.kind = Dml::Kind::Update;
        else if (isKw(t, "INSERT"))
            d.kind = Dml::Kind::Insert;
        else if (isKw(t, "DELETE"))
            d.kind = Dml::Kind::Delete;
        else
            d.kind = Dml::Kind::Select;
        kind_ = upperWord(raw(sql_, t));
        d.first = i_;
        size_t last = toks_.size() - 1;  // the End token
        for (size_t k = i_; k < toks_.size(); ++k) {
            if (toks_[k].kind == TokKind::Bad) {
                i_ = k;
                error(toks_[k], badTokenText(sql_, toks_[k]));
            }
        }
        if (last > d.first && isSym(toks_[last - 1], ";")) --last;
        d.last = last;
        i_ = toks_.size() - 1;
        return d;
    }

    std::string_view sql_;
    std::vector<Token> toks_;
    size_t i_ = 0;
    std::string kind_;
};

}  // namespace

Parsed parseStatement(std::string_view sql) { return Parser(sql).run(); }

bool isAccountStatement(const Statement& s) {
    return std::holds_alternative<CreateUsers>(s) || std::holds_alternative<CreateGroups>(s) ||
           std::holds_alternative<DropUsers>(s) || std::holds_alternative<DropGroups>(s) ||
           std::holds_alternative<AddMembers>(s) || std::holds_alternative<RemoveMembers>(s) ||
           std::holds_alternative<AlterUserPassword>(s);
}

}  // namespace jet::statement
