// The tree keys on a tree laid out in grid rows, as the detail window lays
// its tree out: levels in column 2's item data, glyphs in column 1.
#include <gtest/gtest.h>

#include <string>

#include "ui/grid/TreeKeys.h"

namespace ui::grid {
void PrintTo(const TreeMove& m, std::ostream* os) {
    const char* kinds[] = {"none", "toggle", "select"};
    *os << kinds[static_cast<int>(m.kind)] << " " << m.row;
}
}  // namespace ui::grid

namespace {

using ui::grid::GridModel;
using ui::grid::TreeMove;
using ui::grid::TreeShape;
namespace key = ui::grid::key;
using Kind = TreeMove::Kind;

constexpr TreeShape kShape{2, 1, 0, 1};
constexpr int kNoGlyph = -1;

struct Node {
    int level;
    int glyph;
    bool shown;
};

// 1 Columns (expanded)
// 2   ID (collapsed)
// 3     Type (hidden)
// 4   Name (expanded)
// 5     Size
// 6 Keys (collapsed)
// 7   PrimaryKey (hidden)
// 8 Indexes (expanded; its only child hidden by something else)
// 9   ByName (hidden)
void fill(GridModel& g) {
    g.AddColumn("1", "Object");
    g.AddColumn("2", "Level", ui::grid::HeaderAlign::Left, -1, -1, false);
    const Node nodes[] = {{0, 1, true},  {1, 0, true},        {2, kNoGlyph, false},
                          {1, 1, true},  {2, kNoGlyph, true}, {0, 0, true},
                          {1, 0, false}, {0, 1, true},        {1, kNoGlyph, false}};
    for (const Node& n : nodes) {
        const int32_t r = g.AddRow(n.shown);
        g.CellDetails(r, 1, "row " + std::to_string(r), 0, -1, 18 * n.level, n.glyph);
        g.CellItemData(r, 2, n.level);
    }
}

struct KeyCase {
    const char* name;
    int32_t row;
    int keyCode;
    int shift;
    TreeMove want;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class TreeKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TreeKeys, AskWhatATreeUserExpects) {
    GridModel g;
    fill(g);
    const KeyCase& c = GetParam();
    EXPECT_EQ(ui::grid::treeKeyMove(g, kShape, c.row, c.keyCode, c.shift), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeKeys,
    ::testing::Values(
        KeyCase{"rightOpensACollapsedNode", 2, key::Right, 0, {Kind::Toggle, 2}},
        KeyCase{"addOpensACollapsedNode", 6, key::Add, 0, {Kind::Toggle, 6}},
        KeyCase{"addTypedWithShiftStillOpens", 6, key::Add, 1, {Kind::Toggle, 6}},
        KeyCase{"addOnAnOpenNodeDoesNothing", 1, key::Add, 0, {}},
        KeyCase{"rightOnAnOpenNodeGoesToItsFirstChild", 1, key::Right, 0, {Kind::Select, 2}},
        KeyCase{"rightOnAnOpenNodeWithNoShownChild", 8, key::Right, 0, {}},
        KeyCase{"rightOnALeafDoesNothing", 5, key::Right, 0, {}},
        KeyCase{"leftClosesAnOpenNode", 4, key::Left, 0, {Kind::Toggle, 4}},
        KeyCase{"subtractClosesAnOpenNode", 1, key::Subtract, 0, {Kind::Toggle, 1}},
        KeyCase{"subtractOnAClosedNodeDoesNothing", 2, key::Subtract, 0, {}},
        KeyCase{"leftOnALeafGoesToItsParent", 5, key::Left, 0, {Kind::Select, 4}},
        KeyCase{"leftOnAClosedNodeGoesToItsParent", 2, key::Left, 0, {Kind::Select, 1}},
        KeyCase{"leftAtTheTopDoesNothing", 6, key::Left, 0, {}},
        KeyCase{"aHiddenRowDoesNothing", 3, key::Left, 0, {}},
        KeyCase{"noRowDoesNothing", 0, key::Right, 0, {}},
        KeyCase{"shiftWithAnArrowIsNotATreeKey", 2, key::Right, 1, {}},
        KeyCase{"ctrlIsNotATreeKey", 6, key::Add, 2, {}},
        KeyCase{"altIsNotATreeKey", 4, key::Left, 4, {}},
        KeyCase{"anotherKeyDoesNothing", 2, key::Space, 0, {}}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
