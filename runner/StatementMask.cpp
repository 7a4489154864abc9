#include "runner/StatementMask.h"

#include <utility>
#include <vector>

#include "text/CaseFold.h"

namespace runner {

namespace {

enum class Kind { Word, Name, String, Symbol };

struct Token {
    Kind kind;
    size_t begin, end;
};

bool isWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '_' ||
           u >= 0x80;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Words, [names], 'strings' and "strings" (a doubled quote stays inside), and
// single symbols. An unclosed name or string runs to the end of the text.
std::vector<Token> tokens(std::string_view s) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        const size_t begin = i;
        if (c == '[') {
            const size_t close = s.find(']', i + 1);
            i = close == std::string_view::npos ? s.size() : close + 1;
            out.push_back({Kind::Name, begin, i});
        } else if (c == '\'' || c == '"') {
            ++i;
            while (i < s.size()) {
                if (s[i] == c) {
                    if (i + 1 < s.size() && s[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({Kind::String, begin, i});
        } else if (isWordChar(c)) {
            while (i < s.size() && isWordChar(s[i])) ++i;
            out.push_back({Kind::Word, begin, i});
        } else {
            ++i;
            out.push_back({Kind::Symbol, begin, i});
        }
    }
    return out;
}

}  // namespace

std::string maskPasswords(std::string_view statement) {
    const auto toks = tokens(statement);
    const auto is = [&](size_t k, std::string_view word) {
        return k < toks.size() && toks[k].kind == Kind::Word &&
               text::equalNoCase(statement.substr(toks[k].begin, toks[k].end - toks[k].begin),
                                 word);
    };
    const auto isSymbol = [&](size_t k, char c) {
        return k < toks.size() && toks[k].kind == Kind::Symbol && statement[toks[k].begin] == c;
    };
    const auto isValue = [&](size_t k) {
        return k < toks.size() && !isSymbol(k, ',') && !isSymbol(k, ';');
    };
    // A value runs over the tokens that touch one another: "p@ss" is one
    // password although the store reads three tokens and fails on the second,
    // and the box shows exactly such failed statements.
    const auto valueEnd = [&](size_t k) {
        while (isValue(k + 1) && toks[k + 1].begin == toks[k].end) ++k;
        return k;
    };

    std::vector<std::pair<size_t, size_t>> secret;  // first and last token, ascending
    const auto hide = [&](size_t& k) {
        const size_t last = valueEnd(k);
        secret.emplace_back(k, last);
        k = last + 1;
    };
    if (is(0, "ALTER") && (is(1, "USER") || is(1, "DATABASE"))) {
        for (size_t k = 2; k < toks.size(); ++k) {
            if (!is(k, "PASSWORD")) continue;
            for (size_t v = k + 1, n = 0; n < 2 && isValue(v); ++n) hide(v);
            break;
        }
    } else if (is(0, "CREATE") && is(1, "USER")) {
        // name [password [pid]], name …: only the passwords are secret.
        for (size_t k = 2; isValue(k);) {
            k = valueEnd(k) + 1;
            if (isValue(k)) hide(k);
            if (isValue(k)) k = valueEnd(k) + 1;
            if (!isSymbol(k, ',')) break;
            ++k;
        }
    }

    std::string out;
    size_t from = 0;
    for (const auto& [first, last] : secret) {
        out.append(statement.substr(from, toks[first].begin - from));
        out.append(kMaskedValue);
        from = toks[last].end;
    }
    out.append(statement.substr(from));
    return out;
}

}  // namespace runner
