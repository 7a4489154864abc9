// Scripts applied by the runner to copies of real Access files, each written
// file judged by readers that are not the writer's: the mdbtools programs, the
// npm reader, the project's reader and the comparison engine.
//   1. Whole schemas: every Jet 4 fixture with tables into a copy of each empty
//      Access database gives its tables, columns with their properties,
//      indexes and keys, views and procedures; mdb-queries prints every query
//      as it prints the fixture's.
//   2. Self syncs: a fixture against a copy of itself with every object
//      selected (every index and key dropped and re-created) compares equal,
//      keeps every row, and keeps every page but for the catalog's dates.
//   3. Changes on populated tables, one statement kind at a time, failures
//      included: the schema of the file's store twin after the same script,
//      the rows expected, or Jet's error with the file unchanged.
//   4. Saved queries on the fixtures that have them: every query dropped and
//      made again with its own text leaves the file byte for byte; every query
//      dropped, then made again by a sync, changes the catalog's tables alone
//      and reads back as the fixture's; a query text that cannot be split
//      fails its statement and leaves the file byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "FixtureLists.h"
#include "JetOracles.h"
#include "MdbTools.h"
#include "OracleComparison.h"
#include "RealFileSync.h"
#include "TestSupport.h"
#include "WriterChangeCases.h"
#include "jet/Catalog.h"
#include "jet/Command.h"
#include "jet/format/JetHeader.h"
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

// Fixtures that mdbtools itself reads only in part: what it prints of them
// cannot be held against a written file.
bool mdbtoolsMisreads(const std::string& fixture) {
    // Access 97's Northwind: mdb-prop gives none of its columns' properties
    // and mdb-queries prints most of its queries as "SELECT  FROM".
    return fixture == "mdbtestdata/nwind.mdb";
}

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
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection), "") << r.scriptText;
    if (!mdbtoolsMisreads(GetParam().fixture)) {
        EXPECT_EQ(independentSchemaDifferences(request.source, r.target), "");
        EXPECT_EQ(mdbQueriesDifferences(request.source, r.target), "");
    }
    EXPECT_EQ(readersDisagreement(r.target), "");
}

std::vector<WholeSchemaCase> wholeSchemaCases() {
    std::vector<WholeSchemaCase> cases;
    for (const char* f : kJet4FixturesWithTables)
        for (const char* e : kEmptyJet4Databases) cases.push_back({f, e});
    for (const char* f : kJet3FixturesWithTables)
        for (const char* e : kEmptyJet3Databases) cases.push_back({f, e});
    return cases;
}

std::string wholeSchemaName(const ::testing::TestParamInfo<WholeSchemaCase>& param) {
    return stem(param.param.fixture) + "_into_" + stem(param.param.empty);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WholeSchema, ::testing::ValuesIn(wholeSchemaCases()),
                         wholeSchemaName);

// ---- Across formats: an Access 97 schema into Jet 4, and back ---------------

// The engine's differences less those of a text column that differs in its
// compression alone, which an Access 97 file cannot hold.
std::string beyondCompression(const std::string& differences) {
    std::istringstream in(differences);
    std::string line, out, table;
    while (std::getline(in, line)) {
        if (line.rfind("table [", 0) == 0) {
            table = line + "\n";
            continue;
        }
        const size_t vs = line.find(" vs ");
        if (line.rfind("  column [", 0) == 0 && vs != std::string::npos) {
            std::string source = line.substr(line.find(": ") + 2, vs - line.find(": ") - 2);
            const std::string destination = line.substr(vs + 4);
            if (const size_t at = source.find("compressed 1"); at != std::string::npos)
                source.replace(at, 12, "compressed 0");
            if (source == destination) continue;
        }
        out += table + line + "\n";
        table.clear();
    }
    return out;
}

class AcrossFormats : public ::testing::TestWithParam<WholeSchemaCase> {};

TEST_P(AcrossFormats, GivesTheTargetEverythingItsFormatHolds) {
    REQUIRE_READERS();
    SyncHarness harness;
    SyncRequest request;
    request.source = testsupport::fixture(GetParam().fixture);
    request.destination = testsupport::fixture(GetParam().empty);
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    // A block line naming a table whose statement failed ends the run there,
    // as for any block line that fails.
    if (r.run.failures.empty() || r.run.thrown.find("Item cannot be found") == std::string::npos) {
        EXPECT_EQ(r.run.thrown, "");
    }
    EXPECT_EQ(r.run.closeFailure, "");
    // A Jet 4 schema in Access 97: what the older format lacks fails its
    // statement with the engine's error, and everything else is made.
    std::set<std::string> failedTables;
    for (const auto& f : r.run.failures) {
        SCOPED_TRACE(f.statement);
        EXPECT_NE(f.description.find("Syntax error in field definition."), std::string::npos)
            << f.description;
        EXPECT_NE(f.statement.find("DECIMAL"), std::string::npos);
        const size_t open = f.statement.find('['), close = f.statement.find(']');
        failedTables.insert(f.statement.substr(open + 1, close - open - 1));
    }
    std::string differences =
        beyondCompression(compareWithEngine(r.sourceConnection, r.destinationConnection));
    for (const auto& t : failedTables) {
        // The tables whose statement failed are missing, and nothing else.
        const std::string missing = "table [" + t + "] ";
        for (size_t at; (at = differences.find(missing)) != std::string::npos;) {
            const size_t end = differences.find("\ntable [", at);
            differences.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
        }
    }
    EXPECT_EQ(differences, "") << r.scriptText;
    EXPECT_EQ(readersDisagreement(r.target), "");
}

std::vector<WholeSchemaCase> acrossFormatsCases() {
    std::vector<WholeSchemaCase> cases;
    for (const char* f : kJet3FixturesWithTables) cases.push_back({f, "jackcess/emptyV2000.mdb"});
    for (const char* f : kJet4FixturesWithTables) cases.push_back({f, "jet3/blankAccess97.mdb"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, AcrossFormats, ::testing::ValuesIn(acrossFormatsCases()),
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
    // The readers disagree on the written file no more than on the fixture
    // (on some Access 97 files they differ from each other already).
    EXPECT_EQ(readersDisagreement(r.target), readersDisagreement(request.source));
}

std::string fixtureCaseName(const ::testing::TestParamInfo<const char*>& param) {
    return stem(param.param);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SelfSync, ::testing::ValuesIn(kJet4FixturesWithTables),
                         fixtureCaseName);
INSTANTIATE_TEST_SUITE_P(Jet3Fixtures, SelfSync, ::testing::ValuesIn(kJet3FixturesWithTables),
                         fixtureCaseName);

// Two one-to-one relationships on their tables' primary keys: one made before
// its table's primary key, on a real index of its own (as files made by
// data-modelling tools hold them), one made after it, sharing its index.
constexpr const char* kOneToOneKeys[] = {
    "CREATE TABLE [Person] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(20))",
    "CREATE TABLE [Detail] ([ID] LONG, [Note] TEXT(20))",
    "ALTER TABLE [Detail] ADD CONSTRAINT [PersonDetail] FOREIGN KEY ([ID]) REFERENCES [Person] "
    "([ID])",
    "ALTER TABLE [Detail] ADD CONSTRAINT [PrimaryKey] PRIMARY KEY ([ID])",
    "CREATE TABLE [Extra] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Note] TEXT(20))",
    "ALTER TABLE [Extra] ADD CONSTRAINT [PersonExtra] FOREIGN KEY ([ID]) REFERENCES [Person] "
    "([ID])",
};

TEST(SelfSyncOfOneToOneKeys, ChangesNothing) {
    REQUIRE_READERS();
    testsupport::TempDir dir;
    std::string statements;
    for (const char* s : kOneToOneKeys) statements += std::string(s) + "\r\n\r\nRUN\r\n\r\n";
    const std::string file = writableCopy(testsupport::fixture("jackcess/emptyV2000.mdb"), dir,
                                          "keys.mdb");
    const RunResult made = applyScript(statements, dir.file("make.psx"), connectionFor(file));
    ASSERT_TRUE(made.clean()) << made.problems();
    // The store twin made by the same statements reads alike: the first
    // relationship's index is not unique, the second's is.
    const std::string twin = dir.file("twin.sdb");
    std::string sql;
    for (const char* s : kOneToOneKeys) sql += std::string(s) + ";";
    jet::testing::buildStore(twin, sql);
    EXPECT_EQ(compareWithEngine(connectionFor(file), connectionFor(twin),
                                {.views = false, .procedures = false}),
              "");

    SyncHarness harness;
    SyncRequest request;
    request.source = file;
    request.destination = file;
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    ASSERT_TRUE(r.run.clean()) << r.run.problems();
    EXPECT_NE(r.scriptText.find("ADD CONSTRAINT [PersonDetail]"), std::string::npos)
        << r.scriptText;
    EXPECT_EQ(r.run.closeReport, "");
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection), "") << r.scriptText;
    EXPECT_EQ(comparePages(file, r.target).text(), "");
    EXPECT_EQ(independentSchemaDifferences(file, r.target), "");
    EXPECT_EQ(readersDisagreement(r.target), "");
}

// A GUID column whose default is GenGUID() (set by the script's column
// block, as the generator writes a source's Replication ID AutoNumber) is
// written as Access writes such an AutoNumber: the npm reader reads it as
// generated, as it reads the source's; other columns are left as they are.
TEST(ReplicationIds, AGuidWhoseDefaultIsGenGuidIsWrittenAsAnAutoNumber) {
    REQUIRE_READERS();
    testsupport::TempDir dir;
    const std::string file = writableCopy(testsupport::fixture("teaching/Comptoir2000.mdb"), dir,
                                          "guids.mdb");
    const RunResult run = applyScript(
        "CREATE TABLE [G] ([Made] GUID, [Plain] GUID, [Text] TEXT(40))\r\n\r\nRUN\r\n\r\n"
        "ALTER TABLE [Client] ADD COLUMN [Uid] GUID\r\n\r\nRUN\r\n\r\n"
        "\r\n<JET:COLUMNS>\r\nG;Made;1;GenGUID()\r\nG;Text;1;GenGUID()\r\n"
        "Client;Uid;1;genguid()\r\n</JET:COLUMNS>\r\n\r\n",
        dir.file("guids.psx"), connectionFor(file));
    ASSERT_TRUE(run.clean()) << run.problems();
    const auto dump = mdbReaderDump(file);
    std::map<std::string, bool> generated;
    for (const char* name : {"G", "Client"}) {
        const ReaderTable* t = dump.table(name);
        ASSERT_NE(t, nullptr) << name;
        for (const auto& c : t->columns)
            if (c.type == "repid" || c.name == "Text") generated[c.name] = c.autoUUID;
    }
    EXPECT_EQ(generated, (std::map<std::string, bool>{
                             {"Made", true}, {"Plain", false}, {"Text", false}, {"Uid", true}}));
    EXPECT_EQ(readersDisagreement(file), "");
}

// The relationships mdb-schema lists, and the enforced ones MSysRelationships
// holds (one row each here: every key has one column; mdb-schema lists no
// relationship that is not enforced).
std::pair<size_t, size_t> listedRelationships(const std::string& file) {
    const std::string schema =
        mdbtest::run("mdb-schema --relations " + mdbtest::shellQuote(file) + " postgres");
    size_t listed = 0;
    for (size_t at = 0; (at = schema.find("FOREIGN KEY", at)) != std::string::npos; ++at) ++listed;
    const auto rows = mdbtest::exportTable(file, "MSysRelationships");
    const size_t grbit = static_cast<size_t>(
        std::find(rows.at(0).begin(), rows.at(0).end(), "grbit") - rows.at(0).begin());
    size_t enforced = 0;
    for (size_t i = 1; i < rows.size(); ++i)
        if ((std::stoll(rows[i].at(grbit)) & 0x2) == 0) ++enforced;
    return {listed, enforced};
}

struct OldHoles {
    const char* name;
    const char* fixture;
    std::vector<std::string> statements;
    int objectsAdded;  // MSysObjects rows the statements add (or remove)
};

void PrintTo(const OldHoles& c, std::ostream* os) { *os << c.name; }

class OldHolesInSystemTables : public ::testing::TestWithParam<OldHoles> {};

// Access leaves deleted slots in its system tables' pages (indexTestV2000's
// MSysRelationships page starts with three, so mdb-schema lists one of its
// four relationships), and libmdb counts slots against the row count. A
// system table the session adds rows to or removes rows from has them filled
// as its own holes are; a row that is the data of another slot's pointer
// stays where it is (ADVWORKS's MSysObjects holds such rows).
TEST_P(OldHolesInSystemTables, AreFilledWhereTheSessionChangesTheTable) {
    REQUIRE_READERS();
    const OldHoles& c = GetParam();
    testsupport::TempDir dir;
    const std::string original = testsupport::fixture(c.fixture);
    const std::string file = writableCopy(original, dir, "holes.mdb");
    std::string script;
    for (const auto& st : c.statements) script += st + "\r\n\r\nRUN\r\n\r\n";
    const RunResult run = applyScript(script, dir.file("holes.psx"), connectionFor(file));
    ASSERT_TRUE(run.clean()) << run.problems();
    const auto [listed, enforced] = listedRelationships(file);
    EXPECT_EQ(listed, enforced);
    EXPECT_EQ(readersDisagreement(file), "");
    EXPECT_EQ(static_cast<int>(mdbtest::exportTable(file, "MSysObjects").size()),
              static_cast<int>(mdbtest::exportTable(original, "MSysObjects").size()) +
                  c.objectsAdded);
    for (const auto& t : mdbTables(original))
        EXPECT_EQ(rowDifferences({mdbExport(original, t)}, {mdbExport(file, t)},
                                 primaryKeysOf(mdbSchema(original))),
                  "")
            << t;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, OldHolesInSystemTables,
    ::testing::Values(
        OldHoles{"ARelationshipAdded", "jackcess/indexTestV2000.mdb",
                 {"ALTER TABLE [Table1] ADD CONSTRAINT [Again] FOREIGN KEY ([otherfk2]) "
                  "REFERENCES [Table3] ([id])"},
                 1},
        OldHoles{"ARelationshipDropped", "jackcess/indexTestV2000.mdb",
                 {"ALTER TABLE [Table1] DROP CONSTRAINT [Table3Table1]"}, -1},
        OldHoles{"ATableAddedBesideOverflowRows", "teaching/ADVWORKS.mdb",
                 {"CREATE TABLE [Added] ([A] LONG)"}, 1}),
    [](const auto& p) { return std::string(p.param.name); });

// Access keeps a column's compression twice: the bit of its definition, which
// the data engine and the project's reader obey, and the UnicodeCompression
// property beside it, which Access shows. A script that turns compression off
// (and sets a long default) or on again leaves the two in step, so that
// mdb-prop, Access and the comparison tell the same story.
TEST(CompressionChange, KeepsAccesssUnicodeCompressionPropertyInStepWithTheDefinition) {
    REQUIRE_READERS();
    testsupport::TempDir dir;
    const std::string db =
        writableCopy(testsupport::fixture("jackcess/testUnicodeCompV2003.mdb"), dir, "u.mdb");
    const std::string connection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db;
    const auto compression = [&] {
        for (const auto& set : mdbProp(db, "Table"))
            if (set.name == "Unicode") return set.value("UnicodeCompression").value_or("none");
        return std::string("no column");
    };
    ASSERT_EQ(compression(), "yes");
    const std::string longDefault = "\"" + std::string(250, 'x') + "\"";
    for (const auto& [statement, expected] :
         {std::pair{"ALTER TABLE [Table] ALTER COLUMN [Unicode] TEXT(255);", "no"},
          std::pair{"ALTER TABLE [Table] ALTER COLUMN [Unicode] TEXT(255) WITH COMPRESSION;",
                    "yes"}}) {
        SCOPED_TRACE(statement);
        const RunResult r = applyScript(std::string(statement) + "\r\n\r\nRUN\r\n\r\n" +
                                            "<JET:COLUMNS>\r\nTable;Unicode;1;" + longDefault +
                                            "\r\n</JET:COLUMNS>\r\n",
                                        dir.file("s.psx"), connection);
        ASSERT_TRUE(r.clean()) << r.problems();
        EXPECT_EQ(compression(), expected);
        EXPECT_EQ(propertiesDisagreement(db), "");
        EXPECT_EQ(readersDisagreement(db), "");
    }
}

// ---- 3. Changes on populated tables (the cases: WriterChangeCases.h) --------

class Change : public ::testing::TestWithParam<ChangeCase> {};

// The lines of `written` that `fixture` does not hold: what the readers read
// otherwise in a changed file beyond what they read otherwise in its fixture
// (a dropped table or column takes its own lines away).
std::string disagreementsAdded(const std::string& written, const std::string& fixture) {
    std::set<std::string> before;
    std::istringstream in(fixture);
    for (std::string l; std::getline(in, l);) before.insert(l);
    std::string added;
    std::istringstream out(written);
    for (std::string l; std::getline(out, l);)
        if (!before.count(l)) added += l + "\n";
    return added;
}

TEST_P(Change, OnAPopulatedFileReadsAsExpected) {
    REQUIRE_READERS();
    const ChangeCase& c = GetParam();
    const std::string original = testsupport::fixture(c.fixture);
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir, "changed.mdb");
    const RunResult run = applyScript(scriptOf(c), dir.file("change.psx"), connectionFor(file));
    EXPECT_EQ(run.thrown, "");
    EXPECT_EQ(run.closeFailure, "");
    // What the readers read otherwise in the fixture already (kontener.mdb:
    // a date's rounding; nwind.mdb: column flags and properties) is not the
    // writer's.
    if (const std::string d = readersDisagreement(file); !d.empty()) {
        EXPECT_EQ(disagreementsAdded(d, readersDisagreement(original)), "");
    }

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
INSTANTIATE_TEST_SUITE_P(Encoded, Change, ::testing::ValuesIn(encodedChangeCases()), changeName);
INSTANTIATE_TEST_SUITE_P(Access97, Change, ::testing::ValuesIn(jet3ChangeCases()), changeName);

// The changes written into an encoded database: page 0 (the header and its
// key) as it was; every page the writer changed or added stored encoded with
// its own page's key, and decoding to a page of a kind the format knows; the
// other pages byte for byte the original's.
class EncodedPages : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(EncodedPages, AreStoredEncodedAndTheRestIsAsItWas) {
    REQUIRE_FIXTURES();
    const ChangeCase& c = GetParam();
    const std::string original = testsupport::fixture(c.fixture);
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir, "changed.mdb");
    const RunResult run = applyScript(scriptOf(c), dir.file("change.psx"), connectionFor(file));
    ASSERT_TRUE(run.clean()) << run.problems();
    const std::string before = testsupport::readFile(original);
    const std::string after = testsupport::readFile(file);
    constexpr size_t kPage = 4096;
    ASSERT_EQ(after.size() % kPage, 0u);
    EXPECT_TRUE(after.substr(0, kPage) == before.substr(0, kPage)) << "page 0 changed";
    const auto header = jet::format::readHeader(file);
    ASSERT_TRUE(header && header->databaseKey != 0);
    size_t changed = 0;
    for (uint32_t n = 1; n < after.size() / kPage; ++n) {
        const std::string stored = after.substr(n * kPage, kPage);
        if (n * kPage < before.size() && stored == before.substr(n * kPage, kPage)) continue;
        ++changed;
        std::string plain = stored;
        jet::format::applyPageEncoding(reinterpret_cast<uint8_t*>(plain.data()), plain.size(),
                                       header->databaseKey, n);
        EXPECT_NE(plain, stored) << "page " << n << " is stored plain";
        EXPECT_LE(static_cast<uint8_t>(plain[0]), 5) << "page " << n << " decodes to no page";
    }
    EXPECT_GT(changed, 0u);
}

INSTANTIATE_TEST_SUITE_P(Statements, EncodedPages, ::testing::ValuesIn([] {
                             auto cases = encodedChangeCases();
                             std::erase_if(cases, [](const ChangeCase& c) { return *c.error; });
                             return cases;
                         }()),
                         changeName);

// ---- 4. Saved queries ------------------------------------------------------

inline constexpr std::array<const char*, 4> kJet4FixturesWithQueries = {
    "jackcess/queryTestV2000.mdb",
    "teaching/ADVWORKS.mdb",
    "teaching/Gymnase2000.mdb",
    "teaching/ProductSales-student.mdb",
};

struct SavedQuery {
    std::string name;
    std::string text;
    bool view = false;
};

// The saved queries as the project's reader gives them.
std::vector<SavedQuery> savedQueries(const std::string& file) {
    jet::Catalog cat;
    cat.ActiveConnection(connectionFor(file));
    std::vector<SavedQuery> out;
    const auto views = cat.Views();
    for (int32_t i = 0; i < views.Count(); ++i)
        out.push_back({views.Item(i).Name(), views.Item(i).Command().CommandText(), true});
    const auto procedures = cat.Procedures();
    for (int32_t i = 0; i < procedures.Count(); ++i)
        out.push_back(
            {procedures.Item(i).Name(), procedures.Item(i).Command().CommandText(), false});
    return out;
}

std::string dropStatement(const SavedQuery& q) {
    return std::string(q.view ? "DROP VIEW [" : "DROP PROCEDURE [") + q.name + "]";
}

// As the script generator writes it.
std::string createStatement(const SavedQuery& q) {
    return "CREATE PROCEDURE [" + q.name + "] AS \r\n" + q.text;
}

std::string scriptOf(const std::vector<std::string>& statements) {
    std::string s;
    for (const auto& statement : statements) s += statement + "\r\n\r\nRUN\r\n\r\n";
    return s + "\r\n";
}

// Pages of the tables a query lives in (MSysObjects, MSysQueries, MSysACEs:
// their definitions, data and index pages, found by the owner each page
// names), the global usage map and the data pages of owner 0 where Access
// keeps the tables' usage maps, whatever changed on them.
PageAllowance catalogTablePages(const std::string& file) {
    std::set<uint32_t> owners = {2};
    const auto objects = mdbtest::exportTable(file, "MSysObjects");
    const auto& head = objects.at(0);
    const auto at = [&](const char* name) {
        return static_cast<size_t>(std::find(head.begin(), head.end(), name) - head.begin());
    };
    const size_t id = at("Id"), name = at("Name"), type = at("Type");
    for (size_t i = 1; i < objects.size(); ++i)
        if (objects[i][type] == "1" &&
            (objects[i][name] == "MSysQueries" || objects[i][name] == "MSysACEs"))
            owners.insert(static_cast<uint32_t>(std::stoul(objects[i][id])) & 0x00FFFFFFu);
    return {"the catalog's tables", [owners](uint32_t page, std::string_view a, std::string_view) {
                if (page == 1) return true;
                const auto u32 = [&](size_t o) {
                    return static_cast<uint32_t>(static_cast<uint8_t>(a[o])) |
                           static_cast<uint32_t>(static_cast<uint8_t>(a[o + 1])) << 8 |
                           static_cast<uint32_t>(static_cast<uint8_t>(a[o + 2])) << 16 |
                           static_cast<uint32_t>(static_cast<uint8_t>(a[o + 3])) << 24;
                };
                const auto kind = static_cast<uint8_t>(a[0]);
                if (kind == 0x02) return owners.count(page) != 0;
                if (kind == 0x01 && u32(4) == 0) return true;
                return (kind == 0x01 || kind == 0x03 || kind == 0x04) && owners.count(u32(4));
            }};
}

class SavedQueries : public ::testing::TestWithParam<const char*> {};

// A sync that finds a query changed drops it and makes it again; made again
// with the text it had, it keeps its rows, and the file is not written at all.
TEST_P(SavedQueries, DroppedAndMadeAgainUnchangedLeaveTheFileByteForByte) {
    REQUIRE_READERS();
    const std::string original = testsupport::fixture(GetParam());
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir, "same.mdb");
    const auto queries = savedQueries(file);
    ASSERT_FALSE(queries.empty());
    std::vector<std::string> statements;
    for (const auto& q : queries) {
        statements.push_back(dropStatement(q));
        statements.push_back(createStatement(q));
    }
    const RunResult run =
        applyScript(scriptOf(statements), dir.file("same.psx"), connectionFor(file));
    EXPECT_TRUE(run.clean()) << run.problems();
    EXPECT_EQ(run.closeReport, "");
    EXPECT_EQ(comparePages(original, file).text(), "");
}

// Every query dropped, then made again by a sync from the fixture: the first
// run changes the catalog's tables and nothing else; after the second, the
// engine finds the fixture's queries, and mdb-queries prints them as it
// prints the fixture's.
TEST_P(SavedQueries, DroppedThenMadeAgainBySyncReadBackAsTheFixtures) {
    REQUIRE_READERS();
    const std::string original = testsupport::fixture(GetParam());
    testsupport::TempDir dir;
    const std::string bare = writableCopy(original, dir, "bare.mdb");
    std::vector<std::string> drops;
    for (const auto& q : savedQueries(bare)) drops.push_back(dropStatement(q));
    const RunResult dropped =
        applyScript(scriptOf(drops), dir.file("drop.psx"), connectionFor(bare));
    ASSERT_TRUE(dropped.clean()) << dropped.problems();
    EXPECT_TRUE(savedQueries(bare).empty());
    EXPECT_EQ(mdbtest::run("mdb-queries -L -1 " + mdbtest::shellQuote(bare)), "");
    EXPECT_EQ(compareWithEngine(connectionFor(original), connectionFor(bare),
                                {.views = false, .procedures = false}),
              "");
    EXPECT_EQ(fileRowDifferences(original, bare), "");
    EXPECT_EQ(comparePages(original, bare, {catalogTablePages(original)}).differing,
              std::vector<uint32_t>{});
    EXPECT_EQ(readersDisagreement(bare), "");

    SyncHarness harness;
    SyncRequest request;
    request.source = original;
    request.destination = bare;
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    ASSERT_TRUE(r.run.clean()) << r.run.problems();
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection), "") << r.scriptText;
    EXPECT_EQ(mdbQueriesDifferences(original, r.target), "");
    EXPECT_EQ(fileRowDifferences(original, r.target), "");
    EXPECT_EQ(readersDisagreement(r.target), "");
}

// A text the writer cannot split fails its statement, names the clause, and
// the statements before it that only dropped and made again leave nothing.
TEST_P(SavedQueries, ATextThatCannotBeSplitFailsAndLeavesTheFileByteForByte) {
    REQUIRE_READERS();
    const std::string original = testsupport::fixture(GetParam());
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir, "refused.mdb");
    const auto queries = savedQueries(file);
    ASSERT_FALSE(queries.empty());
    const SavedQuery& q = queries.front();
    const RunResult run =
        applyScript(scriptOf({dropStatement(q), createStatement(q),
                              "CREATE PROCEDURE [Refused] AS SELECT a FROM A INNER JOIN B ON"}),
                    dir.file("refused.psx"), connectionFor(file));
    ASSERT_EQ(run.failures.size(), 1u) << run.problems();
    EXPECT_NE(run.failures[0].description.find("Query 'Refused' was not written"),
              std::string::npos)
        << run.failures[0].description;
    EXPECT_NE(run.failures[0].description.find("its FROM clause"), std::string::npos)
        << run.failures[0].description;
    EXPECT_EQ(run.closeFailure, "");
    EXPECT_EQ(comparePages(original, file).text(), "");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SavedQueries, ::testing::ValuesIn(kJet4FixturesWithQueries),
                         fixtureCaseName);

}  // namespace

