// The readers that judge written Jet files, proved on the Access-made
// fixtures: the npm reader, the mdbtools programs and the project's reader
// agree on every file; a byte copy of a file compares equal through the engine
// and page by page; a changed byte is found at its page; and the comparisons
// name what differs.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "FixtureLists.h"
#include "JetOracles.h"
#include "OracleComparison.h"
#include "RealFileSync.h"
#include "TestSupport.h"

namespace {

using namespace oracles;

std::string caseName(std::string s) {
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

std::string fixtureName(const char* relative) {
    return caseName(std::filesystem::path(relative).stem().string());
}

// ---- The readers agree on every Access-made Jet 4 file -----------------------

// What each check compares (OracleComparison.h):
// - Rows: the npm reader's rows against mdb-export's, table by table, keyed by
//   mdb-schema's primary key. What had to be brought to one text form, because
//   the two print the same stored value differently: Booleans (true/false vs
//   1/0); single and double (the npm reader's exact number printed with
//   mdb-export's %.8g and %.16g); currency and decimal (mdb-export pads to the
//   scale); dates (milliseconds in ISO form vs whole seconds, rounded);
//   GUIDs and binary (letter case of the hex); zero-length text and binary
//   (mdb-export prints them as Null: it takes a value of length 0 for Null).
// - Columns: the npm reader's types, sizes (bytes), fixed-length and
//   auto-number flags against the project reader's catalog. The npm reader's
//   nullability is the column flag, which Access leaves set on NOT NULL
//   columns: only a "not nullable" from it is compared.
// - Schema: mdb-schema's tables, column types, text sizes, NOT NULL, indexes
//   (foreign-key indexes aside, which it does not print) and relationships
//   (with MSysRelationships as mdb-export gives it) against the project
//   reader's.
// - Properties: mdb-prop's Description, DefaultValue, AllowZeroLength and
//   UnicodeCompression of every column against the project reader's.
enum class Check { Rows, Columns, Schema, Properties };

struct AgreementCase {
    const char* fixture;
    Check check;
};

void PrintTo(const AgreementCase& c, std::ostream* os) { *os << c.fixture; }

class ReadersAgree : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(ReadersAgree, OnAnAccessMadeFile) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    const auto& c = GetParam();
    if (c.check == Check::Rows || c.check == Check::Columns) REQUIRE_MDB_READER();
    const std::string file = testsupport::fixture(c.fixture);
    switch (c.check) {
        case Check::Rows:
            EXPECT_EQ(rowsDisagreement(file), "");
            break;
        case Check::Columns:
            EXPECT_EQ(columnsDisagreement(file), "");
            break;
        case Check::Schema:
            EXPECT_EQ(schemaDisagreement(file), "");
            break;
        case Check::Properties:
            EXPECT_EQ(propertiesDisagreement(file), "");
            break;
    }
}

std::vector<AgreementCase> agreementCases() {
    std::vector<AgreementCase> cases;
    for (const char* f : kJet4FixturesWithTables)
        for (Check c : {Check::Rows, Check::Columns, Check::Schema, Check::Properties})
            cases.push_back({f, c});
    for (const char* f : kEmptyJet4Databases)
        for (Check c : {Check::Rows, Check::Schema}) cases.push_back({f, c});
    return cases;
}

std::string agreementName(const ::testing::TestParamInfo<AgreementCase>& param) {
    static const char* const kChecks[] = {"Rows", "Columns", "Schema", "Properties"};
    return fixtureName(param.param.fixture) + "_" + kChecks[static_cast<int>(param.param.check)];
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ReadersAgree, ::testing::ValuesIn(agreementCases()),
                         agreementName);

// The readers give what the fixtures' README says they hold, so that an empty
// answer above is not a reader that read nothing.
TEST(ReadersAgree, SeeWhatTheFilesHold) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    REQUIRE_MDB_READER();
    const ReaderDump wide = mdbReaderDump(testsupport::fixture("jackcess/test2V2000.mdb"));
    ASSERT_EQ(wide.tables.size(), 1u);
    EXPECT_EQ(wide.tables[0].columns.size(), 74u);
    const std::string file = testsupport::fixture("teaching/Comptoir2000.mdb");
    const ReaderDump dump = mdbReaderDump(file);
    const ReaderTable* orders = dump.table("Commande");
    ASSERT_NE(orders, nullptr);
    EXPECT_EQ(orders->rows.size(), 830u);
    const TableRows exported = mdbExport(file, "Commande");
    EXPECT_EQ(exported.columns.size(), 14u);
    EXPECT_EQ(exported.rows.size(), 830u);

    const MdbSchema schema = mdbSchema(file);
    EXPECT_EQ(schema.tables.size(), 8u);
    const SchemaTable* details = schema.table("DetailCommande");
    ASSERT_NE(details, nullptr);
    ASSERT_EQ(details->columns.size(), 5u);
    EXPECT_EQ(details->columns[3].type, "Integer");
    EXPECT_TRUE(details->columns[3].notNull);
    EXPECT_EQ(msysRelationships(file).size(), 8u);

    const auto props = mdbProp(testsupport::fixture("jackcess/testUnicodeCompV2003.mdb"), "Table");
    const auto unicode = std::find_if(props.begin(), props.end(),
                                      [](const PropertySet& p) { return p.name == "Unicode"; });
    ASSERT_NE(unicode, props.end());
    EXPECT_EQ(unicode->value("UnicodeCompression"), "yes");
    EXPECT_EQ(unicode->value("AllowZeroLength"), "yes");
}

// ---- A byte copy is equal; a changed byte is found at its page ---------------

class ByteCopy : public ::testing::TestWithParam<const char*> {};

TEST_P(ByteCopy, ComparesEqualThroughTheEngineAndPageByPage) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string file = testsupport::fixture(GetParam());
    const std::string copy = writableCopy(file, dir, "copy.mdb");
    EXPECT_EQ(compareWithEngine(connectionFor(file), connectionFor(copy)), "");
    const PageComparison pages = comparePages(file, copy);
    EXPECT_TRUE(pages.same()) << pages.text();
    EXPECT_EQ(pages.pageSize, 4096u);
    EXPECT_EQ(pages.firstPages * pages.pageSize, std::filesystem::file_size(file));
    EXPECT_EQ(catalogDifferences(readerTables(file), readerTables(copy)), "");
    EXPECT_EQ(independentSchemaDifferences(file, copy), "");
}

std::string fixtureCaseName(const ::testing::TestParamInfo<const char*>& param) {
    return fixtureName(param.param);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ByteCopy, ::testing::ValuesIn(kJet4FixturesWithTables),
                         fixtureCaseName);

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, sizeof v);
    return v;
}

// The first data page (type 1) whose table definition is or is not page 2,
// MSysObjects'.
uint32_t firstDataPage(const std::string& bytes, bool ofCatalog) {
    for (size_t p = 1; (p + 1) * 4096 <= bytes.size(); ++p)
        if (bytes[p * 4096] == 0x01 && (le32(bytes, p * 4096 + 4) == 2) == ofCatalog)
            return static_cast<uint32_t>(p);
    return 0;
}

TEST_P(ByteCopy, WithOneByteChangedInADataPageDiffersAtThatPage) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string file = testsupport::fixture(GetParam());
    const std::string copy = writableCopy(file, dir, "copy.mdb");
    std::string bytes = testsupport::readFile(copy);
    const uint32_t page = firstDataPage(bytes, false);
    ASSERT_NE(page, 0u);
    // Rows fill a page from its end: its last byte belongs to a row.
    bytes[(page + 1) * 4096 - 1] ^= 0x01;
    testsupport::writeFile(copy, bytes);
    const PageComparison pages = comparePages(file, copy);
    EXPECT_EQ(pages.differing, std::vector<uint32_t>{page});
    EXPECT_EQ(pages.text(), "pages differ: " + std::to_string(page) + "\n");
    EXPECT_FALSE(comparePages(file, copy, {catalogDates()}).same());
    EXPECT_TRUE(comparePages(file, copy, {allowPages("that page", {page})}).same());
}

TEST(PageComparison, AllowsTheCatalogsDatesAndNothingElseOnItsPages) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string file = testsupport::fixture("teaching/Comptoir2000.mdb");
    const std::string copy = writableCopy(file, dir, "copy.mdb");
    std::string bytes = testsupport::readFile(copy);
    const uint32_t page = firstDataPage(bytes, true);
    ASSERT_NE(page, 0u);
    // An object's DateUpdate a day later: the first stored date found from the
    // page's end, where its rows are.
    const size_t start = size_t(page) * 4096;
    size_t at = 0;
    for (size_t o = start + 4096 - 8; o > start + 16 && at == 0; --o) {
        double d = 0;
        std::memcpy(&d, bytes.data() + o, sizeof d);
        if (d >= 32874.0 && d <= 73051.0 && d != static_cast<int64_t>(d)) at = o;
    }
    ASSERT_NE(at, 0u);
    double d = 0;
    std::memcpy(&d, bytes.data() + at, sizeof d);
    d += 1.0;
    std::memcpy(bytes.data() + at, &d, sizeof d);
    testsupport::writeFile(copy, bytes);

    EXPECT_EQ(comparePages(file, copy).differing, std::vector<uint32_t>{page});
    const PageComparison allowed = comparePages(file, copy, {catalogDates()});
    EXPECT_TRUE(allowed.same()) << allowed.text();
    ASSERT_EQ(allowed.allowed.size(), 1u);
    EXPECT_EQ(allowed.allowed[0].first, page);
    EXPECT_EQ(allowed.allowed[0].second, "the catalog's dates");

    // A change on the same page that is no date is not covered.
    bytes[start + 2] ^= 0x10;  // the page's free-space count
    testsupport::writeFile(copy, bytes);
    EXPECT_EQ(comparePages(file, copy, {catalogDates()}).differing, std::vector<uint32_t>{page});
}

TEST(PageComparison, CountsPagesAddedAtTheEnd) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string file = testsupport::fixture("jackcess/emptyV2000.mdb");
    const std::string copy = writableCopy(file, dir, "copy.mdb");
    testsupport::writeFile(copy, testsupport::readFile(copy) + std::string(4096, '\0'));
    const PageComparison pages = comparePages(file, copy);
    EXPECT_FALSE(pages.same());
    EXPECT_TRUE(pages.differing.empty());
    EXPECT_EQ(pages.text(), "page count " + std::to_string(pages.firstPages) + " vs " +
                                std::to_string(pages.firstPages + 1) + "\n");
}

// ---- The comparisons name what differs ----------------------------------------

// The same tables in the 2000 and the 2003 format, as the readers apart from
// the project see them; and two files of different schemas.
TEST(IndependentSchemaComparison, SeesTheSameSchemaInBothFormatsAndNamesDifferences) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    EXPECT_EQ(independentSchemaDifferences(testsupport::fixture("jackcess/test2V2000.mdb"),
                                           testsupport::fixture("jackcess/test2V2003.mdb")),
              "");
    const std::string differences =
        independentSchemaDifferences(testsupport::fixture("jackcess/indexTestV2000.mdb"),
                                     testsupport::fixture("jackcess/compIndexTestV2000.mdb"));
    EXPECT_NE(differences.find("only in the first: relationship [Table3Table1] of [Table1] to "
                               "[Table3] (otherfk2->id) rules 256\n"),
              std::string::npos)
        << differences;
    EXPECT_NE(differences.find("only in the second: table [Table1] index [CD_AGENTE] (CD_AGENTE "
                               "DESC)\n"),
              std::string::npos)
        << differences;
}

struct RowCase {
    const char* what;
    TableRows first;
    TableRows second;
    std::vector<std::string> key;
    const char* expected;
};

TableRows rows(std::vector<std::string> columns, std::vector<Row> r) {
    return {"T", std::move(columns), std::move(r)};
}

const RowCase kRowCases[] = {
    {"equal in another order",
     rows({"id", "v"}, {{"1", "a"}, {"2", "b"}}),
     rows({"id", "v"}, {{"2", "b"}, {"1", "a"}}),
     {},
     ""},
    {"a field changed, by key",
     rows({"id", "v"}, {{"1", "a"}, {"2", "b"}}),
     rows({"id", "v"}, {{"2", "c"}, {"1", "a"}}),
     {"id"},
     "table [T]: row with key ('2'): [v] 'b' vs 'c'\n"},
    {"a row only on one side, by key",
     rows({"id", "v"}, {{"1", "a"}}),
     rows({"id", "v"}, {{"1", "a"}, {"3", std::nullopt}}),
     {"id"},
     "table [T]: 1 rows vs 2\n"
     "table [T]: row with key ('3') only in the second: ('3', Null)\n"},
    {"Null is not empty text",
     rows({"v"}, {{""}}),
     rows({"v"}, {{std::nullopt}}),
     {},
     "table [T]: row 1 of those that differ: [v] '' vs Null\n"},
    {"a duplicate row without a key",
     rows({"v"}, {{"a"}, {"a"}}),
     rows({"v"}, {{"a"}}),
     {},
     "table [T]: 2 rows vs 1\ntable [T]: row ('a') only in the first\n"},
    {"a column dropped",
     rows({"id", "v"}, {{"1", "a"}}),
     rows({"id"}, {{"1"}}),
     {"id"},
     "table [T]: columns id, v vs id\n"},
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.what; }

class RowComparison : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowComparison, SaysWhatDiffers) {
    const auto& c = GetParam();
    EXPECT_EQ(tableRowDifferences(c.first, c.second, c.key), c.expected) << c.what;
}

std::string rowCaseName(const ::testing::TestParamInfo<RowCase>& param) {
    return caseName(param.param.what);
}

INSTANTIATE_TEST_SUITE_P(Cases, RowComparison, ::testing::ValuesIn(kRowCases), rowCaseName);

TEST(CatalogComparison, NamesEveryChangedPart) {
    REQUIRE_FIXTURES();
    const auto tables = readerTables(testsupport::fixture("jackcess/indexTestV2000.mdb"));
    auto changed = tables;
    ASSERT_FALSE(changed.empty());
    jet::TableData& t = changed[0];
    ASSERT_EQ(t.name, "Table1");
    t.columns[3].definedSize = 60;
    t.columns[3].properties[jet::prop::Description] = std::string("note");
    t.indexes[0].unique = !t.indexes[0].unique;
    t.keys.pop_back();
    t.columns.push_back(t.columns[0]);
    t.columns.back().name = "extra";
    changed.pop_back();
    EXPECT_EQ(catalogDifferences(tables, changed),
              "table [Table1]: column [data]: defined size 50 vs 60\n"
              "table [Table1]: column [data]: property Description '' vs 'note'\n"
              "table [Table1]: column [extra] only in the second\n"
              "table [Table1]: index [id]: unique 0 vs 1\n"
              "table [Table1]: key [Table3Table1] only in the first\n"
              "table [Table3] only in the first\n");
}

}  // namespace
