#include "jet/statement/Lexer.h"

#include <cctype>

namespace jet::statement {

bool isWordStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || u >= 0x80;
}

bool isWordChar(char c) { return isWordStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

size_t position(std::string_view sql, size_t offset) {
    size_t chars = 0;
    for (size_t i = 0; i < offset && i < sql.size(); ++i)
        if ((static_cast<unsigned char>(sql[i]) & 0xC0) != 0x80) ++chars;
    return chars + 1;
}

std::string_view inner(std::string_view sql, const Token& t) {
    const std::string_view r = raw(sql, t);
    switch (t.kind) {
        case TokKind::Name:
        case TokKind::String:
        case TokKind::Date:
            return r.size() >= 2 ? r.substr(1, r.size() - 2) : std::string_view();
        default:
            return r;
    }
}

std::string value(std::string_view sql, const Token& t) {
    const std::string_view in = inner(sql, t);
    if (t.kind != TokKind::String) return std::string(in);
    const char quote = sql[t.begin];
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        out.push_back(in[i]);
        if (in[i] == quote) ++i;  // a doubled quote stands for one
    }
    return out;
}

std::string badTokenText(std::string_view sql, const Token& t) {
    switch (t.begin < sql.size() ? sql[t.begin] : '\0') {
        case '[':
            return "missing ']' after the name that starts here";
        case '#':
            return "the date that starts here has no closing '#'";
        default:
            return "the text that starts here has no closing quote";
    }
}

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The token that starts at or after `i` (End at the text's end); `i` moves
// past it. A token that does not end runs to the text's end.
Token scan(std::string_view s, size_t& i) {
    const size_t n = s.size();
    while (i < n && isSpace(s[i])) ++i;
    const size_t begin = i;
    const auto token = [&](TokKind kind) {
        return Token{kind, static_cast<uint32_t>(begin), static_cast<uint32_t>(i)};
    };
    if (i >= n) return token(TokKind::End);
    const char c = s[i];
    if (c == '[' || c == '#') {
        const size_t close = s.find(c == '[' ? ']' : '#', i + 1);
        if (close == std::string_view::npos) {
            i = n;
            return token(TokKind::Bad);
        }
        i = close + 1;
        return token(c == '[' ? TokKind::Name : TokKind::Date);
    }
    if (c == '\'' || c == '"') {
        for (size_t k = i + 1; k < n; ++k) {
            if (s[k] != c) continue;
            if (k + 1 < n && s[k + 1] == c) {
                ++k;  // a doubled quote
                continue;
            }
            i = k + 1;
            return token(TokKind::String);
        }
        i = n;
        return token(TokKind::Bad);
    }
    const auto digit = [&](size_t k) {
        return k < n && std::isdigit(static_cast<unsigned char>(s[k])) != 0;
    };
    if (digit(i) || (c == '.' && digit(i + 1))) {
        while (digit(i)) ++i;
        if (i < n && s[i] == '.') {
            ++i;
            while (digit(i)) ++i;
        }
        if (i < n && (s[i] == 'e' || s[i] == 'E')) {
            size_t e = i + 1;
            if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
            if (digit(e)) {
                i = e;
                while (digit(i)) ++i;
            }
        }
        return token(TokKind::Number);
    }
    if (isWordStart(c)) {
        while (i < n && isWordChar(s[i])) ++i;
        return token(TokKind::Word);
    }
    size_t len = 1;
    if (i + 1 < n) {
        const std::string_view two = s.substr(i, 2);
        if (two == "<>" || two == "<=" || two == ">=" || two == "!=") len = 2;
    }
    i += len;
    return token(TokKind::Symbol);
}

}  // namespace

std::vector<Token> tokenize(std::string_view s) {
    // Counted first, so that the list takes exactly the room it needs.
    size_t count = 0;
    for (size_t i = 0;;) {
        const Token t = scan(s, i);
        ++count;
        if (t.kind == TokKind::End) break;
    }
    std::vector<Token> out;
    out.reserve(count);
    for (size_t i = 0;;) {
        out.push_back(scan(s, i));
        if (out.back().kind == TokKind::End) break;
        // A Bad token runs to the end: End follows it at once.
    }
    return out;
}

}  // namespace jet::statement
