// Procedures (text and parameters) and views (text).
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"
#include "text/Trim.h"

using namespace enginetest;
using namespace engine;

namespace {

ParameterData param(std::string name, int32_t type = adtype::Integer, int32_t size = 0) {
    return ParameterData{std::move(name), type, size};
}

}  // namespace

struct TextCase {
    const char* source;
    const char* destination;
    int32_t action;
};

class QueryText : public ::testing::TestWithParam<TextCase> {};

TEST_P(QueryText, IsComparedTrimmedOfSpacesWithoutRegardToCase) {
    Bench b;
    b.source.data.views = {query("V", GetParam().source)};
    b.destination.data.views = {query("V", GetParam().destination)};
    b.source.data.procedures = {query("P", GetParam().source)};
    b.destination.data.procedures = {query("P", GetParam().destination)};
    const auto& r = b.compare();
    ASSERT_EQ(r.Views.UBound(), 1);
    ASSERT_EQ(r.Procedures.UBound(), 1);
    EXPECT_EQ(r.Views[1].Action, GetParam().action);
    EXPECT_EQ(r.Procedures[1].Action, GetParam().action);
    EXPECT_EQ(r.Views[1].Source.CommandText, std::string(text::trimSpaces(GetParam().source)));
    EXPECT_EQ(r.Procedures[1].Destination.CommandText,
              std::string(text::trimSpaces(GetParam().destination)));
}

INSTANTIATE_TEST_SUITE_P(
    Queries, QueryText,
    ::testing::Values(TextCase{"SELECT * FROM T", "SELECT * FROM T", 0},
                      TextCase{"SELECT * FROM T", "select * from t", 0},
                      TextCase{"  SELECT * FROM T ", "SELECT * FROM T", 0},
                      TextCase{"SELECT * FROM T", "SELECT *  FROM T", 1},
                      TextCase{"SELECT * FROM T", "SELECT * FROM T\r\n", 1},
                      TextCase{"\tSELECT * FROM T", "SELECT * FROM T", 1},
                      TextCase{"SELECT * FROM T", "SELECT * FROM U", 1}));

TEST(Queries, NoneOnEitherSideRaisesNoEvent) {
    Bench b;
    b.source.data.tables = {makeTable("T", {})};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    EXPECT_EQ(r.Procedures.UBound(), 0);
    EXPECT_EQ(r.Views.UBound(), 0);
    EXPECT_TRUE(std::all_of(rec.events.begin(), rec.events.end(),
                            [](const auto& e) { return e.kind == okTable; }));
}

TEST(Queries, BothPassesAnnounceEveryObjectOfTheirSide) {
    Bench b;
    b.source.data.procedures = {query("Alpha", "DELETE FROM T"), query("Beta", "DELETE FROM U")};
    b.destination.data.procedures = {query("ALPHA", "DELETE FROM T"), query("Gamma", "DELETE FROM V")};
    b.destination.data.views = {query("Only", "SELECT 1")};
    Recorder rec;
    b.engine->setEvents(&rec);
    const auto& r = b.compare();
    const std::vector<ComparingEvent> expected = {
        {"Alpha", okProcedure, 5, 1}, {"Beta", okProcedure, 5, 2}, {"ALPHA", okProcedure, 5, 3},
        {"Gamma", okProcedure, 5, 4}, {"Only", okView, 5, 5}};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(entries(r.Procedures), (std::vector<Entry>{{"Alpha", 0}, {"Beta", 3}, {"Gamma", 2}}));
    EXPECT_EQ(entries(r.Views), (std::vector<Entry>{{"Only", 2}}));
    EXPECT_EQ(r.Views[1].Source.CommandText, "");
    EXPECT_EQ(r.Views[1].Destination.CommandText, "SELECT 1");
}

struct ParameterCase {
    const char* what;
    std::vector<ParameterData> source;
    std::vector<ParameterData> destination;
    std::vector<Entry> sourceList;
    std::vector<Entry> destinationList;
    int32_t action;
};

class Parameters : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(Parameters, AreMatchedByNameAndComparedByTypeAndSize) {
    const ParameterCase& c = GetParam();
    Bench b;
    b.source.data.procedures = {query("P", "PARAMETERS x; SELECT 1", c.source)};
    b.destination.data.procedures = {query("P", "PARAMETERS x; SELECT 1", c.destination)};
    const auto& r = b.compare();
    ASSERT_EQ(r.Procedures.UBound(), 1);
    const TProcedure& p = r.Procedures[1];
    EXPECT_EQ(entries(p.Source.Parameters), c.sourceList) << c.what;
    EXPECT_EQ(entries(p.Destination.Parameters), c.destinationList) << c.what;
    EXPECT_EQ(p.Action, c.action) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Queries, Parameters,
    ::testing::Values(
        ParameterCase{"equal", {param("a"), param("b")}, {param("a"), param("b")},
                      {{"a", 0}, {"b", 0}}, {{"a", 0}, {"b", 0}}, 0},
        ParameterCase{"another order, other letter case", {param("a"), param("b")}, {param("B"), param("A")},
                      {{"a", 0}, {"b", 0}}, {{"B", 0}, {"A", 0}}, 0},
        ParameterCase{"type", {param("a", adtype::Integer)}, {param("a", adtype::Double)}, {{"a", 1}},
                      {{"a", 1}}, 1},
        ParameterCase{"size", {param("a", adtype::VarWChar, 50)}, {param("a", adtype::VarWChar, 60)},
                      {{"a", 1}}, {{"a", 1}}, 1},
        ParameterCase{"only in the destination", {param("a")}, {param("a"), param("z")}, {{"a", 0}},
                      {{"a", 0}, {"z", 2}}, 1},
        ParameterCase{"only in the source", {param("a"), param("z")}, {param("a")}, {{"a", 0}, {"z", 3}},
                      {{"a", 0}}, 1},
        ParameterCase{"none", {}, {}, {}, {}, 0}),
    CaseIndex{});

TEST(Queries, OneSidedProceduresListTheirParametersOnTheirSide) {
    Bench b;
    b.source.data.procedures = {query("S", " DELETE FROM T ", {param("x", adtype::VarWChar, 255)})};
    b.destination.data.procedures = {query("D", "DELETE FROM U", {param("y"), param("z")})};
    const auto& r = b.compare();
    ASSERT_EQ(r.Procedures.UBound(), 2);
    const TProcedure& s = r.Procedures[1];
    EXPECT_EQ(s.Name, "S");
    EXPECT_EQ(s.Action, acOnlyInSource);
    EXPECT_EQ(s.Source.CommandText, "DELETE FROM T");
    EXPECT_EQ(entries(s.Source.Parameters), (std::vector<Entry>{{"x", 3}}));
    EXPECT_EQ(s.Source.Parameters[1].Type, adtype::VarWChar);
    EXPECT_EQ(s.Source.Parameters[1].Size, 255);
    EXPECT_EQ(s.Destination, TProcedureProps{});
    const TProcedure& d = r.Procedures[2];
    EXPECT_EQ(d.Action, acOnlyInDestination);
    EXPECT_EQ(entries(d.Destination.Parameters), (std::vector<Entry>{{"y", 2}, {"z", 2}}));
    EXPECT_EQ(d.Source, TProcedureProps{});
}

TEST(Queries, AParameterTypeBeyondSixteenBitsEndsTheComparison) {
    Bench b;
    b.source.data.procedures = {query("P", "x", {param("a", 70000)})};
    EXPECT_THROW((void)b.engine->CompareDatabases(), jet::Error);
}
