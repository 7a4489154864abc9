#include "host/TabRows.h"

namespace host {

std::optional<std::int64_t> tabRows(std::int64_t tabs, std::int64_t tabsPerRow) {
    if (tabsPerRow < 1) return std::nullopt;
    if (tabs <= 0) return 0;
    return (tabs - 1) / tabsPerRow + 1;
}

}  // namespace host
