#include "text/Trim.h"

namespace text {

namespace {
std::string_view trimOf(std::string_view s, std::string_view set) {
    const auto first = s.find_first_not_of(set);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(set);
    return s.substr(first, last - first + 1);
}
}  // namespace

std::string_view trimSpaces(std::string_view s) { return trimOf(s, " "); }

std::string_view trimWhite(std::string_view s) { return trimOf(s, " \t\r\n"); }

}  // namespace text
