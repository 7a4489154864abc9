#include "jet/QueryText.h"

#include <cctype>
#include <limits>
#include <string>

#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet {

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// A forward reader over SQL text that skips white space and knows brackets,
// quoted strings and parentheses well enough to find top-level keywords.
struct Reader {
    std::string_view s;
    size_t i = 0;

    void skipSpace() {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    }
    bool atEnd() {
        skipSpace();
        return i >= s.size();
    }
    // Reads a bare word (letters, digits, _); empty when none stands here.
    std::string_view word() {
        skipSpace();
        const size_t start = i;
        while (i < s.size() && isWordChar(s[i])) ++i;
        return s.substr(start, i - start);
    }
    bool keyword(std::string_view kw) {
        const size_t save = i;
        if (text::equalNoCase(word(), kw)) return true;
        i = save;
        return false;
    }
    // A name: [bracketed] or a bare word.
    std::string name() {
        skipSpace();
        if (i < s.size() && s[i] == '[') {
            const size_t close = s.find(']', i + 1);
            const size_t end = close == std::string_view::npos ? s.size() : close;
            std::string n(s.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? s.size() : close + 1;
            return n;
        }
        return std::string(word());
    }
    // Skips one token of any kind; returns false at the end.
    bool skipToken() {
        skipSpace();
        if (i >= s.size()) return false;
        const char c = s[i];
        if (c == '[') {
            const size_t close = s.find(']', i + 1);
            i = close == std::string_view::npos ? s.size() : close + 1;
        } else if (c == '\'' || c == '"') {
            size_t k = i + 1;
            while (k < s.size()) {
                if (s[k] == c) {
                    if (k + 1 < s.size() && s[k + 1] == c) {
                        k += 2;
                        continue;
                    }
                    break;
                }
                ++k;
            }
            i = k < s.size() ? k + 1 : s.size();
        } else if (isWordChar(c)) {
            while (i < s.size() && isWordChar(s[i])) ++i;
        } else {
            ++i;
        }
        return true;
    }
};

// Positions the reader after the PARAMETERS clause, if there is one.
bool skipParameters(Reader& r) {
    const size_t save = r.i;
    if (!r.keyword("PARAMETERS")) {
        r.i = save;
        return false;
    }
    while (r.i < r.s.size()) {
        r.skipSpace();
        if (r.i < r.s.size() && r.s[r.i] == ';') {
            ++r.i;
            break;
        }
        if (!r.skipToken()) break;
    }
    return true;
}

// True when `kw` stands at parenthesis depth 0 before the end.
bool topLevelKeyword(Reader r, std::string_view kw, std::string_view stopAt = {}) {
    int depth = 0;
    while (true) {
        r.skipSpace();
        if (r.i >= r.s.size()) return false;
        const char c = r.s[r.i];
        if (c == '(') {
            ++depth;
            ++r.i;
            continue;
        }
        if (c == ')') {
            --depth;
            ++r.i;
            continue;
        }
        if (isWordChar(c)) {
            const auto w = r.word();
            if (depth <= 0 && text::equalNoCase(w, kw)) return true;
            if (depth <= 0 && !stopAt.empty() && text::equalNoCase(w, stopAt)) return false;
            continue;
        }
        r.skipToken();
    }
}

// A parameter's name: one part, [bracketed] or bare, with its brackets removed;
// or a reference of parts joined by "!" or "." (Forms![Dialog]![Date]), kept
// whole as it is written, brackets and all.
std::string parameterName(Reader& r) {
    r.skipSpace();
    const size_t start = r.i;
    size_t end = start;
    size_t parts = 0;
    std::string single;
    // The parts and their separators stand together, as in an expression.
    while (r.i < r.s.size() && !std::isspace(static_cast<unsigned char>(r.s[r.i]))) {
        const size_t partStart = r.i;
        std::string part = r.name();
        if (r.i == partStart) break;  // no part stands here
        if (parts++ == 0) single = std::move(part);
        end = r.i;
        if (r.i >= r.s.size() || (r.s[r.i] != '!' && r.s[r.i] != '.')) break;
        ++r.i;
    }
    r.i = end;
    if (parts <= 1) return single;
    return std::string(r.s.substr(start, end - start));
}

struct TypeRow {
    std::string_view name;
    int32_t type;
};

// Jet SQL type names of a PARAMETERS clause and their ADO codes.
constexpr TypeRow kParameterTypes[] = {
    {"BIT", 11},           {"YESNO", 11},      {"LOGICAL", 11},      {"BOOLEAN", 11},
    {"BYTE", 17},          {"TINYINT", 17},    {"SHORT", 2},         {"SMALLINT", 2},
    {"INTEGER2", 2},       {"LONG", 3},        {"INT", 3},           {"INTEGER", 3},
    {"INTEGER4", 3},       {"COUNTER", 3},     {"AUTOINCREMENT", 3}, {"CURRENCY", 6},
    {"MONEY", 6},          {"SINGLE", 4},      {"IEEESINGLE", 4},    {"REAL", 4},
    {"FLOAT4", 4},         {"DOUBLE", 5},      {"IEEEDOUBLE", 5},    {"FLOAT", 5},
    {"FLOAT8", 5},         {"NUMBER", 5},      {"NUMERIC", 131},     {"DECIMAL", 131},
    {"DATETIME", 7},       {"DATE", 7},        {"TIME", 7},          {"TIMESTAMP", 7},
    {"TEXT", 202},         {"CHAR", 202},      {"VARCHAR", 202},     {"STRING", 202},
    {"ALPHANUMERIC", 202}, {"NCHAR", 202},     {"NVARCHAR", 202},    {"LONGTEXT", 203},
    {"MEMO", 203},         {"NOTE", 203},      {"NTEXT", 203},       {"LONGCHAR", 203},
    {"BINARY", 128},       {"VARBINARY", 204}, {"LONGBINARY", 205},  {"OLEOBJECT", 205},
    {"GENERAL", 205},      {"IMAGE", 205},     {"GUID", 72},         {"UNIQUEIDENTIFIER", 72},
    {"VALUE", 12},
};

}  // namespace

bool hasParametersClause(std::string_view sql) {
    Reader r{sql};
    return r.keyword("PARAMETERS");
}

QueryKind classifyQuery(std::string_view sql) {
    Reader r{sql};
    skipParameters(r);
    r.skipSpace();
    if (r.i < r.s.size() && r.s[r.i] == '(') return QueryKind::Union;  // (SELECT …) UNION …
    const auto first = r.word();
    if (text::equalNoCase(first, "TRANSFORM")) return QueryKind::Crosstab;
    if (text::equalNoCase(first, "SELECT")) {
        Reader rest{sql, r.i};
        if (topLevelKeyword(rest, "INTO", "FROM")) return QueryKind::MakeTable;
        if (topLevelKeyword(rest, "UNION")) return QueryKind::Union;
        return QueryKind::Select;
    }
    if (text::equalNoCase(first, "INSERT")) return QueryKind::Append;
    if (text::equalNoCase(first, "UPDATE")) return QueryKind::Update;
    if (text::equalNoCase(first, "DELETE")) return QueryKind::Delete;
    for (std::string_view ddl : {"CREATE", "ALTER", "DROP"})
        if (text::equalNoCase(first, ddl)) return QueryKind::DataDefinition;
    return QueryKind::Other;
}

bool isViewQuery(std::string_view sql) {
    if (hasParametersClause(sql)) return false;
    const auto kind = classifyQuery(sql);
    return kind == QueryKind::Select || kind == QueryKind::Crosstab || kind == QueryKind::Union;
}

std::vector<ParameterData> parametersOf(std::string_view sql) {
    std::vector<ParameterData> out;
    Reader r{sql};
    if (!r.keyword("PARAMETERS")) return out;
    while (!r.atEnd()) {
        ParameterData p;
        p.name = parameterName(r);
        const auto typeName = r.word();
        if (p.name.empty() && typeName.empty()) break;  // not a clause we can read further
        p.type = 12;
        for (const auto& row : kParameterTypes)
            if (text::equalNoCase(row.name, typeName)) p.type = row.type;
        r.skipSpace();
        if (r.i < r.s.size() && r.s[r.i] == '(') {
            ++r.i;
            r.skipSpace();
            const auto n = r.word();
            // The text is the user's (or a file's): a length too long for 32 bits
            // stops at the largest one rather than overflowing.
            int32_t size = 0;
            for (char c : n) {
                if (!std::isdigit(static_cast<unsigned char>(c))) continue;
                const int digit = c - '0';
                size = size > (std::numeric_limits<int32_t>::max() - digit) / 10
                           ? std::numeric_limits<int32_t>::max()
                           : size * 10 + digit;
            }
            if (p.type == 202 || p.type == 128 || p.type == 204) p.size = size;
            while (r.i < r.s.size() && r.s[r.i] != ')') ++r.i;
            if (r.i < r.s.size()) ++r.i;
        } else if (p.type == 202) {
            p.size = 255;  // TEXT without a length holds 255 characters
        }
        out.push_back(std::move(p));
        // A comma leads to the next parameter; ";" or anything else ends the clause.
        r.skipSpace();
        if (r.i >= r.s.size() || r.s[r.i] != ',') break;
        ++r.i;
    }
    return out;
}

void addSavedQuery(CatalogData& data, std::string name, std::string_view sql) {
    QueryData d;
    d.name = std::move(name);
    d.commandText = std::string(text::trimWhite(sql));
    if (isViewQuery(d.commandText)) {
        data.views.push_back(std::move(d));
    } else {
        d.parameters = parametersOf(d.commandText);
        data.procedures.push_back(std::move(d));
    }
}

}  // namespace jet
