#include "jet/statement/Names.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include "jet/Error.h"

namespace jet::statement {

namespace {

// Calls `f(codePoint, begin, end)` for each character; a negative code point
// stands for bytes that are not UTF-8.
template <class F>
void eachChar(std::string_view text, F&& f) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    const auto n = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < n;) {
        const int32_t begin = i;
        UChar32 c = 0;
        U8_NEXT(s, i, n, c);
        f(c, static_cast<size_t>(begin), static_cast<size_t>(i));
    }
}

bool isControl(UChar32 c) { return u_charType(c) == U_CONTROL_CHAR; }

}  // namespace

bool isValidUtf8(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) {
            bool valid = true;
            eachChar(text, [&](UChar32 cp, size_t, size_t) { valid = valid && cp >= 0; });
            return valid;
        }
    return true;
}

size_t jetLength(std::string_view utf8) {
    size_t n = 0;
    eachChar(utf8, [&](UChar32 c, size_t, size_t) { n += c >= 0 ? U16_LENGTH(c) : 1; });
    return n;
}

std::string printable(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    eachChar(text, [&](UChar32 c, size_t begin, size_t end) {
        if (c >= 0 && !isControl(c)) {
            out += text.substr(begin, end - begin);
            return;
        }
        for (size_t k = begin; k < end; ++k) {
            const auto b = static_cast<unsigned char>(text[k]);
            out += "\\x";
            out += kDigits[b >> 4];
            out += kDigits[b & 15];
        }
    });
    return out;
}

void checkNameText(std::string_view name) {
    if (!isValidUtf8(name)) raise(Err::InvalidName, {printable(name)});
}

void checkName(std::string_view name) {
    bool ok = name.size() <= 4 * limit::NameLength;
    size_t units = 0;
    if (ok)
        eachChar(name, [&](UChar32 c, size_t, size_t) {
            ok = ok && c >= 0 && !isControl(c);
            units += c >= 0 ? U16_LENGTH(c) : 1;
        });
    if (!ok || units > limit::NameLength) raise(Err::InvalidName, {printable(name)});
}

void checkNewName(std::string_view name) {
    checkName(name);
    // None of these bytes occurs inside a UTF-8 sequence.
    if (name.starts_with(' ') || name.find_first_of(".!`[]") != std::string_view::npos)
        raise(Err::InvalidName, {printable(name)});
}

void checkStatementLength(std::string_view sql) {
    // Every character takes at least one byte.
    if (sql.size() <= limit::StatementLength) return;
    const size_t length = jetLength(sql);
    if (length > limit::StatementLength)
        raise(Err::StatementTooLong,
              {std::to_string(length), std::to_string(limit::StatementLength)});
}

}  // namespace jet::statement
