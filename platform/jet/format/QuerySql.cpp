#include "jet/format/QuerySql.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>

namespace jet::format {

namespace {

constexpr const char* kNewline = "\r\n";

// In a union query the Flag row's bit 2 asks for distinct rows (plain UNION).
constexpr int32_t kUnionDistinct = 0x02;
constexpr int32_t kCrosstabNormal = 0x02;

// Letters beyond ASCII (any UTF-8 byte above 0x7F) stand bare in Jet SQL too.
bool isPlainIdentifier(const std::string& s) {
    if (s.empty()) return false;
    const auto first = static_cast<unsigned char>(s[0]);
    if (!(std::isalpha(first) || first == '_' || first >= 0x80)) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || u == '_' || u >= 0x80;
    });
}

// Words of Jet SQL's statements and operators: a name spelt like one stands in
// brackets, or the text would not read back (FROM Order, SELECT … AS Group).
bool isKeyword(const std::string& s) {
    static constexpr const char* kWords[] = {
        "ALL",         "ALTER",      "AND",         "ANY",    "AS",       "ASC",       "BETWEEN",
        "BY",          "COLUMN",     "CONSTRAINT",  "CREATE", "DATABASE", "DELETE",    "DESC",
        "DISALLOW",    "DISTINCT",   "DISTINCTROW", "DROP",   "EQV",      "EXISTS",    "FOREIGN",
        "FROM",        "GROUP",      "HAVING",      "IMP",    "IN",       "INDEX",     "INNER",
        "INSERT",      "INTO",       "IS",          "JOIN",   "KEY",      "LEFT",      "LIKE",
        "MOD",         "NOT",        "NULL",        "ON",     "OR",       "ORDER",     "OUTER",
        "OWNERACCESS", "PARAMETERS", "PERCENT",     "PIVOT",  "PRIMARY",  "PROCEDURE", "REFERENCES",
        "RIGHT",       "SELECT",     "SET",         "TABLE",  "TOP",      "TRANSFORM", "UNION",
        "UNIQUE",      "UPDATE",     "VALUES",      "VIEW",   "WHERE",    "WITH",      "XOR",
    };
    std::string upper(s);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return std::any_of(std::begin(kWords), std::end(kWords),
                       [&](const char* w) { return upper == w; });
}

std::string joinList(const std::vector<std::string>& items, const char* sep = ", ") {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += sep;
        out += items[i];
    }
    return out;
}

// Parameter types by Jet data type code, named as a PARAMETERS clause names them.
std::string parameterType(int32_t code) {
    switch (code) {
        case 1:
            return "Bit";
        case 2:
            return "Byte";
        case 3:
            return "Short";
        case 4:
            return "Long";
        case 5:
            return "Currency";
        case 6:
            return "IEEESingle";
        case 7:
            return "IEEEDouble";
        case 8:
            return "DateTime";
        case 9:
            return "Binary";
        case 10:
            return "Text ( 255 )";
        case 11:
            return "LongBinary";
        case 12:
            return "LongText";
        case 15:
            return "Guid";
        case 16:
            return "Decimal";
        default:
            return "Value";
    }
}

std::string remoteDb(const std::string& path, const std::string& type) {
    if (path.empty() && type.empty()) return {};
    std::string out = " IN '" + path + "'";
    if (!type.empty()) out += " [" + type + "]";
    return out;
}

std::string withAlias(const std::string& expression, const std::string& alias) {
    if (alias.empty()) return expression;
    return expression + " AS " + quoteName(alias);
}

// A FROM entry: one table, or a join of two entries.
struct Source {
    std::string key;  // for a table: the name joins refer to it by (alias or name)
    std::string text;
    std::unique_ptr<Source> left, right;
    int32_t joinType = 1;
    std::vector<std::string> on;

    [[nodiscard]] bool contains(const std::string& name) const {
        if (!left) return key == name;
        return left->contains(name) || right->contains(name);
    }
    [[nodiscard]] std::string render(bool top) const {
        if (!left) return text;
        std::string s;
        if (!top) s += "(";
        s += left->render(false);
        s += joinType == 2 ? " LEFT JOIN " : joinType == 3 ? " RIGHT JOIN " : " INNER JOIN ";
        s += right->render(false);
        s += " ON ";
        if (on.size() == 1) {
            s += on[0];
        } else {
            for (size_t i = 0; i < on.size(); ++i) {
                if (i) s += " AND ";
                s += "(" + on[i] + ")";
            }
        }
        if (!top) s += ")";
        return s;
    }
};

class Rows {
public:
    explicit Rows(std::vector<QueryRow> rows) : rows_(std::move(rows)) {
        // Rows of one attribute keep their Order, then their file order.
        std::stable_sort(rows_.begin(), rows_.end(), [](const QueryRow& a, const QueryRow& b) {
            if (a.attribute != b.attribute) return a.attribute < b.attribute;
            return a.order < b.order;
        });
    }
    [[nodiscard]] std::vector<const QueryRow*> all(int attribute) const {
        std::vector<const QueryRow*> out;
        for (const auto& r : rows_)
            if (r.attribute == attribute) out.push_back(&r);
        return out;
    }
    [[nodiscard]] const QueryRow* first(int attribute) const {
        for (const auto& r : rows_)
            if (r.attribute == attribute) return &r;
        return nullptr;
    }

private:
    std::vector<QueryRow> rows_;
};

class Builder {
public:
    explicit Builder(std::vector<QueryRow> rows) : rows_(std::move(rows)) {
        if (const auto* t = rows_.first(qattr::Type)) {
            type_ = t;
            kind_ = t->flag;
        }
        if (const auto* f = rows_.first(qattr::Flag)) {
            flags_ = f->flag;
            top_ = f->name1;
        }
    }

    BuiltQuery build() {
        BuiltQuery out;
        out.kind = kind_;
        const auto params = rows_.all(qattr::Parameter);
        out.hasParameters = !params.empty();
        if (kind_ == qkind::DataDefinition || kind_ == qkind::PassThrough) {
            // The statement is kept whole; Jet passes it on unchanged.
            out.sql = type_ ? type_->expression : std::string();
            return out;
        }
        std::string sql;
        if (!params.empty()) {
            std::vector<std::string> decl;
            for (const auto* p : params) {
                // Always bracketed: names such as "Forms!Dialog!Date" or "User Name"
                // stay one parameter name.
                const std::string name =
                    p->name1.find(']') == std::string::npos ? "[" + p->name1 + "]" : p->name1;
                decl.push_back(name + " " + parameterType(p->flag));
            }
            sql += "PARAMETERS " + joinList(decl) + ";" + kNewline;
        }
        switch (kind_) {
            case qkind::Union:
                sql += unionText();
                break;
            case qkind::Crosstab:
                sql += crosstabText();
                break;
            case qkind::Update:
                sql += updateText();
                break;
            case qkind::Delete:
                sql += deleteText();
                break;
            case qkind::Append:
                sql += appendText();
                break;
            case qkind::MakeTable:
                sql += selectText(true);
                break;
            default:
                sql += selectText(false);
                break;
        }
        if (flags_ & qflag::OwnerAccess) sql += std::string(kNewline) + "WITH OWNERACCESS OPTION";
        sql += ";";
        out.sql = std::move(sql);
        return out;
    }

private:
    [[nodiscard]] bool has(int32_t bit) const { return (flags_ & bit) != 0; }

    [[nodiscard]] std::string targetTable() const {
        if (!type_) return {};
        return quoteName(type_->name1) + remoteDb(type_->name2, type_->expression);
    }

    [[nodiscard]] std::string selectPrefix() const {
        std::string s = "SELECT ";
        if (has(qflag::Distinct))
            s += "DISTINCT ";
        else if (has(qflag::DistinctRow))
            s += "DISTINCTROW ";
        if (has(qflag::Top)) {
            s += "TOP " + top_;
            if (has(qflag::Percent)) s += " PERCENT";
            s += " ";
        }
        return s;
    }

    [[nodiscard]] std::vector<std::string> columns(bool crosstabOnly) const {
        std::vector<std::string> out;
        for (const auto* r : rows_.all(qattr::Column)) {
            if (crosstabOnly && !(r->flag & kCrosstabNormal)) continue;
            out.push_back(withAlias(r->expression, r->name1));
        }
        if (has(qflag::SelectStar) && kind_ != qkind::Union) out.push_back("*");
        return out;
    }

    [[nodiscard]] std::vector<std::string> fromTables() const {
        std::vector<std::unique_ptr<Source>> list;
        for (const auto* t : rows_.all(qattr::Table)) {
            auto s = std::make_unique<Source>();
            if (!t->expression.empty() && t->name1.empty()) {
                // A nested query used as a table.
                s->text = "(" + t->expression + ")";
            } else {
                if (!t->expression.empty()) s->text = "[" + t->expression + "].";
                s->text += quoteName(t->name1);
            }
            if (!t->name2.empty()) s->text += " AS " + quoteName(t->name2);
            s->key = !t->name2.empty() ? t->name2 : t->name1;
            list.push_back(std::move(s));
        }
        for (const auto* j : rows_.all(qattr::Join)) {
            std::unique_ptr<Source> from, to;
            Source* both = nullptr;
            for (auto it = list.begin(); it != list.end() && (!from || !to) && !both;) {
                Source* s = it->get();
                if (!from && s->contains(j->name1)) {
                    if (!to && s->contains(j->name2)) {
                        both = s;  // the join adds a condition to an existing join
                        break;
                    }
                    from = std::move(*it);
                    it = list.erase(it);
                } else if (!to && s->contains(j->name2)) {
                    to = std::move(*it);
                    it = list.erase(it);
                } else {
                    ++it;
                }
            }
            if (both && both->left) {
                both->on.push_back(j->expression);
                continue;
            }
            if (both) {
                // One table on both sides of the join: join it to a second copy.
                for (auto it = list.begin(); it != list.end(); ++it) {
                    if (it->get() == both) {
                        from = std::move(*it);
                        list.erase(it);
                        break;
                    }
                }
            }
            auto named = [](const std::string& n) {
                auto s = std::make_unique<Source>();
                s->key = n;
                s->text = quoteName(n);
                return s;
            };
            if (!from) from = named(j->name1);
            if (!to) to = named(j->name2);
            auto join = std::make_unique<Source>();
            join->joinType = j->flag;
            join->on.push_back(j->expression);
            join->left = std::move(from);
            join->right = std::move(to);
            list.push_back(std::move(join));
        }
        std::vector<std::string> out;
        out.reserve(list.size());
        for (const auto& s : list) out.push_back(s->render(true));
        return out;
    }

    [[nodiscard]] std::string fromClause() const {
        std::string s;
        const auto tables = fromTables();
        if (!tables.empty()) s += std::string(kNewline) + "FROM " + joinList(tables);
        if (const auto* r = rows_.first(qattr::RemoteDb)) s += remoteDb(r->name1, r->expression);
        return s;
    }

    [[nodiscard]] std::string expressionClause(int attribute, const char* keyword) const {
        const auto* r = rows_.first(attribute);
        if (!r || r->expression.empty()) return {};
        return std::string(kNewline) + keyword + r->expression;
    }

    [[nodiscard]] std::string groupByClause(bool crosstabOnly) const {
        std::vector<std::string> items;
        for (const auto* r : rows_.all(qattr::GroupBy)) {
            if (crosstabOnly && !(r->flag & kCrosstabNormal)) continue;
            items.push_back(r->expression);
        }
        if (items.empty()) return {};
        return std::string(kNewline) + "GROUP BY " + joinList(items);
    }

    [[nodiscard]] std::string orderByClause() const {
        std::vector<std::string> items;
        for (const auto* r : rows_.all(qattr::OrderBy))
            items.push_back(r->name1 == "D" || r->name1 == "d" ? r->expression + " DESC"
                                                               : r->expression);
        if (items.empty()) return {};
        return std::string(kNewline) + "ORDER BY " + joinList(items);
    }

    // FROM through ORDER BY of a select-like statement.
    [[nodiscard]] std::string tail(bool crosstab) const {
        return fromClause() + expressionClause(qattr::Where, "WHERE ") + groupByClause(crosstab) +
               expressionClause(qattr::Having, "HAVING ") + orderByClause();
    }

    [[nodiscard]] std::string selectText(bool into) const {
        std::string s = selectPrefix() + joinList(columns(false));
        if (into) s += " INTO " + targetTable();
        return s + tail(false);
    }

    [[nodiscard]] std::string appendText() const {
        std::string s = "INSERT INTO " + targetTable();
        std::vector<std::string> targets;
        bool allNamed = true;
        for (const auto* r : rows_.all(qattr::Column)) {
            if (r->name2.empty()) allNamed = false;
            targets.push_back(r->name2);
        }
        if (!targets.empty() && allNamed) s += " ( " + joinList(targets) + " )";
        return s + kNewline + selectText(false);
    }

    [[nodiscard]] std::string updateText() const {
        std::string s = "UPDATE " + joinList(fromTables());
        if (const auto* r = rows_.first(qattr::RemoteDb)) s += remoteDb(r->name1, r->expression);
        std::vector<std::string> sets;
        for (const auto* r : rows_.all(qattr::Column))
            sets.push_back(r->name2 + " = " + r->expression);
        s += std::string(kNewline) + "SET " + joinList(sets);
        return s + expressionClause(qattr::Where, "WHERE ");
    }

    [[nodiscard]] std::string deleteText() const {
        std::string s = "DELETE ";
        if (has(qflag::DistinctRow)) s += "DISTINCTROW ";
        return s + joinList(columns(false)) + tail(false);
    }

    [[nodiscard]] std::string crosstabText() const {
        std::string s;
        const QueryRow* pivot = nullptr;
        for (const auto* r : rows_.all(qattr::Column)) {
            if (r->flag & qflag::CrosstabPivot) {
                if (!pivot) pivot = r;
            } else if (!(r->flag & kCrosstabNormal) && s.empty()) {
                s = "TRANSFORM " + withAlias(r->expression, r->name1) + kNewline;
            }
        }
        s += selectPrefix() + joinList(columns(true)) + tail(true);
        if (pivot) s += std::string(kNewline) + "PIVOT " + pivot->expression;
        return s;
    }

    [[nodiscard]] std::string unionText() const {
        auto parts = rows_.all(qattr::Table);
        std::stable_sort(parts.begin(), parts.end(),
                         [](const QueryRow* a, const QueryRow* b) { return a->name2 < b->name2; });
        std::string s;
        const char* joiner = has(kUnionDistinct) ? "UNION " : "UNION ALL ";
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i) s += std::string(kNewline) + joiner;
            s += trimmed(parts[i]->expression);
        }
        return s + orderByClause();
    }

    static std::string trimmed(const std::string& text) {
        const auto isWhite = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        size_t b = 0, e = text.size();
        while (b < e && isWhite(text[b])) ++b;
        while (e > b && isWhite(text[e - 1])) --e;
        std::string t = text.substr(b, e - b);
        // A trailing ";" inside a part would end the statement early.
        while (!t.empty() && t.back() == ';') t.pop_back();
        return t;
    }

    Rows rows_;
    const QueryRow* type_ = nullptr;
    int32_t kind_ = qkind::Select;
    int32_t flags_ = 0;
    std::string top_;
};

}  // namespace

std::string quoteName(const std::string& name) {
    if (name.empty() || (isPlainIdentifier(name) && !isKeyword(name))) return name;
    if (name.front() == '[' && name.back() == ']') return name;
    return "[" + name + "]";
}

BuiltQuery buildQuerySql(std::vector<QueryRow> rows) { return Builder(std::move(rows)).build(); }

}  // namespace jet::format
