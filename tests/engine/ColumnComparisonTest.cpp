// Columns: pairing by name and by position, the compared properties, the side
// reading.
#include <gtest/gtest.h>

#include <functional>

#include "EngineTestSupport.h"

using namespace enginetest;
using namespace engine;

namespace {

struct Row {
    std::string name;
    std::string destinationName;
    int32_t action;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "{" << r.name << ", " << r.destinationName << ", " << r.action << "}";
}

std::vector<Row> rows(const TTable& t) {
    std::vector<Row> out;
    for (const auto& c : t.Columns) out.push_back({c.Name, c.DestinationName, c.Action});
    return out;
}

std::vector<ColumnData> columns(std::initializer_list<const char*> names) {
    std::vector<ColumnData> out;
    for (const char* n : names) out.push_back(col(n));
    return out;
}

// One table T on both sides; returns its element.
const TTable& compareTable(Bench& b, std::vector<ColumnData> source, std::vector<ColumnData> destination) {
    b.source.data.tables = {makeTable("T", std::move(source))};
    b.destination.data.tables = {makeTable("T", std::move(destination))};
    const auto& r = b.compare();
    EXPECT_EQ(r.Tables.UBound(), 1);
    return r.Tables[1];
}

}  // namespace

struct PairingCase {
    const char* what;
    bool matchColumns;
    std::vector<const char*> source;
    std::vector<const char*> destination;
    std::vector<Row> expected;
    int32_t tableAction;
};

class Pairing : public ::testing::TestWithParam<PairingCase> {};

TEST_P(Pairing, PairsByNameThenByPosition) {
    const PairingCase& c = GetParam();
    Bench b;
    b.engine->MatchColumns(c.matchColumns);
    std::vector<ColumnData> s, d;
    for (const char* n : c.source) s.push_back(col(n));
    for (const char* n : c.destination) d.push_back(col(n));
    const TTable& t = compareTable(b, s, d);
    EXPECT_EQ(rows(t), c.expected) << c.what;
    EXPECT_EQ(t.Action, c.tableAction) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Columns, Pairing,
    ::testing::Values(
        PairingCase{"other name, same position, no matching",
                    false, {"A"}, {"Y"}, {{"A", "", 3}, {"Y", "Y", 2}}, 1},
        PairingCase{"other name, same position, matching", true, {"A"}, {"Y"}, {{"A", "Y", 0}}, 0},
        PairingCase{"letter case only", false, {"Name"}, {"NAME"}, {{"Name", "NAME", 0}}, 0},
        PairingCase{"a name match anywhere wins over the position",
                    true, {"A", "B"}, {"Y", "A"}, {{"A", "A", 0}, {"B", "", 3}, {"Y", "Y", 2}}, 1},
        PairingCase{"no second destination position",
                    true, {"X1", "X2"}, {"Y1"}, {{"X1", "Y1", 0}, {"X2", "", 3}}, 1},
        PairingCase{"a destination column that a source column names is never taken by position",
                    true, {"A", "B"}, {"B", "Z"}, {{"A", "", 3}, {"B", "B", 0}, {"Z", "Z", 2}}, 1},
        PairingCase{"renamed in the middle", true, {"ID", "Old", "X"}, {"ID", "New", "X"},
                    {{"ID", "ID", 0}, {"Old", "New", 0}, {"X", "X", 0}}, 0},
        PairingCase{"source without columns", true, {}, {"A", "B"}, {{"A", "A", 2}, {"B", "B", 2}}, 1},
        PairingCase{"destination without columns", true, {"A"}, {}, {{"A", "", 3}}, 1},
        PairingCase{"neither side has columns", true, {}, {}, {}, 0}),
    CaseIndex{});

// One column on each side, the destination's changed by `change`.
struct PropertyCase {
    const char* what;
    std::function<ColumnData()> source;
    std::function<ColumnData()> destination;
    bool compareIncrementAndSeed;
    int32_t action;
};

class ColumnProperties : public ::testing::TestWithParam<PropertyCase> {};

TEST_P(ColumnProperties, DecideWhetherAPairDiffers) {
    const PropertyCase& c = GetParam();
    Bench b;
    b.engine->CompareIncrementAndSeed(c.compareIncrementAndSeed);
    const TTable& t = compareTable(b, {c.source()}, {c.destination()});
    ASSERT_EQ(t.Columns.UBound(), 1) << c.what;
    EXPECT_EQ(t.Columns[1].Action, c.action) << c.what;
    EXPECT_EQ(t.Action, c.action) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ColumnProperties,
    ::testing::Values(
        PropertyCase{"equal", [] { return col("A"); }, [] { return col("A"); }, false, 0},
        PropertyCase{"type", [] { return col("A"); }, [] { return col("A", adtype::SmallInt); }, false, 1},
        PropertyCase{"size", [] { return textColumn("A", 50); }, [] { return textColumn("A", 60); }, false, 1},
        PropertyCase{"nullability", [] { return col("A"); },
                     [] { auto c = col("A"); c.attributes &= ~kColumnNullable; return c; }, false, 1},
        PropertyCase{"compression", [] { return textColumn("A"); },
                     [] { return with(textColumn("A"), prop::CompressedUnicode, true); }, false, 1},
        PropertyCase{"allow zero length", [] { return textColumn("A"); },
                     [] { return with(textColumn("A"), prop::AllowZeroLength, true); }, false, 1},
        PropertyCase{"auto-increment", [] { return col("A"); }, [] { return counter("A"); }, false, 1},
        PropertyCase{"default", [] { return with(col("A"), prop::Default, std::string("0")); },
                     [] { return with(col("A"), prop::Default, std::string("1")); }, false, 1},
        PropertyCase{"default in other letter case",
                     [] { return with(textColumn("A"), prop::Default, std::string("\"abc\"")); },
                     [] { return with(textColumn("A"), prop::Default, std::string("\"ABC\"")); }, false, 0},
        PropertyCase{"description in other letter case and outer spaces",
                     [] { return with(col("A"), prop::Description, std::string("Order number")); },
                     [] { return with(col("A"), prop::Description, std::string("  ORDER NUMBER ")); },
                     false, 0},
        PropertyCase{"description with a trailing tab",
                     [] { return with(col("A"), prop::Description, std::string("x")); },
                     [] { return with(col("A"), prop::Description, std::string("x\t")); }, false, 1},
        PropertyCase{"description with inner spaces",
                     [] { return with(col("A"), prop::Description, std::string("a b")); },
                     [] { return with(col("A"), prop::Description, std::string("a  b")); }, false, 1},
        PropertyCase{"precision and scale of a non-decimal column",
                     [] { return col("A", adtype::Double); },
                     [] { auto c = col("A", adtype::Double); c.precision = 7; c.numericScale = 2; return c; },
                     false, 0},
        PropertyCase{"decimal precision and scale", [] { return decimal("A", 18, 4); },
                     [] { return decimal("A", 10, 2); }, false, 1},
        PropertyCase{"decimal scale", [] { return decimal("A", 18, 4); },
                     [] { return decimal("A", 18, 2); }, false, 1},
        PropertyCase{"equal decimals", [] { return decimal("A", 10, 2); },
                     [] { return decimal("A", 10, 2); }, false, 0},
        PropertyCase{"seed and increment without the option", [] { return counter("A", 1, 1); },
                     [] { return counter("A", 100, 5); }, false, 0},
        PropertyCase{"seed with the option", [] { return counter("A", 1, 1); },
                     [] { return counter("A", 100, 1); }, true, 1},
        PropertyCase{"increment with the option", [] { return counter("A", 1, 1); },
                     [] { return counter("A", 1, 5); }, true, 1},
        PropertyCase{"Boolean property delivered as a number",
                     [] { return with(textColumn("A"), prop::AllowZeroLength, true); },
                     [] { return with(textColumn("A"), prop::AllowZeroLength, -1); }, false, 0}),
    CaseIndex{});

TEST(Columns, SideReadingStoresWhatEachSideHas) {
    Bench b;
    ColumnData s = with(with(textColumn("Name", 80), prop::Description, std::string("  \tLabel  ")),
                        prop::Default, 42);
    s.attributes &= ~kColumnNullable;
    s.properties[prop::CompressedUnicode] = true;
    ColumnData d = col("Name", adtype::Double);
    d.precision = 9;
    d.numericScale = 3;
    const TTable& t = compareTable(b, {s}, {d});
    const TColumn& c = t.Columns[1];
    EXPECT_EQ(c.Source.Type, adtype::VarWChar);
    EXPECT_EQ(c.Source.DefinedSize, 80);
    EXPECT_TRUE(c.Source.NotNull);
    EXPECT_TRUE(c.Source.Compressed);
    EXPECT_EQ(c.Source.Default, "42");
    EXPECT_EQ(c.Source.Description, "\tLabel");  // spaces only are trimmed
    EXPECT_EQ(c.Destination.Type, adtype::Double);
    EXPECT_FALSE(c.Destination.NotNull);
    EXPECT_EQ(c.Destination.Precision, 9);
    EXPECT_EQ(c.Destination.NumericScale, 3);
    EXPECT_EQ(c.Destination.Increment, 0);
    EXPECT_EQ(c.Destination.Seed, 0);
}

TEST(Columns, IncrementAndSeedFollowTheOption) {
    for (bool option : {false, true}) {
        Bench b;
        b.engine->CompareIncrementAndSeed(option);
        const TTable& t = compareTable(b, {counter("ID", 1, 1), col("N"), col("S")},
                                       {counter("ID", 100, 5), col("N"), col("S"), counter("Extra", 7, 3)});
        ASSERT_EQ(t.Columns.UBound(), 4);
        const TColumn& id = t.Columns[1];
        EXPECT_EQ(id.Source.Increment, 1);
        EXPECT_EQ(id.Source.Seed, option ? 1 : 0);
        EXPECT_EQ(id.Destination.Increment, option ? 5 : 1);
        EXPECT_EQ(id.Destination.Seed, option ? 100 : 0);
        EXPECT_EQ(t.Columns[2].Source.Increment, option ? 1 : 0);  // not auto-increment
        // A destination-only column of a paired table always holds the provider's values.
        EXPECT_EQ(t.Columns[4].Destination.Increment, 3);
        EXPECT_EQ(t.Columns[4].Destination.Seed, 7);
    }
}

TEST(Columns, CollectedColumnsHoldFixedIncrementAndSeed) {
    Bench b;
    b.destination.data.tables = {makeTable("T", {counter("ID", 7, 3), col("N")})};
    b.source.data.tables = {makeTable("Empty", {})};
    const auto& r = b.compare();
    ASSERT_EQ(r.Tables.UBound(), 2);
    EXPECT_EQ(r.Tables[1].Columns.UBound(), 0);
    const TTable& t = r.Tables[2];
    ASSERT_EQ(t.Columns.UBound(), 2);
    EXPECT_EQ(t.Columns[1].Action, acOnlyInDestination);
    EXPECT_EQ(t.Columns[1].Name, "ID");
    EXPECT_EQ(t.Columns[1].DestinationName, "");
    EXPECT_EQ(t.Columns[1].Destination.Increment, 1);
    EXPECT_EQ(t.Columns[1].Destination.Seed, 0);
    EXPECT_EQ(t.Columns[1].Source, TColumnProps{});
}

TEST(Columns, ADestinationOnlyColumnHasAnEmptySourceHalf) {
    Bench b;
    const TTable& t = compareTable(b, columns({"A"}), columns({"A", "New"}));
    ASSERT_EQ(t.Columns.UBound(), 2);
    EXPECT_EQ(t.Action, acDifferent);
    EXPECT_EQ(t.Columns[2].Action, acOnlyInDestination);
    EXPECT_EQ(t.Columns[2].Name, "New");
    EXPECT_EQ(t.Columns[2].Source, TColumnProps{});
}

TEST(Columns, UnicodeNamesMatchWithoutRegardToCase) {
    Bench b;
    const TTable& t = compareTable(b, {col("STRASSE"), col("Ärger")}, {col("straße"), col("ÄRGER")});
    EXPECT_EQ(rows(t), (std::vector<Row>{{"STRASSE", "straße", 0}, {"Ärger", "ÄRGER", 0}}));
}
