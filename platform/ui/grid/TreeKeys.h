#pragma once
// The keys of the tree grids and what the tree keys do on a tree laid out in
// grid rows: a row's level in a hidden column's item data (0 at the top, one
// more for each level below), descendants straight after their node, and an
// expand glyph (collapsed or expanded) on the rows that have children.
#include <cstdint>

#include "ui/grid/GridModel.h"

namespace ui::grid {

// Key codes a grid's KeyDown gives: the programs' own (Windows virtual keys).
// "+" and "-" on either keyboard give Add and Subtract; the Menu key gives Apps.
namespace key {
inline constexpr int Return = 13;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Right = 39;
inline constexpr int Apps = 93;
inline constexpr int Add = 107;
inline constexpr int Subtract = 109;
inline constexpr int F10 = 121;
}  // namespace key

// The shift state a grid's events give: 1 Shift, 2 Ctrl, 4 Alt.
namespace shift {
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
}  // namespace shift

// Where a tree's rows keep their level and their glyph.
struct TreeShape {
    int32_t levelColumn = 0;
    int32_t glyphColumn = 1;
    int32_t collapsed = 0;
    int32_t expanded = 1;
};

// What a tree key asks of the tree's owner.
struct TreeMove {
    enum class Kind { None, Toggle, Select };
    Kind kind = Kind::None;
    int32_t row = 0;  // the node to open or close, or the row to make current

    friend bool operator==(const TreeMove&, const TreeMove&) = default;
};

// What Right, Left, Add or Subtract does at `row`, as in any tree: Right and
// Add open a collapsed node, Left and Subtract close an expanded one; Right on
// an expanded node goes to its first shown child, Left on any other row to
// its parent. Anything else (another key, Ctrl or Alt held, a row that is not
// shown, nowhere to go) asks for nothing, and the grid may use the key itself.
[[nodiscard]] TreeMove treeKeyMove(const GridModel& grid, const TreeShape& shape, int32_t row,
                                   int keyCode, int shiftState);

}  // namespace ui::grid
