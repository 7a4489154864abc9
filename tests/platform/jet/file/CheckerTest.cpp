// The structural checker: silent on every Access-made file, and finding each
// fault of a table of faults injected into copies (through the page overlay).
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

TEST(Checker, FindsNothingInAccessMadeFiles) {
    REQUIRE_FIXTURES();
    size_t tables = 0;
    for (const std::string& name : codectest::jet4Fixtures()) {
        const PageFile file(testsupport::fixture(name));
        const std::vector<CheckedTable> all = tablesOf(file);
        const std::vector<Finding> findings = Checker(file).check(all);
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

class InjectedFault : public ::testing::TestWithParam<Fault> {};

TEST_P(InjectedFault, IsFound) {
    REQUIRE_FIXTURES();
    const Fault& fault = GetParam();
    PageFile file(testsupport::fixture(fault.fixture));
    CheckedTable table;
    for (const CheckedTable& t : tablesOf(file))
        if (t.name == fault.table) table = t;
    ASSERT_NE(table.definitionPage, 0u) << fault.table;
    ASSERT_TRUE(Checker(file).check(table).empty());
    fault.inject(file, TableDefinition::read(file, table.definitionPage));
    const std::vector<Finding> findings = Checker(file).check(table);
    ASSERT_FALSE(findings.empty()) << "the fault went unnoticed";
    bool named = false;
    for (const Finding& f : findings)
        named = named || f.what.find(fault.finding) != std::string::npos;
    EXPECT_TRUE(named) << "expected a finding with \"" << fault.finding << "\""
                       << describe(findings);
}

void putLe32(std::span<uint8_t> b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
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

INSTANTIATE_TEST_SUITE_P(
    Checker, InjectedFault,
    ::testing::Values(Fault{"RowCountOffByOne", "jackcess/indexTestV2000.mdb", "Table1",
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
                                    const IndexTree tree =
                                        walkIndex(pageSource(file), index.firstPage);
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
                                    if (b[0] == 0x01 && b[4] == 'L' && b[5] == 'V' && b[6] == 'A' &&
                                        b[7] == 'L') {
                                        std::span<uint8_t> out = file.writable(n);
                                        out[12] = 0;
                                        out[13] = 0;
                                    }
                                }
                            },
                            "cannot be read: a long value points to"}),
    [](const ::testing::TestParamInfo<Fault>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace jet::file
