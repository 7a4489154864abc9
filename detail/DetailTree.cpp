#include "detail/DetailTree.h"

#include <cmath>
#include <utility>
#include <vector>

namespace detail {

namespace grid = ui::grid;

namespace {

// Alignment of the action and hidden cells: one line, cut with an ellipsis.
constexpr uint32_t kIconCell = grid::align::WordEllipsis | grid::align::SingleLine;

}  // namespace

Presence presenceOf(int32_t action) {
    switch (action) {
        case 2:
            return Presence::DestinationOnly;
        case 3:
            return Presence::SourceOnly;
        default:
            return Presence::Both;
    }
}

std::string cellValue(int32_t number) { return std::to_string(number); }

std::string cellValue(bool flag) { return flag ? "True" : "False"; }

void DetailTree::SetUp() {
    using grid::HeaderAlign;
    grid_.AddColumn("1", "Object / Property", HeaderAlign::Centre, -1, 250);
    grid_.AddColumn("2", "Source Value", HeaderAlign::Centre, -1, 125);
    grid_.AddColumn("3", "Action", HeaderAlign::Centre, -1, 50);
    grid_.AddColumn("4", "Destination Value", HeaderAlign::Centre, -1, 125);
    grid_.AddColumn("5", "Level", HeaderAlign::Left, -1, -1, false);
    grid_.AddColumn("6", "Visible", HeaderAlign::Left, -1, -1, false);
    grid_.HeaderHeight(18);
    grid_.DefaultRowHeight(18);
}

// --- adding rows

int32_t DetailTree::append(bool shown) { return grid_.AddRow(shown); }

void DetailTree::setCaption(int32_t row, int32_t level, std::string_view caption, int32_t kindIcon,
                            std::optional<int32_t> glyph) {
    grid_.CellDetails(row, col::Object, std::string(caption), grid::align::Left, kindIcon,
                      kIndentPerLevel * level, glyph.value_or(icon::None));
}

void DetailTree::setActionIcon(int32_t row, int32_t actionIcon) {
    grid_.CellDetails(row, col::Action, std::nullopt, kIconCell, actionIcon, CentringIndent());
}

void DetailTree::setHidden(int32_t row, int32_t level, bool markVisible) {
    grid_.CellDetails(row, col::Level, std::nullopt, kIconCell, icon::None, 0, icon::None, level);
    if (markVisible)
        grid_.CellDetails(row, col::Visible, std::nullopt, kIconCell, icon::None, 0, icon::None, 0);
}

int32_t DetailTree::AddGroup(std::string_view caption, int32_t kindIcon) {
    const int32_t row = append(true);
    setCaption(row, 0, caption, kindIcon, icon::Collapsed);
    setHidden(row, 0, true);
    return row;
}

int32_t DetailTree::AddItem(std::string_view caption, int32_t kindIcon, int32_t actionIcon) {
    const int32_t row = append(false);
    setCaption(row, 1, caption, kindIcon, icon::Collapsed);
    setActionIcon(row, actionIcon);
    setHidden(row, 1, true);
    return row;
}

int32_t DetailTree::AddNode() {
    const int32_t row = append(false);
    setCaption(row, 2, "Columns", icon::Columns, icon::Collapsed);
    setHidden(row, 2, true);
    return row;
}

int32_t DetailTree::AddMember(std::string_view caption, int32_t actionIcon) {
    const int32_t row = append(false);
    setCaption(row, 3, caption, icon::Columns, icon::Collapsed);
    setActionIcon(row, actionIcon);
    setHidden(row, 3, true);
    return row;
}

int32_t DetailTree::AddProperty(int32_t level, std::string_view label, Presence presence,
                                std::string source, std::string destination, bool equal,
                                bool markVisible) {
    const int32_t row = append(false);
    setCaption(row, level, label, icon::None, std::nullopt);
    int32_t actionIcon = equal ? icon::Equal : icon::Different;
    if (presence == Presence::DestinationOnly) {
        source = "-";
        actionIcon = icon::OnlyInDestination;
    } else if (presence == Presence::SourceOnly) {
        destination = "-";
        actionIcon = icon::OnlyInSource;
    }
    grid_.CellDetails(row, col::Source, std::move(source), grid::align::Centre);
    grid_.CellDetails(row, col::Destination, std::move(destination), grid::align::Centre);
    setActionIcon(row, actionIcon);
    setHidden(row, level, markVisible);
    return row;
}

int32_t DetailTree::CentringIndent() const {
    // Halves go to the even neighbour.
    return static_cast<int32_t>(
        std::lrint(static_cast<double>(grid_.ColumnWidth(col::Action) - 18) / 2.0));
}

// --- expanding and collapsing

int32_t DetailTree::Level(int32_t row) const {
    return grid::itemDataToInt(grid_.CellItemData(row, col::Level));
}

int32_t DetailTree::Glyph(int32_t row) const { return grid_.CellExtraIcon(row, col::Object); }

void DetailTree::ToggleRow(int32_t row) {
    const int32_t level = Level(row);
    const int32_t last = grid_.Rows();
    const bool expanding = Glyph(row) == icon::Collapsed;

    // The nodes on the way down from the toggled row to the row in hand, each
    // with whether it shows its children: a row shows only when its parent is
    // shown and expanded.
    struct Open {
        int32_t level;
        bool open;
    };
    std::vector<Open> path;
    for (int32_t r = row + 1; r <= last; ++r) {
        const int32_t l = Level(r);
        if (l <= level) break;
        const bool child = l == level + 1;
        if (!expanding) {
            grid_.RowVisible(r, false);
            if (child) grid_.CellItemData(r, col::Visible, 0);
            continue;
        }
        while (!path.empty() && path.back().level >= l) path.pop_back();
        const bool show =
            child || (!path.empty() && path.back().level == l - 1 && path.back().open);
        if (child) grid_.CellItemData(r, col::Visible, -1);
        grid_.RowVisible(r, show);
        path.push_back({l, show && Glyph(r) == icon::Expanded});
    }
    grid_.CellExtraIcon(row, col::Object, expanding ? icon::Expanded : icon::Collapsed);
}

void DetailTree::toggleAll(int32_t glyph) {
    grid_.Redraw(false);
    const int32_t rows = grid_.Rows();
    for (int32_t r = 1; r <= rows; ++r)
        if (Glyph(r) == glyph) ToggleRow(r);
    grid_.Redraw(true);
}

void DetailTree::ExpandAll() { toggleAll(icon::Collapsed); }

void DetailTree::CollapseAll() { toggleAll(icon::Expanded); }

}  // namespace detail
