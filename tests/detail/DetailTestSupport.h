#pragma once
// Helpers for the detail view's tests: wizard options the test sets, and the
// detail tree written out one line per row.
#include <string>
#include <vector>

#include "../script/ResultBuilder.h"
#include "detail/DetailTree.h"
#include "detail/WizardOptions.h"
#include "ui/grid/GridModel.h"

namespace detailtest {

// Check box values the test sets, counting how often each is read.
class Options : public detail::WizardOptions {
public:
    int match = 0;
    int seed = 1;
    mutable int matchReads = 0;
    mutable int seedReads = 0;

    int CMatch() const override {
        ++matchReads;
        return match;
    }
    int CISeed() const override {
        ++seedReads;
        return seed;
    }
};

// One row as "<level> <caption> | <source> | <icon> | <destination>", the
// value cells only where the row has them: "0 Columns", "1 ID | 2",
// "2 Column Type | Long Integer | 2 | Long Integer".
inline std::string rowLine(const ui::grid::GridModel& g, int32_t row) {
    using namespace detail;
    std::string line = std::to_string(ui::grid::itemDataToInt(g.CellItemData(row, col::Level)));
    line += " " + g.CellText(row, col::Object).value_or("?");
    const auto& source = g.CellText(row, col::Source);
    const int32_t icon = g.CellIcon(row, col::Action);
    if (source) line += " | " + *source;
    if (icon != icon::None) line += " | " + std::to_string(icon);
    if (source) line += " | " + g.CellText(row, col::Destination).value_or("?");
    return line;
}

inline std::vector<std::string> rows(const ui::grid::GridModel& g, bool shownOnly = false) {
    std::vector<std::string> out;
    for (int32_t r = 1; r <= g.Rows(); ++r)
        if (!shownOnly || g.RowVisible(r)) out.push_back(rowLine(g, r));
    return out;
}

// The rows whose level is at most `level`.
inline std::vector<std::string> rowsUpTo(const ui::grid::GridModel& g, int32_t level) {
    std::vector<std::string> out;
    for (int32_t r = 1; r <= g.Rows(); ++r)
        if (ui::grid::itemDataToInt(g.CellItemData(r, detail::col::Level)) <= level)
            out.push_back(rowLine(g, r));
    return out;
}

}  // namespace detailtest
