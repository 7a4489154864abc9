#include "jet/format/QueryDecompose.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <utility>

#include "jet/ErrorCodes.h"
#include "jet/format/QuerySql.h"

namespace jet::format {

namespace {

// A union's Flag row: 1 for UNION ALL, 3 for UNION (bit 2 asks for distinct rows).
constexpr int32_t kUnionAll = 0x01;
constexpr int32_t kUnionDistinctRows = 0x03;
// Column and group rows of a crosstab hold qflag::CrosstabPivot for the pivot
// and this for the row headings; the TRANSFORM value has neither.
constexpr int32_t kCrosstabNormal = 0x02;
// Column rows of INSERT … VALUES: bit 15 of the 16-bit Flag column, which
// reads back as this negative number.
constexpr int32_t kAppendValue = -32768;

constexpr const char* kUnionPart1 = "X7YZ_____1";
constexpr const char* kUnionPart2 = "X7YZ_____2";

// A Text parameter declared without a length (or with the largest) holds 255
// characters; Access stores no length for it.
constexpr int32_t kTextParameterLength = 255;

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

// Jet compares names without regard to case; letters beyond ASCII are compared
// as they stand.
std::string foldName(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = asciiUpper(c);
    return out;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u >= 0x80;
}
// "$" ends the names of the string functions (Left$, Format$).
bool isWordChar(char c) { return isWordStart(c) || isDigit(c) || c == '$'; }

// Characters as Jet counts them (UTF-16 code units) in UTF-8 text.
size_t utf16Length(std::string_view s) {
    size_t n = 0;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if ((u & 0xC0) != 0x80) ++n;  // a lead byte or ASCII
        if (u >= 0xF0) ++n;           // outside the BMP: a surrogate pair
    }
    return n;
}

// 1-based character position of a byte offset, for messages.
size_t characterPosition(std::string_view s, size_t offset) {
    return utf16Length(s.substr(0, offset)) + 1;
}

std::string shortened(std::string_view s) {
    constexpr size_t kMax = 40;
    if (s.size() <= kMax) return std::string(s);
    size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return std::string(s.substr(0, cut)) + "…";
}

[[noreturn]] void refuse(const std::string& clause, const std::string& reason) {
    throw QueryDecomposeError(clause, reason);
}

enum class Tok { Word, Number, Bracket, String, Date, Punct };

struct Token {
    Tok kind;
    size_t begin, end;  // byte offsets into the text
};

struct TokenFault {
    size_t offset;
    std::string what;
};

// Splits the text into tokens. Brackets, quoted strings (with doubled quotes)
// and #date# literals are one token each, so that nothing inside them is read
// as a keyword, a comma or a parenthesis. Stops at the first unclosed one.
std::vector<Token> tokenize(std::string_view s, std::optional<TokenFault>& fault) {
    std::vector<Token> out;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const char c = s[i];
        if (static_cast<unsigned char>(c) <= ' ') {
            ++i;
            continue;
        }
        const size_t start = i;
        if (c == '[' || c == '#') {
            const char close = c == '[' ? ']' : '#';
            const size_t at = s.find(close, i + 1);
            if (at == std::string_view::npos) {
                fault = TokenFault{start, c == '[' ? "a name in brackets is not closed"
                                                   : "a date between # signs is not closed"};
                return out;
            }
            out.push_back({c == '[' ? Tok::Bracket : Tok::Date, start, at + 1});
            i = at + 1;
        } else if (c == '\'' || c == '"') {
            size_t k = i + 1;
            bool closed = false;
            while (k < n) {
                if (s[k] == c) {
                    if (k + 1 < n && s[k + 1] == c) {
                        k += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                ++k;
            }
            if (!closed) {
                fault = TokenFault{start, "a quoted text is not closed"};
                return out;
            }
            out.push_back({Tok::String, start, k + 1});
            i = k + 1;
        } else if (isDigit(c)) {
            while (i < n && isDigit(s[i])) ++i;
            if (i + 1 < n && s[i] == '.' && isDigit(s[i + 1])) {
                ++i;
                while (i < n && isDigit(s[i])) ++i;
            }
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                size_t k = i + 1;
                if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
                if (k < n && isDigit(s[k])) {
                    while (k < n && isDigit(s[k])) ++k;
                    i = k;
                }
            }
            out.push_back({Tok::Number, start, i});
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i])) ++i;
            out.push_back({Tok::Word, start, i});
        } else {
            out.push_back({Tok::Punct, start, i + 1});
            ++i;
        }
    }
    return out;
}

// True when a text held in brackets would stand in parentheses as a query:
// its own tokens close, its parentheses pair, it holds no ";", and it starts
// with SELECT.
bool readsAlone(std::string_view s) {
    std::optional<TokenFault> fault;
    const auto t = tokenize(s, fault);
    if (fault || t.empty()) return false;
    long depth = 0;
    for (const auto& tok : t) {
        if (tok.kind != Tok::Punct) continue;
        if (s[tok.begin] == ';') return false;
        if (s[tok.begin] == '(') ++depth;
        if (s[tok.begin] == ')' && --depth < 0) return false;
    }
    return depth == 0 && t[0].kind == Tok::Word &&
           equalNoCase(s.substr(t[0].begin, t[0].end - t[0].begin), "SELECT");
}

struct Range {
    size_t b = 0, e = 0;
    [[nodiscard]] bool empty() const { return b >= e; }
};

// Clause keywords of select-like statements, in the order they must stand.
enum Clause { kInto, kFrom, kWhere, kGroupBy, kHaving, kOrderBy, kPivot, kClauseCount };
constexpr const char* kClauseName[kClauseCount] = {"INTO",   "FROM",     "WHERE", "GROUP BY",
                                                   "HAVING", "ORDER BY", "PIVOT"};
constexpr unsigned bit(Clause c) { return 1u << c; }

struct ClauseSplit {
    std::array<Range, kClauseCount> body{};
    std::array<bool, kClauseCount> present{};
    size_t firstAt = 0;  // where the first clause keyword stands (the range's end when none)
};

struct Remote {
    std::string path, type;
};

struct TypeCode {
    std::string_view name;
    int32_t code;
};

// Jet SQL type names of a PARAMETERS clause and the Jet data type codes
// stored in the Flag of a parameter row.
constexpr TypeCode kParameterTypes[] = {
    {"BIT", 1},           {"YESNO", 1},
    {"LOGICAL", 1},       {"BOOLEAN", 1},
    {"BYTE", 2},          {"TINYINT", 2},
    {"SHORT", 3},         {"SMALLINT", 3},
    {"INTEGER2", 3},      {"LONG", 4},
    {"INT", 4},           {"INTEGER", 4},
    {"INTEGER4", 4},      {"COUNTER", 4},
    {"AUTOINCREMENT", 4}, {"CURRENCY", 5},
    {"MONEY", 5},         {"SINGLE", 6},
    {"IEEESINGLE", 6},    {"REAL", 6},
    {"FLOAT4", 6},        {"DOUBLE", 7},
    {"IEEEDOUBLE", 7},    {"FLOAT", 7},
    {"FLOAT8", 7},        {"NUMBER", 7},
    {"DATETIME", 8},      {"DATE", 8},
    {"TIME", 8},          {"TIMESTAMP", 8},
    {"BINARY", 9},        {"VARBINARY", 9},
    {"TEXT", 10},         {"CHAR", 10},
    {"VARCHAR", 10},      {"STRING", 10},
    {"ALPHANUMERIC", 10}, {"NCHAR", 10},
    {"NVARCHAR", 10},     {"LONGBINARY", 11},
    {"OLEOBJECT", 11},    {"GENERAL", 11},
    {"IMAGE", 11},        {"LONGTEXT", 12},
    {"MEMO", 12},         {"NOTE", 12},
    {"NTEXT", 12},        {"LONGCHAR", 12},
    {"GUID", 15},         {"UNIQUEIDENTIFIER", 15},
    {"NUMERIC", 16},      {"DECIMAL", 16},
    {"VALUE", 0},
};
constexpr int32_t kTextType = 10;
constexpr int32_t kBinaryType = 9;

// First words of the data-definition statements Jet SQL has.
constexpr std::string_view kDataDefinitionWords[] = {"CREATE", "ALTER",  "DROP",
                                                     "GRANT",  "REVOKE", "ADD"};

// Everything one statement's rows are made of, kept apart by attribute until
// they are laid out.
struct Parts {
    int32_t kind = qkind::Select;
    QueryRow type;
    std::vector<QueryRow> parameters;
    bool hasFlagRow = true;
    int32_t flags = 0;
    std::string top;
    std::optional<Remote> remote;
    std::vector<QueryRow> tables, columns, joins, groups, orders;
    std::optional<std::string> where, having;
    // Table keys (alias, else name) of the FROM clause, folded, by table row.
    std::unordered_map<std::string, size_t> keys;
};

QueryRow makeRow(int attribute, std::string name1 = {}, std::string name2 = {},
                 std::string expression = {}, int32_t flag = 0) {
    QueryRow r;
    r.attribute = attribute;
    r.name1 = std::move(name1);
    r.name2 = std::move(name2);
    r.expression = std::move(expression);
    r.flag = flag;
    return r;
}

class Decomposer {
public:
    // `checkLength` false: the text is the reader's building of rows already
    // split, which may run longer than the statement it came from.
    explicit Decomposer(std::string_view sql, bool checkLength = true)
        : s_(sql), checkLength_(checkLength) {}

    DecomposedQuery run() {
        const size_t length = utf16Length(s_);
        if (checkLength_ && length > limit::StatementLength)
            refuse("statement", "it has " + std::to_string(length) +
                                    " characters, and a query may have at most " +
                                    std::to_string(limit::StatementLength));
        std::optional<TokenFault> fault;
        t_ = tokenize(s_, fault);
        if (fault) faultAt(fault->offset, fault->what);
        matchParentheses();
        if (t_.empty()) refuse("statement", "the query has no text");

        Parts p;
        size_t i = 0;
        if (word(0, "PARAMETERS")) i = parameters(p);
        const size_t end = statementEnd(i);
        if (i >= end)
            refuse("statement",
                   i > 0 ? "PARAMETERS is followed by no query" : "the query has no text");
        if (isDataDefinition(i)) {
            if (!p.parameters.empty())
                refuse("PARAMETERS", "a data-definition query takes no parameters");
            p.kind = qkind::DataDefinition;
            p.hasFlagRow = false;
            p.type = makeRow(qattr::Type, {}, {}, trimmed(s_), qkind::DataDefinition);
            return layout(p);
        }
        Range r{i, end};
        r = ownerAccess(r, p);
        if (word(r.b, "SELECT") || punct(r.b, '(')) {
            if (hasTopLevel(r, "UNION"))
                unionQuery(r, p, 0);
            else if (punct(r.b, '('))
                refuse("statement", "a query in parentheses stands alone, without UNION");
            else
                selectQuery(r, p);
        } else if (word(r.b, "TRANSFORM")) {
            crosstab(r, p);
        } else if (word(r.b, "INSERT")) {
            append(r, p);
        } else if (word(r.b, "UPDATE")) {
            update(r, p);
        } else if (word(r.b, "DELETE")) {
            deleteQuery(r, p);
        } else {
            refuse("statement", "'" + shortened(tokenText(r.b)) +
                                    "' starts no query Access stores in parts (SELECT, "
                                    "TRANSFORM, INSERT INTO, UPDATE, DELETE or a "
                                    "data-definition statement); a pass-through query needs "
                                    "its connect string");
        }
        p.type.attribute = qattr::Type;
        p.type.flag = p.kind;
        return layout(p);
    }

private:
    // --- tokens -------------------------------------------------------------

    [[nodiscard]] std::string_view tokenText(size_t i) const {
        if (i >= t_.size()) return "the end of the text";
        return s_.substr(t_[i].begin, t_[i].end - t_[i].begin);
    }
    [[nodiscard]] std::string text(Range r) const {
        return std::string(s_.substr(t_[r.b].begin, t_[r.e - 1].end - t_[r.b].begin));
    }
    [[nodiscard]] bool punct(size_t i, char c) const {
        return i < t_.size() && t_[i].kind == Tok::Punct && s_[t_[i].begin] == c;
    }
    // A keyword: a bare word, not the member after "." or "!" (T.Order is a column).
    [[nodiscard]] bool word(size_t i, std::string_view kw) const {
        if (i >= t_.size() || t_[i].kind != Tok::Word) return false;
        if (i > 0 && (punct(i - 1, '.') || punct(i - 1, '!'))) return false;
        return equalNoCase(tokenText(i), kw);
    }
    [[nodiscard]] bool isName(size_t i) const {
        return i < t_.size() && (t_[i].kind == Tok::Word || t_[i].kind == Tok::Bracket);
    }
    // A name as stored: without its brackets.
    [[nodiscard]] std::string nameAt(size_t i) const {
        const auto t = tokenText(i);
        if (t_[i].kind == Tok::Bracket) return std::string(t.substr(1, t.size() - 2));
        return std::string(t);
    }
    [[nodiscard]] std::string stringValue(size_t i) const {
        const auto t = tokenText(i);
        const char q = t.front();
        std::string out;
        for (size_t k = 1; k + 1 < t.size(); ++k) {
            out += t[k];
            if (t[k] == q) ++k;  // a doubled quote stands for one
        }
        return out;
    }
    // The token after a parenthesised group, or the next one.
    [[nodiscard]] size_t skip(size_t i) const { return punct(i, '(') ? match_[i] + 1 : i + 1; }

    static std::string trimmed(std::string_view s) {
        size_t b = 0, e = s.size();
        while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
        while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
        return std::string(s.substr(b, e - b));
    }

    void matchParentheses() {
        match_.assign(t_.size(), 0);
        std::vector<size_t> open;
        for (size_t i = 0; i < t_.size(); ++i) {
            if (punct(i, '(')) {
                open.push_back(i);
            } else if (punct(i, ')')) {
                if (open.empty()) faultAt(t_[i].begin, "a ')' closes no '('");
                match_[open.back()] = i;
                match_[i] = open.back();
                open.pop_back();
            }
        }
        if (!open.empty()) faultAt(t_[open.back()].begin, "a '(' is not closed");
    }

    // A fault found while reading tokens, reported under the clause it stands
    // in: the last clause keyword outside parentheses before it.
    [[noreturn]] void faultAt(size_t offset, const std::string& what) const {
        std::string clause = "statement";
        long depth = 0;
        for (size_t i = 0; i < t_.size() && t_[i].begin < offset; ++i) {
            if (punct(i, '(')) ++depth;
            if (punct(i, ')') && depth > 0) --depth;
            if (depth != 0 || t_[i].kind != Tok::Word) continue;
            for (std::string_view kw :
                 {"PARAMETERS", "SELECT", "TRANSFORM", "INTO", "FROM", "WHERE", "HAVING", "PIVOT",
                  "UNION", "SET", "VALUES", "UPDATE", "DELETE"})
                if (word(i, kw)) clause = std::string(kw);
            if (word(i, "GROUP")) clause = "GROUP BY";
            if (word(i, "ORDER")) clause = "ORDER BY";
            if (word(i, "INSERT")) clause = "INSERT INTO";
        }
        refuse(clause,
               what + " (at character " + std::to_string(characterPosition(s_, offset)) + ")");
    }

    [[nodiscard]] bool hasTopLevel(Range r, std::string_view kw) const {
        for (size_t i = r.b; i < r.e; i = skip(i))
            if (word(i, kw)) return true;
        return false;
    }
    [[nodiscard]] size_t findTopLevel(Range r, std::string_view kw) const {
        for (size_t i = r.b; i < r.e; i = skip(i))
            if (word(i, kw)) return i;
        return r.e;
    }

    [[nodiscard]] std::vector<Range> splitCommas(Range r) const {
        std::vector<Range> out;
        size_t start = r.b;
        for (size_t i = r.b; i < r.e; i = skip(i)) {
            if (punct(i, ',')) {
                out.push_back({start, i});
                start = i + 1;
            }
        }
        out.push_back({start, r.e});
        return out;
    }

    // --- the statement --------------------------------------------------------

    // The end of the statement: the first ";" (outside brackets and quotes),
    // after which only blanks may stand.
    [[nodiscard]] size_t statementEnd(size_t from) const {
        for (size_t i = from; i < t_.size(); ++i) {
            if (punct(i, ';')) {
                if (i + 1 < t_.size())
                    refuse("statement", "characters found after the end of the statement: '" +
                                            shortened(tokenText(i + 1)) + "'");
                return i;
            }
        }
        return t_.size();
    }

    [[nodiscard]] bool isDataDefinition(size_t i) const {
        for (auto w : kDataDefinitionWords)
            if (word(i, w)) return true;
        return false;
    }

    // WITH OWNERACCESS OPTION ends a statement of any kind but data definition.
    Range ownerAccess(Range r, Parts& p) const {
        if (r.e - r.b >= 3 && word(r.e - 3, "WITH") && word(r.e - 2, "OWNERACCESS") &&
            word(r.e - 1, "OPTION")) {
            p.flags |= qflag::OwnerAccess;
            r.e -= 3;
        }
        if (hasTopLevel(r, "WITH"))
            refuse("WITH OWNERACCESS OPTION",
                   "WITH stands only in WITH OWNERACCESS OPTION, at the end of the query");
        return r;
    }

    // PARAMETERS name type [, name type …] ; — returns the token after the ";".
    size_t parameters(Parts& p) const {
        size_t i = 1;
        while (true) {
            const size_t nameStart = i;
            std::string name;
            size_t parts = 0;
            while (isName(i)) {
                name += tokenText(i);
                ++parts;
                ++i;
                // The parts of a reference ([Forms]![Dialog]![Date]) stand together.
                if ((punct(i, '!') || punct(i, '.')) && isName(i + 1) &&
                    t_[i].begin == t_[i - 1].end && t_[i + 1].begin == t_[i].end) {
                    name += tokenText(i);
                    ++i;
                    continue;
                }
                break;
            }
            // The name as Access stores it, which the reader prints back: a
            // reference as written, brackets included ([Forms]![Dialog]![Date]),
            // and so a name in brackets it does not need ([pCategoryID]); a
            // name that needs its brackets ([User Name], [Forms!Dialog!Date])
            // without them. The reader brackets every stored name that has
            // none, so either way the text reads back as it was written.
            if (parts == 1 && t_[nameStart].kind == Tok::Bracket) {
                std::string bare = nameAt(nameStart);
                if (bare.empty() || quoteName(bare) != bare) name = std::move(bare);
            }
            if (parts == 0 || name.empty())
                refuse("PARAMETERS", "a parameter name was expected, not '" +
                                         shortened(tokenText(nameStart)) + "'");
            if (i >= t_.size() || t_[i].kind != Tok::Word)
                refuse("PARAMETERS", "the parameter '" + name + "' has no type");
            const auto typeName = tokenText(i);
            std::optional<int32_t> code;
            for (const auto& t : kParameterTypes)
                if (equalNoCase(t.name, typeName)) code = t.code;
            if (!code)
                refuse("PARAMETERS", "the type '" + shortened(typeName) + "' of the parameter '" +
                                         name + "' is not a Jet type");
            ++i;
            QueryRow row = makeRow(qattr::Parameter, name, {}, {}, *code);
            if (punct(i, '(')) {
                const size_t close = match_[i];
                if (*code != kTextType && *code != kBinaryType)
                    refuse("PARAMETERS",
                           "the type of the parameter '" + name + "' takes no length");
                if (close != i + 2 || t_[i + 1].kind != Tok::Number)
                    refuse("PARAMETERS",
                           "the length of the parameter '" + name + "' must be one whole number");
                const auto digits = tokenText(i + 1);
                int32_t n = 0;
                for (char c : digits) {
                    if (!isDigit(c) || n > kTextParameterLength) {
                        n = -1;
                        break;
                    }
                    n = n * 10 + (c - '0');
                }
                if (n < 1 || n > kTextParameterLength)
                    refuse("PARAMETERS",
                           "the length of the parameter '" + name + "' must be 1 to 255");
                if (n != kTextParameterLength) row.extra = n;
                i = close + 1;
            }
            p.parameters.push_back(std::move(row));
            if (punct(i, ',')) {
                ++i;
                continue;
            }
            if (punct(i, ';')) return i + 1;
            refuse("PARAMETERS",
                   "the clause must end with ';', not '" + shortened(tokenText(i)) + "'");
        }
    }

    // --- select-like clauses --------------------------------------------------

    // The clause keywords of `r` outside parentheses, each once and in order.
    ClauseSplit clauses(Range r, unsigned allowed, const char* kind) const {
        ClauseSplit out;
        out.firstAt = r.e;
        int last = -1;
        size_t lastBody = 0;
        for (size_t i = r.b; i < r.e; i = skip(i)) {
            // A name after AS is an alias, even one that reads as a keyword.
            if (i > 0 && word(i - 1, "AS")) continue;
            int k = -1;
            size_t width = 1;
            if (word(i, "INTO")) k = kInto;
            if (word(i, "FROM")) k = kFrom;
            if (word(i, "WHERE")) k = kWhere;
            if (word(i, "HAVING")) k = kHaving;
            if (word(i, "PIVOT")) k = kPivot;
            if (word(i, "GROUP") || word(i, "ORDER")) {
                k = word(i, "GROUP") ? kGroupBy : kOrderBy;
                if (!word(i + 1, "BY"))
                    refuse(kClauseName[k], std::string(word(i, "GROUP") ? "GROUP" : "ORDER") +
                                               " must be followed by BY");
                width = 2;
            }
            if (word(i, "SELECT") || word(i, "TRANSFORM"))
                refuse(last >= 0 ? kClauseName[last] : "SELECT",
                       "a second " + std::string(tokenText(i)) +
                           " stands outside parentheses (a subquery needs them)");
            if (k < 0) continue;
            const auto c = static_cast<Clause>(k);
            if (!(allowed & bit(c))) refuse(kClauseName[k], std::string("has no place in ") + kind);
            if (k == last) refuse(kClauseName[k], "stands twice");
            if (k < last)
                refuse(kClauseName[k], std::string("must come before ") + kClauseName[last]);
            if (last >= 0) out.body[last] = {lastBody, i};
            if (last < 0) out.firstAt = i;
            out.present[c] = true;
            last = k;
            lastBody = i + width;
        }
        if (last >= 0) out.body[last] = {lastBody, r.e};
        for (int k = 0; k < kClauseCount; ++k)
            if (out.present[k] && out.body[k].empty()) refuse(kClauseName[k], "is empty");
        return out;
    }

    // One item of a list with an optional "AS alias" at its end.
    std::pair<Range, std::string> aliased(Range item, const char* clause) const {
        for (size_t i = item.b; i < item.e; i = skip(i)) {
            if (!word(i, "AS")) continue;
            if (i + 2 != item.e || !isName(i + 1) || i == item.b)
                refuse(clause, "AS must stand between an expression and one name: '" +
                                   shortened(text(item)) + "'");
            return {{item.b, i}, nameAt(i + 1)};
        }
        return {item, {}};
    }

    // SELECT [ALL | DISTINCT | DISTINCTROW] [TOP n [PERCENT]] columns, then the
    // clauses `allowed` permits. Returns the clause split for the caller's INTO.
    ClauseSplit select(Range r, Parts& p, unsigned allowed, const char* kind,
                       int32_t columnFlag) const {
        size_t i = r.b + 1;
        const auto at = [&](std::string_view w) { return i < r.e && word(i, w); };
        if (at("ALL")) {
            ++i;
        } else if (at("DISTINCT")) {
            p.flags |= qflag::Distinct;
            ++i;
        } else if (at("DISTINCTROW")) {
            p.flags |= qflag::DistinctRow;
            ++i;
        }
        if (at("TOP")) {
            ++i;
            if (i >= r.e || t_[i].kind != Tok::Number)
                refuse("SELECT",
                       "TOP must be followed by a number, not '" + shortened(tokenText(i)) + "'");
            p.flags |= qflag::Top;
            p.top = std::string(tokenText(i));
            ++i;
            if (at("PERCENT")) {
                p.flags |= qflag::Percent;
                ++i;
            }
        }
        for (std::string_view w : {"ALL", "DISTINCT", "DISTINCTROW", "TOP", "PERCENT"})
            if (at(w))
                refuse("SELECT", "'" + std::string(tokenText(i)) + "' stands out of its place");
        const auto split = clauses({i, r.e}, allowed, kind);
        const Range list{i, split.firstAt};
        if (list.empty()) refuse("SELECT", "the query selects no columns");
        for (const Range item : splitCommas(list)) {
            if (item.empty()) refuse("SELECT", "a column is missing between two commas");
            if (item.e == item.b + 1 && punct(item.b, '*')) {
                p.flags |= qflag::SelectStar;
                continue;
            }
            for (std::string_view w : {"ALL", "DISTINCT", "DISTINCTROW", "TOP"})
                if (word(item.b, w))
                    refuse("SELECT", "'" + std::string(tokenText(item.b)) +
                                         "' stands only before the first column");
            auto [expr, alias] = aliased(item, "SELECT");
            p.columns.push_back(makeRow(qattr::Column, alias, {}, text(expr), columnFlag));
        }
        if (split.present[kFrom]) from(split.body[kFrom], p, "FROM");
        if (split.present[kWhere]) p.where = text(split.body[kWhere]);
        if (split.present[kGroupBy]) {
            for (const Range item : splitCommas(split.body[kGroupBy])) {
                if (item.empty()) refuse("GROUP BY", "an item is missing between two commas");
                p.groups.push_back(makeRow(qattr::GroupBy, {}, {}, text(item), columnFlag));
            }
        }
        if (split.present[kHaving]) p.having = text(split.body[kHaving]);
        if (split.present[kOrderBy]) orderBy(split.body[kOrderBy], p);
        return split;
    }

    void orderBy(Range r, Parts& p) const {
        for (Range item : splitCommas(r)) {
            if (item.empty()) refuse("ORDER BY", "an item is missing between two commas");
            std::string mark;
            if (word(item.e - 1, "DESC")) {
                mark = "D";
                --item.e;
            } else if (word(item.e - 1, "ASC")) {
                --item.e;
            }
            if (item.empty()) refuse("ORDER BY", "DESC or ASC follows no expression");
            p.orders.push_back(makeRow(qattr::OrderBy, mark, {}, text(item)));
        }
    }

    // IN 'path' [type] — a database other than the current one.
    Remote remoteDatabase(Range r, const char* clause) const {
        size_t i = r.b + 1;
        if (i >= r.e || t_[i].kind != Tok::String)
            refuse(clause, "IN must be followed by the database's path in quotes");
        Remote out;
        out.path = stringValue(i++);
        if (i < r.e && t_[i].kind == Tok::Bracket) {
            out.type = nameAt(i++);
        } else if (i < r.e && t_[i].kind == Tok::String) {
            out.type = stringValue(i++);
        }
        if (i != r.e)
            refuse(clause, "nothing may follow the database of IN, but '" +
                               shortened(tokenText(i)) + "' does");
        return out;
    }

    // A target table (INTO, INSERT INTO): one name, with IN for another database.
    void target(Range r, Parts& p, const char* clause) const {
        if (r.empty() || !isName(r.b)) refuse(clause, "the target table's name is missing");
        if (r.e > r.b + 1 && !word(r.b + 1, "IN"))
            refuse(clause,
                   "the target must be one table name (another database is named with "
                   "IN), not '" +
                       shortened(text(r)) + "'");
        p.type.name1 = nameAt(r.b);
        if (r.e > r.b + 1) {
            const Remote db = remoteDatabase({r.b + 1, r.e}, clause);
            p.type.name2 = db.path;
            p.type.expression = db.type;
        }
    }

    // --- FROM -----------------------------------------------------------------

    // A FROM entry's table rows are p.tables[lo, hi): entries are contiguous
    // stretches of the text, so whether a join's side holds a table is a range test.
    struct Node {
        size_t lo, hi;
    };

    void from(Range r, Parts& p, const char* clause) const {
        // IN 'db' after the tables names their database.
        for (size_t i = r.b; i < r.e; i = skip(i)) {
            if (word(i, "IN") && i + 1 < r.e && t_[i + 1].kind == Tok::String) {
                p.remote = remoteDatabase({i, r.e}, clause);
                r.e = i;
                break;
            }
        }
        if (r.empty()) refuse(clause, "no table is named");
        for (const Range item : splitCommas(r)) {
            if (item.empty()) refuse(clause, "a table is missing between two commas");
            join(item, p, clause, 0);
        }
    }

    [[nodiscard]] bool isJoinWord(size_t i) const {
        for (std::string_view w : {"INNER", "LEFT", "RIGHT", "FULL", "CROSS"})
            if (word(i, w) && (word(i + 1, "JOIN") || word(i + 1, "OUTER"))) return true;
        return word(i, "JOIN");
    }
    [[nodiscard]] bool isReservedInFrom(size_t i) const {
        for (std::string_view w : {"ON", "AS", "IN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS",
                                   "OUTER", "JOIN", "SELECT"})
            if (word(i, w)) return true;
        return false;
    }

    // table { INNER | LEFT [OUTER] | RIGHT [OUTER] JOIN table ON condition }
    Node join(Range r, Parts& p, const char* clause, size_t depth) const {
        if (depth > limit::NestingDepth) refuse(clause, "joins are nested too deeply");
        size_t i = r.b;
        Node left = primary(i, r.e, p, clause, depth);
        while (i < r.e) {
            int32_t type = 0;
            if (word(i, "INNER")) type = 1;
            if (word(i, "LEFT")) type = 2;
            if (word(i, "RIGHT")) type = 3;
            if (type == 0 || !isJoinWord(i)) {
                if (isJoinWord(i))
                    refuse(clause,
                           "a join is INNER, LEFT or RIGHT, not '" + shortened(tokenText(i)) + "'");
                refuse(clause, "'" + shortened(tokenText(i)) +
                                   "' stands where a join or the "
                                   "end of the table list belongs");
            }
            const std::string joinName(tokenText(i));
            ++i;
            if (word(i, "OUTER")) {
                if (type == 1) refuse(clause, "INNER JOIN has no OUTER");
                ++i;
            }
            if (!word(i, "JOIN")) refuse(clause, "OUTER must be followed by JOIN");
            ++i;
            const Node right = primary(i, r.e, p, clause, depth);
            if (!word(i, "ON"))
                refuse(clause, "the " + foldName(joinName) + " JOIN has no ON condition");
            const size_t condBegin = ++i;
            while (i < r.e && !isJoinWord(i)) i = skip(i);
            if (i == condBegin) refuse(clause, "ON is followed by no condition");
            plainValue({condBegin, i}, clause);
            joinRows(left, right, type, {condBegin, i}, p, clause);
            left = {left.lo, right.hi};
        }
        return left;
    }

    // One table, a subquery with its alias, or a join in parentheses.
    Node primary(size_t& i, size_t end, Parts& p, const char* clause, size_t depth) const {
        if (i >= end) refuse(clause, "a table name is missing");
        if (punct(i, '(')) {
            const size_t close = match_[i];
            const Range inner{i + 1, close};
            if (inner.empty()) refuse(clause, "nothing stands in parentheses");
            i = close + 1;
            if (isSubquery(inner)) return table(p, {}, alias(i, end, clause), text(inner), clause);
            return join(inner, p, clause, depth + 1);
        }
        if (!isName(i) || isReservedInFrom(i))
            refuse(clause, "a table name was expected, not '" + shortened(tokenText(i)) + "'");
        std::string name = nameAt(i), expression;
        ++i;
        if (punct(i, '.')) {
            if (isName(i + 1) && !equalNoCase(tokenText(i + 1), "AS")) {
                // [database].table
                expression = std::move(name);
                name = nameAt(i + 1);
                i += 2;
            } else if (t_[i - 1].kind == Tok::Bracket) {
                // [SELECT …]. AS alias: a subquery as Access once wrote it.
                if (!readsAlone(name))
                    refuse(clause, "'[" + shortened(name) +
                                       "].' holds no query that stands in parentheses");
                expression = std::move(name);
                name.clear();
                ++i;
            } else {
                refuse(clause, "a name is missing after '.'");
            }
            if (punct(i, '.')) refuse(clause, "a table name has at most two parts");
        }
        return table(p, std::move(name), alias(i, end, clause), std::move(expression), clause);
    }

    // T.col, [T].[col], col: what a column is named by where a list takes names.
    [[nodiscard]] bool isColumnReference(Range r) const {
        for (size_t i = r.b; i < r.e; i += 2) {
            if (!isName(i)) return false;
            if (i + 1 < r.e && !punct(i + 1, '.') && !punct(i + 1, '!')) return false;
            if (i + 1 == r.e - 1) return false;
        }
        return !r.empty();
    }

    // An expression the builder may set among a statement's clauses (a value of
    // VALUES becomes a column of SELECT; the condition of a join in parentheses
    // loses them when the join is the outermost) must hold none of their keywords.
    void plainValue(Range r, const char* clause) const {
        for (std::string_view w : {"ALL", "DISTINCT", "DISTINCTROW", "TOP"})
            if (word(r.b, w))
                refuse(clause, "a value starts with '" + std::string(tokenText(r.b)) + "'");
        for (size_t i = r.b; i < r.e; i = skip(i))
            for (std::string_view w : {"SELECT", "FROM", "WHERE", "GROUP", "ORDER", "HAVING",
                                       "UNION", "INTO", "PIVOT", "TRANSFORM", "VALUES", "SET",
                                       "PARAMETERS", "WITH", "INSERT", "UPDATE", "DELETE", "AS"})
                if (word(i, w) || (word(i, "IN") && i + 1 < r.e && t_[i + 1].kind == Tok::String))
                    refuse(clause, "'" + std::string(tokenText(i)) +
                                       "' stands in an expression (a subquery needs parentheses)");
    }

    // A query in parentheses (a UNION of them too), not a join in parentheses.
    [[nodiscard]] bool isSubquery(Range r) const {
        while (punct(r.b, '(') && match_[r.b] == r.e - 1 && r.e - r.b > 2) {
            ++r.b;
            --r.e;
        }
        return word(r.b, "SELECT") || hasTopLevel(r, "UNION");
    }

    std::string alias(size_t& i, size_t end, const char* clause) const {
        // Not word(): the AS of "[SELECT …]. AS X" follows a ".".
        if (i < end && t_[i].kind == Tok::Word && equalNoCase(tokenText(i), "AS")) {
            if (i + 1 >= end || !isName(i + 1)) refuse(clause, "AS is followed by no name");
            i += 2;
            return nameAt(i - 1);
        }
        if (i < end && isName(i) && !isReservedInFrom(i)) return nameAt(i++);
        return {};
    }

    Node table(Parts& p, std::string name, std::string alias, std::string expression,
               const char* clause) const {
        const std::string key = alias.empty() ? name : alias;
        const size_t index = p.tables.size();
        if (!key.empty() && !p.keys.emplace(foldName(key), index).second)
            refuse(clause, "the name '" + key + "' stands for two tables; give one an alias");
        p.tables.push_back(
            makeRow(qattr::Table, std::move(name), std::move(alias), std::move(expression)));
        return {index, index + 1};
    }

    [[nodiscard]] const std::string& keyOf(const Parts& p, size_t index) const {
        const auto& t = p.tables[index];
        return t.name2.empty() ? t.name1 : t.name2;
    }

    // The rows of one join: one per condition. "(a) AND (b)" between the two
    // sides is two conditions, as Access stores a join on two column pairs.
    // Each row names a table of either side that its condition refers to
    // (T.col), so that the builder nests the sides as the text does.
    void joinRows(Node left, Node right, int32_t type, Range cond, Parts& p,
                  const char* clause) const {
        std::vector<Range> parts;
        for (size_t i = cond.b;;) {
            if (!punct(i, '(') || match_[i] >= cond.e) {
                parts.clear();
                break;
            }
            parts.push_back({i + 1, match_[i]});
            i = match_[i] + 1;
            if (i == cond.e) break;
            if (!word(i, "AND") || i + 1 == cond.e) {
                parts.clear();
                break;
            }
            ++i;
        }
        if (parts.size() < 2) parts.assign(1, cond);
        std::string first1, first2;
        for (const Range part : parts) {
            if (part.empty()) refuse(clause, "a join condition is empty");
            std::string n1, n2;
            for (size_t i = part.b; i + 2 < part.e; ++i) {
                if (!isName(i) || !punct(i + 1, '.') || !isName(i + 2)) continue;
                const auto it = p.keys.find(foldName(nameAt(i)));
                if (it == p.keys.end()) continue;
                if (n1.empty() && it->second >= left.lo && it->second < left.hi)
                    n1 = keyOf(p, it->second);
                if (n2.empty() && it->second >= right.lo && it->second < right.hi)
                    n2 = keyOf(p, it->second);
            }
            // A condition naming no table of a side: the side's first table.
            if (n1.empty()) n1 = first1.empty() ? keyOf(p, left.lo) : first1;
            if (n2.empty()) n2 = first2.empty() ? keyOf(p, right.lo) : first2;
            if (n1.empty() || n2.empty())
                refuse(clause, "a subquery that takes part in a join needs an alias");
            if (first1.empty()) {
                first1 = n1;
                first2 = n2;
            }
            p.joins.push_back(makeRow(qattr::Join, n1, n2, text(part), type));
        }
    }

    // --- the kinds ------------------------------------------------------------

    void selectQuery(Range r, Parts& p) const {
        const auto split = select(
            r, p,
            bit(kInto) | bit(kFrom) | bit(kWhere) | bit(kGroupBy) | bit(kHaving) | bit(kOrderBy),
            "a select query", 0);
        p.kind = qkind::Select;
        if (split.present[kInto]) {
            p.kind = qkind::MakeTable;
            target(split.body[kInto], p, "INTO");
        }
    }

    void crosstab(Range r, Parts& p) const {
        const size_t selectAt = findTopLevel({r.b + 1, r.e}, "SELECT");
        if (selectAt == r.e) refuse("TRANSFORM", "TRANSFORM is followed by no SELECT");
        const Range value{r.b + 1, selectAt};
        if (value.empty()) refuse("TRANSFORM", "TRANSFORM has no value to show");
        auto [expr, alias] = aliased(value, "TRANSFORM");
        p.kind = qkind::Crosstab;
        p.columns.push_back(makeRow(qattr::Column, alias, {}, text(expr), 0));
        const auto split = select(
            {selectAt, r.e}, p,
            bit(kFrom) | bit(kWhere) | bit(kGroupBy) | bit(kHaving) | bit(kOrderBy) | bit(kPivot),
            "a crosstab query", kCrosstabNormal);
        if (!split.present[kPivot]) refuse("PIVOT", "a crosstab query needs PIVOT");
        // The pivot's column keeps its IN ( … ) list of headings; its group row
        // does not.
        const Range pivot = split.body[kPivot];
        Range grouped = pivot;
        if (punct(pivot.e - 1, ')')) {
            const size_t open = match_[pivot.e - 1];
            if (open > pivot.b + 1 && word(open - 1, "IN")) grouped.e = open - 1;
        }
        p.columns.push_back(makeRow(qattr::Column, {}, {}, text(pivot), qflag::CrosstabPivot));
        p.groups.push_back(makeRow(qattr::GroupBy, {}, {}, text(grouped), qflag::CrosstabPivot));
    }

    // A union is stored as two parts: everything before its last UNION, and the
    // query after it; the ORDER BY at the end belongs to the whole union.
    void unionQuery(Range r, Parts& p, size_t depth) const {
        if (depth > limit::NestingDepth) refuse("UNION", "unions are nested too deeply");
        std::vector<size_t> unions;
        for (size_t i = r.b; i < r.e; i = skip(i))
            if (word(i, "UNION")) unions.push_back(i);
        const size_t last = unions.back();
        const bool all = word(last + 1, "ALL");
        Range second{last + 1 + (all ? 1 : 0), r.e};
        const size_t orderAt = findTopLevel(second, "ORDER");
        if (orderAt < second.e) {
            if (!word(orderAt + 1, "BY")) refuse("ORDER BY", "ORDER must be followed by BY");
            if (orderAt + 2 >= second.e) refuse("ORDER BY", "is empty");
            orderBy({orderAt + 2, second.e}, p);
            second.e = orderAt;
        }
        const Range first{r.b, last};
        // Every query of the union must be one Access can store.
        size_t start = r.b;
        for (size_t u : unions) {
            unionMember({start, u}, depth);
            start = u + 1 + (word(u + 1, "ALL") ? 1 : 0);
        }
        unionMember(second, depth);
        p.kind = qkind::Union;
        p.flags |= all ? kUnionAll : kUnionDistinctRows;
        // The first part keeps the line break that ends it before UNION, as
        // Access keeps it.
        std::string firstText = text(first);
        const std::string_view gap =
            s_.substr(t_[last - 1].end, t_[last].begin - t_[last - 1].end);
        if (const size_t nl = gap.rfind('\n'); nl != std::string_view::npos)
            firstText += gap.substr(0, nl + 1);
        p.tables.push_back(makeRow(qattr::Table, {}, kUnionPart1, std::move(firstText)));
        p.tables.push_back(makeRow(qattr::Table, {}, kUnionPart2, text(second)));
    }

    void unionMember(Range r, size_t depth) const {
        if (r.empty()) refuse("UNION", "a UNION needs a query on either side");
        while (punct(r.b, '(') && match_[r.b] == r.e - 1) {
            ++r.b;
            --r.e;
            if (r.empty()) refuse("UNION", "nothing stands in parentheses");
        }
        if (hasTopLevel(r, "UNION")) {
            Parts scratch;
            unionQuery(r, scratch, depth + 1);
            return;
        }
        if (word(r.b, "TABLE")) {
            if (r.e != r.b + 2 || !isName(r.b + 1))
                refuse("UNION", "TABLE must be followed by one table name");
            return;
        }
        if (!word(r.b, "SELECT"))
            refuse("UNION",
                   "a UNION joins SELECT queries, not '" + shortened(tokenText(r.b)) + "'");
        Parts scratch;
        select(r, scratch, bit(kFrom) | bit(kWhere) | bit(kGroupBy) | bit(kHaving) | bit(kOrderBy),
               "a query of a union", 0);
    }

    void append(Range r, Parts& p) const {
        size_t i = r.b + 1;
        if (!word(i, "INTO")) refuse("INSERT INTO", "INSERT must be followed by INTO");
        ++i;
        size_t targetEnd = i;
        while (targetEnd < r.e && !punct(targetEnd, '(') && !word(targetEnd, "SELECT") &&
               !word(targetEnd, "VALUES"))
            ++targetEnd;
        target({i, targetEnd}, p, "INSERT INTO");
        i = targetEnd;
        std::vector<std::string> targets;
        if (punct(i, '(')) {
            const Range list{i + 1, match_[i]};
            if (list.empty()) refuse("INSERT INTO", "the list of target columns is empty");
            for (const Range item : splitCommas(list)) {
                if (item.empty())
                    refuse("INSERT INTO", "a target column is missing between two commas");
                if (!isColumnReference(item))
                    refuse("INSERT INTO",
                           "'" + shortened(text(item)) + "' does not name a target column");
                targets.push_back(text(item));
            }
            i = match_[i] + 1;
        }
        p.kind = qkind::Append;
        const auto columnCount = [&](size_t values) {
            if (!targets.empty() && targets.size() != values)
                refuse("INSERT INTO", std::to_string(targets.size()) + " target columns take " +
                                          std::to_string(values) + " values");
        };
        if (word(i, "VALUES")) {
            if (!punct(i + 1, '(') || match_[i + 1] != r.e - 1)
                refuse("VALUES", "VALUES must be followed by one list in parentheses");
            const Range list{i + 2, r.e - 1};
            if (list.empty()) refuse("VALUES", "the list of values is empty");
            const auto values = splitCommas(list);
            columnCount(values.size());
            for (size_t k = 0; k < values.size(); ++k) {
                if (values[k].empty()) refuse("VALUES", "a value is missing between two commas");
                plainValue(values[k], "VALUES");
                p.columns.push_back(makeRow(qattr::Column, {}, targets.empty() ? "" : targets[k],
                                            text(values[k]), kAppendValue));
            }
            return;
        }
        if (!word(i, "SELECT"))
            refuse("INSERT INTO", "the target is followed by neither SELECT nor VALUES, but '" +
                                      shortened(tokenText(i)) + "'");
        if (hasTopLevel({i, r.e}, "UNION"))
            refuse("UNION",
                   "an append query takes the rows of one SELECT; save the union as a "
                   "query of its own and select from it");
        select({i, r.e}, p, bit(kFrom) | bit(kWhere) | bit(kGroupBy) | bit(kHaving) | bit(kOrderBy),
               "an append query", 0);
        if (!targets.empty()) {
            if (p.flags & qflag::SelectStar)
                refuse("INSERT INTO", "a list of target columns takes named values, not *");
            columnCount(p.columns.size());
            for (size_t k = 0; k < targets.size(); ++k) p.columns[k].name2 = targets[k];
        }
    }

    void update(Range r, Parts& p) const {
        size_t i = r.b + 1;
        if (i < r.e && word(i, "DISTINCTROW")) {
            p.flags |= qflag::DistinctRow;
            ++i;
        }
        const size_t setAt = findTopLevel({i, r.e}, "SET");
        if (setAt == r.e) refuse("UPDATE", "SET is missing");
        if (setAt == i) refuse("UPDATE", "no table is named");
        from({i, setAt}, p, "UPDATE");
        const auto split = clauses({setAt + 1, r.e}, bit(kWhere), "an update query");
        const Range list{setAt + 1, split.firstAt};
        if (list.empty()) refuse("SET", "no column is set");
        for (const Range item : splitCommas(list)) {
            if (item.empty()) refuse("SET", "an assignment is missing between two commas");
            size_t eq = item.e;
            for (size_t k = item.b; k < item.e; k = skip(k)) {
                if (punct(k, '=')) {
                    eq = k;
                    break;
                }
            }
            if (eq == item.e || eq == item.b || eq + 1 == item.e ||
                !isColumnReference({item.b, eq}))
                refuse("SET", "'" + shortened(text(item)) + "' is not column = value");
            p.columns.push_back(
                makeRow(qattr::Column, {}, text({item.b, eq}), text({eq + 1, item.e})));
        }
        if (split.present[kWhere]) p.where = text(split.body[kWhere]);
        p.kind = qkind::Update;
    }

    void deleteQuery(Range r, Parts& p) const {
        size_t i = r.b + 1;
        if (i < r.e && word(i, "DISTINCTROW")) {
            p.flags |= qflag::DistinctRow;
            ++i;
        }
        const auto split = clauses({i, r.e}, bit(kFrom) | bit(kWhere), "a delete query");
        if (!split.present[kFrom]) refuse("DELETE", "FROM is missing");
        const Range list{i, split.firstAt};
        if (!list.empty()) {
            for (const Range item : splitCommas(list)) {
                if (item.empty()) refuse("DELETE", "a column is missing between two commas");
                if (item.e == item.b + 1 && punct(item.b, '*')) {
                    p.flags |= qflag::SelectStar;
                    continue;
                }
                p.columns.push_back(makeRow(qattr::Column, {}, {}, text(item)));
            }
        }
        from(split.body[kFrom], p, "FROM");
        if (split.present[kWhere]) p.where = text(split.body[kWhere]);
        p.kind = qkind::Delete;
    }

    // --- the rows -------------------------------------------------------------

    static DecomposedQuery layout(Parts& p) {
        DecomposedQuery out;
        out.kind = p.kind;
        out.objectFlags = objectFlagsOf(p.kind);
        out.hasParameters = !p.parameters.empty();
        auto& rows = out.rows;
        rows.reserve(8 + p.parameters.size() + p.tables.size() + p.columns.size() + p.joins.size() +
                     p.groups.size() + p.orders.size());
        rows.push_back(makeRow(qattr::Start));
        rows.push_back(makeRow(qattr::End));
        rows.push_back(std::move(p.type));
        for (auto& r : p.parameters) rows.push_back(std::move(r));
        if (p.hasFlagRow) rows.push_back(makeRow(qattr::Flag, p.top, {}, {}, p.flags));
        if (p.remote) rows.push_back(makeRow(qattr::RemoteDb, p.remote->path, {}, p.remote->type));
        for (auto& r : p.tables) rows.push_back(std::move(r));
        for (auto& r : p.columns) rows.push_back(std::move(r));
        for (auto& r : p.joins) rows.push_back(std::move(r));
        if (p.where) rows.push_back(makeRow(qattr::Where, {}, {}, std::move(*p.where)));
        for (auto& r : p.groups) rows.push_back(std::move(r));
        if (p.having) rows.push_back(makeRow(qattr::Having, {}, {}, std::move(*p.having)));
        for (auto& r : p.orders) rows.push_back(std::move(r));
        return out;
    }

    std::string_view s_;
    bool checkLength_ = true;
    std::vector<Token> t_;
    std::vector<size_t> match_;  // the partner of each parenthesis
};

}  // namespace

QueryDecomposeError::QueryDecomposeError(std::string clause, const std::string& reason)
    : std::runtime_error("The query cannot be stored: its " + clause +
                         (clause == "statement" ? ": " : " clause: ") + reason + "."),
      clause_(std::move(clause)) {}

int32_t objectFlagsOf(int32_t kind) {
    switch (kind) {
        case qkind::Crosstab:
            return 16;
        case qkind::Delete:
            return 32;
        case qkind::Update:
            return 48;
        case qkind::Append:
            return 64;
        case qkind::MakeTable:
            return 80;
        case qkind::DataDefinition:
            return 96;
        case qkind::PassThrough:
            return 112;
        case qkind::Union:
            return 128;
        default:
            return 0;
    }
}

DecomposedQuery decomposeQuery(std::string_view sql) {
    DecomposedQuery q = Decomposer(sql).run();
    // Expressions are kept as text, not parsed: one that only its place in
    // this text let through (a comma in a join's condition, say) could read
    // otherwise once the reader builds the query from its rows. Such a query
    // would not be the one the script asked for, so it is refused.
    const std::string text = buildQuerySql(q.rows).sql;
    bool stable = false;
    try {
        stable = buildQuerySql(Decomposer(text, false).run().rows).sql == text;
    } catch (const QueryDecomposeError&) {
    }
    if (!stable) refuse("statement", "it would not read back from the file as it is written");
    return q;
}

DecomposedQuery passThroughQuery(std::string_view sql, std::string_view connect) {
    if (utf16Length(sql) > limit::StatementLength)
        refuse("statement",
               "it has more than " + std::to_string(limit::StatementLength) + " characters");
    const auto blank = [](std::string_view s) {
        for (char c : s)
            if (static_cast<unsigned char>(c) > ' ') return false;
        return true;
    };
    if (blank(sql)) refuse("statement", "the query has no text");
    if (connect.size() < 5 || !equalNoCase(connect.substr(0, 5), "ODBC;"))
        refuse("statement", "a pass-through query needs an ODBC connect string (\"ODBC;…\")");
    DecomposedQuery out;
    out.kind = qkind::PassThrough;
    out.objectFlags = objectFlagsOf(qkind::PassThrough);
    out.rows.push_back(makeRow(qattr::Start));
    out.rows.push_back(makeRow(qattr::End));
    out.rows.push_back(
        makeRow(qattr::Type, std::string(connect), {}, std::string(sql), qkind::PassThrough));
    return out;
}

}  // namespace jet::format
