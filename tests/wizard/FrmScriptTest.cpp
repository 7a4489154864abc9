// The script window offscreen: the script shown exactly, the notes of what it
// leaves out, saving (the replace question answered both ways, the file read
// back as the runner reads it), printing on the lent preview, closing, the
// anchored layout, and screenshots at the design and the minimum size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QSaveFile>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "ReportTestSupport.h"
#include "ResultBuilder.h"
#include "TestSupport.h"
#include "runner/ScriptReader.h"
#include "script/ScriptFile.h"
#include "ui/testing/QtTestApplication.h"
#include "ui/testing/ScriptedServices.h"
#include "wizard/FrmScript.h"
#include "wizard/SaveDialog.h"
#include "wizard_core/TextReport.h"

using namespace Qt::StringLiterals;

namespace {

using wizard::FrmScript;
using wizard::ScriptWindowText;

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// A script as a request makes it, from a small record in which everything
// differs.
ScriptWindowText sampleScript() {
    using namespace rb;
    TComparisonResult r;
    r.Tables = arr(
        {table("Customers", acDifferent, true,
               {both("CustomerID", counter(), counter(), acEqual),
                both("CompanyName", rb::text(40), rb::text(60), acDifferent),
                sourceOnly("Region", with(rb::text(15),
                                          [](TColumnProps& p) { p.Description = "Sales region"; })),
                destinationOnly("Fax", rb::text(24))}),
         table("Order Details", acOnlyInSource, true,
               {sourceOnly("OrderID", integer()), sourceOnly("ProductID", integer()),
                sourceOnly("Quantity", integer())})});
    r.Views =
        arr({rb::view("Current Product List", acDifferent, true,
                      "SELECT ProductID, ProductName FROM Products WHERE Discontinued = False "
                      "ORDER BY ProductName",
                      "SELECT ProductID, ProductName FROM Products")});
    r.Groups = arr({principal("Sales", acOnlyInSource, true,
                              principalSide({}, {permission(1, "Customers", 1, 1, 0x1E000)}), {})});
    script::ScriptOptions options;
    options.DropOppositeObjects = true;
    const script::TScript s =
        script::GenerateScript(r, options, script::sdSourceToDestination, false);
    ScriptWindowText shown;
    shown.Text = script::ScriptFileText(s);
    shown.Caption = "Database Script (Source->Destination)";
    shown.SourceDBPath = "/data/Development.sdb";
    shown.DestinationDBPath = "/data/Production.sdb";
    return shown;
}

ui::FileDialog saveDialog(QString fileName = {}) {
    ui::FileDialog d;
    d.title = u"Save script file..."_s;
    d.filter = u"Parabase script file (*.psx)|*.psx|"_s;
    d.flags = ui::dlg::HideReadOnly;
    d.fileName = std::move(fileName);
    return d;
}

// Made before any widget, which needs the application.
struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

class FrmScriptTest : public ::testing::Test {
protected:
    ~FrmScriptTest() override { delete window; }

    [[nodiscard]] QString file(const char* name) const {
        return QString::fromStdString(dir.file(name));
    }
    void shot(const char* name) {
        settle();
        const auto path = std::filesystem::current_path() / name;
        EXPECT_TRUE(window->grab().save(QString::fromStdString(path.string())));
        std::cout << "screenshot: " << path << "\n";
    }

    WithApplication app_;
    ui::testing::ScriptedServices services{u"Orvel! Parabase"_s};
    QPointer<FrmScript> window = new FrmScript(services);
    testsupport::TempDir dir;
};

// ------------------------------------------------------------- showing

TEST_F(FrmScriptTest, ARequestShowsItsTextCaptionAndPathsExactly) {
    EXPECT_EQ(window->windowTitle(), u"Database Script"_s);
    const ScriptWindowText script = sampleScript();
    window->ShowScript(script);
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->parentWidget());  // no owner
    EXPECT_EQ(window->RTBox->Text().toStdString(), script.Text);
    QString shown = QString::fromStdString(script.Text);
    shown.replace(u"\r\n"_s, u"\n"_s);
    EXPECT_EQ(window->RTBox->toPlainText(), shown);
    EXPECT_EQ(window->windowTitle(), u"Database Script (Source->Destination)"_s);
    EXPECT_EQ(window->SourceDBPath, u"/data/Development.sdb"_s);
    EXPECT_EQ(window->DestinationDBPath, u"/data/Production.sdb"_s);
    EXPECT_FALSE(window->Notes->isVisible());
}

TEST_F(FrmScriptTest, AFurtherRequestReplacesEverythingAndTheNotesComeAndGo) {
    window->ShowScript(sampleScript());
    settle();
    const QRect full = window->RTBox->geometry();
    EXPECT_EQ(full.bottom() + 1 + 8, window->CmdClose->y());

    ScriptWindowText second;
    second.Text = "DROP TABLE [Old]\r\n\r\nRUN\r\n\r\n\r\n";
    second.Caption = "Database Script (Destination->Source)";
    second.Report = {"Foreign key [A] of table [B] left out: it refers to table [C].",
                     "Index [I] of table [B] left as it stands.",
                     "2 objects only in the source are kept: the option to drop them is off."};
    window->ShowScript(second);
    settle();
    EXPECT_EQ(window->RTBox->Text(), QString::fromStdString(second.Text));
    EXPECT_EQ(window->windowTitle(), u"Database Script (Destination->Source)"_s);
    EXPECT_EQ(window->SourceDBPath, QString());
    ASSERT_TRUE(window->Notes->isVisible());
    EXPECT_EQ(window->Notes->Text(),
              u"What this script leaves out, and why:\r\n"
              "Foreign key [A] of table [B] left out: it refers to table [C].\r\n"
              "Index [I] of table [B] left as it stands.\r\n"
              "2 objects only in the source are kept: the option to drop them is off."_s);
    EXPECT_TRUE(window->Notes->isReadOnly());
    // The notes sit between the script and the buttons, as wide as the script.
    EXPECT_EQ(window->Notes->geometry().left(), full.left());
    EXPECT_EQ(window->Notes->width(), full.width());
    EXPECT_EQ(window->RTBox->geometry().bottom() + 1 + 8, window->Notes->y());
    EXPECT_EQ(window->Notes->geometry().bottom() + 1 + 8, window->CmdClose->y());
    shot("FrmScript-notes.png");

    window->ShowScript(sampleScript());
    settle();
    EXPECT_FALSE(window->Notes->isVisible());
    EXPECT_EQ(window->RTBox->geometry(), full);
}

TEST_F(FrmScriptTest, CloseUnloadsTheWindow) {
    window->ShowScript(sampleScript());
    settle();
    window->CmdClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(FrmScriptTest, EscapeClosesTheWindowFromTheScriptAsCloseDoes) {
    window->ShowScript(sampleScript());
    settle();
    QApplication::setActiveWindow(window);
    window->RTBox->setFocus();
    QTest::keyClick(window->RTBox, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// ------------------------------------------------------------- saving

TEST_F(FrmScriptTest, SaveWritesTheTextAsTheRunnerReadsIt) {
    const ScriptWindowText script = sampleScript();
    window->ShowScript(script);
    const QString path = file("sync.psx");
    services.expectSave(saveDialog(), path);
    window->CmdSave->click();
    services.verify();
    EXPECT_EQ(testsupport::readFile(path.toStdString()), script.Text);
    std::vector<std::string> lines;
    for (std::string_view line : wizard::SplitAtCrLf(script.Text)) lines.emplace_back(line);
    // The runner's reader takes a CR LF at the very end as the last line's end.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    EXPECT_EQ(runner::readScriptLines(path.toStdString()), lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "RUN"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "<JET:GROUPS>"), lines.end());
}

TEST_F(FrmScriptTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    const QString path = file("sync.psx");
    testsupport::writeFile(path.toStdString(), "old");
    window->ShowScript(sampleScript());

    // "No": the dialog comes back with the name chosen; cancelling it keeps the file.
    services.expectSave(saveDialog(), path);
    services.expectBox({wizard::ReplaceQuestion(path),
                        ui::Buttons::YesNo,
                        ui::Icon::Exclamation,
                        u"Save script file..."_s,
                        ui::Answer::No,
                        {}});
    services.expectSave(saveDialog(path), std::nullopt);
    window->CmdSave->click();
    services.verify();
    EXPECT_EQ(testsupport::readFile(path.toStdString()), "old");

    // "Yes": replaced.
    services.expectSave(saveDialog(path), path);
    services.expectBox({wizard::ReplaceQuestion(path),
                        ui::Buttons::YesNo,
                        ui::Icon::Exclamation,
                        u"Save script file..."_s,
                        ui::Answer::Yes,
                        {}});
    window->CmdSave->click();
    services.verify();
    EXPECT_EQ(testsupport::readFile(path.toStdString()), sampleScript().Text);
    EXPECT_TRUE(wizard::ReplaceQuestion(path).endsWith(
        u"sync.psx already exists.\r\nDo you want to replace it?"_s));
}

TEST_F(FrmScriptTest, TheNameChosenLastIsOfferedAgainAndANewNameNeedsNoQuestion) {
    window->ShowScript(sampleScript());
    const QString first = file("first.psx");
    const QString second = file("second.psx");
    services.expectSave(saveDialog(), first);
    window->CmdSave->click();
    services.expectSave(saveDialog(first), second);
    window->CmdSave->click();
    services.expectSave(saveDialog(second), std::nullopt);  // cancelled: nothing
    window->CmdSave->click();
    services.verify();
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));
}

struct TypedName {
    const char* typed;    // in the test's folder
    const char* written;  // the file the script goes to
};

void PrintTo(const TypedName& n, std::ostream* os) { *os << n.typed; }

class FrmScriptSaveNames : public FrmScriptTest, public ::testing::WithParamInterface<TypedName> {};

// A name typed without an extension gets ".psx", so that the runner's Open
// dialog lists the file; the completed name is offered again next time.
TEST_P(FrmScriptSaveNames, GetTheScriptExtensionWhenTheyHaveNone) {
    std::filesystem::create_directory(dir.file("v1.2"));
    window->ShowScript(sampleScript());
    const QString typed = file(GetParam().typed);
    const QString written = file(GetParam().written);
    services.expectSave(saveDialog(), typed);
    window->CmdSave->click();
    services.expectSave(saveDialog(written), std::nullopt);
    window->CmdSave->click();
    services.verify();
    EXPECT_EQ(testsupport::readFile(written.toStdString()), sampleScript().Text);
    if (typed != written) {
        EXPECT_FALSE(QFile::exists(typed));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, FrmScriptSaveNames,
                         ::testing::Values(TypedName{"fix", "fix.psx"},
                                           TypedName{"fix.psx", "fix.psx"},
                                           TypedName{"fix.sql", "fix.sql"},
                                           TypedName{"fix.v2", "fix.v2"},
                                           TypedName{"v1.2/fix", "v1.2/fix.psx"}));

TEST_F(FrmScriptTest, TheCompletedNameIsTheOneAskedAboutAndReplaced) {
    const QString completed = file("fix.psx");
    testsupport::writeFile(completed.toStdString(), "old");
    window->ShowScript(sampleScript());
    services.expectSave(saveDialog(), file("fix"));
    services.expectBox({wizard::ReplaceQuestion(completed),
                        ui::Buttons::YesNo,
                        ui::Icon::Exclamation,
                        u"Save script file..."_s,
                        ui::Answer::No,
                        {}});
    // "No": the dialog again, offering the completed name.
    services.expectSave(saveDialog(completed), file("fix"));
    services.expectBox({wizard::ReplaceQuestion(completed),
                        ui::Buttons::YesNo,
                        ui::Icon::Exclamation,
                        u"Save script file..."_s,
                        ui::Answer::Yes,
                        {}});
    window->CmdSave->click();
    services.verify();
    EXPECT_EQ(testsupport::readFile(completed.toStdString()), sampleScript().Text);
    EXPECT_FALSE(QFile::exists(file("fix")));
}

TEST_F(FrmScriptTest, AFileThatCannotBeWrittenIsSaidAndNothingIsLeftBehind) {
    window->ShowScript(sampleScript());
    const QString path = file("missing/sync.psx");
    QString reason;
    {
        QSaveFile probe(path);
        EXPECT_FALSE(probe.open(QIODevice::WriteOnly));
        reason = probe.errorString();
    }
    services.expectSave(saveDialog(), path);
    services.expectBox({u"The script could not be saved as "_s + path + u".\r\n\r\n"_s + reason,
                        ui::Buttons::OkOnly,
                        ui::Icon::Critical,
                        QString(),
                        ui::Answer::Ok,
                        {}});
    window->CmdSave->click();
    services.verify();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// ------------------------------------------------------------- printing

TEST_F(FrmScriptTest, PrintLaysTheScriptOutOnTheLentPreviewAndShowsIt) {
    window->ShowScript(sampleScript());
    window->CmdPrint->click();  // no preview lent: nothing happens
    services.verify();

    wizardtest::SmallReport r;
    window->Preview = &r.doc;
    ScriptWindowText text;
    text.Text = "CREATE TABLE [A] ([ID] LONG)\r\n\r\nRUN\r\n\r\n\r\n";
    text.Caption = "Database Script (Source->Destination)";
    window->ShowScript(text);
    std::vector<std::string> described;
    services.expectPreview({[&](const report::Document& shown) {
        EXPECT_EQ(&shown, &r.doc);
        described = shown.describe();
    }});
    window->CmdPrint->click();
    services.verify();
    EXPECT_EQ(r.doc.DocumentTitle(), "Database Script (Source->Destination) Report");
    EXPECT_EQ(r.doc.Font().name, window->RTBox->font().family().toStdString());
    EXPECT_EQ(r.doc.Font().size, 8.25);
    ASSERT_FALSE(described.empty());
    // 44 characters of title on a page 20 wide: centred, it starts left of the page.
    EXPECT_EQ(described.front(),
              "text -1200,0 \"Database Script (Source->Destination) Report\" #B0B0B0");
    const std::vector<std::string> body(described.begin() + 2, described.end());
    EXPECT_EQ(body,
              (std::vector<std::string>{
                  "text 0,400 \"CREATE TABLE [A]\"", "text 0,600 \" ([ID] LONG)\"",
                  "text 0,800 \"\"", "text 0,1000 \"RUN\"", "text 0,1200 \"\"", "text 0,1400 \"\"",
                  "text 700,1800 \"Page 1\" #B0B0B0", "text 700,1800 \"Page 1\" #B0B0B0", "page 2",
                  "text 0,0 \"\"", "text 700,1800 \"Page 2\" #B0B0B0"}));
}

// ------------------------------------------------------------- layout

TEST_F(FrmScriptTest, ControlsKeepTheirEdgesAndTheWindowItsMinimumSize) {
    window->ShowScript(sampleScript());
    settle();
    EXPECT_EQ(window->size(), QSize(600, 440));
    const QRect script = window->RTBox->geometry();
    const QRect save = window->CmdSave->geometry();
    const QRect print = window->CmdPrint->geometry();
    const QRect close = window->CmdClose->geometry();
    EXPECT_EQ(script, QRect(8, 8, 584, 391));
    EXPECT_EQ(save, QRect(8, 407, 80, 25));
    EXPECT_EQ(print, QRect(96, 407, 80, 25));
    EXPECT_EQ(close, QRect(512, 407, 80, 25));

    window->resize(700, 520);
    settle();
    EXPECT_EQ(window->RTBox->geometry(), script.adjusted(0, 0, 100, 80));
    EXPECT_EQ(window->CmdSave->geometry(), save.translated(0, 80));
    EXPECT_EQ(window->CmdPrint->geometry(), print.translated(0, 80));
    EXPECT_EQ(window->CmdClose->geometry(), close.translated(100, 80));

    // 6980 x 5910 twips at the least, frame included.
    window->resize(100, 100);
    settle();
    const QSize minimum = QSize(465, 394) - (window->frameGeometry().size() - window->size());
    EXPECT_EQ(window->size(), minimum);
    const QSize shrink = minimum - QSize(600, 440);
    EXPECT_EQ(window->CmdClose->geometry(), close.translated(shrink.width(), shrink.height()));
    EXPECT_EQ(window->RTBox->geometry(), script.adjusted(0, 0, shrink.width(), shrink.height()));
    for (QWidget* w :
         {static_cast<QWidget*>(window->CmdSave), static_cast<QWidget*>(window->CmdPrint)})
        EXPECT_FALSE(w->geometry().intersects(window->CmdClose->geometry()));
    EXPECT_GE(window->CmdSave->width(), window->CmdSave->sizeHint().width());
    EXPECT_GE(window->CmdPrint->width(), window->CmdPrint->sizeHint().width());
    EXPECT_GE(window->CmdClose->width(), window->CmdClose->sizeHint().width());
}

TEST_F(FrmScriptTest, ScreenshotsAtTheDesignAndTheMinimumSize) {
    ScriptWindowText script = sampleScript();
    window->ShowScript(script);
    shot("FrmScript.png");
    script.Report = {
        "Foreign key [FK_Orders] of table [Order Details] left out: it refers to "
        "table [Orders], which the script does not create: it is not selected."};
    window->ShowScript(script);
    window->resize(100, 100);
    shot("FrmScript-minimum.png");
}

}  // namespace
