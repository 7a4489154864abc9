// The executor against every statement shape the script generator writes, as
// the runner hands it over (CR LF framing, blank lines, with and without ";"),
// each checked through the catalog afterwards; and malformed input.
#include <functional>

#include "StoreTestSupport.h"

namespace {

using storetest::Db;
using storetest::errorOf;
using storetest::framed;

const char* kBase = R"(
CREATE TABLE [R] ([X] LONG, [Y] TEXT(10), CONSTRAINT [PrimaryKey] PRIMARY KEY ([X]));
CREATE UNIQUE INDEX [RXY] ON [R] ([X], [Y]);
CREATE TABLE [T] ([A] LONG, [B] TEXT(10), [O] TEXT(20));
CREATE TABLE [F] ([A] LONG, [B] TEXT(10), CONSTRAINT [FK] FOREIGN KEY ([A]) REFERENCES [R] ([X]));
CREATE INDEX [IxB] ON [F] ([B]);
CREATE PROCEDURE [P] AS PARAMETERS [n] LONG; DELETE FROM [T] WHERE [A] = [n];
CREATE VIEW [V] AS SELECT * FROM [T];
)";

struct Shape {
    const char* name;
    const char* statement;  // as written by the generator, before framing
    std::function<void(jet::Catalog&)> check;
};

jet::Table table(jet::Catalog& c, const char* name) { return c.Tables().Item(name); }

const Shape kShapes[] = {
    {"CreateTableWithCounter",
     "CREATE TABLE [N]\r\n(\r\n[A] COUNTER NOT NULL,\r\n[B] TEXT(50)\r\n);",
     [](jet::Catalog& c) {
         auto cols = table(c, "N").Columns();
         ASSERT_EQ(cols.Count(), 2);
         auto a = cols.Item(0);
         EXPECT_EQ(a.Name(), "A");
         EXPECT_EQ(a.Type(), 3);
         EXPECT_EQ(a.Attributes(), 1);  // fixed, not nullable
         EXPECT_TRUE(jet::toBool(a.Properties().Item(0).Value()));
         EXPECT_EQ(jet::toInt32(a.Properties().Item(5).Value()), 1);
         EXPECT_EQ(jet::toInt32(a.Properties().Item(6).Value()), 1);
         auto b = cols.Item(1);
         EXPECT_EQ(b.Type(), 202);
         EXPECT_EQ(b.DefinedSize(), 50);
         EXPECT_EQ(b.Attributes(), 2);
         EXPECT_TRUE(jet::isEmpty(b.Properties().Item(5).Value()));
     }},
    {"CompressionAfterCreate", "ALTER TABLE [T] ALTER COLUMN [B] TEXT(10) WITH COMPRESSION;",
     [](jet::Catalog& c) {
         EXPECT_TRUE(jet::toBool(table(c, "T").Columns().Item("B").Properties().Item(12).Value()));
     }},
    {"DropTable", "DROP TABLE [T];",
     [](jet::Catalog& c) { EXPECT_THROW((void)c.Tables().Item("T"), jet::Error); }},
    {"AddColumnCompressedNotNull",
     "ALTER TABLE [T] ADD COLUMN [New] TEXT(20) WITH COMPRESSION NOT NULL;",
     [](jet::Catalog& c) {
         auto col = table(c, "T").Columns().Item(3);
         EXPECT_EQ(col.Name(), "New");
         EXPECT_EQ(col.Attributes() & 2, 0);
         EXPECT_TRUE(jet::toBool(col.Properties().Item(12).Value()));
     }},
    {"RenameCopy", "UPDATE [T] SET [B]=[O];", [](jet::Catalog&) {}},
    {"DropColumn", "ALTER TABLE [T] DROP COLUMN [O];",
     [](jet::Catalog& c) { EXPECT_EQ(table(c, "T").Columns().Count(), 2); }},
    {"AlterColumnDecimalNotNull", "ALTER TABLE [T] ALTER COLUMN [A] DECIMAL(18,4) NOT NULL;",
     [](jet::Catalog& c) {
         auto a = table(c, "T").Columns().Item("A");
         EXPECT_EQ(a.Type(), 131);
         EXPECT_EQ(a.Precision(), 18);
         EXPECT_EQ(a.NumericScale(), 4);
         EXPECT_EQ(a.DefinedSize(), 19);
         EXPECT_EQ(a.Attributes(), 1);
     }},
    {"AddSeededCounter", "ALTER TABLE [T] ADD COLUMN [C] COUNTER(100,5);",
     [](jet::Catalog& c) {
         auto p = table(c, "T").Columns().Item("C").Properties();
         EXPECT_EQ(jet::toInt32(p.Item(5).Value()), 100);
         EXPECT_EQ(jet::toInt32(p.Item(6).Value()), 5);
     }},
    {"AddNegativeSeedCounter", "ALTER TABLE [T] ADD COLUMN [C] COUNTER(-1,1);",
     [](jet::Catalog& c) {
         EXPECT_EQ(jet::toInt32(table(c, "T").Columns().Item("C").Properties().Item(5).Value()), -1);
     }},
    {"DropForeignKey", "ALTER TABLE [F] DROP CONSTRAINT [FK];",
     [](jet::Catalog& c) {
         auto f = table(c, "F");
         EXPECT_EQ(f.Keys().Count(), 0);
         EXPECT_EQ(f.Indexes().Count(), 1);  // IxB stays; the key's own index went with it
     }},
    {"DropIndex", "DROP INDEX [IxB] ON [F];",
     [](jet::Catalog& c) { EXPECT_EQ(table(c, "F").Indexes().Count(), 1); }},
    {"DropPrimaryKeyIndexAfterItsRelationship", "DROP INDEX [PrimaryKey] ON [R];",
     [](jet::Catalog& c) {
         auto r = table(c, "R");
         EXPECT_EQ(r.Indexes().Count(), 1);
         EXPECT_EQ(r.Keys().Count(), 1);  // RXY, a unique key
         EXPECT_EQ(r.Keys().Item(0).Type(), 3);
     }},
    {"AddForeignKeyCascading",
     "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A]) REFERENCES [R] ([X]) ON UPDATE CASCADE "
     "ON DELETE CASCADE;",
     [](jet::Catalog& c) {
         auto k = table(c, "T").Keys().Item("K");
         EXPECT_EQ(k.Type(), 2);
         EXPECT_EQ(k.RelatedTable(), "R");
         EXPECT_EQ(k.UpdateRule(), 1);
         EXPECT_EQ(k.DeleteRule(), 1);
         EXPECT_EQ(k.Columns().Item(0).RelatedColumn(), "X");
         auto ix = table(c, "T").Indexes().Item("K");  // the index Jet keeps for it
         EXPECT_FALSE(ix.Unique());
         EXPECT_EQ(ix.Columns().Item(0).Name(), "A");
     }},
    {"AddForeignKeySetNull",
     "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A]) REFERENCES [R] ([X]) ON UPDATE SET NULL "
     "ON DELETE SET NULL;",
     [](jet::Catalog& c) {
         auto k = table(c, "T").Keys().Item("K");
         EXPECT_EQ(k.UpdateRule(), 2);
         EXPECT_EQ(k.DeleteRule(), 2);
     }},
    {"AddTwoColumnForeignKey",
     "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([A],[B]) REFERENCES [R] ([X],[Y]);",
     [](jet::Catalog& c) {
         auto k = table(c, "T").Keys().Item("K");
         ASSERT_EQ(k.Columns().Count(), 2);
         EXPECT_EQ(k.Columns().Item(1).Name(), "B");
         EXPECT_EQ(k.Columns().Item(1).RelatedColumn(), "Y");
         EXPECT_EQ(k.UpdateRule(), 0);
     }},
    {"AddPrimaryKey", "ALTER TABLE [T] ADD CONSTRAINT [PK] PRIMARY KEY ([A]);",
     [](jet::Catalog& c) {
         auto t = table(c, "T");
         EXPECT_EQ(t.Keys().Item("PK").Type(), 1);
         auto ix = t.Indexes().Item("PK");
         EXPECT_TRUE(ix.PrimaryKey());
         EXPECT_TRUE(ix.Unique());
         EXPECT_EQ(ix.IndexNulls(), 1);
     }},
    {"AddUnique", "ALTER TABLE [T] ADD CONSTRAINT [UQ] UNIQUE ([B]);",
     [](jet::Catalog& c) {
         auto t = table(c, "T");
         EXPECT_EQ(t.Keys().Item("UQ").Type(), 3);
         EXPECT_TRUE(t.Indexes().Item("UQ").Unique());
     }},
    {"CreateUniqueIndexIgnoreNull", "CREATE UNIQUE INDEX [IX] ON [T] ([A] ASC,[B] DESC) WITH IGNORE NULL;",
     [](jet::Catalog& c) {
         auto ix = table(c, "T").Indexes().Item("IX");
         EXPECT_TRUE(ix.Unique());
         EXPECT_FALSE(ix.PrimaryKey());
         EXPECT_EQ(ix.IndexNulls(), 2);
         EXPECT_EQ(ix.Columns().Item(0).SortOrder(), 1);
         EXPECT_EQ(ix.Columns().Item(1).SortOrder(), 2);
     }},
    {"CreatePrimaryIndex", "CREATE UNIQUE INDEX [PrimaryKey] ON [T] ([A] ASC) WITH PRIMARY;",
     [](jet::Catalog& c) {
         auto t = table(c, "T");
         EXPECT_TRUE(t.Indexes().Item("PrimaryKey").PrimaryKey());
         EXPECT_EQ(t.Keys().Item("PrimaryKey").Type(), 1);  // the primary index is the key
     }},
    {"CreateIndexDisallowNull", "CREATE INDEX [IX] ON [T] ([B] DESC) WITH DISALLOW NULL;",
     [](jet::Catalog& c) {
         auto ix = table(c, "T").Indexes().Item("IX");
         EXPECT_FALSE(ix.Unique());
         EXPECT_EQ(ix.IndexNulls(), 1);
         EXPECT_EQ(table(c, "T").Keys().Count(), 0);
     }},
    {"DropProcedure", "DROP PROCEDURE [P]",
     [](jet::Catalog& c) { EXPECT_EQ(c.Procedures().Count(), 0); }},
    {"DropView", "DROP VIEW [V]", [](jet::Catalog& c) { EXPECT_EQ(c.Views().Count(), 0); }},
};

class Shapes : public ::testing::TestWithParam<Shape> {};

TEST_P(Shapes, FramedStatementRunsAndShowsInCatalog) {
    const Shape& s = GetParam();
    for (const std::string& text : {framed(s.statement), std::string(s.statement)}) {
        Db db(kBase);
        // The key drop pass comes first in a script, so indexes of keys may go.
        if (std::string_view(s.name) == "DropPrimaryKeyIndexAfterItsRelationship")
            db.exec(framed("ALTER TABLE [F] DROP CONSTRAINT [FK];"));
        try {
            (void)db.exec(text);
        } catch (const jet::Error& e) {
            FAIL() << s.name << ": " << e.description();
        }
        s.check(db.cat);
    }
}

INSTANTIATE_TEST_SUITE_P(Generator, Shapes, ::testing::ValuesIn(kShapes),
                         [](const auto& p) { return std::string(p.param.name); });

// Queries as the generator writes them: a procedure over three lines with no
// blank line before RUN, a view as a procedure on one line.
TEST(StoreExecutor, QueriesKeepTheirTextAndLandByKind) {
    Db db(kBase);
    db.exec("\r\nCREATE PROCEDURE [Q1] \r\nAS \r\nPARAMETERS [p] TEXT(10), [q] LONG;\r\nSELECT * FROM [T] WHERE [B] = [p];\r\n");
    db.exec("\r\nCREATE PROCEDURE [Q2] AS \r\nSELECT [A]\r\nFROM [T];\r\n\r\n");
    db.exec("CREATE PROCEDURE [Q3] AS \t INSERT INTO [T] ([A]) VALUES (1) \r\n");
    db.exec("create view Q4 as\r\n(SELECT A FROM T) UNION (SELECT X FROM R)");
    db.exec("CREATE PROC [Q5] AS TRANSFORM Count(A) SELECT B FROM T GROUP BY B PIVOT O");
    auto procs = db.cat.Procedures();
    ASSERT_EQ(procs.Count(), 3);  // P, Q1, Q3
    auto q1 = procs.Item("Q1").Command();
    EXPECT_EQ(q1.CommandText(), "PARAMETERS [p] TEXT(10), [q] LONG;\r\nSELECT * FROM [T] WHERE [B] = [p];");
    ASSERT_EQ(q1.Parameters().Count(), 2);
    EXPECT_EQ(q1.Parameters().Item(0).Name(), "p");
    EXPECT_EQ(q1.Parameters().Item(0).Type(), 202);
    EXPECT_EQ(q1.Parameters().Item(0).Size(), 10);
    EXPECT_EQ(procs.Item("Q3").Command().CommandText(), "INSERT INTO [T] ([A]) VALUES (1)");
    auto views = db.cat.Views();
    ASSERT_EQ(views.Count(), 4);  // V, Q2, Q4, Q5
    EXPECT_EQ(views.Item("Q2").Command().CommandText(), "SELECT [A]\r\nFROM [T];");
    EXPECT_EQ(db.cat.Tables().Item("Q2").Type(), "VIEW");
}

// Every column type text of the generator, and Jet's synonyms.
TEST(StoreExecutor, TypeTextsAndSynonyms) {
    struct Case {
        const char* type;
        int32_t code;
        int32_t size;
        int precision;
        int scale;
        bool fixed;
    };
    const Case cases[] = {
        {"YESNO", 11, 2, 0, 0, true},          {"BIT", 11, 2, 0, 0, true},
        {"LOGICAL", 11, 2, 0, 0, true},        {"CURRENCY", 6, 8, 19, 4, true},
        {"MONEY", 6, 8, 19, 4, true},          {"DATETIME", 7, 8, 0, 0, true},
        {"DATE", 7, 8, 0, 0, true},            {"TIME", 7, 8, 0, 0, true},
        {"DOUBLE", 5, 8, 15, 0, true},         {"FLOAT", 5, 8, 15, 0, true},
        {"NUMBER", 5, 8, 15, 0, true},         {"GUID", 72, 16, 0, 0, true},
        {"UNIQUEIDENTIFIER", 72, 16, 0, 0, true}, {"INTEGER", 3, 4, 10, 0, true},
        {"LONG", 3, 4, 10, 0, true},           {"INT", 3, 4, 10, 0, true},
        {"INTEGER4", 3, 4, 10, 0, true},       {"OLEOBJECT", 205, 0, 0, 0, false},
        {"LONGBINARY", 205, 0, 0, 0, false},   {"IMAGE", 205, 0, 0, 0, false},
        {"MEMO", 203, 0, 0, 0, false},         {"LONGTEXT", 203, 0, 0, 0, false},
        {"NOTE", 203, 0, 0, 0, false},         {"DECIMAL(18,4)", 131, 19, 18, 4, true},
        {"NUMERIC(10,2)", 131, 19, 10, 2, true}, {"SINGLE", 4, 4, 7, 0, true},
        {"REAL", 4, 4, 7, 0, true},            {"FLOAT4", 4, 4, 7, 0, true},
        {"SMALLINT", 2, 2, 5, 0, true},        {"SHORT", 2, 2, 5, 0, true},
        {"BYTE", 17, 1, 3, 0, true},           {"TINYINT", 17, 1, 3, 0, true},
        {"TEXT(255)", 202, 255, 0, 0, false},  {"TEXT", 202, 255, 0, 0, false},
        {"VARCHAR(30)", 202, 30, 0, 0, false}, {"CHAR(5)", 130, 5, 0, 0, true},
        {"NCHAR(5)", 130, 5, 0, 0, true},      {"BINARY(8)", 128, 8, 0, 0, true},
        {"VARBINARY(8)", 204, 8, 0, 0, false}, {"counter", 3, 4, 10, 0, true},
    };
    std::string sql = "CREATE TABLE [All] (";
    for (size_t i = 0; i < std::size(cases); ++i)
        sql += (i ? ", [c" : "[c") + std::to_string(i) + "] " + cases[i].type;
    sql += ")";
    Db db;
    db.exec(sql);
    auto cols = db.cat.Tables().Item("All").Columns();
    ASSERT_EQ(cols.Count(), static_cast<int>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        auto col = cols.Item(static_cast<int>(i));
        SCOPED_TRACE(c.type);
        EXPECT_EQ(col.Type(), c.code);
        EXPECT_EQ(col.DefinedSize(), c.size);
        EXPECT_EQ(col.Precision(), c.precision);
        EXPECT_EQ(col.NumericScale(), c.scale);
        EXPECT_EQ((col.Attributes() & 1) != 0, c.fixed);
        EXPECT_EQ(jet::toBool(col.Properties().Item(4).Value()), c.fixed);
    }
}

TEST(StoreExecutor, KeywordsInAnyCaseBareNamesTabsAndSemicolon) {
    Db db;
    db.exec("\tcreate\ttable Items (id long not null constraint pk primary key, [Odd Name] text(5) with comp);\r\n");
    db.exec("Alter Table items Add Column Extra memo");
    db.exec("create unique index ux on ITEMS ([odd name] desc);");
    auto t = db.cat.Tables().Item("Items");
    EXPECT_EQ(t.Columns().Count(), 3);
    EXPECT_EQ(t.Columns().Item(0).Attributes() & 2, 0);
    EXPECT_TRUE(jet::toBool(t.Columns().Item(1).Properties().Item(12).Value()));
    EXPECT_EQ(t.Keys().Item("pk").Type(), 1);
    EXPECT_EQ(t.Indexes().Item("UX").Columns().Item(0).Name(), "Odd Name");
}

// The same names in brackets, and bare words Jet reserves only as functions,
// types or properties, name objects.
TEST(StoreExecutor, ReservedWordsNameObjectsInBracketsAndOtherBareWordsAsTheyAre) {
    Db db;
    db.exec(
        "CREATE TABLE [Select] ([From] TEXT(10), [Order] LONG, Name TEXT(5), Date DATETIME, "
        "Key LONG, Value LONG, Level LONG)");
    db.exec("CREATE INDEX [Where] ON [Select] ([Order], Name)");
    auto t = db.cat.Tables().Item("Select");
    EXPECT_EQ(t.Columns().Count(), 7);
    EXPECT_EQ(t.Columns().Item(0).Name(), "From");
    EXPECT_EQ(t.Columns().Item(4).Name(), "Key");
    EXPECT_EQ(t.Indexes().Item("Where").Columns().Item(1).Name(), "Name");
}

struct Malformed {
    const char* name;
    const char* statement;
    int32_t number;
    const char* contains;  // in the description: the statement and the position
};

const Malformed kMalformed[] = {
    {"EmptyType", "ALTER TABLE [T] ADD COLUMN [C] ;", jet::hr::SyntaxError,
     "ALTER TABLE statement at position 32"},
    {"EmptyTypeInCreate", "\r\nCREATE TABLE [N]\r\n(\r\n[A] LONG,\r\n[C] \r\n);\r\n\r\n",
     jet::hr::SyntaxError, "CREATE TABLE statement at position 41"},
    {"EmptyCommand", "", jet::hr::NoCommand, ""},
    {"BlankCommand", "\r\n\r\n \t\r\n", jet::hr::NoCommand, ""},
    {"UnknownStatement", "\r\nFROB TABLE [T];", jet::hr::SyntaxError, "position 3"},
    {"MissingBracket", "DROP TABLE [T;", jet::hr::SyntaxError,
     "DROP TABLE statement at position 12"},
    {"MissingBracketInColumn", "CREATE TABLE [N] ([A LONG)", jet::hr::SyntaxError, "position 19"},
    {"UnknownType", "CREATE TABLE [N] ([A] WIBBLE)", jet::hr::SyntaxError, "position 23"},
    {"TextTooLong", "CREATE TABLE [N] ([A] TEXT(300))", jet::hr::SyntaxError, "position 28"},
    {"TrailingText", "DROP TABLE [T] [U]", jet::hr::SyntaxError, "position 16"},
    {"TwoStatements", "DROP TABLE [T]; DROP TABLE [F]", jet::hr::SyntaxError, "position 17"},
    {"IndexWithoutColumns", "CREATE INDEX [I] ON [T] ()", jet::hr::SyntaxError, "CREATE INDEX"},
    {"ViewWithoutBody", "CREATE VIEW [W] AS \r\n", jet::hr::SyntaxError, "CREATE VIEW"},
    {"SecondDmlStatement", "DELETE FROM [T] WHERE [A] = 1; DROP TABLE [F]", jet::hr::SyntaxError,
     "DELETE statement at position 30"},
    {"UnknownTable", "ALTER TABLE [Nope] ADD COLUMN [C] LONG;", jet::hr::NoTable, "Nope"},
    // Jet's own words name something only in brackets.
    {"ReservedWordAsTableName", "CREATE TABLE Select (From TEXT(10));", jet::hr::SyntaxError,
     "CREATE TABLE statement at position 14"},
    {"ReservedWordAsColumnName", "CREATE TABLE [N] ([A] LONG, From TEXT(10))", jet::hr::SyntaxError,
     "CREATE TABLE statement at position 29"},
    {"ReservedWordAsAddedColumn", "ALTER TABLE [T] ADD COLUMN Order LONG", jet::hr::SyntaxError,
     "ALTER TABLE statement at position 28"},
    {"ReservedWordAsIndexName", "CREATE INDEX Where ON [T] ([A])", jet::hr::SyntaxError,
     "CREATE INDEX statement at position 14"},
    {"ReservedWordAsIndexColumn", "CREATE INDEX [I] ON [T] (Group)", jet::hr::SyntaxError,
     "CREATE INDEX statement at position 26"},
    {"ReservedWordAsTableDropped", "DROP TABLE Table", jet::hr::SyntaxError,
     "DROP TABLE statement at position 12"},
    {"ReservedWordAsConstraint", "ALTER TABLE [T] ADD CONSTRAINT Unique UNIQUE ([A])",
     jet::hr::SyntaxError, "ALTER TABLE statement at position 32"},
};

class MalformedInput : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedInput, FailsNamingThePositionAndChangesNothing) {
    const Malformed& m = GetParam();
    Db db(kBase);
    const std::string before = storetest::dump(db.cat);
    const auto e = errorOf([&] { db.exec(m.statement); });
    EXPECT_EQ(e.number(), m.number) << e.description();
    EXPECT_NE(e.description().find(m.contains), std::string::npos) << e.description();
    EXPECT_EQ(storetest::dump(db.cat), before);
}

INSTANTIATE_TEST_SUITE_P(Executor, MalformedInput, ::testing::ValuesIn(kMalformed),
                         [](const auto& p) { return std::string(p.param.name); });

// A statement that fails half way (the second inline constraint) leaves
// nothing of its first half behind.
TEST(StoreExecutor, FailedStatementIsAllOrNothing) {
    Db db(kBase);
    const std::string before = storetest::dump(db.cat);
    const auto e = errorOf([&] {
        db.exec("CREATE TABLE [N] ([A] LONG CONSTRAINT [PK] PRIMARY KEY, [B] LONG, "
                "CONSTRAINT [FK2] FOREIGN KEY ([B]) REFERENCES [Missing] ([X]))");
    });
    EXPECT_EQ(e.number(), jet::hr::NoTable);
    EXPECT_EQ(storetest::dump(db.cat), before);
    // The session goes on normally afterwards.
    db.exec("CREATE TABLE [N] ([A] LONG)");
    EXPECT_EQ(db.cat.Tables().Item("N").Columns().Count(), 1);
}

struct Refusal {
    const char* name;
    const char* statement;
    jet::Err error;
};

const Refusal kRefusals[] = {
    {"IndexOfRelationship", "DROP INDEX [FK] ON [F];", jet::Err::IndexInRelationship},
    {"KeyARelationshipUses", "DROP INDEX [PrimaryKey] ON [R];", jet::Err::IndexInRelationship},
    {"ReferencedTable", "DROP TABLE [R];", jet::Err::TableInRelationship},
    {"ColumnInIndex", "ALTER TABLE [F] DROP COLUMN [B];", jet::Err::FieldInIndex},
    {"RetypeRelationshipColumn", "ALTER TABLE [F] ALTER COLUMN [A] TEXT(10);", jet::Err::FieldInRelationship},
    {"RetypeRelatedColumn", "ALTER TABLE [R] ALTER COLUMN [X] DOUBLE;", jet::Err::FieldInRelationship},
    {"CounterOnData", "ALTER TABLE [T] ALTER COLUMN [A] COUNTER;", jet::Err::CounterOnData},
    {"SecondPrimaryKey", "ALTER TABLE [R] ADD CONSTRAINT [P2] PRIMARY KEY ([Y]);",
     jet::Err::PrimaryKeyExists},
    {"TableExists", "CREATE TABLE [t] ([Z] LONG);", jet::Err::TableExists},
    {"FieldExists", "ALTER TABLE [T] ADD COLUMN [a] LONG;", jet::Err::FieldExists},
    {"IndexExists", "CREATE INDEX [ixb] ON [F] ([A]);", jet::Err::IndexExists},
    {"NoSuchConstraint", "ALTER TABLE [T] DROP CONSTRAINT [Nope];", jet::Err::ConstraintNotFound},
    {"ReferenceWithoutKey", "ALTER TABLE [T] ADD CONSTRAINT [K] FOREIGN KEY ([B]) REFERENCES [R] ([Y]);",
     jet::Err::NoUniqueIndex},
    {"ReservedName", "CREATE TABLE [msysThings] ([A] LONG);", jet::Err::ReservedName},
    {"QueryNameTaken", "CREATE VIEW [t] AS SELECT 1", jet::Err::ObjectExists},
};

TEST(StoreExecutor, JetRefusals) {
    for (const auto& r : kRefusals) {
        SCOPED_TRACE(r.name);
        Db db(kBase);
        db.exec("INSERT INTO [T] ([A], [B]) VALUES (1, 'x')");
        const std::string before = storetest::dump(db.cat);
        const auto e = errorOf([&] { db.exec(r.statement); });
        EXPECT_EQ(e.number(), jet::errorEntry(r.error).number) << e.description();
        EXPECT_EQ(e.description().rfind(storetest::textOf(r.error), 0), 0u) << e.description();
        EXPECT_EQ(storetest::dump(db.cat), before);
    }
    Db db("CREATE TABLE [One] ([A] LONG)");
    EXPECT_EQ(errorOf([&] { db.exec("ALTER TABLE [One] DROP COLUMN [A]"); }).description(),
              jet::makeError(jet::Err::LastColumn, {"A", "One"}).description());
}

}  // namespace
