#pragma once
#include <string>
#include <string_view>

namespace text {

// Removes the space character (U+0020) at both ends; tabs and line breaks stay.
[[nodiscard]] std::string_view trimSpaces(std::string_view s);

// Removes blanks, tabs, CR and LF at both ends.
[[nodiscard]] std::string_view trimWhite(std::string_view s);

}  // namespace text
