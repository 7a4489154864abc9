// The results page's logic over the grid's model, without a window: the rows
// a result gives, the filters, expanding and collapsing, the mouse, the script
// selection, the script and detail requests, printing, and the refusals and
// failures of its handlers.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ReportTestSupport.h"
#include "ResultBuilder.h"
#include "engine/CCAccess.h"
#include "script/ScriptFile.h"
#include "ui/grid/TreeKeys.h"
#include "wizard/OptionRules.h"
#include "wizard/ResultsTree.h"

namespace {

using namespace rb;
using ui::grid::CellHit;
using ui::grid::GridModel;
using wizard::MenuState;
using wizard::ResultsTree;
using wizard::ScriptWindowText;
namespace col = wizard::col;
namespace img = wizard::img;

using Names = std::vector<std::string>;

// The toolbar's checked states, the grid's hit test (scrolled sideways by
// `scrolledX`) and the menus popped up.
class FakeControls : public wizard::ResultsControls {
public:
    explicit FakeControls(const GridModel& grid) : grid_(&grid) {
        for (size_t i = 0; i < wizard::kResultsButtons.size(); ++i)
            checked[i + 1] = wizard::kResultsButtons[i].CheckedAtStart;
    }
    [[nodiscard]] bool ButtonChecked(int32_t button) const override {
        return checked.at(static_cast<size_t>(button));
    }
    void ButtonChecked(int32_t button, bool value) override {
        checked.at(static_cast<size_t>(button)) = value;
    }
    [[nodiscard]] CellHit CellFromPoint(int32_t x, int32_t y) const override {
        return grid_->CellFromPoint(x, y, {scrolledX, 0});
    }
    [[nodiscard]] int32_t ScrolledX() const override { return scrolledX; }
    [[nodiscard]] std::optional<ui::grid::CellArea> CellBounds(int32_t row,
                                                               int32_t column) const override {
        return grid_->CellBounds(row, column, {scrolledX, 0});
    }
    void PopupMenu(const MenuState& entries, float x, float y) override {
        popups.push_back({entries, x, y});
    }

    struct Popup {
        MenuState entries;
        float x, y;
    };
    std::array<bool, 22> checked{};
    std::vector<Popup> popups;
    int32_t scrolledX = 0;

private:
    const GridModel* grid_;
};

class RecordingView : public wizard::ResultsView {
public:
    [[nodiscard]] std::string SourceDBPath() const override { return "/data/Development.sdb"; }
    [[nodiscard]] std::string DestinationDBPath() const override { return " /data/Production.sdb"; }
    void ShowScript(const ScriptWindowText& script) override {
        if (failScript) throw std::runtime_error("The script window cannot be shown.");
        scripts.push_back(script);
    }
    void ShowDetails(const TComparisonResult& result, int32_t kind, int32_t index) override {
        details.push_back({result, kind, index});
    }
    void ShowReport(const report::Document& document) override { reports.push_back(&document); }
    void MsgBox(const std::string& text, wizard::BoxIcon icon, const std::string& title) override {
        boxes.push_back(std::to_string(static_cast<int>(icon)) + " " + title + ": " + text);
    }

    struct Details {
        TComparisonResult result;
        int32_t kind, index;
    };
    std::vector<ScriptWindowText> scripts;
    std::vector<Details> details;
    std::vector<const report::Document*> reports;
    Names boxes;
    bool failScript = false;
};

const std::string kBusyBox =
    "64 Orvel! Parabase: A comparison is running. Please wait until it has finished, then try "
    "again.";
const std::string kStaleBox =
    "16 Orvel! Parabase: The results shown no longer match the comparison. Open the Results page "
    "again to refresh them, then try again.";

TTable plainTable(std::string name, int32_t action) {
    return table(std::move(name), action, false, {both("ID", integer(), integer(), acEqual)});
}

// Every kind, every difference code.
TComparisonResult everything() {
    TComparisonResult r;
    r.Tables = arr({plainTable("tEq", acEqual), plainTable("tDiff", acDifferent),
                    plainTable("tDst", acOnlyInDestination), plainTable("tSrc", acOnlyInSource)});
    r.Procedures = arr({procedure("pEq", acEqual, false, "SELECT 1", "SELECT 1")});
    r.Views = arr({rb::view("vDiff", acDifferent, false, "SELECT 1", "SELECT 2")});
    r.Users = arr({principal("uSrc", acOnlyInSource, false, principalSide({}, {}), {})});
    r.Groups = arr({principal("gDst", acOnlyInDestination, false, {}, principalSide({}, {}))});
    return r;
}

class ResultsTreeTest : public ::testing::Test {
public:
    ResultsTreeTest() { ResultsTree::SetUpGrid(grid); }

    void show(const TComparisonResult& result) {
        engine->Differences(result);
        tree.ShowResults();
    }
    [[nodiscard]] int32_t rowOf(const std::string& name) const {
        for (int32_t r = 1; r <= grid.Rows(); ++r)
            if (grid.CellText(r, col::Object) == name) return r;
        ADD_FAILURE() << "no row " << name;
        return 0;
    }
    [[nodiscard]] int32_t item(int32_t row, int32_t column) const {
        return ui::grid::itemDataToInt(grid.CellItemData(row, column));
    }
    [[nodiscard]] Names shownRows() const {
        Names names;
        for (int32_t r = 1; r <= grid.Rows(); ++r)
            if (grid.RowVisible(r)) names.push_back(grid.CellText(r, col::Object).value_or("?"));
        return names;
    }
    [[nodiscard]] int32_t script(const std::string& name) const {
        return grid.CellIcon(rowOf(name), col::Script);
    }
    void expand(const std::string& category) { tree.ToggleExpand(rowOf(category)); }
    // A click of a toolbar button by its key.
    void click(const std::string& key) {
        for (size_t i = 0; i < wizard::kResultsButtons.size(); ++i)
            if (wizard::kResultsButtons[i].Key == key) {
                tree.TBar_ButtonClick(static_cast<int>(i + 1), key);
                return;
            }
        FAIL() << "no button " << key;
    }
    void select(const std::string& name) { grid.SelectedRow(rowOf(name)); }

    GridModel grid;
    FakeControls controls{grid};
    RecordingView view;
    std::shared_ptr<engine::CCAccess> engine = engine::CCAccess::create();
    wizard::OptionRules options;
    bool comparing = false;
    ResultsTree tree{
        grid, controls, view, [this] { return engine; }, options, [this] { return comparing; }};
};

// ------------------------------------------------------------- the grid's set-up

TEST_F(ResultsTreeTest, TheGridHasTenColumnsOfWhichFiveAreShown) {
    struct Column {
        std::string key, header;
        ui::grid::HeaderAlign align;
        int32_t width;
        bool visible;
    };
    using A = ui::grid::HeaderAlign;
    const std::vector<Column> expected{
        {"1", "Object", A::Centre, 230, true}, {"2", "Source Db", A::Centre, 100, true},
        {"3", "Action", A::Centre, 50, true},  {"4", "Destination Db", A::Centre, 100, true},
        {"5", "Script", A::Centre, 50, true},  {"6", "Level", A::Left, 64, false},
        {"7", "Visible", A::Left, 64, false},  {"8", "Type", A::Left, 64, false},
        {"9", "Index", A::Left, 64, false},    {"10", "MainRowIndex", A::Left, 64, false}};
    ASSERT_EQ(grid.Columns(), 10);
    for (int32_t c = 1; c <= 10; ++c) {
        const Column& e = expected[static_cast<size_t>(c - 1)];
        SCOPED_TRACE(e.header);
        EXPECT_EQ(grid.ColumnKey(c), e.key);
        EXPECT_EQ(grid.ColumnHeader(c), e.header);
        EXPECT_EQ(grid.ColumnHeaderAlign(c), e.align);
        EXPECT_EQ(grid.ColumnHeaderIcon(c), -1);
        EXPECT_EQ(grid.ColumnWidth(c), e.width);
        EXPECT_EQ(grid.ColumnVisible(c), e.visible);
    }
    EXPECT_EQ(grid.HeaderHeight(), 18);
    EXPECT_EQ(grid.DefaultRowHeight(), 18);
    EXPECT_TRUE(grid.Redraw());
}

// ------------------------------------------------------------- filling

// One row as text: column 1 (text icon/indent/extra), the icons of columns 2
// to 5 with their indents, the hidden item data, and whether it is shown.
std::string describeRow(const GridModel& g, int32_t r) {
    const auto icon = [&](int32_t c) {
        const int32_t i = g.CellIcon(r, c);
        return i < 0 ? std::string("-")
                     : std::to_string(i) + "@" + std::to_string(g.CellIndent(r, c));
    };
    const auto data = [&](int32_t c) {
        return std::to_string(ui::grid::itemDataToInt(g.CellItemData(r, c)));
    };
    const int32_t extra = g.CellExtraIcon(r, 1);
    return g.CellText(r, 1).value_or("?") + " " + std::to_string(g.CellIcon(r, 1)) + "/" +
           std::to_string(g.CellIndent(r, 1)) + "/" + (extra < 0 ? "-" : std::to_string(extra)) +
           " | " + icon(2) + " " + icon(3) + " " + icon(4) + " " + icon(5) + " | L" + data(6) +
           " V" + data(7) + " T" + data(8) + " I" + data(9) + " M" + data(10) +
           (g.RowVisible(r) ? " shown" : " hidden");
}

struct FillCase {
    const char* name;
    std::function<TComparisonResult()> record;
    Names rows;
};
void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class FillTest : public ResultsTreeTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillTest, OneCategoryRowPerKindThenItsObjects) {
    show(GetParam().record());
    Names rows;
    for (int32_t r = 1; r <= grid.Rows(); ++r) rows.push_back(describeRow(grid, r));
    EXPECT_EQ(rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Results, FillTest,
    ::testing::Values(FillCase{"every_kind_and_code",
                               everything,
                               {"Tables 9/0/0 | - - - 7@16 | L0 V-1 T0 I0 M0 shown",
                                "tEq 9/18/- | 7@41 2@16 7@41 7@16 | L1 V0 T0 I1 M1 hidden",
                                "tDiff 9/18/- | 7@41 3@16 7@41 7@16 | L1 V0 T0 I2 M1 hidden",
                                "tDst 9/18/- | 6@41 4@16 7@41 7@16 | L1 V0 T0 I3 M1 hidden",
                                "tSrc 9/18/- | 7@41 5@16 6@41 7@16 | L1 V0 T0 I4 M1 hidden",
                                "Procedures 10/0/0 | - - - 7@16 | L0 V-1 T4 I0 M0 shown",
                                "pEq 10/18/- | 7@41 2@16 7@41 7@16 | L1 V0 T4 I1 M6 hidden",
                                "Views 11/0/0 | - - - 7@16 | L0 V-1 T5 I0 M0 shown",
                                "vDiff 11/18/- | 7@41 3@16 7@41 7@16 | L1 V0 T5 I1 M8 hidden",
                                "Users 12/0/0 | - - - 7@16 | L0 V-1 T6 I0 M0 shown",
                                "uSrc 12/18/- | 7@41 5@16 6@41 7@16 | L1 V0 T6 I1 M10 hidden",
                                "Groups 13/0/0 | - - - 7@16 | L0 V-1 T7 I0 M0 shown",
                                "gDst 13/18/- | 6@41 4@16 7@41 7@16 | L1 V0 T7 I1 M12 hidden"}},
                      // Procedures before views, though the record keeps views first; no
                      // tables: the first category is row 1 all the same.
                      FillCase{"procedures_before_views",
                               [] {
                                   TComparisonResult r;
                                   r.Views = arr({rb::view("v1", acEqual, false, "", ""),
                                                  rb::view("v2", acOnlyInSource, false, "x", "")});
                                   r.Procedures =
                                       arr({procedure("p1", acDifferent, false, "a", "b")});
                                   return r;
                               },
                               {"Procedures 10/0/0 | - - - 7@16 | L0 V-1 T4 I0 M0 shown",
                                "p1 10/18/- | 7@41 3@16 7@41 7@16 | L1 V0 T4 I1 M1 hidden",
                                "Views 11/0/0 | - - - 7@16 | L0 V-1 T5 I0 M0 shown",
                                "v1 11/18/- | 7@41 2@16 7@41 7@16 | L1 V0 T5 I1 M3 hidden",
                                "v2 11/18/- | 7@41 5@16 6@41 7@16 | L1 V0 T5 I2 M3 hidden"}},
                      // A kind without elements has no category row: Views follow tables.
                      FillCase{"no_procedures",
                               [] {
                                   TComparisonResult r;
                                   r.Tables = arr({plainTable("a", acEqual)});
                                   r.Views = arr({rb::view("v", acEqual, false, "", "")});
                                   return r;
                               },
                               {"Tables 9/0/0 | - - - 7@16 | L0 V-1 T0 I0 M0 shown",
                                "a 9/18/- | 7@41 2@16 7@41 7@16 | L1 V0 T0 I1 M1 hidden",
                                "Views 11/0/0 | - - - 7@16 | L0 V-1 T5 I0 M0 shown",
                                "v 11/18/- | 7@41 2@16 7@41 7@16 | L1 V0 T5 I1 M3 hidden"}},
                      FillCase{"nothing_compared", [] { return TComparisonResult{}; }, {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ResultsTreeTest, IconAndHiddenCellsHaveNoTextAndTheIconCellFlags) {
    show(everything());
    for (int32_t r = 1; r <= grid.Rows(); ++r) {
        EXPECT_TRUE(grid.CellText(r, 1).has_value());
        EXPECT_EQ(grid.CellAlign(r, 1), 0u);
        const bool category = item(r, col::Level) == 0;
        for (int32_t c = 2; c <= 10; ++c) {
            SCOPED_TRACE(describeRow(grid, r) + " column " + std::to_string(c));
            EXPECT_FALSE(grid.CellText(r, c).has_value());
            const bool written = !(category && (c <= 4 || c >= 9));
            EXPECT_EQ(grid.CellAlign(r, c), written ? 0x40020u : 0u);
        }
    }
}

struct IndentCase {
    int32_t width;
    int32_t indent;
};

TEST_F(ResultsTreeTest, IconsAreCentredInTheirColumnsHalvesToEven) {
    // (width - 18) / 2, rounded halves to even.
    for (const IndentCase c : {IndentCase{50, 16},
                               {100, 41},
                               {101, 42},
                               {103, 42},
                               {18, 0},
                               {19, 0},
                               {21, 2},
                               {10, -4}}) {
        SCOPED_TRACE(c.width);
        grid.ColumnWidth(col::Action, c.width);
        show(everything());
        EXPECT_EQ(grid.CellIndent(rowOf("tDiff"), col::Action), c.indent);
    }
}

TEST_F(ResultsTreeTest, ShowingTheResultsAgainStartsCollapsedAndAllSelected) {
    show(everything());
    expand("Tables");
    select("tDiff");
    tree.UnSFS_Click();
    ASSERT_EQ(script("Tables"), img::Partly);
    tree.ShowResults();
    EXPECT_EQ(shownRows(), (Names{"Tables", "Procedures", "Views", "Users", "Groups"}));
    for (int32_t r = 1; r <= grid.Rows(); ++r) EXPECT_EQ(grid.CellIcon(r, col::Script), img::Yes);
    EXPECT_EQ(grid.CellExtraIcon(rowOf("Tables"), col::Object), img::Collapsed);
}

TEST_F(ResultsTreeTest, ClearEmptiesTheGridAndKeepsItsColumns) {
    show(everything());
    tree.Clear();
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_EQ(grid.Columns(), 10);
    EXPECT_TRUE(grid.Redraw());
}

// ------------------------------------------------------------- filters

struct FilterCase {
    const char* name;
    Names expanded;  // categories opened first
    Names off;       // then these buttons clicked (unchecked)
    Names shown;
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class FilterTest : public ResultsTreeTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, RowsShowByKindDifferenceAndExpansion) {
    show(everything());
    for (const std::string& c : GetParam().expanded) expand(c);
    for (const std::string& key : GetParam().off) click(key);
    EXPECT_EQ(shownRows(), GetParam().shown);
    // Expanding after filtering gives the same rows as the other way round.
    controls = FakeControls(grid);
    show(everything());
    for (const std::string& key : GetParam().off) click(key);
    for (const std::string& c : GetParam().expanded) expand(c);
    EXPECT_EQ(shownRows(), GetParam().shown);
}

const Names kAllCategories{"Tables", "Procedures", "Views", "Users", "Groups"};

INSTANTIATE_TEST_SUITE_P(
    Buttons, FilterTest,
    ::testing::Values(
        FilterCase{"all_on_collapsed", {}, {}, kAllCategories},
        FilterCase{
            "tables_open",
            {"Tables"},
            {},
            {"Tables", "tEq", "tDiff", "tDst", "tSrc", "Procedures", "Views", "Users", "Groups"}},
        // Category rows stay, even one whose every object is filtered out.
        FilterCase{"equal_off",
                   {"Tables", "Procedures"},
                   {"SHE"},
                   {"Tables", "tDiff", "tDst", "tSrc", "Procedures", "Views", "Users", "Groups"}},
        FilterCase{"tables_off", {"Tables"}, {"SHT"}, {"Procedures", "Views", "Users", "Groups"}},
        FilterCase{
            "different_and_missing_at_source_off",
            {"Tables", "Procedures", "Views", "Users", "Groups"},
            {"SHD", "SHES"},
            {"Tables", "tEq", "tSrc", "Procedures", "pEq", "Views", "Users", "uSrc", "Groups"}},
        FilterCase{"missing_at_destination_off_collapsed", {}, {"SHED"}, kAllCategories},
        FilterCase{"users_and_groups_off",
                   {"Users", "Groups", "Views"},
                   {"SHU", "SHG"},
                   {"Tables", "Procedures", "Views", "vDiff"}},
        FilterCase{
            "equal_off_and_on_again",
            {"Tables"},
            {"SHE", "SHE"},
            {"Tables", "tEq", "tDiff", "tDst", "tSrc", "Procedures", "Views", "Users", "Groups"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ResultsTreeTest, TheFilterButtonsFlipAndOutliveANewFill) {
    show(everything());
    click("SHT");
    EXPECT_FALSE(controls.checked[1]);
    show(everything());
    EXPECT_EQ(shownRows(), (Names{"Procedures", "Views", "Users", "Groups"}));
    // Buttons past the filters are never checked by a click.
    click("SelAll");
    click("Expand");
    EXPECT_FALSE(controls.checked[12]);
    EXPECT_FALSE(controls.checked[15]);
}

TEST_F(ResultsTreeTest, ToolbarKeysMatchIgnoringCaseAndUnknownKeysDoNothing) {
    show(everything());
    tree.TBar_ButtonClick(15, "EXPAND");
    EXPECT_EQ(grid.CellExtraIcon(rowOf("Tables"), col::Object), img::Expanded);
    const Names before = shownRows();
    tree.TBar_ButtonClick(99, "Nothing");
    tree.TBar_ButtonClick(6, "");
    EXPECT_EQ(shownRows(), before);
    EXPECT_TRUE(view.boxes.empty());
}

// ------------------------------------------------------------- expanding

TEST_F(ResultsTreeTest, TogglingACategoryMarksItsObjectsOpenOrClosed) {
    show(everything());
    const int32_t tables = rowOf("Tables");
    expand("Tables");
    EXPECT_EQ(grid.CellExtraIcon(tables, col::Object), img::Expanded);
    for (const char* name : {"tEq", "tDiff", "tDst", "tSrc"}) {
        EXPECT_EQ(item(rowOf(name), col::Visible), -1) << name;
        EXPECT_TRUE(grid.RowVisible(rowOf(name))) << name;
    }
    EXPECT_EQ(item(rowOf("pEq"), col::Visible), 0);  // another category's
    tree.ToggleExpand(tables);
    EXPECT_EQ(grid.CellExtraIcon(tables, col::Object), img::Collapsed);
    for (const char* name : {"tEq", "tDiff", "tDst", "tSrc"}) {
        EXPECT_EQ(item(rowOf(name), col::Visible), 0) << name;
        EXPECT_FALSE(grid.RowVisible(rowOf(name))) << name;
    }
}

TEST_F(ResultsTreeTest, ExpandAllAndCollapseAllTurnEveryCategory) {
    show(everything());
    expand("Views");
    click("Expand");
    for (const std::string& c : kAllCategories)
        EXPECT_EQ(grid.CellExtraIcon(rowOf(c), col::Object), img::Expanded) << c;
    EXPECT_EQ(shownRows().size(), 13u);
    // Everything open already: nothing changes.
    click("Expand");
    EXPECT_EQ(shownRows().size(), 13u);
    for (const std::string& c : kAllCategories)
        EXPECT_EQ(grid.CellExtraIcon(rowOf(c), col::Object), img::Expanded) << c;
    click("Collapse");
    EXPECT_EQ(shownRows(), kAllCategories);
    EXPECT_TRUE(grid.Redraw());
}

// ------------------------------------------------------------- mouse

// Grid pixels to the twips the grid's mouse events give.
float tw(int pixels) { return static_cast<float>(pixels * 15); }
// The middle of the n-th shown row (from 0), under the 18-pixel header.
int rowY(int shownPosition) { return 18 + 18 * shownPosition + 9; }
constexpr int kScriptX = 230 + 100 + 50 + 100 + 25;

struct GlyphCase {
    float x;  // twips
    int button;
    bool toggles;
};

TEST_F(ResultsTreeTest, ALeftPressOnTheGlyphTogglesTheCategory) {
    // The glyph takes the 16 pixels after the cell's indent (0 on category rows).
    for (const GlyphCase c : {GlyphCase{tw(0), 1, true},
                              {tw(15), 1, true},
                              {239.0f, 1, true},
                              {tw(16), 1, false},
                              {tw(100), 1, false},
                              {tw(5), 4, false}}) {
        SCOPED_TRACE(c.x);
        show(everything());
        tree.MGrid_MouseDown(c.button, 0, c.x, tw(rowY(0)));
        EXPECT_EQ(grid.CellExtraIcon(1, col::Object), c.toggles ? img::Expanded : img::Collapsed);
        EXPECT_TRUE(grid.Redraw());
    }
    // An object row has no glyph; a press on the header is no row.
    show(everything());
    expand("Tables");
    tree.MGrid_MouseDown(1, 0, tw(5), tw(rowY(1)));
    tree.MGrid_MouseDown(1, 0, tw(5), tw(5));
    EXPECT_EQ(shownRows().size(), 9u);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ResultsTreeTest, WithTheColumnsScrolledSidewaysOnlyAPressOnTheShownGlyphToggles) {
    // Column 1 widened and scrolled 40 pixels: its glyph is out of view.
    for (const GlyphCase c : {GlyphCase{tw(5), 1, false}, {tw(100), 1, false}}) {
        SCOPED_TRACE(c.x);
        show(everything());
        grid.ColumnWidth(col::Object, 600);
        controls.scrolledX = 40;
        tree.MGrid_MouseDown(c.button, 0, c.x, tw(rowY(0)));
        EXPECT_EQ(grid.CellExtraIcon(1, col::Object), c.toggles ? img::Expanded : img::Collapsed);
    }
    // Scrolled by less than the glyph, its shown part still toggles.
    show(everything());
    controls.scrolledX = 10;
    tree.MGrid_MouseDown(1, 0, tw(5), tw(rowY(0)));
    EXPECT_EQ(grid.CellExtraIcon(1, col::Object), img::Expanded);
    controls.scrolledX = 0;
}

TEST_F(ResultsTreeTest, ADoubleClickTogglesOnlyOnTheGlyphCellOfACategory) {
    show(everything());
    tree.MGrid_DblClick(1, col::SourceDb);
    tree.MGrid_DblClick(0, 0);
    EXPECT_EQ(grid.CellExtraIcon(1, col::Object), img::Collapsed);
    tree.MGrid_DblClick(1, col::Object);
    EXPECT_EQ(grid.CellExtraIcon(1, col::Object), img::Expanded);
    EXPECT_EQ(shownRows().size(), 9u);
    tree.MGrid_DblClick(rowOf("tEq"), col::Object);
    EXPECT_EQ(shownRows().size(), 9u);
    EXPECT_TRUE(grid.Redraw());
}

struct MenuCase {
    const char* name;
    std::function<void(ResultsTreeTest&)> before;
    int shownPosition;  // the row right-clicked, among the shown rows
    MenuState menu;
};

TEST_F(ResultsTreeTest, ARightClickSelectsTheCellAndOpensTheMenuForIt) {
    const std::vector<MenuCase> cases{
        {"selected table", {}, 1, {true, false, true}},
        {"unselected table",
         [](ResultsTreeTest& t) {
             t.select("tEq");
             t.tree.UnSFS_Click();
         },
         1,
         {true, true, false}},
        {"procedure", {}, 6, {true, false, true}},
        {"view", {}, 8, {true, false, true}},
        {"user", {}, 10, {false, false, true}},
        {"group", {}, 12, {false, false, true}},
        {"category all selected", {}, 0, {false, false, true}},
        {"category partly selected",
         [](ResultsTreeTest& t) {
             t.select("tEq");
             t.tree.UnSFS_Click();
         },
         0,
         {false, true, true}},
        {"category none selected",
         [](ResultsTreeTest& t) { t.click("SelNone"); },
         0,
         {false, true, false}},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        show(everything());
        click("Expand");
        if (c.before) c.before(*this);
        controls.popups.clear();
        const float x = tw(120), y = tw(rowY(c.shownPosition));
        tree.MGrid_MouseDown(2, 0, x, y);
        ASSERT_EQ(controls.popups.size(), 1u);
        EXPECT_EQ(controls.popups[0].entries, c.menu);
        EXPECT_EQ(controls.popups[0].x, x);
        EXPECT_EQ(controls.popups[0].y, y);
        EXPECT_EQ(grid.SelectedRow(), c.shownPosition + 1);  // everything is shown
        EXPECT_EQ(grid.SelectedCol(), col::Object);
    }
}

TEST_F(ResultsTreeTest, ARightClickOutsideEveryCellOpensNoMenu) {
    show(everything());
    grid.SelectedRow(2);
    grid.SelectedCol(3);
    tree.MGrid_MouseDown(2, 0, tw(100), tw(rowY(20)));  // below the last row
    tree.MGrid_MouseDown(2, 0, tw(700), tw(rowY(0)));   // right of the last column
    EXPECT_TRUE(controls.popups.empty());
    EXPECT_EQ(grid.SelectedRow(), 2);
    EXPECT_EQ(grid.SelectedCol(), 3);
}

TEST_F(ResultsTreeTest, OnlyTheObjectColumnMayBeResized) {
    for (const auto& [column, refused] :
         std::vector<std::pair<int32_t, bool>>{{1, false}, {2, true}, {5, true}, {10, true}}) {
        bool cancel = false;
        tree.MGrid_ColumnChanging(column, cancel);
        EXPECT_EQ(cancel, refused) << column;
    }
}

// ------------------------------------------------------------- keys

namespace key = ui::grid::key;

// A key on the current row, and what it leaves.
struct KeyCase {
    const char* name;
    std::function<void(ResultsTreeTest&)> before;
    const char* current;
    int keyCode;
    int shift;
    bool taken;
    Names shown;
    const char* currentAfter;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

const Names kTablesOpen{"Tables",     "tEq",   "tDiff", "tDst",  "tSrc",
                        "Procedures", "Views", "Users", "Groups"};

class KeyTest : public ResultsTreeTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTest, TreeKeysOpenCloseAndMoveAsATreeUserExpects) {
    const KeyCase& c = GetParam();
    show(everything());
    if (c.before) c.before(*this);
    select(c.current);
    int code = c.keyCode;
    tree.MGrid_KeyDown(code, c.shift);
    EXPECT_EQ(code == 0, c.taken);
    EXPECT_EQ(shownRows(), c.shown);
    EXPECT_EQ(grid.SelectedRow(), rowOf(c.currentAfter));
    EXPECT_TRUE(grid.Redraw());
    EXPECT_TRUE(view.boxes.empty());
}

void openTables(ResultsTreeTest& test) { test.expand("Tables"); }

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyTest,
    ::testing::Values(
        KeyCase{"rightOpensACategory", {}, "Tables", key::Right, 0, true, kTablesOpen, "Tables"},
        KeyCase{"addOpensACategory", {}, "Tables", key::Add, 0, true, kTablesOpen, "Tables"},
        KeyCase{"rightOnAnOpenCategoryGoesToItsFirstObject", openTables, "Tables", key::Right, 0,
                true, kTablesOpen, "tEq"},
        KeyCase{"rightGoesToTheFirstObjectTheFiltersShow",
                [](ResultsTreeTest& test) {
                    test.expand("Tables");
                    test.click("SHE");
                },
                "Tables", key::Right, 0, true,
                Names{"Tables", "tDiff", "tDst", "tSrc", "Procedures", "Views", "Users", "Groups"},
                "tDiff"},
        KeyCase{"leftClosesAnOpenCategory", openTables, "Tables", key::Left, 0, true,
                kAllCategories, "Tables"},
        KeyCase{"subtractClosesAnOpenCategory", openTables, "Tables", key::Subtract, 0, true,
                kAllCategories, "Tables"},
        KeyCase{"leftOnAnObjectGoesToItsCategory", openTables, "tDst", key::Left, 0, true,
                kTablesOpen, "Tables"},
        KeyCase{"subtractOnAnObjectIsLeftToTheGrid", openTables, "tDst", key::Subtract, 0, false,
                kTablesOpen, "tDst"},
        KeyCase{"rightOnAnObjectIsLeftToTheGrid", openTables, "tDst", key::Right, 0, false,
                kTablesOpen, "tDst"},
        KeyCase{"leftOnAClosedCategoryIsLeftToTheGrid",
                {},
                "Views",
                key::Left,
                0,
                false,
                kAllCategories,
                "Views"},
        KeyCase{"aHiddenRowTakesNoKey", {}, "tEq", key::Left, 0, false, kAllCategories, "tEq"},
        KeyCase{"ctrlRightIsLeftToTheGrid",
                {},
                "Tables",
                key::Right,
                2,
                false,
                kAllCategories,
                "Tables"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ResultsTreeTest, SpaceTicksTheCurrentRowAsAClickInTheScriptColumnDoes) {
    show(everything());
    expand("Tables");
    const auto space = [&](const std::string& name, int shift = 0) {
        select(name);
        int code = key::Space;
        tree.MGrid_KeyDown(code, shift);
        return code == 0;
    };
    EXPECT_TRUE(space("tEq"));
    EXPECT_EQ(script("tEq"), img::No);
    EXPECT_EQ(script("Tables"), img::Partly);
    // A partly selected category becomes selected, objects and all.
    EXPECT_TRUE(space("Tables"));
    for (const char* name : {"Tables", "tEq", "tDiff", "tDst", "tSrc"})
        EXPECT_EQ(script(name), img::Yes) << name;
    EXPECT_TRUE(space("Tables"));
    for (const char* name : {"Tables", "tEq", "tDiff", "tDst", "tSrc"})
        EXPECT_EQ(script(name), img::No) << name;
    EXPECT_EQ(script("Views"), img::Yes);
    // Ctrl+Space is the grid's.
    EXPECT_FALSE(space("tEq", 2));
    EXPECT_EQ(script("tEq"), img::No);
}

TEST_F(ResultsTreeTest, ReturnAsksForTheDetailsOfATableViewOrProcedure) {
    const TComparisonResult r = everything();
    engine->Differences(r);
    tree.ShowResults();
    click("Expand");
    struct Case {
        const char* row;
        bool details;
        int32_t kind, index;
    };
    for (const Case& c :
         {Case{"tDst", true, engine::okTable, 3}, Case{"pEq", true, engine::okProcedure, 1},
          Case{"vDiff", true, engine::okView, 1}, Case{"uSrc", false, 0, 0},
          Case{"gDst", false, 0, 0}, Case{"Tables", false, 0, 0}}) {
        SCOPED_TRACE(c.row);
        view.details.clear();
        select(c.row);
        int code = key::Return;
        tree.MGrid_KeyDown(code, 0);
        EXPECT_EQ(code == 0, c.details);
        ASSERT_EQ(view.details.size(), c.details ? 1u : 0u);
        if (!c.details) continue;
        EXPECT_EQ(view.details[0].kind, c.kind);
        EXPECT_EQ(view.details[0].index, c.index);
    }
}

TEST_F(ResultsTreeTest, TheMenuKeysOpenTheMenuUnderTheCurrentRowsCaption) {
    show(everything());
    click("Expand");
    select("tEq");
    tree.UnSFS_Click();
    for (const auto& [code, shift] : {std::pair{key::Apps, 0}, std::pair{key::F10, 1}}) {
        SCOPED_TRACE(code);
        controls.popups.clear();
        int k = code;
        tree.MGrid_KeyDown(k, shift);
        EXPECT_EQ(k, 0);
        ASSERT_EQ(controls.popups.size(), 1u);
        // The same entries as a right click there.
        EXPECT_EQ(controls.popups[0].entries, (MenuState{true, true, false}));
        // Row 2 (the second shown) ends 18 + 2 x 18 pixels down; its caption
        // starts after its indent of 18.
        EXPECT_EQ(controls.popups[0].x, tw(18));
        EXPECT_EQ(controls.popups[0].y, tw(54));
    }
    // Scrolled sideways, the menu moves with the row.
    controls.popups.clear();
    controls.scrolledX = 10;
    int k = key::Apps;
    tree.MGrid_KeyDown(k, 0);
    ASSERT_EQ(controls.popups.size(), 1u);
    EXPECT_EQ(controls.popups[0].x, tw(8));
    controls.scrolledX = 0;
    // F10 alone, and no current row, open nothing.
    controls.popups.clear();
    k = key::F10;
    tree.MGrid_KeyDown(k, 0);
    EXPECT_EQ(k, key::F10);
    grid.SelectedRow(0);
    k = key::Apps;
    tree.MGrid_KeyDown(k, 0);
    EXPECT_EQ(k, key::Apps);
    EXPECT_TRUE(controls.popups.empty());
}

// ------------------------------------------------------------- script selection

struct SelectionStep {
    const char* action;  // "un <row>", "sel <row>", "click <row>", "key <toolbar key>"
    std::vector<std::pair<std::string, int32_t>> images;
};

TEST_F(ResultsTreeTest, TheCategoryShowsAllSomeOrNoneOfItsObjectsSelected) {
    TComparisonResult r;
    r.Tables = arr({plainTable("t1", acDifferent), plainTable("t2", acDifferent),
                    plainTable("t3", acOnlyInSource)});
    r.Views = arr({rb::view("v", acDifferent, false, "a", "b")});
    show(r);
    const std::vector<SelectionStep> steps{
        {"un t1", {{"Tables", 8}, {"t1", 6}, {"t2", 7}, {"t3", 7}}},
        {"un t2", {{"Tables", 8}, {"t2", 6}}},
        {"un t3", {{"Tables", 6}, {"t3", 6}}},
        {"sel t2", {{"Tables", 8}, {"t2", 7}}},
        // The Script cell of a partly selected category selects it all,
        // hidden (collapsed) objects included.
        {"click Tables", {{"Tables", 7}, {"t1", 7}, {"t2", 7}, {"t3", 7}, {"Views", 7}}},
        {"click Tables", {{"Tables", 6}, {"t1", 6}, {"t2", 6}, {"t3", 6}, {"Views", 7}}},
        // A category of one object follows it exactly.
        {"un v", {{"Views", 6}, {"v", 6}}},
        {"sel v", {{"Views", 7}, {"v", 7}}},
        {"un t1", {{"Tables", 6}}},
        {"sel t1", {{"Tables", 8}}},
        {"key SelAll", {{"Tables", 7}, {"t1", 7}, {"t2", 7}, {"t3", 7}, {"Views", 7}, {"v", 7}}},
        {"key SelNone", {{"Tables", 6}, {"t1", 6}, {"t2", 6}, {"t3", 6}, {"Views", 6}, {"v", 6}}},
        {"sel Views", {{"Views", 7}, {"v", 7}, {"Tables", 6}}},
    };
    for (const SelectionStep& step : steps) {
        SCOPED_TRACE(step.action);
        const std::string action = step.action;
        const std::string target = action.substr(action.find(' ') + 1);
        if (action.starts_with("un ")) {
            select(target);
            tree.UnSFS_Click();
        } else if (action.starts_with("sel ")) {
            select(target);
            tree.SFS_Click();
        } else if (action.starts_with("click ")) {
            // Categories are the only rows shown: Tables first, Views second.
            const int position = target == "Tables" ? 0 : 1;
            tree.MGrid_MouseUp(1, 0, tw(kScriptX), tw(rowY(position)));
        } else {
            click(target);
        }
        for (const auto& [name, image] : step.images) EXPECT_EQ(script(name), image) << name;
        EXPECT_TRUE(grid.Redraw());
    }
}

TEST_F(ResultsTreeTest, OnlyALeftReleaseOverTheScriptColumnTogglesTheSelection) {
    show(everything());
    tree.MGrid_MouseUp(2, 0, tw(kScriptX), tw(rowY(0)));       // right button
    tree.MGrid_MouseUp(1, 0, tw(kScriptX - 60), tw(rowY(0)));  // Destination Db
    tree.MGrid_MouseUp(1, 0, tw(kScriptX), tw(rowY(12)));      // no row
    EXPECT_EQ(script("Tables"), img::Yes);
    tree.MGrid_MouseUp(1, 0, tw(kScriptX), tw(rowY(0)));
    EXPECT_EQ(script("Tables"), img::No);
    EXPECT_EQ(script("tSrc"), img::No);
}

TEST_F(ResultsTreeTest, TheMenuEntriesActOnTheSelectedRowAndNothingWithoutOne) {
    show(everything());
    grid.SelectedRow(0);
    tree.UnSFS_Click();
    tree.SFS_Click();
    tree.VD_Click();
    for (int32_t r = 1; r <= grid.Rows(); ++r) EXPECT_EQ(grid.CellIcon(r, col::Script), img::Yes);
    EXPECT_TRUE(view.details.empty());
    EXPECT_TRUE(view.boxes.empty());
}

// ------------------------------------------------------------- script request

struct ScriptCase {
    const char* name;
    int32_t direction;
    bool match;
    std::string caption;
};
void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

// Tables whose script depends on the selection, the direction and CMatch.
TComparisonResult scripted() {
    TComparisonResult r;
    r.Tables =
        arr({table("Customers", acDifferent, false,
                   {both("ID", integer(), integer(), acEqual),
                    both("Title", rb::text(40), rb::text(40), acDifferent, "ProductName")}),
             table("Archive", acOnlyInSource, false, {sourceOnly("ID", integer())}),
             table("Legacy", acOnlyInDestination, false, {destinationOnly("ID", integer())})});
    r.Views = arr({rb::view("vNew", acOnlyInSource, false, "SELECT 1 AS One", "")});
    r.Procedures = arr({procedure("pOld", acDifferent, false, "SELECT 1", "SELECT 2")});
    r.Groups = arr({principal("Staff", acOnlyInSource, false, principalSide({}, {}), {})});
    return r;
}

class ScriptRequestTest : public ResultsTreeTest,
                          public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(ScriptRequestTest, SelectionsGoBackToTheEngineAndTheScriptToTheWindow) {
    const ScriptCase& c = GetParam();
    options.SetValue(wizard::OptionBox::CMatch, c.match ? wizard::kChecked : wizard::kUnchecked);
    options.SetValue(wizard::OptionBox::DObject, wizard::kChecked);
    show(scripted());
    select("Archive");
    tree.UnSFS_Click();
    select("pOld");
    tree.UnSFS_Click();
    click(c.direction == 0 ? "SScript" : "DScript");

    TComparisonResult expected = scripted();
    expected.Tables[1].Selected = true;
    expected.Tables[3].Selected = true;
    expected.Views[1].Selected = true;
    expected.Groups[1].Selected = true;
    EXPECT_EQ(engine->Result(), expected);
    EXPECT_TRUE(engine->DropOppositeObjects());
    EXPECT_TRUE(engine->SkipAutoIncrementColumns());
    EXPECT_FALSE(engine->IncludeIncrementAndSeed());

    ASSERT_EQ(view.scripts.size(), 1u) << ::testing::PrintToString(view.boxes);
    const ScriptWindowText& shown = view.scripts[0];
    const script::TScript made =
        script::GenerateScript(expected, script::OptionsOf(*engine),
                               static_cast<script::ScriptDirection>(c.direction), c.match);
    EXPECT_EQ(shown.Text, made.Statements + "\r\n" + made.Blocks);
    EXPECT_NE(made.Statements, "");
    EXPECT_EQ(shown.Caption, c.caption);
    EXPECT_EQ(shown.SourceDBPath, "/data/Development.sdb");
    EXPECT_EQ(shown.DestinationDBPath, " /data/Production.sdb");
    EXPECT_EQ(shown.Report, made.Report);
}

INSTANTIATE_TEST_SUITE_P(Directions, ScriptRequestTest,
                         ::testing::Values(ScriptCase{"to_destination", 0, false,
                                                      "Database Script (Source->Destination)"},
                                           ScriptCase{"to_destination_matching_columns", 0, true,
                                                      "Database Script (Source->Destination)"},
                                           ScriptCase{"to_source", 1, false,
                                                      "Database Script (Destination->Source)"}),
                         [](const auto& p) { return std::string(p.param.name); });

// With the options as they start (objects found only on the changed side
// kept), the notes say so, naming that side.
TEST_F(ResultsTreeTest, TheScriptsNotesTellWhatTheOptionsKeep) {
    show(everything());
    click("SScript");
    click("DScript");
    ASSERT_EQ(view.scripts.size(), 2u) << ::testing::PrintToString(view.boxes);
    // After the generator's own sentences.
    ASSERT_FALSE(view.scripts[0].Report.empty());
    EXPECT_EQ(view.scripts[0].Report.back(),
              "2 objects only in the destination are kept: the option to drop them is off.");
    ASSERT_FALSE(view.scripts[1].Report.empty());
    EXPECT_EQ(view.scripts[1].Report.back(),
              "2 objects only in the source are kept: the option to drop them is off.");
}

TEST_F(ResultsTreeTest, TheScriptRequestReadsObjectRowsOnly) {
    show(scripted());
    // A category's own image is never read: its objects stay selected.
    grid.CellIcon(rowOf("Tables"), col::Script, img::No);
    click("SScript");
    for (const TTable& t : engine->Result().Tables) EXPECT_TRUE(t.Selected) << t.Name;
    ASSERT_EQ(view.scripts.size(), 1u);
}

TEST_F(ResultsTreeTest, AScriptOfAnEmptyTreeIsTheGeneratorsEmptyScript) {
    show(TComparisonResult{});
    click("DScript");
    ASSERT_EQ(view.scripts.size(), 1u);
    EXPECT_EQ(view.scripts[0].Text, "\r\n");
    EXPECT_EQ(view.scripts[0].Caption, "Database Script (Destination->Source)");
}

TEST_F(ResultsTreeTest, AFurtherRequestWritesTheNewSelectionBack) {
    show(scripted());
    click("SScript");
    EXPECT_TRUE(engine->Result().Tables[2].Selected);
    select("Archive");
    tree.UnSFS_Click();
    click("SScript");
    EXPECT_FALSE(engine->Result().Tables[2].Selected);
    EXPECT_EQ(view.scripts.size(), 2u);
}

// ------------------------------------------------------------- detail request

struct DetailCase {
    const char* row;
    std::optional<std::pair<int32_t, int32_t>> shown;  // kind, index
};

TEST_F(ResultsTreeTest, ViewDetailsShowsTheSelectedRowsElement) {
    for (const DetailCase& c : {DetailCase{"tEq", {{0, 1}}},
                                {"tSrc", {{0, 4}}},
                                {"pEq", {{4, 1}}},
                                {"vDiff", {{5, 1}}},
                                {"uSrc", std::nullopt},
                                {"gDst", std::nullopt},
                                {"Tables", std::nullopt},
                                {"Views", std::nullopt}}) {
        SCOPED_TRACE(c.row);
        view.details.clear();
        show(everything());
        select(c.row);
        tree.VD_Click();
        if (!c.shown) {
            EXPECT_TRUE(view.details.empty());
            continue;
        }
        ASSERT_EQ(view.details.size(), 1u);
        EXPECT_EQ(view.details[0].kind, c.shown->first);
        EXPECT_EQ(view.details[0].index, c.shown->second);
        EXPECT_EQ(view.details[0].result, engine->Result());
    }
    EXPECT_TRUE(view.boxes.empty());
}

// ------------------------------------------------------------- printing

TEST_F(ResultsTreeTest, PrintDrawsTheShownRowsUnderTheTitleAndShowsTheReport) {
    show(everything());
    click("Print");  // no preview lent: nothing
    EXPECT_TRUE(view.reports.empty());

    report::testing::FixedTextMetrics metrics;
    report::Document doc(metrics);
    report::PageFormat format = wizardtest::smallPage();
    format.paper = {0, 12000, 12000};
    doc.PageFormat(format);
    tree.Preview = &doc;
    tree.ReportImageFolder = "/images";
    expand("Views");
    click("Print");
    ASSERT_EQ(view.reports.size(), 1u);
    EXPECT_EQ(view.reports[0], &doc);
    EXPECT_EQ(doc.DocumentTitle(), "Comparison Results Report");
    const std::vector<std::string> lines = doc.describe();
    const auto has = [&](const std::string& part) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.front().find("\"Comparison Results Report\" #B0B0B0"), std::string::npos)
        << lines.front();
    EXPECT_TRUE(has("\"vDiff\""));
    EXPECT_FALSE(has("\"tEq\""));            // a collapsed category's rows are not shown
    EXPECT_TRUE(has("\"/images/12.bmp\""));  // the Views icon, list position 11
    EXPECT_TRUE(has("\"Page 1\""));
}

// ------------------------------------------------------------- refusals and failures

TEST_F(ResultsTreeTest, ScriptAndDetailRequestsAreRefusedWhileAComparisonRuns) {
    show(scripted());
    select("Customers");
    comparing = true;
    click("SScript");
    click("DScript");
    tree.VD_Click();
    EXPECT_TRUE(view.scripts.empty());
    EXPECT_TRUE(view.details.empty());
    EXPECT_EQ(view.boxes, (Names{kBusyBox, kBusyBox, kBusyBox}));
    // Nothing was written into the running comparison's record.
    EXPECT_EQ(engine->Result(), scripted());
}

TEST_F(ResultsTreeTest, WhileAComparisonRunsTheResultsPageStaysEmpty) {
    show(scripted());
    comparing = true;
    tree.ShowResults();
    EXPECT_EQ(grid.Rows(), 0);
    comparing = false;
    tree.ShowResults();
    EXPECT_GT(grid.Rows(), 0);
}

struct StaleCase {
    const char* name;
    std::function<TComparisonResult()> replacement;
};

TEST_F(ResultsTreeTest, RowsThatNoLongerNameTheEnginesElementsAreRefused) {
    const std::vector<StaleCase> cases{
        {"fewer tables",
         [] {
             TComparisonResult r = everything();
             r.Tables = arr({plainTable("tEq", acEqual)});
             return r;
         }},
        {"other names",
         [] {
             TComparisonResult r = everything();
             r.Tables[4].Name = "renamed";
             return r;
         }},
        {"nothing at all", [] { return TComparisonResult{}; }},
    };
    for (const StaleCase& c : cases) {
        SCOPED_TRACE(c.name);
        view.boxes.clear();
        show(everything());
        select("tSrc");
        engine->Differences(c.replacement());
        click("SScript");
        tree.VD_Click();
        EXPECT_TRUE(view.scripts.empty());
        EXPECT_TRUE(view.details.empty());
        EXPECT_EQ(view.boxes, (Names{kStaleBox, kStaleBox}));
        // No flag was written back.
        EXPECT_EQ(engine->Result(), c.replacement());
    }
}

TEST_F(ResultsTreeTest, HandlersShowWhatTheirWorkThrowsAndTheTreeGoesOn) {
    show(scripted());
    view.failScript = true;
    click("SScript");
    tree.MGrid_DblClick(999, 1);  // a row the grid does not have
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[0], "16 Orvel! Parabase: The script window cannot be shown.");
    EXPECT_TRUE(view.boxes[1].starts_with("16 Orvel! Parabase: ")) << view.boxes[1];
    EXPECT_TRUE(grid.Redraw());

    // Without an engine the page cannot be filled: said, and the grid kept.
    const int32_t rows = grid.Rows();
    engine.reset();
    tree.ShowResults();
    EXPECT_EQ(view.boxes.size(), 3u);
    EXPECT_EQ(grid.Rows(), rows);

    view.failScript = false;
    engine = engine::CCAccess::create();
    show(scripted());
    click("SScript");
    EXPECT_EQ(view.scripts.size(), 1u);
}

}  // namespace
