// The host layer's Qt bridge, offscreen: window handles and stores, the
// messages a subclassed widget receives, the size limits it takes from them,
// widgets as host objects in twips, and a form's collection of controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVariant>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/qt/Line.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/Shape.h"
#include "host/qt/TabStrip.h"
#include "host/qt/WidgetObject.h"
#include "host/qt/WidgetSite.h"
#include "subclass/MSubclass.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace {

using host::Member;
using host::qt::QtWindows;

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

// A client that records the messages it gets and answers the two size
// questions with fixed limits (pixels of the outer size).
class Limits : public subclass::ISubclass {
public:
    host::LResult WindowProc(host::Hwnd, std::uint32_t msg, host::WParam,
                             host::LParam lParam) override {
        messages.push_back(msg);
        if (msg == host::WM_GETMINMAXINFO && maxWidth > 0)
            reinterpret_cast<host::MINMAXINFO*>(lParam)->ptMaxTrackSize = {maxWidth, maxHeight};
        if (msg == host::WM_SIZING && minWidth > 0) {
            auto* r = reinterpret_cast<host::RECT*>(lParam);
            r->right = std::max(r->right, r->left + minWidth);
            r->bottom = std::max(r->bottom, r->top + minHeight);
        }
        return 0;
    }
    std::vector<std::uint32_t> messages;
    std::int32_t minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};

class QtBridge : public ::testing::Test {
protected:
    void attach(QWidget& w, const std::shared_ptr<Limits>& client) {
        const host::Hwnd h = windows.handleOf(&w);
        for (const std::uint32_t msg : {host::WM_WINDOWPOSCHANGING, host::WM_SIZE,
                                        host::WM_GETMINMAXINFO, host::WM_SIZING, host::WM_DESTROY})
            module.AttachMessage(client, h, static_cast<std::int32_t>(msg));
    }
    std::vector<std::uint32_t> without(const std::vector<std::uint32_t>& all, std::uint32_t a,
                                       std::uint32_t b) {
        std::vector<std::uint32_t> out;
        for (const auto m : all)
            if (m != a && m != b) out.push_back(m);
        return out;
    }

    WithApplication app_;
    QtWindows& windows = QtWindows::instance();
    subclass::MSubclass module{"Bridge", windows};
};

TEST_F(QtBridge, AWidgetKeepsItsHandleAndStoreWhileItLives) {
    auto* w = new QWidget;
    const host::Hwnd h = windows.handleOf(w);
    EXPECT_EQ(windows.handleOf(w), h);
    EXPECT_EQ(windows.widgetOf(h), w);
    EXPECT_TRUE(windows.IsWindow(h));
    EXPECT_EQ(windows.GetWindowThreadProcessId(h), windows.GetCurrentProcessId());
    EXPECT_TRUE(windows.SetProp(h, "k", 7));
    EXPECT_EQ(windows.GetProp(h, "k"), 7);
    w->resize(120, 80);
    EXPECT_EQ(windows.GetClientRect(h), (host::RECT{0, 0, 120, 80}));
    delete w;
    EXPECT_FALSE(windows.IsWindow(h));
    EXPECT_EQ(windows.GetProp(h, "k"), 0);
    EXPECT_EQ(windows.GetClientRect(h), host::RECT{});
    EXPECT_EQ(windows.GetWindowThreadProcessId(h), 0u);
}

TEST_F(QtBridge, ASubclassedWindowReceivesShowResizeMoveAndDestroyMessages) {
    auto client = std::make_shared<Limits>();
    auto* w = new QWidget;
    w->resize(300, 200);
    attach(*w, client);
    w->show();
    settle();
    // Its first show (a pending resize, then the show itself) is positioned.
    auto seen = without(client->messages, host::WM_GETMINMAXINFO, host::WM_SIZING);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), host::WM_WINDOWPOSCHANGING);
    client->messages.clear();
    w->resize(320, 210);
    settle();
    seen = without(client->messages, host::WM_GETMINMAXINFO, host::WM_SIZING);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{host::WM_WINDOWPOSCHANGING, host::WM_SIZE}));
    // Each resize asks for the limits again.
    EXPECT_NE(std::find(client->messages.begin(), client->messages.end(), host::WM_SIZING),
              client->messages.end());
    client->messages.clear();
    w->move(40, 30);
    settle();
    seen = without(client->messages, host::WM_GETMINMAXINFO, host::WM_SIZING);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{host::WM_WINDOWPOSCHANGING}));
    client->messages.clear();
    const host::Hwnd h = windows.handleOf(w);
    delete w;
    EXPECT_EQ(client->messages, (std::vector<std::uint32_t>{host::WM_DESTROY}));
    EXPECT_FALSE(windows.IsWindow(h));
}

TEST_F(QtBridge, AWindowShownBeforeItWasSubclassedIsPositionedOnTheNextTurn) {
    auto client = std::make_shared<Limits>();
    QWidget w;
    w.show();
    settle();
    attach(w, client);
    EXPECT_TRUE(client->messages.empty());
    settle();
    ASSERT_FALSE(client->messages.empty());
    EXPECT_EQ(client->messages.front(), host::WM_WINDOWPOSCHANGING);
}

TEST_F(QtBridge, TheChainsAnswersBecomeTheWindowsLimitsBesideItsOwn) {
    auto client = std::make_shared<Limits>();
    QWidget w;
    w.setMinimumSize(50, 250);  // the widget's own
    w.resize(300, 300);
    client->minWidth = 200;
    client->minHeight = 100;
    client->maxWidth = 600;
    client->maxHeight = 500;
    attach(w, client);
    w.show();
    settle();
    const QSize frame = w.frameGeometry().size() - w.size();
    EXPECT_EQ(w.minimumSize(), QSize(200 - frame.width(), 250));
    EXPECT_EQ(w.maximumSize(), QSize(600, 500) - frame);
    w.resize(900, 10);
    settle();
    EXPECT_EQ(w.size(), QSize(600 - frame.width(), 250));
    // Once nobody answers, the widget's own limits are back.
    const host::Hwnd h = windows.handleOf(&w);
    for (const std::uint32_t msg : {host::WM_WINDOWPOSCHANGING, host::WM_SIZE,
                                    host::WM_GETMINMAXINFO, host::WM_SIZING, host::WM_DESTROY})
        module.DetachMessage(*client, h, static_cast<std::int32_t>(msg));
    EXPECT_EQ(w.minimumSize(), QSize(50, 250));
    EXPECT_EQ(w.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST_F(QtBridge, WidgetsAreHostObjectsInTwips) {
    QWidget form;
    form.resize(400, 300);
    auto* box = new QGroupBox(&form);
    box->setObjectName(u"Frame1"_s);
    box->setGeometry(10, 20, 200, 100);
    auto* page = new QLabel(box);
    page->setObjectName(u"Page_2"_s);
    page->setProperty("Index", 2);
    page->setGeometry(4, 6, 50, 10);
    auto* pixels = new QWidget(&form);
    pixels->setObjectName(u"Picture1"_s);
    pixels->setProperty("ScaleMode", 3);
    pixels->setGeometry(0, 0, 100, 100);
    auto* inPixels = new QPushButton(pixels);
    inPixels->setObjectName(u"Cmd"_s);
    inPixels->setGeometry(5, 6, 7, 8);

    const host::ObjectRef frame = windows.objectFor(box);
    EXPECT_EQ(frame->TypeName(), "QGroupBox");
    EXPECT_EQ(frame->Name(), "Frame1");
    EXPECT_EQ(frame->Index(), std::nullopt);
    EXPECT_EQ(frame->Get(Member::Left), 150.0f);
    EXPECT_EQ(frame->Get(Member::Height), 1500.0f);
    EXPECT_EQ(frame->ScaleMode(), std::nullopt);  // frames have none
    EXPECT_EQ(frame->hwnd(), windows.handleOf(box));
    EXPECT_EQ(frame->Get(Member::X1), std::nullopt);

    const host::ObjectRef member = windows.objectFor(page);
    EXPECT_EQ(member->Name(), "Page");
    EXPECT_EQ(member->Index(), 2);
    EXPECT_EQ(member->Container(), frame);
    EXPECT_TRUE(member->Move(150, 300, 1500, 450));
    EXPECT_EQ(page->geometry(), QRect(10, 20, 100, 30));
    EXPECT_FALSE(member->Move(0, 0, -15, 15));  // a negative size is refused
    EXPECT_FALSE(member->Set(Member::Width, -1));
    EXPECT_TRUE(member->Set(Member::Left, 307));  // 20.47 pixels
    EXPECT_EQ(page->x(), 20);
    EXPECT_EQ(member->Visible(), true);
    page->hide();
    EXPECT_EQ(member->Visible(), false);
    ASSERT_TRUE(member->Get(Member::FontSize));
    EXPECT_TRUE(member->Set(Member::FontSize, 14));
    EXPECT_DOUBLE_EQ(page->font().pointSizeF(), 14);

    // In a container of scale mode 3 geometry is in pixels.
    const host::ObjectRef cmd = windows.objectFor(inPixels);
    EXPECT_EQ(cmd->Container()->ScaleMode(), 3);
    EXPECT_EQ(cmd->Get(Member::Left), 5.0f);
    EXPECT_TRUE(cmd->Move(10, 11, 12, 13));
    EXPECT_EQ(inPixels->geometry(), QRect(10, 11, 12, 13));

    // A form's size is its outer size.
    auto formObject =
        std::make_shared<host::qt::WidgetObject>(&form, host::qt::WidgetObject::Kind::Form);
    EXPECT_TRUE(formObject->IsForm());
    EXPECT_EQ(formObject->TypeName(), "Form");
    EXPECT_EQ(formObject->ScaleMode(), 1);
    const QSize frameSize = form.frameGeometry().size() - form.size();
    EXPECT_EQ(formObject->Get(Member::Width), (400.0f + frameSize.width()) * 15);
    EXPECT_TRUE(formObject->Set(Member::Height, 15.0f * (200 + frameSize.height())));
    EXPECT_EQ(form.height(), 200);

    // Values no widget can take are refused, never converted.
    EXPECT_FALSE(member->Set(Member::Left, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(member->Set(Member::Top, 1e30f));
    EXPECT_FALSE(member->Move(0, 0, std::numeric_limits<float>::infinity(), 15));
    EXPECT_FALSE(member->Set(Member::FontSize, std::numeric_limits<float>::infinity()));
    EXPECT_EQ(page->x(), 20);

    delete page;
    EXPECT_EQ(member->Name(), std::nullopt);  // gone: every member fails
    EXPECT_FALSE(member->Move(0, 0, 1, 1));
}

TEST_F(QtBridge, LinesAndShapesAreKnownByTheirOwnNames) {
    QWidget form;
    auto* line = new host::qt::Line(&form);
    line->setObjectName(u"Rule"_s);
    line->setPoints(150, 300, 1650, 300);
    EXPECT_EQ(line->geometry(), QRect(10, 20, 101, 1));
    const host::ObjectRef l = windows.objectFor(line);
    EXPECT_EQ(l->TypeName(), "Line");
    EXPECT_EQ(l->Get(Member::X2), 1650.0f);
    EXPECT_EQ(l->Get(Member::Left), std::nullopt);
    EXPECT_FALSE(l->Move(0, 0, 10, 10));
    EXPECT_TRUE(l->Set(Member::Y2, 600));
    EXPECT_EQ(line->geometry(), QRect(10, 20, 101, 21));

    auto* shape = new host::qt::Shape(&form);
    shape->setObjectName(u"Shape1"_s);
    const host::ObjectRef s = windows.objectFor(shape);
    EXPECT_EQ(s->TypeName(), "Shape");
    EXPECT_EQ(s->Get(Member::FontSize), std::nullopt);
    EXPECT_TRUE(s->Move(0, 0, 300, 300));
}

TEST_F(QtBridge, AFormsControlsAreItsNamedWidgetsInTreeOrder) {
    QWidget form;
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    named(new QPushButton(&form), "First");
    QWidget* frame = named(new QGroupBox(&form), "Frame1");
    named(new QLabel(frame), "InFrame");
    QWidget* wrapper = new QWidget(&form);  // unnamed: looked into, not listed
    named(new QLabel(wrapper), "InWrapper");
    named(new QLabel(&form), "qt_internal");
    QWidget* combo = named(new QComboBox(&form), "Combo");
    named(new QLabel(combo), "InsideACombo");               // another control's inside
    QWidget* dialog = named(new QDialog(&form), "Dialog");  // a window of its own
    named(new QLabel(dialog), "InDialog");

    // A tab widget: its pages are looked into, its bar (with scroll buttons
    // of its own) is not.
    auto* tabWidget = static_cast<QTabWidget*>(named(new QTabWidget(&form), "TabWidget"));
    QWidget* tabPage = named(new QWidget, "TabPage1");
    named(new QLabel(tabPage), "OnTabPage");
    tabWidget->addTab(tabPage, u"One"_s);
    tabWidget->tabBar()->setUsesScrollButtons(true);
    named(new QPushButton(&form), "Last");

    std::vector<std::string> names;
    for (QWidget* w : host::qt::FormControls::controlsOf(&form))
        names.push_back(w->objectName().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"First", "Frame1", "InFrame", "InWrapper", "Combo",
                                               "TabWidget", "TabPage1", "OnTabPage", "Last"}));

    // Through a control's site: position 0 is the form, and additions count.
    auto* control = named(new QWidget(&form), "Control");
    host::qt::WidgetSite site(control);
    host::ControlCollection& controls = site.ParentControls();
    EXPECT_EQ(controls.Count(), 11);
    EXPECT_TRUE(controls.Item(0)->IsForm());
    EXPECT_EQ(controls.Item(1)->Name(), "First");
    EXPECT_EQ(controls.Item(10)->Name(), "Control");
    EXPECT_EQ(controls.Item(11), nullptr);
    named(new QLabel(&form), "Added");
    EXPECT_EQ(controls.Count(), 12);
    EXPECT_EQ(site.Parent()->hwnd(), windows.handleOf(&form));
    EXPECT_EQ(site.ContainerHwnd(), windows.handleOf(&form));
    EXPECT_TRUE(site.UserMode());
    EXPECT_EQ(site.TwipsPerPixelX(), 15.0f);
}

TEST_F(QtBridge, ATabStripKeepsTheControlsOfItsHiddenPagesFarLeft) {
    QWidget form;
    form.resize(400, 300);
    auto* strip = new host::qt::TabStrip(&form);
    strip->setObjectName(u"Tabs"_s);
    strip->setGeometry(10, 10, 300, 200);
    strip->setTabCaptions({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
    strip->setTabsPerRow(2);
    strip->setTabHeight(300);  // twips of the form: 20 pixels a row
    auto* onFirst = new QLabel(u"First"_s, strip);
    onFirst->setObjectName(u"OnFirst"_s);
    onFirst->setGeometry(10, 50, 80, 20);
    auto* onSecond = new QPushButton(u"Second"_s, strip);
    onSecond->setObjectName(u"OnSecond"_s);
    onSecond->setGeometry(10, 80, 80, 24);
    strip->setPageOf(onSecond, 1);
    auto* rule = new host::qt::Line(strip);
    rule->setObjectName(u"Rule"_s);
    rule->setPoints(150, 1800, 1500, 1800);
    strip->setPageOf(rule, 1);

    EXPECT_EQ(strip->pageOf(onFirst), 0);
    EXPECT_EQ(strip->pageOf(&form), -1);
    EXPECT_EQ(onFirst->x(), 10);
    EXPECT_EQ(onSecond->x(), 10 - 5000);  // 75000 twips
    EXPECT_DOUBLE_EQ(rule->X1(), 150 - 75000);
    EXPECT_DOUBLE_EQ(rule->X2(), 1500 - 75000);
    EXPECT_EQ(strip->rows(), 2);
    EXPECT_EQ(strip->pageArea(), QRect(0, 40, 300, 160));

    const host::ObjectRef object = windows.objectFor(strip);
    EXPECT_EQ(object->TypeName(), "SSTab");
    EXPECT_EQ(object->Tabs(), 4);
    EXPECT_EQ(object->TabsPerRow(), 2);
    EXPECT_EQ(object->TabOrientation(), 0);
    EXPECT_EQ(object->Get(Member::TabHeight), 300.0f);
    EXPECT_EQ(object->Get(Member::Left), 150.0f);
    EXPECT_EQ(windows.objectFor(onSecond)->Container(), object);
    EXPECT_EQ(windows.objectFor(onSecond)->Get(Member::Left), 150.0f - 75000);
    std::vector<std::string> names;
    for (QWidget* w : host::qt::FormControls::controlsOf(&form))
        names.push_back(w->objectName().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"Tabs", "OnFirst", "OnSecond", "Rule"}));

    // The row of the tab shown lies next to the page.
    EXPECT_EQ(strip->tabRect(0), QRect(0, 20, 150, 20));
    EXPECT_EQ(strip->tabRect(3), QRect(150, 0, 150, 20));
    int previous = -1;
    QObject::connect(strip, &host::qt::TabStrip::Click, [&](int p) { previous = p; });
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(3).center());
    EXPECT_EQ(strip->Tab(), 3);
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(strip->tabRect(3), QRect(150, 20, 150, 20));
    EXPECT_EQ(strip->tabRect(0), QRect(0, 0, 150, 20));
    EXPECT_EQ(onFirst->x(), 10 - 5000);
    strip->setTab(1);
    EXPECT_EQ(onSecond->x(), 10);
    EXPECT_EQ(onFirst->x(), 10 - 5000);
    EXPECT_DOUBLE_EQ(rule->X1(), 150);
    strip->setTab(9);  // no such tab: nothing
    EXPECT_EQ(strip->Tab(), 1);

    // Other sides; the height is in the units of the strip's container.
    strip->setTabOrientation(2);
    EXPECT_EQ(strip->pageArea(), QRect(40, 0, 260, 200));
    EXPECT_EQ(strip->tabRect(1), QRect(20, 100, 20, 100));
    strip->setTabOrientation(7);
    EXPECT_EQ(strip->TabOrientation(), 2);
    form.setProperty("ScaleMode", 3);
    EXPECT_DOUBLE_EQ(strip->TabHeight(), 20);
}

TEST_F(QtBridge, ATabStripDrawsItsRowsOnEachSide) {
    QWidget form;
    form.resize(660, 460);
    for (int side = 0; side < 4; ++side) {
        auto* strip = new host::qt::TabStrip(&form);
        strip->setGeometry(10 + (side % 2) * 320, 10 + (side / 2) * 220, 310, 210);
        strip->setTabCaptions({u"Tables"_s, u"Views"_s, u"Procedures"_s, u"Users"_s, u"Groups"_s});
        strip->setTabsPerRow(3);
        strip->setTabOrientation(side);
        strip->setTab(side);
        auto* label = new QLabel(u"Page %1"_s.arg(side), strip);
        const QRect page = strip->pageArea();
        label->setGeometry(page.x() + 10, page.y() + 10, 120, 20);
    }
    form.show();
    QApplication::processEvents();
    const QImage shot = form.grab().toImage();
    shot.save(QString::fromStdString((std::filesystem::current_path() / "TabStrip.png").string()));
    EXPECT_FALSE(shot.isNull());
}

TEST_F(QtBridge, ATabShowsItsWholeCaptionWhereverItFits) {
    QWidget form;
    form.resize(400, 400);
    auto* strip = new host::qt::TabStrip(&form);
    strip->setTabCaptions({u"General"_s, u"Details"_s, u"Procedures"_s});
    strip->setTabsPerRow(3);
    const QFontMetrics metrics(strip->captionFont());
    const int caption = metrics.horizontalAdvance(u"Procedures"_s);
    // Each tab a little wider than its longest caption, along either side.
    const int length = 3 * (caption + 12);
    for (const int side : {0, 2}) {
        strip->setTabOrientation(side);
        strip->setGeometry(0, 0, side == 0 ? length : 300, side == 0 ? 300 : length);
        for (int tab = 0; tab < 3; ++tab)
            EXPECT_EQ(strip->shownCaption(tab).toStdString(), strip->TabCaption(tab).toStdString())
                << side << " " << tab;
        // Where even that is too little room, the caption is shortened.
        strip->resize(side == 0 ? caption * 2 : 300, side == 0 ? 300 : caption * 2);
        EXPECT_LT(metrics.horizontalAdvance(strip->shownCaption(2)), caption * 2 / 3) << side;
        EXPECT_TRUE(strip->shownCaption(2).endsWith(QChar(0x2026))) << side;
    }
}

TEST_F(QtBridge, MessageBoxesGoThroughTheModalHook) {
    QWidget form;
    host::qt::WidgetSite site(&form);
    QString shownText;
    host::qt::setModalRunner([&](QDialog& d) {
        auto* box = dynamic_cast<QMessageBox*>(&d);
        EXPECT_NE(box, nullptr);
        if (box == nullptr) return 0;
        shownText = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::No) != nullptr ? box->button(QMessageBox::No)->click()
                                                : box->button(QMessageBox::Ok)->click();
        return 0;
    });
    EXPECT_EQ(site.MsgBox("Careful", 48, "Title"), 1);
    EXPECT_EQ(shownText, u"Careful"_s);
    EXPECT_EQ(site.MsgBox("Sure?", 48 + 4, "Title"), 7);
    host::qt::setModalRunner({});
}

}  // namespace
