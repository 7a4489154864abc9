// The detail window on the offscreen platform: its controls, its two
// layouts, the buttons and the grid's mouse, and one screenshot per kind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "DetailTestSupport.h"
#include "detail/FrmDetail.h"
#include "ui/ImageLookup.h"
#include "ui/Label.h"
#include "ui/LineHeader.h"
#include "ui/MultiLineTextBox.h"
#include "ui/PictureBox.h"
#include "ui/ReportRenderer.h"
#include "ui/ToolButton.h"
#include "ui/TreeGrid.h"
#include "ui/Twips.h"
#include "ui/images/ImageList.h"
#include "ui/testing/QtTestApplication.h"
#include "ui/testing/ScriptedServices.h"

using namespace Qt::StringLiterals;

namespace {

using namespace engine;
using detail::FrmDetail;
using detail::layout::Mode;
using Lines = std::vector<std::string>;

// A small result: one table with a column of each kind, a key and an index;
// a view; a procedure with parameters.
TComparisonResult sample() {
    TComparisonResult r;
    TColumnProps id = rb::counter();
    TColumnProps name = rb::text(50);
    name.Description = "Customer name";
    TColumnProps wider = name;
    wider.DefinedSize = 80;
    wider.AllowZeroLength = true;
    TColumnProps amount = rb::type(6, 8);
    amount.Default = "0";
    r.Tables =
        rb::arr({rb::table(
            "Customers", acDifferent, false,
            {rb::both("CustomerID", id, id, acEqual), rb::both("CompanyName", name, wider),
             rb::both("Qty", rb::integer(), rb::integer(), acEqual, "Quantity"),
             rb::sourceOnly("Fax", rb::text(24)), rb::destinationOnly("Email", rb::text(100)),
             rb::both("Balance", amount, amount, acEqual)},
            {rb::key("PrimaryKey", acEqual, rb::keyHalf(1, {"CustomerID"}),
                     rb::keyHalf(1, {"CustomerID"})),
             rb::key("CustomersRegion", acOnlyInSource,
                     [] {
                         TKeyProps p = rb::foreignHalf("Regions", {{"RegionID", "ID"}}, 1, 0);
                         p.Columns[1].Action = acOnlyInSource;
                         return p;
                     }(),
                     {})},
            {rb::index("PrimaryKey", acEqual, rb::indexHalf({{"CustomerID", 1}}, true, true, 1),
                       rb::indexHalf({{"CustomerID", 1}}, true, true, 1)),
             rb::index("CompanyName", acDifferent, rb::indexHalf({{"CompanyName", 1}}),
                       rb::indexHalf({{"CompanyName", 2}}))})});
    r.Views = rb::arr({rb::view("Current Product List", acDifferent, false,
                                "SELECT ProductID, ProductName\r\nFROM Products\r\nWHERE "
                                "Discontinued = False;",
                                "SELECT ProductID, ProductName, UnitPrice\r\nFROM Products\r\n"
                                "WHERE Discontinued = False\r\nORDER BY ProductName;")});
    TProcedure p = rb::procedure("Sales by Year", acDifferent, false,
                                 "PARAMETERS [Beginning Date] DateTime, [Ending Date] DateTime;\r\n"
                                 "SELECT OrderID, ShippedDate FROM Orders\r\nWHERE ShippedDate "
                                 "Between [Beginning Date] And [Ending Date];",
                                 "PARAMETERS [Beginning Date] DateTime, [Ending Date] Text ( 20 "
                                 ");\r\nSELECT OrderID, ShippedDate FROM Orders\r\nWHERE "
                                 "ShippedDate Between [Beginning Date] And [Ending Date];");
    p.Source.Parameters.Append() = TParameter{"Beginning Date", 7, 8, acEqual};
    p.Source.Parameters.Append() = TParameter{"Ending Date", 7, 8, acDifferent};
    p.Destination.Parameters.Append() = TParameter{"Beginning Date", 7, 8, acEqual};
    p.Destination.Parameters.Append() = TParameter{"Ending Date", 202, 20, acDifferent};
    p.Destination.Parameters.Append() = TParameter{"Region", 202, 15, acOnlyInDestination};
    r.Procedures = rb::arr({p});
    return r;
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ui::testing::qtApplication();
        options.match = 1;
        w = new FrmDetail(options, services);
        w->Differences(sample());
    }
    void TearDown() override { delete w.data(); }

    ui::grid::GridModel& grid() { return w->DGrid->grid(); }
    QRect twips(int left, int top, int width, int height) {
        return ui::twipsRect(left, top, width, height);
    }
    void showWindow() {
        w->show();
        QApplication::processEvents();
    }
    // Where row `row` (shown) lies in the grid's viewport.
    QPoint rowPoint(int32_t row, int x) {
        const int32_t position = grid().viewPosition(row);
        return {x, position * grid().DefaultRowHeight() + grid().DefaultRowHeight() / 2};
    }
    // A real double click: press and release, then the double click and its release.
    void doubleClick(QPoint at) {
        QWidget* v = w->DGrid->viewport();
        QTest::mouseClick(v, Qt::LeftButton, {}, at);
        QTest::mouseDClick(v, Qt::LeftButton, {}, at);
        QTest::mouseRelease(v, Qt::LeftButton, {}, at);
    }
    void screenshot(const char* name) {
        QApplication::processEvents();
        const auto file = std::filesystem::current_path() / name;
        EXPECT_TRUE(w->grab().toImage().save(QString::fromStdString(file.string()))) << file;
    }

    detailtest::Options options;
    ui::testing::ScriptedServices services{u"Parabase1"_s};
    QPointer<FrmDetail> w;
};

TEST_F(Window, LoadsWithItsColumnsAndControls) {
    EXPECT_EQ(w->windowTitle(), "Details");
    EXPECT_EQ(w->DetailKind(), 0);
    EXPECT_EQ(w->DetailIndex(), 0);
    ui::grid::GridModel& g = grid();
    ASSERT_EQ(g.Columns(), 6);
    const char* headers[] = {"Object / Property", "Source Value", "Action",
                             "Destination Value", "Level",        "Visible"};
    const int32_t widths[] = {250, 125, 50, 125};
    for (int32_t c = 1; c <= 6; ++c) {
        EXPECT_EQ(g.ColumnKey(c), std::to_string(c));
        EXPECT_EQ(g.ColumnHeader(c), headers[c - 1]);
        EXPECT_EQ(g.ColumnVisible(c), c <= 4);
        if (c <= 4) {
            EXPECT_EQ(g.ColumnWidth(c), widths[c - 1]);
        }
    }
    EXPECT_EQ(g.HeaderHeight(), 18);
    EXPECT_EQ(g.Rows(), 0);
    EXPECT_EQ(w->DGrid->ImageList(), w->DGridImg);
    EXPECT_EQ(w->DGridImg->Count(), 12);
    EXPECT_EQ(w->FrmImg->Count(), 3);

    struct Caption {
        ui::ToolButton* button;
        const char* caption;
        const char* tip;
    };
    for (const Caption& c :
         {Caption{w->CmdExpand, "Expand All", "Expand all nodes in grid..."},
          Caption{w->CmdCollapse, "Collapse All", "Collapse all nodes in grid..."},
          Caption{w->CmdPrint, "Print", "Print comparison details..."},
          Caption{w->CmdClose, "Close", ""}}) {
        EXPECT_EQ(c.button->Caption(), c.caption);
        EXPECT_EQ(c.button->toolTip(), c.tip);
    }
    EXPECT_EQ(w->Label2->Caption(), "Source");
    EXPECT_EQ(w->Label3->Caption(), "Destination");
    EXPECT_EQ(w->CmdHdr->Caption(), "Command Text");
    EXPECT_EQ(w->size(), QSize(592, 374));
    EXPECT_EQ(w->minimumSize(), QSize(592, 374));
}

TEST_F(Window, AViewShowsItsTextsReadOnlyWithThePictureBetween) {
    w->ShowDetails(okView, 1);
    EXPECT_EQ(w->windowTitle(), "Details of View (Current Product List)");
    EXPECT_EQ(w->SCmdTxt->Text(), QString::fromStdString(sample().Views[1].Source.CommandText));
    EXPECT_EQ(w->DCmdTxt->Text(),
              QString::fromStdString(sample().Views[1].Destination.CommandText));
    EXPECT_TRUE(w->SCmdTxt->isReadOnly());
    EXPECT_TRUE(w->DCmdTxt->isReadOnly());
    EXPECT_EQ(w->PAction->Picture().toImage(),
              w->DGridImg->pixmap(detail::icon::Different, w->devicePixelRatioF()).toImage());
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_EQ(grid().Rows(), 0);
}

TEST_F(Window, ATableTakesTheCommandTextAreaAndGivesItBack) {
    showWindow();
    const QRect designed = twips(120, 600, 8625, 2040);
    EXPECT_EQ(w->DGrid->geometry(), designed);
    EXPECT_TRUE(w->DCmdTxt->isVisible());

    w->ShowDetails(okTable, 1);
    EXPECT_EQ(w->layoutMode(), Mode::Table);
    EXPECT_EQ(w->DGrid->geometry(), twips(120, 600, 8650, 4480));
    for (QWidget* c : std::initializer_list<QWidget*>{w->SCmdTxt, w->DCmdTxt, w->Label2, w->Label3,
                                                      w->CmdHdr, w->PAction})
        EXPECT_FALSE(c->isVisible()) << c->objectName().toStdString();
    // A second table request leaves the geometry as it is.
    w->ShowDetails(okTable, 1);
    EXPECT_EQ(w->DGrid->geometry(), twips(120, 600, 8650, 4480));

    w->ShowDetails(okProcedure, 1);
    EXPECT_EQ(w->layoutMode(), Mode::Text);
    EXPECT_EQ(w->DGrid->geometry(), designed);
    EXPECT_TRUE(w->DCmdTxt->isVisible());
    EXPECT_TRUE(w->PAction->isVisible());
}

TEST_F(Window, TheLayoutScalesWithTheWindowAndComesBackAtItsDesignSize) {
    showWindow();
    w->ShowDetails(okView, 1);
    w->resize(888, 561);
    QApplication::processEvents();
    EXPECT_EQ(w->DGrid->geometry(), QRect(12, 60, 863, 204));
    EXPECT_EQ(w->CmdClose->geometry().right(), 874);
    w->resize(300, 200);  // below the minimum
    QApplication::processEvents();
    EXPECT_EQ(w->size(), QSize(592, 374));
    EXPECT_EQ(w->DGrid->geometry(), twips(120, 600, 8625, 2040));
}

TEST_F(Window, RequestsThatNameNoElementLeaveTheRestAsItWas) {
    w->ShowDetails(okView, 1);
    const QString title = w->windowTitle();
    const QString text = w->SCmdTxt->Text();
    for (auto [kind, index] : {std::pair{okUser, 1}, {okGroup, 1}, {okView, 2}, {okTable, 0}}) {
        w->ShowDetails(kind, index);
        EXPECT_EQ(w->windowTitle(), title);
        EXPECT_EQ(w->SCmdTxt->Text(), text);
        EXPECT_EQ(w->layoutMode(), Mode::Text);
        EXPECT_EQ(grid().Rows(), 0);
    }
}

TEST_F(Window, ExpandAllAndCollapseAllButtons) {
    showWindow();
    w->ShowDetails(okTable, 1);
    QTest::mouseClick(w->CmdExpand, Qt::LeftButton);
    EXPECT_EQ(grid().viewRowCount(), grid().Rows());
    EXPECT_EQ(w->DGrid->model()->rowCount(), grid().Rows());
    QTest::mouseClick(w->CmdCollapse, Qt::LeftButton);
    EXPECT_EQ(detailtest::rows(grid(), true), (Lines{"0 Columns", "0 Keys", "0 Indexes"}));
    EXPECT_EQ(w->DGrid->model()->rowCount(), 3);
}

TEST_F(Window, APressOnAGlyphTogglesItsNodeOnlyWithinTheGlyph) {
    showWindow();
    w->ShowDetails(okTable, 1);
    QWidget* v = w->DGrid->viewport();
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(1, 15));
    EXPECT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Expanded);
    // The first column row sits one level in: its glyph spans 18 to 33.
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(2, 34));
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Collapsed);
    QTest::mouseClick(v, Qt::RightButton, {}, rowPoint(2, 20));
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Collapsed);
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(2, 33));
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Expanded);
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(1, 5));
    EXPECT_EQ(detailtest::rows(grid(), true), (Lines{"0 Columns", "0 Keys", "0 Indexes"}));
}

TEST_F(Window, TheGlyphIsFoundWhereColumnOneHasScrolledTo) {
    showWindow();
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    w->CmdCollapse_Click();
    grid().ColumnWidth(1, 700);  // wider than the grid, so that it scrolls
    QApplication::processEvents();
    w->DGrid_MouseDown(1, 0, 15 * 5, 15 * 27);  // row 1 (header 18 + 9), column 1
    ASSERT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Expanded);
    QScrollBar* bar = w->DGrid->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the grid's columns are wider than the grid";
    bar->setValue(10);
    // Row 2's glyph now ends 10 pixels further left: 23 lies on it, 24 not.
    w->DGrid_MouseDown(1, 0, 15 * 24, 15 * 45);
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Collapsed);
    w->DGrid_MouseDown(1, 0, 15 * 23, 15 * 45);
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Expanded);
}

TEST_F(Window, ADoubleClickTogglesOnceOnTheGlyphAndOnTheCaption) {
    showWindow();
    w->ShowDetails(okTable, 1);
    doubleClick(rowPoint(1, 8));  // on the glyph
    EXPECT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Expanded);
    doubleClick(rowPoint(2, 120));  // on the caption
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Expanded);
    // On a property row or the action column nothing happens.
    const int32_t before = grid().viewRowCount();
    doubleClick(rowPoint(3, 120));
    doubleClick(rowPoint(2, 250 + 125 + 25));
    EXPECT_EQ(grid().viewRowCount(), before);
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Expanded);
}

TEST_F(Window, CloseDeletesTheWindow) {
    showWindow();
    QTest::mouseClick(w->CmdClose, Qt::LeftButton);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

TEST_F(Window, AWideTableAndALongViewShow) {
    TComparisonResult r;
    TTable t = rb::table("Wide", acDifferent, false, {});
    for (int i = 1; i <= 255; ++i)
        t.Columns.Append() = rb::both("Column" + std::to_string(i), rb::text(i), rb::text(i));
    r.Tables = rb::arr({t});
    std::string text;
    while (text.size() < 64 * 1024)
        text += "SELECT Field" + std::to_string(text.size()) + " FROM Somewhere\r\n";
    r.Views = rb::arr({rb::view("Long", acEqual, false, text, text)});
    w->Differences(r);
    showWindow();
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    EXPECT_EQ(w->DGrid->model()->rowCount(), 1 + 255 * 13);
    w->DGrid->scrollToBottom();
    QApplication::processEvents();
    w->ShowDetails(okView, 1);
    EXPECT_EQ(w->SCmdTxt->Text().size(), static_cast<qsizetype>(text.size()));
    EXPECT_EQ(w->SCmdTxt->document()->blockCount(),
              1 + static_cast<int>(std::count(text.begin(), text.end(), '\n')));
}

// One picture per kind, at the design size and half as large again.
TEST_F(Window, Screenshots) {
    showWindow();
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    screenshot("FrmDetail-table.png");
    w->ShowDetails(okView, 1);
    screenshot("FrmDetail-view.png");
    w->ShowDetails(okProcedure, 1);
    w->CmdExpand_Click();
    screenshot("FrmDetail-procedure.png");
    w->resize(888, 561);
    screenshot("FrmDetail-procedure-large.png");
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    screenshot("FrmDetail-table-large.png");
}

}  // namespace

namespace {

TEST_F(Window, PrintShowsTheReportInTheLentPreview) {
    ui::QtTextMetrics metrics;
    report::Document preview(metrics);
    w->ShowDetails(okView, 1);
    w->CmdPrint_Click();  // nothing lent yet: nothing to print on
    EXPECT_TRUE(services.previewsShown().empty());

    w->Preview = &preview;
    w->ReportImageFolder = QStringLiteral(PARABASE_PROGRAM_DIR "/Detail Images");
    services.expectPreview({[](const report::Document& d) {
        EXPECT_EQ(d.DocumentTitle(), "Details of View (Current Product List) Report");
    }});
    QTest::mouseClick(w->CmdPrint, Qt::LeftButton);
    services.verify();
    ASSERT_EQ(services.previewsShown().size(), 1u);
    const report::Document& shown = services.previewsShown()[0];
    bool picture = false;
    for (const std::string& line : shown.describe())
        picture = picture || line.find("Detail Images/4.bmp\"") != std::string::npos;
    EXPECT_TRUE(picture);

    // A table, expanded, as a person would see it on paper.
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    services.expectPreview();
    w->CmdPrint_Click();
    services.verify();
    const ui::ImageLookup& images = ui::programImages();
    for (int page = 0; page < 2; ++page) {
        const QImage image = ui::renderPage(services.previewsShown().back(), page, 72, &images);
        ASSERT_FALSE(image.isNull());
        const auto file = std::filesystem::current_path() /
                          ("FrmDetail-report-" + std::to_string(page + 1) + ".png");
        EXPECT_TRUE(image.save(QString::fromStdString(file.string())));
    }
    // And a procedure with its texts.
    w->ShowDetails(okProcedure, 1);
    w->CmdExpand_Click();
    services.expectPreview();
    w->CmdPrint_Click();
    const QImage image = ui::renderPage(services.previewsShown().back(), 0, 72, &images);
    EXPECT_TRUE(image.save(QString::fromStdString(
        (std::filesystem::current_path() / "FrmDetail-report-procedure.png").string())));
}

}  // namespace
