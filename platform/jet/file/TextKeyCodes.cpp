#include "jet/file/TextKeyCodes.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace jet::file::textkey {

namespace {

// Letters A to Z in order: the code both cases share.
constexpr uint8_t kLetter[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                 0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                 0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
constexpr uint8_t kDigitZero = 0x36;  // digits step by two

// Accent codes.
constexpr uint8_t kOrdinal = 0x03;  // ª º: a raised letter
constexpr uint8_t kAcute = 0x0E;
constexpr uint8_t kGrave = 0x0F;
constexpr uint8_t kCircumflex = 0x12;
constexpr uint8_t kDiaeresis = 0x13;
constexpr uint8_t kTilde = 0x19;
constexpr uint8_t kRing = 0x1A;
constexpr uint8_t kCedilla = 0x1C;
constexpr uint8_t kStroke = 0x21;
constexpr uint8_t kEth = 0x68;  // Ð ð: a D with a bar

struct Plain {
    char16_t c;
    uint16_t code;  // one byte, or two (high byte first)
};
// Punctuation, symbols and the blanks.
constexpr Plain kPlain[] = {
    {0x09, 0x0803}, {0x0A, 0x0804}, {0x0B, 0x0805}, {0x0C, 0x0806}, {0x0D, 0x0807}, {u' ', 0x07},
    {u'!', 0x09},   {u'"', 0x0A},   {u'#', 0x0C},   {u'$', 0x0E},   {u'%', 0x10},   {u'&', 0x12},
    {u'(', 0x14},   {u')', 0x16},   {u'*', 0x18},   {u'+', 0x2C},   {u',', 0x1A},   {u'.', 0x1C},
    {u'/', 0x1E},   {u':', 0x20},   {u';', 0x22},   {u'<', 0x2E},   {u'=', 0x30},   {u'>', 0x32},
    {u'?', 0x24},   {u'@', 0x26},   {u'[', 0x27},   {u'\\', 0x29},  {u']', 0x2A},   {u'^', 0x2B02},
    {u'_', 0x2B03}, {u'`', 0x2B07}, {u'{', 0x2B09}, {u'|', 0x2B0B}, {u'}', 0x2B0D}, {u'~', 0x2B0F},
    {0xA0, 0x0802}, {0xA1, 0x2B10}, {0xA2, 0x34A6}, {0xA3, 0x34A7}, {0xA4, 0x34A8}, {0xA5, 0x34A9},
    {0xA6, 0x2B11}, {0xA7, 0x34AA}, {0xA8, 0x2B12}, {0xA9, 0x34AB}, {0xAB, 0x3305}, {0xAC, 0x34AC},
    {0xAE, 0x34AD}, {0xAF, 0x2B13}, {0xB0, 0x34AE}, {0xB1, 0x3304}, {0xB4, 0x2B14}, {0xB5, 0x34AF},
    {0xB6, 0x34B0}, {0xB7, 0x34B1}, {0xB8, 0x2B15}, {0xBB, 0x3307}, {0xBC, 0x3712}, {0xBD, 0x3716},
    {0xBE, 0x371A}, {0xBF, 0x2B16}, {0xD7, 0x3309}, {0xF7, 0x330A},
};

struct Accented {
    char16_t c;
    char base;  // upper-case letter
    uint8_t accent;
};
// Latin-1 letters with a mark, upper and lower case alike.
constexpr Accented kAccented[] = {
    {0xC0, 'A', kGrave},      {0xC1, 'A', kAcute},      {0xC2, 'A', kCircumflex},
    {0xC3, 'A', kTilde},      {0xC4, 'A', kDiaeresis},  {0xC5, 'A', kRing},
    {0xC7, 'C', kCedilla},    {0xC8, 'E', kGrave},      {0xC9, 'E', kAcute},
    {0xCA, 'E', kCircumflex}, {0xCB, 'E', kDiaeresis},  {0xCC, 'I', kGrave},
    {0xCD, 'I', kAcute},      {0xCE, 'I', kCircumflex}, {0xCF, 'I', kDiaeresis},
    {0xD0, 'D', kEth},        {0xD1, 'N', kTilde},      {0xD2, 'O', kGrave},
    {0xD3, 'O', kAcute},      {0xD4, 'O', kCircumflex}, {0xD5, 'O', kTilde},
    {0xD6, 'O', kDiaeresis},  {0xD8, 'O', kStroke},     {0xD9, 'U', kGrave},
    {0xDA, 'U', kAcute},      {0xDB, 'U', kCircumflex}, {0xDC, 'U', kDiaeresis},
    {0xDD, 'Y', kAcute},
};

// Letters that sort as two: Æ as AE, Þ as TH, ß as SS.
struct Expansion {
    char16_t upper, lower;
    char first, second;
};
constexpr Expansion kExpansions[] = {
    {0xC6, 0xE6, 'A', 'E'}, {0xDE, 0xFE, 'T', 'H'}, {0xDF, 0xDF, 'S', 'S'}};

constexpr CharCode plain(uint16_t code) {
    CharCode c;
    c.kind = CodeKind::Plain;
    if (code > 0xFF) {
        c.length = 2;
        c.bytes[0] = static_cast<uint8_t>(code >> 8);
        c.bytes[1] = static_cast<uint8_t>(code & 0xFF);
    } else {
        c.length = 1;
        c.bytes[0] = static_cast<uint8_t>(code);
    }
    return c;
}

constexpr CharCode unprintable(uint8_t code) {
    CharCode c;
    c.kind = CodeKind::Unprintable;
    c.extra = code;
    return c;
}

// A letter with a mark: its base letter's code (one byte or two) and the
// mark's code in the accent section.
constexpr CharCode marked(uint16_t base, uint8_t accent) {
    CharCode c = plain(base);
    c.kind = CodeKind::Accented;
    c.extra = accent;
    return c;
}

constexpr CharCode ignored() { return CharCode{}; }

CharCode accented(char base, uint8_t accent) {
    CharCode c = plain(kLetter[base - 'A']);
    c.kind = CodeKind::Accented;
    c.extra = accent;
    return c;
}

std::array<CharCode, 256> makeTable() {
    std::array<CharCode, 256> t{};  // everything ignored to begin with
    // Controls: unprintable, numbered in order around the blanks of 0x09-0x0D.
    for (char16_t c = 0x01; c <= 0x08; ++c) t[c] = unprintable(static_cast<uint8_t>(c + 2));
    for (char16_t c = 0x0E; c <= 0x1F; ++c) t[c] = unprintable(static_cast<uint8_t>(c - 3));
    t[0x7F] = unprintable(0x1D);
    for (char16_t c = 0x80; c <= 0x9F; ++c) t[c] = unprintable(static_cast<uint8_t>(c - 0x62));
    // The apostrophe and the hyphens are left out of the main section too.
    t[u'\''] = unprintable(0x80);
    t[u'-'] = unprintable(0x82);
    t[0xAD] = unprintable(0x83);

    for (const Plain& p : kPlain) t[p.c] = plain(p.code);
    for (int i = 0; i < 10; ++i) t[u'0' + i] = plain(static_cast<uint16_t>(kDigitZero + 2 * i));
    t[0xB9] = t[u'1'];  // superscripts sort as their digits
    t[0xB2] = t[u'2'];
    t[0xB3] = t[u'3'];
    for (int i = 0; i < 26; ++i) {
        t[u'A' + i] = plain(kLetter[i]);
        t[u'a' + i] = plain(kLetter[i]);
    }
    t[0xAA] = accented('A', kOrdinal);
    t[0xBA] = accented('O', kOrdinal);
    for (const Accented& a : kAccented) {
        t[a.c] = accented(a.base, a.accent);
        t[a.c + 0x20] = accented(a.base, a.accent);
    }
    t[0xFF] = accented('Y', kDiaeresis);
    for (const Expansion& e : kExpansions) {
        CharCode c = plain(0);
        c.length = 2;
        c.bytes[0] = kLetter[e.first - 'A'];
        c.bytes[1] = kLetter[e.second - 'A'];
        c.expands = true;
        t[e.upper] = c;
        t[e.lower] = c;
    }
    return t;
}

}  // namespace

const CharCode* generalCode(char16_t c) {
    static const std::array<CharCode, 256> table = makeTable();
    return c < table.size() ? &table[c] : nullptr;
}

namespace {

// --- the sort orders ----------------------------------------------------------------------
//
// Each code below was read from entries Access wrote in the fixtures' indexes
// (the index oracle rebuilds those entries from their rows); a character no
// entry showed has no code.

// General past U+00FF: the Cyrillic and Greek names of a fixture's table
// (the Greek Extended letters with breathings and accents leave no trace).
constexpr CodeOf kGeneralCodes[] = {
    {0x039A, plain(0x7915)}, {0x03B1, plain(0x790C)},
    {0x03B3, plain(0x790E)}, {0x03BB, plain(0x7916)},
    {0x03C0, plain(0x791B)}, {0x03C4, plain(0x791E)},
    {0x03C9, plain(0x7923)}, {0x03F0, marked(0x7915, 0x03)},
    {0x041C, plain(0x7943)}, {0x0438, plain(0x793B)},
    {0x0440, plain(0x7948)}, {0x1F10, ignored()},
    {0x1F76, ignored()},     {0x1F79, ignored()},
    {0x1F7B, ignored()},     {0x1F7C, ignored()},
};

// Turkish: I is the capital of the dotless ı, a letter of its own before i.
constexpr CodeOf kTurkishCodes[] = {{u'I', plain(0x5806)}, {0x0131, plain(0x5806)}};

// Croatian: č, ć, đ, š and ž are letters of their own after c, d, s and z;
// dž, lj and nj sort as one letter each (dž with a mark).
constexpr CodeOf kCroatianCodes[] = {
    {0x0106, plain(0x4E03)}, {0x0107, plain(0x4E03)}, {0x010C, plain(0x4E02)},
    {0x010D, plain(0x4E02)}, {0x0110, plain(0x5005)}, {0x0111, plain(0x5005)},
    {0x0160, plain(0x6C07)}, {0x0161, plain(0x6C07)}, {0x017D, plain(0x7905)},
    {0x017E, plain(0x7905)},
};
constexpr PairCode kCroatianPairs[] = {
    {u'd', 0x017E, marked(0x5004, 0x04)}, {u'D', 0x017E, marked(0x5004, 0x04)},
    {u'l', u'j', plain(0x5F03)},          {u'L', u'j', plain(0x5F03)},
    {u'n', u'j', plain(0x6304)},
};
constexpr char16_t kCroatianLN[] = {u'l', u'L', u'n', u'N'};
constexpr char16_t kCroatianJ[] = {u'j', u'J'};
constexpr char16_t kCroatianD[] = {u'd', u'D'};
constexpr char16_t kCroatianZCaron[] = {0x017E, 0x017D};
constexpr PairClass kCroatianMayPair[] = {{kCroatianLN, kCroatianJ}, {kCroatianD, kCroatianZCaron}};

// Chinese PRC: the ideographs of a fixture's values, two bytes each.
constexpr CodeOf kChinesePrcCodes[] = {
    {0x5DE5, plain(0x92E6)},
    {0x5E8F, plain(0xC54D)},
    {0x6B21, plain(0x89B1)},
    {0x73ED, plain(0x8229)},
};

const Alphabet kAlphabets[] = {
    {0x0409, 0, false, 1, kGeneralCodes, {}, {}},
    {0x040C, 0, true, 2, {}, {}, {}},  // French
    {0x041F, 0, false, 1, kTurkishCodes, {}, {}},
    {0x041A, 0, false, 1, kCroatianCodes, kCroatianPairs, kCroatianMayPair},
    {0x0C0A, 0, false, 1, {}, {}, {}},  // Spanish, modern sort: General's codes
    {0x0804, 0, false, 1, kChinesePrcCodes, {}, {}},
};

bool holds(std::span<const char16_t> set, char16_t c) {
    return std::find(set.begin(), set.end(), c) != set.end();
}

}  // namespace

const CharCode* Alphabet::code(char16_t c) const {
    const auto it = std::lower_bound(codes.begin(), codes.end(), c,
                                     [](const CodeOf& x, char16_t y) { return x.c < y; });
    if (it != codes.end() && it->c == c) return &it->code;
    return generalCode(c);
}

const CharCode* Alphabet::pair(char16_t c, char16_t next) const {
    for (const PairCode& p : pairs)
        if (p.first == c && p.second == next) return &p.code;
    return nullptr;
}

bool Alphabet::unknownPair(char16_t c, char16_t next) const {
    for (const PairClass& k : mayPair)
        if (holds(k.first, c) && holds(k.second, next)) return pair(c, next) == nullptr;
    return false;
}

const Alphabet* alphabetOf(uint16_t id, uint8_t version) {
    for (const Alphabet& a : kAlphabets)
        if (a.id == id && a.version == version) return &a;
    return nullptr;
}

}  // namespace jet::file::textkey
