#pragma once
// Jet 4 text: UCS-2 little-endian, or the compressed form that starts with the
// bytes FF FE and holds one byte per character whose high byte is zero; a zero
// byte switches between that and two bytes per character. Text here is UTF-8.
// A lone surrogate (which UCS-2 allows) becomes its three-byte UTF-8-style
// form, so that decoding and encoding again gives the stored characters back.
#include <cstddef>
#include <string>
#include <string_view>

#include "jet/file/Bytes.h"

namespace jet::file {

// The text of stored bytes, compressed or not. Throws FormatError when the
// bytes end inside a character.
[[nodiscard]] std::string decodeText(ByteSpan bytes);

// The text of UCS-2 little-endian bytes, never taken as compressed (names).
// Throws FormatError on an odd length.
[[nodiscard]] std::string decodeUcs2(ByteSpan bytes);

// UCS-2 little-endian of UTF-8 `text`, never compressed (names, properties).
// Throws FormatError when `text` is not UTF-8.
[[nodiscard]] Bytes encodeUcs2(std::string_view text);

// Stored bytes of `text` for a column: compressed when `compress` (the
// column's Unicode compression) is set, the text can be compressed (no
// character whose low byte is zero) and the result is shorter, as Access
// stores it; else UCS-2. Throws FormatError when `text` is not UTF-8.
[[nodiscard]] Bytes encodeText(std::string_view text, bool compress);

// The number of UCS-2 units of UTF-8 `text` (what Jet's text lengths count).
[[nodiscard]] size_t textUnits(std::string_view text);

}  // namespace jet::file
