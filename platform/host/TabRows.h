#pragma once
// The rows of tabs a tab strip draws, shared by the strip that draws them and
// the layout control that keeps its controls below them.
#include <cstdint>
#include <optional>

namespace host {

// Every row that holds a tab counts, a part-full last one too (4 tabs at 3 a
// row: 2 rows); a strip without tabs has none. Nothing when fewer than one
// tab fits a row.
[[nodiscard]] std::optional<std::int64_t> tabRows(std::int64_t tabs, std::int64_t tabsPerRow);

}  // namespace host
