// Tables: pairing, numbering, partners of type "TABLE" only, and the column,
// index and key steps that fail on their own.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"

using namespace enginetest;
using namespace engine;

namespace {

TableData keyed(std::string name) {
    return makeTable(std::move(name), {col("ID"), col("X")},
                     {makeIndex("PrimaryKey", {{"ID", kSortAscending}}, true, true, indexnulls::Disallow)},
                     {makeKey("PrimaryKey", keytype::Primary, {{"ID", ""}})});
}

}  // namespace

TEST(Tables, NamesDifferingInLetterCasePairAndKeepTheSourceSpelling) {
    Bench b;
    b.source.data.tables = {makeTable("Orders", {col("A")})};
    b.destination.data.tables = {makeTable("ORDERS", {col("a")})};
    const auto& r = b.compare();
    ASSERT_EQ(r.Tables.UBound(), 1);
    EXPECT_EQ(r.Tables[1].Name, "Orders");
    EXPECT_EQ(r.Tables[1].Action, acEqual);
    EXPECT_EQ(r.Tables[1].Columns[1].DestinationName, "a");
}

TEST(Tables, DestinationOnlyTablesFollowInDestinationOrder) {
    Bench b;
    b.source.data.tables = {makeTable("A", {}), makeTable("B", {}), makeTable("C", {})};
    // Destination positions: A 0, B 1, BB 2, C 3, CV 4 (a view), D 5.
    b.destination.data.tables = {makeTable("A", {}), makeTable("B", {}), makeTable("BB", {}),
                                 makeTable("C", {}), makeTable("D", {})};
    b.destination.data.views = {query("CV", "SELECT 1")};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    ASSERT_EQ(r.Tables.UBound(), 5);
    const std::vector<std::pair<std::string, int32_t>> expected = {
        {"A", acEqual}, {"B", acEqual}, {"C", acEqual}, {"BB", acOnlyInDestination},
        {"D", acOnlyInDestination}};
    for (int32_t k = 1; k <= 5; ++k) {
        EXPECT_EQ(r.Tables[k].Name, expected[static_cast<size_t>(k - 1)].first);
        EXPECT_EQ(r.Tables[k].Action, expected[static_cast<size_t>(k - 1)].second);
    }
    const auto tableEvents = std::count_if(rec.events.begin(), rec.events.end(),
                                           [](const auto& e) { return e.kind == okTable; });
    EXPECT_EQ(tableEvents, 3 + 5);
}

// A table is paired only with an ordinary table: a same-named view, linked
// table or system table on the other side leaves it on one side.
struct TypeCase {
    const char* otherType;
};

class PartnerType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(PartnerType, NeverPairsATableWithAnotherKindOfEntry) {
    Bench b;
    b.source.data.tables = {makeTable("T", {col("A")}),
                            makeTable("U", {col("A")}, {}, {}, GetParam().otherType)};
    b.destination.data.tables = {makeTable("T", {col("A")}, {}, {}, GetParam().otherType),
                                 makeTable("U", {col("A")})};
    const auto& r = b.compare();
    ASSERT_EQ(r.Tables.UBound(), 2);
    EXPECT_EQ(r.Tables[1].Name, "T");
    EXPECT_EQ(r.Tables[1].Action, acOnlyInSource);
    EXPECT_EQ(r.Tables[1].Columns[1].Action, acOnlyInSource);
    EXPECT_EQ(r.Tables[2].Name, "U");
    EXPECT_EQ(r.Tables[2].Action, acOnlyInDestination);
}

INSTANTIATE_TEST_SUITE_P(Tables, PartnerType,
                         ::testing::Values(TypeCase{"VIEW"}, TypeCase{"LINK"},
                                           TypeCase{"SYSTEM TABLE"}, TypeCase{"ACCESS TABLE"}));

TEST(Tables, ATableOnlyInTheSourceListsEverythingAsSourceOnly) {
    Bench b;
    b.source.data.tables = {keyed("T")};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    ASSERT_EQ(r.Tables.UBound(), 1);
    const TTable& t = r.Tables[1];
    EXPECT_EQ(t.Action, acOnlyInSource);
    ASSERT_EQ(t.Columns.UBound(), 2);
    ASSERT_EQ(t.Indexes.UBound(), 1);
    ASSERT_EQ(t.Keys.UBound(), 1);
    for (const auto& c : t.Columns) {
        EXPECT_EQ(c.Action, acOnlyInSource);
        EXPECT_EQ(c.Destination, TColumnProps{});
        EXPECT_EQ(c.DestinationName, "");
    }
    EXPECT_EQ(t.Indexes[1].Action, acOnlyInSource);
    EXPECT_EQ(t.Indexes[1].Source.Columns[1].Action, acOnlyInSource);
    EXPECT_EQ(t.Indexes[1].Destination, TIndexProps{});
    EXPECT_EQ(t.Keys[1].Action, acOnlyInSource);
    EXPECT_EQ(t.Keys[1].Source.Columns[1].Action, acOnlyInSource);
    EXPECT_EQ(t.Keys[1].Destination, TKeyProps{});
    // The reverse pass over an empty destination announces nothing.
    EXPECT_EQ(rec.events.size(), 1u);
}

TEST(Tables, IndexesLeftOutStillFeedTheKeyTest) {
    Bench b;
    b.engine->IncludeIndexes(false);
    b.source.data.tables = {keyed("T"), keyed("S")};
    b.destination.data.tables = {keyed("T")};
    const auto& r = b.compare();
    for (const auto& t : r.Tables) {
        EXPECT_EQ(t.Indexes.UBound(), 0);
        EXPECT_EQ(t.Keys.UBound(), 1) << t.Name;
    }
}

TEST(Tables, KeysLeftOutAreEmpty) {
    Bench b;
    b.engine->IncludeKeys(false);
    b.source.data.tables = {keyed("T"), keyed("S")};
    b.destination.data.tables = {keyed("T")};
    const auto& r = b.compare();
    for (const auto& t : r.Tables) {
        EXPECT_EQ(t.Keys.UBound(), 0);
        EXPECT_EQ(t.Indexes.UBound(), 1);
    }
}

// A failing column, index or key step of one table: one three-line report,
// that list emptied, the other steps and the next tables as usual.
struct StepFailureCase {
    const char* what;
    jet::testing::Fault fault;
    bool onSource;
    const char* message;
    int emptied;  // 0 columns, 1 indexes, 2 keys
};

class StepFailure : public ::testing::TestWithParam<StepFailureCase> {};

TEST_P(StepFailure, IsReportedAndEmptiesOnlyThatList) {
    const StepFailureCase& c = GetParam();
    Bench b;
    // B in both, C only in the source, D only in the destination.
    b.source.data.tables = {keyed("A"), keyed("B"), keyed("C"), keyed("E")};
    b.destination.data.tables = {keyed("A"), keyed("B"), keyed("D"), keyed("E")};
    b.destination.data.tables[1].columns.push_back(col("Extra"));  // B differs by a column
    (c.onSource ? b.source : b.destination).faults = {c.fault};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();

    const std::vector<std::string> report = {c.message, "Error Number : -2147467259",
                                             "Error Description : Injected fault"};
    EXPECT_EQ(rec.errors, report);
    ASSERT_EQ(r.Tables.UBound(), 5);
    for (const auto& t : r.Tables) {
        const std::string name = t.Name;
        const bool failed = name == c.fault.path.substr(0, c.fault.path.find('/'));
        const int32_t bounds[] = {t.Columns.UBound(), t.Indexes.UBound(), t.Keys.UBound()};
        const int32_t full[] = {name == "B" ? 3 : 2, 1, 1};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(bounds[k], failed && k == c.emptied ? 0 : full[k]) << name << " list " << k;
    }
    // The column that B gained in the destination still marks it.
    EXPECT_EQ(r.Tables[2].Action, acDifferent);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, StepFailure,
    ::testing::Values(
        StepFailureCase{"columns of a paired table", {.object = "Column", .path = "B/X", .member = "Type"},
                        false, "Error Occured While Comparing Columns...", 0},
        StepFailureCase{"columns of a source-only table",
                        {.object = "Property", .path = "C/ID", .member = "Value", .position = 12},
                        true, "Error Occured While Comparing Columns...", 0},
        StepFailureCase{"indexes of a paired table",
                        {.object = "Index", .path = "B/PrimaryKey", .member = "Unique"}, false,
                        "Error Occured While Comparing Indexes...", 1},
        StepFailureCase{"index columns of a destination-only table",
                        {.object = "IndexColumn", .path = "D/PrimaryKey/ID", .member = "SortOrder"},
                        false, "Error Occured While Comparing Indexes...", 1},
        StepFailureCase{"keys of a paired table", {.object = "Key", .path = "E/PrimaryKey", .member = "UpdateRule"},
                        true, "Error Occured While Comparing Keys...", 2},
        StepFailureCase{"a key column of a source-only table",
                        {.object = "KeyColumn", .path = "C/PrimaryKey/ID", .member = "RelatedColumn"},
                        true, "Error Occured While Comparing Keys...", 2}),
    CaseIndex{});

TEST(Tables, TheReverseCallOfAStepIsMadeAfterTheForwardCallFailed) {
    Bench b;
    b.source.data.tables = {keyed("T")};
    b.destination.data.tables = {keyed("T")};
    // Every Count of the destination table's columns fails: forward and reverse.
    b.destination.faults = {{.object = "Columns", .path = "T", .member = "Count"}};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    EXPECT_EQ(b.destination.plan->hits(0), 2);
    EXPECT_EQ(rec.errors.size(), 3u);
    EXPECT_EQ(r.Tables[1].Columns.UBound(), 0);
    EXPECT_EQ(r.Tables[1].Indexes.UBound(), 1);
}

TEST(Tables, AFailureAfterAChildMarkedTheTableKeepsTheMark) {
    Bench b;
    b.source.data.tables = {makeTable("T", {col("A"), col("B")})};
    b.destination.data.tables = {makeTable("T", {col("Z"), col("B")})};
    // A is source-only (marks the table), then reading B fails.
    b.source.faults = {{.object = "Column", .path = "T/B", .member = "DefinedSize"}};
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables[1].Action, acDifferent);
    EXPECT_EQ(r.Tables[1].Columns.UBound(), 0);
}

TEST(Tables, AFailureReadingTheTableListItselfEndsTheComparison) {
    Bench b;
    b.source.data.tables = {keyed("T")};
    b.destination.data.tables = {keyed("T")};
    // Counting reads the names of no table; the comparison does.
    b.destination.faults = {{.object = "Table", .member = "Name"}};
    EXPECT_THROW((void)b.engine->CompareDatabases(), jet::Error);
}
