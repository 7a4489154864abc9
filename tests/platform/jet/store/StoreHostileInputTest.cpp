// Jet's rules and limits on names and statements: hostile statements fail
// with Jet's error and leave the database as it was (schema, rows, the
// store's own tables, the workgroup's accounts); and the expressions DML may
// hold (Jet's functions and operators, names of the statement's own tables).
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "StoreTestSupport.h"
#include "jet/store/Metadata.h"
#include "jet/store/Sqlite.h"

namespace {

using storetest::Db;
using storetest::errorOf;
using Rows = std::vector<jet::testing::Row>;

jet::testing::Row row(std::initializer_list<const char*> values) {
    jet::testing::Row r;
    for (const char* v : values) r.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    return r;
}

// A table name that holds U+FFFD itself: a name that is not UTF-8 must not
// find it.
const std::string kReplacementTable = "T\xEF\xBF\xBD";

std::string base() {
    std::string s = R"(
CREATE TABLE [R] ([X] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Y] TEXT(10));
CREATE TABLE [T] ([A] LONG, [B] TEXT(10), [M] MEMO,
  CONSTRAINT [FK] FOREIGN KEY ([A]) REFERENCES [R] ([X]));
CREATE VIEW [V] AS SELECT * FROM [T];
CREATE PROCEDURE [P] AS PARAMETERS [n] LONG; DELETE FROM [T] WHERE [A] = [n];
INSERT INTO [R] VALUES (1, 'one');
INSERT INTO [R] VALUES (2, 'two');
INSERT INTO [T] VALUES (1, 'a', 'memo');
INSERT INTO [T] VALUES (2, 'b', NULL);
)";
    s += "CREATE TABLE [" + kReplacementTable + "] ([Z] LONG);\n";
    s += "INSERT INTO [" + kReplacementTable + "] VALUES (7);\n";
    // [W]: as many indexes as Jet allows (the primary key and 31 more).
    s += "CREATE TABLE [W] ([C0] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY";
    for (int c = 1; c <= 40; ++c) s += ", [C" + std::to_string(c) + "] LONG";
    s += ");\n";
    for (int c = 1; c <= 31; ++c)
        s += "CREATE INDEX [I" + std::to_string(c) + "] ON [W] ([C" + std::to_string(c) + "]);\n";
    return s;
}

// The base database and its workgroup, built once and copied for each test.
class Base {
public:
    Base() {
        static const struct Template {
            testsupport::TempDir dir;
            std::string db = dir.file("base.sdb");
            std::string wg = dir.file("base.sdw");
            Template() { jet::testing::buildStore(db, base(), wg); }
        } kTemplate;
        std::filesystem::copy_file(kTemplate.db, path);
        std::filesystem::copy_file(kTemplate.wg, workgroup);
        conn.Open(jet::testing::storeConnectionString(path, workgroup));
        cat.ActiveConnection(conn);
    }
    int32_t exec(std::string_view sql) { return conn.Execute(sql); }
    [[nodiscard]] Rows rows(const std::string& query) const {
        return jet::testing::storeRows(path, query);
    }

    testsupport::TempDir dir;
    std::string path = dir.file("test.sdb");
    std::string workgroup = dir.file("test.sdw");
    jet::Connection conn;
    jet::Catalog cat;
};

// Everything the file holds: every SQLite object's definition and every
// table's rows (the store's own tables included); and the accounts.
std::string state(const Base& db) {
    std::string out;
    for (const auto& r : db.rows("SELECT type, name, sql FROM sqlite_master ORDER BY name")) {
        out += r[0].value_or("") + " " + r[1].value_or("") + ": " + r[2].value_or("") + "\n";
        if (r[0] != "table") continue;
        std::string quoted = "\"";
        for (char c : r[1].value_or(""))
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        std::vector<std::string> lines;
        for (const auto& row : db.rows("SELECT * FROM " + quoted + "\"")) {
            std::string line = " ";
            for (const auto& v : row) line += "|" + v.value_or("NULL");
            lines.push_back(line + "\n");
        }
        std::sort(lines.begin(), lines.end());
        for (const auto& l : lines) out += l;
    }
    auto wg = jet::openWorkgroup(db.workgroup);
    for (const auto& u : wg->users()) out += "user " + u.name + "\n";
    for (const auto& g : wg->groups()) out += "group " + g.name + "\n";
    return out;
}

struct Hostile {
    std::string name;
    std::string statement;
    jet::Err error;
    // Statements of megabytes are made inside the test: a parameter is built
    // and copied when the program starts, for every case and every listing.
    std::string (*large)() = nullptr;

    [[nodiscard]] std::string text() const { return large ? large() : statement; }
};

// Only the name: some statements are megabytes long.
[[maybe_unused]] void PrintTo(const Hostile& h, std::ostream* os) { *os << h.name; }

std::string repeat(std::string_view s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

// A statement of exactly `chars` characters that sets [T].[M] to a text of
// `fill` characters.
std::string memoUpdate(size_t chars, std::string_view fill = "x") {
    const std::string head = "UPDATE [T] SET [M] = '";
    return head + repeat(fill, chars - head.size() - 1) + "'";
}

// A statement for each kind of object a name is given to; "%" stands for the
// name. Each runs on the base database with a name Jet allows.
struct Maker {
    const char* object;
    const char* statement;
};

const Maker kMakers[] = {
    {"Table", "CREATE TABLE [%] ([A] LONG)"},
    {"Column", "CREATE TABLE [N] ([A] LONG, [%] LONG)"},
    {"AddedColumn", "ALTER TABLE [T] ADD COLUMN [%] LONG"},
    {"Index", "CREATE INDEX [%] ON [T] ([B])"},
    {"Constraint", "ALTER TABLE [T] ADD CONSTRAINT [%] UNIQUE ([B])"},
    {"Relationship", "ALTER TABLE [T] ADD COLUMN [D] LONG CONSTRAINT [%] REFERENCES [R] ([X])"},
    {"View", "CREATE VIEW [%] AS SELECT * FROM [T]"},
    {"Procedure", "CREATE PROCEDURE [%] AS DELETE FROM [T]"},
};

std::string made(const Maker& m, std::string_view name) {
    std::string s = m.statement;
    return s.replace(s.find('%'), 1, name);
}

std::vector<Hostile> hostileStatements() {
    using jet::Err;
    const std::string name65(65, 'n');
    std::vector<Hostile> h = {
        // Names that are not UTF-8 or hold control characters.
        {"NotUtf8DropsNothingElse", "DROP TABLE [T\xFE]", Err::InvalidName},
        {"NotUtf8BareName", "DROP TABLE T\xFF", Err::InvalidName},
        {"NotUtf8Column", "ALTER TABLE [T] ADD COLUMN [\xC3] LONG", Err::InvalidName},
        {"TruncatedUtf8Sequence", "CREATE TABLE [N\xE2\x82] ([A] LONG)", Err::InvalidName},
        {"OverlongUtf8", "CREATE TABLE [N\xC0\xAF] ([A] LONG)", Err::InvalidName},
        {"NotUtf8InDml", "UPDATE [T] SET [B] = [\xFE]", Err::InvalidName},
        {"NotUtf8InText", "INSERT INTO [T] ([B]) VALUES ('\xFF')", Err::SyntaxError},
        {"NulInName", std::string("CREATE TABLE [a\0b] ([A] LONG)", 29), Err::InvalidName},
        {"NulInColumn", std::string("ALTER TABLE [T] ADD COLUMN [c\0] LONG", 36), Err::InvalidName},
        {"ControlCharacter", "CREATE TABLE [N] ([a\x01] LONG)", Err::InvalidName},
        {"TabInName", "CREATE INDEX [i\tx] ON [T] ([B])", Err::InvalidName},
        {"C1ControlCharacter", "CREATE VIEW [V\xC2\x85] AS SELECT * FROM [T]", Err::InvalidName},
        {"ControlCharacterInUser", "CREATE USER [u\x07] pw", Err::InvalidName},
        {"ControlCharacterInGroup", "CREATE GROUP [g\x1B]", Err::InvalidName},
        // Jet's limits.
        {"TableName65", "CREATE TABLE [" + name65 + "] ([A] LONG)", Err::InvalidName},
        {"ColumnName65", "ALTER TABLE [T] ADD COLUMN [" + name65 + "] LONG", Err::InvalidName},
        {"IndexName65", "CREATE INDEX [" + name65 + "] ON [T] ([B])", Err::InvalidName},
        {"ConstraintName65", "ALTER TABLE [T] ADD CONSTRAINT [" + name65 + "] UNIQUE ([B])",
         Err::InvalidName},
        {"ViewName65", "CREATE VIEW [" + name65 + "] AS SELECT * FROM [T]", Err::InvalidName},
        {"UserName65", "CREATE USER [" + name65 + "]", Err::InvalidName},
        // 33 characters outside the BMP are 66 UTF-16 units.
        {"NameOf66Units", "CREATE TABLE [" + repeat("\xF0\x9F\x98\x80", 33) + "] ([A] LONG)",
         Err::InvalidName},
        {"Columns256", "", Err::TooManyFields},
        {"IndexOf11Columns",
         "CREATE INDEX [Wide] ON [W] ([C1], [C2], [C3], [C4], [C5], [C6], [C7], [C8], [C9], "
         "[C10], [C11])",
         Err::TooManyIndexFields},
        {"PrimaryKeyOf11Columns",
         "CREATE TABLE [N] ([A] LONG, [B] LONG, [C] LONG, [D] LONG, [E] LONG, [F] LONG, [G] "
         "LONG, [H] LONG, [I] LONG, [J] LONG, [K] LONG, CONSTRAINT [PK] PRIMARY KEY ([A], [B], "
         "[C], [D], [E], [F], [G], [H], [I], [J], [K]))",
         Err::TooManyIndexFields},
        {"Index33", "CREATE INDEX [I32] ON [W] ([C32])", Err::TooManyIndexes},
        {"UniqueConstraint33", "ALTER TABLE [W] ADD CONSTRAINT [U32] UNIQUE ([C32])",
         Err::TooManyIndexes},
        // The related table keeps an index entry for the relationship too.
        {"RelationshipOnAFullTable",
         "ALTER TABLE [T] ADD CONSTRAINT [TW] FOREIGN KEY ([A]) REFERENCES [W] ([C0])",
         Err::TooManyIndexes},
        // A query's body is one statement.
        {"ViewWithATrailingStatement", "CREATE VIEW [V2] AS SELECT * FROM [T]; DROP TABLE [R]",
         Err::SyntaxError},
        {"ProcedureWithATrailingStatement",
         "CREATE PROCEDURE [P2] AS PARAMETERS [a] LONG; DELETE FROM [T] WHERE [A] = [a]; DROP "
         "TABLE [R];",
         Err::SyntaxError},
        {"ViewOfTwoSelects", "CREATE VIEW [V2] AS SELECT * FROM [T];SELECT * FROM [R]",
         Err::SyntaxError},
        {"DmlWithATrailingStatement", "INSERT INTO [T] ([A]) VALUES (1); DROP TABLE [R]",
         Err::SyntaxError},
        // DML and DEFAULT values reach nothing but the statement's own tables.
        {"ReadsMetadataIntoATable", "INSERT INTO [T] ([M]) SELECT [Value] FROM [MSysDatabase]",
         Err::TableNotFound},
        {"ReadsMetadataInASubquery", "UPDATE [T] SET [M] = (SELECT Max([Name]) FROM [MSysColumns])",
         Err::TableNotFound},
        {"ReadsSqliteMaster", "DELETE FROM [T] WHERE EXISTS (SELECT * FROM sqlite_master)",
         Err::TableNotFound},
        {"ReadsTheRebuildTable", "SELECT * FROM [temp].[MSysRebuild]", Err::TableNotFound},
        {"WritesMetadata", "DELETE FROM [MSysPermissions]", Err::TableNotFound},
        {"QualifierOfAnotherTable", "UPDATE [T] SET [M] = [MSysDatabase].[Value]",
         Err::TooFewParameters},
        {"SqliteFunction", "UPDATE [T] SET [M] = sqlite_version()", Err::UndefinedFunction},
        {"Zeroblob", "INSERT INTO [T] ([M]) VALUES (zeroblob(1000000000))", Err::UndefinedFunction},
        {"Randomblob", "UPDATE [T] SET [M] = randomblob(1000000000)", Err::UndefinedFunction},
        {"Cast", "UPDATE [T] SET [A] = CAST([B] AS INTEGER)", Err::UndefinedFunction},
        {"LoadExtension", "SELECT load_extension('x') FROM [T]", Err::UndefinedFunction},
        {"UnknownName", "UPDATE [T] SET [B] = [Nope]", Err::TooFewParameters},
        {"NameInValues", "INSERT INTO [T] ([A]) VALUES ([A])", Err::TooFewParameters},
        {"SqlitePipes", "UPDATE [T] SET [B] = 'a' || 'b'", Err::SyntaxError},
        {"SqliteCollate", "UPDATE [T] SET [B] = [B] COLLATE NOCASE", Err::SyntaxError},
        {"SqliteCase", "UPDATE [T] SET [A] = CASE WHEN [A] = 1 THEN 2 END", Err::SyntaxError},
        {"SqliteParameter", "UPDATE [T] SET [A] = ?", Err::SyntaxError},
        {"SqliteNamedParameter", "UPDATE [T] SET [A] = :a", Err::SyntaxError},
        {"SqliteNotEqual", "DELETE FROM [T] WHERE [A] != 1", Err::SyntaxError},
        {"SqliteWith",
         "INSERT INTO [T] ([A]) WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
         "SELECT x FROM c",
         Err::SyntaxError},
        {"Attach", "ATTACH DATABASE '/tmp/x.db' AS x", Err::InvalidStatement},
        {"Pragma", "PRAGMA writable_schema = 1", Err::InvalidStatement},
        {"DefaultCallsSqlite", "ALTER TABLE [T] ADD COLUMN [D] TEXT(50) DEFAULT sqlite_version()",
         Err::UndefinedFunction},
        {"DefaultReadsMetadata",
         "CREATE TABLE [N] ([D] MEMO DEFAULT (SELECT [Value] FROM [MSysDatabase]))",
         Err::SyntaxError},
        {"DefaultNamesAColumn", "ALTER TABLE [T] ALTER COLUMN [B] TEXT(10) DEFAULT [A]",
         Err::TooFewParameters},
        // Statements that would take the parser deep or SQLite past its limits.
        {"NestedParentheses", "UPDATE [T] SET [A] = " + repeat("(", 200) + "1" + repeat(")", 200),
         Err::QueryTooComplex},
        {"NestedNot", "DELETE FROM [T] WHERE " + repeat("NOT ", 200) + "[A] = 1",
         Err::QueryTooComplex},
        {"NestedMinus", "UPDATE [T] SET [A] = " + repeat("- ", 200) + "1", Err::QueryTooComplex},
        {"NestedSubqueries",
         "DELETE FROM [T] WHERE [A] IN " + repeat("(SELECT [X] FROM [R] WHERE [X] IN ", 60) +
             "(1)" + repeat(")", 60),
         Err::QueryTooComplex},
        {"NestedSubqueriesInJoins",
         "DELETE FROM [T] WHERE EXISTS " +
             repeat("(SELECT * FROM [T] AS a INNER JOIN [R] AS b ON EXISTS ", 60) +
             "(SELECT * FROM [R])" + repeat(")", 60),
         Err::QueryTooComplex},
        {"LongOperatorChain", "UPDATE [T] SET [A] = 1" + repeat(" + 1", 600), Err::QueryTooComplex},
        {"StatementOf64001Characters", "", Err::StatementTooLong,
         [] { return memoUpdate(64001); }},
        {"StatementOf64001NonAsciiCharacters", "", Err::StatementTooLong,
         [] { return memoUpdate(64001, "\xC3\xA9"); }},
        {"StatementOf10MB", "", Err::StatementTooLong, [] { return memoUpdate(10'000'000); }},
    };
    // Names Jet gives no new object. A bracketed name ends at its first "]":
    // no statement can give a name that holds one.
    const struct {
        const char* what;
        const char* name;
    } refused[] = {{"Period", "a.b"},         {"ExclamationPoint", "a!b"}, {"AccentGrave", "a`b"},
                   {"OpeningBracket", "a[b"}, {"ClosingBracket", "a]b"},   {"LeadingBlank", " ab"}};
    for (const auto& r : refused)
        for (const Maker& m : kMakers)
            h.push_back({std::string(r.what) + "In" + m.object, made(m, r.name),
                         std::string_view(r.name).find(']') != std::string_view::npos
                             ? Err::SyntaxError
                             : Err::InvalidName});
    std::string wide = "CREATE TABLE [N] ([C0] LONG";
    for (int c = 1; c < 256; ++c) wide += ", [C" + std::to_string(c) + "] LONG";
    for (auto& c : h)
        if (c.name == "Columns256") c.statement = wide + ")";
    return h;
}

class HostileStatement : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileStatement, FailsWithJetsErrorAndChangesNothing) {
    const Hostile& h = GetParam();
    Base db;
    const std::string before = state(db);
    const std::string catalogBefore = storetest::dump(db.cat);
    const std::string statement = h.text();
    const auto e = errorOf([&] { db.exec(statement); });
    EXPECT_EQ(e.number(), jet::errorEntry(h.error).number) << e.description();
    EXPECT_EQ(e.description().rfind(storetest::textOf(h.error), 0), 0u) << e.description();
    EXPECT_EQ(state(db), before);
    EXPECT_EQ(storetest::dump(db.cat), catalogBefore);
    // The session goes on.
    EXPECT_EQ(db.exec("UPDATE [T] SET [B] = 'c' WHERE [A] = 2"), 1);
}

INSTANTIATE_TEST_SUITE_P(Store, HostileStatement, ::testing::ValuesIn(hostileStatements()),
                         [](const auto& p) { return p.param.name; });

// The texts of the new errors name what they are about.
TEST(HostileStatement, ErrorsNameTheNameAndTheCount) {
    Base db;
    EXPECT_EQ(errorOf([&] { db.exec("DROP TABLE [T\xFE]"); }).description(),
              jet::makeError(jet::Err::InvalidName, {"T\\xFE"}).description());
    EXPECT_EQ(
        errorOf([&] { db.exec(std::string("CREATE TABLE [a\0b] ([A] LONG)", 29)); }).description(),
        jet::makeError(jet::Err::InvalidName, {"a\\x00b"}).description());
    EXPECT_EQ(
        errorOf([&] { db.exec("UPDATE [T] SET [B] = [x] & [y] & [X] & T.[z]"); }).description(),
        "Too few parameters. Expected 3.");
    EXPECT_EQ(errorOf([&] { db.exec("UPDATE [T] SET [B] = Zeroblob(1)"); }).description(),
              "Undefined function 'Zeroblob' in expression.");
    EXPECT_EQ(errorOf([&] { db.exec(memoUpdate(70000)); }).description(),
              jet::makeError(jet::Err::StatementTooLong, {"70000", "64000"}).description());
}

// Up to the limits, everything works.
TEST(HostileStatement, WhatJetAllowsStillRuns) {
    Base db;
    const std::string name64(64, 'n');
    db.exec("CREATE TABLE [" + name64 + "] ([" + name64 + "] LONG)");
    db.exec("CREATE INDEX [" + name64 + "] ON [" + name64 + "] ([" + name64 + "])");
    db.exec("CREATE TABLE [" + repeat("\xC3\xA9", 64) + "] ([A] LONG)");
    db.exec("CREATE TABLE [" + repeat("\xF0\x9F\x98\x80", 32) + "] ([A] LONG)");
    std::string wide = "CREATE TABLE [Wide] ([C0] LONG";
    for (int c = 1; c < 255; ++c) wide += ", [C" + std::to_string(c) + "] LONG";
    db.exec(wide + ")");
    EXPECT_EQ(db.cat.Tables().Item("Wide").Columns().Count(), 255);
    EXPECT_EQ(errorOf([&] { db.exec("ALTER TABLE [Wide] ADD COLUMN [C255] LONG"); }).description(),
              jet::makeError(jet::Err::TooManyFields).description());
    db.exec(
        "CREATE INDEX [Ten] ON [Wide] ([C1], [C2], [C3], [C4], [C5], [C6], [C7], [C8], [C9], "
        "[C10])");
    // Dropping an index of the full table makes room again.
    db.exec("DROP INDEX [I31] ON [W]");
    db.exec("CREATE UNIQUE INDEX [U31] ON [W] ([C31])");
    EXPECT_EQ(db.exec(memoUpdate(64000)), 2);
    EXPECT_EQ(db.exec(memoUpdate(64000, "\xC3\xA9")), 2);  // 128,000 bytes
    EXPECT_EQ(db.rows("SELECT length(M) FROM T")[0][0], "63977");
    db.exec("UPDATE [T] SET [A] = " + repeat("(", 40) + "1" + repeat(")", 40));
    db.exec("UPDATE [T] SET [A] = 1" + repeat(" + 0", 400));
}

// Blanks inside a name and every other character Jet allows.
TEST(HostileStatement, NewObjectsTakeTheNamesJetAllows) {
    for (const Maker& m : kMakers) {
        SCOPED_TRACE(m.object);
        Base db;
        const std::string name = "a b#$%&'()*+,-/:;<=>?@^_{|}~\"\xC3\xA9";
        EXPECT_NO_THROW(db.exec(made(m, name)));
    }
}

// A file made before new names were held to Jet's rules may hold names they
// refuse: statements still reach those objects, change and drop them.
TEST(HostileStatement, ObjectsNamedBeforeTheRulesCanStillBeChangedAndDropped) {
    testsupport::TempDir dir;
    const std::string path = dir.file("old.sdb");
    jet::testing::buildStore(path,
                             "CREATE TABLE [Ab] ([Cd] LONG, [Ef] LONG); CREATE INDEX [Ix] ON "
                             "[Ab] ([Ef]); CREATE VIEW [Vw] AS SELECT * FROM [Ab]");
    {
        // The names as the store wrote them then: SQLite's schema and the
        // store's own tables.
        using jet::store::sql::ident;
        jet::store::sql::Db raw(path, SQLITE_OPEN_READWRITE);
        raw.exec("ALTER TABLE \"Ab\" RENAME TO \"a.b\"");
        raw.exec("ALTER TABLE \"a.b\" RENAME COLUMN \"Cd\" TO \" c!d\"");
        jet::store::Model model = jet::store::loadModel(raw);
        jet::store::TableDef& t = *model.table("Ab");
        jet::store::IndexDef& ix = t.indexes.at(0);
        raw.exec("DROP INDEX " + ident(jet::store::sqlIndexName(t, ix)));
        t.name = "a.b";
        t.columns.at(0).name = " c!d";
        ix.name = "i`x";
        raw.exec("CREATE INDEX " + ident(jet::store::sqlIndexName(t, ix)) +
                 " ON \"a.b\" (\"Ef\" ASC)");
        jet::store::saveTable(raw, t);
        jet::store::deleteQuery(raw, "Vw");
        jet::store::saveQuery(raw, {"[v", "SELECT * FROM [a.b]", true});
    }
    jet::Connection conn;
    conn.Open(jet::testing::storeConnectionString(path));
    jet::Catalog cat;
    cat.ActiveConnection(conn);
    EXPECT_EQ(cat.Tables().Item("a.b").Columns().Item(0).Name(), " c!d");
    EXPECT_EQ(cat.Tables().Item("a.b").Indexes().Item(0).Name(), "i`x");
    EXPECT_EQ(cat.Views().Item(0).Name(), "[v");
    EXPECT_EQ(conn.Execute("INSERT INTO [a.b] ([ c!d], [Ef]) VALUES (1, 2)"), 1);
    conn.Execute("ALTER TABLE [a.b] ALTER COLUMN [ c!d] DOUBLE");
    conn.Execute("DROP INDEX [i`x] ON [a.b]");
    conn.Execute("ALTER TABLE [a.b] DROP COLUMN [ c!d]");
    conn.Execute("DROP VIEW [[v]");
    EXPECT_EQ(jet::testing::storeRows(path, "SELECT * FROM \"a.b\""), (Rows{row({"2"})}));
    conn.Execute("DROP TABLE [a.b]");
    for (int32_t i = 0; i < cat.Tables().Count(); ++i)
        EXPECT_EQ(cat.Tables().Item(i).Type(), "SYSTEM TABLE") << cat.Tables().Item(i).Name();
    EXPECT_EQ(cat.Views().Count(), 0);
    EXPECT_EQ(jet::testing::storeRows(path,
                                      "SELECT name FROM sqlite_master WHERE name NOT LIKE "
                                      "'MSys%' AND name NOT LIKE 'sqlite%'"),
              Rows{});
}

// Jet allows fields named as SQLite names a row's own number (rowid, _rowid_,
// oid); the provider's own statements still reach the rows in their order:
// counters move on past an inserted value, a new counter numbers the rows in
// their order, and a rebuilt table keeps that order.
TEST(HostileStatement, FieldsNamedAsTheRowNumberKeepRowsAndCounters) {
    const std::vector<std::vector<std::string>> fieldSets = {
        {"rowid"}, {"RowID"}, {"_rowid_"}, {"oid"}, {"rowid", "_rowid_"}};
    for (const auto& fields : fieldSets) {
        std::string decl;
        for (const auto& f : fields) decl += ", [" + f + "] LONG";
        SCOPED_TRACE(decl);
        Db db("CREATE TABLE [T] ([A] LONG" + decl + ", [C] COUNTER);");
        // The fields hold values out of the rows' order.
        for (const char* values : {"1, 50", "2, 10", "3, NULL"}) {
            std::string insert = "INSERT INTO [T] ([A]";
            for (const auto& f : fields) insert += ", [" + f + "]";
            insert += ") VALUES (" + std::string(values);
            for (size_t i = 1; i < fields.size(); ++i) insert += ", 7";
            db.exec(insert + ")");
        }
        db.exec("INSERT INTO [T] ([A], [C]) VALUES (4, 100)");
        db.exec("INSERT INTO [T] ([A]) VALUES (5)");
        db.exec("ALTER TABLE [T] ADD COLUMN [N] COUNTER");
        db.exec("ALTER TABLE [T] ALTER COLUMN [A] DOUBLE");  // the table is rebuilt
        db.exec("ALTER TABLE [T] ADD COLUMN [N2] COUNTER");
        EXPECT_EQ(db.rows("SELECT A, C, N, N2 FROM T ORDER BY A"),
                  (Rows{row({"1.0", "1", "1", "1"}), row({"2.0", "2", "2", "2"}),
                        row({"3.0", "3", "3", "3"}), row({"4.0", "100", "4", "4"}),
                        row({"5.0", "101", "5", "5"})}));
    }
    // A table cannot take all three names.
    Db db("CREATE TABLE [T] ([rowid] LONG, [_rowid_] LONG);");
    const std::string before =
        db.rows("SELECT sql FROM sqlite_master WHERE name = 'T'")[0][0].value_or("");
    for (const char* statement :
         {"CREATE TABLE [U] ([rowid] LONG, [_rowid_] LONG, [OID] LONG)",
          "ALTER TABLE [T] ADD COLUMN [oid] LONG", "ALTER TABLE [T] ADD COLUMN [oid] COUNTER"})
        EXPECT_EQ(errorOf([&] { db.exec(statement); }).description(),
                  "Table '" + std::string(statement[0] == 'C' ? "U" : "T") +
                      "' cannot have fields named rowid, _rowid_ and oid all three.")
            << statement;
    EXPECT_EQ(db.rows("SELECT sql FROM sqlite_master WHERE name = 'T'")[0][0].value_or(""), before);
    EXPECT_TRUE(db.rows("SELECT sql FROM sqlite_master WHERE name = 'U'").empty());
}

// A default set through the catalog (as a script's property line sets it) is
// stored as written, but an insert refuses to compute one that is not Jet's.
TEST(HostileStatement, DefaultFromTheCatalogIsCheckedWhenARowUsesIt) {
    Base db;
    auto props = db.cat.Tables().Item("T").Columns().Item("M").Properties();
    props.Item(jet::prop::Default).Value(jet::Variant(std::string("sqlite_version()")));
    const std::string before = state(db);
    EXPECT_EQ(errorOf([&] { db.exec("INSERT INTO [T] ([A]) VALUES (1)"); }).description(),
              "Undefined function 'sqlite_version' in expression.");
    props.Item(jet::prop::Default).Value(jet::Variant(std::string("[B]")));
    EXPECT_EQ(errorOf([&] { db.exec("INSERT INTO [T] ([A]) VALUES (1)"); }).number(),
              jet::hr::ParameterMissing);
    props.Item(jet::prop::Default).Value(jet::Variant(std::string("sqlite_version()")));
    EXPECT_EQ(state(db), before);
}

// Names that are not UTF-8 reach nothing through the catalog either.
TEST(HostileStatement, CatalogCallsRefuseNamesThatAreNotUtf8) {
    Base db;
    const std::string before = state(db);
    const auto invalid = jet::errorEntry(jet::Err::InvalidName).number;
    auto wg = jet::openWorkgroup(db.workgroup);
    EXPECT_EQ(errorOf([&] {
                  db.conn.backend()->setColumnProperty("T\xFE", "Z", jet::prop::Description,
                                                       jet::Variant(std::string("x")));
              }).number(),
              invalid);
    EXPECT_EQ(errorOf([&] {
                  (void)db.conn.backend()->getPermissions(jet::PrincipalKind::User, "admin",
                                                          "T\xFE", jet::objtype::Table);
              }).number(),
              invalid);
    EXPECT_EQ(errorOf([&] { wg->logOn("admin\xFE", ""); }).number(), jet::hr::AuthFailed);
    EXPECT_EQ(state(db), before);
}

struct Expression {
    const char* name;
    const char* statement;
    const char* check;  // SQLite query over the file
    Rows rows;
};

const char* const kPeople = R"(
CREATE TABLE [Dept] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(20));
CREATE TABLE [People] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(20),
  [Dept] LONG, [Pay] DOUBLE, [Active] YESNO, [Note] MEMO);
CREATE TABLE [Out] ([K] LONG, [S] TEXT(40), [Done] YESNO DEFAULT =No, [When] DATETIME DEFAULT Date());
INSERT INTO [Dept] VALUES (1, 'Sales');
INSERT INTO [Dept] VALUES (2, 'Stock');
INSERT INTO [People] VALUES (1, 'ann', 1, 10.5, True, NULL);
INSERT INTO [People] VALUES (2, 'Bob', 2, 20, False, 'x');
INSERT INTO [People] VALUES (3, 'Cy', NULL, -3.25, Yes, NULL);
)";

const Expression kExpressions[] = {
    {"Functions",
     "UPDATE [People] SET [Note] = UCase(Left([Name], 1)) & LCase(Mid([Name], 2)) & '/' & "
     "Right([Name], 2) & Right([Name], 0) & '/' & Len(Trim('  ab ')) & '/' & InStr([Name], 'B') "
     "& '/' & Nz([Dept], 0) & '/' & IIf([Pay] > 15, 'hi', 'lo') & '/' & Int([Pay]) & '/' & "
     "Abs([Pay]) & '/' & Round([Pay] / 4) & '/' & Chr(Asc('A') + 1)",
     "SELECT Note FROM People ORDER BY ID",
     {row({"Ann/nn/2/0/1/lo/10/10.5/3.0/B"}), row({"Bob/ob/2/1/2/hi/20/20.0/5.0/B"}),
      row({"Cy/Cy/2/0/0/lo/-4/3.25/-1.0/B"})}},
    {"ConcatenationBindsLooserThanAddition",
     "UPDATE [People] SET [Note] = 1 + 2 & 3 WHERE [ID] = 1",
     "SELECT Note FROM People WHERE ID = 1",
     {row({"33"})}},
    {"ArithmeticModAndSigns",
     "UPDATE [People] SET [Pay] = -[Pay] * 2 + 7 Mod 4 - (+1) WHERE [ID] = 2",
     "SELECT Pay FROM People WHERE ID = 2",
     {row({"-38.0"})}},
    {"ComparisonsAndLogic",
     "DELETE FROM [People] WHERE NOT ([Pay] >= 0 AND [Pay] <= 15) OR [Dept] IS NULL",
     "SELECT ID FROM People",
     {row({"1"})}},
    {"LikeBetweenIn",
     "UPDATE [People] SET [Note] = 'hit' WHERE [Name] LIKE 'b*' OR [Pay] BETWEEN -4 AND -3 OR "
     "[ID] IN (7, 8)",
     "SELECT ID FROM People WHERE Note = 'hit' ORDER BY ID",
     {row({"2"}), row({"3"})}},
    {"NotLikeNotInIsNotNull",
     "UPDATE [People] SET [Note] = 'hit' WHERE [Name] NOT LIKE 'C?' AND [ID] NOT IN (2) AND "
     "[Active] IS NOT NULL",
     "SELECT ID FROM People WHERE Note = 'hit'",
     {row({"1"})}},
    {"Constants",
     "UPDATE [People] SET [Active] = No WHERE [Active] = Yes AND [ID] <> 3",
     "SELECT ID, Active FROM People ORDER BY ID",
     {row({"1", "0"}), row({"2", "0"}), row({"3", "-1"})}},
    {"QualifiedNames",
     "UPDATE [People] SET [People].[Note] = People!Name & [People].Dept WHERE People.ID = 2",
     "SELECT Note FROM People WHERE ID = 2",
     {row({"Bob2"})}},
    {"CorrelatedSubquery",
     "UPDATE [People] SET [Note] = (SELECT [Name] FROM [Dept] WHERE [Dept].[ID] = "
     "[People].[Dept]) WHERE EXISTS (SELECT * FROM [Dept] AS d WHERE d.ID = [People].Dept)",
     "SELECT Note FROM People ORDER BY ID",
     {row({"Sales"}), row({"Stock"}), row({nullptr})}},
    {"InsertFromAJoinWithAliases",
     "INSERT INTO [Out] ([K], [S]) SELECT p.[ID], d.Name & ':' & p.Name FROM [People] AS p "
     "INNER JOIN [Dept] d ON p.Dept = d.ID WHERE p.Pay > 0 ORDER BY p.ID",
     "SELECT K, S, Done, \"When\" IS NOT NULL FROM Out ORDER BY K",
     {row({"1", "Sales:ann", "0", "1"}), row({"2", "Stock:Bob", "0", "1"})}},
    {"InsertFromNestedJoins",
     "INSERT INTO [Out] ([K], [S]) SELECT [People].[ID], [Dept].[Name] FROM ([People] LEFT JOIN "
     "[Dept] ON [People].[Dept] = [Dept].[ID]) INNER JOIN [Dept] AS [D2] ON [D2].[ID] = 1",
     "SELECT K, S FROM Out ORDER BY K",
     {row({"1", "Sales"}), row({"2", "Stock"}), row({"3", nullptr})}},
    {"InsertGroupedWithCount",
     "INSERT INTO [Out] ([K], [S]) SELECT Count(*), Max([Name]) FROM [People] GROUP BY [Active] "
     "HAVING Count([ID]) > 0",
     "SELECT K, S FROM Out ORDER BY K",
     {row({"1", "Bob"}), row({"2", "Cy"})}},
    {"InsertStar",
     "INSERT INTO [Dept] SELECT * FROM [Dept] AS x WHERE x.ID = 1 AND 1 = 0",
     "SELECT count(*) FROM Dept",
     {row({"2"})}},
    {"DeleteWithColumnsBeforeFrom",
     "DELETE People.ID, People.Name FROM [People] WHERE [ID] > 1",
     "SELECT ID FROM People",
     {row({"1"})}},
    {"TrailingSemicolon",
     "UPDATE [People] SET [Pay] = 0;",
     "SELECT sum(Pay) FROM People",
     {row({"0.0"})}},
};

[[maybe_unused]] void PrintTo(const Expression& x, std::ostream* os) { *os << x.name; }

class DmlExpression : public ::testing::TestWithParam<Expression> {};

TEST_P(DmlExpression, RunsAsJetWould) {
    const Expression& x = GetParam();
    Db db(kPeople);
    try {
        db.exec(x.statement);
    } catch (const jet::Error& e) {
        FAIL() << e.description();
    }
    EXPECT_EQ(db.rows(x.check), x.rows);
}

INSTANTIATE_TEST_SUITE_P(Store, DmlExpression, ::testing::ValuesIn(kExpressions),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
