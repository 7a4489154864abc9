// The structural checker: silent on every Access-made file, and finding each
// fault of a table of faults injected into copies (through the page overlay),
// judging the whole file or judging it against the original with the
// overlay's pages as the ones changed, as a written file is judged.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "CodecTestSupport.h"
#include "TestSupport.h"
#include "jet/file/Checker.h"
#include "jet/file/FormatError.h"
#include "jet/file/IndexPage.h"
#include "jet/file/TableReader.h"
#include "jet/file/UsageMap.h"

namespace jet::file {
namespace {

std::vector<CheckedTable> tablesOf(const PageFile& file) {
    std::vector<CheckedTable> out;
    for (const auto& t : codectest::tables(file))
        out.push_back({t.name, static_cast<uint32_t>(t.id) & 0x00FFFFFFu});
    return out;
}

std::string describe(const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings)
        out += "\n  " + f.table + " (page " + std::to_string(f.page) + "): " + f.what;
    return out;
}

// What the checker rightly finds in Access-made files: arabic97.mdb's Report
// owns no data page though its count says 2 rows (mdb-export reads none).
struct KnownFinding {
    const char* fixture;
    const char* table;
    const char* what;
};
constexpr KnownFinding kKnownFindings[] = {
    {"jet3/arabic97.mdb", "Report", "the definition counts 2 rows, the table holds 0"},
};

TEST(Checker, FindsNothingInAccessMadeFiles) {
    REQUIRE_FIXTURES();
    size_t tables = 0;
    for (const std::string& name : codectest::codecFixtures()) {
        const PageFile file(testsupport::fixture(name));
        const std::vector<CheckedTable> all = tablesOf(file);
        std::vector<Finding> findings = Checker(file).check(all);
        for (const KnownFinding& known : kKnownFindings) {
            if (name != known.fixture) continue;
            const auto before = findings.size();
            std::erase_if(findings, [&](const Finding& f) {
                return f.table == known.table && f.what.find(known.what) != std::string::npos;
            });
            EXPECT_EQ(findings.size() + 1, before) << name << ": " << known.what;
        }
        EXPECT_TRUE(findings.empty()) << name << describe(findings);
        tables += all.size();
    }
    std::cout << "checker: " << tables << " tables of the fixtures checked\n";
}

// A fault written into a file's overlay.
struct Fault {
    const char* name;
    const char* fixture;
    const char* table;
    std::function<void(PageFile&, const TableDefinition&)> inject;
    const char* finding;  // a part of what the checker must say
};

void PrintTo(const Fault& fault, std::ostream* os) { *os << fault.name; }

// Whether the checker judges the file alone or against the original fixture.
enum class Judged { Whole, AgainstTheOriginal };

void PrintTo(Judged judged, std::ostream* os) {
    *os << (judged == Judged::Whole ? "whole" : "against the original");
}

std::vector<Finding> checkAs(Judged judged, const PageFile& file, const PageFile& original,
                             const CheckedTable& table) {
    if (judged == Judged::Whole) return Checker(file).check(table);
    return Checker(file, Baseline{&original, file.changedPages()}).check(table);
}

class InjectedFault : public ::testing::TestWithParam<std::tuple<Fault, Judged>> {};

TEST_P(InjectedFault, IsFound) {
    REQUIRE_FIXTURES();
    const auto& [fault, judged] = GetParam();
    const PageFile original(testsupport::fixture(fault.fixture));
    PageFile file(testsupport::fixture(fault.fixture));
    CheckedTable table;
    for (const CheckedTable& t : tablesOf(file))
        if (t.name == fault.table) table = t;
    ASSERT_NE(table.definitionPage, 0u) << fault.table;
    ASSERT_TRUE(checkAs(judged, file, original, table).empty());
    fault.inject(file, TableDefinition::read(file, table.definitionPage));
    const std::vector<Finding> findings = checkAs(judged, file, original, table);
    ASSERT_FALSE(findings.empty()) << "the fault went unnoticed";
    bool named = false;
    for (const Finding& f : findings)
        named = named || f.what.find(fault.finding) != std::string::npos;
    EXPECT_TRUE(named) << "expected a finding with \"" << fault.finding << "\""
                       << describe(findings);
}

// A column added to a table's definition, its rows left as they are (they
// read the new column as null), is sound whichever way it is judged.
TEST(Checker, FindsNothingInATableWithAColumnAddedToItsDefinition) {
    REQUIRE_FIXTURES();
    const std::pair<const char*, const char*> cases[] = {
        {"jackcess/indexTestV2000.mdb", "Table1"},
        {"teaching/Comptoir2000.mdb", "DetailCommande"},
        {"jackcess/test2V2000.mdb", "MSP_PROJECTS"},
    };
    for (const auto& [fixture, name] : cases) {
        const PageFile original(testsupport::fixture(fixture));
        PageFile file(testsupport::fixture(fixture));
        CheckedTable table;
        for (const CheckedTable& t : tablesOf(file))
            if (t.name == name) table = t;
        ASSERT_NE(table.definitionPage, 0u) << name;
        TableDefinition def = TableDefinition::read(file, table.definitionPage);
        ColumnDef added;
        added.type = coltype::Long;
        added.flags = colflag::Fixed | colflag::Updatable;
        added.length = 4;
        added.name = "added";
        (void)def.addColumn(added);
        (void)def.write(file);
        for (Judged judged : {Judged::Whole, Judged::AgainstTheOriginal})
            EXPECT_TRUE(checkAs(judged, file, original, table).empty())
                << fixture << " " << name << describe(checkAs(judged, file, original, table));
    }
}

void putLe32(std::span<uint8_t> b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// locales/chinesePRC-erp.mdb, as Access left it, holds a table whose
// definition counts 127 rows for the 128 it holds. Judged whole, that is
// found; judged against the original, a count the writing left as it was is
// the original's, even where the rows are read again (here a data page of
// the table is in the overlay, written as it was).
TEST(Checker, AgainstTheOriginalHoldsNoCountTheWritingLeftAgainstTheFile) {
    REQUIRE_FIXTURES();
    const std::string fixture = testsupport::fixture("locales/chinesePRC-erp.mdb");
    const PageFile original(fixture);
    PageFile file(fixture);
    CheckedTable table;
    for (const CheckedTable& t : tablesOf(file))
        if (t.name == "paiChanXiuMu") table = t;
    ASSERT_NE(table.definitionPage, 0u);
    const TableDefinition def = TableDefinition::read(file, table.definitionPage);
    ASSERT_EQ(def.rowCount, 127u);
    const TableReader reader(file, def);
    ASSERT_EQ(reader.countRows(), 128u);
    (void)file.writable(reader.dataPages().front());
    const auto whole = checkAs(Judged::Whole, file, original, table);
    ASSERT_EQ(whole.size(), 1u) << describe(whole);
    EXPECT_EQ(whole[0].what, "the definition counts 127 rows, the table holds 128");
    EXPECT_TRUE(checkAs(Judged::AgainstTheOriginal, file, original, table).empty())
        << describe(checkAs(Judged::AgainstTheOriginal, file, original, table));
    // A count the writing changed is held to the rows.
    putLe32(file.writable(table.definitionPage), 16, 129);
    const auto changed = checkAs(Judged::AgainstTheOriginal, file, original, table);
    ASSERT_EQ(changed.size(), 1u) << describe(changed);
    EXPECT_EQ(changed[0].what, "the definition counts 129 rows, the table holds 128");
    putLe32(file.writable(table.definitionPage), 16, 128);
    EXPECT_TRUE(checkAs(Judged::AgainstTheOriginal, file, original, table).empty())
        << describe(checkAs(Judged::AgainstTheOriginal, file, original, table));
}


std::vector<uint8_t> bytesOf(const PageFile& file, uint32_t n) {
    const PageFile::PageRef p = file.page(n);
    return {p->begin(), p->end()};
}

// The first leaf of the table's first index holding at least three entries.
uint32_t aLeaf(const PageFile& file, const TableDefinition& def) {
    for (const RealIndex& index : def.realIndexes) {
        const IndexTree tree = walkIndex(pageSource(file), index.firstPage);
        for (uint32_t leaf : tree.leaves)
            if (IndexPage::decode(bytesOf(file, leaf), leaf).entries.size() >= 3) return leaf;
    }
    throw FormatError("no leaf with three entries");
}

const Fault kFaults[] = {
    Fault{"RowCountOffByOne", "jackcess/indexTestV2000.mdb", "Table1",
          [](PageFile& file, const TableDefinition& def) {
              std::span<uint8_t> page = file.writable(def.firstPage());
              putLe32(page, 16, def.rowCount + 1);
          },
          "the definition counts"},
    Fault{"MissingIndexEntry", "jackcess/compIndexTestV2000.mdb", "Table1",
          [](PageFile& file, const TableDefinition& def) {
              const uint32_t leaf = aLeaf(file, def);
              IndexPage page = IndexPage::decode(bytesOf(file, leaf), leaf);
              page.entries.erase(page.entries.begin() + 1);
              const std::vector<uint8_t> bytes = page.encode();
              std::span<uint8_t> out = file.writable(leaf);
              std::copy(bytes.begin(), bytes.end(), out.begin());
          },
          "its entries differ from those rebuilt from the rows"},
    Fault{"OwnedPageMarkedFree", "jackcess/indexTestV2000.mdb", "Table1",
          [](PageFile& file, const TableDefinition& def) {
              const TableReader reader(file, def);
              GlobalUsageMap global(file);
              global.markFree(reader.ownedPages().front());
              global.write(file);
          },
          "a page the table owns is marked free in the global map"},
    Fault{"BrokenNextLink", "teaching/Comptoir2000.mdb", "DetailCommande",
          [](PageFile& file, const TableDefinition& def) {
              for (const RealIndex& index : def.realIndexes) {
                  const IndexTree tree = walkIndex(pageSource(file), index.firstPage);
                  if (tree.leaves.size() < 3) continue;
                  putLe32(file.writable(tree.leaves[0]), 16, tree.leaves[2]);
                  return;
              }
              throw FormatError("no index of three leaves");
          },
          "a leaf's next page is not the leaf after it"},
    Fault{"LongValueOnNoRow", "jackcess/test2V2000.mdb", "MSP_PROJECTS",
          [](PageFile& file, const TableDefinition&) {
              // Every long-value page loses its rows.
              for (uint32_t n = 0; n < file.pageCount(); ++n) {
                  const std::vector<uint8_t> b = bytesOf(file, n);
                  if (b[0] == 0x01 && b[4] == 'L' && b[5] == 'V' && b[6] == 'A' && b[7] == 'L') {
                      std::span<uint8_t> out = file.writable(n);
                      out[12] = 0;
                      out[13] = 0;
                  }
              }
          },
          "cannot be read: a long value points to"},
    // The definition alone changes how the rows read.
    Fault{"ColumnsSwappedInTheDefinition", "jackcess/indexTestV2000.mdb", "Table1",
          [](PageFile& file, const TableDefinition& def) {
              TableDefinition d = def;
              ColumnDef* a = nullptr;
              ColumnDef* b = nullptr;
              for (ColumnDef& c : d.columns) {
                  if (c.name == "id") a = &c;
                  if (c.name == "otherfk1") b = &c;
              }
              ASSERT_TRUE(a && b);
              std::swap(a->fixedOffset, b->fixedOffset);
              (void)d.write(file);
          },
          "its entries differ from those rebuilt from the rows"},
    Fault{"IndexPageMarkedFree", "jackcess/indexTestV2000.mdb", "Table1",
          [](PageFile& file, const TableDefinition& def) {
              GlobalUsageMap global(file);
              global.markFree(def.realIndexes.at(0).firstPage);
              global.write(file);
          },
          "a page is marked free in the global map"},
    Fault{"OwnedPageLeftOutOfItsMap", "teaching/Comptoir2000.mdb", "DetailCommande",
          [](PageFile& file, const TableDefinition& def) {
              UsageMap owned = UsageMap::read(file, def.ownedPages);
              owned.remove(owned.pages().front());
              owned.write(file);
          },
          "a used data page of the table is missing from its owned-pages map"}};

INSTANTIATE_TEST_SUITE_P(Checker, InjectedFault,
                         ::testing::Combine(::testing::ValuesIn(kFaults),
                                            ::testing::Values(Judged::Whole,
                                                              Judged::AgainstTheOriginal)),
                         [](const ::testing::TestParamInfo<InjectedFault::ParamType>& p) {
                             return std::string(std::get<0>(p.param).name) +
                                    (std::get<1>(p.param) == Judged::Whole ? ""
                                                                           : "_AgainstTheOriginal");
                         });

}  // namespace
}  // namespace jet::file
