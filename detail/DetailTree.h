#pragma once
// The detail window's tree in its grid, without Qt: six columns (object or
// property, source value, action icon, destination value, and the hidden
// level and visible columns), rows of five kinds appended in tree order, and
// the expanding and collapsing of nodes.
//
// The tree lies in the rows: column 5 keeps each row's level (0 group, 1
// item, 2 property or node, 3 member, 4 a member's property) as item data,
// column 6 is -1 while the row's parent is expanded and 0 otherwise, and a
// node's expand glyph (column 1's extra icon) is 0 collapsed or 1 expanded.
// A node's descendants follow it directly; the first later row that is not
// deeper ends them.
//
// Icons are positions in the image list "DGridImg" (see ui/images/ImageList.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/grid/GridModel.h"

namespace detail {

// Positions in "DGridImg".
namespace icon {
inline constexpr int32_t None = -1;
inline constexpr int32_t Collapsed = 0;
inline constexpr int32_t Expanded = 1;
inline constexpr int32_t Equal = 2;
inline constexpr int32_t Different = 3;
inline constexpr int32_t OnlyInDestination = 4;
inline constexpr int32_t OnlyInSource = 5;
inline constexpr int32_t Columns = 9;  // columns and parameters
inline constexpr int32_t Keys = 10;
inline constexpr int32_t Indexes = 11;
// The icon of a difference code (its code + 2).
[[nodiscard]] constexpr int32_t ofAction(int32_t action) { return action + 2; }
}  // namespace icon

// The grid's columns, from 1.
namespace col {
inline constexpr int32_t Object = 1;
inline constexpr int32_t Source = 2;
inline constexpr int32_t Action = 3;
inline constexpr int32_t Destination = 4;
inline constexpr int32_t Level = 5;
inline constexpr int32_t Visible = 6;
}  // namespace col

// Where an element of a two-sided comparison stands.
enum class Presence { Both, SourceOnly, DestinationOnly };

// The presence a difference code tells: 2 destination only, 3 source only,
// anything else both.
[[nodiscard]] Presence presenceOf(int32_t action);

// One side's value of a property row, as the grid shows it.
[[nodiscard]] std::string cellValue(int32_t number);
[[nodiscard]] std::string cellValue(bool flag);  // "True" or "False"
[[nodiscard]] inline std::string cellValue(std::string_view text) { return std::string(text); }

class DetailTree {
public:
    static constexpr int32_t kIndentPerLevel = 18;
    // The expand glyph's width: a press left of a node's indent plus this
    // toggles it.
    static constexpr int32_t kGlyphWidth = 16;

    // The grid must outlive the tree.
    explicit DetailTree(ui::grid::GridModel& grid) : grid_(grid) {}

    // The six columns and the grid's look, on an empty grid.
    void SetUp();

    [[nodiscard]] ui::grid::GridModel& grid() { return grid_; }
    [[nodiscard]] const ui::grid::GridModel& grid() const { return grid_; }

    // --- adding rows (appended; only group rows are shown when added)
    // A group row (level 0): "Columns", "Keys", "Indexes", "Parameters".
    int32_t AddGroup(std::string_view caption, int32_t kindIcon);
    // An item row (level 1): one parameter, column, key or index.
    int32_t AddItem(std::string_view caption, int32_t kindIcon, int32_t actionIcon);
    // The "Columns" node row (level 2) of a key or an index.
    int32_t AddNode();
    // A member row (level 3): one column of a key or an index.
    int32_t AddMember(std::string_view caption, int32_t actionIcon);
    // A property row at `level` (2 under an item, 4 under a member) of an
    // element standing as `presence` says: "-" on a side where the element is
    // missing and its own one-sided icon, otherwise both values and the equal
    // or different icon as `equal` says. `markVisible` writes the hidden
    // visible cell too (as the rows of columns, keys and indexes do).
    int32_t AddProperty(int32_t level, std::string_view label, Presence presence,
                        std::string source, std::string destination, bool equal, bool markVisible);

    // The indent that centres an icon in the action column at its present width.
    [[nodiscard]] int32_t CentringIndent() const;

    // --- expanding and collapsing
    [[nodiscard]] int32_t Level(int32_t row) const;
    [[nodiscard]] int32_t Glyph(int32_t row) const;
    // Expands a collapsed node (glyph 0) or collapses any other row. Expanding
    // shows the rows below it whose every node between is expanded, so what
    // was open below comes back; collapsing hides the whole subtree. The
    // nodes below keep their own glyphs. Redraw is the caller's.
    void ToggleRow(int32_t row);
    // Every collapsed node expanded, or every expanded node collapsed, with
    // one repaint.
    void ExpandAll();
    void CollapseAll();

private:
    int32_t append(bool shown);
    void setCaption(int32_t row, int32_t level, std::string_view caption, int32_t kindIcon,
                    std::optional<int32_t> glyph);
    void setActionIcon(int32_t row, int32_t actionIcon);
    void setHidden(int32_t row, int32_t level, bool markVisible);
    void toggleAll(int32_t glyph);

    ui::grid::GridModel& grid_;
};

}  // namespace detail
