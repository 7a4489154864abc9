// SQL texts rebuilt from MSysQueries rows: each case is a small set of rows as
// Access stores them and the text the provider must report.
#include <gtest/gtest.h>

#include "jet/QueryText.h"
#include "jet/format/QuerySql.h"

namespace jet::format {
namespace {

QueryRow row(int attribute, std::string name1 = {}, std::string name2 = {},
             std::string expression = {}, int32_t flag = 0) {
    QueryRow r;
    r.attribute = attribute;
    r.name1 = std::move(name1);
    r.name2 = std::move(name2);
    r.expression = std::move(expression);
    r.flag = flag;
    return r;
}

struct SqlCase {
    const char* label;
    std::vector<QueryRow> rows;
    int32_t kind;
    const char* sql;
};

class QuerySqlCases : public ::testing::TestWithParam<SqlCase> {};

TEST_P(QuerySqlCases, BuildsTheTextAccessShows) {
    const auto& c = GetParam();
    const auto built = buildQuerySql(c.rows);
    EXPECT_EQ(built.kind, c.kind);
    EXPECT_EQ(built.sql, c.sql);
}

using namespace qattr;

const SqlCase kCases[] = {
    {"select star with distinctrow",
     {row(Type, "", "", "", 1), row(Flag, "", "", "", 0x08 | 0x01), row(Table, "Orders")},
     qkind::Select,
     "SELECT DISTINCTROW *\r\nFROM Orders;"},
    {"top percent, aliases that need brackets, descending order",
     {row(Type, "", "", "", 1), row(Flag, "25", "", "", 0x10 | 0x20),
      row(Table, "Order Details", "OD"), row(Column, "Unit Price", "", "OD.UnitPrice"),
      row(Column, "", "", "OD.Qty"), row(OrderBy, "D", "", "OD.UnitPrice"),
      row(OrderBy, "", "", "OD.Qty")},
     qkind::Select,
     "SELECT TOP 25 PERCENT OD.UnitPrice AS [Unit Price], OD.Qty\r\nFROM [Order Details] AS OD\r\n"
     "ORDER BY OD.UnitPrice DESC, OD.Qty;"},
    {"rows out of attribute order, group by and having, owner access",
     {row(Having, "", "", "Count(*)>1"), row(Column, "", "", "T.a"), row(Type, "", "", "", 1),
      row(GroupBy, "", "", "T.a"), row(Flag, "", "", "", 0x04), row(Table, "T"),
      row(Column, "n", "", "Count(*)"), row(Where, "", "", "T.a<>0")},
     qkind::Select,
     "SELECT T.a, Count(*) AS n\r\nFROM T\r\nWHERE T.a<>0\r\nGROUP BY T.a\r\nHAVING Count(*)>1\r\n"
     "WITH OWNERACCESS OPTION;"},
    {"joins nest and a second condition joins the same pair",
     {row(Type, "", "", "", 1), row(Table, "A"), row(Table, "B"), row(Table, "C"),
      row(Column, "", "", "A.x"), row(Join, "A", "C", "A.id = C.id", 2),
      row(Join, "C", "B", "C.id = B.id", 1), row(Join, "C", "B", "C.k = B.k", 1)},
     qkind::Select,
     "SELECT A.x\r\nFROM (A LEFT JOIN C ON A.id = C.id) INNER JOIN B ON (C.id = B.id) AND (C.k = "
     "B.k);"},
    {"a table joined under an alias, a table left out of every join",
     {row(Type, "", "", "", 1), row(Table, "T"), row(Table, "U"), row(Table, "T", "T_1"),
      row(Column, "", "", "T_1.v"), row(Join, "T", "T_1", "T.p = T_1.id", 3)},
     qkind::Select,
     "SELECT T_1.v\r\nFROM U, T RIGHT JOIN T AS T_1 ON T.p = T_1.id;"},
    {"parameters of every kind Jet stores, names bracketed",
     {row(Type, "", "", "", 1), row(Parameter, "From Date", "", "", 8),
      row(Parameter, "Who", "", "", 10), row(Parameter, "Forms!F!N", "", "", 4),
      row(Parameter, "Odd", "", "", 99), row(Table, "T"), row(Column, "", "", "T.a")},
     qkind::Select,
     "PARAMETERS [From Date] DateTime, [Who] Text ( 255 ), [Forms!F!N] Long, [Odd] Value;\r\n"
     "SELECT T.a\r\nFROM T;"},
    {"update with a join",
     {row(Type, "", "", "", 4), row(Table, "A"), row(Table, "B"),
      row(Join, "A", "B", "A.id=B.id", 1), row(Column, "", "A.x", "B.y"),
      row(Column, "", "[A].[z]", "\"k\""), row(Where, "", "", "B.y>0")},
     qkind::Update,
     "UPDATE A INNER JOIN B ON A.id=B.id\r\nSET A.x = B.y, [A].[z] = \"k\"\r\nWHERE B.y>0;"},
    {"delete",
     {row(Type, "", "", "", 5), row(Table, "T"), row(Column, "", "", "T.*"),
      row(Where, "", "", "T.a=1")},
     qkind::Delete,
     "DELETE T.*\r\nFROM T\r\nWHERE T.a=1;"},
    {"append into another database with target columns",
     {row(Type, "Archive", "C:\\old.mdb", "", 3), row(Table, "T"), row(Column, "", "a", "T.a"),
      row(Column, "", "b", "T.b")},
     qkind::Append,
     "INSERT INTO Archive IN 'C:\\old.mdb' ( a, b )\r\nSELECT T.a, T.b\r\nFROM T;"},
    {"append of a constant row has no FROM",
     {row(Type, "T", "", "", 3), row(Column, "Expr1", "", "1")},
     qkind::Append,
     "INSERT INTO T\r\nSELECT 1 AS Expr1;"},
    {"make table with a name that needs brackets",
     {row(Type, "New Table", "", "", 2), row(Table, "T"), row(Column, "", "", "T.a")},
     qkind::MakeTable,
     "SELECT T.a INTO [New Table]\r\nFROM T;"},
    {"crosstab: transform, row headings, pivot",
     {row(Type, "", "", "", 6), row(Table, "T"), row(Column, "Total", "", "Sum(T.v)", 0),
      row(Column, "", "", "T.r", 2), row(Column, "", "", "T.c", 1), row(GroupBy, "", "", "T.r", 2),
      row(GroupBy, "", "", "T.c", 1)},
     qkind::Crosstab,
     "TRANSFORM Sum(T.v) AS Total\r\nSELECT T.r\r\nFROM T\r\nGROUP BY T.r\r\nPIVOT T.c;"},
    {"union without ALL keeps its parts in order, order by after them",
     {row(Type, "", "", "", 9), row(Flag, "", "", "", 3),
      row(Table, "", "X7YZ_____2", " SELECT b FROM U;"),
      row(Table, "", "X7YZ_____1", "SELECT a FROM T\r\n"), row(OrderBy, "", "", "a")},
     qkind::Union,
     "SELECT a FROM T\r\nUNION SELECT b FROM U\r\nORDER BY a;"},
    {"union all",
     {row(Type, "", "", "", 9), row(Flag, "", "", "", 1),
      row(Table, "", "X7YZ_____1", "SELECT a FROM T"),
      row(Table, "", "X7YZ_____2", "SELECT b FROM U")},
     qkind::Union,
     "SELECT a FROM T\r\nUNION ALL SELECT b FROM U;"},
    {"pass-through keeps the statement as sent",
     {row(Type, "ODBC;DSN=x", "", "SELECT * FROM remote", 8)},
     qkind::PassThrough,
     "SELECT * FROM remote"},
    {"data definition keeps the statement",
     {row(Type, "", "", "CREATE TABLE T (a TEXT);", 7)},
     qkind::DataDefinition,
     "CREATE TABLE T (a TEXT);"},
    {"no type row reads as a select",
     {row(Table, "T"), row(Column, "", "", "T.a")},
     qkind::Select,
     "SELECT T.a\r\nFROM T;"},
};

INSTANTIATE_TEST_SUITE_P(Rows, QuerySqlCases, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return "case" + std::to_string(p.index); });

TEST(QuerySql, RowsOfOneAttributeFollowTheirOrderValue) {
    auto a = row(Column, "", "", "T.second");
    a.order = "\x02";
    auto b = row(Column, "", "", "T.first");
    b.order = "\x01";
    const auto built = buildQuerySql({row(Type, "", "", "", 1), row(Table, "T"), a, b});
    EXPECT_EQ(built.sql, "SELECT T.first, T.second\r\nFROM T;");
}

// The clause is written so that the rule both providers share reads it back.
TEST(QuerySql, ParametersClauseReadsBackThroughTheSharedRule) {
    const auto built =
        buildQuerySql({row(Type, "", "", "", 4), row(Parameter, "User Name", "", "", 10),
                       row(Parameter, "Forms!Dlg!Start", "", "", 8),
                       row(Parameter, "Pic", "", "", 11), row(Parameter, "Amount", "", "", 5),
                       row(Table, "T"), row(Column, "", "T.a", "[User Name]")});
    EXPECT_TRUE(built.hasParameters);
    const auto params = parametersOf(built.sql);
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[0].name, "User Name");
    EXPECT_EQ(params[0].type, 202);
    EXPECT_EQ(params[0].size, 255);
    EXPECT_EQ(params[1].name, "Forms!Dlg!Start");
    EXPECT_EQ(params[1].type, 7);
    EXPECT_EQ(params[2].type, 205);
    EXPECT_EQ(params[3].type, 6);
    EXPECT_EQ(classifyQuery(built.sql), QueryKind::Update);
}

TEST(QuerySql, QuoteNameLeavesPlainAndBracketedNamesAlone) {
    EXPECT_EQ(quoteName("Orders"), "Orders");
    EXPECT_EQ(quoteName("_x1"), "_x1");
    EXPECT_EQ(quoteName("[Order Details]"), "[Order Details]");
    EXPECT_EQ(quoteName("Order Details"), "[Order Details]");
    EXPECT_EQ(quoteName("1st"), "[1st]");
    EXPECT_EQ(quoteName("Umsätze"), "Umsätze");
}

// A table or alias spelt like a keyword would end the clause it stands in.
TEST(QuerySql, QuoteNameBracketsWordsOfJetSql) {
    EXPECT_EQ(quoteName("Order"), "[Order]");
    EXPECT_EQ(quoteName("select"), "[select]");
    EXPECT_EQ(quoteName("Group"), "[Group]");
    EXPECT_EQ(quoteName("Orders"), "Orders");
    const auto built = buildQuerySql({row(Type, "", "", "", 1), row(Table, "Order", "Where"),
                                      row(Column, "From", "", "[Where].x")});
    EXPECT_EQ(built.sql, "SELECT [Where].x AS [From]\r\nFROM [Order] AS [Where];");
}

}  // namespace
}  // namespace jet::format
