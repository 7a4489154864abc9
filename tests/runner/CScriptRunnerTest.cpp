// CScriptRunner on store databases: scripts of every statement and block line
// the generator writes, line ends, failures and how the run answers them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/testing/SessionEnd.h"
#include "jet/testing/StoreBuilder.h"
#include "runner/CScriptRunner.h"
#include "runner/RunnerError.h"

namespace {

using jet::testing::buildStore;
using jet::testing::buildWorkgroup;
using jet::testing::storeConnectionString;
namespace objtype = jet::objtype;
namespace right = jet::right;

// Answers OnError from a list (false once it runs out) and keeps what it saw.
struct Recorder : runner::ScriptRunnerEvents {
    std::vector<bool> answers;
    std::vector<std::string> statements;
    std::vector<std::pair<int32_t, std::string>> errors;

    void ShowStatement(const std::string& statement) override { statements.push_back(statement); }
    void OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) override {
        EXPECT_FALSE(Continue) << "Continue arrives false";
        errors.emplace_back(ErrNo, std::move(ErrDesc));
        Continue = errors.size() <= answers.size() && answers[errors.size() - 1];
    }
};

// A statement with the separator the generator writes after it.
std::string stmt(const std::string& text) { return text + "\r\n\r\nRUN\r\n\r\n"; }
std::string block(const std::string& kind, const std::string& lines) {
    return "<JET:" + kind + ">\r\n" + lines + "</JET:" + kind + ">\r\n\r\n";
}

std::string withLineEnds(const std::string& crlf, const std::string& end) {
    std::string out;
    for (size_t i = 0; i < crlf.size(); ++i) {
        if (crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n') {
            out += end;
            ++i;
        } else {
            out += crlf[i];
        }
    }
    return out;
}

// Every line end of the text in turn CR LF, LF, CR.
std::string mixedLineEnds(const std::string& crlf) {
    static const char* ends[] = {"\r\n", "\n", "\r"};
    std::string out;
    size_t n = 0;
    for (size_t i = 0; i < crlf.size(); ++i) {
        if (crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n') {
            out += ends[n++ % 3];
            ++i;
        } else {
            out += crlf[i];
        }
    }
    return out;
}

const char* kSchema = R"(
CREATE TABLE [T] ([ID] INTEGER CONSTRAINT [PK] PRIMARY KEY, [Name] TEXT(20), [Old] TEXT(10));
CREATE TABLE [R] ([ID] INTEGER CONSTRAINT [RPK] PRIMARY KEY, [TID] INTEGER);
CREATE INDEX [NameIdx] ON [T] ([Name] ASC);
CREATE TABLE [Gone] ([x] INTEGER);
CREATE VIEW [OldView] AS SELECT [ID] FROM [T];
INSERT INTO [T] ([ID], [Name], [Old]) VALUES (1, 'one', 'uno');
)";

// A store database of kSchema; where users and groups are needed, with a
// workgroup holding the group staff and the user ann (slow to make: hashes).
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (needsWorkgroup()) {
            workgroup = dir.file("wg.sdw");
            buildWorkgroup(workgroup,
                           "CREATE GROUP [staff]; CREATE USER [ann]; ADD USER [ann] TO [staff]");
        }
        buildStore(database, kSchema, workgroup);
    }
    [[nodiscard]] virtual bool needsWorkgroup() const { return false; }

    [[nodiscard]] std::string connection() const {
        return storeConnectionString(database, workgroup);
    }

    // Runs `script` with `events`; the outcome and a catalog to look at afterwards.
    bool run(const std::string& script, runner::ScriptRunnerEvents* events) {
        testsupport::writeFile(scriptPath, script);
        runner::CScriptRunner r;
        r.ConnectionString(connection());
        r.ScriptFile(scriptPath);
        r.Events(events);
        return r.RunScript();
    }

    jet::Catalog catalog() {
        conn_ = std::make_unique<jet::Connection>();
        conn_->Open(connection());
        jet::Catalog c;
        c.ActiveConnection(*conn_);
        return c;
    }

    static bool has(const auto& collection, const std::string& name) {
        try {
            (void)collection.Item(name);
            return true;
        } catch (const jet::Error&) {
            return false;
        }
    }
    static jet::Variant property(const jet::Catalog& c, const std::string& table,
                                 const std::string& column, int position) {
        return c.Tables().Item(table).Columns().Item(column).Properties().Item(position).Value();
    }

    testsupport::TempDir dir;
    std::string database = dir.file("db.sdb");
    std::string workgroup;
    std::string scriptPath = dir.file("script.psx");

private:
    std::unique_ptr<jet::Connection> conn_;
};

// Every statement shape and block line the generator writes, in its order.
std::string fullScript() {
    std::string s;
    s += stmt(
        "ALTER TABLE [R] ADD CONSTRAINT [FK] FOREIGN KEY ([TID]) REFERENCES [T] ([ID]) ON "
        "UPDATE CASCADE ON DELETE CASCADE;");
    s += stmt("DROP INDEX [NameIdx] ON [T];");
    s += stmt(
        "CREATE TABLE [N]\r\n(\r\n[A] COUNTER NOT NULL,\r\n[B] TEXT(50),\r\n[C] "
        "DECIMAL(18,4)\r\n);");
    s += stmt("ALTER TABLE [N] ALTER COLUMN [B] TEXT(50) WITH COMPRESSION;");
    s += stmt("ALTER TABLE [T] ADD COLUMN [Extra] DOUBLE;");
    s += stmt("ALTER TABLE [T] ALTER COLUMN [Name] TEXT(40);");
    s += stmt("ALTER TABLE [T] ADD COLUMN [New] TEXT(10) WITH COMPRESSION;");
    s += stmt("UPDATE [T] SET [New]=[Old];");
    s += stmt("ALTER TABLE [T] DROP COLUMN [Old];");
    s += stmt("DROP TABLE [Gone];");
    s += stmt("CREATE UNIQUE INDEX [BIdx] ON [N] ([B] ASC,[C] DESC) WITH IGNORE NULL;");
    s += stmt("CREATE INDEX [PrimaryKey] ON [N] ([A] ASC) WITH PRIMARY;");
    s += stmt("DROP VIEW [OldView]");
    s += "CREATE PROCEDURE [V] AS \r\nSELECT [ID], [Name] FROM [T]\r\n\r\nRUN\r\n\r\n";
    s += "CREATE PROCEDURE [P] \r\nAS \r\nDELETE FROM [T] WHERE [ID] = 0\r\nRUN\r\n\r\n";
    s += stmt("CREATE GROUP [clerks]");
    s += stmt("CREATE USER [bob]");
    s += stmt("ADD USER [bob] TO [clerks]");
    s += "\r\n";  // statements, one line break, blocks
    s += block("COLUMNS",
               "N;B;1;\"none\"\r\n"
               "N;B;13;-1\r\n"
               "N;B;2;Remarks; with a ; and spaces  \r\n"
               "T;Name;13;0\r\n"
               "T;Name;2;\r\n");
    s += block("GROUPS", "clerks;Database;3;1;8\r\nclerks;T;1;1;-2147483648\r\n");
    s += block("USERS", "bob;T;1;2;" + std::to_string(right::Insert | right::Delete) +
                            "\r\nbob;V;5;2;" + std::to_string(right::Read) + "\r\n");
    return s;
}

struct LineEndCase {
    const char* name;
    std::function<std::string(const std::string&)> convert;
};

class RunnerLineEnds : public StoreFixture, public ::testing::WithParamInterface<LineEndCase> {
    [[nodiscard]] bool needsWorkgroup() const override { return true; }
};

class WorkgroupFixture : public StoreFixture {
    [[nodiscard]] bool needsWorkgroup() const override { return true; }
};

TEST_P(RunnerLineEnds, AppliesEveryStatementKindAndBlockLine) {
    Recorder events;
    ASSERT_TRUE(run(GetParam().convert(fullScript()), &events));
    EXPECT_TRUE(events.errors.empty()) << (events.errors.empty() ? "" : events.errors[0].second);

    const auto c = catalog();
    const auto tables = c.Tables();
    EXPECT_FALSE(has(tables, "Gone"));
    ASSERT_TRUE(has(tables, "N"));
    EXPECT_EQ(c.Tables().Item("R").Keys().Item("FK").RelatedTable(), "T");
    EXPECT_EQ(c.Tables().Item("R").Keys().Item("FK").DeleteRule(), jet::rule::Cascade);
    EXPECT_FALSE(has(c.Tables().Item("T").Indexes(), "NameIdx"));
    EXPECT_TRUE(c.Tables().Item("N").Indexes().Item("BIdx").Unique());
    EXPECT_TRUE(c.Tables().Item("N").Indexes().Item("PrimaryKey").PrimaryKey());
    const auto tcols = c.Tables().Item("T").Columns();
    EXPECT_TRUE(has(tcols, "Extra"));
    EXPECT_FALSE(has(tcols, "Old"));
    EXPECT_EQ(tcols.Item("Name").DefinedSize(), 40);
    // The rename kept the row's value.
    EXPECT_EQ(jet::testing::storeRows(database, "SELECT [New] FROM [T]"),
              (std::vector<jet::testing::Row>{{std::string("uno")}}));
    EXPECT_TRUE(has(c.Views(), "V"));
    EXPECT_FALSE(has(c.Views(), "OldView"));
    EXPECT_TRUE(has(c.Procedures(), "P"));
    EXPECT_TRUE(has(c.Users().Item("bob").Groups(), "clerks"));

    // Column properties by position, values as written (";" and trailing blanks kept).
    EXPECT_EQ(jet::toText(property(c, "N", "B", jet::prop::Default)), "\"none\"");
    EXPECT_TRUE(jet::toBool(property(c, "N", "B", jet::prop::AllowZeroLength)));
    EXPECT_EQ(jet::toText(property(c, "N", "B", jet::prop::Description)),
              "Remarks; with a ; and spaces  ");
    EXPECT_FALSE(jet::toBool(property(c, "T", "Name", jet::prop::AllowZeroLength)));
    EXPECT_EQ(jet::toText(property(c, "T", "Name", jet::prop::Description)), "");

    // Groups are granted (added to), users set.
    const auto clerks = c.Groups().Item("clerks");
    EXPECT_EQ(clerks.GetPermissions("Database", objtype::Database) & 8, 8);
    EXPECT_EQ(clerks.GetPermissions("T", objtype::Table) & right::Read, right::Read);
    EXPECT_EQ(c.Users().Item("bob").GetPermissions("T", objtype::Table),
              right::Insert | right::Delete);
    EXPECT_EQ(c.Users().Item("bob").GetPermissions("V", objtype::View), right::Read);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunnerLineEnds,
    ::testing::Values(
        LineEndCase{"crlf", [](const std::string& s) { return s; }},
        LineEndCase{"lfOnly", [](const std::string& s) { return withLineEnds(s, "\n"); }},
        LineEndCase{"crOnly", [](const std::string& s) { return withLineEnds(s, "\r"); }},
        LineEndCase{"mixed", [](const std::string& s) { return mixedLineEnds(s); }}),
    [](const auto& tc) { return std::string(tc.param.name); });

// Scripts and what they leave behind.
enum class Outcome { Succeeds, Declined, JetError, RunnerError };

struct ScriptCase {
    const char* name;
    std::string script;
    std::vector<bool> answers;  // to OnError, in order
    Outcome outcome;
    size_t failures;  // statements that failed (boxes shown)
    bool workgroup;   // users and groups needed
    std::vector<std::string> tablesThere;
    std::vector<std::string> tablesNotThere;
};

void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

class RunnerScripts : public StoreFixture, public ::testing::WithParamInterface<ScriptCase> {
    [[nodiscard]] bool needsWorkgroup() const override { return GetParam().workgroup; }
};

TEST_P(RunnerScripts, LeaveTheDatabaseAsExpected) {
    const auto& c = GetParam();
    Recorder events;
    events.answers = c.answers;
    switch (c.outcome) {
        case Outcome::Succeeds:
            EXPECT_TRUE(run(c.script, &events));
            break;
        case Outcome::Declined:
            EXPECT_FALSE(run(c.script, &events));
            break;
        case Outcome::JetError:
            EXPECT_THROW((void)run(c.script, &events), jet::Error);
            break;
        case Outcome::RunnerError:
            EXPECT_THROW((void)run(c.script, &events), runner::RunnerError);
            break;
    }
    EXPECT_EQ(events.errors.size(), c.failures);
    EXPECT_EQ(events.statements.size(), c.failures);
    const auto cat = catalog();
    for (const auto& t : c.tablesThere) EXPECT_TRUE(has(cat.Tables(), t)) << t;
    for (const auto& t : c.tablesNotThere) EXPECT_FALSE(has(cat.Tables(), t)) << t;
}

const std::string kMakeA = stmt("CREATE TABLE [A] ([x] INTEGER);");
const std::string kMakeB = stmt("CREATE TABLE [B] ([x] INTEGER);");
const std::string kFailing = stmt("CREATE TABLE [T] ([x] INTEGER);");  // T exists

INSTANTIATE_TEST_SUITE_P(
    Cases, RunnerScripts,
    ::testing::Values(
        // Text after the last RUN line is never run; the user is asked about it.
        ScriptCase{"textAfterTheLastRunLetPass",
                   "\r\n\r\nCREATE TABLE [A]\r\n\r\n([x] INTEGER)\r\n\r\n\r\nRUN\r\n"
                   "CREATE TABLE [Never] ([x] INTEGER);\r\n",
                   {true},
                   Outcome::Succeeds,
                   1,
                   false,
                   {"A"},
                   {"Never"}},
        ScriptCase{"textAfterTheLastRunDeclined",
                   kMakeA + "CREATE TABLE [Never]",
                   {false},
                   Outcome::Declined,
                   1,
                   false,
                   {"A"},
                   {"Never"}},
        ScriptCase{"blankLinesAfterTheLastRun",
                   kMakeA + "  \r\n\t\r\n\r\n \t ",
                   {},
                   Outcome::Succeeds,
                   0,
                   false,
                   {"A"},
                   {}},
        ScriptCase{"textBeforeTheBlocksAtTheEnd",
                   kMakeA + "CREATE TABLE [Never]\r\n" + block("COLUMNS", "A;x;2;d\r\n"),
                   {true},
                   Outcome::Succeeds,
                   1,
                   false,
                   {"A"},
                   {"Never"}},
        ScriptCase{"runWithSpacesIsASeparator",
                   "CREATE TABLE [A] ([x] INTEGER)\r\n   RUN  \r\n",
                   {},
                   Outcome::Succeeds,
                   0,
                   false,
                   {"A"},
                   {}},
        ScriptCase{"emptyFile", "", {}, Outcome::Succeeds, 0, false, {"T"}, {}},
        ScriptCase{"noRunLineRunsNothingAndAsks",
                   "CREATE TABLE [A] ([x] INTEGER);\r\n",
                   {},
                   Outcome::Declined,
                   1,
                   false,
                   {},
                   {"A"}},
        ScriptCase{"onlyBlocksNeedNoRunLine",
                   block("COLUMNS", "T;Name;2;d\r\n"),
                   {},
                   Outcome::Succeeds,
                   0,
                   false,
                   {"T"},
                   {}},
        ScriptCase{"failingStatementGoOn",
                   kMakeA + kFailing + kMakeB,
                   {true},
                   Outcome::Succeeds,
                   1,
                   false,
                   {"A", "B"},
                   {}},
        ScriptCase{"failingStatementStop",
                   kMakeA + kFailing + kMakeB,
                   {false},
                   Outcome::Declined,
                   1,
                   false,
                   {"A"},
                   {"B"}},
        ScriptCase{"everyFailureLetPass",
                   kFailing + kMakeA + kFailing + kMakeB,
                   {true, true},
                   Outcome::Succeeds,
                   2,
                   false,
                   {"A", "B"},
                   {}},
        ScriptCase{"twoRunsInARowRunAnEmptyCommand",
                   kMakeA + "RUN\r\n" + kMakeB,
                   {true},
                   Outcome::Succeeds,
                   1,
                   false,
                   {"A", "B"},
                   {}},
        ScriptCase{"lowerCaseRunIsStatementText",
                   "CREATE TABLE [A] ([x] INTEGER)\r\nrun\r\nRUN\r\n" + kMakeB,
                   {true},
                   Outcome::Succeeds,
                   1,
                   false,
                   {"B"},
                   {"A"}},
        ScriptCase{"tabBeforeRunIsStatementText",
                   "CREATE TABLE [A] ([x] INTEGER)\r\n\tRUN\r\nRUN\r\n" + kMakeB,
                   {false},
                   Outcome::Declined,
                   1,
                   false,
                   {},
                   {"A", "B"}},
        ScriptCase{"failingBlockLineEndsTheRun",
                   kMakeA + block("COLUMNS", "Missing;x;2;d\r\n") + kMakeB,
                   {},
                   Outcome::JetError,
                   0,
                   false,
                   {"A"},
                   {"B"}},
        ScriptCase{"unknownUserInBlockEndsTheRun",
                   kMakeA + block("USERS", "nobody;T;1;2;0\r\n") + kMakeB,
                   {},
                   Outcome::JetError,
                   0,
                   true,
                   {"A"},
                   {"B"}},
        ScriptCase{"usersBlockWithoutAWorkgroupEndsTheRun",
                   kMakeA + block("GROUPS", "staff;T;1;1;0\r\n") + kMakeB,
                   {},
                   Outcome::JetError,
                   0,
                   false,
                   {"A"},
                   {"B"}},
        ScriptCase{"badPositionNumber",
                   kMakeA + block("COLUMNS", "A;x;two;d\r\n") + kMakeB,
                   {},
                   Outcome::RunnerError,
                   0,
                   false,
                   {"A"},
                   {"B"}},
        ScriptCase{"blankLineInBlockIsABadNumber",
                   block("COLUMNS", "\r\n") + kMakeB,
                   {},
                   Outcome::RunnerError,
                   0,
                   false,
                   {},
                   {"B"}},
        ScriptCase{"textAfterRightsIsABadNumber",
                   block("GROUPS", "staff;T;1;1;8 more\r\n"),
                   {},
                   Outcome::RunnerError,
                   0,
                   false,
                   {},
                   {}},
        ScriptCase{"runInsideABlockExecutes",
                   "CREATE TABLE [A] ([x] "
                   "INTEGER)\r\n<JET:COLUMNS>\r\nRUN\r\nA;x;2;d\r\n</JET:COLUMNS>\r\n",
                   {},
                   Outcome::Succeeds,
                   0,
                   false,
                   {"A"},
                   {}},
        ScriptCase{"closingMarkerAloneOnlyClears",
                   "</JET:USERS>\r\n" + kMakeA,
                   {},
                   Outcome::Succeeds,
                   0,
                   false,
                   {"A"},
                   {}},
        ScriptCase{"unclosedBlockLastsToTheEnd",
                   "<JET:COLUMNS>\r\nT;Name;2;d\r\n" + kMakeA,
                   {},
                   Outcome::RunnerError,
                   0,
                   false,
                   {},
                   {"A"}},
        ScriptCase{"columnsBeforeUsersWhenBothAreOpen",
                   "<JET:USERS>\r\n<JET:COLUMNS>\r\nT;Name;2;both\r\n</JET:COLUMNS>\r\n"
                   "ann;T;1;2;0\r\n</JET:USERS>\r\n",
                   {},
                   Outcome::Succeeds,
                   0,
                   true,
                   {},
                   {}}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(StoreFixture, TheFailedStatementIsShownAsGatheredWithItsError) {
    Recorder events;
    events.answers = {true};
    EXPECT_TRUE(run("\r\nCREATE TABLE [T]\r\n  ([x] INTEGER);\r\n\r\nRUN\r\n", &events));
    ASSERT_EQ(events.statements.size(), 1u);
    EXPECT_EQ(events.statements[0], "\r\nCREATE TABLE [T]\r\n  ([x] INTEGER);\r\n\r\n");
    ASSERT_EQ(events.errors.size(), 1u);
    const auto want = jet::makeError(jet::Err::TableExists, {"T"});
    EXPECT_EQ(events.errors[0].first, want.number());
    EXPECT_LT(events.errors[0].first, 0);  // HRESULTs are negative
    EXPECT_EQ(events.errors[0].second, want.description());
}

TEST_F(StoreFixture, TextAfterTheLastRunIsShownAndNamesItsFirstLine) {
    Recorder events;
    events.answers = {true};
    // Lines 1-4 are a statement and its separator; line 5 is blank, 6 and 7 cut short.
    EXPECT_TRUE(run(kMakeA + "\r\nCREATE TABLE [B]\r\n([x] INT", &events));
    ASSERT_EQ(events.statements.size(), 1u);
    EXPECT_EQ(events.statements[0], "\r\n\r\nCREATE TABLE [B]\r\n([x] INT\r\n");
    ASSERT_EQ(events.errors.size(), 1u);
    EXPECT_EQ(events.errors[0].first, runner::kErrTextAfterLastRun);
    EXPECT_LT(events.errors[0].first, 0);
    EXPECT_TRUE(events.errors[0].second.starts_with("Line 6 of the script file: "))
        << events.errors[0].second;
    EXPECT_FALSE(has(catalog().Tables(), "B"));
    // Without anyone to ask, the run fails.
    EXPECT_FALSE(run(kMakeB + "DROP TABLE [T]", nullptr));
    EXPECT_TRUE(has(catalog().Tables(), "T"));
}

TEST_F(StoreFixture, UTF16ScriptsWithAByteOrderMarkAreApplied) {
    const std::string script = stmt("CREATE TABLE [Caf\xC3\xA9] ([x] INTEGER);") +
                               stmt("CREATE TABLE [\xE2\x82\xAC] ([x] INTEGER);");
    // The script as UTF-16 code units (all of it is in the basic plane).
    std::u16string units;
    for (size_t i = 0; i < script.size();) {
        const auto c = static_cast<unsigned char>(script[i]);
        if (c < 0x80) {
            units += static_cast<char16_t>(c);
            i += 1;
        } else if (c < 0xE0) {
            units += static_cast<char16_t>(((c & 0x1F) << 6) | (script[i + 1] & 0x3F));
            i += 2;
        } else {
            units += static_cast<char16_t>(((c & 0x0F) << 12) | ((script[i + 1] & 0x3F) << 6) |
                                           (script[i + 2] & 0x3F));
            i += 3;
        }
    }
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t u : units) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        Recorder events;
        EXPECT_TRUE(run(bytes, &events));
        EXPECT_TRUE(events.errors.empty());
        const auto tables = catalog().Tables();
        EXPECT_TRUE(has(tables, "Caf\xC3\xA9"));
        EXPECT_TRUE(has(tables, "\xE2\x82\xAC"));
        EXPECT_TRUE(
            run(stmt("DROP TABLE [Caf\xC3\xA9]") + stmt("DROP TABLE [\xE2\x82\xAC]"), nullptr));
    }
}

TEST_F(WorkgroupFixture, TheStatementShownKeepsPasswordsHidden) {
    Recorder events;
    events.answers = {true, true};
    // ann has no password, so "wrong" is not her old one; and she exists already.
    EXPECT_TRUE(run(
        stmt("ALTER USER [ann] PASSWORD s3cret wrong") + stmt("CREATE USER [ann] hidden pid1234"),
        &events));
    ASSERT_EQ(events.statements.size(), 2u);
    EXPECT_EQ(events.statements[0], "ALTER USER [ann] PASSWORD ***** *****\r\n\r\n");
    EXPECT_EQ(events.statements[1], "\r\nCREATE USER [ann] ***** pid1234\r\n\r\n");
}

TEST_F(StoreFixture, WithoutEventsTheFirstFailureEndsTheRun) {
    EXPECT_FALSE(run(kFailing + kMakeA, nullptr));
    EXPECT_FALSE(has(catalog().Tables(), "A"));
}

TEST_F(WorkgroupFixture, BlockLinesKeepPropertiesAndRightsAsWritten) {
    EXPECT_TRUE(
        run(block("COLUMNS", "  T ; Name ;1;'a;b'  \r\n") +
                block("GROUPS", "staff;Database;3;1;" + std::to_string(right::Create) + "\r\n") +
                block("USERS", " ann ; T ; 1 ; 2 ;-2147483648\r\n"),
            nullptr));
    const auto c = catalog();
    EXPECT_EQ(jet::toText(property(c, "T", "Name", jet::prop::Default)), "'a;b'  ");
    EXPECT_EQ(c.Groups().Item("staff").GetPermissions("", objtype::Database) & right::Create,
              right::Create);
    EXPECT_EQ(c.Users().Item("ann").GetPermissions("T", objtype::Table), right::Read);
}

TEST_F(StoreFixture, AWindows1252ScriptIsReadAsSuch) {
    EXPECT_TRUE(run(stmt("CREATE TABLE [Caf\xE9] ([x] INTEGER);"), nullptr));
    EXPECT_TRUE(has(catalog().Tables(), "Caf\xC3\xA9"));
}

TEST_F(StoreFixture, AVeryLongBlockLineIsApplied) {
    const std::string description(40000, 'd');
    EXPECT_TRUE(run(block("COLUMNS", "T;Name;2;" + description + "\r\n"), nullptr));
    EXPECT_EQ(jet::toText(property(catalog(), "T", "Name", jet::prop::Description)), description);
}

TEST_F(StoreFixture, AMissingOrUnnamedScriptFileFailsTheRun) {
    for (const std::string& path : {dir.file("missing.psx"), std::string()}) {
        runner::CScriptRunner r;
        r.ConnectionString(connection());
        r.ScriptFile(path);
        EXPECT_THROW((void)r.RunScript(), runner::RunnerError) << path;
    }
    // The database was let go: it opens again for writing.
    jet::Connection again;
    again.Mode(jet::ConnectMode::ReadWrite);
    EXPECT_NO_THROW(again.Open(connection()));
}

TEST_F(StoreFixture, ADatabaseThatDoesNotOpenFailsTheRun) {
    testsupport::writeFile(scriptPath, kMakeA);
    runner::CScriptRunner r;
    r.ConnectionString(storeConnectionString(dir.file("none.sdb")));
    r.ScriptFile(scriptPath);
    EXPECT_THROW((void)r.RunScript(), jet::Error);
    r.ConnectionString(storeConnectionString(database, "", "ann", ""));  // no workgroup for ann
    EXPECT_THROW((void)r.RunScript(), jet::Error);
    // A FIFO is refused at once rather than waited on.
    const std::string fifo = dir.file("fifo.sdb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    r.ConnectionString(storeConnectionString(fifo));
    EXPECT_THROW((void)r.RunScript(), jet::Error);
}

TEST_F(StoreFixture, ARunnerRunsAgainFromAFreshState) {
    testsupport::writeFile(scriptPath, kMakeA + "<JET:COLUMNS>\r\nCREATE TABLE [B] ([x] INTEGER)");
    runner::CScriptRunner r;
    r.ConnectionString(connection());
    r.ScriptFile(scriptPath);
    EXPECT_THROW((void)r.RunScript(), runner::RunnerError);  // a statement read as a block line
    EXPECT_TRUE(has(catalog().Tables(), "A"));
    testsupport::writeFile(scriptPath, kMakeB);
    EXPECT_TRUE(r.RunScript());  // no COLUMNS flag left over from the first run
    EXPECT_TRUE(has(catalog().Tables(), "B"));
}

// A provider that writes its changes when the session ends: the run closes
// the database on every way out, a failed close is never success, and what the
// close says is kept for the window.
enum class RunEnd { AllDone, Declined, BlockLineFailed };

struct CloseCase {
    const char* name;
    RunEnd end;
    bool closeFails;
    std::string report;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class RunnerClose : public StoreFixture, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(RunnerClose, KeepsWhatTheCloseSays) {
    const CloseCase& c = GetParam();
    const jet::Error failure(static_cast<int32_t>(0x80004005),
                             "The database was not changed: the new file could not be written.");
    jet::testing::SessionEnd end;
    if (c.closeFails) end.failure = failure;
    end.report = c.report;
    const jet::testing::ScopedSessionEnd ending(end);

    // Each script changes the database first, then ends its own way.
    std::string script = kMakeA;
    if (c.end == RunEnd::Declined) script += kFailing + kMakeB;
    if (c.end == RunEnd::BlockLineFailed) script += block("COLUMNS", "None;x;2;d\r\n") + kMakeB;
    testsupport::writeFile(scriptPath, script);
    runner::CScriptRunner r;
    r.ConnectionString(connection());
    r.ScriptFile(scriptPath);
    Recorder events;  // declines every failed statement
    r.Events(&events);
    bool result = false;
    if (c.end == RunEnd::BlockLineFailed) {
        // The block line's refusal is what ends the run, not the close's.
        try {
            (void)r.RunScript();
            ADD_FAILURE() << "the refused block line did not end the run";
        } catch (const jet::Error& e) {
            EXPECT_EQ(e.description(), jet::makeError(jet::Err::ItemNotFound).description());
        }
    } else {
        result = r.RunScript();
    }
    EXPECT_EQ(result, c.end == RunEnd::AllDone && !c.closeFails);
    EXPECT_EQ(ending.ended(), 1) << "the session that changed the database was not ended";
    EXPECT_EQ(r.CloseFailure(), c.closeFails ? failure.description() : "");
    EXPECT_EQ(r.CloseReport(), c.closeFails ? "" : c.report);
    EXPECT_TRUE(has(catalog().Tables(), "A"));
    EXPECT_FALSE(has(catalog().Tables(), "B"));
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RunnerClose,
    ::testing::Values(
        CloseCase{"failsAfterAllDone", RunEnd::AllDone, true, ""},
        CloseCase{"failsAfterADecline", RunEnd::Declined, true, ""},
        CloseCase{"failsAfterAFailedBlockLine", RunEnd::BlockLineFailed, true, ""},
        CloseCase{"succeedsWithAReport", RunEnd::AllDone, false,
                  "The earlier version of the database is kept as /data/db-backup.mdb."},
        CloseCase{"succeedsWithoutAReport", RunEnd::AllDone, false, ""},
        CloseCase{"reportsAfterADecline", RunEnd::Declined, false, "Backup: /data/db-backup.mdb"},
        CloseCase{"reportsAfterAFailedBlockLine", RunEnd::BlockLineFailed, false,
                  "Backup: /data/db-backup.mdb"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(StoreFixture, ANewRunForgetsWhatTheLastCloseSaid) {
    runner::CScriptRunner r;
    r.ConnectionString(connection());
    r.ScriptFile(scriptPath);
    testsupport::writeFile(scriptPath, kMakeA);
    {
        jet::testing::SessionEnd end;
        end.failure = jet::Error(static_cast<int32_t>(0x80004005), "not changed");
        const jet::testing::ScopedSessionEnd ending(end);
        EXPECT_FALSE(r.RunScript());
        EXPECT_EQ(r.CloseFailure(), "not changed");
    }
    testsupport::writeFile(scriptPath, kMakeB);
    EXPECT_TRUE(r.RunScript());
    EXPECT_EQ(r.CloseFailure(), "");
    EXPECT_EQ(r.CloseReport(), "");
}

TEST(CScriptRunnerJet, ARealJetFileIsRefusedAtTheOpen) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("s.psx"), stmt("DROP TABLE [Table1];"));
    runner::CScriptRunner r;
    r.ConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                       testsupport::fixture("jackcess/adox_jet4.mdb"));
    r.ScriptFile(dir.file("s.psx"));
    try {
        (void)r.RunScript();
        ADD_FAILURE() << "the run went ahead";
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.description(), jet::makeError(jet::Err::ReadOnly).description());
    }
}

// Real Access files the writer refuses to change at all. The refusal is said
// once: the first statement it stops ends the run, with no statement shown and
// nothing asked, RunScript returns false and keeps the reason; the failed
// statement before it was asked about as ever, and the file is as it was.
struct FileRefusalCase {
    const char* name;
    const char* fixture;
    const char* reason;  // a part of the refusal's text
    // Sets the stage beside the copy `db`; what it returns lives for the run.
    std::function<std::shared_ptr<void>(const testsupport::TempDir&, const std::string& db)>
        prepare;
};

void PrintTo(const FileRefusalCase& c, std::ostream* os) { *os << c.name; }

class RunnerFileRefusal : public ::testing::TestWithParam<FileRefusalCase> {};

TEST_P(RunnerFileRefusal, EndsTheRunAtTheFirstStatementItStopsAndSaysWhyOnce) {
    REQUIRE_FIXTURES();
    const FileRefusalCase& c = GetParam();
    testsupport::TempDir dir;
    const std::string db = dir.file("Shop.mdb");
    std::filesystem::copy_file(testsupport::fixture(c.fixture), db);
    std::filesystem::permissions(db, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    const auto stage = c.prepare ? c.prepare(dir, db) : nullptr;
    const std::string bytes = testsupport::readFile(db);
    testsupport::writeFile(dir.file("s.psx"),
                           stmt("CREATE TABLE;") + stmt("CREATE TABLE [T1] ([A] LONG);") +
                               stmt("CREATE TABLE [T2] ([A] LONG);") + stmt("DROP TABLE [T1];"));
    runner::CScriptRunner r;
    r.ConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db);
    r.ScriptFile(dir.file("s.psx"));
    Recorder events;
    events.answers = {true, true, true, true};
    r.Events(&events);
    EXPECT_FALSE(r.RunScript());
    ASSERT_EQ(events.errors.size(), 1u) << "only the syntax error is asked about";
    EXPECT_NE(events.errors[0].second.find("Syntax error"), std::string::npos);
    EXPECT_EQ(events.statements.size(), 1u);
    EXPECT_NE(r.Refusal().find(c.reason), std::string::npos) << r.Refusal();
    EXPECT_EQ(r.FailedStatements(), 1u);
    EXPECT_EQ(r.CloseFailure(), "");
    EXPECT_EQ(r.CloseReport(), "");
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RunnerFileRefusal,
    ::testing::Values(
        FileRefusalCase{"aLaterFormat", "jackcess/emptyV2000.mdb", "of a later Access format",
                        [](const testsupport::TempDir&, const std::string& db) {
                            // The header's version byte: Access 2007's.
                            std::string b = testsupport::readFile(db);
                            b[0x14] = '\x02';
                            testsupport::writeFile(db, b);
                            return std::shared_ptr<void>();
                        }},
        FileRefusalCase{"aDatabaseOpenInAccess", "jackcess/emptyV2000.mdb", "it is open in Access",
                        [](const testsupport::TempDir& d, const std::string&) {
                            testsupport::writeFile(d.file("Shop.ldb"), "lock");
                            return std::shared_ptr<void>();
                        }},
        FileRefusalCase{"aDatabaseAnotherRunIsChanging", "jackcess/emptyV2000.mdb",
                        "another run of this program is changing it",
                        [](const testsupport::TempDir&, const std::string& db) {
                            // The lock another run's session holds.
                            const int fd = ::open(db.c_str(), O_RDONLY | O_CLOEXEC);
                            EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
                            return std::shared_ptr<void>(nullptr, [fd](void*) { ::close(fd); });
                        }},
        FileRefusalCase{"aDefinitionThatCannotBeRead", "jackcess/indexTestV2000.mdb",
                        "cannot be read for writing",
                        [](const testsupport::TempDir&, const std::string& db) {
                            // Table1's definition (page 24) claims more bytes
                            // than its chain of pages holds.
                            std::string b = testsupport::readFile(db);
                            b[24 * 4096 + 8] = '\xff';
                            b[24 * 4096 + 9] = '\x7f';
                            testsupport::writeFile(db, b);
                            return std::shared_ptr<void>();
                        }}),
    [](const auto& tc) { return std::string(tc.param.name); });

// An encoded database with its workgroup takes statements and permission
// lines like any other, and is written encoded.
TEST(CScriptRunnerJet, AnEncodedDatabaseTakesStatementsAndPermissionLines) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = dir.file("Shop.mdb");
    const std::string wg = dir.file("Shop.mdw");
    std::filesystem::copy_file(testsupport::fixture("secured/kontener.mdb"), db);
    std::filesystem::copy_file(testsupport::fixture("secured/kontener-security.mdw"), wg);
    std::filesystem::permissions(db, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    testsupport::writeFile(
        dir.file("s.psx"),
        stmt("CREATE TABLE [T1] ([A] LONG);") + "\r\n" +
            block("USERS", "Izzatbek;T1;1;2;" + std::to_string(right::Read | right::Insert) +
                               "\r\n") +
            block("GROUPS", "Users;Database;3;1;" + std::to_string(right::Read) + "\r\n"));
    const std::string connection =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db + ";Jet OLEDB:System database=" + wg;
    runner::CScriptRunner r;
    r.ConnectionString(connection);
    r.ScriptFile(dir.file("s.psx"));
    Recorder events;
    r.Events(&events);
    EXPECT_TRUE(r.RunScript()) << r.Refusal() << r.CloseFailure();
    EXPECT_TRUE(events.errors.empty()) << events.errors[0].second;
    EXPECT_NE(r.CloseReport().find("The database was changed"), std::string::npos);
    jet::Catalog cat;
    cat.ActiveConnection(connection);
    EXPECT_NO_THROW((void)cat.Tables().Item("T1"));
    EXPECT_EQ(cat.Users().Item("Izzatbek").GetPermissions("T1", objtype::Table),
              right::Read | right::Insert);
    EXPECT_EQ(cat.Groups().Item("Users").GetPermissions("", objtype::Database), right::Read);
    // Page 0, the header with the database key, is as it was.
    const std::string before = testsupport::readFile(testsupport::fixture("secured/kontener.mdb"));
    const std::string after = testsupport::readFile(db);
    EXPECT_EQ(after.substr(0, 4096), before.substr(0, 4096));
}

// A refusal of one statement (here: what the writer cannot write yet, a key
// the table already has) stays that statement's failure: shown, asked, and
// the run goes on to change the file.
TEST(CScriptRunnerJet, AStatementTheWriterRefusesIsAskedAboutAndTheRunGoesOn) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = dir.file("Shop.mdb");
    std::filesystem::copy_file(testsupport::fixture("jackcess/emptyV2000.mdb"), db);
    std::filesystem::permissions(db, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    testsupport::writeFile(dir.file("s.psx"),
                           stmt("CREATE USER [bob];") +
                               stmt("CREATE TABLE [T1] ([A] LONG CONSTRAINT [PK] PRIMARY KEY);") +
                               stmt("ALTER TABLE [T1] ADD CONSTRAINT [PK2] PRIMARY KEY ([A]);") +
                               stmt("CREATE TABLE [T2] ([A] LONG);"));
    runner::CScriptRunner r;
    r.ConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db);
    r.ScriptFile(dir.file("s.psx"));
    Recorder events;
    events.answers = {true, true};
    r.Events(&events);
    EXPECT_TRUE(r.RunScript());
    EXPECT_EQ(events.errors.size(), 2u);
    EXPECT_EQ(r.Refusal(), "");
    EXPECT_EQ(r.FailedStatements(), 2u);
    EXPECT_NE(r.CloseReport().find("The database was changed"), std::string::npos)
        << r.CloseReport();
    jet::Catalog cat;
    cat.ActiveConnection("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db);
    EXPECT_NO_THROW((void)cat.Tables().Item("T2"));
}

}  // namespace
