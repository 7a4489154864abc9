// Scripts applied by the runner to copies of real Access files, each written
// file judged by readers that are not the writer's: the mdbtools programs, the
// npm reader, the project's reader and the comparison engine.
//   1. Whole schemas: every Jet 4 fixture with tables into a copy of each empty
//      Access database gives its tables, columns with their properties,
//      indexes and keys (views and procedures aside).
//   2. Self syncs: a fixture against a copy of itself with every object
//      selected (every index and key dropped and re-created) compares equal,
//      keeps every row, and keeps every page but for the catalog's dates.
//   3. Changes on populated tables, one statement kind at a time, failures
//      included: the schema of the file's store twin after the same script,
//      the rows expected, or Jet's error with the file unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "FixtureLists.h"
#include "JetOracles.h"
#include "OracleComparison.h"
#include "RealFileSync.h"
#include "TestSupport.h"
#include "WriterChangeCases.h"
#include "jet/testing/StoreBuilder.h"

namespace {

using namespace oracles;
using namespace oracles::changes;

std::string caseName(std::string s) {
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

std::string stem(const char* relative) {
    return caseName(std::filesystem::path(relative).stem().string());
}

#define REQUIRE_READERS()     \
    do {                      \
        REQUIRE_FIXTURES();   \
        REQUIRE_MDBTOOLS();   \
        REQUIRE_MDB_READER(); \
    } while (0)

// Rows of every user table through the npm reader, which, unlike mdb-export,
// tells empty text from Null.
std::vector<TableRows> npmRows(const std::string& path) {
    std::vector<TableRows> all;
    for (const auto& t : mdbReaderDump(path).tables) all.push_back(t.asRows());
    return all;
}

// ---- 1. Whole schemas into the empty Access databases ------------------------

struct WholeSchemaCase {
    const char* fixture;
    const char* empty;
};

void PrintTo(const WholeSchemaCase& c, std::ostream* os) {
    *os << c.fixture << " into " << c.empty;
}

class WholeSchema : public ::testing::TestWithParam<WholeSchemaCase> {};

TEST_P(WholeSchema, IntoAnEmptyAccessDatabaseGivesTheFixturesTables) {
    REQUIRE_READERS();
    SyncHarness harness;
    SyncRequest request;
    request.source = testsupport::fixture(GetParam().fixture);
    request.destination = testsupport::fixture(GetParam().empty);
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    EXPECT_TRUE(r.report.empty()) << r.report.front();
    ASSERT_TRUE(r.run.clean()) << r.run.problems();
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection,
                                {.views = false, .procedures = false}),
              "")
        << r.scriptText;
    EXPECT_EQ(independentSchemaDifferences(request.source, r.target), "");
    EXPECT_EQ(readersDisagreement(r.target), "");
}

std::vector<WholeSchemaCase> wholeSchemaCases() {
    std::vector<WholeSchemaCase> cases;
    for (const char* f : kJet4FixturesWithTables)
        for (const char* e : kEmptyJet4Databases) cases.push_back({f, e});
    return cases;
}

std::string wholeSchemaName(const ::testing::TestParamInfo<WholeSchemaCase>& param) {
    return stem(param.param.fixture) + "_into_" + stem(param.param.empty);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WholeSchema, ::testing::ValuesIn(wholeSchemaCases()),
                         wholeSchemaName);

// ---- 2. Self syncs with data ------------------------------------------------

class SelfSync : public ::testing::TestWithParam<const char*> {};

TEST_P(SelfSync, ComparesEqualKeepsEveryRowAndEveryPageButTheCatalogsDates) {
    REQUIRE_READERS();
    SyncHarness harness;
    SyncRequest request;
    request.source = testsupport::fixture(GetParam());
    request.destination = request.source;
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    EXPECT_TRUE(r.report.empty()) << r.report.front();
    ASSERT_TRUE(r.run.clean()) << r.run.problems();
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection), "") << r.scriptText;
    EXPECT_EQ(fileRowDifferences(request.source, r.target), "");
    EXPECT_EQ(rowDifferences(npmRows(request.source), npmRows(r.target),
                             primaryKeysOf(mdbSchema(request.source))),
              "");
    EXPECT_EQ(comparePages(request.source, r.target, {catalogDates()}).text(), "");
    EXPECT_EQ(independentSchemaDifferences(request.source, r.target), "");
    EXPECT_EQ(readersDisagreement(r.target), "");
}

std::string fixtureCaseName(const ::testing::TestParamInfo<const char*>& param) {
    return stem(param.param);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SelfSync, ::testing::ValuesIn(kJet4FixturesWithTables),
                         fixtureCaseName);

// ---- 3. Changes on populated tables (the cases: WriterChangeCases.h) --------

class Change : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(Change, OnAPopulatedFileReadsAsExpected) {
    REQUIRE_READERS();
    const ChangeCase& c = GetParam();
    const std::string original = testsupport::fixture(c.fixture);
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir, "changed.mdb");
    const RunResult run = applyScript(scriptOf(c), dir.file("change.psx"), connectionFor(file));
    EXPECT_EQ(run.thrown, "");
    EXPECT_EQ(run.closeFailure, "");
    EXPECT_EQ(readersDisagreement(file), "");

    if (*c.error) {
        ASSERT_EQ(run.failures.size(), 1u) << run.problems();
        EXPECT_NE(run.failures[0].description.find(c.error), std::string::npos)
            << run.failures[0].description;
        EXPECT_EQ(comparePages(original, file).text(), "");
        return;
    }
    EXPECT_TRUE(run.clean()) << run.problems();

    // The schema: that of the file's store twin after the same script.
    SyncHarness harness;
    const std::string empty = dir.file("empty.sdb");
    jet::testing::buildStore(empty);
    SyncRequest twinRequest;
    twinRequest.source = original;
    twinRequest.destination = empty;
    const SyncResult twin = harness.sync(twinRequest);
    ASSERT_TRUE(twin.run.clean()) << twin.run.problems();
    const RunResult twinRun =
        applyScript(scriptOf(c), dir.file("twin.psx"), twin.destinationConnection);
    ASSERT_TRUE(twinRun.clean()) << twinRun.problems();
    EXPECT_EQ(compareWithEngine(connectionFor(file), twin.destinationConnection,
                                {.views = false, .procedures = false}),
              "");

    // The rows: as before, changed as the statements change them.
    const auto keys = primaryKeysOf(mdbSchema(original));
    auto exported = mdbExportAll(original);
    c.rows(exported);
    EXPECT_EQ(rowDifferences(exported, mdbExportAll(file), keys), "");
    auto npm = npmRows(original);
    c.rows(npm);
    EXPECT_EQ(rowDifferences(npm, npmRows(file), keys), "");
}

std::string changeName(const ::testing::TestParamInfo<ChangeCase>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Statements, Change, ::testing::ValuesIn(changeCases()), changeName);

}  // namespace
