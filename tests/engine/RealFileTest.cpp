// End to end on the real Jet files of the fixtures folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "EngineTestSupport.h"
#include "TestSupport.h"
#include "jet/ConnectionString.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"
#include "text/CaseFold.h"

using namespace enginetest;
using namespace engine;

namespace {

std::string jetConnection(const std::string& file, const std::string& workgroup = "") {
    jet::ConnectionProperties p;
    p.provider = std::string(jet::kJetProvider);
    p.dataSource = file;
    if (!workgroup.empty()) p.systemDatabase = workgroup;
    return jet::buildConnectionString(p);
}

// Runs the comparison; skips the test when the Jet file provider cannot read
// real files in this build.
#define COMPARE_OR_SKIP(engine)                                                              \
    do {                                                                                     \
        try {                                                                                \
            ASSERT_TRUE((engine)->CompareDatabases());                                       \
        } catch (const jet::Error& failure_) {                                               \
            if (failure_.number() == jet::errorEntry(jet::Err::NotSupported).number)         \
                GTEST_SKIP() << "the Jet file provider is not available: "                 \
                             << failure_.description();                                      \
            throw;                                                                           \
        }                                                                                    \
    } while (0)

const char* const kFixtures[] = {
    "jackcess/queryTestV1997.mdb",        "jackcess/queryTestV2000.mdb",
    "jackcess/indexTestV1997.mdb",        "jackcess/indexTestV2000.mdb",
    "jackcess/testIndexPropertiesV2000.mdb", "jackcess/compIndexTestV2000.mdb",
    "jackcess/fixedNumericTestV2000.mdb", "jackcess/fixedTextTestV2000.mdb",
    "jackcess/testUnicodeCompV2003.mdb",  "jackcess/testPromotionV2000.mdb",
    "jackcess/delColTestV2000.mdb",       "jackcess/adox_jet4.mdb",
    "mdbtestdata/nwind.mdb",
};

}  // namespace

class SelfComparison : public ::testing::TestWithParam<const char*> {};

TEST_P(SelfComparison, GivesEveryElementEqual) {
    REQUIRE_FIXTURES();
    const std::string file = testsupport::fixture(GetParam());
    const std::string workgroup = testsupport::fixture("workgroup/system.mdw");
    const auto e = CCAccess::create();
    e->CompareIncrementAndSeed(true);
    e->SourceDatabaseConnectionString(jetConnection(file, workgroup));
    e->DestinationDatabaseConnnectionString(jetConnection(file, workgroup));
    Recorder rec;
    e->setEvents(&rec);
    COMPARE_OR_SKIP(e);
    EXPECT_TRUE(rec.errors.empty()) << (rec.errors.empty() ? "" : rec.errors.front());
    const auto& r = e->Result();
    EXPECT_EQ(summary(r), "");
    if (std::string(GetParam()) != "jackcess/adox_jet4.mdb") {  // the one empty database
        EXPECT_GT(r.Tables.UBound(), 0);
    }
    EXPECT_GT(r.Users.UBound(), 0);
    EXPECT_GT(r.Groups.UBound(), 0);
    EXPECT_EQ(e->ProgressPosition(), e->ProgressTotal());
}

INSTANTIATE_TEST_SUITE_P(RealFiles, SelfComparison, ::testing::ValuesIn(kFixtures), CaseIndex{});

// Both files hold the relationship Table3Table1 (Table1.otherfk2 to Table3,
// cascading updates) in MSysRelationships, so it pairs; what differs is that
// Jet 4 keeps its text columns with Unicode compression, which Jet 3 has not.
TEST(RealFiles, IndexTestJet3AgainstJet4DiffersInTextCompressionOnly) {
    REQUIRE_FIXTURES();
    const auto e = CCAccess::create();
    e->SourceDatabaseConnectionString(jetConnection(testsupport::fixture("jackcess/indexTestV1997.mdb")));
    e->DestinationDatabaseConnnectionString(jetConnection(testsupport::fixture("jackcess/indexTestV2000.mdb")));
    Recorder rec;
    e->setEvents(&rec);
    COMPARE_OR_SKIP(e);
    EXPECT_TRUE(rec.errors.empty());
    const auto& r = e->Result();
    EXPECT_EQ(summary(r), "Table1:1; Table1.data:1; Table2:1; Table2.data:1; Table3:1; Table3.data:1");
    for (const auto& t : r.Tables) {
        for (const auto& c : t.Columns) {
            if (c.Action == acEqual) continue;
            TColumnProps jet4 = c.Destination;
            EXPECT_FALSE(c.Source.Compressed);
            EXPECT_TRUE(jet4.Compressed);
            jet4.Compressed = false;
            EXPECT_EQ(c.Source, jet4) << t.Name << "." << c.Name;
        }
    }
    const TTable& table1 = r.Tables[1];
    ASSERT_EQ(table1.Name, "Table1");
    const TKey* fk = nullptr;
    for (const auto& k : table1.Keys)
        if (k.Name == "Table3Table1") fk = &k;
    ASSERT_NE(fk, nullptr);
    EXPECT_EQ(fk->Action, acEqual);
    for (const TKeyProps* side : {&fk->Source, &fk->Destination}) {
        EXPECT_EQ(side->Type, jet::keytype::Foreign);
        EXPECT_EQ(side->RelatedTable, "Table3");
        EXPECT_EQ(side->UpdateRule, jet::rule::Cascade);
        ASSERT_EQ(side->Columns.UBound(), 1);
        EXPECT_EQ(side->Columns[1].Name, "otherfk2");
        EXPECT_EQ(side->Columns[1].RelatedColumn, "id");
    }
}

namespace {

// indexTestV2000.mdb rebuilt in a store from Jet SQL; the column properties
// that Jet SQL cannot state are set through the catalog.
constexpr const char* kIndexTestCopy =
    "CREATE TABLE Table2 (id LONG, data TEXT(50) WITH COMPRESSION, CONSTRAINT PrimaryKey PRIMARY KEY (id));"
    "CREATE INDEX id ON Table2 (id);"
    "CREATE TABLE Table3 (id LONG, data TEXT(50) WITH COMPRESSION, CONSTRAINT PrimaryKey PRIMARY KEY (id));"
    "CREATE INDEX id ON Table3 (id);"
    "CREATE TABLE Table1 (id LONG, otherfk1 LONG, otherfk2 LONG, data TEXT(50) WITH COMPRESSION, otherfk3 LONG,"
    " CONSTRAINT PrimaryKey PRIMARY KEY (id),"
    " CONSTRAINT Table2Table1 FOREIGN KEY (otherfk1) REFERENCES Table2 (id) ON DELETE CASCADE,"
    " CONSTRAINT Table3Table1 FOREIGN KEY (otherfk2) REFERENCES Table3 (id) ON UPDATE CASCADE);"
    "CREATE INDEX id ON Table1 (id);";

void copyIndexTest(const std::string& path, const std::string& change) {
    jet::testing::buildStore(path, std::string(kIndexTestCopy) + change);
    jet::Catalog catalog;
    catalog.ActiveConnection(jet::testing::storeConnectionString(path));
    const auto tables = catalog.Tables();
    for (int32_t i = 0; i < tables.Count(); ++i) {
        const jet::Table t = tables.Item(i);
        if (t.Type() != "TABLE") continue;
        const auto columns = t.Columns();
        for (int32_t j = 0; j < columns.Count(); ++j) {
            const jet::Column c = columns.Item(j);
            if (c.Type() == jet::adtype::Integer) c.Properties().Item(jet::prop::Default).Value(std::string("0"));
            if (c.Type() == jet::adtype::VarWChar) c.Properties().Item(jet::prop::AllowZeroLength).Value(true);
        }
    }
}

}  // namespace

struct CopyCase {
    const char* what;
    const char* change;
    const char* expected;
};

class FixtureAgainstStoreCopy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(FixtureAgainstStoreCopy, ShowsExactlyTheChange) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string copy = dir.file("copy.sdb");
    copyIndexTest(copy, GetParam().change);
    const auto e = CCAccess::create();
    e->SourceDatabaseConnectionString(jetConnection(testsupport::fixture("jackcess/indexTestV2000.mdb")));
    e->DestinationDatabaseConnnectionString(jet::testing::storeConnectionString(copy));
    Recorder rec;
    e->setEvents(&rec);
    COMPARE_OR_SKIP(e);
    EXPECT_TRUE(rec.errors.empty());
    EXPECT_EQ(summary(e->Result()), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, FixtureAgainstStoreCopy,
    ::testing::Values(
        CopyCase{"unchanged", "", ""},
        CopyCase{"a column added", "ALTER TABLE Table1 ADD COLUMN extra LONG;", "Table1:1; Table1.extra:2"},
        CopyCase{"a text size", "ALTER TABLE Table2 ALTER COLUMN data TEXT(60) WITH COMPRESSION;",
                 "Table2:1; Table2.data:1"},
        CopyCase{"an index dropped", "DROP INDEX id ON Table3;",
                 "Table3:1; Table3.index id:3; Table3.index id.src id:3"},
        CopyCase{"a relationship dropped", "ALTER TABLE Table1 DROP CONSTRAINT Table3Table1;",
                 "Table1:1; Table1.key Table3Table1:3; Table1.key Table3Table1.src otherfk2:3;"
                 " Table1.index Table3Table1:3; Table1.index Table3Table1.src otherfk2:3"},
        CopyCase{"a table added", "CREATE TABLE Table4 (id LONG);", "Table4:2; Table4.id:2"}),
    CaseIndex{});
