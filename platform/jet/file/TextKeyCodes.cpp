#include "jet/file/TextKeyCodes.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string_view>

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

// --- Access 97 ----------------------------------------------------------------------------
//
// Read from the keys of the Access 97 fixtures (a table of every byte of the
// code page between two letters, and tables of marked letters between
// others); the index oracle rebuilds those entries from their rows.

namespace {

constexpr uint8_t kControl97 = 0x10;  // controls and most bytes the code page leaves free
constexpr uint8_t kBlank97 = 0x11;    // tab, space, no-break space
constexpr uint8_t kDigitZero97 = 0x56;
constexpr uint8_t kLetter97[26] = {0x60, 0x61, 0x62, 0x64, 0x66, 0x67, 0x68, 0x69, 0x6A,
                                   0x6B, 0x6C, 0x6D, 0x6F, 0x70, 0x72, 0x73, 0x74, 0x75,
                                   0x76, 0x77, 0x78, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E};
// The letters whose marked forms take part in the nibble section, and so
// count as positions there.
constexpr std::string_view kMarkable97 = "ACEINOSUY";

// Marks, as nibbles.
constexpr uint8_t kGrave97 = 0x3;
constexpr uint8_t kAcute97 = 0x4;
constexpr uint8_t kCircumflex97 = 0x5;
constexpr uint8_t kDiaeresis97 = 0x6;
constexpr uint8_t kTilde97 = 0x7;
constexpr uint8_t kRing97 = 0x8;
constexpr uint8_t kCedilla97 = 0x9;
constexpr uint8_t kCaron97 = 0xA;

struct Symbol97 {
    uint8_t byte;
    uint8_t code;
};
// Punctuation and symbols outside the runs that makeTable97 numbers in order.
constexpr Symbol97 kSymbols97[] = {
    {0x82, 0x18}, {0x83, 0x32}, {0x84, 0x13}, {0x85, 0x33}, {0x86, 0x34}, {0x87, 0x35},
    {0x88, 0x36}, {0x89, 0x37}, {0x8B, 0x18}, {0x91, 0x18}, {0x92, 0x18}, {0x93, 0x13},
    {0x94, 0x13}, {0x95, 0x38}, {0x96, 0x1E}, {0x97, 0x1E}, {0x98, 0x39}, {0x99, 0x3A},
    {0x9B, 0x18}, {0xAB, 0x13}, {0xAC, 0x45}, {0xAD, 0x1E}, {0xAE, 0x46}, {0xAF, 0x47},
    {0xB0, 0x48}, {0xB1, 0x49}, {0xB2, 0x58}, {0xB3, 0x59}, {0xB4, 0x4A}, {0xB5, 0x4B},
    {0xB6, 0x4C}, {0xB7, 0x4D}, {0xB8, 0x4E}, {0xB9, 0x57}, {0xBA, 0x4F}, {0xBB, 0x13},
    {0xBC, 0x50}, {0xBD, 0x51}, {0xBE, 0x52}, {0xBF, 0x53}, {0xD7, 0x54}, {0xF7, 0x55}};
// Letters of their own: Ð, Þ and Ø after D, Z and every other letter.
constexpr Symbol97 kOwnLetters97[] = {{0xD0, 0x65}, {0xF0, 0x65}, {0xDE, 0x7F},
                                      {0xFE, 0x7F}, {0xD8, 0x81}, {0xF8, 0x81}};

struct Marked97 {
    uint8_t byte;
    char base;
    uint8_t mark;
};
// Marked letters (upper case; lower case is 0x20 above them, besides the
// pairs of 0x8A-0x9F and ÿ).
constexpr Marked97 kMarked97[] = {
    {0xC0, 'A', kGrave97},      {0xC1, 'A', kAcute97},      {0xC2, 'A', kCircumflex97},
    {0xC3, 'A', kTilde97},      {0xC4, 'A', kDiaeresis97},  {0xC5, 'A', kRing97},
    {0xC7, 'C', kCedilla97},    {0xC8, 'E', kGrave97},      {0xC9, 'E', kAcute97},
    {0xCA, 'E', kCircumflex97}, {0xCB, 'E', kDiaeresis97},  {0xCC, 'I', kGrave97},
    {0xCD, 'I', kAcute97},      {0xCE, 'I', kCircumflex97}, {0xCF, 'I', kDiaeresis97},
    {0xD1, 'N', kTilde97},      {0xD2, 'O', kGrave97},      {0xD3, 'O', kAcute97},
    {0xD4, 'O', kCircumflex97}, {0xD5, 'O', kTilde97},      {0xD6, 'O', kDiaeresis97},
    {0xD9, 'U', kGrave97},      {0xDA, 'U', kAcute97},      {0xDB, 'U', kCircumflex97},
    {0xDC, 'U', kDiaeresis97},  {0xDD, 'Y', kAcute97},
};

// Letters that sort as two: Œ as OE, Æ as AE, ß as SS. Both halves of each
// are markable letters; that they count as two positions is shown for ß
// only (see IndexKey's claims).
struct Double97 {
    uint8_t upper, lower;
    char first, second;
};
constexpr Double97 kDoubles97[] = {
    {0x8C, 0x9C, 'O', 'E'}, {0xC6, 0xE6, 'A', 'E'}, {0xDF, 0xDF, 'S', 'S'}};

constexpr Code97 simple97(uint8_t code) {
    Code97 c;
    c.length = 1;
    c.bytes[0] = code;
    return c;
}

Code97 letter97(char upper, uint8_t mark = 0) {
    Code97 c = simple97(kLetter97[upper - 'A']);
    c.mark = mark;
    if (mark == 0 && kMarkable97.find(upper) != std::string_view::npos) c.letters = 1;
    return c;
}

std::array<Code97, 256> makeTable97() {
    std::array<Code97, 256> t{};
    // NUL too: the catalog's "Lock\0" module name shows it.
    for (int b = 0x00; b <= 0x1F; ++b) t[b] = simple97(kControl97);
    for (int b : {0x7F, 0x80, 0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E})
        t[b] = simple97(kControl97);
    for (int b : {0x09, 0x20, 0xA0}) t[b] = simple97(kBlank97);
    // Runs of punctuation numbered in order.
    auto run = [&](int from, int to, uint8_t code) {
        for (int b = from; b <= to; ++b) t[b] = simple97(static_cast<uint8_t>(code + (b - from)));
    };
    run(0x21, 0x2F, 0x12);
    run(0x3A, 0x40, 0x21);
    run(0x5B, 0x60, 0x28);
    run(0x7B, 0x7E, 0x2E);
    run(0xA1, 0xAA, 0x3B);
    run(0x30, 0x39, kDigitZero97);
    for (const Symbol97& s : kSymbols97) t[s.byte] = simple97(s.code);
    for (const Symbol97& s : kOwnLetters97) t[s.byte] = simple97(s.code);
    for (int i = 0; i < 26; ++i) {
        t['A' + i] = letter97(static_cast<char>('A' + i));
        t['a' + i] = t['A' + i];
    }
    for (const Marked97& m : kMarked97) {
        t[m.byte] = letter97(m.base, m.mark);
        t[m.byte + 0x20] = t[m.byte];
    }
    t[0x8A] = t[0x9A] = letter97('S', kCaron97);
    t[0x9F] = t[0xFF] = letter97('Y', kDiaeresis97);
    for (const Double97& d : kDoubles97) {
        Code97 c;
        c.length = 2;
        c.bytes[0] = kLetter97[d.first - 'A'];
        c.bytes[1] = kLetter97[d.second - 'A'];
        c.letters = 2;
        t[d.upper] = c;
        t[d.lower] = c;
    }
    return t;
}

// Windows-1252's characters past U+00FF and their bytes, by character.
struct Cp1252 {
    char16_t c;
    uint8_t byte;
};
constexpr Cp1252 kCp1252High[] = {
    {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0178, 0x9F}, {0x017D, 0x8E},
    {0x017E, 0x9E}, {0x0192, 0x83}, {0x02C6, 0x88}, {0x02DC, 0x98}, {0x2013, 0x96}, {0x2014, 0x97},
    {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82}, {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84},
    {0x2020, 0x86}, {0x2021, 0x87}, {0x2022, 0x95}, {0x2026, 0x85}, {0x2030, 0x89}, {0x2039, 0x8B},
    {0x203A, 0x9B}, {0x20AC, 0x80}, {0x2122, 0x99},
};

}  // namespace

int windows1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    // The bytes the code page leaves undefined are kept as they are.
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return c;
    const auto it = std::lower_bound(std::begin(kCp1252High), std::end(kCp1252High), c,
                                     [](const Cp1252& x, char16_t y) { return x.c < y; });
    if (it != std::end(kCp1252High) && it->c == c) return it->byte;
    return -1;
}

const Code97* general97Code(char16_t c) {
    static const std::array<Code97, 256> table = makeTable97();
    const int byte = windows1252Byte(c);
    return byte < 0 ? nullptr : &table[static_cast<size_t>(byte)];
}

namespace {

constexpr CharCode wide97(uint8_t group, uint8_t code) {
    CharCode c;
    c.kind = CodeKind::Plain;
    c.length = 2;
    c.bytes[0] = group;
    c.bytes[1] = code;
    return c;
}

constexpr uint8_t kLatinGroup = 0x0E;
struct Letter2 {
    char upper;
    uint8_t code;
};
// The letters of the Turkish fixture's catalog and values (I sorts with i
// there, as in General), and its one digit.
constexpr Letter2 kTurkish97Letters[] = {
    {'A', 0x02}, {'B', 0x09}, {'C', 0x0A}, {'D', 0x1A}, {'E', 0x21}, {'F', 0x23}, {'G', 0x25},
    {'H', 0x2C}, {'I', 0x32}, {'J', 0x35}, {'K', 0x36}, {'L', 0x48}, {'M', 0x51}, {'N', 0x70},
    {'O', 0x7C}, {'P', 0x7E}, {'Q', 0x89}, {'R', 0x8A}, {'S', 0x91}, {'T', 0x99}, {'U', 0x9F},
    {'V', 0xA2}, {'W', 0xA4}, {'X', 0xA6}, {'Y', 0xA7}, {'Z', 0xA9},
};
constexpr uint8_t kDigitGroup = 0x0C;

}  // namespace

const CharCode* turkish97Code(char16_t c) {
    struct Slot {
        bool known = false;
        CharCode code;
    };
    static const std::array<Slot, 128> table = [] {
        std::array<Slot, 128> t{};
        t[u' '] = {true, wide97(0x07, 0x02)};
        t[u'-'] = {true, unprintable(0x82)};
        t[u'2'] = {true, wide97(kDigitGroup, 0x33)};
        for (const Letter2& l : kTurkish97Letters) {
            t[static_cast<size_t>(l.upper)] = {true, wide97(kLatinGroup, l.code)};
            t[static_cast<size_t>(l.upper + 0x20)] = {true, wide97(kLatinGroup, l.code)};
        }
        return t;
    }();
    if (c >= table.size() || !table[c].known) return nullptr;
    return &table[c].code;
}

}  // namespace jet::file::textkey
