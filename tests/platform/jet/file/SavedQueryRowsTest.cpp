// Saved queries written by the runner into Access files, against the rows
// Access wrote for them. Every saved query of every Jet 4 fixture that has
// any, as the project's reader gives its text, is written by a script into
// each empty Access database, into a copy of another of those fixtures (whose
// MSysQueries has rows and free room on its pages), and, in one run that
// drops the fixture's queries, under other names into a copy of its own file
// (where the dropped rows leave holes). Then for each query:
// - mdb-queries prints what it prints for the fixture's query (it takes a
//   query's rows in page order, so its columns and tables come in the order
//   the rows were written);
// - each attribute's rows lie in the file in the order of their Order field;
// - the MSysQueries rows are Access's, field by field, the differences that
//   remain brought to one form where they are explained (accessForm).
// A query whose PARAMETERS name a form's control or a bracketed name keeps
// them as written through a sync (ParametersOfASyncedQuery).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include "JetOracles.h"
#include "MdbTools.h"
#include "OracleComparison.h"
#include "RealFileSync.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Command.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/format/QuerySql.h"
#include "jet/writer/FileQueries.h"

namespace {

using namespace oracles;
using jet::format::QueryRow;
namespace qattr = jet::format::qattr;
namespace qkind = jet::format::qkind;
namespace fs = std::filesystem;

constexpr const char* kWithQueries[] = {
    "jackcess/queryTestV2000.mdb",
    "teaching/ADVWORKS.mdb",
    "teaching/Gymnase2000.mdb",
    "teaching/ProductSales-student.mdb",
};

constexpr const char* kEmpty[] = {
    "jackcess/emptyV2000.mdb",
    "jackcess/emptyV2003.mdb",
    "jackcess/emptyJet4.mdb",
    "jackcess/adox_jet4.mdb",
};

struct Saved {
    std::string name, text;
};

std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        out += digits[static_cast<uint8_t>(c) >> 4];
        out += digits[static_cast<uint8_t>(c) & 0x0F];
    }
    return out;
}

// Each query's MSysQueries rows in file order, by query name, as the page
// codec reads them.
std::map<std::string, std::vector<QueryRow>> rowsByName(const std::string& file) {
    using namespace jet::file;
    const PageFile pages(file);
    const FileCatalog c(pages);
    const auto byObject = queryRowsByObject(c.queries);
    std::map<std::string, std::vector<QueryRow>> out;
    for (const auto& o : c.objects.rows) {
        if (c.objectType(o) != msys::kQuery) continue;
        const auto it = byObject.find(c.objectId(o));
        out[c.objectName(o)] = it == byObject.end() ? std::vector<QueryRow>{} : it->second;
    }
    return out;
}

// What mdb-queries prints for a query; nothing where it cannot print it.
std::optional<std::string> mdbQueriesPrints(const std::string& file, const std::string& name) {
    try {
        std::string out = mdbtest::run("mdb-queries " + mdbtest::shellQuote(file) + " " +
                                       mdbtest::shellQuote(name));
        if (out.empty()) return std::nullopt;
        return out;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// A fixture as read once for the whole program: its queries' texts (the
// project's reader: what a sync writes), their rows and mdb-queries' print.
struct FixtureReading {
    std::vector<Saved> queries;
    std::map<std::string, std::vector<QueryRow>> rows;
    std::map<std::string, std::optional<std::string>> printed;
};

const FixtureReading& reading(const char* relative) {
    static std::map<std::string, FixtureReading> cache;
    auto it = cache.find(relative);
    if (it != cache.end()) return it->second;
    const std::string file = testsupport::fixture(relative);
    FixtureReading r;
    jet::Catalog cat;
    cat.ActiveConnection(connectionFor(file));
    const auto views = cat.Views();
    for (int32_t i = 0; i < views.Count(); ++i)
        r.queries.push_back({views.Item(i).Name(), views.Item(i).Command().CommandText()});
    const auto procedures = cat.Procedures();
    for (int32_t i = 0; i < procedures.Count(); ++i)
        r.queries.push_back(
            {procedures.Item(i).Name(), procedures.Item(i).Command().CommandText()});
    r.rows = rowsByName(file);
    for (const auto& q : r.queries) r.printed[q.name] = mdbQueriesPrints(file, q.name);
    return cache.emplace(relative, std::move(r)).first->second;
}

bool hasJoins(const std::vector<QueryRow>& rows) {
    return std::any_of(rows.begin(), rows.end(),
                       [](const QueryRow& r) { return r.attribute == qattr::Join; });
}

std::string line(const QueryRow& r, bool withOrder = true) {
    return std::to_string(r.attribute) + (withOrder ? " @" + hex(r.order) : "") + " | " +
           r.name1 + " | " + r.name2 + " | " + r.expression + " | flag " +
           std::to_string(r.flag) + " | extra " + std::to_string(r.extra);
}

// Access's rows and ours in one form where they may differ for a reason:
// - the order across attributes: Access's designer leaves rows where it
//   edited them (an ORDER BY row before the WHERE row, a join row between
//   two table rows); nothing reads it, mdb-queries and the builder take each
//   attribute's rows by themselves: rows are taken by attribute, then Order;
// - the table rows of a query with joins: Access numbers them in the order
//   the tables were added to its designer, which no text carries (the
//   builder reads the joins from the join rows); ours follow the text. They
//   are compared as a set, without their Order;
// - a select query's type row and a Flag row without flags: Access's
//   designer writes them (queryTestV2000, ProductSales' qrySalesPerformance)
//   but not always (queryTestV2000's crosstab and append query have no Flag
//   row), and a query saved through Jet's SQL interface has neither
//   (ADVWORKS' TopSales queries, Gymnase2000's subquery one); the builder
//   reads a missing one as a select, and as no flags. We write both, as the
//   designer does, except for a query Access keeps for a form or a report
//   (~sq_), which never has them: those are compared as they stand;
// - the descending mark of an ORDER BY row: "D" from the designer, "d" from
//   the SQL interface (ADVWORKS), read alike by the builder and Jet;
// - a pass-through query: a script's text carries no connect string, so one
//   made anew is what its text reads as, a data-definition statement (one
//   that replaces a pass-through query of its file keeps the connection:
//   FileWriterTest).
std::vector<std::string> accessForm(std::vector<QueryRow> rows, const std::string& name) {
    std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
        return a.attribute != b.attribute ? a.attribute < b.attribute : a.order < b.order;
    });
    const bool joins = hasJoins(rows);
    const bool forAForm = name.rfind("~sq_", 0) == 0;
    std::vector<std::string> out, tables;
    for (QueryRow r : rows) {
        const bool blank = r.name1.empty() && r.name2.empty() && r.expression.empty();
        if (!forAForm && blank &&
            ((r.attribute == qattr::Type && r.flag == qkind::Select) ||
             (r.attribute == qattr::Flag && r.flag == 0)))
            continue;
        if (r.attribute == qattr::Type && r.flag == qkind::PassThrough) {
            r.flag = qkind::DataDefinition;
            r.name1.clear();
        }
        if (r.attribute == qattr::OrderBy && r.name1 == "d") r.name1 = "D";
        if (r.attribute == qattr::Table && joins)
            tables.push_back(line(r, false));
        else
            out.push_back(line(r));
    }
    std::sort(tables.begin(), tables.end());
    out.insert(out.end(), tables.begin(), tables.end());
    return out;
}

std::string scriptOf(const std::vector<std::string>& statements) {
    std::string s;
    for (const auto& statement : statements) s += statement + "\r\n\r\nRUN\r\n\r\n";
    return s + "\r\n";
}

struct Case {
    const char* fixture;
    const char* target;  // nullptr: the fixture's own file, its queries dropped
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.fixture << " into " << (c.target ? c.target : "its own file");
}

class SavedQueryRows : public ::testing::TestWithParam<Case> {};

TEST_P(SavedQueryRows, WrittenByAScriptAreAccessRowsInAccessOrder) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    const Case& c = GetParam();
    const FixtureReading& fixture = reading(c.fixture);
    ASSERT_FALSE(fixture.queries.empty());
    testsupport::TempDir dir;
    const std::string file = writableCopy(testsupport::fixture(c.target ? c.target : c.fixture),
                                          dir, "written.mdb");
    // In its own file each query is dropped and made again under another
    // name, in one run: its rows leave holes among the rows of the others.
    const std::string suffix = c.target ? "" : " again";
    std::vector<std::string> statements;
    for (const auto& q : fixture.queries) {
        if (!c.target) statements.push_back("DROP PROCEDURE [" + q.name + "]");
        statements.push_back("CREATE PROCEDURE [" + q.name + suffix + "] AS \r\n" + q.text);
    }
    const RunResult run = applyScript(scriptOf(statements), dir.file("queries.psx"),
                                      connectionFor(file));
    ASSERT_TRUE(run.clean()) << run.problems();

    const auto written = rowsByName(file);
    for (const auto& q : fixture.queries) {
        SCOPED_TRACE(q.name);
        const auto& access = fixture.rows.at(q.name);
        const auto found = written.find(q.name + suffix);
        ASSERT_NE(found, written.end());
        const auto& ours = found->second;

        if (const auto& printed = fixture.printed.at(q.name)) {
            const auto again = mdbQueriesPrints(file, q.name + suffix);
            ASSERT_TRUE(again.has_value());
            if (hasJoins(access))
                EXPECT_EQ(fromListSorted(*again), fromListSorted(*printed));
            else
                EXPECT_EQ(*again, *printed);
        }

        std::map<int, uint32_t> seen;
        for (const auto& r : ours)
            EXPECT_EQ(hex(r.order), hex(jet::file::queryRowOrder(++seen[r.attribute])))
                << "a row of attribute " << r.attribute << " out of its Order";

        EXPECT_EQ(accessForm(ours, q.name), accessForm(access, q.name));
    }
}

std::vector<Case> cases() {
    std::vector<Case> out;
    constexpr size_t n = std::size(kWithQueries);
    for (size_t i = 0; i < n; ++i) {
        for (const char* e : kEmpty) out.push_back({kWithQueries[i], e});
        out.push_back({kWithQueries[i], kWithQueries[(i + 1) % n]});
        out.push_back({kWithQueries[i], nullptr});
    }
    return out;
}

std::string stem(const char* relative) {
    std::string s = fs::path(relative).stem().string();
    for (char& ch : s)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return s;
}

std::string caseName(const ::testing::TestParamInfo<Case>& p) {
    return stem(p.param.fixture) + "_into_" + (p.param.target ? stem(p.param.target) : "itself");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SavedQueryRows, ::testing::ValuesIn(cases()), caseName);

// The names of a query's PARAMETERS as MSysQueries holds them.
std::vector<std::string> parameterNames(const std::string& file, const std::string& query) {
    std::vector<std::string> out;
    const auto rows = rowsByName(file);
    for (const auto& r : rows.at(query))
        if (r.attribute == qattr::Parameter) out.push_back(r.name1);
    return out;
}

// Parameters that name a form's control, and one in brackets it does not
// need, as Access keeps them: made by a script, the query reads back as
// written and holds the names as written; synced into an empty database, the
// engine finds the two equal and the copy holds the same names.
TEST(ParametersOfASyncedQuery, KeepTheirBracketsAndCompareEqual) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    testsupport::TempDir dir;
    const std::string source =
        writableCopy(testsupport::fixture("jackcess/emptyV2000.mdb"), dir, "source.mdb");
    const std::map<std::string, std::string> texts = {
        {"Sales by Year",
         "PARAMETERS [Forms]![Sales by Year Dialog]![BeginningDate] DateTime, [Forms]![Sales by "
         "Year Dialog]![EndingDate] DateTime;\r\nSELECT Orders.ShippedDate, Orders.OrderID\r\n"
         "FROM Orders\r\nWHERE (((Orders.ShippedDate) Between [Forms]![Sales by Year "
         "Dialog]![BeginningDate] And [Forms]![Sales by Year Dialog]![EndingDate]));"},
        {"Products of a Category",
         "PARAMETERS [pCategoryID] Long;\r\nSELECT Products.ProductName\r\nFROM "
         "Products\r\nWHERE Products.CategoryID = [pCategoryID];"},
    };
    std::vector<std::string> statements;
    for (const auto& [name, text] : texts)
        statements.push_back("CREATE PROCEDURE [" + name + "] AS \r\n" + text);
    const RunResult made =
        applyScript(scriptOf(statements), dir.file("made.psx"), connectionFor(source));
    ASSERT_TRUE(made.clean()) << made.problems();

    {
        jet::Catalog cat;
        cat.ActiveConnection(connectionFor(source));
        for (const auto& [name, text] : texts)
            EXPECT_EQ(cat.Procedures().Item(name).Command().CommandText(), text);
    }
    const std::vector<std::string> dialog = {"[Forms]![Sales by Year Dialog]![BeginningDate]",
                                             "[Forms]![Sales by Year Dialog]![EndingDate]"};
    EXPECT_EQ(parameterNames(source, "Sales by Year"), dialog);
    EXPECT_EQ(parameterNames(source, "Products of a Category"),
              std::vector<std::string>{"[pCategoryID]"});

    SyncHarness harness;
    SyncRequest request;
    request.source = source;
    request.destination = testsupport::fixture("jackcess/emptyV2003.mdb");
    const SyncResult r = harness.sync(request);
    EXPECT_EQ(r.compareErrors, "");
    ASSERT_TRUE(r.run.clean()) << r.run.problems();
    EXPECT_EQ(compareWithEngine(r.sourceConnection, r.destinationConnection), "") << r.scriptText;
    for (const auto& [name, text] : texts)
        EXPECT_EQ(parameterNames(r.target, name), parameterNames(source, name)) << name;
}

}  // namespace
