#include "jet/file/CodePage.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "text/Utf8.h"

namespace jet::file {

namespace {

struct Table {
    uint16_t number;
    const std::array<char16_t, 128>* upper;
};

#include "jet/file/CodePageTables.inc"

// The ANSI code page of each Windows primary language (the low ten bits of an
// LCID) that Jet offers a sort order for.
struct LanguageCodePage {
    uint16_t language;
    uint16_t codePage;
};
constexpr LanguageCodePage kLanguages[] = {
    {0x01, 1256}, {0x02, 1251}, {0x03, 1252}, {0x04, 936},  {0x05, 1250}, {0x06, 1252},
    {0x07, 1252}, {0x08, 1253}, {0x09, 1252}, {0x0A, 1252}, {0x0B, 1252}, {0x0C, 1252},
    {0x0D, 1255}, {0x0E, 1250}, {0x0F, 1252}, {0x10, 1252}, {0x11, 932},  {0x12, 949},
    {0x13, 1252}, {0x14, 1252}, {0x15, 1250}, {0x16, 1252}, {0x18, 1250}, {0x19, 1251},
    {0x1A, 1250}, {0x1B, 1250}, {0x1C, 1250}, {0x1D, 1252}, {0x1E, 874},  {0x1F, 1254},
    {0x20, 1256}, {0x21, 1252}, {0x22, 1251}, {0x23, 1251}, {0x24, 1250}, {0x25, 1257},
    {0x26, 1257}, {0x27, 1257}, {0x29, 1256}, {0x2A, 1258}, {0x2C, 1254}, {0x2D, 1252},
    {0x2F, 1251}, {0x36, 1252}, {0x38, 1252}, {0x3E, 1252}, {0x3F, 1251}, {0x41, 1252},
    {0x43, 1254}, {0x44, 1251}, {0x56, 1252},
};

// The ANSI code page of a Windows locale. A primary language written in both
// Latin and Cyrillic letters (Serbian, Azeri, Uzbek) or in two Chinese scripts
// goes by the whole locale.
std::optional<uint16_t> ansiCodePageOfLocale(uint16_t lcid) {
    switch (lcid) {
        case 0x0C1A:  // Serbian, Cyrillic
        case 0x082C:  // Azeri, Cyrillic
        case 0x0843:  // Uzbek, Cyrillic
            return 1251;
        case 0x0404:  // Chinese, Taiwan
        case 0x0C04:  // Chinese, Hong Kong
        case 0x1404:  // Chinese, Macao
            return 950;
        default:
            break;
    }
    for (const auto& l : kLanguages)
        if (l.language == (lcid & 0x3FF)) return l.codePage;
    return std::nullopt;
}

// Reads one code point of UTF-8 at `i` and moves past it; null (and past the
// first byte) when the bytes there are not UTF-8: truncated, overlong, a
// surrogate or past U+10FFFF.
std::optional<uint32_t> nextCodePoint(std::string_view s, size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t len = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
        ++i;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else {
        ++i;
        return std::nullopt;
    }
    if (len > s.size() - i) {
        ++i;
        return std::nullopt;
    }
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return std::nullopt;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
        ++i;
        return std::nullopt;
    }
    i += len;
    return cp;
}

}  // namespace

struct CodePage::Tables {
    const std::array<char16_t, 128>* upper = nullptr;
    // (code point, byte) of bytes 0x80-0xFF, by code point.
    std::array<std::pair<char16_t, uint8_t>, 128> reverse{};

    [[nodiscard]] std::optional<uint8_t> byteOf(uint32_t cp) const {
        if (cp < 0x80) return static_cast<uint8_t>(cp);
        if (cp > 0xFFFF) return std::nullopt;
        const auto u = static_cast<char16_t>(cp);
        const auto it = std::lower_bound(reverse.begin(), reverse.end(), u,
                                         [](const auto& e, char16_t v) { return e.first < v; });
        if (it == reverse.end() || it->first != u) return std::nullopt;
        return it->second;
    }
};

CodePage::CodePage(uint16_t windowsCodePage) : number_(windowsCodePage), tables_(nullptr) {
    static const auto all = [] {
        std::array<Tables, kTables.size()> t{};
        for (size_t i = 0; i < kTables.size(); ++i) {
            t[i].upper = kTables[i].upper;
            for (size_t b = 0; b < 128; ++b)
                t[i].reverse[b] = {(*kTables[i].upper)[b], static_cast<uint8_t>(0x80 + b)};
            std::sort(t[i].reverse.begin(), t[i].reverse.end());
        }
        return t;
    }();
    for (size_t i = 0; i < kTables.size(); ++i)
        if (kTables[i].number == windowsCodePage) tables_ = &all[i];
    if (!tables_) {
        const bool farEast = windowsCodePage == 932 || windowsCodePage == 936 ||
                             windowsCodePage == 949 || windowsCodePage == 950;
        throw FormatError("text in code page " + std::to_string(windowsCodePage) +
                          (farEast ? " (double-byte) is not supported"
                                   : " cannot be read: no table of that code page"));
    }
}

CodePage CodePage::forFile(uint16_t headerCodePage, uint16_t sortOrder) {
    if (headerCodePage != 0) return CodePage(headerCodePage);
    const auto ansi = ansiCodePageOfLocale(sortOrder);
    if (!ansi) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", sortOrder);
        throw FormatError(std::string("the file names no code page and its sort order ") + hex +
                          " names no known locale");
    }
    return CodePage(*ansi);
}

std::string CodePage::decode(ByteSpan bytes) const {
    std::string out;
    out.reserve(bytes.size());
    for (const uint8_t b : bytes) {
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else
            text::appendUtf8(out, (*tables_->upper)[b - 0x80]);
    }
    return out;
}

std::optional<Bytes> CodePage::encode(std::string_view utf8) const {
    Bytes out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto cp = nextCodePoint(utf8, i);
        if (!cp) return std::nullopt;
        const auto b = tables_->byteOf(*cp);
        if (!b) return std::nullopt;
        out.push_back(*b);
    }
    return out;
}

std::string CodePage::firstUnencodable(std::string_view utf8) const {
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        const auto cp = nextCodePoint(utf8, i);
        if (!cp) return "\xEF\xBF\xBD";
        if (!tables_->byteOf(*cp)) return std::string(utf8.substr(start, i - start));
    }
    return {};
}

}  // namespace jet::file
