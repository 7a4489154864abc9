// Column properties by position, as the runner's column-property lines set
// them (text values), and the store builder's statement splitting.
#include "StoreTestSupport.h"

namespace {

using storetest::Db;
using storetest::errorOf;

const char* kTable = "CREATE TABLE [T] ([ID] COUNTER, [Name] TEXT(20), [Flag] YESNO)";

TEST(StoreProperties, TextValuesConvertToThePropertysType) {
    Db db(kTable);
    auto props = [&](const char* col) { return db.cat.Tables().Item("T").Columns().Item(col).Properties(); };
    // Defaults of a new column.
    auto name = props("Name");
    EXPECT_EQ(jet::toText(name.Item(1).Value()), "");
    EXPECT_TRUE(std::holds_alternative<std::string>(name.Item(1).Value()));
    EXPECT_EQ(name.Item(13).Value(), jet::Variant(false));
    EXPECT_EQ(name.Item(14).Value(), jet::Variant(false));

    const struct {
        int position;
        const char* text;
        jet::Variant expected;
    } cases[] = {
        {1, "'none'", std::string("'none'")},
        {2, "Remarks; with a semicolon ", std::string("Remarks; with a semicolon ")},
        {13, "-1", true},
        {13, "0", false},
        {13, "True", true},
        {13, "7", true},
        {12, "false", false},
        {3, "0", false},
        {7, "Must be short", std::string("Must be short")},
        {8, "Len([Name]) < 5", std::string("Len([Name]) < 5")},
        {14, "-1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        props("Name").Item(c.position).Value(std::string(c.text));
        EXPECT_EQ(props("Name").Item(c.position).Value(), c.expected);
    }
    EXPECT_EQ(db.cat.Tables().Item("T").Columns().Item("Name").Attributes() & 2, 0);  // Nullable 0

    // What does not convert fails and changes nothing.
    const std::string before = storetest::dump(db.cat);
    const auto bad = errorOf([&] { props("Name").Item(13).Value(std::string("maybe")); });
    EXPECT_EQ(bad.description(),
              jet::makeError(jet::Err::PropertyValueInvalid, {"maybe", "Jet OLEDB:Allow Zero Length"})
                  .description());
    for (int readOnly : {0, 4, 9, 10, 11})
        EXPECT_EQ(errorOf([&] { props("Name").Item(readOnly).Value(std::string("-1")); }).number(),
                  jet::errorEntry(jet::Err::PropertyReadOnly).number)
            << readOnly;
    EXPECT_THROW(props("Name").Item(5).Value(std::string("10")), jet::Error);  // not a counter
    EXPECT_EQ(storetest::dump(db.cat), before);
}

TEST(StoreProperties, WritesShowInLaterReadsWhetherOrNotOldHandlesAreHeld) {
    Db db(kTable);
    auto column = [&] { return db.cat.Tables().Item("T").Columns().Item("Name"); };
    // Nothing held between write and read: the snapshot is brought up to date in place.
    column().Properties().Item(2).Value(std::string("first"));
    EXPECT_EQ(jet::toText(column().Properties().Item(2).Value()), "first");
    // A handle held across the write keeps what it read; a fresh read sees the write.
    const auto held = column();
    column().Properties().Item(2).Value(std::string("second"));
    EXPECT_EQ(jet::toText(held.Properties().Item(2).Value()), "first");
    EXPECT_EQ(jet::toText(column().Properties().Item(2).Value()), "second");
    // The nullable property changes the attributes as well.
    column().Properties().Item(3).Value(std::string("0"));
    EXPECT_EQ(column().Attributes() & 2, 0);
    // The same, as another connection reads it.
    jet::Catalog other;
    other.ActiveConnection(jet::testing::storeConnectionString(db.path));
    EXPECT_EQ(jet::toText(other.Tables().Item("T").Columns().Item("Name").Properties().Item(2).Value()),
              "second");
}

TEST(StoreProperties, SeedOfACounterSetsTheNextValueAndPropertiesSurviveReopen) {
    Db db(kTable);
    db.exec("INSERT INTO [T] ([Name]) VALUES ('a')");
    auto idProps = db.cat.Tables().Item("T").Columns().Item("ID").Properties();
    idProps.Item(5).Value(std::string("50"));
    idProps.Item(6).Value(std::string("10"));
    db.exec("INSERT INTO [T] ([Name]) VALUES ('b')");
    db.exec("INSERT INTO [T] ([Name]) VALUES ('c')");
    EXPECT_EQ(db.rows("SELECT ID FROM T ORDER BY rowid"),
              (std::vector<jet::testing::Row>{{"1"}, {"50"}, {"60"}}));
    EXPECT_THROW(idProps.Item(6).Value(std::string("x")), jet::Error);
    db.cat.Tables().Item("T").Columns().Item("Flag").Properties().Item(2).Value(std::string("Yes or no"));
    db.exec("ALTER TABLE [T] ALTER COLUMN [Flag] SMALLINT");  // a new type keeps the description
    db.conn.Close();
    jet::Catalog again;
    again.ActiveConnection(jet::testing::storeConnectionString(db.path));
    auto flag = again.Tables().Item("T").Columns().Item("Flag");
    EXPECT_EQ(flag.Type(), 2);
    EXPECT_EQ(jet::toText(flag.Properties().Item(2).Value()), "Yes or no");
    EXPECT_EQ(jet::toInt32(again.Tables().Item("T").Columns().Item("ID").Properties().Item(5).Value()), 50);
}

TEST(StoreBuilder, SplitsAtTopLevelSemicolonsOnly) {
    const auto parts = jet::testing::splitStatements(
        "CREATE TABLE [a;b] ([x] TEXT(5) DEFAULT 'p;q');\n"
        "CREATE PROCEDURE [P] AS PARAMETERS [n] LONG; DELETE FROM [a;b] WHERE [x] = \"s;t\";\n"
        "  ;\n"
        "create view V as parameters p long; select 1;\n"
        "DROP TABLE [t]");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], "CREATE TABLE [a;b] ([x] TEXT(5) DEFAULT 'p;q')");
    EXPECT_EQ(parts[1], "\nCREATE PROCEDURE [P] AS PARAMETERS [n] LONG; DELETE FROM [a;b] WHERE [x] = \"s;t\"");
    EXPECT_EQ(parts[2], "\ncreate view V as parameters p long; select 1");
    EXPECT_EQ(parts[3], "\nDROP TABLE [t]");
}

TEST(StoreBuilder, FailureNamesTheStatement) {
    testsupport::TempDir dir;
    const auto e = errorOf([&] {
        jet::testing::buildStore(dir.file("x.sdb"), "CREATE TABLE [T] ([A] LONG);\nDROP TABLE [Nope];");
    });
    EXPECT_EQ(e.number(), jet::hr::NoTable);
    EXPECT_EQ(e.description().rfind("statement 2 (\nDROP TABLE [Nope])", 0), 0u) << e.description();
}

}  // namespace
