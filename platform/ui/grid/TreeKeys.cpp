#include "ui/grid/TreeKeys.h"

namespace ui::grid {

namespace {

int32_t levelOf(const GridModel& grid, const TreeShape& shape, int32_t row) {
    return itemDataToInt(grid.CellItemData(row, shape.levelColumn));
}

// The first shown row among the node's direct children, or 0.
int32_t firstShownChild(const GridModel& grid, const TreeShape& shape, int32_t node) {
    const int32_t level = levelOf(grid, shape, node);
    for (int32_t r = node + 1; r <= grid.Rows(); ++r) {
        const int32_t l = levelOf(grid, shape, r);
        if (l <= level) break;
        if (l == level + 1 && grid.RowVisible(r)) return r;
    }
    return 0;
}

// The nearest row above with a smaller level, or 0 at the top of the tree.
int32_t parentOf(const GridModel& grid, const TreeShape& shape, int32_t row) {
    const int32_t level = levelOf(grid, shape, row);
    for (int32_t r = row - 1; r >= 1; --r)
        if (levelOf(grid, shape, r) < level) return r;
    return 0;
}

}  // namespace

TreeMove treeKeyMove(const GridModel& grid, const TreeShape& shape, int32_t row, int keyCode,
                     int shiftState) {
    using Kind = TreeMove::Kind;
    if (row < 1 || row > grid.Rows() || !grid.RowVisible(row)) return {};
    if (shiftState & (shift::Ctrl | shift::Alt)) return {};
    const bool arrow = keyCode == key::Left || keyCode == key::Right;
    // Shift with an arrow extends a selection elsewhere; "+" may need it.
    if (arrow && (shiftState & shift::Shift)) return {};
    const int32_t glyph = grid.CellExtraIcon(row, shape.glyphColumn);
    const bool collapsed = glyph == shape.collapsed;
    const bool expanded = glyph == shape.expanded;
    switch (keyCode) {
        case key::Add:
            if (collapsed) return {Kind::Toggle, row};
            return {};
        case key::Subtract:
            if (expanded) return {Kind::Toggle, row};
            return {};
        case key::Right:
            if (collapsed) return {Kind::Toggle, row};
            if (expanded)
                if (const int32_t child = firstShownChild(grid, shape, row))
                    return {Kind::Select, child};
            return {};
        case key::Left: {
            if (expanded) return {Kind::Toggle, row};
            const int32_t parent = parentOf(grid, shape, row);
            if (parent > 0 && grid.RowVisible(parent)) return {Kind::Select, parent};
            return {};
        }
        default:
            return {};
    }
}

}  // namespace ui::grid
