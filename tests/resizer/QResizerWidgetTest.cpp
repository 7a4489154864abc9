// QResizer as a widget on real Qt forms, offscreen: a form built by uic from a
// .ui file (controls, a frame, a tab strip, a line and a shape) scaled up and
// down and back; the minimum size; creation by identifier; the events; the
// about box; the Designer plugin loaded as Designer loads it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesignerFormEditorInterface>
#include <QDesignerTaskMenuExtension>
#include <QExtensionManager>
#include <QLibrary>
#include <QMessageBox>
#include <QPluginLoader>
#include <QPushButton>
#include <QTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Scalora2.h"
#include "host/Scale.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/TabStrip.h"
#include "host/qt/WidgetSite.h"
#include "host/qt/testing/ControlWidgetTesting.h"
#include "resizer/QResizerWidget.h"
#include "subclass/frmabout.h"
#include "ui/testing/QtTestApplication.h"
#include "ui_ResizedForm.h"

using namespace Qt::StringLiterals;

namespace {

using host::qt::testing::Core;
using host::qt::testing::DesignSite;
using host::qt::testing::here;
using host::qt::testing::ModalScript;
using host::qt::testing::resizeClient;
using host::qt::testing::settle;
using host::qt::testing::WithApplication;
using resizer::QResizerWidget;

int half(double v) { return static_cast<int>(host::roundHalfEven(v)); }

struct Placed {
    QRect geometry;
    double font;
    friend bool operator==(const Placed&, const Placed&) = default;
};

void PrintTo(const Placed& p, std::ostream* os) {
    *os << p.geometry.x() << "," << p.geometry.y() << " " << p.geometry.width() << "x"
        << p.geometry.height() << " @" << p.font;
}

// Every control of a form but its resizer, by name.
std::map<std::string, Placed> placedOn(const QWidget& form, const QWidget* resizer) {
    std::map<std::string, Placed> out;
    for (QWidget* w : host::qt::FormControls::controlsOf(const_cast<QWidget*>(&form)))
        if (w != resizer)
            out[w->objectName().toStdString()] = {w->geometry(), w->font().pointSizeF()};
    return out;
}

class ResizedFormTest : public ::testing::Test {
protected:
    ResizedFormTest() { ui.setupUi(&form); }

    std::map<std::string, Placed> placed() const { return placedOn(form, ui.QResizer1); }
    // On the form or in the frame: each edge of the design times the factor,
    // in whole pixels (twips scaled, then halves to even).
    QRect scaled(const QRect& design, double factor) const {
        return {half(design.x() * factor), half(design.y() * factor), half(design.width() * factor),
                half(design.height() * factor)};
    }
    // On the tab strip: scaled within the page area, below the band of tabs
    // (`rows` rows of `tabHeight` twips; every row past the first narrows the
    // page by 150 twips).
    QRect onStrip(const QRect& design, const QSize& stripFirst, const QSize& stripNow, int rows = 1,
                  double tabHeight = 375) const {
        const double band = rows * tabHeight;
        const double allowance = (rows - 1) * 150.0;
        const double hr =
            std::round(stripNow.height() * 15 - band) / std::round(stripFirst.height() * 15 - band);
        const double wr = std::round(stripNow.width() * 15 - allowance) /
                          std::round(stripFirst.width() * 15 - allowance);
        auto px = [](double twips) { return half(static_cast<float>(twips) / 15.0); };
        const double top = static_cast<float>(hr * (design.y() * 15 - band)) + band;
        return {px(wr * design.x() * 15), px(top), px(wr * design.width() * 15),
                px(hr * design.height() * 15)};
    }

    WithApplication app_;
    QWidget form;
    Ui::ResizedForm ui;
};

TEST_F(ResizedFormTest, TheSavedPropertiesArriveFromTheUiFile) {
    QResizerWidget* r = ui.QResizer1;
    EXPECT_TRUE(r->sited());
    EXPECT_TRUE(r->Enabled());
    EXPECT_TRUE(r->ResizeFont());
    EXPECT_EQ(r->MinFormHeight(), 3000);
    EXPECT_EQ(r->MinFormWidth(), 4200);
    EXPECT_EQ(r->FirstWidth(), 8400);
    EXPECT_EQ(r->FirstHeight(), 6000);
    EXPECT_FALSE(r->WorkAtDesignTime());
    EXPECT_TRUE(r->isHidden());  // invisible at run time
    EXPECT_EQ(ui.Tabs->Tabs(), 2);
    EXPECT_EQ(ui.Tabs->TabCaption(1), u"Details"_s);
    EXPECT_EQ(ui.Tabs->pageOf(ui.CmdPage1), 1);
    EXPECT_LT(ui.CmdPage1->x(), -2500);  // its page is hidden
}

TEST_F(ResizedFormTest, ControlsAndFontsFollowTheFormAndComeBackAtTheDesignSize) {
    form.show();
    settle();
    const std::map<std::string, Placed> design = placed();
    ASSERT_EQ(design.size(), 16u);
    const QSize strip = ui.Tabs->size();
    const double font = ui.TxtName->font().pointSizeF();
    form.grab().save(QString::fromStdString(here("ResizedForm-1x.png")));
    std::vector<std::pair<float, float>> scales;
    QObject::connect(ui.QResizer1, &QResizerWidget::AfterResize,
                     [&](float x, float y) { scales.emplace_back(x, y); });

    for (const double factor : {2.0, 0.5}) {
        resizeClient(form, half(560 * factor), half(400 * factor));
        ASSERT_EQ(form.size(), QSize(half(560 * factor), half(400 * factor)));
        const std::map<std::string, Placed> now = placed();
        for (const auto& [name, was] : design) {
            const bool onStrip =
                ui.Tabs->isAncestorOf(form.findChild<QWidget*>(QString::fromStdString(name))) &&
                name != "Tabs";
            const Placed& p = now.at(name);
            // A line and a shape have no font of their own to scale.
            const bool fontless = name == "Rule" || name == "Swatch";
            EXPECT_DOUBLE_EQ(p.font, fontless ? was.font : was.font * factor)
                << name << " x" << factor;
            if (name == "Rule") continue;  // a line: its points, below
            QRect want = onStrip ? this->onStrip(was.geometry, strip, ui.Tabs->size())
                                 : scaled(was.geometry, factor);
            if (onStrip && was.geometry.x() < -2500)  // a hidden page
                want.moveLeft(
                    this->onStrip(was.geometry.translated(5000, 0), strip, ui.Tabs->size()).x() -
                    5000);
            EXPECT_EQ(p.geometry, want) << name << " x" << factor;
        }
        EXPECT_DOUBLE_EQ(ui.Rule->X2(), 8280 * factor);
        EXPECT_DOUBLE_EQ(ui.Rule->Y1(), 5280 * factor);
        EXPECT_FLOAT_EQ(scales.back().first, static_cast<float>(factor));
        form.grab().save(QString::fromStdString(
            here(factor > 1 ? "ResizedForm-2x.png" : "ResizedForm-half.png")));
    }
    resizeClient(form, 560, 400);
    EXPECT_EQ(placed(), design);
    EXPECT_DOUBLE_EQ(ui.TxtName->font().pointSizeF(), font);
}

TEST_F(ResizedFormTest, AHundredResizesLeaveNoDrift) {
    form.show();
    settle();
    const std::map<std::string, Placed> design = placed();
    std::uint32_t seed = 2024;
    for (int i = 0; i < 100; ++i) {
        seed = seed * 1664525u + 1013904223u;
        resizeClient(form, static_cast<int>(280 + (seed >> 8) % 900),
                     static_cast<int>(200 + (seed >> 18) % 700));
        if (i == 40) ui.Tabs->setTab(1);
        if (i == 70) ui.Tabs->setTab(0);
    }
    resizeClient(form, 560, 400);
    EXPECT_EQ(placed(), design);
    EXPECT_DOUBLE_EQ(ui.Rule->X1(), 120);
    EXPECT_DOUBLE_EQ(ui.Rule->Y2(), 5280);
}

TEST_F(ResizedFormTest, TheMinimumSizeHolds) {
    form.show();
    settle();
    const QSize frame = form.frameGeometry().size() - form.size();
    const QSize minimum = QSize(280, 200) - frame;  // 4200 x 3000 twips, outer
    EXPECT_EQ(form.minimumSize(), minimum);
    resizeClient(form, 100, 100);
    EXPECT_EQ(form.size(), minimum);
    EXPECT_EQ(ui.CmdCancel->x(), half(464.0 * minimum.width() / 560));  // laid out for it
    form.grab().save(QString::fromStdString(here("ResizedForm-minimum.png")));
    // A new limit takes effect at once, and none lifts it.
    ui.QResizer1->setMinFormWidth(6000);
    settle();
    EXPECT_EQ(form.minimumWidth(), 400 - frame.width());
    EXPECT_GE(form.width(), 400 - frame.width());
    ui.QResizer1->setMinFormWidth(0);
    ui.QResizer1->setMinFormHeight(0);
    EXPECT_EQ(form.minimumSize(), QSize(0, 0));
}

TEST_F(ResizedFormTest, ATabChosenWithTheMouseShowsItsPageInItsScaledPlace) {
    form.show();
    settle();
    resizeClient(form, 1120, 800);
    int previous = -1;
    QObject::connect(ui.Tabs, &host::qt::TabStrip::Click, [&](int p) { previous = p; });
    QTest::mouseClick(ui.Tabs, Qt::LeftButton, {}, ui.Tabs->tabRect(1).center());
    EXPECT_EQ(ui.Tabs->Tab(), 1);
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(ui.LblPage1->x(), 16);
    EXPECT_EQ(ui.LblPage0->x(), 16 - 5000);
    form.grab().save(QString::fromStdString(here("ResizedForm-2x-details.png")));
    resizeClient(form, 560, 400);
    EXPECT_EQ(ui.LblPage1->geometry(), QRect(8, 36, 192, 17));
    EXPECT_EQ(ui.CmdPage1->geometry(), QRect(8, 112, 96, 28));
    EXPECT_EQ(ui.LblPage0->x(), 8 - 5000);
}

// However many tabs a row holds, the controls of the strip's page are scaled
// within the page area the strip draws: below every row of tabs, a part-full
// last row too.
struct TabRowsCase {
    const char* name;
    int tabs, tabsPerRow;
    int rows;  // as drawn
};
void PrintTo(const TabRowsCase& k, std::ostream* os) { *os << k.name; }

class TabRows : public ResizedFormTest, public ::testing::WithParamInterface<TabRowsCase> {};

TEST_P(TabRows, KeepThePagesControlsBelowTheDrawnTabs) {
    const TabRowsCase& k = GetParam();
    ui.Tabs->setTabs(k.tabs);
    ui.Tabs->setTabsPerRow(k.tabsPerRow);
    ui.Tabs->setTabHeight(150);  // 10 pixels a row
    form.show();
    settle();
    ASSERT_EQ(ui.Tabs->rows(), k.rows);
    const QSize strip = ui.Tabs->size();
    const QRect label = ui.LblPage0->geometry();
    const QRect text = ui.TxtPage0->geometry();
    for (const double factor : {0.5, 2.0}) {
        resizeClient(form, half(560 * factor), half(400 * factor));
        const QSize now = ui.Tabs->size();
        EXPECT_EQ(ui.LblPage0->geometry(), onStrip(label, strip, now, k.rows, 150))
            << "x" << factor;
        EXPECT_EQ(ui.TxtPage0->geometry(), onStrip(text, strip, now, k.rows, 150)) << "x" << factor;
        EXPECT_GE(ui.LblPage0->y(), ui.Tabs->pageArea().top()) << "x" << factor;
        if (factor < 1 && k.rows == 3)
            form.grab().save(QString::fromStdString(here("ResizedForm-3-rows-half.png")));
    }
    resizeClient(form, 560, 400);
    EXPECT_EQ(ui.LblPage0->geometry(), label);
    EXPECT_EQ(ui.TxtPage0->geometry(), text);
}

INSTANTIATE_TEST_SUITE_P(Cases, TabRows,
                         ::testing::Values(TabRowsCase{"TwoTabsTwoARow", 2, 2, 1},
                                           TabRowsCase{"OneTabThreeARow", 1, 3, 1},
                                           TabRowsCase{"FourTabsThreeARow", 4, 3, 2},
                                           TabRowsCase{"SixTabsThreeARow", 6, 3, 2},
                                           TabRowsCase{"FiveTabsTwoARow", 5, 2, 3}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ResizedFormTest, AHandlerOfBeforeResizeControlChangesOrKeepsAControl) {
    QObject::connect(
        ui.QResizer1, &QResizerWidget::BeforeResizeControl,
        [&](QWidget*& control, float&, float&, float&, float& width, float&, bool& ignore) {
            if (control == ui.CmdOK) width = 1500;
            if (control == ui.CmdCancel) ignore = true;
        });
    form.show();
    settle();
    resizeClient(form, 1120, 800);
    EXPECT_EQ(ui.CmdOK->geometry(), QRect(736, 724, 100, 56));
    EXPECT_EQ(ui.CmdCancel->geometry(), QRect(464, 362, 88, 28));
}

TEST_F(ResizedFormTest, ContainerResizedTakesAControlTheProgramMoved) {
    form.show();
    settle();
    resizeClient(form, 1120, 800);
    ui.CmdOK->setGeometry(600, 700, 200, 60);  // by program, at twice the design size
    ui.QResizer1->ContainerResized();
    EXPECT_EQ(ui.CmdOK->geometry(), QRect(600, 700, 200, 60));
    resizeClient(form, 560, 400);
    EXPECT_EQ(ui.CmdOK->geometry(), QRect(300, 350, 100, 30));
}

// ContainerResized in the program's Form_Load, before the form is first
// shown: the form scales afterwards as one that never had the call.
struct EarlyCall {
    const char* name;
    bool formLarger;      // the program sized the form to 1.5 times first
    bool programMovedOK;  // and moved CmdOK to 300, 300
    QRect okScaled;       // at 1.5 times the design size
};
void PrintTo(const EarlyCall& k, std::ostream* os) { *os << k.name; }

class ContainerResizedBeforeTheShow : public ::testing::TestWithParam<EarlyCall> {};

TEST_P(ContainerResizedBeforeTheShow, LeavesTheFormScalingAsWithoutIt) {
    const EarlyCall& k = GetParam();
    WithApplication app;
    QWidget early;
    QWidget plain;
    Ui::ResizedForm e;
    Ui::ResizedForm p;
    e.setupUi(&early);
    p.setupUi(&plain);
    for (auto [form, ui] : {std::pair{&early, &e}, std::pair{&plain, &p}}) {
        if (k.formLarger) form->resize(840, 600);
        if (k.programMovedOK) ui->CmdOK->move(300, 300);
    }
    e.QResizer1->ContainerResized();
    for (QWidget* form : {&early, &plain}) {
        form->show();
        settle();
        resizeClient(*form, 840, 600);
    }
    EXPECT_EQ(e.CmdOK->geometry(), k.okScaled);
    EXPECT_EQ(placedOn(early, e.QResizer1), placedOn(plain, p.QResizer1));
    if (!k.formLarger && !k.programMovedOK)
        early.grab().save(QString::fromStdString(here("ResizedForm-early-1.5x.png")));
    resizeClient(early, 560, 400);
    resizeClient(plain, 560, 400);
    EXPECT_EQ(placedOn(early, e.QResizer1), placedOn(plain, p.QResizer1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContainerResizedBeforeTheShow,
    ::testing::Values(EarlyCall{"AtTheDesignSize", false, false, QRect(552, 543, 132, 42)},
                      EarlyCall{"OnALargerForm", true, false, QRect(552, 543, 132, 42)},
                      EarlyCall{"AfterTheProgramMovedAControl", false, true,
                                QRect(450, 450, 132, 42)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(QResizerWidget, IsMadeByItsProgrammaticIdentifier) {
    ui::testing::qtApplication();
    QWidget form;
    form.resize(300, 200);
    QWidget* made = scalora2::CreateObject(u"Scalora2.QResizer"_s, &form);
    auto* r = qobject_cast<QResizerWidget*>(made);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->sited());
    EXPECT_EQ(r->FirstWidth(), 4500);  // the form's size now, in twips
    EXPECT_EQ(r->FirstHeight(), 3000);
    EXPECT_EQ(scalora2::CreateObject(u"Scalora2.Nothing"_s, &form), nullptr);
    EXPECT_EQ(scalora2::CreateObject(u"scalora2.qresizer"_s, &form), nullptr);
    QLibrary library(QString::fromUtf8(SCALORA2_LIBRARY));
    auto create = reinterpret_cast<QWidget* (*)(const char*, QWidget*)>(
        library.resolve("Scalora2_CreateObject"));
    ASSERT_NE(create, nullptr) << library.errorString().toStdString();
    EXPECT_NE(qobject_cast<QResizerWidget*>(create("Scalora2.QResizer", &form)), nullptr);
    EXPECT_EQ(create("Other", &form), nullptr);
}

TEST(QResizerWidget, AFormBuiltInCodeIsScaledFromTheDesignSizeGivenIt) {
    ui::testing::qtApplication();
    QWidget form;
    form.resize(400, 300);
    auto* ok = new QPushButton(u"OK"_s, &form);
    ok->setObjectName(u"CmdOK"_s);
    ok->setGeometry(300, 260, 90, 30);
    auto* r = new QResizerWidget(&form);
    r->setFirstWidth(6000);  // the design size: 400 x 300 pixels
    r->setFirstHeight(4500);
    r->setMinFormWidth(3000);
    r->setMinFormHeight(2250);
    form.show();
    settle();
    resizeClient(form, 600, 450);
    EXPECT_EQ(ok->geometry(), QRect(450, 390, 135, 45));
    resizeClient(form, 50, 50);
    EXPECT_EQ(form.size(), QSize(200, 150) - (form.frameGeometry().size() - form.size()));
}

TEST(QResizerWidget, AboutShowsTheBoxModallyAndOnlyOnce) {
    ui::testing::qtApplication();
    QWidget form;
    auto* r = new QResizerWidget(&form);
    int shown = 0;
    ModalScript script([&](QDialog& d) {
        ++shown;
        auto* box = dynamic_cast<subclass::frmabout*>(&d);
        EXPECT_NE(box, nullptr);
        if (box != nullptr) {
            EXPECT_EQ(box->windowTitle(), u"About Orvel! Resizer Control"_s);
        }
        d.show();
        r->About();  // visible already: nothing
        r->control().About();
        return 0;
    });
    r->About();
    EXPECT_EQ(shown, 1);
    r->About();
    EXPECT_EQ(shown, 2);
}

QDesignerCustomWidgetInterface* loadPlugin(QPluginLoader& loader) {
    QObject* instance = loader.instance();
    EXPECT_NE(instance, nullptr) << loader.errorString().toStdString();
    return qobject_cast<QDesignerCustomWidgetInterface*>(instance);
}

TEST(DesignerPlugin, LoadsAndCreatesTheControl) {
    ui::testing::qtApplication();
    QPluginLoader loader(QString::fromUtf8(SCALORA2_DESIGNER_PLUGIN));
    QDesignerCustomWidgetInterface* plugin = loadPlugin(loader);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name(), u"resizer::QResizerWidget"_s);
    EXPECT_EQ(plugin->includeFile(), u"resizer/QResizerWidget.h"_s);
    EXPECT_EQ(plugin->group(), u"Scalora2"_s);
    EXPECT_FALSE(plugin->isContainer());
    EXPECT_FALSE(plugin->icon().isNull());
    EXPECT_TRUE(plugin->domXml().contains(u"name=\"QResizer1\""_s));

    QWidget form;
    form.resize(300, 200);
    auto* made = qobject_cast<QResizerWidget*>(plugin->createWidget(&form));
    ASSERT_NE(made, nullptr);
    // Designer sets the saved values right after creating it; they are taken
    // as saved, before the control sites itself on the next turn.
    made->setMinFormWidth(-5);
    made->setFirstWidth(9000);
    EXPECT_FALSE(made->sited());
    settle();
    ASSERT_TRUE(made->sited());
    EXPECT_EQ(made->MinFormWidth(), -5);
    EXPECT_EQ(made->FirstWidth(), 9000);
    EXPECT_TRUE(made->isHidden());  // outside a form being edited it runs as at run time

    Core core;
    plugin->initialize(&core);
    EXPECT_TRUE(plugin->isInitialized());
    auto* menu = qt_extension<QDesignerTaskMenuExtension*>(core.extensionManager(), made);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->taskActions().size(), 1);
    EXPECT_EQ(menu->taskActions()[0]->text(), u"About Orvel! Resizer Control..."_s);
    int boxes = 0;
    ModalScript script([&](QDialog& d) {
        boxes += dynamic_cast<subclass::frmabout*>(&d) != nullptr;
        return 0;
    });
    menu->taskActions()[0]->trigger();
    EXPECT_EQ(boxes, 1);
}

struct DesignForm {
    DesignForm() {
        form.resize(400, 300);
        button = new QPushButton(u"OK"_s, &form);
        button->setObjectName(u"CmdOK"_s);
        button->setGeometry(300, 260, 90, 30);
        control = new QResizerWidget(&form, [this](QWidget* c) {
            auto s = std::make_unique<DesignSite>(c);
            site = s.get();
            return s;
        });
        settle();
        form.show();
        settle();
    }
    WithApplication app_;
    QWidget form;
    QPushButton* button = nullptr;
    QResizerWidget* control = nullptr;
    DesignSite* site = nullptr;
};

TEST(DesignTime, OnlyTheDesignSizeFollowsTheFormUnlessWorkAtDesignTimeIsSet) {
    DesignForm d;
    ASSERT_TRUE(d.control->sited());
    EXPECT_FALSE(d.control->isHidden());  // its face shows in the designer
    EXPECT_EQ(d.control->FirstWidth(), 6000);
    auto& windows = host::qt::QtWindows::instance();
    const host::Hwnd hwnd = windows.handleOf(&d.form);
    resizeClient(d.form, 600, 450);
    EXPECT_EQ(d.button->geometry(), QRect(300, 260, 90, 30));
    EXPECT_EQ(d.control->FirstWidth(), 6000);
    // The end of a drag of the form's frame.
    d.site->changes.clear();
    windows.SendMessage(hwnd, host::WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(d.control->FirstWidth(), 9000);
    EXPECT_EQ(d.control->FirstHeight(), 6750);
    EXPECT_EQ(d.site->changes, (std::vector<std::string>{"FirstHeight", "FirstWidth"}));

    // Working in the designer: the form's size now is the design size, and
    // every size change scales the controls.
    d.control->setWorkAtDesignTime(true);
    EXPECT_TRUE(d.control->SmartDetect());
    resizeClient(d.form, 300, 225);
    EXPECT_EQ(d.button->geometry(), QRect(150, 130, 45, 15));
    // A control the designer moves is picked up at the next size change.
    d.button->move(100, 100);
    resizeClient(d.form, 600, 450);
    EXPECT_EQ(d.button->geometry(), QRect(200, 200, 90, 30));

    // SmartDetect cannot be dropped while working in the designer.
    std::vector<QString> texts;
    ModalScript script([&](QDialog& dialog) {
        if (auto* box = dynamic_cast<QMessageBox*>(&dialog)) {
            texts.push_back(box->windowTitle() + u"|"_s + box->text());
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
        }
        return 0;
    });
    d.control->setSmartDetect(false);
    EXPECT_TRUE(d.control->SmartDetect());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0],
              u"Orvel! Resizer Control|You can't set 'SmartDetect' to False when "
              u"you're at Design-Time and 'WorkAtDesignTime' is set to True."_s);
}

}  // namespace
