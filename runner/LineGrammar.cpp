#include "runner/LineGrammar.h"

#include <charconv>
#include <limits>

#include "runner/RunnerError.h"
#include "text/Trim.h"

namespace runner {

LineKind classifyLine(std::string_view line) {
    const std::string_view t = text::trimSpaces(line);
    if (t == "RUN") return LineKind::Run;
    if (t == "<JET:COLUMNS>") return LineKind::OpenColumns;
    if (t == "<JET:USERS>") return LineKind::OpenUsers;
    if (t == "<JET:GROUPS>") return LineKind::OpenGroups;
    if (t == "</JET:COLUMNS>") return LineKind::CloseColumns;
    if (t == "</JET:USERS>") return LineKind::CloseUsers;
    if (t == "</JET:GROUPS>") return LineKind::CloseGroups;
    return LineKind::Other;
}

std::string GetField(std::string_view line, uint8_t index, bool toEnd) {
    // 0-based [start, end) of the field; ";" is one byte in UTF-8 and never part
    // of a longer sequence, so byte positions are safe here.
    size_t start = 0;
    size_t end = line.size();
    unsigned count = 1;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ';') continue;
        ++count;
        if (count == index) start = i + 1;
        if (count == static_cast<unsigned>(index) + 1) {
            end = i;
            break;
        }
    }
    if (toEnd) return std::string(line.substr(start));
    if (end < start) return {};
    return std::string(text::trimSpaces(line.substr(start, end - start)));
}

int32_t fieldToLong(std::string_view field, std::string_view what, size_t lineNumber) {
    const std::string_view t = text::trimSpaces(field);
    auto fail = [&](std::string_view why) -> RunnerError {
        return RunnerError("Line " + std::to_string(lineNumber) + " of the script file: the " +
                           std::string(what) + " '" + std::string(field) + "' " + std::string(why) +
                           ".");
    };
    std::string_view digits = t;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        throw fail("is not a whole number");
    // Parsed as a wider magnitude so that -2147483648 is accepted.
    uint64_t magnitude = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (ec != std::errc() || ptr != digits.data() + digits.size() || magnitude > limit)
        throw fail("does not fit a 32-bit whole number");
    const int64_t value =
        negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return static_cast<int32_t>(value);
}

}  // namespace runner
