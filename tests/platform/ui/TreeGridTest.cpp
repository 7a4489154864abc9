#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeySequence>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <filesystem>
#include <iostream>

#include "ui/GridDelegate.h"
#include "ui/GridItemModel.h"
#include "ui/TreeGrid.h"
#include "ui/Twips.h"
#include "ui/grid/TreeKeys.h"
#include "ui/images/ImageList.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace ui::grid {
void PrintTo(const CellHit& hit, std::ostream* os) {
    *os << "row " << hit.row << ", column " << hit.column;
}
}  // namespace ui::grid

namespace {

using ui::grid::CellHit;
using ui::grid::GridModel;
using ui::grid::HeaderAlign;

// Counts what QAbstractItemModelTester reports (it warns in this mode).
struct TesterFailures {
    static inline int count = 0;
    static inline QtMessageHandler previous = nullptr;
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
        if (type != QtDebugMsg && msg.contains(u"FAIL"_s)) {
            ++count;
            ADD_FAILURE() << msg.toStdString();
        }
        if (previous) previous(type, context, msg);
    }
    TesterFailures() {
        count = 0;
        previous = qInstallMessageHandler(handler);
    }
    ~TesterFailures() { qInstallMessageHandler(previous); }
};

// The results grid: five shown columns, five hidden ones holding item data.
void addResultColumns(GridModel& g) {
    g.AddColumn("1", "Object", HeaderAlign::Centre, -1, 230);
    g.AddColumn("2", "Source Db", HeaderAlign::Centre, -1, 100);
    g.AddColumn("3", "Action", HeaderAlign::Centre, -1, 50);
    g.AddColumn("4", "Destination Db", HeaderAlign::Centre, -1, 100);
    g.AddColumn("5", "Script", HeaderAlign::Centre, -1, 50);
    for (const char* name : {"Level", "Visible", "Type", "Index", "MainRowIndex"})
        g.AddColumn(std::to_string(g.Columns() + 1), name, HeaderAlign::Left, -1, -1, false);
}

int centring(GridModel& g, int column) { return (g.ColumnWidth(column) - 18) / 2; }

// One category row and its objects, as the results page writes them.
void addCategory(GridModel& g, const std::string& caption, int kindIcon, int kind,
                 const std::vector<std::pair<std::string, int>>& objects, bool expanded) {
    const int32_t c = g.AddRow();
    g.CellDetails(c, 1, caption, 0, kindIcon, 0, expanded ? 1 : 0);
    g.CellDetails(c, 5, std::nullopt, 0x40020, 7, centring(g, 5));
    g.CellItemData(c, 6, 0);
    g.CellItemData(c, 7, -1);
    g.CellItemData(c, 8, kind);
    int index = 0;
    for (const auto& [name, action] : objects) {
        const int32_t r = g.AddRow(expanded);
        g.CellDetails(r, 1, name, 0, kindIcon, 18);
        g.CellDetails(r, 2, std::nullopt, 0x40020, action == 2 ? 6 : 7, centring(g, 2));
        g.CellDetails(r, 3, std::nullopt, 0x40020, action + 2, centring(g, 3));
        g.CellDetails(r, 4, std::nullopt, 0x40020, action == 3 ? 6 : 7, centring(g, 4));
        g.CellDetails(r, 5, std::nullopt, 0x40020, 7, centring(g, 5));
        g.CellItemData(r, 6, 1);
        g.CellItemData(r, 8, kind);
        g.CellItemData(r, 9, ++index);
        g.CellItemData(r, 10, c);
    }
}

// The application exists before any widget of the fixture.
struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

class TreeGridTest : public ::testing::Test, private WithApplication {
protected:
    void SetUp() override {
        addResultColumns(grid.grid());
        grid.ImageList(&ui::mainGridImages());
        grid.resize(560, 300);
    }
    GridModel& g() { return grid.grid(); }
    void fill() {
        g().Redraw(false);
        addCategory(g(), "Tables", 9, 0,
                    {{"Customers", 0}, {"Orders", 1}, {"Order Details", 3}, {"Shippers", 2}}, true);
        addCategory(g(), "Procedures", 10, 4, {{"qryTotals", 1}}, false);
        addCategory(g(), "Views", 11, 5, {{"Current Product List", 0}, {"Invoices", 2}}, true);
        g().Redraw(true);
    }
    // Where a point of the viewport lies in the grid's own pixels.
    QPoint inGrid(QPoint viewportPoint) const {
        return grid.gridPoint(grid.viewport(), viewportPoint);
    }

    ui::TreeGrid grid;
};

TEST_F(TreeGridTest, ItemModelPassesQtsModelTester) {
    TesterFailures failures;
    GridModel model;
    ui::GridItemModel items(model);
    QAbstractItemModelTester tester(&items,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    addResultColumns(model);
    addCategory(model, "Tables", 9, 0, {{"A", 0}, {"B", 1}, {"C", 2}}, false);
    for (int32_t r = 2; r <= 4; ++r) model.RowVisible(r, true);
    model.RowVisible(3, false);
    model.CellText(2, 1, std::string("A2"));
    model.ColumnWidth(1, 200);
    model.ColumnVisible(6, true);
    model.SelectedRow(2);
    model.Redraw(false);
    model.Clear();
    addCategory(model, "Views", 11, 5, {{"V", 0}}, true);
    model.AddColumn("11", "Extra");
    model.RowVisible(1, false);
    model.Redraw(true);
    model.AddColumn("12", "More");
    model.Clear();
    EXPECT_EQ(TesterFailures::count, 0);
    EXPECT_EQ(items.rowCount(), 0);
    EXPECT_EQ(items.columnCount(), 12);
}

TEST_F(TreeGridTest, ItemModelRolesCarryTheCells) {
    fill();
    ui::GridItemModel& items = grid.itemModel();
    ASSERT_EQ(items.rowCount(), 9);  // "Procedures" is collapsed: its object row is hidden
    const QModelIndex category = items.index(0, 0);
    EXPECT_EQ(category.data().toString(), u"Tables"_s);
    EXPECT_EQ(category.data(ui::GridItemModel::ExtraIconRole).toInt(), 1);
    EXPECT_EQ(category.data(ui::GridItemModel::IconRole).toInt(), 9);
    const QModelIndex script = items.index(1, 4);
    EXPECT_FALSE(script.data().isValid());  // an icon cell has no text
    EXPECT_FALSE(script.data(ui::GridItemModel::HasTextRole).toBool());
    EXPECT_EQ(script.data(ui::GridItemModel::IndentRole).toInt(), 16);
    EXPECT_EQ(script.data(ui::GridItemModel::AlignFlagsRole).toUInt(), 0x40020u);
    EXPECT_EQ(items.index(1, 9).data(ui::GridItemModel::ItemDataRole).toInt(), 1);
    EXPECT_EQ(items.index(6, 0).data(ui::GridItemModel::GridRowRole).toInt(),
              8);  // after the hidden row
    EXPECT_EQ(items.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), u"Action"_s);
    EXPECT_EQ(items.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignHCenter | Qt::AlignVCenter);
}

TEST_F(TreeGridTest, ViewFollowsColumnsOfTheModel) {
    fill();
    grid.show();
    QApplication::processEvents();
    QHeaderView* header = grid.header();
    EXPECT_EQ(header->sectionSize(0), 230);
    EXPECT_EQ(header->sectionSize(2), 50);
    for (int c = 5; c < 10; ++c) EXPECT_TRUE(header->isSectionHidden(c)) << c;
    EXPECT_EQ(header->height(), 18);
    g().ColumnWidth(2, 120);
    g().ColumnVisible(3, false);
    EXPECT_EQ(header->sectionSize(1), 120);
    EXPECT_TRUE(header->isSectionHidden(2));
    g().HeaderHeight(24);
    QApplication::processEvents();
    EXPECT_EQ(header->height(), 24);
}

TEST_F(TreeGridTest, CellFromPointAgreesWithWhatTheViewShows) {
    fill();
    grid.resize(560, 120);  // short enough to scroll
    grid.show();
    QApplication::processEvents();
    ASSERT_EQ(grid.visualRect(grid.itemModel().index(0, 0)).height(), g().DefaultRowHeight());
    auto check = [&](const char* when) {
        for (const QPoint p :
             {QPoint(5, 2), QPoint(240, 30), QPoint(390, 60), QPoint(500, 75), QPoint(229, 1)}) {
            const QModelIndex index = grid.indexAt(p);
            const CellHit want{index.isValid() ? g().viewRow(index.row()) : 0,
                               index.isValid() ? index.column() + 1 : 0};
            const QPoint at = inGrid(p);
            EXPECT_EQ(grid.CellFromPoint(at.x(), at.y()), want)
                << when << ": viewport " << p.x() << "," << p.y();
        }
    };
    check("at the top");
    grid.verticalScrollBar()->setValue(40);  // not a whole row
    check("scrolled down");
    grid.horizontalScrollBar()->setValue(30);
    check("scrolled down and right");
    // The header band holds no row.
    EXPECT_EQ(grid.CellFromPoint(5, 5).row, 0);
}

TEST_F(TreeGridTest, MouseEventsGiveButtonShiftAndTwipsFromTheGridsCorner) {
    fill();
    grid.show();
    QApplication::processEvents();
    struct Seen {
        int button, shift;
        float x, y;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> downs, ups;
    grid.MouseDown.connect([&](int b, int s, float x, float y) { downs.push_back({b, s, x, y}); });
    grid.MouseUp.connect([&](int b, int s, float x, float y) { ups.push_back({b, s, x, y}); });
    const struct {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        QPoint at;  // viewport pixels
        int wantButton, wantShift;
    } cases[] = {
        {Qt::LeftButton, {}, {15, 3}, 1, 0},
        {Qt::RightButton, Qt::ShiftModifier, {300, 40}, 2, 1},
        {Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, {1, 1}, 1, 6},
        {Qt::MiddleButton, {}, {100, 20}, 4, 0},
    };
    for (const auto& c : cases) {
        downs.clear();
        ups.clear();
        QTest::mouseClick(grid.viewport(), c.button, c.modifiers, c.at);
        const QPoint at = inGrid(c.at);
        const Seen want{c.wantButton, c.wantShift, static_cast<float>(at.x() * 15),
                        static_cast<float>(at.y() * 15)};
        ASSERT_EQ(downs.size(), 1u);
        EXPECT_EQ(downs[0], want) << c.at.x() << "," << c.at.y();
        ASSERT_EQ(ups.size(), 1u);
        EXPECT_EQ(ups[0], want);
    }
    // The grid's corner is its inside: the first row starts one header band down.
    EXPECT_EQ(inGrid(QPoint(0, 0)), QPoint(0, g().HeaderHeight()));
    downs.clear();
    QTest::mouseClick(grid.header()->viewport(), Qt::RightButton, {}, QPoint(7, 4));
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], (Seen{2, 0, 7 * 15, 4 * 15}));
    // So the expand-glyph test of the programs works on these figures: a press
    // 15 pixels into a category row lies on its glyph, 16 pixels does not.
    downs.clear();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(15, 5));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(16, 5));
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_LT(downs[0].x / ui::kTwipsPerPixel, g().CellIndent(1, 1) + 16);
    EXPECT_FALSE(downs[1].x / ui::kTwipsPerPixel < g().CellIndent(1, 1) + 16);
}

TEST_F(TreeGridTest, DoubleClickGivesTheCellOrNone) {
    fill();
    grid.show();
    QApplication::processEvents();
    std::vector<CellHit> hits;
    int downs = 0;
    grid.DblClick.connect([&](int32_t row, int32_t column) { hits.push_back({row, column}); });
    grid.MouseDown.connect([&](int, int, float, float) { ++downs; });
    // A real double click: press and release, then the double click and a release.
    auto doubleClick = [](QWidget* w, QPoint at) {
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        QTest::mouseDClick(w, Qt::LeftButton, {}, at);
        QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    };
    doubleClick(grid.viewport(), QPoint(40, 20));    // row 2 ("Customers")
    doubleClick(grid.viewport(), QPoint(250, 280));  // below the rows
    doubleClick(grid.header()->viewport(), QPoint(40, 9));
    const std::vector<CellHit> want = {{2, 1}, {0, 2}, {0, 1}};
    EXPECT_EQ(hits, want);
    // The double click's second press is not a mouse-down of its own.
    EXPECT_EQ(downs, 3);
}

TEST_F(TreeGridTest, OnlyColumnsTheOwnerAllowsCanBeResized) {
    fill();
    grid.show();
    QApplication::processEvents();
    std::vector<int32_t> asked;
    grid.ColumnChanging.connect([&](int32_t column, bool& cancel) {
        asked.push_back(column);
        if (column > 1) cancel = true;
    });
    QWidget* header = grid.header()->viewport();
    auto drag = [&](int fromX, int toX) {
        QTest::mousePress(header, Qt::LeftButton, {}, QPoint(fromX, 9));
        QMouseEvent move(QEvent::MouseMove, QPointF(toX, 9), header->mapToGlobal(QPointF(toX, 9)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(header, &move);
        QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(toX, 9));
    };
    drag(329, 360);  // the right edge of column 2: refused
    EXPECT_EQ(g().ColumnWidth(2), 100);
    drag(229, 260);  // the right edge of column 1
    EXPECT_EQ(g().ColumnWidth(1), 261);
    drag(120, 150);  // the middle of column 1: no resize, nothing asked
    QTest::mouseDClick(header, Qt::LeftButton, {}, QPoint(261 + 100 + 50, 9));  // column 3's edge
    EXPECT_EQ(g().ColumnWidth(3), 50);
    EXPECT_EQ(asked, (std::vector<int32_t>{2, 1, 3}));
}

TEST_F(TreeGridTest, SelectionGoesBothWays) {
    fill();
    grid.show();
    QApplication::processEvents();
    g().SelectedRow(4);
    g().SelectedCol(5);
    EXPECT_EQ(grid.currentIndex().row(), g().viewPosition(4));
    EXPECT_EQ(grid.currentIndex().column(), 4);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(260, 6 * 18 + 5));
    EXPECT_EQ(g().SelectedRow(), 8);  // the seventh shown row; row 7 is hidden
    EXPECT_EQ(g().SelectedCol(), 2);
    // A refill keeps no selection.
    g().Redraw(false);
    g().Clear();
    g().Redraw(true);
    EXPECT_FALSE(grid.currentIndex().isValid());
    EXPECT_EQ(g().SelectedRow(), 0);
}

TEST_F(TreeGridTest, KeysTheOwnerMayTakeReachItWithTheirCodes) {
    fill();
    grid.show();
    QApplication::processEvents();
    struct Seen {
        int code, shift;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    grid.KeyDown.connect([&](int& code, int shift) { seen.push_back({code, shift}); });
    namespace key = ui::grid::key;
    const struct {
        Qt::Key qtKey;
        Qt::KeyboardModifiers modifiers;
        std::vector<Seen> want;
    } cases[] = {
        {Qt::Key_Right, {}, {{key::Right, 0}}},
        {Qt::Key_Left, Qt::ControlModifier, {{key::Left, 2}}},
        {Qt::Key_Plus, Qt::KeypadModifier, {{key::Add, 0}}},
        {Qt::Key_Plus, Qt::ShiftModifier, {{key::Add, 1}}},  // "+" typed with Shift
        {Qt::Key_Minus, {}, {{key::Subtract, 0}}},
        {Qt::Key_Return, {}, {{key::Return, 0}}},
        {Qt::Key_Enter, Qt::KeypadModifier, {{key::Return, 0}}},
        {Qt::Key_Space, {}, {{key::Space, 0}}},
        {Qt::Key_Menu, {}, {{key::Apps, 0}}},
        {Qt::Key_F10, Qt::ShiftModifier, {{key::F10, 1}}},
        {Qt::Key_Down, {}, {}},  // the grid's own
        {Qt::Key_A, {}, {}},
    };
    for (const auto& c : cases) {
        seen.clear();
        QTest::keyClick(&grid, c.qtKey, c.modifiers);
        EXPECT_EQ(seen, c.want) << QKeySequence(c.qtKey).toString().toStdString();
    }
}

TEST_F(TreeGridTest, AKeyTheOwnerTakesIsNotTheGridsAnyMore) {
    fill();
    QWidget window;
    grid.setParent(&window);
    window.show();
    QApplication::processEvents();
    // A key the grid does not use goes on to the window around it.
    struct KeyCounter : QObject {
        int presses = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) ++presses;
            return false;
        }
    } counter;
    window.installEventFilter(&counter);
    bool take = false;
    grid.KeyDown.connect([&](int& code, int) {
        if (take) code = 0;
    });
    g().SelectedRow(2);
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(counter.presses, 1);
    take = true;
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(counter.presses, 1);
    // Left alone, the grid moves as ever; taken, it does not.
    take = false;
    QTest::keyClick(&grid, Qt::Key_Space);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(g().SelectedRow(), 3);
    grid.setParent(nullptr);
}

TEST_F(TreeGridTest, TheMenuKeysBringTheCurrentRowIntoView) {
    fill();
    grid.resize(560, 80);  // two rows in view
    grid.show();
    QApplication::processEvents();
    std::vector<int> codes;
    grid.KeyDown.connect([&](int& code, int) { codes.push_back(code); });
    for (const auto& [qtKey, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers{}},
          std::pair{Qt::Key_F10, Qt::KeyboardModifiers{Qt::ShiftModifier}}}) {
        g().SelectedRow(10);  // the last row shown
        grid.verticalScrollBar()->setValue(0);
        QTest::keyClick(&grid, qtKey, modifiers);
        const auto area = grid.CellBounds(10, 1);
        ASSERT_TRUE(area.has_value());
        EXPECT_GE(area->top, inGrid(QPoint(0, 0)).y());
        EXPECT_LT(area->top + area->height / 2, inGrid(QPoint(0, grid.viewport()->height())).y());
    }
    EXPECT_EQ(codes.size(), 2u);
    // Where the grid says a cell is, CellFromPoint finds it.
    const auto area = grid.CellBounds(10, 4);
    ASSERT_TRUE(area.has_value());
    EXPECT_EQ(grid.CellFromPoint(area->left + 1, area->top + 1), (CellHit{10, 4}));
    EXPECT_FALSE(grid.CellBounds(7, 1).has_value());  // a hidden row
}

TEST_F(TreeGridTest, RedrawOffMeansNoViewWorkAndOneRefreshWhenOn) {
    grid.show();
    QApplication::processEvents();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    grid.viewport()->installEventFilter(&counter);
    int resets = 0, inserts = 0, changes = 0;
    ui::GridItemModel& items = grid.itemModel();
    QObject::connect(&items, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(&items, &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
    QObject::connect(&items, &QAbstractItemModel::dataChanged, [&] { ++changes; });

    g().Redraw(false);
    for (int i = 0; i < 500; ++i) {
        const int32_t r = g().AddRow(i % 3 != 0);
        g().CellDetails(r, 1, "Table " + std::to_string(r), 0, 9, 18);
    }
    grid.viewport()->update();
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(resets + inserts + changes, 0);
    EXPECT_EQ(items.rowCount(), 0);

    g().Redraw(true);
    QApplication::processEvents();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(inserts + changes, 0);
    EXPECT_EQ(items.rowCount(), 333);
    EXPECT_GE(counter.paints, 1);

    // With redraw on, one change is one small notification.
    g().CellIcon(2, 1, 10);
    g().RowVisible(1, true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(resets, 1);
}

// The programs expand and collapse inside the grid's own mouse events, with
// the redraw switched off and on: the view is reset under the event's feet.
TEST_F(TreeGridTest, HandlersMayRebuildTheViewInsideMouseEvents) {
    fill();
    grid.show();
    QApplication::processEvents();
    auto toggle = [&](int32_t row) {
        g().Redraw(false);
        const bool open = g().CellExtraIcon(row, 1) == 0;
        for (int32_t r = row + 1; r <= g().Rows() && g().CellExtraIcon(r, 1) < 0; ++r)
            g().RowVisible(r, open);
        g().CellExtraIcon(row, 1, open ? 1 : 0);
        g().Redraw(true);
    };
    grid.MouseDown.connect([&](int button, int, float x, float y) {
        const CellHit hit = grid.CellFromPoint(qRound(x / 15), qRound(y / 15));
        if (button == 1 && hit.column == 1 && hit.row > 0 &&
            (g().CellExtraIcon(hit.row, 1) == 0 || g().CellExtraIcon(hit.row, 1) == 1) &&
            x / 15 < g().CellIndent(hit.row, 1) + 16)
            toggle(hit.row);
    });
    grid.DblClick.connect([&](int32_t row, int32_t column) {
        if (row > 0 && column > 0 &&
            (g().CellExtraIcon(row, column) == 0 || g().CellExtraIcon(row, column) == 1))
            toggle(row);
    });
    ASSERT_EQ(grid.itemModel().rowCount(), 9);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(8, 8));  // "Tables" glyph
    EXPECT_EQ(grid.itemModel().rowCount(), 5);
    EXPECT_EQ(g().CellExtraIcon(1, 1), 0);
    // "Procedures" is now the second shown row; a double click on its name opens it.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(60, 18 + 8));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(60, 18 + 8));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(60, 18 + 8));
    EXPECT_EQ(g().CellExtraIcon(6, 1), 1);
    EXPECT_TRUE(g().RowVisible(7));
    EXPECT_EQ(grid.itemModel().rowCount(), 6);
    EXPECT_EQ(g().SelectedRow(), 6);
    QApplication::processEvents();
}

// A font set on the widget (a proportional resizer scaling it) zooms the
// grid: every length is drawn that many times larger, while the model and
// every position the grid gives and takes keep the model's pixels.
class ZoomedGrid : public TreeGridTest, public ::testing::WithParamInterface<double> {
protected:
    double zoom() const { return GetParam(); }
    int drawn(int pixels) const { return static_cast<int>(std::lround(pixels * zoom())); }
    void zoomIn() {
        QFont f = grid.font();
        f.setPointSizeF(g().Font().size * zoom());
        grid.setFont(f);
    }
};

TEST_P(ZoomedGrid, DrawsEveryLengthLargerAndLeavesTheModel) {
    fill();
    grid.resize(560, 120);
    grid.show();
    zoomIn();
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(grid.zoom(), zoom());
    EXPECT_EQ(grid.visualRect(grid.itemModel().index(0, 0)).height(), drawn(18));
    EXPECT_EQ(grid.header()->height(), drawn(18));
    EXPECT_EQ(grid.header()->sectionSize(0), drawn(230));
    EXPECT_EQ(grid.header()->sectionSize(2), drawn(50));
    EXPECT_DOUBLE_EQ(grid.header()->font().pointSizeF(), grid.font().pointSizeF());
    // The model keeps its sizes and font: what prints from it is unchanged.
    EXPECT_EQ(g().DefaultRowHeight(), 18);
    EXPECT_EQ(g().HeaderHeight(), 18);
    EXPECT_EQ(g().ColumnWidth(1), 230);
    EXPECT_DOUBLE_EQ(g().Font().size, 8.25);
    // A change of the model's look keeps the zoom.
    g().DefaultRowHeight(20);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(grid.zoom(), zoom());
    EXPECT_EQ(grid.visualRect(grid.itemModel().index(0, 0)).height(), drawn(20));
    // The user's resize of a column reaches the model in its own pixels.
    grid.header()->resizeSection(0, drawn(200));
    EXPECT_EQ(g().ColumnWidth(1), 200);
    // The model's font back on the widget: no zoom.
    QFont f = grid.font();
    f.setPointSizeF(g().Font().size);
    grid.setFont(f);
    EXPECT_DOUBLE_EQ(grid.zoom(), 1.0);
    EXPECT_EQ(grid.header()->sectionSize(0), 200);
}

TEST_P(ZoomedGrid, PositionsStayTheModelsAndFindTheCellShown) {
    fill();
    grid.resize(560, 120);  // short enough to scroll
    grid.show();
    zoomIn();
    QApplication::processEvents();
    auto check = [&](const char* when) {
        const ui::grid::Scroll at = grid.scroll();
        // Within the columns: beyond them the model still finds the row.
        const int columnsEnd = grid.header()->length() - grid.horizontalScrollBar()->value();
        for (int x = 0; x < std::min(columnsEnd, 540); x += 7) {
            for (int y = 0; y < 100; y += 5) {
                const QPoint p(x, y);
                const QModelIndex index = grid.indexAt(p);
                const CellHit want{index.isValid() ? g().viewRow(index.row()) : 0,
                                   index.isValid() ? index.column() + 1 : 0};
                const QPoint model = inGrid(p);
                ASSERT_EQ(grid.CellFromPoint(model.x(), model.y()), want)
                    << when << ": viewport " << x << "," << y;
                // The same through the model with the grid's scroll, as the
                // programs' hit tests do.
                EXPECT_EQ(g().CellFromPoint(model.x(), model.y(), at), want)
                    << when << ": viewport " << x << "," << y;
            }
        }
    };
    check("at the top");
    // Scrolled by whole rows, the model is scrolled by as many of its own.
    grid.verticalScrollBar()->setValue(drawn(18));
    EXPECT_EQ(grid.scroll().y, 18);
    grid.verticalScrollBar()->setValue(drawn(18) + 5);  // not a whole row
    check("scrolled down");
    grid.horizontalScrollBar()->setValue(drawn(30));
    check("scrolled down and right");
    // The header band holds no row; its height is the model's.
    EXPECT_EQ(inGrid(QPoint(0, 0)).y(), g().HeaderHeight());
    EXPECT_EQ(grid.CellFromPoint(5, 5).row, 0);
}

TEST_P(ZoomedGrid, MouseEventsGiveTheModelsTwips) {
    fill();
    grid.show();
    zoomIn();
    QApplication::processEvents();
    std::vector<std::pair<float, float>> downs;
    grid.MouseDown.connect([&](int, int, float x, float y) { downs.emplace_back(x, y); });
    // Along the first row: the presses the programs take for its glyph end
    // where the glyph is drawn to end (a pixel later at an odd zoom).
    const QRect first = grid.visualRect(grid.itemModel().index(0, 0));
    int firstOff = -1;
    for (int x = 0; x <= drawn(16) + 2 && firstOff < 0; ++x) {
        downs.clear();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(x, first.center().y()));
        ASSERT_EQ(downs.size(), 1u);
        if (!(downs[0].first / ui::kTwipsPerPixel < g().CellIndent(1, 1) + 16)) firstOff = x;
        // In the model's twips, the row lies one model row below the header.
        const int y = static_cast<int>(downs[0].second) / ui::kTwipsPerPixel;
        EXPECT_GE(y, 18);
        EXPECT_LT(y, 36);
    }
    if (std::round(zoom()) == zoom()) {
        EXPECT_EQ(firstOff, drawn(16));
    } else {
        EXPECT_GE(firstOff, drawn(16));
        EXPECT_LE(firstOff, drawn(16) + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomedGrid, ::testing::Values(0.8, 1.0068, 1.5, 2.0),
                         [](const ::testing::TestParamInfo<double>& zoom) {
                             return "x" + std::to_string(static_cast<int>(zoom.param * 10000));
                         });

// What a cell draws of its text, and the tool tip a cut text gets.
TEST_F(TreeGridTest, ATextTooWideEndsInAnEllipsisAndShowsWholeAsItsToolTip) {
    fill();
    const std::string longName = "Orders with a name far too long for its column, and more";
    const std::string longValue = "A value worth knowing about through to its end";
    g().CellText(3, 1, longName);
    g().CellDetails(3, 2, longValue, 1);  // centred, as a detail value
    g().CellDetails(4, 2, std::string("Short"), 1);
    g().CellDetails(5, 2, std::string("line one\r\nline two, which is long"), 0);
    grid.show();
    QApplication::processEvents();
    auto* delegate = static_cast<ui::GridDelegate*>(grid.itemDelegate());
    const auto option = [&](int32_t row, int column) {
        QStyleOptionViewItem o;
        o.initFrom(grid.viewport());
        o.font = grid.font();
        o.rect = grid.visualRect(grid.itemModel().index(g().viewPosition(row), column - 1));
        return o;
    };
    const auto index = [&](int32_t row, int column) {
        return grid.itemModel().index(g().viewPosition(row), column - 1);
    };
    struct Case {
        int32_t row;
        int column;
        std::string text;
        bool cut;
    };
    for (const Case& c :
         {Case{3, 1, longName, true}, Case{3, 2, longValue, true}, Case{4, 2, "Short", false},
          Case{5, 2, "line one  line two, which is long", true}, Case{2, 1, "Customers", false}}) {
        SCOPED_TRACE(c.text);
        const QStyleOptionViewItem o = option(c.row, c.column);
        const QString shown = delegate->shownText(o, index(c.row, c.column));
        if (!c.cut) {
            EXPECT_EQ(shown.toStdString(), c.text);
            EXPECT_FALSE(delegate->cutText(o, index(c.row, c.column)).has_value());
            continue;
        }
        // The start of the text, then "…", within the cell.
        ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_TRUE(QString::fromStdString(c.text).startsWith(shown.chopped(1)))
            << shown.toStdString();
        EXPECT_GT(shown.size(), 4);
        EXPECT_LE(QFontMetrics(grid.font()).horizontalAdvance(shown), o.rect.width());
        const auto whole = delegate->cutText(o, index(c.row, c.column));
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(whole->toStdString(), c.row == 5 ? "line one\nline two, which is long" : c.text);
    }
    // Hovering: the cut cell shows its whole text, the short one none.
    const auto hover = [&](int32_t row, int column) {
        const QPoint at = option(row, column).rect.center();
        QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid.viewport(), &help);
    };
    hover(4, 2);
    EXPECT_FALSE(QToolTip::isVisible());
    hover(3, 2);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), Qt::convertFromPlainText(QString::fromStdString(longValue)));
    QToolTip::hideText();
    // The model keeps the whole text: what prints from it does not change.
    EXPECT_EQ(g().CellText(3, 2), longValue);
}

TEST_F(TreeGridTest, ScreenshotForAPersonsCheck) {
    fill();
    // A hidden row inside an expanded category (filtered out), and a wide name.
    g().RowVisible(4, false);
    g().CellText(3, 1, std::string("Orders with a name far too long for its column"));
    g().SelectedRow(3);
    grid.show();
    QApplication::processEvents();
    const QImage shot = grid.grab().toImage();
    const auto file = std::filesystem::current_path() / "TreeGrid.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(file.string())));
    std::cout << "screenshot: " << file << "\n";

    // The detail grid: deeper levels, values in the middle columns.
    ui::TreeGrid detail;
    GridModel& d = detail.grid();
    d.AddColumn("1", "Object / Property", HeaderAlign::Centre, -1, 250);
    d.AddColumn("2", "Source Value", HeaderAlign::Centre, -1, 125);
    d.AddColumn("3", "Action", HeaderAlign::Centre, -1, 50);
    d.AddColumn("4", "Destination Value", HeaderAlign::Centre, -1, 125);
    d.AddColumn("5", "Level", HeaderAlign::Left, -1, -1, false);
    d.AddColumn("6", "Visible", HeaderAlign::Left, -1, -1, false);
    detail.ImageList(&ui::detailGridImages());
    const struct {
        int level;
        const char* caption;
        int icon, glyph, action;
        const char *source, *destination;
    } rows[] = {
        {0, "Columns", 9, 1, -1, nullptr, nullptr},
        {1, "CustomerID", 9, 1, 3, nullptr, nullptr},
        {2, "Type", -1, -1, 3, "Text", "Long Integer"},
        {2, "Defined Size", -1, -1, 2, "5", "5"},
        {1, "CompanyName", 9, 0, 2, nullptr, nullptr},
        {0, "Keys", 10, 1, -1, nullptr, nullptr},
        {1, "PrimaryKey", 10, 1, 0, nullptr, nullptr},
        {2, "Columns", 9, 1, 0, nullptr, nullptr},
        {3, "CustomerID", 9, 1, 0, nullptr, nullptr},
        {4, "Related Column", -1, -1, 2, "-", "-"},
        {0, "Indexes", 11, 0, -1, nullptr, nullptr},
    };
    for (const auto& r : rows) {
        const int32_t n = d.AddRow();
        d.CellDetails(n, 1, std::string(r.caption), 0, r.icon, 18 * r.level, r.glyph);
        if (r.action >= 0) d.CellDetails(n, 3, std::nullopt, 0x40020, r.action + 2, 16);
        if (r.source) d.CellDetails(n, 2, std::string(r.source), 1);
        if (r.destination) d.CellDetails(n, 4, std::string(r.destination), 1);
        d.CellItemData(n, 5, r.level);
    }
    detail.resize(560, 240);
    detail.show();
    QApplication::processEvents();
    const auto detailFile = std::filesystem::current_path() / "DetailGrid.png";
    EXPECT_TRUE(detail.grab().toImage().save(QString::fromStdString(detailFile.string())));
    std::cout << "screenshot: " << detailFile << "\n";
}

}  // namespace
