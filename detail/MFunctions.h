#pragma once
// Display names of the codes the comparison result keeps: column and parameter
// data types, key types, referential rules, index null handling and sort
// orders. A code without a name gives the empty text; none of them fails.
#include <cstdint>
#include <string_view>

namespace detail::MFunctions {

// An ADOX data type code ("Long Integer", "Text", …).
[[nodiscard]] std::string_view ColumnTypeName(int16_t type);
// 1 primary, 2 foreign, 3 unique.
[[nodiscard]] std::string_view KeyTypeName(int16_t type);
// An update or delete rule: 0 none, 1 cascade, 2 set null, 3 set default.
[[nodiscard]] std::string_view RuleName(int16_t rule);
// 0 allow, 1 disallow, 2 ignore, 4 ignore any.
[[nodiscard]] std::string_view IndexNullsName(int16_t nulls);
// 1 ascending, 2 descending.
[[nodiscard]] std::string_view SortOrderName(int16_t order);

}  // namespace detail::MFunctions
