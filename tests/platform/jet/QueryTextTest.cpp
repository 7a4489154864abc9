#include <gtest/gtest.h>

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

TEST(QueryText, ALengthTooLongForThirtyTwoBitsStopsAtTheLargest) {
    const auto ps = jet::parametersOf(
        "PARAMETERS [a] Text (2147483647), [b] Text (2147483648), [c] Binary "
        "(99999999999999999999); SELECT 1");
    ASSERT_EQ(ps.size(), 3u);
    for (const auto& p : ps) EXPECT_EQ(p.size, 2147483647) << p.name;
}

}  // namespace
