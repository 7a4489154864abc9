// The sync harness end to end on store databases, which the runner can change
// today: a script from one store to another applied through the harness
// leaves them equal; failed statements are kept and the run goes on; and the
// populated fixtures synced into empty stores compare equal to them, which the
// writer's tests use as the expected schema after a change.
#include <gtest/gtest.h>

#include <filesystem>

#include "FixtureLists.h"
#include "JetOracles.h"
#include "OracleComparison.h"
#include "RealFileSync.h"
#include "TestSupport.h"
#include "WriterChangeCases.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"

namespace {

using namespace oracles;

constexpr const char* kSource = R"(
CREATE TABLE [Customers] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [Name] TEXT(50) NOT NULL, [City] TEXT(30) WITH COMPRESSION DEFAULT 'Bern', [Amount] DECIMAL(18,4),
  [Flag] YESNO, [Notes] MEMO, [Since] DATETIME);
CREATE UNIQUE INDEX [ixName] ON [Customers] ([Name] DESC, [City] ASC) WITH DISALLOW NULL;
CREATE TABLE [Orders] ([OrderID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [CustomerID] LONG,
  [Ref] TEXT(20), CONSTRAINT [CustomersOrders] FOREIGN KEY ([CustomerID]) REFERENCES [Customers] ([ID])
  ON UPDATE CASCADE ON DELETE CASCADE);
CREATE INDEX [ixRef] ON [Orders] ([Ref]) WITH IGNORE NULL;
CREATE TABLE [NewTable] ([Key] COUNTER(100,5), [Label] TEXT(40));
CREATE VIEW [vCustomers] AS SELECT [ID], [Name] FROM [Customers];
INSERT INTO [Customers] ([Name], [City]) VALUES ('Ann', 'Basel');
)";

constexpr const char* kDestination = R"(
CREATE TABLE [Customers] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [Name] TEXT(30), [City] TEXT(30), [Amount] CURRENCY, [Notes] MEMO, [Legacy] LONG);
CREATE INDEX [ixCity] ON [Customers] ([City]);
CREATE TABLE [Orders] ([OrderID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [CustomerID] LONG,
  [Ref] TEXT(20));
CREATE TABLE [OldTable] ([A] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [B] TEXT(10));
INSERT INTO [Customers] ([Name], [City], [Legacy]) VALUES ('Cleo', 'Aarau', 9);
INSERT INTO [OldTable] VALUES (1, 'one');
)";

struct StorePair {
    std::string source;
    std::string destination;
};

StorePair buildPair(const testsupport::TempDir& dir) {
    StorePair p{dir.file("source.sdb"), dir.file("destination.sdb")};
    jet::testing::buildStore(p.source, kSource);
    jet::testing::buildStore(p.destination, kDestination);
    return p;
}

class StoreSync : public ::testing::TestWithParam<script::ScriptDirection> {};

TEST_P(StoreSync, LeavesBothStoresEqualAndTheOriginalsUntouched) {
    testsupport::TempDir dir;
    StorePair p;
    try {
        p = buildPair(dir);
    } catch (const jet::Error& e) {
        FAIL() << "building the stores: " << e.description();
    }
    const std::string sourceBytes = testsupport::readFile(p.source);
    const std::string destinationBytes = testsupport::readFile(p.destination);
    ASSERT_NE(compareWithEngine(connectionFor(p.source), connectionFor(p.destination)), "");

    SyncHarness harness;
    SyncRequest request;
    request.source = p.source;
    request.destination = p.destination;
    request.direction = GetParam();
    request.dropOppositeObjects = true;
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    EXPECT_TRUE(r.report.empty());
    EXPECT_TRUE(r.run.clean()) << r.run.problems() << r.scriptText;
    EXPECT_EQ(r.run.closeReport, "");
    EXPECT_EQ(r.target,
              GetParam() == script::sdSourceToDestination ? r.destinationCopy : r.sourceCopy);
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection), "") << r.scriptText;
    // The stores' own names end in .sdb: the copies keep them.
    EXPECT_EQ(std::filesystem::path(r.destinationCopy).extension(), ".sdb");
    EXPECT_EQ(testsupport::readFile(p.source), sourceBytes);
    EXPECT_EQ(testsupport::readFile(p.destination), destinationBytes);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, StoreSync,
                         ::testing::Values(script::sdSourceToDestination,
                                           script::sdDestinationToSource));

TEST(StoreSync, KeepsTheTargetsOwnObjectsUnlessDropOppositeObjectsIsOn) {
    testsupport::TempDir dir;
    const StorePair p = buildPair(dir);
    SyncHarness harness;
    SyncRequest request;
    request.source = p.source;
    request.destination = p.destination;
    const SyncResult kept = harness.sync(request);
    EXPECT_TRUE(kept.run.clean()) << kept.run.problems();
    const std::string left = compareWithEngine(kept.sourceConnection, kept.destinationConnection);
    EXPECT_NE(left.find("table [OldTable] 2\n"), std::string::npos) << left;
    EXPECT_EQ(left.find("table [Customers]"), std::string::npos) << left;

    request.dropOppositeObjects = true;
    const SyncResult dropped = harness.sync(request);
    EXPECT_NE(dropped.sourceCopy, kept.sourceCopy);
    EXPECT_TRUE(dropped.run.clean()) << dropped.run.problems();
    EXPECT_EQ(compareWithEngine(dropped.sourceConnection, dropped.destinationConnection), "");
}

TEST(ApplyScript, KeepsEveryFailedStatementAndGoesOn) {
    testsupport::TempDir dir;
    const std::string db = dir.file("db.sdb");
    jet::testing::buildStore(db, "CREATE TABLE [T] ([a] LONG);");
    const std::string script =
        "CREATE TABLE [T] ([a] LONG)\r\n\r\nRUN\r\n\r\n"
        "CREATE TABLE [U] ([b] LONG)\r\n\r\nRUN\r\n\r\n"
        "DROP INDEX [nope] ON [U]\r\n\r\nRUN\r\n\r\n\r\n";
    const RunResult r = applyScript(script, dir.file("s.psx"), connectionFor(db));
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.thrown, "");
    ASSERT_EQ(r.failures.size(), 2u);
    EXPECT_EQ(r.failures[0].statement, "CREATE TABLE [T] ([a] LONG)");
    EXPECT_EQ(r.failures[0].description, "Table 'T' already exists.");
    EXPECT_EQ(r.failures[1].description, "Index 'nope' does not exist on table 'U'.");
    EXPECT_FALSE(r.clean());
    EXPECT_EQ(r.problems(),
              "failed (" + std::to_string(r.failures[0].number) +
                  "): CREATE TABLE [T] ([a] LONG) -> Table 'T' already exists.\n"
                  "failed (" +
                  std::to_string(r.failures[1].number) +
                  "): DROP INDEX [nope] ON [U] -> Index 'nope' does not exist on table 'U'.\n");
    const auto tables = catalogTables(connectionFor(db));
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[1].name, "U");
}

TEST(ApplyScript, SaysWhenTheDatabaseDoesNotOpen) {
    testsupport::TempDir dir;
    const RunResult r =
        applyScript("\r\n", dir.file("s.psx"), connectionFor(dir.file("missing.sdb")));
    EXPECT_FALSE(r.finished);
    EXPECT_NE(r.thrown, "");
    EXPECT_NE(r.problems().find("the run stopped: "), std::string::npos);
}

// The expected schema of a changed real file is that of its store twin after
// the same statements: the twin, before any change, compares equal to the file.
class StoreTwin : public ::testing::TestWithParam<const char*> {};

TEST_P(StoreTwin, OfAPopulatedFixtureComparesEqualToIt) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string empty = dir.file("empty.sdb");
    jet::testing::buildStore(empty);
    SyncHarness harness;
    SyncRequest request;
    request.source = testsupport::fixture(GetParam());
    request.destination = empty;
    const SyncResult r = harness.sync(request);
    EXPECT_TRUE(r.run.clean()) << r.run.problems();
    EXPECT_TRUE(r.report.empty()) << r.report.front();
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection,
                                {.views = false, .procedures = false}),
              "");
    EXPECT_EQ(comparePages(request.source, r.sourceCopy).text(), "");
}

std::string fixtureCaseName(const ::testing::TestParamInfo<const char*>& param) {
    std::string s = std::filesystem::path(param.param).stem().string();
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StoreTwin, ::testing::ValuesIn(kPopulatedJet4Fixtures),
                         fixtureCaseName);

// The writer's change cases that succeed give their expected schema through
// the store twin: the twin takes each script without a failed statement.
class TwinTakesChange : public ::testing::TestWithParam<changes::ChangeCase> {};

TEST_P(TwinTakesChange, WithoutAFailedStatement) {
    REQUIRE_FIXTURES();
    const auto& c = GetParam();
    testsupport::TempDir dir;
    const std::string empty = dir.file("empty.sdb");
    jet::testing::buildStore(empty);
    SyncHarness harness;
    SyncRequest request;
    request.source = testsupport::fixture(c.fixture);
    request.destination = empty;
    const SyncResult twin = harness.sync(request);
    ASSERT_TRUE(twin.run.clean()) << twin.run.problems();
    const RunResult run =
        applyScript(changes::scriptOf(c), dir.file("change.psx"), twin.destinationConnection);
    EXPECT_TRUE(run.clean()) << run.problems();
}

std::string changeName(const ::testing::TestParamInfo<changes::ChangeCase>& param) {
    return param.param.name;
}

// The changes the rows refuse are left out: the twin holds no rows.
std::vector<changes::ChangeCase> successfulChanges() {
    auto cases = changes::changeCases();
    std::erase_if(cases, [](const changes::ChangeCase& c) { return *c.error != 0; });
    return cases;
}

INSTANTIATE_TEST_SUITE_P(WriterCases, TwinTakesChange, ::testing::ValuesIn(successfulChanges()),
                         changeName);

}  // namespace
