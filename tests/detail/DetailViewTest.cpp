// Filling the detail tree for tables, procedures and views, from small
// result records.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "DetailTestSupport.h"
#include "detail/DetailView.h"

namespace {

using namespace engine;
using detail::DetailHead;
using detail::DetailView;
using detailtest::rows;
using detailtest::rowsUpTo;
using Lines = std::vector<std::string>;
namespace icon = detail::icon;

class Detail : public ::testing::Test {
protected:
    void SetUp() override { view.tree().SetUp(); }

    std::optional<DetailHead> showTable(const TTable& t) {
        TComparisonResult r;
        r.Tables = rb::arr({t});
        view.Differences(r);
        return view.ShowDetails(okTable, 1);
    }
    std::optional<DetailHead> showProcedure(const TProcedure& p) {
        TComparisonResult r;
        r.Procedures = rb::arr({p});
        view.Differences(r);
        return view.ShowDetails(okProcedure, 1);
    }
    // The rows below the first group row, that group's own rows only.
    Lines after(const std::string& group) const {
        Lines all = rows(grid);
        Lines out;
        bool in = false;
        for (const std::string& line : all) {
            if (line.rfind("0 ", 0) == 0) {
                if (in) break;
                in = line == "0 " + group;
                continue;
            }
            if (in) out.push_back(line);
        }
        return out;
    }

    ui::grid::GridModel grid;
    detailtest::Options options;
    DetailView view{grid, options};
};

// --- tables: the head and the groups

TEST_F(Detail, ATableShowsItsGroupsInOrderAllCollapsed) {
    const TTable t = rb::table(
        "Orders", acDifferent, false,
        {rb::both("ID", rb::integer(), rb::integer(), acEqual), rb::sourceOnly("Note", rb::text())},
        {rb::key("PK", acEqual, rb::keyHalf(1, {"ID"}), rb::keyHalf(1, {"ID"}))},
        {rb::index("PK", acEqual, rb::indexHalf({{"ID", 1}}, true, true),
                   rb::indexHalf({{"ID", 1}}, true, true))});
    const auto head = showTable(t);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->caption, "Details of Table (Orders)");
    EXPECT_EQ(head->windowIcon, detail::windowIcon::Table);
    EXPECT_EQ(head->mode, detail::layout::Mode::Table);
    EXPECT_EQ(view.DetailKind(), okTable);
    EXPECT_EQ(view.DetailIndex(), 1);
    EXPECT_EQ(rowsUpTo(grid, 1), (Lines{"0 Columns", "1 ID | 2", "1 Note | 5", "0 Keys", "1 PK | 2",
                                        "0 Indexes", "1 PK | 2"}));
    EXPECT_EQ(rows(grid, true), (Lines{"0 Columns", "0 Keys", "0 Indexes"}));
    EXPECT_TRUE(grid.Redraw());
    // The group icons.
    EXPECT_EQ(grid.CellIcon(1, 1), icon::Columns);
}

TEST_F(Detail, EmptyArraysGiveNoGroupRows) {
    TTable t = rb::table("Bare", acEqual, false, {}, {},
                         {rb::index("ix", acOnlyInSource, rb::indexHalf({}), {})});
    showTable(t);
    EXPECT_EQ(rows(grid), (Lines{"0 Indexes", "1 ix | 5", "2 Primary Key | False | 5 | -",
                                 "2 Unique | False | 5 | -", "2 Index Nulls | Allow | 5 | -"}));
    showTable(rb::table("Nothing", acEqual, false, {}));
    EXPECT_EQ(grid.Rows(), 0);
}

// --- column item rows: joined names

struct JoinCase {
    const char* name;
    const char* destinationName;
    int32_t action;
    int match;
    const char* line;
};

class ColumnCaption : public Detail, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(ColumnCaption, JoinsNamesOfAPositionPairOnlyWhileMatchIsChecked) {
    const JoinCase& c = GetParam();
    TColumn column = rb::both(c.name, rb::integer(), rb::integer(), c.action);
    column.DestinationName = c.destinationName;
    options.match = c.match;
    showTable(rb::table("T", acDifferent, false, {column}));
    EXPECT_EQ(rowsUpTo(grid, 1), (Lines{"0 Columns", c.line}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnCaption,
    ::testing::Values(JoinCase{"Qty", "Quantity", acEqual, 1, "1 Qty <-> Quantity | 2"},
                      JoinCase{"Qty", "Quantity", acDifferent, 1, "1 Qty <-> Quantity | 3"},
                      JoinCase{"Qty", "Quantity", acEqual, 0, "1 Qty | 2"},
                      JoinCase{"Qty", "Quantity", acDifferent, 2, "1 Qty | 3"},
                      // Names equal but for letter case are one name.
                      JoinCase{"ID", "Id", acEqual, 1, "1 ID | 2"},
                      // One-sided columns are never joined.
                      JoinCase{"Extra", "Other", acOnlyInDestination, 1, "1 Extra | 4"},
                      JoinCase{"Note", "", acOnlyInSource, 1, "1 Note | 5"}));

TEST_F(Detail, EachOptionIsReadOnceForEveryColumn) {
    showTable(rb::table(
        "T", acEqual, false,
        {rb::both("A", rb::integer(), rb::integer(), acEqual),
         rb::both("B", rb::integer(), rb::integer(), acEqual), rb::sourceOnly("C", rb::text())}));
    EXPECT_EQ(options.matchReads, 3);
    EXPECT_EQ(options.seedReads, 3);
}

// --- column property rows

TEST_F(Detail, AColumnOnBothSidesShowsTwelvePropertyRowsWithSeedsChecked) {
    TColumnProps s = rb::counter();
    s.Description = "Key";
    TColumnProps d = s;
    d.Seed = 100;
    showTable(rb::table("T", acDifferent, false, {rb::both("ID", s, d, acDifferent)}));
    EXPECT_EQ(after("Columns"), (Lines{
                                    "1 ID | 3",
                                    "2 Column Type | Long Integer | 2 | Long Integer",
                                    "2 Defined Size | 4 | 2 | 4",
                                    "2 Numeric Scale | 0 | 2 | 0",
                                    "2 Precision | 0 | 2 | 0",
                                    "2 Description | Key | 2 | Key",
                                    "2 AutoIncrement | True | 2 | True",
                                    "2 Increment | 1 | 2 | 1",
                                    "2 Seed | 0 | 3 | 100",
                                    "2 Required | True | 2 | True",
                                    "2 Allow Zero Length | False | 2 | False",
                                    "2 Unicode Compression | False | 2 | False",
                                    "2 Default Value |  | 2 | ",
                                }));
}

TEST_F(Detail, WithoutSeedsRequiredFollowsAutoIncrement) {
    for (int seed : {0, 2}) {
        options.seed = seed;
        showTable(rb::table("T", acEqual, false,
                            {rb::both("ID", rb::integer(), rb::integer(), acEqual)}));
        const Lines lines = after("Columns");
        ASSERT_EQ(lines.size(), 11u) << "CISeed " << seed;
        EXPECT_EQ(lines[6], "2 AutoIncrement | False | 2 | False");
        EXPECT_EQ(lines[7], "2 Required | False | 2 | False");
    }
}

TEST_F(Detail, AOneSidedColumnShowsADashAndItsOwnIconOnEveryRow) {
    TColumnProps p = rb::text(50);
    p.Description = "Name";
    showTable(rb::table("T", acDifferent, false,
                        {rb::destinationOnly("New", p), rb::sourceOnly("Old", p)}));
    const Lines lines = after("Columns");
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[0], "1 New | 4");
    EXPECT_EQ(lines[1], "2 Column Type | - | 4 | Text");
    EXPECT_EQ(lines[5], "2 Description | - | 4 | Name");
    EXPECT_EQ(lines[13], "1 Old | 5");
    EXPECT_EQ(lines[14], "2 Column Type | Text | 5 | -");
    EXPECT_EQ(lines[25], "2 Default Value |  | 5 | -");
    for (size_t i = 1; i < 13; ++i) EXPECT_NE(lines[i].find(" | - | 4 | "), std::string::npos);
    for (size_t i = 14; i < 26; ++i) EXPECT_EQ(lines[i].substr(lines[i].size() - 8), " | 5 | -");
}

struct PropertyCase {
    const char* what;
    std::function<void(TColumnProps&, TColumnProps&)> set;
    const char* line;
};

void PrintTo(const PropertyCase& c, std::ostream* os) { *os << c.what; }

class ColumnProperty : public Detail, public ::testing::WithParamInterface<PropertyCase> {};

// The icon compares the stored values: codes and numbers as numbers, texts
// ignoring letter case, each side shown as stored.
TEST_P(ColumnProperty, ComparesTheStoredValues) {
    TColumnProps s = rb::integer();
    TColumnProps d = rb::integer();
    GetParam().set(s, d);
    showTable(rb::table("T", acDifferent, false, {rb::both("C", s, d, acEqual)}));
    const std::string expected = GetParam().line;
    const std::string label = expected.substr(0, expected.find(" | ") + 3);
    bool found = false;
    for (const std::string& line : after("Columns"))
        if (line.rfind(label, 0) == 0) {
            EXPECT_EQ(line, expected);
            found = true;
        }
    EXPECT_TRUE(found) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnProperty,
    ::testing::Values(
        PropertyCase{"same name, other code", [](auto& s, auto& d) { s.Type = 7, d.Type = 135; },
                     "2 Column Type | Date/Time | 3 | Date/Time"},
        PropertyCase{"codes without names", [](auto& s, auto& d) { s.Type = 8, d.Type = 8; },
                     "2 Column Type |  | 2 | "},
        PropertyCase{"zero sizes", [](auto& s, auto& d) { s.DefinedSize = 0, d.DefinedSize = 0; },
                     "2 Defined Size | 0 | 2 | 0"},
        PropertyCase{"scale", [](auto& s, auto& d) { s.NumericScale = 255, d.NumericScale = 0; },
                     "2 Numeric Scale | 255 | 3 | 0"},
        PropertyCase{"descriptions in other case",
                     [](auto& s, auto& d) { s.Description = "Abc", d.Description = "aBC"; },
                     "2 Description | Abc | 2 | aBC"},
        PropertyCase{"empty against text",
                     [](auto& s, auto& d) { s.Description = "", d.Description = "x"; },
                     "2 Description |  | 3 | x"},
        PropertyCase{"auto-increment", [](auto& s, auto& d) { s.AutoIncrement = true, (void)d; },
                     "2 AutoIncrement | True | 3 | False"},
        PropertyCase{"negative seed", [](auto& s, auto& d) { s.Seed = -5, d.Seed = -5; },
                     "2 Seed | -5 | 2 | -5"},
        PropertyCase{"required as stored", [](auto& s, auto& d) { s.NotNull = d.NotNull = true; },
                     "2 Required | True | 2 | True"},
        PropertyCase{"zero length", [](auto& s, auto& d) { d.AllowZeroLength = true, (void)s; },
                     "2 Allow Zero Length | False | 3 | True"},
        PropertyCase{"compression", [](auto& s, auto& d) { s.Compressed = d.Compressed = true; },
                     "2 Unicode Compression | True | 2 | True"},
        PropertyCase{"defaults kept as stored",
                     [](auto& s, auto& d) { s.Default = " =Now() ", d.Default = " =NOW() "; },
                     "2 Default Value |  =Now()  | 2 |  =NOW() "}));

// --- keys

TKeyProps withActions(TKeyProps p, std::initializer_list<int32_t> actions) {
    int32_t i = 1;
    for (int32_t a : actions) p.Columns[i++].Action = a;
    return p;
}

struct KeyCase {
    const char* what;
    TKey key;
    Lines lines;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.what; }

class KeyRows : public Detail, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyRows, ShowEachKeyWithItsFourPropertiesAndColumns) {
    showTable(rb::table("T", acDifferent, false, {}, {GetParam().key}));
    EXPECT_EQ(after("Keys"), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyRows,
    ::testing::Values(
        KeyCase{"only in the source",
                rb::key("FK", acOnlyInSource,
                        withActions(rb::foreignHalf("Orders", {{"A", "X"}, {"B", "Y"}}, 1, 2),
                                    {3, 3}),
                        {}),
                {"1 FK | 5", "2 Key Type | Foreign Key | 5 | -", "2 Related Table | Orders | 5 | -",
                 "2 Update Rule | Cascade | 5 | -", "2 Delete Rule | Set Null | 5 | -",
                 "2 Columns", "3 A | 5", "4 Related Column | X | 5 | -", "3 B | 5",
                 "4 Related Column | Y | 5 | -"}},
        KeyCase{"only in the destination",
                rb::key("PK", acOnlyInDestination, {}, withActions(rb::keyHalf(1, {"ID"}), {2})),
                {"1 PK | 4", "2 Key Type | - | 4 | Primary Key", "2 Related Table | - | 4 | ",
                 "2 Update Rule | - | 4 | None", "2 Delete Rule | - | 4 | None", "2 Columns",
                 "3 ID | 4", "4 Related Column | - | 4 | "}},
        KeyCase{"an extra destination column in the middle",
                rb::key("FK", acDifferent,
                        withActions(rb::foreignHalf("Orders", {{"A", "X"}, {"C", "Z"}}, 2, 1),
                                    {0, 1}),
                        withActions(rb::foreignHalf("ORDERS", {{"a", "x"}, {"B", "Y"}, {"C", "W"}},
                                                    2, 0),
                                    {0, 2, 1})),
                {"1 FK | 3", "2 Key Type | Foreign Key | 2 | Foreign Key",
                 "2 Related Table | Orders | 2 | ORDERS", "2 Update Rule | Set Null | 2 | Set Null",
                 "2 Delete Rule | Cascade | 3 | None", "2 Columns", "3 A | 2",
                 "4 Related Column | X | 2 | x", "3 C | 3", "4 Related Column | Z | 3 | W",
                 "3 B | 4", "4 Related Column | - | 4 | Y"}},
        KeyCase{"no columns, unknown types, different only by its code",
                [] {
                    TKey k = rb::key("K", acDifferent, rb::keyHalf(0, {}), rb::keyHalf(4, {}));
                    return k;
                }(),
                {"1 K | 3", "2 Key Type |  | 3 | ", "2 Related Table |  | 2 | ",
                 "2 Update Rule | None | 2 | None", "2 Delete Rule | None | 2 | None"}},
        KeyCase{"a source column without a partner stands as only in the source",
                rb::key("FK", acDifferent,
                        withActions(rb::foreignHalf("P", {{"A", "X"}, {"B", "Y"}}), {0, 1}),
                        withActions(rb::foreignHalf("P", {{"A", "X"}}), {0})),
                {"1 FK | 3", "2 Key Type | Foreign Key | 2 | Foreign Key",
                 "2 Related Table | P | 2 | P", "2 Update Rule | None | 2 | None",
                 "2 Delete Rule | None | 2 | None", "2 Columns", "3 A | 2",
                 "4 Related Column | X | 2 | X", "3 B | 5", "4 Related Column | Y | 5 | -"}},
        // The node follows the lists' sizes; below it a destination entry
        // shows by itself only when its code says it is only there.
        KeyCase{"destination columns that are not only there show no member of their own",
                rb::key("FK", acDifferent, withActions(rb::foreignHalf("P", {}), {}),
                        withActions(rb::foreignHalf("P", {{"A", "X"}, {"a", "Q"}, {"B", "Y"}}),
                                    {0, 1, 2})),
                {"1 FK | 3", "2 Key Type | Foreign Key | 2 | Foreign Key",
                 "2 Related Table | P | 2 | P", "2 Update Rule | None | 2 | None",
                 "2 Delete Rule | None | 2 | None", "2 Columns", "3 B | 4",
                 "4 Related Column | - | 4 | Y"}},
        KeyCase{"names and related columns in other letter case; the first partner",
                rb::key("FK", acEqual,
                        withActions(rb::foreignHalf("P", {{"CustID", "ID"}}), {0}),
                        withActions(rb::foreignHalf("P", {{"custid", "id"}, {"CUSTID", "Z"}}),
                                    {0, 0})),
                {"1 FK | 2", "2 Key Type | Foreign Key | 2 | Foreign Key",
                 "2 Related Table | P | 2 | P", "2 Update Rule | None | 2 | None",
                 "2 Delete Rule | None | 2 | None", "2 Columns", "3 CustID | 2",
                 "4 Related Column | ID | 2 | id"}}));

TEST_F(Detail, APrimaryKeyGetsAllFourPropertyRows) {
    showTable(rb::table("T", acEqual, false, {},
                        {rb::key("PK", acEqual, rb::keyHalf(1, {}), rb::keyHalf(1, {}))}));
    EXPECT_EQ(after("Keys"), (Lines{"1 PK | 2", "2 Key Type | Primary Key | 2 | Primary Key",
                                    "2 Related Table |  | 2 | ", "2 Update Rule | None | 2 | None",
                                    "2 Delete Rule | None | 2 | None"}));
}

// --- indexes

TIndexProps withIndexActions(TIndexProps p, std::initializer_list<int32_t> actions) {
    int32_t i = 1;
    for (int32_t a : actions) p.Columns[i++].Action = a;
    return p;
}

struct IndexCase {
    const char* what;
    TIndex index;
    Lines lines;
};

void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.what; }

class IndexRows : public Detail, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(IndexRows, ShowEachIndexWithItsThreePropertiesAndColumns) {
    showTable(rb::table("T", acDifferent, false, {}, {}, {GetParam().index}));
    EXPECT_EQ(after("Indexes"), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexRows,
    ::testing::Values(
        IndexCase{
            "only in the source",
            rb::index("ix", acOnlyInSource,
                      withIndexActions(rb::indexHalf({{"A", 1}, {"B", 2}}, true, false, 2), {3, 3}),
                      {}),
            {"1 ix | 5", "2 Primary Key | False | 5 | -", "2 Unique | True | 5 | -",
             "2 Index Nulls | Ignore | 5 | -", "2 Columns", "3 A | 5",
             "4 Sort Order | Ascending | 5 | -", "3 B | 5", "4 Sort Order | Descending | 5 | -"}},
        IndexCase{"only in the destination",
                  rb::index("ix", acOnlyInDestination, {},
                            withIndexActions(rb::indexHalf({{"A", 1}}, false, true, 4), {2})),
                  {"1 ix | 4", "2 Primary Key | - | 4 | True", "2 Unique | - | 4 | False",
                   "2 Index Nulls | - | 4 | Ignore Any", "2 Columns", "3 A | 4",
                   "4 Sort Order | - | 4 | Ascending"}},
        IndexCase{
            "unique on one side, nulls named differently, an extra column",
            rb::index("ix", acDifferent,
                      withIndexActions(rb::indexHalf({{"A", 1}, {"c", 0}}, true, false, 2), {1, 0}),
                      withIndexActions(rb::indexHalf({{"a", 2}, {"B", 1}, {"C", 0}}, false, false,
                                                     4),
                                       {1, 2, 0})),
            {"1 ix | 3", "2 Primary Key | False | 2 | False", "2 Unique | True | 3 | False",
             "2 Index Nulls | Ignore | 3 | Ignore Any", "2 Columns", "3 A | 3",
             "4 Sort Order | Ascending | 3 | Descending", "3 c | 2", "4 Sort Order |  | 2 | ",
             "3 B | 4", "4 Sort Order | - | 4 | Ascending"}},
        IndexCase{"unnamed null codes: equal and different",
                  rb::index("ix", acDifferent, rb::indexHalf({}, false, false, 3),
                            rb::indexHalf({}, false, false, 3)),
                  {"1 ix | 3", "2 Primary Key | False | 2 | False", "2 Unique | False | 2 | False",
                   "2 Index Nulls |  | 2 | "}},
        IndexCase{"unnamed null codes that differ",
                  rb::index("ix", acDifferent, rb::indexHalf({}, false, false, 3),
                            rb::indexHalf({}, false, false, 5)),
                  {"1 ix | 3", "2 Primary Key | False | 2 | False", "2 Unique | False | 2 | False",
                   "2 Index Nulls |  | 3 | "}},
        IndexCase{"a source column without a partner stands as only in the source",
                  rb::index("ix", acDifferent, withIndexActions(rb::indexHalf({{"A", 1}}), {1}),
                            withIndexActions(rb::indexHalf({}), {})),
                  {"1 ix | 3", "2 Primary Key | False | 2 | False", "2 Unique | False | 2 | False",
                   "2 Index Nulls | Allow | 2 | Allow", "2 Columns", "3 A | 5",
                   "4 Sort Order | Ascending | 5 | -"}},
        IndexCase{"a destination column not only there shows no member of its own",
                  rb::index("ix", acDifferent, withIndexActions(rb::indexHalf({}), {}),
                            withIndexActions(rb::indexHalf({{"A", 1}, {"B", 2}}), {0, 2})),
                  {"1 ix | 3", "2 Primary Key | False | 2 | False", "2 Unique | False | 2 | False",
                   "2 Index Nulls | Allow | 2 | Allow", "2 Columns", "3 B | 4",
                   "4 Sort Order | - | 4 | Descending"}}));

TEST_F(Detail, TwoIndexesFollowOneAnother) {
    showTable(
        rb::table("T", acEqual, false, {}, {},
                  {rb::index("a", acEqual, rb::indexHalf({{"X", 1}}), rb::indexHalf({{"X", 1}})),
                   rb::index("b", acEqual, rb::indexHalf({}), rb::indexHalf({}))}));
    const Lines lines = after("Indexes");
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[5], "3 X | 2");
    EXPECT_EQ(lines[6], "4 Sort Order | Ascending | 2 | Ascending");
    EXPECT_EQ(lines[7], "1 b | 2");
}

// --- procedures

TParameter parameter(std::string name, int16_t type, int32_t size, int32_t action) {
    return TParameter{std::move(name), type, size, action};
}

struct ProcedureCase {
    const char* what;
    std::vector<TParameter> source;
    std::vector<TParameter> destination;
    Lines lines;
};

void PrintTo(const ProcedureCase& c, std::ostream* os) { *os << c.what; }

class ProcedureRows : public Detail, public ::testing::WithParamInterface<ProcedureCase> {};

TEST_P(ProcedureRows, ShowEachParameterWithItsTypeAndSize) {
    TProcedure p = rb::procedure("Proc", acDifferent, false, "SELECT 1", "SELECT 2");
    for (const TParameter& s : GetParam().source) p.Source.Parameters.Append() = s;
    for (const TParameter& d : GetParam().destination) p.Destination.Parameters.Append() = d;
    const auto head = showProcedure(p);
    ASSERT_TRUE(head);
    EXPECT_EQ(rows(grid), GetParam().lines);
    EXPECT_EQ(rows(grid, true).size(), GetParam().lines.empty() ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcedureRows,
    ::testing::Values(
        ProcedureCase{"no parameters: no tree", {}, {}, {}},
        ProcedureCase{
            "equal parameters; name in other letter case",
            {parameter("Start", 7, 8, acEqual)},
            {parameter("START", 7, 8, acEqual)},
            {"0 Parameters", "1 Start | 2", "2 Parameter Type | Date/Time | 2 | Date/Time",
             "2 Parameter Size | 8 | 2 | 8"}},
        ProcedureCase{"different type and size",
                      {parameter("N", 3, 4, acDifferent)},
                      {parameter("n", 202, 50, acDifferent)},
                      {"0 Parameters", "1 N | 3", "2 Parameter Type | Long Integer | 3 | Text",
                       "2 Parameter Size | 4 | 3 | 50"}},
        ProcedureCase{"one side only each",
                      {parameter("Old", 3, 4, acOnlyInSource)},
                      {parameter("New", 202, 10, acOnlyInDestination)},
                      {"0 Parameters", "1 Old | 5", "2 Parameter Type | Long Integer | 5 | -",
                       "2 Parameter Size | 4 | 5 | -", "1 New | 4",
                       "2 Parameter Type | - | 4 | Text", "2 Parameter Size | - | 4 | 10"}},
        ProcedureCase{"a source parameter without a partner stands as only in the source",
                      {parameter("Lost", 3, 4, acEqual)},
                      {},
                      {"0 Parameters", "1 Lost | 5", "2 Parameter Type | Long Integer | 5 | -",
                       "2 Parameter Size | 4 | 5 | -"}},
        ProcedureCase{
            "a destination parameter not only there shows no item of its own",
            {},
            {parameter("Kept", 3, 4, acEqual), parameter("New", 202, 10, acOnlyInDestination)},
            {"0 Parameters", "1 New | 4", "2 Parameter Type | - | 4 | Text",
             "2 Parameter Size | - | 4 | 10"}}));

// --- command texts and pictures

struct TextCase {
    const char* what;
    int32_t action;
    const char* source;
    const char* destination;
    const char* shownSource;
    const char* shownDestination;
    int32_t picture;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.what; }

class CommandTexts : public Detail, public ::testing::WithParamInterface<TextCase> {};

TEST_P(CommandTexts, ViewsAndProceduresShowBothTextsAndAPicture) {
    const TextCase& c = GetParam();
    TComparisonResult r;
    r.Views = rb::arr({rb::view("V", c.action, false, c.source, c.destination)});
    r.Procedures = rb::arr({rb::procedure("P", c.action, false, c.source, c.destination)});
    view.Differences(r);
    for (int32_t kind : {okView, okProcedure}) {
        const auto head = view.ShowDetails(kind, 1);
        ASSERT_TRUE(head);
        EXPECT_EQ(head->mode, detail::layout::Mode::Text);
        EXPECT_EQ(head->sourceText, c.shownSource);
        EXPECT_EQ(head->destinationText, c.shownDestination);
        EXPECT_EQ(head->actionPicture, c.picture);
        EXPECT_EQ(view.shownAction(), c.action);
    }
    EXPECT_EQ(grid.Rows(), 0);
}

// The picture follows the texts, whatever the code says, unless one side is missing.
INSTANTIATE_TEST_SUITE_P(
    Cases, CommandTexts,
    ::testing::Values(
        TextCase{"only in the destination", acOnlyInDestination, "src", "dst", "", "dst", 4},
        TextCase{"only in the source", acOnlyInSource, "src", "dst", "src", "", 5},
        TextCase{"texts equal but for case", acDifferent, "SELECT a", "select A", "SELECT a",
                 "select A", 2},
        TextCase{"texts that differ", acEqual, "SELECT a", "SELECT b", "SELECT a", "SELECT b", 3},
        TextCase{"an unknown code compares the texts", 9, "x", "x", "x", "x", 2}));

TEST_F(Detail, HeadsOfViewsAndProcedures) {
    TComparisonResult r;
    r.Views = rb::arr({rb::view("Totals", acEqual, false, "a", "a")});
    r.Procedures = rb::arr({rb::procedure("Add", acEqual, false, "a", "a")});
    view.Differences(r);
    auto head = view.ShowDetails(okView, 1);
    EXPECT_EQ(head->caption, "Details of View (Totals)");
    EXPECT_EQ(head->windowIcon, detail::windowIcon::View);
    head = view.ShowDetails(okProcedure, 1);
    EXPECT_EQ(head->caption, "Details of Procedure (Add)");
    EXPECT_EQ(head->windowIcon, detail::windowIcon::Procedure);
}

TEST_F(Detail, AViewRequestAfterATableLeavesNoTableRows) {
    TComparisonResult r;
    r.Tables = rb::arr(
        {rb::table("T", acEqual, false, {rb::both("A", rb::integer(), rb::integer(), acEqual)})});
    r.Views = rb::arr({rb::view("V", acEqual, false, "a", "a")});
    view.Differences(r);
    view.ShowDetails(okTable, 1);
    view.tree().ExpandAll();
    ASSERT_GT(grid.Rows(), 0);
    view.ShowDetails(okView, 1);
    EXPECT_EQ(grid.Rows(), 0);
    // A second table request starts collapsed again.
    view.ShowDetails(okTable, 1);
    EXPECT_EQ(rows(grid, true), (Lines{"0 Columns"}));
}

// --- requests that name no element

struct OutOfRange {
    int32_t kind;
    int32_t index;
};

class Requests : public Detail, public ::testing::WithParamInterface<OutOfRange> {};

TEST_P(Requests, AnIndexOutsideTheArrayEmptiesTheTreeAndChangesNothingElse) {
    TComparisonResult r;
    r.Tables = rb::arr(
        {rb::table("T", acEqual, false, {rb::both("A", rb::integer(), rb::integer(), acEqual)})});
    r.Views = rb::arr({rb::view("V", acEqual, false, "a", "a")});
    r.Procedures = rb::arr({rb::procedure("P", acEqual, false, "a", "a")});
    view.Differences(r);
    ASSERT_TRUE(view.ShowDetails(okTable, 1));
    ASSERT_GT(grid.Rows(), 0);

    EXPECT_FALSE(view.ShowDetails(GetParam().kind, GetParam().index));
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_TRUE(grid.Redraw());
    EXPECT_EQ(view.DetailKind(), okTable);
    EXPECT_EQ(view.DetailIndex(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, Requests,
                         ::testing::Values(OutOfRange{okTable, 0}, OutOfRange{okTable, 2},
                                           OutOfRange{okTable, -1}, OutOfRange{okView, 2},
                                           OutOfRange{okView, INT32_MAX},
                                           OutOfRange{okProcedure, 0},
                                           OutOfRange{okProcedure, INT32_MIN}));

TEST_F(Detail, AnotherKindEmptiesTheTreeAndIsRecorded) {
    TComparisonResult r;
    r.Views = rb::arr({rb::view("V", acEqual, false, "a", "a")});
    view.Differences(r);
    for (int32_t kind : {int32_t{okUser}, int32_t{okGroup}, 1, -1}) {
        EXPECT_FALSE(view.ShowDetails(kind, 1));
        EXPECT_EQ(grid.Rows(), 0);
        EXPECT_TRUE(grid.Redraw());
        EXPECT_EQ(view.DetailKind(), kind);
        EXPECT_EQ(view.shownAction(), std::nullopt);
    }
}

TEST_F(Detail, TheCopyIsTheViewsOwn) {
    TComparisonResult r;
    r.Views = rb::arr({rb::view("V", acEqual, false, "a", "a")});
    view.Differences(r);
    r.Views[1].Name = "Changed";
    r.Views.Clear();
    EXPECT_EQ(view.ShowDetails(okView, 1)->caption, "Details of View (V)");
    // A copy replaced by a smaller one: the element shown is gone.
    view.Differences(TComparisonResult{});
    EXPECT_EQ(view.shownAction(), std::nullopt);
}

// --- large elements

TEST_F(Detail, ATableOf255ColumnsShowsAndExpandsWhole) {
    TTable t = rb::table("Wide", acDifferent, false, {});
    for (int i = 1; i <= 255; ++i)
        t.Columns.Append() = rb::both("C" + std::to_string(i), rb::text(i), rb::text(255 - i));
    showTable(t);
    EXPECT_EQ(grid.Rows(), 1 + 255 * 13);
    view.tree().ExpandAll();
    EXPECT_EQ(rows(grid, true).size(), static_cast<size_t>(grid.Rows()));
    EXPECT_EQ(detailtest::rowLine(grid, grid.Rows() - 10), "2 Defined Size | 255 | 3 | 0");
}

TEST_F(Detail, AViewOf64KilobytesKeepsItsWholeText) {
    std::string text;
    while (text.size() < 64 * 1024) text += "SELECT Field" + std::to_string(text.size()) + "\r\n";
    TComparisonResult r;
    r.Views = rb::arr({rb::view("Big", acDifferent, false, text, text + "x")});
    view.Differences(r);
    const auto head = view.ShowDetails(okView, 1);
    EXPECT_EQ(head->sourceText, text);
    EXPECT_EQ(head->destinationText, text + "x");
    EXPECT_EQ(head->actionPicture, icon::Different);
}

}  // namespace

namespace {

// --- the grid's mouse, without a window

struct PressCase {
    const char* what;
    int button;
    float x, y;  // twips from the grid's top-left
    ui::grid::Scroll scroll;
    bool toggles;
};

void PrintTo(const PressCase& c, std::ostream* os) { *os << c.what; }

class Press : public Detail, public ::testing::WithParamInterface<PressCase> {};

// The first column's row (row 2, indent 18) is shown below the expanded group:
// its glyph covers pixels 18 to 33 of column 1, and rows start below the
// 18-pixel header.
TEST_P(Press, TogglesANodeOnlyLeftOfItsGlyphsRightEdge) {
    showTable(rb::table("T", acEqual, false, {rb::both("A", rb::integer(), rb::integer())}));
    view.tree().ToggleRow(1);
    const PressCase& c = GetParam();
    EXPECT_EQ(view.MouseDown(c.button, 0, c.x, c.y, c.scroll), c.toggles);
    EXPECT_EQ(view.tree().Glyph(2), c.toggles ? icon::Expanded : icon::Collapsed);
    EXPECT_TRUE(grid.Redraw());
}

constexpr float px(double pixels) { return static_cast<float>(pixels * 15); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Press,
    ::testing::Values(PressCase{"the glyph's last pixel", 1, px(33), px(41), {}, true},
                      PressCase{"a twip short of its right edge", 1, px(34) - 1, px(41), {}, true},
                      PressCase{"its right edge", 1, px(34), px(41), {}, false},
                      PressCase{"the indent left of it", 1, px(0), px(41), {}, true},
                      PressCase{"the kind icon", 1, px(40), px(41), {}, false},
                      PressCase{"the right button", 2, px(20), px(41), {}, false},
                      PressCase{"the middle button", 4, px(20), px(41), {}, false},
                      PressCase{"column 2", 1, px(300), px(41), {}, false},
                      PressCase{"the header", 1, px(20), px(10), {}, false},
                      PressCase{"below the rows", 1, px(20), px(200), {}, false},
                      PressCase{
                          "scrolled: the glyph's last pixel", 1, px(23), px(41), {10, 0}, true},
                      PressCase{"scrolled: its right edge", 1, px(24), px(41), {10, 0}, false}));

TEST_F(Detail, ADoubleClickDoesNotUndoWhatItsFirstPressToggled) {
    showTable(rb::table("T", acEqual, false, {rb::both("A", rb::integer(), rb::integer())}));
    ASSERT_TRUE(view.MouseDown(1, 0, px(8), px(27)));  // the group's glyph
    EXPECT_FALSE(view.DblClick(1, 1));                 // the same double click
    EXPECT_EQ(view.tree().Glyph(1), icon::Expanded);
    EXPECT_TRUE(view.DblClick(1, 1));  // a double click of its own (no press before it)
    EXPECT_EQ(view.tree().Glyph(1), icon::Collapsed);
    // A press off the glyph, then its double click: toggled once, by the double click.
    EXPECT_FALSE(view.MouseDown(1, 0, px(100), px(27)));
    EXPECT_TRUE(view.DblClick(1, 1));
    EXPECT_EQ(view.tree().Glyph(1), icon::Expanded);
}

TEST_F(Detail, ADoubleClickWhereNoGlyphIsDoesNothing) {
    showTable(rb::table("T", acEqual, false, {rb::both("A", rb::integer(), rb::integer())}));
    view.tree().ExpandAll();
    for (auto [row, column] :
         {std::pair{3, 1}, {2, 2}, {2, 3}, {2, 4}, {0, 1}, {2, 0}, {-1, 1}, {999, 1}, {2, 99}}) {
        EXPECT_FALSE(view.DblClick(row, column)) << row << "," << column;
    }
    EXPECT_EQ(view.tree().Glyph(2), icon::Expanded);
}

}  // namespace
