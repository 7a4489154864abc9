#pragma once
// The codes a text key gives each character from U+0000 to U+00FF in Jet 4's
// "General" sort order (0x0409, version 0). Characters past U+00FF have no
// code here. Upper and lower case letters share their codes.
#include <cstdint>

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

// The code of `c`, or null past U+00FF.
[[nodiscard]] const CharCode* generalCode(char16_t c);

// Bytes of the text key's framing.
inline constexpr uint8_t kEndOfText = 0x01;
inline constexpr uint8_t kEndOfKey = 0x00;
inline constexpr uint8_t kNoAccent = 0x02;            // accent section: a position without accent
inline constexpr uint8_t kUnprintableMark = 0x06;     // unprintable section: before each code
inline constexpr uint16_t kUnprintableFlag = 0x8000;  // unprintable section: position word flag

}  // namespace jet::file::textkey
