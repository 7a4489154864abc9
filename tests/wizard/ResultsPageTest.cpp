// The results page's controls wired to its logic as the main window wires
// them, offscreen: real clicks on the toolbar and the grid, the pop-up menu,
// and a screenshot of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>
#include <iostream>

#include "ResultBuilder.h"
#include "ui/testing/QtTestApplication.h"
#include "wizard/OptionRules.h"
#include "wizard/QtResultsControls.h"

using namespace Qt::StringLiterals;

namespace {

using namespace rb;
namespace col = wizard::col;
namespace img = wizard::img;

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

class NullView : public wizard::ResultsView {
public:
    [[nodiscard]] std::string SourceDBPath() const override { return {}; }
    [[nodiscard]] std::string DestinationDBPath() const override { return {}; }
    void ShowScript(const wizard::ScriptWindowText& s) override { scripts.push_back(s); }
    void ShowDetails(const TComparisonResult&, int32_t kind, int32_t index) override {
        details.emplace_back(kind, index);
    }
    void ShowReport(const report::Document&) override {}
    void MsgBox(const std::string& text, wizard::BoxIcon, const std::string&) override {
        boxes.push_back(text);
    }
    std::vector<wizard::ScriptWindowText> scripts;
    std::vector<std::pair<int32_t, int32_t>> details;
    std::vector<std::string> boxes;
};

TComparisonResult record() {
    TComparisonResult r;
    const auto t = [](std::string name, int32_t action) {
        return table(std::move(name), action, false, {both("ID", integer(), integer(), acEqual)});
    };
    r.Tables = arr({t("Categories", acEqual), t("Customers", acDifferent),
                    t("Order Details", acOnlyInSource), t("Shippers", acOnlyInDestination),
                    t("Products", acDifferent)});
    r.Procedures = arr({procedure("Sales by Year", acDifferent, false, "a", "b"),
                        procedure("Ten Most Expensive Products", acOnlyInSource, false, "a", "")});
    r.Views = arr({rb::view("Current Product List", acEqual, false, "a", "a"),
                   rb::view("Invoices", acOnlyInDestination, false, "", "a")});
    r.Users = arr({principal("ann", acDifferent, false, {}, {}),
                   principal("bob", acOnlyInSource, false, {}, {})});
    r.Groups = arr({principal("Sales", acOnlyInSource, false, {}, {})});
    return r;
}

// Made before any widget, which needs the application.
struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

template <typename W>
W* named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

class ResultsPageTest : public ::testing::Test {
protected:
    ResultsPageTest() {
        page.setObjectName(u"Page_4"_s);
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(8, 8, 8, 8);
        layout->addWidget(TBar);
        layout->addWidget(MGrid);
        wizard::ResultsTree::SetUpGrid(MGrid->grid());
        wizard::SetUpResultsGrid(*MGrid);
        wizard::AddResultsButtons(*TBar);
        wizard::AddMenuPopEntries(*MenuPop);
        wizard::ConnectResults(tree, *TBar, *MGrid, *MenuPop);
        page.resize(620, 420);
        engine->Differences(record());
        tree.ShowResults();
        page.show();
        settle();
    }

    // A point in the grid's viewport: the middle of a shown row, x pixels in.
    [[nodiscard]] QPoint at(int shownRow, int x) const {
        return {x, MGrid->visualRect(MGrid->model()->index(shownRow, 0)).center().y()};
    }
    [[nodiscard]] std::vector<std::string> shown() const {
        std::vector<std::string> names;
        const auto& g = MGrid->grid();
        for (int32_t r = 1; r <= g.Rows(); ++r)
            if (g.RowVisible(r)) names.push_back(g.CellText(r, col::Object).value_or("?"));
        return names;
    }

    WithApplication app_;
    QWidget page;
    ui::Toolbar* TBar = named(new ui::Toolbar(&page), u"TBar"_s);
    ui::TreeGrid* MGrid = named(new ui::TreeGrid(&page), u"MGrid"_s);
    ui::PopupMenu* MenuPop = new ui::PopupMenu(u"MenuPop"_s, u"PopUp"_s, &page);
    NullView view;
    std::shared_ptr<engine::CCAccess> engine = engine::CCAccess::create();
    wizard::OptionRules options;
    wizard::QtResultsControls controls{*TBar, *MGrid, *MenuPop};
    wizard::ResultsTree tree{
        MGrid->grid(), controls, view, [this] { return engine; }, options, [] { return false; }};
};

TEST_F(ResultsPageTest, TheToolbarHasItsButtonsAndTheMenuItsEntries) {
    ASSERT_EQ(TBar->ButtonCount(), 21);
    for (int b = 1; b <= 21; ++b) {
        const wizard::ResultsButton& e = wizard::kResultsButtons[static_cast<size_t>(b - 1)];
        EXPECT_EQ(TBar->ButtonKey(b).toStdString(), std::string(e.Key)) << b;
        EXPECT_EQ(TBar->ButtonChecked(b), e.CheckedAtStart) << b;
        EXPECT_EQ(TBar->buttonWidget(b) == nullptr, e.separator()) << b;
        if (!e.separator()) {
            EXPECT_EQ(TBar->buttonWidget(b)->toolTip().toStdString(), std::string(e.ToolTip));
        }
    }
    const QList<QAction*> entries = MenuPop->actions();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0]->text(), u"View Details..."_s);
    EXPECT_TRUE(entries[1]->isSeparator());
    EXPECT_EQ(entries[2]->objectName(), u"SFS"_s);
    EXPECT_EQ(entries[3]->text(), u"Unselect for scripting..."_s);
}

TEST_F(ResultsPageTest, ClicksOnTheToolbarAndTheGridReachTheTree) {
    EXPECT_EQ(shown(),
              (std::vector<std::string>{"Tables", "Procedures", "Views", "Users", "Groups"}));
    // The glyph of "Tables" (16 pixels after the cell's left edge).
    QTest::mouseClick(MGrid->viewport(), Qt::LeftButton, {}, at(0, 8));
    settle();
    EXPECT_EQ(MGrid->grid().CellExtraIcon(1, col::Object), img::Expanded);
    EXPECT_EQ(shown().size(), 10u);
    // The Script cell of "Customers" (the third row shown).
    const int scriptX = MGrid->columnViewportPosition(4) + 25;
    QTest::mouseClick(MGrid->viewport(), Qt::LeftButton, {}, at(2, scriptX));
    settle();
    EXPECT_EQ(MGrid->grid().CellIcon(3, col::Script), img::No);
    EXPECT_EQ(MGrid->grid().CellIcon(1, col::Script), img::Partly);
    // "Show/Hide Equal Objects".
    TBar->buttonWidget(7)->click();
    settle();
    EXPECT_FALSE(TBar->ButtonChecked(7));
    EXPECT_EQ(shown().size(), 9u);
    // A right click on "Products" opens the menu there; View Details shows it.
    QTest::mouseClick(MGrid->viewport(), Qt::RightButton, {}, at(4, 40));
    settle();
    ASSERT_TRUE(MenuPop->lastPopupPoint().has_value());
    EXPECT_EQ(MGrid->grid().SelectedRow(), 6);
    EXPECT_TRUE(wizard::MenuEntry(*MenuPop, "VD")->Enabled());
    EXPECT_FALSE(wizard::MenuEntry(*MenuPop, "SFS")->Enabled());
    const QPoint expected = MGrid->viewport()->mapTo(&page, at(4, 40));
    EXPECT_LE((*MenuPop->lastPopupPoint() - expected).manhattanLength(), 2);
    MenuPop->close();
    wizard::MenuEntry(*MenuPop, "VD")->trigger();
    ASSERT_EQ(view.details.size(), 1u);
    EXPECT_EQ(view.details[0], (std::pair<int32_t, int32_t>{0, 5}));
    wizard::MenuEntry(*MenuPop, "UnSFS")->trigger();
    EXPECT_EQ(MGrid->grid().CellIcon(6, col::Script), img::No);
    // A refused column edge: only "Object" may be resized.
    bool cancel = false;
    MGrid->ColumnChanging(2, cancel);
    EXPECT_TRUE(cancel);
    // The script request through its button.
    TBar->buttonWidget(19)->click();
    ASSERT_EQ(view.scripts.size(), 1u);
    EXPECT_EQ(view.scripts[0].Caption, "Database Script (Destination->Source)");
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ResultsPageTest, TheGridAndTheToolbarWorkFromTheKeyboard) {
    QApplication::setActiveWindow(&page);
    MGrid->setFocus();
    // A click on "Tables" beside its glyph makes it the current row.
    QTest::mouseClick(MGrid->viewport(), Qt::LeftButton, {}, at(0, 80));
    ASSERT_EQ(MGrid->grid().SelectedRow(), 1);
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(MGrid, k, m);
        settle();
    };
    key(Qt::Key_Right);
    EXPECT_EQ(shown().size(), 10u);
    key(Qt::Key_Right);  // to the first table
    EXPECT_EQ(MGrid->grid().SelectedRow(), 2);
    EXPECT_EQ(MGrid->currentIndex().row(), 1);
    key(Qt::Key_Down);  // the grid's own key: "Customers"
    key(Qt::Key_Space);
    EXPECT_EQ(MGrid->grid().CellIcon(3, col::Script), img::No);
    EXPECT_EQ(MGrid->grid().CellIcon(1, col::Script), img::Partly);
    key(Qt::Key_Return);
    ASSERT_EQ(view.details.size(), 1u);
    EXPECT_EQ(view.details[0], (std::pair<int32_t, int32_t>{0, 2}));
    // The menu opens under the row's caption, with the entries for that row.
    key(Qt::Key_Menu);
    ASSERT_TRUE(MenuPop->lastPopupPoint().has_value());
    const QRect caption = MGrid->visualRect(MGrid->model()->index(2, 0));
    const QPoint expected = MGrid->viewport()->mapTo(&page, caption.bottomLeft()) + QPoint(18, 1);
    EXPECT_LE((*MenuPop->lastPopupPoint() - expected).manhattanLength(), 2);
    EXPECT_TRUE(wizard::MenuEntry(*MenuPop, "SFS")->Enabled());
    EXPECT_FALSE(wizard::MenuEntry(*MenuPop, "UnSFS")->Enabled());
    MenuPop->close();
    key(Qt::Key_Left);  // back to "Tables"
    EXPECT_EQ(MGrid->grid().SelectedRow(), 1);
    key(Qt::Key_Minus);
    EXPECT_EQ(shown().size(), 5u);
    key(Qt::Key_Plus);
    EXPECT_EQ(shown().size(), 10u);
    key(Qt::Key_Left);
    EXPECT_EQ(shown().size(), 5u);
    MenuPop->close();

    // Shift+Tab from the grid reaches the toolbar's last button; Space presses it.
    QTest::keyClick(MGrid, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), TBar->buttonWidget(21));
    // Ten buttons back, separators skipped.
    for (int i = 0; i < 10; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), TBar->buttonWidget(7));  // "Show/Hide Equal Objects"
    QTest::keyClick(TBar->buttonWidget(7), Qt::Key_Space);
    settle();
    EXPECT_FALSE(TBar->ButtonChecked(7));
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ResultsPageTest, ScreenshotOfThePage) {
    TBar->buttonWidget(15)->click();  // expand all
    MGrid->grid().SelectedRow(3);
    tree.UnSFS_Click();
    settle();
    const auto path = std::filesystem::current_path() / "ResultsPage.png";
    EXPECT_TRUE(page.grab().save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path << "\n";
}

}  // namespace
