#pragma once
// The codes a text key gives each character in Jet 4's sort orders: every
// character from U+0000 to U+00FF in "General" (0x0409, version 0), and per
// sort order the characters it codes otherwise (or past U+00FF) and the pairs
// of letters it sorts as one, each read from keys Access wrote. A character
// without a code here has none. Upper and lower case letters share their
// codes.
#include <cstdint>
#include <span>

namespace jet::file::textkey {

enum class CodeKind : uint8_t {
    Ignored,      // leaves no trace in the key
    Plain,        // one or two code bytes in the main section
    Accented,     // a base letter's code, and an accent code in the accent section
    Unprintable,  // nothing in the main section; a code in the unprintable section
};

struct CharCode {
    CodeKind kind = CodeKind::Ignored;
    uint8_t length = 0;  // code bytes in the main section (0 to 2)
    uint8_t bytes[2] = {0, 0};
    uint8_t extra = 0;  // accent code (Accented) or unprintable code (Unprintable)
    // A letter that sorts as two (Æ, Þ, ß): whether it also takes two
    // positions in the accent and unprintable sections depends on the sort
    // order.
    bool expands = false;
};

// The code of `c` in General, or null past U+00FF.
[[nodiscard]] const CharCode* generalCode(char16_t c);

struct CodeOf {
    char16_t c;
    CharCode code;
};

// Two characters that sort as one letter (Croatian "lj", "nj", "dž").
struct PairCode {
    char16_t first, second;
    CharCode code;
};

// Two characters that may sort as one letter in a sort order, of which only
// some case forms were measured: `first` followed by `second`.
struct PairClass {
    std::span<const char16_t> first, second;
};

// How one sort order codes text.
struct Alphabet {
    uint16_t id = 0;
    uint8_t version = 0;
    // French compares accents from the end of the text (its accent section
    // runs backwards) and counts a letter that sorts as two (ß) as two
    // positions.
    bool accentsFromEnd = false;
    uint8_t expansionPositions = 1;
    std::span<const CodeOf> codes;       // differing from General's, sorted by character
    std::span<const PairCode> pairs;     // the pairs measured
    std::span<const PairClass> mayPair;  // pairs of which not every form was measured

    // The code of `c`, or null when there is none.
    [[nodiscard]] const CharCode* code(char16_t c) const;
    // The code of `c` followed by `next` where the two sort as one letter.
    [[nodiscard]] const CharCode* pair(char16_t c, char16_t next) const;
    // True where `c` followed by `next` may sort as one letter but that form
    // has no code here: such a text has no known key.
    [[nodiscard]] bool unknownPair(char16_t c, char16_t next) const;
};

// The sort order's alphabet, or null for a sort order without codes.
[[nodiscard]] const Alphabet* alphabetOf(uint16_t id, uint8_t version);

// --- Access 97 ---------------------------------------------------------------------------
//
// Access 97's files hold text in one byte a character (Windows-1252 in the
// General sort order), and General 97 gives each byte one code: no case
// section, and a mark of the letters that carry one (A C E I N O S U Y and
// their kin) as a nibble after the main section.
struct Code97 {
    uint8_t length = 0;  // code bytes in the main section (0: the character leaves no trace)
    uint8_t bytes[2] = {0, 0};
    // Positions it takes among the letters that may carry a mark (the nibble
    // section counts only those): 1 for A C E I N O S U Y, 2 for ß (SS).
    uint8_t letters = 0;
    uint8_t mark = 0;  // the mark's nibble (1 to 15), 0 for none
};

// The code of `c` in General 97: the characters of Windows-1252, those from
// U+0152 to U+2122 taken to their byte, and the bytes the code page leaves
// undefined (read as U+0081, U+008D, U+008F, U+0090, U+009D); null for any
// other character.
[[nodiscard]] const Code97* general97Code(char16_t c);

// The byte of Windows-1252 that holds `c`, or -1 for a character it has not
// (the undefined bytes count as their own characters).
[[nodiscard]] int windows1252Byte(char16_t c);

// The nibble section of General 97: 0, the nibbles, 0, packed high nibble
// first; "no marks" is one byte 0x00.
inline constexpr uint8_t kNibbleFrame = 0x0;
inline constexpr uint8_t kLetterWithoutMark = 0x2;  // a letter before a mark that has none
inline constexpr uint8_t kNoMarks = 0x00;

// Access 97's Turkish: each character two bytes in the main section (the
// letters in a script's group 0x0E, upper and lower case alike, the blank
// 07 02), the hyphen in the unprintable section as in Jet 4's keys; the
// sections are closed as Jet 4 closes them when it has unprintables, even
// when there are none. Only the characters a fixture shows have codes.
[[nodiscard]] const CharCode* turkish97Code(char16_t c);

// Bytes of the text key's framing.
inline constexpr uint8_t kEndOfText = 0x01;
inline constexpr uint8_t kEndOfKey = 0x00;
inline constexpr uint8_t kNoAccent = 0x02;            // accent section: a position without accent
inline constexpr uint8_t kUnprintableMark = 0x06;     // unprintable section: before each code
inline constexpr uint16_t kUnprintableFlag = 0x8000;  // unprintable section: position word flag

}  // namespace jet::file::textkey
