#include "jet/store/Lexer.h"

#include <cctype>

namespace jet::store {

bool isWordStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || u >= 0x80;
}

bool isWordChar(char c) {
    return isWordStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

size_t position(std::string_view sql, size_t offset) {
    size_t chars = 0;
    for (size_t i = 0; i < offset && i < sql.size(); ++i)
        if ((static_cast<unsigned char>(sql[i]) & 0xC0) != 0x80) ++chars;
    return chars + 1;
}

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

}  // namespace

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    size_t i = 0;
    const size_t n = s.size();
    while (true) {
        while (i < n && isSpace(s[i])) ++i;
        if (i >= n) break;
        Token t;
        t.begin = i;
        const char c = s[i];
        if (c == '[') {
            const size_t close = s.find(']', i + 1);
            if (close == std::string_view::npos) {
                t.kind = TokKind::Bad;
                t.text = "missing ']' after the name that starts here";
                out.push_back(std::move(t));
                break;
            }
            t.kind = TokKind::Name;
            t.text = std::string(s.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '\'' || c == '"') {
            std::string text;
            size_t k = i + 1;
            bool closed = false;
            while (k < n) {
                if (s[k] == c) {
                    if (k + 1 < n && s[k + 1] == c) {
                        text.push_back(c);
                        k += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                text.push_back(s[k]);
                ++k;
            }
            if (!closed) {
                t.kind = TokKind::Bad;
                t.text = "the text that starts here has no closing quote";
                out.push_back(std::move(t));
                break;
            }
            t.kind = TokKind::String;
            t.text = std::move(text);
            i = k + 1;
        } else if (c == '#') {
            const size_t close = s.find('#', i + 1);
            if (close == std::string_view::npos) {
                t.kind = TokKind::Bad;
                t.text = "the date that starts here has no closing '#'";
                out.push_back(std::move(t));
                break;
            }
            t.kind = TokKind::Date;
            t.text = std::string(s.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            size_t k = i;
            while (k < n && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
            if (k < n && s[k] == '.') {
                ++k;
                while (k < n && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
            }
            if (k < n && (s[k] == 'e' || s[k] == 'E')) {
                size_t e = k + 1;
                if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
                if (e < n && std::isdigit(static_cast<unsigned char>(s[e]))) {
                    k = e;
                    while (k < n && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
                }
            }
            t.kind = TokKind::Number;
            t.text = std::string(s.substr(i, k - i));
            i = k;
        } else if (isWordStart(c)) {
            size_t k = i;
            while (k < n && isWordChar(s[k])) ++k;
            t.kind = TokKind::Word;
            t.text = std::string(s.substr(i, k - i));
            i = k;
        } else {
            t.kind = TokKind::Symbol;
            size_t len = 1;
            if (i + 1 < n) {
                const std::string_view two = s.substr(i, 2);
                if (two == "<>" || two == "<=" || two == ">=" || two == "!=") len = 2;
            }
            t.text = std::string(s.substr(i, len));
            i += len;
        }
        t.end = i;
        out.push_back(std::move(t));
    }
    Token end;
    end.kind = TokKind::End;
    end.begin = end.end = n;
    out.push_back(end);
    return out;
}

}  // namespace jet::store
