#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QTest>
#include <filesystem>
#include <functional>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Error.h"
#include "jet/testing/SessionEnd.h"
#include "jet/testing/StoreBuilder.h"
#include "runner/FrmMain.h"
#include "runner/RunnerError.h"
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

// The box of a test open that failed, with the data-access layer's reason.
ExpectedBox connectionError(const std::string& why) {
    return {u"Can't connect to the database.Please check your settings and try again!\r\n\r\n"_s +
                QString::fromStdString(why),
            Buttons::OkOnly,
            Icon::Critical,
            u"Connection error!"_s,
            Answer::Ok,
            {}};
}

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
    const std::string missing = dir.file("missing.sdb");
    window.DBFile->setText(QString::fromStdString(missing));
    window.SFile->setText(QString::fromStdString(dir.file("missing.psx")));
    services.expectBox(
        connectionError(jet::makeError(jet::Err::FileNotFound, {missing}).description()));
    QTest::mouseClick(window.CmdRun, Qt::LeftButton);
    services.verify();
    EXPECT_EQ(services.shown().size(), 1u);
    EXPECT_TRUE(window.CmdRun->isEnabled());
    EXPECT_EQ(services.busyDepth(), 0);
    EXPECT_EQ(services.doEventsCalls(), 0);
}

struct OpenFailure {
    const char* name;
    // Fills the fields for a database in `dir`; the reason the box gives.
    std::function<std::string(runner::FrmMain&, testsupport::TempDir&)> setUp;
};

void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class FrmMainOpenFailures : public FrmMainTest,
                            public ::testing::WithParamInterface<OpenFailure> {};

// Each failure of the test open reads differently: the layer's description
// follows the box's own text.
TEST_P(FrmMainOpenFailures, SayWhyTheDatabaseDidNotOpen) {
    testsupport::TempDir dir;
    const std::string why = GetParam().setUp(window, dir);
    if (why.empty()) GTEST_SKIP() << "fixtures folder (JET_FIXTURES) not found; test skipped";
    services.expectBox(connectionError(why));
    window.CmdRun_Click();
    services.verify();
    // A folder made read-only is removed with the rest.
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
        if (e.is_directory())
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FrmMainOpenFailures,
    ::testing::Values(
        OpenFailure{
            "missingDatabase",
            [](runner::FrmMain& w, testsupport::TempDir& d) {
                w.DBFile->setText(QString::fromStdString(d.file("none.sdb")));
                return jet::makeError(jet::Err::FileNotFound, {d.file("none.sdb")}).description();
            }},
        OpenFailure{
            "noDatabaseFile",
            [](runner::FrmMain& w, testsupport::TempDir& d) {
                testsupport::writeFile(d.file("x.sdb"), "not a database");
                w.DBFile->setText(QString::fromStdString(d.file("x.sdb")));
                return jet::makeError(jet::Err::UnknownFormat, {d.file("x.sdb")}).description();
            }},
        OpenFailure{"wrongDatabasePassword",
                    [](runner::FrmMain& w, testsupport::TempDir& d) {
                        jet::testing::buildStore(d.file("p.sdb"), "", "", "right");
                        w.DBFile->setText(QString::fromStdString(d.file("p.sdb")));
                        w.Password->setText(u"wrong"_s);
                        return std::string("Not a valid password.");
                    }},
        // Jet files are read-only here; the run would need to write.
        OpenFailure{"realJetFile",
                    [](runner::FrmMain& w, testsupport::TempDir&) {
                        if (testsupport::fixturesDir().empty()) return std::string();
                        w.DBFile->setText(
                            QString::fromStdString(testsupport::fixture("jackcess/adox_jet4.mdb")));
                        return std::string("Cannot update. Database or object is read-only.");
                    }},
        // A writable copy in a folder that cannot be written: the folder is named.
        OpenFailure{
            "readOnlyFolder",
            [](runner::FrmMain& w, testsupport::TempDir& d) {
                if (testsupport::fixturesDir().empty()) return std::string();
                const auto folder = d.path() / "ro";
                std::filesystem::create_directory(folder);
                const auto db = folder / "Shop.mdb";
                std::filesystem::copy_file(testsupport::fixture("jackcess/emptyV2000.mdb"), db);
                std::filesystem::permissions(db, std::filesystem::perms::owner_write,
                                             std::filesystem::perm_options::add);
                std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                             std::filesystem::perm_options::remove);
                std::filesystem::permissions(
                    folder,
                    std::filesystem::perms::group_write | std::filesystem::perms::others_write,
                    std::filesystem::perm_options::remove);
                w.DBFile->setText(QString::fromStdString(db.string()));
                return jet::makeError(jet::Err::FolderNotWritable, {"Shop.mdb", folder.string()})
                    .description();
            }}),
    [](const auto& p) { return std::string(p.param.name); });

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
    // The success box says that the database does not hold the whole script.
    ExpectedBox done = kSucceeded;
    done.text += u"\r\n\r\n1 statement failed and was skipped."_s;
    services.expectBox(done);
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

// Each failed statement the user let pass is counted in the success box.
TEST_F(FrmMainRun, TheSuccessBoxCountsTheStatementsThatFailedAndWereSkipped) {
    const std::string failing = "CREATE TABLE [T] ([x] INTEGER);\r\nRUN\r\n";  // T exists
    testsupport::writeFile(
        script, failing + "CREATE TABLE [A] ([x] INTEGER);\r\nRUN\r\n" + failing + failing);
    const auto error = jet::makeError(jet::Err::TableExists, {"T"});
    for (int i = 0; i < 3; ++i) {
        services.expectBox({u"CREATE TABLE [T] ([x] INTEGER);\r\n"_s,
                            Buttons::OkOnly,
                            Icon::None,
                            {},
                            Answer::Ok,
                            {}});
        services.expectBox({u"An error occured : \r\n"_s + QString::number(error.number()) +
                                u"-"_s + QString::fromStdString(error.description()) +
                                u"\r\n\r\nContinue?"_s,
                            Buttons::YesNo,
                            Icon::Exclamation,
                            u"Error!"_s,
                            Answer::Yes,
                            {}});
    }
    ExpectedBox done = kSucceeded;
    done.text += u"\r\n\r\n3 statements failed and were skipped."_s;
    services.expectBox(done);
    window.CmdRun_Click();
    services.verify();
    EXPECT_TRUE(hasTable("A"));
}

// A real Access file the writer cannot change at all: one box says why, at
// the unsuccessful end, instead of two boxes for every statement.
TEST_F(FrmMainTest, ADatabaseThatCannotBeChangedIsSaidOnceAsAFailedRun) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = dir.file("Old.mdb");
    std::filesystem::copy_file(testsupport::fixture("jackcess/emptyV2000.mdb"), db);
    std::filesystem::permissions(db, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    // The header's version byte: Access 2007's, a format the writer refuses.
    std::string bytes = testsupport::readFile(db);
    bytes[0x14] = '\x02';
    testsupport::writeFile(db, bytes);
    testsupport::writeFile(dir.file("s.psx"),
                           "CREATE TABLE [A] ([x] INTEGER);\r\nRUN\r\n"
                           "CREATE TABLE [B] ([x] INTEGER);\r\nRUN\r\n"
                           "CREATE TABLE [C] ([x] INTEGER);\r\nRUN\r\n");
    window.DBFile->setText(QString::fromStdString(db));
    window.SFile->setText(QString::fromStdString(dir.file("s.psx")));
    ExpectedBox failed = kFailed;
    failed.text +=
        u"\r\n\r\n"_s + QString::fromStdString(
                            jet::makeError(jet::Err::FormatNotWritable, {"Old.mdb", "Access 2007"})
                                .description());
    services.expectBox(failed);
    window.CmdRun_Click();
    services.verify();
    EXPECT_EQ(services.shown().size(), 1u);
    EXPECT_TRUE(window.CmdRun->isEnabled());
}

// A file cut short: its last statement has no RUN line. The user sees the text
// (passwords hidden) and is asked, as for a failed statement.
TEST_F(FrmMainRun, TextAfterTheLastRunIsShownAndTheUserAsked) {
    testsupport::writeFile(script,
                           "CREATE TABLE [A] ([x] INTEGER);\r\nRUN\r\n"
                           "ALTER DATABASE PASSWORD s3cret NULL\r\n");
    services.expectBox({u"ALTER DATABASE PASSWORD ***** *****\r\n"_s,
                        Buttons::OkOnly,
                        Icon::None,
                        {},
                        Answer::Ok,
                        {}});
    services.expectBox({u"An error occured : \r\n"_s +
                            QString::number(runner::kErrTextAfterLastRun) +
                            u"-Line 3 of the script file: the statement text from this line to "
                            u"the end of the file has no RUN line after it and was not run."
                            u"\r\n\r\nContinue?"_s,
                        Buttons::YesNo,
                        Icon::Exclamation,
                        u"Error!"_s,
                        Answer::No,
                        {}});
    services.expectBox(kFailed);
    window.CmdRun_Click();
    services.verify();
    EXPECT_TRUE(hasTable("A"));
}

TEST_F(FrmMainRun, ARunThatFailsWithAnErrorReportsFailureAndWhy) {
    struct Case {
        const char* name;
        std::string script;  // nothing written when empty
        QString path;        // the script field
        std::string why;     // on the lines after the box's own text
    };
    const std::string missing = dir.file("missing.psx");
    const Case cases[] = {
        {"missingFile", "", QString::fromStdString(missing),
         "Cannot open the script file '" + missing + "': No such file or directory."},
        {"emptyPath", "", u"   "_s, "No script file was named."},
        {"refusedBlockLine", "<JET:COLUMNS>\r\nNone;x;2;d\r\n</JET:COLUMNS>\r\n",
         QString::fromStdString(script), jet::makeError(jet::Err::ItemNotFound).description()},
        {"badNumber", "<JET:COLUMNS>\r\nT;x;two;d\r\n</JET:COLUMNS>\r\n",
         QString::fromStdString(script),
         "Line 2 of the script file: the property position 'two' is not a whole number."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.script.empty()) testsupport::writeFile(script, c.script);
        window.SFile->setText(c.path);
        ExpectedBox failed = kFailed;
        failed.text += u"\r\n\r\n"_s + QString::fromStdString(c.why);
        services.expectBox(failed);
        window.CmdRun_Click();
        services.verify();
        EXPECT_TRUE(window.CmdRun->isEnabled());
        EXPECT_EQ(services.busyDepth(), 0);
    }
}

// A database whose changes are written when the run closes it (a real Access
// file): a failed close is a failed run that says the database was not
// changed and why; a close that succeeded may say where the backup is.
enum class RunEnd { AllDone, Declined, BlockLineFailed };

struct CloseCase {
    const char* name;
    RunEnd end;
    bool closeFails;
    const char* report;
    bool succeeds;
    QString lines;  // after the result box's own text
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

const char* const kNotChanged =
    "The database was not changed: the new file could not be checked (index [PrimaryKey] of "
    "table [T]).";
const char* const kBackup = "The database before this run is kept as /data/db-backup.mdb.";

class FrmMainClose : public FrmMainRun, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(FrmMainClose, TheResultBoxSaysWhatTheCloseSaid) {
    const CloseCase& c = GetParam();
    jet::testing::SessionEnd end;
    if (c.closeFails) end.failure = jet::Error(static_cast<int32_t>(0x80004005), kNotChanged);
    end.report = c.report;
    const jet::testing::ScopedSessionEnd ending(end);

    std::string text = "CREATE TABLE [A] ([x] INTEGER);\r\nRUN\r\n";
    if (c.end == RunEnd::Declined) text += "CREATE TABLE [T] ([x] INTEGER);\r\nRUN\r\n";
    if (c.end == RunEnd::BlockLineFailed)
        text += "<JET:COLUMNS>\r\nNone;x;2;d\r\n</JET:COLUMNS>\r\n";
    testsupport::writeFile(script, text);
    if (c.end == RunEnd::Declined) {
        const auto error = jet::makeError(jet::Err::TableExists, {"T"});
        services.expectBox({u"CREATE TABLE [T] ([x] INTEGER);\r\n"_s,
                            Buttons::OkOnly,
                            Icon::None,
                            {},
                            Answer::Ok,
                            {}});
        services.expectBox({u"An error occured : \r\n"_s + QString::number(error.number()) +
                                u"-"_s + QString::fromStdString(error.description()) +
                                u"\r\n\r\nContinue?"_s,
                            Buttons::YesNo,
                            Icon::Exclamation,
                            u"Error!"_s,
                            Answer::No,
                            {}});
    }
    ExpectedBox result = c.succeeds ? kSucceeded : kFailed;
    result.text += c.lines;
    services.expectBox(result);
    window.CmdRun_Click();
    services.verify();
    EXPECT_EQ(ending.ended(), 1);
    EXPECT_TRUE(window.CmdRun->isEnabled());
}

const QString kBlockLineRefused =
    u"\r\n\r\n"_s + QString::fromStdString(jet::makeError(jet::Err::ItemNotFound).description());

INSTANTIATE_TEST_SUITE_P(
    Ends, FrmMainClose,
    ::testing::Values(CloseCase{"failsAfterAllDone", RunEnd::AllDone, true, "", false,
                                u"\r\n\r\n"_s + QString::fromUtf8(kNotChanged)},
                      CloseCase{"failsAfterADecline", RunEnd::Declined, true, "", false,
                                u"\r\n\r\n"_s + QString::fromUtf8(kNotChanged)},
                      CloseCase{"failsAfterAFailedBlockLine", RunEnd::BlockLineFailed, true, "",
                                false,
                                kBlockLineRefused + u"\r\n\r\n"_s + QString::fromUtf8(kNotChanged)},
                      CloseCase{"succeedsWithAReport", RunEnd::AllDone, false, kBackup, true,
                                u"\r\n\r\n"_s + QString::fromUtf8(kBackup)},
                      CloseCase{"succeedsWithoutAReport", RunEnd::AllDone, false, "", true, {}},
                      // What ran before the stop was written: the backup is worth knowing.
                      CloseCase{"reportsAfterADecline", RunEnd::Declined, false, kBackup, false,
                                u"\r\n\r\n"_s + QString::fromUtf8(kBackup)},
                      CloseCase{"reportsAfterAFailedBlockLine", RunEnd::BlockLineFailed, false,
                                kBackup, false,
                                kBlockLineRefused + u"\r\n\r\n"_s + QString::fromUtf8(kBackup)}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
