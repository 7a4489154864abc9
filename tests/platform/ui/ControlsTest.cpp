#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>
#include <iostream>

#include "TestSupport.h"
#include "ui/ButtonStrip.h"
#include "ui/CheckBox.h"
#include "ui/ControlError.h"
#include "ui/Frame.h"
#include "ui/Label.h"
#include "ui/LineHeader.h"
#include "ui/MultiLineTextBox.h"
#include "ui/PictureBox.h"
#include "ui/PopupMenu.h"
#include "ui/ProgressBar.h"
#include "ui/RichTextBox.h"
#include "ui/StatusBar.h"
#include "ui/TextBox.h"
#include "ui/ToolButton.h"
#include "ui/Toolbar.h"
#include "ui/images/ImageList.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override { ui::testing::qtApplication(); }
};

TEST_F(Controls, CheckBoxClickRunsOncePerRealChangeFromCode) {
    ui::CheckBox box(u"Tables"_s);
    int clicks = 0;
    std::vector<int> seen;  // the value the handler sees
    box.Click.connect([&] {
        ++clicks;
        seen.push_back(box.Value());
    });
    struct Step {
        int set;
        int clicksAfter;
    };
    const Step steps[] = {{0, 0}, {1, 1}, {1, 1}, {2, 2}, {2, 2}, {0, 3}, {2, 4}, {1, 5}};
    for (const auto& s : steps) {
        box.Value(s.set);
        EXPECT_EQ(box.Value(), s.set);
        EXPECT_EQ(clicks, s.clicksAfter) << "after setting " << s.set;
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 2, 1}));
}

TEST_F(Controls, CheckBoxRefusesValuesOutsideZeroToTwo) {
    ui::CheckBox box;
    box.Value(1);
    int clicks = 0;
    box.Click.connect([&] { ++clicks; });
    for (int bad : {3, -1, 255}) {
        EXPECT_THROW(box.Value(bad), ui::ControlError) << bad;
        EXPECT_EQ(box.Value(), 1) << bad;
    }
    EXPECT_EQ(clicks, 0);
}

TEST_F(Controls, CheckBoxUserClicksGoBetweenOffAndOnAndFromGreyToOn) {
    ui::CheckBox box(u"Match"_s);
    box.resize(120, 20);
    box.show();
    int clicks = 0;
    box.Click.connect([&] { ++clicks; });
    const struct { int before, after; } cases[] = {{0, 1}, {1, 0}, {2, 1}};
    for (const auto& c : cases) {
        box.Value(c.before);
        clicks = 0;
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, 10));
        EXPECT_EQ(box.Value(), c.after) << "from " << c.before;
        EXPECT_EQ(clicks, 1) << "from " << c.before;
    }
}

TEST_F(Controls, AWrappingCheckBoxBreaksItsCaptionAndTakesClicksOnIt) {
    const QString caption =
        u"Drop the object when the object in the database which the script is being applied "
        "doesn't exist on opposite database"_s;
    ui::CheckBox box(caption);
    const int oneLine = box.sizeHint().height();
    EXPECT_FALSE(box.hasHeightForWidth());
    box.WordWrap(true);
    EXPECT_TRUE(box.hasHeightForWidth());
    EXPECT_EQ(box.text(), caption);  // the caption itself is untouched
    // Narrower boxes need more lines; a box wide enough needs one.
    const int narrow = box.heightForWidth(200);
    const int wider = box.heightForWidth(400);
    EXPECT_GT(narrow, wider);
    EXPECT_GT(wider, oneLine);
    EXPECT_EQ(box.heightForWidth(4000), oneLine);
    box.resize(300, box.heightForWidth(300));
    box.show();
    int clicks = 0;
    box.Click.connect([&] { ++clicks; });
    // On the caption's last line, far right: still the box's click.
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(290, box.height() - 3));
    EXPECT_EQ(box.Value(), 1);
    EXPECT_EQ(clicks, 1);
    box.Value(2);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(box.Value(), 1);
    box.WordWrap(false);
    EXPECT_FALSE(box.hasHeightForWidth());
}

TEST_F(Controls, CheckBoxClickMayCascadeToOtherBoxes) {
    // The option rules: switching one box off switches another off, whose own
    // handler runs in turn.
    ui::CheckBox tables, indexes;
    std::vector<std::string> order;
    tables.Click.connect([&] {
        order.push_back("tables");
        if (tables.Value() == 0) indexes.Value(0);
    });
    indexes.Click.connect([&] { order.push_back("indexes"); });
    tables.Value(1);
    indexes.Value(1);
    order.clear();
    tables.Value(0);
    EXPECT_EQ(order, (std::vector<std::string>{"tables", "indexes"}));
}

TEST_F(Controls, TextBoxChangeRunsOncePerRealChange) {
    ui::TextBox box;
    int changes = 0;
    box.Change.connect([&] { ++changes; });
    const struct {
        QString set;
        int changesAfter;
    } steps[] = {
        {u""_s, 0}, {u"C:/db.mdb"_s, 1}, {u"C:/db.mdb"_s, 1}, {u" C:/db.mdb"_s, 2}, {u""_s, 3}};
    for (const auto& s : steps) {
        box.Text(s.set);
        EXPECT_EQ(box.Text(), s.set);
        EXPECT_EQ(changes, s.changesAfter) << s.set.toStdString();
    }
    box.show();
    QTest::keyClicks(&box, u"ab"_s);
    EXPECT_EQ(box.Text(), u"ab"_s);
    EXPECT_EQ(changes, 5);  // one per key
}

TEST_F(Controls, PasswordTextBoxShowsNoCharacter) {
    ui::TextBox box;
    box.PasswordChar(true);
    box.Text(u"secret"_s);
    EXPECT_EQ(box.Text(), u"secret"_s);
    EXPECT_FALSE(box.displayText().contains(u"secret"_s));
    EXPECT_EQ(box.displayText().size(), 6);
}

QString shownText(const QString& text) {
    QString s = text;
    s.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    return s;
}

TEST_F(Controls, MultiLineTextKeepsItsLineEndsExactly) {
    const QString texts[] = {
        u"Compare process started...\r\nChecking database connections...\r\n"_s,
        u"a\nb\r\nc\rd"_s,
        u"\r\n\r\n"_s,
        u"no line end"_s,
        u""_s,
        u"ünïcode\r\n"_s,
    };
    ui::MultiLineTextBox box;
    for (const QString& t : texts) {
        box.Text(t);
        EXPECT_EQ(box.Text(), t);
        EXPECT_EQ(box.toPlainText(), shownText(t)) << t.toStdString();
    }
}

TEST_F(Controls, MultiLineTextGrowingLineByLineShowsTheWholeText) {
    ui::MultiLineTextBox box;
    int changes = 0;
    box.Change.connect([&] { ++changes; });
    QString log;
    for (int i = 0; i < 300; ++i) {
        log = box.Text() + u"Comparing : Table (T"_s + QString::number(i) + u")...\r\n"_s;
        box.Text(log);
    }
    box.Text(log);  // the same text: no change
    EXPECT_EQ(changes, 300);
    EXPECT_EQ(box.Text(), log);
    EXPECT_EQ(box.toPlainText(), shownText(log));
    EXPECT_EQ(box.document()->blockCount(), 301);

    // A CR at the end followed by an LF opening the next part is one line end.
    box.Text(u"a\r"_s);
    box.Text(u"a\r\nb"_s);
    EXPECT_EQ(box.toPlainText(), u"a\nb"_s);
    // A text that does not extend the old one replaces it.
    box.Text(u"other"_s);
    EXPECT_EQ(box.toPlainText(), u"other"_s);
    EXPECT_FALSE(box.document()->isUndoAvailable());
}

TEST_F(Controls, MultiLineTextAtItsEndStaysThereWhileHiddenAndResized) {
    QWidget window;
    auto* box = new ui::MultiLineTextBox(&window);
    box->setGeometry(0, 0, 300, 120);
    window.resize(300, 120);
    window.show();
    QApplication::processEvents();
    QScrollBar* bar = box->verticalScrollBar();
    QString log = u"Compare process started...\r\n"_s;
    box->Text(log);
    const auto grow = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            log += u"Comparing : Table (T"_s + QString::number(i) + u")...\r\n"_s;
            box->Text(log);
        }
    };
    grow(0, 40);
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    // The page is left while the log grows, then shown again: still at its end.
    box->hide();
    grow(40, 200);
    box->show();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());

    // Narrower, so that lines wrap: still at its end.
    box->setGeometry(0, 0, 120, 120);
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());

    // Scrolled away by the user, the view stays where it was put.
    bar->setValue(0);
    box->hide();
    grow(200, 220);
    box->show();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);

    // A new text shows its beginning, also when the box is made narrower.
    QString text;
    for (int i = 0; i < 6; ++i) text += u"SELECT ProductID, ProductName FROM Products\r\n"_s;
    box->setGeometry(0, 0, 300, 120);
    box->Text(text);
    QApplication::processEvents();
    box->setGeometry(0, 0, 120, 120);
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(Controls, MultiLineTextTypedByTheUserReadsBackWithCrLf) {
    ui::MultiLineTextBox box;
    box.show();
    int changes = 0;
    box.Change.connect([&] { ++changes; });
    QTest::keyClicks(&box, u"x"_s);
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClicks(&box, u"y"_s);
    EXPECT_EQ(box.Text(), u"x\r\ny"_s);
    EXPECT_EQ(changes, 3);
}

TEST_F(Controls, RichTextSavesItsTextAsItStands) {
    testsupport::TempDir dir;
    ui::RichTextBox box;
    const QString script = u"CREATE TABLE [Straße] ([Id] LONG)\r\n\r\nRUN\r\n\r\n"_s;
    box.Text(script);
    const std::string path = dir.file("sync.psx");
    testsupport::writeFile(path, "an older script that is much longer than the new one");
    ASSERT_TRUE(box.SaveFile(QString::fromStdString(path)));
    EXPECT_EQ(testsupport::readFile(path), script.toUtf8().toStdString());
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(Controls, RichTextSaveThatCannotWriteReportsItAndLeavesThingsAsTheyWere) {
    testsupport::TempDir dir;
    ui::RichTextBox box;
    box.Text(u"RUN\r\n"_s);
    std::filesystem::create_directory(dir.path() / "taken");  // a folder by the chosen name
    const struct {
        std::string path;
    } cases[] = {{dir.file("missing/sync.psx")}, {dir.file("taken")}};
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(box.SaveFile(QString::fromStdString(c.path), &error)) << c.path;
        EXPECT_FALSE(error.isEmpty()) << c.path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "taken"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "taken"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

TEST_F(Controls, LabelCaptionReadsBackExactlyAndShowsLineBreaks) {
    const QString welcome = u"Hello and welcome.\r\n\r\nFollow 4 easy steps : <1>\nor\rmore"_s;
    ui::Label label(welcome);
    EXPECT_EQ(label.Caption(), welcome);
    EXPECT_EQ(label.text(), u"Hello and welcome.\n\nFollow 4 easy steps : <1>\nor\nmore"_s);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

TEST_F(Controls, LinkLabelClicksWithTheHandPointer) {
    ui::Label link(u"Visit the home page"_s);
    link.Link(true);
    link.resize(150, 20);
    link.show();
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(link.font().underline());
    int clicks = 0;
    link.Click.connect([&] { ++clicks; });
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    // Pressed on it, released elsewhere: no click.
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(400, 10));
    EXPECT_EQ(clicks, 1);
    link.Link(false);
    EXPECT_EQ(link.cursor().shape(), Qt::ArrowCursor);
}

// The results toolbar's first eleven buttons: kinds, a separator, statuses.
void addFilterButtons(ui::Toolbar& bar) {
    const char* kinds[] = {"SHT", "SHP", "SHV", "SHU", "SHG"};
    for (const char* k : kinds) bar.AddButton(QString::fromLatin1(k), u"Show/Hide"_s, {}, true);
    bar.AddSeparator();
    for (const char* k : {"SHE", "SHD", "SHES", "SHED"})
        bar.AddButton(QString::fromLatin1(k), u"Show/Hide"_s, {}, true);
    bar.AddSeparator();
    bar.AddButton(u"SelAll"_s, u"Select All For Scripting"_s, {});
}

TEST_F(Controls, ToolbarNeverTogglesByItself) {
    ui::Toolbar bar;
    addFilterButtons(bar);
    bar.show();
    EXPECT_EQ(bar.ButtonCount(), 12);
    EXPECT_EQ(bar.ButtonKey(7), u"SHE"_s);
    EXPECT_EQ(bar.buttonWidget(6), nullptr);  // a separator
    std::vector<std::pair<int, QString>> clicks;
    bool flip = false;
    bar.ButtonClick.connect([&](int index, const QString& key) {
        clicks.emplace_back(index, key);
        if (flip && index < 11) bar.ButtonChecked(index, !bar.ButtonChecked(index));
    });
    // Without a handler that flips it, a click leaves the state alone.
    QTest::mouseClick(bar.buttonWidget(1), Qt::LeftButton);
    EXPECT_TRUE(bar.ButtonChecked(1));
    EXPECT_TRUE(bar.buttonWidget(1)->isChecked());
    QTest::mouseClick(bar.buttonWidget(12), Qt::LeftButton);
    EXPECT_FALSE(bar.ButtonChecked(12));
    EXPECT_FALSE(bar.buttonWidget(12)->isChecked());
    // The handler decides.
    flip = true;
    QTest::mouseClick(bar.buttonWidget(8), Qt::LeftButton);
    EXPECT_FALSE(bar.ButtonChecked(8));
    EXPECT_FALSE(bar.buttonWidget(8)->isChecked());
    QTest::mouseClick(bar.buttonWidget(8), Qt::LeftButton);
    EXPECT_TRUE(bar.ButtonChecked(8));
    const std::vector<std::pair<int, QString>> want = {
        {1, u"SHT"_s}, {12, u"SelAll"_s}, {8, u"SHD"_s}, {8, u"SHD"_s}};
    EXPECT_EQ(clicks, want);
    // Code checks any button, a separator too (it shows nothing).
    bar.ButtonChecked(6, true);
    EXPECT_TRUE(bar.ButtonChecked(6));
    for (int bad : {0, 13, -1}) EXPECT_THROW((void)bar.ButtonChecked(bad), ui::ControlError);
}

TEST_F(Controls, ToolbarButtonsAreTabStopsThatSpacePresses) {
    QWidget window;
    auto* before = new QPushButton(u"Before"_s, &window);
    auto* bar = new ui::Toolbar(&window);
    addFilterButtons(*bar);
    auto* after = new QPushButton(u"After"_s, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(before);
    layout->addWidget(bar);
    layout->addWidget(after);
    window.show();
    QApplication::setActiveWindow(&window);
    std::vector<int> clicks;
    bar->ButtonClick.connect([&](int index, const QString&) { clicks.push_back(index); });
    // Tab goes through every button (never a separator) to the next control.
    before->setFocus();
    std::vector<int> reached;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        for (int b = 1; b <= bar->ButtonCount(); ++b)
            if (bar->buttonWidget(b) && bar->buttonWidget(b) == QApplication::focusWidget())
                reached.push_back(b);
    }
    EXPECT_EQ(reached, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 12}));
    EXPECT_EQ(QApplication::focusWidget(), after);
    // Space presses the button that has the focus.
    bar->buttonWidget(8)->setFocus();
    QTest::keyClick(bar->buttonWidget(8), Qt::Key_Space);
    EXPECT_EQ(clicks, std::vector<int>{8});
    // A click does not take the focus from where it is.
    after->setFocus();
    QTest::mouseClick(bar->buttonWidget(2), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), after);
    EXPECT_EQ(clicks, (std::vector<int>{8, 2}));
}

TEST_F(Controls, NavigationStripRaisesItsClickWhenMarkedFromCode) {
    ui::ButtonStrip bar(u"Navigation"_s);
    for (const char* c : {"Welcome", "Databases", "Options", "Compare", "Results"})
        bar.AddButton(QString::fromLatin1(c), QString::fromLatin1(c) + u" Page"_s, {});
    bar.show();
    EXPECT_EQ(bar.CurrentButton(), 0);
    // The wizard's handler: show the page unless it is shown; showing it marks
    // its button current again.
    int page = 0;
    std::vector<int> raised;
    bar.ButtonClick.connect([&](int button) {
        raised.push_back(button);
        if (page == button) return;
        page = button;
        bar.MarkCurrent(button);
    });
    bar.MarkCurrent(1);  // from code, while loading
    EXPECT_EQ(page, 1);
    EXPECT_EQ(bar.CurrentButton(), 1);
    EXPECT_EQ(raised, (std::vector<int>{1, 1}));
    raised.clear();
    QTest::mouseClick(bar.buttonWidget(3), Qt::LeftButton);
    EXPECT_EQ(page, 3);
    EXPECT_EQ(raised, (std::vector<int>{3, 3}));
    EXPECT_TRUE(bar.buttonWidget(3)->isChecked());
    EXPECT_FALSE(bar.buttonWidget(1)->isChecked());
    raised.clear();
    QTest::mouseClick(bar.buttonWidget(3), Qt::LeftButton);  // the page shown
    EXPECT_EQ(raised, (std::vector<int>{3}));
    EXPECT_TRUE(bar.buttonWidget(3)->isChecked());
    EXPECT_THROW(bar.MarkCurrent(6), ui::ControlError);
    EXPECT_EQ(bar.CurrentButton(), 3);
}

TEST_F(Controls, ProgressBarKeepsThirtyTwoBitValuesWithinItsMaximum) {
    ui::ProgressBar bar;
    struct Step {
        int32_t max, value;  // set in this order
        int32_t wantValue;
    };
    const Step steps[] = {
        {10, 3, 3}, {3000000, 2999999, 2999999},  // past 16 bits
        {5, 5, 5},  {5, 9, 5},                    // above the maximum: shown full
        {5, -2, 0}, {0, 0, 0},                    // no objects: an empty bar, not a busy one
    };
    for (const auto& s : steps) {
        bar.Max(s.max);
        bar.Value(s.value);
        EXPECT_EQ(bar.Max(), s.max);
        EXPECT_EQ(bar.Value(), s.wantValue) << s.max << "/" << s.value;
        EXPECT_GT(bar.maximum(), bar.minimum());
        EXPECT_EQ(bar.value(), s.wantValue);
    }
    bar.Max(10);
    bar.Value(8);
    bar.Max(4);  // a smaller maximum takes the value with it
    EXPECT_EQ(bar.Value(), 4);
}

TEST_F(Controls, StatusBarPanelsByNumber) {
    ui::StatusBar bar(2);
    bar.PanelText(1, u"Configuration file : <None>"_s);
    EXPECT_EQ(bar.PanelText(1), u"Configuration file : <None>"_s);
    EXPECT_EQ(bar.PanelText(2), QString());
    EXPECT_THROW(bar.PanelText(3, u"x"_s), ui::ControlError);
    EXPECT_THROW((void)bar.PanelText(0), ui::ControlError);
}

TEST_F(Controls, PopupMenuShowsAtAPointInTwipsAndRunsTheChosenItem) {
    QWidget window;
    window.resize(400, 300);
    window.show();
    ui::PopupMenu menu(u"MenuPop"_s, u"PopUp"_s, &window);
    auto* vd = menu.AddItem(u"VD"_s, u"View Details..."_s);
    auto* sep = menu.AddItem(u"S1"_s, u"-"_s);
    auto* sfs = menu.AddItem(u"SFS"_s, u"Select for scripting..."_s);
    EXPECT_TRUE(sep->isSeparator());
    EXPECT_FALSE(vd->isSeparator());
    EXPECT_EQ(sep->Caption(), u"-"_s);
    EXPECT_EQ(vd->Caption(), u"View Details..."_s);
    int details = 0, selects = 0;
    vd->Click.connect([&] { ++details; });
    sfs->Click.connect([&] { ++selects; });
    vd->Enabled(false);
    EXPECT_FALSE(vd->Enabled());

    menu.PopupAt(&window, 1500, 750);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.lastPopupPoint(), QPoint(100, 50));
    EXPECT_EQ(menu.pos(), window.mapToGlobal(QPoint(100, 50)));
    sfs->trigger();
    vd->trigger();  // disabled: nothing
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(details, 0);
    menu.hide();
}

// The separator is a line alone: no "-" drawn before it.
TEST_F(Controls, APopupMenusSeparatorDrawsNoText) {
    QWidget window;
    window.show();
    ui::PopupMenu menu(u"MenuPop"_s, u"PopUp"_s, &window);
    menu.AddItem(u"VD"_s, u"View Details..."_s);
    auto* sep = menu.AddItem(u"S1"_s, u"-"_s);
    menu.AddItem(u"SFS"_s, u"Select for scripting..."_s);
    menu.PopupAt(&window, 0, 0);
    QApplication::processEvents();
    const QImage shot = menu.grab().toImage();
    const QRect line = menu.actionGeometry(sep);
    ASSERT_FALSE(line.isEmpty());
    int dark = 0;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x) dark += qGray(shot.pixel(x, y)) < 100;
    EXPECT_EQ(dark, 0);
    menu.hide();
}

TEST_F(Controls, ToolButtonClicksOnlyWhenEnabled) {
    ui::ToolButton next(u"Next >>"_s);
    next.show();
    int clicks = 0;
    next.Click.connect([&] { ++clicks; });
    QTest::mouseClick(&next, Qt::LeftButton);
    next.Enabled(false);
    QTest::mouseClick(&next, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(next.Enabled());
}

TEST_F(Controls, PictureBoxInnerSizeInTwips) {
    ui::PictureBox box;
    box.resize(457, 360);
    EXPECT_EQ(box.ScaleWidth(), 6855);
    EXPECT_EQ(box.ScaleHeight(), 5400);
    box.BorderStyle(true);
    EXPECT_EQ(box.ScaleWidth(), (457 - 2 * box.frameWidth()) * 15);
}

TEST_F(Controls, LineHeaderSizeFollowsItsCaption) {
    ui::LineHeader header(u"Welcome"_s);
    const int shortWidth = header.sizeHint().width();
    header.Caption(u"Destination Databases"_s);
    EXPECT_EQ(header.Caption(), u"Destination Databases"_s);
    EXPECT_GT(header.sizeHint().width(), shortWidth);
    EXPECT_GT(header.sizeHint().height(), 0);
}

// A panel of every control, for a person to look at.
TEST_F(Controls, ScreenshotForAPersonsCheck) {
    QWidget window;
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    window.setFont(font);
    auto* outer = new QHBoxLayout(&window);
    auto* strip = new ui::ButtonStrip(u"Navigation"_s);
    const ui::Glyph pictures[] = {ui::Glyph::View, ui::Glyph::Table, ui::Glyph::CheckYes,
                                  ui::Glyph::Different, ui::Glyph::ColumnList};
    const char* pages[] = {"Welcome", "Databases", "Options", "Compare", "Results"};
    for (int i = 0; i < 5; ++i)
        strip->AddButton(QString::fromLatin1(pages[i]), {}, ui::glyphIcon(pictures[i]));
    strip->MarkCurrent(2);
    strip->setFixedWidth(90);
    outer->addWidget(strip);
    auto* column = new QVBoxLayout;
    outer->addLayout(column);
    column->addWidget(new ui::LineHeader(u"Databases"_s));
    auto* bar = new ui::Toolbar;
    using G = ui::Glyph;
    const std::pair<const char*, G> buttons[] = {{"SHT", G::Table},
                                                 {"SHP", G::Procedure},
                                                 {"SHV", G::View},
                                                 {"SHU", G::User},
                                                 {"SHG", G::Group},
                                                 {nullptr, G::Table},
                                                 {"SHE", G::Equal},
                                                 {"SHD", G::Different},
                                                 {"SHES", G::OnlyInDestination},
                                                 {"SHED", G::OnlyInSource},
                                                 {nullptr, G::Table},
                                                 {"SelAll", G::SelectAll},
                                                 {"SelNone", G::SelectNone},
                                                 {nullptr, G::Table},
                                                 {"Expand", G::ExpandAll},
                                                 {"Collapse", G::CollapseAll},
                                                 {nullptr, G::Table},
                                                 {"SScript", G::ScriptToDestination},
                                                 {"DScript", G::ScriptToSource},
                                                 {nullptr, G::Table},
                                                 {"Print", G::Print}};
    for (const auto& [key, glyph] : buttons) {
        if (!key)
            bar->AddSeparator();
        else
            bar->AddButton(QString::fromLatin1(key), {}, ui::glyphIcon(glyph),
                           bar->ButtonCount() < 10 && std::string(key) != "SHD");
    }
    column->addWidget(bar);
    auto* frame = new ui::Frame(u"Source Database"_s);
    auto* fields = new QVBoxLayout(frame);
    auto* path = new ui::TextBox;
    path->Text(u"/data/shop.sdb"_s);
    fields->addWidget(path);
    auto* password = new ui::TextBox;
    password->PasswordChar(true);
    password->Text(u"secret"_s);
    fields->addWidget(password);
    column->addWidget(frame);
    for (int v = 0; v < 3; ++v) {
        auto* box = new ui::CheckBox(u"Check box with value "_s + QString::number(v));
        box->Value(v);
        column->addWidget(box);
    }
    auto* link = new ui::Label(u"A label used as a link"_s);
    link->Link(true);
    column->addWidget(link);
    auto* log = new ui::MultiLineTextBox;
    log->Text(u"Compare process started...\r\nChecking database connections...\r\n"_s);
    column->addWidget(log);
    auto* progress = new ui::ProgressBar;
    progress->Max(40);
    progress->Value(25);
    column->addWidget(progress);
    auto* buttons2 = new QHBoxLayout;
    buttons2->addWidget(new ui::ToolButton(u"<< Back"_s));
    auto* next = new ui::ToolButton(u"Next >>"_s);
    next->Enabled(false);
    buttons2->addWidget(next);
    column->addLayout(buttons2);
    auto* status = new ui::StatusBar(1);
    status->PanelText(1, u"Configuration file : <None>"_s);
    column->addWidget(status);
    window.resize(560, 520);
    window.show();
    QApplication::processEvents();
    const QImage shot = window.grab().toImage();
    const auto file = std::filesystem::current_path() / "Controls.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(file.string())));
    std::cout << "screenshot: " << file << "\n";
}

}  // namespace
