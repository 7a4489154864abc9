// Statements run on copies of Access-made files through a ReadWrite session,
// written when the session ends: what the reader, mdb-export and the catalog
// then show; failed statements and refusals that leave the file byte for byte
// as it was; a session killed before its end.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "CodecTestSupport.h"
#include "MdbTools.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"
#include "jet/testing/StoreBuilder.h"

namespace {

namespace fs = std::filesystem;

std::string connection(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

std::string copyOf(const testsupport::TempDir& dir, const std::string& fixture,
                   const std::string& as = "") {
    const std::string to = dir.file(as.empty() ? fs::path(fixture).filename().string() : as);
    fs::copy_file(testsupport::fixture(fixture), to);
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
    return to;
}

// The files of a folder, by name.
std::vector<std::string> filesIn(const testsupport::TempDir& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir.path())) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

// A session opened for writing, as the runner opens one.
void openForWriting(jet::Connection& c, const std::string& db) {
    c.Mode(jet::ConnectMode::ReadWrite);
    c.Open(connection(db));
}

struct Outcome {
    std::vector<std::string> failures;  // "statement -> description"
    std::vector<bool> refusesDatabase;  // each failure's mark
    std::string closeError;             // empty when the session ended well
    std::string report;
};

// Runs the statements in one session, each failure noted, and ends it.
Outcome session(const std::string& db, const std::vector<std::string>& statements) {
    Outcome o;
    jet::Connection c;
    openForWriting(c, db);
    for (const auto& s : statements) {
        try {
            c.Execute(s);
        } catch (const jet::Error& e) {
            o.failures.push_back(s + " -> " + e.description());
            o.refusesDatabase.push_back(e.refusesDatabase());
        }
    }
    try {
        c.Close();
        o.report = c.CloseReport();
    } catch (const jet::Error& e) {
        o.closeError = e.description();
    }
    return o;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

jet::Catalog catalogOf(const std::string& db) {
    jet::Catalog cat;
    cat.ActiveConnection(connection(db));
    return cat;
}


// The Seed a column reports, read back from the file.
int32_t seedOf(const std::string& db, const char* table, const char* column) {
    return std::get<int32_t>(catalogOf(db)
                                 .Tables()
                                 .Item(table)
                                 .Columns()
                                 .Item(column)
                                 .Properties()
                                 .Item(jet::prop::Seed)
                                 .Value());
}

// The definition page of a table, read through the codec.
uint32_t definitionPage(const std::string& db, const std::string& table) {
    const jet::file::PageFile file(db);
    for (const auto& t : codectest::tables(file))
        if (t.name == table) return static_cast<uint32_t>(t.id) & 0x00FFFFFFu;
    throw std::runtime_error("no table " + table);
}

// The row count a table's definition holds.
uint32_t countedRows(const std::string& db, const std::string& table) {
    const jet::file::PageFile file(db);
    return jet::file::TableDefinition::read(file, definitionPage(db, table)).rowCount;
}

// A copy whose definition of `table` counts `rows` rows, whatever it holds.
std::string withCount(const testsupport::TempDir& dir, const std::string& fixture,
                      const std::string& table, uint32_t rows) {
    const std::string db = copyOf(dir, fixture);
    std::string bytes = testsupport::readFile(db);
    const size_t at = static_cast<size_t>(definitionPage(db, table)) * 4096 + 16;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(rows >> (8 * i));
    testsupport::writeFile(db, bytes);
    return db;
}

TEST(FileWriter, ATableMadeWithKeysIndexesAndPropertiesReadsBackEveryWay) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb");
    const auto o = session(
        db, {"CREATE TABLE [People] ([ID] COUNTER(10, 1) CONSTRAINT [PrimaryKey] PRIMARY KEY, "
             "[Name] TEXT(50) NOT NULL, [Code] CHAR(4), [Amount] CURRENCY, [Born] DATETIME, "
             "[Ratio] DOUBLE, [Share] SINGLE, [Small] BYTE, [Short] SMALLINT, [Flag] YESNO, "
             "[Uid] GUID, [Price] DECIMAL(12,3), [Raw] VARBINARY(16), [Fixed] BINARY(8), "
             "[Notes] MEMO, [Photo] OLEOBJECT, [Town] TEXT(30) WITH COMPRESSION)",
             "CREATE UNIQUE INDEX [ixName] ON [People] ([Name] ASC, [Amount] DESC) WITH "
             "DISALLOW NULL",
             "CREATE TABLE [Visits] ([VisitID] LONG CONSTRAINT [pkVisits] PRIMARY KEY, "
             "[PersonID] LONG, CONSTRAINT [PeopleVisits] FOREIGN KEY ([PersonID]) REFERENCES "
             "[People] ([ID]) ON UPDATE CASCADE ON DELETE CASCADE)"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("-backup-"), std::string::npos) << o.report;

    auto cat = catalogOf(db);
    auto people = cat.Tables().Item("People");
    EXPECT_EQ(people.Columns().Count(), 17);
    EXPECT_EQ(people.Columns().Item("Name").DefinedSize(), 50);
    EXPECT_EQ(people.Columns().Item("Price").Precision(), 12);
    EXPECT_EQ(people.Columns().Item("Price").NumericScale(), 3);
    EXPECT_EQ(std::get<bool>(
                  people.Columns().Item("ID").Properties().Item(jet::prop::Autoincrement).Value()),
              true);
    EXPECT_EQ(
        std::get<int32_t>(people.Columns().Item("ID").Properties().Item(jet::prop::Seed).Value()),
        10);
    EXPECT_EQ(std::get<bool>(
                  people.Columns().Item("Name").Properties().Item(jet::prop::Nullable).Value()),
              false);
    EXPECT_EQ(
        std::get<bool>(
            people.Columns().Item("Town").Properties().Item(jet::prop::CompressedUnicode).Value()),
        true);
    auto ix = people.Indexes().Item("ixName");
    EXPECT_TRUE(ix.Unique());
    EXPECT_EQ(ix.IndexNulls(), jet::indexnulls::Disallow);
    EXPECT_EQ(ix.Columns().Item(1).SortOrder(), jet::kSortDescending);
    auto fk = cat.Tables().Item("Visits").Keys().Item("PeopleVisits");
    EXPECT_EQ(fk.RelatedTable(), "People");
    EXPECT_EQ(fk.UpdateRule(), jet::rule::Cascade);
    EXPECT_EQ(fk.DeleteRule(), jet::rule::Cascade);

    // mdbtools reads the tables, their indexes and the relationship.
    const std::string schema =
        mdbtest::run("mdb-schema --indexes --relations " + mdbtest::shellQuote(db) + " mysql");
    EXPECT_NE(schema.find("ADD UNIQUE INDEX `ixName` (`Name`, `Amount` DESC)"), std::string::npos)
        << schema;
    EXPECT_NE(schema.find("ADD PRIMARY KEY (`ID`)"), std::string::npos) << schema;
    EXPECT_NE(schema.find("FOREIGN KEY (`PersonID`) REFERENCES `People`(`ID`)"), std::string::npos)
        << schema;
}

// Before the session ends, the catalog shows a new query as the reader will
// read it back from the file: the builder's text, a view or a procedure by it.
TEST(FileWriter, TheCatalogShowsANewQueryAsTheReaderWillReadItBack) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2003.mdb");
    jet::Connection c;
    openForWriting(c, db);
    c.Execute("CREATE VIEW [V] AS select distinct a, b as c from T where a > 1");
    c.Execute("CREATE PROCEDURE [P] AS parameters [Who] text(10); select * from T where a = [Who]");
    jet::Catalog cat;
    cat.ActiveConnection(c);
    const std::string view = "SELECT DISTINCT a, b AS c\r\nFROM T\r\nWHERE a > 1;";
    const std::string procedure =
        "PARAMETERS [Who] Text ( 255 );\r\nSELECT *\r\nFROM T\r\nWHERE a = [Who];";
    EXPECT_EQ(cat.Views().Item("V").Command().CommandText(), view);
    ASSERT_EQ(cat.Procedures().Count(), 1);
    EXPECT_EQ(cat.Procedures().Item("P").Command().CommandText(), procedure);
    c.Close();
    const auto after = catalogOf(db);
    EXPECT_EQ(after.Views().Item("V").Command().CommandText(), view);
    EXPECT_EQ(after.Procedures().Item("P").Command().CommandText(), procedure);
}

TEST(FileWriter, TheCatalogShowsAChangeBeforeTheSessionEnds) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2003.mdb");
    jet::Connection c;
    openForWriting(c, db);
    c.Execute("CREATE TABLE [T] ([A] LONG)");
    jet::Catalog cat;
    cat.ActiveConnection(c);
    EXPECT_EQ(cat.Tables().Item("T").Columns().Count(), 1);
    c.Execute("ALTER TABLE [T] ADD COLUMN [B] TEXT(10)");
    EXPECT_EQ(cat.Tables().Item("T").Columns().Count(), 2);
    c.Close();
    EXPECT_EQ(catalogOf(db).Tables().Item("T").Columns().Count(), 2);
}

// Changes on a populated table keep every row; mdb-export reads them.
TEST(FileWriter, ColumnChangesOnAPopulatedTableKeepItsRows) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const auto before = mdbtest::exportTable(db, "DetailCommande");
    const auto messagers = mdbtest::exportTable(db, "Messager");
    const auto o = session(
        db, {"ALTER TABLE [DetailCommande] ALTER COLUMN [Qte] LONG NOT NULL",
             "ALTER TABLE [DetailCommande] ALTER COLUMN [Remise%] DOUBLE",
             "ALTER TABLE [Messager] ADD COLUMN [Phone] TEXT(30)",
             "UPDATE [Messager] SET [Phone]=[Tel]", "ALTER TABLE [Messager] DROP COLUMN [Tel]"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    // Every row, in whatever order the pages now give them; the discount went
    // from SINGLE to DOUBLE, so it is compared as the number it holds.
    auto sorted = [](std::vector<std::vector<std::string>> rows) {
        for (auto& r : rows) {
            std::ostringstream s;
            s << std::stof(r[4] == "Remise%" ? "0" : r[4]);
            r[4] = s.str();
        }
        std::sort(rows.begin() + 1, rows.end());
        return rows;
    };
    EXPECT_EQ(sorted(mdbtest::exportTable(db, "DetailCommande")), sorted(before));
    auto after = mdbtest::exportTable(db, "Messager");
    ASSERT_EQ(after.size(), messagers.size());
    EXPECT_EQ(after[0], (std::vector<std::string>{"NoMess", "NomMess", "Phone"}));
    for (size_t i = 1; i < after.size(); ++i) EXPECT_EQ(after[i][2], messagers[i][2]);
    auto qte = catalogOf(db).Tables().Item("DetailCommande").Columns().Item("Qte");
    EXPECT_EQ(qte.Type(), jet::adtype::Integer);
}

// DetailCommande holds fixed columns only, so its rows have no variable
// area until the table has a variable column.
TEST(FileWriter, ATextColumnAddedToATableOfFixedColumnsKeepsItsRows) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const auto before = mdbtest::exportTable(db, "DetailCommande");
    const auto o = session(db, {"ALTER TABLE [DetailCommande] ADD COLUMN [Note] TEXT(20)"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    const auto after = mdbtest::exportTable(db, "DetailCommande");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0].back(), "Note");
    auto withoutNote = after;
    for (auto& r : withoutNote) r.pop_back();
    std::sort(withoutNote.begin() + 1, withoutNote.end());
    auto sortedBefore = before;
    std::sort(sortedBefore.begin() + 1, sortedBefore.end());
    EXPECT_EQ(withoutNote, sortedBefore);
    for (size_t i = 1; i < after.size(); ++i) EXPECT_EQ(after[i].back(), "") << i;
}

TEST(FileWriter, IndexesAndKeysDroppedAndMadeAgainLeaveTheFileAsItWas) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const std::string bytes = testsupport::readFile(db);
    const auto o = session(
        db, {"ALTER TABLE [Produit] DROP CONSTRAINT [CategorieProduit]",
             "ALTER TABLE [DetailCommande] DROP CONSTRAINT [ProduitDetailCommande]",
             "DROP INDEX [Nom du produit] ON [Produit]",
             "ALTER TABLE [Produit] DROP CONSTRAINT [PrimaryKey]",
             "ALTER TABLE [Produit] ADD CONSTRAINT [PrimaryKey] PRIMARY KEY ([Refprod])",
             "CREATE INDEX [Nom du produit] ON [Produit] ([Nomprod])",
             "ALTER TABLE [DetailCommande] ADD CONSTRAINT [ProduitDetailCommande] FOREIGN KEY "
             "([Refprod]) REFERENCES [Produit] ([Refprod]) ON UPDATE CASCADE",
             "ALTER TABLE [Produit] ADD CONSTRAINT [CategorieProduit] FOREIGN KEY ([CodeCateg]) "
             "REFERENCES [Categorie] ([CodeCateg]) ON UPDATE CASCADE"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    EXPECT_EQ(o.report, "");
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"Comptoir2000.mdb"});
}

// Two one-to-one relationships on their tables' primary keys: [PersonDetail]
// made before [Detail]'s primary key, on a real index of its own (as files
// made by data-modelling tools hold them), and [PersonExtra] made after
// [Extra]'s, sharing its real index, as Jet makes it.
std::string oneToOneKeys(const testsupport::TempDir& dir) {
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb", "keys.mdb");
    const auto o = session(
        db, {"CREATE TABLE [Person] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Name] TEXT(20))",
             "CREATE TABLE [Detail] ([ID] LONG, [Note] TEXT(20))",
             "ALTER TABLE [Detail] ADD CONSTRAINT [PersonDetail] FOREIGN KEY ([ID]) REFERENCES "
             "[Person] ([ID])",
             "ALTER TABLE [Detail] ADD CONSTRAINT [PrimaryKey] PRIMARY KEY ([ID])",
             "CREATE TABLE [Extra] ([ID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY, [Note] TEXT(20))",
             "ALTER TABLE [Extra] ADD CONSTRAINT [PersonExtra] FOREIGN KEY ([ID]) REFERENCES "
             "[Person] ([ID])"});
    if (!o.failures.empty() || !o.closeError.empty())
        throw std::runtime_error(joined(o.failures) + o.closeError);
    return db;
}

// The real indexes of a table's definition, and the one its logical index
// `name` stands on.
std::pair<size_t, const jet::file::RealIndex*> realIndexes(const jet::file::TableDefinition& d,
                                                           const std::string& name) {
    for (const auto& li : d.logicalIndexes)
        if (li.name == name) return {d.realIndexes.size(), &d.realIndexes.at(li.realIndex)};
    return {d.realIndexes.size(), nullptr};
}

// Keys dropped and made again, as a sync writes them, keep each relationship
// where the file had it: on its own real index, or sharing the primary key's.
TEST(FileWriter, OneToOneKeysDroppedAndMadeAgainLeaveTheFileAsItWas) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = oneToOneKeys(dir);
    {
        const jet::file::PageFile file(db);
        const auto detail = jet::file::TableDefinition::read(file, definitionPage(db, "Detail"));
        const auto [detailReals, own] = realIndexes(detail, "PersonDetail");
        ASSERT_EQ(detailReals, 2u);
        ASSERT_NE(own, nullptr);
        EXPECT_EQ(own->flags & jet::file::idxflag::Unique, 0);
        const auto extra = jet::file::TableDefinition::read(file, definitionPage(db, "Extra"));
        const auto [extraReals, shared] = realIndexes(extra, "PersonExtra");
        ASSERT_EQ(extraReals, 1u);
        ASSERT_NE(shared, nullptr);
        EXPECT_NE(shared->flags & jet::file::idxflag::Unique, 0);
    }
    const auto indexOf = [&](const char* table, const char* index) {
        return catalogOf(db).Tables().Item(table).Indexes().Item(index);
    };
    EXPECT_FALSE(indexOf("Detail", "PersonDetail").Unique());
    EXPECT_TRUE(indexOf("Extra", "PersonExtra").Unique());
    const std::string bytes = testsupport::readFile(db);
    const auto o = session(
        db, {"ALTER TABLE [Detail] DROP CONSTRAINT [PersonDetail]",
             "ALTER TABLE [Extra] DROP CONSTRAINT [PersonExtra]",
             "DROP INDEX [PrimaryKey] ON [Detail]", "DROP INDEX [PrimaryKey] ON [Extra]",
             "CREATE UNIQUE INDEX [PrimaryKey] ON [Detail] ([ID] ASC) WITH PRIMARY",
             "CREATE UNIQUE INDEX [PrimaryKey] ON [Extra] ([ID] ASC) WITH PRIMARY",
             "ALTER TABLE [Detail] ADD CONSTRAINT [PersonDetail] FOREIGN KEY ([ID]) REFERENCES "
             "[Person] ([ID])",
             "ALTER TABLE [Extra] ADD CONSTRAINT [PersonExtra] FOREIGN KEY ([ID]) REFERENCES "
             "[Person] ([ID])"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    EXPECT_EQ(o.report, "");
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
    // A relationship made anew on a primary key shares its index, as Jet's do.
    const auto again = session(
        db, {"ALTER TABLE [Detail] DROP CONSTRAINT [PersonDetail]",
             "ALTER TABLE [Detail] ADD CONSTRAINT [PersonDetail2] FOREIGN KEY ([ID]) REFERENCES "
             "[Person] ([ID])"});
    ASSERT_EQ(joined(again.failures), "");
    ASSERT_EQ(again.closeError, "");
    EXPECT_TRUE(indexOf("Detail", "PersonDetail2").Unique());
}

// Saved queries made, changed and dropped in one session: the reader and
// mdb-queries read what the session left, and a query dropped and made again
// with its own text keeps its rows.
TEST(FileWriter, SavedQueriesMadeChangedAndDroppedReadBackAsTheSessionLeftThem) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/queryTestV2000.mdb");
    const auto before = catalogOf(db);
    const std::string unchanged = before.Procedures().Item("UpdateQuery").Command().CommandText();
    const auto o = session(
        db, {"CREATE PROCEDURE [Long Texts] AS SELECT Table1.col1 AS [First Column]\r\nFROM "
             "Table1\r\nWHERE Table1.col2 = 'it''s' AND Table1.col3 > #1/2/2003#;",
             "CREATE PROCEDURE [WithParameters] AS PARAMETERS [Forms]![F]![C] Long, [Who] Text ( "
             "20 );\r\nSELECT * FROM Table1 WHERE Table1.col1 = [Who];",
             "DROP VIEW [SelectQuery]",
             "CREATE PROCEDURE [SelectQuery] AS SELECT Table2.col1\r\nFROM Table2;",
             "DROP PROCEDURE [DeleteQuery]", "DROP PROCEDURE [UpdateQuery]",
             "CREATE PROCEDURE [UpdateQuery] AS " + unchanged,
             // The file's pass-through query stays one, with its connection.
             "DROP PROCEDURE [PassthroughQuery]",
             "CREATE PROCEDURE [PassthroughQuery] AS EXEC sp_who"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");

    const auto cat = catalogOf(db);
    EXPECT_EQ(cat.Views().Item("Long Texts").Command().CommandText(),
              "SELECT Table1.col1 AS [First Column]\r\nFROM Table1\r\nWHERE Table1.col2 = "
              "'it''s' AND Table1.col3 > #1/2/2003#;");
    EXPECT_EQ(cat.Views().Item("SelectQuery").Command().CommandText(),
              "SELECT Table2.col1\r\nFROM Table2;");
    // A parameter that names a form's control keeps the reference as written.
    const auto params = cat.Procedures().Item("WithParameters");
    EXPECT_EQ(params.Command().CommandText(),
              "PARAMETERS [Forms]![F]![C] Long, [Who] Text ( 255 );\r\nSELECT *\r\nFROM "
              "Table1\r\nWHERE Table1.col1 = [Who];");
    EXPECT_EQ(cat.Procedures().Item("UpdateQuery").Command().CommandText(), unchanged);
    EXPECT_EQ(cat.Procedures().Item("PassthroughQuery").Command().CommandText(), "EXEC sp_who");
    EXPECT_THROW((void)cat.Procedures().Item("DeleteQuery"), jet::Error);

    const std::string listed = mdbtest::run("mdb-queries -L -1 " + mdbtest::shellQuote(db));
    EXPECT_EQ(listed.find("DeleteQuery"), std::string::npos) << listed;
    EXPECT_NE(listed.find("Long Texts"), std::string::npos) << listed;
    EXPECT_EQ(mdbtest::run("mdb-queries " + mdbtest::shellQuote(db) + " SelectQuery"),
              "SELECT Table2.col1 FROM [Table2] \n");
    // The dropped query's rows and access entries went with it.
    const auto objects = mdbtest::exportTable(db, "MSysObjects");
    const auto queries = mdbtest::exportTable(db, "MSysQueries");
    const auto aces = mdbtest::exportTable(db, "MSysACEs");
    std::set<std::string> ids;
    for (size_t i = 1; i < objects.size(); ++i) ids.insert(objects[i][0]);
    for (size_t i = 1; i < queries.size(); ++i)
        EXPECT_TRUE(ids.count(queries[i][0])) << queries[i][0];
    for (size_t i = 1; i < aces.size(); ++i) EXPECT_TRUE(ids.count(aces[i][0])) << aces[i][0];
}

// A table and a query trade names; hundreds of queries and one of thousands
// of characters take new pages of MSysQueries and long-value pages.
TEST(FileWriter, QueriesTakeNamesTablesLeftAndNewPagesOfTheirTable) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/queryTestV2000.mdb");
    std::vector<std::string> statements = {
        "DROP VIEW [SelectQuery]", "CREATE TABLE [SelectQuery] ([a] LONG)", "DROP TABLE [Table3]",
        "CREATE PROCEDURE [Table3] AS SELECT * FROM Table1"};
    std::string where;
    for (int i = 0; i < 700; ++i)
        where += (i ? " OR " : "") + std::string("Table1.col1 = '") + std::to_string(i) + "'";
    statements.push_back("CREATE PROCEDURE [Long] AS SELECT * FROM Table1 WHERE " + where);
    for (int i = 0; i < 200; ++i)
        statements.push_back("CREATE PROCEDURE [Many " + std::to_string(i) +
                             "] AS SELECT Table1.col1 AS [x" + std::to_string(i) +
                             "] FROM Table1 INNER JOIN Table2 ON Table1.col1 = Table2.col1 "
                             "ORDER BY Table1.col2 DESC");
    const auto o = session(db, statements);
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");

    const auto cat = catalogOf(db);
    EXPECT_EQ(cat.Views().Count() + cat.Procedures().Count(), 210);
    EXPECT_EQ(cat.Views().Item("Long").Command().CommandText(),
              "SELECT *\r\nFROM Table1\r\nWHERE " + where + ";");
    EXPECT_EQ(cat.Views().Item("Many 199").Command().CommandText(),
              "SELECT Table1.col1 AS x199\r\nFROM Table1 INNER JOIN Table2 ON Table1.col1 = "
              "Table2.col1\r\nORDER BY Table1.col2 DESC;");
    EXPECT_EQ(cat.Views().Item("Table3").Command().CommandText(), "SELECT *\r\nFROM Table1;");
    EXPECT_EQ(cat.Tables().Item("SelectQuery").Columns().Count(), 1);
    EXPECT_EQ(mdbtest::run("mdb-queries " + mdbtest::shellQuote(db) + " Table3"),
              "SELECT  FROM [Table1] \n");
}

// A copy whose MSysQueries (its definition is page 4) has no column named
// Order: the name is spelt otherwise.
std::string queriesWithoutOrder(const testsupport::TempDir& dir) {
    const std::string db = copyOf(dir, "jackcess/queryTestV2000.mdb");
    std::string bytes = testsupport::readFile(db);
    const std::string order("O\0r\0d\0e\0r\0", 10);
    const size_t at = bytes.find(order, 4 * 4096);
    if (at == std::string::npos || at >= 5 * 4096) return {};
    bytes[at + 8] = 'x';
    testsupport::writeFile(db, bytes);
    return db;
}

// Saved queries in a table the writer does not know are left alone, and a
// statement that would change them is refused; the rest is written.
TEST(FileWriter, QueriesInATableTheWriterDoesNotKnowAreRefusedAloneAndKept) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = queriesWithoutOrder(dir);
    ASSERT_FALSE(db.empty());
    const auto before = catalogOf(db);
    const std::string text = before.Views().Item("SelectQuery").Command().CommandText();
    const auto o = session(db, {"CREATE TABLE [T] ([a] LONG)", "DROP VIEW [SelectQuery]",
                                "CREATE VIEW [V] AS SELECT * FROM [T]"});
    ASSERT_EQ(o.failures.size(), 2u) << joined(o.failures);
    for (const auto& f : o.failures) EXPECT_NE(f.find("no column Order"), std::string::npos) << f;
    ASSERT_EQ(o.closeError, "");
    const auto after = catalogOf(db);
    EXPECT_EQ(after.Tables().Item("T").Columns().Count(), 1);
    EXPECT_EQ(after.Views().Item("SelectQuery").Command().CommandText(), text);
    EXPECT_THROW((void)after.Views().Item("V"), jet::Error);
}

// A pass-through query cannot be told from its text: only one that replaces
// a pass-through query of the file is stored as one.
TEST(FileWriter, ATextThatIsNoJetSqlIsRefusedUnlessItReplacesAPassThroughQuery) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/queryTestV2000.mdb");
    const std::string bytes = testsupport::readFile(db);
    const auto o = session(db, {"CREATE PROCEDURE [Remote] AS EXEC sp_who"});
    ASSERT_EQ(o.failures.size(), 1u);
    EXPECT_NE(o.failures[0].find("a pass-through query needs its connect string"),
              std::string::npos)
        << o.failures[0];
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
}

struct FailedCase {
    const char* name;
    const char* fixture;
    std::vector<std::string> statements;  // the last one fails
    const char* error;                    // part of its description
};

std::ostream& operator<<(std::ostream& o, const FailedCase& c) { return o << c.name; }

class FailedStatement : public ::testing::TestWithParam<FailedCase> {};

// A statement that fails changes nothing; a session whose every statement
// failed writes nothing at all.
TEST_P(FailedStatement, LeavesTheFileByteForByteAsItWas) {
    REQUIRE_FIXTURES();
    const FailedCase& c = GetParam();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, c.fixture);
    const std::string bytes = testsupport::readFile(db);
    const auto o = session(db, c.statements);
    ASSERT_EQ(o.failures.size(), 1u) << joined(o.failures);
    EXPECT_NE(o.failures[0].find(c.error), std::string::npos) << o.failures[0];
    EXPECT_EQ(o.closeError, "");
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
    EXPECT_EQ(filesIn(dir).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedStatement,
    ::testing::Values(
        FailedCase{"DuplicatesUnderANewUniqueIndex",
                   "teaching/Comptoir2000.mdb",
                   {"CREATE UNIQUE INDEX [ixQte] ON [DetailCommande] ([Qte])"},
                   "duplicate values"},
        FailedCase{"AForeignKeyTheRowsBreak",
                   "teaching/Comptoir2000.mdb",
                   {"ALTER TABLE [DetailCommande] ADD CONSTRAINT [Bad] FOREIGN KEY ([Qte]) "
                    "REFERENCES [Produit] ([Refprod])"},
                   "violates referential integrity"},
        FailedCase{"AValueThatDoesNotConvert",
                   "teaching/Comptoir2000.mdb",
                   {"ALTER TABLE [Client] ALTER COLUMN [Societe] LONG"},
                   "does not fit the type LONG"},
        FailedCase{"ATextIndexWhoseKeysAreNotProven",
                   "teaching/Comptoir2000.mdb",
                   {"CREATE INDEX [ixQ] ON [Produit] ([QteParUnit])"},
                   "cannot be written exactly yet"},
        FailedCase{"AQueryTextThatCannotBeSplit",
                   "teaching/Comptoir2000.mdb",
                   {"CREATE PROCEDURE [P] AS SELECT [Client].* FROM [Client] LEFT JOIN "
                    "[Commande]"},
                   "Query 'P' was not written: The query cannot be stored: its FROM clause"},
        FailedCase{"AQueryNameLongerThanItsRowsHold",
                   "jackcess/emptyV2000.mdb",
                   {"CREATE VIEW [V] AS SELECT T.a AS [" + std::string(300, 'x') + "] FROM T"},
                   "its SELECT clause: the name 'xxxx"},

        // Accounts live in the workgroup (WorkgroupWriterTest.cpp).
        FailedCase{"AUserWithoutAWorkgroup",
                   "jackcess/emptyV2000.mdb",
                   {"CREATE USER [bob] [pw] [pid1234]"},
                   "only when the connection names a workgroup file"},
        FailedCase{"ACounterSeedAtOrBelowTheLargestValue",
                   "teaching/Comptoir2000.mdb",
                   {"ALTER TABLE [Categorie] ALTER COLUMN [CodeCateg] COUNTER(8, 1)"},
                   "would repeat a number"},
        FailedCase{"ACounterStepOtherThanOne",
                   "jackcess/emptyV2000.mdb",
                   {"CREATE TABLE [T] ([A] COUNTER(1, 5))"},
                   "increment is not 1"},
        FailedCase{"ADecimalIndexOverRows",
                   "jackcess/fixedNumericTestV2000.mdb",
                   {"CREATE INDEX [ixN] ON [test] ([col2])"},
                   "the keys of field 'col2' (DECIMAL) cannot be written exactly yet"},
        FailedCase{"AYesNoIndexOverRows",
                   "jackcess/test2V2000.mdb",
                   {"CREATE INDEX [ixB] ON [MSP_PROJECTS] ([PROJ_OPT_CALC_ACT_COSTS])"},
                   "the keys of field 'PROJ_OPT_CALC_ACT_COSTS' (YESNO) cannot be written"},
        // A name whose key in the catalog's text indexes cannot be proven.
        FailedCase{"ATableNameOfANonGeneralFile",
                   "locales/chinesePRC-erp.mdb",
                   {"CREATE TABLE [\xE4\xB8\xAD\xE6\x96\x87] ([a] LONG)"},
                   "in the database's sort order (Chinese PRC, 0x0804) cannot be written exactly"},
        FailedCase{"ATableNamePastLatin1InAGeneralFile",
                   "jackcess/emptyV2000.mdb",
                   {"CREATE TABLE [\xC5\x81\xC3\xB3"
                    "d\xC5\xBA] ([a] LONG)"},
                   "in the database's sort order (General, 0x0409) cannot be written exactly"}),
    [](const auto& p) { return std::string(p.param.name); });

// A counter may start anew only past the largest number its table holds.
TEST(FileWriter, ACounterSeedAtOrBelowTheLargestValueIsRefused) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const std::string bytes = testsupport::readFile(db);
    {
        jet::Connection c;
        openForWriting(c, db);
        jet::Catalog cat;
        cat.ActiveConnection(c);
        auto seed = cat.Tables()
                        .Item("Categorie")
                        .Columns()
                        .Item("CodeCateg")
                        .Properties()
                        .Item(jet::prop::Seed);
        try {
            seed.Value(jet::Variant(int32_t{8}));
            ADD_FAILURE() << "a seed of 8 was taken although the table holds 8";
        } catch (const jet::Error& e) {
            EXPECT_NE(e.description().find("would repeat a number"), std::string::npos)
                << e.description();
        }
        c.Close();
    }
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
    {
        jet::Connection c;
        openForWriting(c, db);
        jet::Catalog cat;
        cat.ActiveConnection(c);
        cat.Tables()
            .Item("Categorie")
            .Columns()
            .Item("CodeCateg")
            .Properties()
            .Item(jet::prop::Seed)
            .Value(jet::Variant(int32_t{100}));
        c.Close();
    }
    EXPECT_EQ(seedOf(db, "Categorie", "CodeCateg"), 100);
}

// A populated table's counter takes the seed ALTER COLUMN gives it, past the
// largest number the table holds.
TEST(FileWriter, AlterColumnGivesAPopulatedCounterItsNewSeed) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const auto o =
        session(db, {"ALTER TABLE [Categorie] ALTER COLUMN [CodeCateg] COUNTER(100, 1)"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    EXPECT_EQ(seedOf(db, "Categorie", "CodeCateg"), 100);
}

struct AddedCounter {
    const char* name;
    const char* type;  // as ADD COLUMN writes it
};

std::ostream& operator<<(std::ostream& o, const AddedCounter& c) { return o << c.name; }

class CounterAddedToRows : public ::testing::TestWithParam<AddedCounter> {};

// A counter added to a table with rows numbers them in their order from its
// seed, and the table's next number comes after them: the numbers a store
// with the same rows in the same order gives them and its next row.
TEST_P(CounterAddedToRows, NumbersThemAsTheStoreDoes) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const auto before = mdbtest::exportTable(db, "Client");
    const std::string add = std::string("ALTER TABLE [Client] ADD COLUMN [RowNo] ") + GetParam().type;
    const auto o = session(db, {add});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");

    std::string sql = "CREATE TABLE [Client] ([CodeCli] TEXT(5));";
    for (size_t i = 1; i < before.size(); ++i)
        sql += "INSERT INTO [Client] ([CodeCli]) VALUES ('" + before[i][0] + "');";
    sql += add + ";INSERT INTO [Client] ([CodeCli]) VALUES ('new');";
    const std::string store = dir.file("twin.sdb");
    jet::testing::buildStore(store, sql);
    const auto numbered = jet::testing::storeRows(store, "SELECT CodeCli, RowNo FROM Client ORDER BY rowid");
    ASSERT_EQ(numbered.size(), before.size());

    // Rows that outgrew their page moved: each customer's number, by its key.
    std::map<std::string, std::string> expected, found;
    for (size_t i = 0; i + 1 < numbered.size(); ++i)
        expected[numbered[i][0].value_or("")] = numbered[i][1].value_or("");
    const auto after = mdbtest::exportTable(db, "Client");
    ASSERT_EQ(after[0].back(), "RowNo");
    for (size_t i = 1; i < after.size(); ++i) found[after[i][0]] = after[i].back();
    EXPECT_EQ(found, expected);
    EXPECT_EQ(std::to_string(seedOf(db, "Client", "RowNo")), numbered.back()[1].value_or(""));
}

INSTANTIATE_TEST_SUITE_P(Types, CounterAddedToRows,
                         ::testing::Values(AddedCounter{"Counter", "COUNTER"},
                                           AddedCounter{"Autoincrement", "AUTOINCREMENT"},
                                           AddedCounter{"SeededCounter", "COUNTER(100, 1)"}),
                         [](const auto& p) { return std::string(p.param.name); });

// A Jet table holds one counter at most: each statement that would give it
// a second fails at once, with Jet's error, and the rest of the run lands.
TEST(FileWriter, ASecondCounterFailsAtItsStatement) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb");
    const std::vector<std::string> second = {
        "CREATE TABLE [Two] ([A] COUNTER, [B] COUNTER(5, 1))",
        "ALTER TABLE [T] ADD COLUMN [C] AUTOINCREMENT",
        "ALTER TABLE [T] ALTER COLUMN [B] COUNTER",
    };
    std::vector<std::string> statements = {"CREATE TABLE [T] ([A] COUNTER(10, 1), [B] LONG)"};
    statements.insert(statements.end(), second.begin(), second.end());
    const auto o = session(db, statements);
    ASSERT_EQ(o.failures.size(), second.size()) << joined(o.failures);
    for (size_t i = 0; i < second.size(); ++i)
        EXPECT_EQ(o.failures[i],
                  second[i] + " -> Resultant table not allowed to have more than one AutoNumber "
                              "field.");
    ASSERT_EQ(o.closeError, "");
    auto t = catalogOf(db).Tables().Item("T");
    EXPECT_EQ(t.Columns().Count(), 2);
    EXPECT_FALSE(std::get<bool>(
        t.Columns().Item("B").Properties().Item(jet::prop::Autoincrement).Value()));
    EXPECT_EQ(seedOf(db, "T", "A"), 10);
    EXPECT_THROW((void)catalogOf(db).Tables().Item("Two"), jet::Error);
}

struct StaleCount {
    const char* name;
    std::function<std::string(const testsupport::TempDir&)> make;
    const char* table;
    const char* statement;
    // What the written definition counts: the rows the table holds where the
    // writer counted them, else the count the file had.
    uint32_t written;
};

std::ostream& operator<<(std::ostream& o, const StaleCount& c) { return o << c.name; }

class StaleRowCount : public ::testing::TestWithParam<StaleCount> {};

// Access leaves tables whose definition counts other than the rows they hold
// (it mends them when it compacts). Such a count does not sink the run, and a
// definition written from counted rows counts them.
TEST_P(StaleRowCount, DoesNotSinkTheRun) {
    REQUIRE_FIXTURES();
    const StaleCount& c = GetParam();
    testsupport::TempDir dir;
    const std::string db = c.make(dir);
    const auto o = session(db, {c.statement});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("-backup-"), std::string::npos) << o.report;
    EXPECT_EQ(countedRows(db, c.table), c.written);
}

// locales/chinesePRC-erp.mdb: paiChanXiuMu counts 127 rows and holds 128.
std::string chinese(const testsupport::TempDir& dir) {
    return copyOf(dir, "locales/chinesePRC-erp.mdb");
}

// Comptoir2000's DetailCommande holds 2155 rows.
std::string detailsCounting13(const testsupport::TempDir& dir) {
    return withCount(dir, "teaching/Comptoir2000.mdb", "DetailCommande", 13);
}

// Its Categorie holds 8.
std::string categoriesCounting5(const testsupport::TempDir& dir) {
    return withCount(dir, "teaching/Comptoir2000.mdb", "Categorie", 5);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StaleRowCount,
    ::testing::Values(
        StaleCount{"CreateIndex", chinese, "paiChanXiuMu",
                   "CREATE INDEX [ixBan] ON [paiChanXiuMu] ([banCi])", 128},
        StaleCount{"AlterColumn", chinese, "paiChanXiuMu",
                   "ALTER TABLE [paiChanXiuMu] ALTER COLUMN [banCi] DOUBLE", 128},
        StaleCount{"CounterSeed", chinese, "paiChanXiuMu",
                   "ALTER TABLE [paiChanXiuMu] ALTER COLUMN [ID] COUNTER(1000, 1)", 128},
        StaleCount{"AddColumn", chinese, "paiChanXiuMu",
                   "ALTER TABLE [paiChanXiuMu] ADD COLUMN [Note] LONG", 127},
        StaleCount{"DropColumn", chinese, "paiChanXiuMu",
                   "ALTER TABLE [paiChanXiuMu] DROP COLUMN [hours]", 127},
        // Rows written again under a definition that stays as it was.
        StaleCount{"UpdateRows", chinese, "paiChanXiuMu",
                   "UPDATE [paiChanXiuMu] SET [hours]=[banCi]", 127},
        // A definition and its properties written again, its rows not counted.
        StaleCount{"AddColumnWithADefault", categoriesCounting5, "Categorie",
                   "ALTER TABLE [Categorie] ADD COLUMN [Note] TEXT(10) DEFAULT \"x\"", 5},
        StaleCount{"CreateIndexOverMoreRowsThanCounted", detailsCounting13, "DetailCommande",
                   "CREATE INDEX [ixQte] ON [DetailCommande] ([Qte])", 2155},
        StaleCount{"AddCounterOverMoreRowsThanCounted", detailsCounting13, "DetailCommande",
                   "ALTER TABLE [DetailCommande] ADD COLUMN [RowNo] COUNTER", 2155}),
    [](const auto& p) { return std::string(p.param.name); });

// Whether a table holds rows is read from its pages, not from its count.
TEST(FileWriter, ATableCountingNoRowsStillHoldsThem) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string db = withCount(dir, "teaching/Comptoir2000.mdb", "DetailCommande", 0);
    const auto o = session(db, {"ALTER TABLE [DetailCommande] ALTER COLUMN [Nocom] COUNTER",
                                "ALTER TABLE [DetailCommande] ADD COLUMN [RowNo] COUNTER(7, 1)"});
    ASSERT_EQ(o.failures.size(), 1u) << joined(o.failures);
    EXPECT_NE(o.failures[0].find("contains data"), std::string::npos) << o.failures[0];
    ASSERT_EQ(o.closeError, "");
    EXPECT_EQ(seedOf(db, "DetailCommande", "RowNo"), 7 + 2155);
    const auto rows = mdbtest::exportTable(db, "DetailCommande");
    ASSERT_EQ(rows.size(), 2156u);
    EXPECT_EQ(rows[0].back(), "RowNo");
    std::set<std::string> numbers;
    for (size_t i = 1; i < rows.size(); ++i) numbers.insert(rows[i].back());
    EXPECT_EQ(numbers.size(), 2155u);
    EXPECT_EQ(countedRows(db, "DetailCommande"), 2155u);
}

// A statement after a failed one in the same session still runs, and the
// failed one leaves no trace in what is written.
TEST(FileWriter, AFailedStatementLeavesNoTraceInWhatTheSessionWrites) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "teaching/Comptoir2000.mdb");
    const auto o = session(db, {"ALTER TABLE [Messager] ADD COLUMN [X] LONG",
                                "CREATE UNIQUE INDEX [ixX] ON [DetailCommande] ([Qte])",
                                "ALTER TABLE [Messager] ADD COLUMN [Y] LONG"});
    ASSERT_EQ(o.failures.size(), 1u);
    ASSERT_EQ(o.closeError, "");
    auto cat = catalogOf(db);
    EXPECT_EQ(cat.Tables().Item("Messager").Columns().Count(), 5);
    EXPECT_THROW((void)cat.Tables().Item("DetailCommande").Indexes().Item("ixX"), jet::Error);
}

// A statement whose keys cannot be proven fails at once, names why, and
// changes nothing, while the rest of the script lands: the names a new table,
// view or relationship gives the catalog's text indexes, and the rows a
// statement adds to a text index of a table.
struct UnprovenKeyCase {
    const char* name;
    const char* fixture;
    std::vector<std::string> statements;
    size_t failing;                   // the statement that fails
    const char* error;                // part of its description
    std::vector<std::string> landed;  // what the others made: "Table:T", "View:V", "Key:T/K"
    std::string refused;              // what the failing one would have made
};

std::ostream& operator<<(std::ostream& o, const UnprovenKeyCase& c) { return o << c.name; }

bool stands(const jet::Catalog& cat, const std::string& what) {
    const size_t colon = what.find(':');
    const std::string kind = what.substr(0, colon), name = what.substr(colon + 1);
    try {
        if (kind == "Table") {
            (void)cat.Tables().Item(name);
        } else if (kind == "View") {
            (void)cat.Views().Item(name);
        } else if (kind == "Index" || kind == "Key") {
            const size_t slash = name.find('/');
            const auto table = cat.Tables().Item(name.substr(0, slash));
            if (kind == "Index")
                (void)table.Indexes().Item(name.substr(slash + 1));
            else
                (void)table.Keys().Item(name.substr(slash + 1));
        } else {
            ADD_FAILURE() << "no such kind: " << what;
        }
        return true;
    } catch (const jet::Error&) {
        return false;
    }
}

class UnprovenKey : public ::testing::TestWithParam<UnprovenKeyCase> {};

TEST_P(UnprovenKey, FailsAtItsStatementAndTheRestOfTheScriptLands) {
    REQUIRE_FIXTURES();
    const UnprovenKeyCase& c = GetParam();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, c.fixture);
    const auto o = session(db, c.statements);
    ASSERT_EQ(o.failures.size(), 1u) << joined(o.failures);
    EXPECT_EQ(o.failures[0].substr(0, c.statements[c.failing].size()), c.statements[c.failing]);
    EXPECT_NE(o.failures[0].find(c.error), std::string::npos) << o.failures[0];
    EXPECT_NE(o.failures[0].find("The statement changed nothing."), std::string::npos)
        << o.failures[0];
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("The database was changed"), std::string::npos) << o.report;
    const auto cat = catalogOf(db);
    for (const auto& what : c.landed) EXPECT_TRUE(stands(cat, what)) << what;
    EXPECT_FALSE(stands(cat, c.refused)) << c.refused;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnprovenKey,
    ::testing::Values(
        UnprovenKeyCase{
            "ATableInAChinesePrcFile",
            "locales/chinesePRC-erp.mdb",
            {"CREATE TABLE [\xE7\x8F\xAD\xE6\xAC\xA1"
             "2] ([a] LONG)",
             "CREATE TABLE [\xE4\xB8\xAD] ([a] LONG)", "CREATE TABLE [PaiChan2] ([a] LONG)"},
            1,
            "Table '\xE4\xB8\xAD' cannot be made: the key of the name",
            {"Table:\xE7\x8F\xAD\xE6\xAC\xA1"
             "2",
             "Table:PaiChan2"},
            "Table:\xE4\xB8\xAD"},
        UnprovenKeyCase{"AViewInATurkishFile",
                        "locales/turkish-library.mdb",
                        {"CREATE TABLE [ogrenci_\xC4\xB1] ([a] LONG)",
                         "CREATE VIEW [\xC4\xB0sim] AS SELECT [ogrenci_\xC4\xB1].a FROM "
                         "[ogrenci_\xC4\xB1]",
                         "CREATE VIEW [ogrenci] AS SELECT [ogrenci_\xC4\xB1].a FROM "
                         "[ogrenci_\xC4\xB1]"},
                        1,
                        "(Turkish, 0x041F)",
                        {"Table:ogrenci_\xC4\xB1", "View:ogrenci"},
                        "View:\xC4\xB0sim"},
        // A relationship's rows in MSysRelationships are keyed by its name
        // and its tables' names; Croatian's "NJ" is a form of a letter no
        // file showed.
        UnprovenKeyCase{"ARelationshipInACroatianFile",
                        "locales/croatian-shareholders.mdb",
                        {"CREATE TABLE [Roditelj] ([ID] LONG CONSTRAINT [PK] PRIMARY KEY)",
                         "CREATE TABLE [\xC4\x8C"
                         "elik] ([ID] LONG, [Ime] TEXT(20))",
                         "ALTER TABLE [\xC4\x8C"
                         "elik] ADD CONSTRAINT [NJ veza] FOREIGN KEY "
                         "([ID]) REFERENCES [Roditelj] ([ID])",
                         "ALTER TABLE [\xC4\x8C"
                         "elik] ADD CONSTRAINT [Veza] FOREIGN KEY ([ID]) "
                         "REFERENCES [Roditelj] ([ID])",
                         "CREATE INDEX [ixIme] ON [Akcionari] ([Ime])"},
                        2,
                        "Relationship 'NJ veza' cannot be made",
                        {"Table:Roditelj",
                         "Table:\xC4\x8C"
                         "elik",
                         "Key:\xC4\x8C"
                         "elik/Veza",
                         "Index:Akcionari/ixIme"},
                        "Key:\xC4\x8C"
                        "elik/NJ veza"},
        UnprovenKeyCase{"NamesPastLatin1InAGeneralFile",
                        "jackcess/emptyV2000.mdb",
                        {"CREATE TABLE [\xD0\x9C\xD0\xB8\xD1\x80] ([a] LONG)",
                         "CREATE TABLE [G\xC4\x9F] ([a] LONG)",
                         "CREATE VIEW [V] AS SELECT [\xD0\x9C\xD0\xB8\xD1\x80].a FROM "
                         "[\xD0\x9C\xD0\xB8\xD1\x80]"},
                        1,
                        "(General, 0x0409)",
                        {"Table:\xD0\x9C\xD0\xB8\xD1\x80", "View:V"},
                        "Table:G\xC4\x9F"},
        UnprovenKeyCase{
            "AnEmojiInAViewName",
            "jackcess/emptyV2000.mdb",
            {"CREATE TABLE [T] ([a] LONG)", "CREATE VIEW [V\xF0\x9F\x98\x80] AS SELECT T.a FROM T",
             "CREATE VIEW [V] AS SELECT T.a FROM T"},
            1,
            "View 'V\xF0\x9F\x98\x80' cannot be made",
            {"Table:T", "View:V"},
            "View:V\xF0\x9F\x98\x80"},
        UnprovenKeyCase{
            "ACombiningAccentInATableName",
            "jackcess/emptyV2000.mdb",
            {"CREATE TABLE [Caf\xC3\xA9] ([a] LONG)", "CREATE TABLE [Cafe\xCC\x81] ([a] LONG)"},
            1,
            "Table 'Cafe\xCC\x81' cannot be made",
            {"Table:Caf\xC3\xA9"},
            "Table:Cafe\xCC\x81"},
        // New rows of a table's text index: the values copied into an
        // indexed column hold characters past Latin-1 no file showed.
        UnprovenKeyCase{
            "NewRowsOfATextIndex",
            "jackcess/testUnicodeCompV2003.mdb",
            {"ALTER TABLE [Table] ADD COLUMN [x] TEXT(255)", "CREATE INDEX [ixX] ON [Table] ([x])",
             "UPDATE [Table] SET [x] = [Unicode]", "CREATE TABLE [T2] ([a] LONG)"},
            2,
            "Index 'ixX' on table 'Table' cannot be built",
            {"Index:Table/ixX", "Table:T2"},
            "Table:T3"}),
    [](const auto& p) { return std::string(p.param.name); });

// A name whose key the encoder cannot prove can still be taken again: a
// table dropped and made again, or a relationship dropped and made again
// with other rules, takes back the keys Access gave its catalog rows. No
// fixture has such a name (each of their names is what proves its
// characters), so one is made: a Cyrillic name the encoder proves is turned
// in the file into one it does not (U+041C to U+041D), as a file from
// elsewhere would hold it.
TEST(FileWriter, ANameDroppedAndMadeAgainTakesBackTheKeysOfItsCatalogRows) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb");
    const std::string proven = "\xD0\x9C\xD0\xB8\xD1\x80";    // U+041C U+0438 U+0440
    const std::string unproven = "\xD0\x9D\xD0\xB8\xD1\x80";  // U+041D U+0438 U+0440
    auto o = session(db, {"CREATE TABLE [" + proven + "] ([ID] LONG CONSTRAINT [PK] PRIMARY KEY)",
                          "CREATE TABLE [" + proven + "2] ([a] LONG)",
                          "CREATE TABLE [Kid] ([ID] LONG, [P] LONG)",
                          "ALTER TABLE [Kid] ADD CONSTRAINT [FK" + proven +
                              "] FOREIGN KEY ([P]) REFERENCES [" + proven + "] ([ID])"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    for (const auto& f : filesIn(dir))
        if (f.find("backup") != std::string::npos) fs::remove(dir.file(f));
    std::string bytes = testsupport::readFile(db);
    const std::string from("\x1C\x04\x38\x04\x40\x04", 6), to("\x1D\x04\x38\x04\x40\x04", 6);
    size_t patched = 0;
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 6)) {
        bytes.replace(at, 6, to);
        ++patched;
    }
    ASSERT_GT(patched, 0u);
    testsupport::writeFile(db, bytes);

    o = session(
        db, {"DROP TABLE [" + unproven + "2]", "CREATE TABLE [" + unproven + "2] ([b] TEXT(10))",
             "ALTER TABLE [Kid] DROP CONSTRAINT [FK" + unproven + "]",
             "ALTER TABLE [Kid] ADD CONSTRAINT [FK" + unproven +
                 "] FOREIGN KEY ([P]) "
                 "REFERENCES [" +
                 unproven + "] ([ID]) ON DELETE CASCADE",
             "CREATE TABLE [" + unproven + "3] ([a] LONG)"});
    ASSERT_EQ(o.failures.size(), 1u) << joined(o.failures);
    EXPECT_NE(o.failures[0].find("Table '" + unproven + "3' cannot be made"), std::string::npos)
        << o.failures[0];
    ASSERT_EQ(o.closeError, "");
    const auto cat = catalogOf(db);
    EXPECT_EQ(cat.Tables().Item(unproven + "2").Columns().Item(0).Name(), "b");
    const auto fk = cat.Tables().Item("Kid").Keys().Item("FK" + unproven);
    EXPECT_EQ(fk.RelatedTable(), unproven);
    EXPECT_EQ(fk.DeleteRule(), jet::rule::Cascade);
}

struct RefusalCase {
    const char* name;
    std::function<std::string(const testsupport::TempDir&)> make;  // the database to open
    const char* error;
};

std::ostream& operator<<(std::ostream& o, const RefusalCase& c) { return o << c.name; }

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

// The writer's checks refuse at the first change, every change after it
// meets the same refusal, and the file is left as it was.
TEST_P(Refusal, ComesAtTheFirstChangeAndLeavesTheFileAsItWas) {
    REQUIRE_FIXTURES();
    const RefusalCase& c = GetParam();
    testsupport::TempDir dir;
    const std::string db = c.make(dir);
    const std::string bytes = testsupport::readFile(db);
    const auto files = filesIn(dir);
    const auto o = session(db, {"CREATE TABLE [T1] ([A] LONG)", "CREATE TABLE [T2] ([A] LONG)"});
    ASSERT_EQ(o.failures.size(), 2u);
    for (const auto& f : o.failures) EXPECT_NE(f.find(c.error), std::string::npos) << f;
    // Marked as the database's, so that a script stops at the first one.
    EXPECT_EQ(o.refusesDatabase, (std::vector<bool>{true, true}));
    EXPECT_EQ(o.closeError, "");
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
    EXPECT_EQ(filesIn(dir), files);
}

// A copy whose table definition of `table` is cut so that it runs past its page.
std::string damagedDefinition(const testsupport::TempDir& dir) {
    const std::string db = copyOf(dir, "jackcess/indexTestV2000.mdb");
    std::string bytes = testsupport::readFile(db);
    // Table1's definition starts on page 24: its length field claims more
    // than its chain of pages holds.
    const size_t at = 24 * 4096 + 8;
    bytes[at] = '\xff';
    bytes[at + 1] = '\x7f';
    testsupport::writeFile(db, bytes);
    return db;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusal,
    ::testing::Values(RefusalCase{"ADatabaseOpenInAccess",
                                  [](const testsupport::TempDir& d) {
                                      const std::string db =
                                          copyOf(d, "jackcess/emptyV2000.mdb", "Shop.mdb");
                                      testsupport::writeFile(d.file("Shop.ldb"), "lock");
                                      return db;
                                  },
                                  "it is open in Access"},
                      RefusalCase{"ADefinitionThatCannotBeRead", damagedDefinition,
                                  "cannot be read for writing"}),
    [](const auto& p) { return std::string(p.param.name); });

// A writable file in a folder that cannot be written: the refusal names the
// folder, where the changed database would have to be made. At the open, and
// when the folder turns read-only after it, at the first change (the lock's
// check; root, whom the system lets write anyway, drops to nobody for it).
TEST(FileWriter, AWritableFileInAFolderThatCannotBeWrittenIsRefusedForItsFolder) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const fs::path folder = dir.path() / "ro";
    fs::create_directory(folder);
    const std::string db = (folder / "Shop.mdb").string();
    fs::copy_file(testsupport::fixture("jackcess/emptyV2000.mdb"), db);
    fs::permissions(db, fs::perms::owner_write, fs::perm_options::add);
    const std::string said =
        jet::makeError(jet::Err::FolderNotWritable, {"Shop.mdb", folder.string()}).description();
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    jet::Connection c;
    std::string atOpen;
    try {
        openForWriting(c, db);
    } catch (const jet::Error& e) {
        atOpen = e.description();
    }
    EXPECT_EQ(atOpen, said);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);

    constexpr uid_t kNobody = 65534;
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
        ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(db.c_str(), kNobody, kNobody), 0);
    }
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(out[0]);
        std::string result;
        if (root &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            result = "skip: cannot drop root";
        } else {
            try {
                jet::Connection w;
                openForWriting(w, db);
                if (::chmod(folder.c_str(), 0555) != 0) throw std::runtime_error("chmod");
                w.Execute("CREATE TABLE [T] ([A] LONG)");
                result = "accepted";
            } catch (const std::exception& e) {
                result = e.what();
            }
        }
        (void)!::write(out[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) result.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(folder.c_str(), 0755);
    if (result.starts_with("skip:")) GTEST_SKIP() << result;
    EXPECT_EQ(result, said);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"ro"});
}

// A database file with a second name (a hard link): the new file takes the
// name the run was given, the other name keeps the old file, and the end of
// the run says so.
TEST(FileWriter, ADatabaseWithASecondHardLinkIsReplacedUnderItsNameAndTheReportSaysSo) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb", "Shop.mdb");
    const std::string bytes = testsupport::readFile(db);
    fs::create_hard_link(db, dir.file("Other.mdb"));
    const auto o = session(db, {"CREATE TABLE [T] ([A] LONG)"});
    ASSERT_EQ(joined(o.failures), "");
    ASSERT_EQ(o.closeError, "");
    EXPECT_NE(o.report.find("The file had a second name (a hard link) besides Shop.mdb: that "
                            "name still shows the earlier version, not the changed database."),
              std::string::npos)
        << o.report;
    EXPECT_TRUE(testsupport::readFile(dir.file("Other.mdb")) == bytes);
    EXPECT_NO_THROW((void)catalogOf(db).Tables().Item("T"));
    // Once replaced, the database has one name again.
    const auto again = session(db, {"CREATE TABLE [U] ([A] LONG)"});
    ASSERT_EQ(again.closeError, "");
    EXPECT_EQ(again.report.find("hard link"), std::string::npos) << again.report;
}

// A statement's own failure, the writer's refusals of one statement among
// them, is not the database's: later statements still change the file.
TEST(FileWriter, AStatementsOwnFailureIsNotMarkedAsTheDatabases) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb");
    const auto o =
        session(db, {"CREATE TABLE;", "CREATE USER [bob]", "CREATE TABLE [T] ([A] LONG, [A] LONG)",
                     "ALTER TABLE [Nowhere] ADD COLUMN [B] LONG", "CREATE TABLE [T] ([A] LONG)"});
    ASSERT_EQ(o.failures.size(), 4u) << joined(o.failures);
    EXPECT_EQ(o.refusesDatabase, (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(o.closeError, "");
    EXPECT_NO_THROW((void)catalogOf(db).Tables().Item("T"));
}

// A bare reserved word is no name, as in Jet; in brackets it is one.
TEST(FileWriter, ABareReservedWordAsANameIsASyntaxError) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/emptyV2000.mdb");
    const auto o = session(
        db, {"CREATE TABLE Select (From TEXT(10));", "CREATE TABLE [Select] ([From] TEXT(10));"});
    ASSERT_EQ(o.failures.size(), 1u) << joined(o.failures);
    EXPECT_NE(o.failures[0].find("Syntax error in CREATE TABLE statement at position 14"),
              std::string::npos)
        << o.failures[0];
    EXPECT_EQ(o.closeError, "");
    auto t = catalogOf(db).Tables().Item("Select");
    EXPECT_EQ(t.Columns().Item(0).Name(), "From");
}

// Opening for writing is as permissive as reading: a Jet 3 file opens; only a
// change is refused.
TEST(FileWriter, AnAccess97DatabaseOpensForWritingAndReadsAsBefore) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/indexTestV1997.mdb");
    jet::Connection c;
    openForWriting(c, db);
    jet::Catalog cat;
    cat.ActiveConnection(c);
    EXPECT_GT(cat.Tables().Count(), 0);
    c.Close();
}

// A session killed before it ends leaves the original untouched and no file
// beside it, in either format.
struct KilledSessionCase {
    const char* name;
    const char* fixture;
    const char* file;
    const char* alter;
};

class KilledSession : public ::testing::TestWithParam<KilledSessionCase> {};

TEST_P(KilledSession, ChangesNothing) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, GetParam().fixture);
    const std::string bytes = testsupport::readFile(db);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        jet::Connection c;
        try {
            openForWriting(c, db);
            c.Execute(GetParam().alter);
            c.Execute("CREATE TABLE [T] ([A] LONG)");
        } catch (...) {
            ::_exit(2);
        }
        // Killed here, with the session open and its changes made.
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(testsupport::readFile(db) == bytes);
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{GetParam().file});
    // The lock went with the process: a new session changes the file.
    const auto o = session(db, {"CREATE TABLE [T] ([A] LONG)"});
    EXPECT_EQ(joined(o.failures), "");
    EXPECT_EQ(o.closeError, "");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, KilledSession,
    ::testing::Values(
        KilledSessionCase{"Jet4", "teaching/Comptoir2000.mdb", "Comptoir2000.mdb",
                          "ALTER TABLE [DetailCommande] ALTER COLUMN [Qte] LONG"},
        KilledSessionCase{"Access97", "mdbtestdata/nwind.mdb", "nwind.mdb",
                          "ALTER TABLE [Order Details] ALTER COLUMN [Quantity] LONG"}),
    [](const ::testing::TestParamInfo<KilledSessionCase>& p) { return std::string(p.param.name); });

}  // namespace

namespace {

// Access 97 keeps text in its code page: a statement with a character the code
// page lacks fails with that said and changes nothing; the others go on.
TEST(FileWriterAccess97, TextTheCodePageCannotHoldFailsItsStatementAlone) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "jackcess/testV1997.mdb");
    const std::string before = testsupport::readFile(db);
    for (const char* statement : {"CREATE TABLE [\xe5\x90\x8d] ([A] LONG)",
                                  "CREATE TABLE [T] ([\xce\xa9] LONG)",
                                  "CREATE TABLE [T] ([A] TEXT(10) DEFAULT '\xe2\x98\x83')"}) {
        SCOPED_TRACE(statement);
        const auto o = session(db, {statement});
        ASSERT_EQ(o.failures.size(), 1u);
        EXPECT_NE(o.failures[0].find("code page (1252) cannot store"), std::string::npos)
            << o.failures[0];
        EXPECT_EQ(o.closeError, "");
        EXPECT_TRUE(testsupport::readFile(db) == before);
    }
    // A byte Windows-1252 leaves undefined (U+0081) is kept where the file
    // holds one, but new text with it is refused: the readers a written file
    // is checked with cannot read it.
    const auto undefined = session(db, {"CREATE TABLE [T] ([A] TEXT(10) DEFAULT 'a\xc2\x81" "b')"});
    ASSERT_EQ(undefined.failures.size(), 1u);
    EXPECT_NE(undefined.failures[0].find("U+0081"), std::string::npos) << undefined.failures[0];
    EXPECT_TRUE(testsupport::readFile(db) == before);
    // The euro sign is the code page's 0x80, stored and read back.
    const auto o = session(db, {"CREATE TABLE [Price \xe2\x82\xac] ([Note] TEXT(10) DEFAULT "
                                "'\xe2\x82\xac 1')"});
    EXPECT_EQ(joined(o.failures), "");
    EXPECT_EQ(o.closeError, "");
    jet::Connection c;
    openForWriting(c, db);
    jet::Catalog cat;
    cat.ActiveConnection(c);
    const auto& column = cat.Tables().Item("Price \xe2\x82\xac").Columns().Item("Note");
    EXPECT_EQ(std::get<std::string>(column.Properties().Item(jet::prop::Default).Value()),
              "'\xe2\x82\xac 1'");
    c.Close();
}

// Access 97 sets a flag bit of unknown meaning on some text columns (Jet 4's
// generated-GUID bit): a column changed by ALTER COLUMN keeps it.
TEST(FileWriterAccess97, AlterColumnKeepsAFlagBitOfUnknownMeaning) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string db = copyOf(dir, "mdbtestdata/nwind.mdb");
    const auto flagsOfPhone = [&] {
        const jet::file::PageFile file(db);
        for (const auto& t : jet::file::FileCatalog(file).tables)
            if (t.name == "Customers")
                if (const auto* c = t.definition.columnNamed("Phone")) return c->flags;
        return uint8_t{0};
    };
    ASSERT_NE(flagsOfPhone() & 0x40, 0);
    const auto o = session(db, {"ALTER TABLE [Customers] ALTER COLUMN [Phone] TEXT(30)"});
    EXPECT_EQ(joined(o.failures), "");
    EXPECT_EQ(o.closeError, "");
    EXPECT_NE(flagsOfPhone() & 0x40, 0);
}

}  // namespace
