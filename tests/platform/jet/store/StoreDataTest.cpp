// Rows across schema changes, Jet's rules on written rows, and plain DML.
#include "StoreTestSupport.h"

namespace {

using storetest::Db;
using storetest::errorOf;
using storetest::framed;
using Rows = std::vector<jet::testing::Row>;

jet::testing::Row row(std::initializer_list<const char*> values) {
    jet::testing::Row r;
    for (const char* v : values) r.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    return r;
}

const char* kPeople = R"(
CREATE TABLE [People] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(20), [Age] TEXT(10), [Score] DOUBLE, [Born] TEXT(30));
INSERT INTO [People] ([Name], [Age], [Score], [Born]) VALUES ('Ann', '42', 1.5, '1981-02-03');
INSERT INTO [People] ([Name], [Age], [Score], [Born]) VALUES ('Bob', NULL, 2.5, '12/24/1999 10:30:00 PM');
INSERT INTO [People] ([Name], [Age], [Score], [Born]) VALUES ('Cy', '7', -3.5, NULL);
)";

TEST(StoreData, AlterColumnConvertsTheStoredValues) {
    Db db(kPeople);
    db.exec(framed("ALTER TABLE [People] ALTER COLUMN [Age] LONG;"));
    db.exec(framed("ALTER TABLE [People] ALTER COLUMN [Score] INTEGER;"));
    db.exec(framed("ALTER TABLE [People] ALTER COLUMN [Born] DATETIME;"));
    db.exec(framed("ALTER TABLE [People] ALTER COLUMN [ID] TEXT(10);"));
    EXPECT_EQ(db.rows("SELECT ID, Name, Age, typeof(Age), Score, Born FROM People ORDER BY rowid"),
              (Rows{row({"1", "Ann", "42", "integer", "2", "1981-02-03 00:00:00"}),
                    row({"2", "Bob", nullptr, "null", "2", "1999-12-24 22:30:00"}),
                    row({"3", "Cy", "7", "integer", "-4", nullptr})}));
    // Keys come back on the rebuilt table.
    EXPECT_THROW(db.exec("INSERT INTO [People] ([ID], [Name]) VALUES ('1', 'Dup')"), jet::Error);
}

struct BadAlter {
    const char* setup;
    const char* statement;
    jet::Err error;
};

TEST(StoreData, AlterThatDoesNotFitLeavesTableAndRowsAsTheyWere) {
    const BadAlter cases[] = {
        {"", "ALTER TABLE [People] ALTER COLUMN [Name] LONG;", jet::Err::ConversionFailed},
        {"", "ALTER TABLE [People] ALTER COLUMN [Name] TEXT(2);", jet::Err::ConversionFailed},
        {"", "ALTER TABLE [People] ALTER COLUMN [Score] BYTE;", jet::Err::ConversionFailed},
        {"UPDATE [People] SET [Born] = 'not a date' WHERE [Name] = 'Cy'",
         "ALTER TABLE [People] ALTER COLUMN [Born] DATETIME;", jet::Err::ConversionFailed},
        {"", "ALTER TABLE [People] ALTER COLUMN [Age] TEXT(10) NOT NULL;", jet::Err::NullNotAllowed},
        {"", "ALTER TABLE [People] ALTER COLUMN [Age] COUNTER;", jet::Err::CounterOnData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        Db db(kPeople);
        if (*c.setup) db.exec(c.setup);
        const std::string before = storetest::dump(db.cat);
        const Rows rowsBefore = db.rows("SELECT rowid, * FROM People ORDER BY rowid");
        const auto e = errorOf([&] { db.exec(framed(c.statement)); });
        EXPECT_EQ(e.description().rfind(storetest::textOf(c.error), 0), 0u) << e.description();
        EXPECT_EQ(storetest::dump(db.cat), before);
        EXPECT_EQ(db.rows("SELECT rowid, * FROM People ORDER BY rowid"), rowsBefore);
    }
    Db db(kPeople);
    EXPECT_EQ(errorOf([&] { db.exec("ALTER TABLE [People] ALTER COLUMN [Name] LONG"); }).description(),
              jet::makeError(jet::Err::ConversionFailed, {"Name", "LONG"}).description());
}

// Jet counts a date's days from 1899-12-30 and its time forward from
// midnight, also before that day: -1.25 is 1899-12-29 06:00.
TEST(StoreData, DaysBeforeDayZeroConvertWithTheirTimeOfDay) {
    Db db(R"(
CREATE TABLE [T] ([N] DOUBLE, [D] DATETIME);
INSERT INTO [T] VALUES (-1.25, #1899-12-29 06:00:00#);
INSERT INTO [T] VALUES (-0.5, #1899-12-30 12:00:00#);
)");
    db.exec("ALTER TABLE [T] ALTER COLUMN [N] DATETIME");
    db.exec("ALTER TABLE [T] ALTER COLUMN [D] DOUBLE");
    EXPECT_EQ(db.rows("SELECT N, D FROM T ORDER BY rowid"),
              (Rows{row({"1899-12-29 06:00:00", "-1.25"}), row({"1899-12-30 12:00:00", "0.5"})}));
}

// A CURRENCY holds 64 bits of ten-thousandths; a value beyond them is refused.
TEST(StoreData, CurrencyBeyondItsRangeIsRefused) {
    Db db("CREATE TABLE [T] ([N] DOUBLE); INSERT INTO [T] VALUES (922337203685478)");
    EXPECT_EQ(errorOf([&] { db.exec("ALTER TABLE [T] ALTER COLUMN [N] CURRENCY"); }).description(),
              jet::makeError(jet::Err::ConversionFailed, {"N", "CURRENCY"}).description());
    db.exec("UPDATE [T] SET [N] = 922337203685477");
    db.exec("ALTER TABLE [T] ALTER COLUMN [N] CURRENCY");
    EXPECT_EQ(db.rows("SELECT N FROM T"), (Rows{row({"922337203685477"})}));
    EXPECT_EQ(errorOf([&] { db.exec("UPDATE [T] SET [N] = 922337203685478"); }).description(),
              jet::makeError(jet::Err::DataTypeMismatch).description());
}

// The generator's column rename: add, copy, drop.
TEST(StoreData, RenameByAddUpdateDropKeepsTheValues) {
    Db db(kPeople);
    db.exec(framed("ALTER TABLE [People] ADD COLUMN [FullName] TEXT(20) WITH COMPRESSION NOT NULL;"));
    EXPECT_EQ(db.exec(framed("UPDATE [People] SET [FullName]=[Name];")), 3);
    db.exec(framed("ALTER TABLE [People] DROP COLUMN [Name];"));
    EXPECT_EQ(db.rows("SELECT ID, FullName FROM People ORDER BY ID"),
              (Rows{row({"1", "Ann"}), row({"2", "Bob"}), row({"3", "Cy"})}));
    auto cols = db.cat.Tables().Item("People").Columns();
    EXPECT_EQ(cols.Item(cols.Count() - 1).Name(), "FullName");
    EXPECT_THROW(db.exec("INSERT INTO [People] ([Age]) VALUES ('1')"), jet::Error);  // FullName required
}

TEST(StoreData, ConstraintChangesKeepTheRows) {
    Db db(R"(
CREATE TABLE [R] ([X] LONG, [Name] TEXT(10));
CREATE TABLE [C] ([A] LONG, [B] TEXT(10));
INSERT INTO [R] VALUES (1, 'one');
INSERT INTO [R] VALUES (2, 'two');
INSERT INTO [C] VALUES (1, 'a');
INSERT INTO [C] VALUES (NULL, 'b');
)");
    const Rows r = db.rows("SELECT * FROM R ORDER BY rowid");
    const Rows c = db.rows("SELECT * FROM C ORDER BY rowid");
    for (const char* s : {
             "ALTER TABLE [R] ADD CONSTRAINT [PK] PRIMARY KEY ([X]);",
             "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([A]) REFERENCES [R] ([X]) ON DELETE CASCADE;",
             "CREATE UNIQUE INDEX [UB] ON [C] ([B] ASC) WITH DISALLOW NULL;",
             "ALTER TABLE [C] ADD COLUMN [Extra] MEMO;",
             "ALTER TABLE [C] DROP COLUMN [Extra];",
             "ALTER TABLE [C] ALTER COLUMN [B] TEXT(20);",
             "ALTER TABLE [C] DROP CONSTRAINT [FK];",
             "DROP INDEX [UB] ON [C];",
             "ALTER TABLE [R] DROP CONSTRAINT [PK];",
         }) {
        SCOPED_TRACE(s);
        db.exec(framed(s));
        EXPECT_EQ(db.rows("SELECT * FROM R ORDER BY rowid"), r);
        EXPECT_EQ(db.rows("SELECT A, B FROM C ORDER BY rowid"), c);
    }
}

TEST(StoreData, ConstraintsTheDataBreaksAreRefused) {
    Db db(R"(
CREATE TABLE [R] ([X] LONG, [Name] TEXT(10));
CREATE TABLE [C] ([A] LONG, [B] TEXT(10));
INSERT INTO [R] VALUES (1, 'one');
INSERT INTO [R] VALUES (1, NULL);
INSERT INTO [C] VALUES (5, 'a');
CREATE TABLE [P] ([K] LONG CONSTRAINT [PK] PRIMARY KEY);
)");
    const std::string before = storetest::dump(db.cat);
    const struct {
        const char* statement;
        jet::Err error;
    } cases[] = {
        {"ALTER TABLE [R] ADD CONSTRAINT [PK] PRIMARY KEY ([X]);", jet::Err::DuplicateValues},
        {"ALTER TABLE [R] ADD CONSTRAINT [PK] PRIMARY KEY ([Name]);", jet::Err::IndexNullNotAllowed},
        {"CREATE INDEX [IN] ON [R] ([Name]) WITH DISALLOW NULL;", jet::Err::IndexNullNotAllowed},
        {"ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([A]) REFERENCES [P] ([K]);",
         jet::Err::RelationshipViolation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        const auto e = errorOf([&] { db.exec(c.statement); });
        EXPECT_EQ(e.number(), jet::errorEntry(c.error).number);
        EXPECT_EQ(e.description().rfind(storetest::textOf(c.error), 0), 0u) << e.description();
        EXPECT_EQ(storetest::dump(db.cat), before);
    }
}

const char* kShop = R"(
CREATE TABLE [Customers] ([ID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(10) NOT NULL, [Code] TEXT(5));
CREATE UNIQUE INDEX [UName] ON [Customers] ([Name]);
CREATE UNIQUE INDEX [UCode] ON [Customers] ([Code]) WITH IGNORE NULL;
CREATE TABLE [Orders] ([No] LONG CONSTRAINT [PK] PRIMARY KEY, [Cust] LONG, [Note] TEXT(10),
  CONSTRAINT [CustomersOrders] FOREIGN KEY ([Cust]) REFERENCES [Customers] ([ID]) ON UPDATE CASCADE ON DELETE CASCADE);
CREATE TABLE [Notes] ([Cust] LONG, [Text] MEMO, CONSTRAINT [CustomersNotes] FOREIGN KEY ([Cust]) REFERENCES [Customers] ([ID]));
CREATE TABLE [Tags] ([Cust] LONG, [Tag] TEXT(5) WITH COMPRESSION, CONSTRAINT [CustomersTags] FOREIGN KEY ([Cust]) REFERENCES [Customers] ([ID]) ON UPDATE CASCADE ON DELETE SET NULL);
CREATE INDEX [TagNotNull] ON [Tags] ([Tag]) WITH DISALLOW NULL;
INSERT INTO [Customers] ([Name]) VALUES ('Ann');
INSERT INTO [Customers] ([Name], [Code]) VALUES ('Bob', 'B1');
INSERT INTO [Orders] VALUES (10, 1, 'first');
INSERT INTO [Orders] VALUES (11, 2, 'second');
INSERT INTO [Tags] VALUES (2, 'vip');
)";

TEST(StoreData, WrittenRowsFollowJetsRules) {
    const struct {
        const char* statement;
        jet::Err error;
    } refused[] = {
        {"INSERT INTO [Customers] ([Code]) VALUES ('X')", jet::Err::NullNotAllowed},
        {"UPDATE [Customers] SET [Name] = NULL", jet::Err::NullNotAllowed},
        {"INSERT INTO [Customers] ([Name]) VALUES ('ANN')", jet::Err::DuplicateValues},
        {"INSERT INTO [Customers] ([Name], [Code]) VALUES ('Cy', 'b1')", jet::Err::DuplicateValues},
        {"INSERT INTO [Orders] VALUES (12, 99, 'x')", jet::Err::NoRelatedRecord},
        {"UPDATE [Orders] SET [Cust] = 98 WHERE [No] = 10", jet::Err::NoRelatedRecord},
        {"INSERT INTO [Orders] VALUES (NULL, 1, 'x')", jet::Err::IndexNullNotAllowed},
        {"INSERT INTO [Tags] VALUES (1, NULL)", jet::Err::IndexNullNotAllowed},
        {"INSERT INTO [Customers] ([Name]) VALUES ('Much too long')", jet::Err::FieldTooSmall},
        {"INSERT INTO [Orders] VALUES ('ten', 1, 'x')", jet::Err::DataTypeMismatch},
        {"INSERT INTO [Notes] VALUES (99, 'x')", jet::Err::NoRelatedRecord},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.statement);
        Db db(kShop);
        const Rows before = db.rows("SELECT * FROM Customers, Orders ORDER BY 1, 4");
        const auto e = errorOf([&] { db.exec(r.statement); });
        EXPECT_EQ(e.description().rfind(storetest::textOf(r.error), 0), 0u) << e.description();
        EXPECT_EQ(db.rows("SELECT * FROM Customers, Orders ORDER BY 1, 4"), before);
    }
    Db db(kShop);
    // Nulls are left out of an IGNORE NULL index: many rows may lack a code.
    db.exec("INSERT INTO [Customers] ([Name]) VALUES ('Cy')");
    // Restricting relationship: a customer with notes stays.
    db.exec("INSERT INTO [Notes] VALUES (3, 'call back')");
    EXPECT_EQ(errorOf([&] { db.exec("DELETE FROM [Customers] WHERE [ID] = 3"); }).description(),
              jet::makeError(jet::Err::HasRelatedRecords, {"Notes"}).description());
    // Cascades and set null.
    EXPECT_EQ(db.exec("UPDATE [Customers] SET [ID] = 20 WHERE [ID] = 2"), 1);
    EXPECT_EQ(db.rows("SELECT No, Cust FROM Orders ORDER BY No"),
              (Rows{row({"10", "1"}), row({"11", "20"})}));
    EXPECT_EQ(db.exec("DELETE * FROM [Customers] WHERE [Name] = 'Bob'"), 1);
    EXPECT_EQ(db.rows("SELECT No FROM Orders"), (Rows{row({"10"})}));
    EXPECT_EQ(db.rows("SELECT Cust, Tag FROM Tags"), (Rows{row({nullptr, "vip"})}));
}

TEST(StoreData, CountersNumberNewRows) {
    Db db("CREATE TABLE [T] ([ID] COUNTER(100,5), [S] TEXT(5))");
    for (const char* s : {"a", "b"}) db.exec(std::string("INSERT INTO [T] ([S]) VALUES ('") + s + "')");
    db.exec("INSERT INTO [T] ([ID], [S]) VALUES (200, 'c')");
    db.exec("INSERT INTO [T] ([S]) VALUES ('d')");
    EXPECT_EQ(db.rows("SELECT ID, S FROM T ORDER BY rowid"),
              (Rows{row({"100", "a"}), row({"105", "b"}), row({"200", "c"}), row({"205", "d"})}));
    // A counter added to a table with rows numbers them in order.
    Db other("CREATE TABLE [U] ([S] TEXT(5)); INSERT INTO [U] VALUES ('x'); INSERT INTO [U] VALUES ('y')");
    other.exec("ALTER TABLE [U] ADD COLUMN [N] COUNTER");
    other.exec("INSERT INTO [U] ([S]) VALUES ('z')");
    EXPECT_EQ(other.rows("SELECT S, N FROM U ORDER BY rowid"),
              (Rows{row({"x", "1"}), row({"y", "2"}), row({"z", "3"})}));
}

TEST(StoreData, DmlExpressionsAndRowCounts) {
    Db db(R"(
CREATE TABLE [T] ([ID] LONG, [Name] TEXT(20), [Flag] YESNO, [When] DATETIME, [Price] CURRENCY DEFAULT 9.5, [Kind] TEXT(5) DEFAULT 'std');
INSERT INTO [T] ([ID], [Name], [Flag], [When]) VALUES (1, 'O''Neil', True, #2/29/2024#);
INSERT INTO [T] ([ID], [Name], [Flag], [When]) VALUES (2, "Smith", False, #2024-03-01 10:00:00#);
CREATE TABLE [Copy] ([ID] LONG, [Label] TEXT(30));
)");
    EXPECT_EQ(db.rows("SELECT Name, Flag, \"When\", Price, Kind FROM T ORDER BY ID"),
              (Rows{row({"O'Neil", "-1", "2024-02-29 00:00:00", "9.5", "std"}),
                    row({"Smith", "0", "2024-03-01 10:00:00", "9.5", "std"})}));
    EXPECT_EQ(db.exec("UPDATE [T] SET [Price] = [Price] * 2 WHERE [Name] LIKE 'S*' AND [Flag] = False"), 1);
    EXPECT_EQ(db.exec("INSERT INTO [Copy] ([ID], [Label]) SELECT [ID], [Name] & '/' & [Kind] FROM [T] WHERE [When] < #3/1/2024#"), 1);
    EXPECT_EQ(db.rows("SELECT * FROM Copy"), (Rows{row({"1", "O'Neil/std"})}));
    EXPECT_EQ(db.exec("DELETE FROM [T] WHERE T.ID Mod 2 = 0"), 1);
    EXPECT_EQ(db.exec("DELETE * FROM [Copy]"), 1);
    EXPECT_EQ(db.exec("SELECT * FROM [T]"), -1);
    EXPECT_EQ(errorOf([&] { db.exec("UPDATE [T] SET [Nope] = 1"); }).description(),
              jet::makeError(jet::Err::FieldNotFound, {"Nope", "T"}).description());
    EXPECT_EQ(errorOf([&] { db.exec("DELETE FROM [Gone]"); }).number(), jet::hr::NoTable);
}

TEST(StoreData, ChangesByAnotherConnectionAreSeen) {
    Db db("CREATE TABLE [T] ([A] LONG)");
    jet::Connection other;
    other.Open(jet::testing::storeConnectionString(db.path));
    EXPECT_EQ(db.cat.Tables().Item("T").Columns().Count(), 1);
    other.Execute("ALTER TABLE [T] ADD COLUMN [B] LONG");
    EXPECT_EQ(db.cat.Tables().Item("T").Columns().Count(), 2);
    // And this session's next change builds on what the other one did.
    db.exec("ALTER TABLE [T] ADD COLUMN [C] LONG");
    other.Execute("INSERT INTO [T] VALUES (1, 2, 3)");
    EXPECT_EQ(db.rows("SELECT * FROM T"), (Rows{row({"1", "2", "3"})}));
}

}  // namespace
