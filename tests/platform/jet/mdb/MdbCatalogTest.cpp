// The catalog of real Jet files, checked against what the mdbtools programs
// read from the same files (an independent oracle, run at test time), and, where
// those programs show nothing, against what the files are known to hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "MdbTestSupport.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Error.h"
#include "jet/mdb/Snapshot.h"
#include "jet/testing/StoreBuilder.h"
#include "text/CaseFold.h"

namespace {

using mdbtest::run;
using mdbtest::shellQuote;

jet::Catalog catalogOf(const std::string& file, const std::string& workgroup = "") {
    jet::Catalog c;
    c.ActiveConnection(mdbtest::connectionString(file, workgroup));
    return c;
}

std::set<std::string> lines(const std::string& text) {
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (!l.empty()) out.insert(l);
    return out;
}

// Structure tests run over these files (Jet 3 and Jet 4).
const char* const kStructureFiles[] = {"mdbtestdata/nwind.mdb", "jackcess/indexTestV2000.mdb",
                                       "jackcess/indexTestV1997.mdb"};

class MdbStructure : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        REQUIRE_FIXTURES();
        REQUIRE_MDBTOOLS();
        file_ = testsupport::fixture(GetParam());
        catalog_ = catalogOf(file_);
    }
    std::vector<jet::Table> userTables() const {
        std::vector<jet::Table> out;
        auto tables = catalog_.Tables();
        for (int32_t i = 0; i < tables.Count(); ++i)
            if (tables.Item(i).Type() == "TABLE") out.push_back(tables.Item(i));
        return out;
    }
    std::string file_;
    jet::Catalog catalog_;
};

TEST_P(MdbStructure, TablesAndTheirTypesMatchMdbTables) {
    const auto user = lines(run("mdb-tables -1 " + shellQuote(file_)));
    const auto all = lines(run("mdb-tables -S -1 " + shellQuote(file_)));
    std::set<std::string> gotUser, gotAll;
    auto tables = catalog_.Tables();
    for (int32_t i = 0; i < tables.Count(); ++i) {
        const auto t = tables.Item(i);
        const auto type = t.Type();
        if (type == "VIEW") continue;
        gotAll.insert(t.Name());
        if (type == "TABLE") gotUser.insert(t.Name());
        if (t.Name().rfind("MSys", 0) == 0) {
            EXPECT_EQ(type, "SYSTEM TABLE") << t.Name();
        }
    }
    EXPECT_EQ(gotUser, user);
    EXPECT_EQ(gotAll, all);
}

// Access's type texts as mdb-schema writes them, and the ADO codes they are.
int32_t adoTypeOf(const std::string& text, int32_t* size) {
    static const std::regex sized(R"((\w[\w/ ]*?) \((\d+)(, \d+)?\))");
    std::smatch m;
    std::string base = text;
    *size = -1;
    if (std::regex_match(text, m, sized)) {
        base = m[1];
        *size = std::stoi(m[2]);
    }
    static const std::map<std::string, int32_t> kTypes = {
        {"Boolean", 11},         {"Byte", 17},    {"Integer", 2},
        {"Long Integer", 3},     {"Currency", 6}, {"Single", 4},
        {"Double", 5},           {"DateTime", 7}, {"Text", 202},
        {"Memo/Hyperlink", 203}, {"OLE", 205},    {"Replication ID", 72},
        {"Numeric", 131},        {"Binary", 204},
    };
    auto it = kTypes.find(base);
    return it == kTypes.end() ? -1 : it->second;
}

TEST_P(MdbStructure, ColumnsMatchMdbSchema) {
    for (const auto& t : userTables()) {
        const auto schema = run("mdb-schema -T " + shellQuote(t.Name()) + " " + shellQuote(file_));
        static const std::regex columnLine(R"(^\t\[(.+)\]\t+(.+?)( NOT NULL)?(, )?$)");
        std::istringstream in(schema);
        std::vector<std::tuple<std::string, std::string, bool>> cols;
        for (std::string l; std::getline(in, l);) {
            std::smatch m;
            if (std::regex_match(l, m, columnLine)) cols.emplace_back(m[1], m[2], m[3].matched);
        }
        auto columns = t.Columns();
        ASSERT_EQ(columns.Count(), static_cast<int32_t>(cols.size())) << t.Name();
        for (int32_t i = 0; i < columns.Count(); ++i) {
            const auto c = columns.Item(i);
            const auto& [name, typeText, notNull] = cols[static_cast<size_t>(i)];
            SCOPED_TRACE(t.Name() + "." + name);
            EXPECT_EQ(c.Name(), name);
            int32_t size = 0;
            const int32_t type = adoTypeOf(typeText, &size);
            // A fixed-length text column is CHAR(n); mdb-schema writes Text (n) for both.
            if (type == 202 && c.Type() == 130) {
                EXPECT_EQ(c.DefinedSize(), size);
            } else {
                EXPECT_EQ(c.Type(), type) << typeText;
                if (type == 202) {
                    EXPECT_EQ(c.DefinedSize(), size);
                }
            }
            if (type == 131) {
                EXPECT_EQ(typeText, "Numeric (" + std::to_string(c.Precision()) + ", " +
                                        std::to_string(c.NumericScale()) + ")");
            }
            // mdb-schema marks every Yes/No column NOT NULL (Jet stores no null
            // there); the catalog follows the column's Required property.
            if (type != 11) {
                EXPECT_EQ((c.Attributes() & jet::kColumnNullable) == 0, notNull);
            }
        }
    }
}

struct OracleIndex {
    bool unique = false;
    std::vector<std::pair<std::string, int32_t>> columns;
};

std::vector<std::pair<std::string, int32_t>> indexColumns(const std::string& list) {
    std::vector<std::pair<std::string, int32_t>> out;
    static const std::regex col(R"(`([^`]+)`( DESC)?)");
    for (std::sregex_iterator it(list.begin(), list.end(), col), end; it != end; ++it)
        out.emplace_back((*it)[1], (*it)[2].matched ? jet::kSortDescending : jet::kSortAscending);
    return out;
}

TEST_P(MdbStructure, IndexesAndPrimaryKeysMatchMdbSchema) {
    const auto schema = run("mdb-schema --indexes " + shellQuote(file_) + " mysql");
    static const std::regex indexLine(
        R"(^ALTER TABLE `(.+)` ADD (UNIQUE )?INDEX `(.+)` \((.*)\);$)");
    static const std::regex pkLine(R"(^ALTER TABLE `(.+)` ADD PRIMARY KEY \((.*)\);$)");
    std::map<std::string, std::map<std::string, OracleIndex>> indexes;
    std::map<std::string, std::vector<std::pair<std::string, int32_t>>> primary;
    std::istringstream in(schema);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_match(l, m, indexLine))
            indexes[m[1]][m[3]] = OracleIndex{m[2].matched, indexColumns(m[4])};
        else if (std::regex_match(l, m, pkLine))
            primary[m[1]] = indexColumns(m[2]);
    }
    std::set<std::string> relationships;
    for (const auto& r : mdbtest::exportTable(file_, "MSysRelationships"))
        if (!r.empty()) relationships.insert(r[0]);

    for (const auto& t : userTables()) {
        SCOPED_TRACE(t.Name());
        std::map<std::string, OracleIndex> got;
        std::vector<std::pair<std::string, int32_t>> gotPrimary;
        auto list = t.Indexes();
        for (int32_t i = 0; i < list.Count(); ++i) {
            const auto x = list.Item(i);
            std::vector<std::pair<std::string, int32_t>> cols;
            auto c = x.Columns();
            for (int32_t k = 0; k < c.Count(); ++k)
                cols.emplace_back(c.Item(k).Name(), c.Item(k).SortOrder());
            if (x.PrimaryKey()) {
                gotPrimary = cols;
                EXPECT_EQ(x.IndexNulls(), jet::indexnulls::Disallow);
                EXPECT_TRUE(x.Unique());
            } else if (!relationships.count(x.Name())) {
                // libmdb lists no columns for a relationship's index; those are
                // checked against MSysRelationships below.
                got[x.Name()] = OracleIndex{x.Unique(), cols};
            }
        }
        const auto& want = indexes[t.Name()];
        ASSERT_EQ(got.size(), want.size());
        for (const auto& [name, w] : want) {
            ASSERT_TRUE(got.count(name)) << name;
            EXPECT_EQ(got[name].unique, w.unique) << name;
            EXPECT_EQ(got[name].columns, w.columns) << name;
        }
        EXPECT_EQ(gotPrimary, primary[t.Name()]);
    }
}

// Rules of MSysRelationships.grbit: 0x100 cascading updates, 0x1000 cascading
// deletes, 0x2000 deletes set null; 0x2 marks a relationship Jet does not enforce.
TEST_P(MdbStructure, ForeignKeysMatchMSysRelationshipsAndEachHasItsIndex) {
    const auto rows = mdbtest::exportTable(file_, "MSysRelationships");
    ASSERT_FALSE(rows.empty());
    const auto& head = rows[0];
    auto col = [&](const char* name) {
        return static_cast<size_t>(std::find(head.begin(), head.end(), name) - head.begin());
    };
    struct Want {
        std::string table, related;
        int32_t grbit = 0;
        std::map<int, std::pair<std::string, std::string>> columns;
    };
    std::map<std::string, Want> want;
    for (size_t i = 1; i < rows.size(); ++i) {
        const auto& r = rows[i];
        auto& w = want[r[col("szRelationship")]];
        w.table = r[col("szObject")];
        w.related = r[col("szReferencedObject")];
        w.grbit = std::stoi(r[col("grbit")]);
        w.columns[std::stoi(r[col("icolumn")])] = {r[col("szColumn")],
                                                   r[col("szReferencedColumn")]};
    }
    size_t checked = 0;
    for (const auto& [name, w] : want) {
        SCOPED_TRACE(name);
        if (w.grbit & 2) continue;
        const auto table = catalog_.Tables().Item(w.table);
        const auto key = table.Keys().Item(name);
        EXPECT_EQ(key.Type(), jet::keytype::Foreign);
        EXPECT_EQ(key.RelatedTable(), w.related);
        EXPECT_EQ(key.UpdateRule(), (w.grbit & 0x100) ? jet::rule::Cascade : jet::rule::None);
        EXPECT_EQ(key.DeleteRule(), (w.grbit & 0x1000)   ? jet::rule::Cascade
                                    : (w.grbit & 0x2000) ? jet::rule::SetNull
                                                         : jet::rule::None);
        auto kc = key.Columns();
        ASSERT_EQ(kc.Count(), static_cast<int32_t>(w.columns.size()));
        auto index = table.Indexes().Item(name);
        auto ic = index.Columns();
        ASSERT_EQ(ic.Count(), kc.Count());
        int32_t k = 0;
        for (const auto& [position, pair] : w.columns) {
            EXPECT_EQ(kc.Item(k).Name(), pair.first);
            EXPECT_EQ(kc.Item(k).RelatedColumn(), pair.second);
            EXPECT_EQ(ic.Item(k).Name(), pair.first);
            ++k;
        }
        EXPECT_FALSE(index.PrimaryKey());
        ++checked;
    }
    EXPECT_GT(checked, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, MdbStructure, ::testing::ValuesIn(kStructureFiles), [](const auto& p) {
        std::string n = p.param;
        n = n.substr(n.find('/') + 1);
        n.erase(std::remove_if(n.begin(), n.end(),
                               [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }),
                n.end());
        return n;
    });

// What the files hold beyond what mdbtools shows: relationship indexes by name,
// the referenced side's bookkeeping entries left out, counters and their seed.
TEST(MdbCatalog, IndexTestHoldsItsIndexesKeysAndRules) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture("jackcess/indexTestV2000.mdb"));
    auto names = [](const jet::Table& t) {
        std::vector<std::string> out;
        auto x = t.Indexes();
        for (int32_t i = 0; i < x.Count(); ++i) out.push_back(x.Item(i).Name());
        return out;
    };
    const auto t1 = c.Tables().Item("Table1");
    EXPECT_EQ(names(t1),
              (std::vector<std::string>{"id", "PrimaryKey", "Table2Table1", "Table3Table1"}));
    EXPECT_EQ(names(c.Tables().Item("Table2")), (std::vector<std::string>{"id", "PrimaryKey"}));
    auto keys = t1.Keys();
    ASSERT_EQ(keys.Count(), 3);
    EXPECT_EQ(keys.Item("PrimaryKey").Type(), jet::keytype::Primary);
    EXPECT_EQ(keys.Item("Table2Table1").DeleteRule(), jet::rule::Cascade);
    EXPECT_EQ(keys.Item("Table3Table1").UpdateRule(), jet::rule::Cascade);
}

TEST(MdbCatalog, IndexOptionsOfEveryKind) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture("jackcess/testIndexPropertiesV2000.mdb"));
    const auto ignore = c.Tables().Item("TableIgnoreNulls2").Indexes().Item("DataIndex");
    EXPECT_EQ(ignore.IndexNulls(), jet::indexnulls::Ignore);
    EXPECT_FALSE(ignore.Unique());
    EXPECT_EQ(ignore.Columns().Count(), 2);
    const auto unique = c.Tables().Item("TableUnique2_temp").Indexes().Item("DataIndex");
    EXPECT_TRUE(unique.Unique());
    EXPECT_EQ(unique.IndexNulls(), jet::indexnulls::Allow);
    // A unique index is also the table's unique key.
    const auto key = c.Tables().Item("TableUnique2_temp").Keys().Item("DataIndex");
    EXPECT_EQ(key.Type(), jet::keytype::Unique);
    EXPECT_EQ(key.Columns().Count(), 2);

    auto d = catalogOf(testsupport::fixture("jackcess/compIndexTestV2000.mdb"));
    EXPECT_EQ(d.Tables().Item("Table1").Indexes().Item("CD_AGENTE").Columns().Item(0).SortOrder(),
              jet::kSortDescending);
}

struct ColumnCase {
    const char* file;
    const char* table;
    const char* column;
    int32_t type, definedSize, precision, scale, attributes;
};

class MdbColumnFacts : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(MdbColumnFacts, TypeSizeAndAttributes) {
    REQUIRE_FIXTURES();
    const auto& k = GetParam();
    auto c =
        catalogOf(testsupport::fixture(k.file)).Tables().Item(k.table).Columns().Item(k.column);
    EXPECT_EQ(c.Type(), k.type);
    EXPECT_EQ(c.DefinedSize(), k.definedSize);
    EXPECT_EQ(c.Precision(), k.precision);
    EXPECT_EQ(c.NumericScale(), k.scale);
    EXPECT_EQ(c.Attributes(), k.attributes);
    const auto facts = jet::typeFacts(k.type);
    EXPECT_EQ(c.Properties().Item(jet::prop::FixedLength).Value(), jet::Variant{facts.fixedLength});
}

const ColumnCase kColumnCases[] = {
    {"mdbtestdata/nwind.mdb", "Orders", "OrderID", 3, 4, 10, 0, 3},
    {"mdbtestdata/nwind.mdb", "Orders", "Freight", 6, 8, 19, 4, 3},
    {"mdbtestdata/nwind.mdb", "Customers", "CompanyName", 202, 40, 0, 0, 0},
    {"mdbtestdata/nwind.mdb", "Employees", "Notes", 203, 0, 0, 0, 2},
    {"mdbtestdata/nwind.mdb", "Employees", "Photo", 205, 0, 0, 0, 2},
    {"mdbtestdata/nwind.mdb", "Order Details", "Quantity", 2, 2, 5, 0, 1},
    {"mdbtestdata/nwind.mdb", "Order Details", "Discount", 4, 4, 7, 0, 1},
    {"mdbtestdata/nwind.mdb", "Products", "Discontinued", 11, 2, 0, 0, 3},
    {"mdbtestdata/nwind.mdb", "Employees", "BirthDate", 7, 8, 0, 0, 3},
    {"jackcess/fixedNumericTestV2000.mdb", "test", "col2", 131, 19, 18, 0, 3},
    {"jackcess/fixedTextTestV2000.mdb", "users", "c_flag_", 130, 1, 0, 0, 1},
    {"jackcess/fixedTextTestV2000.mdb", "users", "c_user_login", 202, 32, 0, 0, 0},
    {"jackcess/testPromotionV2000.mdb", "jobDB1", "PhaseNumber", 5, 8, 15, 0, 3},
};

INSTANTIATE_TEST_SUITE_P(Fixtures, MdbColumnFacts, ::testing::ValuesIn(kColumnCases));

TEST(MdbCatalog, CounterHasSeedAndIncrementOthersHaveNone) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture("mdbtestdata/nwind.mdb"));
    const auto id = c.Tables().Item("Employees").Columns().Item("EmployeeID").Properties();
    EXPECT_EQ(id.Item(jet::prop::Autoincrement).Value(), jet::Variant{true});
    // Nine employees were numbered: the next number is 10.
    EXPECT_EQ(id.Item(jet::prop::Seed).Value(), jet::Variant{int32_t{10}});
    EXPECT_EQ(id.Item(jet::prop::Increment).Value(), jet::Variant{int32_t{1}});
    const auto name = c.Tables().Item("Employees").Columns().Item("LastName").Properties();
    EXPECT_EQ(name.Item(jet::prop::Autoincrement).Value(), jet::Variant{false});
    EXPECT_TRUE(jet::isEmpty(name.Item(jet::prop::Seed).Value()));
    EXPECT_TRUE(jet::isEmpty(name.Item(jet::prop::Increment).Value()));
    // Absent texts read as "", not as empty.
    EXPECT_EQ(name.Item(jet::prop::Default).Value(), jet::Variant{std::string()});
    EXPECT_EQ(name.Item(jet::prop::Description).Value(), jet::Variant{std::string()});
}

// mdb-prop's view of the column properties, block by block ("name: X" then
// "\tKey: value" lines).
std::map<std::string, std::map<std::string, std::string>> mdbProp(const std::string& file,
                                                                  const std::string& object) {
    std::map<std::string, std::map<std::string, std::string>> out;
    std::istringstream in(run("mdb-prop " + shellQuote(file) + " " + shellQuote(object)));
    std::string current;
    for (std::string l; std::getline(in, l);) {
        if (l.rfind("name: ", 0) == 0) {
            current = l.substr(6);
        } else if (!l.empty() && l[0] == '\t') {
            const auto colon = l.find(": ");
            if (colon != std::string::npos)
                out[current][l.substr(1, colon - 1)] = l.substr(colon + 2);
        }
    }
    return out;
}

struct PropCase {
    const char* file;
    const char* table;
};

class MdbProperties : public ::testing::TestWithParam<PropCase> {};

TEST_P(MdbProperties, ColumnPropertiesMatchMdbProp) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    const auto file = testsupport::fixture(GetParam().file);
    const auto props = mdbProp(file, GetParam().table);
    auto columns = catalogOf(file).Tables().Item(GetParam().table).Columns();
    ASSERT_GT(columns.Count(), 0);
    for (int32_t i = 0; i < columns.Count(); ++i) {
        const auto c = columns.Item(i);
        SCOPED_TRACE(c.Name());
        const auto it = props.find(c.Name());
        const std::map<std::string, std::string> none;
        const auto& p = it == props.end() ? none : it->second;
        auto text = [&](const char* key) {
            auto v = p.find(key);
            return jet::Variant{v == p.end() ? std::string() : v->second};
        };
        auto yes = [&](const char* key) {
            auto v = p.find(key);
            return jet::Variant{v != p.end() && v->second == "yes"};
        };
        auto cp = c.Properties();
        EXPECT_EQ(cp.Item(jet::prop::Default).Value(), text("DefaultValue"));
        EXPECT_EQ(cp.Item(jet::prop::Description).Value(), text("Description"));
        EXPECT_EQ(cp.Item(jet::prop::ValidationRule).Value(), text("ValidationRule"));
        EXPECT_EQ(cp.Item(jet::prop::ValidationText).Value(), text("ValidationText"));
        EXPECT_EQ(cp.Item(jet::prop::AllowZeroLength).Value(), yes("AllowZeroLength"));
        const bool required = std::get<bool>(yes("Required"));
        EXPECT_EQ(cp.Item(jet::prop::Nullable).Value(), jet::Variant{!required});
        EXPECT_EQ((c.Attributes() & jet::kColumnNullable) != 0, !required);
        if (p.count("UnicodeCompression")) {
            EXPECT_EQ(cp.Item(jet::prop::CompressedUnicode).Value(), yes("UnicodeCompression"));
        }
    }
}

// Jet 4 files only: for Jet 3 files mdb-prop shows the table's own block and
// none of the columns'.
const PropCase kPropCases[] = {
    {"jackcess/testUnicodeCompV2003.mdb", "Table"}, {"jackcess/fixedTextTestV2000.mdb", "users"},
    {"jackcess/indexTestV2000.mdb", "Table1"},      {"jackcess/testPromotionV2000.mdb", "jobDB1"},
    {"jackcess/fixedNumericTestV2000.mdb", "test"},
};

// The Jet 3 properties as Northwind holds them.
TEST(MdbCatalog, Jet3ColumnPropertiesOfNorthwind) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture("mdbtestdata/nwind.mdb"));
    auto birth = c.Tables().Item("Employees").Columns().Item("BirthDate").Properties();
    EXPECT_EQ(birth.Item(jet::prop::ValidationRule).Value(), jet::Variant{std::string("<Date()")});
    EXPECT_EQ(birth.Item(jet::prop::ValidationText).Value(),
              jet::Variant{std::string("Birth date can't be in the future.")});
    auto qty = c.Tables().Item("Order Details").Columns().Item("Quantity");
    EXPECT_EQ(qty.Properties().Item(jet::prop::Default).Value(), jet::Variant{std::string("1")});
    EXPECT_EQ(qty.Attributes() & jet::kColumnNullable, 0);
    EXPECT_EQ(c.Tables()
                  .Item("Categories")
                  .Columns()
                  .Item("Picture")
                  .Properties()
                  .Item(jet::prop::Description)
                  .Value(),
              jet::Variant{std::string("A picture representing the food category.")});
    EXPECT_EQ(c.Tables()
                  .Item("Categories")
                  .Columns()
                  .Item("CategoryName")
                  .Properties()
                  .Item(jet::prop::CompressedUnicode)
                  .Value(),
              jet::Variant{false});
}

INSTANTIATE_TEST_SUITE_P(Fixtures, MdbProperties, ::testing::ValuesIn(kPropCases));

// Unicode compression is the bit of the column's definition that the data
// engine obeys, not the Access property beside it: clearing the bit in a copy
// turns the catalog's value off while mdb-prop still shows "yes".
TEST(MdbCatalog, UnicodeCompressionComesFromTheTableDefinition) {
    REQUIRE_FIXTURES();
    const auto original = testsupport::fixture("jackcess/testUnicodeCompV2003.mdb");
    auto c = catalogOf(original).Tables().Item("Table").Columns().Item("Unicode").Properties();
    EXPECT_EQ(c.Item(jet::prop::CompressedUnicode).Value(), jet::Variant{true});

    // The table's definition page, its column entries (25 bytes each) after the
    // real index counts (12 bytes each) from offset 63; the second flag byte is
    // at 16 within an entry.
    std::string bytes = testsupport::readFile(original);
    const size_t page = 53 * 4096;
    ASSERT_EQ(bytes[page], '\x02');
    const auto realIndexes = static_cast<unsigned char>(bytes[page + 51]);
    const size_t unicodeEntry = page + 63 + realIndexes * 12 + 25;
    ASSERT_EQ(bytes[unicodeEntry], '\x0a');  // a text column
    ASSERT_EQ(bytes[unicodeEntry + 16] & 1, 1);
    bytes[unicodeEntry + 16] = static_cast<char>(bytes[unicodeEntry + 16] & ~1);
    testsupport::TempDir dir;
    const auto copy = dir.file("uncompressed.mdb");
    testsupport::writeFile(copy, bytes);
    auto d = catalogOf(copy).Tables().Item("Table").Columns().Item("Unicode").Properties();
    EXPECT_EQ(d.Item(jet::prop::CompressedUnicode).Value(), jet::Variant{false});
    EXPECT_EQ(d.Item(jet::prop::AllowZeroLength).Value(), jet::Variant{true});
}

// --- Queries --------------------------------------------------------------------

struct QueryCase {
    const char* name;
    bool view;
    const char* text;
};

const QueryCase kQueryCases[] = {
    {"SelectQuery", true,
     "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
     "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
     "(Table3.col1 = Table2.col1) AND (Table3.col1 = Table2.col2)\r\n"
     "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
     "ORDER BY Table2.col1;"},
    {"UpdateQuery", false,
     "PARAMETERS [User Name] Text ( 255 );\r\nUPDATE Table1\r\n"
     "SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], [Table2].[col1] = [User Name]\r\n"
     "WHERE ((([Table2].[col1]) Is Not Null));"},
    {"AppendQuery", false,
     "INSERT INTO Table3 ( col2, col2, col3 )\r\nSELECT [Table1].[col2], [Table2].[col2], "
     "[Table2].[col3]\r\nFROM Table3, Table1 INNER JOIN Table2 ON "
     "[Table1].[col1]=[Table2].[col1];"},
    {"DeleteQuery", false,
     "DELETE Table1.col1, Table1.col2, Table1.col3\r\nFROM Table1\r\n"
     "WHERE (((Table1.col1)>\"blah\"));"},
    {"MakeTableQuery", false,
     "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
     "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
     "Table1.col2 = Table3.col3\r\nGROUP BY Table2.col2, Table3.col2\r\n"
     "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));"},
    {"CrosstabQuery", true,
     "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
     "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
     "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN Table2 AS "
     "Table2_1 ON [Table2].[col1]=Table2_1.col3\r\n"
     "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
     "((Avg(Table2_1.col2))>\"10\"))\r\nGROUP BY Table2_1.col1, [Table2].[col3]\r\n"
     "ORDER BY [Table2].[col3]\r\nPIVOT [Table1].[col1];"},
    {"UnionQuery", true,
     "Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\n"
     "Select Table2.col1, Table2.col2\r\nUNION ALL Select Table3.col1, Table3.col2\r\n"
     "where Table3.col3 > \"blah\";"},
    {"PassthroughQuery", false, "ALTER TABLE Table4 DROP COLUMN col5;"},
    {"DataDefinitionQuery", false, "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"},
};

// The union query's parts keep the line breaks Access stored: LF here or CR LF.
std::string unifyBreaks(std::string s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
        out += s[i];
    }
    return out;
}

class MdbQueries : public ::testing::TestWithParam<const char*> {};

TEST_P(MdbQueries, EveryKindHasItsTextCollectionAndParameters) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture(GetParam()));
    EXPECT_EQ(c.Views().Count() + c.Procedures().Count(),
              static_cast<int32_t>(std::size(kQueryCases)));
    for (const auto& q : kQueryCases) {
        SCOPED_TRACE(q.name);
        const std::string text = q.view ? c.Views().Item(q.name).Command().CommandText()
                                        : c.Procedures().Item(q.name).Command().CommandText();
        EXPECT_EQ(unifyBreaks(text), unifyBreaks(q.text));
        if (q.view) {
            EXPECT_EQ(c.Tables().Item(q.name).Type(), "VIEW");
        }
    }
    auto params = c.Procedures().Item("UpdateQuery").Command().Parameters();
    ASSERT_EQ(params.Count(), 1);
    EXPECT_EQ(params.Item(0).Name(), "User Name");
    EXPECT_EQ(params.Item(0).Type(), 202);
    EXPECT_EQ(params.Item(0).Size(), 255);
    EXPECT_EQ(c.Procedures().Item("DeleteQuery").Command().Parameters().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, MdbQueries,
                         ::testing::Values("jackcess/queryTestV2000.mdb",
                                           "jackcess/queryTestV1997.mdb"),
                         [](const auto& p) { return std::string(p.index == 0 ? "Jet4" : "Jet3"); });

// mdb-queries renders every query as a plain SELECT of its columns, tables and
// conditions; every column expression and condition it shows stands in our text.
TEST(MdbCatalog, QueryPartsAgreeWithMdbQueries) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    for (const char* fixture : {"jackcess/queryTestV2000.mdb", "mdbtestdata/nwind.mdb"}) {
        const auto file = testsupport::fixture(fixture);
        auto c = catalogOf(file);
        size_t compared = 0;
        for (const auto& name : lines(run("mdb-queries -1 " + shellQuote(file)))) {
            SCOPED_TRACE(name);
            const auto theirs = run("mdb-queries " + shellQuote(file) + " " + shellQuote(name));
            static const std::regex shape(
                R"(^SELECT (.*) FROM (.*?)(?: WHERE (.*?))?(?: ORDER BY (.*?))? *\n?$)");
            std::smatch m;
            if (!std::regex_match(theirs, m, shape) || m[1].str().empty()) continue;
            std::string ours;
            try {
                ours = c.Views().Item(name).Command().CommandText();
            } catch (const jet::Error&) {
                ours = c.Procedures().Item(name).Command().CommandText();
            }
            // Column expressions, split at top-level commas.
            std::string cols = m[1];
            if (cols.rfind("DISTINCT ", 0) == 0) cols = cols.substr(9);
            int depth = 0;
            std::string part;
            std::vector<std::string> parts;
            bool inString = false;
            for (char ch : cols) {
                if (ch == '"') inString = !inString;
                if (!inString && ch == '(') ++depth;
                if (!inString && ch == ')') --depth;
                if (!inString && ch == ',' && depth == 0) {
                    parts.push_back(part);
                    part.clear();
                } else {
                    part += ch;
                }
            }
            parts.push_back(part);
            for (const auto& p : parts) EXPECT_NE(ours.find(p), std::string::npos) << p;
            if (m[3].matched) {
                EXPECT_NE(ours.find(m[3].str()), std::string::npos) << m[3];
            }
            ++compared;
        }
        EXPECT_GT(compared, 3u) << fixture;
    }
}

TEST(MdbCatalog, NorthwindQueriesAreSortedIntoViewsAndProcedures) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture("mdbtestdata/nwind.mdb"));
    EXPECT_EQ(c.Views().Count(), 20);
    ASSERT_EQ(c.Procedures().Count(), 2);
    const auto p = c.Procedures().Item("Employee Sales by Country").Command();
    ASSERT_EQ(p.Parameters().Count(), 2);
    EXPECT_EQ(p.Parameters().Item(0).Name(), "Beginning Date");
    EXPECT_EQ(p.Parameters().Item(0).Type(), 7);
    // Form references are whole parameter names, as the file keeps them.
    const auto byYear = c.Procedures().Item("Sales by Year").Command().Parameters();
    ASSERT_EQ(byYear.Count(), 2);
    EXPECT_EQ(byYear.Item(0).Name(), "Forms!Sales by Year Dialog!BeginningDate");
    EXPECT_EQ(byYear.Item(1).Name(), "Forms!Sales by Year Dialog!EndingDate");
    EXPECT_EQ(byYear.Item(1).Type(), 7);
    EXPECT_EQ(c.Views().Item("Ten Most Expensive Products").Command().CommandText(),
              "SELECT DISTINCTROW TOP 10 Products.ProductName AS TenMostExpensiveProducts, "
              "Products.UnitPrice\r\nFROM Products\r\nORDER BY Products.UnitPrice DESC;");
}

// A query lands in the collection its text says, by the rule the store follows:
// a pass-through query that returns rows is a view in either kind of file, so
// that a copy made by a synchronisation compares equal. A stand-in reader hands
// the provider the queries.
TEST(MdbCatalog, QueriesAreViewsOrProceduresAsInTheStore) {
    REQUIRE_FIXTURES();
    struct Query {
        const char* name;
        const char* sql;
    };
    const Query queries[] = {
        {"Remote", "SELECT * FROM Customers"},
        {"RemoteChange", "UPDATE Customers SET a = 1"},
        {"Asks", "PARAMETERS [n] Long;\r\nSELECT * FROM Customers WHERE a = [n]"},
        {"Both", "SELECT a FROM Customers UNION SELECT a FROM Customers"},
    };
    testsupport::TempDir dir;
    jet::mdb::ReadReply reply;
    std::string ddl = "CREATE TABLE Customers (a LONG);";
    for (const auto& q : queries) {
        reply.snapshot.queries.push_back({q.name, q.sql});
        ddl += std::string("CREATE PROCEDURE ") + q.name + " AS " + q.sql + ";";
    }
    const auto replyFile = dir.file("reply.bin");
    testsupport::writeFile(replyFile, jet::mdb::encodeReply(reply));
    const auto store = dir.file("copy.sdb");
    jet::testing::buildStore(store, ddl);

    const mdbtest::ReaderOptionsScope reader(
        {mdbtest::script(dir, "reader", "cat " + shellQuote(replyFile)),
         std::chrono::milliseconds(5000), false, false});
    auto jetFile = catalogOf(testsupport::fixture("jackcess/adox_jet4.mdb"));
    auto storeFile = catalogOf(store);
    auto isView = [](const jet::Catalog& c, const char* name) {
        auto views = c.Views();
        for (int32_t i = 0; i < views.Count(); ++i)
            if (text::equalNoCase(views.Item(i).Name(), name)) return true;
        return false;
    };
    for (const auto& q : queries) {
        SCOPED_TRACE(q.name);
        EXPECT_EQ(isView(jetFile, q.name), isView(storeFile, q.name));
    }
    EXPECT_TRUE(isView(jetFile, "Remote"));
    EXPECT_FALSE(isView(jetFile, "RemoteChange"));
    EXPECT_EQ(jetFile.Procedures().Item("Asks").Command().Parameters().Count(), 1);
    EXPECT_EQ(jetFile.Views().Count() + jetFile.Procedures().Count(), 4);
}

TEST(MdbCatalog, EmptyDatabaseHasOnlySystemTables) {
    REQUIRE_FIXTURES();
    auto c = catalogOf(testsupport::fixture("jackcess/adox_jet4.mdb"));
    auto t = c.Tables();
    for (int32_t i = 0; i < t.Count(); ++i)
        EXPECT_EQ(t.Item(i).Type(), "SYSTEM TABLE") << t.Item(i).Name();
    EXPECT_EQ(c.Views().Count(), 0);
    EXPECT_EQ(c.Procedures().Count(), 0);
    EXPECT_THROW((void)c.Users(), jet::Error);
}

}  // namespace
