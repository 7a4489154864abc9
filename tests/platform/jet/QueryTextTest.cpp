#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "jet/QueryText.h"

namespace {

TEST(QueryText, ClassifiesEveryKind) {
    struct {
        const char* sql;
        jet::QueryKind kind;
        bool view;
    } cases[] = {
        {"SELECT * FROM T", jet::QueryKind::Select, true},
        {"  select a INTO T2 FROM T", jet::QueryKind::MakeTable, false},
        {"SELECT (SELECT x INTO y FROM z) FROM T", jet::QueryKind::Select, true},
        {"SELECT a FROM T UNION SELECT a FROM U", jet::QueryKind::Union, true},
        {"(SELECT a FROM T) UNION (SELECT a FROM U)", jet::QueryKind::Union, true},
        {"TRANSFORM Sum(x) SELECT a FROM T GROUP BY a PIVOT b", jet::QueryKind::Crosstab, true},
        {"INSERT INTO T SELECT * FROM U", jet::QueryKind::Append, false},
        {"UPDATE T SET a=1", jet::QueryKind::Update, false},
        {"DELETE * FROM T", jet::QueryKind::Delete, false},
        {"CREATE TABLE X (a TEXT)", jet::QueryKind::DataDefinition, false},
        {"PARAMETERS [p] Long; SELECT * FROM T WHERE a=[p]", jet::QueryKind::Select, false},
        {"SELECT '[INTO' FROM T", jet::QueryKind::Select, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jet::classifyQuery(c.sql), c.kind) << c.sql;
        EXPECT_EQ(jet::isViewQuery(c.sql), c.view) << c.sql;
    }
}

TEST(QueryText, ReadsParameters) {
    const auto ps = jet::parametersOf(
        "PARAMETERS [Start Date] DateTime, n Long, [t] Text (50), m Text, v Value;\r\nSELECT 1");
    ASSERT_EQ(ps.size(), 5u);
    EXPECT_EQ(ps[0].name, "Start Date");
    EXPECT_EQ(ps[0].type, 7);
    EXPECT_EQ(ps[1].type, 3);
    EXPECT_EQ(ps[2].type, 202);
    EXPECT_EQ(ps[2].size, 50);
    EXPECT_EQ(ps[3].size, 255);
    EXPECT_EQ(ps[4].type, 12);
    EXPECT_TRUE(jet::parametersOf("SELECT 1").empty());
}

struct Param {
    std::string name;
    int32_t type;
    int32_t size;
    bool operator==(const Param&) const = default;
};

void PrintTo(const Param& p, std::ostream* os) {
    *os << "{\"" << p.name << "\", " << p.type << ", " << p.size << "}";
}

struct ClauseCase {
    const char* sql;
    std::vector<Param> params;
};

void PrintTo(const ClauseCase& c, std::ostream* os) { *os << c.sql; }

class ParameterClauses : public ::testing::TestWithParam<ClauseCase> {};

TEST_P(ParameterClauses, ReadEveryParameterWithItsWholeName) {
    const auto& c = GetParam();
    std::vector<Param> got;
    for (const auto& p : jet::parametersOf(c.sql)) got.push_back({p.name, p.type, p.size});
    EXPECT_EQ(got, c.params) << c.sql;
}

const ClauseCase kClauses[] = {
    // Form references, as Access writes them in its SQL view.
    {"PARAMETERS [Forms]![Sales by Year Dialog]![BeginningDate] DateTime, [Forms]![Sales by "
     "Year Dialog]![EndingDate] DateTime;\r\nSELECT 1",
     {{"[Forms]![Sales by Year Dialog]![BeginningDate]", 7, 0},
      {"[Forms]![Sales by Year Dialog]![EndingDate]", 7, 0}}},
    {"PARAMETERS [a] Long, [Forms]![D]![B] DateTime, [c] Text(10); SELECT 1",
     {{"a", 3, 0}, {"[Forms]![D]![B]", 7, 0}, {"c", 202, 10}}},
    // Bare parts, mixed parts and "." between parts.
    {"PARAMETERS Forms!D!B Short, Forms![My Dialog].Date Long; SELECT 1",
     {{"Forms!D!B", 2, 0}, {"Forms![My Dialog].Date", 3, 0}}},
    // Brackets around the whole reference: one part (the file provider writes this).
    {"PARAMETERS [Forms!Sales by Year Dialog!BeginningDate] DateTime; SELECT 1",
     {{"Forms!Sales by Year Dialog!BeginningDate", 7, 0}}},
    {"PARAMETERS [Start Date] DateTime, [End  Date ] Currency; SELECT 1",
     {{"Start Date", 7, 0}, {"End  Date ", 6, 0}}},
    // No ";": the clause ends with the text, or at the first thing that is not a comma.
    {"PARAMETERS [a] Long, [b]![c] Text", {{"a", 3, 0}, {"[b]![c]", 202, 255}}},
    {"PARAMETERS [a] Long\r\nSELECT * FROM T WHERE x=[a], y", {{"a", 3, 0}}},
    {"  parameters [a]   Text ( 20 ) ,\r\n  [b] Value ;SELECT 1", {{"a", 202, 20}, {"b", 12, 0}}},
    {"PARAMETERS [p] Unknown, [q] Bit; SELECT 1", {{"p", 12, 0}, {"q", 11, 0}}},
    {"PARAMETERS ; SELECT 1", {}},
    {"SELECT [Forms]![D]![B] FROM T", {}},
};

INSTANTIATE_TEST_SUITE_P(Clauses, ParameterClauses, ::testing::ValuesIn(kClauses));

TEST(QueryText, ALengthTooLongForThirtyTwoBitsStopsAtTheLargest) {
    const auto ps = jet::parametersOf(
        "PARAMETERS [a] Text (2147483647), [b] Text (2147483648), [c] Binary "
        "(99999999999999999999); SELECT 1");
    ASSERT_EQ(ps.size(), 3u);
    for (const auto& p : ps) EXPECT_EQ(p.size, 2147483647) << p.name;
}

}  // namespace
