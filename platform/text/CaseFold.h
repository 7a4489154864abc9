#pragma once
// Case-insensitive matching of names and texts for any Unicode text (UTF-8 in,
// full Unicode case folding, so "STRASSE" matches "Straße"). Pure ASCII input
// takes a fast path that gives the same answer.
#include <string>
#include <string_view>

namespace text {

// The case-folded form of a UTF-8 text: two texts match without regard to
// letter case exactly when their folded forms are equal. Usable as a map key.
[[nodiscard]] std::string fold(std::string_view utf8);

[[nodiscard]] bool equalNoCase(std::string_view a, std::string_view b);

// Orders by folded form (byte order of the folded UTF-8): <0, 0, >0.
[[nodiscard]] int compareNoCase(std::string_view a, std::string_view b);

// True when `needle` occurs in `haystack` without regard to letter case.
[[nodiscard]] bool containsNoCase(std::string_view haystack, std::string_view needle);

}  // namespace text
