#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QTest>
#include <filesystem>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"
#include "runner/FrmMain.h"
#include "ui/testing/QtTestApplication.h"
#include "ui/testing/ScriptedServices.h"

using namespace Qt::StringLiterals;

namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;
using ui::testing::ExpectedBox;
using ui::testing::ScriptedServices;

// Made before the window, which needs the application.
struct WithApplication {
    WithApplication() { ui::testing::qtApplication(); }
};

class FrmMainTest : public ::testing::Test {
protected:
    WithApplication app_;
    ScriptedServices services{u"Batchrun1"_s};
    runner::FrmMain window{services};
};

const ExpectedBox kConnectionError{
    u"Can't connect to the database.Please check your settings and try again!"_s,
    Buttons::OkOnly,
    Icon::Critical,
    u"Connection error!"_s,
    Answer::Ok,
    {}};

TEST_F(FrmMainTest, HasTheFormsControlsNamesAndTexts) {
    EXPECT_EQ(window.windowTitle(), u"Script Runner For Parabase v1.2 For MSAccess"_s);
    EXPECT_EQ(window.font().family(), u"Verdana"_s);
    EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);
    struct Named {
        QWidget* w;
        const char* name;
        QWidget* parent;
    };
    const Named named[] = {
        {window.SDBFrame, "SDBFrame", &window},
        {window.SDBLabel, "SDBLabel", window.SDBFrame},
        {window.DBFile, "DBFile", window.SDBFrame},
        {window.CmdDFile, "CmdDFile", window.SDBFrame},
        {window.Label1, "Label1", window.SDBFrame},
        {window.WFile, "WFile", window.SDBFrame},
        {window.CmdWFile, "CmdWFile", window.SDBFrame},
        {window.Label2, "Label2", window.SDBFrame},
        {window.UName, "UName", window.SDBFrame},
        {window.Label3, "Label3", window.SDBFrame},
        {window.Password, "Password", window.SDBFrame},
        {window.Label4, "Label4", &window},
        {window.SFile, "SFile", &window},
        {window.CmdSFile, "CmdSFile", &window},
        {window.CmdRun, "CmdRun", &window},
    };
    for (const auto& n : named) {
        EXPECT_EQ(n.w->objectName(), QString::fromLatin1(n.name));
        EXPECT_EQ(n.w->parentWidget(), n.parent) << n.name;
        EXPECT_EQ(window.findChild<QWidget*>(QString::fromLatin1(n.name)), n.w);
    }
    EXPECT_EQ(window.SDBFrame->title(), u"Database"_s);
    EXPECT_EQ(window.SDBLabel->text(), u"Database File"_s);
    EXPECT_EQ(window.Label1->text(), u"WorkGroup File"_s);
    EXPECT_EQ(window.Label2->text(), u"User Name"_s);
    EXPECT_EQ(window.Label3->text(), u"Password"_s);
    EXPECT_EQ(window.Label4->text(), u"Script File"_s);
    EXPECT_EQ(window.CmdRun->text(), u"Run"_s);
    for (QPushButton* b : {window.CmdDFile, window.CmdWFile, window.CmdSFile}) {
        EXPECT_TRUE(b->text().isEmpty());
        EXPECT_FALSE(b->icon().isNull());
    }
    for (QLineEdit* e : {window.DBFile, window.WFile, window.UName, window.Password, window.SFile})
        EXPECT_TRUE(e->text().isEmpty());
    EXPECT_EQ(window.Password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window.UName->echoMode(), QLineEdit::Normal);
}

TEST_F(FrmMainTest, OpensAtTheFormsSizeWithItsGeometry) {
    // The labels may need more room in the font at hand; the field column then
    // moves right by the same amount, everything else is as the form has it.
    const int shift = window.DBFile->x() - 104;
    EXPECT_GE(shift, 0);
    EXPECT_EQ(window.size(), QSize(434 + shift, 206));
    EXPECT_EQ(window.SDBFrame->geometry(), QRect(8, 8, 418 + shift, 129));
    EXPECT_EQ(window.SDBLabel->geometry().topLeft(), QPoint(8, 19));
    EXPECT_EQ(window.DBFile->geometry(), QRect(104 + shift, 16, 274, 19));
    EXPECT_EQ(window.CmdDFile->geometry(), QRect(384 + shift, 12, 25, 25));
    EXPECT_EQ(window.WFile->geometry(), QRect(104 + shift, 44, 274, 19));
    EXPECT_EQ(window.CmdWFile->geometry(), QRect(384 + shift, 41, 25, 25));
    EXPECT_EQ(window.UName->geometry(), QRect(104 + shift, 72, 274, 19));
    EXPECT_EQ(window.Password->geometry(), QRect(104 + shift, 100, 274, 19));
    EXPECT_EQ(window.Label3->geometry().topLeft(), QPoint(8, 104));
    EXPECT_EQ(window.Label4->geometry().topLeft(), QPoint(16, 147));
    EXPECT_EQ(window.SFile->geometry(), QRect(112 + shift, 144, 274, 19));
    EXPECT_EQ(window.CmdSFile->geometry(), QRect(392 + shift, 140, 25, 25));
    EXPECT_EQ(window.CmdRun->geometry(), QRect(160 + shift / 2, 176, 105, 25));
}

// No control reaches outside its parent, no two siblings overlap, and every
// label's text fits, at the opening size and larger ones.
TEST_F(FrmMainTest, LaysOutAtAnySizeWithoutClipping) {
    window.show();
    const int gap = window.CmdSFile->x() - window.SFile->geometry().right();
    for (const QSize size : {QSize(0, 0), QSize(200, 100), QSize(700, 206), QSize(1200, 800)}) {
        window.resize(size);
        QApplication::processEvents();
        ASSERT_GE(window.width(), window.minimumWidth());
        ASSERT_GE(window.height(), window.minimumHeight());
        for (QWidget* parent :
             {static_cast<QWidget*>(&window), static_cast<QWidget*>(window.SDBFrame)}) {
            const QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (QWidget* k : kids) {
                EXPECT_TRUE(parent->rect().contains(k->geometry()))
                    << k->objectName().toStdString() << " at " << size.width() << "x"
                    << size.height();
                for (QWidget* other : kids) {
                    if (other == k) continue;
                    EXPECT_FALSE(k->geometry().intersects(other->geometry()))
                        << k->objectName().toStdString() << " overlaps "
                        << other->objectName().toStdString();
                }
            }
        }
        for (QLabel* l :
             {window.SDBLabel, window.Label1, window.Label2, window.Label3, window.Label4})
            EXPECT_GE(l->width(), l->sizeHint().width()) << l->objectName().toStdString();
        // Text boxes and pickers follow the right edge.
        EXPECT_EQ(window.SDBFrame->geometry().right(), window.width() - 1 - 8);
        EXPECT_EQ(window.SFile->geometry().right() + gap, window.CmdSFile->x());
    }
}

TEST_F(FrmMainTest, ScreenshotForAPersonsCheck) {
    window.DBFile->setText(u"/data/shop.sdb"_s);
    window.Password->setText(u"secret"_s);
    window.SFile->setText(u"/data/sync.psx"_s);
    window.show();
    QApplication::processEvents();
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.size(), window.size() * window.devicePixelRatio());
    const auto path = std::filesystem::current_path() / "FrmMain.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path << "\n";
}

TEST_F(FrmMainTest, TabOrderFollowsTheForm) {
    QWidget* expected[] = {window.DBFile,   window.WFile,    window.UName,
                           window.Password, window.SFile,    window.CmdRun,
                           window.CmdDFile, window.CmdWFile, window.CmdSFile};
    auto nextTabStop = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (size_t i = 0; i + 1 < std::size(expected); ++i)
        EXPECT_EQ(nextTabStop(expected[i]), expected[i + 1])
            << expected[i]->objectName().toStdString();
}

struct FieldsCase {
    const char* name;
    const char* database;
    const char* workgroup;
    const char* user;
    const char* password;
    const char* tail;  // after "Provider=Microsoft.Jet.OLEDB.4.0;Data Source="
};

void PrintTo(const FieldsCase& c, std::ostream* os) { *os << c.name; }

class FrmMainFields : public FrmMainTest, public ::testing::WithParamInterface<FieldsCase> {};

TEST_P(FrmMainFields, MakeTheConnectionString) {
    const auto& c = GetParam();
    QTest::keyClicks(window.DBFile, QString::fromUtf8(c.database));
    QTest::keyClicks(window.WFile, QString::fromUtf8(c.workgroup));
    QTest::keyClicks(window.UName, QString::fromUtf8(c.user));
    QTest::keyClicks(window.Password, QString::fromUtf8(c.password));
    EXPECT_EQ(window.connectionString(),
              std::string("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + c.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrmMainFields,
    ::testing::Values(
        FieldsCase{"databaseOnly", "/d/a.sdb", "", "", "", "/d/a.sdb;Persist Security Info=True"},
        FieldsCase{"userEmptyPassword", "/d/a.sdb", "/d/s.sdw", "bob", "",
                   "/d/a.sdb;Persist Security Info=True;Jet OLEDB:System database=/d/s.sdw;User "
                   "ID=bob;Password="},
        FieldsCase{"passwordOnly", "a.sdb", "", "", "pw",
                   "a.sdb;Persist Security Info=True;Jet OLEDB:Database Password=pw"},
        FieldsCase{"spacesOnlyWorkgroup", "a.sdb", "   ", "", "",
                   "a.sdb;Persist Security Info=True"},
        FieldsCase{"passwordSpacesTrimmed", " a.sdb ", "", "ann", "  pw  ",
                   "a.sdb;Persist Security Info=True;User ID=ann;Password=pw"},
        FieldsCase{
            "semicolonQuoted", "/d/a;b.sdb", "", "", "x=y",
            "\"/d/a;b.sdb\";Persist Security Info=True;Jet OLEDB:Database Password=\"x=y\""}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(FrmMainTest, ATestOpenThatFailsSaysConnectionErrorAndRunsNothing) {
    testsupport::TempDir dir;
    window.DBFile->setText(QString::fromStdString(dir.file("missing.sdb")));
    window.SFile->setText(QString::fromStdString(dir.file("missing.psx")));
    services.expectBox(kConnectionError);
    QTest::mouseClick(window.CmdRun, Qt::LeftButton);
    services.verify();
    EXPECT_EQ(services.shown().size(), 1u);
    EXPECT_TRUE(window.CmdRun->isEnabled());
    EXPECT_EQ(services.busyDepth(), 0);
    EXPECT_EQ(services.doEventsCalls(), 0);
}

TEST_F(FrmMainTest, AFileThatIsNoDatabaseFailsTheTestOpen) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("x.sdb"), "not a database");
    window.DBFile->setText(QString::fromStdString(dir.file("x.sdb")));
    services.expectBox(kConnectionError);
    window.CmdRun_Click();
}

TEST_F(FrmMainTest, ARealJetFileIsRefusedAtTheTestOpen) {
    REQUIRE_FIXTURES();
    // Jet files are read-only here; the run would need to write.
    window.DBFile->setText(QString::fromStdString(testsupport::fixture("jackcess/adox_jet4.mdb")));
    services.expectBox(kConnectionError);
    window.CmdRun_Click();
}

TEST_F(FrmMainTest, PickersFillTheirBoxAndCancelKeepsIt) {
    struct Pick {
        QPushButton* button;
        QLineEdit* box;
        QString title, filter;
    };
    const Pick picks[] = {
        {window.CmdDFile, window.DBFile, u"Open database file..."_s,
         u"MSAccess database file (*.mdb *.sdb)|*.mdb;*.sdb|"_s},
        {window.CmdWFile, window.WFile, u"Open workgroup file..."_s,
         u"MSAccess workgroup file (*.mdw *.sdw)|*.mdw;*.sdw|"_s},
        {window.CmdSFile, window.SFile, u"Open Parabase script file..."_s,
         u"Parabase script file (*.psx)|*.psx|"_s},
    };
    for (const auto& p : picks) {
        const ui::FileDialog want{p.title, p.filter, {}, {}, ui::dlg::HideReadOnly};
        services.expectOpen(want, u"/chosen/one"_s);
        QTest::mouseClick(p.button, Qt::LeftButton);
        EXPECT_EQ(p.box->text(), u"/chosen/one"_s);
        // The name is preset to empty text each time, whatever was chosen before.
        services.expectOpen(want, std::nullopt);
        QTest::mouseClick(p.button, Qt::LeftButton);
        EXPECT_EQ(p.box->text(), u"/chosen/one"_s);
    }
}

TEST_F(FrmMainTest, ClosesWhenIdle) {
    window.show();
    QCloseEvent idle;
    QApplication::sendEvent(&window, &idle);
    EXPECT_TRUE(idle.isAccepted());
}

// Runs on a store database built for the test.
class FrmMainRun : public FrmMainTest {
protected:
    FrmMainRun() {
        jet::testing::buildStore(database, "CREATE TABLE [T] ([x] INTEGER)");
        window.DBFile->setText(QString::fromStdString(database));
        window.SFile->setText(u"  "_s + QString::fromStdString(script) + u"  "_s);
    }
    bool hasTable(const std::string& name) {
        jet::Catalog c;
        c.ActiveConnection(jet::testing::storeConnectionString(database));
        try {
            (void)c.Tables().Item(name);
            return true;
        } catch (const jet::Error&) {
            return false;
        }
    }

    testsupport::TempDir dir;
    std::string database = dir.file("db.sdb");
    std::string script = dir.file("s.psx");
};

const ExpectedBox kSucceeded{
    u"Script has been run succesfully!"_s, Buttons::OkOnly, Icon::Information, {}, Answer::Ok, {}};
const ExpectedBox kFailed{u"Script has been run unsuccesfully!"_s,
                          Buttons::OkOnly,
                          Icon::Exclamation,
                          {},
                          Answer::Ok,
                          {}};

TEST_F(FrmMainRun, ASuccessfulRunReportsSuccess) {
    testsupport::writeFile(script, "CREATE TABLE [A] ([x] INTEGER);\n\nRUN\n");
    ExpectedBox done = kSucceeded;
    done.whileShown = [&] {
        EXPECT_EQ(services.busyDepth(), 0) << "pointer back to normal before the box";
        EXPECT_FALSE(window.CmdRun->isEnabled()) << "enabled only after the box";
    };
    services.expectBox(done);
    QTest::mouseClick(window.CmdRun, Qt::LeftButton);
    services.verify();
    EXPECT_TRUE(hasTable("A"));
    EXPECT_TRUE(window.CmdRun->isEnabled());
    EXPECT_FALSE(window.running());
    EXPECT_EQ(services.doEventsCalls(), 1);
    EXPECT_EQ(services.shown().back().title, u"Batchrun1"_s);
}

TEST_F(FrmMainRun, AFailedStatementShowsItThenAsksAndRunIsDisabledMeanwhile) {
    testsupport::writeFile(script,
                           "CREATE TABLE [T] ([x] INTEGER);\r\nRUN\r\n"
                           "CREATE TABLE [A] ([x] INTEGER);\r\nRUN\r\n");
    const auto error = jet::makeError(jet::Err::TableExists, {"T"});
    auto duringRun = [&] {
        EXPECT_FALSE(window.CmdRun->isEnabled());
        EXPECT_TRUE(window.running());
        EXPECT_EQ(services.busyDepth(), 1);
        // A click let through by the box's event loop starts nothing.
        window.CmdRun_Click();
        QCloseEvent close;
        QApplication::sendEvent(&window, &close);
        EXPECT_FALSE(close.isAccepted());
    };
    services.expectBox({u"CREATE TABLE [T] ([x] INTEGER);\r\n"_s,
                        Buttons::OkOnly,
                        Icon::None,
                        {},
                        Answer::Ok,
                        duringRun});
    services.expectBox({u"An error occured : \r\n"_s + QString::number(error.number()) + u"-"_s +
                            QString::fromStdString(error.description()) + u"\r\n\r\nContinue?"_s,
                        Buttons::YesNo, Icon::Exclamation, u"Error!"_s, Answer::Yes, duringRun});
    services.expectBox(kSucceeded);
    window.CmdRun_Click();
    services.verify();
    // The number is an HRESULT: negative, its minus sign before the digits.
    EXPECT_TRUE(services.shown()[1].text.contains(u" : \r\n-"_s));
    EXPECT_TRUE(hasTable("A"));
    EXPECT_TRUE(window.CmdRun->isEnabled());
    EXPECT_EQ(services.busyDepth(), 0);
}

TEST_F(FrmMainRun, AnsweringNoStopsTheRunAndReportsFailure) {
    testsupport::writeFile(script,
                           "CREATE TABLE [T] ([x] INTEGER);\r\nRUN\r\n"
                           "CREATE TABLE [A] ([x] INTEGER);\r\nRUN\r\n");
    const auto error = jet::makeError(jet::Err::TableExists, {"T"});
    services.expectBox({u"CREATE TABLE [T] ([x] INTEGER);\r\n"_s,
                        Buttons::OkOnly,
                        Icon::None,
                        {},
                        Answer::Ok,
                        {}});
    services.expectBox({u"An error occured : \r\n"_s + QString::number(error.number()) + u"-"_s +
                            QString::fromStdString(error.description()) + u"\r\n\r\nContinue?"_s,
                        Buttons::YesNo,
                        Icon::Exclamation,
                        u"Error!"_s,
                        Answer::No,
                        {}});
    services.expectBox(kFailed);
    window.CmdRun_Click();
    services.verify();
    EXPECT_FALSE(hasTable("A"));
    EXPECT_TRUE(window.CmdRun->isEnabled());
}

TEST_F(FrmMainRun, ARunThatFailsWithAnErrorReportsFailure) {
    struct Case {
        const char* name;
        std::string script;  // nothing written when empty
        QString path;        // the script field
    };
    const Case cases[] = {
        {"missingFile", "", QString::fromStdString(dir.file("missing.psx"))},
        {"emptyPath", "", u"   "_s},
        {"refusedBlockLine", "<JET:COLUMNS>\r\nNone;x;2;d\r\n</JET:COLUMNS>\r\n",
         QString::fromStdString(script)},
        {"badNumber", "<JET:COLUMNS>\r\nT;x;two;d\r\n</JET:COLUMNS>\r\n",
         QString::fromStdString(script)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.script.empty()) testsupport::writeFile(script, c.script);
        window.SFile->setText(c.path);
        services.expectBox(kFailed);
        window.CmdRun_Click();
        services.verify();
        EXPECT_TRUE(window.CmdRun->isEnabled());
        EXPECT_EQ(services.busyDepth(), 0);
    }
}

}  // namespace
