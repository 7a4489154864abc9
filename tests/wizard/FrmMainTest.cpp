// The main window offscreen: start-up, the data-access check, the pages, the
// compare run through the window (its log, progress and boxes), the option
// boxes, configuration files, the file dialogs, help, the about box,
// printing, and what happens when the program ends during a comparison.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <stdexcept>

#include "WindowRig.h"
#include "anchor/QAnchorWidget.h"
#include "detail/FrmDetail.h"
#include "host/qt/Modal.h"
#include "jet/CatalogData.h"
#include "jet/Error.h"
#include "jet/testing/MemoryCatalog.h"
#include "ui/ButtonStrip.h"
#include "ui/CheckBox.h"
#include "ui/FileFilters.h"
#include "ui/Frame.h"
#include "ui/Label.h"
#include "ui/LineHeader.h"
#include "ui/MenuItem.h"
#include "ui/MultiLineTextBox.h"
#include "ui/PictureBox.h"
#include "ui/PopupMenu.h"
#include "ui/ProgressBar.h"
#include "ui/StatusBar.h"
#include "ui/TextBox.h"
#include "ui/ToolButton.h"
#include "ui/Toolbar.h"
#include "ui/TreeGrid.h"
#include "wizard/DatabaseSettings.h"
#include "wizard/FrmScript.h"
#include "wizard/ResultsTree.h"
#include "wizard/frmAbout.h"

using namespace Qt::StringLiterals;

namespace {

using namespace wizardtest;
using ui::Answer;
using ui::Buttons;
using ui::Icon;
using ui::testing::ExpectedBox;
using wizard::FrmMain;
using wizard::OptionBox;

jet::TableData table(std::string name) {
    jet::TableData t;
    t.name = std::move(name);
    return t;
}

// Engines over two memory catalogs; test connections that open unless told.
struct Fakes {
    jet::CatalogData source;
    jet::CatalogData destination;
    std::function<void(const std::string&)> onOpen;
    std::vector<std::string> opened;
    int enginesMade = 0;
    bool failEngines = false;
    bool failBind = false;

    void install(wizard::ProgramContext& c) {
        c.makeEngine = [this] {
            if (failEngines) throw std::runtime_error("The catalog objects cannot be made.");
            ++enginesMade;
            auto e = engine::CCAccess::create();
            e->setCatalogFactory([this](engine::CompareSide side, const std::string&) {
                if (failBind) throw jet::Error(-2147467259, "The catalog could not be read.");
                return jet::testing::memoryCatalog(side == engine::csSource ? source : destination);
            });
            return e;
        };
        c.testConnection = [this](const std::string& s) {
            opened.push_back(s);
            if (onOpen) onOpen(s);
        };
    }
};

class FrmMainTest : public ::testing::Test {
protected:
    FrmMainTest() {
        fakes.source.tables = {table("A"), table("B")};
        fakes.destination.tables = {table("A")};
        fakes.destination.views = {{"V", "SELECT 1", {}}};
        fakes.install(rig.context);
    }
    FrmMain& w() { return rig.window(); }
    void fillFields() {
        w().SDBPath->Text(u"src.sdb"_s);
        w().DDBPath->Text(u"dst.sdb"_s);
    }
    static ExpectedBox box(const QString& text, Icon icon, const QString& title) {
        return {text, Buttons::OkOnly, icon, title, Answer::Ok, {}};
    }
    static ExpectedBox success(std::function<void()> whileShown = {}) {
        return {u"Successfully compared databases!"_s,
                Buttons::OkOnly,
                Icon::Information,
                u"Orvel! Parabase"_s,
                Answer::Ok,
                std::move(whileShown)};
    }

    Fakes fakes;
    WindowRig rig;
};

// ---- start-up ----

TEST_F(FrmMainTest, StartsOnTheWelcomePageWithTheDefaultOptions) {
    FrmMain& f = w();
    EXPECT_FALSE(f.Ended());
    ASSERT_NE(f.Session(), nullptr);
    EXPECT_EQ(f.windowTitle(), u"Orvel! Parabase v1.2 for MSAccess"_s);
    EXPECT_EQ(f.font().family(), u"Verdana"_s);
    EXPECT_DOUBLE_EQ(f.font().pointSizeF(), 8.25);
    EXPECT_EQ(f.size(), QSize(760, 520));
    EXPECT_EQ(f.PageNumber(), 1);
    EXPECT_EQ(f.Bar->CurrentButton(), 1);
    EXPECT_EQ(f.HeaderTop->Caption(), u"Welcome"_s);
    EXPECT_EQ(f.CLabel1->Caption(), u"Welcome to Orvel! Parabase v1.2 for MSAccess..."_s);
    EXPECT_EQ(f.CLabel2->Caption(),
              u"Here you will find some info about Parabase on how it works..."_s);
    EXPECT_FALSE(f.CmdBack->Enabled());
    EXPECT_TRUE(f.CmdNext->Enabled());
    EXPECT_FALSE(f.Page[0]->isHidden());
    for (int n = 1; n < 5; ++n) EXPECT_TRUE(f.Page[static_cast<size_t>(n)]->isHidden()) << n;
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : <None>"_s);
    EXPECT_FALSE(f.Compared());
    EXPECT_TRUE(f.Anchor->Enabled());
    EXPECT_EQ(fakes.enginesMade, 1);
    // The seven "Compare" boxes and skipping on, the rest off.
    for (ui::CheckBox* on :
         {f.CTable, f.CIndex, f.CKey, f.CView, f.CProcedure, f.CUser, f.CGroup, f.SAIncrement})
        EXPECT_EQ(on->Value(), 1) << on->objectName().toStdString();
    for (ui::CheckBox* off : {f.CMatch, f.CISeed, f.DObject, f.IIncSeed})
        EXPECT_EQ(off->Value(), 0) << off->objectName().toStdString();
    // Passwords are masked, the other fields are not.
    EXPECT_EQ(f.SPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.DPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.SUName->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(f.DDBPath->echoMode(), QLineEdit::Normal);
}

TEST_F(FrmMainTest, HasTheFormsControlsWhereTheFormHasThem) {
    FrmMain& f = w();
    struct Named {
        QWidget* w;
        const char* name;
        QWidget* parent;
    };
    const Named named[] = {
        {f.PTop, "PTop", &f},
        {f.CLabel1, "CLabel1", f.PTop},
        {f.WizardImage, "WizardImage", f.PTop},
        {f.Bar, "Bar", &f},
        {f.Page[0], "Page_0", &f},
        {f.Page[4], "Page_4", &f},
        {f.LabelWelcome, "LabelWelcome", f.Page[0]},
        {f.SDBFrame, "SDBFrame", f.Page[1]},
        {f.SDBPath, "SDBPath", f.SDBFrame},
        {f.SPassword, "SPassword", f.SDBFrame},
        {f.DDBFRame, "DDBFRame", f.Page[1]},
        {f.DWFOpen, "DWFOpen", f.DDBFRame},
        {f.Label7, "Label7", f.DDBFRame},
        {f.CFrame, "CFrame", f.Page[2]},
        {f.CMatch, "CMatch", f.CFrame},
        {f.OFrame, "OFrame", f.Page[2]},
        {f.CGroup, "CGroup", f.OFrame},
        {f.SFRame, "SFRame", f.Page[2]},
        {f.SAIncrement, "SAIncrement", f.SFRame},
        {f.TxtDetail, "TxtDetail", f.Page[3]},
        {f.CompFrame, "CompFrame", f.Page[3]},
        {f.PBar, "PBar", f.CompFrame},
        {f.CmdCompare, "CmdCompare", f.Page[3]},
        {f.TBar, "TBar", f.Page[4]},
        {f.MGrid, "MGrid", f.Page[4]},
        {f.HeaderBottom, "HeaderBottom", &f},
        {f.CmdExit, "CmdExit", &f},
        {f.SBar, "SBar", &f},
        {f.Anchor, "Anchor", &f},
    };
    for (const auto& n : named) {
        EXPECT_EQ(n.w->objectName(), QString::fromLatin1(n.name));
        EXPECT_EQ(n.w->parentWidget(), n.parent) << n.name;
    }
    EXPECT_EQ(f.Page[3]->property("Index").toInt(), 3);
    // Captions and tool tips.
    EXPECT_EQ(f.Bar->Caption(), u"Navigation"_s);
    const char* navigation[][2] = {{"Welcome", "Welcome Page"},
                                   {"Databases", "Databases Page"},
                                   {"Options", "Options Page"},
                                   {"Compare", "Compare Page"},
                                   {"Results", "Results Page"}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.Bar->buttonWidget(i + 1)->text(), QString::fromLatin1(navigation[i][0]));
        EXPECT_EQ(f.Bar->buttonWidget(i + 1)->toolTip(), QString::fromLatin1(navigation[i][1]));
    }
    struct ButtonText {
        ui::ToolButton* b;
        const char* caption;
        const char* tip;
    };
    for (const ButtonText& b :
         {ButtonText{f.CmdPrinterSetup, "Setup", ""},
          ButtonText{f.CmdSave, "Save", "Saves your current compare configuration..."},
          ButtonText{f.CmdLoad, "Load", "Loads a previously saved configuration file..."},
          ButtonText{f.CmdHelp, "Help", "Opens the help file..."},
          ButtonText{f.CmdAbout, "About", "Information about Parabase..."},
          ButtonText{f.CmdBack, "<< Back", "Returns to the previous step..."},
          ButtonText{f.CmdNext, "Next >>", "Goes to next step..."},
          ButtonText{f.CmdExit, "Exit", "Exits Parabase..."},
          ButtonText{f.CmdCompare, "Compare", ""},
          ButtonText{f.CmdPrint, "Print", "Print comparison details..."},
          ButtonText{f.SDBOpen, "", "Open database file..."},
          ButtonText{f.SWFOpen, "", "Open workgroup file..."},
          ButtonText{f.DDBOpen, "", "Open database file..."},
          ButtonText{f.DWFOpen, "", "Open workgroup file..."}}) {
        EXPECT_EQ(b.b->Caption(), QString::fromLatin1(b.caption));
        EXPECT_EQ(b.b->toolTip(), QString::fromLatin1(b.tip)) << b.caption;
    }
    EXPECT_EQ(f.SDBFrame->Caption(), u"Source Database"_s);
    EXPECT_EQ(f.DDBFRame->Caption(), u"Destination Database"_s);
    EXPECT_EQ(f.CFrame->Caption(), u"Comparison"_s);
    EXPECT_EQ(f.OFrame->Caption(), u"Objects"_s);
    EXPECT_EQ(f.SFRame->Caption(), u"Scripting"_s);
    EXPECT_EQ(f.CompFrame->Caption(), u"Current Process"_s);
    struct LabelText {
        ui::Label* l;
        const char* caption;
    };
    for (const LabelText& l :
         {LabelText{f.SDBLabel, "Database File"}, LabelText{f.Label1, "WorkGroup File"},
          LabelText{f.Label2, "User Name"}, LabelText{f.Label3, "Password"},
          LabelText{f.Label4, "Database File"}, LabelText{f.Label5, "WorkGroup File"},
          LabelText{f.Label6, "User Name"}, LabelText{f.Label7, "Password"},
          LabelText{f.Label8, "Details :"}, LabelText{f.CompLabel, "Comparing : "}})
        EXPECT_EQ(l.l->Caption(), QString::fromLatin1(l.caption));
    EXPECT_EQ(f.CDescLabel->Caption(),
              u"If you are happy with your current configuration or want to recompare the two "
              "databases, simply press the \"Compare\" button below.According to your "
              "configuration, compare process will take some seconds..."_s);
    EXPECT_TRUE(f.LabelWelcome->Caption().startsWith(
        u"Hello and welcome to Orvel! Parabase v1.2 for MSAccess.\r\n\r\nOrvel! Parabase is "_s));
    EXPECT_EQ(f.LabelWelcome->Caption().count(u"\r\n\r\n"_s), 5);
    EXPECT_EQ(f.SAIncrement->text(),
              u"Skip scripting the altered columns which their type will become AutoIncrement. "_s);
    EXPECT_EQ(f.CISeed->text(), u"Include Increment and Seed attributes to the comparison"_s);

    // The results toolbar: 21 buttons, separators numbered too, the ten
    // filters checked.
    ASSERT_EQ(f.TBar->ButtonCount(), 21);
    const char* keys[] = {"SHT",    "SHP",      "SHV",  "SHU",     "SHG",     "",        "SHE",
                          "SHD",    "SHES",     "SHED", "",        "SelAll",  "SelNone", "",
                          "Expand", "Collapse", "",     "SScript", "DScript", "",        "Print"};
    for (int i = 1; i <= 21; ++i) {
        EXPECT_EQ(f.TBar->ButtonKey(i), QString::fromLatin1(keys[i - 1])) << i;
        EXPECT_EQ(f.TBar->ButtonChecked(i), i <= 10 && i != 6) << i;
        EXPECT_EQ(f.TBar->buttonWidget(i) == nullptr, keys[i - 1][0] == '\0') << i;
    }
    EXPECT_EQ(f.TBar->buttonWidget(9)->toolTip(),
              u"Show/Hide Objects Which Doesn't Exist At Source Database"_s);
    EXPECT_EQ(f.TBar->buttonWidget(18)->toolTip(),
              u"Create script to make destination database same as source database"_s);
    EXPECT_EQ(f.MenuPop->title(), u"PopUp"_s);
    EXPECT_EQ(f.VD->text(), u"View Details..."_s);
    EXPECT_TRUE(f.S1->isSeparator());
    EXPECT_EQ(f.SFS->text(), u"Select for scripting..."_s);
    EXPECT_EQ(f.UnSFS->text(), u"Unselect for scripting..."_s);
}

struct VersionCase {
    const char* name;
    const char* version;  // nullptr: the layer is missing
    bool starts;
};

class DataAccessVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(DataAccessVersion, DecidesWhetherTheProgramStarts) {
    const VersionCase& v = GetParam();
    WindowRig rig;
    int engines = 0;
    rig.context.makeEngine = [&] {
        ++engines;
        return engine::CCAccess::create();
    };
    rig.context.dataAccessVersion = [&v]() -> std::string {
        if (!v.version) throw std::runtime_error("no data-access layer");
        return v.version;
    };
    const QString download =
        u"Please download and install the required version from https://packages.debian.org/ "
        "and than run Orvel! Parabase again."_s;
    if (!v.starts) {
        const QString text =
            v.version ? u"Orvel! Parabase requires Microsoft Data Access Components 2.7 or above "
                        "along with Jet 4.0 drivers. Your current version is : "_s +
                            QString::fromLatin1(v.version) + u"\r\n\r\n"_s + download +
                            u"\r\n\r\nOrvel! Parabase will now shut down."_s
                      : u"ADO could could not be found in your system!\r\n\r\nOrvel! Parabase "
                        "requires Microsoft Data Access Components 2.7 or above along with Jet "
                        "4.0 drivers.\r\n\r\n"_s +
                            download + u"\r\n\r\nOrvel! Parabase will now shut down."_s;
        rig.services.expectBox(
            {text, Buttons::OkOnly, Icon::Critical, u"ADO error"_s, Answer::Ok, {}});
    }
    FrmMain& f = rig.window();
    EXPECT_EQ(f.Ended(), !v.starts);
    EXPECT_EQ(rig.programEnded, v.starts ? 0 : 1);
    EXPECT_EQ(f.Session() != nullptr, v.starts);
    // The engine is made only after the check passed.
    EXPECT_EQ(engines, v.starts ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DataAccessVersion,
    ::testing::Values(VersionCase{"v2_6", "2.6", false}, VersionCase{"v1_9", "1.9", false},
                      VersionCase{"v2_7", "2.7", true}, VersionCase{"v2_8", "2.8", true},
                      VersionCase{"v6_0", "6.0", true}, VersionCase{"v2_10", "2.10", true},
                      VersionCase{"unreadable", "abc", false},
                      VersionCase{"missing", nullptr, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FrmMainStartUp, TheProjectsOwnDataAccessLayerPasses) {
    WindowRig rig;
    rig.context.dataAccessVersion = {};
    EXPECT_FALSE(rig.window().Ended());
}

// ---- pages ----

TEST_F(FrmMainTest, TheBarBackAndNextShowEachPage) {
    FrmMain& f = w();
    f.show();
    settle();
    struct Step {
        std::function<void()> act;
        int page;
        const char* header;
    };
    const Step steps[] = {
        {[&] { QTest::mouseClick(f.Bar->buttonWidget(3), Qt::LeftButton); }, 3, "Options"},
        {[&] { QTest::mouseClick(f.CmdNext, Qt::LeftButton); }, 4, "Compare"},
        {[&] { QTest::mouseClick(f.CmdNext, Qt::LeftButton); }, 5, "Results"},
        {[&] { QTest::mouseClick(f.CmdBack, Qt::LeftButton); }, 4, "Compare"},
        {[&] { QTest::mouseClick(f.Bar->buttonWidget(2), Qt::LeftButton); }, 2, "Databases"},
        {[&] { QTest::mouseClick(f.CmdBack, Qt::LeftButton); }, 1, "Welcome"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(f.PageNumber(), s.page);
        EXPECT_EQ(f.HeaderTop->Caption(), QString::fromLatin1(s.header));
        EXPECT_EQ(f.Bar->CurrentButton(), s.page);
        EXPECT_EQ(f.CmdBack->Enabled(), s.page != 1);
        EXPECT_EQ(f.CmdNext->Enabled(), s.page != 5);
        for (int n = 1; n <= 5; ++n)
            EXPECT_EQ(f.Page[static_cast<size_t>(n - 1)]->isVisible(), n == s.page) << n;
        // The page fills the space right of the bar, between the headers.
        const QRect page = f.Page[static_cast<size_t>(s.page - 1)]->geometry();
        EXPECT_EQ(page, QRect(f.Bar->width(), f.HeaderTop->geometry().bottom() + 1,
                              f.width() - f.Bar->width(),
                              f.HeaderBottom->y() - f.HeaderTop->geometry().bottom() - 1));
    }
}

TEST_F(FrmMainTest, TheButtonOfThePageShownDoesNothing) {
    FrmMain& f = w();
    f.Bar->MarkCurrent(2);
    f.CLabel1->Caption(u"changed"_s);
    f.Bar->MarkCurrent(2);
    EXPECT_EQ(f.CLabel1->Caption(), u"changed"_s);
    f.Bar->MarkCurrent(3);
    EXPECT_EQ(f.CLabel1->Caption(), u"Selection of the database objects to compare..."_s);
}

TEST_F(FrmMainTest, PagesFollowTheWindowsSizeAndTheWelcomeTextItsPage) {
    FrmMain& f = w();
    f.show();
    settle();
    f.resize(900, 640);
    settle();
    for (int n : {4, 1}) {
        f.Bar->MarkCurrent(n);
        const QRect page = f.Page[static_cast<size_t>(n - 1)]->geometry();
        EXPECT_EQ(page.width(), 900 - f.Bar->width()) << n;
        EXPECT_EQ(page.bottom() + 1, f.HeaderBottom->y()) << n;
    }
    // 100 twips from the page's top left to its right and bottom edges.
    const QRect label = f.LabelWelcome->geometry();
    EXPECT_EQ(label.topLeft(), QPoint(7, 7));
    EXPECT_EQ(label.right() + 1, f.Page[0]->width());
    EXPECT_EQ(label.bottom() + 1, f.Page[0]->height());
    // Its text keeps the same margin from the page's right edge.
    EXPECT_EQ(f.Page[0]->width() - (label.x() + f.LabelWelcome->contentsRect().right() + 1),
              label.x());
    // The status bar spans the bottom edge.
    EXPECT_EQ(f.SBar->geometry(), QRect(0, 640 - f.SBar->height(), 900, f.SBar->height()));
}

// ---- the compare run ----

TEST_F(FrmMainTest, ACompareRunLogsProgressesAndReportsThroughTheWindow) {
    FrmMain& f = w();
    f.show();
    f.Bar->MarkCurrent(4);
    fillFields();
    f.SDBPath->Text(u"  src.sdb "_s);  // used trimmed
    QString labelDuringRun;
    rig.services.onYield = [&](int n) {
        if (n == 2) labelDuringRun = f.ProcessLabel->Text();
        // While it runs, Compare cannot be pressed again.
        EXPECT_FALSE(f.CmdCompare->Enabled());
    };
    rig.services.expectBox(success([&] {
        EXPECT_EQ(f.ProcessLabel->Text(), u"Compare process completed..."_s);
        EXPECT_FALSE(f.CmdCompare->Enabled());
    }));
    QTest::mouseClick(f.CmdCompare, Qt::LeftButton);
    rig.services.verify();

    EXPECT_EQ(f.TxtDetail->Text(),
              u"Compare process started...\r\nChecking database connections...\r\n"
              "Comparing : Table (A)...\r\nComparing : Table (B)...\r\n"
              "Comparing : Table (A)...\r\nComparing : View (V)...\r\n"
              "Compare process completed..."_s);
    EXPECT_EQ(labelDuringRun, u"Table (A)..."_s);
    EXPECT_EQ(f.ProcessLabel->Text(), u"Compare process completed..."_s);
    EXPECT_EQ(f.PBar->Max(), 4);
    EXPECT_EQ(f.PBar->Value(), 4);
    EXPECT_TRUE(f.CmdCompare->Enabled());
    EXPECT_TRUE(f.Compared());
    // One yield before the engine starts, one per object.
    EXPECT_EQ(rig.services.doEventsCalls(), 5);
    EXPECT_EQ(fakes.opened,
              (std::vector<std::string>{"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=src.sdb;",
                                        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=dst.sdb;"}));
    // No workgroups: users and groups were switched off, and the boxes show it.
    EXPECT_EQ(f.CUser->Value(), 0);
    EXPECT_EQ(f.CGroup->Value(), 0);
}

// A second comparison shows nothing of the first while it opens the
// databases, nor in the box that says one does not open.
TEST_F(FrmMainTest, ASecondComparisonStartsWithAnEmptyCurrentObjectAndProgressBar) {
    FrmMain& f = w();
    f.show();
    f.Bar->MarkCurrent(4);
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    ASSERT_EQ(f.PBar->Value(), 4);
    std::vector<std::pair<QString, int32_t>> seen;
    fakes.onOpen = [&](const std::string& s) {
        seen.emplace_back(f.ProcessLabel->Text(), f.PBar->Value());
        if (s.find("dst.sdb") != std::string::npos) throw jet::Error(-1, "No such file");
    };
    rig.services.expectBox(
        {u"Can't connect to the destination database.Please check your settings and try again!"_s,
         Buttons::OkOnly, Icon::Critical, u"Connection error!"_s, Answer::Ok, [&] {
             seen.emplace_back(f.ProcessLabel->Text(), f.PBar->Value());
             EXPECT_EQ(f.TxtDetail->Text().count(u"Compare process completed..."_s), 0);
         }});
    f.CmdCompare_Click();
    rig.services.verify();
    EXPECT_EQ(seen, (std::vector<std::pair<QString, int32_t>>{{{}, 0}, {{}, 0}, {{}, 0}}));
}

TEST_F(FrmMainTest, ASourceThatDoesNotOpenIsLoggedAndReported) {
    FrmMain& f = w();
    fillFields();
    f.SWFPath->Text(u"src.sdw"_s);
    f.SUName->Text(u"admin"_s);
    f.SPassword->Text(u"a;b"_s);
    fakes.onOpen = [](const std::string&) {
        throw jet::Error(-2147217843, "Not a valid password.");
    };
    rig.services.expectBox(
        box(u"Can't connect to the source database.Please check your settings and try again!"_s,
            Icon::Critical, u"Connection error!"_s));
    f.CmdCompare_Click();
    rig.services.verify();
    EXPECT_EQ(f.TxtDetail->Text(),
              u"Compare process started...\r\nChecking database connections...\r\n"
              "Can't connect to the source database...\r\nError No : -2147217843\r\n"
              "Error Description : Not a valid password.\r\nProcess stopped...\r\n"_s);
    EXPECT_EQ(fakes.opened, (std::vector<std::string>{
                                "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=src.sdb;;Jet "
                                "OLEDB:System database=src.sdw;User ID=admin;Password=\"a;b\""}));
    EXPECT_TRUE(f.CmdCompare->Enabled());
    EXPECT_FALSE(f.Compared());
    EXPECT_EQ(f.ProcessLabel->Text(), QString());
    EXPECT_EQ(f.PBar->Value(), 0);
}

TEST_F(FrmMainTest, AComparisonThatFailsIsLoggedAndClaimsNoResult) {
    FrmMain& f = w();
    fillFields();
    fakes.failBind = true;
    rig.services.expectBox(
        box(u"The catalog could not be read."_s, Icon::Critical, u"Orvel! Parabase"_s));
    f.CmdCompare_Click();
    rig.services.verify();
    EXPECT_EQ(f.TxtDetail->Text(),
              u"Compare process started...\r\nChecking database connections...\r\n"
              "Error No : -2147467259\r\nError Description : The catalog could not be read.\r\n"
              "Process stopped...\r\n"_s);
    EXPECT_FALSE(f.Compared());
    EXPECT_TRUE(f.CmdCompare->Enabled());
    EXPECT_EQ(f.ProcessLabel->Text(), QString());
}

TEST_F(FrmMainTest, AFailingHandlerIsReportedAndTheProgramGoesOn) {
    FrmMain& f = w();
    fillFields();
    fakes.failEngines = true;
    rig.services.expectBox(
        box(u"The catalog objects cannot be made."_s, Icon::Critical, u"Orvel! Parabase"_s));
    QTest::mouseClick(f.CmdCompare, Qt::LeftButton);
    rig.services.verify();
    EXPECT_TRUE(f.CmdCompare->Enabled());
    // The window still works.
    f.Bar->MarkCurrent(3);
    EXPECT_EQ(f.PageNumber(), 3);
}

TEST_F(FrmMainTest, AfterAComparisonAChangedFieldOrBoxDropsTheResult) {
    FrmMain& f = w();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    ASSERT_TRUE(f.Compared());
    const QString log = f.TxtDetail->Text();

    // A script option keeps the result.
    QTest::mouseClick(f.DObject, Qt::LeftButton);
    EXPECT_EQ(f.DObject->Value(), 1);
    EXPECT_TRUE(f.Compared());
    // One typed character in a field drops it.
    f.Bar->MarkCurrent(2);
    f.show();
    settle();
    QTest::keyClick(f.DUName, Qt::Key_X);
    EXPECT_FALSE(f.Compared());
    EXPECT_EQ(f.ProcessLabel->Text(), QString());
    EXPECT_EQ(f.PBar->Value(), 0);
    EXPECT_EQ(f.PBar->Max(), 4);
    EXPECT_EQ(f.TxtDetail->Text(), log);
    // The results page then shows nothing.
    f.Bar->MarkCurrent(5);
    EXPECT_EQ(f.MGrid->grid().Rows(), 0);
}

TEST_F(FrmMainTest, DroppedResultsLeaveTheResultsPageAtOnce) {
    FrmMain& f = w();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    f.Bar->MarkCurrent(5);
    EXPECT_EQ(f.MGrid->grid().Rows(), 5);  // Tables with A and B, Views with V
    // A box changed while the grid is shown: the grid empties without a refill.
    f.CKey->Value(0);
    EXPECT_FALSE(f.Compared());
    EXPECT_EQ(f.MGrid->grid().Rows(), 0);
}

TEST_F(FrmMainTest, ScriptRequestsFillOneScriptWindow) {
    FrmMain& f = w();
    f.move(40, 30);
    f.show();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    f.Bar->MarkCurrent(5);
    f.TBar->ButtonClick(19, u"DScript"_s);
    wizard::FrmScript* script = f.Script();
    ASSERT_NE(script, nullptr);
    EXPECT_TRUE(script->isVisible());
    EXPECT_EQ(script->parentWidget(), nullptr);
    ASSERT_NE(script->windowHandle(), nullptr);
    EXPECT_EQ(script->windowHandle()->transientParent(), f.windowHandle());
    EXPECT_EQ(script->windowType(), Qt::Dialog);
    EXPECT_LE((script->frameGeometry().center() - f.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(script->windowTitle(), u"Database Script (Destination->Source)"_s);
    EXPECT_EQ(script->Preview, &rig.preview);
    EXPECT_EQ(script->SourceDBPath, u"src.sdb"_s);
    EXPECT_EQ(script->DestinationDBPath, u"dst.sdb"_s);
    f.TBar->ButtonClick(18, u"SScript"_s);
    EXPECT_EQ(f.Script(), script);
    EXPECT_EQ(script->windowTitle(), u"Database Script (Source->Destination)"_s);
    // Closed, it goes; Exit closes a script window that is open.
    script->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(f.Script(), nullptr);
    f.TBar->ButtonClick(18, u"SScript"_s);
    ASSERT_NE(f.Script(), nullptr);
    f.CmdExit_Click();
    EXPECT_FALSE(f.Script() && f.Script()->isVisible());
}

TEST_F(FrmMainTest, AResultsPageShownDuringTheComparisonFillsWhenItEnds) {
    FrmMain& f = w();
    fillFields();
    rig.services.onYield = [&](int n) {
        if (n == 2) f.Bar->MarkCurrent(5);
    };
    rig.services.expectBox(success([&] { EXPECT_EQ(f.MGrid->grid().Rows(), 0); }));
    f.CmdCompare_Click();
    rig.services.verify();
    ASSERT_EQ(f.PageNumber(), 5);
    EXPECT_EQ(f.MGrid->grid().Rows(), 5);         // Tables with A and B, Views with V
    EXPECT_FALSE(f.MGrid->grid().RowVisible(2));  // filtered: the categories collapsed

    // A comparison that cannot start leaves the page empty, as its engine is.
    rig.services.onYield = {};
    fakes.onOpen = [](const std::string&) { throw jet::Error(-2147467259, "Not a database."); };
    rig.services.expectBox(
        box(u"Can't connect to the source database.Please check your settings and try again!"_s,
            Icon::Critical, u"Connection error!"_s));
    f.CmdCompare_Click();
    rig.services.verify();
    EXPECT_EQ(f.MGrid->grid().Rows(), 0);
}

TEST_F(FrmMainTest, AScriptRequestWaitsForTheComparison) {
    FrmMain& f = w();
    fillFields();
    rig.services.onYield = [&](int n) {
        if (n != 2) return;
        rig.services.expectBox(box(QString::fromLatin1(wizard::kComparisonRunning),
                                   Icon::Information, u"Orvel! Parabase"_s));
        // The results page shows nothing of the half-made result meanwhile.
        f.Bar->MarkCurrent(5);
        EXPECT_EQ(f.MGrid->grid().Rows(), 0);
        f.TBar->ButtonClick(18, u"SScript"_s);
        EXPECT_EQ(f.Script(), nullptr);
        rig.services.expectBox(success());
    };
    f.CmdCompare_Click();
    rig.services.verify();
}

TEST_F(FrmMainTest, TheOptionBoxesFollowTheirRulesWhenClicked) {
    FrmMain& f = w();
    f.Bar->MarkCurrent(3);
    f.show();
    settle();
    QTest::mouseClick(f.CTable, Qt::LeftButton);
    EXPECT_EQ(f.CIndex->Value(), 0);
    EXPECT_EQ(f.CKey->Value(), 0);
    // A click anywhere on a wrapped caption counts too.
    QTest::mouseClick(f.CISeed, Qt::LeftButton, {}, QPoint(f.CISeed->width() - 4, 5));
    QTest::mouseClick(f.IIncSeed, Qt::LeftButton);
    EXPECT_EQ(f.IIncSeed->Value(), 1);
    QTest::mouseClick(f.CKey, Qt::LeftButton);
    EXPECT_EQ(f.CTable->Value(), 1);
    EXPECT_EQ(f.CIndex->Value(), 1);
    QTest::mouseClick(f.CISeed, Qt::LeftButton);
    EXPECT_EQ(f.IIncSeed->Value(), 0);
    auto& options = f.Session()->Options();
    for (const OptionBox b : wizard::kOptionBoxes)
        EXPECT_EQ(f.OptionValue(b), options.Value(b)) << wizard::OptionBoxName(b);
}

TEST_F(FrmMainTest, ASettingChangedWhileComparingStopsThatComparison) {
    FrmMain& f = w();
    fillFields();
    rig.services.onYield = [&](int n) {
        if (n == 2) QTest::mouseClick(f.CView, Qt::LeftButton);
    };
    f.Bar->MarkCurrent(3);
    f.show();
    settle();
    f.CmdCompare_Click();  // no success box
    rig.services.verify();
    EXPECT_TRUE(
        f.TxtDetail->Text().endsWith(u"Comparing : Table (A)...\r\nProcess stopped...\r\n"_s));
    EXPECT_FALSE(f.Compared());
    EXPECT_TRUE(f.CmdCompare->Enabled());
    EXPECT_EQ(f.CView->Value(), 0);
}

TEST_F(FrmMainTest, ExitWhileComparingEndsTheProgramCleanly) {
    FrmMain& f = w();
    f.show();
    fillFields();
    rig.services.onYield = [&](int n) {
        if (n == 2) QTest::mouseClick(f.CmdExit, Qt::LeftButton);
    };
    f.CmdCompare_Click();  // no box follows
    rig.services.verify();
    EXPECT_EQ(rig.programEnded, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(rig.services.doEventsCalls(), 2);  // nothing ran after the exit
    EXPECT_FALSE(f.Session()->Comparing());
    // Later requests do nothing.
    f.CmdCompare_Click();
    EXPECT_EQ(fakes.opened.size(), 2u);
}

TEST_F(FrmMainTest, ClosingTheWindowWhileComparingStopsTheComparison) {
    FrmMain& f = w();
    f.show();
    fillFields();
    rig.services.onYield = [&](int n) {
        if (n == 3) f.close();
    };
    f.CmdCompare_Click();
    EXPECT_EQ(rig.services.doEventsCalls(), 3);
    EXPECT_FALSE(f.Session()->Comparing());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(rig.programEnded, 1);  // the close box ends the program as Exit does
}

// ---- configuration files and the file dialogs ----

ui::FileDialog dialog(const QString& title, const QString& filter, unsigned flags,
                      const QString& folder = {}) {
    ui::FileDialog d;
    d.title = title;
    d.filter = filter;
    d.flags = flags;
    d.initialFolder = folder;
    return d;
}

TEST_F(FrmMainTest, SavesAndLoadsAConfigurationThroughItsDialogs) {
    FrmMain& f = w();
    fillFields();
    f.SPassword->Text(u"pw"_s);
    f.CMatch->Value(1);
    f.CTable->Value(0);
    const QString file = QString::fromStdString(rig.temp.file("shop.pcf"));
    const QString filter = u"Parabase configuration file (*.pcf)|*.pcf|"_s;
    rig.services.expectSave(dialog(u"Save configuration file..."_s, filter, ui::dlg::HideReadOnly),
                            file);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    rig.services.verify();
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : "_s + file);
    EXPECT_NE(testsupport::readFile(file.toStdString()).find("SourcePassword=pw\r\n"),
              std::string::npos);

    // Change everything, then load it back; the dialog opens where the file was.
    f.SDBPath->Text(u"other.sdb"_s);
    f.SPassword->Text({});
    f.CMatch->Value(0);
    f.CTable->Value(1);
    f.SBar->PanelText(1, u"-"_s);
    rig.services.expectOpen(dialog(u"Open configuration file..."_s, filter, ui::dlg::HideReadOnly,
                                   QString::fromStdString(rig.temp.path().string() + "/")),
                            file);
    QTest::mouseClick(f.CmdLoad, Qt::LeftButton);
    rig.services.verify();
    EXPECT_EQ(f.SDBPath->Text(), u"src.sdb"_s);
    EXPECT_EQ(f.SPassword->Text(), u"pw"_s);
    EXPECT_EQ(f.CMatch->Value(), 1);
    EXPECT_EQ(f.CTable->Value(), 0);
    EXPECT_EQ(f.CIndex->Value(), 0);
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : "_s + file);
}

TEST_F(FrmMainTest, ALoadThatCannotReadTheVersionChangesNothing) {
    FrmMain& f = w();
    const std::string file = rig.temp.file("old.pcf");
    testsupport::writeFile(file, "[General]\r\nVersion=1\r\n[Database]\r\nSourceDBFile=x.sdb\r\n");
    rig.services.expectOpen(
        dialog(u"Open configuration file..."_s, u"Parabase configuration file (*.pcf)|*.pcf|"_s,
               ui::dlg::HideReadOnly),
        QString::fromStdString(file));
    f.CmdLoad_Click();
    rig.services.verify();
    EXPECT_EQ(f.SDBPath->Text(), QString());
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : <None>"_s);
    // The folder is remembered all the same.
    rig.services.expectOpen(
        dialog(u"Open database file..."_s, ui::databaseFilter(), ui::dlg::HideReadOnly,
               QString::fromStdString(rig.temp.path().string() + "/")),
        std::nullopt);
    f.SDBOpen_Click();
}

TEST_F(FrmMainTest, ASaveOverAFileThatIsNoTextIsRefused) {
    FrmMain& f = w();
    const std::string file = rig.temp.file("dev.sdb");
    testsupport::writeFile(file, std::string("SQLite format 3\0\0\1", 19));
    rig.services.expectSave(
        dialog(u"Save configuration file..."_s, u"Parabase configuration file (*.pcf)|*.pcf|"_s,
               ui::dlg::HideReadOnly),
        QString::fromStdString(file));
    rig.services.expectBox(
        {QString::fromStdString(file) + u" already exists.\r\nDo you want to replace it?"_s,
         Buttons::YesNo,
         Icon::Exclamation,
         u"Save configuration file..."_s,
         Answer::Yes,
         {}});
    rig.services.expectBox(box(QString::fromStdString("The file " + file +
                                                      " is not a text file, so it cannot hold a "
                                                      "configuration. It was left as it was; "
                                                      "please choose another name."),
                               Icon::Critical, u"Orvel! Parabase"_s));
    f.CmdSave_Click();
    rig.services.verify();
    EXPECT_EQ(testsupport::readFile(file), std::string("SQLite format 3\0\0\1", 19));
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : <None>"_s);
}

TEST_F(FrmMainTest, SavingOverAnExistingConfigurationAsksFirst) {
    FrmMain& f = w();
    const std::string file = rig.temp.file("shop.pcf");
    testsupport::writeFile(file, "[General]\r\nVersion=1.1.0\r\n");
    const QString name = QString::fromStdString(file);
    ui::FileDialog d =
        dialog(u"Save configuration file..."_s, u"Parabase configuration file (*.pcf)|*.pcf|"_s,
               ui::dlg::HideReadOnly);
    rig.services.expectSave(d, name);
    rig.services.expectBox({name + u" already exists.\r\nDo you want to replace it?"_s,
                            Buttons::YesNo,
                            Icon::Exclamation,
                            u"Save configuration file..."_s,
                            Answer::No,
                            {}});
    // No: the dialog again, offering the name; then cancelled.
    d.fileName = name;
    rig.services.expectSave(d, std::nullopt);
    f.CmdSave_Click();
    rig.services.verify();
    EXPECT_EQ(testsupport::readFile(file), "[General]\r\nVersion=1.1.0\r\n");
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : <None>"_s);
}

TEST_F(FrmMainTest, ANameTypedWithoutExtensionIsSavedAsAConfigurationFile) {
    FrmMain& f = w();
    const std::string typed = rig.temp.file("shop");
    const QString completed = QString::fromStdString(typed + ".pcf");
    testsupport::writeFile(completed.toStdString(), "[General]\r\nVersion=1.1.0\r\n");
    rig.services.expectSave(
        dialog(u"Save configuration file..."_s, u"Parabase configuration file (*.pcf)|*.pcf|"_s,
               ui::dlg::HideReadOnly),
        QString::fromStdString(typed));
    // The question names the file that would be replaced.
    rig.services.expectBox({completed + u" already exists.\r\nDo you want to replace it?"_s,
                            Buttons::YesNo,
                            Icon::Exclamation,
                            u"Save configuration file..."_s,
                            Answer::Yes,
                            {}});
    f.CmdSave_Click();
    rig.services.verify();
    EXPECT_FALSE(std::filesystem::exists(typed));
    EXPECT_NE(testsupport::readFile(completed.toStdString()).find("[Options]"), std::string::npos);
    EXPECT_EQ(f.SBar->PanelText(1), u"Configuration file : "_s + completed);
}

TEST_F(FrmMainTest, TheOpenButtonsFillTheirFieldsAndRememberTheFolder) {
    FrmMain& f = w();
    struct Case {
        void (FrmMain::*click)();
        ui::TextBox* field;
        const char* title;
        QString filter;
    };
    const Case cases[] = {
        {&FrmMain::SDBOpen_Click, f.SDBPath, "Open database file...", ui::databaseFilter()},
        {&FrmMain::SWFOpen_Click, f.SWFPath, "Open workgroup file...", ui::workgroupFilter()},
        {&FrmMain::DDBOpen_Click, f.DDBPath, "Open database file...", ui::databaseFilter()},
        {&FrmMain::DWFOpen_Click, f.DWFPath, "Open workgroup file...", ui::workgroupFilter()},
    };
    QString folder;  // nothing remembered yet
    int n = 0;
    for (const Case& c : cases) {
        const QString chosen = u"/data%1/file%1"_s.arg(++n);
        rig.services.expectOpen(
            dialog(QString::fromLatin1(c.title), c.filter, ui::dlg::HideReadOnly, folder), chosen);
        (f.*c.click)();
        rig.services.verify();
        EXPECT_EQ(c.field->Text(), chosen);
        folder = u"/data%1/"_s.arg(n);
    }
    // A cancelled dialog changes neither the field nor the folder.
    rig.services.expectOpen(
        dialog(u"Open database file..."_s, ui::databaseFilter(), ui::dlg::HideReadOnly, folder),
        std::nullopt);
    f.SDBOpen_Click();
    EXPECT_EQ(f.SDBPath->Text(), u"/data1/file1"_s);
    rig.services.expectOpen(
        dialog(u"Open database file..."_s, ui::databaseFilter(), ui::dlg::HideReadOnly, folder),
        std::nullopt);
    f.SDBOpen_Click();
}

// ---- help, about, printing ----

TEST_F(FrmMainTest, HelpOpensThePageBesideTheProgram) {
    FrmMain& f = w();
    QTest::mouseClick(f.CmdHelp, Qt::LeftButton);
    ASSERT_EQ(rig.services.openedWithDesktop().size(), 1u);
    EXPECT_EQ(rig.services.openedWithDesktop()[0], QStringLiteral(PARABASE1_DIR "/Parabase1.html"));
    // A help page that cannot be opened shows nothing and ends nothing.
    rig.context.programFolder = rig.temp.path().string();
    f.CmdHelp_Click();
    EXPECT_EQ(rig.services.openedWithDesktop().size(), 1u);
    EXPECT_EQ(rig.programEnded, 0);
}

TEST_F(FrmMainTest, AboutShowsTheBoxModallyAndItsLinksOpen) {
    FrmMain& f = w();
    int shown = 0;
    host::qt::setModalRunner([&](QDialog& d) {
        ++shown;
        auto* about = dynamic_cast<wizard::frmAbout*>(&d);
        EXPECT_NE(about, nullptr);
        if (!about) return 0;
        EXPECT_EQ(about->windowTitle(), u"About Orvel! Parabase Application"_s);
        EXPECT_EQ(about->Label1->Caption(), u"Sales :"_s);
        EXPECT_EQ(about->Label2->Caption(), u"Feedback :"_s);
        EXPECT_EQ(about->Label3->Caption(), u"Information :"_s);
        EXPECT_EQ(about->Label4->Caption(), u"Support :"_s);
        EXPECT_EQ(about->Label5->Caption(), u"Web Site :"_s);
        EXPECT_EQ(about->Ok->Caption(), u"OK"_s);
        for (ui::Label* l :
             {about->Sales, about->Feedback, about->Info, about->Support, about->WSite}) {
            EXPECT_TRUE(l->Link());
            EXPECT_LE(l->sizeHint().width(), l->width()) << l->objectName().toStdString();
        }
        d.show();
        settle();
        d.grab().save(QString::fromStdString(here("frmAbout.png")));
        QTest::mouseClick(about->Sales, Qt::LeftButton);
        rig.services.setOpenWithDesktopResult(false);  // no mail program: nothing shown
        QTest::mouseClick(about->Support, Qt::LeftButton);
        QTest::mouseClick(about->WSite, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(about->Ok, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    QTest::mouseClick(f.CmdAbout, Qt::LeftButton);
    host::qt::setModalRunner({});
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(rig.services.openedWithDesktop(),
              (std::vector<QString>{u"mailto:sales@example.org"_s, u"mailto:support@example.org"_s,
                                    u"http://www.example.org"_s}));
}

TEST_F(FrmMainTest, PrinterSetupSetsThePreviewsPaperAndOrientation) {
    FrmMain& f = w();
    report::PageFormat letter;
    letter.paper = report::Paper::Letter();
    letter.orientation = report::Orientation::Landscape;
    rig.services.expectPageSetup(letter);
    QTest::mouseClick(f.CmdPrinterSetup, Qt::LeftButton);
    EXPECT_EQ(rig.preview.PageFormat(), letter);
    rig.services.expectPageSetup(std::nullopt);  // cancelled: nothing changes
    f.CmdPrinterSetup_Click();
    EXPECT_EQ(rig.preview.PageFormat(), letter);
    EXPECT_EQ(rig.services.pageSetupsShown().back(), letter);
}

TEST_F(FrmMainTest, PrintShowsTheCompareLogAsAReport) {
    FrmMain& f = w();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    rig.services.expectPreview({[&](const report::Document& d) {
        EXPECT_EQ(d.DocumentTitle(), "Comparison Details Report");
        const std::vector<std::string> lines = d.describe();
        ASSERT_GE(lines.size(), 4u);
        EXPECT_NE(lines[0].find("\"Comparison Details Report\" #B0B0B0"), std::string::npos);
        EXPECT_NE(lines[2].find("\"Compare process started...\""), std::string::npos);
        EXPECT_NE(lines.back().find("\"Page 1\" #B0B0B0"), std::string::npos);
    }});
    QTest::mouseClick(f.CmdPrint, Qt::LeftButton);
    rig.services.verify();
    EXPECT_EQ(rig.preview.Font().name, f.TxtDetail->font().family().toStdString());
}

TEST_F(FrmMainTest, PrintingAnEmptyLogGivesTheTitleAlone) {
    FrmMain& f = w();
    rig.services.expectPreview({[](const report::Document& d) {
        EXPECT_EQ(d.describe().size(), 2u);  // the title and the empty line
    }});
    f.CmdPrint_Click();
}

// ---- the detail window ----

TEST_F(FrmMainTest, TheDetailRequestShowsTheElementInOneDetailWindow) {
    FrmMain& f = w();
    f.move(40, 30);
    f.show();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    const engine::TComparisonResult result = f.Session()->Access()->Differences();
    f.ShowDetails(result, engine::okTable, 2);
    detail::FrmDetail* d = f.Detail();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    // Modeless, over the main window: a transient of it, centred on it, and
    // no child of it (it may outlive the main window's pages).
    EXPECT_EQ(d->parentWidget(), nullptr);
    ASSERT_NE(d->windowHandle(), nullptr);
    EXPECT_EQ(d->windowHandle()->transientParent(), f.windowHandle());
    // X names the owner of a dialog only; the window may still be resized.
    EXPECT_EQ(d->windowType(), Qt::Dialog);
    EXPECT_TRUE(d->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_LE((d->frameGeometry().center() - f.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(d->DetailKind(), engine::okTable);
    EXPECT_EQ(d->DetailIndex(), 2);
    EXPECT_EQ(d->Preview, &rig.preview);
    EXPECT_EQ(d->ReportImageFolder, QStringLiteral(PARABASE1_DIR "/Detail Images"));
    // A further request refills the same window.
    f.ShowDetails(result, engine::okView, 1);
    EXPECT_EQ(f.Detail(), d);
    EXPECT_EQ(d->DetailKind(), engine::okView);
    // Closed, it goes; the next request makes a fresh one.
    d->close();
    settle();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(f.Detail(), nullptr);
    f.ShowDetails(result, engine::okTable, 1);
    ASSERT_NE(f.Detail(), nullptr);
    EXPECT_TRUE(f.Detail()->isVisible());
}

TEST_F(FrmMainTest, TheGridsMenuOpensWhereClickedAndViewDetailsShowsThatRow) {
    FrmMain& f = w();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    f.show();
    f.Bar->MarkCurrent(5);
    f.TBar->ButtonClick(15, u"Expand"_s);
    settle();
    // Shown: Tables, A, B, Views, V. A right click on B, on the page inside the window.
    const QRect b = f.MGrid->visualRect(f.MGrid->model()->index(2, 0));
    const QPoint at(40, b.center().y());
    QTest::mouseClick(f.MGrid->viewport(), Qt::RightButton, {}, at);
    settle();
    const ui::grid::GridModel& grid = f.MGrid->grid();
    ASSERT_EQ(grid.SelectedRow(), 3);
    ASSERT_EQ(grid.CellText(3, wizard::col::Object), "B");
    ASSERT_TRUE(f.MenuPop->lastPopupPoint().has_value());
    EXPECT_LE((*f.MenuPop->lastPopupPoint() - f.MGrid->viewport()->mapTo(&f, at)).manhattanLength(),
              2);
    EXPECT_TRUE(f.VD->Enabled());
    f.MenuPop->close();
    f.VD->trigger();
    detail::FrmDetail* d = f.Detail();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->DetailKind(), engine::okTable);
    EXPECT_EQ(d->DetailIndex(), ui::grid::itemDataToInt(grid.CellItemData(3, wizard::col::Index)));
    EXPECT_EQ(f.Session()->Access()->Differences().Tables[d->DetailIndex()].Name, "B");
    EXPECT_TRUE(d->windowTitle().contains(u"B"_s)) << d->windowTitle().toStdString();
    rig.services.verify();
}

TEST_F(FrmMainTest, ADetailRequestWaitsForTheComparison) {
    FrmMain& f = w();
    fillFields();
    rig.services.onYield = [&](int n) {
        if (n != 2) return;
        rig.services.expectBox(box(QString::fromLatin1(wizard::kComparisonRunning),
                                   Icon::Information, u"Orvel! Parabase"_s));
        f.ShowDetails(f.Session()->Access()->Differences(), engine::okTable, 1);
        EXPECT_EQ(f.Detail(), nullptr);
        rig.services.expectBox(success());
    };
    f.CmdCompare_Click();
    rig.services.verify();
}

// The detail window prints on the program's preview and reads the options
// while it is open; the main window's close box then does what Exit does:
// the detail and script windows close with it and the program ends.
TEST_F(FrmMainTest, TheCloseBoxClosesTheDetailAndScriptWindowsAndEndsTheProgramAsExitDoes) {
    FrmMain& f = w();
    f.show();
    fillFields();
    f.CMatch->Value(1);
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    f.ShowDetails(f.Session()->Access()->Differences(), engine::okTable, 1);
    QPointer<detail::FrmDetail> d = f.Detail();
    ASSERT_TRUE(d);
    rig.services.expectPreview(
        {[](const report::Document& doc) { EXPECT_FALSE(doc.describe().empty()); }});
    d->CmdPrint_Click();
    rig.services.verify();
    d->ShowDetails(engine::okTable, 1);
    f.Bar->MarkCurrent(5);
    f.TBar->ButtonClick(18, u"SScript"_s);
    QPointer<wizard::FrmScript> script = f.Script();
    ASSERT_TRUE(script);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(script->isVisible());
    EXPECT_EQ(rig.programEnded, 0);

    f.close();  // the close box
    settle();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(d && d->isVisible());
    EXPECT_FALSE(script && script->isVisible());
    EXPECT_EQ(rig.programEnded, 1);
    // Exit after it ends nothing a second time.
    f.CmdExit_Click();
    EXPECT_EQ(rig.programEnded, 1);
}

// In the program's own event loop: closing the main window with a detail
// window open leaves no window on screen and ends the loop, as Exit does.
TEST_F(FrmMainTest, ClosingTheMainWindowEndsTheProgramWithTheDetailWindowOpen) {
    rig.context.endProgram = {};  // the application's event loop is told to end
    FrmMain& f = w();
    f.show();
    fillFields();
    rig.services.expectBox(success());
    f.CmdCompare_Click();
    f.ShowDetails(f.Session()->Access()->Differences(), engine::okTable, 1);
    QPointer<detail::FrmDetail> d = f.Detail();
    ASSERT_TRUE(d);
    ASSERT_EQ(d->windowHandle()->transientParent(), f.windowHandle());
    QObject watcher;
    bool detailShownAfterClose = true;
    bool timedOut = false;
    QTimer::singleShot(0, &watcher, [&] {
        f.close();
        QApplication::processEvents();
        detailShownAfterClose = d && d->isVisible();
    });
    // Without the end the loop would run on; the test must not hang then.
    QTimer::singleShot(5000, &watcher, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    QApplication::exec();
    EXPECT_FALSE(timedOut) << "the program did not end with its main window";
    EXPECT_FALSE(detailShownAfterClose);
    EXPECT_FALSE(f.isVisible());
}

}  // namespace
