// Saved queries written into Access files and read back through the page
// codec: every saved query of the Jet 4 fixtures made again, under a new name,
// in a copy of its own file, against the rows, the MSysObjects row and the
// access entries Access wrote for it; and the text the reader gives back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Command.h"
#include "jet/Connection.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/format/QuerySql.h"
#include "jet/writer/FileQueries.h"

namespace {

namespace fs = std::filesystem;
using jet::format::QueryRow;
namespace qattr = jet::format::qattr;
namespace qkind = jet::format::qkind;

constexpr const char* kWithQueries[] = {
    "jackcess/queryTestV2000.mdb",
    "teaching/ADVWORKS.mdb",
    "teaching/Gymnase2000.mdb",
    "teaching/ProductSales-student.mdb",
};

// The suffix of each query made again beside the one Access made.
constexpr const char* kAgain = "_again";

std::string connection(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

struct Saved {
    std::string name, text;
};

std::vector<Saved> savedQueries(const std::string& file) {
    jet::Catalog cat;
    cat.ActiveConnection(connection(file));
    std::vector<Saved> out;
    const auto views = cat.Views();
    for (int32_t i = 0; i < views.Count(); ++i)
        out.push_back({views.Item(i).Name(), views.Item(i).Command().CommandText()});
    const auto procedures = cat.Procedures();
    for (int32_t i = 0; i < procedures.Count(); ++i)
        out.push_back({procedures.Item(i).Name(), procedures.Item(i).Command().CommandText()});
    return out;
}

// One query as the codec reads it from a file.
struct StoredQuery {
    jet::file::StoredRow object;
    std::vector<QueryRow> rows;
    std::multiset<std::string> aces;  // "SID hex:ACM:inheritable"
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

std::map<std::string, StoredQuery> storedQueries(const std::string& file) {
    using namespace jet::file;
    const PageFile pages(file);
    const FileCatalog c(pages);
    std::map<std::string, StoredQuery> out;
    const size_t aceObject = c.aces.column("ObjectId"), sid = c.aces.column("SID"),
                 acm = c.aces.column("ACM"), inheritable = c.aces.column("FInheritable");
    for (const auto& o : c.objects.rows) {
        if (c.objectType(o) != msys::kQuery) continue;
        StoredQuery q;
        q.object = o;
        q.rows = queryRowsOf(c.queries, c.objectId(o));
        for (const auto& a : c.aces.rows)
            if (asInteger(a.values[aceObject]) == c.objectId(o))
                q.aces.insert(hex(asBinary(a.values[sid])) + ":" +
                              std::to_string(static_cast<uint32_t>(asInteger(a.values[acm]))) +
                              ":" + std::to_string(asInteger(a.values[inheritable])));
        out.emplace(c.objectName(o), std::move(q));
    }
    return out;
}

std::string show(const QueryRow& r, bool withOrder = true) {
    return std::to_string(r.attribute) + " | " + r.name1 + " | " + r.name2 + " | " + r.expression +
           " | " + std::to_string(r.flag) + " | " + std::to_string(r.extra) +
           (withOrder ? " | order " + hex(r.order) : "");
}

std::string trimmed(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The rows of a query in the form in which Access's and ours must be equal,
// every field and the Order within each attribute included. Where they may
// differ without the builder, the reader or Access reading anything
// different, both sides are brought to one form:
// - the file order of the rows: nothing reads it (the builder orders the rows
//   of an attribute by their Order); rows are taken by attribute and Order;
// - the table rows: Access keeps them in the order the tables were added in
//   its designer, which no text says; the builder reads their order only for
//   tables outside every join, and the text round trip checks that: they are
//   compared as a set, without their Order;
// - no Flag row reads as a Flag row of 0 (the builder's default): we always
//   write one for the kinds that have select flags, Access leaves it out of
//   some (crosstab, append); likewise a missing type row reads as a select;
// - a crosstab's column and group rows are read by class (the TRANSFORM value,
//   the row headings, the pivot), each class in Order: Access's designer may
//   interleave the classes, so they are compared class by class, in sequence,
//   without their Order; the pivot column's alias is read by nobody (PIVOT
//   takes none) and Access keeps its designer's one;
// - the parts of a union are trimmed when read: Access may keep a line break
//   after the first part;
// - the descending mark of an ORDER BY row is "D" or "d", read alike.
std::map<std::string, std::vector<std::string>> canonical(std::vector<QueryRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
        if (a.attribute != b.attribute) return a.attribute < b.attribute;
        return a.order < b.order;
    });
    int32_t kind = qkind::Select;
    bool typeRow = false, flagRow = false;
    for (const auto& r : rows) {
        if (r.attribute == qattr::Type) {
            kind = r.flag;
            typeRow = true;
        }
        if (r.attribute == qattr::Flag) flagRow = true;
    }
    std::map<std::string, std::vector<std::string>> out;
    for (QueryRow r : rows) {
        if (r.attribute == qattr::OrderBy && r.name1 == "d") r.name1 = "D";
        if (r.attribute == qattr::Table) {
            if (kind == qkind::Union) r.expression = trimmed(r.expression);
            out["tables"].push_back(show(r, false));
            continue;
        }
        if (kind == qkind::Crosstab &&
            (r.attribute == qattr::Column || r.attribute == qattr::GroupBy)) {
            const int c = (r.flag & 1) ? 2 : (r.flag & 2) ? 1 : 0;
            if (c == 2 && r.attribute == qattr::Column) r.name1.clear();
            out["crosstab " + std::to_string(r.attribute) + " class " + std::to_string(c)]
                .push_back(show(r, false));
            continue;
        }
        out[std::to_string(r.attribute)].push_back(show(r));
    }
    const std::string first = jet::file::queryRowOrder(1);
    if (!typeRow) {
        QueryRow t;
        t.attribute = qattr::Type;
        t.flag = qkind::Select;
        t.order = first;
        out[std::to_string(qattr::Type)].push_back(show(t));
    }
    if (!flagRow && kind != qkind::DataDefinition && kind != qkind::PassThrough) {
        QueryRow f;
        f.attribute = qattr::Flag;
        f.order = first;
        out[std::to_string(qattr::Flag)].push_back(show(f));
    }
    std::sort(out["tables"].begin(), out["tables"].end());
    std::erase_if(out, [](const auto& e) { return e.second.empty(); });
    return out;
}

class QueryRows : public ::testing::TestWithParam<const char*> {};

// Each query of the fixture made again in a copy of its own file, so that it
// meets the same owner and the same accounts as the one Access made.
TEST_P(QueryRows, EverySavedQueryMadeAgainHasAccessRowsAndReadsBackTheSame) {
    REQUIRE_FIXTURES();
    testsupport::TempDir dir;
    const std::string original = testsupport::fixture(GetParam());
    const std::string db = dir.file("again.mdb");
    fs::copy_file(original, db);
    fs::permissions(db, fs::perms::owner_write, fs::perm_options::add);
    const auto queries = savedQueries(db);
    ASSERT_FALSE(queries.empty());
    {
        jet::Connection c;
        c.Mode(jet::ConnectMode::ReadWrite);
        c.Open(connection(db));
        for (const auto& q : queries)
            c.Execute("CREATE PROCEDURE [" + q.name + kAgain + "] AS \r\n" + q.text);
        c.Close();
    }

    // The reader gives every text back, the old queries' too.
    std::map<std::string, std::string> texts;
    for (const auto& q : savedQueries(db)) texts[q.name] = q.text;
    for (const auto& q : queries) {
        EXPECT_EQ(texts[q.name], q.text);
        EXPECT_EQ(texts[q.name + kAgain], q.text);
    }

    const auto access = storedQueries(original);
    const auto ours = storedQueries(db);
    const jet::file::PageFile pages(db);
    const jet::file::FileCatalog c(pages);
    const size_t parent = c.objects.column("ParentId"), owner = c.objects.column("Owner"),
                 flags = c.objects.column("Flags"), lvProp = c.objects.column("LvProp"),
                 lvExtra = c.objects.column("LvExtra"), created = c.objects.column("DateCreate"),
                 updated = c.objects.column("DateUpdate");
    for (const auto& q : queries) {
        SCOPED_TRACE(q.name);
        const auto a = access.find(q.name);
        const auto o = ours.find(q.name + kAgain);
        ASSERT_NE(a, access.end());
        ASSERT_NE(o, ours.end());
        // A script carries no connect string: a pass-through query made anew
        // is stored as what its text reads as (the fixture's reads as a
        // data-definition statement). Only one that replaces a pass-through
        // query of the file keeps that query's connection (FileWriterTest).
        std::vector<QueryRow> expected = a->second.rows;
        int32_t expectedFlags = static_cast<int32_t>(
            jet::file::asInteger(a->second.object.values[c.objects.column("Flags")]) & 0xF0);
        for (auto& r : expected)
            if (r.attribute == qattr::Type && r.flag == qkind::PassThrough) {
                r.flag = qkind::DataDefinition;
                r.name1.clear();
                expectedFlags = 96;
            }
        EXPECT_EQ(canonical(o->second.rows), canonical(expected));
        // Nothing but the rows' Order orders an attribute's rows for the
        // builder: ours number them from 1 in the order of the text.
        std::map<int, uint32_t> seen;
        for (const auto& r : o->second.rows)
            EXPECT_EQ(hex(r.order), hex(jet::file::queryRowOrder(++seen[r.attribute])));

        const auto& av = a->second.object.values;
        const auto& ov = o->second.object.values;
        EXPECT_EQ(ov[parent], av[parent]);
        EXPECT_EQ(ov[owner], av[owner]);
        // The kind's bits; Access sets low bits on the queries it keeps for
        // forms and reports (hidden), which a query made by a script lacks.
        EXPECT_EQ(jet::file::asInteger(ov[flags]), expectedFlags);
        EXPECT_FALSE(jet::isNull(ov[created]));
        EXPECT_FALSE(jet::isNull(ov[updated]));
        // What Access's designer keeps of the query (the query's properties,
        // the layout of its tables): read by nobody but the designer, which
        // makes them again; a query made by a script has none.
        EXPECT_TRUE(jet::isNull(ov[lvProp]));
        EXPECT_TRUE(jet::isNull(ov[lvExtra]));

        // The access entries a new table gets, for the same accounts as
        // Access's query; Access gave its own full rights (0xFFEFF; 0xFFFFF in
        // older files, 0xD00FE for its hidden queries of forms).
        std::multiset<std::string> entries;
        for (const auto& e : a->second.aces)
            entries.insert(e.substr(0, e.find(':')) + ":" + std::to_string(0xFFEFFu) + ":0");
        EXPECT_EQ(o->second.aces, entries);
    }
}

std::string fixtureName(const ::testing::TestParamInfo<const char*>& p) {
    std::string s = fs::path(p.param).stem().string();
    for (char& ch : s)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, QueryRows, ::testing::ValuesIn(kWithQueries), fixtureName);

}  // namespace
