// Jet's rules on rows are made by each session for the tables it writes (and
// those its cascades reach), never kept in the file: what a fresh session, a
// failed change, another connection's change or a file of an earlier version
// must not break.
#include <sqlite3.h>

#include "StoreTestSupport.h"
#include "jet/store/Sqlite.h"

namespace {

using storetest::Db;
using storetest::errorOf;
using storetest::textOf;
using Rows = std::vector<jet::testing::Row>;

const char* kChain = R"(
CREATE TABLE [A] ([ID] LONG CONSTRAINT [PK_A] PRIMARY KEY, [Name] TEXT(10));
CREATE TABLE [B] ([ID] LONG CONSTRAINT [PK_B] PRIMARY KEY, [A] LONG NOT NULL, CONSTRAINT [AB] FOREIGN KEY ([A]) REFERENCES [A] ([ID]) ON UPDATE CASCADE ON DELETE CASCADE);
CREATE TABLE [C] ([B] LONG, CONSTRAINT [BC] FOREIGN KEY ([B]) REFERENCES [B] ([ID]) ON DELETE CASCADE);
CREATE TABLE [D] ([B] LONG, CONSTRAINT [BD] FOREIGN KEY ([B]) REFERENCES [B] ([ID]));
CREATE TABLE [S] ([A] LONG NOT NULL, CONSTRAINT [SetNullRule] FOREIGN KEY ([A]) REFERENCES [A] ([ID]) ON DELETE SET NULL);
INSERT INTO [A] VALUES (1, 'one');
INSERT INTO [A] VALUES (2, 'two');
INSERT INTO [A] VALUES (3, 'three');
INSERT INTO [B] VALUES (10, 1);
INSERT INTO [B] VALUES (20, 2);
INSERT INTO [C] VALUES (10);
INSERT INTO [D] VALUES (20);
INSERT INTO [S] VALUES (3);
)";

const char* kAllRows =
    "SELECT 'A', ID, Name FROM A UNION ALL SELECT 'B', ID, A FROM B UNION ALL "
    "SELECT 'C', B, NULL FROM C UNION ALL SELECT 'D', B, NULL FROM D UNION ALL "
    "SELECT 'S', A, NULL FROM S ORDER BY 1, 2";

TEST(StoreTriggers, CascadesOfAFreshSessionObeyTheRulesOfTheTablesTheyReach) {
    // Rows were written by the builder's session; each statement below is the
    // first write of a new one.
    const struct {
        const char* statement;
        std::optional<jet::Err> error;
        const char* countAfter;  // a query whose count shows the change
        int64_t expected;
    } cases[] = {
        // Two levels of cascade: B's own trigger deletes C's rows.
        {"DELETE FROM [A] WHERE [ID] = 1", std::nullopt, "SELECT count(*) FROM C", 0},
        // B's row, reached by a cascade, is kept by D's row.
        {"DELETE FROM [A] WHERE [ID] = 2", jet::Err::HasRelatedRecords, nullptr, 0},
        // Set null into a required column.
        {"DELETE FROM [A] WHERE [ID] = 3", jet::Err::NullNotAllowed, nullptr, 0},
        {"UPDATE [A] SET [ID] = 5 WHERE [ID] = 1", std::nullopt,
         "SELECT count(*) FROM B WHERE A = 5", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        Db db(kChain);
        const Rows before = db.rows(kAllRows);
        if (c.error) {
            const auto e = errorOf([&] { db.exec(c.statement); });
            EXPECT_EQ(e.description().rfind(textOf(*c.error), 0), 0u) << e.description();
            EXPECT_EQ(db.rows(kAllRows), before);
            // The failed statement did not take the session's rules with it.
            EXPECT_EQ(errorOf([&] { db.exec(c.statement); }).description(), e.description());
        } else {
            db.exec(c.statement);
            EXPECT_EQ(db.rows(c.countAfter), (Rows{{std::to_string(c.expected)}}));
        }
    }
}

TEST(StoreTriggers, RelationshipsAddedAfterTheFirstWriteAreEnforced) {
    for (const bool guarded : {true, false}) {
        SCOPED_TRACE(guarded ? "F holds a row of E" : "F is empty");
        Db db(std::string(kChain) + R"(
CREATE TABLE [E] ([ID] LONG CONSTRAINT [PK_E] PRIMARY KEY, [B] LONG);
CREATE TABLE [F] ([E] LONG, CONSTRAINT [EF] FOREIGN KEY ([E]) REFERENCES [E] ([ID]));
INSERT INTO [E] VALUES (100, 10);
)" + (guarded ? "INSERT INTO [F] VALUES (100);" : ""));
        // Arms A and what its cascades reach; E is not reached yet.
        EXPECT_EQ(db.exec("DELETE FROM [A] WHERE [ID] = 99"), 0);
        db.exec(
            "ALTER TABLE [E] ADD CONSTRAINT [BE] FOREIGN KEY ([B]) REFERENCES [B] ([ID]) ON DELETE "
            "CASCADE");
        if (guarded) {
            EXPECT_EQ(errorOf([&] { db.exec("DELETE FROM [A] WHERE [ID] = 1"); }).description(),
                      jet::makeError(jet::Err::HasRelatedRecords, {"F"}).description());
            EXPECT_EQ(db.rows("SELECT count(*) FROM E"), (Rows{{"1"}}));
        } else {
            db.exec("DELETE FROM [A] WHERE [ID] = 1");
            EXPECT_EQ(db.rows("SELECT count(*) FROM E"), (Rows{{"0"}}));
        }
        // A rule added to an armed table holds at once.
        db.exec("CREATE INDEX [NameNeeded] ON [A] ([Name]) WITH DISALLOW NULL");
        EXPECT_EQ(errorOf([&] { db.exec("INSERT INTO [A] VALUES (7, NULL)"); }).description(),
                  jet::makeError(jet::Err::IndexNullNotAllowed).description());
    }
}

TEST(StoreTriggers, AFailedChangeKeepsTheRulesOfTheSession) {
    Db db("CREATE TABLE [T] ([ID] LONG NOT NULL, [S] TEXT(10)); INSERT INTO [T] VALUES (1, NULL)");
    const auto refused = [&] {
        EXPECT_EQ(errorOf([&] { db.exec("INSERT INTO [T] VALUES (NULL, 'x')"); }).description(),
                  jet::makeError(jet::Err::NullNotAllowed, {"ID"}).description());
    };
    refused();
    // The table is made again (and its triggers go with the old one) before
    // the null in [S] ends the change.
    EXPECT_EQ(errorOf([&] {
                  db.exec("ALTER TABLE [T] ALTER COLUMN [S] TEXT(10) NOT NULL");
              }).description(),
              jet::makeError(jet::Err::NullNotAllowed, {"S"}).description());
    refused();
    EXPECT_EQ(db.exec("INSERT INTO [T] VALUES (2, 'y')"), 1);
    EXPECT_EQ(db.exec("UPDATE [T] SET [S] = 'x' WHERE [ID] = 1"), 1);
    // The rules change without the table being made again.
    db.exec("CREATE INDEX [SNeeded] ON [T] ([S]) WITH DISALLOW NULL");
    EXPECT_EQ(errorOf([&] { db.exec("INSERT INTO [T] VALUES (3, NULL)"); }).description(),
              jet::makeError(jet::Err::IndexNullNotAllowed).description());
    db.exec("ALTER TABLE [T] ALTER COLUMN [S] TEXT(20)");
    refused();
    EXPECT_EQ(db.rows("SELECT ID, S FROM T ORDER BY ID"), (Rows{{"1", "x"}, {"2", "y"}}));
}

TEST(StoreTriggers, ATableAnotherConnectionMadeAgainHasOnlyItsOwnRules) {
    const char* definitions[] = {"([A] LONG NOT NULL, [B] LONG)", "([A] LONG, [B] LONG NOT NULL)"};
    Db db(std::string("CREATE TABLE [T] ") + definitions[0]);
    EXPECT_EQ(db.exec("INSERT INTO [T] VALUES (1, NULL)"), 1);
    jet::Connection other;
    other.Open(jet::testing::storeConnectionString(db.path));
    for (int round = 1; round <= 4; ++round) {
        SCOPED_TRACE(round);
        const bool requiredA = round % 2 == 0;
        other.Execute("DROP TABLE [T]");
        // Seen by this session while the table is gone, or only once it is back.
        if (round > 2) {
            EXPECT_THROW(db.cat.Tables().Item("T"), jet::Error);
        }
        other.Execute(std::string("CREATE TABLE [T] ") + definitions[requiredA ? 0 : 1]);
        EXPECT_EQ(db.exec(requiredA ? "INSERT INTO [T] VALUES (1, NULL)"
                                    : "INSERT INTO [T] VALUES (NULL, 2)"),
                  1);
        EXPECT_EQ(errorOf([&] {
                      db.exec(requiredA ? "INSERT INTO [T] VALUES (NULL, 2)"
                                        : "INSERT INTO [T] VALUES (1, NULL)");
                  }).description(),
                  jet::makeError(jet::Err::NullNotAllowed, {requiredA ? "A" : "B"}).description());
    }
}

TEST(StoreTriggers, RulesStayOutOfTheFileAndOldOnesAreDroppedByAWritingSession) {
    testsupport::TempDir dir;
    const std::string path = dir.file("old.sdb");
    jet::testing::buildStore(path,
                             "CREATE TABLE [T] ([A] LONG NOT NULL); INSERT INTO [T] VALUES (1)");
    const char* triggers = "SELECT count(*) FROM sqlite_master WHERE type = 'trigger'";
    EXPECT_EQ(jet::testing::storeRows(path, triggers), (Rows{{"0"}}));
    {
        // As a file of an earlier version holds them, with a rule now gone.
        jet::store::sql::Db raw(path, SQLITE_OPEN_READWRITE);
        raw.exec(
            "CREATE TRIGGER \"jettr_1_bi\" BEFORE INSERT ON \"T\" FOR EACH ROW BEGIN\n"
            "SELECT RAISE(ABORT, 'an old rule');\nEND");
        raw.exec(
            "CREATE TRIGGER \"jettr_1_bd\" BEFORE DELETE ON \"T\" FOR EACH ROW BEGIN\n"
            "SELECT RAISE(ABORT, 'an old rule');\nEND");
    }
    {
        jet::Connection reader;
        reader.Mode(jet::ConnectMode::Read);
        reader.Open(jet::testing::storeConnectionString(path));
        reader.Execute("SELECT * FROM [T]");
    }
    EXPECT_EQ(jet::testing::storeRows(path, triggers), (Rows{{"2"}}));
    jet::Connection writer;
    writer.Open(jet::testing::storeConnectionString(path));
    EXPECT_EQ(jet::testing::storeRows(path, triggers), (Rows{{"0"}}));
    EXPECT_EQ(writer.Execute("INSERT INTO [T] VALUES (2)"), 1);
    EXPECT_EQ(writer.Execute("DELETE FROM [T] WHERE [A] = 1"), 1);
    EXPECT_EQ(errorOf([&] { writer.Execute("INSERT INTO [T] VALUES (NULL)"); }).description(),
              jet::makeError(jet::Err::NullNotAllowed, {"A"}).description());
    EXPECT_EQ(jet::testing::storeRows(path, triggers), (Rows{{"0"}}));
}

}  // namespace
