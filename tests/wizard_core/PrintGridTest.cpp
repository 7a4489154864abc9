#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "wizard_core/MFunctions.h"
#include "wizard_core/PrintableGridModel.h"

namespace {

using wizard::MFunctions::PrintGrid;
using Lines = std::vector<std::string>;

struct Cell {
    std::optional<std::string> text;
    int32_t icon = -1, extraIcon = -1, indent = 0;
};

struct Column {
    std::string header;
    int32_t width;
    bool visible = true;
};

struct Row {
    std::vector<Cell> cells;
    bool visible = true;
    int32_t height = 18;
};

// A grid held in tables, numbered from 1 as the real one.
class FakeGrid : public wizard::PrintableGrid {
public:
    std::vector<Column> columns;
    std::vector<Row> rows;
    report::Font font{"Verdana", 8.25, false};
    int32_t headerHeight = 18;

    report::Font Font() const override { return font; }
    int32_t HeaderHeight() const override { return headerHeight; }
    int32_t Columns() const override { return static_cast<int32_t>(columns.size()); }
    bool ColumnVisible(int32_t c) const override { return column(c).visible; }
    int32_t ColumnWidth(int32_t c) const override { return column(c).width; }
    std::string ColumnHeader(int32_t c) const override { return column(c).header; }
    int32_t Rows() const override { return static_cast<int32_t>(rows.size()); }
    bool RowVisible(int32_t r) const override { return row(r).visible; }
    int32_t RowHeight(int32_t r) const override { return row(r).height; }
    int32_t CellIndent(int32_t r, int32_t c) const override { return cell(r, c).indent; }
    int32_t CellExtraIcon(int32_t r, int32_t c) const override { return cell(r, c).extraIcon; }
    int32_t CellIcon(int32_t r, int32_t c) const override { return cell(r, c).icon; }
    std::optional<std::string> CellText(int32_t r, int32_t c) const override {
        return cell(r, c).text;
    }

private:
    const Column& column(int32_t c) const { return columns.at(static_cast<size_t>(c - 1)); }
    const Row& row(int32_t r) const { return rows.at(static_cast<size_t>(r - 1)); }
    const Cell& cell(int32_t r, int32_t c) const {
        return row(r).cells.at(static_cast<size_t>(c - 1));
    }
};

class FakeImageList : public wizard::PrintableImageList {
public:
    std::string Name() const override { return "MGridImg"; }
    int32_t IconWidth() const override { return 16; }
};

class PrintGridTest : public ::testing::Test {
protected:
    PrintGridTest() { grid.columns = {{"Name", 100}, {"Hidden", 40, false}, {"Diff", 80}}; }
    // A row of `n` plain rows with a text in the first column.
    void plainRows(int n) {
        for (int i = 1; i <= n; ++i) grid.rows.push_back({{{"r" + std::to_string(i)}, {}, {}}});
    }
    std::vector<size_t> textsPerPage() const {
        std::vector<size_t> out;
        for (const report::Page& page : r.doc.pages()) {
            size_t n = 0;
            for (const report::Item& item : page.items) n += item.index() == 0;
            out.push_back(n);
        }
        return out;
    }

    wizardtest::SmallReport r;
    FakeGrid grid;
    FakeImageList images;
};

// Columns of 100 and 80 pixels are 1500 and 1200 twips; rows and the header
// band 18 pixels, 270 twips.
TEST_F(PrintGridTest, PrintsTheHeaderBandAndEachShownRow) {
    grid.rows = {
        {{{"Tables", 2, 0, 18}, {"hidden column"}, {"Error 448"}}},
        {{{"hidden row"}, {}, {"x"}}, false},
        {{{std::nullopt, 9}, {}, {""}}},
    };
    r.doc.ForeColor(report::kGrey);
    r.doc.CurrentY(400);  // below the caller's heading
    PrintGrid(r.doc, grid, images, "/opt/parabase/Main Images");
    EXPECT_EQ(r.doc.describe(),
              (Lines{
                  "box 0,400-1500,670 fill #B0B0B0",
                  "box 0,400-1500,670 frame #000000",
                  "text 550,400 \"Name\"",
                  "box 1500,400-2700,670 fill #B0B0B0",
                  "box 1500,400-2700,670 frame #000000",
                  "text 1900,400 \"Diff\"",
                  // Row 1: indent 18, extra icon 0, icon 2, then the text.
                  "box 0,670-1500,940 fill #FFFFFF",
                  "box 0,670-1500,940 frame #000000",
                  "picture \"/opt/parabase/Main Images/1.bmp\" 300,685 or MGridImg#0",
                  "picture \"/opt/parabase/Main Images/3.bmp\" 540,685 or MGridImg#2",
                  "text 795,670 \"Tables\"",
                  "box 1500,670-2700,940 fill #FFFFFF",
                  "box 1500,670-2700,940 frame #000000",
                  // A table may be named so: a text that is there is printed.
                  "text 1672.5,670 \"Error 448\"",
                  // Row 3: an icon without text, and an empty text.
                  "box 0,940-1500,1210 fill #FFFFFF",
                  "box 0,940-1500,1210 frame #000000",
                  "picture \"/opt/parabase/Main Images/10.bmp\" 30,955 or MGridImg#9",
                  "box 1500,940-2700,1210 fill #FFFFFF",
                  "box 1500,940-2700,1210 frame #000000",
                  "text 2122.5,940 \"\"",
                  "text 700,1800 \"Page 1\" #B0B0B0",
              }));
    EXPECT_EQ(r.doc.CurrentX(), 0);
    EXPECT_EQ(r.doc.CurrentY(), 1210);
    EXPECT_EQ(r.doc.ForeColor(), report::kBlack);
    const auto& text = std::get<report::TextItem>(r.doc.pages()[0].items[2]);
    EXPECT_EQ(text.font, grid.font);
}

TEST_F(PrintGridTest, PlacesIconAndTextByIndentInPixels) {
    grid.columns = {{"Name", 100}};
    grid.rows = {{{{"Orders", 2, -1, 18}}}};
    PrintGrid(r.doc, grid, images, "F");
    const Lines lines = r.doc.describe();
    // 18 + 2 pixels right of the cell's edge and 1 below its top; the text
    // 18 + 16 + 3 pixels right of the edge.
    EXPECT_EQ(lines[5], "picture \"F/3.bmp\" 300,285 or MGridImg#2");
    EXPECT_EQ(lines[6], "text 555,270 \"Orders\"");
}

TEST_F(PrintGridTest, CellTextIsCutToTheWidthLeftInTheCell) {
    grid.columns = {{"Name", 20}, {"Diff", 20}};
    grid.rows = {{{{"abcdef"}, {"ab cd"}}}};
    PrintGrid(r.doc, grid, images, "F");
    const Lines lines = r.doc.describe();
    // 300 twips less 45 leave 255: two characters of the first column, left;
    // the second breaks at its blank and is centred in what is left.
    EXPECT_EQ(lines[8], "text 45,270 \"ab\"");
    EXPECT_EQ(lines[11], "text 372.5,270 \"ab\"");
}

TEST_F(PrintGridTest, BreaksPagesWhenThreeMoreRowsMightNotFit) {
    grid.columns = {{"Name", 100}};
    plainRows(7);
    PrintGrid(r.doc, grid, images, "F");
    // Page 1: the header and rows at 270 … 1350 (1350 + 810 passes 2000),
    // then its footer; page 2: rows 6 and 7 and the closing footer.
    EXPECT_EQ(textsPerPage(), (std::vector<size_t>{1 + 5 + 1, 2 + 1}));
    const Lines lines = r.doc.describe();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "text 700,1800 \"Page 1\" #B0B0B0"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "text 45,0 \"r6\""), lines.end());
    EXPECT_EQ(lines.back(), "text 700,1800 \"Page 2\" #B0B0B0");
    EXPECT_EQ(r.doc.CurrentY(), 540);
}

TEST_F(PrintGridTest, TheLastRowClosesThePageEvenWhenHidden) {
    plainRows(2);
    grid.rows[1].visible = false;
    PrintGrid(r.doc, grid, images, "F");
    const Lines lines = r.doc.describe();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "text 700,1800 \"Page 1\" #B0B0B0"), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("text 45,"); }),
              1);
    EXPECT_EQ(r.doc.CurrentY(), 540);
}

TEST_F(PrintGridTest, AGridWithoutRowsPrintsTheHeaderOnly) {
    PrintGrid(r.doc, grid, images, "F");
    EXPECT_EQ(r.doc.describe().size(), 6u);
    EXPECT_EQ(r.doc.CurrentY(), 270);
}

}  // namespace

// The windows print their real grid through its adapter: the same cells give
// the same report as the table-held grid above.
TEST_F(PrintGridTest, TheGridModelPrintsThroughItsAdapterAsItHoldsIt) {
    grid.rows = {
        {{{"Tables", 2, 0, 18}, {"hidden column"}, {"Error 448"}}},
        {{{"hidden row"}, {}, {"x"}}, false},
        {{{std::nullopt, 9}, {}, {""}}},
    };
    ui::grid::GridModel model;
    for (const Column& column : grid.columns)
        model.AddColumn(column.header, column.header, ui::grid::HeaderAlign::Left, -1, column.width,
                        column.visible);
    for (const Row& row : grid.rows) {
        const int32_t n = model.AddRow(row.visible);
        for (int32_t c = 1; c <= model.Columns(); ++c) {
            const Cell& cell = row.cells.at(static_cast<size_t>(c - 1));
            model.CellDetails(n, c, cell.text, ui::grid::align::Left, cell.icon, cell.indent,
                              cell.extraIcon);
        }
    }
    wizardtest::SmallReport fromModel;
    PrintGrid(r.doc, grid, images, "/opt/parabase/Main Images");
    PrintGrid(fromModel.doc, wizard::PrintableGridModel(model),
              wizard::PrintableImages("MGridImg", 16), "/opt/parabase/Main Images");
    EXPECT_EQ(fromModel.doc.describe(), r.doc.describe());
}
