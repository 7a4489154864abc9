#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/grid/GridModel.h"

namespace ui::grid {
void PrintTo(const CellHit& hit, std::ostream* os) {
    *os << "row " << hit.row << ", column " << hit.column;
}
void PrintTo(const CellArea& a, std::ostream* os) {
    *os << a.left << "," << a.top << " " << a.width << "x" << a.height;
}
}  // namespace ui::grid

namespace {

using ui::grid::Cell;
using ui::grid::CellHit;
using ui::grid::GridError;
using ui::grid::GridModel;
using ui::grid::HeaderAlign;
using ui::grid::ItemData;
using ui::grid::Scroll;

// Every notification as one line, so a test can compare what a view heard.
class Recorder : public ui::grid::GridListener {
public:
    std::vector<std::string> heard;
    void gridAboutToReset() override { heard.push_back("about to reset"); }
    void gridReset() override { heard.push_back("reset"); }
    void rowsAboutToAppear(int32_t first, int32_t count) override {
        heard.push_back("appear " + std::to_string(first) + "+" + std::to_string(count));
    }
    void rowsAppeared() override { heard.push_back("appeared"); }
    void rowsAboutToVanish(int32_t first, int32_t count) override {
        heard.push_back("vanish " + std::to_string(first) + "+" + std::to_string(count));
    }
    void rowsVanished() override { heard.push_back("vanished"); }
    void columnsAboutToBeAdded(int32_t first, int32_t count) override {
        heard.push_back("add columns " + std::to_string(first) + "+" + std::to_string(count));
    }
    void columnsAdded() override { heard.push_back("columns added"); }
    void cellChanged(int32_t position, int32_t column) override {
        heard.push_back("cell " + std::to_string(position) + "," + std::to_string(column));
    }
    void columnChanged(int32_t column) override {
        heard.push_back("column " + std::to_string(column));
    }
    void lookChanged() override { heard.push_back("look"); }
    void selectedCellChanged() override { heard.push_back("selection"); }
    void redrawChanged(bool on) override { heard.push_back(on ? "redraw on" : "redraw off"); }
};

// The results grid's ten columns: five shown, five hidden.
void addResultColumns(GridModel& g) {
    g.AddColumn("1", "Object", HeaderAlign::Centre, -1, 230);
    g.AddColumn("2", "Source Db", HeaderAlign::Centre, -1, 100);
    g.AddColumn("3", "Action", HeaderAlign::Centre, -1, 50);
    g.AddColumn("4", "Destination Db", HeaderAlign::Centre, -1, 100);
    g.AddColumn("5", "Script", HeaderAlign::Centre, -1, 50);
    for (const char* name : {"Level", "Visible", "Type", "Index", "MainRowIndex"})
        g.AddColumn(std::to_string(g.Columns() + 1), name, HeaderAlign::Left, -1, -1, false);
}

TEST(GridModel, RowsCountFromOneAndHiddenRowsStillCount) {
    GridModel g;
    addResultColumns(g);
    EXPECT_EQ(g.AddRow(), 1);
    EXPECT_EQ(g.AddRow(false), 2);
    EXPECT_EQ(g.AddRow(false), 3);
    EXPECT_EQ(g.AddRow(), 4);
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.viewRowCount(), 2);
    EXPECT_EQ(g.viewRow(0), 1);
    EXPECT_EQ(g.viewRow(1), 4);
    EXPECT_EQ(g.viewPosition(3), -1);
    EXPECT_FALSE(g.RowVisible(2));
    g.RowVisible(3, true);
    EXPECT_EQ(g.viewRow(1), 3);

    g.SelectedRow(4);
    g.SelectedCol(5);
    g.Clear();
    EXPECT_EQ(g.Rows(), 0);
    EXPECT_EQ(g.Columns(), 10);  // the columns stay
    EXPECT_EQ(g.SelectedRow(), 0);
    EXPECT_EQ(g.SelectedCol(), 0);
    EXPECT_EQ(g.AddRow(), 1);
}

TEST(GridModel, ACellWithoutTextIsToldApartFromAnEmptyOne) {
    GridModel g;
    addResultColumns(g);
    const int32_t r = g.AddRow();
    // An icon cell is written without a text.
    g.CellDetails(r, 5, std::nullopt, 0x40020, 7, 16);
    g.CellDetails(r, 1, {.text = "", .icon = 9, .indent = 18});
    g.CellDetails(r, 2, {.text = "Error 448"});  // a table may be named so
    EXPECT_FALSE(g.CellText(r, 5).has_value());
    EXPECT_EQ(g.CellText(r, 1), std::optional<std::string>(""));
    EXPECT_EQ(g.CellText(r, 2), std::optional<std::string>("Error 448"));
    EXPECT_FALSE(g.CellText(r, 3).has_value());  // never written

    EXPECT_EQ(g.CellAlign(r, 5), 0x40020u);
    EXPECT_EQ(g.CellIcon(r, 5), 7);
    EXPECT_EQ(g.CellIndent(r, 5), 16);
    // Left out: no extra icon (neither the collapsed nor the expanded glyph).
    EXPECT_EQ(g.CellExtraIcon(r, 1), -1);
    EXPECT_EQ(g.CellIcon(r, 3), -1);

    // Writing a cell again replaces all of it.
    g.CellDetails(r, 1, {.text = "Tables", .icon = 9, .extraIcon = 0});
    EXPECT_EQ(g.cell(r, 1), (Cell{.text = "Tables", .icon = 9, .extraIcon = 0}));
    g.CellText(r, 1, std::nullopt);
    EXPECT_FALSE(g.CellText(r, 1).has_value());
    EXPECT_EQ(g.CellIcon(r, 1), 9);
}

TEST(GridModel, ItemDataHoldsWholeNumbersAndTexts) {
    GridModel g;
    addResultColumns(g);
    const int32_t r = g.AddRow();
    EXPECT_EQ(g.CellItemData(r, 9), ItemData(0));  // never set reads 0
    g.CellItemData(r, 7, -1);
    g.CellItemData(r, 9, 2147483647);
    g.CellItemData(r, 8, std::string("Customers"));
    g.CellDetails(r, 10, {.text = std::nullopt, .align = 0x40020, .itemData = 40000});
    EXPECT_EQ(g.CellItemData(r, 7), ItemData(-1));
    EXPECT_EQ(g.CellItemData(r, 9), ItemData(2147483647));
    EXPECT_EQ(g.CellItemData(r, 8), ItemData(std::string("Customers")));
    EXPECT_EQ(ui::grid::itemDataToInt(g.CellItemData(r, 10)), 40000);
}

TEST(GridModel, ItemDataAsAWholeNumber) {
    struct Case {
        ItemData value;
        std::optional<int32_t> want;  // nothing: not a whole number
    };
    const Case cases[] = {
        {0, 0},
        {-1, -1},
        {std::string("12"), 12},
        {std::string(" -3 "), -3},
        {std::string("+7"), 7},
        {std::string("2147483647"), 2147483647},
        {std::string("2147483648"), std::nullopt},  // past 32 bits
        {std::string(""), std::nullopt},
        {std::string("  "), std::nullopt},
        {std::string("1.5"), std::nullopt},
        {std::string("abc"), std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string shown = std::holds_alternative<int32_t>(c.value)
                                      ? std::to_string(std::get<int32_t>(c.value))
                                      : "\"" + std::get<std::string>(c.value) + "\"";
        if (c.want)
            EXPECT_EQ(ui::grid::itemDataToInt(c.value), *c.want) << shown;
        else
            EXPECT_THROW((void)ui::grid::itemDataToInt(c.value), GridError) << shown;
    }
}

TEST(GridModel, CallsOutsideTheGridFailAndChangeNothing) {
    GridModel g;
    addResultColumns(g);
    g.AddRow();
    g.AddRow();
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"row 0", [&] { (void)g.CellIcon(0, 1); }},
        {"row past the end", [&] { g.CellIcon(3, 1, 7); }},
        {"column 0", [&] { (void)g.CellText(1, 0); }},
        {"column past the end", [&] { g.CellDetails(1, 11, {.text = "x"}); }},
        {"negative row", [&] { g.RowVisible(-1, false); }},
        {"row height of no row", [&] { (void)g.RowHeight(0); }},
        {"select a missing row", [&] { g.SelectedRow(3); }},
        {"select a missing column", [&] { g.SelectedCol(11); }},
        {"width of column 0", [&] { (void)g.ColumnWidth(0); }},
        {"width below -1", [&] { g.ColumnWidth(1, -2); }},
        {"item data of a missing cell", [&] { g.CellItemData(1, 12, 5); }},
    };
    for (const auto& [what, call] : calls) EXPECT_THROW(call(), GridError) << what;
    EXPECT_EQ(g.SelectedRow(), 0);
    EXPECT_EQ(g.ColumnWidth(1), 230);
    EXPECT_TRUE(g.RowVisible(1));
}

TEST(GridModel, ColumnsByKeyWithDefaultWidthAndVisibility) {
    GridModel g;
    addResultColumns(g);
    EXPECT_EQ(g.Columns(), 10);
    EXPECT_EQ(g.ColumnIndex("8"), 8);
    EXPECT_EQ(g.ColumnIndex("11"), 0);
    EXPECT_EQ(g.ColumnHeader(8), "Type");
    EXPECT_EQ(g.ColumnKey(10), "10");
    EXPECT_EQ(g.ColumnHeaderAlign(1), HeaderAlign::Centre);
    EXPECT_EQ(g.ColumnHeaderIcon(1), -1);
    EXPECT_EQ(g.ColumnWidth(3), 50);
    EXPECT_EQ(g.ColumnWidth(6), GridModel::kDefaultColumnWidth);  // -1: the default
    EXPECT_TRUE(g.ColumnVisible(5));
    EXPECT_FALSE(g.ColumnVisible(6));

    // A column added to a grid with rows gives every row an empty cell.
    const int32_t written = g.AddRow();
    const int32_t blank = g.AddRow();
    g.CellDetails(written, 1, "Customers");
    g.AddColumn("11", "Extra", HeaderAlign::Left, -1, 40);
    EXPECT_EQ(g.cell(written, 11), Cell{});
    EXPECT_EQ(g.cell(blank, 11), Cell{});
    EXPECT_EQ(g.CellText(written, 1), std::optional<std::string>("Customers"));
    g.CellIcon(blank, 11, 3);
    EXPECT_EQ(g.CellIcon(blank, 11), 3);
}

TEST(GridModel, CellAtAPointFollowsShownRowsColumnsAndScrolling) {
    GridModel g;
    addResultColumns(g);  // shown widths 230, 100, 50, 100, 50: right edge at 530
    for (int i = 1; i <= 6; ++i) g.AddRow(i != 2 && i != 5);  // rows 2 and 5 hidden
    // Shown rows: 1, 3, 4, 6 at 18 pixels each below an 18-pixel header.
    struct Case {
        int32_t x, y;
        Scroll scroll;
        CellHit want;
    };
    const Case cases[] = {
        {0, 0, {}, {0, 1}},                                // the header: no row
        {5, 17, {}, {0, 1}},                               // last header pixel
        {5, 18, {}, {1, 1}},                               // first data pixel
        {5, 35, {}, {1, 1}},         {5, 36, {}, {3, 1}},  // row 2 is hidden
        {229, 54, {}, {4, 1}},       {230, 54, {}, {4, 2}},       {380, 72, {}, {6, 4}},
        {529, 89, {}, {6, 5}},       {530, 40, {}, {3, 0}},        // right of the last shown column
        {5, 90, {}, {0, 1}},                                       // below the last shown row
        {-1, 20, {}, {1, 0}},        {5, 18, {0, 18}, {3, 1}},     // scrolled down one row
        {5, 10, {0, 18}, {0, 1}},                                  // the header does not scroll
        {0, 20, {230, 0}, {1, 2}},                                 // scrolled right past column 1
        {270, 20, {230, 0}, {1, 5}}, {320, 20, {230, 0}, {1, 0}},  // scrolled past the last column
    };
    for (const auto& c : cases)
        EXPECT_EQ(g.CellFromPoint(c.x, c.y, c.scroll), c.want)
            << c.x << "," << c.y << " scrolled " << c.scroll.x << "," << c.scroll.y;

    // A hidden column takes no room; a taller header moves the rows down.
    g.ColumnVisible(2, false);
    g.HeaderHeight(24);
    g.DefaultRowHeight(20);
    EXPECT_EQ(g.CellFromPoint(230, 24), (CellHit{1, 3}));
    EXPECT_EQ(g.CellFromPoint(5, 44), (CellHit{3, 1}));
    EXPECT_EQ(g.CellFromPoint(5, 23), (CellHit{0, 1}));
}

// Where a cell is drawn is where CellFromPoint finds it.
TEST(GridModel, CellBoundsAreWhereThePointFindsTheCell) {
    GridModel g;
    addResultColumns(g);                                      // shown widths 230, 100, 50, 100, 50
    for (int i = 1; i <= 6; ++i) g.AddRow(i != 2 && i != 5);  // rows 2 and 5 hidden
    g.ColumnVisible(2, false);
    using ui::grid::CellArea;
    struct Case {
        int32_t row, column;
        Scroll scroll;
        std::optional<CellArea> want;
    };
    const Case cases[] = {
        {1, 1, {}, CellArea{0, 18, 230, 18}},
        {3, 1, {}, CellArea{0, 36, 230, 18}},   // after hidden row 2
        {6, 3, {}, CellArea{230, 72, 50, 18}},  // after hidden column 2
        {6, 5, {}, CellArea{380, 72, 50, 18}},
        {4, 4, {100, 18}, CellArea{180, 36, 100, 18}},
        {2, 1, {}, std::nullopt},  // hidden row
        {1, 2, {}, std::nullopt},  // hidden column
        {1, 6, {}, std::nullopt},  // a hidden item data column
    };
    for (const auto& c : cases) {
        EXPECT_EQ(g.CellBounds(c.row, c.column, c.scroll), c.want) << c.row << "," << c.column;
        if (!c.want) continue;
        EXPECT_EQ(g.CellFromPoint(c.want->left, c.want->top, c.scroll), (CellHit{c.row, c.column}));
        EXPECT_EQ(g.CellFromPoint(c.want->left + c.want->width - 1,
                                  c.want->top + c.want->height - 1, c.scroll),
                  (CellHit{c.row, c.column}));
    }
    EXPECT_THROW((void)g.CellBounds(7, 1), GridError);
    EXPECT_THROW((void)g.CellBounds(1, 11), GridError);
}

TEST(GridModel, IndexesAreNotLimitedTo16Bits) {
    GridModel g;
    addResultColumns(g);
    for (int i = 0; i < 40000; ++i) g.AddRow();
    g.CellDetails(40000, 1, {.text = "last", .itemData = 40000});
    EXPECT_EQ(g.Rows(), 40000);
    EXPECT_EQ(g.CellText(40000, 1), std::optional<std::string>("last"));
    g.SelectedRow(40000);
    EXPECT_EQ(g.SelectedRow(), 40000);
    // Row 40,000 lies 719,982 pixels down: scrolled to it, it is under the header.
    EXPECT_EQ(g.CellFromPoint(5, 18, {0, 39999 * 18}), (CellHit{40000, 1}));
}

TEST(GridModel, ChangesReachTheViewAtOnceWhileRedrawIsOn) {
    GridModel g;
    addResultColumns(g);
    Recorder rec;
    g.addListener(&rec);
    g.AddRow();           // position 0
    g.AddRow(false);      // hidden: nothing to show
    g.AddRow();           // position 1
    g.CellIcon(2, 5, 6);  // hidden row: nothing
    g.CellIcon(3, 5, 6);
    g.CellItemData(3, 6, 1);  // never drawn: nothing
    g.RowVisible(2, true);    // between rows 1 and 3
    g.RowVisible(1, false);
    g.ColumnWidth(1, 240);
    g.ColumnWidth(1, 240);  // no change
    g.SelectedRow(2);
    g.Clear();
    const std::vector<std::string> want = {
        "appear 0+1", "appeared",       "appear 1+1", "appeared", "cell 1,5",
        "appear 1+1", "appeared",       "vanish 0+1", "vanished", "column 1",
        "selection",  "about to reset", "reset",
    };
    EXPECT_EQ(rec.heard, want);
}

TEST(GridModel, RedrawOffBatchesEveryChangeIntoOneReset) {
    GridModel g;
    addResultColumns(g);
    g.AddRow();
    g.AddRow();
    Recorder rec;
    g.addListener(&rec);

    g.Redraw(false);
    g.Clear();
    for (int i = 0; i < 100; ++i) {
        const int32_t r = g.AddRow(i % 2 == 0);
        g.CellDetails(r, 1, {.text = "row " + std::to_string(r), .icon = 9});
        g.RowVisible(r, i % 4 != 0);
    }
    g.ColumnWidth(1, 300);
    g.AddColumn("11", "More");
    g.SelectedRow(3);
    // Nothing reached the view, and what it shows has not moved: the two old
    // rows are still published, though they are gone or replaced.
    EXPECT_EQ(rec.heard, std::vector<std::string>{"redraw off"});
    EXPECT_EQ(g.viewRowCount(), 2);
    EXPECT_EQ(g.viewColumnCount(), 10);

    g.Redraw(true);
    const std::vector<std::string> want = {"redraw off", "about to reset", "reset", "redraw on"};
    EXPECT_EQ(rec.heard, want);
    EXPECT_EQ(g.viewRowCount(), 75);
    EXPECT_EQ(g.viewColumnCount(), 11);
    EXPECT_EQ(g.viewRow(0), 2);

    // On again, or off and on without a change: no reset.
    rec.heard.clear();
    g.Redraw(true);
    g.Redraw(false);
    g.Redraw(true);
    EXPECT_EQ(rec.heard, (std::vector<std::string>{"redraw off", "redraw on"}));
}

TEST(GridModel, PublishedRowsThatNoLongerExistReadAsNone) {
    GridModel g;
    addResultColumns(g);
    g.AddRow();
    g.AddRow();
    g.Redraw(false);
    g.Clear();
    g.AddRow();
    EXPECT_EQ(g.viewRowCount(), 2);
    EXPECT_EQ(g.viewRow(0), 1);  // a row 1 exists again
    EXPECT_EQ(g.viewRow(1), 0);  // row 2 is gone
    EXPECT_EQ(g.viewCell(1, 1), nullptr);
    EXPECT_EQ(g.viewRow(5), 0);
    EXPECT_EQ(g.CellFromPoint(5, 40), (CellHit{0, 1}));
}

TEST(GridModel, TheLookOfTheGrid) {
    GridModel g;
    EXPECT_EQ(g.Font(), (ui::grid::GridFont{"Verdana", 8.25, false}));
    EXPECT_EQ(g.HeaderHeight(), 18);
    Recorder rec;
    g.addListener(&rec);
    g.Font({"DejaVu Sans", 10, true});
    g.HeaderHeight(22);
    g.DefaultRowHeight(20);
    EXPECT_EQ(g.Font().name, "DejaVu Sans");
    EXPECT_TRUE(g.Font().bold);
    EXPECT_EQ(rec.heard, (std::vector<std::string>{"look", "look", "look"}));
    g.AddColumn("1", "A");
    EXPECT_EQ(g.RowHeight(g.AddRow()), 20);
    EXPECT_THROW(g.DefaultRowHeight(0), GridError);
    EXPECT_THROW(g.HeaderHeight(-1), GridError);
    const size_t heard = rec.heard.size();
    g.removeListener(&rec);
    g.HeaderHeight(18);
    EXPECT_EQ(rec.heard.size(), heard);
}

}  // namespace
