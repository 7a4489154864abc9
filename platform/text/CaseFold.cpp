#include "text/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace text {

namespace {

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string fold(std::string_view utf8) {
    if (isAscii(utf8)) {
        std::string out(utf8);
        for (char& c : out) c = lowerAscii(c);
        return out;
    }
    auto u = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    u.foldCase(U_FOLD_CASE_DEFAULT);
    std::string out;
    u.toUTF8String(out);
    return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
        return true;
    }
    return fold(a) == fold(b);
}

int compareNoCase(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const char x = lowerAscii(a[i]), y = lowerAscii(b[i]);
            if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    return fold(a).compare(fold(b));
}

bool containsNoCase(std::string_view haystack, std::string_view needle) {
    return fold(haystack).find(fold(needle)) != std::string::npos;
}

}  // namespace text
