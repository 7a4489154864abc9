// The detail window on the offscreen platform: its controls, its two
// layouts, the buttons and the grid's mouse, and one screenshot per kind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <variant>

#include "DetailTestSupport.h"
#include "detail/FrmDetail.h"
#include "host/Scale.h"
#include "resizer/QResizerWidget.h"
#include "ui/GridItemModel.h"
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
namespace layout = detail::layout;
using Lines = std::vector<std::string>;

// A small result: one table with a column of each kind, a key and an index;
// a view; a procedure with parameters.
TComparisonResult sample() {
    TComparisonResult r;
    TColumnProps id = rb::counter();
    TColumnProps name = rb::text(50);
    name.Description = "The name of the customer, worth knowing about through to its end";
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

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Where the resizer puts a control designed at `twips` when the window's
// client area is `client` pixels: each designed length (whole pixels) in
// twips times the client over the design size, then whole pixels, halves to
// even.
QRect scaledDesign(const layout::Rect& twips, QSize client) {
    const QRect design = ui::twipsRect(twips.left, twips.top, twips.width, twips.height);
    const double rw = client.width() * 15.0 / layout::kClientWidth;
    const double rh = client.height() * 15.0 / layout::kClientHeight;
    auto px = [](int pixels, double ratio) {
        return static_cast<int>(
            host::roundHalfEven(static_cast<float>(pixels * 15 * ratio) / 15.0));
    };
    return {px(design.x(), rw), px(design.y(), rh), px(design.width(), rw),
            px(design.height(), rh)};
}

// Every control's font at that size: the design font by the smaller ratio.
double scaledFont(QSize client) {
    const double rw = client.width() * 15.0 / layout::kClientWidth;
    const double rh = client.height() * 15.0 / layout::kClientHeight;
    const bool widthLarger = static_cast<float>(rw) > static_cast<float>(rh);
    return static_cast<float>(static_cast<float>(layout::kFontSize) * (widthLarger ? rh : rw));
}

// What a person sees of each designed control.
struct Shown {
    QRect geometry;
    bool visible = false;
    double font = 0;
    bool operator==(const Shown&) const = default;
};
void PrintTo(const Shown& s, std::ostream* os) {
    *os << "(" << s.geometry.x() << "," << s.geometry.y() << " " << s.geometry.width() << "x"
        << s.geometry.height() << (s.visible ? " shown" : " hidden") << " font " << s.font << ")";
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        ui::testing::qtApplication();
        options.match = 1;
        w = makeWindow();
    }
    void TearDown() override {
        delete w.data();
        delete other.data();
    }

    FrmDetail* makeWindow() {
        auto* window = new FrmDetail(options, services);
        window->Differences(sample());
        return window;
    }
    ui::grid::GridModel& grid() { return w->DGrid->grid(); }
    QRect twips(int left, int top, int width, int height) {
        return ui::twipsRect(left, top, width, height);
    }
    void showWindow() {
        w->show();
        settle();
    }
    // A client size; as small as the window goes for an empty one.
    void resizeTo(FrmDetail* window, QSize client) {
        window->resize(client.isEmpty() ? QSize(1, 1) : client);
        settle();
    }
    QWidget* control(FrmDetail* window, std::string_view name) {
        return window->findChild<QWidget*>(QString::fromUtf8(name.data(), name.size()));
    }
    std::map<std::string, Shown> shown(FrmDetail* window) {
        std::map<std::string, Shown> out;
        for (const layout::Place& p : layout::kDesign) {
            QWidget* c = control(window, p.control);
            out[std::string(p.control)] = {c->geometry(), !c->isHidden(), c->font().pointSizeF()};
        }
        return out;
    }
    // Every control where the design of `mode` puts it at the present size.
    void expectLayout(Mode mode, const char* when) {
        const QSize client = w->size();
        for (const layout::Place& p : layout::kDesign) {
            QWidget* c = control(w, p.control);
            const std::string what = std::string(p.control) + ", " + when;
            EXPECT_EQ(c->geometry(), scaledDesign(layout::placeIn(mode, p), client)) << what;
            EXPECT_EQ(!c->isHidden(), layout::shownIn(mode, p)) << what;
            EXPECT_DOUBLE_EQ(c->font().pointSizeF(), scaledFont(client)) << what;
            // Scaled apart, neighbours still neither overlap nor leave the window.
            if (c->isHidden()) continue;
            EXPECT_TRUE(w->rect().contains(c->geometry())) << what;
            for (const layout::Place& q : layout::kDesign) {
                QWidget* d = control(w, q.control);
                if (d != c && !d->isHidden()) {
                    EXPECT_FALSE(c->geometry().intersects(d->geometry()))
                        << what << " / " << q.control;
                }
            }
        }
        EXPECT_DOUBLE_EQ(w->DGrid->zoom(), scaledFont(client) / layout::kFontSize) << when;
    }
    // Where row `row` (shown) lies in the grid's viewport, `x` pixels in.
    QPoint rowPoint(int32_t row, int x) {
        const QModelIndex index = w->DGrid->itemModel().index(grid().viewPosition(row), 0);
        return {x, w->DGrid->visualRect(index).center().y()};
    }
    // A real double click: press and release, then the double click and its release.
    void doubleClick(QPoint at) {
        QWidget* v = w->DGrid->viewport();
        QTest::mouseClick(v, Qt::LeftButton, {}, at);
        QTest::mouseDClick(v, Qt::LeftButton, {}, at);
        QTest::mouseRelease(v, Qt::LeftButton, {}, at);
    }
    void screenshot(const char* name) {
        settle();
        const auto file = std::filesystem::current_path() / name;
        EXPECT_TRUE(w->grab().toImage().save(QString::fromStdString(file.string()))) << file;
    }

    detailtest::Options options;
    ui::testing::ScriptedServices services{u"Parabase1"_s};
    QPointer<FrmDetail> w;
    QPointer<FrmDetail> other;
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

    // The resizer with the window's saved settings, and every control at its
    // designed place, the window at its designed size, until it is shown.
    resizer::QResizerWidget* r = w->QResizer1;
    EXPECT_EQ(r->objectName(), "QResizer1");
    EXPECT_TRUE(r->sited());
    EXPECT_EQ(r->MinFormHeight(), 5910);
    EXPECT_EQ(r->MinFormWidth(), 9000);
    EXPECT_EQ(r->FirstHeight(), 5610);
    EXPECT_EQ(r->FirstWidth(), 8880);
    EXPECT_EQ(r->MaxFormHeight(), 0);
    EXPECT_EQ(r->MaxFormWidth(), 0);
    EXPECT_TRUE(r->ResizeFont());
    EXPECT_TRUE(r->Enabled());
    EXPECT_FALSE(r->WorkAtDesignTime());
    EXPECT_FALSE(r->SmartDetect());
    EXPECT_TRUE(r->isHidden());
    EXPECT_EQ(w->size(), QSize(592, 374));
    expectLayout(Mode::Text, "before the first show");
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
    // Before the first show, at the design size: the designed places.
    EXPECT_EQ(w->DGrid->geometry(), twips(120, 600, 8625, 2040));
    w->ShowDetails(okTable, 1);
    EXPECT_EQ(w->layoutMode(), Mode::Table);
    EXPECT_EQ(w->DGrid->geometry(), twips(120, 600, 8650, 4480));
    for (QWidget* c : std::initializer_list<QWidget*>{w->SCmdTxt, w->DCmdTxt, w->Label2, w->Label3,
                                                      w->CmdHdr, w->PAction})
        EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();

    // Shown, the window is kept to its minimum, and every control scaled to it.
    showWindow();
    expectLayout(Mode::Table, "first shown");
    // A second table request leaves the geometry as it is.
    w->ShowDetails(okTable, 1);
    expectLayout(Mode::Table, "a second table");
    w->ShowDetails(okProcedure, 1);
    EXPECT_EQ(w->layoutMode(), Mode::Text);
    expectLayout(Mode::Text, "a procedure after the tables");
}

// The window at sizes around its design, each layout in turn.
struct SizeCase {
    const char* name;
    QSize client;  // empty: as small as the window goes
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class WindowAtSize : public Window, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(WindowAtSize, EachLayoutIsItsDesignScaled) {
    showWindow();
    resizeTo(w, GetParam().client);
    if (!GetParam().client.isEmpty()) {
        ASSERT_EQ(w->size(), GetParam().client);
    }
    expectLayout(Mode::Text, "resized");
    for (auto [kind, mode, when] : {std::tuple{okView, Mode::Text, "a view"},
                                    {okTable, Mode::Table, "a table"},
                                    {okProcedure, Mode::Text, "a procedure"},
                                    {okTable, Mode::Table, "a table again"}}) {
        w->ShowDetails(kind, 1);
        settle();
        expectLayout(mode, when);
    }
    // The grid's rows and header grow with its font.
    const int row = w->DGrid->visualRect(w->DGrid->itemModel().index(0, 0)).height();
    EXPECT_EQ(row, static_cast<int>(std::lround(18 * w->DGrid->zoom())));
    EXPECT_EQ(w->DGrid->header()->height(), row);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowAtSize,
                         ::testing::Values(SizeCase{"Smallest", {}},
                                           SizeCase{"HalfAsLargeAgain", {888, 561}},
                                           SizeCase{"TwiceAsLarge", {1184, 748}},
                                           SizeCase{"WideAndLow", {1300, 450}},
                                           SizeCase{"NarrowAndTall", {640, 800}}),
                         [](const ::testing::TestParamInfo<SizeCase>& c) { return c.param.name; });

// Requests and resizes in any order end where a window that showed the last
// element at once and was then sized ends: switching never drifts, whatever
// the size it happens at.
struct Sequence {
    const char* name;
    std::vector<std::variant<int32_t, QSize>> steps;  // a kind to show, or a client size
};

void PrintTo(const Sequence& c, std::ostream* os) { *os << c.name; }

class SwitchedWindow : public Window, public ::testing::WithParamInterface<Sequence> {};

TEST_P(SwitchedWindow, EndsAsAWindowThatShowedTheLastElementFirst) {
    showWindow();
    int32_t kind = -1;
    QSize size;
    for (const auto& step : GetParam().steps) {
        if (const auto* k = std::get_if<int32_t>(&step)) {
            kind = *k;
            w->ShowDetails(kind, 1);
            settle();
        } else {
            size = std::get<QSize>(step);
            resizeTo(w, size);
        }
    }
    other = makeWindow();
    other->ShowDetails(kind, 1);
    other->show();
    settle();
    resizeTo(other, size);
    ASSERT_EQ(w->size(), other->size());
    EXPECT_EQ(shown(w), shown(other));
    EXPECT_DOUBLE_EQ(w->DGrid->zoom(), other->DGrid->zoom());
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, SwitchedWindow,
    ::testing::Values(Sequence{"TableViewTableProcedureHalfAsLargeAgain",
                               {QSize(888, 561), okTable, okView, okTable, okProcedure}},
                      Sequence{"TableViewTableProcedureAtTheSmallestSize",
                               {okTable, okView, okTable, okProcedure, QSize()}},
                      // Switched while maximised, then restored: the grid's font is the
                      // others' again.
                      Sequence{"SwitchedWhileLargeThenMadeSmallest",
                               {QSize(1920, 1050), okView, okTable, QSize()}},
                      Sequence{"SwitchedWhileWideThenTall",
                               {QSize(1300, 450), okTable, QSize(640, 800), okProcedure, okTable}},
                      Sequence{"SwitchedAtManySizes",
                               {QSize(700, 500), okTable, QSize(1000, 420), okView, QSize(620, 900),
                                okTable, QSize(1500, 1000), okProcedure, QSize(888, 561)}}),
    [](const ::testing::TestParamInfo<Sequence>& c) { return c.param.name; });

TEST_F(Window, TheMinimumSizeHolds) {
    showWindow();
    // The minimum is the outer size, frame included.
    const QSize minimum(9000 / 15, 5910 / 15);
    EXPECT_EQ(w->frameGeometry().size(), minimum);
    w->ShowDetails(okProcedure, 1);
    for (QSize asked : {QSize(300, 200), QSize(300, 700), QSize(900, 100), QSize(599, 393)}) {
        resizeTo(w, asked);
        const QSize outer = w->frameGeometry().size();
        EXPECT_EQ(outer.width(),
                  std::max(minimum.width(), asked.width() + outer.width() - w->width()));
        EXPECT_EQ(outer.height(),
                  std::max(minimum.height(), asked.height() + outer.height() - w->height()));
        expectLayout(Mode::Text, "asked for less than the minimum");
    }
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

// The glyph's zone at a zoom where every length is whole: 1.5 and 2 times
// the design. A glyph spans 16 of the model's pixels after its indent.
struct GlyphCase {
    const char* name;
    QSize client;
    int groupInside, groupOutside;  // the group row (indent 0)
    int itemInside, itemOutside;    // an item row (indent 18)
};

void PrintTo(const GlyphCase& c, std::ostream* os) { *os << c.name; }

class GlyphAtSize : public Window, public ::testing::WithParamInterface<GlyphCase> {};

TEST_P(GlyphAtSize, APressTogglesANodeOnlyWithinItsGlyph) {
    const GlyphCase& c = GetParam();
    showWindow();
    resizeTo(w, c.client);
    w->ShowDetails(okTable, 1);
    QWidget* v = w->DGrid->viewport();
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(1, c.groupOutside));
    EXPECT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Collapsed);
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(1, c.groupInside));
    EXPECT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Expanded);
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(2, c.itemOutside));
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Collapsed);
    QTest::mouseClick(v, Qt::RightButton, {}, rowPoint(2, c.itemInside));
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Collapsed);
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(2, c.itemInside));
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Expanded);
    QTest::mouseClick(v, Qt::LeftButton, {}, rowPoint(1, c.groupInside / 3));
    EXPECT_EQ(detailtest::rows(grid(), true), (Lines{"0 Columns", "0 Keys", "0 Indexes"}));
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, GlyphAtSize,
    ::testing::Values(GlyphCase{"HalfAsLargeAgain", {888, 561}, 23, 24, 50, 51},
                      GlyphCase{"TwiceAsLarge", {1184, 748}, 31, 32, 67, 68}),
    [](const ::testing::TestParamInfo<GlyphCase>& c) { return c.param.name; });

TEST_F(Window, TheGlyphIsFoundWhereColumnOneHasScrolledTo) {
    showWindow();
    resizeTo(w, {888, 561});  // the grid drawn half as large again
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    w->CmdCollapse_Click();
    grid().ColumnWidth(1, 700);  // wider than the grid, so that it scrolls
    settle();
    w->DGrid_MouseDown(1, 0, 15 * 5, 15 * 27);  // row 1 (header 18 + 9), column 1
    ASSERT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Expanded);
    QScrollBar* bar = w->DGrid->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the grid's columns are wider than the grid";
    bar->setValue(15);  // 10 of the grid's own pixels
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

// Opened, the window has the focus in its grid, whichever kind it shows: the
// keys open and close its nodes at once.
TEST_F(Window, OpensWithTheFocusInItsGrid) {
    for (const int32_t kind : {okTable, okView, okProcedure}) {
        SCOPED_TRACE(kind);
        QPointer<FrmDetail> window = makeWindow();
        window->ShowDetails(kind, 1);
        window->show();
        QApplication::setActiveWindow(window);
        settle();
        EXPECT_EQ(window->focusWidget(), window->DGrid);
        EXPECT_EQ(QApplication::focusWidget(), window->DGrid);
        delete window.data();
    }
}

TEST_F(Window, TheGridOpensAndClosesFromTheKeyboard) {
    showWindow();
    w->ShowDetails(okTable, 1);
    QApplication::setActiveWindow(w);
    w->DGrid->setFocus();
    QTest::mouseClick(w->DGrid->viewport(), Qt::LeftButton, {}, rowPoint(1, 120));
    ASSERT_EQ(grid().SelectedRow(), 1);  // "Columns"
    const auto key = [&](Qt::Key k) {
        QTest::keyClick(w->DGrid, k);
        settle();
    };
    key(Qt::Key_Right);
    EXPECT_EQ(grid().CellExtraIcon(1, 1), detail::icon::Expanded);
    EXPECT_EQ(w->DGrid->model()->rowCount(), 3 + 6);  // the six columns shown
    key(Qt::Key_Right);                               // to "CustomerID"
    EXPECT_EQ(grid().SelectedRow(), 2);
    key(Qt::Key_Plus);
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Expanded);
    key(Qt::Key_Minus);
    EXPECT_EQ(grid().CellExtraIcon(2, 1), detail::icon::Collapsed);
    key(Qt::Key_Left);  // back to "Columns"
    EXPECT_EQ(grid().SelectedRow(), 1);
    key(Qt::Key_Left);
    EXPECT_EQ(detailtest::rows(grid(), true), (Lines{"0 Columns", "0 Keys", "0 Indexes"}));
    EXPECT_EQ(w->DGrid->currentIndex().row(), 0);
}

TEST_F(Window, EscapeClosesTheWindowAsCloseDoes) {
    showWindow();
    w->ShowDetails(okTable, 1);
    QApplication::setActiveWindow(w);
    w->DGrid->setFocus();
    QTest::keyClick(w->DGrid, Qt::Key_Escape);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
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

// One picture per kind, at the smallest size (the design size, as far as
// the minimum allows) and half as large again; one wide and low.
TEST_F(Window, Screenshots) {
    showWindow();
    for (auto [client, suffix] : {std::pair{QSize(), ""}, {QSize(888, 561), "-large"}}) {
        resizeTo(w, client);
        w->ShowDetails(okTable, 1);
        w->CmdExpand_Click();
        screenshot(("FrmDetail-table" + std::string(suffix) + ".png").c_str());
        w->ShowDetails(okView, 1);
        screenshot(("FrmDetail-view" + std::string(suffix) + ".png").c_str());
        w->ShowDetails(okProcedure, 1);
        w->CmdExpand_Click();
        screenshot(("FrmDetail-procedure" + std::string(suffix) + ".png").c_str());
    }
    resizeTo(w, {1300, 450});
    screenshot("FrmDetail-procedure-wide.png");
    // A value wider than its column, cut at its end.
    resizeTo(w, {});
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    for (int32_t r = 1; r <= grid().Rows(); ++r)
        if (grid().CellText(r, detail::col::Source).value_or("").starts_with("The name of")) {
            w->DGrid->scrollTo(w->DGrid->itemModel().index(grid().viewPosition(r), 0),
                               QAbstractItemView::PositionAtCenter);
            grid().SelectedRow(r);
        }
    screenshot("FrmDetail-table-long-value.png");
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

// The report is the tree as the grid holds it, not as large as the window
// draws it: the same at any size.
TEST_F(Window, TheReportIsTheSameAtAnySize) {
    ui::QtTextMetrics metrics;
    report::Document preview(metrics);
    w->Preview = &preview;
    w->ReportImageFolder = QStringLiteral(PARABASE_PROGRAM_DIR "/Detail Images");
    showWindow();
    w->ShowDetails(okTable, 1);
    w->CmdExpand_Click();
    std::vector<std::vector<std::string>> printed;
    for (QSize client : {QSize(), QSize(1184, 748), QSize(1300, 450)}) {
        resizeTo(w, client);
        services.expectPreview();
        w->CmdPrint_Click();
        services.verify();
        printed.push_back(services.previewsShown().back().describe());
    }
    EXPECT_EQ(printed[1], printed[0]);
    EXPECT_EQ(printed[2], printed[0]);
}

}  // namespace
