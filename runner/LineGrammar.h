#pragma once
// How the runner reads one line of a script file: which kind of line it is, and
// the ";"-separated fields of a block line. Markers are compared exactly (case
// matters) after removing spaces (U+0020 only) at both ends.
#include <cstdint>
#include <string>
#include <string_view>

namespace runner {

enum class LineKind {
    Run,           // "RUN": executes the gathered statement text
    OpenColumns,   // "<JET:COLUMNS>"
    OpenUsers,     // "<JET:USERS>"
    OpenGroups,    // "<JET:GROUPS>"
    CloseColumns,  // "</JET:COLUMNS>"
    CloseUsers,    // "</JET:USERS>"
    CloseGroups,   // "</JET:GROUPS>"
    Other,         // a statement line, or a block line inside a block
};

[[nodiscard]] LineKind classifyLine(std::string_view line);

// Field `index` (counted from 1) of a block line: the text between the
// (index-1)-th and the index-th ";" with spaces removed at both ends. With
// `toEnd`, everything from the field's start to the end of the line, untrimmed,
// later ";" included. A line with fewer than index-1 separators gives the whole
// line (trimmed unless toEnd). Index 0 behaves as index 1 without its end.
[[nodiscard]] std::string GetField(std::string_view line, uint8_t index, bool toEnd = false);

// A block field as a signed 32-bit whole number: optional spaces, an optional
// sign, decimal digits, optional spaces. Throws RunnerError naming `what` and
// `lineNumber` (1-based) for anything else or a number out of range.
[[nodiscard]] int32_t fieldToLong(std::string_view field, std::string_view what, size_t lineNumber);

}  // namespace runner
