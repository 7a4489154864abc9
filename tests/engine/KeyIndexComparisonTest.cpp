// Keys and indexes of a table in both databases, and the one-side listing of
// a table's keys and indexes.
#include <gtest/gtest.h>

#include <optional>

#include "EngineTestSupport.h"

using namespace enginetest;
using namespace engine;

namespace {

// A table T whose every key has an index of its name, unless `indexes` says otherwise.
TableData keyedTable(std::vector<KeyData> keys, std::optional<std::vector<std::string>> indexes = {}) {
    TableData t = makeTable("T", {col("ID"), col("A"), col("B"), col("C")});
    std::vector<std::string> names;
    if (indexes) {
        names = *indexes;
    } else {
        for (const auto& k : keys) names.push_back(k.name);
    }
    for (const auto& n : names) t.indexes.push_back(makeIndex(n, {{"ID", kSortAscending}}));
    t.keys = std::move(keys);
    return t;
}

KeyData fk(std::string name, std::vector<KeyColumnData> columns = {{"A", "ID"}},
                 std::string related = "Other", int32_t update = rule::None, int32_t del = rule::None) {
    return makeKey(std::move(name), keytype::Foreign, std::move(columns), std::move(related), update, del);
}

KeyData unique(std::string name, std::vector<KeyColumnData> columns = {{"A", ""}}) {
    return makeKey(std::move(name), keytype::Unique, std::move(columns));
}

const TTable& compareOne(Bench& b, TableData source, TableData destination) {
    b.source.data.tables = {std::move(source)};
    b.destination.data.tables = {std::move(destination)};
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables.UBound(), 1);
    return r.Tables[1];
}

}  // namespace

// --- Keys -------------------------------------------------------------------------

struct KeyCase {
    const char* what;
    TableData source;
    TableData destination;
    std::vector<Entry> expected;
    int32_t tableAction;
};

class Keys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Keys, ArePairedAndCompared) {
    const KeyCase& c = GetParam();
    Bench b;
    const TTable& t = compareOne(b, c.source, c.destination);
    EXPECT_EQ(entries(t.Keys), c.expected) << c.what;
    EXPECT_EQ(t.Action, c.tableAction) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Keys,
    ::testing::Values(
        KeyCase{"names in other letter case keep the destination's spelling",
                keyedTable({fk("ORDERSCUSTOMERS")}), keyedTable({fk("OrdersCustomers")}),
                {{"OrdersCustomers", 0}}, 0},
        KeyCase{"delete rule", keyedTable({fk("K", {{"A", "ID"}}, "Other", rule::None, rule::None)}),
                keyedTable({fk("K", {{"A", "ID"}}, "Other", rule::None, rule::Cascade)}), {{"K", 1}}, 1},
        KeyCase{"related table", keyedTable({fk("K", {{"A", "ID"}}, "Other")}),
                keyedTable({fk("K", {{"A", "ID"}}, "Third")}), {{"K", 1}}, 1},
        KeyCase{"related table in other letter case", keyedTable({fk("K", {{"A", "ID"}}, "Other")}),
                keyedTable({fk("K", {{"A", "ID"}}, "OTHER")}), {{"K", 0}}, 0},
        KeyCase{"update rule", keyedTable({fk("K", {{"A", "ID"}}, "Other", rule::Cascade)}),
                keyedTable({fk("K", {{"A", "ID"}}, "Other", rule::None)}), {{"K", 1}}, 1},
        KeyCase{"type", keyedTable({fk("K")}), keyedTable({unique("K")}), {{"K", 1}}, 1},
        KeyCase{"a related column only: the key differs, and so does its table",
                keyedTable({fk("K", {{"A", "ID"}})}), keyedTable({fk("K", {{"A", "Code"}})}),
                {{"K", 1}}, 1},
        KeyCase{"columns in another order",
                keyedTable({fk("K", {{"A", "X"}, {"B", "Y"}})}), keyedTable({fk("K", {{"B", "Y"}, {"A", "X"}})}),
                {{"K", 0}}, 0},
        KeyCase{"a source key without an index of its name takes no part, and hides nothing",
                keyedTable({fk("K")}, std::vector<std::string>{}), keyedTable({fk("K")}), {{"K", 2}}, 1},
        KeyCase{"a destination key without an index takes no part",
                keyedTable({fk("K")}), keyedTable({fk("K")}, std::vector<std::string>{}), {{"K", 3}}, 1},
        KeyCase{"a unique shadow of a foreign key is passed over on both sides",
                keyedTable({unique("K"), fk("K")}), keyedTable({unique("K"), fk("K")}), {{"K", 0}}, 0},
        KeyCase{"a foreign key is not paired with the other side's shadow",
                keyedTable({fk("K")}), keyedTable({unique("K"), fk("K")}), {{"K", 0}}, 0},
        KeyCase{"a unique key without a foreign twin takes part",
                keyedTable({unique("U")}), keyedTable({unique("U")}), {{"U", 0}}, 0},
        KeyCase{"destination without keys", keyedTable({fk("K"), unique("U")}), keyedTable({}),
                {{"K", 3}, {"U", 3}}, 1},
        KeyCase{"keys only in the destination follow the source's",
                keyedTable({fk("K")}), keyedTable({fk("A1"), fk("K"), fk("Z9")}),
                {{"K", 0}, {"A1", 2}, {"Z9", 2}}, 1},
        KeyCase{"neither table has keys", keyedTable({}), keyedTable({}), {}, 0}),
    CaseIndex{});

TEST(Keys, ARelatedColumnDifferenceMarksTheColumnInBothHalves) {
    Bench b;
    const TTable& t = compareOne(b, keyedTable({fk("K", {{"A", "ID"}, {"B", "X"}})}),
                                 keyedTable({fk("K", {{"B", "Y"}, {"A", "id"}})}));
    const TKey& k = t.Keys[1];
    ASSERT_EQ(k.Source.Columns.UBound(), 2);
    ASSERT_EQ(k.Destination.Columns.UBound(), 2);
    EXPECT_EQ(entries(k.Source.Columns), (std::vector<Entry>{{"A", 0}, {"B", 1}}));
    EXPECT_EQ(entries(k.Destination.Columns), (std::vector<Entry>{{"B", 1}, {"A", 0}}));
    EXPECT_EQ(k.Source.Columns[2].RelatedColumn, "X");
    EXPECT_EQ(k.Destination.Columns[1].RelatedColumn, "Y");
    EXPECT_EQ(k.Action, acDifferent);
    EXPECT_EQ(t.Action, acDifferent);
}

TEST(Keys, AnExtraDestinationColumnIsListedOnItsSideOnly) {
    Bench b;
    const TTable& t = compareOne(b, keyedTable({fk("K", {{"A", "ID"}})}),
                                 keyedTable({fk("K", {{"A", "ID"}, {"B", "X"}})}));
    const TKey& k = t.Keys[1];
    EXPECT_EQ(entries(k.Source.Columns), (std::vector<Entry>{{"A", 0}}));
    EXPECT_EQ(entries(k.Destination.Columns), (std::vector<Entry>{{"A", 0}, {"B", 2}}));
    EXPECT_EQ(k.Action, acDifferent);
    EXPECT_EQ(t.Action, acDifferent);
}

TEST(Keys, BothHalvesHoldTheirSidesProperties) {
    Bench b;
    const TTable& t = compareOne(b, keyedTable({fk("K", {{"A", "ID"}}, "Other", rule::Cascade, rule::SetNull)}),
                                 keyedTable({}));
    const TKey& k = t.Keys[1];
    EXPECT_EQ(k.Source.Type, keytype::Foreign);
    EXPECT_EQ(k.Source.RelatedTable, "Other");
    EXPECT_EQ(k.Source.UpdateRule, rule::Cascade);
    EXPECT_EQ(k.Source.DeleteRule, rule::SetNull);
    EXPECT_EQ(entries(k.Source.Columns), (std::vector<Entry>{{"A", 3}}));
    EXPECT_EQ(k.Destination, TKeyProps{});
}

// --- Indexes ------------------------------------------------------------------------

namespace {

TableData indexedTable(std::vector<IndexData> indexes) {
    return makeTable("T", {col("ID"), col("A"), col("B")}, std::move(indexes));
}

IndexColumnData asc(std::string n) { return {std::move(n), kSortAscending}; }
IndexColumnData desc(std::string n) { return {std::move(n), kSortDescending}; }

}  // namespace

struct IndexCase {
    const char* what;
    TableData source;
    TableData destination;
    std::vector<Entry> expected;
    int32_t tableAction;
};

class Indexes : public ::testing::TestWithParam<IndexCase> {};

TEST_P(Indexes, ArePairedAndCompared) {
    const IndexCase& c = GetParam();
    Bench b;
    const TTable& t = compareOne(b, c.source, c.destination);
    EXPECT_EQ(entries(t.Indexes), c.expected) << c.what;
    EXPECT_EQ(t.Action, c.tableAction) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Indexes, Indexes,
    ::testing::Values(
        IndexCase{"no indexes", indexedTable({}), indexedTable({}), {}, 0},
        IndexCase{"names in other letter case keep the destination's spelling",
                  indexedTable({makeIndex("ByA", {asc("A")})}), indexedTable({makeIndex("BYA", {asc("a")})}),
                  {{"BYA", 0}}, 0},
        IndexCase{"only in the destination, after the source's",
                  indexedTable({makeIndex("M", {asc("A")})}),
                  indexedTable({makeIndex("A1", {asc("A")}), makeIndex("M", {asc("A")})}),
                  {{"M", 0}, {"A1", 2}}, 1},
        IndexCase{"only in the source", indexedTable({makeIndex("M", {asc("A")})}), indexedTable({}),
                  {{"M", 3}}, 1},
        IndexCase{"unique", indexedTable({makeIndex("M", {asc("A")}, true)}),
                  indexedTable({makeIndex("M", {asc("A")}, false)}), {{"M", 1}}, 1},
        IndexCase{"primary key", indexedTable({makeIndex("M", {asc("A")}, true, true)}),
                  indexedTable({makeIndex("M", {asc("A")}, true, false)}), {{"M", 1}}, 1},
        IndexCase{"null handling", indexedTable({makeIndex("M", {asc("A")}, false, false, indexnulls::Ignore)}),
                  indexedTable({makeIndex("M", {asc("A")}, false, false, indexnulls::Allow)}), {{"M", 1}}, 1},
        IndexCase{"one more column: the index differs, and so does its table",
                  indexedTable({makeIndex("M", {asc("A")})}), indexedTable({makeIndex("M", {asc("A"), asc("B")})}),
                  {{"M", 1}}, 1},
        IndexCase{"columns in another order", indexedTable({makeIndex("M", {asc("A"), asc("B")})}),
                  indexedTable({makeIndex("M", {asc("B"), asc("A")})}), {{"M", 0}}, 0},
        IndexCase{"a descending column", indexedTable({makeIndex("M", {asc("A"), asc("B")})}),
                  indexedTable({makeIndex("M", {asc("A"), desc("B")})}), {{"M", 1}}, 1}),
    CaseIndex{});

TEST(Indexes, ColumnsAreListedPerHalfInTheirOwnOrder) {
    Bench b;
    const TTable& t = compareOne(b, indexedTable({makeIndex("M", {asc("A"), asc("B")})}),
                                 indexedTable({makeIndex("M", {desc("B"), asc("A"), asc("ID")})}));
    const TIndex& ix = t.Indexes[1];
    EXPECT_EQ(entries(ix.Source.Columns), (std::vector<Entry>{{"A", 0}, {"B", 1}}));
    EXPECT_EQ(entries(ix.Destination.Columns), (std::vector<Entry>{{"B", 1}, {"A", 0}, {"ID", 2}}));
    EXPECT_EQ(ix.Destination.Columns[1].SortOrder, kSortDescending);
    EXPECT_EQ(ix.Action, acDifferent);
}

TEST(Indexes, OneSidedIndexesOfAPairedTableHaveAnEmptyOtherHalf) {
    Bench b;
    const TTable& t = compareOne(b, indexedTable({makeIndex("S", {asc("A")}, true, false, indexnulls::IgnoreAny)}),
                                 indexedTable({makeIndex("D", {desc("B")})}));
    ASSERT_EQ(t.Indexes.UBound(), 2);
    const TIndex& s = t.Indexes[1];
    EXPECT_EQ(s.Action, acOnlyInSource);
    EXPECT_TRUE(s.Source.Unique);
    EXPECT_EQ(s.Source.IndexNulls, indexnulls::IgnoreAny);
    EXPECT_EQ(entries(s.Source.Columns), (std::vector<Entry>{{"A", 3}}));
    EXPECT_EQ(s.Destination, TIndexProps{});
    const TIndex& d = t.Indexes[2];
    EXPECT_EQ(d.Action, acOnlyInDestination);
    EXPECT_EQ(entries(d.Destination.Columns), (std::vector<Entry>{{"B", 2}}));
    EXPECT_EQ(d.Destination.Columns[1].SortOrder, kSortDescending);
    EXPECT_EQ(d.Source, TIndexProps{});
}

// --- Tables on one side only ---------------------------------------------------------

TEST(OneSide, KeysNeedAnIndexOfTheirNameAndKeepNoGaps) {
    Bench b;
    TableData t = keyedTable({fk("A_fk"), fk("B_noindex"), unique("C"), fk("C"), fk("d_FK")},
                             std::vector<std::string>{"a_FK", "C", "D_fk", "Extra"});
    t.indexes.push_back(makeIndex("NoColumns", {}));
    b.source.data.tables = {t};
    const auto& r = b.compare();
    const TTable& e = r.Tables[1];
    EXPECT_EQ(e.Action, acOnlyInSource);
    // The unique twin of a foreign key is listed beside it here.
    EXPECT_EQ(entries(e.Keys), (std::vector<Entry>{{"A_fk", 3}, {"C", 3}, {"C", 3}, {"d_FK", 3}}));
    EXPECT_EQ(e.Indexes.UBound(), 5);  // every index, no filter
    for (const auto& k : e.Keys) {
        EXPECT_EQ(k.Destination.Columns.UBound(), 0);
        for (const auto& c : k.Source.Columns) EXPECT_EQ(c.Action, acOnlyInSource);
    }
    const TIndex& none = e.Indexes[5];
    EXPECT_EQ(none.Name, "NoColumns");
    EXPECT_EQ(none.Source.Columns.UBound(), 0);
}

TEST(OneSide, ATableWithKeysButNoIndexesListsNoKeys) {
    Bench b;
    b.destination.data.tables = {keyedTable({fk("K")}, std::vector<std::string>{})};
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables[1].Action, acOnlyInDestination);
    EXPECT_EQ(r.Tables[1].Keys.UBound(), 0);
}

TEST(OneSide, ADestinationOnlyTableFillsOnlyTheDestinationHalves) {
    Bench b;
    TableData t = keyedTable({fk("K", {{"A", "ID"}}, "Other", rule::Cascade, rule::Cascade)});
    t.indexes[0].columns = {desc("A")};
    t.indexes[0].indexNulls = indexnulls::IgnoreAny;
    b.destination.data.tables = {t};
    const auto& r = b.compare();
    const TTable& e = r.Tables[1];
    EXPECT_EQ(e.Action, acOnlyInDestination);
    for (const auto& c : e.Columns) {
        EXPECT_EQ(c.Action, acOnlyInDestination);
        EXPECT_EQ(c.Source, TColumnProps{});
    }
    const TKey& k = e.Keys[1];
    EXPECT_EQ(k.Action, acOnlyInDestination);
    EXPECT_EQ(k.Source, TKeyProps{});
    EXPECT_EQ(k.Destination.UpdateRule, rule::Cascade);
    EXPECT_EQ(k.Destination.Columns[1].Action, acOnlyInDestination);
    EXPECT_EQ(k.Destination.Columns[1].RelatedColumn, "ID");
    const TIndex& ix = e.Indexes[1];
    EXPECT_EQ(ix.Action, acOnlyInDestination);
    EXPECT_EQ(ix.Source, TIndexProps{});
    EXPECT_EQ(ix.Destination.IndexNulls, indexnulls::IgnoreAny);
    EXPECT_EQ(ix.Destination.Columns[1].SortOrder, kSortDescending);
    EXPECT_EQ(ix.Destination.Columns[1].Action, acOnlyInDestination);
}

TEST(OneSide, AFailingKeyLeavesNoKeysButKeepsTheIndexes) {
    Bench b;
    b.source.data.tables = {keyedTable({fk("K1"), fk("K2")})};
    b.source.faults = {{.object = "KeyColumn", .path = "T/K2/A", .member = "Name"}};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables[1].Keys.UBound(), 0);
    EXPECT_EQ(r.Tables[1].Indexes.UBound(), 2);
    ASSERT_EQ(rec.errors.size(), 3u);
    EXPECT_EQ(rec.errors[0], "Error Occured While Comparing Keys...");
}

TEST(OneSide, ACodeOutsideTheSixteenBitRangeFailsTheStep) {
    Bench b;
    TableData t = keyedTable({fk("K")});
    t.keys[0].updateRule = 70000;
    b.source.data.tables = {t};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables[1].Keys.UBound(), 0);
    ASSERT_EQ(rec.errors.size(), 3u);
    EXPECT_EQ(rec.errors[1], "Error Number : " + std::to_string(jet::errorEntry(jet::Err::TypeMismatch).number));
}
