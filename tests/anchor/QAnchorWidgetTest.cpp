// QAnchor as a widget on real Qt forms, offscreen: a form built by uic from a
// .ui file, resized; creation by identifier; the about box and the property
// page; the Designer plugin loaded as Designer loads it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesignerFormEditorInterface>
#include <QDesignerTaskMenuExtension>
#include <QExtensionManager>
#include <QImage>
#include <QLibrary>
#include <QPluginLoader>
#include <QTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <filesystem>
#include <map>

#include "Bollard2.h"
#include "anchor/PropAnchorPage.h"
#include "anchor/QAnchorWidget.h"
#include "host/qt/Line.h"
#include "host/qt/Modal.h"
#include "host/qt/QtWindows.h"
#include "host/qt/WidgetSite.h"
#include "host/qt/testing/ControlWidgetTesting.h"
#include "subclass/frmabout.h"
#include "ui/testing/QtTestApplication.h"
#include "ui_AnchoredForm.h"

using namespace Qt::StringLiterals;

namespace {

using anchor::QAnchorWidget;
using host::qt::testing::Core;
using host::qt::testing::DesignSite;
using host::qt::testing::here;
using host::qt::testing::ModalScript;
using host::qt::testing::resizeClient;
using host::qt::testing::settle;
using host::qt::testing::WithApplication;

class AnchoredFormTest : public ::testing::Test {
protected:
    AnchoredFormTest() { ui.setupUi(&form); }
    std::map<std::string, QRect> geometry() const {
        return {{"RTBox", ui.RTBox->geometry()},     {"Frame1", ui.Frame1->geometry()},
                {"Inner", ui.Inner->geometry()},     {"Centred", ui.Centred->geometry()},
                {"CmdSave", ui.CmdSave->geometry()}, {"CmdPrint", ui.CmdPrint->geometry()},
                {"Page_2", ui.Page_2->geometry()},   {"CmdClose", ui.CmdClose->geometry()}};
    }
    WithApplication app_;
    QWidget form;
    Ui::AnchoredForm ui;
};

const std::map<std::string, QRect> kDesign{
    {"RTBox", {8, 8, 360, 350}},     {"Frame1", {376, 8, 176, 350}},
    {"Inner", {8, 24, 160, 21}},     {"Centred", {8, 160, 160, 17}},
    {"CmdSave", {8, 370, 97, 25}},   {"CmdPrint", {113, 370, 97, 25}},
    {"Page_2", {340, 374, 100, 17}}, {"CmdClose", {455, 370, 97, 25}}};

// 100 pixels wider and 80 higher.
const std::map<std::string, QRect> kGrown{
    {"RTBox", {8, 8, 360, 430}},     {"Frame1", {376, 8, 276, 430}},
    {"Inner", {8, 24, 260, 21}},     {"Centred", {58, 200, 160, 17}},
    {"CmdSave", {8, 450, 97, 25}},   {"CmdPrint", {113, 450, 97, 25}},
    {"Page_2", {440, 454, 100, 17}}, {"CmdClose", {555, 450, 97, 25}}};

TEST_F(AnchoredFormTest, TheSavedPropertiesArriveFromTheUiFile) {
    QAnchorWidget* a = ui.QAnchor1;
    EXPECT_TRUE(a->sited());
    EXPECT_FALSE(a->Enabled());
    EXPECT_EQ(a->MinFormHeight(), 5910);
    EXPECT_EQ(a->MinFormWidth(), 8400);
    EXPECT_EQ(a->FirstWidth(), 560);
    EXPECT_TRUE(a->Anchor().startsWith(u"RTBox\n1101\nFrame1\n"_s));
    EXPECT_EQ(a->control().anchorList().substr(0, 12), "RTBox\r1101\rF");
    EXPECT_TRUE(a->isHidden());  // invisible at run time
    EXPECT_EQ(a->Anchorit(), QString());
}

TEST_F(AnchoredFormTest, KeepsEachControlAtItsEdgesAsTheFormIsResized) {
    ui.QAnchor1->setEnabled(true);  // as the program's Form_Load does
    form.show();
    settle();
    EXPECT_EQ(geometry(), kDesign);
    std::vector<std::pair<float, float>> scales;
    QObject::connect(ui.QAnchor1, &QAnchorWidget::AfterResize,
                     [&](float x, float y) { scales.emplace_back(x, y); });
    resizeClient(form, 660, 490);
    EXPECT_EQ(form.size(), QSize(660, 490));
    EXPECT_EQ(geometry(), kGrown);
    ASSERT_FALSE(scales.empty());
    EXPECT_FLOAT_EQ(scales.back().first, 660.0f / 560.0f);
    form.grab().save(QString::fromStdString(here("AnchoredForm-grown.png")));
    // Any path back to the design size gives the design geometry again.
    resizeClient(form, 900, 700);
    resizeClient(form, 500, 420);
    resizeClient(form, 560, 410);
    EXPECT_EQ(geometry(), kDesign);
    form.grab().save(QString::fromStdString(here("AnchoredForm.png")));
}

TEST_F(AnchoredFormTest, TheMinimumSizeHolds) {
    ui.QAnchor1->setEnabled(true);
    form.show();
    settle();
    const QSize frame = form.frameGeometry().size() - form.size();
    const QSize minimum = QSize(560, 394) - frame;  // 8400 and 5910 twips, outer
    EXPECT_EQ(form.minimumSize(), minimum);
    resizeClient(form, 100, 100);
    EXPECT_EQ(form.size(), minimum);
    // Laid out for that size: the close button keeps its distance to the corner.
    EXPECT_EQ(ui.CmdClose->geometry().topLeft(),
              QPoint(455 - (560 - minimum.width()), 370 - (410 - minimum.height())));
    form.grab().save(QString::fromStdString(here("AnchoredForm-minimum.png")));
    // A new limit takes effect at once, and going without one lifts it.
    ui.QAnchor1->setMinFormWidth(9000);
    settle();
    EXPECT_EQ(form.minimumWidth(), 600 - frame.width());
    EXPECT_GE(form.width(), 600 - frame.width());
    ui.QAnchor1->setMinFormWidth(0);
    ui.QAnchor1->setMinFormHeight(0);
    EXPECT_EQ(form.minimumSize(), QSize(0, 0));
}

TEST_F(AnchoredFormTest, AMaximumLimitsTheForm) {
    ui.QAnchor1->setEnabled(true);
    ui.QAnchor1->setMaxFormWidth(9000);  // 600 pixels
    form.show();
    settle();
    const int frame = form.frameGeometry().width() - form.width();
    EXPECT_EQ(form.maximumWidth(), 600 - frame);
    resizeClient(form, 800, 410);
    EXPECT_EQ(form.width(), 600 - frame);
}

TEST_F(AnchoredFormTest, WhileDisabledTheFormIsNotLaidOut) {
    form.show();
    settle();
    resizeClient(form, 660, 490);
    EXPECT_EQ(geometry(), kDesign);
    EXPECT_EQ(form.minimumSize(), QSize(0, 0));
}

TEST_F(AnchoredFormTest, ContainerResizedFollowsAContainerTheProgramResized) {
    ui.QAnchor1->setEnabled(true);
    form.show();
    settle();
    ui.Frame1->resize(276, 350);  // by program
    ui.QAnchor1->ContainerResized();
    EXPECT_EQ(ui.Inner->geometry(), QRect(8, 24, 260, 21));
    EXPECT_EQ(ui.Frame1->geometry(), QRect(376, 8, 276, 350));
}

TEST_F(AnchoredFormTest, AnchorControlAnchorsAControlAddedByTheProgram) {
    ui.QAnchor1->setEnabled(true);
    form.show();
    settle();
    auto* late = new QPushButton(u"Late"_s, &form);
    late->setObjectName(u"Late"_s);
    late->setGeometry(300, 200, 50, 20);
    late->show();
    ui.QAnchor1->AnchorControl(late, false, false, true, true);
    resizeClient(form, 660, 490);
    EXPECT_EQ(late->geometry(), QRect(400, 280, 50, 20));
}

// AnchorControl in the program's Form_Load, before the form is first shown
// (before or after the control is switched on): the control is recorded
// where it stands on the form as designed; the others are laid out as ever.
struct EarlyAnchor {
    const char* name;
    const char* control;  // a control of the form, or "Late": one the program adds
    bool left, top, right, bottom;
    bool switchedOnFirst;
    QRect grown;  // at 100 pixels wider and 80 higher
};
void PrintTo(const EarlyAnchor& k, std::ostream* os) { *os << k.name; }

class AnchorControlBeforeTheShow : public AnchoredFormTest,
                                   public ::testing::WithParamInterface<EarlyAnchor> {};

TEST_P(AnchorControlBeforeTheShow, RecordsTheControlWhereItStandsAsDesigned) {
    const EarlyAnchor& k = GetParam();
    auto* target = form.findChild<QWidget*>(QString::fromLatin1(k.control));
    if (target == nullptr) {
        target = new QPushButton(u"Late"_s, &form);
        target->setObjectName(QString::fromLatin1(k.control));
        target->setGeometry(300, 200, 50, 20);
    }
    const QRect designed = target->geometry();
    if (k.switchedOnFirst) ui.QAnchor1->setEnabled(true);
    ui.QAnchor1->AnchorControl(target, k.left, k.top, k.right, k.bottom);
    if (!k.switchedOnFirst) ui.QAnchor1->setEnabled(true);
    form.show();
    settle();
    EXPECT_EQ(target->geometry(), designed);
    EXPECT_EQ(geometry(), kDesign);
    resizeClient(form, 660, 490);
    EXPECT_EQ(target->geometry(), k.grown);
    for (const auto& [name, rect] : geometry())
        if (name != k.control) {
            EXPECT_EQ(rect, kGrown.at(name)) << name;
        }
    resizeClient(form, 560, 410);
    EXPECT_EQ(target->geometry(), designed);
    EXPECT_EQ(geometry(), kDesign);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnchorControlBeforeTheShow,
    ::testing::Values(EarlyAnchor{"CmdSaveToTheCorner", "CmdSave", false, false, true, true, false,
                                  QRect(108, 450, 97, 25)},
                      EarlyAnchor{"CmdCloseToTheTopLeft", "CmdClose", true, true, false, false,
                                  false, QRect(455, 370, 97, 25)},
                      EarlyAnchor{"RTBoxStretchedBothWays", "RTBox", true, true, true, true, false,
                                  QRect(8, 8, 460, 430)},
                      EarlyAnchor{"AControlTheProgramAdds", "Late", false, false, true, true, false,
                                  QRect(400, 280, 50, 20)},
                      EarlyAnchor{"AfterTheControlIsSwitchedOn", "CmdSave", false, false, true,
                                  true, true, QRect(108, 450, 97, 25)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(AnchoredFormTest, TakenOffItsFormItLetsTheFormGoAndComesBackWithItsValues) {
    QAnchorWidget* a = ui.QAnchor1;
    a->setEnabled(true);
    form.show();
    settle();
    auto& windows = host::qt::QtWindows::instance();
    const host::Hwnd hwnd = windows.handleOf(&form);
    const host::ProcId subclassed = windows.GetWindowProc(hwnd);
    a->setParent(nullptr);
    EXPECT_FALSE(a->sited());
    EXPECT_NE(windows.GetWindowProc(hwnd), subclassed);
    EXPECT_EQ(form.minimumSize(), QSize(0, 0));
    resizeClient(form, 660, 490);
    EXPECT_EQ(geometry(), kDesign);  // nobody lays it out any more
    resizeClient(form, 560, 410);
    a->setParent(&form);
    ASSERT_TRUE(a->sited());
    EXPECT_EQ(a->MinFormWidth(), 8400);
    EXPECT_TRUE(a->Enabled());
    EXPECT_TRUE(a->Anchor().startsWith(u"RTBox\n1101\n"_s));
    settle();  // its first position message
    resizeClient(form, 660, 490);
    EXPECT_EQ(geometry(), kGrown);
    delete a;
}

TEST(QAnchorWidget, IsMadeByItsProgrammaticIdentifier) {
    ui::testing::qtApplication();
    QWidget form;
    form.resize(300, 200);
    QWidget* made = bollard2::CreateObject(u"Bollard2.QAnchor"_s, &form);
    auto* a = qobject_cast<QAnchorWidget*>(made);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->sited());
    EXPECT_EQ(bollard2::CreateObject(u"Bollard2.Nothing"_s, &form), nullptr);
    EXPECT_EQ(bollard2::CreateObject(u"bollard2.qanchor"_s, &form), nullptr);
    // The exported C entry, as a program that loads the library finds it.
    QLibrary library(QString::fromUtf8(BOLLARD2_LIBRARY));
    auto create = reinterpret_cast<QWidget* (*)(const char*, QWidget*)>(
        library.resolve("Bollard2_CreateObject"));
    ASSERT_NE(create, nullptr) << library.errorString().toStdString();
    EXPECT_NE(qobject_cast<QAnchorWidget*>(create("Bollard2.QAnchor", &form)), nullptr);
    EXPECT_EQ(create("Other", &form), nullptr);
}

TEST(QAnchorWidget, AFormBuiltInCodeIsLaidOutFromTheListSetOnIt) {
    ui::testing::qtApplication();
    QWidget form;
    form.resize(400, 300);
    auto* ok = new QPushButton(u"OK"_s, &form);
    ok->setObjectName(u"CmdOK"_s);
    ok->setGeometry(300, 260, 90, 25);
    auto* line = new host::qt::Line(&form);
    line->setObjectName(u"Rule"_s);
    line->setPoints(120, 3750, 5880, 3750);  // twips: 8 to 392 pixels at y 250
    auto* a = new QAnchorWidget(&form);
    a->setAnchor(u"CmdOK\n0011\nRule\n1011\n"_s);
    a->setEnabled(true);
    form.show();
    settle();
    resizeClient(form, 500, 340);
    EXPECT_EQ(ok->geometry(), QRect(400, 300, 90, 25));
    EXPECT_DOUBLE_EQ(line->X1(), 120);
    EXPECT_DOUBLE_EQ(line->X2(), 5880 + 1500);
    EXPECT_DOUBLE_EQ(line->Y1(), 3750 + 600);
    EXPECT_EQ(line->geometry(), QRect(8, 290, 485, 1));
}

TEST(QAnchorWidget, AboutShowsTheBoxModallyAndOnlyOnce) {
    ui::testing::qtApplication();
    QWidget form;
    auto* a = new QAnchorWidget(&form);
    int shown = 0;
    ModalScript script([&](QDialog& d) {
        ++shown;
        auto* box = dynamic_cast<subclass::frmabout*>(&d);
        EXPECT_NE(box, nullptr);
        if (box != nullptr) {
            EXPECT_EQ(box->windowTitle(), u"About Orvel! Anchor Control"_s);
        }
        d.show();
        a->About();  // visible already: nothing
        a->control().About();
        return 0;
    });
    a->About();
    EXPECT_EQ(shown, 1);
    a->About();  // closed and dropped: shown afresh
    EXPECT_EQ(shown, 2);
}

// A form in a designer: user mode False, so the page sees the list.
struct DesignForm {
    DesignForm() {
        form.resize(400, 300);
        for (const char* name : {"Grid", "CmdOK", "CmdCancel"}) {
            auto* w = new QPushButton(QString::fromLatin1(name), &form);
            w->setObjectName(QString::fromLatin1(name));
            w->setGeometry(10, 10, 80, 24);
        }
        control = new QAnchorWidget(&form, [this](QWidget* c) {
            auto s = std::make_unique<DesignSite>(c);
            site = s.get();
            return s;
        });
        control->setAnchor(u"Grid\n1111\nCmdOK\n0011\nCmdCancel\n0011\n"_s);
        settle();
    }
    WithApplication app_;
    QWidget form;
    QAnchorWidget* control = nullptr;
    DesignSite* site = nullptr;
};

TEST(PropAnchorPage, ShowsTheListAndSwitchesEdgesWithTheBars) {
    DesignForm d;
    ASSERT_TRUE(d.control->sited());
    EXPECT_FALSE(d.control->isHidden());  // its face shows in the designer
    anchor::PropAnchorDialog dialog({d.control});
    dialog.show();
    settle();
    anchor::PropAnchorPage& page = *dialog.page;
    ASSERT_EQ(page.List->count(), 4);  // the anchor control itself joined the list
    EXPECT_EQ(page.List->item(0)->text(), u"Grid"_s);
    EXPECT_EQ(page.List->item(3)->text(), u"QAnchor1"_s);
    EXPECT_EQ(page.List->currentRow(), 0);
    const QColor grey = page.barColour(anchor::PropAnchor::kAnchored);
    for (QFrame* bar : {page.ALeft, page.ATop, page.ARight, page.ABottom})
        EXPECT_EQ(bar->palette().color(QPalette::Window), grey) << bar->objectName().toStdString();
    EXPECT_FALSE(dialog.applyButton()->isEnabled());
    dialog.grab().save(QString::fromStdString(here("PropAnchor.png")));

    page.List->setCurrentRow(1);
    EXPECT_EQ(page.ALeft->palette().color(QPalette::Window), QColor(Qt::white));
    QTest::mouseClick(page.ALeft, Qt::LeftButton);
    QTest::mouseClick(page.ABottom, Qt::LeftButton);
    EXPECT_EQ(page.ALeft->palette().color(QPalette::Window), grey);
    EXPECT_EQ(page.ABottom->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(dialog.applyButton()->isEnabled());
    dialog.grab().save(QString::fromStdString(here("PropAnchor-edited.png")));
    QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
    EXPECT_EQ(d.control->Anchor(), u"Grid\n1111\nCmdOK\n1010\nCmdCancel\n0011\nQAnchor1\n1100\n"_s);
    EXPECT_EQ(d.site->changes.back(), "Anchorit");
    EXPECT_FALSE(dialog.applyButton()->isEnabled());
}

// An edit in the designer, on the page or through the saved property, lays
// the form out at its next resize and is what the form saves.
enum class EditBy { Page, SavedProperty };
struct DesignEdit {
    const char* name;
    EditBy by;
};
void PrintTo(const DesignEdit& k, std::ostream* os) { *os << k.name; }

class AnEditInTheDesigner : public ::testing::TestWithParam<DesignEdit> {};

TEST_P(AnEditInTheDesigner, LastsPastTheNextResize) {
    DesignForm d;
    auto* ok = d.form.findChild<QWidget*>(u"CmdOK"_s);
    ok->setGeometry(300, 260, 90, 25);
    d.control->setFirstHeight(300);
    d.control->setFirstWidth(400);
    d.form.show();
    settle();
    if (GetParam().by == EditBy::Page) {
        anchor::PropAnchorDialog dialog({d.control});
        dialog.show();
        settle();
        anchor::PropAnchorPage& page = *dialog.page;
        page.List->setCurrentRow(1);
        ASSERT_EQ(page.List->currentItem()->text(), u"CmdOK"_s);
        // 0011 to 1100: every bar toggles.
        for (QFrame* bar : {page.ALeft, page.ATop, page.ARight, page.ABottom})
            QTest::mouseClick(bar, Qt::LeftButton);
        QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
        EXPECT_EQ(d.site->changes.back(), "Anchorit");
    } else {
        d.control->setAnchor(u"Grid\n1111\nCmdOK\n1100\nCmdCancel\n0011\nQAnchor1\n1100\n"_s);
    }
    resizeClient(d.form, 500, 360);
    EXPECT_EQ(ok->geometry(), QRect(300, 260, 90, 25));
    EXPECT_EQ(d.control->Anchor(), u"Grid\n1111\nCmdOK\n1100\nCmdCancel\n0011\nQAnchor1\n1100\n"_s);
    // The others keep their flags: the grid grows with the form.
    EXPECT_EQ(d.form.findChild<QWidget*>(u"Grid"_s)->size(), QSize(180, 84));
}

INSTANTIATE_TEST_SUITE_P(Cases, AnEditInTheDesigner,
                         ::testing::Values(DesignEdit{"OnThePage", EditBy::Page},
                                           DesignEdit{"ThroughTheSavedList",
                                                      EditBy::SavedProperty}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(PropAnchorPage, CancelWritesNothing) {
    DesignForm d;
    anchor::PropAnchorDialog dialog({d.control});
    // Reading the list brought it in step with the form; nothing more changes.
    const std::string before = d.control->control().anchorList();
    QTest::mouseClick(dialog.page->ARight, Qt::LeftButton);
    dialog.buttons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(d.control->control().anchorList(), before);
}

TEST(DesignerPlugin, LoadsAndCreatesTheControlAndItsPage) {
    ui::testing::qtApplication();
    QPluginLoader loader(QString::fromUtf8(BOLLARD2_DESIGNER_PLUGIN));
    QObject* instance = loader.instance();
    ASSERT_NE(instance, nullptr) << loader.errorString().toStdString();
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(instance);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name(), u"anchor::QAnchorWidget"_s);
    EXPECT_EQ(plugin->includeFile(), u"anchor/QAnchorWidget.h"_s);
    EXPECT_EQ(plugin->group(), u"Bollard2"_s);
    EXPECT_FALSE(plugin->isContainer());
    EXPECT_FALSE(plugin->icon().isNull());
    EXPECT_TRUE(plugin->domXml().contains(u"name=\"QAnchor1\""_s));

    QWidget form;
    form.resize(300, 200);
    auto* button = new QPushButton(&form);
    button->setObjectName(u"CmdOK"_s);
    auto* made = qobject_cast<QAnchorWidget*>(plugin->createWidget(&form));
    ASSERT_NE(made, nullptr);
    // Designer sets the saved values right after creating it; they are taken
    // as saved, before the control sites itself on the next turn.
    made->setAnchor(u"CmdOK\n0011\n"_s);
    made->setEnabled(false);
    EXPECT_FALSE(made->sited());
    settle();
    ASSERT_TRUE(made->sited());
    EXPECT_FALSE(made->Enabled());
    EXPECT_EQ(made->Anchor(), u"CmdOK\n0011\n"_s);
    // Outside a form being edited (a preview), it runs as at run time.
    EXPECT_TRUE(made->isHidden());

    Core core;
    plugin->initialize(&core);
    EXPECT_TRUE(plugin->isInitialized());
    DesignForm d;
    auto* menu = qt_extension<QDesignerTaskMenuExtension*>(core.extensionManager(), d.control);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->preferredEditAction(), nullptr);
    EXPECT_EQ(menu->preferredEditAction()->text(), u"Edit Anchor..."_s);
    EXPECT_EQ(menu->taskActions().size(), 2);
    EXPECT_EQ(qt_extension<QDesignerTaskMenuExtension*>(core.extensionManager(), button), nullptr);
    int pages = 0;
    ModalScript script([&](QDialog& dialog) {
        auto* page = dynamic_cast<anchor::PropAnchorDialog*>(&dialog);
        EXPECT_NE(page, nullptr);
        if (page == nullptr) return 0;
        ++pages;
        EXPECT_EQ(page->page->List->count(), 4);
        QTest::mouseClick(page->page->ATop, Qt::LeftButton);
        page->buttons->button(QDialogButtonBox::Ok)->click();
        return page->result();
    });
    menu->preferredEditAction()->trigger();
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(d.control->Anchor().startsWith(u"Grid\n1011\n"_s));
}

}  // namespace
