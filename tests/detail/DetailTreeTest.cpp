// Expanding and collapsing the detail tree, on trees built row by row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DetailTestSupport.h"
#include "detail/DetailTree.h"

namespace {

using detail::DetailTree;
using detail::Presence;
namespace icon = detail::icon;
namespace col = detail::col;

// Group "G" (row 1) with item "I1" (2): properties P1, P2 (3, 4), node N (5)
// with members M1 (6, property 7) and M2 (8, property 9); item "I2" (10) with
// property P3 (11). Then group "H" (12) with item "J" (13).
class Toggle : public ::testing::Test {
protected:
    void SetUp() override {
        tree.SetUp();
        tree.AddGroup("G", icon::Columns);
        tree.AddItem("I1", icon::Keys, icon::Equal);
        tree.AddProperty(2, "P1", Presence::Both, "a", "a", true, true);
        tree.AddProperty(2, "P2", Presence::Both, "a", "b", false, true);
        tree.AddNode();
        tree.AddMember("M1", icon::Equal);
        tree.AddProperty(4, "S1", Presence::Both, "x", "x", true, false);
        tree.AddMember("M2", icon::Equal);
        tree.AddProperty(4, "S2", Presence::Both, "x", "x", true, false);
        tree.AddItem("I2", icon::Keys, icon::Different);
        tree.AddProperty(2, "P3", Presence::Both, "1", "2", false, true);
        tree.AddGroup("H", icon::Indexes);
        tree.AddItem("J", icon::Indexes, icon::OnlyInSource);
    }

    // The captions of the rows shown.
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (int32_t r = 1; r <= grid.Rows(); ++r)
            if (grid.RowVisible(r)) out.push_back(*grid.CellText(r, col::Object));
        return out;
    }
    int32_t flag(int32_t row) const {
        return ui::grid::itemDataToInt(grid.CellItemData(row, col::Visible));
    }

    ui::grid::GridModel grid;
    DetailTree tree{grid};
};

using Names = std::vector<std::string>;

TEST_F(Toggle, AFreshTreeShowsItsGroupsCollapsed) {
    EXPECT_EQ(shown(), (Names{"G", "H"}));
    for (int32_t r : {1, 2, 5, 6, 8, 10, 12, 13}) EXPECT_EQ(tree.Glyph(r), icon::Collapsed) << r;
    for (int32_t r : {3, 4, 7, 9, 11}) EXPECT_EQ(tree.Glyph(r), icon::None) << r;
}

TEST_F(Toggle, ExpandingAGroupShowsItsItemsOnly) {
    tree.ToggleRow(1);
    EXPECT_EQ(shown(), (Names{"G", "I1", "I2", "H"}));
    EXPECT_EQ(tree.Glyph(1), icon::Expanded);
    EXPECT_EQ(flag(2), -1);
    EXPECT_EQ(flag(10), -1);
    EXPECT_EQ(flag(3), 0);
}

TEST_F(Toggle, ExpandingAnItemShowsItsPropertiesAndNode) {
    tree.ToggleRow(1);
    tree.ToggleRow(2);
    EXPECT_EQ(shown(), (Names{"G", "I1", "P1", "P2", "Columns", "I2", "H"}));
}

TEST_F(Toggle, CollapsingHidesTheWholeSubtreeAndReExpandingBringsBackWhatWasOpen) {
    tree.ToggleRow(1);
    tree.ToggleRow(2);
    tree.ToggleRow(5);
    EXPECT_EQ(shown(), (Names{"G", "I1", "P1", "P2", "Columns", "M1", "M2", "I2", "H"}));
    tree.ToggleRow(1);
    EXPECT_EQ(shown(), (Names{"G", "H"}));
    EXPECT_EQ(flag(2), 0);
    tree.ToggleRow(1);
    EXPECT_EQ(shown(), (Names{"G", "I1", "P1", "P2", "Columns", "M1", "M2", "I2", "H"}));
}

// Members whose node is open but whose item was closed stay hidden when the
// group opens again: no row shows under a collapsed node.
TEST_F(Toggle, ExpandingNeverShowsRowsUnderACollapsedNode) {
    tree.ToggleRow(1);
    tree.ToggleRow(2);
    tree.ToggleRow(5);  // node open: members marked shown
    tree.ToggleRow(2);  // item closed: node hidden, members hidden
    tree.ToggleRow(1);  // group closed
    tree.ToggleRow(1);  // group open again
    EXPECT_EQ(shown(), (Names{"G", "I1", "I2", "H"}));
    EXPECT_EQ(tree.Glyph(2), icon::Collapsed);
    EXPECT_EQ(tree.Glyph(5), icon::Expanded);
    tree.ToggleRow(2);  // the item opens onto its node, still open
    EXPECT_EQ(shown(), (Names{"G", "I1", "P1", "P2", "Columns", "M1", "M2", "I2", "H"}));
}

TEST_F(Toggle, AMemberOpenedUnderANodeComesBackWithIt) {
    tree.ToggleRow(1);
    tree.ToggleRow(2);
    tree.ToggleRow(5);
    tree.ToggleRow(6);  // M1 open: S1 shown
    tree.ToggleRow(5);
    EXPECT_EQ(shown(), (Names{"G", "I1", "P1", "P2", "Columns", "I2", "H"}));
    tree.ToggleRow(5);
    EXPECT_EQ(shown(), (Names{"G", "I1", "P1", "P2", "Columns", "M1", "S1", "M2", "I2", "H"}));
}

TEST_F(Toggle, ANodeWithoutRowsBelowOnlyFlipsItsGlyph) {
    // J is the last row; M2's next row is deeper, I2 is followed by its
    // property, H's group by J: take rows with nothing below them.
    tree.ToggleRow(13);
    EXPECT_EQ(tree.Glyph(13), icon::Expanded);
    EXPECT_EQ(shown(), (Names{"G", "H"}));
    tree.ToggleRow(13);
    EXPECT_EQ(tree.Glyph(13), icon::Collapsed);
}

TEST_F(Toggle, TheWalkStopsAtTheFirstRowThatIsNotDeeper) {
    tree.ToggleRow(1);
    tree.ToggleRow(10);  // I2: its property, then group H ends the walk
    EXPECT_EQ(shown(), (Names{"G", "I1", "I2", "P3", "H"}));
    EXPECT_FALSE(grid.RowVisible(13));
}

TEST_F(Toggle, ARowWithoutAGlyphIsCollapsedAndGetsTheCollapsedGlyph) {
    tree.ToggleRow(3);
    EXPECT_EQ(tree.Glyph(3), icon::Collapsed);
}

TEST_F(Toggle, ExpandAllShowsEveryRowAndCollapseAllOnlyTheGroups) {
    tree.ExpandAll();
    EXPECT_EQ(static_cast<int32_t>(shown().size()), grid.Rows());
    for (int32_t r : {1, 2, 5, 6, 8, 10, 12, 13}) EXPECT_EQ(tree.Glyph(r), icon::Expanded) << r;
    EXPECT_TRUE(grid.Redraw());
    tree.ExpandAll();  // nothing left to expand
    EXPECT_EQ(static_cast<int32_t>(shown().size()), grid.Rows());

    tree.CollapseAll();
    EXPECT_EQ(shown(), (Names{"G", "H"}));
    for (int32_t r : {1, 2, 5, 6, 8, 10, 12, 13}) EXPECT_EQ(tree.Glyph(r), icon::Collapsed) << r;
    for (int32_t r : {2, 3, 4, 5, 6, 8, 10, 11, 13}) EXPECT_EQ(flag(r), 0) << r;
    tree.CollapseAll();
    EXPECT_EQ(shown(), (Names{"G", "H"}));
}

TEST_F(Toggle, AfterExpandAllAndCollapseAllOneGroupOpensOntoCollapsedItems) {
    tree.ExpandAll();
    tree.CollapseAll();
    tree.ToggleRow(1);
    EXPECT_EQ(shown(), (Names{"G", "I1", "I2", "H"}));
    EXPECT_EQ(tree.Glyph(2), icon::Collapsed);
    EXPECT_EQ(tree.Glyph(10), icon::Collapsed);
}

TEST(ToggleEmpty, ExpandAllAndCollapseAllOnAnEmptyTreeChangeNothing) {
    ui::grid::GridModel grid;
    DetailTree tree(grid);
    tree.SetUp();
    tree.ExpandAll();
    tree.CollapseAll();
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_TRUE(grid.Redraw());
}

// --- rows as added

TEST(DetailRows, CellsOfEachKind) {
    ui::grid::GridModel grid;
    DetailTree tree(grid);
    tree.SetUp();
    const int32_t item = tree.AddItem("Name", icon::Columns, icon::Different);
    const int32_t property = tree.AddProperty(2, "Label", Presence::Both, "", "", true, false);
    const int32_t member = tree.AddMember("A", icon::OnlyInSource);

    const ui::grid::Cell& caption = grid.cell(item, col::Object);
    EXPECT_EQ(caption.text, "Name");
    EXPECT_EQ(caption.indent, 18);
    EXPECT_EQ(caption.icon, icon::Columns);
    EXPECT_EQ(caption.extraIcon, icon::Collapsed);
    EXPECT_EQ(grid.CellText(item, col::Action), std::nullopt);
    EXPECT_EQ(grid.CellAlign(item, col::Action), 0x40020u);
    EXPECT_EQ(grid.CellIcon(item, col::Action), icon::Different);
    EXPECT_EQ(grid.cell(member, col::Object).indent, 54);

    // Empty values stay empty texts, never "-"; a property row has no glyph.
    EXPECT_EQ(grid.CellText(property, col::Source), "");
    EXPECT_EQ(grid.CellText(property, col::Destination), "");
    EXPECT_EQ(grid.CellAlign(property, col::Source), 1u);
    EXPECT_EQ(grid.cell(property, col::Object).indent, 36);
    EXPECT_EQ(grid.cell(property, col::Object).icon, icon::None);
    EXPECT_EQ(tree.Glyph(property), icon::None);
    EXPECT_EQ(tree.Level(property), 2);
}

struct CentringCase {
    int32_t width;
    int32_t indent;
};

class Centring : public ::testing::TestWithParam<CentringCase> {};

// Halves go to the even neighbour: 16.5 gives 16, 17.5 gives 18.
TEST_P(Centring, IconIndentIsHalfTheSpareWidthOfTheActionColumn) {
    ui::grid::GridModel grid;
    DetailTree tree(grid);
    tree.SetUp();
    grid.ColumnWidth(col::Action, GetParam().width);
    EXPECT_EQ(tree.CentringIndent(), GetParam().indent);
    const int32_t row = tree.AddMember("A", icon::Equal);
    EXPECT_EQ(grid.CellIndent(row, col::Action), GetParam().indent);
}

INSTANTIATE_TEST_SUITE_P(Widths, Centring,
                         ::testing::Values(CentringCase{50, 16}, CentringCase{51, 16},
                                           CentringCase{52, 17}, CentringCase{53, 18},
                                           CentringCase{18, 0}));

}  // namespace
